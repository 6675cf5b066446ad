#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include "engine/uHotkeys.h"
#include "engine/uTrayMenu.h"
#include "foundation/Fixtures.h"
#include "probes/jovCPUUsage.h"
#include "support/TestSupport.h"

namespace {
class TrayMenuTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        InitializeCPUUsage();
        options_ = std::make_unique<TKorvixOptions>();
        actions_.FreeUpPreset = [this](int preset) { presets_.push_back(preset); };
        actions_.FreeAndRun = [this](int32_t id) { entries_.push_back(id); };
        CreateIconMenu(menu_, *options_, actions_);
        Refresh(ocAll);
    }
    void TearDown() override {
        options_.reset();
        MachineTest::TearDown();
    }
    void Refresh(uint32_t flags) { RefreshIconMenu(menu_, *options_, flags, actions_); }
    TMenuItem& Item(const wchar_t* name) { return *menu_.Items.Find(name); }
    void Click(const wchar_t* name) { Item(name).OnClick(Item(name)); }
    std::vector<std::wstring> Captions(TMenuItem& parent) {
        std::vector<std::wstring> out;
        for (int i = 0; i < parent.Count(); ++i) {
            if (parent.Items(i).Visible) out.push_back(parent.Items(i).Caption);
        }
        return out;
    }

    std::unique_ptr<TKorvixOptions> options_;
    TPopupMenu menu_;
    TTrayMenuActions actions_;
    std::vector<int> presets_;
    std::vector<int32_t> entries_;
};
}  // namespace

TEST_F(TrayMenuTest, ItemsInOrderWithTheirCaptions) {
    EXPECT_EQ(
        Captions(menu_.Items),
        (std::vector<std::wstring>{L"&Show Korvix Professional", L"-", L"Free and Run", L"-", L"Background activity",
                                   L"-", L"S&tatus", L"&Memory Monitor", L"&CPU Monitor", L"-", L"Free up 256 MB",
                                   L"Free up 308 MB", L"Free up 410 MB", L"-", L"&Exit Korvix Professional"}));
    EXPECT_TRUE(Item(L"ShowKorvix1").Default);
    EXPECT_EQ(Captions(Item(L"MemoryMonitor1")), (std::vector<std::wstring>{L"Chart", L"Number", L"Bar", L"Off"}));
    EXPECT_EQ(Item(L"Freeup11").ShortCutText, L"Ctrl+Alt+D");
    EXPECT_EQ(Item(L"Freeup31").ShortCutText, L"Ctrl+Alt+G");
    // An empty list shows the manager item alone, without the separator.
    EXPECT_EQ(Captions(Item(L"FreeandRun1")), (std::vector<std::wstring>{L"Manage entries..."}));
}

TEST_F(TrayMenuTest, ChoosingBarSwitchesTheMemoryIconOnAndMovesTheCheck) {
    options_->SetMemoryIcon(false);
    Refresh(ocDisplay);
    EXPECT_TRUE(Item(L"Off1").Checked);
    Click(L"Bar1");
    EXPECT_TRUE(options_->MemoryIcon());
    EXPECT_EQ(options_->MemoryIconStyle(), 3);
    Refresh(ocDisplay);
    EXPECT_TRUE(Item(L"Bar1").Checked);
    EXPECT_FALSE(Item(L"Off1").Checked);
    EXPECT_FALSE(Item(L"Numeric1").Checked);
}

TEST_F(TrayMenuTest, CpuMonitorItemsSwitchSamplingAndStatusNeedsAnIcon) {
    Click(L"Chart2");
    EXPECT_TRUE(options_->CPUMonitoring());
    EXPECT_EQ(options_->CPUIconStyle(), 1);
    Refresh(ocDisplay);
    EXPECT_TRUE(Item(L"Chart2").Checked);
    Click(L"Off2");
    options_->SetMemoryIcon(false);
    Refresh(ocDisplay);
    EXPECT_TRUE(Item(L"Off2").Checked);
    EXPECT_FALSE(Item(L"Status1").Enabled);
    Click(L"Status1");
    Click(L"Backgroundactivity1");
    Refresh(ocDisplay);
    EXPECT_TRUE(Item(L"Status1").Checked);
    EXPECT_FALSE(Item(L"Backgroundactivity1").Checked);
}

TEST_F(TrayMenuTest, PresetCaptionsFollowAmountsWithoutRebuildingTheFreeAndRunSubmenu) {
    auto item = std::make_unique<TFreeAndRunItem>();
    item->FileToRun = L"C:\\Links\\Word Processor.lnk";
    const int32_t id = item->ID;
    options_->AddFreeAndRun(std::move(item));
    Refresh(ocFreeAndRun);
    TMenuItem& parent = Item(L"FreeandRun1");
    ASSERT_EQ(Captions(parent), (std::vector<std::wstring>{L"Manage entries...", L"-", L"Word Processor"}));
    TMenuItem* entry = &parent.Items(2);
    EXPECT_EQ(entry->Tag, id);

    options_->SetAmount2(12);
    Refresh(ocManual);
    EXPECT_EQ(Item(L"Freeup21").Caption, L"Free up 500 MB");
    EXPECT_EQ(&parent.Items(2), entry);  // same item: not rebuilt

    entry->OnClick(*entry);
    Click(L"Freeup31");
    EXPECT_EQ(entries_, std::vector<int32_t>{id});
    EXPECT_EQ(presets_, std::vector<int>{3});

    options_->FreeAndRunList().Remove(&options_->FreeAndRunList().Items(0));
    Refresh(ocFreeAndRun);
    EXPECT_EQ(Captions(parent), (std::vector<std::wstring>{L"Manage entries..."}));
}

TEST(Hotkeys, ShortcutValuesBecomeModifiersAndKeys) {
    EXPECT_EQ(HotkeyModifiers(49220), static_cast<UINT>(MOD_CONTROL | MOD_ALT));
    EXPECT_EQ(HotkeyVirtualKey(49220), static_cast<UINT>('D'));
    EXPECT_EQ(HotkeyModifiers(0x2000 | 'Q'), static_cast<UINT>(MOD_SHIFT));
    EXPECT_EQ(HotkeyModifiers(0), 0u);
}

TEST(Hotkeys, RegisteredOnceUntilReleasedAndARefusedKeyStaysUnregistered) {
    MessageRecorder engine;
    MessageRecorder other;
    // Another window already holds Ctrl+Alt+G.
    if (!::RegisterHotKey(other.Handle(), 7, MOD_CONTROL | MOD_ALT, 'G'))
        GTEST_SKIP() << "Ctrl+Alt+G is held by another program on this desktop";
    THotkeys hotkeys;
    hotkeys.Register(engine.Handle(), {49220, 49222, 49223});
    EXPECT_EQ(hotkeys.Ids, (std::array<int32_t, 3>{1, 2, -1}));
    EXPECT_EQ(hotkeys.Values, (std::array<int32_t, 3>{49220, 49222, 49223}));
    // The same values again: nothing changes (in particular nothing is unregistered).
    hotkeys.Register(engine.Handle(), {49220, 49222, 49223});
    EXPECT_FALSE(::RegisterHotKey(other.Handle(), 8, MOD_CONTROL | MOD_ALT, 'D'));
    hotkeys.Unregister(engine.Handle());
    EXPECT_EQ(hotkeys.Ids, (std::array<int32_t, 3>{-1, -1, -1}));
    EXPECT_EQ(hotkeys.Values, (std::array<int32_t, 3>{0, 0, 0}));
    EXPECT_TRUE(::RegisterHotKey(other.Handle(), 8, MOD_CONTROL | MOD_ALT, 'D'));  // the key is free again
    ::UnregisterHotKey(other.Handle(), 8);
    ::UnregisterHotKey(other.Handle(), 7);
    hotkeys.Register(engine.Handle(), {49220, 49222, 49223});  // re-registers after a release
    EXPECT_EQ(hotkeys.Ids, (std::array<int32_t, 3>{1, 2, 3}));
    hotkeys.Unregister(engine.Handle());
}
