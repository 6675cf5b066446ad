// Entry of Korvix.exe: the units initialize in order, the command-line modes and
// the pdh.dll placement are handled, the application runs from the start-up form,
// and the units finalize in reverse order.
#include <windows.h>
#include <string>
#include "framework/uApplication.h"
#include "framework/uCommandLine.h"
#include "framework/uMessageBox.h"
#include "framework/uShell.h"
#include "framework/uSystemLibrary.h"
#include "framework/uText.h"
#include "help/uHTMLHelp.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"
#include "probes/jovCPUUsage.h"
#include "shell/fLaunchForm.h"
#include "shell/uStartup.h"

namespace {
// COM is joined only when a launch or the file dialog needs the shell (EnterComApartment).
void InitializeUnits() {
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
    LeaveComApartment();
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

// A copy that finds another holding the lock waits this long for that copy's engine window.
constexpr DWORD kJoinWaitMs = 10000;

// The lock comes first, before the options are read: a copy that waited for a closing copy
// must load what that copy saved last.
bool AnotherCopyRuns(TInstanceLock& lock) {
    const std::wstring first = FirstParameter();
    if (StartModeOf(first) == TStartMode::Uninstall || first == L"quit") return false;
    return !lock.TryAcquire() && JoinRunningCopy(lock, kJoinWaitMs);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    RestrictDllSearch();
    TInstanceLock lock;  // held until the last save is done
    if (AnotherCopyRuns(lock)) return 0;
    InitializeUnits();
    int exitCode = StartModeOf(FirstParameter()) == TStartMode::Uninstall ? RunUninstall() : RunProgram();
    FinalizeUnits();
    return exitCode;
}
