// The scheduler half of the engine window: the heartbeat, the kinds of free-up and the
// one operation that starts and stops workers.
#include "fEngineForm.h"
#include "framework/uCommandLine.h"
#include "framework/uTrace.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "probes/jovCPUUsage.h"

namespace {
constexpr const wchar_t* kAutostartParameter = L"autostart";
}  // namespace

void TfrmEngine::TimerTimer() {
    if (fatal_) return;
    if (meter_.Due(Now())) CompleteMeasurement();
    ++tickCount_;
    if (IsSamplingTick(tickCount_, options_.ChartInterval())) SamplingStep();
    if (!startupDecided_) StartupFreeUp();
    if (options_.BackgroundActivity()) {
        if (options_.Critical()) CriticalCheck();
        if (options_.Regular() && Now() >= options_.NextRegular()) RegularFreeUp();
    } else if (options_.Regular() && Now() >= options_.NextRegular()) {
        // No free-up without background activity, and no catch-up when it returns.
        MoveRegularOn();
    }
}

void TfrmEngine::SamplingStep() {
    tickCount_ = 0;
    SampleProbes();
    tray_.RefreshAfterSampling();
    windows_.RepaintCharts();
    if (++sampleCount_ >= SamplesPerCpuRefresh) {
        sampleCount_ = 0;
        try {
            RefreshCPUUsage();
        } catch (const Exception& e) {
            // The probes degrade rather than fail: without the statistic every read counts as
            // full load, which the processor icon shows.
            DebugTrace(std::wstring(e.ClassName()) + L": " + e.Message());
        }
    }
}

// A failed reading is not memory exhausted: this tick decides nothing.
void TfrmEngine::CriticalCheck() {
    const std::optional<uint64_t> available = AvailPhysBytes();
    if (memoryReading_.Note(available.has_value())) UpdateStatus();
    if (available && CriticalDue(TotalPhysMB, *available, options_.CriticalTriggerMB())) CriticalFreeUp();
}

// ---- Kinds ----
void TfrmEngine::CriticalFreeUp() {
    if (worker_.Current()) return;
    StartFreeUpOfKind(FreeUpKind::Critical);
}

void TfrmEngine::RegularFreeUp() {
    // A running worker delays the due free-up to a later tick; the schedule stays.
    if (worker_.Current()) return;
    StartFreeUpOfKind(FreeUpKind::Regular);
    MoveRegularOn();
}

void TfrmEngine::StartupFreeUp() {
    startupDecided_ = true;
    if (options_.Startup() && !worker_.Current() && FirstParameter() == kAutostartParameter)
        StartFreeUpOfKind(FreeUpKind::Startup);
}

void TfrmEngine::ManualFreeUp(int32_t position) { StartFreeUpOfKind(FreeUpKind::Manual, position); }

void TfrmEngine::StartFreeUpOfKind(FreeUpKind kind, int32_t argument) {
    StartFreeUp(FreeUpParamsFor(kind, options_, TotalPhysMB, argument));
}

// ---- Workers ----
// After the fatal path the engine frees up nothing more. The running free-up is stopped
// (its block given back) before the reading that the new one's result starts from.
void TfrmEngine::StartFreeUp(const TFreeUpParams& params) {
    worker_.Stop();
    worker_.DispatchQueued();
    const bool start = !fatal_ && BlockSizeAllowed(params.SizeMB, TotalPhysMB);
    const std::optional<uint64_t> before = start ? AvailPhysBytes() : std::nullopt;
    if (worker_.Start(params, start)) {
        meter_.Begin(worker_.LastStarted(), before, params.UserAsked, params.IdleWait || params.CountdownSeconds > 0);
    } else if (!fatal_ && RefusedBySizeLimit(params.SizeMB)) {
        TellSizeLimit(params);
    }
}

void TfrmEngine::StopFreeUp() { worker_.Stop(); }

// ---- Regular schedule ----
void TfrmEngine::RescheduleRegular() {
    if (!options_.Regular()) {
        lastRegularInterval_ = 0;
        return;
    }
    if (options_.RegularInterval() == lastRegularInterval_) return;
    lastRegularInterval_ = options_.RegularInterval();
    MoveRegularOn();
}

void TfrmEngine::MoveRegularOn() { options_.SetNextRegular(NextRegularFrom(Now(), options_.RegularInterval())); }
