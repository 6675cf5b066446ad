// The tray icon's decisions: when it redraws, what it hands the shell, when it adds the
// icon anew, and which mouse message reaches which event.
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "legacy/uMessages.h"
#include "support/TestSupport.h"
#include "tray/TrayTestSupport.h"
#include "tray/uTrayIcon.h"

namespace {
// A tray icon whose every picture is one colour, counting how often it is drawn.
class CountingIcon : public TTrayIcon {
public:
    int draws = 0;

protected:
    void Draw(HDC dc) override {
        ++draws;
        TTrayIcon::Draw(dc);
    }
    void DrawChart(HDC dc) override { PaintFrame(dc, NormalColor()); }
    void DrawNumber(HDC dc) override { PaintFrame(dc, WarningColor()); }
    void DrawBar(HDC dc) override { PaintFrame(dc, BackgroundColor()); }
};

class TrayIconTest : public testing::Test {
protected:
    NotifyRecorder shell;
};

const std::vector<DWORD> ReAdd{NIM_DELETE, NIM_ADD};
const std::vector<DWORD> Modify{NIM_MODIFY};
}  // namespace

TEST_F(TrayIconTest, NothingIsDrawnOrSentBeforeShow) {
    CountingIcon icon;
    icon.SetStyle(2);
    icon.SetNormalColor(Blue);
    icon.SetHint(L"set up first");
    icon.Refresh(true);
    EXPECT_TRUE(shell.Calls.empty()) << "a half-made icon would flash in the tray";
    EXPECT_EQ(icon.draws, 0);
    icon.Show();
    EXPECT_EQ(shell.Messages(), ReAdd);
    EXPECT_EQ(icon.draws, 1);
    EXPECT_EQ(shell.Calls.back().tip, "set up first");
    EXPECT_EQ(shell.Calls.back().pixels[17], Red) << "drawn in the style set before Show";
}

TEST_F(TrayIconTest, ShowAddsTheIconWithTheBasicRecord) {
    CountingIcon icon;
    icon.Show();
    EXPECT_EQ(shell.Messages(), ReAdd);
    const NotifyCall& add = shell.Calls.back();
    EXPECT_EQ(add.size, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
    if (sizeof(void*) == 4) {
        EXPECT_EQ(add.size, 88u);
    }
    EXPECT_EQ(add.window, icon.WindowHandle());
    EXPECT_EQ(add.id, 0u);
    EXPECT_EQ(add.flags, 7u);
    EXPECT_EQ(add.callback, 1035u);
    EXPECT_EQ(add.tip, "");
    EXPECT_NE(add.icon, nullptr);
    EXPECT_FALSE(icon.LastUpdateFailed());
    EXPECT_FALSE(::IsWindowVisible(icon.WindowHandle()));
}

TEST_F(TrayIconTest, EveryIconHasItsOwnHiddenWindow) {
    CountingIcon a, b;
    a.Show();
    b.Show();
    EXPECT_NE(a.WindowHandle(), b.WindowHandle());
}

TEST_F(TrayIconTest, BaseIconIsAPlainWhiteOpaqueSquare) {
    TTrayIcon icon;  // draws nothing of its own
    icon.Show();
    EXPECT_EQ(shell.Calls.back().pixels, std::vector<COLORREF>(256, White));
    EXPECT_TRUE(IconMaskOpaque(icon.ShownIcon()));
}

TEST_F(TrayIconTest, RewritingTheSameStyleDoesNotRedraw) {
    CountingIcon icon;
    icon.Show();
    int draws = icon.draws;
    shell.Clear();
    icon.SetStyle(1);
    EXPECT_EQ(icon.draws, draws);
    EXPECT_TRUE(shell.Calls.empty());
    icon.SetStyle(2);
    EXPECT_EQ(icon.draws, draws + 1);
    EXPECT_EQ(shell.Messages(), Modify);
}

TEST_F(TrayIconTest, RewritingTheSameColourRedraws) {
    const std::vector<std::pair<const char*, std::function<void(TTrayIcon&)>>> writes{
        {"background", [](TTrayIcon& i) { i.SetBackgroundColor(i.BackgroundColor()); }},
        {"normal", [](TTrayIcon& i) { i.SetNormalColor(i.NormalColor()); }},
        {"warning", [](TTrayIcon& i) { i.SetWarningColor(i.WarningColor()); }},
    };
    for (const auto& [name, write] : writes) {
        CountingIcon icon;
        icon.Show();
        int draws = icon.draws;
        shell.Clear();
        write(icon);
        EXPECT_EQ(icon.draws, draws + 1) << name;
        EXPECT_TRUE(shell.Calls.empty()) << name << ": the same picture is not sent again";
    }
}

TEST_F(TrayIconTest, DefaultsAreGreenAndRedOnWhiteWithLevel12) {
    CountingIcon icon;
    icon.Show();
    EXPECT_EQ(icon.Style(), 1);
    EXPECT_EQ(icon.BackgroundColor(), White);
    EXPECT_EQ(icon.NormalColor(), Green);
    EXPECT_EQ(icon.WarningColor(), Red);
    EXPECT_EQ(icon.WarningLevel(), 12);
    icon.Refresh(false);
    EXPECT_EQ(shell.Calls.back().pixels[17], Green);  // the chart picture of CountingIcon
}

TEST_F(TrayIconTest, NewColourReachesTheShownIcon) {
    CountingIcon icon;
    icon.Show();
    icon.SetNormalColor(Blue);
    EXPECT_EQ(shell.Calls.back().pixels[17], Blue);
}

TEST_F(TrayIconTest, StyleOutsideOneToThreeLeavesThePicture) {
    CountingIcon icon;
    icon.Show();
    icon.SetStyle(2);  // warning colour
    std::vector<COLORREF> before = shell.Calls.back().pixels;
    for (int style : {0, 4, -1}) {
        icon.SetStyle(style);
        EXPECT_EQ(shell.Calls.back().pixels, before) << style;
    }
}

TEST_F(TrayIconTest, HintChangesRefreshOnlyWhenDifferent) {
    CountingIcon icon;
    icon.Show();
    shell.Clear();
    icon.SetHint(L"Korvix");
    icon.SetHint(L"Korvix");
    EXPECT_EQ(shell.Messages(), Modify);
    EXPECT_EQ(shell.Calls.back().tip, "Korvix");
    icon.SetHint(L"korvix");  // case matters
    EXPECT_EQ(shell.Calls.size(), 2u);
}

TEST_F(TrayIconTest, LongHintIsCutTo63Characters) {
    CountingIcon icon;
    icon.Show();
    std::wstring hint;
    for (int i = 0; i < 80; ++i) hint += static_cast<wchar_t>(L'a' + i % 26);
    icon.SetHint(hint);
    EXPECT_EQ(shell.Calls.back().tip, std::string(hint.begin(), hint.begin() + 63));
    EXPECT_EQ(icon.Hint(), hint);  // the property keeps the whole text
}

TEST_F(TrayIconTest, QuietHintWaitsForTheNextRefresh) {
    CountingIcon icon;
    icon.Show();
    shell.Clear();
    icon.SetHintQuiet(L"later");
    EXPECT_TRUE(shell.Calls.empty());
    EXPECT_EQ(icon.Hint(), L"later");
    icon.Refresh(false);
    EXPECT_EQ(shell.Calls.back().tip, "later");
}

TEST_F(TrayIconTest, ForcedRefreshDeletesAndAdds) {
    CountingIcon icon;
    icon.Show();
    shell.Clear();
    icon.Refresh(true);
    EXPECT_EQ(shell.Messages(), ReAdd);
}

TEST_F(TrayIconTest, AfterAFailedUpdateTheNextRefreshDeletesAndAdds) {
    CountingIcon icon;
    icon.Show();
    shell.Clear();
    shell.FailAddOrModify = 1;
    icon.SetHint(L"changed");
    EXPECT_EQ(shell.Messages(), Modify);
    EXPECT_TRUE(icon.LastUpdateFailed());
    shell.Clear();
    icon.Refresh(false);  // the same picture: sent all the same, as the shell may not have it
    EXPECT_EQ(shell.Messages(), ReAdd);
    EXPECT_FALSE(icon.LastUpdateFailed());
    shell.Clear();
    icon.SetHint(L"next");
    EXPECT_EQ(shell.Messages(), Modify);
}

TEST_F(TrayIconTest, FailedAddIsRetriedUntilTheShellTakesIt) {
    shell.FailAddOrModify = 3;  // the taskbar is away for a while
    CountingIcon icon;
    icon.Show();
    EXPECT_TRUE(icon.LastUpdateFailed());
    icon.Refresh(false);
    icon.Refresh(false);
    EXPECT_TRUE(icon.LastUpdateFailed());
    shell.Clear();
    icon.Refresh(false);
    EXPECT_EQ(shell.Messages(), ReAdd);
    EXPECT_FALSE(icon.LastUpdateFailed());
}

TEST_F(TrayIconTest, NewTaskbarWindowMakesTheNextRefreshAddAnew) {
    CountingIcon icon;
    icon.Show();
    shell.Clear();
    shell.Taskbar = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x2000));
    icon.Refresh(false);
    EXPECT_EQ(shell.Messages(), ReAdd);
    shell.Clear();
    icon.SetHint(L"next");  // the new taskbar is now the known one
    EXPECT_EQ(shell.Messages(), Modify);
}

// Every sampling interval refreshes the icons; a flat chart on a quiet machine draws the same
// picture again and again, and each update costs the taskbar process a redraw.
TEST_F(TrayIconTest, AnUnchangedPictureAndTipAreNotSentAgain) {
    CountingIcon icon;
    icon.SetHint(L"tip");
    icon.Show();
    shell.Clear();
    icon.Refresh(false);
    EXPECT_EQ(icon.draws, 2) << "the picture is drawn every time";
    EXPECT_TRUE(shell.Calls.empty());
    HICON shown = icon.ShownIcon();
    icon.SetStyle(2);  // another picture
    EXPECT_EQ(shell.Messages(), Modify);
    EXPECT_NE(icon.ShownIcon(), shown);
    EXPECT_EQ(shell.Calls.back().pixels[17], Red);
    shell.Clear();
    icon.SetHintQuiet(L"new tip");  // the same picture, another tip
    icon.Refresh(false);
    EXPECT_EQ(shell.Messages(), Modify);
    EXPECT_EQ(shell.Calls.back().tip, "new tip");
    shell.Clear();
    icon.Refresh(true);  // forced: added anew all the same
    EXPECT_EQ(shell.Messages(), ReAdd);
}

TEST_F(TrayIconTest, CustomIconIsShownAndNothingIsDrawn) {
    CountingIcon icon;
    icon.Show();
    HICON custom = LoadOwnIcon(L"STATUSIDLE");
    std::vector<COLORREF> expected = IconPixels(custom);
    shell.Clear();
    icon.SetCustomIcon(custom);
    EXPECT_TRUE(shell.Calls.empty());  // setting it does not refresh
    int draws = icon.draws;
    icon.Refresh(false);
    icon.SetStyle(3);
    icon.SetNormalColor(Blue);
    EXPECT_EQ(icon.draws, draws);
    EXPECT_EQ(shell.Calls.back().icon, custom);
    EXPECT_EQ(shell.Calls.back().pixels, expected);
    // Without it, drawing resumes in the latest style and colours.
    icon.SetCustomIcon(nullptr);
    icon.Refresh(false);
    EXPECT_EQ(icon.draws, draws + 1);
    EXPECT_NE(shell.Calls.back().icon, custom);
    EXPECT_EQ(shell.Calls.back().pixels[17], White);  // DrawBar: background colour
}

TEST_F(TrayIconTest, DestructionDeletesTheIconAndTheWindow) {
    HWND window;
    {
        CountingIcon icon;
        icon.Show();
        window = icon.WindowHandle();
        shell.Clear();
    }
    EXPECT_EQ(shell.Messages(), std::vector<DWORD>{NIM_DELETE});
    EXPECT_EQ(shell.Calls.back().window, window);
    EXPECT_FALSE(::IsWindow(window));
    shell.Clear();
    { CountingIcon neverShown; }
    EXPECT_TRUE(shell.Calls.empty()) << "an icon never added is not deleted either";
}

// ---- The hidden window ----

struct MouseCase {
    UINT mouseMessage;
    const char* expected;  // the events called, in order
};

class TrayIconMouseTest : public TrayIconTest, public testing::WithParamInterface<MouseCase> {};

TEST_P(TrayIconMouseTest, ShellCallbackReachesTheRightEvent) {
    CountingIcon icon;
    icon.Show();
    std::string events;
    TTrayIcon* sender = nullptr;
    icon.OnLeftButtonDown = [&](TTrayIcon* s) {
        events += "down;";
        sender = s;
    };
    icon.OnLeftDoubleClick = [&](TTrayIcon* s) {
        events += "double;";
        sender = s;
    };
    icon.OnRightButtonUp = [&](TTrayIcon* s) {
        events += "right;";
        sender = s;
    };
    LRESULT result = ::SendMessageW(icon.WindowHandle(), WM_TRAYICONCALLBACK, 0, GetParam().mouseMessage);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(events, GetParam().expected);
    if (!events.empty()) {
        EXPECT_EQ(sender, &icon);
    }
}

INSTANTIATE_TEST_SUITE_P(MouseMessages, TrayIconMouseTest,
                         testing::Values(MouseCase{WM_LBUTTONDOWN, "down;"}, MouseCase{WM_LBUTTONDBLCLK, "double;"},
                                         MouseCase{WM_RBUTTONUP, "right;"}, MouseCase{WM_RBUTTONDOWN, ""},
                                         MouseCase{WM_LBUTTONUP, ""}, MouseCase{WM_MOUSEMOVE, ""},
                                         MouseCase{WM_RBUTTONDBLCLK, ""}));

TEST_F(TrayIconTest, DoubleClickSequenceCallsButtonDownFirst) {
    CountingIcon icon;
    icon.Show();
    std::string events;
    icon.OnLeftButtonDown = [&](TTrayIcon*) { events += "down;"; };
    icon.OnLeftDoubleClick = [&](TTrayIcon*) { events += "double;"; };
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        ::PostMessageW(icon.WindowHandle(), WM_TRAYICONCALLBACK, 0, m);
    PumpMessages();
    EXPECT_EQ(events, "down;double;");
}

TEST_F(TrayIconTest, UnassignedEventsAreSkipped) {
    CountingIcon icon;
    icon.Show();
    EXPECT_EQ(::SendMessageW(icon.WindowHandle(), WM_TRAYICONCALLBACK, 0, WM_RBUTTONUP), 0);
}

TEST_F(TrayIconTest, HiddenWindowNeitherClosesNorRefusesALogoff) {
    CountingIcon icon;
    icon.Show();
    HWND window = icon.WindowHandle();
    EXPECT_EQ(::SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 1);
    ::SendMessageW(window, WM_ENDSESSION, TRUE, 0);
    ::SendMessageW(window, WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_TRUE(::IsWindow(window));
    // Other messages get the default processing.
    ::SetWindowTextW(window, L"tray");
    wchar_t text[16] = {};
    ::GetWindowTextW(window, text, 16);
    EXPECT_STREQ(text, L"tray");
}

TEST_F(TrayIconTest, ActivateWindowShowsTheHiddenWindowWithoutATaskbarButton) {
    CountingIcon icon;
    icon.Show();
    icon.ActivateWindow();
    EXPECT_TRUE(::IsWindowVisible(icon.WindowHandle()));
    EXPECT_TRUE(::GetWindowLongW(icon.WindowHandle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

// ---- The real shell ----

TEST(TrayIconShellTest, RealShellTakesTheIconOnTheWineDesktop) {
    if (!::FindWindowA("Shell_TrayWnd", nullptr)) GTEST_SKIP() << "no taskbar on this desktop";
    TTrayIcon icon;  // no recorder: Shell_NotifyIconA
    icon.Show();
    EXPECT_FALSE(icon.LastUpdateFailed());
    icon.SetHint(L"Korvix tray test");
    EXPECT_FALSE(icon.LastUpdateFailed());
}
