// The engine's status states: which applies, what the status tray icon shows, and
// the detail line the main window displays.
#pragma once
#include <cstdint>
#include <string>

enum class TEngineState { Working, WaitingForIdle, CountingDown, Monitoring, Off };

struct TStatusRow {
    TEngineState state;
    const wchar_t* iconName;  // icon resource of the status tray icon
    const wchar_t* tooltip;
    const wchar_t* detailLine;  // template with %1..%6
};

// The values a worker reports, shown as %1..%6 in the detail line.
struct TStatusValues {
    bool WaitingForIdle = false;
    bool PreWaiting = false;
    uint32_t IdleSecondsLeft = 0;  // %1
    uint32_t CpuLoad = 0;          // %2
    uint32_t AllowedCpu = 0;       // %3
    uint32_t PercentDone = 0;      // %4
    uint32_t PreWaitTotal = 0;     // %5
    uint32_t PreWaitElapsed = 0;   // %6
};

// Added to the status tooltip and to the detail line while the memory cannot be read.
constexpr const wchar_t* MemoryReadingFailedNote = L"The memory reading failed.";
constexpr const wchar_t* MemoryReadingFailedLine = L" - memory reading failed";

// First match of the status table.
TEngineState ChooseState(bool hasWorker, const TStatusValues& values, bool backgroundActivity);
const TStatusRow& StatusRow(TEngineState state);
// The worker states always show the status icon; the idle ones only when asked for,
// or when no other icon of the program would be in the tray.
bool StatusIconShown(TEngineState state, bool programIcon, bool cpuMonitoring, bool memoryIcon);
std::wstring ExpandDetailLine(const std::wstring& line, const TStatusValues& values);
