// The engine's three tray icons: the status icon by the status table and its showing rule,
// the memory and processor icons by the display options and the sampling steps. The shell
// call is recorded, so what the taskbar is asked to do can be checked.
#include "EngineFixture.h"

namespace {

struct TrayCall {
    DWORD message;
    HWND window;
};
std::vector<TrayCall> g_trayCalls;

BOOL RecordTrayCall(DWORD message, NOTIFYICONDATAA* data) {
    g_trayCalls.push_back({message, data->hWnd});
    return TRUE;
}

int CallsFor(HWND window, DWORD message) {
    return static_cast<int>(std::count_if(g_trayCalls.begin(), g_trayCalls.end(), [&](const TrayCall& c) {
        return c.window == window && c.message == message;
    }));
}

class EngineTrayTest : public EngineTest {
protected:
    void SetUp() override {
        g_trayCalls.clear();
        previous_ = SetTrayNotifySource(&RecordTrayCall);
        EngineTest::SetUp();
    }
    void TearDown() override {
        EngineTest::TearDown();
        SetTrayNotifySource(previous_);
    }

    void ExpectStatusIcon(const wchar_t* iconName, const wchar_t* hint) {
        ASSERT_NE(engine->Tray().Status(), nullptr);
        EXPECT_EQ(engine->Tray().Status()->IconName(), iconName);
        EXPECT_EQ(engine->Tray().Status()->Hint(), hint);
    }

    void SamplingStep() {
        Options->SetChartInterval(250);
        PumpMessages();
        engine->TimerTimer();
    }

    TrayNotifyFunc previous_ = nullptr;
};

TEST_F(EngineTrayTest, StatusIconShowsWhileAWorkerRunsBesideTheMemoryIcon) {
    ASSERT_NE(engine->Tray().Memory(), nullptr);
    EXPECT_EQ(engine->Tray().Status(), nullptr) << "monitoring needs no status icon beside the memory icon";
    StartWaitingWorker();
    ExpectStatusIcon(L"STATUSWORK", L"Korvix is working.");
    ::SendMessageW(engine->Handle(), WM_FREEUPIDLEWAIT, 5, 0);
    ExpectStatusIcon(L"STATUSIDLE", L"Korvix is waiting for idle time.");
    ::SendMessageW(engine->Handle(), WM_FREEUPPREWAIT, 1, 3);
    ExpectStatusIcon(L"STATUSIDLE", L"Korvix is waiting.");
    engine->StopFreeUp();
    ::SendMessageW(engine->Handle(), WM_FREEUPFINISHED, 0, 0);
    EXPECT_EQ(engine->Tray().Status(), nullptr) << "removed when the worker ends";
}

TEST_F(EngineTrayTest, WithoutAnyOtherIconTheStatusIconStays) {
    Options->SetMemoryIcon(false);
    PumpMessages();
    EXPECT_EQ(engine->Tray().Memory(), nullptr);
    ExpectStatusIcon(L"STATUSNORMAL", L"Korvix is monitoring your system.");
    Options->SetBackgroundActivity(false);
    PumpMessages();
    ExpectStatusIcon(L"STATUSOFF", L"Korvix");
    Options->SetMemoryIcon(true);
    Options->SetProgramIcon(true);
    PumpMessages();
    ExpectStatusIcon(L"STATUSOFF", L"Korvix");
    Options->SetProgramIcon(false);
    PumpMessages();
    EXPECT_EQ(engine->Tray().Status(), nullptr);
}

TEST_F(EngineTrayTest, MemoryAndProcessorIconsFollowTheDisplayOptions) {
    Options->SetMemoryIconStyle(3);
    Options->SetShowUsedMemory(false);
    Options->SetCPUMonitoring(true);
    Options->SetCPUIconStyle(1);
    PumpMessages();
    ASSERT_NE(engine->Tray().Memory(), nullptr);
    EXPECT_EQ(engine->Tray().Memory()->Style(), 3);
    EXPECT_TRUE(engine->Tray().Memory()->ShowFree());
    ASSERT_NE(engine->Tray().Cpu(), nullptr);
    EXPECT_EQ(engine->Tray().Cpu()->Style(), 1);

    Options->SetMemoryIcon(false);
    Options->SetCPUMonitoring(false);
    PumpMessages();
    EXPECT_EQ(engine->Tray().Memory(), nullptr);
    EXPECT_EQ(engine->Tray().Cpu(), nullptr);
}

TEST_F(EngineTrayTest, EachSamplingStepRedrawsTheMemoryAndProcessorIcons) {
    Options->SetMemoryIconStyle(2);
    Options->SetCPUMonitoring(true);
    fakes::Cpu::Set({0.64});
    fakes::Memory::availPhys = 100 * fakes::MB;
    SamplingStep();
    ASSERT_NE(engine->Tray().Memory(), nullptr);
    ASSERT_NE(engine->Tray().Cpu(), nullptr);
    EXPECT_EQ(engine->Tray().Memory()->Hint(), L"Memory usage: 924 MB from 1024 MB is used.");
    EXPECT_EQ(engine->Tray().Cpu()->Hint(), L"CPU usage: 64%");
    fakes::Memory::availPhys = 600 * fakes::MB;
    engine->TimerTimer();
    EXPECT_EQ(engine->Tray().Memory()->Hint(), L"Memory usage: 424 MB from 1024 MB is used.");
}

// Stands for a restarted shell's taskbar: the newest window of the class is the one found.
class TaskbarStandIn : public TWindowBase {
public:
    TaskbarStandIn() { CreateHandle({.className = L"Shell_TrayWnd", .style = WS_POPUP}); }
};

TEST_F(EngineTrayTest, ANewTaskbarGetsEveryIconAddedAgain) {
    Options->SetProgramIcon(true);
    SamplingStep();
    ASSERT_NE(engine->Tray().Status(), nullptr);
    HWND status = engine->Tray().Status()->WindowHandle();
    HWND memory = engine->Tray().Memory()->WindowHandle();

    g_trayCalls.clear();
    fakes::Memory::availPhys = fakes::Memory::availPhys / 2;  // a new picture for the memory icon
    engine->TimerTimer();
    EXPECT_EQ(CallsFor(status, NIM_ADD), 0) << "an unchanged taskbar leaves the status icon alone";
    EXPECT_EQ(CallsFor(memory, NIM_MODIFY), 1);
    g_trayCalls.clear();
    engine->TimerTimer();
    EXPECT_EQ(CallsFor(memory, NIM_MODIFY), 0) << "the same picture is not sent again";

    TaskbarStandIn taskbar;
    g_trayCalls.clear();
    engine->TimerTimer();
    EXPECT_EQ(engine->Tray().TrayWindow(), taskbar.Handle());
    EXPECT_EQ(CallsFor(status, NIM_DELETE), 1);
    EXPECT_EQ(CallsFor(status, NIM_ADD), 1);
    EXPECT_EQ(CallsFor(memory, NIM_ADD), 1);
}

TEST_F(EngineTrayTest, AfterTheFatalPathNoIconsAreCreated) {
    Options->SetProgramIcon(true);  // the status icon shows in every state
    PumpMessages();
    ASSERT_NE(engine->Tray().Memory(), nullptr);
    ASSERT_NE(engine->Tray().Status(), nullptr);
    // While the fatal box is open its message loop handles what is queued: the stopped
    // worker's end, a status change. None of it may bring an icon back.
    int addsWhileOpen = -1;
    fakes::Boxes::whileOpen = [&](const fakes::Box&) {
        const size_t before = g_trayCalls.size();
        ::PostMessageW(engine->Handle(), WM_FREEUPFINISHED, 0, 0);
        ::PostMessageW(engine->Handle(), WM_FREEUPPROGRESS, 50, 0);
        ::PostMessageW(engine->Handle(), WM_OPTIONSCHANGED, ocAll, 0);
        PumpMessages();
        addsWhileOpen =
            static_cast<int>(std::count_if(g_trayCalls.begin() + static_cast<std::ptrdiff_t>(before), g_trayCalls.end(),
                                           [](const TrayCall& c) { return c.message == NIM_ADD; }));
    };
    fakes::Release::failWith = 5;
    engine->StartFreeUp({.SizeMB = 4, .Passes = 1});
    ASSERT_TRUE(PumpUntil([&] { return !fakes::Boxes::shown.empty(); }));
    EXPECT_EQ(addsWhileOpen, 0);
    EXPECT_EQ(engine->Tray().Memory(), nullptr);
    EXPECT_EQ(engine->Tray().Status(), nullptr);
    Options->SetCPUMonitoring(true);
    ::PostMessageW(engine->Handle(), WM_OPTIONSCHANGED, ocAll, 0);
    PumpMessages();
    EXPECT_EQ(engine->Tray().Cpu(), nullptr);
    EXPECT_EQ(engine->Tray().Memory(), nullptr);
    EXPECT_EQ(engine->Tray().Status(), nullptr);
}

// The display scale as the tray reports it: the small-icon size the test sets.
int g_traySize = 16;
int TestTraySize() { return g_traySize; }

class EngineTrayScaleTest : public EngineTrayTest {
protected:
    void SetUp() override {
        g_traySize = 16;
        previousSize_ = SetTrayIconSizeSource(&TestTraySize);
        EngineTrayTest::SetUp();
    }
    void TearDown() override {
        EngineTrayTest::TearDown();
        SetTrayIconSizeSource(previousSize_);
    }
    TrayIconSizeFunc previousSize_ = nullptr;
};

TEST_F(EngineTrayScaleTest, IconsFollowAChangeOfDisplayScale) {
    Options->SetProgramIcon(true);
    PumpMessages();
    ASSERT_NE(engine->Tray().Status(), nullptr);
    EXPECT_EQ(engine->Tray().Memory()->IconSize(), 16);

    g_traySize = 32;
    ::SendMessageW(engine->Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), 0);
    EXPECT_EQ(engine->Tray().Memory()->IconSize(), 32);
    EXPECT_EQ(engine->Tray().Status()->IconSize(), 32);
    // An icon created afterwards starts at the new size.
    Options->SetCPUMonitoring(true);
    PumpMessages();
    ASSERT_NE(engine->Tray().Cpu(), nullptr);
    EXPECT_EQ(engine->Tray().Cpu()->IconSize(), 32);

    g_traySize = 24;
    ::SendMessageW(engine->Handle(), WM_SETTINGCHANGE, SPI_SETICONMETRICS, 0);
    EXPECT_EQ(engine->Tray().Cpu()->IconSize(), 24);

    // A restarted shell at yet another scale gets the icons added anew at its size.
    g_traySize = 48;
    HWND memory = engine->Tray().Memory()->WindowHandle();
    g_trayCalls.clear();
    ::SendMessageW(engine->Handle(), TaskbarCreatedMessage(), 0, 0);
    EXPECT_EQ(engine->Tray().Memory()->IconSize(), 48);
    EXPECT_EQ(CallsFor(memory, NIM_ADD), 1);
}

}  // namespace
