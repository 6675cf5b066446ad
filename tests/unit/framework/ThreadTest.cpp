#include <windows.h>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>
#include "framework/uThread.h"
#include "framework/uTrace.h"

namespace {
// Counts what happens to it from outside the object, so a test can look after it is gone.
struct Record {
    std::atomic<int> executions{0};
    std::atomic<int> rounds{0};
};

class LoopThread : public TThread {
public:
    explicit LoopThread(Record& record) : record_(record) {}

protected:
    void Execute() override {
        ++record_.executions;
        while (!Terminated()) {
            ++record_.rounds;
            ::Sleep(1);
        }
    }

private:
    Record& record_;
};

class ThrowingThread : public TThread {
protected:
    void Execute() override { throw 42; }
};

// Waits a minute at a time until stopped, counting its waits.
class WaitingThread : public TThread {
public:
    std::atomic<int> waits{0};
    int limit = 1000;

protected:
    void Execute() override {
        while (waits < limit) {
            ++waits;
            if (WaitForStop(60000)) return;
        }
    }
};

// The thread's own handle, kept beyond the object so its state can be read afterwards.
HANDLE Duplicate(HANDLE thread) {
    HANDLE copy = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), thread, ::GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return copy;
}

bool Ended(HANDLE thread) { return ::WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }

std::mutex g_traceLock;
std::vector<std::wstring> g_traces;
void RecordTrace(const std::wstring& text) {
    std::lock_guard guard(g_traceLock);
    g_traces.push_back(text);
}
}  // namespace

TEST(Thread, CreatedSuspendedStoppedByTerminateAndJoinedByWaitFor) {
    Record record;
    LoopThread thread(record);
    ::Sleep(20);
    EXPECT_EQ(record.executions, 0);  // not resumed yet
    thread.Resume();
    while (record.rounds < 3) ::Sleep(1);
    thread.Terminate();
    EXPECT_EQ(thread.WaitFor(), TThread::ExitExecuted);
    EXPECT_TRUE(Ended(thread.Handle()));
}

TEST(Thread, AnExceptionNeverLeavesTheThread) {
    ThrowingThread thread;
    thread.Resume();
    EXPECT_EQ(thread.WaitFor(), TThread::ExitRaised);
}

TEST(Thread, ANeverStartedThreadRunsOutWithoutExecuteWhenDestroyed) {
    Record record;
    HANDLE handle = nullptr;
    {
        LoopThread thread(record);
        handle = Duplicate(thread.Handle());
    }
    EXPECT_TRUE(Ended(handle)) << "the destructor returned before the thread had ended";
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeThread(handle, &code);
    EXPECT_EQ(code, TThread::ExitStoppedBeforeExecute) << "the thread ran out through its own entry";
    ::CloseHandle(handle);
    EXPECT_EQ(record.executions, 0);
}

TEST(Thread, ExecuteNeverRunsOnceAStopWasAsked) {
    Record record;
    LoopThread thread(record);
    thread.Terminate();
    thread.Resume();
    EXPECT_EQ(thread.WaitFor(), TThread::ExitStoppedBeforeExecute);
    EXPECT_EQ(record.executions, 0);
}

TEST(Thread, DestroyingARunningThreadIsReportedAndStillStopsAndWaitsForIt) {
    Record record;
    HANDLE handle = nullptr;
    g_traces.clear();
    SetDebugTraceSink(&RecordTrace);
    {
        LoopThread thread(record);
        handle = Duplicate(thread.Handle());
        thread.Resume();
        while (record.rounds < 1) ::Sleep(1);
    }
    SetDebugTraceSink(nullptr);
    EXPECT_TRUE(Ended(handle)) << "the thread still ran after its object was gone";
    ::CloseHandle(handle);
    ASSERT_EQ(g_traces.size(), 1u);
    EXPECT_NE(g_traces[0].find(L"Terminate and WaitFor"), std::wstring::npos);
}

TEST(Thread, WaitingAfterWaitForIsNoFault) {
    Record record;
    g_traces.clear();
    SetDebugTraceSink(&RecordTrace);
    {
        LoopThread thread(record);
        thread.Resume();
        thread.Terminate();
        thread.WaitFor();
    }
    SetDebugTraceSink(nullptr);
    EXPECT_TRUE(g_traces.empty());
}

TEST(Thread, FreeOnTerminateDeletesTheObject) {
    struct Flagged : LoopThread {
        std::atomic<bool>* destroyed;
        Flagged(Record& r, std::atomic<bool>* d) : LoopThread(r), destroyed(d) {}
        ~Flagged() override { *destroyed = true; }
    };
    Record record;
    std::atomic<bool> destroyed{false};
    auto* thread = new Flagged(record, &destroyed);
    thread->FreeOnTerminate = true;
    thread->Resume();
    thread->Terminate();
    for (int i = 0; i < 2000 && !destroyed; ++i) ::Sleep(1);
    EXPECT_TRUE(destroyed);
}

TEST(Thread, TerminateEndsAWaitForStopAtOnce) {
    WaitingThread thread;
    thread.Resume();
    while (thread.waits < 1) ::Sleep(1);
    thread.Terminate();
    thread.WaitFor();  // a minute, were the wait not ended by the stop
    EXPECT_EQ(thread.waits, 1);
}

TEST(Thread, TheStopWaitIsReplaceable) {
    StopWaitFunc previous = SetStopWaitSource([](HANDLE, DWORD) { return false; });
    WaitingThread thread;
    thread.limit = 5;
    thread.Resume();
    thread.WaitFor();  // five waits of a minute take no time with the replaced wait
    SetStopWaitSource(previous);
    EXPECT_EQ(thread.waits, 5);
}
