// One free-up on a thread of its own: an optional countdown, an optional wait for
// an idle processor, then passes of commit, touch and release of one block.
// The worker never touches a window object: it only posts messages to `Window`.
#pragma once
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include "framework/uException.h"
#include "framework/uThread.h"

// What ended a worker's run by an exception. The worker keeps it; WM_FREEUPERROR only
// announces it, because a pointer in a message could come from any process on the desktop.
struct TThreadError {
    std::wstring ErrorClass;
    std::wstring ErrorMessage;
};

KORVIX_DECLARE_EXCEPTION(EIdleDetectError, Exception);

// Byte offsets into the block: 32-bit in the 32-bit build, 64-bit in the 64-bit build.
using TBlockOffset = intptr_t;

class TFreeThread : public TThread {
public:
    // One byte is written per stride: a quarter page, so every page is written four times.
    static constexpr TBlockOffset Stride = 1024;

    // Written by the engine between creation and Resume, never afterwards.
    TBlockOffset BlockSize = 0;  // whole megabytes, in bytes
    bool WaitForIdle = false;
    int32_t IdleSeconds = 0;
    bool Enforce = false;
    int32_t AllowedCpu = 0;
    HWND Window = nullptr;
    int32_t Passes = 1;
    uint32_t PreWaitSeconds = 0;

    // The committed block while a pass holds it, null otherwise.
    void* Block() const noexcept { return block_.load(std::memory_order_acquire); }
    // The exception that ended the run, if one did; read it once WaitFor has returned.
    const std::optional<TThreadError>& Error() const noexcept { return error_; }
    // What the worker itself says it has posted. Any process can post the same message
    // numbers to the engine window, so the engine acts on an end, a finish or a failed
    // release only when the worker has set the matching mark; each is set before its post.
    bool PostedEnded() const noexcept { return ended_.load(std::memory_order_acquire); }
    bool PostedFinished() const noexcept { return finished_.load(std::memory_order_acquire); }
    // The system error code of the first failed release, if one failed.
    std::optional<DWORD> ReleaseFailure() const noexcept {
        if (!releaseFailed_.load(std::memory_order_acquire)) return std::nullopt;
        return releaseCode_.load(std::memory_order_relaxed);
    }

protected:
    void Execute() override;

private:
    void Run();
    void PreWait();
    bool WaitIdle();
    bool SampleIdle();
    void FreeUpPasses();
    void TouchBlock(int& lastPercent);
    bool TargetReached();
    void* CommitBlock();
    void ReleaseBlock();
    void Finish();
    bool Post(UINT msg, WPARAM wParam, LPARAM lParam);

    std::atomic<void*> block_{nullptr};
    TBlockOffset committed_ = 0;  // size of the block held; at most BlockSize
    std::optional<TThreadError> error_;
    std::atomic<bool> ended_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> releaseFailed_{false};
    std::atomic<DWORD> releaseCode_{0};
};

struct MemoryStatus;
// What a free-up leaves to the rest of the machine: 5 % of physical memory, at least 64 MB.
uint64_t MemoryReserve(uint64_t totalPhys);
// The largest block, in whole megabytes, that leaves the reserve both of the available
// commit and of physical memory.
uint64_t SafeBlockLimit(const MemoryStatus& status);

// How a block is given back: VirtualFree, unless a test makes a release fail (the system
// refuses one only when something is badly wrong). nullptr restores the real call;
// answers the previous one.
using VirtualFreeFunc = BOOL(WINAPI*)(LPVOID address, SIZE_T size, DWORD freeType);
VirtualFreeFunc SetVirtualFreeSource(VirtualFreeFunc source);

// Percentage of the block touched once `offset` bytes are done: the integer part of
// offset / blockSize * 100, computed in floating point.
int ProgressPercent(TBlockOffset offset, TBlockOffset blockSize);
// The first offset after `offset` (a multiple of the stride) at which ProgressPercent
// differs from its value at `offset`; beyond blockSize when there is none.
TBlockOffset NextPercentChange(TBlockOffset offset, TBlockOffset blockSize);
