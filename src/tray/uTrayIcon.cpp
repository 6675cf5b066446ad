#include "uTrayIcon.h"
#include <cstring>
#include <optional>
#include <utility>
#include "framework/uDpi.h"
#include "framework/uException.h"
#include "framework/uText.h"
#include "framework/uWindow.h"
#include "legacy/uMessages.h"

namespace {
BOOL ShellNotify(DWORD message, NOTIFYICONDATAA* data) { return ::Shell_NotifyIconA(message, data); }
TrayNotifyFunc g_notify = &ShellNotify;

HWND FindTaskbarWindow() { return ::FindWindowA("Shell_TrayWnd", nullptr); }
TaskbarWindowFunc g_findTaskbar = &FindTaskbarWindow;

int SystemTrayIconSize() { return TrayIconSizeForDpi(WindowDpi(g_findTaskbar())); }
TrayIconSizeFunc g_traySize = &SystemTrayIconSize;

// The shell's callback names the mouse message in lParam; these three are events.
struct MouseEventRoute {
    UINT mouseMessage;
    TTrayIcon::TrayIconEvent TTrayIcon::*event;
};
constexpr MouseEventRoute MouseEventRoutes[] = {
    {WM_LBUTTONDOWN, &TTrayIcon::OnLeftButtonDown},
    {WM_LBUTTONDBLCLK, &TTrayIcon::OnLeftDoubleClick},
    {WM_RBUTTONUP, &TTrayIcon::OnRightButtonUp},
};

// A text into an ANSI field of `size` bytes: in the ANSI code page, cut to fit with its
// terminating zero, never splitting a double-byte character.
void CopyAnsi(const std::wstring& source, char* target, size_t size) {
    std::string text = Narrow(source.substr(0, size - 1));
    size_t length = 0;
    while (length < text.size()) {
        size_t step = ::IsDBCSLeadByte(static_cast<BYTE>(text[length])) ? 2 : 1;
        if (length + step > size - 1) break;
        length += step;
    }
    text.copy(target, length);
    target[length] = '\0';
}
}  // namespace

TrayNotifyFunc SetTrayNotifySource(TrayNotifyFunc source) {
    return std::exchange(g_notify, source ? source : &ShellNotify);
}

TaskbarWindowFunc SetTaskbarWindowSource(TaskbarWindowFunc source) {
    return std::exchange(g_findTaskbar, source ? source : &FindTaskbarWindow);
}

int TrayIconSizeForDpi(UINT dpi) {
    // GetSystemMetricsForDpi answers for any scale (Windows 10 1607 and later); before it the
    // system scale is the only one, and GetSystemMetrics answers for it.
    using ForDpiFn = int(WINAPI*)(int, UINT);
    static const auto forDpi =
        reinterpret_cast<ForDpiFn>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi"));
    int size = forDpi ? forDpi(SM_CXSMICON, dpi) : ::GetSystemMetrics(SM_CXSMICON);
    return size >= TrayIconSize ? size : TrayIconSize;
}

int CurrentTrayIconSize() { return g_traySize(); }

TrayIconSizeFunc SetTrayIconSizeSource(TrayIconSizeFunc source) {
    return std::exchange(g_traySize, source ? source : &SystemTrayIconSize);
}

// The hidden window of one tray icon. A tool window, so showing it never adds a taskbar button.
class TTrayIconWindow : public TWindowBase {
public:
    explicit TTrayIconWindow(TTrayIcon* owner) : owner_(owner) {
        CreateHandle({.className = L"KorvixTrayIconWindow", .style = WS_POPUP, .exStyle = WS_EX_TOOLWINDOW});
    }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        std::optional<LRESULT> handled = owner_->WindowProc(msg, wParam, lParam);
        return handled ? *handled : DefaultProc(msg, wParam, lParam);
    }

private:
    TTrayIcon* owner_;
};

TTrayIcon::TTrayIcon(const TTrayColors& colors) : colors_(colors) {
    LoadBaseIcon(iconSize_);
    surfaceDC_.reset(::CreateCompatibleDC(nullptr));
    if (!surfaceDC_) throw EOSError(L"Cannot create the drawing surface of a tray icon");
    window_ = std::make_unique<TTrayIconWindow>(this);
    record_.cbSize = TrayNotifyRecordSize;
    record_.hWnd = window_->Handle();
    record_.uID = 0;
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record_.uCallbackMessage = WM_TRAYICONCALLBACK;
}

TTrayIcon::~TTrayIcon() {
    if (shown_) Notify(NIM_DELETE);
    window_->Destroy();
    // The owners release the icons and bitmaps, each exactly once.
}

void TTrayIcon::Show() {
    shown_ = true;
    Refresh(true);
}

// The white, opaque base picture at `size`: its colour bitmap is the surface, its mask is
// reused for every composed icon.
void TTrayIcon::LoadBaseIcon(int size) {
    baseIcon_.reset(static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), L"ICON1616", IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    ICONINFO parts{};
    if (!baseIcon_ || !::GetIconInfo(baseIcon_.get(), &parts)) throw EOSError(L"Cannot load the icon ICON1616");
    iconFlag_ = parts.fIcon;
    hotspotX_ = parts.xHotspot;
    hotspotY_ = parts.yHotspot;
    mask_.reset(parts.hbmMask);
    color_.reset(parts.hbmColor);
    if (!color_) throw EOSError(L"The icon ICON1616 has no colour bitmap");
}

void TTrayIcon::SetIconSize(int size) {
    if (size < TrayIconSize || size == iconSize_) return;
    LoadBaseIcon(size);
    iconSize_ = size;
    IconSizeChanged();
    Refresh(false);
}

void TTrayIcon::SetStyle(int value) {
    if (value == style_) return;
    style_ = value;
    Refresh(false);
}

void TTrayIcon::SetHint(const std::wstring& value) {
    if (value == hint_) return;
    hint_ = value;
    Refresh(false);
}

void TTrayIcon::SetHintQuiet(const std::wstring& value) {
    if (value != hint_) hint_ = value;
}

void TTrayIcon::SetBackgroundColor(COLORREF value) {
    colors_.background = value;
    Refresh(false);
}

void TTrayIcon::SetNormalColor(COLORREF value) {
    colors_.normal = value;
    Refresh(false);
}

void TTrayIcon::SetWarningColor(COLORREF value) {
    colors_.warning = value;
    Refresh(false);
}

void TTrayIcon::SetCustomIcon(HICON icon) {
    // Still registered with the shell until the next refresh, which copies the new one.
    customIcon_.reset(icon);
}

void TTrayIcon::Refresh(bool forceReAdd) {
    if (!shown_) return;
    RenderSurface();
    UpdateTray(forceReAdd);
}

bool TTrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text, DWORD flags) {
    if (!shown_) return false;
    // The balloon fields follow the basic record: this one call uses the Windows 2000 size,
    // every other keeps the basic record the oldest shells accept.
    NOTIFYICONDATAA balloon{};
    balloon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    balloon.hWnd = record_.hWnd;
    balloon.uID = record_.uID;
    balloon.uFlags = NIF_INFO;
    CopyAnsi(text, balloon.szInfo, sizeof(balloon.szInfo));
    CopyAnsi(title, balloon.szInfoTitle, sizeof(balloon.szInfoTitle));
    balloon.uTimeout = 10000;  // the shell keeps it at least so long while the user is there
    balloon.dwInfoFlags = flags;
    return g_notify(NIM_MODIFY, &balloon) != FALSE;
}

void TTrayIcon::ActivateWindow() {
    ::ShowWindow(WindowHandle(), SW_SHOW);
    ::SetForegroundWindow(WindowHandle());
}

HWND TTrayIcon::WindowHandle() const { return window_ ? window_->Handle() : nullptr; }

void TTrayIcon::Draw(HDC dc) {
    switch (style_) {
        case StyleChart: DrawChart(dc); break;
        case StyleNumeric: DrawNumber(dc); break;
        case StyleBar: DrawBar(dc); break;
        default: break;  // an unknown style keeps the previous picture
    }
}

void TTrayIcon::PaintNumber(HDC dc, const std::wstring& text, COLORREF background, COLORREF textColor) {
    ::PaintNumber(dc, text, background, textColor, iconSize_);
}

void TTrayIcon::PaintChart(HDC dc, const TChartValues& values, bool freeMode) {
    ::PaintChart(dc, colors_, values, freeMode, iconSize_);
}

void TTrayIcon::PaintBar(HDC dc, uint32_t percent, bool freeMode) {
    ::PaintBar(dc, colors_, percent, freeMode, iconSize_);
}

// One memory DC serves every refresh. The surface is selected only while drawing: a bitmap
// still selected into a DC cannot be copied into the composed icon.
void TTrayIcon::RenderSurface() {
    if (customIcon_) return;
    SelectGuard surface(surfaceDC_.get(), color_.get());
    Draw(surfaceDC_.get());
}

std::vector<uint8_t> TTrayIcon::SurfacePixels() const {
    BITMAP info{};
    if (!::GetObjectW(color_.get(), sizeof(info), &info)) return {};
    std::vector<uint8_t> bits(static_cast<size_t>(info.bmWidthBytes) * static_cast<size_t>(info.bmHeight));
    const LONG size = static_cast<LONG>(bits.size());
    if (bits.empty() || ::GetBitmapBits(color_.get(), size, bits.data()) != size) return {};
    return bits;
}

void TTrayIcon::UpdateTray(bool forceReAdd) {
    char tip[TrayTipLength + 1];
    // The basic record ends after the first 64 bytes of szTip: at most 63 characters.
    CopyAnsi(hint_, tip, sizeof(tip));
    std::vector<uint8_t> pixels = customIcon_ ? std::vector<uint8_t>{} : SurfacePixels();
    HWND taskbar = g_findTaskbar();
    // A new taskbar (the shell restarted) or a failed call loses the icon: add it anew.
    const bool reAdd = forceReAdd || lastUpdateFailed_ || taskbar != taskbar_;
    const bool sameIcon = customIcon_ ? record_.hIcon == customIcon_.get()
                                      : record_.hIcon && record_.hIcon == composedIcon_.get() && !pixels.empty() &&
                                            pixels == shownPixels_;
    if (!reAdd && sameIcon && std::strcmp(tip, record_.szTip) == 0) return;

    // The composed icon shown so far is released once the shell has the new one.
    UniqueIcon previous = std::move(composedIcon_);
    if (customIcon_) {
        record_.hIcon = customIcon_.get();
    } else {
        ICONINFO parts{iconFlag_, hotspotX_, hotspotY_, mask_.get(), color_.get()};
        composedIcon_.reset(::CreateIconIndirect(&parts));
        record_.hIcon = composedIcon_.get();
    }
    std::memcpy(record_.szTip, tip, sizeof(tip));
    shownPixels_ = std::move(pixels);
    bool ok;
    if (reAdd) {
        Notify(NIM_DELETE);
        taskbar_ = taskbar;
        ok = Notify(NIM_ADD);
    } else {
        ok = Notify(NIM_MODIFY);
    }
    lastUpdateFailed_ = !ok;
}

bool TTrayIcon::Notify(DWORD message) { return g_notify(message, &record_) != FALSE; }

std::optional<LRESULT> TTrayIcon::WindowProc(UINT msg, WPARAM, LPARAM lParam) {
    switch (msg) {
        case WM_TRAYICONCALLBACK: WMTrayIconCallback(static_cast<UINT>(lParam)); return 0;
        // The window lives exactly as long as the icon: no message closes it. (The default
        // processing never refuses a logoff.)
        case WM_CLOSE: return 0;
        default: return std::nullopt;
    }
}

void TTrayIcon::WMTrayIconCallback(UINT mouseMessage) {
    for (const auto& route : MouseEventRoutes) {
        if (route.mouseMessage != mouseMessage) continue;
        // A handler may run a modal loop (the tray menu) in which the owner frees this icon,
        // and the handler object with it: the call runs on a copy, and nothing of the object
        // is touched after it.
        TrayIconEvent handler = this->*route.event;
        if (handler) handler(this);
        return;
    }
}
