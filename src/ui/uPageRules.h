// The main window's page rules that need no skin: the pages with their buttons,
// animations and help topics, the chart interval steps, the value conversions of
// the sliders, the scroll bar set-up and the chart's marker lines.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include "ui/uAnimationList.h"
#include "ui/uSkinNames.h"

class TKorvixOptions;

enum : int {
    pgNone = 0,
    pgManual = 1,
    pgRegular = 2,
    pgCritical = 3,
    pgStartup = 4,
    pgMonitor = 5,
    pgAbout = 6,
    pgMisc = 7,
};

struct TPageRow {
    int Page;
    int32_t ButtonID;  // 0: the page's button has no pressed look
    const wchar_t* HideAnimation;
    const wchar_t* ShowAnimation;
    bool IdlePanel;  // the shared idle panel hides and shows with the page
    const wchar_t* HelpTopic;
};
// Pages 0..7 in order.
extern const std::array<TPageRow, 8> PageTable;
const TPageRow& PageRow(int page);

// What showing `toPage` instead of `fromPage` does: the looks change at once, the queue
// plays from the timer.
struct TPageSwitch {
    int32_t ClearPressedID = 0;  // 0: no button loses its pressed look
    int32_t SetPressedID = 0;    // 0: no button gets it
    std::vector<TSkinAnimation> Queue;
};
TPageSwitch PageSwitch(int fromPage, int toPage);
// A click on a page's button opens it, or closes it when it is the open page.
int TogglePageTarget(int page, int currentPage);

// ---- Chart interval steps (ChartInterval, milliseconds) ----
struct TIntervalStep {
    int32_t Milliseconds;
    const wchar_t* Label;
};
// Steps 1..11.
extern const std::array<TIntervalStep, 11> ChartIntervalSteps;
int32_t IntervalStep(int32_t milliseconds);
std::wstring IntervalLabel(int32_t milliseconds);
// Step 0 gives 250 ms; a step outside 0..11 gives 60000 ms.
int32_t StepMilliseconds(int32_t step);

// ---- Regular interval and start-up wait ----
// Positions 1..60 are minutes, 61..82 are 2..23 hours.
int32_t RegularIntervalFromPosition(int32_t position);
int32_t RegularIntervalPosition(int32_t minutes);
std::wstring RegularIntervalLabel(int32_t minutes);
std::wstring StartupWaitLabel(int32_t seconds);

// ---- The elements the window keeps after a skin load ----
// Each with the kind it must have: a skin that has one of these names on an element of
// another kind cannot be loaded. A skin may lack any of them.
struct TElementReference {
    int32_t ID;
    TSkinInterface Interface;  // ScrollBar, Static or Button
};
extern const std::array<TElementReference, 28> ElementReferences;

// ---- Scroll bars ----
struct TScrollSetup {
    int32_t ID;
    std::optional<int32_t> Minimum;  // none: as the skin has it
    int32_t Maximum;
    int32_t PageSize;
    int32_t SmallStep;
    // The highest position a user can reach: maximum − page size + 1.
    int32_t LastPosition() const { return Maximum - PageSize + 1; }
};
// The set-up of every scroll bar for a machine of `totalMB` megabytes.
std::vector<TScrollSetup> ScrollBarSetup(int32_t totalMB);

// ---- The chart's marker lines for the open page ----
struct TChartMarkers {
    std::optional<uint32_t> AdjustValue;  // none: left as it is
    bool ShowAdjust = false;
    std::optional<uint32_t> AdjustValue2;  // none: left as it is
    bool ShowAdjust2 = false;
    bool operator==(const TChartMarkers&) const = default;
};
TChartMarkers ChartMarkers(const TKorvixOptions& options, int page);
