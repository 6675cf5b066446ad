#include "uPageActions.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"
#include "ui/uPageRules.h"
#include "ui/uSkinNames.h"

namespace {
using ClickFunc = void (*)(TKorvixOptions&, int page);
using SlideFunc = void (*)(TKorvixOptions&, int page, int32_t position);

struct TClickRow {
    int32_t ID;
    TClickEffect Effect;
    int32_t Value;
    ClickFunc Apply;
};

struct TSlideRow {
    int32_t ID;
    SlideFunc Apply;
};

// The idle panel is shared by pages 2 to 4 and acts on the open page's group only.
void ToggleIdleEnforce(TKorvixOptions& o, int page) {
    switch (page) {
        case pgRegular: o.SetRegularIdleEnforce(!o.RegularIdleEnforce()); break;
        case pgCritical: o.SetCriticalIdleEnforce(!o.CriticalIdleEnforce()); break;
        case pgStartup: o.SetStartupIdleEnforce(!o.StartupIdleEnforce()); break;
        default: break;
    }
}

void SetIdlePercent(TKorvixOptions& o, int page, int32_t p) {
    switch (page) {
        case pgRegular: o.SetRegularIdlePercent(p); break;
        case pgCritical: o.SetCriticalIdlePercent(p); break;
        case pgStartup: o.SetStartupIdlePercent(p); break;
        default: break;
    }
}

void SetIdleSeconds(TKorvixOptions& o, int page, int32_t p) {
    switch (page) {
        case pgRegular: o.SetRegularIdleSeconds(p); break;
        case pgCritical: o.SetCriticalIdleSeconds(p); break;
        case pgStartup: o.SetStartupIdleSeconds(p); break;
        default: break;
    }
}

// A style chosen for a tray icon also switches that icon on.
template <int32_t Style>
void MemoryIconStyle(TKorvixOptions& o, int) {
    o.SetMemoryIconStyle(Style);
    o.SetMemoryIcon(true);
}

template <int32_t Style>
void CpuIconStyle(TKorvixOptions& o, int) {
    o.SetCPUIconStyle(Style);
    o.SetCPUMonitoring(true);
}

constexpr TClickEffect OnlyOptions = TClickEffect::None;

const TClickRow ClickTable[] = {
    {idManualActivate, TClickEffect::FreeUpRequest, 0, nullptr},
    {idSetPreset1, OnlyOptions, 0, [](TKorvixOptions& o, int) { o.SetAmount1(o.Manual()); }},
    {idSetPreset2, OnlyOptions, 0, [](TKorvixOptions& o, int) { o.SetAmount2(o.Manual()); }},
    {idSetPreset3, OnlyOptions, 0, [](TKorvixOptions& o, int) { o.SetAmount3(o.Manual()); }},
    {idSetHotkey1, TClickEffect::HotkeyDialog, 1, nullptr},
    {idSetHotkey2, TClickEffect::HotkeyDialog, 2, nullptr},
    {idSetHotkey3, TClickEffect::HotkeyDialog, 3, nullptr},
    {idSetValue1, OnlyOptions, 0, [](TKorvixOptions& o, int) { o.SetManual(o.Amount1()); }},
    {idSetValue2, OnlyOptions, 0, [](TKorvixOptions& o, int) { o.SetManual(o.Amount2()); }},
    {idSetValue3, OnlyOptions, 0, [](TKorvixOptions& o, int) { o.SetManual(o.Amount3()); }},
    {idRegularOnCheck, OnlyOptions, 0, [](TKorvixOptions& o, int) { o.SetRegular(!o.Regular()); }},
    {idCriticalOnCheck, OnlyOptions, 0, [](TKorvixOptions& o, int) { o.SetCritical(!o.Critical()); }},
    {idStartupOnCheck, OnlyOptions, 0, [](TKorvixOptions& o, int) { o.SetStartup(!o.Startup()); }},
    {idMemoryTrayIconOff, OnlyOptions, 0, [](TKorvixOptions& o, int) { o.SetMemoryIcon(false); }},
    {idMemoryTrayIconBar, OnlyOptions, 0, &MemoryIconStyle<3>},
    {idMemoryTrayIconChart, OnlyOptions, 0, &MemoryIconStyle<1>},
    {idMemoryTrayIconNumber, OnlyOptions, 0, &MemoryIconStyle<2>},
    {idCpuTrayIconOff, OnlyOptions, 0, [](TKorvixOptions& o, int) { o.SetCPUMonitoring(false); }},
    {idCpuTrayIconBar, OnlyOptions, 0, &CpuIconStyle<3>},
    {idCpuTrayIconChart, OnlyOptions, 0, &CpuIconStyle<1>},
    {idCpuTrayIconNumber, OnlyOptions, 0, &CpuIconStyle<2>},
    {idEnforceTrayIconCheck, OnlyOptions, 0, [](TKorvixOptions& o, int) { o.SetProgramIcon(!o.ProgramIcon()); }},
    {idShowUsedMemory, OnlyOptions, 0, [](TKorvixOptions& o, int) { o.SetShowUsedMemory(true); }},
    {idShowFreeMemory, OnlyOptions, 0, [](TKorvixOptions& o, int) { o.SetShowUsedMemory(false); }},
    {idBackgroundOnCheck, OnlyOptions, 0,
     [](TKorvixOptions& o, int) { o.SetBackgroundActivity(!o.BackgroundActivity()); }},
    {idDefaultSettings, TClickEffect::AskDefaults, 0, nullptr},
    {idIdleForceCheck, OnlyOptions, 0, &ToggleIdleEnforce},
};

const TSlideRow SlideTable[] = {
    {idManualScroll, [](TKorvixOptions& o, int, int32_t p) { o.SetManual(p); }},
    {idIntervallScroll, [](TKorvixOptions& o, int, int32_t p) { o.SetChartInterval(StepMilliseconds(p)); }},
    {idRegularScroll, [](TKorvixOptions& o, int, int32_t p) { o.SetRegularFreeUpMB(p); }},
    {idRegularAdjustScroll,
     [](TKorvixOptions& o, int, int32_t p) { o.SetRegularInterval(RegularIntervalFromPosition(p)); }},
    {idCriticalScroll, [](TKorvixOptions& o, int, int32_t p) { o.SetCriticalFreeUpMB(p); }},
    {idCriticalAdjustScroll, [](TKorvixOptions& o, int, int32_t p) { o.SetCriticalTriggerMB(p); }},
    {idStartupScroll, [](TKorvixOptions& o, int, int32_t p) { o.SetStartupFreeUpMB(p); }},
    {idStartupAdjustScroll, [](TKorvixOptions& o, int, int32_t p) { o.SetStartupWait(p); }},
    {idIdleCpuScroll, &SetIdlePercent},
    {idIdleTimeScroll, &SetIdleSeconds},
};
}  // namespace

TClickResult PageClick(TKorvixOptions& options, int32_t id, int page) {
    for (const TClickRow& row : ClickTable) {
        if (row.ID != id) continue;
        if (row.Apply) {
            row.Apply(options, page);
            return {};
        }
        if (row.Effect != TClickEffect::FreeUpRequest) return {row.Effect, row.Value};
        int32_t amount = TotalPhysMB - options.Manual();
        if (amount <= 0) return {};
        return {TClickEffect::FreeUpRequest, amount};
    }
    return {};
}

bool PageSlider(TKorvixOptions& options, int32_t id, int page, int32_t position) {
    for (const TSlideRow& row : SlideTable) {
        if (row.ID != id) continue;
        bool idle = id == idIdleCpuScroll || id == idIdleTimeScroll;
        if (idle && page != pgRegular && page != pgCritical && page != pgStartup) return false;
        row.Apply(options, page, position);
        return true;
    }
    return false;
}

void TSliderTracking::SkinScrollTrack(TKorvixOptions& options, int32_t id, int page, int32_t newPos) {
    PageSlider(options, id, page, newPos);
    trackingScroll_ = true;
}

void TSliderTracking::SkinScroll(TKorvixOptions& options, int32_t id, int page, int32_t newPos) {
    if (!trackingScroll_) PageSlider(options, id, page, newPos);
    trackingScroll_ = false;
}
