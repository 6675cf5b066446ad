#include <windows.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "framework/uException.h"
#include "framework/uText.h"
#include "korvix_version.h"
#include "legacy/uGlobals.h"
#include "legacy/uMessages.h"
#include "probes/jovCPUUsage.h"
#include "support/TestSupport.h"

namespace {
constexpr uint64_t MB = 1048576;

uint64_t g_total = 512 * MB;
uint64_t g_avail = 200 * MB;
bool FakeMemory(MemoryStatus& status) {
    status = {g_total, g_avail, 4096 * MB, 2048 * MB, 2048 * MB, 2048 * MB};
    return true;
}

class GlobalsTest : public testing::Test {
protected:
    void SetUp() override {
        g_total = 512 * MB;
        g_avail = 200 * MB;
        previous_ = SetMemoryStatusSource(&FakeMemory);
        InitializeGlobals();
    }
    void TearDown() override {
        FinalizeGlobals();
        SetMemoryStatusSource(previous_);
    }
    MemoryStatusFunc previous_ = nullptr;
};
}  // namespace

TEST(FormatSize, ThresholdsAreThousandAndTenThousandWithDivisor1024) {
    const struct {
        int32_t mb;
        const wchar_t* text;
    } cases[] = {
        {-5, L"-5 MB"},     {0, L"0 MB"},       {999, L"999 MB"},   {1000, L"0.98 GB"},
        {1023, L"1.00 GB"}, {1536, L"1.50 GB"}, {9999, L"9.76 GB"}, {10000, L"10 GB"},
        {20480, L"20 GB"},  {10752, L"11 GB"},  {1029, L"1.00 GB"}, {1034, L"1.01 GB"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatSize(c.mb), c.text) << c.mb;
}

TEST(Clamp, LowerBoundIsTestedFirst) {
    EXPECT_EQ(Clamp(5, 1, 3), 3);
    EXPECT_EQ(Clamp(0, 1, 3), 1);
    EXPECT_EQ(Clamp(2, 1, 3), 2);
    // lo > hi: a value below lo gives lo, anything else at most hi.
    EXPECT_EQ(Clamp(2, 5, 1), 5);
    EXPECT_EQ(Clamp(7, 5, 1), 1);
    EXPECT_EQ(Clamp(INT32_MIN, -3, INT32_MAX), -3);
}

TEST(TotalPhysMB, RoundsUpUnlessTheFractionIsBelowOneHundredth) {
    EXPECT_EQ(TotalPhysMBFromBytes(536281088ULL), 512);
    EXPECT_EQ(TotalPhysMBFromBytes(1073741824ULL), 1024);
    EXPECT_EQ(TotalPhysMBFromBytes(1073746824ULL), 1024);
    EXPECT_EQ(TotalPhysMBFromBytes(24ULL * 1024 * MB), 24576);  // no 4 GB cap
}

TEST(DateTime, TruncToMinuteDropsSecondsAndMilliseconds) {
    const double day = 46000.0;  // any date
    const double t = day + (10 * 3600 + 41 * 60 + 59.999) / 86400.0;
    EXPECT_DOUBLE_EQ(TruncToMinute(t), day + (10 * 60 + 41) / 1440.0);
    // A time stored a hair below a whole minute stays on that minute.
    const double whole = day + (10 * 60 + 41) / 1440.0 - 1e-12;
    EXPECT_DOUBLE_EQ(TruncToMinute(whole), day + (10 * 60 + 41) / 1440.0);
    EXPECT_DOUBLE_EQ(MinutesToDays(1440), 1.0);
}

TEST(VersionText, MinorNumberShowsOnlyWhenNotZero) {
    EXPECT_EQ(VersionTextOf(5, 0), L"5");
    EXPECT_EQ(VersionTextOf(5, 12), L"5.12");
    // This test program carries the product's version resource, made from the project's version.
    EXPECT_EQ(VersionText(), VersionTextOf(KORVIX_VERSION_MAJOR, KORVIX_VERSION_MINOR));
}

TEST(MakeColor, RedIsTheLowByte) { EXPECT_EQ(MakeColor(1, 2, 3), 0x030201); }

TEST_F(GlobalsTest, InitializationMeasuresMemoryOnceAndStartsAnEmptyHistory) {
    EXPECT_EQ(TotalPhysBytes, 512 * MB);
    EXPECT_EQ(TotalPhysMB, 512);
    ASSERT_TRUE(MemoryHistory);
    EXPECT_EQ(MemoryHistory->FillCount(), 0);
    EXPECT_EQ(MemoryHistory->TotalMB, 512);
    EXPECT_FALSE(CpuHistory);
    g_total = 1024 * MB;  // not re-measured
    SampleProbes();
    EXPECT_EQ(TotalPhysMB, 512);
}

TEST_F(GlobalsTest, SampleProbesWithoutCpuMonitoringPushesUsedMemoryOnly) {
    SampleProbes();
    EXPECT_EQ(MemoryHistory->FillCount(), 1);
    EXPECT_EQ(MemoryHistory->Last(), 312 * MB);
    EXPECT_EQ(MemoryHistory->LastMB(false), 312);
    EXPECT_FALSE(CpuHistory);
    EXPECT_EQ(AvailPhysBytes(), 200 * MB);
}

// The processor sample is the load in percent cut towards zero; a failing read is full load.
TEST_F(GlobalsTest, ProcessorSamplesAreTruncatedPercentsAndAFailedReadIsFullLoad) {
    static double load = 0;
    CpuReadFunc previous = SetCpuReadSource([] {
        if (load < 0) throw Exception(L"counter vanished");
        return load;
    });
    CpuHistory = std::make_unique<TIntArray>(0);
    std::vector<uint64_t> samples;
    for (double value : {0.649, 0.999, 0.0, 1.0, -1.0}) {
        load = value;
        SampleCpu();
        samples.push_back(CpuHistory->Last());
    }
    SetCpuReadSource(previous);
    EXPECT_EQ(samples, (std::vector<uint64_t>{64, 99, 0, 100, 100}));
}

TEST_F(GlobalsTest, FormatFreeAmountKeepsAtLeastOneMegabyte) {
    EXPECT_EQ(FormatFreeAmount(512), L"1 MB");
    EXPECT_EQ(FormatFreeAmount(0), L"512 MB");
    EXPECT_EQ(FormatFreeAmount(-40), L"512 MB");
    EXPECT_EQ(FormatFreeAmount(256), L"256 MB");
}

// ---- The running-copy search against real windows ----
namespace {
class FakeEngine : public TWindowBase {
public:
    FakeEngine(const wchar_t* title, LRESULT signature, HWND mainWindow) : signature_(signature), main_(mainWindow) {
        CreateHandle({.className = L"KorvixFakeEngine", .title = title, .style = WS_POPUP});
    }
    int activations = 0;
    int closeRequests = 0;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_ENGINEIDENTIFY) return signature_;
        if (msg == WM_ENGINECLOSE) ++closeRequests;
        if (msg == WM_ENGINEACTIVATE) {
            ++activations;
            return reinterpret_cast<LRESULT>(main_);
        }
        return DefaultProc(msg, wParam, lParam);
    }

private:
    LRESULT signature_;
    HWND main_;
};
}  // namespace

TEST(FindRunningInstance, OnlyAWindowAnsweringTheSignatureCounts) {
    FakeEngine foreign(L"Memory Engine", 1, nullptr);
    FakeEngine lookalike(L"memory engine", EngineSignature, nullptr);
    EXPECT_FALSE(FindRunningInstance());
    EXPECT_EQ(foreign.activations, 0);

    FakeEngine engine(L"Memory Engine", EngineSignature, nullptr);
    EXPECT_TRUE(FindRunningInstance());
    EXPECT_EQ(engine.activations, 1);
    EXPECT_EQ(lookalike.activations, 0);
}

TEST(CloseRunningInstance, PostsTheCloseRequestToTheRunningEngineOnly) {
    FakeEngine foreign(L"Memory Engine", 0, nullptr);
    EXPECT_FALSE(CloseRunningInstance());
    FakeEngine engine(L"Memory Engine", EngineSignature, nullptr);
    EXPECT_TRUE(CloseRunningInstance());
    PumpMessages();
    EXPECT_EQ(engine.closeRequests, 1);
    EXPECT_EQ(foreign.closeRequests, 0);
    EXPECT_EQ(engine.activations, 0);
}

// The real measurement, compared with what the kernel reports (under Wine the Unix
// /proc/meminfo is reachable through drive Z:). Runs in both builds.
TEST(MemoryMeasurement, TotalPhysMBMatchesTheMachine) {
    HANDLE file =
        ::CreateFileW(L"Z:\\proc\\meminfo", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no /proc/meminfo (not under Wine)";
    char buffer[4096] = {};
    DWORD read = 0;
    ::ReadFile(file, buffer, sizeof(buffer) - 1, &read, nullptr);
    ::CloseHandle(file);
    unsigned long long kb = 0;
    ASSERT_EQ(sscanf(buffer, "MemTotal: %llu kB", &kb), 1) << buffer;
    unsigned long long bytes = kb * 1024;
    // Under qemu's user-mode emulation a 32-bit process is told the total modulo 4 GB (qemu
    // converts the kernel's answer to 32 bits); the program shows what it is told.
    const char* emulated = std::getenv("KORVIX_WIN32_EMULATED");
    if (sizeof(void*) == 4 && emulated && std::strcmp(emulated, "1") == 0) bytes %= 1ULL << 32;
    InitializeGlobals();
    EXPECT_EQ(TotalPhysMB, TotalPhysMBFromBytes(bytes));
    EXPECT_GT(TotalPhysMB, 0);
    std::printf("TotalPhysMB = %d (MemTotal %llu kB)\n", TotalPhysMB, kb);
    FinalizeGlobals();
}
