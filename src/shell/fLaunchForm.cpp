#include "fLaunchForm.h"
#include "engine/fEngineForm.h"
#include "framework/uApplication.h"
#include "framework/uCommandLine.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"
#include "ui/fFreeAndRun.h"

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
    ::PostMessageW(Handle(), WM_LAUNCHSTART, 0, 0);
}

LRESULT TfrmLaunch::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_LAUNCHSTART) {
        LaunchStart();
        return 0;
    }
    return TForm::WndProc(msg, wParam, lParam);
}

void TfrmLaunch::LaunchStart() {
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
    Application.CreateForm<TfrmEngine>(*Options, EngineWindows());
}

namespace {
// The windows above the engine as far as they exist. The skinned main window (src/ui) is
// not built yet: until it is, there is no main window to show, find or tell the status.
// The Free-and-Run manager is.
class TWindowsNotBuilt final : public IEngineWindows {
public:
    HWND ShowMainWindow() override { return nullptr; }
    HWND FindMainWindow() override { return nullptr; }
    void ShowStatusLine(const std::wstring&) override {}
    void RepaintCharts() override { RepaintFreeAndRunChart(); }
    void ShowFreeAndRunDialog() override { ::ShowFreeAndRunDialog(); }
    void FreeWindows() override { FreeFreeAndRunDialog(); }
};
}  // namespace

IEngineWindows& TfrmLaunch::EngineWindows() {
    static TWindowsNotBuilt windows;
    return windows;
}
