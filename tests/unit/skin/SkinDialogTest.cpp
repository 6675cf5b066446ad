// "Skin window" on a plain dialog with standard controls, "unskin window", and TSkinLabel.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include "skin/SkinTestSupport.h"
#include "skin/uSkinLabel.h"
#include "support/TestSupport.h"

namespace {
// Keeps the ids of the WM_COMMAND notifications its controls send.
class CommandHost : public HostWindow {
public:
    std::vector<int> commands;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_COMMAND) commands.push_back(LOWORD(wParam));
        return HostWindow::WndProc(msg, wParam, lParam);
    }
};

class PlainDialog : public testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        font = reinterpret_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
        ok = Child(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 10, 75, 25, IDOK);
        cancel = Child(L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 100, 10, 75, 25, IDCANCEL);
        check = Child(L"BUTTON", L"Check", BS_AUTOCHECKBOX, 10, 45, 100, 20, 3);
        text = Child(L"STATIC", L"Text", SS_LEFT, 10, 70, 100, 20, 4);
        edit = Child(L"EDIT", L"abc", WS_BORDER, 10, 95, 100, 20, 5);
        list = Child(WC_LISTVIEWW, L"", LVS_LIST, 120, 45, 150, 100, 6);
        sunken = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 10, 150, 100, 24,
                                   host.Handle(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
        skin.Load(WriteSkin(MiniSkin));
    }
    HWND Child(const wchar_t* cls, const wchar_t* title, DWORD style, int x, int y, int w, int h, int id) {
        HWND c = ::CreateWindowExW(0, cls, title, WS_CHILD | WS_VISIBLE | style, x, y, w, h, host.Handle(),
                                   reinterpret_cast<HMENU>(INT_PTR(id)), ::GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(c, WM_SETFONT, WPARAM(font), FALSE);
        return c;
    }
    LONG_PTR Type(HWND button) const { return ::GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK; }
    HFONT FontOf(HWND c) const { return reinterpret_cast<HFONT>(::SendMessageW(c, WM_GETFONT, 0, 0)); }
    // The colour of the outermost pixel of a control's frame.
    static COLORREF EdgePixel(HWND control) {
        ::RedrawWindow(control, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = ::GetWindowDC(control);
        COLORREF c = ::GetPixel(dc, 0, 10);
        ::ReleaseDC(control, dc);
        return c;
    }

    CommandHost host;
    TSkin skin;
    HFONT font;
    HWND ok, cancel, check, text, edit, list, sunken;
};

TEST_F(PlainDialog, SkinWindowRestylesTheControlsAndUnskinGivesThemBack) {
    skin.SkinWindow(host.Handle());
    EXPECT_EQ(Type(ok), BS_OWNERDRAW);
    EXPECT_EQ(Type(cancel), BS_OWNERDRAW);
    EXPECT_EQ(Type(check), BS_AUTOCHECKBOX);  // check boxes keep their kind and take the colours
    EXPECT_NE(FontOf(text), font);
    EXPECT_EQ(ListView_GetBkColor(list), RGB(0xFA, 0xFA, 0xFA));
    EXPECT_EQ(SkinColorValue(skin.WindowObject(host.Handle()).Color()), RGB(0xE0, 0xE8, 0xF0));
    // Labels and the background take the dialog's colours, edits their own.
    HDC dc = ::GetDC(text);
    ::SendMessageW(host.Handle(), WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(text));
    EXPECT_EQ(::GetTextColor(dc), RGB(0x20, 0x30, 0x40));
    ::SendMessageW(host.Handle(), WM_CTLCOLOREDIT, WPARAM(dc), LPARAM(edit));
    EXPECT_EQ(::GetBkColor(dc), RGB(0xFF, 0xFF, 0xEE));
    ::ReleaseDC(text, dc);
    EXPECT_EQ(ScreenPixel(host.Handle(), 300, 200), RGB(0xE0, 0xE8, 0xF0));
    EXPECT_EQ(ScreenPixel(ok, 37, 2), RGB(0xC0, 0xC0, 0xC0));  // the button drawn from section btn
    EXPECT_EQ(EdgePixel(sunken), RGB(0xFF, 0, 0xFF));          // the sunken edge is a flat line

    skin.UnskinWindow(host.Handle());
    EXPECT_EQ(Type(ok), BS_DEFPUSHBUTTON);
    EXPECT_EQ(Type(cancel), BS_PUSHBUTTON);
    EXPECT_EQ(FontOf(text), font);
    EXPECT_NE(EdgePixel(sunken), RGB(0xFF, 0, 0xFF));
    EXPECT_NE(ListView_GetBkColor(list), RGB(0xFA, 0xFA, 0xFA));
    EXPECT_THROW(skin.WindowObject(host.Handle()), ESkinError);
}

TEST_F(PlainDialog, SkinnedButtonsStillClickAndShowTheirPushedLook) {
    skin.SkinWindow(host.Handle());
    ::SendMessageW(ok, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(ScreenPixel(ok, 37, 2), RGB(0x80, 0x80, 0xFF));
    ::SendMessageW(ok, BM_SETSTATE, FALSE, 0);
    ::EnableWindow(cancel, FALSE);
    EXPECT_EQ(ScreenPixel(cancel, 37, 2), RGB(0xC0, 0xC0, 0xC0));
    // Keyboard focus and clicks, by key and by mouse, reach the window as before.
    ::SetFocus(ok);
    EXPECT_EQ(::GetFocus(), ok);
    ::SendMessageW(ok, WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageW(ok, WM_KEYUP, VK_SPACE, 0xC0000001);
    ::SendMessageW(ok, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageW(ok, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PumpMessages();
    int clicks = 0;
    for (int id : host.commands) clicks += id == IDOK;
    EXPECT_EQ(clicks, 2);
}

TEST_F(PlainDialog, ASkinWithoutDialogStyleLeavesTheWindowPlain) {
    TSkin bare;
    bare.Load(WriteSkin("skn 1\nform F {\n size 10 10\n}\n"));
    EXPECT_THROW(bare.SkinWindow(host.Handle()), ESkinError);
    EXPECT_EQ(Type(ok), BS_DEFPUSHBUTTON);
}

TEST_F(PlainDialog, SkinLabelDrawsInTheSkinsLookAndPlainWithout) {
    TSkinLabel label(host.Handle(), {10, 150, 200, 170});
    label.SetCaption(L"");
    EXPECT_EQ(ScreenPixel(label.Handle(), 150, 10), ::GetSysColor(COLOR_BTNFACE));
    skin.SkinWindow(host.Handle());
    EXPECT_EQ(ScreenPixel(label.Handle(), 150, 10), RGB(0xE0, 0xE8, 0xF0));
    label.SetCaption(L"Some words");
    EXPECT_EQ(label.Caption(), L"Some words");
    skin.UnskinWindow(host.Handle());
    EXPECT_EQ(ScreenPixel(label.Handle(), 150, 10), ::GetSysColor(COLOR_BTNFACE));
}
}  // namespace
