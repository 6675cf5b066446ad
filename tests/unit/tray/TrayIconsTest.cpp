// The memory, processor and program icons: pictures from the histories, tooltips,
// the number texts and the icon resources.
#include <gtest/gtest.h>
#include <set>
#include <string>
#include "legacy/uGlobals.h"
#include "tray/TrayTestSupport.h"
#include "tray/uTrayIcons.h"

namespace {

// The picture last handed to the shell, as a raster.
Raster ShownPicture(const NotifyRecorder& shell) {
    Raster raster;
    CopyPixels(shell.Calls.back().pixels, raster);
    return raster;
}

class TrayIconsTest : public testing::Test {
protected:
    NotifyRecorder shell;
    HistoryFixture history{512};
};
}  // namespace

// ---- Value rules ----

TEST(MemoryNumberTextTest, MegabytesBelow1000ThenWholeGigabytesUpTo99) {
    const std::pair<int32_t, const wchar_t*> cases[] = {{0, L"0"},        {999, L"999"},    {1000, L"0G"},
                                                        {1023, L"0G"},    {1024, L"1G"},    {1536, L"1G"},
                                                        {101375, L"98G"}, {102400, L"99G"}, {2000000, L"99G"}};
    for (const auto& [megabytes, text] : cases) EXPECT_EQ(MemoryNumberText(megabytes), text) << megabytes;
}

TEST_F(TrayIconsTest, MemoryChartValuesTruncate) {
    history.FillUsedMB(256);
    history.SetUsedMB(990, 511);  // 511 x 15 / 512 = 14.97
    TChartValues values = MemoryChartValues(*MemoryHistory, 512, false);
    EXPECT_EQ(values[1], 7u);
    EXPECT_EQ(values[990 - 983], 14u);
    EXPECT_EQ(MemoryChartValues(*MemoryHistory, 512, true)[1], 7u);  // 256 free
}

TEST_F(TrayIconsTest, ProcessorChartValuesRoundTiesToEven) {
    history.SetCpu(984, 10);  // 1.5 -> 2
    history.SetCpu(985, 30);  // 4.5 -> 4
    history.SetCpu(986, 100);
    TChartValues values = CpuChartValues(*CpuHistory);
    EXPECT_EQ(values[1], 2u);
    EXPECT_EQ(values[2], 4u);
    EXPECT_EQ(values[3], 15u);
}

TEST_F(TrayIconsTest, MemoryBarPercentDividesBeforeMultiplying) {
    history.FillUsedMB(435);  // 77 MB free: 15.04 %
    EXPECT_EQ(MemoryBarPercent(*MemoryHistory, 512, true), 15u);
    history.FillUsedMB(256);
    EXPECT_EQ(MemoryBarPercent(*MemoryHistory, 512, false), 50u);
}

// ---- Memory icon ----

TEST_F(TrayIconsTest, MemoryChartShowsHistory984To998) {
    history.FillUsedMB(0);
    history.SetUsedMB(983, 512);  // value 0 of the sixteen: never drawn
    history.SetUsedMB(984, 256);  // column 1: value 7
    history.SetUsedMB(998, 500);  // column 15: value 14, warning
    history.SetUsedMB(999, 512);  // the newest sample is only in the tooltip
    TTrayIconMemory icon;
    icon.Show();
    Raster picture = ShownPicture(shell);
    EXPECT_EQ(Column(picture, 1, Letters), "K.........gggggg");
    EXPECT_EQ(Column(picture, 2, Letters), "K..............g");
    EXPECT_EQ(Column(picture, 15, Letters), "K..RRRRRRRRRRRRR");
}

TEST_F(TrayIconsTest, MemoryChartInFreeModeWarnsWhenLittleIsFree) {
    history.FillUsedMB(0);
    history.SetUsedMB(984, 512 - 110);  // 110 free: value 3, warning
    history.SetUsedMB(985, 512 - 140);  // 140 free: value 4, normal
    TTrayIconMemory icon;
    icon.Show();
    icon.SetShowFree(true);
    Raster picture = ShownPicture(shell);
    EXPECT_EQ(Column(picture, 1, Letters), "K.............RR");
    EXPECT_EQ(Column(picture, 2, Letters), "K............ggg");
}

TEST_F(TrayIconsTest, MemoryBarFollowsShowFree) {
    history.FillUsedMB(512 - 77);  // 15 % free
    TTrayIconMemory icon;
    icon.Show();
    icon.SetStyle(3);
    icon.SetShowFree(true);
    EXPECT_EQ(Column(ShownPicture(shell), 8, Letters), "K.............RR");
    history.FillUsedMB(512 - 97);  // 19 % free
    icon.Refresh(false);
    EXPECT_EQ(Column(ShownPicture(shell), 8, Letters), "K............ggg");
    icon.SetShowFree(false);  // 81 % used: h = 12, warning
    EXPECT_EQ(Column(ShownPicture(shell), 8, Letters), "K...RRRRRRRRRRRR");
}

TEST_F(TrayIconsTest, WritingTheSameShowFreeRedraws) {
    TTrayIconMemory icon;
    icon.Show();
    shell.Clear();
    history.FillUsedMB(400);  // a new sample, not yet shown
    icon.SetShowFree(false);
    EXPECT_EQ(shell.Messages(), std::vector<DWORD>{NIM_MODIFY}) << "the write redraws from the history";
}

TEST_F(TrayIconsTest, MemoryTooltipReportsUsedMemoryAlsoInFreeMode) {
    history.FillUsedMB(300);
    TTrayIconMemory icon;
    icon.Show();
    icon.SetShowFree(true);
    for (int style : {1, 2, 3}) {
        icon.SetStyle(style);
        EXPECT_EQ(icon.Hint(), L"Memory usage: 300 MB from 512 MB is used.") << style;
        EXPECT_EQ(shell.Calls.back().tip, "Memory usage: 300 MB from 512 MB is used.") << style;
    }
}

TEST_F(TrayIconsTest, MemoryNumberIsTheNewestSampleInBlackOnTheBackground) {
    history.FillUsedMB(1536);
    TTrayIconMemory icon;
    icon.Show();
    icon.SetStyle(2);
    Raster expected;
    PaintNumber(expected.dc(), L"1G", White, Black);
    Raster picture = ShownPicture(shell);
    for (int y = 0; y < 16; ++y) EXPECT_EQ(Row(picture, y, Letters), Row(expected, y, Letters)) << "row " << y;
    EXPECT_GT(picture.Count(Black, {1, 1, 16, 16}), 10);
}

TEST_F(TrayIconsTest, IconShowsItsPictureRightAfterConstruction) {
    history.FillUsedMB(512);  // every column full and red
    TTrayIconMemory icon;
    icon.Show();
    EXPECT_EQ(Column(ShownPicture(shell), 7, Letters), "K.RRRRRRRRRRRRRR");
}

// ---- Processor icon ----

TEST_F(TrayIconsTest, ProcessorIconIsBlackOnYellowWithRedWarnings) {
    TTrayIconCPU icon;
    icon.Show();
    EXPECT_EQ(icon.BackgroundColor(), Yellow);
    EXPECT_EQ(icon.NormalColor(), Black);
    EXPECT_EQ(icon.WarningColor(), Red);
    // A fresh processor chart is a row of bottom pixels.
    Raster picture = ShownPicture(shell);
    EXPECT_EQ(Row(picture, 15, Letters), "KKKKKKKKKKKKKKKK");
    EXPECT_EQ(Row(picture, 14, Letters), "KYYYYYYYYYYYYYYY");
}

TEST_F(TrayIconsTest, ProcessorBarAndTooltipUseTheNewestLoad) {
    history.FillCpu(75);
    TTrayIconCPU icon;
    icon.Show();
    icon.SetStyle(3);
    EXPECT_EQ(Column(ShownPicture(shell), 4, Letters), "KYYYRRRRRRRRRRRR");
    history.SetCpu(999, 70);
    icon.Refresh(false);
    EXPECT_EQ(Column(ShownPicture(shell), 4, Letters), "KYYYYKKKKKKKKKKK");
    history.SetCpu(999, 37);
    icon.Refresh(false);
    EXPECT_EQ(shell.Calls.back().tip, "CPU usage: 37%");
}

TEST_F(TrayIconsTest, ProcessorNumberAtFullLoadFitsTheInnerSquare) {
    history.FillCpu(100);
    TTrayIconCPU icon;
    icon.Show();
    icon.SetStyle(2);
    Raster picture = ShownPicture(shell);
    // "100" in black, 15 x 10 from (1, 4): nothing outside rows 4..13.
    EXPECT_GT(picture.Count(Black, {1, 4, 16, 14}), 20);
    EXPECT_EQ(picture.Count(Black, {1, 1, 16, 4}) + picture.Count(Black, {1, 14, 16, 16}), 0);
    EXPECT_EQ(icon.Hint(), L"CPU usage: 100%");
}

TEST_F(TrayIconsTest, ProcessorIconWithoutHistoryKeepsItsPicture) {
    CpuHistory.reset();  // monitoring switched off under a live icon
    TTrayIconCPU icon;
    icon.Show();
    std::vector<COLORREF> before = shell.Calls.back().pixels;
    icon.SetStyle(3);
    EXPECT_EQ(shell.Calls.back().pixels, before);
}

// ---- Program icon and the resources ----

TEST_F(TrayIconsTest, ProgramIconShowsKorvixIconAtFirst) {
    TTrayIconResource icon;
    icon.Show();
    EXPECT_EQ(icon.IconName(), L"KORVIXICON");
    UniqueIcon expected(LoadOwnIcon(L"KORVIXICON"));
    EXPECT_EQ(shell.Calls.back().icon, icon.CustomIcon());
    EXPECT_EQ(shell.Calls.back().pixels, IconPixels(expected.get()));
}

TEST_F(TrayIconsTest, ProgramIconShowsEachStatusPicture) {
    TTrayIconResource icon;
    icon.Show();
    for (const wchar_t* name : {L"STATUSNORMAL", L"STATUSIDLE", L"STATUSWORK", L"STATUSOFF", L"KORVIXICON"}) {
        icon.SetIconName(name);
        UniqueIcon expected(LoadOwnIcon(name));
        EXPECT_EQ(shell.Calls.back().pixels, IconPixels(expected.get())) << name;
    }
}

TEST_F(TrayIconsTest, MissingIconShowsKorvixIconAndRepeatingItChangesNothing) {
    TTrayIconResource icon;
    icon.Show();
    icon.SetIconName(L"STATUSWORK");
    shell.Clear();
    icon.SetIconName(L"NOSUCHICON");
    UniqueIcon expected(LoadOwnIcon(L"KORVIXICON"));
    ASSERT_EQ(shell.Calls.size(), 1u);
    EXPECT_EQ(shell.Calls.back().pixels, IconPixels(expected.get()));
    EXPECT_EQ(icon.IconName(), L"NOSUCHICON");
    icon.SetIconName(L"NOSUCHICON");
    EXPECT_EQ(shell.Calls.size(), 1u);
}

TEST(IconResourceTest, Icon1616IsAllWhiteAndOpaque) {
    UniqueIcon icon(LoadOwnIcon(L"ICON1616"));
    ASSERT_TRUE(icon);
    EXPECT_EQ(IconPixels(icon.get()), std::vector<COLORREF>(256, White));
    EXPECT_TRUE(IconMaskOpaque(icon.get()));
}

namespace {
#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupHeader {
    WORD reserved, type, count;
    GroupEntry entries[1];
};
#pragma pack(pop)

const GroupHeader* IconGroup(const wchar_t* name) {
    HRSRC resource = ::FindResourceW(nullptr, name, RT_GROUP_ICON);
    return resource ? static_cast<const GroupHeader*>(::LockResource(::LoadResource(nullptr, resource))) : nullptr;
}

BOOL CALLBACK KeepFirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    *reinterpret_cast<std::wstring*>(param) = IS_INTRESOURCE(name) ? L"#" : name;
    return FALSE;
}
}  // namespace

// The tray surface is one 16 x 16 image; the pictures the status icon shows carry an image
// drawn for each small-icon size of the usual display scales (100, 150, 200 and 300 %).
TEST(IconResourceTest, EveryIconIsIn16ColoursAndTheStatusPicturesAtEveryTraySize) {
    struct Expected {
        const wchar_t* name;
        std::vector<int> sizes;
    };
    const std::vector<int> traySizes{16, 24, 32, 48, 64};
    for (const Expected& icon :
         {Expected{L"ICON1616", {16}}, Expected{L"KORVIXICON", traySizes}, Expected{L"STATUSNORMAL", traySizes},
          Expected{L"STATUSIDLE", traySizes}, Expected{L"STATUSWORK", traySizes}, Expected{L"STATUSOFF", traySizes}}) {
        const GroupHeader* group = IconGroup(icon.name);
        ASSERT_NE(group, nullptr) << icon.name;
        std::vector<int> sizes;
        for (int i = 0; i < group->count; ++i) {
            const GroupEntry& entry = group->entries[i];
            sizes.push_back(entry.width);
            EXPECT_EQ(entry.height, entry.width) << icon.name;
            EXPECT_EQ(entry.colors, 16) << icon.name;
            EXPECT_EQ(entry.bitCount, 4) << icon.name;
        }
        EXPECT_EQ(sizes, icon.sizes) << icon.name;
    }
}

// The shell shows a program file's first icon group (Start menu, list of installed programs);
// it must be the product's chip, sharp from 16 to 64 pixels, not the white tray surface.
TEST(IconResourceTest, ProgramFileIconIsTheChipFrom16To64Pixels) {
    std::wstring first;
    ::EnumResourceNamesW(nullptr, RT_GROUP_ICON, KeepFirstName, reinterpret_cast<LONG_PTR>(&first));
    EXPECT_EQ(first, L"APPICON");
    const GroupHeader* group = IconGroup(L"APPICON");
    ASSERT_NE(group, nullptr);
    std::vector<int> sizes;
    for (int i = 0; i < group->count; ++i) sizes.push_back(group->entries[i].width);
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48, 64}));
    UniqueIcon application(LoadOwnIcon(L"APPICON"));
    UniqueIcon chip(LoadOwnIcon(L"KORVIXICON"));
    EXPECT_EQ(IconPixels(application.get()), IconPixels(chip.get()));
}

TEST(IconResourceTest, StatusIconsDifferFromEachOther) {
    std::set<std::vector<COLORREF>> pictures;
    for (const wchar_t* name : {L"KORVIXICON", L"STATUSNORMAL", L"STATUSIDLE", L"STATUSWORK", L"STATUSOFF"}) {
        UniqueIcon icon(LoadOwnIcon(name));
        pictures.insert(IconPixels(icon.get()));
    }
    EXPECT_EQ(pictures.size(), 5u);
}
