// Entry of Korvix.exe: the units initialize in order, the command line is
// handled, and the units finalize in reverse order.
#include <windows.h>
#include <shellapi.h>
#include <string>
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "probes/jovCPUUsage.h"

namespace {
std::wstring FirstParameter() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::wstring first = argv && argc > 1 ? argv[1] : L"";
    ::LocalFree(argv);
    return first;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    InitializeCPUUsage();
    InitializeGlobals();
    InitializeOptions();
    if (FirstParameter() == L"UNINSTALL") {
        TKorvixOptions::RemoveAutostart();
        Options->SkipFinalSave();
    }
    FinalizeOptions();
    FinalizeGlobals();
    FinalizeCPUUsage();
    return 0;
}
