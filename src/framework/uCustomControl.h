// A windowed, owner-drawn child control: the stand-in for the GUI framework's custom
// control. Painting happens only in the paint cycle: Invalidate marks the control,
// WM_PAINT hands the BeginPaint context to the virtual Paint.
#pragma once
#include <windows.h>
#include "framework/uWindow.h"

class TCustomControl : public TWindowBase {
public:
    // Creates a visible child window of `parent` covering `bounds` (parent client coordinates).
    TCustomControl(HWND parent, const RECT& bounds, const wchar_t* className);

    int Width() const;
    int Height() const;
    void SetBounds(const RECT& bounds);
    void Invalidate();
    // The font the control inherits: the parent's (WM_GETFONT), else the default GUI font.
    HFONT Font() const;

protected:
    virtual void Paint(HDC dc) = 0;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void WMPaint();
};
