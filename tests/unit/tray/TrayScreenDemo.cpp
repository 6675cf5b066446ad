// Shows the three tray icons and a chart window from synthetic histories, for the
// screenshots in docs/screens (tools/tray_screenshots.sh). Not a test: it runs until
// the given number of seconds has passed.
//   tray_screen_demo STYLE STATUSNAME SECONDS      STYLE 1 chart, 2 number, 3 bar
#include <windows.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include "framework/uWindow.h"
#include "legacy/uGlobals.h"
#include "tray/cPChart2.h"
#include "tray/uTrayIcons.h"

namespace {
class ChartWindow : public TWindowBase {
public:
    ChartWindow() {
        CreateHandle({.className = L"KorvixChartDemo",
                      .title = L"Korvix chart",
                      .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                      .x = 40,
                      .y = 40,
                      .width = 440,
                      .height = 260,
                      .background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
    }
};

void FillHistories() {
    TotalPhysMB = 2048;
    MemoryHistory = std::make_unique<TIntArray>(0);
    MemoryHistory->TotalMB = TotalPhysMB;
    CpuHistory = std::make_unique<TIntArray>(0);
    for (int i = 0; i < TIntArray::Capacity; ++i) {
        // Used memory climbs towards the critical level, then a free-up drops it; the
        // newest samples (the icons' 16) swing widely so the icon chart shows its columns.
        int phase = i % 120;
        double used = i < 980 ? 900 + phase * 8.0 + 60 * std::sin(i / 5.0) : 1100 + 700 * std::sin(i / 2.0);
        MemoryHistory->Push(static_cast<uint64_t>(used) << 20);
        double load = 30 + 25 * std::sin(i / 9.0) + (phase > 100 ? 40 : 0);
        CpuHistory->Push(static_cast<uint64_t>(std::clamp(load, 0.0, 100.0)));
    }
}

void PrintRect(const char* name, HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    std::printf("%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
}
}  // namespace

int main(int argc, char** argv) {
    int style = argc > 1 ? std::atoi(argv[1]) : 1;
    std::string status = argc > 2 ? argv[2] : "STATUSWORK";
    int seconds = argc > 3 ? std::atoi(argv[3]) : 10;
    FillHistories();

    // Created in the engine's order: the program icon first, so it sits rightmost.
    TTrayIconResource program;
    program.SetIconName(std::wstring(status.begin(), status.end()));
    program.SetHint(L"Korvix Professional");
    program.Show();
    TTrayIconMemory memory;
    memory.SetStyle(style);
    memory.Show();
    TTrayIconCPU cpu;
    cpu.SetStyle(style);
    cpu.Show();

    ChartWindow window;
    RECT client{};
    ::GetClientRect(window.Handle(), &client);
    TPerformanceChart chart(window.Handle(), {8, 8, client.right - 8, client.bottom - 8});
    chart.SetAdjustValue(1400);
    chart.SetShowAdjust(true);
    chart.SetAdjustValue2(1600);
    chart.SetAdjustColor2(RGB(128, 0, 128));
    chart.SetShowAdjust2(true);
    chart.OnGetYDisplay = [](TPerformanceChart*, uint32_t y, std::wstring& text) {
        text = std::to_wstring(y) + L" MB";
    };
    ::UpdateWindow(window.Handle());

    PrintRect("taskbar", ::FindWindowA("Shell_TrayWnd", nullptr));
    PrintRect("chart", chart.Handle());
    PrintRect("window", window.Handle());
    std::printf("failed %d %d %d\nready\n", program.LastUpdateFailed(), memory.LastUpdateFailed(),
                cpu.LastUpdateFailed());
    std::fflush(stdout);

    DWORD end = ::GetTickCount() + seconds * 1000;
    MSG msg;
    while (::GetTickCount() < end) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return 0;
}
