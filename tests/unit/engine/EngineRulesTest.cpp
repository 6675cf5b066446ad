// The scheduler's and the status's rules as plain functions.
#include "EngineFixture.h"

namespace {

using fakes::MB;

TEST_F(EngineTest, EachKindPassesItsRowOfParameters) {
    Options->SetCriticalIdleSeconds(7);
    Options->SetCriticalIdlePercent(33);
    Options->SetCriticalIdleEnforce(false);
    Options->SetRegularIdleSeconds(11);
    Options->SetRegularIdlePercent(22);
    Options->SetRegularIdleEnforce(true);
    Options->SetStartupIdleSeconds(13);
    Options->SetStartupIdlePercent(44);
    Options->SetStartupIdleEnforce(false);
    Options->SetStartupWait(9);
    const TKorvixOptions& o = *Options;
    EXPECT_EQ(FreeUpParamsFor(FreeUpKind::Critical, o, T), (TFreeUpParams{8, true, 7, 33, false, 1, 1}));
    EXPECT_EQ(FreeUpParamsFor(FreeUpKind::Regular, o, T), (TFreeUpParams{4, true, 11, 22, true, 2, 0}));
    EXPECT_EQ(FreeUpParamsFor(FreeUpKind::Startup, o, T), (TFreeUpParams{4, true, 13, 44, false, 2, 9}));
    // The last field: asked for by the user.
    EXPECT_EQ(FreeUpParamsFor(FreeUpKind::Manual, o, T, T - 12), (TFreeUpParams{12, false, 0, 0, false, 2, 0, true}));
    EXPECT_EQ(FreeUpParamsFor(FreeUpKind::Request, o, T, 300), (TFreeUpParams{300, false, 0, 0, true, 1, 0, true}));
    // A position at or above the total frees nothing.
    EXPECT_EQ(FreeUpParamsFor(FreeUpKind::Manual, o, T, T).SizeMB, 0);
}

struct SizeCase {
    int32_t sizeMB;
    int32_t totalMB;
    bool wide;
    bool allowed;
};

class BlockSizeLimits : public testing::TestWithParam<SizeCase> {};

TEST_P(BlockSizeLimits, NarrowBuildsStopBelow2046WideOnesAtThePhysicalMemory) {
    const SizeCase& c = GetParam();
    EXPECT_EQ(BlockSizeAllowed(c.sizeMB, c.totalMB, c.wide), c.allowed);
}

INSTANTIATE_TEST_SUITE_P(Cases, BlockSizeLimits,
                         testing::Values(SizeCase{0, 4096, false, false}, SizeCase{-5, 4096, false, false},
                                         SizeCase{1, 4096, false, true}, SizeCase{2045, 4096, false, true},
                                         SizeCase{2046, 4096, false, false}, SizeCase{0, 4096, true, false},
                                         SizeCase{2046, 4096, true, true}, SizeCase{4096, 4096, true, true},
                                         SizeCase{4097, 4096, true, false}));

TEST(CriticalRuleTest, ComparesUsedWholeMegabytesWithTheTrigger) {
    EXPECT_TRUE(CriticalDue(1024, 8 * MB, 1016));
    EXPECT_TRUE(CriticalDue(1024, 9 * MB - 1, 1016));
    EXPECT_FALSE(CriticalDue(1024, 9 * MB, 1016));
    // More free than the total measured at start is not a huge used amount.
    EXPECT_FALSE(CriticalDue(1024, 1100 * MB, 1016));
}

struct IconCase {
    TEngineState state;
    bool programIcon, cpuMonitoring, memoryIcon;
    bool shown;
};

class StatusIconRule : public testing::TestWithParam<IconCase> {};

TEST_P(StatusIconRule, WorkerStatesAlwaysShowIdleStatesOnlyWhenNeeded) {
    const IconCase& c = GetParam();
    EXPECT_EQ(StatusIconShown(c.state, c.programIcon, c.cpuMonitoring, c.memoryIcon), c.shown);
}

INSTANTIATE_TEST_SUITE_P(Cases, StatusIconRule,
                         testing::Values(IconCase{TEngineState::Working, false, false, true, true},
                                         IconCase{TEngineState::WaitingForIdle, false, true, true, true},
                                         IconCase{TEngineState::CountingDown, false, false, true, true},
                                         IconCase{TEngineState::Monitoring, false, false, true, false},
                                         IconCase{TEngineState::Monitoring, false, true, false, false},
                                         IconCase{TEngineState::Monitoring, true, true, true, true},
                                         IconCase{TEngineState::Monitoring, false, false, false, true},
                                         IconCase{TEngineState::Off, false, false, false, true},
                                         IconCase{TEngineState::Off, false, false, true, false}));

TEST(StatusTableTest, RowsNameTheIconAndTooltipOfEachState) {
    EXPECT_STREQ(StatusRow(TEngineState::Working).iconName, L"STATUSWORK");
    EXPECT_STREQ(StatusRow(TEngineState::WaitingForIdle).tooltip, L"Korvix is waiting for idle time.");
    EXPECT_STREQ(StatusRow(TEngineState::CountingDown).iconName, L"STATUSIDLE");
    EXPECT_STREQ(StatusRow(TEngineState::Monitoring).iconName, L"STATUSNORMAL");
    EXPECT_STREQ(StatusRow(TEngineState::Off).tooltip, L"Korvix");
}

TEST(StatusTableTest, DetailLineReplacesEveryOccurrenceOfEachPlaceholder) {
    TStatusValues v{.IdleSecondsLeft = 1,
                    .CpuLoad = 22,
                    .AllowedCpu = 3,
                    .PercentDone = 44,
                    .PreWaitTotal = 5,
                    .PreWaitElapsed = 66};
    EXPECT_EQ(ExpandDetailLine(L"%1 %2 %3 %4 %5 %6 %1%6", v), L"1 22 3 44 5 66 166");
}

}  // namespace
