// The shipped help file against its sources of truth: a topic for every page of the
// main window and a popup text for every element of the skin vocabulary.
#include <gtest/gtest.h>
#include <set>
#include "framework/uText.h"
#include "help/uHelpText.h"
#include "ui/uPageRules.h"
#include "ui/uSkinNames.h"

namespace {
std::wstring HelpFile() { return ProgramFolder() + L"korvix.chm"; }
}  // namespace

TEST(HelpContentTest, EveryPageTopicIsInTheHelpFileAndItsContents) {
    ASSERT_TRUE(FileExists(HelpFile()));
    std::optional<std::string> contents = ReadCompiledHelpFile(HelpFile(), L"toc.hhc");
    ASSERT_TRUE(contents.has_value()) << "no table of contents";
    ASSERT_TRUE(ReadCompiledHelpFile(HelpFile(), L"index.hhk").has_value()) << "no index";
    ASSERT_TRUE(ReadCompiledHelpFile(HelpFile(), L"korvix.css").has_value()) << "no stylesheet";
    for (const TPageRow& page : PageTable) {
        std::wstring topic = page.HelpTopic;
        std::optional<std::string> html = ReadCompiledHelpFile(HelpFile(), topic);
        ASSERT_TRUE(html.has_value()) << "missing topic " << topic;
        EXPECT_NE(html->find("<title>"), std::string::npos) << topic;
        EXPECT_NE(html->find("korvix.css"), std::string::npos) << topic;
        EXPECT_NE(contents->find("value=\"" + Narrow(topic) + "\""), std::string::npos) << topic << " not in contents";
    }
}

TEST(HelpContentTest, EveryElementHasAPopupTextAndEveryTextAnElement) {
    std::optional<std::string> file = ReadCompiledHelpFile(HelpFile(), L"cshelp.txt");
    ASSERT_TRUE(file.has_value());
    std::map<int32_t, std::wstring> topics = ParsePopupTopics(*file);
    std::set<int32_t> elements = {0};  // the text for a part of the window that is no element
    for (const TSkinID& row : SkinIDs) {
        if (row.ID == 0) continue;
        elements.insert(row.ID);
        auto it = topics.find(row.ID);
        EXPECT_TRUE(it != topics.end() && it->second.size() > 10) << "no popup text for " << row.ID << " " << row.Name;
    }
    EXPECT_NE(topics.count(0), 0u);
    for (const auto& [id, text] : topics) EXPECT_TRUE(elements.count(id)) << "popup text for no element: " << id;
}
