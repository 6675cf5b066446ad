#include "jovCPUUsage.h"
#include <mutex>
#include <pdh.h>
#include <vector>
#include "framework/uException.h"
#include "framework/uHandles.h"
#include "framework/uSystemLibrary.h"
#include "framework/uText.h"

namespace {

constexpr const wchar_t* kStatValue = L"KERNEL\\CPUUsage";

using PdhLookupPerfNameByIndexWFn = PDH_STATUS(WINAPI*)(LPCWSTR, DWORD, LPWSTR, LPDWORD);
using PdhOpenQueryWFn = PDH_STATUS(WINAPI*)(LPCWSTR, DWORD_PTR, PDH_HQUERY*);
using PdhAddCounterWFn = PDH_STATUS(WINAPI*)(PDH_HQUERY, LPCWSTR, DWORD_PTR, PDH_HCOUNTER*);
using PdhCollectQueryDataFn = PDH_STATUS(WINAPI*)(PDH_HQUERY);
using PdhCloseQueryFn = PDH_STATUS(WINAPI*)(PDH_HQUERY);
using PdhSetDefaultRealTimeDataSourceFn = PDH_STATUS(WINAPI*)(DWORD);
using PdhGetFormattedCounterValueFn = PDH_STATUS(WINAPI*)(PDH_HCOUNTER, DWORD, LPDWORD, PPDH_FMT_COUNTERVALUE);

struct PdhApi {
    HMODULE module = nullptr;  // deliberately never unloaded
    PdhLookupPerfNameByIndexWFn LookupPerfNameByIndex = nullptr;
    PdhOpenQueryWFn OpenQuery = nullptr;
    PdhAddCounterWFn AddCounter = nullptr;
    PdhCollectQueryDataFn CollectQueryData = nullptr;
    PdhCloseQueryFn CloseQuery = nullptr;
    PdhSetDefaultRealTimeDataSourceFn SetDefaultRealTimeDataSource = nullptr;
    PdhGetFormattedCounterValueFn GetFormattedCounterValue = nullptr;
};

KORVIX_DECLARE_EXCEPTION(ECPUUsageError, Exception);

struct State {
    std::mutex lock;
    int startCount = 0;
    CpuUsagePlatform platform{};
    CpuMechanism mechanism = CpuMechanism::None;
    CpuReadFunc readSource = nullptr;
    // 9x family
    UniqueHKey statData;
    // NT family, PDH
    PdhApi pdh;
    PDH_HQUERY query = nullptr;
    PDH_HCOUNTER counter = nullptr;
    std::wstring counterPath;
    // NT family under Wine: the previous GetSystemTimes reading, a count of readings taken
    // and the load the last one measured
    bool haveTimes = false;
    ULONGLONG timesTick = 0;
    uint64_t idle = 0, total = 0;
    uint64_t readings = 0;
    double lastLoad = 1.0;
};

State& S() {
    static State state;
    return state;
}

uint64_t ToUInt64(const FILETIME& ft) { return (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

// ---- 9x family ----
void QueryStatSwitch(HKEY key) {
    // Reading the value of StartStat/StopStat is what switches the statistic on or off.
    DWORD data = 0, size = sizeof(data), type = 0;
    ::RegQueryValueExW(key, kStatValue, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
}

void Start9x(State& s) {
    UniqueHKey start;
    if (::RegOpenKeyExW(HKEY_DYN_DATA, L"PerfStats\\StartStat", 0, KEY_ALL_ACCESS, start.put()) != ERROR_SUCCESS)
        throw ECPUUsageError(L"cannot start");
    QueryStatSwitch(start.get());
    start.reset();
    UniqueHKey data;
    if (::RegOpenKeyExW(HKEY_DYN_DATA, L"PerfStats\\StatData", 0, KEY_READ, data.put()) != ERROR_SUCCESS)
        throw ECPUUsageError(L"unable to read");
    s.statData = std::move(data);  // a key of an earlier start (the refresh) is closed here
}

double Read9x(State& s) {
    DWORD value = 0, size = sizeof(value), type = 0;
    // A failed query reads as full load, like every other failing read.
    if (!s.statData || ::RegQueryValueExW(s.statData.get(), kStatValue, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                          &size) != ERROR_SUCCESS)
        return 1.0;
    if (value > 100) value = 100;
    return value / 100.0;
}

void Stop9x(State& s) {
    s.statData.reset();
    UniqueHKey stop;
    if (::RegOpenKeyExW(HKEY_DYN_DATA, L"PerfStats\\StopStat", 0, KEY_ALL_ACCESS, stop.put()) == ERROR_SUCCESS)
        QueryStatSwitch(stop.get());
}

// ---- NT family, PDH ----
void StopPdh(State& s) {
    if (s.query && s.pdh.CloseQuery) {
        // The handle is always one PdhOpenQueryW returned, so a close that keeps failing is a
        // broken library: give up after a bound instead of spinning for ever.
        for (int attempt = 0; attempt < 1000 && s.pdh.CloseQuery(s.query) != ERROR_SUCCESS; ++attempt) ::Sleep(0);
    }
    s.query = nullptr;
    s.counter = nullptr;
}

void ResetPdh(State& s) {
    StopPdh(s);
    s.pdh = PdhApi{};
}

void StartPdh(State& s) {
    try {
        if (!s.pdh.OpenQuery || s.pdh.OpenQuery(nullptr, 0, &s.query) != ERROR_SUCCESS)
            throw ECPUUsageError(L"PDH-ERROR");
        if (s.pdh.AddCounter(s.query, s.counterPath.c_str(), 0, &s.counter) != ERROR_SUCCESS)
            throw ECPUUsageError(L"PDH-ERROR");
    } catch (const Exception&) {
        // The start never fails: without a query every read reports full load.
        if (s.query && s.pdh.CloseQuery) s.pdh.CloseQuery(s.query);
        s.query = nullptr;
        s.counter = nullptr;
    }
}

double ReadPdh(State& s) {
    if (!s.pdh.CollectQueryData || s.pdh.CollectQueryData(s.query) != ERROR_SUCCESS) return 1.0;
    PDH_FMT_COUNTERVALUE value{};
    if (s.pdh.GetFormattedCounterValue(s.counter, PDH_FMT_DOUBLE, nullptr, &value) != ERROR_SUCCESS) return 1.0;
    return value.doubleValue / 100.0;
}

std::wstring ReadCounterTable() {
    std::vector<wchar_t> buffer;
    LONG status;
    do {
        buffer.resize(buffer.size() + 10000);
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        DWORD type = 0;
        status = ::RegQueryValueExW(HKEY_PERFORMANCE_DATA, L"Counter 009", nullptr, &type,
                                    reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (status == ERROR_SUCCESS) {
            ::RegCloseKey(HKEY_PERFORMANCE_DATA);
            return std::wstring(buffer.data(), size / sizeof(wchar_t));
        }
    } while (status == ERROR_MORE_DATA);
    ::RegCloseKey(HKEY_PERFORMANCE_DATA);
    return {};
}

std::wstring LookupWithPdh(DWORD index, void* context) {
    auto* api = static_cast<PdhApi*>(context);
    wchar_t name[2049] = {};
    DWORD size = 2049;
    if (api->LookupPerfNameByIndex(nullptr, index, name, &size) != ERROR_SUCCESS) throw ECPUUsageError(L"PDH-ERROR");
    return name;
}

template <typename Fn>
void Resolve(HMODULE module, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(::GetProcAddress(module, name));
    if (!fn) throw ECPUUsageError(L"Invalid function");
}

void LoadPdh(State& s) {
    HMODULE module = LoadSystemLibrary(s.platform.pdhName);
    if (!module) {
        ResetPdh(s);
        return;
    }
    try {
        PdhApi& api = s.pdh;
        api.module = module;
        Resolve(module, "PdhLookupPerfNameByIndexW", api.LookupPerfNameByIndex);
        Resolve(module, "PdhOpenQueryW", api.OpenQuery);
        Resolve(module, "PdhAddCounterW", api.AddCounter);
        Resolve(module, "PdhCollectQueryData", api.CollectQueryData);
        Resolve(module, "PdhCloseQuery", api.CloseQuery);
        Resolve(module, "PdhSetDefaultRealTimeDataSource", api.SetDefaultRealTimeDataSource);
        Resolve(module, "PdhGetFormattedCounterValue", api.GetFormattedCounterValue);
        std::wstring table = ReadCounterTable();
        if (api.SetDefaultRealTimeDataSource(DATA_SOURCE_REGISTRY) != ERROR_SUCCESS) throw ECPUUsageError(L"PDH-ERROR");
        s.counterPath = BuildCounterPath(table, s.platform.majorVersion, &LookupWithPdh, &api);
    } catch (const Exception&) {
        ResetPdh(s);
    }
}

// ---- NT family under Wine: GetSystemTimes deltas ----
bool TakeTimes(State& s) {
    FILETIME idle, kernel, user;
    if (!::GetSystemTimes(&idle, &kernel, &user)) return false;
    s.idle = ToUInt64(idle);
    s.total = ToUInt64(kernel) + ToUInt64(user);  // kernel time includes idle time
    s.timesTick = ::GetTickCount64();
    s.haveTimes = true;
    ++s.readings;
    return true;
}

// Two readings a few milliseconds apart say nothing: the load is measured over at least
// 100 ms. The wait for that happens without the lock, so the other thread's start, stop or
// read is never held up by it; when that other thread measured meanwhile, its result is
// the answer.
double ReadSystemTimes(State& s, std::unique_lock<std::mutex>& guard) {
    if (!s.haveTimes) return 1.0;
    ULONGLONG elapsed = ::GetTickCount64() - s.timesTick;
    if (elapsed < 100) {
        const uint64_t before = s.readings;
        guard.unlock();
        ::Sleep(static_cast<DWORD>(100 - elapsed));
        guard.lock();
        if (!s.haveTimes) return 1.0;
        if (s.readings != before) return s.lastLoad;
    }
    uint64_t idle0 = s.idle, total0 = s.total;
    if (!TakeTimes(s)) return 1.0;
    uint64_t total = s.total - total0, idle = s.idle - idle0;
    s.lastLoad = total == 0 || idle > total ? 1.0 : 1.0 - static_cast<double>(idle) / static_cast<double>(total);
    return s.lastLoad;
}

// ---- Dispatch by mechanism; all called under the lock ----
void StartMechanism(State& s) {
    switch (s.mechanism) {
        case CpuMechanism::Registry9x: Start9x(s); break;
        case CpuMechanism::Pdh: StartPdh(s); break;
        case CpuMechanism::SystemTimes: TakeTimes(s); break;
        case CpuMechanism::None: break;
    }
}

void StopMechanism(State& s) {
    switch (s.mechanism) {
        case CpuMechanism::Registry9x: Stop9x(s); break;
        case CpuMechanism::Pdh: StopPdh(s); break;
        case CpuMechanism::SystemTimes: s.haveTimes = false; break;
        case CpuMechanism::None: break;
    }
}

double ReadMechanism(State& s, std::unique_lock<std::mutex>& guard) {
    switch (s.mechanism) {
        case CpuMechanism::Registry9x: return Read9x(s);
        case CpuMechanism::Pdh: return ReadPdh(s);
        case CpuMechanism::SystemTimes: return ReadSystemTimes(s, guard);
        case CpuMechanism::None: break;
    }
    return 1.0;
}

bool ParseIndex(const std::wstring& text, DWORD& index) {
    if (text.empty() || text.size() > 9) return false;
    DWORD value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + (c - L'0');
    }
    index = value;
    return true;
}

}  // namespace

// ---- Public operations ----
void StartCPUUsage() {
    State& s = S();
    std::lock_guard guard(s.lock);
    if (s.startCount == 0) StartMechanism(s);  // a 9x failure throws and leaves the count
    ++s.startCount;
}

void StopCPUUsage() {
    State& s = S();
    std::lock_guard guard(s.lock);
    if (s.startCount <= 0) return;  // pairs are balanced; never go below zero
    if (--s.startCount == 0) StopMechanism(s);
}

double ReadCPUUsage() {
    State& s = S();
    std::unique_lock guard(s.lock);
    if (s.readSource) return s.readSource();
    return ReadMechanism(s, guard);
}

void RefreshCPUUsage() {
    State& s = S();
    std::lock_guard guard(s.lock);
    // A worker may have stopped sampling meanwhile: the count is read under the lock.
    if (s.mechanism == CpuMechanism::Registry9x && s.startCount > 0) Start9x(s);
}

bool PdhPlacementOk(DWORD platformId, DWORD majorVersion, bool pdhPresent) {
    if (platformId != VER_PLATFORM_WIN32_NT) return true;
    // NT 4 needs its own copy beside the program; later systems must load their own.
    return majorVersion >= 5 ? !pdhPresent : pdhPresent;
}

bool CheckPdh(std::wstring& path) {
    const CpuUsagePlatform& p = S().platform;
    if (p.platformId != VER_PLATFORM_WIN32_NT) return true;
    std::wstring program = ProgramPath();
    size_t slash = program.find_last_of(L"\\/");
    std::wstring folder = slash == std::wstring::npos ? std::wstring() : program.substr(0, slash + 1);
    if (folder.empty()) folder = L".\\";
    if (folder.back() != L'\\') folder += L'\\';
    path = folder + L"pdh.dll";
    return PdhPlacementOk(p.platformId, p.majorVersion, FileExists(path));
}

std::wstring LocalizedCounterName(const std::wstring& table, const std::wstring& english, CounterNameLookup lookup,
                                  void* context) {
    std::wstring needle;
    needle += L'\0';
    needle += english;
    needle += L'\0';
    size_t found = table.find(needle);
    if (found == std::wstring::npos) return english;
    size_t previous = found == 0 ? std::wstring::npos : table.rfind(L'\0', found - 1);
    size_t begin = previous == std::wstring::npos ? 0 : previous + 1;
    DWORD index = 0;
    if (!ParseIndex(table.substr(begin, found - begin), index)) return english;
    try {
        return lookup(index, context);
    } catch (...) {
        return english;
    }
}

std::wstring BuildCounterPath(const std::wstring& table, DWORD majorVersion, CounterNameLookup lookup, void* context) {
    auto L = [&](const wchar_t* name) { return LocalizedCounterName(table, name, lookup, context); };
    if (majorVersion >= 5) return L"\\" + L(L"Processor") + L"(" + L(L"_Total") + L")\\" + L(L"% Processor Time");
    return L"\\" + L(L"System") + L"\\" + L(L"% Total Processor Time");
}

CpuUsagePlatform DetectCpuUsagePlatform() {
    OSVERSIONINFOW version{sizeof(version)};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&version);
#pragma GCC diagnostic pop
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    bool wine = ntdll && ::GetProcAddress(ntdll, "wine_get_version");
    return {version.dwPlatformId, version.dwMajorVersion, wine, L"pdh.dll"};
}

void InitializeCPUUsageFor(const CpuUsagePlatform& platform) {
    FinalizeCPUUsage();
    State& s = S();
    std::lock_guard guard(s.lock);
    s.platform = platform;
    s.startCount = 0;
    if (platform.platformId != VER_PLATFORM_WIN32_NT) {
        s.mechanism = CpuMechanism::Registry9x;
        ResetPdh(s);
    } else if (platform.underWine) {
        s.mechanism = CpuMechanism::SystemTimes;  // Wine's PDH processor counter always reads 0
    } else {
        s.mechanism = CpuMechanism::Pdh;
        LoadPdh(s);
    }
}

void InitializeCPUUsage() { InitializeCPUUsageFor(DetectCpuUsagePlatform()); }

void FinalizeCPUUsage() {
    State& s = S();
    std::lock_guard guard(s.lock);
    s.startCount = 0;
    s.statData.reset();
    s.haveTimes = false;
    ResetPdh(s);
    s.counterPath.clear();
    s.mechanism = CpuMechanism::None;
}

CpuReadFunc SetCpuReadSource(CpuReadFunc source) {
    State& s = S();
    std::lock_guard guard(s.lock);
    CpuReadFunc previous = s.readSource;
    s.readSource = source;
    return previous;
}

CpuMechanism CurrentCpuMechanism() {
    State& s = S();
    std::lock_guard guard(s.lock);
    return s.mechanism;
}

int CPUUsageStartCount() {
    State& s = S();
    std::lock_guard guard(s.lock);
    return s.startCount;
}

bool CPUUsageSampling() {
    State& s = S();
    std::lock_guard guard(s.lock);
    switch (s.mechanism) {
        case CpuMechanism::Registry9x: return static_cast<bool>(s.statData);
        case CpuMechanism::Pdh: return s.query != nullptr;
        case CpuMechanism::SystemTimes: return s.haveTimes;
        case CpuMechanism::None: break;
    }
    return false;
}

const std::wstring& CounterPath() { return S().counterPath; }
