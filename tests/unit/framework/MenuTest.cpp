#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "framework/uApplication.h"
#include "framework/uException.h"
#include "framework/uMenu.h"
#include "support/TestSupport.h"

namespace {
struct ShownItem {
    std::wstring text;
    UINT state;
    bool popup;
};

ShownItem Shown(HMENU menu, int position) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{sizeof(info)};
    info.fMask = MIIM_STRING | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE;
    info.dwTypeData = text;
    info.cch = 128;
    ::GetMenuItemInfoW(menu, position, TRUE, &info);
    return {text, info.fState, info.hSubMenu != nullptr};
}
}  // namespace

TEST(PopupMenu, TheBuiltMenuShowsTheTreeAsItIsNow) {
    TPopupMenu menu;
    TMenuItem* show = menu.Items.Add(L"ShowKorvix1", L"&Show");
    show->Default = true;
    menu.Items.Add(L"N1", L"-");
    TMenuItem* sub = menu.Items.Add(L"MemoryMonitor1", L"&Memory Monitor");
    sub->Add(L"Chart1", L"Chart");
    TMenuItem* bar = sub->Add(L"Bar1", L"Bar");
    bar->Checked = true;
    TMenuItem* hidden = menu.Items.Add(L"Hidden1", L"Hidden");
    hidden->Visible = false;
    TMenuItem* preset = menu.Items.Add(L"Freeup11", L"Free up 256 MB");
    preset->ShortCutText = ShortCutToText(49220);
    preset->Enabled = false;

    TPopupMenu::Built built = menu.Build();
    HMENU m = built.menu.get();
    ASSERT_EQ(::GetMenuItemCount(m), 4);
    EXPECT_EQ(Shown(m, 0).text, L"&Show");
    EXPECT_EQ(::GetMenuDefaultItem(m, TRUE, 0), 0u);
    EXPECT_TRUE(Shown(m, 2).popup);
    EXPECT_EQ(Shown(m, 3).text, L"Free up 256 MB\tCtrl+Alt+D");
    EXPECT_TRUE(Shown(m, 3).state & MFS_DISABLED);
    HMENU subMenu = ::GetSubMenu(m, 2);
    EXPECT_FALSE(Shown(subMenu, 0).state & MFS_CHECKED);
    EXPECT_TRUE(Shown(subMenu, 1).state & MFS_CHECKED);
    EXPECT_EQ(menu.Items.Find(L"Bar1"), bar);
}

TEST(PopupMenu, ClickRunsTheChosenEnabledItemOnly) {
    TPopupMenu menu;
    int clicks = 0;
    std::wstring clicked;
    auto onClick = [&](TMenuItem& sender) {
        ++clicks;
        clicked = sender.Name;
    };
    TMenuItem* a = menu.Items.Add(L"A", L"a");
    a->OnClick = onClick;
    TMenuItem* b = menu.Items.Add(L"B", L"b");
    b->OnClick = onClick;
    b->Enabled = false;
    TPopupMenu::Built built = menu.Build();
    UINT idA = 0, idB = 0;
    for (auto& [id, serial] : built.commands) (serial == a->Serial() ? idA : idB) = id;
    EXPECT_TRUE(menu.Click(built, idA));
    EXPECT_FALSE(menu.Click(built, idB));
    EXPECT_FALSE(menu.Click(built, 999));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(clicked, L"A");
}

// The menu's modal loop dispatches messages; a handler may rebuild part of the tree while
// it runs. The choice must then reach nothing rather than a freed item.
TEST(PopupMenu, AChoiceWhoseItemWasReplacedDuringTheLoopDoesNothing) {
    TPopupMenu menu;
    TMenuItem* sub = menu.Items.Add(L"FreeandRun1", L"Free and Run");
    std::vector<std::wstring> clicked;
    auto add = [&](const wchar_t* caption) {
        TMenuItem* item = sub->Add(L"", caption);
        item->OnClick = [&clicked](TMenuItem& sender) { clicked.push_back(sender.Caption); };
        return item;
    };
    add(L"old");
    TPopupMenu::Built built = menu.Build();
    const UINT chosen = built.commands.rbegin()->first;  // the entry, last in the tree
    sub->Delete(0);                                      // the submenu is rebuilt meanwhile
    add(L"new");
    EXPECT_FALSE(menu.Click(built, chosen));
    EXPECT_TRUE(clicked.empty());
}

TEST(PopupMenu, AnExceptionOfTheActionGoesToTheErrorSink) {
    std::vector<std::wstring> reported;
    ExceptionSinkScope sink([&](const TExceptionInfo& e) { reported.push_back(e.ClassName + L": " + e.Message); });
    TPopupMenu menu;
    menu.Items.Add(L"A", L"a")->OnClick = [](TMenuItem&) { throw ERegistryError(L"Cannot create Key: x"); };
    TPopupMenu::Built built = menu.Build();
    EXPECT_TRUE(menu.Click(built, built.commands.begin()->first));
    EXPECT_EQ(reported, std::vector<std::wstring>{L"ERegistryError: Cannot create Key: x"});
}

TEST(PopupMenu, DeletingItemsFreesThem) {
    TMenuItem root;
    root.Add(L"keep", L"k")->Tag = -1;
    root.Add(L"x", L"x")->Tag = 3;
    root.Add(L"y", L"y")->Tag = 4;
    for (int i = root.Count() - 1; i >= 0; --i) {
        if (root.Items(i).Tag >= 0) root.Delete(i);
    }
    ASSERT_EQ(root.Count(), 1);
    EXPECT_EQ(root.Items(0).Name, L"keep");
}

TEST(ShortCutToText, ModifiersThenKey) {
    const struct {
        int value;
        const wchar_t* text;
    } cases[] = {{49220, L"Ctrl+Alt+D"},
                 {49222, L"Ctrl+Alt+F"},
                 {0x2000 | 'Q', L"Shift+Q"},
                 {0x4000 | VK_F5, L"Ctrl+F5"},
                 {0xE000 | '7', L"Shift+Ctrl+Alt+7"},
                 {0x8000 | VK_DELETE, L"Alt+Del"},
                 {0, L""}};
    for (const auto& c : cases) EXPECT_EQ(ShortCutToText(c.value), c.text) << c.value;
}
