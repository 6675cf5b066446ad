// A window drawn from a skin form: one back buffer, only invalidated rectangles repainted,
// mouse and keyboard turned into the skin's events, caption areas, rounded window region,
// per-monitor DPI and the animation timer.
#include <windows.h>
#include <algorithm>
#include <map>
#include <windowsx.h>
#include "framework/uPaint.h"
#include "skin/uSkinAccessible.h"
#include "skin/uSkinAnimation.h"
#include "skin/uSkinBinding.h"
#include "skin/uSkinRaster.h"

namespace {
constexpr UINT_PTR AnimationTimer = 0x534B;
constexpr UINT_PTR RepeatTimer = 0x534C;
constexpr UINT RepeatDelay = 400, RepeatPeriod = 50;  // ms: holding an arrow or the page area
constexpr int FocusMargin = 5;                        // design pixels the focus mark reaches beyond its element

RECT Union(const RECT& a, const RECT& b) {
    if (::IsRectEmpty(&a)) return b;
    if (::IsRectEmpty(&b)) return a;
    RECT r;
    ::UnionRect(&r, &a, &b);
    return r;
}

// Posted by a skinned form to itself to tell the animations that ended.
UINT AnimationEndedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"KorvixSkinAnimationEnded");
    return message;
}

// Posted by a skinned form to itself: an accessibility tool asked for an element's default action.
UINT AccessActionMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"KorvixSkinAccessAction");
    return message;
}

bool Interactive(TSkinElementKind kind) {
    return kind == TSkinElementKind::Button || kind == TSkinElementKind::ScrollBar;
}

// One refresh per display frame; 60 Hz when the display does not say.
UINT FramePeriod() {
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    if (::EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1)
        return std::clamp<UINT>(1000 / mode.dmDisplayFrequency, 4, 40);
    return 16;
}

class TSkinFormWindow : public TSkinBinding, public TSkinHost, public TSkinAccessHost {
public:
    TSkinFormWindow(HWND window, std::shared_ptr<TSkinPainter> painter, TSkinEventSink sink, const SkinForm& form)
        : TSkinBinding(window, std::move(painter), std::move(sink)), form_(form) {
        tree_ = BuildFormTree(painter_->ModelPtr(), form);
        tree_->host = this;
        animator_ = std::make_unique<TSkinAnimator>(*tree_);
        dpi_ = static_cast<int>(WindowDpi(window));
        style_ = ::GetWindowLongPtrW(window, GWL_STYLE);
        exStyle_ = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    }

    void Start() override {
        Attach();
        LONG_PTR style = style_ | WS_CLIPCHILDREN;
        LONG_PTR exStyle = exStyle_;
        if (form_.ownFrame && !(style_ & WS_CHILD)) {
            style &= ~(WS_CAPTION | WS_THICKFRAME);
            exStyle &= ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
        }
        ::SetWindowLongPtrW(window_, GWL_STYLE, style);
        ::SetWindowLongPtrW(window_, GWL_EXSTYLE, exStyle);
        FitWindow(nullptr);
        ::InvalidateRect(window_, nullptr, FALSE);
    }

    ~TSkinFormWindow() override {
        if (access_) {
            access_->Disconnect();
            access_->Release();
        }
        Detach();  // restoring the frame below sends messages that are no longer ours
        if (!::IsWindow(window_)) return;
        ::KillTimer(window_, AnimationTimer);
        ::KillTimer(window_, RepeatTimer);
        if (::GetCapture() == window_) ::ReleaseCapture();
        ::SetWindowRgn(window_, nullptr, TRUE);
        // The frame styles go back as they were; whether the window is shown, enabled,
        // minimized or maximized is its state now, not at skinning (a window skinned before it
        // was first shown would otherwise vanish).
        constexpr LONG_PTR kState = WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE;
        LONG_PTR now = ::GetWindowLongPtrW(window_, GWL_STYLE);
        ::SetWindowLongPtrW(window_, GWL_STYLE, (style_ & ~kState) | (now & kState));
        ::SetWindowLongPtrW(window_, GWL_EXSTYLE, exStyle_);
        ::SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        ::InvalidateRect(window_, nullptr, TRUE);
    }

    // TSkinHost
    int Dpi() const override { return dpi_; }
    void InvalidateNode(int index) override {
        RECT r = Extent(index);
        ::InvalidateRect(window_, &r, FALSE);
    }
    void StartAnimation(int node, int animation) override {
        InvalidateNode(node);
        // One moment for both: the animation's first frames apply as they are, however long
        // the machine takes between the two calls.
        const unsigned now = ::GetTickCount();
        std::vector<TSkinAnimator::Ended> ended;
        std::vector<int> changed;
        // Only this animation steps: starting a whole set costs each of them once.
        animator_->Start(node, animation, now, changed, ended);
        for (int n : changed) InvalidateNode(n);
        if (animator_->Running()) ::SetTimer(window_, AnimationTimer, FramePeriod(), nullptr);
        TellEnded(ended);
    }
    bool AnimationRunning(int node) const override { return animator_->RunningOn(node); }
    void ElementChanged(int index) override {
        // Only once a tool has asked: nobody listens before that.
        if (access_) AnnounceChanges(index);
    }

    // TSkinAccessHost
    HWND AccessWindow() const override { return window_; }
    std::vector<int> AccessNodes() const override {
        std::vector<int> nodes;
        for (int i = 1; i < int(tree_->nodes.size()); ++i) {
            const TSkinNode& n = tree_->nodes[i];
            if (n.name.empty() || !tree_->Visible(i)) continue;
            RECT r = tree_->DeviceRect(i, dpi_);
            if (::IsRectEmpty(&r) || AccessInfo(i).Role == TSkinAccessRole::None) continue;
            nodes.push_back(i);
        }
        return nodes;
    }
    TSkinAccessInfo AccessInfo(int node) const override {
        if (!sink_.skin || !sink_.skin->OnAccessibleInfo) return {};
        try {
            return sink_.skin->OnAccessibleInfo(TSkinAccess::Object(tree_, node));
        } catch (...) {
            return {};  // an element the program cannot describe is not shown
        }
    }
    RECT AccessScreenRect(int node) const override {
        RECT r = tree_->DeviceRect(node, dpi_);
        ::MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    DWORD AccessState(int node) const override {
        const TSkinNode& n = tree_->nodes[node];
        TSkinAccessRole role = AccessInfo(node).Role;
        DWORD state = 0;
        if (Interactive(n.kind)) state |= STATE_SYSTEM_FOCUSABLE;
        if (node == focused_ && ::GetFocus() == window_) state |= STATE_SYSTEM_FOCUSED;
        if (role == TSkinAccessRole::PushButton && n.pressed) state |= STATE_SYSTEM_PRESSED;
        if ((role == TSkinAccessRole::CheckBox || role == TSkinAccessRole::RadioButton) && (n.checked || n.pressed))
            state |= STATE_SYSTEM_CHECKED;
        if (role == TSkinAccessRole::StaticText || role == TSkinAccessRole::StatusBar) state |= STATE_SYSTEM_READONLY;
        if (!::IsWindowEnabled(window_)) state |= STATE_SYSTEM_UNAVAILABLE;
        if (!tree_->Visible(node) || n.alpha == 0 || !::IsWindowVisible(window_)) state |= STATE_SYSTEM_INVISIBLE;
        for (int i = hot_; i > 0; i = tree_->nodes[i].parent)
            if (i == node) state |= STATE_SYSTEM_HOTTRACKED;
        return state;
    }
    int AccessHit(POINT client) const override {
        std::vector<int> nodes = AccessNodes();
        for (int i = HitTest(client); i > 0; i = tree_->nodes[i].parent)
            if (std::find(nodes.begin(), nodes.end(), i) != nodes.end()) return i;
        return -1;
    }
    void AccessDefaultAction(int node) override { ::PostMessageW(window_, AccessActionMessage(), WPARAM(node), 0); }
    void AccessFocus(int node) override {
        if (::GetFocus() != window_) ::SetFocus(window_);
        showFocus_ = true;
        MoveFocusTo(node);
    }

protected:
    const char* Place() const noexcept override { return "form"; }
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        switch (msg) {
            case WM_ERASEBKGND: return 1;
            case WM_PAINT: WMPaint(); return 0;
            case WM_NCHITTEST: return WMNCHitTest(wParam, lParam);
            case WM_MOUSEMOVE: WMMouseMove(pt); return 0;
            case WM_MOUSELEAVE: WMMouseLeave(); return 0;
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK: WMButtonDown(TMouseButton::mbLeft, pt); return 0;
            case WM_RBUTTONDOWN: WMButtonDown(TMouseButton::mbRight, pt); return 0;
            case WM_MBUTTONDOWN: WMButtonDown(TMouseButton::mbMiddle, pt); return 0;
            case WM_LBUTTONUP: WMButtonUp(TMouseButton::mbLeft, pt); return 0;
            case WM_RBUTTONUP: WMButtonUp(TMouseButton::mbRight, pt); return 0;
            case WM_MBUTTONUP: WMButtonUp(TMouseButton::mbMiddle, pt); return 0;
            case WM_CAPTURECHANGED: WMCaptureChanged(); return DefaultProc(msg, wParam, lParam);
            case WM_MOUSEWHEEL:
                return WMMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), pt) ? 0 : DefaultProc(msg, wParam, lParam);
            case WM_KEYDOWN: return WMKeyDown(wParam) ? 0 : DefaultProc(msg, wParam, lParam);
            // The form moves its own focus and clicks its own buttons: a dialog manager in
            // the message loop (IsDialogMessage) must leave Tab, the arrows, Enter and Space to it.
            case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
            case WM_SETFOCUS:
            case WM_KILLFOCUS:
                if (focused_ >= 0) InvalidateNode(focused_);
                return DefaultProc(msg, wParam, lParam);
            case WM_TIMER:
                if (wParam == AnimationTimer)
                    WMAnimationTimer();
                else if (wParam == RepeatTimer)
                    WMRepeatTimer();
                else
                    return DefaultProc(msg, wParam, lParam);
                return 0;
            case WM_DPICHANGED: WMDpiChanged(SkinMessageDpi(wParam), reinterpret_cast<const RECT*>(lParam)); return 0;
            case WM_GETOBJECT:
                if (static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT) && sink_.skin &&
                    sink_.skin->OnAccessibleInfo) {
                    if (!access_) {
                        access_ = new TSkinAccessible(*this);
                        for (int node : AccessNodes()) {
                            TSkinAccessInfo info = AccessInfo(node);
                            announced_[node] = {info.Name, info.Value, AccessState(node)};
                        }
                    }
                    return SkinAccessResult(*access_, wParam);
                }
                return DefaultProc(msg, wParam, lParam);
            default:
                if (msg == AccessActionMessage()) {
                    WMAccessAction(static_cast<int>(wParam));
                    return 0;
                }
                if (msg == AnimationEndedMessage()) {
                    WMAnimationEnded();
                    return 0;
                }
                return DefaultProc(msg, wParam, lParam);
        }
    }

private:
    // The client rectangle an element covers with everything it holds.
    RECT Extent(int index) const {
        RECT r = tree_->DeviceRect(index, dpi_);
        if (index == FocusedShown()) {
            int m = ScaleDesign(FocusMargin, dpi_);
            ::InflateRect(&r, m, m);
        }
        for (int child : tree_->nodes[index].children) r = Union(r, Extent(child));
        return r;
    }

    int FocusedShown() const { return showFocus_ && ::GetFocus() == window_ ? focused_ : -1; }

    void FitWindow(const RECT* suggested) {
        RECT client{0, 0, ScaleDesign(form_.width, dpi_), ScaleDesign(form_.height, dpi_)};
        RECT outer = client;
        ::AdjustWindowRectEx(&outer, DWORD(::GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                             DWORD(::GetWindowLongPtrW(window_, GWL_EXSTYLE)));
        RECT now{};
        ::GetWindowRect(window_, &now);
        POINT at = suggested ? POINT{suggested->left, suggested->top} : POINT{now.left, now.top};
        if (::GetWindowLongPtrW(window_, GWL_STYLE) & WS_CHILD)
            ::MapWindowPoints(nullptr, ::GetParent(window_), &at, 1);
        ::SetWindowPos(window_, nullptr, at.x, at.y, outer.right - outer.left, outer.bottom - outer.top,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | (suggested ? 0 : SWP_NOMOVE));
        if (form_.ownFrame && form_.corners > 0) {
            int d = 2 * ScaleDesign(form_.corners, dpi_);
            ::SetWindowRgn(window_, ::CreateRoundRectRgn(0, 0, client.right + 1, client.bottom + 1, d, d), TRUE);
        }
    }

    void WMPaint() {
        PaintDC paint(window_);
        HDC dc = paint.get();
        RECT client;
        ::GetClientRect(window_, &client);
        if (client.right > backWidth_ || client.bottom > backHeight_ || !back_) {
            backWidth_ = std::max<int>(client.right, 1);
            backHeight_ = std::max<int>(client.bottom, 1);
            back_ = CreateSkinDib(backWidth_, backHeight_);
        }
        UniqueMemoryDC backDC(::CreateCompatibleDC(dc));
        SelectGuard select(backDC.get(), back_.get());
        const RECT& r = paint.Area();
        ::IntersectClipRect(backDC.get(), r.left, r.top, r.right, r.bottom);
        // What the form does not cover keeps the root's colour.
        UniqueBrush root(::CreateSolidBrush(SkinColorValue(tree_->nodes[0].color)));
        ::FillRect(backDC.get(), &r, root.get());
        TSkinPaintState state{hot_, pressed_, FocusedShown(), form_.focus};
        painter_->PaintTree(backDC.get(), *tree_, dpi_, r, state);
        ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, backDC.get(), r.left, r.top, SRCCOPY);
    }

    // The deepest visible element under a client point; the root when none.
    int HitTest(POINT pt) const { return HitFrom(0, pt) < 0 ? 0 : HitFrom(0, pt); }
    int HitFrom(int index, POINT pt) const {
        const TSkinNode& n = tree_->nodes[index];
        if (n.hidden || n.alpha == 0) return -1;
        for (auto it = n.children.rbegin(); it != n.children.rend(); ++it) {
            int hit = HitFrom(*it, pt);
            if (hit >= 0) return hit;
        }
        RECT r = tree_->DeviceRect(index, dpi_);
        return index == 0 || ::PtInRect(&r, pt) ? index : -1;
    }
    // Anonymous decoration passes events on to the element that holds it.
    int Named(int index) const {
        while (index > 0 && tree_->nodes[index].name.empty()) index = tree_->nodes[index].parent;
        return std::max(index, 0);
    }

    LRESULT WMNCHitTest(WPARAM wParam, LPARAM lParam) {
        LRESULT hit = DefaultProc(WM_NCHITTEST, wParam, lParam);
        if (hit != HTCLIENT) return hit;
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ScreenToClient(window_, &pt);
        for (int i = HitTest(pt); i > 0; i = tree_->nodes[i].parent) {
            if (Interactive(tree_->nodes[i].kind)) return HTCLIENT;
            if (tree_->nodes[i].design->drag) return HTCAPTION;
        }
        return HTCLIENT;
    }

    // Events may free this binding (a handler unskins or closes the window): every caller
    // checks the tree it holds before touching anything else.
    // The tree is taken by value: a handler that unskins the window frees the member.
    bool FireSkinEvent(std::shared_ptr<TSkinTree> tree, int node, const wchar_t* name) {
        if (sink_.skin && sink_.skin->OnSkinEvent)
            Guard([&] { sink_.skin->OnSkinEvent(TSkinAccess::Object(tree, node), name); });
        return tree->alive;
    }
    bool FireMouse(std::shared_ptr<TSkinTree> tree, bool down, int node, TMouseButton b, POINT pt) {
        if (!sink_.skin) return tree->alive;
        auto& handler = down ? sink_.skin->OnMouseDown : sink_.skin->OnMouseUp;
        if (handler) Guard([&] { handler(TSkinAccess::Object(tree, node), b, pt.x, pt.y); });
        return tree->alive;
    }
    bool FireScroll(std::shared_ptr<TSkinTree> tree, bool track, int node) {
        if (!sink_.skin) return tree->alive;
        auto& handler = track ? sink_.skin->OnScrollTrack : sink_.skin->OnScroll;
        int pos = tree->nodes[node].scroll.position;
        if (handler) Guard([&] { handler(TSkinAccess::Object(tree, node), pos); });
        return tree->alive;
    }
    // A handler's exception goes to the skin's OnError; when the handler has freed the window
    // (and perhaps the skin with it), to the debugger output.
    template <typename F>
    void Guard(F call) {
        TSkin* skin = sink_.skin;
        std::shared_ptr<TSkinTree> tree = tree_;
        try {
            call();
        } catch (...) {
            ReportSkinHandlerError(tree->alive ? skin : nullptr, std::current_exception());
        }
    }

    void SetHot(int node) {
        if (node == hot_) return;
        auto tree = tree_;
        int old = std::exchange(hot_, node);
        if (old >= 0) InvalidateNode(old);
        if (node >= 0) InvalidateNode(node);
        int oldNamed = old >= 0 ? Named(old) : -1, newNamed = node >= 0 ? Named(node) : -1;
        if (oldNamed == newNamed) return;
        if (oldNamed > 0 && !FireSkinEvent(tree, oldNamed, L"OnMouseOut")) return;
        if (newNamed > 0) FireSkinEvent(tree, newNamed, L"OnMouseIn");
    }

    void WMMouseMove(POINT pt) {
        if (!tracking_) {
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, window_, 0};
            tracking_ = ::TrackMouseEvent(&tme) != FALSE;
        }
        if (dragNode_ >= 0) {
            DragThumb(pt);
            return;
        }
        repeatPoint_ = pt;
        SetHot(HitTest(pt));
    }

    void WMMouseLeave() {
        tracking_ = false;
        if (::GetCapture() != window_) SetHot(-1);
    }

    void WMButtonDown(TMouseButton button, POINT pt) {
        auto tree = tree_;
        int hit = HitTest(pt);
        int source = Named(hit);
        if (::GetFocus() != window_ && ::IsWindowEnabled(window_)) ::SetFocus(window_);
        int scrollAction = 0;
        if (button == TMouseButton::mbLeft && !tree_->helpMode) {
            int target = hit;
            while (target > 0 && !Interactive(tree_->nodes[target].kind)) target = tree_->nodes[target].parent;
            if (target > 0) {
                MoveFocusTo(target);
                ::SetCapture(window_);
                if (tree_->nodes[target].kind == TSkinElementKind::Button) {
                    pressed_ = target;
                    hot_ = hit;
                    InvalidateNode(target);
                } else {
                    scrollAction = ScrollMouseDown(target, pt);
                }
            }
        }
        if (!FireSkinEvent(tree, source, L"OnMouseDown")) return;
        if (!FireMouse(tree, true, source, button, pt)) return;
        if (scrollAction) FireScroll(tree, false, scrollAction - 1);
    }

    void WMButtonUp(TMouseButton button, POINT pt) {
        auto tree = tree_;
        int hit = HitTest(pt);
        int wasPressed = std::exchange(pressed_, -1);
        int wasDragged = std::exchange(dragNode_, -1);
        StopRepeat();
        if (button == TMouseButton::mbLeft && ::GetCapture() == window_) ::ReleaseCapture();
        bool clicked = false;
        if (wasPressed >= 0) {
            InvalidateNode(wasPressed);
            for (int i = hit; i > 0; i = tree_->nodes[i].parent) clicked = clicked || i == wasPressed;
        }
        // A thumb pressed and released where it was changes nothing.
        if (wasDragged >= 0 && std::exchange(dragMoved_, false) && !FireScroll(tree, false, wasDragged)) return;
        if (!FireMouse(tree, false, Named(hit), button, pt)) return;
        if (clicked) FireSkinEvent(tree, Named(wasPressed), L"OnClick");
    }

    void WMCaptureChanged() {
        // Capture taken away (another window, a menu): the press is cancelled, a drag ends where it is.
        auto tree = tree_;
        if (pressed_ >= 0) InvalidateNode(std::exchange(pressed_, -1));
        StopRepeat();
        int dragged = std::exchange(dragNode_, -1);
        if (dragged >= 0 && std::exchange(dragMoved_, false)) FireScroll(tree, false, dragged);
    }

    // The parts of a scroll bar element at this DPI.
    SkinScrollParts PartsOf(int node) const {
        const TSkinNode& n = tree_->nodes[node];
        RECT r = tree_->DeviceRect(node, dpi_);
        int thickness = ScaleDesign(n.design->vertical ? n.design->rect.w : n.design->rect.h, dpi_);
        return ScrollParts({r.left, r.top, r.right - r.left, r.bottom - r.top}, n.design->vertical,
                           !n.design->arrowPrev.empty(), n.scroll, thickness);
    }

    // Which way a press at `pt` moves the scroll bar: by a step on an arrow, by a page beside
    // the thumb, 0 on the thumb or outside the bar.
    int ScrollDelta(int node, POINT pt) const {
        const TSkinNode& n = tree_->nodes[node];
        bool vertical = n.design->vertical;
        SkinScrollParts p = PartsOf(node);
        auto inside = [&](const SkinRect& r) {
            return pt.x >= r.x && pt.x < r.x + r.w && pt.y >= r.y && pt.y < r.y + r.h;
        };
        if (inside(p.prev)) return -n.scroll.step;
        if (inside(p.next)) return n.scroll.step;
        if (!inside(p.track) || inside(p.thumb)) return 0;
        int along = vertical ? pt.y : pt.x, thumbStart = vertical ? p.thumb.y : p.thumb.x;
        return along < thumbStart ? -std::max(n.scroll.page, 1) : std::max(n.scroll.page, 1);
    }

    // Returns node + 1 when the press moved the bar by a step or a page (one OnScroll); held
    // down, the press repeats after a moment, as system scroll bars do.
    int ScrollMouseDown(int node, POINT pt) {
        TSkinNode& n = tree_->nodes[node];
        SkinScrollParts p = PartsOf(node);
        int along = n.design->vertical ? pt.y : pt.x;
        int thumbStart = n.design->vertical ? p.thumb.y : p.thumb.x;
        int delta = ScrollDelta(node, pt);
        if (delta == 0) {
            dragNode_ = node;
            dragMoved_ = false;
            dragGrab_ = along - thumbStart;
            return 0;
        }
        int moved = ScrollPositionMovedBy(n.scroll, delta);
        bool changed = moved != n.scroll.position;
        n.scroll.position = moved;
        InvalidateNode(node);
        repeatNode_ = node;
        repeatDelta_ = delta;
        repeatPoint_ = pt;
        ::SetTimer(window_, RepeatTimer, RepeatDelay, nullptr);
        return changed ? node + 1 : 0;
    }

    void StopRepeat() {
        if (repeatNode_ < 0) return;
        repeatNode_ = -1;
        ::KillTimer(window_, RepeatTimer);
    }

    void WMRepeatTimer() {
        // Repeats while the mouse stays on the part it pressed (the page area ends at the thumb).
        int node = repeatNode_;
        if (node < 0 || ScrollDelta(node, repeatPoint_) != repeatDelta_) return;
        ::SetTimer(window_, RepeatTimer, RepeatPeriod, nullptr);
        TSkinNode& n = tree_->nodes[node];
        int pos = ScrollPositionMovedBy(n.scroll, repeatDelta_);
        if (pos == n.scroll.position) return;
        n.scroll.position = pos;
        InvalidateNode(node);
        FireScroll(tree_, false, node);
    }

    void DragThumb(POINT pt) {
        TSkinNode& n = tree_->nodes[dragNode_];
        SkinScrollParts p = PartsOf(dragNode_);
        int along = n.design->vertical ? pt.y : pt.x;
        int pos = ScrollPositionAt(p, n.design->vertical, n.scroll, along - dragGrab_);
        if (pos == n.scroll.position) return;
        n.scroll.position = pos;
        dragMoved_ = true;
        InvalidateNode(dragNode_);
        FireScroll(tree_, true, dragNode_);
    }

    bool WMMouseWheel(int delta, POINT screen) {
        ::ScreenToClient(window_, &screen);
        int node = HitTest(screen);
        while (node > 0 && tree_->nodes[node].kind != TSkinElementKind::ScrollBar) node = tree_->nodes[node].parent;
        if (node <= 0) return false;
        TSkinNode& n = tree_->nodes[node];
        // Fine wheels send parts of a notch: they add up until a whole notch moves the bar.
        if (node != wheelNode_) wheelRest_ = 0;
        wheelNode_ = node;
        wheelRest_ += delta;
        long long notches = wheelRest_ / WHEEL_DELTA;
        wheelRest_ -= notches * WHEEL_DELTA;
        if (notches == 0) return true;
        n.scroll.position = ScrollPositionMovedBy(n.scroll, -notches * n.scroll.step);
        InvalidateNode(node);
        FireScroll(tree_, false, node);
        return true;
    }

    // Tab order: buttons and scroll bars that show, in the order the skin lists them.
    std::vector<int> FocusOrder() const {
        std::vector<int> order;
        for (int i = 1; i < int(tree_->nodes.size()); ++i) {
            RECT r = tree_->DeviceRect(i, dpi_);
            if (Interactive(tree_->nodes[i].kind) && tree_->Visible(i) && !::IsRectEmpty(&r)) order.push_back(i);
        }
        return order;
    }

    void MoveFocusTo(int node) {
        if (node == focused_) return;
        if (focused_ >= 0) InvalidateNode(focused_);
        focused_ = node;
        if (focused_ >= 0) InvalidateNode(focused_);
        if (focused_ >= 0 && ::GetFocus() == window_) NotifyAccess(EVENT_OBJECT_FOCUS, focused_);
    }

    // Tells accessibility tools of an element (-1: the client area); nothing for an element
    // they do not see.
    void NotifyAccess(DWORD event, int node) const {
        if (!sink_.skin || !sink_.skin->OnAccessibleInfo) return;
        LONG child = node < 0 ? CHILDID_SELF : SkinAccessChildID(AccessNodes(), node);
        if (child != CHILDID_SELF || node < 0) ::NotifyWinEvent(event, window_, OBJID_CLIENT, child);
    }

    // What a tool was last told of the changed element and of the sliders (whose values are
    // the texts of other elements) against what they show now.
    void AnnounceChanges(int index) {
        for (int node : AccessNodes()) {
            if (node != index && tree_->nodes[node].kind != TSkinElementKind::ScrollBar) continue;
            TSkinAccessInfo info = AccessInfo(node);
            DWORD state = AccessState(node);
            auto [it, added] = announced_.try_emplace(node, Announced{info.Name, info.Value, state});
            if (added) continue;
            Announced before = std::exchange(it->second, Announced{info.Name, info.Value, state});
            if (before.name != info.Name) NotifyAccess(EVENT_OBJECT_NAMECHANGE, node);
            if (before.value != info.Value) NotifyAccess(EVENT_OBJECT_VALUECHANGE, node);
            if (before.state != state) NotifyAccess(EVENT_OBJECT_STATECHANGE, node);
        }
    }

    void WMAccessAction(int node) {
        if (node <= 0 || node >= int(tree_->nodes.size()) || !tree_->Visible(node)) return;
        if (tree_->nodes[node].kind != TSkinElementKind::Button || !::IsWindowEnabled(window_)) return;
        ClickByKeyboard(node);
    }

    bool WMKeyDown(WPARAM key) {
        bool shift = ::GetKeyState(VK_SHIFT) < 0;
        if (key == VK_TAB) {
            auto order = FocusOrder();
            if (order.empty()) return false;
            auto at = std::find(order.begin(), order.end(), focused_);
            int next;
            if (at == order.end())
                next = shift ? order.back() : order.front();
            else
                next = order[(at - order.begin() + (shift ? order.size() - 1 : 1)) % order.size()];
            showFocus_ = true;
            MoveFocusTo(next);
            InvalidateNode(next);
            return true;
        }
        if (focused_ < 0 || !tree_->Visible(focused_)) return false;
        TSkinNode& n = tree_->nodes[focused_];
        if (tree_->helpMode && n.kind == TSkinElementKind::ScrollBar) return false;
        if (n.kind == TSkinElementKind::Button && (key == VK_SPACE || key == VK_RETURN)) {
            ClickByKeyboard(focused_);
            return true;
        }
        if (n.kind != TSkinElementKind::ScrollBar) return false;
        long long page = std::max(n.scroll.page, 1), step = n.scroll.step, delta = 0;
        switch (key) {
            case VK_LEFT:
            case VK_UP: delta = -step; break;
            case VK_RIGHT:
            case VK_DOWN: delta = step; break;
            case VK_PRIOR: delta = -page; break;
            case VK_NEXT: delta = page; break;
            case VK_HOME: delta = static_cast<long long>(n.scroll.min) - n.scroll.position; break;
            case VK_END:
                delta = std::max(static_cast<long long>(ScrollLastPosition(n.scroll)) - n.scroll.position, 0LL);
                break;
            default: return false;
        }
        n.scroll.position = ScrollPositionMovedBy(n.scroll, delta);
        InvalidateNode(focused_);
        FireScroll(tree_, false, focused_);
        return true;
    }

    // The same events as a mouse click in the middle of the button.
    void ClickByKeyboard(int node) {
        auto tree = tree_;
        RECT r = tree_->DeviceRect(node, dpi_);
        POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        int source = Named(node);
        if (!FireSkinEvent(tree, source, L"OnMouseDown")) return;
        if (!FireMouse(tree, true, source, TMouseButton::mbLeft, centre)) return;
        if (!FireMouse(tree, false, source, TMouseButton::mbLeft, centre)) return;
        FireSkinEvent(tree, source, L"OnClick");
    }

    void WMAnimationTimer() {
        for (int n : animator_->RunningNodes()) InvalidateNode(n);
        std::vector<int> changed;
        std::vector<TSkinAnimator::Ended> ended;
        bool running = animator_->Step(::GetTickCount(), changed, ended);
        for (int n : changed) InvalidateNode(n);
        if (!running) ::KillTimer(window_, AnimationTimer);
        TellEnded(ended);
    }

    // The ends are told from a message of their own: the program may start the next
    // animations from its handler, which must not run inside the call that started these.
    void TellEnded(const std::vector<TSkinAnimator::Ended>& ended) {
        if (ended.empty()) return;
        bool posted = !ended_.empty();
        ended_.insert(ended_.end(), ended.begin(), ended.end());
        if (!posted) ::PostMessageW(window_, AnimationEndedMessage(), 0, 0);
    }

    void WMAnimationEnded() {
        // A page shown or hidden: the client area's children changed.
        if (access_) NotifyAccess(EVENT_OBJECT_REORDER, -1);
        auto tree = tree_;
        std::vector<TSkinAnimator::Ended> ended = std::move(ended_);
        ended_.clear();
        if (!sink_.skin || !sink_.skin->OnAnimationEnd) return;
        for (const TSkinAnimator::Ended& e : ended) {
            std::wstring name = tree->nodes[e.node].design->animations[e.animation].name;
            Guard([&] { sink_.skin->OnAnimationEnd(TSkinAccess::Object(tree, e.node), name); });
            if (!tree->alive) return;
        }
    }

    void WMDpiChanged(int dpi, const RECT* suggested) {
        dpi_ = dpi;
        back_.reset();
        FitWindow(suggested);
        ::InvalidateRect(window_, nullptr, FALSE);
    }

    const SkinForm& form_;
    std::unique_ptr<TSkinAnimator> animator_;
    int dpi_ = 96;
    LONG_PTR style_ = 0, exStyle_ = 0;
    UniqueBitmap back_;
    int backWidth_ = 0, backHeight_ = 0;
    int hot_ = -1, pressed_ = -1, focused_ = -1;
    int dragNode_ = -1, dragGrab_ = 0;
    bool dragMoved_ = false;  // the thumb moved since it was grabbed
    int repeatNode_ = -1, repeatDelta_ = 0;
    int wheelNode_ = -1;
    long long wheelRest_ = 0;  // wheel movement short of a notch
    POINT repeatPoint_{};
    bool showFocus_ = false, tracking_ = false;
    std::vector<TSkinAnimator::Ended> ended_;  // told at the next AnimationEndedMessage
    TSkinAccessible* access_ = nullptr;        // once a tool has asked (WM_GETOBJECT)
    struct Announced {
        std::wstring name, value;
        DWORD state;
    };
    std::map<int, Announced> announced_;
};
}  // namespace

std::unique_ptr<TSkinBinding> CreateFormBinding(HWND window, std::shared_ptr<TSkinPainter> painter, TSkinEventSink sink,
                                                const SkinForm& form) {
    auto binding = std::make_unique<TSkinFormWindow>(window, std::move(painter), std::move(sink), form);
    binding->Start();
    return binding;
}
