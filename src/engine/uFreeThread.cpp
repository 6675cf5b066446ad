#include "uFreeThread.h"
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
}  // namespace

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
    while (offset < BlockSize) {
        for (; offset < nextCheck; offset += Stride) {
            if (Terminated()) return;
            bytes[offset] = 0;
        }
        int percent = ProgressPercent(offset, BlockSize);
        if (percent != lastPercent) {
            Post(WM_FREEUPPROGRESS, percent, 0);
            lastPercent = percent;
        }
        nextCheck = NextPercentChange(offset, BlockSize);
    }
}

bool TFreeThread::TargetReached() {
    uint64_t available = AvailPhysBytes();
    DebugTrace(L"Free: " + std::to_wstring(available));
    DebugTrace(L"ToFree: " + std::to_wstring(BlockSize));
    bool reached = available > static_cast<uint64_t>(BlockSize);
    DebugTrace(reached ? L"Target reached" : L"Target Not Reached");
    return reached;
}

void* TFreeThread::CommitBlock() {
    // Where the system overcommits (Wine on Linux), VirtualAlloc would grant a block the
    // machine cannot back; a block beyond the available commit counts as refused.
    MemoryStatus status;
    if (!ReadMemoryStatus(status) || static_cast<uint64_t>(BlockSize) > status.AvailPageFile) return nullptr;
    return ::VirtualAlloc(nullptr, static_cast<SIZE_T>(BlockSize), MEM_COMMIT, PAGE_READWRITE);
}

void TFreeThread::ReleaseBlock() {
    void* block = Block();
    if (!::VirtualFree(block, static_cast<SIZE_T>(BlockSize), MEM_DECOMMIT)) DebugTrace(L"VirtualFree1 failed");
    if (!::VirtualFree(block, 0, MEM_RELEASE)) {
        DWORD code = ::GetLastError();
        DebugTrace(L"VirtualFree2 failed... Fatal Exit Initiated");
        Post(WM_FREEUPFATAL, code, 0);
    }
    block_ = nullptr;
}

void TFreeThread::Finish() {
    if (Block()) ReleaseBlock();
    if (!Terminated()) Post(WM_FREEUPENDED, 0, 0);
    Post(WM_FREEUPFINISHED, 0, 0);
}

bool TFreeThread::Post(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(Window, msg, wParam, lParam) != FALSE;
}
