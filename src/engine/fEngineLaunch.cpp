// The Free-and-Run launch: free the entry's amount behind a splash, then start its program.
// A launch is completed only by the end of the free-up started for it (or of that free-up
// replaced by a preset, a hotkey or a request, which ends the launch early), and a launch
// still pending when the program ends starts nothing.
#include "engine/fEngineForm.h"
#include "engine/fFARLaunch.h"
#include "framework/uApplication.h"
#include "framework/uException.h"
#include "framework/uMessageBox.h"
#include "framework/uPaths.h"
#include "framework/uShell.h"
#include "framework/uText.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"
#include "settings/uFreeAndRunList.h"

std::wstring FreeUpProgressText(uint32_t percent) {
    return ReplaceAll(L"Free-up: %1%", L"%1", std::to_wstring(percent));
}

void TfrmEngine::StartFreeAndRun(TFreeAndRunItem& entry) {
    if (launchSplash_ || fatal_) return;  // one launch at a time
    StopFreeUp();
    // The stopped worker's end messages are handled now, while no launch is pending. A timer
    // tick or a hotkey among them may start another worker: the launch is not its own yet,
    // so its end cannot complete the launch.
    Application.ProcessMessages();
    if (launchSplash_ || fatal_) return;  // a launch started, or the program failed, meanwhile
    TfrmFARLaunch* splash = Application.CreateForm<TfrmFARLaunch>();
    launchSplash_ = splash;
    launchWorker_ = 0;
    // The application may free the splash first when the program ends: then forget it.
    splash->OnDestroy = [this](TForm&) {
        launchSplash_ = nullptr;
        launchWorker_ = 0;
    };
    splash->Entry = &entry;
    splash->FileToRun = entry.FileToRun;
    splash->SetLaunchingText(ReplaceAll(L"Launching %1", L"%1", entry.DisplayName()));
    splash->SetStatusText(FreeUpProgressText(0));
    splash->Show();
    ManualFreeUp(entry.MBToFree);
    if (Worker()) {
        launchWorker_ = worker_.LastStarted();
    } else {
        // An amount outside the sizes a worker takes starts nothing, and no end message would
        // ever come: start the program now rather than leave the launch pending.
        RunPendingProgram();
    }
}

// The end being handled is the newest worker's; the launch's own when it is that worker.
bool TfrmEngine::LaunchEndsNow() const {
    return launchSplash_ && launchWorker_ != 0 && launchWorker_ == worker_.LastStarted();
}

std::wstring LaunchFailedText(const std::wstring& file, DWORD errorCode) {
    // The path on a line of its own: a message box breaks a long path anywhere.
    return FormatText(L"Korvix Professional could not start this program:\r\n%1\r\n%2",
                      {file, SystemErrorText(errorCode)});
}

// The launch is over before the shell is called: the shell may run a message loop of its own
// (a security prompt, a slow network path), in which another end message or a click must find
// no launch to run twice and no splash to use after it is freed.
void TfrmEngine::RunPendingProgram() {
    if (!launchSplash_) return;
    launchSplash_->SetStatusText(L"Starting program...");
    launchSplash_->RepaintNow();
    const std::wstring file = launchSplash_->FileToRun;
    CancelLaunch();
    // In its own folder, as Explorer starts it: programs find their files beside them. A
    // path without its folder (stored by hand) would run whatever file of that name the
    // current folder holds: it is not found.
    const DWORD error = IsFullPath(file) ? ShellOpen(file, FolderOf(file)) : ERROR_FILE_NOT_FOUND;
    if (error) ShowMessageBox(nullptr, LaunchFailedText(file, error), ProductName, MB_OK | MB_ICONERROR);
}

// Ends the pending launch, if any, without starting anything.
void TfrmEngine::CancelLaunch() {
    TfrmFARLaunch* splash = launchSplash_;
    launchSplash_ = nullptr;
    launchWorker_ = 0;
    if (!splash) return;
    splash->OnDestroy = nullptr;
    Application.DestroyForm(splash);
}
