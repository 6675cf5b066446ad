#include <gtest/gtest.h>
#include "framework/uText.h"
#include "help/uHelpText.h"

TEST(HelpTextTest, PopupTopicsAreReadByNumber) {
    const std::string text =
        "text before the first topic\r\n"
        ".topic 101\r\n"
        "\r\n"
        "The chart.  \r\n"
        "Second line.\r\n"
        "\r\n"
        ".topic IDH_NAMED\r\n"
        "A symbolic topic.\r\n"
        ".topics 5\r\n"
        ".TOPIC 7\n"
        "Unix lines.\n"
        ".topic 101\r\n"
        "A second 101.\r\n"
        ".topic 8\r\n"
        ".topic 9 x\r\n"
        "Not a number.\r\n"
        ".topic   1405\r\n"
        "Last, without a line end.";
    std::map<int32_t, std::wstring> topics = ParsePopupTopics(text);
    // The first 101 wins; ".topics 5" is text of the symbolic topic; 8 has no text; "9 x" is no number.
    std::map<int32_t, std::wstring> wanted = {
        {101, L"The chart.\r\nSecond line."},
        {7, L"Unix lines."},
        {1405, L"Last, without a line end."},
    };
    EXPECT_EQ(topics, wanted);
}

TEST(HelpTextTest, ReadsCshelpFromTheCompiledHelpFile) {
    std::wstring chm = ProgramFolder() + L"fixture.chm";
    ASSERT_TRUE(FileExists(chm));
    std::optional<std::string> stored = ReadCompiledHelpFile(chm, L"cshelp.txt");
    ASSERT_TRUE(stored.has_value());
    EXPECT_NE(stored->find(".topic 105"), std::string::npos);
    EXPECT_EQ(ReadPopupText(chm, 105), std::optional<std::wstring>(L"Critical page.\r\nSecond line."));
    EXPECT_EQ(ReadPopupText(chm, 0), std::optional<std::wstring>(L"No help here."));
    EXPECT_EQ(ReadPopupText(chm, 999), std::nullopt);
    EXPECT_EQ(ReadCompiledHelpFile(chm, L"absent.txt"), std::nullopt);
    EXPECT_EQ(ReadPopupText(ProgramFolder() + L"absent.chm", 105), std::nullopt);
    // A file that is not compiled help at all.
    EXPECT_EQ(ReadPopupText(ProgramPath(), 105), std::nullopt);
}
