#include "uCustomControl.h"
#include "uPaint.h"

TCustomControl::TCustomControl(HWND parent, const RECT& bounds, const wchar_t* className) {
    // No class background brush: the control paints every pixel itself.
    CreateHandle({.className = className,
                  .style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                  .parent = parent,
                  .x = bounds.left,
                  .y = bounds.top,
                  .width = bounds.right - bounds.left,
                  .height = bounds.bottom - bounds.top});
}

int TCustomControl::Width() const {
    RECT r{};
    ::GetClientRect(Handle(), &r);
    return r.right - r.left;
}

int TCustomControl::Height() const {
    RECT r{};
    ::GetClientRect(Handle(), &r);
    return r.bottom - r.top;
}

void TCustomControl::SetBounds(const RECT& bounds) {
    ::MoveWindow(Handle(), bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, TRUE);
}

void TCustomControl::Invalidate() { ::InvalidateRect(Handle(), nullptr, FALSE); }

HFONT TCustomControl::Font() const {
    HWND parent = ::GetParent(Handle());
    HFONT font = parent ? reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
    return font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

LRESULT TCustomControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: WMPaint(); return 0;
        default: return DefaultProc(msg, wParam, lParam);
    }
}

void TCustomControl::WMPaint() {
    PaintDC dc(Handle());
    Paint(dc.get());
}
