// The heartbeat driven by hand with a replaced clock and memory readings: the sampling
// rhythm, the critical trigger, the regular schedule and the start-up free-up.
#include "EngineFixture.h"

namespace {

using fakes::MB;

struct RhythmCase {
    int32_t chartInterval;
    int ticks;
    std::vector<int> samplingTicks;
};

class EngineRhythm : public EngineTest, public testing::WithParamInterface<RhythmCase> {};

TEST_P(EngineRhythm, SamplesAtTheChartIntervalRoundedUpToWholeTicks) {
    Options->SetChartInterval(GetParam().chartInterval);
    PumpMessages();
    std::vector<int> sampled;
    for (int tick = 1; tick <= GetParam().ticks; ++tick) {
        int32_t before = MemoryHistory->FillCount();
        engine->TimerTimer();
        if (MemoryHistory->FillCount() != before) sampled.push_back(tick);
    }
    EXPECT_EQ(sampled, GetParam().samplingTicks);
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineRhythm,
                         testing::Values(RhythmCase{1000, 12, {4, 8, 12}}, RhythmCase{300, 6, {2, 4, 6}},
                                         RhythmCase{250, 3, {1, 2, 3}}, RhythmCase{60000, 240, {240}}),
                         [](const auto& test) { return "Interval" + std::to_string(test.param.chartInterval); });

TEST_F(EngineTest, ProcessorSamplerIsRefreshedEveryTenthSamplingStep) {
    Options->SetChartInterval(250);
    PumpMessages();
    for (int i = 0; i < 9; ++i) engine->TimerTimer();
    EXPECT_EQ(engine->SampleCount(), 9);
    engine->TimerTimer();
    EXPECT_EQ(engine->SampleCount(), 0);
}

TEST_F(EngineTest, TheRealTimerDrivesSampling) {
    Options->SetChartInterval(250);
    engine->Timer.SetInterval(TimerIntervalMs);
    int32_t before = MemoryHistory->FillCount();
    EXPECT_TRUE(PumpUntil([&] { return MemoryHistory->FillCount() >= before + 2; }));
}

// The fixture's trigger leaves 8 MB free; the test is on whole free megabytes.
struct CriticalCase {
    const char* name;
    uint64_t availPhys;
    bool critical;
    bool backgroundActivity;
    bool starts;
};

class EngineCritical : public EngineTest, public testing::WithParamInterface<CriticalCase> {};

TEST_P(EngineCritical, StartsAtTheTriggerOnly) {
    Options->SetCritical(GetParam().critical);
    Options->SetBackgroundActivity(GetParam().backgroundActivity);
    PumpMessages();
    fakes::Memory::availPhys = GetParam().availPhys;
    engine->TimerTimer();
    EXPECT_EQ(engine->Worker() != nullptr, GetParam().starts);
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineCritical,
                         testing::Values(CriticalCase{"ExactlyAtTheTrigger", 8 * MB, true, true, true},
                                         CriticalCase{"PartOfAMegabyteAboveStillTriggers", 9 * MB - 1, true, true,
                                                      true},
                                         CriticalCase{"OneMegabyteMoreFreeDoesNot", 9 * MB, true, true, false},
                                         CriticalCase{"CriticalSwitchedOff", 8 * MB, false, true, false},
                                         CriticalCase{"NoBackgroundActivity", 8 * MB, true, false, false}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(EngineTest, CriticalFreeUpCountsDownOneSecondAndNeverReplacesAWorker) {
    StartWaitingWorker();
    DWORD waiting = engine->Worker()->ThreadID();
    fakes::Memory::availPhys = 1 * MB;
    engine->TimerTimer();
    ASSERT_NE(engine->Worker(), nullptr);
    EXPECT_EQ(engine->Worker()->ThreadID(), waiting);
    engine->StopFreeUp();
    engine->TimerTimer();
    ASSERT_NE(engine->Worker(), nullptr);
    EXPECT_TRUE(PumpUntil([&] { return engine->State() == TEngineState::CountingDown; }));
    EXPECT_EQ(engine->StatusLine(), L"waiting for 1 seconds (1).");
}

TEST_F(EngineTest, FirstRegularFreeUpFallsOneIntervalAfterStartCutToTheMinute) {
    EXPECT_EQ(engine->LastRegularInterval(), Options->RegularInterval());
    EXPECT_DOUBLE_EQ(Options->NextRegular(), NextRegularFrom(45000.5, Options->RegularInterval()));
}

TEST_F(EngineTest, DueRegularFreeUpStartsAndMovesTheScheduleOn) {
    fakes::Clock::now = Options->NextRegular() + 30.0 / 86400;
    engine->TimerTimer();
    EXPECT_NE(engine->Worker(), nullptr);
    EXPECT_DOUBLE_EQ(Options->NextRegular(), NextRegularFrom(fakes::Clock::now, Options->RegularInterval()));
    EXPECT_TRUE(PumpUntilIdle());
}

TEST_F(EngineTest, DueRegularFreeUpWaitsForARunningWorkerWithoutTouchingTheSchedule) {
    StartWaitingWorker();
    DWORD waiting = engine->Worker()->ThreadID();
    TDateTime due = Options->NextRegular();
    fakes::Clock::now = due;
    engine->TimerTimer();
    ASSERT_NE(engine->Worker(), nullptr);
    EXPECT_EQ(engine->Worker()->ThreadID(), waiting);
    EXPECT_DOUBLE_EQ(Options->NextRegular(), due);
    engine->StopFreeUp();
    fakes::Cpu::Set({0.0});
    engine->TimerTimer();
    EXPECT_NE(engine->Worker(), nullptr) << "retried on the next tick";
    EXPECT_TRUE(PumpUntilIdle());
}

TEST_F(EngineTest, WithoutBackgroundActivityADueRegularFreeUpIsSkippedAndNotCaughtUp) {
    Options->SetBackgroundActivity(false);
    PumpMessages();
    TDateTime due = Options->NextRegular();
    fakes::Clock::now = due + 90.0 / 86400;
    engine->TimerTimer();
    EXPECT_EQ(engine->Worker(), nullptr);
    TDateTime moved = NextRegularFrom(fakes::Clock::now, Options->RegularInterval());
    EXPECT_DOUBLE_EQ(Options->NextRegular(), moved);

    Options->SetBackgroundActivity(true);
    PumpMessages();
    engine->TimerTimer();
    EXPECT_EQ(engine->Worker(), nullptr) << "no catch-up when background activity returns";

    fakes::Clock::now = moved;
    engine->TimerTimer();
    EXPECT_NE(engine->Worker(), nullptr);
    EXPECT_TRUE(PumpUntilIdle());
}

TEST_F(EngineTest, OnlyRegularAndItsIntervalRestartTheSchedule) {
    TDateTime scheduled = Options->NextRegular();
    fakes::Clock::now = 45000.5 + 10.0 / 1440;
    Options->SetShowUsedMemory(false);
    Options->SetAmount1(T - 6);
    Options->SetRegularIdlePercent(30);
    Options->SetCriticalIdleSeconds(3);
    PumpMessages();
    EXPECT_DOUBLE_EQ(Options->NextRegular(), scheduled);

    Options->SetRegularInterval(30);
    PumpMessages();
    EXPECT_DOUBLE_EQ(Options->NextRegular(), NextRegularFrom(fakes::Clock::now, 30));

    Options->SetRegular(false);
    PumpMessages();
    EXPECT_EQ(engine->LastRegularInterval(), 0);
    fakes::Clock::now = fakes::Clock::now + 7.0 / 1440;
    Options->SetRegular(true);
    PumpMessages();
    EXPECT_DOUBLE_EQ(Options->NextRegular(), NextRegularFrom(fakes::Clock::now, 30));
}

struct StartupCase {
    const char* name;
    std::wstring parameter;
    bool startupOption;
    bool starts;
};

class EngineStartup : public EngineTest, public testing::WithParamInterface<StartupCase> {};

TEST_P(EngineStartup, DecidedOnceOnTheFirstTick) {
    fakes::CommandLine::first = GetParam().parameter;
    Options->SetStartup(GetParam().startupOption);
    Options->SetStartupWait(5);
    PumpMessages();
    engine->TimerTimer();
    EXPECT_TRUE(engine->StartupDecided());
    ASSERT_EQ(engine->Worker() != nullptr, GetParam().starts);
    if (GetParam().starts) {
        ASSERT_TRUE(PumpUntil([&] { return engine->State() == TEngineState::CountingDown; }));
        EXPECT_EQ(engine->StatusValues().PreWaitTotal, 5u);
        engine->StopFreeUp();
    }
    engine->TimerTimer();
    EXPECT_EQ(engine->Worker(), nullptr) << "never a second start-up free-up";
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineStartup,
                         testing::Values(StartupCase{"Autostart", L"autostart", true, true},
                                         StartupCase{"ParameterIsCaseSensitive", L"Autostart", true, false},
                                         StartupCase{"NoParameter", L"", true, false},
                                         StartupCase{"StartupSwitchedOff", L"autostart", false, false}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
