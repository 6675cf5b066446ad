// Opening the Korvix form of the default skin (load the file, apply the form to a new window,
// first complete paint) against opening a plain window of the same size with as many native
// child controls as the form has elements, painted completely. Rounds alternate and each
// round's pair is compared, because these machines vary from one moment to the next. Also
// the private memory a loaded, applied and painted skin adds to the process.
//   skin_bench SKINFILE
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <vector>
#include "BenchSupport.h"
#include "framework/uWindow.h"
#include "skin/uSkin.h"

namespace {
constexpr int kRounds = 25;

using bench::PrivateBytes;
using bench::Pump;
using bench::Seconds;

class Plain : public TWindowBase {
public:
    Plain(int width, int height) {
        CreateHandle({.className = L"KorvixBenchWindow",
                      .title = L"bench",
                      .style = WS_POPUP,
                      .x = 20,
                      .y = 20,
                      .width = width,
                      .height = height,
                      .background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
    }
};

struct Count {
    int buttons = 0, statics = 0, scrollBars = 0;
    int Total() const { return buttons + statics + scrollBars; }
};

void CountElements(const TSkinObject& e, Count& c) {
    for (int i = 0; i < e.ChildCount(); ++i) {
        TSkinObject child = e.Child(i);
        switch (child.Kind()) {
            case TSkinElementKind::Button: ++c.buttons; break;
            case TSkinElementKind::ScrollBar: ++c.scrollBars; break;
            default: ++c.statics; break;
        }
        CountElements(child, c);
    }
}

// Shows the window and paints it with its children completely; the seconds since `start`.
double ShownAndPainted(const Plain& window, double start) {
    ::ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
    ::RedrawWindow(window.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::GdiFlush();
    double elapsed = Seconds() - start;
    Pump();
    return elapsed;
}

double OpenSkinned(const std::wstring& file, int width, int height) {
    double start = Seconds();
    TSkin skin;
    skin.Load(file);
    Plain window(width, height);
    skin.ApplyForm(window.Handle(), L"Korvix");
    return ShownAndPainted(window, start);
}

double OpenNative(const Count& c, int width, int height) {
    double start = Seconds();
    Plain window(width, height);
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    int n = 0;
    auto add = [&](const wchar_t* cls, DWORD style, const wchar_t* text) {
        int x = 8 + (n % 4) * 110, y = 8 + (n / 4) * 14;
        ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, 100, 12, window.Handle(), nullptr,
                          instance, nullptr);
        ++n;
    };
    for (int i = 0; i < c.buttons; ++i) add(L"BUTTON", BS_PUSHBUTTON, L"Button");
    for (int i = 0; i < c.statics; ++i) add(L"STATIC", SS_LEFT, L"Some text");
    for (int i = 0; i < c.scrollBars; ++i) add(L"SCROLLBAR", SBS_HORZ, L"");
    return ShownAndPainted(window, start);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::printf("usage: skin_bench SKINFILE\n");
        return 2;
    }
    std::wstring file = argv[1];
    // The form's size and element count, from one opening kept aside.
    int width = 0, height = 0;
    Count count;
    {
        TSkin skin;
        skin.Load(file);
        Plain window(100, 100);
        skin.ApplyForm(window.Handle(), L"Korvix");
        RECT r{};
        ::GetWindowRect(window.Handle(), &r);
        width = r.right - r.left;
        height = r.bottom - r.top;
        CountElements(skin.WindowObject(window.Handle()), count);
    }
    OpenSkinned(file, width, height);  // warm-up of both paths: fonts, classes, code pages
    OpenNative(count, width, height);
    std::vector<double> skinned, native, ratios;
    for (int round = 0; round < kRounds; ++round) {
        double s = OpenSkinned(file, width, height);
        double n = OpenNative(count, width, height);
        skinned.push_back(s);
        native.push_back(n);
        ratios.push_back(s / n);
    }
    std::printf("skin open: form Korvix %dx%d with %d elements (%d buttons, %d statics, %d scroll bars)\n", width,
                height, count.Total(), count.buttons, count.statics, count.scrollBars);
    std::printf("skin open: skinned %.2f ms, native %.2f ms (medians of %d rounds)\n", Median(skinned) * 1000,
                Median(native) * 1000, kRounds);
    std::printf("skin open: ratio skinned/native %.2f (median of the rounds' ratios)\n", Median(ratios));

    // Memory: the private bytes that loading the skin and drawing the window with it add to
    // the same window already shown and painted plain.
    {
        Plain window(width, height);
        ::ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
        ::RedrawWindow(window.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        size_t before = PrivateBytes();
        TSkin skin;
        skin.Load(file);
        skin.ApplyForm(window.Handle(), L"Korvix");
        ::RedrawWindow(window.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        size_t after = PrivateBytes();
        std::printf("skin memory: %.0f KB private memory added by the loaded skin drawing its window\n",
                    double(after > before ? after - before : 0) / 1024.0);
    }
    return 0;
}
