// The hidden engine window "Memory Engine": the program's address for the worker, the
// options, the windows above it and other running copies. It holds the heartbeat and the
// scheduler (fEngineScheduler.cpp), the worker and its status (uEngineWorker), the tray
// icons (uEngineTray), the tray menu, the hotkeys and the messages of other copies
// (fEngineMenu.cpp), and the Free-and-Run launch (fEngineLaunch.cpp).
#pragma once
#include <windows.h>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include "engine/uEngineSchedule.h"
#include "engine/uEngineStatus.h"
#include "engine/uEngineTray.h"
#include "engine/uEngineWindows.h"
#include "engine/uEngineWorker.h"
#include "engine/uFreeUpResult.h"
#include "engine/uHotkeys.h"
#include "engine/uTrayMenu.h"
#include "framework/uClock.h"
#include "framework/uForm.h"
#include "framework/uMenu.h"
#include "framework/uTimer.h"
#include "skin/uSkin.h"

class TFreeAndRunItem;
class TKorvixOptions;
class TfrmFARLaunch;

// The shell's "TaskbarCreated" broadcast, registered once.
UINT TaskbarCreatedMessage();
// The splash's progress line: "Free-up: 37%".
std::wstring FreeUpProgressText(uint32_t percent);
// What the user is told when a Free-and-Run program cannot be started.
std::wstring LaunchFailedText(const std::wstring& file, DWORD errorCode);

// Created through the application (Application.CreateForm), which runs FormCreate once the
// window exists and FormDestroy before it goes. The options and the windows above must
// outlive it. `heartbeatMs` is the timer's period (tests drive the ticks themselves).
class TfrmEngine : public TForm {
public:
    TfrmEngine(TKorvixOptions& options, IEngineWindows& windows, UINT heartbeatMs = TimerIntervalMs);
    ~TfrmEngine() override;

    // ---- Scheduler ----
    void TimerTimer();
    void StartFreeUp(const TFreeUpParams& params);
    void StopFreeUp();
    void CriticalFreeUp();
    void RegularFreeUp();
    void StartupFreeUp();
    void ManualFreeUp(int32_t position);

    // ---- Window ----
    void RefreshFromOptions(uint32_t flags);
    void UpdateStatus();

    // ---- Tray menu, hotkeys, Free-and-Run ----
    void ShowMainWindow();
    void PopupIconMenu();
    void RegisterHotkeys();
    void UnregisterHotkeys();
    void StartFreeAndRun(TFreeAndRunItem& entry);
    void RunPendingProgram();
    TPopupMenu IconMenu;

    // ---- The skin control shared by every skinned dialog ----
    // Loads the file when its name differs (exactly) from the one held. The name is taken
    // before the load: a file that fails is not tried again until another one was asked for,
    // and the dialogs then show their plain look. A failed load throws ESkinError.
    void SetSkinFile(const std::wstring& path);
    const std::wstring& SkinFile() const noexcept { return skinFile_; }
    TSkin Skin;

    // ---- State, for the other windows and for tests ----
    // False once the fatal path has run: the engine then frees up, shows and follows nothing.
    bool Active() const noexcept { return !fatal_; }
    // True once the window has been closed (the program is ending).
    bool Closed() const noexcept { return closed_; }
    const TFreeThread* Worker() const noexcept { return worker_.Current(); }
    TEngineState State() const;
    std::wstring StatusLine() const;
    const TStatusValues& StatusValues() const noexcept { return worker_.Values(); }
    const TEngineTrayIcons& Tray() const noexcept { return tray_; }
    bool StartupDecided() const noexcept { return startupDecided_; }
    int32_t LastRegularInterval() const noexcept { return lastRegularInterval_; }
    const THotkeys& Hotkeys() const noexcept { return hotkeys_; }
    TfrmFARLaunch* LaunchSplash() const noexcept { return launchSplash_; }
    // The result of the last free-up of any kind that ran to its end, once settled.
    const std::optional<TFreeUpResult>& LastResult() const noexcept { return lastResult_; }

protected:
    CreateParams FormParams() override;
    void FormCreate() override;
    bool FormCloseQuery() override;
    void FormClose() override;
    void FormDestroy() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // ---- Messages ----
    LRESULT WMEngineActivate();
    void WMHotkey(int id);
    void WMHotkeysRelease(LPARAM key);
    void WMHotkeysRestore(LPARAM key);
    void WMEndSession(bool ending, LPARAM reasons);
    void WMFreeUpFinished();
    void WMFreeUpFatal(DWORD code);
    void WMFreeUpProgress(uint32_t percent);
    void WMFreeUpRequest(WPARAM sizeMB);
    void AppMessage(MSG& msg, bool& handled);
    TTrayMenuActions MenuActions();

    // ---- Scheduler steps ----
    void SamplingStep();
    void CriticalCheck();
    void StartFreeUpOfKind(FreeUpKind kind, int32_t argument = 0);
    void RescheduleRegular();
    void MoveRegularOn();

    // ---- Results (fEngineResult.cpp) ----
    void MeasureBlockStart(uint32_t percent);
    void MeasureFinished();
    void CompleteMeasurement();
    void TellSizeLimit(const TFreeUpParams& params);

    // ---- Launch ----
    bool LaunchEndsNow() const;
    void CancelLaunch();

    TKorvixOptions& options_;
    IEngineWindows& windows_;
    TTimer timer_;
    TEngineWorker worker_;
    TEngineTrayIcons tray_;
    THotkeys hotkeys_;
    // Between WM_HOTKEYSRELEASE and WM_HOTKEYSRESTORE (the hotkey dialog is open): option
    // changes must not take the keys back from the dialog.
    bool hotkeysReleased_ = false;
    bool fatal_ = false;
    bool closed_ = false;
    TDateTime startTime_ = 0;
    int32_t tickCount_ = 0;
    int32_t sampleCount_ = 0;
    bool startupDecided_ = false;
    int32_t lastRegularInterval_ = 0;
    TMemoryReadingWatch memoryReading_;
    TfrmFARLaunch* launchSplash_ = nullptr;  // owned by the application
    uint64_t launchWorker_ = 0;              // the worker started for the pending launch; 0 before
    int appMessageHook_ = 0;
    TFreeUpMeter meter_;
    std::optional<TFreeUpResult> lastResult_;
    std::wstring lastResultText_;  // its short line, in the status tooltip and the tray menu
    std::set<int32_t> limitTold_;  // sizes of automatic free-ups already refused in a balloon
    std::wstring skinFile_;
    bool skinFileHeld_ = false;  // no name asked for yet
};
