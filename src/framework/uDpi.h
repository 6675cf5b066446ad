// The display scale a window is drawn at. The program is per-monitor DPI aware (declared in
// its manifest, see docs/dpi.md): windows lay themselves out for their monitor's DPI and
// redo it on WM_DPICHANGED.
#pragma once
#include <windows.h>

constexpr UINT StandardDpi = 96;  // 100 %

// GetDpiForWindow where the system has it (Windows 10 1607 and later), otherwise the
// screen's LOGPIXELSY, which is what older systems scale every window to.
UINT WindowDpi(HWND window);
// A length given at 100 % for `dpi`, rounded to the nearest pixel.
int ScaleToDpi(int length, UINT dpi);
