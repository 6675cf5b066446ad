// What the main window writes into the skin when options change: RefreshPages as a
// list of element writes by element ID, the chart's marker lines (always) and its
// display mode, so the window only applies the list through the skin engine.
#pragma once
#include <windows.h>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>
#include "framework/uClock.h"
#include "ui/uPageRules.h"

class TKorvixOptions;

enum class TWriteKind : uint8_t {
    Position,    // a scroll bar's position
    Text,        // a static's text, then the static refreshed
    Caption,     // a button's caption, then the button refreshed
    SetPressed,  // the pressed look of a button
    ClearPressed,
    SetChecked,  // the checked look of a check box
    ClearChecked,
};

struct TElementWrite {
    TWriteKind Kind;
    int32_t ID;
    int32_t Position = 0;  // Position writes
    std::wstring Text;     // Text and Caption writes
    bool operator==(const TElementWrite&) const = default;
};

struct TPageRefresh {
    TChartMarkers Markers;         // written every time, then the chart repainted
    std::optional<bool> ShowFree;  // the chart's display mode, with the display group
    std::vector<TElementWrite> Writes;
};

// The writes of the groups named in `flags` for the open page; the idle panel shows the
// open page's values.
TPageRefresh RefreshPages(const TKorvixOptions& options, int currentPage, uint32_t flags);

// "Next Free up at %1." with the time of `nextRegular` in the locale's short time format, or
// an empty text when regular free-ups are off.
std::wstring NextRegularText(bool regular, TDateTime nextRegular, LCID locale = LOCALE_USER_DEFAULT);
// The time of day of a date-time in the locale's short time format.
std::wstring ShortTimeText(TDateTime moment, LCID locale = LOCALE_USER_DEFAULT);
