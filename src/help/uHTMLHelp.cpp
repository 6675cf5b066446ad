#include "uHTMLHelp.h"
#include <htmlhelp.h>
#include <memory>
#include <optional>
#include <utility>
#include "framework/uHandles.h"
#include "framework/uPaths.h"
#include "framework/uSystemLibrary.h"
#include "framework/uText.h"
#include "help/uHelpPopup.h"
#include "help/uHelpText.h"

// The library's popup record: 52 bytes is the 32-bit layout, the 64-bit one has wider pointers.
static_assert(sizeof(HH_POPUP) == (sizeof(void*) == 4 ? 52 : 72));

namespace {
// The wide entry point, so a help file in a folder with any characters opens.
using THtmlHelpW = HWND(WINAPI*)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);

// Process-wide, shared by every THTMLHelp; main thread only.
struct THelpLibrary {
    UniqueModule Module;
    THtmlHelpW Entry = nullptr;
    DWORD Cookie = 0;
    const wchar_t* FileName = L"hhctrl.ocx";
    THtmlHelpObserver Observer = nullptr;
    std::unique_ptr<THelpPopup> Popup;
    ~THelpLibrary() { Unload(); }

    HWND Call(HWND caller, const std::wstring& file, UINT command, DWORD_PTR data) {
        if (Observer) Observer(caller, file, command, data);
        return Entry(caller, file.empty() ? nullptr : file.c_str(), command, data);
    }

    bool Load() {
        if (Entry) return true;
        UniqueModule module(LoadSystemLibrary(FileName));
        if (!module) return false;
        auto entry = reinterpret_cast<THtmlHelpW>(::GetProcAddress(module.get(), "HtmlHelpW"));
        if (!entry) return false;  // the module is released, and loading is tried again next time
        Module = std::move(module);
        Entry = entry;
        Call(nullptr, {}, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&Cookie));
        return true;
    }

    void Unload() {
        Popup.reset();
        if (!Entry) return;
        Call(nullptr, {}, HH_UNINITIALIZE, Cookie);
        Entry = nullptr;
        Cookie = 0;
        Module.reset();
    }
};

THelpLibrary& Library() {
    static THelpLibrary library;
    return library;
}
}  // namespace

// A relative name is the program's, never the current folder's.
std::wstring HelpFilePath(const std::wstring& name, const std::wstring& programFolder) {
    return ResolvePath(name, programFolder);
}

void THTMLHelp::SetHelpFile(const std::wstring& name) { helpFile_ = HelpFilePath(name, ProgramFolder()); }

bool THTMLHelp::IsAvailable() { return Library().Load(); }

bool THTMLHelp::ShowTopic(const std::wstring& topic) {
    try {
        THelpLibrary& library = Library();
        if (!library.Load()) return false;
        std::wstring file = helpFile_ + L"::/" + topic;
        return library.Call(ownerWindow_, file, HH_DISPLAY_TOPIC, 0) != nullptr;
    } catch (...) {
        return false;
    }
}

void THTMLHelp::ShowPopup(int32_t context, int x, int y) {
    THelpLibrary& library = Library();
    if (!library.Load()) return;
    HH_POPUP popup{};
    popup.cbStruct = sizeof(popup);
    popup.hinst = nullptr;
    popup.idString = static_cast<UINT>(context);
    popup.pszText = nullptr;
    popup.pt = {x, y};
    popup.clrForeground = static_cast<COLORREF>(-1);
    popup.clrBackground = static_cast<COLORREF>(-1);
    popup.rcMargins = {-1, -1, -1, -1};
    popup.pszFont = nullptr;
    if (library.Call(ownerWindow_, helpFile_ + L"::/cshelp.txt", HH_DISPLAY_TEXT_POPUP,
                     reinterpret_cast<DWORD_PTR>(&popup))) {
        return;
    }
    // Wine's library answers this request with no window; the user gets the same text from us.
    std::optional<std::wstring> text = ReadPopupText(helpFile_, context);
    if (!text) return;
    if (!library.Popup) library.Popup = std::make_unique<THelpPopup>();
    library.Popup->Show(*text, POINT{x, y}, ownerWindow_);
}

void THTMLHelp::ShowPopupAtCursor(int32_t context) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ShowPopup(context, cursor.x, cursor.y + 20);
}

void FinalizeHTMLHelp() { Library().Unload(); }

THtmlHelpObserver SetHtmlHelpObserver(THtmlHelpObserver observer) {
    return std::exchange(Library().Observer, observer);
}

const wchar_t* SetHelpLibraryName(const wchar_t* name) {
    return std::exchange(Library().FileName, name ? name : L"hhctrl.ocx");
}

HMODULE HelpLibraryModule() { return Library().Module.get(); }
