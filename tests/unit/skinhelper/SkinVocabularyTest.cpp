// The vocabulary check that skntool runs: the complete fixture passes, the broken fixtures
// fail with the line of the fault.
#include <gtest/gtest.h>
#include "skin/SkinTestSupport.h"
#include "skin/uSkinRender.h"
#include "ui/uSkinVocabulary.h"

namespace {
std::vector<std::string> Problems(const wchar_t* fixture) {
    std::vector<std::string> out;
    for (const SkinProblem& p : CheckKorvixVocabulary(*ReadSkin(FixturePath(fixture))))
        out.push_back(std::to_string(p.line) + ": " + Narrow8(p.message));
    return out;
}

TEST(SkinVocabulary, TheCompleteFixturePasses) { EXPECT_EQ(Problems(L"vocabulary.skn"), std::vector<std::string>{}); }

TEST(SkinVocabulary, BrokenFixturesNameTheLine) {
    EXPECT_EQ(
        Problems(L"missing_chart.skn"),
        std::vector<std::string>{"11: form Korvix has no element chart (Korvix uses it as the place of a control)"});
    EXPECT_EQ(Problems(L"manual_scroll_static.skn"),
              std::vector<std::string>{"71: manual_scroll is a static; Korvix uses it as a scroll bar"});
}

}  // namespace
