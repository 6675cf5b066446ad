#include "uPageRefresh.h"
#include <cmath>
#include "framework/uText.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "ui/uSkinNames.h"

namespace {
class TWriter {
public:
    explicit TWriter(std::vector<TElementWrite>& writes) : writes_(writes) {}
    void Position(int32_t id, int32_t position) { writes_.push_back({TWriteKind::Position, id, position, {}}); }
    void Text(int32_t id, std::wstring text) { writes_.push_back({TWriteKind::Text, id, 0, std::move(text)}); }
    void Caption(int32_t id, std::wstring text) { writes_.push_back({TWriteKind::Caption, id, 0, std::move(text)}); }
    void Checked(int32_t id, bool checked) {
        writes_.push_back({checked ? TWriteKind::SetChecked : TWriteKind::ClearChecked, id, 0, {}});
    }
    // Exactly one button of a group shows the pressed look.
    void Pressed(std::initializer_list<int32_t> group, int32_t pressed) {
        for (int32_t id : group) {
            writes_.push_back({id == pressed ? TWriteKind::SetPressed : TWriteKind::ClearPressed, id, 0, {}});
        }
    }

private:
    std::vector<TElementWrite>& writes_;
};

int32_t StyleButton(bool on, int32_t style, int32_t off, int32_t chart, int32_t number, int32_t bar) {
    if (!on) return off;
    switch (style) {
        case 1: return chart;
        case 2: return number;
        case 3: return bar;
        default: return 0;
    }
}

void IdlePanel(TWriter& w, int32_t seconds, int32_t percent, bool enforce) {
    w.Position(idIdleTimeScroll, seconds);
    w.Position(idIdleCpuScroll, percent);
    w.Text(idIdleTimeText, ReplaceAll(L"Idle search time: %1 s", L"%1", std::to_wstring(seconds)));
    w.Text(idIdleCpuText, ReplaceAll(L"Allowed CPU usage: %1%", L"%1", std::to_wstring(percent)));
    w.Checked(idIdleForceCheck, enforce);
}

void RefreshManual(TWriter& w, const TKorvixOptions& o) {
    w.Position(idManualScroll, o.Manual());
    w.Text(idManualAmount, FormatFreeAmount(o.Manual()));
    const int32_t presets[] = {idPreset1, idPreset2, idPreset3};
    for (int i = 0; i < 3; ++i) w.Text(presets[i], FormatFreeAmount(static_cast<int32_t>(o.Amount(i + 1))));
    const int32_t values[] = {idSetValue1, idSetValue2, idSetValue3};
    for (int i = 0; i < 3; ++i) w.Caption(values[i], FormatFreeAmount(static_cast<int32_t>(o.Amount(i + 1))));
}

void RefreshDisplay(TWriter& w, const TKorvixOptions& o, std::optional<bool>& showFree) {
    w.Text(idIntervallAmount, IntervalLabel(o.ChartInterval()));
    w.Position(idIntervallScroll, IntervalStep(o.ChartInterval()));
    w.Pressed({idCpuTrayIconOff, idCpuTrayIconChart, idCpuTrayIconNumber, idCpuTrayIconBar},
              StyleButton(o.CPUMonitoring(), o.CPUIconStyle(), idCpuTrayIconOff, idCpuTrayIconChart,
                          idCpuTrayIconNumber, idCpuTrayIconBar));
    w.Pressed({idMemoryTrayIconOff, idMemoryTrayIconChart, idMemoryTrayIconNumber, idMemoryTrayIconBar},
              StyleButton(o.MemoryIcon(), o.MemoryIconStyle(), idMemoryTrayIconOff, idMemoryTrayIconChart,
                          idMemoryTrayIconNumber, idMemoryTrayIconBar));
    w.Pressed({idShowUsedMemory, idShowFreeMemory}, o.ShowUsedMemory() ? idShowUsedMemory : idShowFreeMemory);
    showFree = !o.ShowUsedMemory();
    w.Checked(idEnforceTrayIconCheck, o.ProgramIcon());
    w.Checked(idBackgroundOnCheck, o.BackgroundActivity());
}

void RefreshRegular(TWriter& w, const TKorvixOptions& o, int page) {
    w.Position(idRegularScroll, o.RegularFreeUpMB());
    w.Text(idRegularAmount, FormatFreeAmount(o.RegularFreeUpMB()));
    w.Position(idRegularAdjustScroll, RegularIntervalPosition(o.RegularInterval()));
    w.Text(idRegularAdjust, RegularIntervalLabel(o.RegularInterval()));
    w.Checked(idRegularOnCheck, o.Regular());
    w.Text(idNextRegularText, NextRegularText(o.Regular(), o.NextRegular()));
    if (page == pgRegular) IdlePanel(w, o.RegularIdleSeconds(), o.RegularIdlePercent(), o.RegularIdleEnforce());
}

void RefreshCritical(TWriter& w, const TKorvixOptions& o, int page) {
    w.Position(idCriticalScroll, static_cast<int32_t>(o.CriticalFreeUpMB()));
    w.Text(idCriticalAmount, FormatFreeAmount(static_cast<int32_t>(o.CriticalFreeUpMB())));
    w.Position(idCriticalAdjustScroll, static_cast<int32_t>(o.CriticalTriggerMB()));
    // The trigger is a used-memory amount, shown as it is.
    w.Text(idCriticalAdjust, FormatSize(static_cast<int32_t>(o.CriticalTriggerMB())));
    w.Checked(idCriticalOnCheck, o.Critical());
    if (page == pgCritical) IdlePanel(w, o.CriticalIdleSeconds(), o.CriticalIdlePercent(), o.CriticalIdleEnforce());
}

void RefreshStartup(TWriter& w, const TKorvixOptions& o, int page) {
    w.Position(idStartupScroll, o.StartupFreeUpMB());
    w.Text(idStartupAmount, FormatFreeAmount(o.StartupFreeUpMB()));
    w.Position(idStartupAdjustScroll, o.StartupWait());
    w.Text(idStartupAdjust, StartupWaitLabel(o.StartupWait()));
    w.Checked(idStartupOnCheck, o.Startup());
    if (page == pgStartup) IdlePanel(w, o.StartupIdleSeconds(), o.StartupIdlePercent(), o.StartupIdleEnforce());
}
}  // namespace

TPageRefresh RefreshPages(const TKorvixOptions& options, int currentPage, uint32_t flags) {
    TPageRefresh refresh;
    refresh.Markers = ChartMarkers(options, currentPage);
    TWriter w(refresh.Writes);
    if (flags & ocManual) RefreshManual(w, options);
    if (flags & ocDisplay) RefreshDisplay(w, options, refresh.ShowFree);
    if (flags & ocRegular) RefreshRegular(w, options, currentPage);
    if (flags & ocCritical) RefreshCritical(w, options, currentPage);
    if (flags & ocStartup) RefreshStartup(w, options, currentPage);
    return refresh;
}

std::wstring ShortTimeText(TDateTime moment, LCID locale) {
    // The time of day is the fraction's magnitude, also before the epoch (negative days).
    double fraction = std::fabs(moment - std::trunc(moment));
    int64_t ms = std::llround(fraction * 86400000.0);
    if (ms >= 86400000) ms = 0;
    SYSTEMTIME time{};
    time.wYear = 2000;
    time.wMonth = 1;
    time.wDay = 1;
    time.wHour = static_cast<WORD>(ms / 3600000);
    time.wMinute = static_cast<WORD>(ms / 60000 % 60);
    time.wSecond = static_cast<WORD>(ms / 1000 % 60);
    wchar_t format[80] = {};
    bool haveFormat = ::GetLocaleInfoW(locale, LOCALE_SSHORTTIME, format, 80) > 0;
    wchar_t text[80] = {};
    // Systems before Windows 7 lack the short time format: the long one without seconds is its nearest.
    int n = haveFormat ? ::GetTimeFormatW(locale, 0, &time, format, text, 80)
                       : ::GetTimeFormatW(locale, TIME_NOSECONDS, &time, nullptr, text, 80);
    return n > 0 ? std::wstring(text) : std::wstring();
}

std::wstring NextRegularText(bool regular, TDateTime nextRegular, LCID locale) {
    if (!regular) return {};
    return ReplaceAll(L"Next Free up at %1.", L"%1", ShortTimeText(nextRegular, locale));
}
