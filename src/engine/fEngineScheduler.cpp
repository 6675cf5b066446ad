// The scheduler half of the engine window: the heartbeat, the kinds of free-up and
// the one operation that starts and stops workers.
#include "fEngineForm.h"
#include "framework/uCommandLine.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"
#include "probes/jovCPUUsage.h"

namespace {
constexpr const wchar_t* kTrayClassName = L"Shell_TrayWnd";
constexpr const wchar_t* kAutostartParameter = L"autostart";
// In the order a worker posts them.
constexpr UINT kWorkerMessages[] = {WM_FREEUPPREWAIT, WM_FREEUPCPULOAD, WM_FREEUPIDLEWAIT, WM_FREEUPPROGRESS,
                                    WM_FREEUPFATAL,   WM_FREEUPENDED,   WM_FREEUPFINISHED, WM_FREEUPERROR};
}  // namespace

void TfrmEngine::TimerTimer() {
    if (!Options) return;
    ++tickCount_;
    if (IsSamplingTick(tickCount_, Options->ChartInterval())) SamplingStep();
    if (!startupDecided_) StartupFreeUp();
    if (Options->BackgroundActivity()) {
        if (Options->Critical() && CriticalDue(TotalPhysMB, AvailPhysBytes(), Options->CriticalTriggerMB()))
            CriticalFreeUp();
        if (Options->Regular() && Now() >= Options->NextRegular()) RegularFreeUp();
    } else if (Options->Regular() && Now() >= Options->NextRegular()) {
        // No free-up without background activity, and no catch-up when it returns.
        MoveRegularOn();
    }
}

HWND TfrmEngine::FindTrayWindow() { return ::FindWindowW(kTrayClassName, nullptr); }

void TfrmEngine::SamplingStep() {
    HWND tray = FindTrayWindow();
    bool trayChanged = tray != trayWindow_;
    if (trayChanged) trayWindow_ = tray;
    tickCount_ = 0;
    SampleProbes();
    RefreshIconsAfterSampling(trayChanged);
    RepaintOpenCharts();
    if (++sampleCount_ >= SamplesPerCpuRefresh) {
        sampleCount_ = 0;
        RefreshCPUUsage();
    }
}

// ---- Kinds ----
void TfrmEngine::CriticalFreeUp() {
    if (worker_) return;
    StartFreeUpOfKind(FreeUpKind::Critical);
}

void TfrmEngine::RegularFreeUp() {
    // A running worker delays the due free-up to a later tick; the schedule stays.
    if (worker_) return;
    StartFreeUpOfKind(FreeUpKind::Regular);
    MoveRegularOn();
}

void TfrmEngine::StartupFreeUp() {
    startupDecided_ = true;
    if (Options->Startup() && !worker_ && FirstParameter() == kAutostartParameter)
        StartFreeUpOfKind(FreeUpKind::Startup);
}

void TfrmEngine::ManualFreeUp(int32_t position) { StartFreeUpOfKind(FreeUpKind::Manual, position); }

void TfrmEngine::StartFreeUpOfKind(FreeUpKind kind, int32_t argument) {
    if (!Options) return;
    StartFreeUp(FreeUpParamsFor(kind, *Options, TotalPhysMB, argument));
}

// ---- Workers ----
void TfrmEngine::StartFreeUp(const TFreeUpParams& params) {
    StopFreeUp();
    DispatchQueuedWorkerMessages();
    // After the fatal path (timer off) the engine frees up nothing more.
    if (Timer.Enabled() && BlockSizeAllowed(params.SizeMB, TotalPhysMB)) {
        status_.WaitingForIdle = false;
        status_.PreWaiting = false;
        auto worker = std::make_unique<TFreeThread>();
        worker->Window = Handle();
        worker->WaitForIdle = params.IdleWait;
        worker->IdleSeconds = params.IdleSeconds;
        worker->AllowedCpu = params.AllowedPercent;
        worker->Enforce = params.Enforce;
        worker->BlockSize = static_cast<TBlockOffset>(params.SizeMB) * 1048576;
        worker->Passes = params.Passes;
        worker->PreWaitSeconds = params.CountdownSeconds;
        worker_ = std::move(worker);
        worker_->Resume();
    }
    status_.AllowedCpu = static_cast<uint32_t>(params.AllowedPercent);
    status_.CpuLoad = 100;
    UpdateStatus();
}

void TfrmEngine::StopFreeUp() {
    if (!worker_) return;
    worker_->Terminate();
    FreeWorker();
}

void TfrmEngine::FreeWorker() {
    worker_->WaitFor();
    worker_.reset();
}

// The end messages carry no worker identity. While no worker exists, every worker message in
// the queue comes from one that has ended: handle them now, before a successor starts, so
// that none of them can stop or wait for it.
void TfrmEngine::DispatchQueuedWorkerMessages() {
    MSG msg;
    for (UINT id : kWorkerMessages) {
        while (::PeekMessageW(&msg, Handle(), id, id, PM_REMOVE))
            HandleWorkerMessage(msg.message, msg.wParam, msg.lParam);
    }
}

// ---- Regular schedule ----
void TfrmEngine::RescheduleRegular() {
    if (!Options->Regular()) {
        lastRegularInterval_ = 0;
        return;
    }
    if (Options->RegularInterval() == lastRegularInterval_) return;
    lastRegularInterval_ = Options->RegularInterval();
    MoveRegularOn();
}

void TfrmEngine::MoveRegularOn() { Options->SetNextRegular(NextRegularFrom(Now(), Options->RegularInterval())); }
