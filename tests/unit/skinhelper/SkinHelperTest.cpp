// Pressed and checked state, captions, branding, animations by name, colours and placing a
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

TEST_F(KorvixWindow, SetPressedTwiceThenClearLeavesThePressedStateAndTheRecordsAsDesigned) {
    SkinButtonState before[3] = {State(L"manual", 0), State(L"manual", 1), State(L"manual", 2)};
    TSkinButton manual = root.Find(L"manual").AsButton();
    SetPressed(root, idManual);
    EXPECT_TRUE(manual.Pressed());
    SetPressed(root, idManual);
    EXPECT_TRUE(manual.Pressed());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(State(L"manual", i), before[i]) << i;
    ClearPressed(root, idManual);
    EXPECT_FALSE(manual.Pressed());
    ClearPressed(root, idManual);
    EXPECT_FALSE(manual.Pressed());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(State(L"manual", i), before[i]) << i;
}

TEST_F(KorvixWindow, PressedLooksSkipAbsentElementsAndRefuseOtherKinds) {
    EXPECT_NO_THROW(SetPressed(root, idRegular));  // the skin has no regular button
    EXPECT_NO_THROW(ClearPressed(root, 115));      // no such element number
    EXPECT_THROW(SetPressed(root, idStatusStatic), ESkinError);
    EXPECT_THROW(ClearPressed(root, idStatusStatic), ESkinError);
    EXPECT_NO_THROW(SetChecked(root, idStatusStatic));
    EXPECT_NO_THROW(ClearChecked(root, idRegularOnCheck));
    TSkinButton about = root.Find(L"about").AsButton();
    SetChecked(root, idAbout);
    EXPECT_TRUE(about.Checked());
    EXPECT_FALSE(about.Pressed());
    ClearChecked(root, idAbout);
    EXPECT_FALSE(about.Checked());
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
