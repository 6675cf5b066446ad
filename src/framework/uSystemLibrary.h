// Loads a DLL from the system folder only, so a copy planted in the program
// folder or the current folder is never picked up.
#pragma once
#include <windows.h>

HMODULE LoadSystemLibrary(const wchar_t* fileName);

// At the start of the program: DLLs loaded at run time, by us or by the system on our behalf,
// come from the system folder only (where the system can restrict it: Windows 8, or 7 with
// KB2533623), and never from the current folder.
void RestrictDllSearch();

// A function of a system DLL that only a window, a dialog or a launch needs: the DLL is loaded
// from the system folder on first use and kept for the rest of the run, so a program that only
// sits in the tray never maps it (the open-file dialog alone brings the printing stack with it).
// Null when the DLL or the function cannot be had.
FARPROC SystemLibraryProc(const wchar_t* fileName, const char* procName);

template <typename Fn>
Fn SystemLibraryFunction(const wchar_t* fileName, const char* procName) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(SystemLibraryProc(fileName, procName)));
}
