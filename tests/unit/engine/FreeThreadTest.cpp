// The free-up worker on a real thread, posting to a real window, with the
// processor load and memory readings replaced. Every block is at most 16 MB.
#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include "EngineFakes.h"
#include "engine/uFreeThread.h"
#include "legacy/uGlobals.h"
#include "legacy/uMessages.h"
#include "probes/jovCPUUsage.h"
#include "support/TestSupport.h"

namespace {

using fakes::MB;
using Messages = std::vector<RecordedMessage>;

RecordedMessage Msg(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return {msg, wParam, lParam}; }

Messages Progress(int from, int to) {
    Messages out;
    for (int p = from; p <= to; ++p) out.push_back(Msg(WM_FREEUPPROGRESS, p));
    return out;
}

Messages Concat(std::initializer_list<Messages> parts) {
    Messages out;
    for (const Messages& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

const Messages kEnd = {Msg(WM_FREEUPENDED), Msg(WM_FREEUPFINISHED)};
const Messages kStoppedEnd = {Msg(WM_FREEUPFINISHED)};

int Count(const Messages& messages, UINT msg) {
    return static_cast<int>(std::count_if(messages.begin(), messages.end(), [&](auto& m) { return m.msg == msg; }));
}

struct WorkerSetup {
    int32_t sizeMB = 1;
    bool waitForIdle = false;
    int32_t idleSeconds = 0;
    bool enforce = false;
    int32_t allowedCpu = 25;
    int32_t passes = 1;
    uint32_t preWaitSeconds = 0;
};

class FreeThreadTest : public testing::Test {
protected:
    std::unique_ptr<TFreeThread> Start(const WorkerSetup& s) {
        auto worker = std::make_unique<TFreeThread>();
        worker->BlockSize = s.sizeMB * static_cast<TBlockOffset>(MB);
        worker->WaitForIdle = s.waitForIdle;
        worker->IdleSeconds = s.idleSeconds;
        worker->Enforce = s.enforce;
        worker->AllowedCpu = s.allowedCpu;
        worker->Window = recorder.Handle();
        worker->Passes = s.passes;
        worker->PreWaitSeconds = s.preWaitSeconds;
        worker->Resume();
        return worker;
    }

    // Runs a worker to its end and answers every message it posted; its error, if any, is
    // kept in lastError.
    Messages Run(const WorkerSetup& s) {
        auto worker = Start(s);
        EXPECT_TRUE(PumpUntil([&] { return Count(recorder.Messages, WM_FREEUPFINISHED) > 0; }, 30000));
        worker->WaitFor();
        lastError = worker->Error();
        PumpMessages();  // the error message follows the end
        return recorder.Take();
    }
    std::optional<TThreadError> lastError;

    // Stops a running worker once `reached` holds, and answers every message it posted.
    Messages StopWhen(std::unique_ptr<TFreeThread> worker, const std::function<bool()>& reached) {
        EXPECT_TRUE(PumpUntil(reached, 30000));
        worker->Terminate();
        worker->WaitFor();
        PumpMessages();
        return recorder.Take();
    }

    void TearDown() override { EXPECT_EQ(CPUUsageStartCount(), 0) << "processor sampling left running"; }

    fakes::Installed fakes_;
    MessageRecorder recorder;
};

TEST_F(FreeThreadTest, FullRunPostsCountdownIdleWaitEveryPercentOnceAndTheEnd) {
    fakes::Cpu::Set({0.90, 0.64, 0.25});
    Messages messages =
        Run({.sizeMB = 1, .waitForIdle = true, .idleSeconds = 5, .allowedCpu = 25, .passes = 1, .preWaitSeconds = 2});
    Messages expected =
        Concat({{Msg(WM_FREEUPPREWAIT, 1, 2), Msg(WM_FREEUPPREWAIT, 2, 2), Msg(WM_FREEUPCPULOAD, 90, 25),
                 Msg(WM_FREEUPIDLEWAIT, 5), Msg(WM_FREEUPCPULOAD, 64, 25), Msg(WM_FREEUPIDLEWAIT, 4),
                 Msg(WM_FREEUPCPULOAD, 25, 25)},
                Progress(0, 100),
                kEnd});
    EXPECT_EQ(messages, expected);
}

struct SequenceCase {
    const char* name;
    WorkerSetup setup;
    std::vector<double> loads;
    Messages expected;
};

class FreeThreadSequence : public FreeThreadTest, public testing::WithParamInterface<SequenceCase> {};

TEST_P(FreeThreadSequence, PostsExactly) {
    fakes::Cpu::Set(GetParam().loads);
    EXPECT_EQ(Run(GetParam().setup), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FreeThreadSequence,
    testing::Values(SequenceCase{"NoCountdownAndNoIdleWait", {.sizeMB = 1}, {1.0}, Concat({Progress(0, 100), kEnd})},
                    SequenceCase{"ZeroIdleSecondsBusyWithoutEnforceFreesNothing",
                                 {.waitForIdle = true, .idleSeconds = 0, .allowedCpu = 25},
                                 {0.9},
                                 Concat({{Msg(WM_FREEUPCPULOAD, 90, 25)}, kEnd})},
                    SequenceCase{"ZeroIdleSecondsBusyWithEnforceFreesAnyway",
                                 {.waitForIdle = true, .idleSeconds = 0, .enforce = true, .allowedCpu = 25},
                                 {0.9},
                                 Concat({{Msg(WM_FREEUPCPULOAD, 90, 25)}, Progress(0, 100), kEnd})},
                    SequenceCase{"LoadEqualToTheLimitIsIdle",
                                 {.waitForIdle = true, .idleSeconds = 5, .allowedCpu = 50},
                                 {0.5, 1.0},
                                 Concat({{Msg(WM_FREEUPCPULOAD, 50, 50)}, Progress(0, 100), kEnd})}),
    [](const auto& test) { return std::string(test.param.name); });

// The target test runs between passes only, and decides whether the next pass runs.
struct PassesCase {
    const char* name;
    int32_t passes;
    uint64_t availPhys;
    std::vector<std::wstring> trace;
    Messages expected;
};

class FreeThreadPasses : public FreeThreadTest, public testing::WithParamInterface<PassesCase> {};

TEST_P(FreeThreadPasses, TargetTestBetweenPassesOnly) {
    fakes::Memory::availPhys = GetParam().availPhys;
    Messages messages = Run({.sizeMB = 2, .passes = GetParam().passes});
    EXPECT_EQ(fakes::Trace::Take(), GetParam().trace);
    EXPECT_EQ(messages, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FreeThreadPasses,
                         testing::Values(PassesCase{"OnePassNeverTests", 1, 0, {}, Concat({Progress(0, 100), kEnd})},
                                         PassesCase{"TargetReachedAfterFirstPass",
                                                    2,
                                                    2 * MB + 1,
                                                    {L"Free: 2097153", L"ToFree: 2097152", L"Target reached"},
                                                    Concat({Progress(0, 100), kEnd})},
                                         // Strictly more than the block is needed; the second pass starts again at 0.
                                         PassesCase{"FreeEqualToBlockRunsSecondPass",
                                                    2,
                                                    2 * MB,
                                                    {L"Free: 2097152", L"ToFree: 2097152", L"Target Not Reached"},
                                                    Concat({Progress(0, 100), Progress(0, 100), kEnd})}),
                         [](const auto& test) { return std::string(test.param.name); });

// A block is cut to what leaves the reserve (64 MB on this 1024 MB machine) of the available
// commit; with not a megabyte left it is refused like a failed VirtualAlloc, pass by pass.
struct CommitCase {
    const char* name;
    uint64_t availCommit;
    std::vector<std::wstring> trace;
    Messages expected;
    SIZE_T committedMB;
};

class FreeThreadCommitGuard : public FreeThreadTest, public testing::WithParamInterface<CommitCase> {};

TEST_P(FreeThreadCommitGuard, LeavesTheReserveOfTheAvailableCommit) {
    fakes::Memory::availCommit = GetParam().availCommit;
    fakes::Memory::availPhys = 0;
    Messages messages = Run({.sizeMB = 16, .passes = 2});
    EXPECT_EQ(fakes::Trace::Take(), GetParam().trace);
    EXPECT_EQ(messages, GetParam().expected);
    EXPECT_EQ(fakes::Release::largestDecommit / MB, GetParam().committedMB);
}

INSTANTIATE_TEST_SUITE_P(Cases, FreeThreadCommitGuard,
                         testing::Values(CommitCase{"TwoRefusedCommitsWithTheTargetTestBetween",
                                                    65 * MB - 1,
                                                    {L"VirtualAlloc failed", L"Free: 0", L"ToFree: 16777216",
                                                     L"Target Not Reached", L"VirtualAlloc failed"},
                                                    Concat({Progress(0, 0), kEnd}),
                                                    0},
                                         CommitCase{"BlockThatJustFitsIsCommittedWhole",
                                                    80 * MB,
                                                    {L"Free: 0", L"ToFree: 16777216", L"Target Not Reached"},
                                                    Concat({Progress(0, 100), Progress(0, 100), kEnd}),
                                                    16},
                                         CommitCase{"LargerBlockIsCutToWholeMegabytes",
                                                    72 * MB + MB / 2,
                                                    {L"Free: 0", L"ToFree: 16777216", L"Target Not Reached"},
                                                    Concat({Progress(0, 100), Progress(0, 100), kEnd}),
                                                    8}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(FreeThreadTest, StopDuringCountdownEndsWithFinishedAlone) {
    fakes::Waits::Hold();  // a countdown second lasts until the stop
    Messages messages = StopWhen(Start({.waitForIdle = true, .idleSeconds = 5, .preWaitSeconds = 30}),
                                 [&] { return Count(recorder.Messages, WM_FREEUPPREWAIT) > 0; });
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), Msg(WM_FREEUPFINISHED));
    EXPECT_EQ(Count(messages, WM_FREEUPPREWAIT), static_cast<int>(messages.size()) - 1);
    EXPECT_EQ(messages[0], Msg(WM_FREEUPPREWAIT, 1, 30));
}

TEST_F(FreeThreadTest, StopDuringIdleWaitEndsWithFinishedAloneAndStopsSampling) {
    fakes::Waits::Hold();
    fakes::Cpu::Set({1.0});
    Messages messages = StopWhen(Start({.waitForIdle = true, .idleSeconds = 60, .enforce = true}),
                                 [&] { return Count(recorder.Messages, WM_FREEUPIDLEWAIT) > 0; });
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), Msg(WM_FREEUPFINISHED));
    EXPECT_EQ(Count(messages, WM_FREEUPPROGRESS), 0) << "enforce must not free up a stopped worker";
    EXPECT_EQ(Count(messages, WM_FREEUPENDED), 0);
}

TEST_F(FreeThreadTest, StopDuringTouchingReleasesTheBlockAndEndsWithFinishedAlone) {
    fakes::Memory::availPhys = 0;  // the target is never reached: passes follow each other
    auto worker = Start({.sizeMB = 16, .passes = 1000000});
    const TFreeThread* running = worker.get();
    void* block = nullptr;
    Messages messages = StopWhen(std::move(worker), [&] {
        block = running->Block();
        return block != nullptr && Count(recorder.Messages, WM_FREEUPPROGRESS) > 1;
    });
    ASSERT_NE(block, nullptr);
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_NE(::VirtualQuery(block, &info, sizeof(info)), 0u);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE)) << "the block held when stopped must be given back";
    EXPECT_EQ(messages.back(), Msg(WM_FREEUPFINISHED));
    EXPECT_EQ(Count(messages, WM_FREEUPENDED), 0);
    EXPECT_EQ(Count(messages, WM_FREEUPFINISHED), 1);
}

// A failing processor read ends the run through the error message, after the end messages,
// and nothing is allocated.
struct FailureCase {
    const char* name;
    double load;  // negative: a framework exception; NaN: any other exception
    std::wstring errorClass;
    std::wstring errorMessage;
};

class FreeThreadSamplingFailure : public FreeThreadTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(FreeThreadSamplingFailure, EndsWithTheErrorRecord) {
    fakes::Cpu::Set({GetParam().load});
    Messages messages = Run({.waitForIdle = true, .idleSeconds = 5, .enforce = true});
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], Msg(WM_FREEUPENDED));
    EXPECT_EQ(messages[1], Msg(WM_FREEUPFINISHED));
    EXPECT_EQ(messages[2], Msg(WM_FREEUPERROR)) << "an announcement only: no pointer travels";
    ASSERT_TRUE(lastError.has_value());
    EXPECT_EQ(lastError->ErrorClass, GetParam().errorClass);
    EXPECT_EQ(lastError->ErrorMessage, GetParam().errorMessage);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FreeThreadSamplingFailure,
    testing::Values(FailureCase{"FrameworkException", -1.0, L"EIdleDetectError", L"EOSError: counter vanished"},
                    FailureCase{"OtherException", std::nan(""), L"---Unknown---", L"Unknown Error"}),
    [](const auto& test) { return std::string(test.param.name); });

// The touching loop computes the percentage only where it can change; visiting just those
// offsets must post exactly what computing it at every 1 KB step posts.
std::vector<int> PercentsAtEveryStep(TBlockOffset blockSize) {
    std::vector<int> posted;
    int last = 0;
    for (TBlockOffset j = TFreeThread::Stride; j <= blockSize; j += TFreeThread::Stride) {
        int percent = ProgressPercent(j, blockSize);
        if (percent != last) posted.push_back(last = percent);
    }
    return posted;
}

std::vector<int> PercentsAtChanges(TBlockOffset blockSize) {
    std::vector<int> posted;
    int last = 0;
    for (TBlockOffset j = TFreeThread::Stride; j <= blockSize; j = NextPercentChange(j, blockSize)) {
        int percent = ProgressPercent(j, blockSize);
        if (percent != last) posted.push_back(last = percent);
    }
    return posted;
}

// The reserve is 5 % of physical memory, at least 64 MB, kept both of the available commit
// and of physical memory, on either build.
TEST(SafeBlockLimitTest, LeavesTheReserveOfCommitAndOfPhysicalMemory) {
    struct Row {
        uint64_t totalPhysMB, availCommitMB, limitMB;
    };
    for (const Row& r : {Row{1024, 4096, 960}, Row{1024, 100, 36}, Row{1024, 64, 0}, Row{1024, 0, 0},
                         Row{16384, 65536, 15564}, Row{16384, 2000, 1180}, Row{40, 4096, 0}}) {
        MemoryStatus status;
        status.TotalPhys = r.totalPhysMB * MB;
        status.AvailPageFile = r.availCommitMB * MB;
        EXPECT_EQ(SafeBlockLimit(status) / MB, r.limitMB) << r.totalPhysMB << " MB, " << r.availCommitMB << " MB";
    }
}

TEST(ProgressPercentTest, ChangePointsPostWhatEveryStepPosts) {
    // 25 MB and others have percent boundaries that floating point does not hit exactly.
    for (int32_t sizeMB : {1, 3, 7, 25, 100, 999, 2045}) {
        TBlockOffset blockSize = sizeMB * static_cast<TBlockOffset>(MB);
        EXPECT_EQ(PercentsAtChanges(blockSize), PercentsAtEveryStep(blockSize)) << sizeMB << " MB";
    }
}

}  // namespace
