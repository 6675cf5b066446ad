// The hidden engine window "Memory Engine": the heartbeat timer and scheduler, the
// free-up worker it owns, the handlers of the worker's messages and the status.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include "engine/uEngineSchedule.h"
#include "engine/uEngineStatus.h"
#include "engine/uFreeThread.h"
#include "framework/uClock.h"
#include "framework/uTimer.h"
#include "framework/uWindow.h"
#include "tray/uTrayIcons.h"

class TfrmEngine : public TWindowBase {
public:
    // FormCreate: creates the hidden window, starts the timer and listens to the options.
    TfrmEngine();
    // FormDestroy: stops listening, stops the worker, removes the icons.
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
    // FormCloseQuery and FormClose: saves the options and ends the start-up form.
    void Close();

    // The 250 ms heartbeat; disabled only on the fatal path.
    TTimer Timer{TimerIntervalMs};

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
    const TTrayIconResource* StatusTrayIcon() const noexcept { return statusTrayIcon_.get(); }
    const TTrayIconMemory* MemoryTrayIcon() const noexcept { return memoryTrayIcon_.get(); }
    const TTrayIconCPU* CpuTrayIcon() const noexcept { return cpuTrayIcon_.get(); }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
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

    // Windows and menus that do not exist yet: the main window shows the detail line and,
    // like the Free-and-Run dialog, a chart repainted at each sampling step; the icons'
    // double click opens the main window, their right click the tray menu.
    void ShowMainWindowStatus(const std::wstring& line);
    void RepaintOpenCharts();
    void ShowMainWindow();
    void PopupIconMenu();

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
};
