#include "skin/uSkinDialogScrollBar.h"
#include <algorithm>
#include <climits>
#include <windowsx.h>
#include "framework/uPaint.h"
#include "skin/uSkinModel.h"
#include "skin/uSkinRaster.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x4B534253;
constexpr UINT_PTR kRepeatTimer = 0x4B53;
constexpr UINT kFirstRepeatMs = 350, kRepeatMs = 60;

SCROLLINFO Info(HWND bar) {
    SCROLLINFO info{sizeof(info), SIF_ALL};
    ::SendMessageW(bar, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info;
}

// A chevron pointing left, right, up or down, centred in `r`.
void DrawArrow(HDC dc, const RECT& r, bool horizontal, bool next, COLORREF color) {
    const int size = std::max<int>(2, std::min<int>(r.right - r.left, r.bottom - r.top) / 4);
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    POINT p[3];
    if (horizontal) {
        const int d = next ? 1 : -1;
        p[0] = {cx - d * size / 2, cy - size};
        p[1] = {cx + d * (size - size / 2), cy};
        p[2] = {cx - d * size / 2, cy + size};
    } else {
        const int d = next ? 1 : -1;
        p[0] = {cx - size, cy - d * size / 2};
        p[1] = {cx, cy + d * (size - size / 2)};
        p[2] = {cx + size, cy - d * size / 2};
    }
    UniqueBrush brush(::CreateSolidBrush(color));
    UniquePen pen(::CreatePen(PS_SOLID, 1, color));
    SelectGuard selectBrush(dc, brush.get());
    SelectGuard selectPen(dc, pen.get());
    ::Polygon(dc, p, 3);
}
}  // namespace

TSkinDialogScrollBar::TSkinDialogScrollBar(HWND bar, HWND dialog, std::shared_ptr<TSkinPainter> painter,
                                           const SkinDialogStyle& style)
    : bar_(bar),
      dialog_(dialog),
      painter_(std::move(painter)),
      style_(style),
      horizontal_((::GetWindowLongPtrW(bar, GWL_STYLE) & SBS_VERT) == 0) {}

void TSkinDialogScrollBar::Start() {
    Attach(bar_, kSubclassId);
    ::InvalidateRect(bar_, nullptr, FALSE);
}

TSkinDialogScrollBar::~TSkinDialogScrollBar() {
    Detach();
    if (!::IsWindow(bar_)) return;
    if (tracking_ || pressed_ != None) {
        ::KillTimer(bar_, kRepeatTimer);
        if (::GetCapture() == bar_) ::ReleaseCapture();
    }
    ::InvalidateRect(bar_, nullptr, TRUE);
}

void TSkinDialogScrollBar::SetLook(HBRUSH background, int dpi) {
    background_ = background;
    dpi_ = dpi;
    ::InvalidateRect(bar_, nullptr, FALSE);
}

SkinScrollValues TSkinDialogScrollBar::Values(const SCROLLINFO& info, int pos) {
    return {info.nMin, info.nMax, static_cast<int>(std::min<UINT>(info.nPage, INT_MAX)), 1, pos};
}

SkinScrollParts TSkinDialogScrollBar::Parts(SIZE size, bool horizontal, const SkinScrollValues& v) {
    const int thickness = horizontal ? size.cy : size.cx;
    return ScrollParts({0, 0, size.cx, size.cy}, !horizontal, true, v, thickness / 2 + 4);
}

SkinScrollParts TSkinDialogScrollBar::Current(RECT* client) const {
    RECT r{};
    ::GetClientRect(bar_, &r);
    if (client) *client = r;
    const SCROLLINFO info = Info(bar_);
    return Parts({r.right, r.bottom}, horizontal_, Values(info, tracking_ ? trackPos_ : info.nPos));
}

int TSkinDialogScrollBar::Along(POINT at) const { return horizontal_ ? at.x : at.y; }

// Where a part begins or ends along the bar's axis.
int TSkinDialogScrollBar::Along(const SkinRect& r, bool end) const {
    return horizontal_ ? r.x + (end ? r.w : 0) : r.y + (end ? r.h : 0);
}

TSkinDialogScrollBar::Part TSkinDialogScrollBar::HitTest(POINT at) const {
    RECT r{};
    const SkinScrollParts p = Current(&r);
    if (!::PtInRect(&r, at)) return None;
    const int a = Along(at);
    if (a < Along(p.track, false)) return PrevArrow;
    if (a >= Along(p.track, true)) return NextArrow;
    if (a < Along(p.thumb, false)) return PrevPage;
    if (a >= Along(p.thumb, true)) return NextPage;
    return Thumb;
}

void TSkinDialogScrollBar::Send(WORD code) {
    ::SendMessageW(::GetParent(bar_), horizontal_ ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(code, 0),
                   reinterpret_cast<LPARAM>(bar_));
}

void TSkinDialogScrollBar::Press(Part part) {
    switch (part) {
        case PrevArrow: Send(SB_LINEUP); break;
        case NextArrow: Send(SB_LINEDOWN); break;
        case PrevPage: Send(SB_PAGEUP); break;
        case NextPage: Send(SB_PAGEDOWN); break;
        default: break;
    }
}

// A held arrow or page press repeats while the pointer stays over the part it started on.
void TSkinDialogScrollBar::Repeat() {
    POINT at{};
    ::GetCursorPos(&at);
    ::ScreenToClient(bar_, &at);
    if (HitTest(at) == pressed_) Press(pressed_);
    ::SetTimer(bar_, kRepeatTimer, kRepeatMs, nullptr);
}

LRESULT TSkinDialogScrollBar::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PaintDC paint(bar_);
            Paint(paint.get());
            return 0;
        }
        // The control would draw itself at once, around the paint cycle: it redraws in ours.
        case SBM_SETSCROLLINFO:
        case SBM_SETPOS:
        case SBM_SETRANGEREDRAW: {
            if (msg == SBM_SETRANGEREDRAW) msg = SBM_SETRANGE;
            LRESULT result = DefaultProc(msg, msg == SBM_SETRANGE ? wParam : FALSE, lParam);
            ::InvalidateRect(bar_, nullptr, FALSE);
            return result;
        }
        case SBM_GETSCROLLINFO: {
            LRESULT result = DefaultProc(msg, wParam, lParam);
            auto* info = reinterpret_cast<SCROLLINFO*>(lParam);
            if (tracking_ && info && (info->fMask & SIF_TRACKPOS)) info->nTrackPos = trackPos_;
            return result;
        }
        case WM_ENABLE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS: {
            LRESULT result = DefaultProc(msg, wParam, lParam);
            if (msg == WM_SETFOCUS) ::HideCaret(bar_);  // the system's blinking thumb: ours is a ring
            ::InvalidateRect(bar_, nullptr, FALSE);
            return result;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            if (::GetWindowLongPtrW(bar_, GWL_STYLE) & WS_TABSTOP) ::SetFocus(bar_);
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            pressed_ = HitTest(at);
            ::SetCapture(bar_);
            if (pressed_ == Thumb) {
                grabOffset_ = Along(at) - Along(Current().thumb, false);
                trackPos_ = Info(bar_).nPos;
                tracking_ = true;
            } else if (pressed_ != None) {
                Press(pressed_);
                ::SetTimer(bar_, kRepeatTimer, kFirstRepeatMs, nullptr);
            }
            ::InvalidateRect(bar_, nullptr, FALSE);
            return 0;
        }
        case WM_MOUSEMOVE: {
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (tracking_) {
                const int pos =
                    ScrollPositionAt(Current(), !horizontal_, Values(Info(bar_), trackPos_), Along(at) - grabOffset_);
                if (pos != trackPos_) {
                    trackPos_ = pos;
                    Send(SB_THUMBTRACK);
                    ::InvalidateRect(bar_, nullptr, FALSE);
                }
                return 0;
            }
            Part hot = HitTest(at);
            if (hot != hot_) {
                hot_ = hot;
                TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, bar_, 0};
                ::TrackMouseEvent(&tme);
                ::InvalidateRect(bar_, nullptr, FALSE);
            }
            return 0;
        }
        case WM_MOUSELEAVE:
            hot_ = None;
            ::InvalidateRect(bar_, nullptr, FALSE);
            return 0;
        case WM_TIMER:
            if (wParam != kRepeatTimer) break;
            if (pressed_ == None || pressed_ == Thumb) {
                ::KillTimer(bar_, kRepeatTimer);
            } else {
                Repeat();
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED: {
            if (pressed_ == None && !tracking_) break;
            const bool wasTracking = tracking_;
            ::KillTimer(bar_, kRepeatTimer);
            pressed_ = None;
            if (wasTracking) Send(SB_THUMBPOSITION);
            tracking_ = false;
            if (msg == WM_LBUTTONUP && ::GetCapture() == bar_) ::ReleaseCapture();
            Send(SB_ENDSCROLL);
            ::InvalidateRect(bar_, nullptr, FALSE);
            return 0;
        }
    }
    return DefaultProc(msg, wParam, lParam);
}

void TSkinDialogScrollBar::Paint(HDC target) {
    RECT r{};
    const SkinScrollParts p = Current(&r);
    if (r.right <= 0 || r.bottom <= 0) return;
    UniqueBitmap buffer = CreateSkinDib(r.right, r.bottom);
    UniqueMemoryDC dc(::CreateCompatibleDC(target));
    SelectGuard select(dc.get(), buffer.get());
    POINT at{0, 0};
    ::MapWindowPoints(bar_, dialog_, &at, 1);
    ::SetBrushOrgEx(dc.get(), -at.x, -at.y, nullptr);
    ::FillRect(dc.get(), &r, background_ ? background_ : ::GetSysColorBrush(COLOR_BTNFACE));
    auto span = [&](int from, int to) {
        return horizontal_ ? RECT{from, 0, to, r.bottom} : RECT{0, from, r.right, to};
    };
    const bool enabled = ::IsWindowEnabled(bar_) != FALSE;
    const SCROLLINFO info = Info(bar_);
    const bool movable = enabled && info.nMax - info.nMin + 1 > std::max<int>(int(info.nPage), 1);
    painter_->DrawSection(dc.get(), style_.scrollTrack, span(0, horizontal_ ? r.right : r.bottom), dpi_);
    const COLORREF ink = SkinColorValue(enabled ? style_.text : style_.button[sdDisabled].Color);
    DrawArrow(dc.get(), span(0, Along(p.track, false)), horizontal_, false, ink);
    DrawArrow(dc.get(), span(Along(p.track, true), horizontal_ ? r.right : r.bottom), horizontal_, true, ink);
    if (movable) {
        RECT thumb = span(Along(p.thumb, false), Along(p.thumb, true));
        const int inset = std::max(1, ScaleDesign(2, dpi_));
        if (horizontal_) {
            ::InflateRect(&thumb, 0, -inset);
        } else {
            ::InflateRect(&thumb, -inset, 0);
        }
        const bool lit = tracking_ || hot_ == Thumb;
        painter_->DrawSection(dc.get(), lit ? style_.scrollThumbHot : style_.scrollThumb, thumb, dpi_);
        if (::GetFocus() == bar_) painter_->DrawFocusMark(dc.get(), thumb, dpi_, style_.focus, 1);
    }
    ::BitBlt(target, 0, 0, r.right, r.bottom, dc.get(), 0, 0, SRCCOPY);
}
