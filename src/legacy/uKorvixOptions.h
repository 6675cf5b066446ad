// The one object that holds every user setting: loaded from the registry when
// created, saved when destroyed, values kept in range by the setters, and
// changes announced to up to 10 listener windows with WM_OPTIONSCHANGED.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>
#include "framework/uClock.h"
#include "settings/uFreeAndRunList.h"

enum : uint32_t {
    ocDisplay = 1,
    ocManual = 2,
    ocRegular = 4,
    ocCritical = 8,
    ocStartup = 16,
    ocFreeAndRun = 32,
    ocAll = 63,
};

constexpr const wchar_t* OptionsKey = L"HKEY_CURRENT_USER\\Software\\Tarvendel\\Korvix Professional 5";
constexpr const wchar_t* RunKey = L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* RunValueName = L"Korvix Pro";

class TKorvixOptions {
public:
    static constexpr int MaxListeners = 10;

    // Creates the empty Free-and-Run list and loads every option from the registry.
    TKorvixOptions();
    // Saves every option (unless SkipFinalSave was called) with SaveOptionsOrTell.
    ~TKorvixOptions();
    TKorvixOptions(const TKorvixOptions&) = delete;
    TKorvixOptions& operator=(const TKorvixOptions&) = delete;

    void LoadOptions();
    // SaveSettings, then SaveAutostart.
    void SaveOptions();
    // Every option and the Free-and-Run list under the program's own key.
    void SaveSettings();
    // The Run value: written while Startup is on, deleted otherwise.
    void SaveAutostart();
    // SaveOptions where a failure can only be told, not handled (the engine's close, a
    // logoff, the end of the program). The two parts are saved each on its own; the first
    // failure of each is shown to the user with its text, later ones only go to the
    // debugger output. Answers whether both succeeded.
    bool SaveOptionsOrTell() noexcept;
    void ApplyDefaults();

    void RegisterListener(HWND window);
    void UnregisterListener(HWND window);
    void Notify(uint32_t flags);
    void AddFreeAndRun(std::unique_ptr<TFreeAndRunItem> item);

    std::wstring SkinFileName() const;
    static std::wstring AutostartCommand();
    static void RemoveAutostart();
    // For a copy that ends without having run (another copy runs, "quit", "UNINSTALL"):
    // its values were loaded before the running copy's last save, so writing them at the
    // end could only put older settings back.
    void SkipFinalSave() { skipFinalSave_ = true; }

    // ---- Properties ----
    bool CPUMonitoring() const;
    void SetCPUMonitoring(bool value);
    int32_t ChartInterval() const { return chartInterval_; }
    void SetChartInterval(int32_t value);
    int32_t Manual() const { return manual_; }
    void SetManual(int32_t value);
    bool MemoryIcon() const { return memoryIcon_; }
    void SetMemoryIcon(bool value);
    int32_t MemoryIconStyle() const { return memoryIconStyle_; }
    void SetMemoryIconStyle(int32_t value);
    int32_t CPUIconStyle() const { return cpuIconStyle_; }
    void SetCPUIconStyle(int32_t value);
    bool ProgramIcon() const { return programIcon_; }
    void SetProgramIcon(bool value);

    bool CriticalIdle() const { return true; }
    void SetCriticalIdle(bool value);
    int32_t CriticalIdlePercent() const { return criticalIdlePercent_; }
    void SetCriticalIdlePercent(int32_t value);
    bool CriticalIdleEnforce() const { return criticalIdleEnforce_; }
    void SetCriticalIdleEnforce(bool value);
    int32_t CriticalIdleSeconds() const { return criticalIdleSeconds_; }
    void SetCriticalIdleSeconds(int32_t value);
    uint32_t CriticalFreeUpMB() const { return criticalFreeUpMB_; }
    void SetCriticalFreeUpMB(int32_t value);
    uint32_t CriticalTriggerMB() const { return criticalTriggerMB_; }
    void SetCriticalTriggerMB(int32_t value);
    bool Critical() const { return critical_; }
    void SetCritical(bool value);

    int32_t RegularInterval() const { return regularInterval_; }
    void SetRegularInterval(int32_t value);
    bool RegularIdle() const { return true; }
    void SetRegularIdle(bool value);
    int32_t RegularIdlePercent() const { return regularIdlePercent_; }
    void SetRegularIdlePercent(int32_t value);
    bool RegularIdleEnforce() const { return regularIdleEnforce_; }
    void SetRegularIdleEnforce(bool value);
    int32_t RegularIdleSeconds() const { return regularIdleSeconds_; }
    void SetRegularIdleSeconds(int32_t value);
    int32_t RegularFreeUpMB() const { return regularFreeUpMB_; }
    void SetRegularFreeUpMB(int32_t value);
    bool Regular() const { return regular_; }
    void SetRegular(bool value);

    bool StartupIdle() const { return true; }
    void SetStartupIdle(bool value);
    int32_t StartupIdlePercent() const { return startupIdlePercent_; }
    void SetStartupIdlePercent(int32_t value);
    bool StartupIdleEnforce() const { return startupIdleEnforce_; }
    void SetStartupIdleEnforce(bool value);
    int32_t StartupIdleSeconds() const { return startupIdleSeconds_; }
    void SetStartupIdleSeconds(int32_t value);
    int32_t StartupFreeUpMB() const { return startupFreeUpMB_; }
    void SetStartupFreeUpMB(int32_t value);
    int32_t StartupWait() const { return startupWait_; }
    void SetStartupWait(int32_t value);
    bool Startup() const { return startup_; }
    void SetStartup(bool value);

    const std::wstring& Skin() const { return skin_; }
    void SetSkin(const std::wstring& value);
    bool BackgroundActivity() const { return backgroundActivity_; }
    void SetBackgroundActivity(bool value);
    uint32_t Amount1() const { return amounts_[0]; }
    uint32_t Amount2() const { return amounts_[1]; }
    uint32_t Amount3() const { return amounts_[2]; }
    uint32_t Amount(int preset) const { return amounts_[preset - 1]; }  // preset 1..3
    void SetAmount1(uint32_t value) { SetAmount(1, value); }
    void SetAmount2(uint32_t value) { SetAmount(2, value); }
    void SetAmount3(uint32_t value) { SetAmount(3, value); }
    void SetAmount(int preset, uint32_t value);
    int32_t Hotkey1() const { return hotkeys_[0]; }
    int32_t Hotkey2() const { return hotkeys_[1]; }
    int32_t Hotkey3() const { return hotkeys_[2]; }
    int32_t Hotkey(int preset) const { return hotkeys_[preset - 1]; }
    void SetHotkey1(int32_t value) { SetHotkey(1, value); }
    void SetHotkey2(int32_t value) { SetHotkey(2, value); }
    void SetHotkey3(int32_t value) { SetHotkey(3, value); }
    void SetHotkey(int preset, int32_t value);
    bool ShowUsedMemory() const { return showUsedMemory_; }
    void SetShowUsedMemory(bool value);

    TDateTime NextRegular() const { return nextRegular_; }
    void SetNextRegular(TDateTime value);
    bool Updating() const { return updating_; }

    TFreeAndRunList& FreeAndRunList() { return *freeAndRunList_; }
    const TFreeAndRunList& FreeAndRunList() const { return *freeAndRunList_; }

private:
    template <typename T, typename V>
    void Store(T& field, V value, uint32_t group);

    int32_t chartInterval_ = 0;
    int32_t manual_ = 0;
    HWND listeners_[MaxListeners] = {};
    bool memoryIcon_ = false;
    int32_t memoryIconStyle_ = 0;
    int32_t cpuIconStyle_ = 0;
    bool programIcon_ = false;
    bool backgroundActivity_ = false;
    bool updating_ = false;
    bool showUsedMemory_ = true;
    uint32_t criticalTriggerMB_ = 0;
    int32_t criticalIdlePercent_ = 0;
    bool criticalIdleEnforce_ = false;
    int32_t criticalIdleSeconds_ = 0;
    uint32_t criticalFreeUpMB_ = 0;
    bool critical_ = false;
    int32_t regularInterval_ = 0;
    int32_t regularIdlePercent_ = 0;
    bool regularIdleEnforce_ = false;
    int32_t regularIdleSeconds_ = 0;
    int32_t regularFreeUpMB_ = 0;
    bool regular_ = false;
    TDateTime nextRegular_ = 0;
    std::wstring skin_;
    uint32_t amounts_[3] = {};
    int32_t hotkeys_[3] = {};
    int32_t startupIdlePercent_ = 0;
    bool startupIdleEnforce_ = false;
    int32_t startupIdleSeconds_ = 0;
    int32_t startupFreeUpMB_ = 0;
    int32_t startupWait_ = 0;
    bool startup_ = false;
    bool skipFinalSave_ = false;
    bool saveFailureTold_ = false;
    bool autostartFailureTold_ = false;
    std::unique_ptr<TFreeAndRunList> freeAndRunList_;
};

// What the user is told when the settings could not be saved.
std::wstring SaveFailedText(const std::wstring& reason);
// What the user is told when the Run value could not be written or removed.
std::wstring AutostartFailedText(const std::wstring& reason);

// The single options object; exists between InitializeOptions and FinalizeOptions.
extern std::unique_ptr<TKorvixOptions> Options;
void InitializeOptions();
void FinalizeOptions();
