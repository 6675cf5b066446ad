// Entry of Korvix.exe: the units initialize in order, the command-line modes and
// the pdh.dll placement are handled, the application runs from the start-up form,
// and the units finalize in reverse order.
#include <windows.h>
#include <objbase.h>
#include <string>
#include "framework/uApplication.h"
#include "framework/uCommandLine.h"
#include "framework/uMessageBox.h"
#include "framework/uText.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"
#include "probes/jovCPUUsage.h"
#include "shell/fLaunchForm.h"
#include "shell/uHTMLHelp.h"
#include "shell/uStartup.h"

namespace {
void InitializeUnits() {
    // The shell runs programs for us (Free-and-Run); it expects a single-threaded apartment.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    InitializeCPUUsage();
    InitializeGlobals();
    InitializeOptions();
}

void FinalizeUnits() {
    Application.Shutdown();
    FinalizeHTMLHelp();
    FinalizeOptions();
    FinalizeGlobals();
    FinalizeCPUUsage();
    ::CoUninitialize();
}

// The running copy's final saves can take a while on a busy machine; past this, the value
// is removed all the same.
constexpr DWORD kUninstallWaitMs = 15000;

int RunUninstall() {
    Uninstall(kUninstallWaitMs);
    Options->SkipFinalSave();
    return 0;
}

int RunProgram() {
    std::wstring pdhPath;
    if (!CheckPdh(pdhPath)) {
        ShowMessageBox(nullptr, PdhPlacementMessage(DetectCpuUsagePlatform().majorVersion, pdhPath),
                       std::wstring(ProductName) + L" ERROR", MB_OK | MB_ICONERROR);
        return 1;
    }
    Application.Initialize();
    SetApplicationHandle(Application.Handle());
    Application.CreateForm<TfrmLaunch>();
    Application.Run();
    return 0;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    InitializeUnits();
    int exitCode = StartModeOf(FirstParameter()) == TStartMode::Uninstall ? RunUninstall() : RunProgram();
    FinalizeUnits();
    return exitCode;
}
