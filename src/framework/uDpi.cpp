#include "uDpi.h"
#include "uHandles.h"

UINT WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        reinterpret_cast<GetDpiForWindowFn>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow"));
    if (getDpiForWindow && window) {
        if (UINT dpi = getDpiForWindow(window)) return dpi;
    }
    WindowDC screen(nullptr);
    int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : StandardDpi;
}

int ScaleToDpi(int length, UINT dpi) { return ::MulDiv(length, static_cast<int>(dpi), StandardDpi); }
