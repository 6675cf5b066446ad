// Injected by footprint_probe.exe into the process it measures: counts that process's GDI
// and USER objects from inside, where Wine's handle tables can be probed (the probe asks
// GetGuiResources first; Wine answers 0 there). Each export is a thread routine; its exit
// code is the count.
#include <windows.h>
#include "support/GuiObjects.h"

extern "C" __declspec(dllexport) DWORD WINAPI CountGdi(void*) { return static_cast<DWORD>(ProbeGdiObjects()); }

extern "C" __declspec(dllexport) DWORD WINAPI CountUser(void*) { return static_cast<DWORD>(ProbeUserObjects()); }
