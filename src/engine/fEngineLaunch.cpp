// The Free-and-Run launch: free the entry's amount behind a splash, then start its program.
#include <windows.h>
#include <shellapi.h>
#include "engine/fEngineForm.h"
#include "engine/fFARLaunch.h"
#include "framework/uApplication.h"
#include "framework/uText.h"
#include "legacy/uKorvixOptions.h"
#include "settings/uFreeAndRunList.h"

std::wstring FreeUpProgressText(uint32_t percent) {
    return ReplaceAll(L"Free-up: %1%", L"%1", std::to_wstring(percent));
}

void TfrmEngine::StartFreeAndRun(TFreeAndRunItem& entry) {
    if (launchSplash_) return;  // one launch at a time
    StopFreeUp();
    // The stopped worker's end messages are handled now, while no launch is pending.
    Application.ProcessMessages();
    if (launchSplash_) return;  // a launch started while the queue was dispatched
    launchSplash_ = Application.CreateForm<TfrmFARLaunch>();
    launchSplash_->Entry = &entry;
    launchSplash_->FileToRun = entry.FileToRun;
    launchSplash_->SetLaunchingText(ReplaceAll(L"Launching %1", L"%1", entry.DisplayName()));
    launchSplash_->SetStatusText(FreeUpProgressText(0));
    launchSplash_->Show();
    ManualFreeUp(entry.MBToFree);
    // An amount outside the sizes a worker takes starts nothing, and no end message would
    // ever come: start the program now rather than leave the launch pending.
    if (!worker_) RunPendingProgram();
}

void TfrmEngine::RunPendingProgram() {
    if (!launchSplash_) return;
    TfrmFARLaunch* splash = launchSplash_;
    splash->SetStatusText(L"Starting program...");
    splash->RepaintNow();
    // The path verbatim, no parameters: nothing in a path can become an argument. A failure
    // (file gone, no association) is not reported: the splash closes all the same.
    ::ShellExecuteW(nullptr, nullptr, splash->FileToRun.c_str(), nullptr, nullptr, SW_SHOW);
    launchSplash_ = nullptr;
    Application.DestroyForm(splash);
}
