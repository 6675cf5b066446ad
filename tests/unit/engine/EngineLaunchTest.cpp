// The Free-and-Run launch: the splash, the free-up before the program, the program started
// by the shell at the end of that free-up and not before, and nothing started when the
// program ends while a launch is pending.
#include "EngineFixture.h"
#include "engine/fFARLaunch.h"
#include "framework/uException.h"
#include "framework/uShell.h"

namespace {

class EngineLaunchTest : public EngineTest {
protected:
    // Dispatches one message at a time until the launch is over, collecting every line the
    // splash shows.
    std::vector<std::wstring> RunLaunch() {
        std::vector<std::wstring> lines{engine->LaunchSplash()->StatusText()};
        const DWORD start = ::GetTickCount();
        while (engine->LaunchSplash() && ::GetTickCount() - start < 20000) {
            MSG msg;
            if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::Sleep(1);
                continue;
            }
            ::DispatchMessageW(&msg);
            if (engine->LaunchSplash() && engine->LaunchSplash()->StatusText() != lines.back())
                lines.push_back(engine->LaunchSplash()->StatusText());
        }
        return lines;
    }
    const std::wstring kProgram = L"C:\\korvix-missing\\Word Processor.lnk";
};

TEST_F(EngineLaunchTest, TheSplashCountsTheFreeUpAndThenTheProgramStarts) {
    TFreeAndRunItem& entry = AddEntry(kProgram, T - 4);
    TFreeAndRunItem& second = AddEntry(L"C:\\other.exe", T - 8);
    engine->StartFreeAndRun(entry);
    TfrmFARLaunch* splash = engine->LaunchSplash();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->Visible());
    EXPECT_EQ(splash->LaunchingText(), L"Launching Word Processor");
    ASSERT_NE(engine->Worker(), nullptr);
    EXPECT_EQ(engine->Worker()->BlockSize, 4 * 1048576);
    EXPECT_EQ(engine->Worker()->Passes, 2);

    // A second entry while the first is pending is refused (nothing is pumped in between,
    // so the first launch is still pending however fast its worker is).
    const TFreeThread* worker = engine->Worker();
    engine->StartFreeAndRun(second);
    EXPECT_EQ(engine->Worker(), worker);
    EXPECT_EQ(engine->LaunchSplash(), splash);
    EXPECT_TRUE(fakes::Shell::opened.empty()) << "nothing starts before the free-up has ended";

    std::vector<std::wstring> lines = RunLaunch();
    ASSERT_EQ(engine->LaunchSplash(), nullptr);
    EXPECT_EQ(lines.front(), L"Free-up: 0%");
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"Free-up: 100%"), lines.end());
    EXPECT_EQ(Application.FindForm<TfrmFARLaunch>(), nullptr);  // the splash is gone
    EXPECT_EQ(engine->Worker(), nullptr);
    EXPECT_EQ(fakes::Shell::opened, std::vector<std::wstring>{kProgram});
}

TEST_F(EngineLaunchTest, AnAmountNoWorkerTakesStartsTheProgramAtOnce) {
    TFreeAndRunItem& entry = AddEntry(L"C:\\korvix-missing\\tool.exe", T);  // frees 0 MB
    engine->StartFreeAndRun(entry);
    EXPECT_EQ(engine->Worker(), nullptr);
    EXPECT_EQ(engine->LaunchSplash(), nullptr);  // never left pending
    EXPECT_EQ(Application.FindForm<TfrmFARLaunch>(), nullptr);
    EXPECT_EQ(fakes::Shell::opened, std::vector<std::wstring>{L"C:\\korvix-missing\\tool.exe"});
}

TEST_F(EngineLaunchTest, AFreeAndRunMenuItemLaunchesItsEntryAndAStaleOneDoesNothing) {
    TFreeAndRunItem& entry = AddEntry(L"C:\\korvix-missing\\tool.exe", T - 4);
    TMenuItem* parent = engine->IconMenu.Items.Find(L"FreeandRun1");
    ASSERT_EQ(parent->Count(), 3);  // manager item, separator, the entry
    TMenuItem& item = parent->Items(2);
    EXPECT_EQ(item.Tag, entry.ID);
    std::unique_ptr<TFreeAndRunItem> removed = Options->FreeAndRunList().Remove(&entry);
    item.OnClick(item);  // the entry is gone: nothing happens
    EXPECT_EQ(engine->LaunchSplash(), nullptr);
    Options->FreeAndRunList().Add(std::move(removed));
    item.OnClick(item);
    EXPECT_NE(engine->LaunchSplash(), nullptr);
    EXPECT_TRUE(PumpUntil([&] { return engine->LaunchSplash() == nullptr; }));
}

// Choosing an entry while a regular free-up waits for idle time stops that free-up and
// begins the launch at once.
TEST_F(EngineLaunchTest, AnEntryChosenWhileARegularFreeUpWaitsForIdleTimeReplacesIt) {
    TFreeAndRunItem& entry = AddEntry(kProgram, T - 4);
    fakes::Cpu::Set({1.0});
    fakes::Clock::now = Options->NextRegular();
    engine->TimerTimer();
    ASSERT_TRUE(PumpUntil([&] { return engine->State() == TEngineState::WaitingForIdle; }));
    const DWORD regular = engine->Worker()->ThreadID();
    engine->StartFreeAndRun(entry);
    ASSERT_NE(engine->Worker(), nullptr);
    EXPECT_NE(engine->Worker()->ThreadID(), regular);
    EXPECT_FALSE(engine->Worker()->WaitForIdle);
    EXPECT_TRUE(fakes::Shell::opened.empty()) << "the regular free-up's end is not the launch's";
    RunLaunch();
    EXPECT_EQ(fakes::Shell::opened, std::vector<std::wstring>{kProgram});
}

// The dispatch inside StartFreeAndRun may run a queued hotkey (or a timer tick) that starts
// a free-up of its own. Its end, handled when the launch's free-up replaces it, must not
// start the program: only the end of the free-up started for the launch does.
TEST_F(EngineLaunchTest, TheProgramWaitsForTheLaunchsOwnFreeUp) {
    TFreeAndRunItem& entry = AddEntry(kProgram, T - 4);
    ::PostMessageW(engine->Handle(), WM_HOTKEY, 1, 0);
    engine->StartFreeAndRun(entry);
    ASSERT_NE(engine->LaunchSplash(), nullptr);
    ASSERT_NE(engine->Worker(), nullptr);
    EXPECT_EQ(engine->Worker()->BlockSize, 4 * 1048576) << "the launch's own free-up runs";
    EXPECT_TRUE(fakes::Shell::opened.empty()) << "started before its own free-up";
    RunLaunch();
    EXPECT_EQ(fakes::Shell::opened, std::vector<std::wstring>{kProgram});
}

// A preset chosen while the launch's free-up runs replaces that free-up; its end is the
// launch's end, which starts the program early.
TEST_F(EngineLaunchTest, APresetReplacingTheLaunchsFreeUpEndsTheLaunchEarly) {
    TFreeAndRunItem& entry = AddEntry(kProgram, T - 4);
    engine->StartFreeAndRun(entry);
    engine->ManualFreeUp(Options->Amount3());
    EXPECT_EQ(engine->LaunchSplash(), nullptr);
    EXPECT_EQ(fakes::Shell::opened, std::vector<std::wstring>{kProgram});
    EXPECT_EQ(engine->Worker()->BlockSize, 12 * 1048576);
    EXPECT_TRUE(PumpUntilIdle());
}

// The program ends as the real one does: the application frees its forms newest first, so
// the splash goes before the engine, whose destruction then stops the worker and handles
// its end. A pending launch is cancelled: nothing starts, no freed splash is touched.
TEST_F(EngineLaunchTest, QuittingWhileALaunchIsPendingStartsNothing) {
    TFreeAndRunItem& entry = AddEntry(kProgram, T - 4);
    fakes::Memory::availPhys = 0;  // both passes
    engine->StartFreeAndRun(entry);
    ASSERT_NE(engine->LaunchSplash(), nullptr);
    ASSERT_EQ(Application.Forms().back(), engine->LaunchSplash()) << "the splash is the newest form";
    Application.Shutdown();
    PumpMessages();
    EXPECT_TRUE(fakes::Shell::opened.empty());
    EXPECT_EQ(EngineWindow, nullptr) << "the engine went too";
}

TEST_F(EngineLaunchTest, ClosingTheEngineCancelsAPendingLaunch) {
    TFreeAndRunItem& entry = AddEntry(kProgram, T - 4);
    engine->StartFreeAndRun(entry);
    ASSERT_NE(engine->LaunchSplash(), nullptr);
    engine->Close();
    EXPECT_EQ(engine->LaunchSplash(), nullptr);
    EXPECT_EQ(Application.FindForm<TfrmFARLaunch>(), nullptr);
    PumpUntilIdle();
    EXPECT_TRUE(fakes::Shell::opened.empty());
}

// The shell may run a message loop of its own while it starts the program (a security
// prompt, a slow network path): by then the launch is over and the splash gone, so nothing
// in that loop can run the launch twice or use a freed splash.
TEST_F(EngineLaunchTest, TheLaunchIsOverBeforeTheShellIsCalledAndRunsInTheProgramsFolder) {
    TFreeAndRunItem& entry = AddEntry(L"C:\\Tools\\editor.exe", T - 4);
    bool splashGone = false, launchOver = false;
    fakes::Shell::whileOpening = [&] {
        splashGone = Application.FindForm<TfrmFARLaunch>() == nullptr;
        launchOver = engine->LaunchSplash() == nullptr;
        engine->RunPendingProgram();  // what a nested end message would do
        PumpMessages();
    };
    engine->StartFreeAndRun(entry);
    RunLaunch();
    EXPECT_TRUE(splashGone);
    EXPECT_TRUE(launchOver);
    EXPECT_EQ(fakes::Shell::opened, std::vector<std::wstring>{L"C:\\Tools\\editor.exe"}) << "started once";
    EXPECT_EQ(fakes::Shell::folders, std::vector<std::wstring>{L"C:\\Tools"});
    EXPECT_TRUE(fakes::Boxes::shown.empty());
}

TEST_F(EngineLaunchTest, AProgramThatCannotStartIsToldWithTheSystemsOwnText) {
    fakes::Shell::result = ERROR_FILE_NOT_FOUND;
    TFreeAndRunItem& entry = AddEntry(kProgram, T - 4);
    engine->StartFreeAndRun(entry);
    RunLaunch();
    ASSERT_EQ(fakes::Boxes::shown.size(), 1u);
    const fakes::Box& box = fakes::Boxes::shown[0];
    EXPECT_EQ(box.text,
              L"Korvix Professional could not start this program:\r\n" + kProgram + L"\r\n" + SystemErrorText(2));
    EXPECT_NE(SystemErrorText(2), L"System error 2") << "the system's own words";
    EXPECT_EQ(box.caption, L"Korvix Professional");
    EXPECT_EQ(box.type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(engine->LaunchSplash(), nullptr);
}

// A path without its folder would run whatever file of that name the current folder holds.
TEST_F(EngineLaunchTest, AStoredPathWithoutItsFolderIsNotFoundAndNothingRuns) {
    for (const wchar_t* path :
         {L"editor.exe", L"tools\\editor.exe", L"tools/editor.exe", L"C:editor.exe", L"\\tools\\editor.exe"}) {
        fakes::Boxes::shown.clear();
        engine->StartFreeAndRun(AddEntry(path, T - 4));
        RunLaunch();
        EXPECT_TRUE(fakes::Shell::opened.empty()) << path;
        ASSERT_EQ(fakes::Boxes::shown.size(), 1u) << path;
        EXPECT_EQ(fakes::Boxes::shown[0].text, L"Korvix Professional could not start this program:\r\n" +
                                                   std::wstring(path) + L"\r\n" + SystemErrorText(2));
    }
}

TEST_F(EngineLaunchTest, APathHoldingPlaceholdersIsToldAsItIs) {
    fakes::Shell::result = ERROR_FILE_NOT_FOUND;
    const std::wstring path = L"C:\\50%2off\\%1.exe";
    engine->StartFreeAndRun(AddEntry(path, T - 4));
    RunLaunch();
    ASSERT_EQ(fakes::Boxes::shown.size(), 1u);
    EXPECT_EQ(fakes::Boxes::shown[0].text,
              L"Korvix Professional could not start this program:\r\n" + path + L"\r\n" + SystemErrorText(2));
}

}  // namespace
