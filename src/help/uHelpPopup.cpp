#include "uHelpPopup.h"
#include <algorithm>
#include "framework/uSystemLibrary.h"

namespace {
// Layout at 96 dpi, scaled to the display.
constexpr int MaxTextWidth = 360;
constexpr int MarginX = 10;
constexpr int MarginY = 8;

int Scale(int value, int dpi) { return ::MulDiv(value, dpi, 96); }

int SystemDpi() {
    WindowDC screen(nullptr);
    return screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
}

// The tooltip font (the status font of the non-client metrics) at `dpi`.
UniqueFont TooltipFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    using TForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    auto forDpi =
        reinterpret_cast<TForDpi>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi"));
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
        return UniqueFont(::CreateFontIndirectW(&metrics.lfStatusFont));
    }
    // Older systems give the metrics at the system's scale.
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        return UniqueFont();  // painting falls back to the default GUI font
    }
    metrics.lfStatusFont.lfHeight = ::MulDiv(metrics.lfStatusFont.lfHeight, dpi, SystemDpi());
    return UniqueFont(::CreateFontIndirectW(&metrics.lfStatusFont));
}
RECT WrappedText(HDC dc, const std::wstring& text, int width) {
    RECT r{0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    return r;
}

// The text wrapped at the widest allowed width, then narrowed as far as it goes without a further
// line, so the lines come out of even length instead of leaving one word alone on the last.
RECT MeasureText(const std::wstring& text, HGDIOBJ font, int dpi) {
    WindowDC screen(nullptr);
    SelectGuard select(screen.get(), font);
    RECT widest = WrappedText(screen.get(), text, Scale(MaxTextWidth, dpi));
    int lo = widest.right / 2, hi = widest.right;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (WrappedText(screen.get(), text, mid).bottom <= widest.bottom) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return WrappedText(screen.get(), text, hi);
}
}  // namespace

RECT PlaceHelpPopup(SIZE size, POINT at, const RECT& workArea) {
    LONG left = at.x - size.cx / 2;
    LONG top = at.y;
    // Right and bottom first, so a popup larger than the work area keeps its left and top edges on it.
    left = std::max<LONG>(std::min<LONG>(left, workArea.right - size.cx), workArea.left);
    top = std::max<LONG>(std::min<LONG>(top, workArea.bottom - size.cy), workArea.top);
    return {left, top, left + size.cx, top + size.cy};
}

int HelpPopupDpi(POINT at) {
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    using TThreadContext = DPI_AWARENESS_CONTEXT(WINAPI*)();
    using TAwareness = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);
    auto threadContext = reinterpret_cast<TThreadContext>(::GetProcAddress(user32, "GetThreadDpiAwarenessContext"));
    auto awarenessOf = reinterpret_cast<TAwareness>(::GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext"));
    if (!threadContext || !awarenessOf) return SystemDpi();  // before Windows 10 the system scale is the one
    switch (awarenessOf(threadContext())) {
        case DPI_AWARENESS_UNAWARE: return 96;  // the system stretches our pixels
        case DPI_AWARENESS_PER_MONITOR_AWARE: {
            UniqueModule shcore(LoadSystemLibrary(L"shcore.dll"));
            using TForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
            auto forMonitor =
                shcore ? reinterpret_cast<TForMonitor>(::GetProcAddress(shcore.get(), "GetDpiForMonitor")) : nullptr;
            UINT x = 0, y = 0;
            if (forMonitor && SUCCEEDED(forMonitor(::MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), 0, &x, &y))) {
                return static_cast<int>(y);
            }
            return SystemDpi();
        }
        default: return SystemDpi();
    }
}

void THelpPopup::Show(const std::wstring& text, POINT at, HWND owner) {
    Close();
    text_ = text;
    dpi_ = HelpPopupDpi(at);
    font_ = TooltipFont(dpi_);

    RECT textRect = MeasureText(text_, font_ ? font_.get() : ::GetStockObject(DEFAULT_GUI_FONT), dpi_);
    int border = std::max(1, Scale(1, dpi_));
    SIZE size{textRect.right + 2 * (Scale(MarginX, dpi_) + border),
              textRect.bottom + 2 * (Scale(MarginY, dpi_) + border)};
    MONITORINFO monitor{sizeof(monitor)};
    ::GetMonitorInfoW(::MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT place = PlaceHelpPopup(size, at, monitor.rcWork);

    // The text is also the window's text, for screen readers.
    CreateHandle({.className = HelpPopupClassName,
                  .title = text_.c_str(),
                  .style = WS_POPUP,
                  .exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                  .parent = owner,
                  .x = place.left,
                  .y = place.top,
                  .width = size.cx,
                  .height = size.cy,
                  .classStyle = CS_DROPSHADOW | CS_SAVEBITS});
    ::ShowWindow(Handle(), SW_SHOW);
    // Active and focused, so that a key or a click elsewhere reaches or leaves it.
    ::SetForegroundWindow(Handle());
    ::SetFocus(Handle());
}

void THelpPopup::Close() {
    if (closing_) return;
    closing_ = true;
    Destroy();
    closing_ = false;
}

LRESULT THelpPopup::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: WMPaint(); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KILLFOCUS: Close(); return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                Close();
                return 0;
            }
            return DefaultProc(msg, wParam, lParam);
        case WM_MOUSEACTIVATE: return MA_ACTIVATE;
        default: return DefaultProc(msg, wParam, lParam);
    }
}

void THelpPopup::WMPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(Handle(), &ps);
    RECT client;
    ::GetClientRect(Handle(), &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_INFOBK));
    int border = std::max(1, Scale(1, dpi_));
    RECT edge = client;
    for (int i = 0; i < border; ++i) {
        ::FrameRect(dc, &edge, ::GetSysColorBrush(COLOR_WINDOWFRAME));
        ::InflateRect(&edge, -1, -1);
    }
    RECT textRect = client;
    ::InflateRect(&textRect, -(Scale(MarginX, dpi_) + border), -(Scale(MarginY, dpi_) + border));
    SelectGuard select(dc, font_ ? font_.get() : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_INFOTEXT));
    ::DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &textRect,
                DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    ::EndPaint(Handle(), &ps);
}
