#include "uPageRules.h"
#include "legacy/uKorvixOptions.h"
#include "ui/uSkinNames.h"

const std::array<TPageRow, 8> PageTable = {{
    {pgNone, 0, nullptr, nullptr, false, L"overview.htm"},
    {pgManual, idManual, L"manual_hide", L"manual_show", false, L"manual.htm"},
    {pgRegular, idRegular, L"regular_hide", L"regular_show", true, L"regular.htm"},
    {pgCritical, idCritical, L"critical_hide", L"critical_show", true, L"critical.htm"},
    {pgStartup, idStartup, L"startup_hide", L"startup_show", true, L"startup.htm"},
    {pgMonitor, idMonitor, L"monitor_hide", L"monitor_show", false, L"monitor.htm"},
    {pgAbout, 0, L"about_hide", L"about_show", false, L"overview.htm"},
    {pgMisc, idMisc, L"misc_hide", L"misc_show", false, L"misc.htm"},
}};

const TPageRow& PageRow(int page) { return PageTable[page >= 0 && page < int(PageTable.size()) ? page : pgNone]; }

namespace {
// A page's own animation and the idle panel's start together; the step waits for the longer.
void QueuePage(std::vector<TSkinAnimation>& queue, const wchar_t* animation, bool idlePanel, const wchar_t* idle) {
    if (!animation) return;
    queue.push_back({animation, idlePanel});
    if (idlePanel) queue.push_back({idle, false});
}
}  // namespace

TPageSwitch PageSwitch(int fromPage, int toPage) {
    const TPageRow& from = PageRow(fromPage);
    const TPageRow& to = PageRow(toPage);
    TPageSwitch change;
    change.ClearPressedID = from.ButtonID;
    QueuePage(change.Queue, from.HideAnimation, from.IdlePanel, L"idle_hide");
    change.Queue.push_back({.PlayWithNext = true, .RefreshPages = true});
    QueuePage(change.Queue, to.ShowAnimation, to.IdlePanel, L"idle_show");
    change.SetPressedID = to.ButtonID;
    return change;
}

int TogglePageTarget(int page, int currentPage) { return page == currentPage ? pgNone : page; }

const std::array<TIntervalStep, 11> ChartIntervalSteps = {{
    {250, L"250 ms"},
    {500, L"500 ms"},
    {1000, L"1 s"},
    {2000, L"2 s"},
    {3000, L"3 s"},
    {5000, L"5 s"},
    {10000, L"10 s"},
    {20000, L"20 s"},
    {30000, L"30 s"},
    {45000, L"45 s"},
    {60000, L"60 s"},
}};

int32_t IntervalStep(int32_t milliseconds) {
    int32_t step = 1;
    for (int32_t s = 2; s <= int32_t(ChartIntervalSteps.size()); ++s) {
        if (milliseconds >= ChartIntervalSteps[s - 1].Milliseconds) step = s;
    }
    return step;
}

std::wstring IntervalLabel(int32_t milliseconds) { return ChartIntervalSteps[IntervalStep(milliseconds) - 1].Label; }

int32_t StepMilliseconds(int32_t step) {
    if (step == 0) return 250;
    if (step < 0 || step > int32_t(ChartIntervalSteps.size())) return 60000;
    return ChartIntervalSteps[step - 1].Milliseconds;
}

int32_t RegularIntervalFromPosition(int32_t position) {
    if (position < 1) return 1;
    if (position <= 60) return position;
    return (position - 59) * 60;
}

int32_t RegularIntervalPosition(int32_t minutes) { return minutes <= 60 ? minutes : minutes / 60 + 59; }

std::wstring RegularIntervalLabel(int32_t minutes) {
    return minutes >= 60 ? std::to_wstring(minutes / 60) + L" hrs" : std::to_wstring(minutes) + L" min";
}

std::wstring StartupWaitLabel(int32_t seconds) { return std::to_wstring(seconds) + L" sec"; }

const std::array<TElementReference, 28> ElementReferences = {{
    {idManualScroll, TSkinInterface::ScrollBar},   {idIntervallScroll, TSkinInterface::ScrollBar},
    {idRegularScroll, TSkinInterface::ScrollBar},  {idRegularAdjustScroll, TSkinInterface::ScrollBar},
    {idCriticalScroll, TSkinInterface::ScrollBar}, {idCriticalAdjustScroll, TSkinInterface::ScrollBar},
    {idStartupScroll, TSkinInterface::ScrollBar},  {idStartupAdjustScroll, TSkinInterface::ScrollBar},
    {idIdleCpuScroll, TSkinInterface::ScrollBar},  {idIdleTimeScroll, TSkinInterface::ScrollBar},
    {idStatusStatic, TSkinInterface::Static},      {idManualAmount, TSkinInterface::Static},
    {idPreset1, TSkinInterface::Static},           {idPreset2, TSkinInterface::Static},
    {idPreset3, TSkinInterface::Static},           {idIntervallAmount, TSkinInterface::Static},
    {idRegularAmount, TSkinInterface::Static},     {idRegularAdjust, TSkinInterface::Static},
    {idCriticalAmount, TSkinInterface::Static},    {idCriticalAdjust, TSkinInterface::Static},
    {idStartupAmount, TSkinInterface::Static},     {idStartupAdjust, TSkinInterface::Static},
    {idNextRegularText, TSkinInterface::Static},   {idIdleCpuText, TSkinInterface::Static},
    {idIdleTimeText, TSkinInterface::Static},      {idSetValue1, TSkinInterface::Button},
    {idSetValue2, TSkinInterface::Button},         {idSetValue3, TSkinInterface::Button},
}};

std::vector<TScrollSetup> ScrollBarSetup(int32_t totalMB) {
    // The megabyte bars reach T exactly: maximum T + T div 20 − 1 with a page of T div 20.
    const int32_t page = totalMB / 20;
    auto megabytes = [&](int32_t id) { return TScrollSetup{id, std::nullopt, totalMB + page - 1, page, 1}; };
    return {
        megabytes(idManualScroll),
        megabytes(idRegularScroll),
        megabytes(idCriticalScroll),
        megabytes(idCriticalAdjustScroll),
        megabytes(idStartupScroll),
        {idIntervallScroll, 1, 11, 1, 1},
        {idRegularAdjustScroll, 1, 86, 5, 1},
        {idStartupAdjustScroll, 0, 129, 10, 1},
        {idIdleCpuScroll, 1, 109, 10, 1},
        {idIdleTimeScroll, 1, 64, 5, 1},
    };
}

TChartMarkers ChartMarkers(const TKorvixOptions& options, int page) {
    TChartMarkers markers;
    switch (page) {
        case pgManual: markers.AdjustValue = static_cast<uint32_t>(options.Manual()); break;
        case pgRegular: markers.AdjustValue = static_cast<uint32_t>(options.RegularFreeUpMB()); break;
        case pgCritical:
            markers.AdjustValue = options.CriticalFreeUpMB();
            markers.AdjustValue2 = options.CriticalTriggerMB();
            break;
        case pgStartup: markers.AdjustValue = static_cast<uint32_t>(options.StartupFreeUpMB()); break;
        default: break;
    }
    markers.ShowAdjust = markers.AdjustValue.has_value();
    markers.ShowAdjust2 = page == pgCritical;
    return markers;
}
