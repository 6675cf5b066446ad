// The scheduler's rules as plain functions: what each kind of free-up asks of a
// worker, which block sizes may run, when a tick samples, when memory is critical
// and when the next regular free-up falls.
#pragma once
#include <cstdint>
#include "framework/uClock.h"

class TKorvixOptions;

enum class FreeUpKind { Critical, Regular, Startup, Manual, Request };

// The parameters of StartFreeUp, in its order.
struct TFreeUpParams {
    int32_t SizeMB = 0;
    bool IdleWait = false;
    int32_t IdleSeconds = 0;
    int32_t AllowedPercent = 0;
    bool Enforce = false;
    int32_t Passes = 1;
    uint32_t CountdownSeconds = 0;
    // Asked for by the user (a preset, a hotkey, the main window, Free-and-Run): its result
    // and a refusal are told in a balloon; automatic kinds only note their result.
    bool UserAsked = false;
    bool operator==(const TFreeUpParams&) const = default;
};

// `argument`: the slider position of a manual free-up, the size in MB of a request;
// unused by the automatic kinds.
TFreeUpParams FreeUpParamsFor(FreeUpKind kind, const TKorvixOptions& options, int32_t totalPhysMB,
                              int32_t argument = 0);

// The 32-bit build keeps blocks below 2046 MB (its offsets are 32-bit); the 64-bit
// build takes any size up to the physical memory.
constexpr bool kWideBlocks = sizeof(void*) > 4;
bool BlockSizeAllowed(int32_t sizeMB, int32_t totalPhysMB, bool wideBlocks = kWideBlocks);
// A size that only the 32-bit limit refuses (2046 MB and more): the user is told why.
bool RefusedBySizeLimit(int32_t sizeMB, bool wideBlocks = kWideBlocks);

constexpr int32_t TimerIntervalMs = 250;
// Whether the tick that brought the count to `tickCount` is a sampling step.
bool IsSamplingTick(int32_t tickCount, int32_t chartIntervalMs);
// Sampling steps between two refreshes of the processor sampler.
constexpr int32_t SamplesPerCpuRefresh = 10;

// Used memory in whole megabytes at or above the trigger.
bool CriticalDue(int32_t totalPhysMB, uint64_t availPhysBytes, uint32_t criticalTriggerMB);

// The critical check's memory readings: a failed one decides nothing, and once they have
// failed for `FailuresTold` ticks in a row the status says so, until one succeeds again.
class TMemoryReadingWatch {
public:
    static constexpr int FailuresTold = 8;  // two seconds of ticks
    // Answers whether Failing changed.
    bool Note(bool read) noexcept;
    bool Failing() const noexcept { return failures_ >= FailuresTold; }

private:
    int failures_ = 0;
};

// Now plus the interval, cut to the minute.
TDateTime NextRegularFrom(TDateTime now, int32_t intervalMinutes);
