// The engine as the rest of the program and other copies meet it: the activate message's
// two-second rule, the hotkeys and their release around the hotkey dialog, the Free-and-Run
// launch with its splash, the save at logoff, and the tray menu built at creation.
#include "EngineFixture.h"
#include "engine/fFARLaunch.h"
#include "settings/uFreeAndRunList.h"

namespace {

class EngineShellTest : public EngineTest {
protected:
    TFreeAndRunItem& AddEntry(const std::wstring& file, int32_t position) {
        auto item = std::make_unique<TFreeAndRunItem>();
        item->FileToRun = file;
        item->MBToFree = position;
        TFreeAndRunItem& entry = *item;
        Options->AddFreeAndRun(std::move(item));
        PumpMessages();
        return entry;
    }
    // A file the launch can start: the test program itself, through the shell, with a
    // flag that makes it return at once.
    static std::wstring Marker() { return ProgramFolder() + L"korvix-launch-marker.txt"; }
};

TEST_F(EngineShellTest, ActivateAnswersNoMainWindowBeforeAndAfterTheFirstTwoSeconds) {
    EXPECT_EQ(::SendMessageW(engine->Handle(), WM_ENGINEACTIVATE, 0, 0), 0);
    fakes::Clock::now = fakes::Clock::now + 3.0 / 86400.0;
    EXPECT_EQ(::SendMessageW(engine->Handle(), WM_ENGINEACTIVATE, 0, 0), 0);
}

TEST_F(EngineShellTest, HotkeysAreRegisteredAtCreationReleasedAndRestoredOnRequest) {
    EXPECT_EQ(engine->Hotkeys().Values, (std::array<int32_t, 3>{49220, 49222, 49223}));
    ::SendMessageW(engine->Handle(), WM_HOTKEYSRELEASE, 0, 0);
    EXPECT_EQ(engine->Hotkeys().Ids, (std::array<int32_t, 3>{-1, -1, -1}));
    // While released another window may take the key: this is what the hotkey dialog relies on.
    MessageRecorder other;
    ASSERT_TRUE(::RegisterHotKey(other.Handle(), 1, MOD_CONTROL | MOD_ALT, 'D'));
    ::UnregisterHotKey(other.Handle(), 1);
    ::SendMessageW(engine->Handle(), WM_HOTKEYSRESTORE, 0, 0);
    EXPECT_EQ(engine->Hotkeys().Values, (std::array<int32_t, 3>{49220, 49222, 49223}));
    Options->SetHotkey2(0x4000 | 'K');
    PumpMessages();
    EXPECT_EQ(engine->Hotkeys().Values[1], 0x4000 | 'K');
    EXPECT_EQ(engine->IconMenu.Items.Find(L"Freeup21")->ShortCutText, L"Ctrl+K");
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

TEST_F(EngineShellTest, FreeAndRunShowsTheSplashFreesUpAndThenStartsTheProgram) {
    TFreeAndRunItem& entry = AddEntry(L"C:\\korvix-missing\\Word Processor.lnk", T - 4);
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

    // One message at a time, so every line the splash shows is seen.
    std::vector<std::wstring> lines{splash->StatusText()};
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
    ASSERT_EQ(engine->LaunchSplash(), nullptr);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), L"Free-up: 0%");
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"Free-up: 100%"), lines.end());
    EXPECT_EQ(Application.FindForm<TfrmFARLaunch>(), nullptr);  // the splash is gone
    EXPECT_EQ(engine->Worker(), nullptr);
}

TEST_F(EngineShellTest, AnAmountNoWorkerTakesStartsTheProgramAtOnce) {
    TFreeAndRunItem& entry = AddEntry(L"C:\\korvix-missing\\tool.exe", T);  // frees 0 MB
    engine->StartFreeAndRun(entry);
    EXPECT_EQ(engine->Worker(), nullptr);
    EXPECT_EQ(engine->LaunchSplash(), nullptr);  // never left pending
    EXPECT_EQ(Application.FindForm<TfrmFARLaunch>(), nullptr);
}

TEST_F(EngineShellTest, AFreeAndRunMenuItemLaunchesItsEntryAndAStaleOneDoesNothing) {
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
    ASSERT_NE(engine->MemoryTrayIcon(), nullptr);
    EXPECT_EQ(engine->MemoryTrayIcon()->Style(), 3);
}

}  // namespace
