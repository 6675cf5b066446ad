#include "uControls.h"
#include <algorithm>
#include <commctrl.h>
#include "uException.h"

namespace {
// The subclass id under which every control wrapper sits on its window.
constexpr UINT_PTR kControlSubclass = 0x4B43;  // "KC"

HFONT InheritedFont(HWND parent) {
    auto font = reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}
}  // namespace

// ---- TControl ----
TControl::TControl(const ControlParams& p) {
    HWND window =
        ::CreateWindowExW(p.exStyle, p.className, p.text, WS_CHILD | WS_VISIBLE | p.style, p.bounds.left, p.bounds.top,
                          p.bounds.right - p.bounds.left, p.bounds.bottom - p.bounds.top, p.parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(p.id)), ::GetModuleHandleW(nullptr), nullptr);
    if (!window) RaiseLastOSError(L"Cannot create a control of the class " + std::wstring(p.className));
    if (!Attach(window, kControlSubclass)) {
        ::DestroyWindow(window);
        RaiseLastOSError(L"Cannot subclass a control of the class " + std::wstring(p.className));
    }
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(InheritedFont(p.parent)), FALSE);
}

TControl::~TControl() {
    HWND window = Handle();
    Detach();
    if (window) ::DestroyWindow(window);
}

TControl* TControl::FromHandle(HWND window) {
    return static_cast<TControl*>(TWindowSubclass::Find(window, kControlSubclass));
}

int TControl::ID() const { return ::GetDlgCtrlID(Handle()); }

RECT TControl::Bounds() const {
    RECT r{};
    ::GetWindowRect(Handle(), &r);
    ::MapWindowPoints(nullptr, ::GetParent(Handle()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void TControl::SetBounds(const RECT& b) {
    ::MoveWindow(Handle(), b.left, b.top, b.right - b.left, b.bottom - b.top, TRUE);
}

bool TControl::Visible() const { return ::IsWindowVisible(Handle()) != FALSE; }
void TControl::SetVisible(bool value) { ::ShowWindow(Handle(), value ? SW_SHOW : SW_HIDE); }
bool TControl::Enabled() const { return ::IsWindowEnabled(Handle()) != FALSE; }
void TControl::SetEnabled(bool value) { ::EnableWindow(Handle(), value); }
void TControl::SetFocus() { ::SetFocus(Handle()); }
bool TControl::Focused() const { return ::GetFocus() == Handle(); }

std::wstring TControl::Text() const {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(Handle())) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()))));
    return text;
}

void TControl::SetText(const std::wstring& text) { ::SetWindowTextW(Handle(), text.c_str()); }

void TControl::SetFont(HFONT font) { ::SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

// ---- TButton ----
TButton::TButton(HWND parent, int id, const RECT& bounds, const std::wstring& caption)
    : TControl({.parent = parent,
                .id = id,
                .className = WC_BUTTONW,
                .style = WS_TABSTOP | BS_PUSHBUTTON,
                .bounds = bounds,
                .text = caption.c_str()}) {}

void TButton::Click() { ::SendMessageW(Handle(), BM_CLICK, 0, 0); }

void TButton::WMCommand(WORD code) {
    if (code == BN_CLICKED && OnClick) OnClick(*this);
}

// ---- TLabel ----
TLabel::TLabel(HWND parent, int id, const RECT& bounds, const std::wstring& text, DWORD align)
    : TControl({.parent = parent,
                .id = id,
                .className = WC_STATICW,
                .style = SS_NOPREFIX | align,
                .bounds = bounds,
                .text = text.c_str()}) {}

// ---- TEdit ----
TEdit::TEdit(HWND parent, int id, const RECT& bounds, const std::wstring& text)
    : TControl({.parent = parent,
                .id = id,
                .className = WC_EDITW,
                .style = WS_TABSTOP | ES_AUTOHSCROLL,
                .exStyle = WS_EX_CLIENTEDGE,
                .bounds = bounds,
                .text = text.c_str()}) {}

bool TEdit::ReadOnly() const { return (::GetWindowLongW(Handle(), GWL_STYLE) & ES_READONLY) != 0; }

void TEdit::SetReadOnly(bool value) { ::SendMessageW(Handle(), EM_SETREADONLY, value, 0); }

void TEdit::WMCommand(WORD code) {
    if (code == EN_CHANGE && OnChange) OnChange(*this);
    if (code == EN_KILLFOCUS && OnExit) OnExit(*this);
}

// ---- TScrollBar ----
TScrollBar::TScrollBar(HWND parent, int id, const RECT& bounds, bool horizontal)
    : TControl({.parent = parent,
                .id = id,
                .className = WC_SCROLLBARW,
                .style = WS_TABSTOP | static_cast<DWORD>(horizontal ? SBS_HORZ : SBS_VERT),
                .bounds = bounds}) {}

namespace {
SCROLLINFO ReadScroll(HWND bar, UINT mask) {
    SCROLLINFO info{sizeof(info), mask};
    ::GetScrollInfo(bar, SB_CTL, &info);
    return info;
}
}  // namespace

int TScrollBar::Min() const { return ReadScroll(Handle(), SIF_RANGE).nMin; }
int TScrollBar::Max() const { return ReadScroll(Handle(), SIF_RANGE).nMax; }
int TScrollBar::PageSize() const { return static_cast<int>(ReadScroll(Handle(), SIF_PAGE).nPage); }
int TScrollBar::Position() const { return ReadScroll(Handle(), SIF_POS).nPos; }

void TScrollBar::SetRange(int min, int max) {
    SCROLLINFO info{sizeof(info), SIF_RANGE, min, std::max(min, max)};
    ::SetScrollInfo(Handle(), SB_CTL, &info, TRUE);
}

void TScrollBar::SetPageSize(int page) {
    SCROLLINFO info{sizeof(info), SIF_PAGE};
    info.nPage = static_cast<UINT>(std::max(page, 0));
    ::SetScrollInfo(Handle(), SB_CTL, &info, TRUE);
}

void TScrollBar::SetPosition(int position) {
    SCROLLINFO info{sizeof(info), SIF_POS};
    info.nPos = std::clamp(position, Min(), LastPosition());
    ::SetScrollInfo(Handle(), SB_CTL, &info, TRUE);
}

// The thumb covers a page, so its left edge goes no further than Max - page + 1.
int TScrollBar::LastPosition() const {
    SCROLLINFO info = ReadScroll(Handle(), SIF_RANGE | SIF_PAGE);
    return std::max(info.nMin, info.nMax - std::max(static_cast<int>(info.nPage) - 1, 0));
}

void TScrollBar::WMScroll(WORD code, WORD) {
    SCROLLINFO info = ReadScroll(Handle(), SIF_ALL);
    const int page = std::max(static_cast<int>(info.nPage), 1);
    int target = info.nPos;
    switch (code) {
        case SB_LINELEFT: target -= SmallChange; break;
        case SB_LINERIGHT: target += SmallChange; break;
        case SB_PAGELEFT: target -= page; break;
        case SB_PAGERIGHT: target += page; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: target = info.nTrackPos; break;  // 32 bits, unlike the message's word
        case SB_LEFT: target = info.nMin; break;
        case SB_RIGHT: target = info.nMax; break;
        default: return;  // SB_ENDSCROLL
    }
    const int before = info.nPos;
    SetPosition(target);
    if (Position() != before && OnChange) OnChange(*this);
}

const wchar_t* CommonControlClass(const wchar_t* className) {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    static_cast<void>(registered);
    return className;
}

// ---- THotKey ----
THotKey::THotKey(HWND parent, int id, const RECT& bounds)
    : TControl({.parent = parent,
                .id = id,
                .className = CommonControlClass(HOTKEY_CLASSW),
                .style = WS_TABSTOP,
                .exStyle = WS_EX_CLIENTEDGE,
                .bounds = bounds}) {}

int32_t THotKey::Value() const {
    return HotKeyWordToShortcut(static_cast<WORD>(::SendMessageW(Handle(), HKM_GETHOTKEY, 0, 0)));
}

void THotKey::SetValue(int32_t shortcut) { ::SendMessageW(Handle(), HKM_SETHOTKEY, ShortcutToHotKeyWord(shortcut), 0); }

void THotKey::WMCommand(WORD code) {
    if (code == EN_CHANGE && OnChange) OnChange(*this);
}

WORD ShortcutToHotKeyWord(int32_t shortcut) {
    BYTE modifiers = 0;
    if (shortcut & 0x2000) modifiers |= HOTKEYF_SHIFT;
    if (shortcut & 0x4000) modifiers |= HOTKEYF_CONTROL;
    if (shortcut & 0x8000) modifiers |= HOTKEYF_ALT;
    return MAKEWORD(static_cast<BYTE>(shortcut & 0xFF), modifiers);
}

int32_t HotKeyWordToShortcut(WORD value) {
    const BYTE modifiers = HIBYTE(value);
    int32_t shortcut = LOBYTE(value);
    if (modifiers & HOTKEYF_SHIFT) shortcut |= 0x2000;
    if (modifiers & HOTKEYF_CONTROL) shortcut |= 0x4000;
    if (modifiers & HOTKEYF_ALT) shortcut |= 0x8000;
    return shortcut;
}
