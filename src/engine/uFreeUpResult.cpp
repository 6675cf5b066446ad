#include "uFreeUpResult.h"
#include <windows.h>
#include <cmath>
#include "framework/uText.h"
#include "legacy/uGlobals.h"

namespace {
int32_t WholeMB(uint64_t bytes) { return static_cast<int32_t>(std::min<uint64_t>(bytes >> 20, INT32_MAX)); }

std::wstring Fill(const wchar_t* text, const std::wstring& freed, const std::wstring& now, const std::wstring& was) {
    return FormatText(text, {freed, now, was});
}
}  // namespace

int64_t TFreeUpResult::FreedMB() const { return int64_t{WholeMB(AvailAfter)} - WholeMB(AvailBefore); }

std::wstring ResultBalloonText(const TFreeUpResult& result) {
    const std::wstring now = FormatSize(WholeMB(result.AvailAfter));
    const std::wstring was = FormatSize(WholeMB(result.AvailBefore));
    const int64_t freed = result.FreedMB();
    // Above 10 GB sizes are whole gigabytes: "(was 22 GB)" beside "22 GB" would say nothing.
    const bool looksTheSame = now == was;
    if (freed > 0) {
        const std::wstring freedText = FormatSize(static_cast<int32_t>(freed));
        return looksTheSame ? Fill(L"Freed %1: %2 available", freedText, now, was)
                            : Fill(L"Freed %1: %2 available (was %3)", freedText, now, was);
    }
    if (freed == 0 || looksTheSame) return Fill(L"No memory was freed: %2 available, as before", L"", now, was);
    return Fill(L"No memory was freed: %2 available (was %3)", L"", now, was);
}

std::wstring ResultShortText(const TFreeUpResult& result) {
    const int64_t freed = result.FreedMB();
    const std::wstring time = TimeOfDayText(result.When);
    if (freed <= 0) return ReplaceAll(L"Nothing freed at %1", L"%1", time);
    return FormatText(L"Freed %1 at %2", {FormatSize(static_cast<int32_t>(freed)), time});
}

std::wstring SizeLimitBalloonText(int32_t sizeMB) {
    return ReplaceAll(
        L"Nothing was freed: the 32-bit edition of Korvix frees at most 2045 MB at once, not %1. "
        L"The 64-bit edition has no such limit.",
        L"%1", FormatSize(sizeMB));
}

std::wstring TimeOfDayText(TDateTime moment) {
    // Days since 1899-12-30 to FILETIME ticks (100 ns since 1601-01-01), then to the parts.
    // Whole milliseconds first, as date-time decoding does: 14:04 stored a hair below the
    // minute is still 14:04.
    constexpr double kEpochOffsetDays = 109205.0;
    constexpr double kMsPerDay = 86400000.0;
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<uint64_t>(std::llround((moment + kEpochOffsetDays) * kMsPerDay)) * 10000;
    FILETIME file{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME parts{};
    wchar_t text[64] = L"";
    if (!::FileTimeToSystemTime(&file, &parts) ||
        ::GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &parts, nullptr, text, 64) == 0)
        return L"";
    return text;
}

// ---- TFreeUpMeter ----
void TFreeUpMeter::Begin(uint64_t worker, std::optional<uint64_t> before, bool userAsked, bool waitsFirst) {
    *this = TFreeUpMeter{};
    worker_ = worker;
    before_ = before;
    userAsked_ = userAsked;
    waitsFirst_ = waitsFirst;
}

void TFreeUpMeter::BlockStarting(std::optional<uint64_t> reading) {
    if (!AwaitsBlock()) return;
    blockStarted_ = true;
    if (waitsFirst_) before_ = reading;
}

void TFreeUpMeter::Finished(uint64_t worker, bool ranToEnd, TDateTime now) {
    if (worker == 0 || worker != worker_ || settling_) return;
    // A worker that never reached its block (no idle time came) or was stopped freed
    // nothing worth reporting: that is not a result.
    if (!ranToEnd || !blockStarted_ || !before_) {
        Cancel();
        return;
    }
    settling_ = true;
    settledAt_ = now + SettleDays;
}

std::optional<TFreeUpResult> TFreeUpMeter::Complete(std::optional<uint64_t> after, TDateTime now) {
    std::optional<TFreeUpResult> result;
    if (settling_ && before_ && after) result = TFreeUpResult{now, *before_, *after, userAsked_};
    Cancel();
    return result;
}
