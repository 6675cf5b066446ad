#include <windows.h>
#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>
#include "framework/uException.h"
#include "framework/uText.h"
#include "probes/jovCPUUsage.h"

namespace {

std::wstring Table(std::initializer_list<const wchar_t*> texts) {
    std::wstring table;
    for (const wchar_t* t : texts) {
        table += t;
        table += L'\0';
    }
    table += L'\0';
    return table;
}

std::wstring GermanNames(DWORD index, void*) {
    switch (index) {
        case 6: return L"Prozessorzeit (%)";
        case 238: return L"Prozessor";
        case 2: return L"System (de)";
        case 240: return L"Gesamtzeit (%)";
        case 1000: return L"_Gesamt";
    }
    throw Exception(L"PDH-ERROR");
}

const CpuUsagePlatform kWin98{VER_PLATFORM_WIN32_WINDOWS, 4, false, L"pdh.dll"};
const CpuUsagePlatform kWin2000{VER_PLATFORM_WIN32_NT, 5, false, L"pdh.dll"};
const CpuUsagePlatform kNT4{VER_PLATFORM_WIN32_NT, 4, false, L"pdh.dll"};
const CpuUsagePlatform kNoPdh{VER_PLATFORM_WIN32_NT, 5, false, L"korvix_missing_pdh.dll"};

void SetStatistic(DWORD value) {
    HKEY key;
    ASSERT_EQ(
        ::RegCreateKeyExW(HKEY_DYN_DATA, L"PerfStats\\StatData", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    ::RegSetValueExW(key, L"KERNEL\\CPUUsage", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof(value));
    ::RegCloseKey(key);
}

void CreateStartStat() {
    HKEY key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_DYN_DATA, L"PerfStats\\StartStat", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
}

void RemoveStatistics() {
    ::RegDeleteKeyW(HKEY_DYN_DATA, L"PerfStats\\StartStat");
    ::RegDeleteKeyW(HKEY_DYN_DATA, L"PerfStats\\StatData");
}

class CpuUsageTest : public testing::Test {
protected:
    void TearDown() override {
        RemoveStatistics();
        InitializeCPUUsage();
    }
};

}  // namespace

TEST(CounterPath, UsesLocalNamesAndFallsBackToEnglishPerPart) {
    const std::wstring full = Table({L"2", L"System", L"6", L"% Processor Time", L"238", L"Processor", L"240",
                                     L"% Total Processor Time", L"1000", L"_Total"});
    EXPECT_EQ(BuildCounterPath(full, 5, &GermanNames, nullptr), L"\\Prozessor(_Gesamt)\\Prozessorzeit (%)");
    EXPECT_EQ(BuildCounterPath(full, 4, &GermanNames, nullptr), L"\\System (de)\\Gesamtzeit (%)");

    const struct {
        const char* why;
        std::wstring table;
        std::wstring expected;
    } cases[] = {
        {"missing % Processor Time", Table({L"238", L"Processor", L"1000", L"_Total"}),
         L"\\Prozessor(_Gesamt)\\% Processor Time"},
        {"index not a number", Table({L"23x", L"Processor", L"6", L"% Processor Time"}),
         L"\\Processor(_Total)\\Prozessorzeit (%)"},
        {"lookup fails for the index", Table({L"777", L"Processor"}), L"\\Processor(_Total)\\% Processor Time"},
        {"empty table", std::wstring(), L"\\Processor(_Total)\\% Processor Time"},
        {"name only as part of another", Table({L"5", L"Processor Queue", L"6", L"% Processor Time"}),
         L"\\Processor(_Total)\\Prozessorzeit (%)"},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildCounterPath(c.table, 5, &GermanNames, nullptr), c.expected) << c.why;
}

TEST(CheckPdh, PlacementRuleDependsOnTheSystem) {
    EXPECT_TRUE(PdhPlacementOk(VER_PLATFORM_WIN32_WINDOWS, 4, true));
    EXPECT_TRUE(PdhPlacementOk(VER_PLATFORM_WIN32_NT, 5, false));
    EXPECT_FALSE(PdhPlacementOk(VER_PLATFORM_WIN32_NT, 5, true));
    EXPECT_FALSE(PdhPlacementOk(VER_PLATFORM_WIN32_NT, 6, true));
    EXPECT_TRUE(PdhPlacementOk(VER_PLATFORM_WIN32_NT, 4, true));
    EXPECT_FALSE(PdhPlacementOk(VER_PLATFORM_WIN32_NT, 4, false));
}

TEST_F(CpuUsageTest, CheckPdhLooksBesideTheProgramFile) {
    const std::wstring planted = ProgramFolder() + L"pdh.dll";
    HANDLE file = ::CreateFileW(planted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
    std::wstring path;
    InitializeCPUUsageFor(kWin2000);
    EXPECT_FALSE(CheckPdh(path));
    EXPECT_EQ(path, planted);
    InitializeCPUUsageFor(kNT4);
    EXPECT_TRUE(CheckPdh(path));
    // The planted file is never the library that gets loaded: ours comes from the system folder.
    InitializeCPUUsageFor(kWin2000);
    EXPECT_FALSE(CounterPath().empty());
    ::DeleteFileW(planted.c_str());
    EXPECT_TRUE(CheckPdh(path));
    InitializeCPUUsageFor(kNT4);
    EXPECT_FALSE(CheckPdh(path));
    std::wstring untouched = L"untouched";
    InitializeCPUUsageFor(kWin98);
    EXPECT_TRUE(CheckPdh(untouched));
    EXPECT_EQ(untouched, L"untouched");
}

TEST_F(CpuUsageTest, Win9xReadsTheKernelStatisticAndCapsItAtFullLoad) {
    InitializeCPUUsageFor(kWin98);
    ASSERT_EQ(CurrentCpuMechanism(), CpuMechanism::Registry9x);
    CreateStartStat();
    SetStatistic(37);
    StartCPUUsage();
    EXPECT_TRUE(CPUUsageSampling());
    EXPECT_DOUBLE_EQ(ReadCPUUsage(), 0.37);
    SetStatistic(150);
    EXPECT_DOUBLE_EQ(ReadCPUUsage(), 1.0);
    SetStatistic(100);
    EXPECT_DOUBLE_EQ(ReadCPUUsage(), 1.0);
    RefreshCPUUsage();  // reopens the statistic key while started
    EXPECT_TRUE(CPUUsageSampling());
    StopCPUUsage();
    EXPECT_FALSE(CPUUsageSampling());
}

TEST_F(CpuUsageTest, Win9xStartFailuresRaiseAndLeaveTheCountUnchanged) {
    InitializeCPUUsageFor(kWin98);
    RemoveStatistics();
    try {
        StartCPUUsage();
        FAIL() << "start without StartStat must raise";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"cannot start");
    }
    EXPECT_EQ(CPUUsageStartCount(), 0);
    CreateStartStat();  // StatData still missing
    try {
        StartCPUUsage();
        FAIL() << "start without StatData must raise";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"unable to read");
    }
    EXPECT_EQ(CPUUsageStartCount(), 0);
    RefreshCPUUsage();  // not started: does nothing, raises nothing
}

TEST_F(CpuUsageTest, StartsAndStopsAreCountedAndNeverGoBelowZero) {
    InitializeCPUUsageFor(kWin98);
    CreateStartStat();
    SetStatistic(10);
    StartCPUUsage();
    StartCPUUsage();
    StopCPUUsage();
    EXPECT_EQ(CPUUsageStartCount(), 1);
    EXPECT_TRUE(CPUUsageSampling());
    StopCPUUsage();
    EXPECT_EQ(CPUUsageStartCount(), 0);
    EXPECT_FALSE(CPUUsageSampling());
    StopCPUUsage();
    EXPECT_EQ(CPUUsageStartCount(), 0);
    StartCPUUsage();  // a stray stop did not leave the count at -1
    EXPECT_TRUE(CPUUsageSampling());
    StopCPUUsage();
}

TEST_F(CpuUsageTest, NtWithTheRealPdhBuildsTheCounterPathAndOpensAQuery) {
    InitializeCPUUsageFor(kWin2000);
    ASSERT_EQ(CurrentCpuMechanism(), CpuMechanism::Pdh);
    // Wine's English counter table is nearly empty, so the names fall back to English.
    EXPECT_EQ(CounterPath(), L"\\Processor(_Total)\\% Processor Time");
    EXPECT_DOUBLE_EQ(ReadCPUUsage(), 1.0);  // no query yet: the read fails and counts as full load
    StartCPUUsage();
    EXPECT_TRUE(CPUUsageSampling());
    double load = ReadCPUUsage();
    EXPECT_GE(load, 0.0);
    EXPECT_LE(load, 1.0);
    StopCPUUsage();
    EXPECT_FALSE(CPUUsageSampling());
    InitializeCPUUsageFor(kNT4);
    EXPECT_EQ(CounterPath(), L"\\System\\% Total Processor Time");
}

TEST_F(CpuUsageTest, NtWithoutPdhReadsFullLoadAndStartsSilently) {
    InitializeCPUUsageFor(kNoPdh);
    EXPECT_TRUE(CounterPath().empty());
    StartCPUUsage();
    EXPECT_EQ(CPUUsageStartCount(), 1);
    EXPECT_FALSE(CPUUsageSampling());
    EXPECT_DOUBLE_EQ(ReadCPUUsage(), 1.0);
    StopCPUUsage();
    EXPECT_EQ(CPUUsageStartCount(), 0);
}

TEST_F(CpuUsageTest, UnderWineTheLoadComesFromSystemTimesAndSeesABusyThread) {
    if (!DetectCpuUsagePlatform().underWine) GTEST_SKIP() << "measures with GetSystemTimes only under Wine";
    InitializeCPUUsage();
    ASSERT_EQ(CurrentCpuMechanism(), CpuMechanism::SystemTimes);
    EXPECT_DOUBLE_EQ(ReadCPUUsage(), 1.0);  // not started
    StartCPUUsage();
    std::atomic<bool> stop{false};
    std::thread busy([&] {
        volatile unsigned long long x = 0;
        while (!stop) x = x + 1;
    });
    ::Sleep(300);
    double load = ReadCPUUsage();
    stop = true;
    busy.join();
    StopCPUUsage();
    // One spinning thread keeps at least one of the cores busy whatever else runs.
    EXPECT_GT(load, 0.2);
    EXPECT_LE(load, 1.0);
}

TEST_F(CpuUsageTest, ReadSourceReplacesTheMeasurementButNotTheCounting) {
    InitializeCPUUsageFor(kNoPdh);
    auto previous = SetCpuReadSource([] { return 0.25; });
    StartCPUUsage();
    EXPECT_DOUBLE_EQ(ReadCPUUsage(), 0.25);
    EXPECT_EQ(CPUUsageStartCount(), 1);
    StopCPUUsage();
    SetCpuReadSource(previous);
    EXPECT_DOUBLE_EQ(ReadCPUUsage(), 1.0);
}

TEST_F(CpuUsageTest, ConcurrentStartsReadsAndStopsStayBalanced) {
    InitializeCPUUsageFor(kWin98);
    CreateStartStat();
    SetStatistic(50);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 200; ++i) {
                StartCPUUsage();
                double load = ReadCPUUsage();
                EXPECT_DOUBLE_EQ(load, 0.5);  // a read never meets a half-done start or stop
                StopCPUUsage();
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(CPUUsageStartCount(), 0);
    EXPECT_FALSE(CPUUsageSampling());
}
