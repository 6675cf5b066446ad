#include "fEngineForm.h"
#include <limits>
#include "engine/fFARLaunch.h"
#include "framework/uApplication.h"
#include "framework/uMessageBox.h"
#include "framework/uTrace.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"

namespace {
constexpr const wchar_t* kEngineClassName = L"TfrmEngine";
}  // namespace

TfrmEngine::TfrmEngine() = default;
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
    if (Options) CreateIconMenu(IconMenu, *Options, MenuActions());
    if (HWND app = Application.Handle()) {
        ::SetWindowLongPtrW(app, GWL_STYLE, ::GetWindowLongPtrW(app, GWL_STYLE) & ~LONG_PTR(WS_MINIMIZEBOX));
    }
    appMessageHook_ = Application.AddMessageHook([this](MSG& msg, bool& handled) { AppMessage(msg, handled); });
    hotkeys_ = THotkeys{};
    RegisterHotkeys();
    Timer.OnTimer = [this] { TimerTimer(); };
    Timer.SetEnabled(true);
    // The options answer at once with every group flag: icons, menu and schedule follow.
    if (Options) Options->RegisterListener(Handle());
    trayWindow_ = FindTrayWindow();
}

bool TfrmEngine::FormCloseQuery() {
    try {
        if (Options) Options->SaveOptions();
    } catch (const Exception& e) {
        DebugTrace(std::wstring(e.ClassName()) + L": " + e.Message());  // closing is always allowed
    }
    return true;
}

// The start-up form is the application's main form: closing it ends the program, and
// the engine window is destroyed with the other windows.
void TfrmEngine::FormClose() {
    if (LaunchWindow) ::PostMessageW(LaunchWindow, WM_CLOSE, 0, 0);
}

void TfrmEngine::FormDestroy() {
    Timer.SetEnabled(false);
    if (Options) Options->UnregisterListener(Handle());
    StopFreeUp();
    DispatchQueuedWorkerMessages();  // an error record still queued is freed
    FreeTrayIcons();
    EngineWindow = nullptr;
    UnregisterHotkeys();
    Application.RemoveMessageHook(appMessageHook_);
    if (launchSplash_) Application.DestroyForm(launchSplash_);
    launchSplash_ = nullptr;
}

// ---- Window procedure ----
LRESULT TfrmEngine::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (HandleWorkerMessage(msg, wParam, lParam)) return 0;
    switch (msg) {
        case WM_OPTIONSCHANGED: RefreshFromOptions(static_cast<uint32_t>(wParam)); return 0;
        case WM_FREEUPREQUEST: WMFreeUpRequest(wParam); return 0;
        case WM_ENGINEIDENTIFY: return EngineSignature;
        case WM_ENGINEACTIVATE: return WMEngineActivate();
        case WM_ENGINECLOSE: Close(); return 0;
        case WM_HOTKEYSRELEASE: UnregisterHotkeys(); return 0;
        case WM_HOTKEYSRESTORE: RegisterHotkeys(); return 0;
        case WM_HOTKEY: WMHotkey(static_cast<int>(wParam)); return 0;
        case WM_QUERYENDSESSION: return TRUE;
        case WM_ENDSESSION: WMEndSession(wParam != FALSE); return 0;
    }
    if (msg == TaskbarCreatedMessage()) {
        WMTaskbarCreated();
        return 0;
    }
    return TForm::WndProc(msg, wParam, lParam);
}

// The messages a worker posts; also those an ended worker left queued (see StartFreeUp).
bool TfrmEngine::HandleWorkerMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_FREEUPPREWAIT:
            WMFreeUpPreWait(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
            return true;
        case WM_FREEUPCPULOAD:
            WMFreeUpCpuLoad(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
            return true;
        case WM_FREEUPIDLEWAIT: WMFreeUpIdleWait(static_cast<uint32_t>(wParam)); return true;
        case WM_FREEUPPROGRESS: WMFreeUpProgress(static_cast<uint32_t>(wParam)); return true;
        case WM_FREEUPFATAL: WMFreeUpFatal(static_cast<DWORD>(wParam)); return true;
        case WM_FREEUPENDED: WMFreeUpEnded(); return true;
        case WM_FREEUPFINISHED: WMFreeUpFinished(); return true;
        case WM_FREEUPERROR: WMFreeUpError(reinterpret_cast<TThreadError*>(lParam)); return true;
    }
    return false;
}

// ---- Worker messages ----
void TfrmEngine::WMFreeUpPreWait(uint32_t elapsed, uint32_t total) {
    status_.PreWaiting = true;
    status_.WaitingForIdle = false;
    status_.PreWaitTotal = total;
    status_.PreWaitElapsed = elapsed;
    UpdateStatus();
}

void TfrmEngine::WMFreeUpCpuLoad(uint32_t load, uint32_t allowed) {
    status_.CpuLoad = load;
    status_.AllowedCpu = allowed;
    UpdateStatus();
}

void TfrmEngine::WMFreeUpIdleWait(uint32_t secondsLeft) {
    status_.WaitingForIdle = true;
    status_.PreWaiting = false;
    status_.IdleSecondsLeft = secondsLeft;
    UpdateStatus();
}

void TfrmEngine::WMFreeUpProgress(uint32_t percent) {
    status_.WaitingForIdle = false;
    status_.PreWaiting = false;
    status_.PercentDone = percent;
    UpdateStatus();
    if (launchSplash_) launchSplash_->SetStatusText(FreeUpProgressText(percent));
}

void TfrmEngine::WMFreeUpEnded() {
    if (worker_) FreeWorker();
}

void TfrmEngine::WMFreeUpFinished() {
    StopFreeUp();
    UpdateStatus();
    if (launchSplash_) RunPendingProgram();
}

void TfrmEngine::WMFreeUpError(TThreadError* error) {
    delete error;  // worker failures are not shown
}

// A block that cannot be given back leaves the system short of memory: end the program.
void TfrmEngine::WMFreeUpFatal(DWORD code) {
    // A second failed release of the same run must not open a second box.
    if (!Timer.Enabled()) return;
    Timer.SetEnabled(false);
    if (Options) Options->UnregisterListener(Handle());
    StopFreeUp();
    FreeTrayIcons();
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

// ---- Status ----
TEngineState TfrmEngine::State() const {
    return ChooseState(worker_ != nullptr, status_, Options && Options->BackgroundActivity());
}

std::wstring TfrmEngine::StatusLine() const { return ExpandDetailLine(StatusRow(State()).detailLine, status_); }

void TfrmEngine::UpdateStatus() {
    if (!Options) return;
    TEngineState state = State();
    UpdateStatusIcon(state);
    ShowMainWindowStatus(ExpandDetailLine(StatusRow(state).detailLine, status_));
}

void TfrmEngine::ShowMainWindowStatus(const std::wstring&) {}
void TfrmEngine::RepaintOpenCharts() {}
