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

const wchar_t* const InstanceLockName = L"Local\\Korvix Professional 5 - one copy";

TInstanceLock::~TInstanceLock() {
    if (held_ && mutex_) ::ReleaseMutex(mutex_.get());
}

bool TInstanceLock::TryAcquire() {
    if (held_) return true;
    if (mutex_) return WaitAcquire(0);
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, InstanceLockName);
    DWORD error = ::GetLastError();
    if (!mutex) {
        // A system without session namespaces refuses the prefix: the plain name is per
        // machine there, which is what a single session is.
        mutex = ::CreateMutexW(nullptr, TRUE, InstanceLockName + 6);
        error = ::GetLastError();
    }
    // Without any lock the engine window alone keeps the copies apart, as it always did.
    if (!mutex) return held_ = true;
    mutex_.reset(mutex);
    held_ = error != ERROR_ALREADY_EXISTS;
    return held_;
}

bool TInstanceLock::WaitAcquire(DWORD limitMs) {
    if (held_) return true;
    if (!mutex_) return TryAcquire();
    const DWORD result = ::WaitForSingleObject(mutex_.get(), limitMs);
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    return held_;
}

bool JoinRunningCopy(TInstanceLock& lock, DWORD limitMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (FindRunningInstance()) return true;
        if (lock.WaitAcquire(100)) return false;
        if (::GetTickCount() - start >= limitMs) return true;
    }
}
