// Nothing accumulates over a long run: after many refreshes of every icon kind and style
// and many chart paints, the process holds no more GDI or USER objects than before.
#include <cstdio>
#include <gtest/gtest.h>
#include "legacy/uGlobals.h"
#include "support/TestSupport.h"
#include "tray/TrayTestSupport.h"
#include "tray/cPChart2.h"
#include "tray/uTrayIcons.h"

TEST(GuiObjectCountTest, CountsFollowCreationAndRelease) {
    // The measurement itself: without this the leak test below could pass by counting nothing.
    // The first icon load creates objects the system keeps; do it once before counting.
    UniqueIcon(LoadOwnIcon(L"STATUSIDLE")).reset();
    GuiObjectCounts before = CountGuiObjects();
    std::vector<UniqueBrush> brushes;
    for (int i = 0; i < 5; ++i) brushes.emplace_back(::CreateSolidBrush(RGB(i, 0, 0)));
    UniqueIcon icon(LoadOwnIcon(L"STATUSIDLE"));
    GuiObjectCounts during = CountGuiObjects();
    EXPECT_GE(during.gdi, before.gdi + 5);
    EXPECT_GE(during.user, before.user + 1);
    brushes.clear();
    icon.reset();
    GuiObjectCounts after = CountGuiObjects();
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
    std::printf("GUI object counts %s: GDI %ld, USER %ld\n",
                before.probed ? "probed (GetGuiResources reports 0)" : "from GetGuiResources", before.gdi, before.user);
}

TEST(TrayLeakTest, TenThousandRefreshesOfEveryKindAndStyleLeaveNoObjects) {
    NotifyRecorder shell;
    shell.KeepPixels = false;
    HistoryFixture history(2048);
    TTrayIconMemory memory;
    memory.Show();
    TTrayIconCPU cpu;
    cpu.Show();
    TTrayIconResource program;
    program.Show();
    const wchar_t* names[] = {L"STATUSNORMAL", L"STATUSIDLE", L"STATUSWORK", L"STATUSOFF"};
    auto sample = [&](int i) {
        MemoryHistory->Push(static_cast<uint64_t>(i * 37 % 2048) << 20);
        CpuHistory->Push(static_cast<uint64_t>(i * 7 % 101));
    };
    // One round first, so lazily created system objects (font caches) exist before counting.
    for (int style = 1; style <= 3; ++style) {
        memory.SetStyle(style);
        cpu.SetStyle(style);
    }
    program.SetIconName(names[0]);
    GuiObjectCounts before = CountGuiObjects();

    for (int style = 1; style <= 3; ++style) {
        memory.SetStyle(style);
        cpu.SetStyle(style);
        memory.SetShowFree(style == 2);
        for (int i = 0; i < 10000; ++i) {
            sample(i);
            memory.Refresh(false);
            cpu.Refresh(false);
        }
    }
    for (int i = 0; i < 10000; ++i) {
        program.SetIconName(names[i % 4]);  // loads the new icon, destroys the old one
        program.Refresh(i % 100 == 0);
    }
    shell.Calls.clear();
    shell.Calls.shrink_to_fit();

    GuiObjectCounts after = CountGuiObjects();
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
    std::printf("after 90000 drawn and 10000 program-icon refreshes: GDI %ld -> %ld, USER %ld -> %ld\n", before.gdi,
                after.gdi, before.user, after.user);
}

namespace {
class ChartHost : public TWindowBase {
public:
    ChartHost() {
        CreateHandle({.className = L"KorvixLeakTestHost",
                      .title = L"leak test",
                      .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                      .x = 20,
                      .y = 20,
                      .width = 260,
                      .height = 160});
    }
};
}  // namespace

TEST(TrayLeakTest, ThousandChartPaintsLeaveNoObjects) {
    HistoryFixture history(1024);
    ChartHost host;
    TPerformanceChart chart(host.Handle(), {0, 0, 240, 120});
    chart.SetShowAdjust(true);
    chart.SetShowAdjust2(true);
    chart.SetAdjustValue(300);
    chart.SetAdjustValue2(700);
    ::UpdateWindow(host.Handle());
    PumpMessages();
    GuiObjectCounts before = CountGuiObjects();
    for (int i = 0; i < 1000; ++i) {
        MemoryHistory->Push(static_cast<uint64_t>(i % 1024) << 20);
        CpuHistory->Push(static_cast<uint64_t>(i % 101));
        chart.SetShowFree(i % 2 == 0);
        chart.Invalidate();
        ::UpdateWindow(chart.Handle());  // the real paint cycle: WM_PAINT, BeginPaint, EndPaint
    }
    PumpMessages();
    GuiObjectCounts after = CountGuiObjects();
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
    std::printf("after 1000 chart paints: GDI %ld -> %ld, USER %ld -> %ld\n", before.gdi, after.gdi, before.user,
                after.user);
}
