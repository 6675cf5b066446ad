// Total processor load of the machine as a fraction 0..1, reference-counted and
// locked so the main thread and a free-up worker can sample at the same time.
// 9x family: the kernel statistic in HKEY_DYN_DATA. NT family: the PDH counter,
// or, under Wine (whose PDH counter always reads 0), GetSystemTimes deltas.
#pragma once
#include <windows.h>
#include <string>

void StartCPUUsage();
void StopCPUUsage();
double ReadCPUUsage();
void RefreshCPUUsage();
// Whether pdh.dll's placement beside the program suits the system; `path` receives the tested path.
bool CheckPdh(std::wstring& path);

// Unit lifecycle: called by the program's start-up and end, in that order of units.
void InitializeCPUUsage();
void FinalizeCPUUsage();

// ---- Seams and diagnostics for tests ----
enum class CpuMechanism { Registry9x, Pdh, SystemTimes, None };

struct CpuUsagePlatform {
    DWORD platformId;  // VER_PLATFORM_WIN32_NT or VER_PLATFORM_WIN32_WINDOWS
    DWORD majorVersion;
    bool underWine;          // NT family: measure with GetSystemTimes instead of PDH
    const wchar_t* pdhName;  // library file name, loaded from the system folder
};
CpuUsagePlatform DetectCpuUsagePlatform();
// Re-initializes the unit for the given platform (finalizing first); tests only.
void InitializeCPUUsageFor(const CpuUsagePlatform& platform);

using CpuReadFunc = double (*)();
// Replaces what ReadCPUUsage measures (counting and locking stay); nullptr restores it.
CpuReadFunc SetCpuReadSource(CpuReadFunc source);

CpuMechanism CurrentCpuMechanism();
int CPUUsageStartCount();
// Whether the mechanism holds its sampling resources (9x key, PDH query, time snapshot).
bool CPUUsageSampling();
const std::wstring& CounterPath();

// Builds the counter path from a "Counter 009" style table (index, name, index, name, ...
// as zero-terminated texts). `lookup` turns an index into the local name, or throws.
using CounterNameLookup = std::wstring (*)(DWORD index, void* context);
std::wstring BuildCounterPath(const std::wstring& table, DWORD majorVersion, CounterNameLookup lookup, void* context);
// The localized name of `english` from the table, or `english` itself.
std::wstring LocalizedCounterName(const std::wstring& table, const std::wstring& english, CounterNameLookup lookup,
                                  void* context);
// Decides CheckPdh from its inputs.
bool PdhPlacementOk(DWORD platformId, DWORD majorVersion, bool pdhPresent);
