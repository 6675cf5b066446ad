// The engine's three tray icons: the status icon, shown by the status table's rule, and
// the memory and processor icons, shown as the display options say. Each icon is set up
// completely before it is first added. The icons are redrawn after every sample and
// added anew whenever the taskbar was restarted.
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include "engine/uEngineStatus.h"
#include "tray/uTrayIcons.h"

class TKorvixOptions;

class TEngineTrayIcons {
public:
    struct Events {
        std::function<void()> ShowMainWindow;  // a left double click on any icon
        std::function<void()> PopupMenu;       // the right button released over any icon
    };
    explicit TEngineTrayIcons(Events events);

    // The status icon of `state`, shown or removed by the options; `lastResult`, when not
    // empty, is a second line of its tooltip.
    void UpdateStatus(TEngineState state, const TKorvixOptions& options, const std::wstring& lastResult = {});
    // The memory and processor icons as the display options say.
    void FollowOptions(const TKorvixOptions& options);
    // After a sampling step: the memory and processor icons redraw; a new taskbar (its window
    // changed since the last look) gets every icon added again.
    void RefreshAfterSampling();
    // The shell's "TaskbarCreated": every icon is added again, at the size the tray asks for now.
    void TaskbarCreated();
    // The display scale may have changed: every icon is drawn at the tray's small-icon size.
    void FollowDisplayScale();
    int IconSize() const noexcept { return iconSize_; }
    void FreeAll();
    // A balloon on the program's icon: the status icon, else the memory icon, else the
    // processor icon (one of them is always in the tray). False when none took it.
    bool ShowBalloon(const std::wstring& title, const std::wstring& text, DWORD flags);
    // The window to own the tray menu: the memory icon's, else the processor icon's, brought
    // to the foreground so the menu closes when the user clicks elsewhere; null when neither
    // icon exists.
    HWND ActivateForMenu();

    const TTrayIconResource* Status() const noexcept { return status_.get(); }
    const TTrayIconMemory* Memory() const noexcept { return memory_.get(); }
    const TTrayIconCPU* Cpu() const noexcept { return cpu_.get(); }
    // The shell's taskbar window as last seen.
    HWND TrayWindow() const noexcept { return trayWindow_; }

private:
    template <typename Icon>
    std::unique_ptr<Icon> MakeIcon();
    static HWND FindTrayWindow();

    Events events_;
    std::unique_ptr<TTrayIconMemory> memory_;
    std::unique_ptr<TTrayIconCPU> cpu_;
    std::unique_ptr<TTrayIconResource> status_;
    HWND trayWindow_;
    int iconSize_;
};
