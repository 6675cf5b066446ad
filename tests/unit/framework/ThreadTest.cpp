#include <windows.h>
#include <atomic>
#include <gtest/gtest.h>
#include "framework/uThread.h"

namespace {
class LoopThread : public TThread {
public:
    std::atomic<int> rounds{0};
    std::atomic<bool>* destroyed = nullptr;
    ~LoopThread() override {
        if (destroyed) *destroyed = true;
    }

protected:
    void Execute() override {
        while (!Terminated()) {
            ++rounds;
            ::Sleep(1);
        }
    }
};

class ThrowingThread : public TThread {
protected:
    void Execute() override { throw 42; }
};
}  // namespace

TEST(Thread, CreatedSuspendedStoppedByTerminateAndJoinedByWaitFor) {
    LoopThread thread;
    ::Sleep(20);
    EXPECT_EQ(thread.rounds, 0);  // not resumed yet
    thread.Resume();
    while (thread.rounds < 3) ::Sleep(1);
    thread.Terminate();
    EXPECT_EQ(thread.WaitFor(), 0u);
    int after = thread.rounds;
    ::Sleep(10);
    EXPECT_EQ(thread.rounds, after);
}

TEST(Thread, AnExceptionNeverLeavesTheThread) {
    ThrowingThread thread;
    thread.Resume();
    EXPECT_EQ(thread.WaitFor(), 1u);
}

TEST(Thread, DestroyingARunningThreadStopsItFirst) {
    std::atomic<bool> destroyed{false};
    {
        LoopThread thread;
        thread.destroyed = &destroyed;
        thread.Resume();
        while (thread.rounds < 1) ::Sleep(1);
    }
    EXPECT_TRUE(destroyed);
}

TEST(Thread, FreeOnTerminateDeletesTheObject) {
    std::atomic<bool> destroyed{false};
    auto* thread = new LoopThread;
    thread->destroyed = &destroyed;
    thread->FreeOnTerminate = true;
    thread->Resume();
    thread->Terminate();
    for (int i = 0; i < 2000 && !destroyed; ++i) ::Sleep(1);
    EXPECT_TRUE(destroyed);
}
