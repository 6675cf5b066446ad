#include "fLaunchForm.h"
#include "engine/fEngineForm.h"
#include "framework/uApplication.h"
#include "framework/uCommandLine.h"
#include "framework/uOwnMessages.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"
#include "ui/uKorvixWindows.h"
#include "ui/uSkinService.h"
#include "ui/uWindowContext.h"

namespace {
// The composition root: the one skin service, the engine as the windows ask it (through the
// engine window's messages) and the options, handed to every window of src/ui.
TKorvixWindows& KorvixWindows() {
    static TSkinService skins;
    static TEngineMessages engine([] { return EngineWindow; });
    static TKorvixWindows windows(TWindowContext{*Options, engine, skins});
    return windows;
}
}  // namespace

TForm::CreateParams TfrmLaunch::FormParams() {
    return {.className = L"TfrmLaunch",
            .style = WS_POPUP,
            .x = (::GetSystemMetrics(SM_CXSCREEN) - 120) / 2,
            .y = (::GetSystemMetrics(SM_CYSCREEN) - 69) / 2,
            .width = 120,
            .height = 69};
}

void TfrmLaunch::FormCreate() {
    ::SetWindowPos(Handle(), nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Application.SetTitle(ProductName);
    LaunchWindow = Handle();
    // The rest runs once the message loop is going.
    ::PostMessageW(Handle(), WM_LAUNCHSTART, 0, OwnMessageKey());
}

LRESULT TfrmLaunch::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        // Another launch would find our own engine as "the running copy" and end the program
        // without its final save: only our own message counts, and only once.
        case WM_LAUNCHSTART:
            if (IsOwnMessage(lParam) && !launched_) LaunchStart();
            return 0;
        case WM_CLOSE:
            // Closing this form ends the program. While the engine runs, only the engine's own
            // close may do that: any process can post WM_CLOSE to a window of ours, and the
            // engine's close is the one that saves and says goodbye to the tray.
            if (const TfrmEngine* engine = Application.FindForm<TfrmEngine>(); engine && !engine->Closed()) return 0;
            break;
    }
    return TForm::WndProc(msg, wParam, lParam);
}

void TfrmLaunch::LaunchStart() {
    launched_ = true;
    ::ShowWindow(Application.Handle(), SW_HIDE);
    Hide();
    if (FirstParameter() == L"quit") {
        CloseRunningInstance();
        if (Options) Options->SkipFinalSave();
        Application.Terminate();
        return;
    }
    if (FindRunningInstance()) {
        if (Options) Options->SkipFinalSave();
        Application.Terminate();
        return;
    }
    TfrmEngine* engine = Application.CreateForm<TfrmEngine>(*Options, EngineWindows());
    KorvixWindows().ConnectEngine(*engine);
}

// The windows above the engine: the main window and the Free-and-Run manager.
IEngineWindows& TfrmLaunch::EngineWindows() { return KorvixWindows(); }
