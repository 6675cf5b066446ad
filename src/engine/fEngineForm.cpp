#include "fEngineForm.h"
#include <limits>
#include "engine/fFARLaunch.h"
#include "framework/uApplication.h"
#include "framework/uMessageBox.h"
#include "framework/uOwnMessages.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"

namespace {
constexpr const wchar_t* kEngineClassName = L"TfrmEngine";
}  // namespace

TfrmEngine::TfrmEngine(TKorvixOptions& options, IEngineWindows& windows, UINT heartbeatMs)
    : options_(options),
      windows_(windows),
      timer_(*this, heartbeatMs),
      worker_(*this, {.StatusChanged = [this] { UpdateStatus(); },
                      .Progress = [this](uint32_t percent) { WMFreeUpProgress(percent); },
                      .Finished = [this] { WMFreeUpFinished(); },
                      .ReleaseFailed = [this](DWORD code) { WMFreeUpFatal(code); }}),
      tray_({.ShowMainWindow = [this] { ShowMainWindow(); }, .PopupMenu = [this] { PopupIconMenu(); }}) {}

TfrmEngine::~TfrmEngine() = default;

TForm::CreateParams TfrmEngine::FormParams() {
    return {.className = kEngineClassName, .title = EngineWindowTitle, .style = WS_POPUP};
}

// The order matters: the options' first announcement, triggered by the registration,
// finds the menu, the hotkeys and the timer ready.
void TfrmEngine::FormCreate() {
    startTime_ = Now();
    lastRegularInterval_ = 0;
    EngineWindow = Handle();
    tickCount_ = 0;
    startupDecided_ = false;
    CreateIconMenu(IconMenu, options_, MenuActions());
    if (HWND app = Application.Handle()) {
        ::SetWindowLongPtrW(app, GWL_STYLE, ::GetWindowLongPtrW(app, GWL_STYLE) & ~LONG_PTR(WS_MINIMIZEBOX));
    }
    appMessageHook_ = Application.AddMessageHook([this](MSG& msg, bool& handled) { AppMessage(msg, handled); });
    hotkeys_ = THotkeys{};
    RegisterHotkeys();
    timer_.OnTimer = [this] { TimerTimer(); };
    timer_.SetEnabled(true);
    // The options answer at once with every group flag: icons, menu and schedule follow.
    options_.RegisterListener(Handle());
}

// Closing is always allowed; a failed save is told to the user.
bool TfrmEngine::FormCloseQuery() {
    options_.SaveOptionsOrTell();
    return true;
}

// The start-up form is the application's main form: closing it ends the program, and the
// engine window is destroyed with the other windows. A pending launch ends here without
// starting its program: the program is quitting.
void TfrmEngine::FormClose() {
    closed_ = true;
    CancelLaunch();
    if (LaunchWindow) ::PostMessageW(LaunchWindow, WM_CLOSE, 0, 0);
}

void TfrmEngine::FormDestroy() {
    timer_.SetEnabled(false);
    CancelLaunch();
    options_.UnregisterListener(Handle());
    worker_.Stop();
    worker_.DispatchQueued();
    tray_.FreeAll();
    windows_.FreeWindows();
    EngineWindow = nullptr;
    UnregisterHotkeys();
    Application.RemoveMessageHook(appMessageHook_);
}

// ---- Window procedure ----
LRESULT TfrmEngine::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (worker_.HandleMessage(msg, wParam, lParam)) return 0;
    switch (msg) {
        case WM_OPTIONSCHANGED: RefreshFromOptions(static_cast<uint32_t>(wParam)); return 0;
        case WM_FREEUPREQUEST: WMFreeUpRequest(wParam); return 0;
        case WM_ENGINEIDENTIFY: return EngineSignature;
        case WM_ENGINEACTIVATE: return WMEngineActivate();
        case WM_ENGINECLOSE: Close(); return 0;
        case WM_HOTKEYSRELEASE: WMHotkeysRelease(lParam); return 0;
        case WM_HOTKEYSRESTORE: WMHotkeysRestore(lParam); return 0;
        case WM_HOTKEY: WMHotkey(static_cast<int>(wParam)); return 0;
        // A new display scale: the tray asks for icons of another size. The hidden window
        // itself keeps its place (no move to the suggested rectangle).
        case WM_DPICHANGED: tray_.FollowDisplayScale(); return 0;
        case WM_SETTINGCHANGE:
        case WM_DISPLAYCHANGE: tray_.FollowDisplayScale(); break;
        case WM_QUERYENDSESSION: return TRUE;
        case WM_ENDSESSION: WMEndSession(wParam != FALSE, lParam); return 0;
    }
    if (msg == TaskbarCreatedMessage()) {
        // Handled here rather than in a loop hook: the broadcast may be sent rather than
        // posted, and a posted one reaches every top-level window of ours.
        tray_.TaskbarCreated();
        return 0;
    }
    return TForm::WndProc(msg, wParam, lParam);
}

// ---- The hotkeys lent to the hotkey dialog ----
// Only the main window of this program lends them (sent from this thread, with the key):
// another program could otherwise switch every hotkey off until a restore came.
void TfrmEngine::WMHotkeysRelease(LPARAM key) {
    if (!IsOwnMessage(key) || hotkeysReleased_) return;
    hotkeysReleased_ = true;
    UnregisterHotkeys();
}

void TfrmEngine::WMHotkeysRestore(LPARAM key) {
    if (!IsOwnMessage(key) || !hotkeysReleased_) return;
    hotkeysReleased_ = false;
    RegisterHotkeys();
}

// ---- Worker messages ----
void TfrmEngine::WMFreeUpProgress(uint32_t percent) {
    MeasureBlockStart(percent);
    if (launchSplash_) launchSplash_->SetStatusText(FreeUpProgressText(percent));
}

void TfrmEngine::WMFreeUpFinished() {
    MeasureFinished();
    UpdateStatus();
    if (LaunchEndsNow()) RunPendingProgram();
}

// A block that cannot be given back leaves the system short of memory: end the program.
// From here on nothing is started, shown or re-created, whatever is still queued.
void TfrmEngine::WMFreeUpFatal(DWORD code) {
    // A second failed release of the same run must not open a second box.
    if (fatal_) return;
    fatal_ = true;
    timer_.SetEnabled(false);
    options_.UnregisterListener(Handle());
    CancelLaunch();
    StopFreeUp();
    tray_.FreeAll();
    windows_.FreeWindows();
    UnregisterHotkeys();
    ShowMessageBox(nullptr,
                   L"Fatal error in memory management. Korvix Professional will be closed.\r\n"
                   L"The Code returned was: " +
                       std::to_wstring(code),
                   ProductName, MB_OK | MB_ICONERROR);
    Close();
}

void TfrmEngine::WMFreeUpRequest(WPARAM sizeMB) {
    if (sizeMB == 0) return;
    auto size = static_cast<int32_t>(
        sizeMB > WPARAM(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max() : sizeMB);
    StartFreeUpOfKind(FreeUpKind::Request, size);
}

// ---- Shared skin ----
void TfrmEngine::SetSkinFile(const std::wstring& path) {
    // An empty path (the configured file is missing) is a name like any other: asked for the
    // first time, it fails with the skin error.
    if (skinFileHeld_ && path == skinFile_) return;
    skinFile_ = path;
    skinFileHeld_ = true;
    Skin.Unload();
    Skin.Load(path);
}

// ---- Status ----
TEngineState TfrmEngine::State() const {
    return ChooseState(worker_.Current() != nullptr, worker_.Values(), options_.BackgroundActivity());
}

std::wstring TfrmEngine::StatusLine() const {
    std::wstring line = ExpandDetailLine(StatusRow(State()).detailLine, StatusValues());
    if (memoryReading_.Failing()) line += MemoryReadingFailedLine;
    return line;
}

void TfrmEngine::UpdateStatus() {
    if (fatal_) return;
    std::wstring note = lastResultText_;
    if (memoryReading_.Failing())
        note = note.empty() ? MemoryReadingFailedNote : MemoryReadingFailedNote + (L"\n" + note);
    tray_.UpdateStatus(State(), options_, note);
    windows_.ShowStatusLine(StatusLine());
}
