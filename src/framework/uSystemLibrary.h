// Loads a DLL from the system folder only, so a copy planted in the program
// folder or the current folder is never picked up.
#pragma once
#include <windows.h>

HMODULE LoadSystemLibrary(const wchar_t* fileName);
