#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include "ui/uAnimationList.h"
#include "ui/uSkinAccessNames.h"
#include "ui/uSkinNames.h"
#include "ui/uSkinTranslate.h"

TEST(SkinNamesTest, LookupsAreExactAndCaseSensitive) {
    struct Case {
        std::wstring name;
        int32_t id;
    };
    for (const Case& c : std::initializer_list<Case>{{L"", 0},
                                                     {L"manual", 103},
                                                     {L"Manual", 0},
                                                     {L"MANUAL", 0},
                                                     {L"manual ", 0},
                                                     {L"korvix", 0},
                                                     {L"Korvix", 1},
                                                     {L"idleforce_check", 1405},
                                                     {L"text_manual", 0}}) {
        EXPECT_EQ(ElementID(c.name), c.id) << c.name;
    }
    EXPECT_EQ(ElementName(0), L"");
    EXPECT_EQ(ElementName(115), L"");
    EXPECT_EQ(ElementName(-1), L"");
    EXPECT_EQ(ElementName(1204), L"about_close");
    EXPECT_EQ(ElementKind(115), TSkinKind::None);
}

TEST(SkinNamesTest, TableHas96UniqueRowsAndAnEmptyLastRow) {
    std::set<std::wstring> names;
    std::set<int32_t> ids;
    for (int i = 0; i < 96; ++i) {
        const TSkinID& row = SkinIDs[i];
        EXPECT_NE(std::wstring(row.Name), L"") << "row " << i;
        EXPECT_GT(row.ID, 0) << "row " << i;
        EXPECT_NE(row.Kind, TSkinKind::None) << "row " << i;
        EXPECT_TRUE(names.insert(row.Name).second) << "duplicate name in row " << i;
        EXPECT_TRUE(ids.insert(row.ID).second) << "duplicate ID in row " << i;
        EXPECT_EQ(ElementID(row.Name), row.ID);
        EXPECT_EQ(ElementName(row.ID), row.Name);
    }
    EXPECT_EQ(std::wstring(SkinIDs[96].Name), L"");
    EXPECT_EQ(SkinIDs[96].ID, 0);
}

TEST(SkinNamesTest, KindsMapToTheEngineInterfaceTheProgramAsksFor) {
    struct Case {
        const wchar_t* name;
        TSkinKind kind;
        TSkinInterface asks;
    };
    for (const Case& c : std::initializer_list<Case>{
             {L"Korvix", TSkinKind::Form, TSkinInterface::Form},
             {L"chart", TSkinKind::Place, TSkinInterface::Any},
             {L"StatusStatic", TSkinKind::Static, TSkinInterface::Static},
             {L"about", TSkinKind::Button, TSkinInterface::Button},
             {L"regular_on_check", TSkinKind::CheckBox, TSkinInterface::Button},
             {L"show_free_memory", TSkinKind::Radio, TSkinInterface::Button},
             {L"idletime_scroll", TSkinKind::ScrollBar, TSkinInterface::ScrollBar},
             {L"idle_hide", TSkinKind::Animation, TSkinInterface::Animation},
             {L"chart_line2color", TSkinKind::ColorCarrier, TSkinInterface::Static},
         }) {
        EXPECT_EQ(ElementKind(ElementID(c.name)), c.kind) << c.name;
        EXPECT_EQ(SkinInterfaceOf(ElementKind(ElementID(c.name))), c.asks) << c.name;
    }
}

TEST(SkinTranslateTest, EveryCaptionOfAnElementMatchesItsKind) {
    std::set<std::wstring> names;
    int elements = 0;
    for (const TCaptionRow& row : CaptionTable) {
        EXPECT_TRUE(names.insert(row.Name).second) << "caption written twice: " << row.Name;
        int32_t id = ElementID(row.Name);
        if (id == 0) continue;  // a text element the program only captions
        ++elements;
        TSkinInterface wanted = row.Kind == TCaptionKind::Static ? TSkinInterface::Static : TSkinInterface::Button;
        EXPECT_EQ(SkinInterfaceOf(ElementKind(id)), wanted) << row.Name;
    }
    EXPECT_EQ(elements, 28);  // a misspelt element name would drop out of this count
}

TEST(SkinTranslateTest, FilledRowsGetTheirValueAndTheIdleTextsKeepThePlaceholder) {
    std::vector<TCaption> rows = SkinCaptions(L"5.2");
    ASSERT_EQ(rows.size(), CaptionTable.size());
    EXPECT_EQ(rows.front(), (TCaption{L"help", TCaptionKind::Button, L"Help"}));
    EXPECT_EQ(rows.back(), (TCaption{L"show_free_memory", TCaptionKind::Button, L"Free memory"}));
    std::map<std::wstring, std::wstring> filled = {{L"about_program_version", L"Version 5.2"},
                                                   {L"preset1_text", L"Preset 1:"},
                                                   {L"preset2_text", L"Preset 2:"},
                                                   {L"preset3_text", L"Preset 3:"}};
    std::set<std::wstring> placeholders;
    for (const TCaption& row : rows) {
        auto it = filled.find(row.Name);
        if (it != filled.end()) {
            EXPECT_EQ(row.Text, it->second);
            filled.erase(it);
        }
        if (row.Text.find(L"%1") != std::wstring::npos) placeholders.insert(row.Name);
    }
    EXPECT_TRUE(filled.empty());
    EXPECT_EQ(placeholders, (std::set<std::wstring>{L"idlecpu_text", L"idletime_text"}));
}

TEST(AnimationListTest, QueueAppendsAtTheEndAndTakesFromTheFront) {
    TSkinAnimationList list;
    list.Add(L"regular_hide", true);
    list.Add(L"idle_hide", false);
    list.Add({.PlayWithNext = true, .RefreshPages = true});
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(1).Name, L"idle_hide");
    EXPECT_FALSE(list.Item(1).PlayWithNext);
    list.Delete(1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_TRUE(list.Item(1).RefreshPages);
    EXPECT_FALSE(list.Item(0).RefreshPages);
    std::unique_ptr<TSkinAnimation> first = list.TakeFirst();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Name, L"regular_hide");
    EXPECT_TRUE(first->PlayWithNext);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_THROW(list.Item(1), EListError);
    EXPECT_THROW(list.Delete(-1), EListError);
    list.Delete(0);
    EXPECT_EQ(list.TakeFirst(), nullptr);
}

TEST(SkinNamesTest, AnElementWithoutCaptionIsNamedByTheFirstSentenceOfItsHelp) {
    struct Case {
        const wchar_t* help;
        const wchar_t* name;
    };
    const Case cases[] = {
        {L"Closes the main window. Korvix stays in the tray.", L"Closes the main window."},
        {L"  Frees the amount set above now,\r\nwithout waiting. A free-up that runs stops.",
         L"Frees the amount set above now, without waiting."},
        {L"Version 5.0.1 of the program", L"Version 5.0.1 of the program"},  // no sentence end: all of it
        {L"Is it on? Then it runs.", L"Is it on?"},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(FirstSentence(c.help), c.name);
}
