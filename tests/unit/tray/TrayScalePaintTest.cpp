// The picture rules at the sizes the tray asks for at larger display scales (24 at 150 %,
// 32 at 200 %), drawn natively: a border of whole pixels, the chart's fifteen columns
// widened evenly, steps of whole pixels, the largest font that fits the inner square.
#include <functional>
#include <gtest/gtest.h>
#include "tray/TrayTestSupport.h"
#include "tray/uTrayIcons.h"
#include "tray/uTrayPaint.h"

namespace {
const TTrayColors MemoryColors{White, Green, Red, 12};
const TTrayColors CpuColors{Yellow, Black, Red, 12};
const Legend LettersWithBlue{{White, '.'}, {Black, 'K'}, {Green, 'g'}, {Red, 'R'}, {Yellow, 'Y'}, {Blue, 'B'}};

// `border` black pixels, then `rows` of `fill` letters after `blank` background letters.
std::string Expected(int border, int blank, char background, int filled, char fill) {
    std::string text;
    for (int i = 0; i < border + blank + filled; ++i)
        text.push_back(i < border ? 'K' : i < border + blank ? background : fill);
    return text;
}

TChartValues ColumnOf(int x, uint32_t value) {
    TChartValues values{};
    values[x] = value;
    return values;
}

TEST(TrayScaleTest, BorderAndInnerSquareAtEachSize) {
    EXPECT_EQ(TrayBorder(16), 1);
    EXPECT_EQ(TrayInner(16), 15);
    EXPECT_EQ(TrayBorder(20), 1);
    EXPECT_EQ(TrayBorder(24), 1);
    EXPECT_EQ(TrayInner(24), 23);
    EXPECT_EQ(TrayBorder(32), 2);
    EXPECT_EQ(TrayInner(32), 30);
    EXPECT_EQ(TrayBorder(48), 3);
    for (int pixels = 0; pixels <= 15; ++pixels) {
        EXPECT_EQ(ScaleTrayHeight(pixels, 16), pixels);
        EXPECT_EQ(ScaleTrayHeight(pixels, 32), 2 * pixels);
    }
}

// ---- 32 x 32 ----

struct FramedPicture32 {
    const char* name;
    std::function<void(HDC)> paint;
    bool solid = true;  // only the picture's own colours (text may be smoothed)
};

class Frame32Test : public testing::TestWithParam<FramedPicture32> {};

TEST_P(Frame32Test, TwoBlackColumnsAndRowsWhateverTheContent) {
    Raster raster(32, 32);
    GetParam().paint(raster.dc());
    const std::string black = Expected(32, 0, '.', 0, '.');
    EXPECT_EQ(Column(raster, 0, LettersWithBlue), black);
    EXPECT_EQ(Column(raster, 1, LettersWithBlue), black);
    EXPECT_EQ(Row(raster, 0, LettersWithBlue), black);
    EXPECT_EQ(Row(raster, 1, LettersWithBlue), black);
    if (!GetParam().solid) return;
    EXPECT_EQ(raster.Count(Black, {2, 2, 32, 32}) + raster.Count(White, {2, 2, 32, 32}) +
                  raster.Count(Yellow, {2, 2, 32, 32}) + raster.Count(Green, {2, 2, 32, 32}) +
                  raster.Count(Red, {2, 2, 32, 32}) + raster.Count(Blue, {2, 2, 32, 32}),
              30 * 30)
        << "no blended pixel: nothing stretched";
}

INSTANTIATE_TEST_SUITE_P(
    EveryStyle, Frame32Test,
    testing::Values(
        FramedPicture32{"EmptyChart", [](HDC dc) { PaintChart(dc, MemoryColors, TChartValues{}, false, 32); }},
        FramedPicture32{"HugeChartValues",
                        [](HDC dc) {
                            TChartValues huge;
                            huge.fill(0xFFFFFFF0u);
                            PaintChart(dc, MemoryColors, huge, true, 32);
                        }},
        FramedPicture32{"OverfullBar", [](HDC dc) { PaintBar(dc, CpuColors, 4000000000u, false, 32); }},
        FramedPicture32{"WideNumber", [](HDC dc) { PaintNumber(dc, L"88888888", White, Blue, 32); }, false}),
    [](const auto& test) { return std::string(test.param.name); });

struct Column32Case {
    uint32_t value;
    bool freeMode;
    int filled;  // pixels from the bottom: twice the 16-pixel height
    char colour;
};

class Chart32Test : public testing::TestWithParam<Column32Case> {};

TEST_P(Chart32Test, EachSampleIsTwoPixelColumnsOfTwiceTheHeight) {
    const Column32Case& c = GetParam();
    for (int x : {1, 8, 15}) {
        Raster raster(32, 32);
        PaintChart(raster.dc(), MemoryColors, ColumnOf(x, c.value), c.freeMode, 32);
        const std::string expected = Expected(2, 30 - c.filled, '.', c.filled, c.colour);
        EXPECT_EQ(Column(raster, 2 * x, LettersWithBlue), expected) << "column " << x;
        EXPECT_EQ(Column(raster, 2 * x + 1, LettersWithBlue), expected) << "column " << x;
        // Its fourteen neighbours (value 0) show their bottom markers only, two by two pixels.
        EXPECT_EQ(raster.Count(White, {2, 2, 32, 32}), 30 * 30 - 2 * c.filled - 14 * 4);
    }
}

INSTANTIATE_TEST_SUITE_P(UsedAndFreeMode, Chart32Test,
                         testing::Values(Column32Case{7, false, 12, 'g'},  // six pixels at 16
                                         Column32Case{12, false, 22, 'R'}, Column32Case{15, false, 28, 'R'},
                                         Column32Case{3, true, 4, 'R'}, Column32Case{4, true, 6, 'g'},
                                         Column32Case{0, false, 2, 'g'},  // the bottom marker, two pixels high
                                         Column32Case{1, false, 0, '.'}, Column32Case{40, false, 30, 'R'}));

TEST(Chart24Test, FifteenColumnsShareTheInnerWidthWithoutGapOrOverlap) {
    Raster raster(24, 24);
    TChartValues full;
    full.fill(15);
    PaintChart(raster.dc(), MemoryColors, full, false, 24);
    // Every inner column is drawn (no gap), each of the 15 samples one or two pixels wide.
    EXPECT_EQ(Row(raster, 23, LettersWithBlue), Expected(1, 0, '.', 23, 'R'));
    int widths[16] = {};
    for (int x = 1; x < 16; ++x) {
        Raster one(24, 24);
        PaintChart(one.dc(), MemoryColors, ColumnOf(x, 15), false, 24);
        widths[x] = one.Count(Red, {0, 23, 24, 24});
        EXPECT_TRUE(widths[x] == 1 || widths[x] == 2) << "column " << x;
    }
    int total = 0;
    for (int w : widths) total += w;
    EXPECT_EQ(total, 23) << "no overlap";
    // Fourteen steps of 23 / 15 pixels: 21 rows high, the top of the inner square left free.
    EXPECT_EQ(Column(raster, 1, LettersWithBlue), Expected(1, 2, '.', 21, 'R'));
}

struct Bar32Case {
    const char* name;
    uint32_t percent;
    bool freeMode;
    bool processor;
    std::string expected;  // rows 0..31 of every inner column
};

class Bar32Test : public testing::TestWithParam<Bar32Case> {};

TEST_P(Bar32Test, EveryInnerColumnShowsTheBarInWholeSteps) {
    const Bar32Case& c = GetParam();
    Raster raster(32, 32);
    PaintBar(raster.dc(), c.processor ? CpuColors : MemoryColors, c.percent, c.freeMode, 32);
    for (int x = 2; x < 32; ++x) EXPECT_EQ(Column(raster, x, LettersWithBlue), c.expected) << "column " << x;
}

INSTANTIATE_TEST_SUITE_P(
    MemoryAndProcessor, Bar32Test,
    testing::Values(Bar32Case{"Cpu75IsRedOnYellow", 75, false, true, Expected(2, 6, 'Y', 24, 'R')},
                    Bar32Case{"Cpu70IsBlack", 70, false, true, Expected(2, 8, 'Y', 22, 'K')},
                    Bar32Case{"Free15IsAWarningOfFourRows", 15, true, false, Expected(2, 26, '.', 4, 'R')},
                    Bar32Case{"SevenPercentIsTwoRows", 7, false, false, Expected(2, 28, '.', 2, 'g')},
                    Bar32Case{"ZeroIsEmpty", 0, false, false, Expected(2, 30, '.', 0, 'g')},
                    Bar32Case{"FullFillsTheInnerSquare", 100, false, true, Expected(2, 0, 'Y', 30, 'R')}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Number32Test, HundredGetsTheLargestFontThatFitsTheInnerSquareAndIsCentred) {
    Raster raster(32, 32);
    TFittedFont fitted = FitFont(raster.dc(), L"100", 32);
    ASSERT_TRUE(fitted.font);
    EXPECT_LE(fitted.extent.cx, 30);
    EXPECT_LE(fitted.extent.cy, 30);
    EXPECT_GT(fitted.height, 2 * 10 - 2) << "about twice the 16-pixel height, not the 16-pixel font";
    UniqueFont larger(
        ::CreateFontW(fitted.height + 1, 0, 0, 0, 0, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, 0, 0, 0, L"Arial"));
    SIZE extent{};
    {
        SelectGuard selected(raster.dc(), larger.get());
        ::GetTextExtentPoint32W(raster.dc(), L"100", 3, &extent);
    }
    EXPECT_TRUE(extent.cx > 30 || extent.cy > 30) << "one pixel taller no longer fits";

    PaintNumber(raster.dc(), L"100", Yellow, Blue, 32);
    const int left = 2 + (30 - fitted.extent.cx + 1) / 2, top = 2 + (30 - fitted.extent.cy + 1) / 2;
    const RECT box{left, top, left + fitted.extent.cx, top + fitted.extent.cy};
    EXPECT_GT(raster.Count(Blue, box), 40);
    EXPECT_EQ(raster.Count(Blue), raster.Count(Blue, box)) << "all text inside its centred box";
}

// ---- The icons at 32 ----

TEST(TrayIconSizeTest, MemoryIconAt32IsDrawnAt32AndKeepsItsPlace) {
    HistoryFixture history(512);
    history.FillUsedMB(256);
    NotifyRecorder shell;
    TTrayIconMemory icon;
    icon.SetStyle(TTrayIcon::StyleBar);
    icon.Show();
    ASSERT_EQ(shell.Calls.back().pixels.size(), 16u * 16u);
    shell.Clear();
    icon.SetIconSize(32);
    ASSERT_EQ(shell.Messages(), std::vector<DWORD>{NIM_MODIFY}) << "the same icon, a new picture";
    const std::vector<COLORREF>& pixels = shell.Calls.back().pixels;
    ASSERT_EQ(pixels.size(), 32u * 32u);
    Raster raster(32, 32);
    CopyPixels(pixels, raster);
    // 50 % used: eight steps, sixteen rows of green.
    EXPECT_EQ(Column(raster, 20, LettersWithBlue), Expected(2, 14, '.', 16, 'g'));
    EXPECT_TRUE(IconMaskOpaque(icon.ShownIcon()));
    shell.Clear();
    icon.SetIconSize(32);
    EXPECT_TRUE(shell.Calls.empty()) << "an unchanged size redraws nothing";
}

TEST(TrayIconSizeTest, StatusIconAt32ShowsTheImageDrawnFor32) {
    NotifyRecorder shell;
    TTrayIconResource icon;
    icon.Show();
    icon.SetIconName(L"STATUSWORK");
    icon.SetIconSize(32);
    const std::vector<COLORREF>& pixels = shell.Calls.back().pixels;
    ASSERT_EQ(pixels.size(), 32u * 32u);
    // The resource's own 32-pixel picture, not the 16-pixel one stretched.
    HICON drawn = static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), L"STATUSWORK", IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    EXPECT_EQ(pixels, IconPixels(drawn));
    ::DestroyIcon(drawn);
    // The chip's black border is one pixel wide at 32, as drawn, where a stretched 16 would have two.
    Raster raster(32, 32);
    CopyPixels(pixels, raster);
    EXPECT_EQ(raster.At(6, 10), Black);
    EXPECT_NE(raster.At(7, 10), Black);
}

}  // namespace
