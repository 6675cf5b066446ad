// GDI and USER objects the calling process holds: GetGuiResources where the system reports
// them; Wine answers 0 there, so under Wine the handle tables are probed instead. Used by the
// leak tests and, injected into another process, by the footprint benchmark (bench/).
#pragma once
#include <windows.h>

struct GuiObjectCounts {
    long gdi;
    long user;
    bool probed;  // counted by probing, not reported by the system
};
GuiObjectCounts CountGuiObjects();

// The probes alone: every live GDI object, and every window and icon of the process.
long ProbeGdiObjects();
long ProbeUserObjects();
