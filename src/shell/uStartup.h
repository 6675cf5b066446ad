// Start-up and uninstall rules of the program's entry, kept apart from it so tests call them.
#pragma once
#include <windows.h>
#include <string>
#include "framework/uHandles.h"

enum class TStartMode { Normal, Uninstall };
// Only the exact, case-sensitive "UNINSTALL" uninstalls.
TStartMode StartModeOf(const std::wstring& firstParameter);

// What to tell the user when pdh.dll's placement beside the program does not suit the system.
std::wstring PdhPlacementMessage(DWORD majorVersion, const std::wstring& pdhPath);

// The uninstall mode: closes a running copy and waits, at most `limitMs`, until it has ended
// (its final save writes the autostart value when its options say so), then removes the
// autostart value.
void Uninstall(DWORD limitMs);
// Waits until the copy whose engine window this is has ended: its process, or, for a window
// of this process, the window itself. True when it ended within `limitMs`.
bool WaitForInstanceEnd(HWND engine, DWORD limitMs);

// One copy per user session: a named mutex that a starting copy takes before anything else.
// Two copies started at the same moment would both miss each other's engine window; the
// mutex tells them apart. The engine window's protocol stays what other copies find.
class TInstanceLock {
public:
    TInstanceLock() = default;
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

    // True when this copy now holds the lock; false when another copy holds it.
    bool TryAcquire();
    // Waits at most `limitMs` for the holder to let go (or end); true when it is ours then.
    bool WaitAcquire(DWORD limitMs);
    bool Held() const noexcept { return held_; }

private:
    UniqueKernelHandle mutex_;
    bool held_ = false;
};

// The name of the lock, in the session's own namespace.
extern const wchar_t* const InstanceLockName;

// For a copy that found the lock taken: finds the running copy's engine window (and brings
// its main window forward), or takes the lock when the holder ends meanwhile (a copy that
// was just closing). True when this copy must end; false when it holds the lock now. A
// holder that shows no engine window within `limitMs` is a copy still starting: this one ends.
bool JoinRunningCopy(TInstanceLock& lock, DWORD limitMs);
