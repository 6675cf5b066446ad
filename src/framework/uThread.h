// The framework's thread: always created suspended, started with Resume, stopped
// cooperatively through Terminate/Terminated, joined with WaitFor. No exception
// leaves Execute: the thread entry catches everything at the boundary.
//
// Lifetime rules: a thread that was never resumed is ended by letting it run out without
// Execute; once a stop has been asked, Execute is never entered; the owner of a resumed
// thread calls Terminate and WaitFor before destroying it. Destroying it while its thread
// still runs is a fault: traced always, and an assertion in debug builds (the release
// build then still stops and waits, so nothing runs on a freed object).
#pragma once
#include <windows.h>
#include <atomic>
#include "uHandles.h"

class TThread {
public:
    TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    virtual ~TThread();

    void Resume();
    // Asks the thread to stop: Terminated() answers true and a WaitForStop ends at once.
    void Terminate() noexcept;
    bool Terminated() const noexcept { return terminated_.load(std::memory_order_acquire); }
    // Waits for the thread to end and answers its exit code (0 when it was never resumed).
    DWORD WaitFor();
    // The exit codes of the thread: Execute returned, Execute raised, or Execute never ran
    // because the stop came first.
    static constexpr DWORD ExitExecuted = 0, ExitRaised = 1, ExitStoppedBeforeExecute = 2;
    HANDLE Handle() const noexcept { return handle_.get(); }
    DWORD ThreadID() const noexcept { return threadId_; }

    // When set by the time Execute returns, the thread deletes its own object.
    std::atomic<bool> FreeOnTerminate{false};

protected:
    virtual void Execute() = 0;
    // Waits `milliseconds` or until Terminate, whichever comes first; true when stopped.
    // Goes through the replaceable stop wait (SetStopWaitSource).
    bool WaitForStop(DWORD milliseconds);

private:
    static unsigned __stdcall ThreadProc(void* param);
    bool Running() const;

    UniqueKernelHandle handle_;
    UniqueKernelHandle stopEvent_;
    unsigned threadId_ = 0;
    std::atomic<bool> terminated_{false};
    bool started_ = false;
};

// What WaitForStop does: wait on the stop event for at most `milliseconds`, answering true
// when it was set. Tests replace it so that a thread's timed waits take no real time.
using StopWaitFunc = bool (*)(HANDLE stopEvent, DWORD milliseconds);
// nullptr restores the real wait; answers the previous one.
StopWaitFunc SetStopWaitSource(StopWaitFunc source);
