// The framework's thread: always created suspended, started with Resume, stopped
// cooperatively through Terminate/Terminated, joined with WaitFor. No exception
// leaves Execute: the thread entry catches everything at the boundary.
#pragma once
#include <windows.h>
#include <atomic>
#include "uHandles.h"

class TThread {
public:
    TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    // A thread object destroyed while its thread runs stops it and waits first.
    virtual ~TThread();

    void Resume();
    void Terminate() noexcept { terminated_.store(true, std::memory_order_release); }
    bool Terminated() const noexcept { return terminated_.load(std::memory_order_acquire); }
    // Waits for the thread to end and answers its exit code (0 when it never started).
    DWORD WaitFor();
    HANDLE Handle() const noexcept { return handle_.get(); }
    DWORD ThreadID() const noexcept { return threadId_; }

    // When set by the time Execute returns, the thread deletes its own object.
    std::atomic<bool> FreeOnTerminate{false};

protected:
    virtual void Execute() = 0;

private:
    static unsigned __stdcall ThreadProc(void* param);

    UniqueKernelHandle handle_;
    unsigned threadId_ = 0;
    std::atomic<bool> terminated_{false};
    bool started_ = false;
};
