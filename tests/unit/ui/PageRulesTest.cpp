#include <gtest/gtest.h>
#include "legacy/uMessages.h"
#include "support/TestSupport.h"
#include "ui/PageFixture.h"
#include "ui/uPageActions.h"
#include "ui/uPageRefresh.h"
#include "ui/uPageRules.h"
#include "ui/uSkinNames.h"

namespace {
// The writes of one element, in order.
std::vector<TElementWrite> WritesTo(const TPageRefresh& refresh, int32_t id) {
    std::vector<TElementWrite> out;
    for (const TElementWrite& w : refresh.Writes) {
        if (w.ID == id) out.push_back(w);
    }
    return out;
}

std::wstring TextOf(const TPageRefresh& refresh, int32_t id) {
    std::vector<TElementWrite> w = WritesTo(refresh, id);
    EXPECT_EQ(w.size(), 1u) << "writes to " << id;
    return w.empty() ? L"<none>" : w[0].Text;
}

int32_t PositionOf(const TPageRefresh& refresh, int32_t id) {
    std::vector<TElementWrite> w = WritesTo(refresh, id);
    EXPECT_EQ(w.size(), 1u) << "writes to " << id;
    return w.empty() ? -1 : w[0].Position;
}

TWriteKind LookOf(const TPageRefresh& refresh, int32_t id) {
    std::vector<TElementWrite> w = WritesTo(refresh, id);
    EXPECT_EQ(w.size(), 1u) << "writes to " << id;
    return w.empty() ? TWriteKind::Position : w[0].Kind;
}
}  // namespace

TEST(PageConversionsTest, IntervalStepsAndLabels) {
    struct Case {
        int32_t ms, step;
        const wchar_t* label;
    };
    for (const Case& c : std::initializer_list<Case>{{0, 1, L"250 ms"},
                                                     {499, 1, L"250 ms"},
                                                     {500, 2, L"500 ms"},
                                                     {1500, 3, L"1 s"},
                                                     {2999, 4, L"2 s"},
                                                     {44999, 9, L"30 s"},
                                                     {45000, 10, L"45 s"},
                                                     {59999, 10, L"45 s"},
                                                     {60000, 11, L"60 s"},
                                                     {100000, 11, L"60 s"}}) {
        EXPECT_EQ(IntervalStep(c.ms), c.step) << c.ms;
        EXPECT_EQ(IntervalLabel(c.ms), c.label) << c.ms;
    }
    struct Step {
        int32_t step, ms;
    };
    for (const Step& s : std::initializer_list<Step>{
             {0, 250}, {1, 250}, {3, 1000}, {6, 5000}, {10, 45000}, {11, 60000}, {12, 60000}, {-1, 60000}}) {
        EXPECT_EQ(StepMilliseconds(s.step), s.ms) << s.step;
    }
}

TEST(PageConversionsTest, RegularIntervalPositionsAndLabels) {
    struct Case {
        int32_t minutes, position;
        const wchar_t* label;
    };
    for (const Case& c : std::initializer_list<Case>{{1, 1, L"1 min"},
                                                     {59, 59, L"59 min"},
                                                     {60, 60, L"1 hrs"},
                                                     {90, 60, L"1 hrs"},
                                                     {120, 61, L"2 hrs"},
                                                     {1380, 82, L"23 hrs"},
                                                     {1440, 83, L"24 hrs"}}) {
        EXPECT_EQ(RegularIntervalPosition(c.minutes), c.position) << c.minutes;
        EXPECT_EQ(RegularIntervalLabel(c.minutes), c.label) << c.minutes;
    }
    struct Back {
        int32_t position, minutes;
    };
    for (const Back& b : std::initializer_list<Back>{{-5, 1}, {0, 1}, {1, 1}, {60, 60}, {61, 120}, {82, 1380}}) {
        EXPECT_EQ(RegularIntervalFromPosition(b.position), b.minutes) << b.position;
    }
    EXPECT_EQ(StartupWaitLabel(0), L"0 sec");
}

TEST(PageConversionsTest, ScrollBarsReachExactlyTheirRanges) {
    std::map<int32_t, int32_t> lastPosition;
    for (const TScrollSetup& s : ScrollBarSetup(512)) {
        lastPosition[s.ID] = s.LastPosition();
        EXPECT_EQ(s.SmallStep, 1);
        bool megabytes = s.ID == idManualScroll || s.ID == idRegularScroll || s.ID == idCriticalScroll ||
                         s.ID == idCriticalAdjustScroll || s.ID == idStartupScroll;
        EXPECT_EQ(s.Minimum.has_value(), !megabytes) << s.ID;
        if (megabytes) {
            EXPECT_EQ(s.Maximum, 536) << s.ID;
            EXPECT_EQ(s.PageSize, 25) << s.ID;
        }
    }
    std::map<int32_t, int32_t> wanted = {
        {idManualScroll, 512},  {idRegularScroll, 512},  {idCriticalScroll, 512},     {idCriticalAdjustScroll, 512},
        {idStartupScroll, 512}, {idIntervallScroll, 11}, {idRegularAdjustScroll, 82}, {idStartupAdjustScroll, 120},
        {idIdleCpuScroll, 100}, {idIdleTimeScroll, 60}};
    EXPECT_EQ(lastPosition, wanted);
}

TEST(PageSwitchTest, HideShowQueueAndButtonLooks) {
    // The refresh of every page is an item of its own kind, named "(refresh)" here.
    auto names = [](const TPageSwitch& s) {
        std::vector<std::pair<std::wstring, bool>> out;
        for (const TSkinAnimation& a : s.Queue) {
            EXPECT_TRUE(a.RefreshPages == a.Name.empty()) << "a refresh carries no animation name";
            out.emplace_back(a.RefreshPages ? L"(refresh)" : a.Name, a.PlayWithNext);
        }
        return out;
    };
    using Queue = std::vector<std::pair<std::wstring, bool>>;
    TPageSwitch regularToCritical = PageSwitch(pgRegular, pgCritical);
    EXPECT_EQ(regularToCritical.ClearPressedID, idRegular);
    EXPECT_EQ(regularToCritical.SetPressedID, idCritical);
    EXPECT_EQ(names(regularToCritical), (Queue{{L"regular_hide", true},
                                               {L"idle_hide", false},
                                               {L"(refresh)", true},
                                               {L"critical_show", true},
                                               {L"idle_show", false}}));
    TPageSwitch openAbout = PageSwitch(pgNone, pgAbout);
    EXPECT_EQ(openAbout.ClearPressedID, 0);
    EXPECT_EQ(openAbout.SetPressedID, 0);  // the about button has no pressed look
    EXPECT_EQ(names(openAbout), (Queue{{L"(refresh)", true}, {L"about_show", false}}));
    TPageSwitch closeMisc = PageSwitch(pgMisc, pgNone);
    EXPECT_EQ(closeMisc.ClearPressedID, idMisc);
    EXPECT_EQ(closeMisc.SetPressedID, 0);
    EXPECT_EQ(names(closeMisc), (Queue{{L"misc_hide", false}, {L"(refresh)", true}}));
    EXPECT_EQ(TogglePageTarget(pgManual, pgManual), pgNone);
    EXPECT_EQ(TogglePageTarget(pgManual, pgStartup), pgManual);
    EXPECT_EQ(std::wstring(PageRow(pgAbout).HelpTopic), L"overview.htm");
    EXPECT_EQ(std::wstring(PageRow(pgMisc).HelpTopic), L"misc.htm");
}

class PageActionTest : public PageTest {};

TEST_F(PageActionTest, ClicksChangeExactlyTheirOptions) {
    struct Case {
        int32_t id;
        int page;
        OptionValues changes;
        TClickResult result = {};
    };
    // First-run defaults on 512 MB: Manual 256, Amount1..3 256/204/102, icon styles 2, CPU monitoring off.
    const Case cases[] = {
        {idSetPreset2, pgManual, {{"Amount2", 256}}},
        {idSetValue3, pgManual, {{"Manual", 102}}},
        {idRegularOnCheck, pgRegular, {{"Regular", 0}}},
        {idCriticalOnCheck, pgCritical, {{"Critical", 0}}},
        {idStartupOnCheck, pgStartup, {{"Startup", 0}}},
        {idMemoryTrayIconOff, pgMonitor, {{"MemoryIcon", 0}}},
        {idMemoryTrayIconBar, pgMonitor, {{"MemoryIconStyle", 3}}},
        {idMemoryTrayIconChart, pgMonitor, {{"MemoryIconStyle", 1}}},
        {idCpuTrayIconBar, pgMonitor, {{"CPUIconStyle", 3}, {"CPUMonitoring", 1}}},
        {idCpuTrayIconNumber, pgMonitor, {{"CPUMonitoring", 1}}},
        {idEnforceTrayIconCheck, pgMonitor, {{"ProgramIcon", 1}}},
        {idShowFreeMemory, pgMonitor, {{"ShowUsedMemory", 0}}},
        {idBackgroundOnCheck, pgMisc, {{"BackgroundActivity", 0}}},
        {idIdleForceCheck, pgRegular, {{"RegularIdleEnforce", 1}}},
        {idIdleForceCheck, pgCritical, {{"CriticalIdleEnforce", 0}}},
        {idIdleForceCheck, pgStartup, {{"StartupIdleEnforce", 0}}},
        {idIdleForceCheck, pgMonitor, {}},
        {idIdleForceCheck, pgNone, {}},
        {idSetHotkey2, pgManual, {}, {TClickEffect::HotkeyDialog, 2}},
        {idDefaultSettings, pgMisc, {}, {TClickEffect::AskDefaults, 0}},
        {idManual, pgNone, {}},
        {idChart, pgNone, {}},
    };
    for (const Case& c : cases) {
        OptionValues before = Snapshot(O());
        EXPECT_EQ(PageClick(O(), c.id, c.page), c.result) << "click " << c.id << " on page " << c.page;
        EXPECT_EQ(Changes(before, Snapshot(O())), c.changes) << "click " << c.id << " on page " << c.page;
        // Undo, so every case starts from the defaults.
        O().ApplyDefaults();
    }
}

TEST_F(PageActionTest, SlidersMoveTheirOptionsAndTheIdleOnesOnlyOnPagesTwoToFour) {
    struct Case {
        int32_t id;
        int page;
        int32_t position;
        OptionValues changes;
    };
    const Case cases[] = {
        {idManualScroll, pgManual, 1, {{"Manual", 1}}},
        {idIntervallScroll, pgMonitor, 3, {}},  // step 3 is 1000 ms, the default
        {idIntervallScroll, pgMonitor, 0, {{"ChartInterval", 250}}},
        {idIntervallScroll, pgMonitor, 12, {{"ChartInterval", 60000}}},
        {idRegularScroll, pgRegular, 400, {{"RegularFreeUpMB", 400}}},
        {idRegularAdjustScroll, pgRegular, 61, {{"RegularInterval", 120}}},
        {idCriticalScroll, pgCritical, 350, {{"CriticalFreeUpMB", 350}}},
        {idStartupScroll, pgStartup, 500, {{"StartupFreeUpMB", 500}}},
        {idStartupAdjustScroll, pgStartup, 0, {{"StartupWait", 0}}},
        {idIdleCpuScroll, pgRegular, 70, {{"RegularIdlePercent", 70}}},
        {idIdleCpuScroll, pgCritical, 70, {{"CriticalIdlePercent", 70}}},
        {idIdleCpuScroll, pgStartup, 70, {{"StartupIdlePercent", 70}}},
        {idIdleTimeScroll, pgRegular, 7, {{"RegularIdleSeconds", 7}}},
        {idIdleTimeScroll, pgCritical, 7, {{"CriticalIdleSeconds", 7}}},
        {idIdleTimeScroll, pgStartup, 7, {{"StartupIdleSeconds", 7}}},
        {idIdleCpuScroll, pgMonitor, 70, {}},
        {idIdleTimeScroll, pgMonitor, 7, {}},
        {idIdleTimeScroll, pgNone, 7, {}},
    };
    for (const Case& c : cases) {
        OptionValues before = Snapshot(O());
        PageSlider(O(), c.id, c.page, c.position);
        EXPECT_EQ(Changes(before, Snapshot(O())), c.changes) << "slider " << c.id << " on page " << c.page;
        O().ApplyDefaults();
    }
}

TEST_F(PageActionTest, ManualFreeUpAsksForTheShownAmountAndNothingForNone) {
    O().SetManual(100);
    EXPECT_EQ(PageClick(O(), idManualActivate, pgManual), (TClickResult{TClickEffect::FreeUpRequest, 412}));
    O().SetManual(512);  // the slider's end: 0 MB to free, shown as 1 MB
    EXPECT_EQ(PageClick(O(), idManualActivate, pgManual), TClickResult{});
    EXPECT_EQ(TextOf(RefreshPages(O(), pgManual, ocManual), idManualAmount), L"1 MB");
    // A click only returns its effect: nothing reaches any window.
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_FREEUPREQUEST, WM_FREEUPREQUEST, PM_NOREMOVE));
}

TEST_F(PageActionTest, SetPresetAtTheSlidersEndKeepsThePreset) {
    O().SetManual(512);
    PageClick(O(), idSetPreset1, pgManual);
    EXPECT_EQ(O().Amount1(), 256u);
    O().SetManual(300);
    PageClick(O(), idSetPreset1, pgManual);
    EXPECT_EQ(O().Amount1(), 300u);
}

TEST_F(PageActionTest, DragAppliesAtEveryTrackAndNotAgainAtItsEndAnArrowClickOnce) {
    MessageRecorder window;
    O().RegisterListener(window.Handle());
    PumpMessages();
    window.Take();
    TSliderTracking tracking;
    tracking.SkinScrollTrack(O(), idManualScroll, pgManual, 100);
    EXPECT_EQ(O().Manual(), 100);
    tracking.SkinScrollTrack(O(), idManualScroll, pgManual, 120);
    EXPECT_EQ(O().Manual(), 120);
    EXPECT_TRUE(tracking.TrackingScroll());
    tracking.SkinScroll(O(), idManualScroll, pgManual, 300);  // the end of the drag
    EXPECT_EQ(O().Manual(), 120);
    EXPECT_FALSE(tracking.TrackingScroll());
    PumpMessages();
    EXPECT_EQ(window.Take().size(), 2u);                      // one change notice per applied track
    tracking.SkinScroll(O(), idManualScroll, pgManual, 121);  // an arrow click
    EXPECT_EQ(O().Manual(), 121);
    tracking.SkinScroll(O(), idManualScroll, pgManual, 122);
    EXPECT_EQ(O().Manual(), 122);
    O().UnregisterListener(window.Handle());
}

class PageRefreshTest : public PageTest {};

TEST_F(PageRefreshTest, MegabyteSlidersShowTheAmountThatAPositionFrees) {
    O().SetManual(512);
    EXPECT_EQ(TextOf(RefreshPages(O(), pgManual, ocManual), idManualAmount), L"1 MB");
    O().SetManual(1);
    TPageRefresh r = RefreshPages(O(), pgManual, ocManual);
    EXPECT_EQ(PositionOf(r, idManualScroll), 1);
    EXPECT_EQ(TextOf(r, idManualAmount), L"511 MB");
    EXPECT_EQ(TextOf(r, idPreset3), L"410 MB");  // Amount3 102
    ASSERT_EQ(WritesTo(r, idSetValue1).size(), 1u);
    EXPECT_EQ(WritesTo(r, idSetValue1)[0], (TElementWrite{TWriteKind::Caption, idSetValue1, 0, L"256 MB"}));
}

TEST_F(PageRefreshTest, OnlyTheNamedGroupsAreWrittenAndTheMarkersAlways) {
    EXPECT_TRUE(RefreshPages(O(), pgCritical, 0).Writes.empty());
    EXPECT_TRUE(RefreshPages(O(), pgCritical, ocFreeAndRun).Writes.empty());
    std::set<int32_t> critical;
    for (const TElementWrite& w : RefreshPages(O(), pgManual, ocCritical).Writes) critical.insert(w.ID);
    EXPECT_EQ(critical, (std::set<int32_t>{idCriticalScroll, idCriticalAmount, idCriticalAdjustScroll, idCriticalAdjust,
                                           idCriticalOnCheck}));
    struct Case {
        int page;
        TChartMarkers markers;
    };
    // Defaults on 512 MB: Manual 256, RegularFreeUpMB 256, CriticalFreeUpMB 307, trigger 409, StartupFreeUpMB 256.
    for (const Case& c : std::initializer_list<Case>{{pgNone, {std::nullopt, false, std::nullopt, false}},
                                                     {pgManual, {256u, true, std::nullopt, false}},
                                                     {pgRegular, {256u, true, std::nullopt, false}},
                                                     {pgCritical, {307u, true, 409u, true}},
                                                     {pgStartup, {256u, true, std::nullopt, false}},
                                                     {pgMonitor, {std::nullopt, false, std::nullopt, false}},
                                                     {pgAbout, {std::nullopt, false, std::nullopt, false}},
                                                     {pgMisc, {std::nullopt, false, std::nullopt, false}}}) {
        EXPECT_EQ(RefreshPages(O(), c.page, 0).Markers, c.markers) << "page " << c.page;
    }
}

TEST_F(PageRefreshTest, DisplayGroupPressesExactlyOneButtonPerGroup) {
    O().SetMemoryIconStyle(3);
    O().SetShowUsedMemory(false);
    O().SetChartInterval(1500);
    O().SetBackgroundActivity(false);
    TPageRefresh r = RefreshPages(O(), pgMonitor, ocDisplay);
    EXPECT_EQ(PositionOf(r, idIntervallScroll), 3);
    EXPECT_EQ(TextOf(r, idIntervallAmount), L"1 s");
    EXPECT_EQ(LookOf(r, idCpuTrayIconOff), TWriteKind::SetPressed);  // CPU monitoring is off
    EXPECT_EQ(LookOf(r, idCpuTrayIconNumber), TWriteKind::ClearPressed);
    EXPECT_EQ(LookOf(r, idMemoryTrayIconBar), TWriteKind::SetPressed);
    for (int32_t id : {idMemoryTrayIconOff, idMemoryTrayIconChart, idMemoryTrayIconNumber, idCpuTrayIconChart,
                       idCpuTrayIconBar, idShowUsedMemory}) {
        EXPECT_EQ(LookOf(r, id), TWriteKind::ClearPressed) << id;
    }
    EXPECT_EQ(LookOf(r, idShowFreeMemory), TWriteKind::SetPressed);
    EXPECT_EQ(r.ShowFree, true);
    EXPECT_EQ(LookOf(r, idEnforceTrayIconCheck), TWriteKind::ClearChecked);
    EXPECT_EQ(LookOf(r, idBackgroundOnCheck), TWriteKind::ClearChecked);
    EXPECT_EQ(RefreshPages(O(), pgMonitor, ocManual).ShowFree, std::nullopt);
    // Moving the interval slider to step 3 stores 1000.
    PageSlider(O(), idIntervallScroll, pgMonitor, 3);
    EXPECT_EQ(O().ChartInterval(), 1000);
}

TEST_F(PageRefreshTest, RegularIntervalShowsItsPositionAndLabel) {
    struct Case {
        int32_t minutes, position;
        const wchar_t* label;
    };
    for (const Case& c : std::initializer_list<Case>{
             {60, 60, L"1 hrs"}, {90, 60, L"1 hrs"}, {120, 61, L"2 hrs"}, {1440, 83, L"24 hrs"}}) {
        O().SetRegularInterval(c.minutes);
        TPageRefresh r = RefreshPages(O(), pgRegular, ocRegular);
        EXPECT_EQ(PositionOf(r, idRegularAdjustScroll), c.position) << c.minutes;
        EXPECT_EQ(TextOf(r, idRegularAdjust), c.label) << c.minutes;
    }
    O().SetStartupWait(0);
    EXPECT_EQ(TextOf(RefreshPages(O(), pgStartup, ocStartup), idStartupAdjust), L"0 sec");
}

TEST_F(PageRefreshTest, CriticalTriggerBelowTheAmountDragsTheAmountInTheSameRefresh) {
    MessageRecorder window;
    O().RegisterListener(window.Handle());
    PumpMessages();
    window.Take();
    PageSlider(O(), idCriticalAdjustScroll, pgCritical, 200);  // the amount's position is 307
    PumpMessages();
    std::vector<RecordedMessage> notices = window.Take();
    ASSERT_EQ(notices.size(), 1u);
    TPageRefresh r = RefreshPages(O(), pgCritical, static_cast<uint32_t>(notices[0].wParam));
    EXPECT_EQ(PositionOf(r, idCriticalAdjustScroll), 200);
    EXPECT_EQ(PositionOf(r, idCriticalScroll), 200);
    EXPECT_EQ(TextOf(r, idCriticalAdjust), L"200 MB");
    EXPECT_EQ(TextOf(r, idCriticalAmount), L"312 MB");
    EXPECT_EQ(r.Markers, (TChartMarkers{200u, true, 200u, true}));
    O().UnregisterListener(window.Handle());
}

TEST_F(PageRefreshTest, IdlePanelShowsTheOpenPagesValues) {
    O().SetCriticalIdleSeconds(12);
    O().SetCriticalIdlePercent(33);
    O().SetRegularIdleSeconds(44);
    TPageRefresh critical = RefreshPages(O(), pgCritical, ocAll);
    EXPECT_EQ(PositionOf(critical, idIdleTimeScroll), 12);
    EXPECT_EQ(PositionOf(critical, idIdleCpuScroll), 33);
    EXPECT_EQ(TextOf(critical, idIdleTimeText), L"Idle search time: 12 s");
    EXPECT_EQ(TextOf(critical, idIdleCpuText), L"Allowed CPU usage: 33%");
    EXPECT_EQ(LookOf(critical, idIdleForceCheck), TWriteKind::SetChecked);  // CriticalIdleEnforce
    EXPECT_EQ(PositionOf(RefreshPages(O(), pgRegular, ocAll), idIdleTimeScroll), 44);
    EXPECT_TRUE(WritesTo(RefreshPages(O(), pgRegular, ocCritical), idIdleTimeScroll).empty());
    EXPECT_TRUE(WritesTo(RefreshPages(O(), pgMonitor, ocAll), idIdleTimeScroll).empty());
}

TEST_F(PageRefreshTest, NextRegularTextIsEmptyWhenOffAndMidnightBeforeTheFirstSchedule) {
    O().SetRegular(false);
    EXPECT_EQ(TextOf(RefreshPages(O(), pgRegular, ocRegular), idNextRegularText), L"");
    O().SetRegular(true);
    EXPECT_EQ(TextOf(RefreshPages(O(), pgRegular, ocRegular), idNextRegularText), NextRegularText(true, 0.0));
    const LCID english = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
    const LCID german = MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT);
    EXPECT_EQ(NextRegularText(true, 0.0, english), L"Next Free up at 12:00 AM.");
    EXPECT_EQ(NextRegularText(true, 0.0, german), L"Next Free up at 00:00.");
    EXPECT_EQ(NextRegularText(true, 45000.75, english), L"Next Free up at 6:00 PM.");
    EXPECT_EQ(NextRegularText(true, -1.25, german), L"Next Free up at 06:00.");
    EXPECT_EQ(NextRegularText(false, 45000.75, english), L"");
}
