// What a free-up achieved and how the user hears of it: the texts, the measurement from the
// reading before the block to the settled reading after it (through the memory reading
// seam), the balloon after a free-up the user asked for, the last result in the status
// tooltip and the tray menu, and the 32-bit edition's word on a size it cannot start.
#include <regex>
#include "EngineFixture.h"
#include "engine/uFreeUpResult.h"
#include "framework/uText.h"

namespace {

using fakes::MB;

// ---- Texts ----

struct BalloonCase {
    const char* name;
    uint64_t before, after;
    std::wstring text;
};

class ResultBalloonText : public testing::TestWithParam<BalloonCase> {};

TEST_P(ResultBalloonText, SaysWhatChanged) {
    TFreeUpResult result{45000.5, GetParam().before, GetParam().after, true};
    EXPECT_EQ(::ResultBalloonText(result), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResultBalloonText,
    testing::Values(BalloonCase{"Grew", 300 * MB, 500 * MB, L"Freed 200 MB: 500 MB available (was 300 MB)"},
                    BalloonCase{"IntoGigabytes", 2672 * MB, 3484 * MB,
                                L"Freed 812 MB: 3.40 GB available (was 2.61 GB)"},
                    // Whole megabytes: a growth of less than one is no growth.
                    BalloonCase{"LessThanAMegabyte", 300 * MB + 1000, 300 * MB + 900000,
                                L"No memory was freed: 300 MB available, as before"},
                    BalloonCase{"Unchanged", 512 * MB, 512 * MB, L"No memory was freed: 512 MB available, as before"},
                    BalloonCase{"Shrank", 500 * MB, 490 * MB, L"No memory was freed: 490 MB available (was 500 MB)"},
                    // Above 10 GB both read as whole gigabytes: no "(was 22 GB)" beside "22 GB".
                    BalloonCase{"GrewWithinAWholeGigabyte", 22528 * MB, 22592 * MB, L"Freed 64 MB: 22 GB available"},
                    BalloonCase{"ShrankWithinAWholeGigabyte", 22592 * MB, 22528 * MB,
                                L"No memory was freed: 22 GB available, as before"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(ResultTexts, ShortLineNamesTheAmountAndTheTimeOfDay) {
    const TDateTime at = 45000.0 + (14 * 60 + 4) / 1440.0;  // 14:04
    const std::wstring time = TimeOfDayText(at);
    EXPECT_TRUE(std::regex_search(Narrow(time), std::regex("^(14|2|02)[^0-9]04"))) << Narrow(time);
    EXPECT_EQ(ResultShortText({at, 300 * MB, 500 * MB, false}), L"Freed 200 MB at " + time);
    EXPECT_EQ(ResultShortText({at, 500 * MB, 500 * MB, false}), L"Nothing freed at " + time);
    EXPECT_EQ(ResultShortText({at, 500 * MB, 400 * MB, false}), L"Nothing freed at " + time);
}

TEST(ResultTexts, SizeLimitNamesTheLimitTheAmountAndTheWayOut) {
    EXPECT_EQ(SizeLimitBalloonText(12288),
              L"Nothing was freed: the 32-bit edition of Korvix frees at most 2045 MB at once, not 12 GB. "
              L"The 64-bit edition has no such limit.");
    EXPECT_TRUE(RefusedBySizeLimit(2046, false));
    EXPECT_FALSE(RefusedBySizeLimit(2045, false));
    EXPECT_FALSE(RefusedBySizeLimit(12288, true));
}

// ---- The meter on its own ----

constexpr TDateTime kT0 = 45000.5;
constexpr TDateTime kSecond = 1.0 / 86400.0;

TEST(FreeUpMeter, ReadsBeforeTheBlockAndAfterASettlingSecond) {
    TFreeUpMeter meter;
    meter.Begin(1, 300 * MB, true, false);
    meter.BlockStarting(350 * MB);  // no wait before the block: the start's reading holds
    meter.Finished(1, true, kT0);
    EXPECT_FALSE(meter.Due(kT0 + 0.9 * kSecond));
    ASSERT_TRUE(meter.Due(kT0 + kSecond));
    std::optional<TFreeUpResult> result = meter.Complete(500 * MB, kT0 + kSecond);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->AvailBefore, 300 * MB);
    EXPECT_EQ(result->AvailAfter, 500 * MB);
    EXPECT_TRUE(result->UserAsked);
    EXPECT_EQ(result->When, kT0 + kSecond);
    EXPECT_FALSE(meter.Due(kT0 + 5 * kSecond)) << "one result per free-up";
}

TEST(FreeUpMeter, AFreeUpThatWaitsFirstIsReadAgainWhenItsBlockStarts) {
    TFreeUpMeter meter;
    meter.Begin(1, 300 * MB, false, true);
    meter.BlockStarting(350 * MB);
    meter.BlockStarting(100 * MB);  // the second pass's 0 % is no new start
    meter.Finished(1, true, kT0);
    std::optional<TFreeUpResult> result = meter.Complete(500 * MB, kT0 + kSecond);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->AvailBefore, 350 * MB);
}

struct NoResultCase {
    const char* name;
    std::function<void(TFreeUpMeter&)> run;
};

class FreeUpMeterWithoutResult : public testing::TestWithParam<NoResultCase> {};

TEST_P(FreeUpMeterWithoutResult, GivesNone) {
    TFreeUpMeter meter;
    meter.Begin(2, 300 * MB, true, true);
    GetParam().run(meter);
    EXPECT_FALSE(meter.Due(kT0 + 10 * kSecond));
    EXPECT_FALSE(meter.Complete(500 * MB, kT0 + 10 * kSecond));
}

INSTANTIATE_TEST_SUITE_P(Cases, FreeUpMeterWithoutResult,
                         testing::Values(NoResultCase{"Stopped",
                                                      [](TFreeUpMeter& m) {
                                                          m.BlockStarting(300 * MB);
                                                          m.Finished(2, false, kT0);
                                                      }},
                                         NoResultCase{"NeverReachedItsBlock",
                                                      [](TFreeUpMeter& m) { m.Finished(2, true, kT0); }},
                                         NoResultCase{"AnotherWorkersEnd",
                                                      [](TFreeUpMeter& m) {
                                                          m.BlockStarting(300 * MB);
                                                          m.Finished(1, true, kT0);
                                                      }},
                                         NoResultCase{"ReadingFailedAtTheBlock",
                                                      [](TFreeUpMeter& m) {
                                                          m.BlockStarting(std::nullopt);
                                                          m.Finished(2, true, kT0);
                                                      }},
                                         NoResultCase{"ReplacedWhileSettling",
                                                      [](TFreeUpMeter& m) {
                                                          m.BlockStarting(300 * MB);
                                                          m.Finished(2, true, kT0);
                                                          m.Begin(3, 300 * MB, true, false);
                                                      }}),
                         [](const auto& test) { return std::string(test.param.name); });

// ---- The engine ----

struct Balloon {
    HWND window;
    DWORD size;
    std::string title, text;
    DWORD flags;
};
std::vector<Balloon> g_balloons;

BOOL RecordBalloons(DWORD message, NOTIFYICONDATAA* data) {
    if (message == NIM_MODIFY && (data->uFlags & NIF_INFO))
        g_balloons.push_back({data->hWnd, data->cbSize, data->szInfoTitle, data->szInfo, data->dwInfoFlags});
    return TRUE;
}

class EngineResultTest : public EngineTest {
protected:
    void SetUp() override {
        g_balloons.clear();
        previous_ = SetTrayNotifySource(&RecordBalloons);
        EngineTest::SetUp();
    }
    void TearDown() override {
        EngineTest::TearDown();
        SetTrayNotifySource(previous_);
    }

    // The worker's end handled, the memory reads `after`, and one tick a second later.
    void FinishAndSettle(uint64_t after) {
        ASSERT_TRUE(PumpUntilIdle());
        PumpMessages();
        fakes::Memory::availPhys = after;
        engine->TimerTimer();
        EXPECT_FALSE(engine->LastResult()) << "read only once the system has settled";
        fakes::Clock::now = fakes::Clock::now + kSecond;
        engine->TimerTimer();
    }

    std::wstring StatusItemText() { return engine->IconMenu.Items.Find(L"Status1")->ShortCutText; }

    TrayNotifyFunc previous_ = nullptr;
};

// A hotkey, a tray menu preset, the main window's request: each asked for by the user.
struct AskedCase {
    const char* name;
    std::function<void(TfrmEngine&)> ask;
};

class EngineUserAskedResult : public EngineResultTest, public testing::WithParamInterface<AskedCase> {};

TEST_P(EngineUserAskedResult, ShowsABalloonOnTheProgramsIcon) {
    fakes::Memory::availPhys = 300 * MB;
    GetParam().ask(*engine);
    ASSERT_NE(engine->Worker(), nullptr);
    FinishAndSettle(500 * MB);
    ASSERT_EQ(g_balloons.size(), 1u);
    const Balloon& balloon = g_balloons[0];
    EXPECT_EQ(balloon.text, "Freed 200 MB: 500 MB available (was 300 MB)");
    EXPECT_EQ(balloon.title, "Korvix Professional");
    EXPECT_EQ(balloon.flags, DWORD(NIIF_INFO));
    EXPECT_EQ(balloon.size, DWORD(NOTIFYICONDATAA_V2_SIZE));
    // By default the memory icon alone is in the tray once the worker is gone.
    ASSERT_EQ(engine->Tray().Status(), nullptr);
    EXPECT_EQ(balloon.window, engine->Tray().Memory()->WindowHandle());
    EXPECT_EQ(StatusItemText(), L"Freed 200 MB at " + TimeOfDayText(fakes::Clock::now));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, EngineUserAskedResult,
    testing::Values(
        AskedCase{"Hotkey", [](TfrmEngine& e) { ::SendMessageW(e.Handle(), WM_HOTKEY, 2, 0); }},
        AskedCase{"TrayMenuPreset", [](TfrmEngine& e) { e.ManualFreeUp(static_cast<int32_t>(Options->Amount(1))); }},
        AskedCase{"MainWindowRequest", [](TfrmEngine& e) { ::SendMessageW(e.Handle(), WM_FREEUPREQUEST, 4, 0); }}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(EngineResultTest, AutomaticFreeUpShowsNoBalloonButItsResultInTheTooltipAndTheMenu) {
    Options->SetProgramIcon(true);
    PumpMessages();
    fakes::Memory::availPhys = 100 * MB;
    engine->StartFreeUp(FreeUpParamsFor(FreeUpKind::Regular, *Options, T));
    ASSERT_NE(engine->Worker(), nullptr);
    // It waits for an idle processor first: the reading that counts is the one at its block.
    fakes::Memory::availPhys = 300 * MB;
    FinishAndSettle(500 * MB);
    EXPECT_TRUE(g_balloons.empty());
    ASSERT_TRUE(engine->LastResult());
    EXPECT_EQ(engine->LastResult()->AvailBefore, 300 * MB);
    const std::wstring line = L"Freed 200 MB at " + TimeOfDayText(fakes::Clock::now);
    EXPECT_EQ(StatusItemText(), line);
    ASSERT_NE(engine->Tray().Status(), nullptr);
    EXPECT_EQ(engine->Tray().Status()->Hint(), L"Korvix is monitoring your system.\n" + line);
    // The line stays through the next free-up's states.
    StartWaitingWorker();
    EXPECT_EQ(engine->Tray().Status()->Hint(), L"Korvix is working.\n" + line);
}

TEST_F(EngineResultTest, WhenNothingGrewTheBalloonSaysSo) {
    fakes::Memory::availPhys = 512 * MB;
    ::SendMessageW(engine->Handle(), WM_HOTKEY, 1, 0);
    FinishAndSettle(512 * MB);
    ASSERT_EQ(g_balloons.size(), 1u);
    EXPECT_EQ(g_balloons[0].text, "No memory was freed: 512 MB available, as before");
    EXPECT_EQ(StatusItemText(), L"Nothing freed at " + TimeOfDayText(fakes::Clock::now));
}

TEST_F(EngineResultTest, AStoppedOrReplacedFreeUpHasNoResult) {
    StartWaitingWorker();
    ::SendMessageW(engine->Handle(), WM_FREEUPPROGRESS, 0, 0);
    engine->ManualFreeUp(static_cast<int32_t>(Options->Amount(1)));  // replaces it
    engine->StopFreeUp();                                            // and is stopped itself
    PumpMessages();
    fakes::Clock::now = fakes::Clock::now + 5 * kSecond;
    engine->TimerTimer();
    EXPECT_FALSE(engine->LastResult());
    EXPECT_TRUE(g_balloons.empty());
    EXPECT_EQ(StatusItemText(), L"");
}

TEST_F(EngineResultTest, ASizeThe32BitEditionCannotStartIsExplainedAndNothingRuns) {
    if (kWideBlocks) GTEST_SKIP() << "the 64-bit edition has no such limit";
    ::SendMessageW(engine->Handle(), WM_FREEUPREQUEST, 3000, 0);
    EXPECT_EQ(engine->Worker(), nullptr);
    ::SendMessageW(engine->Handle(), WM_FREEUPREQUEST, 3000, 0);
    ASSERT_EQ(g_balloons.size(), 2u) << "every time the user asks";
    EXPECT_EQ(g_balloons[0].text,
              "Nothing was freed: the 32-bit edition of Korvix frees at most 2045 MB at once, not 2.93 GB. "
              "The 64-bit edition has no such limit.");
    EXPECT_EQ(g_balloons[0].flags, DWORD(NIIF_WARNING));
    // An automatic free-up is due again on every tick: it is explained once per size.
    TFreeUpParams automatic{.SizeMB = 2046, .IdleWait = true, .Passes = 1};
    engine->StartFreeUp(automatic);
    engine->StartFreeUp(automatic);
    automatic.SizeMB = 2100;
    engine->StartFreeUp(automatic);
    EXPECT_EQ(g_balloons.size(), 4u);
    EXPECT_EQ(engine->Worker(), nullptr);
    // 2045 MB is allowed: no word.
    fakes::Memory::availCommit = 0;  // refused commit: nothing is really touched
    engine->StartFreeUp({.SizeMB = 2045, .Passes = 1, .UserAsked = true});
    EXPECT_NE(engine->Worker(), nullptr);
    EXPECT_EQ(g_balloons.size(), 4u);
}

}  // namespace
