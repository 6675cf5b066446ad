// The engine window as the user and the rest of the desktop reach it: the options it
// follows, the tray menu, the preset hotkeys, the main window, other copies of the
// program, the shell and the session.
#include "engine/fEngineForm.h"
#include "framework/uApplication.h"
#include "legacy/uKorvixOptions.h"
#include "settings/uFreeAndRunList.h"

UINT TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

// ---- Options ----
void TfrmEngine::RefreshFromOptions(uint32_t flags) {
    // After the fatal path the engine no longer follows the options.
    if (fatal_) return;
    UpdateStatus();
    if (flags & ocDisplay) tray_.FollowOptions(options_);
    RefreshIconMenu(IconMenu, options_, flags, MenuActions());
    RegisterHotkeys();
    RescheduleRegular();
}

TTrayMenuActions TfrmEngine::MenuActions() {
    TTrayMenuActions actions;
    actions.ShowMainWindow = [this] { ShowMainWindow(); };
    actions.ManageEntries = [this] {
        if (!fatal_) windows_.ShowFreeAndRunDialog();
    };
    actions.FreeUpPreset = [this](int preset) { ManualFreeUp(static_cast<int32_t>(options_.Amount(preset))); };
    actions.FreeAndRun = [this](int32_t entryId) {
        if (TFreeAndRunItem* entry = options_.FreeAndRunList().FindByID(entryId)) StartFreeAndRun(*entry);
    };
    actions.Exit = [this] { Close(); };
    return actions;
}

// ---- Main window, menu ----
void TfrmEngine::ShowMainWindow() {
    if (fatal_) return;
    windows_.ShowMainWindow();
    Application.BringToFront();
    UpdateStatus();
}

void TfrmEngine::PopupIconMenu() {
    // The menu's owner must be the foreground window, or the menu does not close when the
    // user clicks elsewhere.
    HWND owner = tray_.ActivateForMenu();
    if (!owner) {
        owner = Handle();
        ::SetForegroundWindow(owner);
    }
    Application.BringToFront();
    POINT cursor{};
    ::GetCursorPos(&cursor);
    IconMenu.Popup(owner, cursor.x, cursor.y);
}

// ---- Hotkeys ----
void TfrmEngine::RegisterHotkeys() {
    if (hotkeysReleased_) return;
    hotkeys_.Register(Handle(), {options_.Hotkey1(), options_.Hotkey2(), options_.Hotkey3()});
}

void TfrmEngine::UnregisterHotkeys() { hotkeys_.Unregister(Handle()); }

void TfrmEngine::WMHotkey(int id) {
    if (id >= 1 && id <= 3) ManualFreeUp(static_cast<int32_t>(options_.Amount(id)));
}

// ---- Other copies, the shell and the session ----
LRESULT TfrmEngine::WMEngineActivate() {
    // A second copy started right after this one (both from the autostart, say) opens nothing.
    constexpr double kTwoSeconds = 2.0 / 86400.0;
    if (Now() - startTime_ > kTwoSeconds) ShowMainWindow();
    return reinterpret_cast<LRESULT>(windows_.FindMainWindow());
}

// Settings changed from the tray menu live only in memory until a save: a logoff must not
// lose them. A free-up still touching memory would slow the logoff down and be cut off half
// way, and a pending launch would start a program into a closing session: both end first.
// The restart manager's close request (an installer updating us) ends the program; its close
// saves.
void TfrmEngine::WMEndSession(bool ending, LPARAM reasons) {
    if (!ending) return;
    CancelLaunch();
    StopFreeUp();
    if (reasons & ENDSESSION_CLOSEAPP) {
        Close();
        return;
    }
    options_.SaveOptionsOrTell();
}

// Closing the taskbar button closes the main window only; the program stays in the tray.
void TfrmEngine::AppMessage(MSG& msg, bool& handled) {
    if (msg.hwnd != Application.Handle() || msg.message != WM_SYSCOMMAND || (msg.wParam & 0xFFF0) != SC_CLOSE) return;
    handled = true;
    if (HWND main = windows_.FindMainWindow()) ::PostMessageW(main, WM_CLOSE, 0, 0);
}
