#include "fEngineForm.h"
#include <limits>
#include "framework/uMessageBox.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"

namespace {
constexpr const wchar_t* kEngineClassName = L"TfrmEngine";
}  // namespace

TfrmEngine::TfrmEngine() {
    startTime_ = Now();
    lastRegularInterval_ = 0;
    CreateHandle({.className = kEngineClassName, .title = EngineWindowTitle, .style = WS_POPUP});
    EngineWindow = Handle();
    tickCount_ = 0;
    startupDecided_ = false;
    Timer.OnTimer = [this] { TimerTimer(); };
    Timer.SetEnabled(true);
    // The options answer at once with every group flag, which schedules the regular free-up.
    if (Options) Options->RegisterListener(Handle());
    trayWindow_ = FindTrayWindow();
}

TfrmEngine::~TfrmEngine() {
    Timer.SetEnabled(false);
    if (Options) Options->UnregisterListener(Handle());
    StopFreeUp();
    DispatchQueuedWorkerMessages();  // an error record still queued is freed
    FreeTrayIcons();
    EngineWindow = nullptr;
    DestroyHandle();
}

// ---- Window procedure ----
LRESULT TfrmEngine::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (HandleWorkerMessage(msg, wParam, lParam)) return 0;
    switch (msg) {
        case WM_OPTIONSCHANGED: RefreshFromOptions(static_cast<uint32_t>(wParam)); return 0;
        case WM_FREEUPREQUEST: WMFreeUpRequest(wParam); return 0;
        case WM_ENGINEIDENTIFY: return EngineSignature;
        case WM_ENGINECLOSE: Close(); return 0;
        case WM_CLOSE: Close(); return 0;
    }
    return DefaultProc(msg, wParam, lParam);
}

// The messages a worker posts; also those an ended worker left queued (see StartFreeUp).
bool TfrmEngine::HandleWorkerMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_FREEUPPREWAIT: WMFreeUpPreWait(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam)); return true;
        case WM_FREEUPCPULOAD: WMFreeUpCpuLoad(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam)); return true;
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
}

void TfrmEngine::WMFreeUpEnded() {
    if (worker_) FreeWorker();
}

void TfrmEngine::WMFreeUpFinished() {
    StopFreeUp();
    UpdateStatus();
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
    ShowMessageBox(nullptr,
                   L"Fatal error in memory management. Korvix Professional will be closed.\r\n"
                   L"The Code returned was: " + std::to_wstring(code),
                   ProductName, MB_OK | MB_ICONERROR);
    Close();
}

void TfrmEngine::WMFreeUpRequest(WPARAM sizeMB) {
    if (sizeMB == 0) return;
    auto size = static_cast<int32_t>(sizeMB > WPARAM(std::numeric_limits<int32_t>::max())
                                         ? std::numeric_limits<int32_t>::max()
                                         : sizeMB);
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
void TfrmEngine::ShowMainWindow() {}
void TfrmEngine::PopupIconMenu() {}

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
    RescheduleRegular();
}

// ---- Closing ----
void TfrmEngine::Close() {
    if (Options) Options->SaveOptions();
    // The start-up form is the application's main form: closing it ends the program,
    // and the engine window is destroyed with the other windows.
    if (LaunchWindow) ::PostMessageW(LaunchWindow, WM_CLOSE, 0, 0);
}
