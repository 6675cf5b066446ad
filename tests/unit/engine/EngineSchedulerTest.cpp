// The heartbeat driven by hand with a replaced clock and memory readings: the sampling
// rhythm, the critical trigger, the regular schedule and the start-up free-up.
#include "EngineFixture.h"
#include "probes/jovCPUUsage.h"

namespace {

using fakes::MB;

// The 9x kernel statistic in HKEY_DYN_DATA, as the system keeps it; `sameKey` false deletes
// the key first, so a handle opened before reads a deleted key.
void SetKernelStatistic(DWORD percent, bool sameKey) {
    if (!sameKey) ::RegDeleteKeyW(HKEY_DYN_DATA, L"PerfStats\\StatData");
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_DYN_DATA, L"PerfStats\\StartStat", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    ::RegCloseKey(key);
    ::RegCreateKeyExW(HKEY_DYN_DATA, L"PerfStats\\StatData", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    ::RegSetValueExW(key, L"KERNEL\\CPUUsage", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&percent), sizeof(percent));
    ::RegCloseKey(key);
}

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

// On the 9x family the refresh reopens the kernel statistic. Here the statistic's key is
// replaced after sampling started: until the refresh the old handle reads nothing (full
// load, 100), after it the new key's value shows.
TEST_F(EngineTest, ProcessorSamplerIsRefreshedEveryTenthSamplingStep) {
    const CpuUsagePlatform win98{VER_PLATFORM_WIN32_WINDOWS, 4, false, L"pdh.dll"};
    InitializeCPUUsageFor(win98);
    CpuReadFunc fake = SetCpuReadSource(nullptr);
    SetKernelStatistic(30, true);
    Options->SetChartInterval(250);
    Options->SetCPUMonitoring(true);
    PumpMessages();
    SetKernelStatistic(75, false);  // a new key: the sampler still holds the old one
    std::vector<uint64_t> samples;
    for (int step = 1; step <= 11; ++step) {
        engine->TimerTimer();
        samples.push_back(CpuHistory->Last());
    }
    Options->SetCPUMonitoring(false);
    SetCpuReadSource(fake);
    ::RegDeleteTreeW(HKEY_DYN_DATA, L"PerfStats");
    InitializeCPUUsage();
    EXPECT_EQ(samples, (std::vector<uint64_t>{100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 75}));
}

TEST_F(EngineTest, TheRealTimerDrivesSamplingAndTheChartsRepaint) {
    engine.reset();
    CreateEngine(TimerIntervalMs);
    Options->SetChartInterval(250);
    int32_t before = MemoryHistory->FillCount();
    EXPECT_TRUE(PumpUntil([&] { return MemoryHistory->FillCount() >= before + 2; }));
    EXPECT_GE(windows.chartRepaints, 2) << "every sampling step repaints the open charts";
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

// The system could not be read: no reading is not "no memory available".
TEST_F(EngineTest, AFailedMemoryReadingStartsNoCriticalFreeUpAndIsToldOnceItPersists) {
    Options->SetCritical(true);
    Options->SetBackgroundActivity(true);
    Options->SetProgramIcon(true);
    PumpMessages();
    fakes::Memory::availPhys = 1 * MB;  // what the failed readings would wrongly say
    fakes::Memory::fails = true;
    for (int tick = 1; tick < TMemoryReadingWatch::FailuresTold; ++tick) engine->TimerTimer();
    EXPECT_EQ(engine->Worker(), nullptr);
    EXPECT_EQ(engine->StatusLine(), L"monitoring") << "a passing failure is not told";
    engine->TimerTimer();
    EXPECT_EQ(engine->Worker(), nullptr);
    EXPECT_EQ(engine->StatusLine(), L"monitoring - memory reading failed");
    EXPECT_EQ(windows.statusLines.back(), L"monitoring - memory reading failed");
    EXPECT_EQ(engine->Tray().Status()->Hint(), L"Korvix is monitoring your system.\nThe memory reading failed.");

    fakes::Memory::fails = false;
    fakes::Memory::availPhys = 512 * MB;
    engine->TimerTimer();
    EXPECT_EQ(engine->StatusLine(), L"monitoring");
    EXPECT_EQ(engine->Tray().Status()->Hint(), L"Korvix is monitoring your system.");
    fakes::Memory::availPhys = 8 * MB;
    engine->TimerTimer();
    EXPECT_NE(engine->Worker(), nullptr) << "a good reading at the trigger still starts the critical free-up";
}

TEST_F(EngineTest, AFailedMemoryReadingRepeatsTheLastSample) {
    Options->SetChartInterval(250);
    PumpMessages();
    fakes::Memory::availPhys = 300 * MB;
    engine->TimerTimer();
    fakes::Memory::fails = true;
    engine->TimerTimer();
    EXPECT_EQ(MemoryHistory->Get(998), 724 * MB);
    EXPECT_EQ(MemoryHistory->Last(), 724 * MB);
}

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
