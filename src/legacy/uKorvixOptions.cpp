#include "uKorvixOptions.h"
#include "framework/uException.h"
#include "framework/uMessageBox.h"
#include "framework/uPaths.h"
#include "framework/uText.h"
#include "framework/uTrace.h"
#include "legacy/uGlobals.h"
#include "legacy/uMessages.h"
#include "probes/jovCPUUsage.h"
#include "settings/uRegistry.h"

std::unique_ptr<TKorvixOptions> Options;

namespace {

uint32_t T() { return static_cast<uint32_t>(TotalPhysMB); }

// One row per stored option, in the order they are saved. Rows with `everyLoad` are read
// whether or not "Use Defaults" is set; the others only when it is not.
struct OptionRow {
    const wchar_t* name;
    bool isBool;
    bool everyLoad;
    int32_t (*get)(const TKorvixOptions&);
    void (*set)(TKorvixOptions&, int32_t);
    int32_t (*loadDefault)();
};

#define INT_ROW(reg, prop, def)                                                                              \
    {                                                                                                        \
        reg, false, false, [](const TKorvixOptions& o) { return static_cast<int32_t>(o.prop()); },           \
            [](TKorvixOptions& o, int32_t v) { o.Set##prop(v); }, []() { return static_cast<int32_t>(def); } \
    }
#define BOOL_ROW(reg, prop, def)                                                                                  \
    {                                                                                                             \
        reg, true, false, [](const TKorvixOptions& o) { return static_cast<int32_t>(o.prop()); },                 \
            [](TKorvixOptions& o, int32_t v) { o.Set##prop(v != 0); }, []() { return static_cast<int32_t>(def); } \
    }
#define HOTKEY_ROW(reg, preset, def)                                                                                 \
    {                                                                                                                \
        reg, false, true, [](const TKorvixOptions& o) { return o.Hotkey(preset); },                                  \
            [](TKorvixOptions& o, int32_t v) { o.SetHotkey(preset, v); }, []() { return static_cast<int32_t>(def); } \
    }

const OptionRow kOptionRows[] = {
    BOOL_ROW(L"CPU Monitoring", CPUMonitoring, false),
    INT_ROW(L"Chart Interval", ChartInterval, 2000),
    INT_ROW(L"Manual", Manual, 0),
    BOOL_ROW(L"MemoryIcon", MemoryIcon, true),
    INT_ROW(L"MemoryIconStyle", MemoryIconStyle, 1),
    INT_ROW(L"CPUIconStyle", CPUIconStyle, 1),
    BOOL_ROW(L"ProgramIcon", ProgramIcon, false),
    BOOL_ROW(L"CriticalIdle", CriticalIdle, true),
    INT_ROW(L"CriticalIdlePercent", CriticalIdlePercent, 50),
    BOOL_ROW(L"CriticalIdleEnforce", CriticalIdleEnforce, true),
    INT_ROW(L"CriticalIdleSeconds", CriticalIdleSeconds, 10),
    INT_ROW(L"CriticalFreeUpMB", CriticalFreeUpMB, T() / 10),
    INT_ROW(L"CriticalTriggerMB", CriticalTriggerMB, (T() / 10) * 9),
    BOOL_ROW(L"Critical", Critical, true),
    INT_ROW(L"RegularInterval", RegularInterval, 1800),
    BOOL_ROW(L"RegularIdle", RegularIdle, true),
    INT_ROW(L"RegularIdlePercent", RegularIdlePercent, 25),
    BOOL_ROW(L"RegularIdleEnforce", RegularIdleEnforce, false),
    INT_ROW(L"RegularIdleSeconds", RegularIdleSeconds, 60),
    INT_ROW(L"RegularFreeUpMB", RegularFreeUpMB, T() / 2),
    BOOL_ROW(L"Regular", Regular, true),
    BOOL_ROW(L"StartupIdle", StartupIdle, true),
    INT_ROW(L"StartupIdlePercent", StartupIdlePercent, 25),
    BOOL_ROW(L"StartupIdleEnforce", StartupIdleEnforce, false),
    INT_ROW(L"StartupIdleSeconds", StartupIdleSeconds, 60),
    INT_ROW(L"StartupFreeUpMB", StartupFreeUpMB, T() / 2),
    INT_ROW(L"StartupWait", StartupWait, 0),
    BOOL_ROW(L"Startup", Startup, true),
    {L"Skin", false, true, nullptr, nullptr, nullptr},  // the one text value
    BOOL_ROW(L"BackgroundActivity", BackgroundActivity, true),
    INT_ROW(L"Amount1", Amount1, (T() / 10) * 5),
    INT_ROW(L"Amount2", Amount2, (T() / 10) * 4),
    INT_ROW(L"Amount3", Amount3, (T() / 10) * 3),
    HOTKEY_ROW(L"Hotkey1", 1, 49220),
    HOTKEY_ROW(L"Hotkey2", 2, 49222),
    HOTKEY_ROW(L"Hotkey3", 3, 49223),
    BOOL_ROW(L"ShowUsedMemory", ShowUsedMemory, true),
};

constexpr const wchar_t* kDefaultSkin = L"default.skn";

void LoadRow(TKorvixOptions& options, const OptionRow& row) {
    if (!row.get) {
        options.SetSkin(ReadRegString(OptionsKey, row.name, kDefaultSkin));
        return;
    }
    int32_t value = row.isBool ? ReadRegBool(OptionsKey, row.name, row.loadDefault() != 0)
                               : ReadRegInteger(OptionsKey, row.name, row.loadDefault());
    try {
        row.set(options, value);
    } catch (const Exception& e) {
        // Only switching processor sampling on can fail (9x statistics missing); the option
        // then stays off and the remaining options still load.
        DebugTrace(std::wstring(row.name) + L": " + e.Message());
    }
}

void SaveRow(const TKorvixOptions& options, const OptionRow& row) {
    if (!row.get) {
        WriteRegString(OptionsKey, row.name, options.Skin());
    } else if (row.isBool) {
        WriteRegBool(OptionsKey, row.name, row.get(options) != 0);
    } else {
        WriteRegInteger(OptionsKey, row.name, row.get(options));
    }
}

}  // namespace

TKorvixOptions::TKorvixOptions() : freeAndRunList_(std::make_unique<TFreeAndRunList>()) {
    updating_ = false;
    showUsedMemory_ = true;
    LoadOptions();
}

TKorvixOptions::~TKorvixOptions() {
    if (!skipFinalSave_) SaveOptionsOrTell();
    // Stop the processor sampling that this object started.
    if (CpuHistory) {
        StopCPUUsage();
        CpuHistory.reset();
    }
}

// ---- Load, save, defaults ----
void TKorvixOptions::LoadOptions() {
    TraceHook(L"Reading Korvix Options from Registry");
    if (ReadRegBool(OptionsKey, L"Use Defaults", true)) {
        ApplyDefaults();
    } else {
        for (const OptionRow& row : kOptionRows) {
            if (!row.everyLoad) LoadRow(*this, row);
        }
    }
    for (const OptionRow& row : kOptionRows) {
        if (row.everyLoad) LoadRow(*this, row);
    }
    freeAndRunList_->LoadFromRegistry(OptionsKey, TotalPhysMB);
}

void TKorvixOptions::SaveOptions() {
    SaveSettings();
    SaveAutostart();
}

// "Use Defaults" goes last: a save cut short before it leaves a first run's key reading
// as defaults, never as a half-written set of values.
void TKorvixOptions::SaveSettings() {
    TraceHook(L"Saving Korvix Options to Registry");
    for (const OptionRow& row : kOptionRows) SaveRow(*this, row);
    freeAndRunList_->SaveToRegistry(OptionsKey);
    WriteRegBool(OptionsKey, L"Use Defaults", false);
}

void TKorvixOptions::SaveAutostart() {
    if (startup_) {
        WriteRegString(RunKey, RunValueName, AutostartCommand());
    } else {
        DeleteRegValue(RunKey, RunValueName);
    }
}

void TKorvixOptions::ApplyDefaults() {
    const uint32_t t = T();
    updating_ = true;
    SetStartup(true);
    SetStartupIdlePercent(25);
    SetStartupIdleSeconds(60);
    SetStartupIdleEnforce(true);
    SetStartupFreeUpMB(t / 2);
    SetStartupWait(5);
    SetRegular(true);
    SetRegularIdlePercent(25);
    SetRegularIdleSeconds(60);
    SetRegularIdleEnforce(false);
    SetRegularFreeUpMB(t / 2);
    SetRegularInterval(60);
    SetCritical(true);
    SetCriticalIdlePercent(50);
    SetCriticalIdleSeconds(10);
    SetCriticalIdleEnforce(true);
    SetCriticalFreeUpMB((t * 6) / 10);
    SetCriticalTriggerMB((t * 8) / 10);
    SetAmount1(t / 2);
    SetAmount2((t * 4) / 10);
    SetAmount3((t * 2) / 10);
    SetBackgroundActivity(true);
    SetMemoryIcon(true);
    SetChartInterval(1000);
    SetManual(t / 2);
    SetShowUsedMemory(true);
    SetCPUMonitoring(false);
    SetCPUIconStyle(2);
    SetMemoryIconStyle(2);
    SetProgramIcon(false);
    updating_ = false;
    Notify(ocAll);
}

// ---- Listeners ----
void TKorvixOptions::RegisterListener(HWND window) {
    for (HWND& slot : listeners_) {
        if (!slot) {
            slot = window;
            ::PostMessageW(window, WM_OPTIONSCHANGED, ocAll, 0);
            return;
        }
    }
}

void TKorvixOptions::UnregisterListener(HWND window) {
    for (HWND& slot : listeners_) {
        if (slot == window) {
            slot = nullptr;
            return;
        }
    }
}

void TKorvixOptions::Notify(uint32_t flags) {
    if (updating_) return;
    for (HWND slot : listeners_) {
        if (slot) ::PostMessageW(slot, WM_OPTIONSCHANGED, flags, 0);
    }
}

void TKorvixOptions::AddFreeAndRun(std::unique_ptr<TFreeAndRunItem> item) {
    freeAndRunList_->Add(std::move(item));
    Notify(ocFreeAndRun);
}

// ---- Paths ----
// A relative name is the program folder's, never the current folder's. A skin on another
// machine is not looked for here: only loading it, when a window needs it, reaches there.
std::wstring TKorvixOptions::SkinFileName() const {
    const std::wstring path = ResolvePath(skin_, ProgramFolder());
    if (path.empty() || !IsLocalPath(path)) return path;
    return FileExists(path) ? path : std::wstring();
}

std::wstring TKorvixOptions::AutostartCommand() { return L"\"" + ProgramPath() + L"\" autostart"; }

void TKorvixOptions::RemoveAutostart() { DeleteRegValue(RunKey, RunValueName); }

// ---- Setters ----
// Every plain setter stores its (clamped) value and announces its group, also when the
// value did not change.
template <typename T, typename V>
void TKorvixOptions::Store(T& field, V value, uint32_t group) {
    field = static_cast<T>(value);
    Notify(group);
}

bool TKorvixOptions::CPUMonitoring() const { return static_cast<bool>(CpuHistory); }

void TKorvixOptions::SetCPUMonitoring(bool value) {
    if (value == CPUMonitoring()) return;
    if (value) {
        StartCPUUsage();
        CpuHistory = std::make_unique<TIntArray>(0);
    } else {
        StopCPUUsage();
        CpuHistory.reset();
    }
    Notify(ocDisplay);
}

void TKorvixOptions::SetChartInterval(int32_t value) { Store(chartInterval_, Clamp(value, 250, 60000), ocDisplay); }

void TKorvixOptions::SetManual(int32_t value) {
    int32_t clamped = Clamp(value, 1, TotalPhysMB);
    if (clamped == manual_) return;
    manual_ = clamped;
    Notify(ocManual);
}

void TKorvixOptions::SetMemoryIcon(bool value) { Store(memoryIcon_, value, ocDisplay); }
void TKorvixOptions::SetMemoryIconStyle(int32_t value) { Store(memoryIconStyle_, Clamp(value, 1, 3), ocDisplay); }
void TKorvixOptions::SetCPUIconStyle(int32_t value) { Store(cpuIconStyle_, Clamp(value, 1, 3), ocDisplay); }
void TKorvixOptions::SetProgramIcon(bool value) { Store(programIcon_, value, ocDisplay); }

// The idle switches read true whatever is stored; setting one only announces it.
void TKorvixOptions::SetCriticalIdle(bool) { Notify(ocCritical); }
void TKorvixOptions::SetRegularIdle(bool) { Notify(ocRegular); }
void TKorvixOptions::SetStartupIdle(bool) { Notify(ocStartup); }

void TKorvixOptions::SetCriticalIdlePercent(int32_t value) {
    Store(criticalIdlePercent_, Clamp(value, 1, 100), ocCritical);
}
void TKorvixOptions::SetCriticalIdleEnforce(bool value) { Store(criticalIdleEnforce_, value, ocCritical); }
void TKorvixOptions::SetCriticalIdleSeconds(int32_t value) {
    Store(criticalIdleSeconds_, Clamp(value, 1, 60), ocCritical);
}

// The critical amount (T - free-up position) never falls below the memory still free at
// the trigger (T - trigger): each of the pair pulls the other along.
void TKorvixOptions::SetCriticalFreeUpMB(int32_t value) {
    criticalFreeUpMB_ = static_cast<uint32_t>(Clamp(value, 1, TotalPhysMB));
    if (criticalTriggerMB_ < criticalFreeUpMB_) criticalTriggerMB_ = criticalFreeUpMB_;
    Notify(ocCritical);
}

void TKorvixOptions::SetCriticalTriggerMB(int32_t value) {
    criticalTriggerMB_ = static_cast<uint32_t>(Clamp(value, 1, TotalPhysMB));
    if (criticalFreeUpMB_ > criticalTriggerMB_) criticalFreeUpMB_ = criticalTriggerMB_;
    Notify(ocCritical);
}

void TKorvixOptions::SetCritical(bool value) { Store(critical_, value, ocCritical); }
void TKorvixOptions::SetRegularInterval(int32_t value) { Store(regularInterval_, Clamp(value, 1, 1440), ocRegular); }
void TKorvixOptions::SetRegularIdlePercent(int32_t value) {
    Store(regularIdlePercent_, Clamp(value, 1, 100), ocRegular);
}
void TKorvixOptions::SetRegularIdleEnforce(bool value) { Store(regularIdleEnforce_, value, ocRegular); }
void TKorvixOptions::SetRegularIdleSeconds(int32_t value) {
    Store(regularIdleSeconds_, Clamp(value, 1, 60), ocRegular);
}

// A position of 0 or less would free all of memory or more.
void TKorvixOptions::SetRegularFreeUpMB(int32_t value) {
    Store(regularFreeUpMB_, Clamp(value, 1, TotalPhysMB), ocRegular);
}

void TKorvixOptions::SetRegular(bool value) { Store(regular_, value, ocRegular); }
void TKorvixOptions::SetStartupIdlePercent(int32_t value) {
    Store(startupIdlePercent_, Clamp(value, 1, 100), ocStartup);
}
void TKorvixOptions::SetStartupIdleEnforce(bool value) { Store(startupIdleEnforce_, value, ocStartup); }
void TKorvixOptions::SetStartupIdleSeconds(int32_t value) {
    Store(startupIdleSeconds_, Clamp(value, 1, 60), ocStartup);
}
void TKorvixOptions::SetStartupFreeUpMB(int32_t value) {
    Store(startupFreeUpMB_, Clamp(value, 1, TotalPhysMB), ocStartup);
}
void TKorvixOptions::SetStartupWait(int32_t value) { Store(startupWait_, Clamp(value, 0, 120), ocStartup); }
void TKorvixOptions::SetStartup(bool value) { Store(startup_, value, ocStartup); }
void TKorvixOptions::SetSkin(const std::wstring& value) { Store(skin_, value, ocDisplay); }
void TKorvixOptions::SetBackgroundActivity(bool value) { Store(backgroundActivity_, value, ocDisplay); }

void TKorvixOptions::SetAmount(int preset, uint32_t value) {
    // Unsigned comparison: a negative stored value is as out of range as one at or above T.
    if (value >= T()) return;
    amounts_[preset - 1] = value;
    Notify(ocManual);
}

void TKorvixOptions::SetHotkey(int preset, int32_t value) {
    // A shortcut is 16 bits; anything else stored is no shortcut at all.
    if (value < 0 || value > 0xFFFF) value = 0;
    if (hotkeys_[preset - 1] == value) return;
    hotkeys_[preset - 1] = value;
    Notify(ocManual);
}

void TKorvixOptions::SetShowUsedMemory(bool value) {
    if (value == showUsedMemory_) return;
    showUsedMemory_ = value;
    // Unsampled slots must read as 0 MB in the new view as well.
    if (MemoryHistory) MemoryHistory->FillUnfilled(value ? 0 : TotalPhysBytes);
    Notify(ocDisplay);
}

void TKorvixOptions::SetNextRegular(TDateTime value) {
    nextRegular_ = value;
    Notify(ocRegular);
}

std::wstring SaveFailedText(const std::wstring& reason) { return L"Your settings could not be saved.\r\n" + reason; }

std::wstring AutostartFailedText(const std::wstring& reason) {
    return L"Your settings were saved, but whether Korvix Professional starts with Windows could not be "
           L"changed.\r\n" +
           reason;
}

namespace {
// Runs one part of a save; a failure goes to the debugger output, and the first one of its
// kind to the user (the close and the end of the program would otherwise repeat the box).
template <typename Save>
bool SaveOrTell(Save save, bool& told, std::wstring (*text)(const std::wstring&)) noexcept {
    std::wstring className, reason;
    try {
        save();
        return true;
    } catch (const Exception& e) {
        className = e.ClassName();
        reason = e.Message();
    } catch (...) {
        className = L"---Unknown---";
        reason = L"Unknown Error";
    }
    try {
        DebugTrace(className + L": " + reason);
        if (!told) {
            told = true;
            ShowMessageBox(nullptr, text(reason), ProductName, MB_OK | MB_ICONERROR);
        }
    } catch (...) {}
    return false;
}
}  // namespace

// The program's own key first and on its own: a Run key that security software or a policy
// keeps closed must not cost the settings or the Free-and-Run list.
bool TKorvixOptions::SaveOptionsOrTell() noexcept {
    bool saved = SaveOrTell([this] { SaveSettings(); }, saveFailureTold_, &SaveFailedText);
    bool autostart = SaveOrTell([this] { SaveAutostart(); }, autostartFailureTold_, &AutostartFailedText);
    return saved && autostart;
}

void InitializeOptions() { Options = std::make_unique<TKorvixOptions>(); }

void FinalizeOptions() { Options.reset(); }
