#include "uEngineTray.h"
#include "legacy/uKorvixOptions.h"

TEngineTrayIcons::TEngineTrayIcons(Events events)
    : events_(std::move(events)), trayWindow_(FindTrayWindow()), iconSize_(CurrentTrayIconSize()) {}

HWND TEngineTrayIcons::FindTrayWindow() { return ::FindWindowW(L"Shell_TrayWnd", nullptr); }

// The handlers only; the caller finishes the set-up and shows the icon.
template <typename Icon>
std::unique_ptr<Icon> TEngineTrayIcons::MakeIcon() {
    auto icon = std::make_unique<Icon>();
    icon->SetIconSize(iconSize_);
    icon->OnLeftButtonDown = [](TTrayIcon*) {};
    icon->OnLeftDoubleClick = [this](TTrayIcon*) {
        if (events_.ShowMainWindow) events_.ShowMainWindow();
    };
    icon->OnRightButtonUp = [this](TTrayIcon*) {
        if (events_.PopupMenu) events_.PopupMenu();
    };
    return icon;
}

void TEngineTrayIcons::UpdateStatus(TEngineState state, const TKorvixOptions& options, const std::wstring& lastResult) {
    if (!StatusIconShown(state, options.ProgramIcon(), options.CPUMonitoring(), options.MemoryIcon())) {
        status_.reset();
        return;
    }
    const TStatusRow& row = StatusRow(state);
    const std::wstring hint = lastResult.empty() ? std::wstring(row.tooltip) : row.tooltip + (L"\n" + lastResult);
    if (!status_) {
        auto icon = MakeIcon<TTrayIconResource>();
        icon->SetIconName(row.iconName);
        icon->SetHint(hint);
        icon->Show();
        status_ = std::move(icon);
        return;
    }
    status_->SetIconName(row.iconName);
    status_->SetHint(hint);
}

void TEngineTrayIcons::FollowOptions(const TKorvixOptions& options) {
    if (!options.MemoryIcon()) {
        memory_.reset();
    } else if (!memory_) {
        auto icon = MakeIcon<TTrayIconMemory>();
        icon->SetStyle(options.MemoryIconStyle());
        icon->SetShowFree(!options.ShowUsedMemory());
        icon->Show();
        memory_ = std::move(icon);
    } else {
        memory_->SetStyle(options.MemoryIconStyle());
        memory_->SetShowFree(!options.ShowUsedMemory());
    }
    if (!options.CPUMonitoring()) {
        cpu_.reset();
    } else if (!cpu_) {
        auto icon = MakeIcon<TTrayIconCPU>();
        icon->SetStyle(options.CPUIconStyle());
        icon->Show();
        cpu_ = std::move(icon);
    } else {
        cpu_->SetStyle(options.CPUIconStyle());
    }
}

// The status icon's picture does not change with the samples: only a new taskbar refreshes it.
void TEngineTrayIcons::RefreshAfterSampling() {
    HWND tray = FindTrayWindow();
    const bool trayChanged = tray != trayWindow_;
    trayWindow_ = tray;
    if (trayChanged && status_) status_->Refresh(true);
    if (memory_) memory_->Refresh(trayChanged);
    if (cpu_) cpu_->Refresh(trayChanged);
}

void TEngineTrayIcons::TaskbarCreated() {
    trayWindow_ = FindTrayWindow();
    FollowDisplayScale();
    if (status_) status_->Refresh(true);
    if (memory_) memory_->Refresh(true);
    if (cpu_) cpu_->Refresh(true);
}

void TEngineTrayIcons::FollowDisplayScale() {
    const int size = CurrentTrayIconSize();
    if (size == iconSize_) return;
    iconSize_ = size;
    if (status_) status_->SetIconSize(size);
    if (memory_) memory_->SetIconSize(size);
    if (cpu_) cpu_->SetIconSize(size);
}

void TEngineTrayIcons::FreeAll() {
    memory_.reset();
    cpu_.reset();
    status_.reset();
}

bool TEngineTrayIcons::ShowBalloon(const std::wstring& title, const std::wstring& text, DWORD flags) {
    TTrayIcon* icon = status_   ? static_cast<TTrayIcon*>(status_.get())
                      : memory_ ? static_cast<TTrayIcon*>(memory_.get())
                                : cpu_.get();
    return icon && icon->ShowBalloon(title, text, flags);
}

HWND TEngineTrayIcons::ActivateForMenu() {
    TTrayIcon* icon = memory_ ? static_cast<TTrayIcon*>(memory_.get()) : cpu_.get();
    if (!icon) return nullptr;
    icon->ActivateWindow();
    return icon->WindowHandle();
}
