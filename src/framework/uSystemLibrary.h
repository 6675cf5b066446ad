// Loads a DLL from the system folder only, so a copy planted in the program
// folder or the current folder is never picked up.
#pragma once
#include <windows.h>

HMODULE LoadSystemLibrary(const wchar_t* fileName);

// At the start of the program: DLLs loaded at run time, by us or by the system on our behalf,
// come from the system folder only (where the system can restrict it: Windows 8, or 7 with
// KB2533623), and never from the current folder.
void RestrictDllSearch();
