#include "uThread.h"
#include <cassert>
#include <process.h>
#include "uException.h"
#include "uTrace.h"

namespace {
bool RealStopWait(HANDLE stopEvent, DWORD milliseconds) {
    return ::WaitForSingleObject(stopEvent, milliseconds) == WAIT_OBJECT_0;
}
std::atomic<StopWaitFunc> g_stopWait{&RealStopWait};
}  // namespace

StopWaitFunc SetStopWaitSource(StopWaitFunc source) { return g_stopWait.exchange(source ? source : &RealStopWait); }

TThread::TThread() : stopEvent_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!stopEvent_) RaiseLastOSError(L"Cannot create the stop event of a thread");
    // _beginthreadex rather than CreateThread so the C runtime is set up for the thread.
    uintptr_t h = _beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &threadId_);
    if (h == 0) throw EOSError(L"Thread creation error");
    handle_.reset(reinterpret_cast<HANDLE>(h));
}

TThread::~TThread() {
    if (!started_) {
        // Never resumed: it runs out at once, Execute skipped because the stop was asked.
        Terminate();
        ::ResumeThread(handle_.get());
        ::WaitForSingleObject(handle_.get(), INFINITE);
    } else if (!FreeOnTerminate && Running()) {
        DebugTrace(L"TThread destroyed while its thread runs: call Terminate and WaitFor first");
        assert(!"TThread destroyed while its thread runs");
        Terminate();
        WaitFor();
    }
}

void TThread::Resume() {
    if (started_) return;
    started_ = true;
    ::ResumeThread(handle_.get());
}

void TThread::Terminate() noexcept {
    terminated_.store(true, std::memory_order_release);
    ::SetEvent(stopEvent_.get());
}

DWORD TThread::WaitFor() {
    if (!started_) return 0;
    ::WaitForSingleObject(handle_.get(), INFINITE);
    DWORD code = 0;
    ::GetExitCodeThread(handle_.get(), &code);
    return code;
}

bool TThread::Running() const { return ::WaitForSingleObject(handle_.get(), 0) == WAIT_TIMEOUT; }

bool TThread::WaitForStop(DWORD milliseconds) {
    if (Terminated()) return true;
    return g_stopWait.load()(stopEvent_.get(), milliseconds) || Terminated();
}

unsigned __stdcall TThread::ThreadProc(void* param) {
    auto* self = static_cast<TThread*>(param);
    DWORD result = ExitStoppedBeforeExecute;
    if (!self->Terminated()) {
        try {
            self->Execute();
            result = ExitExecuted;
        } catch (...) {
            result = ExitRaised;  // Execute is expected to report its own failures; never let one escape
        }
    }
    if (self->started_ && self->FreeOnTerminate) {
        // Our own handle is closed by the destructor; the thread keeps running until return.
        // (A thread never resumed is being destroyed by its owner right now.)
        delete self;
    }
    return result;
}
