// Context help through the system's HTML Help library: topics of the program's
// compiled help file and popup texts keyed by context number. The library is
// loaded from the system folder on first use, and again at the next call after a
// failed load. Where the library shows no popup (Wine), the same text from the
// help file's "cshelp.txt" is shown in a popup window of our own.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

class THTMLHelp {
public:
    const std::wstring& HelpFile() const { return helpFile_; }
    // A name without a backslash is taken from the program's folder.
    void SetHelpFile(const std::wstring& name);
    HWND OwnerWindow() const { return ownerWindow_; }
    void SetOwnerWindow(HWND window) { ownerWindow_ = window; }

    bool IsAvailable();
    // Opens a topic such as "manual.htm"; answers whether a help window opened.
    bool ShowTopic(const std::wstring& topic);
    // Shows the popup text of `context` with its top centre at (x, y), screen coordinates.
    void ShowPopup(int32_t context, int x, int y);
    // The same 20 pixels below the mouse pointer.
    void ShowPopupAtCursor(int32_t context);

private:
    std::wstring helpFile_;
    HWND ownerWindow_ = nullptr;
};

// The help file rule: `programFolder` (ending in a backslash or not) followed by `name`,
// unless `name` holds a backslash anywhere.
std::wstring HelpFilePath(const std::wstring& name, const std::wstring& programFolder);

// Uninitializes and releases the library, once at program end (also run at exit when
// nobody called it).
void FinalizeHTMLHelp();

// ---- Seams for tests ----
// Called with every request just before the library receives it.
using THtmlHelpObserver = void (*)(HWND caller, const std::wstring& file, UINT command, DWORD_PTR data);
THtmlHelpObserver SetHtmlHelpObserver(THtmlHelpObserver observer);
// The library file loaded from the system folder; nullptr restores "hhctrl.ocx". Answers the previous name.
const wchar_t* SetHelpLibraryName(const wchar_t* name);
// The library module while loaded, else none.
HMODULE HelpLibraryModule();
