// Opening and closing the main window 100 times with the default skin, as the tray's
// double click does (create, show, first paint, the options' first refresh, a page opened
// and its animation played, closed and freed): the GDI and USER objects of the process and
// its committed private memory before and after, and the time of one open-close cycle. A
// few cycles first warm what is meant to stay (fonts, the help library, the heap's pools).
//   main_window_bench SKINFILE
#include <windows.h>
#include <cstdio>
#include <string>
#include "BenchSupport.h"
#include "framework/uApplication.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "probes/jovCPUUsage.h"
#include "support/GuiObjects.h"
#include "ui/fMainForm.h"
#include "ui/uPageRules.h"
#include "ui/uSkinService.h"
#include "ui/uWindowContext.h"

namespace {
constexpr int kWarmUp = 5;
constexpr int kCycles = 100;

using bench::PrivateBytes;
using bench::Pump;
using bench::Seconds;

// As the program makes them once: the skin service the windows share (a reopened window does
// not read its skin file again) and the engine's requests.
TWindowContext Context() {
    static TSkinService skins;
    static TEngineMessages engine([] { return EngineWindow; });
    return {*Options, engine, skins};
}

void Cycle() {
    TfrmMain* form = Application.CreateForm<TfrmMain>(Context(), 0u);
    form->Show();
    ::UpdateWindow(form->Handle());
    Pump();
    form->ShowPage(pgManual);
    for (int tick = 0; tick < 4; ++tick) {
        form->TimerTimer();
        Pump();
    }
    ::UpdateWindow(form->Handle());
    Application.DestroyForm(form);
    Pump();
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: main_window_bench SKINFILE\n");
        return 64;
    }
    InitializeCPUUsage();
    InitializeGlobals();
    InitializeOptions();
    Application.Initialize();
    SetApplicationHandle(Application.Handle());
    Options->SetSkin(argv[1]);
    Options->SkipFinalSave();

    for (int i = 0; i < kWarmUp; ++i) Cycle();
    GuiObjectCounts before = CountGuiObjects();
    size_t privateBefore = PrivateBytes();
    double start = Seconds();
    for (int i = 0; i < kCycles; ++i) Cycle();
    double seconds = Seconds() - start;
    GuiObjectCounts after = CountGuiObjects();
    size_t privateAfter = PrivateBytes();

    std::printf("main window open/close x%d (%s skin)\n", kCycles, Options->SkinFileName().empty() ? "NO" : "default");
    std::printf("  one cycle:       %.1f ms\n", seconds * 1000.0 / kCycles);
    std::printf("  GDI objects:     %ld -> %ld (%+ld)%s\n", before.gdi, after.gdi, after.gdi - before.gdi,
                after.probed ? " (handle table probed)" : "");
    std::printf("  USER objects:    %ld -> %ld (%+ld)\n", before.user, after.user, after.user - before.user);
    std::printf("  private memory:  %.1f MB -> %.1f MB (%+.0f KB)\n", privateBefore / 1048576.0,
                privateAfter / 1048576.0, (double(privateAfter) - double(privateBefore)) / 1024.0);

    Application.Shutdown();
    FinalizeOptions();
    FinalizeGlobals();
    FinalizeCPUUsage();
    return 0;
}
