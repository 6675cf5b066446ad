#include "uFreeThread.h"
#include <algorithm>
#include "framework/uTrace.h"
#include "legacy/uGlobals.h"
#include "legacy/uMessages.h"
#include "probes/jovCPUUsage.h"

namespace {
// Stops the processor sampling that a successful StartCPUUsage began, on every way out.
class CpuSamplingScope {
public:
    CpuSamplingScope() { StartCPUUsage(); }
    ~CpuSamplingScope() {
        try {
            StopCPUUsage();
        } catch (...) {}
    }
    CpuSamplingScope(const CpuSamplingScope&) = delete;
    CpuSamplingScope& operator=(const CpuSamplingScope&) = delete;
};

std::atomic<VirtualFreeFunc> g_virtualFree{&::VirtualFree};
constexpr uint64_t kMB = 1048576;
}  // namespace

VirtualFreeFunc SetVirtualFreeSource(VirtualFreeFunc source) {
    return g_virtualFree.exchange(source ? source : &::VirtualFree);
}

int ProgressPercent(TBlockOffset offset, TBlockOffset blockSize) {
    return static_cast<int>(static_cast<double>(offset) / static_cast<double>(blockSize) * 100.0);
}

TBlockOffset NextPercentChange(TBlockOffset offset, TBlockOffset blockSize) {
    const TBlockOffset step = TFreeThread::Stride;
    const int percent = ProgressPercent(offset, blockSize);
    if (offset >= blockSize) return offset + step;
    // Start from the exact threshold of the next percent; the floating-point rule may
    // differ from it by one rounding step, so settle on the rule's own answer.
    auto guess = static_cast<TBlockOffset>(static_cast<uint64_t>(percent + 1) * static_cast<uint64_t>(blockSize) / 100);
    guess -= guess % step;
    if (guess <= offset) guess = offset + step;
    while (guess - step > offset && ProgressPercent(guess - step, blockSize) != percent) guess -= step;
    while (guess < blockSize && ProgressPercent(guess, blockSize) == percent) guess += step;
    return guess;
}

void TFreeThread::Execute() {
    FreeOnTerminate = false;
    try {
        Run();
    } catch (const Exception& e) {
        error_ = TThreadError{e.ClassName(), e.Message()};
    } catch (...) {
        error_ = TThreadError{L"---Unknown---", L"Unknown Error"};
    }
    Finish();
    if (error_) Post(WM_FREEUPERROR, 0, 0);
}

void TFreeThread::Run() {
    if (PreWaitSeconds > 0) PreWait();
    if (Terminated()) return;
    bool freeUp = !WaitForIdle || WaitIdle() || Enforce;
    if (freeUp && !Terminated()) FreeUpPasses();
}

void TFreeThread::PreWait() {
    for (uint32_t i = 1; i <= PreWaitSeconds && !Terminated(); ++i) {
        Post(WM_FREEUPPREWAIT, i, PreWaitSeconds);
        WaitForStop(1000);
    }
}

bool TFreeThread::WaitIdle() {
    try {
        int32_t secondsLeft = IdleSeconds;
        CpuSamplingScope sampling;
        bool idle = SampleIdle();
        while (!idle && secondsLeft > 0 && !Terminated()) {
            Post(WM_FREEUPIDLEWAIT, secondsLeft, 0);
            WaitForStop(1000);
            --secondsLeft;
            idle = SampleIdle();
        }
        return idle;
    } catch (const Exception& e) {
        throw EIdleDetectError(std::wstring(e.ClassName()) + L": " + e.Message());
    }
}

bool TFreeThread::SampleIdle() {
    auto load = static_cast<int32_t>(ReadCPUUsage() * 100);
    Post(WM_FREEUPCPULOAD, load, AllowedCpu);
    return load <= AllowedCpu;  // a load equal to the limit counts as idle
}

void TFreeThread::FreeUpPasses() {
    Post(WM_FREEUPPROGRESS, 0, 0);
    int lastPercent = 0;
    int32_t pass = 1;
    for (;;) {
        block_ = CommitBlock();
        if (Block()) {
            TouchBlock(lastPercent);
            ReleaseBlock();
        } else {
            DebugTrace(L"VirtualAlloc failed");
        }
        ++pass;
        if (pass > Passes || TargetReached() || Terminated()) break;
    }
}

void TFreeThread::TouchBlock(int& lastPercent) {
    volatile char* bytes = static_cast<volatile char*>(Block());
    TBlockOffset offset = 0;
    // The percentage is computed only where it can change, which keeps the loop to a
    // stop test and one write per step.
    TBlockOffset nextCheck = Stride;
    const TBlockOffset size = committed_;
    while (offset < size) {
        for (; offset < nextCheck; offset += Stride) {
            if (Terminated()) return;
            bytes[offset] = 0;
        }
        int percent = ProgressPercent(offset, size);
        if (percent != lastPercent) {
            Post(WM_FREEUPPROGRESS, percent, 0);
            lastPercent = percent;
        }
        nextCheck = NextPercentChange(offset, size);
    }
}

bool TFreeThread::TargetReached() {
    // A failed reading counts as not reached: the second pass runs as asked.
    const uint64_t available = AvailPhysBytes().value_or(0);
    DebugTrace(L"Free: " + std::to_wstring(available));
    DebugTrace(L"ToFree: " + std::to_wstring(BlockSize));
    bool reached = available > static_cast<uint64_t>(BlockSize);
    DebugTrace(reached ? L"Target reached" : L"Target Not Reached");
    return reached;
}

uint64_t MemoryReserve(uint64_t totalPhys) { return std::max<uint64_t>(totalPhys / 20, 64 * kMB); }

uint64_t SafeBlockLimit(const MemoryStatus& status) {
    const uint64_t reserve = MemoryReserve(status.TotalPhys);
    const uint64_t commit = status.AvailPageFile > reserve ? status.AvailPageFile - reserve : 0;
    const uint64_t physical = status.TotalPhys > reserve ? status.TotalPhys - reserve : 0;
    return std::min(commit, physical) / kMB * kMB;
}

// Where the system overcommits (Wine on Linux), VirtualAlloc would grant a block the machine
// cannot back, and a block of nearly all memory starves everything else even where it does
// not: the block is cut to what leaves the reserve, and refused when not a megabyte remains.
void* TFreeThread::CommitBlock() {
    MemoryStatus status;
    if (!ReadMemoryStatus(status)) return nullptr;
    const uint64_t size = std::min(static_cast<uint64_t>(BlockSize), SafeBlockLimit(status));
    if (size == 0) return nullptr;
    committed_ = static_cast<TBlockOffset>(size);
    return ::VirtualAlloc(nullptr, static_cast<SIZE_T>(size), MEM_COMMIT, PAGE_READWRITE);
}

void TFreeThread::ReleaseBlock() {
    void* block = Block();
    VirtualFreeFunc release = g_virtualFree.load(std::memory_order_acquire);
    if (!release(block, static_cast<SIZE_T>(committed_), MEM_DECOMMIT)) DebugTrace(L"VirtualFree1 failed");
    if (!release(block, 0, MEM_RELEASE)) {
        DWORD code = ::GetLastError();
        DebugTrace(L"VirtualFree2 failed... Fatal Exit Initiated");
        if (!releaseFailed_.load(std::memory_order_relaxed)) {
            releaseCode_.store(code, std::memory_order_relaxed);
            releaseFailed_.store(true, std::memory_order_release);
        }
        Post(WM_FREEUPFATAL, code, 0);
    }
    block_ = nullptr;
}

void TFreeThread::Finish() {
    if (Block()) ReleaseBlock();
    if (!Terminated()) {
        ended_ = true;
        Post(WM_FREEUPENDED, 0, 0);
    }
    finished_ = true;
    Post(WM_FREEUPFINISHED, 0, 0);
}

bool TFreeThread::Post(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(Window, msg, wParam, lParam) != FALSE;
}
