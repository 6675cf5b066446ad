// Process-wide values and the small shared routines: physical memory measured
// once at start, the two sample histories, the long-lived window handles, the
// sampling step, size formatting, clamping and the search for a running copy.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include "framework/uClock.h"
#include "framework/uNumbers.h"
#include "framework/uTrace.h"
#include "probes/uIntArray.h"

// ---- Memory status, with one replaceable source for tests ----
struct MemoryStatus {
    uint64_t TotalPhys = 0;
    uint64_t AvailPhys = 0;
    uint64_t TotalPageFile = 0;  // commit limit
    uint64_t AvailPageFile = 0;  // commit still available
    uint64_t TotalVirtual = 0;
    uint64_t AvailVirtual = 0;
};
using MemoryStatusFunc = bool (*)(MemoryStatus& status);
// GlobalMemoryStatusEx where the system has it, GlobalMemoryStatus otherwise.
// False when the reading failed (`status` then means nothing).
bool SystemMemoryStatus(MemoryStatus& status);
bool ReadMemoryStatus(MemoryStatus& status);
// nullptr restores the system reading; answers the previous source.
MemoryStatusFunc SetMemoryStatusSource(MemoryStatusFunc source);

// ---- Process-wide values ----
extern uint64_t TotalPhysBytes;
extern int32_t TotalPhysMB;
extern std::unique_ptr<TIntArray> MemoryHistory;
extern std::unique_ptr<TIntArray> CpuHistory;  // exists only while CPU monitoring is on
extern HWND EngineWindow;
extern HWND LaunchWindow;

// TotalPhysBytes / 1 MB, rounded up unless the fraction is below 0.01 MB.
int32_t TotalPhysMBFromBytes(uint64_t bytes);

void InitializeGlobals();
void FinalizeGlobals();

// ---- Sampling ----
void SampleProbes();
void SampleMemory();
void SampleCpu();
// None when the system could not be read: not the same as no memory available.
std::optional<uint64_t> AvailPhysBytes();

// ---- Shared routines ----
std::wstring FormatSize(int32_t megabytes);
std::wstring FormatFreeAmount(int32_t position);
double MinutesToDays(uint32_t minutes);
TDateTime TruncToMinute(TDateTime moment);
void ShowTaskbarButton();
void HideTaskbarButton();
// The application's hidden main window, whose visibility is the taskbar button.
void SetApplicationHandle(HWND handle);
HWND ApplicationHandle();
std::wstring VersionText();
std::wstring VersionTextOf(int major, int minor);
// Finds a running copy's engine window and brings that copy's main window to the front.
bool FindRunningInstance();
// Finds a running copy's engine window and asks it to close; `engine` receives the window.
bool CloseRunningInstance(HWND* engine = nullptr);
int32_t MakeColor(int32_t red, int32_t green, int32_t blue);
