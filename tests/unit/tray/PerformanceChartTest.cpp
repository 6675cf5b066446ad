// The performance chart: the picture rules drawn into a memory bitmap, and the control's
// paint cycle, events and repaint decisions on a real window.
#include <gtest/gtest.h>
#include <vector>
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"
#include "support/TestSupport.h"
#include "tray/TrayTestSupport.h"
#include "tray/cPChart2.h"

namespace {
constexpr COLORREF Navy = RGB(0, 0, 128);

TChartPicture BasePicture(const TIntArray* memory, const TIntArray* cpu, int32_t totalMB = 1024) {
    TChartPicture p;
    p.width = 200;
    p.height = 100;
    p.memory = memory;
    p.cpu = cpu;
    p.totalMB = totalMB;
    p.fontColor = Navy;  // apart from the black outline of the area
    p.scaleFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    return p;
}

std::unique_ptr<TIntArray> MemoryOf(int32_t usedMB, int32_t totalMB = 1024) {
    auto h = std::make_unique<TIntArray>(0);
    h->TotalMB = totalMB;
    for (int i = 0; i < TIntArray::Capacity; ++i) h->Push(static_cast<uint64_t>(usedMB) << 20);
    return h;
}

std::unique_ptr<TIntArray> LoadOf(uint64_t load) {
    auto h = std::make_unique<TIntArray>(0);
    for (int i = 0; i < TIntArray::Capacity; ++i) h->Push(load);
    return h;
}
}  // namespace

// ---- Picture rules ----

TEST(ChartPictureTest, ScaleMaximumIsTheLargestShownSampleAndAtLeastOne) {
    auto zero = MemoryOf(0);
    auto mixed = MemoryOf(100);
    mixed->Push(300ull << 20);  // index 999
    std::vector<uint32_t> seen;
    for (const TIntArray* memory : {zero.get(), mixed.get()}) {
        TChartPicture p = BasePicture(memory, nullptr);
        p.getMaxY = [&](uint32_t& y) { seen.push_back(y); };
        Raster raster(200, 100);
        PaintPerformanceChart(raster.dc(), p);
    }
    EXPECT_EQ(seen, (std::vector<uint32_t>{1, 300}));
}

TEST(ChartPictureTest, AllZeroSamplesLieOnTheBottomEdge) {
    auto memory = MemoryOf(0);
    TChartPicture p = BasePicture(memory.get(), nullptr);
    Raster raster(200, 100);
    PaintPerformanceChart(raster.dc(), p);
    EXPECT_EQ(raster.Count(p.dataColor), 0);
    EXPECT_EQ(raster.Count(p.color, {40, 80, 200, 100}), 160 * 20);  // under the lowest scale line
}

TEST(ChartPictureTest, LabelsReadTopDown10_8_5_2WithTheirLines) {
    auto memory = MemoryOf(0);
    TChartPicture p = BasePicture(memory.get(), nullptr);
    p.getMaxY = [](uint32_t& y) { y = 10; };
    std::vector<std::pair<uint32_t, std::wstring>> labels;
    p.getYDisplay = [&](uint32_t y, std::wstring& text) { labels.emplace_back(y, text); };
    Raster raster(200, 100);
    PaintPerformanceChart(raster.dc(), p);
    // Asked for in drawing order: the top label, then the lines from the bottom up.
    EXPECT_EQ(labels, (std::vector<std::pair<uint32_t, std::wstring>>{{10, L"10"}, {2, L"2"}, {5, L"5"}, {8, L"8"}}));
    for (int h : {75, 50, 25}) EXPECT_EQ(raster.Count(Navy, {0, h, 200, h + 1}), 200) << "line at " << h;
    EXPECT_GT(raster.Count(Navy, {10, 0, 40, 15}), 5);  // the top label
    for (int h : {75, 50, 25}) EXPECT_GT(raster.Count(Navy, {10, h + 2, 40, h + 16}), 5) << "label under " << h;
    EXPECT_EQ(raster.Count(Navy, {0, 2, 9, 24}), 0);  // labels start at x = 10
}

TEST(ChartPictureTest, LabelsSitTopDown10_8_5_2AndTheirTextComesFromTheEvent) {
    // Blanking one label through the event empties exactly the place where it belongs.
    const std::pair<uint32_t, RECT> places[] = {
        {10, {10, 0, 60, 14}}, {8, {10, 27, 60, 41}}, {5, {10, 52, 60, 66}}, {2, {10, 77, 60, 91}}};
    auto memory = MemoryOf(0);
    for (const auto& [blank, place] : places) {
        TChartPicture p = BasePicture(memory.get(), nullptr);
        p.getMaxY = [](uint32_t& y) { y = 10; };
        p.getYDisplay = [blank = blank](uint32_t y, std::wstring& text) {
            if (y == blank) text.clear();
        };
        Raster raster(200, 100);
        PaintPerformanceChart(raster.dc(), p);
        for (const auto& [value, other] : places) {
            if (value == blank) {
                EXPECT_EQ(raster.Count(Navy, other), 0) << "label " << value << " blanked";
            } else {
                EXPECT_GT(raster.Count(Navy, other), 5) << "label " << value << " with " << blank << " blanked";
            }
        }
    }
}

struct MarkerCase {
    const char* name;
    bool showFree;
    uint32_t adjustValue;
};

class ChartMarkerTest : public testing::TestWithParam<MarkerCase> {};

TEST_P(ChartMarkerTest, MarkerLineIsThreePixelsAtTheAmount) {
    auto memory = MemoryOf(0);
    TChartPicture p = BasePicture(memory.get(), nullptr, 1024);
    p.getMaxY = [](uint32_t& y) { y = 1024; };
    p.showFree = GetParam().showFree;
    p.showAdjust = true;
    p.adjustValue = GetParam().adjustValue;
    p.adjustColor = Red;
    Raster raster(200, 100);
    PaintPerformanceChart(raster.dc(), p);
    // 300 MB of 1024 on a height of 100: y = 100 - Round(29.3) = 71, the pen covers rows 70..72.
    std::string column;
    for (int y = 66; y <= 76; ++y) column += raster.At(120, y) == Red ? 'R' : '.';
    EXPECT_EQ(column, "....RRR....");
    EXPECT_EQ(raster.Count(Red, {0, 0, 200, 66}), 0);
}

INSTANTIATE_TEST_SUITE_P(BothViews, ChartMarkerTest,
                         testing::Values(MarkerCase{"Used300", false, 300},
                                         MarkerCase{"Free724OfTotal1024", true, 724}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(ChartPictureTest, SecondMarkerHasItsOwnValueAndColour) {
    auto memory = MemoryOf(0);
    TChartPicture p = BasePicture(memory.get(), nullptr, 1024);
    p.getMaxY = [](uint32_t& y) { y = 1000; };
    p.showAdjust2 = true;
    p.adjustValue2 = 600;  // y = 40
    p.adjustColor2 = Green;
    p.adjustValue = 100;  // not shown
    Raster raster(200, 100);
    PaintPerformanceChart(raster.dc(), p);
    EXPECT_EQ(raster.At(150, 40), Green);
    EXPECT_EQ(raster.Count(p.adjustColor), 0);
}

TEST(ChartPictureTest, MemoryAreaFillsUpToTheScaledValue) {
    auto memory = MemoryOf(400);  // y = 100 - Round(39.06) = 61
    TChartPicture p = BasePicture(memory.get(), nullptr);
    p.getMaxY = [](uint32_t& y) { y = 1024; };
    Raster raster(199, 100);
    p.width = 199;  // x(i) = i
    PaintPerformanceChart(raster.dc(), p);
    EXPECT_EQ(raster.At(100, 70), p.dataColor);
    EXPECT_EQ(raster.At(100, 55), p.color);
    EXPECT_EQ(raster.At(100, 61), Black);  // the outline
    EXPECT_EQ(raster.At(198, 61), Black);  // the newest sample reaches x = Width
}

TEST(ChartPictureTest, FreeViewShowsFreeMegabytes) {
    auto memory = MemoryOf(768);  // 256 free of 1024
    TChartPicture p = BasePicture(memory.get(), nullptr);
    p.showFree = true;
    p.getMaxY = [](uint32_t& y) { y = 1024; };
    Raster raster(200, 100);
    PaintPerformanceChart(raster.dc(), p);
    EXPECT_EQ(raster.At(100, 80), p.dataColor);
    EXPECT_EQ(raster.At(100, 70), p.color);
}

TEST(ChartPictureTest, ProcessorLineOnlyWhileMonitoring) {
    auto memory = MemoryOf(0);
    auto load = LoadOf(40);  // y = 60, clear of the scale lines
    Raster with(200, 100), without(200, 100);
    PaintPerformanceChart(with.dc(), BasePicture(memory.get(), load.get()));
    PaintPerformanceChart(without.dc(), BasePicture(memory.get(), nullptr));
    EXPECT_GT(with.Count(Blue, {0, 60, 200, 61}), 150);
    EXPECT_EQ(without.Count(Blue), 0);
}

TEST(ChartPictureTest, ScaleLiesOverTheMarkerAndTheMarkerOverTheProcessorLine) {
    auto memory = MemoryOf(0);
    auto load = LoadOf(50);
    TChartPicture p = BasePicture(memory.get(), load.get());
    p.getMaxY = [](uint32_t& y) { y = 1000; };
    p.showAdjust = true;
    p.adjustValue = 500;  // y = 50: on the processor line and the middle scale line
    Raster raster(200, 100);
    PaintPerformanceChart(raster.dc(), p);
    EXPECT_EQ(raster.At(150, 50), Navy);
    EXPECT_EQ(raster.At(150, 49), Red);
    EXPECT_EQ(raster.Count(Blue, {1, 0, 200, 100}), 0);  // x = 0 keeps the line's rise from the corner
}

// ---- The control ----

namespace {
class PaintCountingChart : public TPerformanceChart {
public:
    using TPerformanceChart::TPerformanceChart;
    int paints = 0;

protected:
    void Paint(HDC dc) override {
        ++paints;
        TPerformanceChart::Paint(dc);
    }
};

class Host : public TWindowBase {
public:
    Host() {
        CreateHandle({.className = L"KorvixChartTestHost",
                      .title = L"chart test",
                      .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                      .x = 10,
                      .y = 10,
                      .width = 300,
                      .height = 200});
    }
};

class ChartControlTest : public testing::Test {
protected:
    HistoryFixture history{1024};
    Host host;
    PaintCountingChart chart{host.Handle(), RECT{5, 5, 205, 105}};

    void SetUp() override {
        ::UpdateWindow(host.Handle());
        PumpMessages();
        ::ValidateRect(chart.Handle(), nullptr);
    }
    bool Invalidated() const { return ::GetUpdateRect(chart.Handle(), nullptr, FALSE) != FALSE; }
};
}  // namespace

TEST_F(ChartControlTest, ConstructionDefaults) {
    TPerformanceChart plain(host.Handle());
    EXPECT_EQ(plain.Width(), 100);
    EXPECT_EQ(plain.Height(), 100);
    EXPECT_EQ(plain.Color(), White);
    EXPECT_EQ(plain.DataColor(), Yellow);
    EXPECT_EQ(plain.CPUColor(), Blue);
    EXPECT_EQ(plain.AdjustColor(), Red);
    EXPECT_EQ(plain.AdjustColor2(), Red);
    EXPECT_EQ(plain.FontColor(), Black);
    EXPECT_FALSE(plain.ShowAdjust());
    EXPECT_FALSE(plain.ShowFree());
    EXPECT_NE(plain.ScaleFont(), nullptr);
    EXPECT_NE(plain.ScaleFont(), plain.Font());  // an owned copy
}

TEST_F(ChartControlTest, PaintCycleCopiesTheComposedPicture) {
    history.FillUsedMB(600);
    history.FillCpu(40);
    int paints = chart.paints;
    chart.Invalidate();
    ::UpdateWindow(chart.Handle());
    EXPECT_EQ(chart.paints, paints + 1);
    Raster expected(200, 100), shown(200, 100);
    PaintPerformanceChart(expected.dc(), chart.Picture());
    {
        WindowDC screen(chart.Handle());
        ::BitBlt(shown.dc(), 0, 0, 200, 100, screen.get(), 0, 0, SRCCOPY);
    }
    int differing = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) differing += expected.At(x, y) != shown.At(x, y);
    EXPECT_EQ(differing, 0);
}

TEST_F(ChartControlTest, BackgroundIsNeverErasedSeparately) {
    WindowDC dc(chart.Handle());
    EXPECT_EQ(::SendMessageW(chart.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0), 0);
}

TEST_F(ChartControlTest, PropertyWritesRepaintEvenWhenUnchanged) {
    const std::vector<std::pair<const char*, std::function<void()>>> writes{
        {"Color", [&] { chart.SetColor(chart.Color()); }},
        {"DataColor", [&] { chart.SetDataColor(chart.DataColor()); }},
        {"CPUColor", [&] { chart.SetCPUColor(chart.CPUColor()); }},
        {"AdjustColor", [&] { chart.SetAdjustColor(chart.AdjustColor()); }},
        {"AdjustColor2", [&] { chart.SetAdjustColor2(chart.AdjustColor2()); }},
        {"FontColor", [&] { chart.SetFontColor(chart.FontColor()); }},
        {"AdjustValue", [&] { chart.SetAdjustValue(chart.AdjustValue()); }},
        {"AdjustValue2", [&] { chart.SetAdjustValue2(chart.AdjustValue2()); }},
        {"ShowAdjust", [&] { chart.SetShowAdjust(chart.ShowAdjust()); }},
        {"ShowAdjust2", [&] { chart.SetShowAdjust2(chart.ShowAdjust2()); }},
        {"ScaleFont", [&] { chart.SetScaleFont(chart.ScaleFont()); }},
        {"ShowFree changed", [&] { chart.SetShowFree(!chart.ShowFree()); }},
        {"options changed", [&] { ::SendMessageW(chart.Handle(), WM_OPTIONSCHANGED, ocDisplay, 0); }},
    };
    for (const auto& [name, write] : writes) {
        ::ValidateRect(chart.Handle(), nullptr);
        write();
        EXPECT_TRUE(Invalidated()) << name;
    }
}

TEST_F(ChartControlTest, RewritingShowFreeDoesNotRepaint) {
    chart.SetShowFree(false);
    EXPECT_FALSE(Invalidated());
    int paints = chart.paints;
    PumpMessages();
    EXPECT_EQ(chart.paints, paints);
}

TEST_F(ChartControlTest, InvalidationPaintsThroughTheMessageLoop) {
    int paints = chart.paints;
    ::PostMessageW(chart.Handle(), WM_OPTIONSCHANGED, ocAll, 0);
    EXPECT_TRUE(PumpUntil([&] { return chart.paints > paints; }, 5000));
}

TEST_F(ChartControlTest, EventsGetTheChartAsSender) {
    std::vector<TPerformanceChart*> senders;
    std::wstring topLabel;
    chart.OnGetMaxY = [&](TPerformanceChart* s, uint32_t& y) {
        senders.push_back(s);
        y = 42;
    };
    chart.OnGetYDisplay = [&](TPerformanceChart* s, uint32_t y, std::wstring& text) {
        senders.push_back(s);
        if (y == 42) topLabel = text;
    };
    chart.Invalidate();
    ::UpdateWindow(chart.Handle());
    EXPECT_EQ(senders.size(), 5u);
    for (auto* s : senders) EXPECT_EQ(s, &chart);
    EXPECT_EQ(topLabel, L"42");
}

TEST_F(ChartControlTest, LeftButtonReleaseCallsOnClick) {
    TPerformanceChart* sender = nullptr;
    int clicks = 0;
    chart.OnClick = [&](TPerformanceChart* s) {
        sender = s;
        ++clicks;
    };
    ::SendMessageW(chart.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_EQ(clicks, 0);
    ::SendMessageW(chart.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(sender, &chart);
}
