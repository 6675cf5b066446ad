// The hidden engine window "Memory Engine": the heartbeat timer and scheduler, the
// free-up worker it owns, the handlers of the worker's messages and the status, the
// tray icons, the tray menu and the hotkeys, and the Free-and-Run launch.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include "engine/uEngineSchedule.h"
#include "engine/uEngineStatus.h"
#include "engine/uFreeThread.h"
#include "engine/uHotkeys.h"
#include "engine/uTrayMenu.h"
#include "framework/uClock.h"
#include "framework/uForm.h"
#include "framework/uMenu.h"
#include "framework/uTimer.h"
#include "tray/uTrayIcons.h"

class TFreeAndRunItem;
class TfrmFARLaunch;

// The shell's "TaskbarCreated" broadcast, registered once.
UINT TaskbarCreatedMessage();
// The splash's progress line: "Free-up: 37%".
std::wstring FreeUpProgressText(uint32_t percent);

// Created through the application (Application.CreateForm), which runs FormCreate once the
// window exists and FormDestroy before it goes.
class TfrmEngine : public TForm {
public:
    TfrmEngine();
    ~TfrmEngine() override;

    // ---- Scheduler ----
    void TimerTimer();
    void StartFreeUp(const TFreeUpParams& params);
    void StopFreeUp();
    void CriticalFreeUp();
    void RegularFreeUp();
    void StartupFreeUp();
    void ManualFreeUp(int32_t position);

    // ---- Window ----
    void RefreshFromOptions(uint32_t flags);
    void UpdateStatus();

    // ---- Tray menu, hotkeys, Free-and-Run ----
    void ShowMainWindow();
    void PopupIconMenu();
    void RegisterHotkeys();
    void UnregisterHotkeys();
    void StartFreeAndRun(TFreeAndRunItem& entry);
    void RunPendingProgram();
    TPopupMenu IconMenu;

    // The 250 ms heartbeat; disabled only on the fatal path.
    TTimer Timer{*this, TimerIntervalMs};

    // ---- State, for the other windows and for tests ----
    const TFreeThread* Worker() const noexcept { return worker_.get(); }
    TEngineState State() const;
    std::wstring StatusLine() const;
    const TStatusValues& StatusValues() const noexcept { return status_; }
    TDateTime StartTime() const noexcept { return startTime_; }
    int32_t TickCount() const noexcept { return tickCount_; }
    int32_t SampleCount() const noexcept { return sampleCount_; }
    bool StartupDecided() const noexcept { return startupDecided_; }
    int32_t LastRegularInterval() const noexcept { return lastRegularInterval_; }
    HWND TrayWindow() const noexcept { return trayWindow_; }
    const THotkeys& Hotkeys() const noexcept { return hotkeys_; }
    TfrmFARLaunch* LaunchSplash() const noexcept { return launchSplash_; }
    const TTrayIconResource* StatusTrayIcon() const noexcept { return statusTrayIcon_.get(); }
    const TTrayIconMemory* MemoryTrayIcon() const noexcept { return memoryTrayIcon_.get(); }
    const TTrayIconCPU* CpuTrayIcon() const noexcept { return cpuTrayIcon_.get(); }

protected:
    CreateParams FormParams() override;
    void FormCreate() override;
    bool FormCloseQuery() override;
    void FormClose() override;
    void FormDestroy() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // ---- Other messages ----
    LRESULT WMEngineActivate();
    void WMHotkey(int id);
    void WMEndSession(bool ending);
    void WMTaskbarCreated();
    void AppMessage(MSG& msg, bool& handled);
    TTrayMenuActions MenuActions();
    // ---- Message handlers ----
    bool HandleWorkerMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void WMFreeUpFinished();
    void WMFreeUpFatal(DWORD code);
    void WMFreeUpIdleWait(uint32_t secondsLeft);
    void WMFreeUpProgress(uint32_t percent);
    void WMFreeUpCpuLoad(uint32_t load, uint32_t allowed);
    void WMFreeUpPreWait(uint32_t elapsed, uint32_t total);
    void WMFreeUpEnded();
    void WMFreeUpError(TThreadError* error);
    void WMFreeUpRequest(WPARAM sizeMB);

    // ---- Tray icons ----
    void UpdateStatusIcon(TEngineState state);
    void RefreshTrayIcons();
    void RefreshIconsAfterSampling(bool trayChanged);
    void FreeTrayIcons();
    template <typename Icon>
    std::unique_ptr<Icon> CreateTrayIcon();

    // ---- Scheduler steps ----
    static HWND FindTrayWindow();
    void SamplingStep();
    void StartFreeUpOfKind(FreeUpKind kind, int32_t argument = 0);
    void RescheduleRegular();
    void MoveRegularOn();
    void FreeWorker();
    void DispatchQueuedWorkerMessages();

    // The skinned main window and the Free-and-Run dialog do not exist yet: the main
    // window would show the detail line and, like the dialog, a chart repainted at each
    // sampling step. Until they exist there is nothing to show or repaint.
    void ShowMainWindowStatus(const std::wstring& line);
    void RepaintOpenCharts();

    std::unique_ptr<TFreeThread> worker_;
    TStatusValues status_;
    TDateTime startTime_ = 0;
    int32_t tickCount_ = 0;
    int32_t sampleCount_ = 0;
    bool startupDecided_ = false;
    int32_t lastRegularInterval_ = 0;
    HWND trayWindow_ = nullptr;
    std::unique_ptr<TTrayIconMemory> memoryTrayIcon_;
    std::unique_ptr<TTrayIconCPU> cpuTrayIcon_;
    std::unique_ptr<TTrayIconResource> statusTrayIcon_;
    THotkeys hotkeys_;
    TfrmFARLaunch* launchSplash_ = nullptr;  // owned by the application
    int appMessageHook_ = 0;
};
