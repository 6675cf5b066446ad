// What the engine asks of the windows above it. The main window and the Free-and-Run
// dialog live in a library above the engine (src/ui), which implements this interface;
// the program's entry (src/shell) connects the two, so the engine never depends upwards.
// Engine tests use a fake. All calls come from the engine on the main thread.
#pragma once
#include <windows.h>
#include <string>

class IEngineWindows {
public:
    virtual ~IEngineWindows() = default;

    // Finds the main window, or creates it, and shows it; answers its handle (null when it
    // could not be made).
    virtual HWND ShowMainWindow() = 0;
    // The main window's handle, or null when it is not open.
    virtual HWND FindMainWindow() = 0;
    // The status detail line ("working (37% done)"), for the main window's status display
    // when the main window is open.
    virtual void ShowStatusLine(const std::wstring& line) = 0;
    // After every sampling step: the performance charts of the open windows repaint.
    virtual void RepaintCharts() = 0;
    // The tray menu's "Manage entries...": brings the Free-and-Run dialog forward, creating
    // it when it is not open; it loads the configured skin through the engine's shared
    // skin control and is shown without waiting for it.
    virtual void ShowFreeAndRunDialog() = 0;
    // At shutdown and on the fatal path: every window of the layer is freed.
    virtual void FreeWindows() = 0;
};
