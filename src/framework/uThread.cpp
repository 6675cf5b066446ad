#include "uThread.h"
#include <process.h>
#include "uException.h"

TThread::TThread() {
    // _beginthreadex rather than CreateThread so the C runtime is set up for the thread.
    uintptr_t h = _beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &threadId_);
    if (h == 0) throw EOSError(L"Thread creation error");
    handle_.reset(reinterpret_cast<HANDLE>(h));
}

TThread::~TThread() {
    if (started_ && !FreeOnTerminate) {
        Terminate();
        WaitFor();
    } else if (!started_) {
        // Never resumed: let the suspended thread run out without touching the object.
        Terminate();
        ::TerminateThread(handle_.get(), 0);
    }
}

void TThread::Resume() {
    if (started_) return;
    started_ = true;
    ::ResumeThread(handle_.get());
}

DWORD TThread::WaitFor() {
    if (!started_) return 0;
    ::WaitForSingleObject(handle_.get(), INFINITE);
    DWORD code = 0;
    ::GetExitCodeThread(handle_.get(), &code);
    return code;
}

unsigned __stdcall TThread::ThreadProc(void* param) {
    auto* self = static_cast<TThread*>(param);
    unsigned result = 0;
    try {
        self->Execute();
    } catch (...) {
        result = 1;  // Execute is expected to report its own failures; never let one escape
    }
    if (self->FreeOnTerminate) {
        // Our own handle is closed by the destructor; the thread keeps running until return.
        delete self;
    }
    return result;
}
