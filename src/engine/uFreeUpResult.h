// What a free-up achieved: the available physical memory read just before its block and
// again once the block is back and the system has settled, and the texts that tell the
// user. TFreeUpMeter follows one free-up from its start to the settled reading.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include "framework/uClock.h"

struct TFreeUpResult {
    TDateTime When = 0;        // of the settled reading
    uint64_t AvailBefore = 0;  // bytes
    uint64_t AvailAfter = 0;   // bytes
    bool UserAsked = false;
    // Whole megabytes after minus whole megabytes before; 0 or less when nothing grew.
    int64_t FreedMB() const;
};

// "Freed 812 MB: 3.40 GB available (was 2.60 GB)", or the plain word that nothing grew.
std::wstring ResultBalloonText(const TFreeUpResult& result);
// The short line of the status tooltip and the tray menu: "Freed 812 MB at 2:04 PM".
std::wstring ResultShortText(const TFreeUpResult& result);
// The 32-bit edition's word on a free-up of `sizeMB` that it cannot start.
std::wstring SizeLimitBalloonText(int32_t sizeMB);
// The time of day in the user's format, without seconds.
std::wstring TimeOfDayText(TDateTime moment);

// The wait between a block's release and the reading after it: other programs' pages and
// the system's caches settle, and Wine refreshes its memory figures about once a second.
constexpr TDateTime SettleDays = 1.0 / 86400.0;

class TFreeUpMeter {
public:
    // Worker number `worker` starts; `before` is the reading taken just before it (none when
    // the reading failed). A worker that waits first (countdown, idle processor) is read
    // again when its block starts, since memory moves while it waits.
    void Begin(uint64_t worker, std::optional<uint64_t> before, bool userAsked, bool waitsFirst);
    // The worker reports its first block; `reading` is taken now.
    bool AwaitsBlock() const noexcept { return worker_ != 0 && !blockStarted_; }
    void BlockStarting(std::optional<uint64_t> reading);
    // The newest worker (`worker`) has finished. Only one that freed up and ran to its end
    // (not stopped, not replaced) gets a result, a settle time after `now`.
    void Finished(uint64_t worker, bool ranToEnd, TDateTime now);
    bool Due(TDateTime now) const noexcept { return settling_ && now >= settledAt_; }
    // The settled reading: the result, or none when a reading failed. Ends the measurement.
    std::optional<TFreeUpResult> Complete(std::optional<uint64_t> after, TDateTime now);
    void Cancel() { *this = TFreeUpMeter{}; }

private:
    uint64_t worker_ = 0;  // 0: nothing measured
    std::optional<uint64_t> before_;
    bool userAsked_ = false;
    bool waitsFirst_ = false;
    bool blockStarted_ = false;
    bool settling_ = false;
    TDateTime settledAt_ = 0;
};
