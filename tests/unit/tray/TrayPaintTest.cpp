// The picture rules of the drawn tray icons, drawn into a memory bitmap and read back.
#include <functional>
#include <gtest/gtest.h>
#include "tray/TrayTestSupport.h"
#include "tray/uTrayPaint.h"

namespace {
const TTrayColors MemoryColors{White, Green, Red, 12};
const TTrayColors CpuColors{Yellow, Black, Red, 12};

TChartValues ColumnOf(int x, uint32_t value) {
    TChartValues values{};
    values[x] = value;
    return values;
}
}  // namespace

// ---- Frame ----

struct FramedPicture {
    const char* name;
    std::function<void(HDC)> paint;
};

class FrameTest : public testing::TestWithParam<FramedPicture> {};

TEST_P(FrameTest, LeftColumnAndTopRowAreBlackWhateverTheContent) {
    Raster raster;
    GetParam().paint(raster.dc());
    EXPECT_EQ(Column(raster, 0, Letters), "KKKKKKKKKKKKKKKK");
    EXPECT_EQ(Row(raster, 0, Letters), "KKKKKKKKKKKKKKKK");
}

INSTANTIATE_TEST_SUITE_P(
    EveryPicture, FrameTest,
    testing::Values(FramedPicture{"EmptyChart", [](HDC dc) { PaintChart(dc, MemoryColors, TChartValues{}, false); }},
                    FramedPicture{"FullChart",
                                  [](HDC dc) {
                                      TChartValues full;
                                      full.fill(15);
                                      PaintChart(dc, MemoryColors, full, false);
                                  }},
                    FramedPicture{"HugeChartValues",
                                  [](HDC dc) {
                                      TChartValues huge;
                                      huge.fill(0xFFFFFFF0u);
                                      PaintChart(dc, MemoryColors, huge, true);
                                  }},
                    FramedPicture{"FullBar", [](HDC dc) { PaintBar(dc, CpuColors, 100, false); }},
                    FramedPicture{"OverfullBar", [](HDC dc) { PaintBar(dc, CpuColors, 4000000000u, false); }},
                    FramedPicture{"Number", [](HDC dc) { PaintNumber(dc, L"100", Yellow, Black); }},
                    FramedPicture{"WideNumber", [](HDC dc) { PaintNumber(dc, L"88888888", White, Green); }}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(FrameTest, BackgroundFillsEverythingRightOfAndBelowTheBorder) {
    Raster raster;
    PaintFrame(raster.dc(), Yellow);
    EXPECT_EQ(raster.Count(Yellow, {1, 1, 16, 16}), 15 * 15);
}

// ---- Chart columns ----

struct ColumnCase {
    uint32_t value;
    bool freeMode;
    const char* expected;  // rows 0..15 of the column
};

class ChartColumnTest : public testing::TestWithParam<ColumnCase> {};

TEST_P(ChartColumnTest, ColumnHasTheRuleHeightAndColour) {
    const ColumnCase& c = GetParam();
    for (int x : {1, 8, 15}) {
        Raster raster;
        PaintChart(raster.dc(), MemoryColors, ColumnOf(x, c.value), c.freeMode);
        EXPECT_EQ(Column(raster, x, Letters), c.expected) << "column " << x;
    }
}

INSTANTIATE_TEST_SUITE_P(UsedAndFreeMode, ChartColumnTest,
                         testing::Values(
                             // Used 256 of 512 MB: value 7, six green pixels in rows 10..15.
                             ColumnCase{7, false, "K.........gggggg"}, ColumnCase{11, false, "K.....gggggggggg"},
                             ColumnCase{12, false, "K....RRRRRRRRRRR"},  // used mode warns from 12
                             ColumnCase{15, false, "K.RRRRRRRRRRRRRR"},
                             ColumnCase{3, true, "K.............RR"},  // free mode warns at 3 and below
                             ColumnCase{4, true, "K............ggg"}, ColumnCase{0, true, "K..............R"},
                             ColumnCase{0, false, "K..............g"},  // value 0: the bottom pixel alone
                             ColumnCase{1, false, "K..............."},  // value 1: nothing
                             ColumnCase{1, true, "K..............."},
                             // Beyond the scale the column stops below the border instead of overwriting it.
                             ColumnCase{40, false, "KRRRRRRRRRRRRRRR"}));

TEST(ChartTest, ValueZeroOfTheSixteenIsNeverDrawn) {
    Raster raster;
    TChartValues values{};
    values.fill(1);  // columns 1..15 draw nothing
    values[0] = 15;
    PaintChart(raster.dc(), MemoryColors, values, false);
    EXPECT_EQ(raster.Count(White, {1, 1, 16, 16}), 15 * 15);
}

TEST(ChartTest, FreshProcessorChartIsARowOfBottomPixels) {
    Raster raster;
    PaintChart(raster.dc(), CpuColors, TChartValues{}, false);
    EXPECT_EQ(Row(raster, 15, Letters), "KKKKKKKKKKKKKKKK");  // black is the processor's normal colour
    EXPECT_EQ(Row(raster, 14, Letters), "KYYYYYYYYYYYYYYY");
}

TEST(ChartTest, WarningLevelMovesTheThreshold) {
    TTrayColors colors = MemoryColors;
    colors.warningLevel = 8;
    Raster used, free;
    PaintChart(used.dc(), colors, ColumnOf(5, 8), false);
    PaintChart(free.dc(), colors, ColumnOf(5, 7), true);  // 15 - 8 = 7
    EXPECT_EQ(Column(used, 5, Letters), "K........RRRRRRR");
    EXPECT_EQ(Column(free, 5, Letters), "K.........RRRRRR");
}

// ---- Bars ----

struct BarCase {
    const char* name;
    uint32_t percent;
    bool freeMode;
    bool processor;
    const char* expected;  // rows 0..15 of every inner column
};

class BarTest : public testing::TestWithParam<BarCase> {};

TEST_P(BarTest, EveryInnerColumnShowsTheBar) {
    const BarCase& c = GetParam();
    Raster raster;
    PaintBar(raster.dc(), c.processor ? CpuColors : MemoryColors, c.percent, c.freeMode);
    for (int x = 1; x < 16; ++x) EXPECT_EQ(Column(raster, x, Letters), c.expected) << "column " << x;
}

INSTANTIATE_TEST_SUITE_P(MemoryAndProcessor, BarTest,
                         testing::Values(BarCase{"Free15IsAWarningOfTwoRows", 15, true, false, "K.............RR"},
                                         BarCase{"Free19IsNormalOfThreeRows", 19, true, false, "K............ggg"},
                                         BarCase{"Cpu75IsRedOnYellow", 75, false, true, "KYYYRRRRRRRRRRRR"},
                                         BarCase{"Cpu70IsBlack", 70, false, true, "KYYYYKKKKKKKKKKK"},
                                         BarCase{"Used70IsNormal", 70, false, false, "K....ggggggggggg"},
                                         BarCase{"ZeroIsEmpty", 0, false, false, "K..............."},
                                         BarCase{"SixPercentIsStillEmpty", 6, false, false, "K..............."},
                                         BarCase{"SevenPercentIsOneRow", 7, false, false, "K..............g"},
                                         BarCase{"FullFillsTheFifteenInnerRows", 100, false, true, "KRRRRRRRRRRRRRRR"},
                                         BarCase{"FreeFullIsNormal", 100, true, false, "Kggggggggggggggg"},
                                         BarCase{"AboveFullStaysInside", 250, false, false, "KRRRRRRRRRRRRRRR"}),
                         [](const auto& test) { return std::string(test.param.name); });

// ---- Numbers and the font ----

TEST(FitFontTest, ArialIsTheMetricCompatibleFace) {
    // Without a metric-compatible Arial the heights chosen would differ from Windows.
    Raster raster;
    UniqueFont font(::CreateFontW(-2048, 0, 0, 0, 0, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, 0, 0, 0, L"Arial"));
    SelectGuard selected(raster.dc(), font.get());
    SIZE digit{};
    ::GetTextExtentPoint32W(raster.dc(), L"0", 1, &digit);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(raster.dc(), &metrics);
    EXPECT_EQ(digit.cx, 1139);                                    // Arial's digit advance in font units
    EXPECT_EQ(metrics.tmAscent + metrics.tmDescent, 1854 + 434);  // Arial's Windows ascent and descent
}

TEST(FitFontTest, HundredGetsTheLargestHeightThatFitsFifteenByFifteen) {
    Raster raster;
    TFittedFont fitted = FitFont(raster.dc(), L"100");
    ASSERT_TRUE(fitted.font);
    EXPECT_LE(fitted.extent.cx, 15);
    EXPECT_LE(fitted.extent.cy, 15);
    // One pixel taller no longer fits.
    UniqueFont larger(
        ::CreateFontW(fitted.height + 1, 0, 0, 0, 0, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, 0, 0, 0, L"Arial"));
    SIZE extent{};
    {
        SelectGuard selected(raster.dc(), larger.get());
        ::GetTextExtentPoint32W(raster.dc(), L"100", 3, &extent);
    }
    EXPECT_TRUE(extent.cx > 15 || extent.cy > 15);
    // Arial's metrics on Windows give height 10 and 15 x 10 for "100".
    EXPECT_EQ(fitted.height, 10);
    EXPECT_EQ(fitted.extent.cx, 15);
}

TEST(FitFontTest, ShortTextGetsTheFullHeight) {
    Raster raster;
    EXPECT_EQ(FitFont(raster.dc(), L"7").height, 15);
}

TEST(FitFontTest, TextThatNeverFitsGetsNoFont) {
    Raster raster;
    TFittedFont fitted = FitFont(raster.dc(), L"0123456789012345678901234567890123456789");
    EXPECT_FALSE(fitted.font);
    EXPECT_EQ(fitted.height, 0);
    EXPECT_GT(fitted.extent.cx, 15);  // the extent of the last font tried
}

TEST(PaintNumberTest, HundredIsCentredInsideTheInnerSquare) {
    Raster raster;
    PaintNumber(raster.dc(), L"100", Yellow, Blue);
    // 15 x 10 extent: top left corner at ((16-15)/2+1, (16-10)/2+1) = (1, 4).
    EXPECT_GT(raster.Count(Blue, {1, 4, 16, 14}), 20);
    EXPECT_EQ(raster.Count(Blue), raster.Count(Blue, {1, 4, 16, 14}));
    EXPECT_EQ(Column(raster, 0, Letters), "KKKKKKKKKKKKKKKK");
}

TEST(PaintNumberTest, OddLeftoverPutsTheTextHalfAPixelRightAndDown) {
    Raster raster;
    PaintNumber(raster.dc(), L"7", White, Blue);
    TFittedFont fitted = FitFont(raster.dc(), L"7");
    int left = (16 - fitted.extent.cx) / 2 + 1;
    EXPECT_EQ(raster.Count(Blue, {0, 0, left, 16}), 0);
    EXPECT_GT(raster.Count(Blue), 0);
}

TEST(PaintNumberTest, RestoresTheContextsPenAndFont) {
    Raster raster;
    HGDIOBJ pen = ::GetCurrentObject(raster.dc(), OBJ_PEN);
    HGDIOBJ font = ::GetCurrentObject(raster.dc(), OBJ_FONT);
    PaintNumber(raster.dc(), L"42", White, Black);
    PaintChart(raster.dc(), MemoryColors, TChartValues{}, false);
    EXPECT_EQ(::GetCurrentObject(raster.dc(), OBJ_PEN), pen);
    EXPECT_EQ(::GetCurrentObject(raster.dc(), OBJ_FONT), font);
}

TEST(RoundingTest, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(4.5), 4);
    EXPECT_EQ(RoundHalfEven(7.5), 8);
    EXPECT_EQ(RoundHalfEven(2.51), 3);
}
