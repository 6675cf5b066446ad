// A real window drawn from a skin form, driven by mouse and keyboard messages.
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include "framework/uHandles.h"
#include "skin/SkinTestSupport.h"
#include "skin/uSkinRender.h"
#include "support/TestSupport.h"

namespace {
using Lines = std::vector<std::string>;

class SkinnedWindow : public testing::Test {
protected:
    void SetUp() override {
        skin.Load(WriteSkin(MiniSkin));
        skin.ApplyForm(host.Handle(), L"Mini");
        root = skin.WindowObject(host.Handle());
        ::UpdateWindow(host.Handle());
        PumpMessages();
        log.Take();
    }
    HWND Wnd() const { return host.Handle(); }
    RECT Rect(const wchar_t* name) const { return root.Find(name).Rectangle(); }

    HostWindow host;
    TSkin skin;
    EventLog log{skin};
    TSkinObject root;
};

TEST_F(SkinnedWindow, TheFormSetsTheClientSizeAndRectanglesAreClientPixels) {
    RECT client{};
    ::GetClientRect(Wnd(), &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 120);
    EXPECT_EQ(Rect(L"ok").left, 10);
    EXPECT_EQ(Rect(L"ok").top, 20);
    EXPECT_EQ(Rect(L"ok").right, 70);
    EXPECT_EQ(Rect(L"ok").bottom, 40);
    EXPECT_EQ(root.Rectangle().right, 200);
    EXPECT_EQ(SkinColorValue(root.Color()), 0xF0F0F0u);
    EXPECT_EQ(root.Name(), L"Mini");
}

TEST_F(SkinnedWindow, AClickGivesDownUpAndClickOnTheButton) {
    Mouse(Wnd(), WM_MOUSEMOVE, 15, 25);
    Mouse(Wnd(), WM_LBUTTONDOWN, 15, 25);
    Mouse(Wnd(), WM_LBUTTONUP, 16, 26);
    EXPECT_EQ(log.Take(), (Lines{"SkinEvent ok OnMouseIn", "SkinEvent ok OnMouseDown", "MouseDown ok 0 15 25",
                                 "MouseUp ok 0 16 26", "SkinEvent ok OnClick"}));
    // Released elsewhere: no click, and the source of the up is where the mouse is.
    Mouse(Wnd(), WM_LBUTTONDOWN, 15, 25);
    Mouse(Wnd(), WM_MOUSEMOVE, 100, 25);
    Mouse(Wnd(), WM_LBUTTONUP, 100, 25);
    EXPECT_EQ(log.Take(), (Lines{"SkinEvent ok OnMouseDown", "MouseDown ok 0 15 25", "SkinEvent ok OnMouseOut",
                                 "SkinEvent other OnMouseIn", "MouseUp other 0 100 25"}));
}

TEST_F(SkinnedWindow, MouseInAndOutAndRightButtonsNameTheElement) {
    Mouse(Wnd(), WM_MOUSEMOVE, 15, 25);
    Mouse(Wnd(), WM_MOUSEMOVE, 125, 55);
    Mouse(Wnd(), WM_MOUSEMOVE, 160, 100);  // anonymous decoration: counts as the form
    Mouse(Wnd(), WM_RBUTTONDOWN, 160, 100);
    Mouse(Wnd(), WM_RBUTTONUP, 125, 55);
    EXPECT_EQ(log.Take(), (Lines{"SkinEvent ok OnMouseIn", "SkinEvent ok OnMouseOut", "SkinEvent label OnMouseIn",
                                 "SkinEvent label OnMouseOut", "SkinEvent Mini OnMouseDown", "MouseDown Mini 1 160 100",
                                 "MouseUp label 1 125 55"}));
}

TEST_F(SkinnedWindow, ArrowsAndPageAreaMoveTheScrollBarOnce) {
    // Bar 10..110 x 50..60: arrows 10 wide, track 20..100, thumb 40 wide for page 10 of 20.
    Mouse(Wnd(), WM_LBUTTONDOWN, 105, 55);  // next arrow
    Mouse(Wnd(), WM_LBUTTONUP, 105, 55);
    Mouse(Wnd(), WM_LBUTTONDOWN, 90, 55);  // page area right of the thumb
    Mouse(Wnd(), WM_LBUTTONUP, 90, 55);
    Mouse(Wnd(), WM_LBUTTONDOWN, 15, 55);  // previous arrow
    Mouse(Wnd(), WM_LBUTTONUP, 15, 55);
    Lines events = log.Take();
    Lines scrolls;
    for (const auto& e : events)
        if (e.rfind("Scroll", 0) == 0) scrolls.push_back(e);
    EXPECT_EQ(scrolls, (Lines{"Scroll bar 1", "Scroll bar 10", "Scroll bar 9"}));
    EXPECT_EQ(root.Find(L"bar").AsScrollBar().Position(), 9);
}

TEST_F(SkinnedWindow, HoldingAnArrowRepeatsUntilReleased) {
    Mouse(Wnd(), WM_LBUTTONDOWN, 105, 55);
    ASSERT_TRUE(PumpUntil([&] { return root.Find(L"bar").AsScrollBar().Position() >= 3; }, 5000));
    Mouse(Wnd(), WM_LBUTTONUP, 105, 55);
    int released = root.Find(L"bar").AsScrollBar().Position();
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(root.Find(L"bar").AsScrollBar().Position(), released);
    int scrolls = 0;
    for (const auto& e : log.Take()) scrolls += e.rfind("Scroll bar ", 0) == 0;
    EXPECT_EQ(scrolls, released);  // one OnScroll for each step
}

TEST_F(SkinnedWindow, DraggingTheThumbTracksEveryMoveAndScrollsAtTheEnd) {
    // Thumb at 20..60 for position 0; each position is 4 pixels of travel (40 / 10).
    Mouse(Wnd(), WM_LBUTTONDOWN, 30, 55);
    Mouse(Wnd(), WM_MOUSEMOVE, 38, 55);
    Mouse(Wnd(), WM_MOUSEMOVE, 39, 80);  // off the bar: still dragging
    Mouse(Wnd(), WM_MOUSEMOVE, 200, 55);
    Mouse(Wnd(), WM_LBUTTONUP, 200, 55);
    Lines events = log.Take();
    Lines scrolls;
    for (const auto& e : events)
        if (e.rfind("Scroll", 0) == 0) scrolls.push_back(e);
    EXPECT_EQ(scrolls, (Lines{"ScrollTrack bar 2", "ScrollTrack bar 10", "Scroll bar 10"}));
}

TEST_F(SkinnedWindow, RefreshRepaintsOnlyTheElement) {
    ::ValidateRect(Wnd(), nullptr);
    root.Find(L"label").Refresh();
    RECT update{};
    ASSERT_TRUE(::GetUpdateRect(Wnd(), &update, FALSE));
    EXPECT_EQ(update.left, 120);
    EXPECT_EQ(update.top, 50);
    EXPECT_EQ(update.right, 190);
    EXPECT_EQ(update.bottom, 70);
    // A setter repaints its element as well, and a group repaints what it holds.
    ::ValidateRect(Wnd(), nullptr);
    root.Find(L"ok").AsButton().SetCaption(L"Yes");
    ::GetUpdateRect(Wnd(), &update, FALSE);
    EXPECT_EQ(update.right - update.left, 60);
    EXPECT_EQ(update.bottom - update.top, 20);
}

TEST_F(SkinnedWindow, PaintingShowsTheLooksAndTheText) {
    EXPECT_EQ(ScreenPixel(Wnd(), 185, 105), RGB(0, 0, 255));       // anonymous blue decoration
    EXPECT_EQ(ScreenPixel(Wnd(), 40, 22), RGB(0xC0, 0xC0, 0xC0));  // button, normal
    Mouse(Wnd(), WM_MOUSEMOVE, 15, 25);
    EXPECT_EQ(ScreenPixel(Wnd(), 40, 22), RGB(0xD0, 0xD0, 0xFF));  // hot
    Mouse(Wnd(), WM_LBUTTONDOWN, 15, 25);
    EXPECT_EQ(ScreenPixel(Wnd(), 40, 22), RGB(0x80, 0x80, 0xFF));  // pushed
    Mouse(Wnd(), WM_LBUTTONUP, 15, 25);
    // The pressed look the program sets falls back from btn_pressed to a real section.
    TSkinButton other = root.Find(L"other").AsButton();
    SkinButtonState s = other.GetState(sbNormal);
    s.Section.Name = L"btn_checked_pressed";
    other.SetState(sbNormal, s);
    EXPECT_EQ(ScreenPixel(Wnd(), 130, 22), RGB(0, 0xA0, 0));
}

TEST_F(SkinnedWindow, AnimationsPlayToTheirEndAndReturnAtOnce) {
    TSkinObject panel = root.Find(L"panel");
    EXPECT_EQ(ScreenPixel(Wnd(), 105, 100), RGB(0xF0, 0xF0, 0xF0));  // hidden
    panel.StartAnimation(0);
    // Start returned before the animation ran: shown, transparent and 10 pixels off its place.
    EXPECT_EQ(panel.Rectangle().left, 20);
    ASSERT_TRUE(PumpUntil([&] { return panel.Rectangle().left == 10; }, 3000));
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(Wnd(), 105, 100) == RGB(255, 0, 0); }, 3000));
    // Hidden again: the hide animation fades it out, then hides it.
    panel.StartAnimation(1);
    ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(Wnd(), 105, 100) == RGB(0xF0, 0xF0, 0xF0); }, 3000));
    ASSERT_TRUE(PumpUntil([&] { return !panel.AnimationRunning(); }, 3000));
    PumpMessages();
    log.Take();  // the ends of both animations
    Mouse(Wnd(), WM_LBUTTONDOWN, 105, 100);
    Mouse(Wnd(), WM_LBUTTONUP, 105, 100);
    EXPECT_EQ(log.Take().at(0), "SkinEvent Mini OnMouseDown");  // a hidden element takes no clicks
}

TEST_F(SkinnedWindow, AnAnimationTellsItsEndFromTheMessageLoopAndARestartEndsTheOneBefore) {
    TSkinObject panel = root.Find(L"panel");
    panel.StartAnimation(0);
    EXPECT_TRUE(panel.AnimationRunning());
    EXPECT_TRUE(root.AnimationRunning());  // something beneath the root plays
    EXPECT_FALSE(root.Find(L"ok").AnimationRunning());
    EXPECT_TRUE(log.Take().empty());  // nothing is told inside the call that started it
    ASSERT_TRUE(PumpUntil([&] { return !log.lines.empty(); }, 3000));
    EXPECT_EQ(log.Take(), Lines{"AnimationEnd panel panel_show"});
    EXPECT_FALSE(panel.AnimationRunning());
    EXPECT_FALSE(root.AnimationRunning());
    // The 150 ms show is stopped by the hide started after it: both end, in that order.
    panel.StartAnimation(0);
    panel.StartAnimation(1);
    ASSERT_TRUE(PumpUntil([&] { return log.lines.size() >= 2; }, 3000));
    EXPECT_EQ(log.Take(), (Lines{"AnimationEnd panel panel_show", "AnimationEnd panel panel_hide"}));
    EXPECT_FALSE(root.AnimationRunning());
    // The skin object plays nothing: its animations jump to their end.
    EXPECT_FALSE(skin.SkinObject().AnimationRunning());
}

TEST_F(SkinnedWindow, PressedAndCheckedStateDrawTheSkinsLooksAndLeaveTheRecords) {
    TSkinButton ok = root.Find(L"ok").AsButton();
    const SkinButtonState designed = ok.GetState(sbNormal);
    // A corner of the button, away from its caption; and how many of its pixels are white
    // (the caption, black in the design, is drawn inverted while pressed).
    auto corner = [&] { return ScreenPixel(Wnd(), 14, 37); };
    auto whitePixels = [&] {
        int white = 0;
        for (int x = 30; x < 50; ++x)
            for (int y = 24; y < 36; ++y) white += ScreenPixel(Wnd(), x, y) == RGB(255, 255, 255);
        return white;
    };
    EXPECT_EQ(corner(), RGB(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(whitePixels(), 0);
    ok.SetPressed(true);
    EXPECT_TRUE(ok.Pressed());
    EXPECT_EQ(corner(), RGB(0x40, 0x40, 0x40));  // btn_pressed
    EXPECT_GT(whitePixels(), 0);
    ok.SetPressed(true);  // pressing twice changes nothing
    ok.SetChecked(true);
    EXPECT_EQ(corner(), RGB(0, 0xA0, 0));  // btn_checked_pressed falls back to btn_checked
    ok.SetPressed(false);
    EXPECT_EQ(corner(), RGB(0, 0xA0, 0));
    EXPECT_EQ(whitePixels(), 0);
    ok.SetChecked(false);
    EXPECT_FALSE(ok.Checked());
    EXPECT_EQ(corner(), RGB(0xC0, 0xC0, 0xC0));
    // The state is the engine's own: the records stay as the skin designed them.
    EXPECT_EQ(ok.GetState(sbNormal), designed);
}

TEST_F(SkinnedWindow, TabMovesTheFocusMarkAndSpaceClicks) {
    ::SetFocus(Wnd());
    Key(Wnd(), VK_TAB);
    Key(Wnd(), VK_SPACE);
    Key(Wnd(), VK_TAB);
    Key(Wnd(), VK_RETURN);
    EXPECT_EQ(log.Take(), (Lines{"SkinEvent ok OnMouseDown", "MouseDown ok 0 40 30", "MouseUp ok 0 40 30",
                                 "SkinEvent ok OnClick", "SkinEvent other OnMouseDown", "MouseDown other 0 110 30",
                                 "MouseUp other 0 110 30", "SkinEvent other OnClick"}));
    // The third stop is the scroll bar: arrows and pages move it, one OnScroll each.
    Key(Wnd(), VK_TAB);
    Key(Wnd(), VK_RIGHT);
    Key(Wnd(), VK_NEXT);
    Key(Wnd(), VK_END);
    Key(Wnd(), VK_LEFT);
    EXPECT_EQ(log.Take(), (Lines{"Scroll bar 1", "Scroll bar 10", "Scroll bar 10", "Scroll bar 9"}));
    // Shift+Tab goes back; the hidden panel's elements are skipped, and the order wraps.
    ::SendMessageW(Wnd(), WM_KEYDOWN, VK_SHIFT, 1);
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    Key(Wnd(), VK_TAB);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    Key(Wnd(), VK_SPACE);
    EXPECT_EQ(log.Take().back(), "SkinEvent other OnClick");
}

TEST_F(SkinnedWindow, TheFocusMarkIsDrawnAroundTheFocusedButton) {
    ::SetForegroundWindow(Wnd());
    ::SetFocus(Wnd());
    COLORREF before = ScreenPixel(Wnd(), 9, 30);
    Key(Wnd(), VK_TAB);
    COLORREF after = ScreenPixel(Wnd(), 8, 30);
    EXPECT_NE(after, before);
    EXPECT_EQ(::GetFocus(), Wnd());
}

TEST_F(SkinnedWindow, CaptionAreasMoveTheWindowButtonsDoNot) {
    POINT title{100, 8}, button{15, 25};
    ::ClientToScreen(Wnd(), &title);
    ::ClientToScreen(Wnd(), &button);
    EXPECT_EQ(::SendMessageW(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(title.x, title.y)), HTCAPTION);
    EXPECT_EQ(::SendMessageW(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(button.x, button.y)), HTCLIENT);
}

TEST_F(SkinnedWindow, AHandlerMayUnskinTheWindowDuringItsEvent) {
    skin.OnSkinEvent = [&](TSkinObject, const std::wstring& name) {
        if (name == L"OnMouseDown") skin.UnskinWindow(Wnd());
    };
    Mouse(Wnd(), WM_LBUTTONDOWN, 15, 25);
    Mouse(Wnd(), WM_LBUTTONUP, 15, 25);
    EXPECT_THROW(skin.WindowObject(Wnd()), ESkinError);
    EXPECT_EQ(log.Take(), Lines{});  // the mouse-down event that follows was not delivered
}

TEST_F(SkinnedWindow, FineWheelDeltasAddUpToNotchesAndLargeTurnsStopAtTheEnds) {
    POINT at{60, 55};
    ::ClientToScreen(Wnd(), &at);
    auto wheel = [&](int delta) {
        ::SendMessageW(Wnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, short(delta)), MAKELPARAM(at.x, at.y));
    };
    for (int i = 0; i < 3; ++i) wheel(-40);  // a fine wheel: a third of a notch at a time
    EXPECT_EQ(log.Take(), Lines{"Scroll bar 1"});
    wheel(-60);
    wheel(-60);
    EXPECT_EQ(log.Take(), Lines{"Scroll bar 2"});
    wheel(-32760);  // 273 notches at once
    EXPECT_EQ(log.Take(), Lines{"Scroll bar 10"});
    wheel(32760);
    EXPECT_EQ(root.Find(L"bar").AsScrollBar().Position(), 0);
}

// A scroll handler may remove the skin (or show a message box whose loop does): the window
// touches nothing of the freed binding, whichever input moved the bar.
TEST_F(SkinnedWindow, AScrollHandlerMayUnskinTheWindow) {
    struct Case {
        const char* input;
        int unskinAt;  // the scroll event whose handler unskins
        std::function<void(HWND)> move;
    } cases[] = {
        {"wheel", 1,
         [](HWND w) {
             POINT at{60, 55};
             ::ClientToScreen(w, &at);
             ::SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, short(-120)), MAKELPARAM(at.x, at.y));
         }},
        {"key", 1,
         [](HWND w) {
             for (int i = 0; i < 3; ++i) Key(w, VK_TAB);  // ok, other, bar
             Key(w, VK_RIGHT);
         }},
        {"auto-repeat", 2,
         [](HWND w) {
             Mouse(w, WM_LBUTTONDOWN, 105, 55);     // the next arrow, held: the first step
             PumpUntil([] { return false; }, 600);  // then the repeats
         }},
    };
    for (const Case& c : cases) {
        HostWindow window;
        TSkin own;
        own.Load(WriteSkin(MiniSkin));
        own.ApplyForm(window.Handle(), L"Mini");
        int scrolls = 0;
        own.OnScroll = [&](TSkinObject, int) {
            if (++scrolls == c.unskinAt) own.UnskinWindow(window.Handle());
        };
        PumpMessages();
        c.move(window.Handle());
        PumpMessages();
        EXPECT_EQ(scrolls, c.unskinAt) << c.input;
        EXPECT_THROW(own.WindowObject(window.Handle()), ESkinError) << c.input;
    }
}

// WM_DPICHANGED carries a DPI and a pointer: from this thread the DPI is kept within the scales
// Windows offers; from another thread or process neither is read.
TEST_F(SkinnedWindow, AForgedDpiChangeAsksForNoHugeSurface) {
    std::atomic<bool> finished{false};
    std::thread other([&] {
        ::SendMessageW(Wnd(), WM_DPICHANGED, MAKEWPARAM(192, 192), LPARAM(0x10));
        ::SendMessageW(Wnd(), WM_NOTIFY, 0, LPARAM(0x10));
        ::SendMessageW(Wnd(), WM_DRAWITEM, 0, LPARAM(0x10));
        finished = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return finished.load(); }, 10000));
    other.join();
    RECT client{};
    ::GetClientRect(Wnd(), &client);
    EXPECT_EQ(client.right, 200);
    ::SendMessageW(Wnd(), WM_DPICHANGED, MAKEWPARAM(65535, 65535), 0);
    ::GetClientRect(Wnd(), &client);
    EXPECT_EQ(client.right, 1000);  // 500 %
    EXPECT_EQ(Rect(L"ok").left, 50);
}

TEST_F(SkinnedWindow, AMoveToA200PercentMonitorRedrawsAtTwiceTheSize) {
    RECT suggested{100, 100, 500, 340};
    ::SendMessageW(Wnd(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    RECT client{};
    ::GetClientRect(Wnd(), &client);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 240);
    EXPECT_EQ(Rect(L"ok").left, 20);
    EXPECT_EQ(Rect(L"ok").right, 140);
    EXPECT_EQ(ScreenPixel(Wnd(), 370, 210), RGB(0, 0, 255));  // the blue decoration, now at 300..380
    // Input follows the new scale: the button is hit at its doubled place.
    Mouse(Wnd(), WM_LBUTTONDOWN, 130, 70);
    Mouse(Wnd(), WM_LBUTTONUP, 130, 70);
    EXPECT_EQ(log.Take().back(), "SkinEvent ok OnClick");
}

TEST_F(SkinnedWindow, HandlerErrorsGoToOnError) {
    std::wstring seen;
    skin.OnError = [&](const Exception& e) { seen = e.Message(); };
    skin.OnSkinEvent = [](TSkinObject, const std::wstring&) { throw ESkinError(L"boom"); };
    Mouse(Wnd(), WM_LBUTTONDOWN, 15, 25);
    Mouse(Wnd(), WM_LBUTTONUP, 15, 25);
    EXPECT_EQ(seen, L"boom");
}

TEST(SkinnedOwnFrame, TheTestSkinDrawsItsOwnFrameWithRoundCorners) {
    TSkin skin;
    skin.Load(TestSkinPath());
    HostWindow host(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    skin.ApplyForm(host.Handle(), L"Korvix");
    EXPECT_FALSE(::GetWindowLongPtrW(host.Handle(), GWL_STYLE) & WS_CAPTION);
    RECT window{};
    ::GetWindowRect(host.Handle(), &window);
    EXPECT_EQ(window.right - window.left, 480);
    UniqueGdi<HRGN> region(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_NE(::GetWindowRgn(host.Handle(), region.get()), ERROR);
    EXPECT_FALSE(::PtInRegion(region.get(), 0, 0));
    EXPECT_TRUE(::PtInRegion(region.get(), 240, 150));
    skin.UnskinWindow(host.Handle());
    EXPECT_TRUE(::GetWindowLongPtrW(host.Handle(), GWL_STYLE) & WS_CAPTION);
}
}  // namespace

namespace {
// How many opaque pixels of an image section differ from the rendered form at that place.
int ImageMismatches(const SkinBitmap& form, const SkinBitmap& image, int sx, int sy, int dx, int dy, int size) {
    int mismatches = 0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            uint32_t src = image.pixels[(sy + y) * image.width + sx + x];
            if (src >> 24 != 255) continue;
            mismatches += (form.pixels[(dy + y) * form.width + dx + x] & 0xFFFFFF) != (src & 0xFFFFFF);
        }
    }
    return mismatches;
}

TEST(SkinRender, At200PercentImagesComeFromThe2xPicturePixelForPixel) {
    auto model = ReadSkin(TestSkinPath());
    const SkinForm& form = *model->FindForm(L"Korvix");
    const SkinImage& ui = model->images.at(0);
    ASSERT_EQ(ui.x2.width, 2 * ui.x1.width);
    // The logo (section "logo": 96 16 24 24 of the sheet) sits at 12 8 on the form.
    SkinBitmap at96 = RenderSkinForm(model, form, 96);
    SkinBitmap at192 = RenderSkinForm(model, form, 192);
    ASSERT_EQ(at192.width, 960);
    EXPECT_EQ(ImageMismatches(at96, ui.x1, 96, 16, 12, 8, 24), 0);
    EXPECT_EQ(ImageMismatches(at192, ui.x2, 192, 32, 24, 16, 48), 0);
    // An enlargement of the 100 % picture would not match the 2x art.
    SkinBitmap enlarged;
    enlarged.width = 960;
    enlarged.height = 608;
    for (int y = 0; y < 608; ++y)
        for (int x = 0; x < 960; ++x) enlarged.pixels.push_back(at96.pixels[(y / 2) * 480 + x / 2]);
    EXPECT_GT(ImageMismatches(enlarged, ui.x2, 192, 32, 24, 16, 48), 100);
}
}  // namespace
