// Start-up and uninstall rules of the program's entry, kept apart from it so tests call them.
#pragma once
#include <windows.h>
#include <string>

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
