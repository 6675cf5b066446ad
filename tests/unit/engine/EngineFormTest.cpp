// The engine window: its identity, the worker messages' effect on the status, the
// replacement of a running worker, the main window's request and the fatal path.
#include <atomic>
#include <thread>
#include "EngineFixture.h"

namespace {

TEST_F(EngineTest, WindowIsHiddenTitledMemoryEngineAndAnswersTheSignature) {
    HWND window = engine->Handle();
    wchar_t title[100] = {};
    ::GetWindowTextW(window, title, 100);
    EXPECT_STREQ(title, L"Memory Engine");
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_EQ(EngineWindow, window);
    EXPECT_EQ(::SendMessageW(window, WM_ENGINEIDENTIFY, 0, 0), 140971);
    EXPECT_EQ(::FindWindowW(nullptr, L"Memory Engine"), window);
    engine.reset();
    EXPECT_EQ(EngineWindow, nullptr);
}

// Each row: the messages a worker would post, handled at once, and the status they leave.
struct StatusCase {
    const char* name;
    Messages sent;
    TEngineState state;
    std::wstring line;
};

class EngineStatus : public EngineTest, public testing::WithParamInterface<StatusCase> {};

TEST_P(EngineStatus, WorkerMessagesSetStateAndDetailLine) {
    StartWaitingWorker();  // the status table's worker states need a worker
    for (const RecordedMessage& m : GetParam().sent) ::SendMessageW(engine->Handle(), m.msg, m.wParam, m.lParam);
    EXPECT_EQ(engine->State(), GetParam().state);
    EXPECT_EQ(engine->StatusLine(), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EngineStatus,
    testing::Values(StatusCase{"Working", {Msg(WM_FREEUPPROGRESS, 37)}, TEngineState::Working, L"working (37% done)"},
                    StatusCase{"DetectingIdle",
                               {Msg(WM_FREEUPIDLEWAIT, 8), Msg(WM_FREEUPCPULOAD, 64, 25)},
                               TEngineState::WaitingForIdle,
                               L"detecting idle (8 sec, CPU 64%/25%)"},
                    // Starting a free-up shows full load against the allowed percent until the first sample.
                    StatusCase{"IdleWaitBeforeTheFirstSample",
                               {Msg(WM_FREEUPPREWAIT, 1, 5), Msg(WM_FREEUPIDLEWAIT, 3)},
                               TEngineState::WaitingForIdle,
                               L"detecting idle (3 sec, CPU 100%/25%)"},
                    StatusCase{"CountingDown",
                               {Msg(WM_FREEUPPREWAIT, 2, 5)},
                               TEngineState::CountingDown,
                               L"waiting for 5 seconds (2)."},
                    StatusCase{"ProgressEndsTheIdleWait",
                               {Msg(WM_FREEUPIDLEWAIT, 8), Msg(WM_FREEUPPROGRESS, 3)},
                               TEngineState::Working,
                               L"working (3% done)"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(EngineTest, WithoutWorkerTheStatusFollowsBackgroundActivity) {
    EXPECT_EQ(engine->State(), TEngineState::Monitoring);
    EXPECT_EQ(engine->StatusLine(), L"monitoring");
    Options->SetBackgroundActivity(false);
    EXPECT_EQ(engine->State(), TEngineState::Off);
    EXPECT_EQ(engine->StatusLine(), L"monitoring - no background activity");
}

TEST_F(EngineTest, FreeUpRequestRunsOneEnforcedPassOfTheRequestedSize) {
    fakes::Cpu::Set({1.0});
    ::PostMessageW(engine->Handle(), WM_FREEUPREQUEST, 4, 0);
    ASSERT_TRUE(PumpUntil([&] { return Count(engine->Handled, WM_FREEUPFINISHED) > 0; }));
    const Messages& handled = engine->Handled;
    EXPECT_EQ(Count(handled, WM_FREEUPCPULOAD), 0) << "a request does not wait for idle time";
    EXPECT_EQ(Count(handled, WM_FREEUPPROGRESS, 100), 1) << "one pass";
    EXPECT_EQ(Count(handled, WM_FREEUPENDED), 1);
    EXPECT_EQ(engine->Worker(), nullptr);
    EXPECT_EQ(engine->State(), TEngineState::Monitoring);
}

TEST_F(EngineTest, ManualFreeUpReplacesAWaitingRegularOneAndCompletes) {
    fakes::Cpu::Set({1.0});
    Options->SetRegularIdleSeconds(60);
    fakes::Clock::now = Options->NextRegular();
    engine->TimerTimer();
    ASSERT_TRUE(PumpUntil([&] { return engine->State() == TEngineState::WaitingForIdle; }));
    DWORD regular = engine->Worker()->ThreadID();

    fakes::Memory::availPhys = 0;              // the target is never reached: the preset runs both passes
    engine->ManualFreeUp(Options->Amount2());  // what the second preset's hotkey does
    ASSERT_NE(engine->Worker(), nullptr);
    EXPECT_NE(engine->Worker()->ThreadID(), regular);
    EXPECT_EQ(engine->State(), TEngineState::Working) << "a preset does not wait for idle time";
    engine->Handled.clear();
    ASSERT_TRUE(PumpUntilIdle());
    const Messages& handled = engine->Handled;
    EXPECT_EQ(Count(handled, WM_FREEUPCPULOAD), 0);
    EXPECT_EQ(Count(handled, WM_FREEUPPROGRESS, 100), 2) << "both passes of the preset ran";
    EXPECT_EQ(Count(handled, WM_FREEUPENDED), 1);
    EXPECT_EQ(Count(handled, WM_FREEUPFINISHED), 1);
}

// A worker that ended on its own leaves its end messages queued; the preset started before
// they are handled must neither be stopped nor waited for because of them.
TEST_F(EngineTest, SuccessorIsNeverStoppedByItsPredecessorsEndMessages) {
    engine->ManualFreeUp(T - 1);
    // Wait for the end without dispatching anything, so it stays queued.
    MSG queued;
    DWORD start = ::GetTickCount();
    while (!::PeekMessageW(&queued, engine->Handle(), WM_FREEUPFINISHED, WM_FREEUPFINISHED, PM_NOREMOVE)) {
        ASSERT_LT(::GetTickCount() - start, 10000u);
        ::Sleep(5);
    }
    ASSERT_NE(engine->Worker(), nullptr) << "the first worker's end must still be queued";

    fakes::Cpu::Set({1.0});
    engine->StartFreeUp(
        {.SizeMB = 4, .IdleWait = true, .IdleSeconds = 2, .AllowedPercent = 25, .Enforce = true, .Passes = 1});
    ASSERT_NE(engine->Worker(), nullptr);
    DWORD successor = engine->Worker()->ThreadID();
    engine->Handled.clear();

    ASSERT_TRUE(PumpUntil([&] { return engine->State() == TEngineState::WaitingForIdle; }))
        << "the successor was stopped or waited for";
    ASSERT_NE(engine->Worker(), nullptr);
    EXPECT_EQ(engine->Worker()->ThreadID(), successor);
    fakes::Waits::Release(2);  // the two seconds of its idle wait
    ASSERT_TRUE(PumpUntilIdle());
    const Messages& handled = engine->Handled;
    EXPECT_EQ(Count(handled, WM_FREEUPIDLEWAIT), 2) << "the whole idle wait ran";
    EXPECT_EQ(Count(handled, WM_FREEUPPROGRESS, 100), 1) << "and the pass after it";
    EXPECT_EQ(Count(handled, WM_FREEUPENDED), 1);
    EXPECT_EQ(Count(handled, WM_FREEUPFINISHED), 1);
}

// Any process can ask for a free-up of any size: the block never takes the reserve that the
// rest of the machine needs (here 64 MB of 72 MB of available commit).
TEST_F(EngineTest, ARequestForEverythingLeavesTheReserve) {
    fakes::Memory::availCommit = 72 * fakes::MB;
    ::PostMessageW(engine->Handle(), WM_FREEUPREQUEST, T, 0);
    ASSERT_TRUE(PumpUntil([&] { return Count(engine->Handled, WM_FREEUPFINISHED) > 0; }));
    EXPECT_EQ(fakes::Release::largestDecommit, 8 * fakes::MB);
}

TEST_F(EngineTest, SizesOutsideTheLimitsStartNothingButStopTheRunningFreeUp) {
    for (int32_t size : {0, -1, 2046, 5000}) {
        StartWaitingWorker();
        engine->StartFreeUp({.SizeMB = size, .AllowedPercent = 40});
        EXPECT_EQ(engine->Worker(), nullptr) << size;
        EXPECT_EQ(engine->StatusValues().AllowedCpu, 40u) << "the status is still updated";
    }
}

TEST_F(EngineTest, FailedSamplingEndsSilentlyAndTheStatusReturnsToMonitoring) {
    fakes::Cpu::Set({-1.0});  // the sampler raises
    engine->StartFreeUp({.SizeMB = 4, .IdleWait = true, .IdleSeconds = 5, .Enforce = true, .Passes = 1});
    ASSERT_TRUE(PumpUntil([&] { return Count(engine->Handled, WM_FREEUPERROR) > 0; }));
    EXPECT_EQ(engine->Worker(), nullptr);
    EXPECT_EQ(engine->State(), TEngineState::Monitoring);
    EXPECT_TRUE(fakes::Boxes::shown.empty());
    const std::vector<std::wstring> trace = fakes::Trace::Take();
    EXPECT_NE(std::find(trace.begin(), trace.end(), L"EIdleDetectError: EOSError: counter vanished"), trace.end())
        << "the error's text goes to the debugger output";
}

// Any process on the desktop can post to "Memory Engine": a value in lParam is never taken
// for a record to free.
TEST_F(EngineTest, AForeignErrorMessageIsIgnored) {
    TThreadError ours{L"EOSError", L"still ours"};
    ::PostMessageW(engine->Handle(), WM_FREEUPERROR, 0, reinterpret_cast<LPARAM>(&ours));
    ::PostMessageW(engine->Handle(), WM_FREEUPERROR, 0, 0x10);
    PumpMessages();
    EXPECT_EQ(Count(engine->Handled, WM_FREEUPERROR), 2);
    EXPECT_EQ(ours.ErrorMessage, L"still ours");
    EXPECT_TRUE(::IsWindow(engine->Handle()));
}

TEST_F(EngineTest, FatalReleaseFailureShowsTheBoxStopsEverythingAndClosesTheProgram) {
    LaunchFormStandIn launchForm;
    LaunchWindow = launchForm.Handle();
    // Two passes (the target is never reached), each with a refused release.
    fakes::Memory::availPhys = 1 * fakes::MB;
    fakes::Release::failWith = 487;
    engine->StartFreeUp({.SizeMB = 4, .Passes = 2});
    // Both releases fail before the engine sees the first message; otherwise the fatal path
    // may stop the worker before its second pass.
    ASSERT_NE(engine->Worker(), nullptr);
    ASSERT_EQ(::WaitForSingleObject(engine->Worker()->Handle(), 10000), WAIT_OBJECT_0);
    ASSERT_TRUE(PumpUntil([&] { return launchForm.Closes > 0; }));
    PumpMessages();
    LaunchWindow = nullptr;

    EXPECT_EQ(Count(engine->Handled, WM_FREEUPFATAL), 2);
    ASSERT_EQ(fakes::Boxes::shown.size(), 1u) << "one box, however many releases failed";
    const fakes::Box& box = fakes::Boxes::shown[0];
    EXPECT_EQ(box.text,
              L"Fatal error in memory management. Korvix Professional will be closed.\r\nThe Code returned was: 487");
    EXPECT_EQ(box.caption, L"Korvix Professional");
    EXPECT_EQ(box.type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(launchForm.Closes, 1);
    EXPECT_FALSE(engine->Active());
    EXPECT_EQ(engine->Worker(), nullptr);

    // Afterwards the engine neither follows the options nor frees up.
    int32_t scheduled = engine->LastRegularInterval();
    ::PostMessageW(engine->Handle(), WM_OPTIONSCHANGED, ocAll, 0);
    Options->SetRegularInterval(scheduled + 5);
    PumpMessages();
    EXPECT_EQ(engine->LastRegularInterval(), scheduled);
    engine->ManualFreeUp(Options->Amount1());
    EXPECT_EQ(engine->Worker(), nullptr);
}

// Any process on the desktop can post the worker's message numbers to "Memory Engine".
// Each row is one forged message, posted during a countdown: the free-up goes on, the
// engine keeps answering other copies, and nothing ends.
struct ForgedCase {
    const char* name;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

class EngineForgedMessages : public EngineTest, public testing::WithParamInterface<ForgedCase> {};

TEST_P(EngineForgedMessages, DuringACountdownAreIgnoredAndTheEngineKeepsAnswering) {
    LaunchFormStandIn launchForm;
    LaunchWindow = launchForm.Handle();
    engine->StartFreeUp({.SizeMB = 4, .Passes = 1, .CountdownSeconds = 3});
    ASSERT_TRUE(PumpUntil([&] { return engine->State() == TEngineState::CountingDown; }));
    const DWORD worker = engine->Worker()->ThreadID();

    // Another copy asks who we are while the forged message is handled. An engine that
    // blocks fails to answer; the countdown is then let run out so the test still ends. (The
    // limit is generous: a loaded test machine may be slow to switch threads; a blocked
    // engine stays blocked for good.)
    std::atomic<bool> asking{true}, done{false};
    std::atomic<int> unanswered{0};
    std::thread otherCopy([&] {
        const HWND window = engine->Handle();
        while (asking) {
            DWORD_PTR answer = 0;
            if (!::SendMessageTimeoutW(window, WM_ENGINEIDENTIFY, 0, 0, SMTO_BLOCK, 1000, &answer) ||
                answer != 140971) {
                ++unanswered;
                fakes::Waits::Release(10);
            }
            ::Sleep(10);
        }
        done = true;
    });
    ::PostMessageW(engine->Handle(), GetParam().msg, GetParam().wParam, GetParam().lParam);
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 1500) {
        PumpMessages();
        ::Sleep(5);
    }
    asking = false;
    while (!done) PumpMessages();  // its last question is answered too
    otherCopy.join();
    LaunchWindow = nullptr;

    EXPECT_EQ(unanswered, 0) << "the engine stopped answering";
    ASSERT_NE(engine->Worker(), nullptr) << "the free-up was ended";
    EXPECT_EQ(engine->Worker()->ThreadID(), worker);
    EXPECT_EQ(engine->State(), TEngineState::CountingDown);
    EXPECT_TRUE(fakes::Boxes::shown.empty());
    EXPECT_EQ(launchForm.Closes, 0);
    EXPECT_TRUE(engine->Active());

    fakes::Waits::Release(3);  // the countdown runs out and the free-up completes
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(Count(engine->Handled, WM_FREEUPPROGRESS, 100), 1) << "the free-up was not cut short";
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineForgedMessages,
                         testing::Values(ForgedCase{"Ended", WM_FREEUPENDED, 0, 0},
                                         ForgedCase{"Finished", WM_FREEUPFINISHED, 0, 0},
                                         ForgedCase{"Fatal", WM_FREEUPFATAL, 487, 0},
                                         ForgedCase{"ErrorWithAJunkPointer", WM_FREEUPERROR, 0, 0x10}),
                         [](const auto& test) { return std::string(test.param.name); });

// Without a worker the forged messages find nothing to act on: no status change, no end of
// the program, and the worker started afterwards runs to its end.
TEST_F(EngineTest, ForgedWorkerMessagesWithoutAWorkerChangeNothing) {
    LaunchFormStandIn launchForm;
    LaunchWindow = launchForm.Handle();
    for (UINT msg : {WM_FREEUPENDED, WM_FREEUPFINISHED, WM_FREEUPFATAL, WM_FREEUPPROGRESS, WM_FREEUPPREWAIT})
        ::PostMessageW(engine->Handle(), msg, 50, 10);
    PumpMessages();
    LaunchWindow = nullptr;
    EXPECT_TRUE(fakes::Boxes::shown.empty());
    EXPECT_EQ(launchForm.Closes, 0);
    EXPECT_EQ(engine->State(), TEngineState::Monitoring);
    EXPECT_EQ(engine->StatusValues().PercentDone, 0u);

    engine->StartFreeUp({.SizeMB = 4, .Passes = 1});
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(Count(engine->Handled, WM_FREEUPPROGRESS, 100), 1);
}

}  // namespace
