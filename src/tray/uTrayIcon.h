// One icon in the notification area: its registration with the shell, a hidden window
// for the shell's mouse notifications, the square surface the shown icon is composed
// from (16 x 16 at 100 %, the tray's small-icon size at other display scales), and the
// tooltip. Subclasses draw the surface (uTrayIcons.h).
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <shellapi.h>
#include <string>
#include <vector>
#include "framework/uHandles.h"
#include "tray/uTrayPaint.h"

// The shell entry point and the taskbar lookup, replaceable so tests can record calls,
// make them fail and change the taskbar. nullptr restores the real call; each answers
// the previous one.
using TrayNotifyFunc = BOOL (*)(DWORD message, NOTIFYICONDATAA* data);
using TaskbarWindowFunc = HWND (*)();
TrayNotifyFunc SetTrayNotifySource(TrayNotifyFunc source);
TaskbarWindowFunc SetTaskbarWindowSource(TaskbarWindowFunc source);

// The small-icon size (SM_CXSMICON) at a display scale: 16 at 96 DPI, 32 at 192.
int TrayIconSizeForDpi(UINT dpi);
// The size the tray asks for now, at the taskbar's display scale; replaceable like the
// shell, so tests can change the scale. nullptr restores the real reading.
using TrayIconSizeFunc = int (*)();
int CurrentTrayIconSize();
TrayIconSizeFunc SetTrayIconSizeSource(TrayIconSizeFunc source);

// The basic record every shell version accepts: 88 bytes in the 32-bit build.
constexpr DWORD TrayNotifyRecordSize = NOTIFYICONDATAA_V1_SIZE;
constexpr int TrayTipLength = 63;

class TTrayIconWindow;

class TTrayIcon {
public:
    using TrayIconEvent = std::function<void(TTrayIcon*)>;

    enum : int { StyleChart = 1, StyleNumeric = 2, StyleBar = 3 };

    // Prepares the icon in style 1 with the given colours but does not show it yet: the owner
    // sets it up (style, hint, handlers) and then calls Show, so the tray never shows a
    // half-made picture. Throws EOSError when the "ICON1616" resource or the hidden window
    // is missing.
    explicit TTrayIcon(const TTrayColors& colors = DefaultColors);
    virtual ~TTrayIcon();

    static constexpr TTrayColors DefaultColors{RGB(255, 255, 255), RGB(0, 128, 0), RGB(255, 0, 0), 12};
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    TrayIconEvent OnLeftButtonDown;
    TrayIconEvent OnLeftDoubleClick;
    TrayIconEvent OnRightButtonUp;

    int Style() const { return style_; }
    void SetStyle(int value);
    const std::wstring& Hint() const { return hint_; }
    void SetHint(const std::wstring& value);
    // Stores the hint without a refresh: for drawing code that runs inside one.
    void SetHintQuiet(const std::wstring& value);
    COLORREF BackgroundColor() const { return colors_.background; }
    void SetBackgroundColor(COLORREF value);
    COLORREF NormalColor() const { return colors_.normal; }
    void SetNormalColor(COLORREF value);
    COLORREF WarningColor() const { return colors_.warning; }
    void SetWarningColor(COLORREF value);
    int32_t WarningLevel() const { return colors_.warningLevel; }
    // Takes ownership; destroys the previous custom icon. Does not refresh by itself.
    void SetCustomIcon(HICON icon);
    HICON CustomIcon() const { return customIcon_.get(); }

    // The side of the square picture in pixels: the small-icon size of the tray's display
    // scale (16 at 100 %, 32 at 200 %). A new size is drawn at once; the icon keeps its place.
    int IconSize() const noexcept { return iconSize_; }
    void SetIconSize(int size);

    // Draws the picture and adds the icon to the tray; until then nothing is drawn or sent.
    void Show();
    bool Shown() const noexcept { return shown_; }
    // Redraws the surface and brings the shell up to date; forceReAdd deletes and adds.
    // Does nothing before Show.
    void Refresh(bool forceReAdd);
    // A notification balloon on this icon: `flags` is NIIF_INFO, NIIF_WARNING or NIIF_ERROR.
    // Shells before Windows 2000 know no balloons and refuse the call: answers false then,
    // and while the icon is not shown.
    bool ShowBalloon(const std::wstring& title, const std::wstring& text, DWORD flags);
    // Brings the hidden window to the foreground, so a popup menu closes when it loses focus.
    void ActivateWindow();
    HWND WindowHandle() const;
    bool LastUpdateFailed() const { return lastUpdateFailed_; }
    // The icon last handed to the shell (composed or custom); owned by this object.
    HICON ShownIcon() const { return record_.hIcon; }

protected:
    virtual void Draw(HDC dc);
    virtual void DrawChart(HDC) {}
    virtual void DrawNumber(HDC) {}
    virtual void DrawBar(HDC) {}

    // Called when the size changed, before the redraw (a resource icon loads its picture anew).
    virtual void IconSizeChanged() {}

    // The shared picture rules, in this icon's colours and size.
    void PaintNumber(HDC dc, const std::wstring& text, COLORREF background, COLORREF textColor);
    void PaintChart(HDC dc, const TChartValues& values, bool freeMode);
    void PaintBar(HDC dc, uint32_t percent, bool freeMode);

private:
    friend class TTrayIconWindow;

    void LoadBaseIcon(int size);
    void RenderSurface();
    void UpdateTray(bool forceReAdd);
    std::vector<uint8_t> SurfacePixels() const;
    bool Notify(DWORD message);
    // The hidden window's messages; nullopt asks for default processing.
    std::optional<LRESULT> WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    void WMTrayIconCallback(UINT mouseMessage);

    TTrayColors colors_;
    bool shown_ = false;
    int iconSize_ = TrayIconSize;
    int style_ = StyleChart;
    std::wstring hint_;
    UniqueIcon baseIcon_;
    BOOL iconFlag_ = TRUE;
    DWORD hotspotX_ = 0;
    DWORD hotspotY_ = 0;
    UniqueBitmap mask_;         // reused unchanged: every drawn pixel is visible
    UniqueBitmap color_;        // the drawing surface
    UniqueMemoryDC surfaceDC_;  // kept for the icon's life: every refresh draws through it
    UniqueIcon customIcon_;
    UniqueIcon composedIcon_;
    NOTIFYICONDATAA record_{};
    bool lastUpdateFailed_ = false;
    HWND taskbar_ = nullptr;
    // The drawn picture the shell holds now: an update that would hand it the same picture and
    // tip is not sent (each one costs the taskbar process a redraw, every sampling interval).
    std::vector<uint8_t> shownPixels_;
    std::unique_ptr<TTrayIconWindow> window_;
};
