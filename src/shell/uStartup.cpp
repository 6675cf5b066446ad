#include "uStartup.h"
#include "framework/uHandles.h"
#include "framework/uText.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"

TStartMode StartModeOf(const std::wstring& firstParameter) {
    return firstParameter == L"UNINSTALL" ? TStartMode::Uninstall : TStartMode::Normal;
}

std::wstring PdhPlacementMessage(DWORD majorVersion, const std::wstring& pdhPath) {
    if (majorVersion >= 5)
        return ReplaceAll(L"Please delete the file \"%1\" before you run Korvix Professional.", L"%1", pdhPath);
    return L"PDH.DLL not found. Please reinstall Korvix Professional.";
}

bool WaitForInstanceEnd(HWND engine, DWORD limitMs) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(engine, &processId);
    if (processId && processId != ::GetCurrentProcessId()) {
        UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
        if (process) return ::WaitForSingleObject(process.get(), limitMs) == WAIT_OBJECT_0;
    }
    // A process we may not open, or our own: until the window is gone.
    const DWORD start = ::GetTickCount();
    while (::IsWindow(engine)) {
        if (::GetTickCount() - start >= limitMs) return false;
        ::Sleep(20);
    }
    return true;
}

void Uninstall(DWORD limitMs) {
    HWND engine = nullptr;
    if (CloseRunningInstance(&engine)) WaitForInstanceEnd(engine, limitMs);
    TKorvixOptions::RemoveAutostart();
}
