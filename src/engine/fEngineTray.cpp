// The tray half of the engine window: the memory, processor and status icons, the
// tray menu, the preset hotkeys, and the messages of the shell and of other copies.
#include <algorithm>
#include "engine/fEngineForm.h"
#include "framework/uApplication.h"
#include "framework/uTrace.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"

UINT TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

// ---- Tray icons ----
template <typename Icon>
std::unique_ptr<Icon> TfrmEngine::CreateTrayIcon() {
    auto icon = std::make_unique<Icon>();
    icon->OnLeftButtonDown = [](TTrayIcon*) {};
    icon->OnLeftDoubleClick = [this](TTrayIcon*) { ShowMainWindow(); };
    icon->OnRightButtonUp = [this](TTrayIcon*) { PopupIconMenu(); };
    return icon;
}

void TfrmEngine::UpdateStatusIcon(TEngineState state) {
    if (!StatusIconShown(state, Options->ProgramIcon(), Options->CPUMonitoring(), Options->MemoryIcon())) {
        statusTrayIcon_.reset();
        return;
    }
    if (!statusTrayIcon_) statusTrayIcon_ = CreateTrayIcon<TTrayIconResource>();
    const TStatusRow& row = StatusRow(state);
    statusTrayIcon_->SetIconName(row.iconName);
    statusTrayIcon_->SetHint(row.tooltip);
}

// The memory and processor icons follow the display options.
void TfrmEngine::RefreshTrayIcons() {
    if (Options->MemoryIcon() && !memoryTrayIcon_) memoryTrayIcon_ = CreateTrayIcon<TTrayIconMemory>();
    if (!Options->MemoryIcon()) memoryTrayIcon_.reset();
    if (memoryTrayIcon_) {
        memoryTrayIcon_->SetStyle(Options->MemoryIconStyle());
        memoryTrayIcon_->SetShowFree(!Options->ShowUsedMemory());
    }
    if (Options->CPUMonitoring() && !cpuTrayIcon_) cpuTrayIcon_ = CreateTrayIcon<TTrayIconCPU>();
    if (!Options->CPUMonitoring()) cpuTrayIcon_.reset();
    if (cpuTrayIcon_) cpuTrayIcon_->SetStyle(Options->CPUIconStyle());
}

// A new taskbar has forgotten every icon: all are added again.
void TfrmEngine::RefreshIconsAfterSampling(bool trayChanged) {
    if (trayChanged && statusTrayIcon_) statusTrayIcon_->Refresh(true);
    if (memoryTrayIcon_) memoryTrayIcon_->Refresh(trayChanged);
    if (cpuTrayIcon_) cpuTrayIcon_->Refresh(trayChanged);
}

void TfrmEngine::FreeTrayIcons() {
    memoryTrayIcon_.reset();
    cpuTrayIcon_.reset();
    statusTrayIcon_.reset();
}

// ---- Options ----
void TfrmEngine::RefreshFromOptions(uint32_t flags) {
    // After the fatal path the engine no longer follows the options.
    if (!Timer.Enabled()) return;
    UpdateStatus();
    if (flags & ocDisplay) RefreshTrayIcons();
    RefreshIconMenu(IconMenu, *Options, flags, MenuActions());
    RegisterHotkeys();
    RescheduleRegular();
}

TTrayMenuActions TfrmEngine::MenuActions() {
    TTrayMenuActions actions;
    actions.ShowMainWindow = [this] { ShowMainWindow(); };
    // The Free-and-Run manager is a skinned dialog that does not exist yet; the item stays
    // in its place and does nothing until it does.
    actions.ManageEntries = nullptr;
    actions.FreeUpPreset = [this](int preset) { ManualFreeUp(static_cast<int32_t>(Options->Amount(preset))); };
    actions.FreeAndRun = [this](int32_t entryId) {
        if (TFreeAndRunItem* entry = Options->FreeAndRunList().FindByID(entryId)) StartFreeAndRun(*entry);
    };
    actions.Exit = [this] { Close(); };
    return actions;
}

// ---- Main window, menu ----
// The skinned main window does not exist yet: there is nothing to create or show, and
// the status goes nowhere else.
void TfrmEngine::ShowMainWindow() { UpdateStatus(); }

void TfrmEngine::PopupIconMenu() {
    // The menu's owner must be the foreground window, or the menu does not close when
    // the user clicks elsewhere.
    HWND owner = Handle();
    if (memoryTrayIcon_) {
        memoryTrayIcon_->ActivateWindow();
        owner = memoryTrayIcon_->WindowHandle();
    } else if (cpuTrayIcon_) {
        cpuTrayIcon_->ActivateWindow();
        owner = cpuTrayIcon_->WindowHandle();
    } else {
        ::SetForegroundWindow(owner);
    }
    Application.BringToFront();
    POINT cursor{};
    ::GetCursorPos(&cursor);
    IconMenu.Popup(owner, cursor.x, cursor.y);
}

// ---- Hotkeys ----
void TfrmEngine::RegisterHotkeys() {
    if (!Options) return;
    hotkeys_.Register(Handle(), {Options->Hotkey1(), Options->Hotkey2(), Options->Hotkey3()});
}

void TfrmEngine::UnregisterHotkeys() { hotkeys_.Unregister(Handle()); }

void TfrmEngine::WMHotkey(int id) {
    if (id >= 1 && id <= 3 && Options) ManualFreeUp(static_cast<int32_t>(Options->Amount(id)));
}

// ---- Other copies, the shell and the session ----
LRESULT TfrmEngine::WMEngineActivate() {
    // A second copy started right after this one (both from the autostart, say) opens nothing.
    constexpr double kTwoSeconds = 2.0 / 86400.0;
    if (Now() - startTime_ > kTwoSeconds) ShowMainWindow();
    return 0;  // the handle of the main window, which does not exist yet
}

// Settings changed from the tray menu live only in memory until a save: a logoff must not lose them.
void TfrmEngine::WMEndSession(bool ending) {
    if (!ending || !Options) return;
    try {
        Options->SaveOptions();
    } catch (const Exception& e) {
        DebugTrace(std::wstring(e.ClassName()) + L": " + e.Message());
    }
}

// A restarted shell has forgotten every icon. Handled here rather than in a loop hook: the
// broadcast may be sent rather than posted, and a posted one reaches every top-level
// window of ours, which would re-add the icons once per window.
void TfrmEngine::WMTaskbarCreated() {
    trayWindow_ = FindTrayWindow();
    if (statusTrayIcon_) statusTrayIcon_->Refresh(true);
    if (memoryTrayIcon_) memoryTrayIcon_->Refresh(true);
    if (cpuTrayIcon_) cpuTrayIcon_->Refresh(true);
}

// Closing the taskbar button closes the main window only; the program stays in the tray.
void TfrmEngine::AppMessage(MSG& msg, bool& handled) {
    if (msg.hwnd != Application.Handle() || msg.message != WM_SYSCOMMAND || (msg.wParam & 0xFFF0) != SC_CLOSE) return;
    handled = true;
}
