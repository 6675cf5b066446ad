#include "uGlobals.h"
#include <cmath>
#include <vector>
#include "framework/uHandles.h"
#include "framework/uSystemLibrary.h"
#include "framework/uText.h"
#include "legacy/uMessages.h"
#include "probes/jovCPUUsage.h"

uint64_t TotalPhysBytes = 0;
int32_t TotalPhysMB = 0;
std::unique_ptr<TIntArray> MemoryHistory;
std::unique_ptr<TIntArray> CpuHistory;
HWND EngineWindow = nullptr;
HWND LaunchWindow = nullptr;

namespace {
MemoryStatusFunc g_memorySource = nullptr;
HWND g_applicationHandle = nullptr;
}  // namespace

// ---- Memory status ----
bool SystemMemoryStatus(MemoryStatus& status) {
    using GlobalMemoryStatusExFn = BOOL(WINAPI*)(LPMEMORYSTATUSEX);
    static const auto statusEx = reinterpret_cast<GlobalMemoryStatusExFn>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GlobalMemoryStatusEx"));
    if (statusEx) {
        // Where the 64-bit call exists, the plain one is built on it: its failure is final.
        MEMORYSTATUSEX ex{sizeof(ex)};
        if (!statusEx(&ex)) return false;
        status = {ex.ullTotalPhys,     ex.ullAvailPhys,    ex.ullTotalPageFile,
                  ex.ullAvailPageFile, ex.ullTotalVirtual, ex.ullAvailVirtual};
        return true;
    }
    // Systems without the 64-bit call report at most 4 GB here. The call cannot say it
    // failed; a machine without physical memory is what a failure looks like.
    MEMORYSTATUS plain{sizeof(plain)};
    ::GlobalMemoryStatus(&plain);
    status = {plain.dwTotalPhys,     plain.dwAvailPhys,    plain.dwTotalPageFile,
              plain.dwAvailPageFile, plain.dwTotalVirtual, plain.dwAvailVirtual};
    return plain.dwTotalPhys != 0;
}

bool ReadMemoryStatus(MemoryStatus& status) {
    return g_memorySource ? g_memorySource(status) : SystemMemoryStatus(status);
}

MemoryStatusFunc SetMemoryStatusSource(MemoryStatusFunc source) {
    MemoryStatusFunc previous = g_memorySource;
    g_memorySource = source;
    return previous;
}

int32_t TotalPhysMBFromBytes(uint64_t bytes) {
    return static_cast<int32_t>(static_cast<double>(bytes) / 1048576.0 + 0.99);
}

// ---- Lifecycle ----
void InitializeGlobals() {
    TraceHook(L"Initializing Globals");
    MemoryStatus status;
    ReadMemoryStatus(status);
    MemoryHistory = std::make_unique<TIntArray>(0);
    TotalPhysBytes = status.TotalPhys;
    TotalPhysMB = TotalPhysMBFromBytes(TotalPhysBytes);
    MemoryHistory->TotalMB = TotalPhysMB;
    CpuHistory.reset();
    LaunchWindow = nullptr;
}

void FinalizeGlobals() {
    TraceHook(L"Finalizing Globals");
    MemoryHistory.reset();
    CpuHistory.reset();
    LaunchWindow = nullptr;
}

// ---- Sampling ----
// A failed reading repeats the last sample rather than drawing a drop to nothing used.
void SampleMemory() {
    MemoryStatus status;
    MemoryHistory->Push(ReadMemoryStatus(status) ? status.TotalPhys - status.AvailPhys : MemoryHistory->Last());
}

void SampleCpu() {
    if (!CpuHistory) return;
    uint64_t percent = 100;  // a failing read counts as full load
    try {
        double load = ReadCPUUsage() * 100.0;
        // Keep the sample a percentage even if a counter reports a value out of range.
        percent = load <= 0.0 ? 0 : load >= 100.0 ? 100 : static_cast<uint64_t>(load);
    } catch (...) {}
    CpuHistory->Push(percent);
}

void SampleProbes() {
    SampleMemory();
    SampleCpu();
}

std::optional<uint64_t> AvailPhysBytes() {
    MemoryStatus status;
    if (!ReadMemoryStatus(status)) return std::nullopt;
    return status.AvailPhys;
}

// ---- Shared routines ----
std::wstring FormatSize(int32_t megabytes) {
    if (megabytes < 1000) return std::to_wstring(megabytes) + L" MB";
    int64_t n = megabytes;
    if (megabytes >= 10000) return std::to_wstring((2 * n + 1024) / 2048) + L" GB";
    // Hundredths of a gigabyte, rounded half away from zero, in exact integer arithmetic.
    int64_t hundredths = (200 * n + 1024) / 2048;
    wchar_t separator[8] = L".";
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) == 0) lstrcpyW(separator, L".");
    wchar_t fraction[3] = {wchar_t(L'0' + hundredths % 100 / 10), wchar_t(L'0' + hundredths % 10), 0};
    return std::to_wstring(hundredths / 100) + separator + fraction + L" GB";
}

std::wstring FormatFreeAmount(int32_t position) {
    return FormatSize(Clamp(static_cast<int32_t>(static_cast<uint32_t>(TotalPhysMB) - static_cast<uint32_t>(position)),
                            1, TotalPhysMB));
}

double MinutesToDays(uint32_t minutes) { return minutes / 1440.0; }

TDateTime TruncToMinute(TDateTime moment) {
    // Round to whole milliseconds first, as date-time decoding does, so a value stored a hair
    // below a full minute is not cut to the minute before.
    int64_t ms = std::llround(moment * 86400000.0);
    int64_t day = ms >= 0 ? ms / 86400000 : -((-ms + 86399999) / 86400000);
    int64_t msOfDay = ms - day * 86400000;
    msOfDay -= msOfDay % 60000;
    return static_cast<double>(day) + static_cast<double>(msOfDay) / 86400000.0;
}

void SetApplicationHandle(HWND handle) { g_applicationHandle = handle; }
HWND ApplicationHandle() { return g_applicationHandle; }
void ShowTaskbarButton() { ::ShowWindow(g_applicationHandle, SW_SHOW); }
void HideTaskbarButton() { ::ShowWindow(g_applicationHandle, SW_HIDE); }

std::wstring VersionTextOf(int major, int minor) {
    return minor != 0 ? std::to_wstring(major) + L"." + std::to_wstring(minor) : std::to_wstring(major);
}

// version.dll is not one of the system's known DLLs: imported statically, a copy planted
// beside the program (a downloads folder) would be loaded in its place. It comes from the
// system folder, and only when the version is asked for.
std::wstring VersionText() {
    using SizeFunc = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
    using InfoFunc = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
    using QueryFunc = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
    UniqueModule library(LoadSystemLibrary(L"version.dll"));
    if (!library) return {};
    auto getSize = reinterpret_cast<SizeFunc>(::GetProcAddress(library.get(), "GetFileVersionInfoSizeW"));
    auto getInfo = reinterpret_cast<InfoFunc>(::GetProcAddress(library.get(), "GetFileVersionInfoW"));
    auto query = reinterpret_cast<QueryFunc>(::GetProcAddress(library.get(), "VerQueryValueW"));
    if (!getSize || !getInfo || !query) return {};
    std::wstring path = ProgramPath();
    DWORD ignored = 0;
    DWORD size = getSize(path.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> data(size);
    if (!getInfo(path.c_str(), 0, size, data.data())) return {};
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!query(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info) return {};
    return VersionTextOf(HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS));
}

namespace {
// A foreign window that hangs must not hang our start-up with it.
bool AskWindow(HWND window, UINT msg, LRESULT& answer) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, msg, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 5000, &result)) return false;
    answer = static_cast<LRESULT>(result);
    return true;
}

// A window is a running copy's engine when its title matches exactly and it answers the signature.
bool IsRunningEngine(HWND window) {
    wchar_t title[100] = {};
    ::GetWindowTextW(window, title, 100);
    LRESULT answer = 0;
    return lstrcmpW(title, EngineWindowTitle) == 0 && AskWindow(window, WM_ENGINEIDENTIFY, answer) &&
           answer == EngineSignature;
}

template <typename Action>
struct EngineSearch {
    Action& action;
    bool found = false;
};

// stdcall, as EnumWindows calls it: a lambda would convert to a cdecl pointer on 32-bit.
template <typename Action>
BOOL CALLBACK EngineSearchProc(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<EngineSearch<Action>*>(param);
    if (!IsRunningEngine(window)) return TRUE;
    search->found = true;
    search->action(window);
    return FALSE;
}

// Calls `action` for the first running engine window; answers whether there was one.
template <typename Action>
bool ForRunningEngine(Action action) {
    EngineSearch<Action> search{action};
    ::EnumWindows(&EngineSearchProc<Action>, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
}  // namespace

bool FindRunningInstance() {
    return ForRunningEngine([](HWND engine) {
        LRESULT mainWindow = 0;
        AskWindow(engine, WM_ENGINEACTIVATE, mainWindow);
        HWND target = reinterpret_cast<HWND>(mainWindow);
        ::BringWindowToTop(target);
        ::SetForegroundWindow(target);
    });
}

bool CloseRunningInstance(HWND* engine) {
    return ForRunningEngine([engine](HWND window) {
        ::PostMessageW(window, WM_ENGINECLOSE, 0, 0);
        if (engine) *engine = window;
    });
}

int32_t MakeColor(int32_t red, int32_t green, int32_t blue) { return red + 256 * green + 65536 * blue; }
