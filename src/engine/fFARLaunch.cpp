#include "fFARLaunch.h"
#include "framework/uPaint.h"

namespace {
// Label rectangles: left 8, top 8, 305 x 16 and left 8, top 40, 305 x 17.
constexpr RECT kLaunchingRect{8, 8, 8 + 305, 8 + 16};
constexpr RECT kStatusRect{8, 40, 8 + 305, 40 + 17};

HFONT MakeArial(int height, int weight) {
    return ::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
}

void DrawLabel(HDC dc, HFONT font, const std::wstring& text, RECT rect) {
    SelectGuard select(dc, font);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
                DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}
}  // namespace

TForm::CreateParams TfrmFARLaunch::FormParams() {
    // Borderless, so the window is exactly the client area, centred on the screen.
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - ClientWidth) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - ClientHeight) / 2;
    return {.className = L"TfrmFARLaunch",
            .style = WS_POPUP,
            .exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
            .x = x,
            .y = y,
            .width = ClientWidth,
            .height = ClientHeight};
}

void TfrmFARLaunch::FormCreate() {
    boldFont_.reset(MakeArial(-13, FW_BOLD));
    plainFont_.reset(MakeArial(-11, FW_NORMAL));
}

void TfrmFARLaunch::SetLaunchingText(const std::wstring& text) {
    launching_ = text;
    Invalidate();
}

void TfrmFARLaunch::SetStatusText(const std::wstring& text) {
    status_ = text;
    Invalidate();
}

void TfrmFARLaunch::Invalidate() {
    if (Handle()) ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TfrmFARLaunch::RepaintNow() {
    if (Handle()) ::UpdateWindow(Handle());
}

void TfrmFARLaunch::PaintTo(HDC dc) const {
    // A one-pixel black frame around an inner panel of window colour.
    RECT all{0, 0, ClientWidth, ClientHeight};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    RECT inner{1, 1, ClientWidth - 1, ClientHeight - 1};
    ::FillRect(dc, &inner, ::GetSysColorBrush(COLOR_WINDOW));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    DrawLabel(dc, boldFont_.get(), launching_, kLaunchingRect);
    DrawLabel(dc, plainFont_.get(), status_, kStatusRect);
}

LRESULT TfrmFARLaunch::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND: return 1;  // the paint covers everything
        case WM_PAINT: {
            PaintDC dc(Handle());
            PaintTo(dc.get());
            return 0;
        }
    }
    return TForm::WndProc(msg, wParam, lParam);
}
