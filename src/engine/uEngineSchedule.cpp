#include "uEngineSchedule.h"
#include <algorithm>
#include <limits>
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"

namespace {
using Getter = int64_t (*)(const TKorvixOptions&);
using SizeRule = int64_t (*)(const TKorvixOptions&, int32_t totalPhysMB, int32_t argument);

// What each kind of free-up passes to StartFreeUp.
struct KindRow {
    FreeUpKind kind;
    SizeRule sizeMB;
    bool idleWait;
    Getter idleSeconds;
    Getter allowedPercent;
    Getter enforce;
    int32_t passes;
    Getter countdown;
    bool userAsked;
};

#define GET(expr)                            \
    [](const TKorvixOptions& o) -> int64_t { \
        (void)o;                             \
        return expr;                         \
    }
#define SIZE(expr)                                                   \
    [](const TKorvixOptions& o, int32_t t, int32_t arg) -> int64_t { \
        (void)o, (void)t, (void)arg;                                 \
        return expr;                                                 \
    }
const KindRow kKindRows[] = {
    {FreeUpKind::Critical, SIZE(int64_t{t} - o.CriticalFreeUpMB()), true, GET(o.CriticalIdleSeconds()),
     GET(o.CriticalIdlePercent()), GET(o.CriticalIdleEnforce()), 1, GET(1), false},
    {FreeUpKind::Regular, SIZE(int64_t{t} - o.RegularFreeUpMB()), true, GET(o.RegularIdleSeconds()),
     GET(o.RegularIdlePercent()), GET(o.RegularIdleEnforce()), 2, GET(0), false},
    {FreeUpKind::Startup, SIZE(int64_t{t} - o.StartupFreeUpMB()), true, GET(o.StartupIdleSeconds()),
     GET(o.StartupIdlePercent()), GET(o.StartupIdleEnforce()), 2, GET(o.StartupWait()), false},
    // A preset, a Free-and-Run entry: the argument is the slider position.
    // A position below 1 would free all of memory or more.
    {FreeUpKind::Manual, SIZE(int64_t{t} - std::max(arg, 1)), false, GET(0), GET(0), GET(false), 2, GET(0), true},
    // The main window's request: the argument is the size itself.
    {FreeUpKind::Request, SIZE(arg), false, GET(0), GET(0), GET(true), 1, GET(0), true},
};
#undef SIZE
#undef GET

// Sizes outside the 32-bit range start nothing, like any other size the limits refuse.
int32_t ToSizeMB(int64_t megabytes) {
    if (megabytes < 0) return 0;
    if (megabytes > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(megabytes);
}
}  // namespace

TFreeUpParams FreeUpParamsFor(FreeUpKind kind, const TKorvixOptions& options, int32_t totalPhysMB, int32_t argument) {
    for (const KindRow& row : kKindRows) {
        if (row.kind != kind) continue;
        return {ToSizeMB(row.sizeMB(options, totalPhysMB, argument)),
                row.idleWait,
                static_cast<int32_t>(row.idleSeconds(options)),
                static_cast<int32_t>(row.allowedPercent(options)),
                row.enforce(options) != 0,
                row.passes,
                static_cast<uint32_t>(row.countdown(options)),
                row.userAsked};
    }
    return {};
}

bool BlockSizeAllowed(int32_t sizeMB, int32_t totalPhysMB, bool wideBlocks) {
    if (sizeMB <= 0) return false;
    return wideBlocks ? sizeMB <= totalPhysMB : sizeMB < 2046;
}

bool RefusedBySizeLimit(int32_t sizeMB, bool wideBlocks) { return !wideBlocks && sizeMB >= 2046; }

bool IsSamplingTick(int32_t tickCount, int32_t chartIntervalMs) {
    return int64_t{tickCount} * TimerIntervalMs >= chartIntervalMs;
}

bool CriticalDue(int32_t totalPhysMB, uint64_t availPhysBytes, uint32_t criticalTriggerMB) {
    // A reading above the measured total (memory added to a running virtual machine)
    // means nothing is used, not a wrapped-around huge amount.
    int64_t usedMB = int64_t{totalPhysMB} - static_cast<int64_t>(availPhysBytes >> 20);
    return usedMB >= 0 && static_cast<uint64_t>(usedMB) >= criticalTriggerMB;
}

bool TMemoryReadingWatch::Note(bool read) noexcept {
    const bool before = Failing();
    failures_ = read ? 0 : std::min(failures_ + 1, FailuresTold);
    return Failing() != before;
}

TDateTime NextRegularFrom(TDateTime now, int32_t intervalMinutes) {
    return TruncToMinute(now + MinutesToDays(static_cast<uint32_t>(intervalMinutes)));
}
