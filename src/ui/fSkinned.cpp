#include "ui/fSkinned.h"
#include <algorithm>
#include "framework/uApplication.h"
#include "framework/uControls.h"
#include "framework/uDpi.h"
#include "framework/uPaint.h"
#include "framework/uText.h"

namespace {
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
constexpr DWORD kSizeableStyle = WS_OVERLAPPEDWINDOW & ~WS_MINIMIZEBOX;

// The work area of the monitor that shows most of `window` (the primary one without a window).
RECT WorkAreaOf(HWND window) {
    HMONITOR monitor = window ? ::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY)
                              : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{sizeof(info)};
    if (::GetMonitorInfoW(monitor, &info)) return info.rcWork;
    RECT all{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    return all;
}

// A window of `width` x `height` centred on `around`, kept inside the work area.
POINT CentredOn(const RECT& around, const RECT& work, int width, int height) {
    int x = around.left + (around.right - around.left - width) / 2;
    int y = around.top + (around.bottom - around.top - height) / 2;
    x = std::max<int>(work.left, std::min<int>(x, work.right - width));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
    return {x, y};
}
}  // namespace

TfrmSkinned::TfrmSkinned(TForm* owner, TSkinService& skins)
    : owner_(owner), skins_(skins), color_(::GetSysColor(COLOR_BTNFACE)) {}

void TfrmSkinned::UseSkin(const std::wstring& path) { skins_.UseDialogSkin(path); }

// A skin that cannot draw the dialog leaves it plain, as a dialog without a skin is.
void TfrmSkinned::ApplySkin() {
    TSkin* skin = skins_.DialogSkin();
    if (!skin) return;
    try {
        skin->SkinWindow(Handle());
    } catch (const Exception&) {
        return;
    }
    skinnedWith_ = skins_.DialogSkinFile();
    try {
        root_ = skin->WindowObject(Handle());
        color_ = SkinColorValue(root_.Color());
    } catch (const Exception&) {
        root_ = {};
    }
}

void TfrmSkinned::UnskinWindow() noexcept {
    if (TSkin* skin = skins_.DialogSkin()) skin->UnskinWindow(Handle());
    root_ = {};
    skinnedWith_.clear();
}

int TfrmSkinned::Scale(int length) const { return ScaleToDpi(length, dpi_); }

RECT TfrmSkinned::ScaleRect(int x, int y, int width, int height) const {
    return {Scale(x), Scale(y), Scale(x + width), Scale(y + height)};
}

HFONT TfrmSkinned::DialogFont() { return skins_.MessageFont(dpi_); }

HFONT TfrmSkinned::ScaledFont(const wchar_t* face, int points) {
    std::wstring key = std::wstring(face) + L"@" + std::to_wstring(points) + L"@" + std::to_wstring(dpi_);
    auto& font = fonts_[key];
    if (!font) {
        LOGFONTW lf{};
        lf.lfHeight = -::MulDiv(points, static_cast<int>(dpi_), 72);
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfOutPrecision = OUT_TT_PRECIS;
        lf.lfQuality = CLEARTYPE_QUALITY;
        wcsncpy_s(lf.lfFaceName, face, LF_FACESIZE - 1);
        font.reset(::CreateFontIndirectW(&lf));
    }
    return font.get();
}

TForm::CreateParams TfrmSkinned::FormParams() {
    HWND owner = owner_ ? owner_->Handle() : nullptr;
    dpi_ = WindowDpi(owner);
    const DWORD style = Sizeable() ? kSizeableStyle : kDialogStyle;
    const DWORD exStyle =
        Sizeable() ? WS_EX_APPWINDOW | WS_EX_CONTROLPARENT : WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    const SIZE client = DesignClientSize();
    RECT frame{0, 0, Scale(client.cx), Scale(client.cy)};
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    // Centred on a visible owner; a dialog of its own, or of a hidden owner, on the screen.
    RECT work = WorkAreaOf(owner && ::IsWindowVisible(owner) ? owner : nullptr);
    RECT around = work;
    if (owner && ::IsWindowVisible(owner) && !Sizeable()) ::GetWindowRect(owner, &around);
    POINT at = CentredOn(around, work, width, height);
    return {.className = FormClassName(),
            .style = style,
            .exStyle = exStyle,
            .parent = owner,
            .x = at.x,
            .y = at.y,
            .width = width,
            .height = height};
}

void TfrmSkinned::FormCreate() {
    // The window may have landed on a monitor of another scale than its owner's.
    UINT actual = WindowDpi(Handle());
    if (actual != dpi_) {
        dpi_ = actual;
        const SIZE client = DesignClientSize();
        RECT frame{0, 0, Scale(client.cx), Scale(client.cy)};
        ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE)), FALSE,
                             static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE)));
        ::SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TfrmSkinned::ControlsCreated() {
    laidOut_ = true;
    LayoutControls();
}

void TfrmSkinned::FormShow() { ApplySkin(); }

void TfrmSkinned::FormDestroy() { UnskinWindow(); }

void TfrmSkinned::FormDpiChanged(UINT dpi) {
    dpi_ = dpi;
    SetChildFonts();
    if (laidOut_) LayoutControls();
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TfrmSkinned::SetChildFonts() {
    HFONT font = DialogFont();
    for (HWND child = ::GetWindow(Handle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

LRESULT TfrmSkinned::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_GETFONT: return reinterpret_cast<LRESULT>(DialogFont());
        case DM_GETDEFID: {
            // Enter presses the focused button, as in a dialog box; elsewhere the default one.
            HWND focus = ::GetFocus();
            if (focus && ::IsChild(Handle(), focus) && dynamic_cast<TButton*>(TControl::FromHandle(focus)))
                return MAKELRESULT(::GetDlgCtrlID(focus), DC_HASDEFID);
            break;
        }
        case WM_SIZE:
            if (laidOut_ && wParam != SIZE_MINIMIZED) LayoutControls();
            break;
        case WM_ERASEBKGND: {
            // Only while the dialog has its plain look: the skin engine paints its own.
            RECT r{};
            ::GetClientRect(Handle(), &r);
            UniqueBrush brush(::CreateSolidBrush(color_));
            ::FillRect(reinterpret_cast<HDC>(wParam), &r, brush.get());
            return 1;
        }
        case WM_GETMINMAXINFO:
            if (Sizeable() && lParam) {
                const SIZE least = MinClientSize();
                RECT frame{0, 0, Scale(least.cx), Scale(least.cy)};
                ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE)), FALSE,
                                     static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE)));
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
                return 0;
            }
            break;
    }
    return TForm::WndProc(msg, wParam, lParam);
}
