// Start-up texts that depend on the system.
#pragma once
#include <windows.h>
#include <string>

// What to tell the user when pdh.dll's placement beside the program does not suit the system.
std::wstring PdhPlacementMessage(DWORD majorVersion, const std::wstring& pdhPath);
