#include "support/GuiObjects.h"

using CursorFrameInfoFunc = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);

// Wine keeps GDI objects in a per-process table of 65536 entries and accepts a handle
// whose upper word is 0 as "any generation" of that entry, so GetObjectType of each index
// finds every live object. USER handles (windows, icons) work the same way: index
// (h - 0x20) / 2, upper word 0. Icons are found through GetCursorFrameInfo, which
// answers for any live icon or cursor and creates nothing.
long ProbeGdiObjects() {
    long n = 0;
    for (UINT_PTR i = 1; i < 0x10000; ++i)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++n;
    return n;
}

long ProbeUserObjects() {
    auto frameInfo = reinterpret_cast<CursorFrameInfoFunc>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetCursorFrameInfo")));
    DWORD self = ::GetCurrentProcessId();
    long n = 0;
    for (UINT_PTR i = 0; i < 0x7FE8; ++i) {
        HWND h = reinterpret_cast<HWND>(0x20 + 2 * i);
        DWORD pid = 0;
        if (::IsWindow(h)) {
            ::GetWindowThreadProcessId(h, &pid);
            if (pid == self) ++n;
        } else if (frameInfo) {
            DWORD rate = 0, steps = 0;
            if (frameInfo(reinterpret_cast<HCURSOR>(h), 0, 0, &rate, &steps)) ++n;
        }
    }
    return n;
}

GuiObjectCounts CountGuiObjects() {
    HANDLE self = ::GetCurrentProcess();
    long gdi = static_cast<long>(::GetGuiResources(self, GR_GDIOBJECTS));
    long user = static_cast<long>(::GetGuiResources(self, GR_USEROBJECTS));
    if (gdi > 0 && user > 0) return {gdi, user, false};
    return {ProbeGdiObjects(), ProbeUserObjects(), true};
}
