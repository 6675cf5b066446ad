// The engine as the rest of the program, the shell and other copies meet it: the activate
// message's two-second rule, the main window requests, the hotkeys and their release around
// the hotkey dialog, the saves at logoff and close, the taskbar button, and the tray menu.
#include <atomic>
#include <thread>
#include "EngineFixture.h"
#include "framework/uOwnMessages.h"

namespace {

class EngineShellTest : public EngineTest {};

// Within its first two seconds the engine opens no main window for a second copy; it answers
// the main window's handle either way.
TEST_F(EngineShellTest, ActivateOpensTheMainWindowOnlyAfterTheFirstTwoSecondsAndAnswersIt) {
    EXPECT_EQ(::SendMessageW(engine->Handle(), WM_ENGINEACTIVATE, 0, 0), 0);
    EXPECT_EQ(windows.mainWindowRequests, 0);
    fakes::Clock::now = fakes::Clock::now + 2.5 / 86400.0;
    LRESULT answer = ::SendMessageW(engine->Handle(), WM_ENGINEACTIVATE, 0, 0);
    EXPECT_EQ(windows.mainWindowRequests, 1);
    ASSERT_NE(windows.FindMainWindow(), nullptr);
    EXPECT_EQ(answer, reinterpret_cast<LRESULT>(windows.FindMainWindow()));
    EXPECT_EQ(windows.statusLines.back(), L"monitoring") << "the opened main window gets the status line";
}

TEST_F(EngineShellTest, TheMainWindowsRequestsComeFromTheMenuAndADoubleClick) {
    TMenuItem* show = engine->IconMenu.Items.Find(L"ShowKorvix1");
    show->OnClick(*show);
    EXPECT_EQ(windows.mainWindowRequests, 1);
    ASSERT_NE(engine->Tray().Memory(), nullptr);
    ::SendMessageW(engine->Tray().Memory()->WindowHandle(), WM_TRAYICONCALLBACK, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(windows.mainWindowRequests, 2);
    TMenuItem* manage = engine->IconMenu.Items.Find(L"mnuEditEntries");
    manage->OnClick(*manage);
    EXPECT_EQ(windows.freeAndRunDialogs, 1);
}

// Closing the program's taskbar button closes the main window; the program stays in the tray.
TEST_F(EngineShellTest, TheTaskbarButtonsCloseClosesTheMainWindowOnly) {
    windows.ShowMainWindow();
    ::PostMessageW(Application.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Application.ProcessMessages();
    ASSERT_TRUE(windows.mainWindow);
    Application.ProcessMessages();
    EXPECT_EQ(windows.mainWindow->closeRequests, 1);
    EXPECT_TRUE(::IsWindow(engine->Handle()));
    EXPECT_FALSE(Application.Terminated());
}

TEST_F(EngineShellTest, HotkeysAreRegisteredAtCreationReleasedAndRestoredOnRequest) {
    EXPECT_EQ(engine->Hotkeys().Values, (std::array<int32_t, 3>{49220, 49222, 49223}));
    ::SendMessageW(engine->Handle(), WM_HOTKEYSRELEASE, 0, OwnMessageKey());
    EXPECT_EQ(engine->Hotkeys().Ids, (std::array<int32_t, 3>{-1, -1, -1}));
    // While released another window may take the key: this is what the hotkey dialog relies on.
    MessageRecorder other;
    ASSERT_TRUE(::RegisterHotKey(other.Handle(), 1, MOD_CONTROL | MOD_ALT, 'D'));
    ::UnregisterHotKey(other.Handle(), 1);
    ::SendMessageW(engine->Handle(), WM_HOTKEYSRESTORE, 0, OwnMessageKey());
    EXPECT_EQ(engine->Hotkeys().Values, (std::array<int32_t, 3>{49220, 49222, 49223}));
    Options->SetHotkey2(0x4000 | 'K');
    PumpMessages();
    EXPECT_EQ(engine->Hotkeys().Values[1], 0x4000 | 'K');
    EXPECT_EQ(engine->IconMenu.Items.Find(L"Freeup21")->ShortCutText, L"Ctrl+K");
}

// Only the main window of this program lends the hotkeys: a release posted by anyone, or
// sent from another thread (as another process's would be), leaves them registered, and a
// restore of that kind does not take them back from the dialog.
TEST_F(EngineShellTest, HotkeysAreLentOnlyToThisThreadsOwnRequests) {
    auto sendFromAnotherThread = [&](UINT msg) {
        std::atomic<bool> done{false};
        std::thread other([&] {
            ::SendMessageW(engine->Handle(), msg, 0, OwnMessageKey());
            done = true;
        });
        EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
        other.join();
    };
    const std::array<int32_t, 3> registered{1, 2, 3}, released{-1, -1, -1};
    ::PostMessageW(engine->Handle(), WM_HOTKEYSRELEASE, 0, 0);
    PumpMessages();
    ::SendMessageW(engine->Handle(), WM_HOTKEYSRELEASE, 0, OwnMessageKey() ^ 1);
    sendFromAnotherThread(WM_HOTKEYSRELEASE);
    EXPECT_EQ(engine->Hotkeys().Ids, registered);

    ::SendMessageW(engine->Handle(), WM_HOTKEYSRELEASE, 0, OwnMessageKey());
    ASSERT_EQ(engine->Hotkeys().Ids, released);
    ::PostMessageW(engine->Handle(), WM_HOTKEYSRESTORE, 0, 0);
    PumpMessages();
    sendFromAnotherThread(WM_HOTKEYSRESTORE);
    EXPECT_EQ(engine->Hotkeys().Ids, released) << "the dialog keeps the keys";
    ::SendMessageW(engine->Handle(), WM_HOTKEYSRESTORE, 0, OwnMessageKey());
    EXPECT_EQ(engine->Hotkeys().Ids, registered);
}

// While the hotkey dialog is open, options still change (a style chosen in the tray menu, the
// regular free-up moved on): the released keys must stay free for the dialog until it closes.
TEST_F(EngineShellTest, ReleasedHotkeysStayFreeThroughOptionChangesUntilRestored) {
    ::SendMessageW(engine->Handle(), WM_HOTKEYSRELEASE, 0, OwnMessageKey());
    Options->SetMemoryIconStyle(3);
    Options->SetHotkey2(0x4000 | 'K');
    PumpMessages();
    EXPECT_EQ(engine->Hotkeys().Ids, (std::array<int32_t, 3>{-1, -1, -1}));
    MessageRecorder other;
    EXPECT_TRUE(::RegisterHotKey(other.Handle(), 1, MOD_CONTROL | MOD_ALT, 'D')) << "taken back while released";
    ::UnregisterHotKey(other.Handle(), 1);

    ::SendMessageW(engine->Handle(), WM_HOTKEYSRESTORE, 0, OwnMessageKey());
    EXPECT_EQ(engine->Hotkeys().Values, (std::array<int32_t, 3>{49220, 0x4000 | 'K', 49223}));
    EXPECT_EQ(engine->Hotkeys().Ids, (std::array<int32_t, 3>{1, 2, 3}));
}

// A hotkey is taken from every program on the desktop: only combinations nobody types are
// registered. A refused one stays free for others.
TEST_F(EngineShellTest, OnlyCtrlOrAltCombinationsOrShiftWithAFunctionKeyAreTaken) {
    struct Row {
        int32_t value;
        bool taken;
    };
    const Row rows[] = {{'A', false},
                        {0x2000 | 'A', false},
                        {VK_F5, false},
                        {0x2000 | VK_F5, true},
                        {0x4000 | 'K', true},
                        {0x8000 | 'K', true},
                        {0xC000 | VK_CONTROL, false},
                        {0xC000, false},
                        {0x6000 | VK_F12, true}};
    for (const Row& row : rows) {
        Options->SetHotkey1(row.value);
        PumpMessages();
        EXPECT_EQ(engine->Hotkeys().Ids[0] == 1, row.taken) << std::hex << row.value;
        if (row.taken || HotkeyVirtualKey(row.value) == 0) continue;
        MessageRecorder other;
        EXPECT_TRUE(::RegisterHotKey(other.Handle(), 1, HotkeyModifiers(row.value), HotkeyVirtualKey(row.value)))
            << "taken from the desktop: " << std::hex << row.value;
        ::UnregisterHotKey(other.Handle(), 1);
    }
}

TEST_F(EngineShellTest, AHotkeyStartsItsPresetAtOnceAndOtherIdsAreIgnored) {
    StartWaitingWorker();
    const TFreeThread* waiting = engine->Worker();
    ::SendMessageW(engine->Handle(), WM_HOTKEY, 7, 0);
    EXPECT_EQ(engine->Worker(), waiting);
    ::SendMessageW(engine->Handle(), WM_HOTKEY, 3, 0);
    ASSERT_NE(engine->Worker(), nullptr);
    EXPECT_EQ(engine->Worker()->BlockSize, 12 * 1048576);  // preset 3 frees T - (T - 12) MB
    EXPECT_FALSE(engine->Worker()->WaitForIdle);
    EXPECT_TRUE(PumpUntilIdle());
}

TEST_F(EngineShellTest, LogoffSavesTheOptions) {
    Options->SetMemoryIconStyle(3);
    EXPECT_NE(ReadRegInteger(OptionsKey, L"MemoryIconStyle", 0), 3);
    EXPECT_TRUE(::SendMessageW(engine->Handle(), WM_QUERYENDSESSION, 0, 0));
    ::SendMessageW(engine->Handle(), WM_ENDSESSION, FALSE, 0);  // a cancelled logoff saves nothing
    EXPECT_NE(ReadRegInteger(OptionsKey, L"MemoryIconStyle", 0), 3);
    ::SendMessageW(engine->Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(ReadRegInteger(OptionsKey, L"MemoryIconStyle", 0), 3);
}

// At logoff a running free-up stops before the save, and a pending launch starts nothing.
TEST_F(EngineShellTest, LogoffStopsTheFreeUpAndThePendingLaunchThenSaves) {
    StartWaitingWorker();
    Options->SetMemoryIconStyle(3);
    ::SendMessageW(engine->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(engine->Worker(), nullptr);
    EXPECT_EQ(ReadRegInteger(OptionsKey, L"MemoryIconStyle", 0), 3);
    EXPECT_FALSE(engine->Closed()) << "a logoff ends the process itself";

    TFreeAndRunItem& entry = AddEntry(L"C:\\Tools\\editor.exe", T - 4);
    fakes::Cpu::Set({1.0});
    engine->StartFreeAndRun(entry);
    ASSERT_NE(engine->LaunchSplash(), nullptr);
    ::SendMessageW(engine->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    PumpMessages();
    EXPECT_EQ(engine->LaunchSplash(), nullptr);
    EXPECT_TRUE(fakes::Shell::opened.empty());
}

// The restart manager (an installer replacing the program) asks it to close: it saves and ends.
TEST_F(EngineShellTest, TheRestartManagersCloseRequestSavesAndEndsTheProgram) {
    LaunchFormStandIn launchForm;
    LaunchWindow = launchForm.Handle();
    StartWaitingWorker();
    Options->SetMemoryIconStyle(3);
    EXPECT_TRUE(::SendMessageW(engine->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP));
    ::SendMessageW(engine->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    PumpMessages();
    LaunchWindow = nullptr;
    EXPECT_EQ(engine->Worker(), nullptr);
    EXPECT_EQ(ReadRegInteger(OptionsKey, L"MemoryIconStyle", 0), 3);
    EXPECT_TRUE(engine->Closed());
    EXPECT_EQ(launchForm.Closes, 1);
}

// A key under a volatile key cannot be created as a lasting one: every save fails.
void MakeSavesFail(bool fail) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tarvendel");
    if (!fail) return;
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Tarvendel", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr);
    ::RegCloseKey(key);
}

TEST_F(EngineShellTest, ASaveThatFailsIsToldOnceWithItsText) {
    MakeSavesFail(true);
    ::SendMessageW(engine->Handle(), WM_ENDSESSION, TRUE, 0);
    engine->Close();
    FinalizeOptions();  // the final save at the end of the program
    MakeSavesFail(false);
    InitializeOptions();
    ASSERT_EQ(fakes::Boxes::shown.size(), 1u) << "told once, not at every save";
    EXPECT_EQ(fakes::Boxes::shown[0].text,
              L"Your settings could not be saved.\r\nCannot create Key: " + std::wstring(OptionsKey));
    EXPECT_EQ(fakes::Boxes::shown[0].caption, L"Korvix Professional");
    EXPECT_EQ(fakes::Boxes::shown[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(EngineShellTest, TheTrayMenuFollowsTheOptionsFromTheFirstAnnouncement) {
    TMenuItem* numeric = engine->IconMenu.Items.Find(L"Numeric1");
    ASSERT_NE(numeric, nullptr);
    EXPECT_TRUE(numeric->Checked);  // defaults: memory icon as a number
    EXPECT_EQ(engine->IconMenu.Items.Find(L"Freeup11")->Caption, L"Free up 4 MB");
    TMenuItem* bar = engine->IconMenu.Items.Find(L"Bar1");
    bar->OnClick(*bar);
    PumpMessages();
    EXPECT_TRUE(bar->Checked);
    EXPECT_FALSE(numeric->Checked);
    ASSERT_NE(engine->Tray().Memory(), nullptr);
    EXPECT_EQ(engine->Tray().Memory()->Style(), 3);
}

}  // namespace
