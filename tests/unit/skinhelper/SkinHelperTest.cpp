// Pressed and checked looks, captions, branding, animations by name, colours and placing a
// control, over a skinned window of a small Korvix-named skin.
#include <gtest/gtest.h>
#include "skin/SkinTestSupport.h"
#include "support/TestSupport.h"
#include "ui/uKorvixSkinHelper.h"
#include "ui/uSkinHelper.h"
#include "ui/uSkinNames.h"

namespace {
const char* const KorvixSkin = R"(skn 1
section s fill solid #DDDDDD
section btn fill solid #BBBBBB
section head fill solid #000000
section _pressed fill solid #999999
section header_korvix fill solid #3366CC
form Korvix {
  size 300 200
  color #F0F0F0
  button manual {
    rect 10 10 60 20
    normal btn #102030
    hot btn #000000
    pushed _pressed #FFFFFF
  }
  button about {
    rect 80 10 60 20
    normal btn #000000
  }
  static StatusStatic {
    rect 10 40 200 20
    color #000000
  }
  static header {
    rect 10 60 50 20
    section head
  }
  static chart {
    rect 20 100 120 60
  }
  static chart_backcolor {
    hidden
    color #123456
  }
  button text_manual {
    rect 150 10 60 20
    normal btn #000000
  }
  static help {
    rect 220 10 60 20
  }
  static about_program_version {
    rect 10 170 200 20
  }
  group manual_page {
    rect 0 0 300 200
    section s
    hidden
    animation manual_show {
      frame 0 show
      frame 120 alpha 255
      frame 80
    }
    static manual_amount {
      rect 10 70 100 20
      animation manual_show {
        frame 150 alpha 255
        frame 100
      }
    }
  }
}
)";

class KorvixWindow : public testing::Test {
protected:
    void SetUp() override {
        skin.Load(WriteSkin(KorvixSkin));
        skin.ApplyForm(host.Handle(), L"Korvix");
        root = skin.WindowObject(host.Handle());
    }
    SkinButtonState State(const wchar_t* name, int i) { return root.Find(name).AsButton().GetState(i); }
    HostWindow host;
    TSkin skin;
    TSkinObject root;
};

TEST(SkinHelperRules, PressedAndCheckedRecords) {
    struct {
        const wchar_t* name;
        bool (*rule)(SkinButtonState&);
        const wchar_t* after;
        bool changed;
    } cases[] = {
        {L"btn", PressRecord, L"btn_pressed", true},
        {L"btn_pressed", PressRecord, L"btn_pressed", false},
        {L"_pressed", PressRecord, L"_pressed_pressed", true},  // exactly the suffix: not pressed
        {L"", PressRecord, L"_pressed", true},
        {L"btn_pressed", UnpressRecord, L"btn", true},
        {L"btn", UnpressRecord, L"btn", false},
        {L"_pressed", UnpressRecord, L"_pressed", false},
        {L"btn", CheckRecord, L"btn_checked", true},
        {L"btn_checked", CheckRecord, L"btn_checked", false},
        {L"btn_checked", UncheckRecord, L"btn", true},
        {L"btn_pressed", UncheckRecord, L"btn_pressed", false},
    };
    for (const auto& c : cases) {
        SkinButtonState s{{c.name}, {1, 2, 3}};
        EXPECT_EQ(c.rule(s), c.changed) << Narrow8(c.name);
        EXPECT_EQ(s.Section.Name, c.after) << Narrow8(c.name);
        bool pressRule = c.rule == PressRecord || c.rule == UnpressRecord;
        TSkinColor expected = c.changed && pressRule ? TSkinColor{254, 253, 252} : TSkinColor{1, 2, 3};
        EXPECT_EQ(s.Color, expected) << Narrow8(c.name);
    }
}

TEST_F(KorvixWindow, SetPressedTwiceThenClearRestoresNameAndColour) {
    SkinButtonState before[3] = {State(L"manual", 0), State(L"manual", 1), State(L"manual", 2)};
    SetPressed(root, idManual);
    EXPECT_EQ(State(L"manual", 0).Section.Name, L"btn_pressed");
    EXPECT_EQ(SkinColorValue(State(L"manual", 0).Color), 0xCFDFEFu);  // #102030 inverted: #EFDFCF
    EXPECT_EQ(State(L"manual", 2).Section.Name, L"_pressed_pressed");
    SkinButtonState pressed = State(L"manual", 0);
    SetPressed(root, idManual);
    EXPECT_EQ(State(L"manual", 0), pressed);
    ClearPressed(root, idManual);
    ClearPressed(root, idManual);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(State(L"manual", i), before[i]) << i;
}

TEST_F(KorvixWindow, PressedLooksSkipAbsentElementsAndRefuseOtherKinds) {
    EXPECT_NO_THROW(SetPressed(root, idRegular));  // the skin has no regular button
    EXPECT_NO_THROW(ClearPressed(root, 115));      // no such element number
    EXPECT_THROW(SetPressed(root, idStatusStatic), ESkinError);
    EXPECT_THROW(ClearPressed(root, idStatusStatic), ESkinError);
    EXPECT_NO_THROW(SetChecked(root, idStatusStatic));
    EXPECT_NO_THROW(ClearChecked(root, idRegularOnCheck));
    SetChecked(root, idAbout);
    EXPECT_EQ(State(L"about", 1).Section.Name, L"btn_checked");
    EXPECT_EQ(SkinColorValue(State(L"about", 1).Color), 0u);
    ClearChecked(root, idAbout);
    EXPECT_EQ(State(L"about", 1).Section.Name, L"btn");
    // After the window is gone the pressed look is an engine error, the checked look nothing.
    skin.UnskinWindow(host.Handle());
    EXPECT_THROW(SetPressed(root, idManual), ESkinError);
    EXPECT_NO_THROW(SetChecked(root, idManual));
}

TEST_F(KorvixWindow, TranslateSkinWritesEveryCaptionItCanAndSkipsTheRest) {
    TranslateSkin(root);
    EXPECT_EQ(root.Find(L"about").AsButton().Caption(), L"About");
    EXPECT_EQ(root.Find(L"about_program_version").AsStatic().Text().rfind(L"Version ", 0), 0u);
    EXPECT_EQ(root.Find(L"about_program_version").AsStatic().Text().find(L"%1"), std::wstring::npos);
    // text_manual is a button here and help a static: both rows are skipped. text_misc is
    // missing: the rows after it still arrive.
    EXPECT_EQ(root.Find(L"text_manual").AsButton().Caption(), L"");
    EXPECT_EQ(root.Find(L"help").AsStatic().Text(), L"");
    EXPECT_NO_THROW(TranslateSkin(TSkinObject()));
}

TEST_F(KorvixWindow, SetBrandingChangesTheHeaderAndSurvivesAMissingAboutImage) {
    SetBranding(root);
    EXPECT_EQ(root.Find(L"header").AsStatic().GetImageSection().Name, L"header_korvix");
    EXPECT_EQ(ScreenPixel(host.Handle(), 30, 70), RGB(0x33, 0x66, 0xCC));
}

TEST_F(KorvixWindow, PlayAnimationStartsEveryNamedAnimationAndReturnsTheLongest) {
    EXPECT_EQ(PlayAnimation(root, L"manual_show"), 250);  // 200 on the group, 250 on manual_amount
    EXPECT_EQ(PlayAnimation(root, L"manual_hide"), 0);
    EXPECT_EQ(PlayAnimation(TSkinObject(), L"manual_show"), 0);
    // Started: the hidden group shows.
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(host.Handle(), 200, 150) == RGB(0xDD, 0xDD, 0xDD); }, 2000));
}

TEST_F(KorvixWindow, SkinColorFallsBackUnlessAStaticHasAColour) {
    EXPECT_EQ(SkinColor(root.Find(L"chart_backcolor"), 7), 0x563412u);
    EXPECT_EQ(SkinColor(root.Find(L"chart_forecolor"), 7), 7u);  // absent
    EXPECT_EQ(SkinColor(root.Find(L"manual"), 7), 7u);           // a button
    EXPECT_EQ(SkinColor(root.Find(L"chart"), 7), 7u);            // no colour of its own
}

TEST_F(KorvixWindow, PlaceOnElementMovesTheControlOntoTheElement) {
    HWND control = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 5, 5, host.Handle(), nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr);
    PlaceOnElement(control, root, L"chart");
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, host.Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.right - r.left, 120);
    EXPECT_EQ(r.bottom - r.top, 60);
    EXPECT_THROW(PlaceOnElement(control, root, L"nothing"), ESkinError);
}
}  // namespace
