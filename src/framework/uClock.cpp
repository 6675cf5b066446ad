#include "uClock.h"
#include <windows.h>

namespace {
NowSourceFunc g_nowSource = nullptr;
// Days between the FILETIME epoch (1601-01-01) and the date-time epoch (1899-12-30).
constexpr double kEpochOffsetDays = 109205.0;
constexpr double kTicksPerDay = 864000000000.0;
}  // namespace

TDateTime SystemNow() {
    FILETIME utc, local;
    ::GetSystemTimeAsFileTime(&utc);
    ::FileTimeToLocalFileTime(&utc, &local);
    ULARGE_INTEGER ticks;
    ticks.LowPart = local.dwLowDateTime;
    ticks.HighPart = local.dwHighDateTime;
    return static_cast<double>(ticks.QuadPart) / kTicksPerDay - kEpochOffsetDays;
}

TDateTime Now() { return g_nowSource ? g_nowSource() : SystemNow(); }

NowSourceFunc SetNowSource(NowSourceFunc source) {
    NowSourceFunc previous = g_nowSource;
    g_nowSource = source;
    return previous;
}
