// Shows one of the program's skinned dialogs, as the program does (the engine window holds the
// shared skin control), for the screenshots in docs/screens (tools/dialog_screenshots.sh).
// Not a test: it prints the window's rectangle and "ready", then runs until SECONDS pass.
//   dialog_screen_demo hotkey|defaults|freeandrun SKINFILE SECONDS
#include <windows.h>
#include <cstdio>
#include <string>
#include "engine/fEngineForm.h"
#include "framework/uApplication.h"
#include "framework/uException.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "ui/fAskDefaults.h"
#include "ui/fFreeAndRun.h"
#include "ui/fHotkey2.h"
#include "ui/uSkinService.h"
#include "ui/uWindowContext.h"

namespace {
TSkinService& Skins();

class NoWindows final : public IEngineWindows {
public:
    HWND ShowMainWindow() override { return nullptr; }
    HWND FindMainWindow() override { return nullptr; }
    void ShowStatusLine(const std::wstring&) override {}
    void RepaintCharts() override { RepaintFreeAndRunChart(); }
    void ShowFreeAndRunDialog() override {}
    void FreeWindows() override {
        FreeFreeAndRunDialog();
        Skins().ShareDialogSkinOf(nullptr);
    }
};

class StandInMain : public TForm {
protected:
    CreateParams FormParams() override {
        return {
            .className = L"KorvixDemoMain", .style = WS_OVERLAPPEDWINDOW, .x = 0, .y = 0, .width = 760, .height = 560};
    }
};

// As the program's composition root makes them: one skin service, sharing the engine's control.
TSkinService& Skins() {
    static TSkinService skins;
    return skins;
}
TfrmEngine*& Engine() {
    static TfrmEngine* engine = nullptr;
    return engine;
}
TWindowContext Context() {
    static TEngineMessages requests([] { return EngineWindow; });
    return {*Options, requests, Skins()};
}

void Pump(DWORD ms) {
    DWORD end = ::GetTickCount() + ms;
    while (int(end - ::GetTickCount()) > 0) {
        Application.ProcessMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void AddEntry(const wchar_t* name, const wchar_t* file, int32_t position) {
    auto entry = std::make_unique<TFreeAndRunItem>();
    entry->Name = name;
    entry->FileToRun = file;
    entry->MBToFree = position;
    Options->AddFreeAndRun(std::move(entry));
}

TfrmSkinned* ShowDialog(const std::wstring& kind, TForm& owner) {
    if (kind == L"hotkey") {
        auto* d = Application.CreateForm<TfrmHotkey2>(&owner, Skins());
        d->SetHotKey(Options->Hotkey1());
        d->UseSkin(Options->SkinFileName());
        d->Show();
        d->HotKeyControl->SetFocus();
        return d;
    }
    if (kind == L"defaults") {
        auto* d = Application.CreateForm<TfrmAskDefaults>(&owner, Skins());
        d->UseSkin(Options->SkinFileName());
        d->Show();
        d->cmdYes->SetFocus();
        return d;
    }
    TFreeAndRunList& list = Options->FreeAndRunList();
    while (list.Count() > 0) list.Remove(&list.Items(0));
    AddEntry(L"Text editor", L"C:\\windows\\notepad.exe", TotalPhysMB - 256);
    AddEntry(L"", L"C:\\windows\\regedit.exe", TotalPhysMB / 2);
    AddEntry(L"Help viewer", L"C:\\windows\\hh.exe", TotalPhysMB - 1024);
    ShowFreeAndRunDialog(Engine(), Context());
    TfrmFreeAndRun* d = FindFreeAndRunDialog();
    Pump(200);
    d->txtName->SetFocus();
    return d;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::printf("usage: dialog_screen_demo hotkey|defaults|freeandrun SKINFILE SECONDS\n");
        return 2;
    }
    try {
        InitializeGlobals();
        InitializeOptions();
        Options->SkipFinalSave();
        Options->SetSkin(argv[2]);
        Application.Initialize();
        NoWindows windows;
        auto* main = Application.CreateForm<StandInMain>();
        Engine() = Application.CreateForm<TfrmEngine>(*Options, windows);
        Skins().ShareDialogSkinOf(Engine());
        // The engine samples once a second; a few samples draw the chart.
        Pump(3500);
        TfrmSkinned* dialog = ShowDialog(argv[1], *main);
        ::SendMessageW(dialog->Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
        Pump(800);
        RECT r{};
        ::GetWindowRect(dialog->Handle(), &r);
        std::printf("window %ld %ld %ld %ld\nready\n", r.left, r.top, r.right, r.bottom);
        std::fflush(stdout);
        Pump(DWORD(_wtoi(argv[3])) * 1000);
        Application.Shutdown();
        FinalizeOptions();
        FinalizeGlobals();
    } catch (const Exception& e) {
        std::printf("%ls\n", e.Message().c_str());
        return 1;
    }
    return 0;
}
