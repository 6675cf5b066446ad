// "Skin window" on a plain dialog with standard controls, "unskin window", and TSkinLabel.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include "skin/SkinTestSupport.h"
#include "skin/uSkinDialogScrollBar.h"
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

// The dialog style's own looks for the default button, selected list items and scroll bars.
// Keeps every WM_HSCROLL code its scroll bar sends, with the track position read meanwhile.
class ScrollHost : public HostWindow {
public:
    std::vector<std::pair<int, int>> scrolls;  // code, nTrackPos

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_HSCROLL && lParam) {
            SCROLLINFO info{sizeof(info), SIF_TRACKPOS};
            ::GetScrollInfo(reinterpret_cast<HWND>(lParam), SB_CTL, &info);
            scrolls.emplace_back(LOWORD(wParam), info.nTrackPos);
            return 0;
        }
        return HostWindow::WndProc(msg, wParam, lParam);
    }
};

class RichDialog : public testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        ok = Child(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 10, 75, 25, IDOK);
        cancel = Child(L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 100, 10, 75, 25, IDCANCEL);
        // Sunken, as lists usually are: it takes the flat edge and the list colours both.
        list = Child(WC_LISTVIEWW, L"", LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS, 10, 45, 150, 100, 3);
        ::SetWindowLongPtrW(list, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
        ::SetWindowPos(list, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
        LVCOLUMNW column{LVCF_WIDTH, 0, 140};
        ListView_InsertColumn(list, 0, &column);
        for (const wchar_t* name : {L"one", L"two"}) {
            LVITEMW item{LVIF_TEXT, ListView_GetItemCount(list)};
            item.pszText = const_cast<wchar_t*>(name);
            ListView_InsertItem(list, &item);
        }
        ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
        bar = Child(L"SCROLLBAR", L"", SBS_HORZ | WS_TABSTOP, 10, 200, 200, 17, 4);
        SCROLLINFO info{sizeof(info), SIF_ALL, 0, 99, 10, 0, 0};
        ::SetScrollInfo(bar, SB_CTL, &info, TRUE);
        skin.Load(WriteSkin(RichDialogSkin()));
        skin.SkinWindow(host.Handle());
    }
    HWND Child(const wchar_t* cls, const wchar_t* title, DWORD style, int x, int y, int w, int h, int id) {
        return ::CreateWindowExW(0, cls, title, WS_CHILD | WS_VISIBLE | style, x, y, w, h, host.Handle(),
                                 reinterpret_cast<HMENU>(INT_PTR(id)), ::GetModuleHandleW(nullptr), nullptr);
    }
    int Position() const {
        SCROLLINFO info{sizeof(info), SIF_POS};
        ::GetScrollInfo(bar, SB_CTL, &info);
        return info.nPos;
    }

    ScrollHost host;
    TSkin skin;
    HWND ok, cancel, list, bar;
};

TEST_F(RichDialog, TheDefaultButtonSelectedItemsAndScrollBarsTakeTheSkinsLooks) {
    EXPECT_EQ(ScreenPixel(ok, 37, 2), RGB(0, 0, 0xFF));            // the default look
    EXPECT_EQ(ScreenPixel(cancel, 37, 2), RGB(0xC0, 0xC0, 0xC0));  // the normal one
    RECT row{};
    ListView_GetItemRect(list, 1, &row, LVIR_BOUNDS);
    EXPECT_EQ(ScreenPixel(list, 120, (row.top + row.bottom) / 2), RGB(0xFF, 0, 0));  // selected
    ListView_GetItemRect(list, 0, &row, LVIR_BOUNDS);
    EXPECT_EQ(ScreenPixel(list, 120, (row.top + row.bottom) / 2), RGB(0xFA, 0xFA, 0xFA));
    // Position 0: the thumb at the start of the track, the track after it.
    EXPECT_EQ(ScreenPixel(bar, 22, 8), RGB(0x20, 0x20, 0x80));
    EXPECT_EQ(ScreenPixel(bar, 150, 8), RGB(0xE0, 0xE0, 0xE0));
    // A position set by the program moves the drawn thumb.
    SCROLLINFO info{sizeof(info), SIF_POS, 0, 0, 0, 90};
    ::SetScrollInfo(bar, SB_CTL, &info, TRUE);
    EXPECT_EQ(ScreenPixel(bar, 22, 8), RGB(0xE0, 0xE0, 0xE0));
    EXPECT_EQ(ScreenPixel(bar, 175, 8), RGB(0x20, 0x20, 0x80));

    skin.UnskinWindow(host.Handle());
    EXPECT_NE(ScreenPixel(bar, 150, 8), RGB(0xE0, 0xE0, 0xE0));  // the system's look again
}

TEST_F(RichDialog, TheSkinnedScrollBarSendsWhatTheSystemsDoesForArrowsPagesAndTheThumb) {
    Mouse(bar, WM_LBUTTONDOWN, 195, 8);  // the right arrow
    Mouse(bar, WM_LBUTTONUP, 195, 8);
    Mouse(bar, WM_LBUTTONDOWN, 120, 8);  // the track right of the thumb
    Mouse(bar, WM_LBUTTONUP, 120, 8);
    std::vector<int> codes;
    for (auto& [code, track] : host.scrolls) codes.push_back(code);
    EXPECT_EQ(codes, (std::vector<int>{SB_LINERIGHT, SB_ENDSCROLL, SB_PAGERIGHT, SB_ENDSCROLL}));
    EXPECT_EQ(::GetFocus(), bar);

    // Dragging the thumb reports the position under it while the mouse moves, then where it ended.
    host.scrolls.clear();
    SCROLLINFO info{sizeof(info), SIF_ALL, 0, 99, 10, 0, 0};
    const SkinScrollValues v = TSkinDialogScrollBar::Values(info, 0);
    const SkinScrollParts p = TSkinDialogScrollBar::Parts({200, 17}, true, v);
    const int grab = p.thumb.x + p.thumb.w / 2;
    Mouse(bar, WM_LBUTTONDOWN, grab, 8);
    Mouse(bar, WM_MOUSEMOVE, grab + 75, 8);
    Mouse(bar, WM_LBUTTONUP, grab + 75, 8);
    const int expected = ScrollPositionAt(p, false, v, p.thumb.x + 75);
    ASSERT_EQ(host.scrolls.size(), 3u);
    EXPECT_EQ(host.scrolls[0], std::make_pair(int(SB_THUMBTRACK), expected));
    EXPECT_EQ(host.scrolls[1], std::make_pair(int(SB_THUMBPOSITION), expected));
    EXPECT_EQ(host.scrolls[2].first, SB_ENDSCROLL);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(RichDialog, TheHotkeyControlShowsItsKeysInTheEditColours) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_HOTKEY_CLASS};
    ::InitCommonControlsEx(&icc);
    skin.UnskinWindow(host.Handle());
    HWND hotkey = Child(HOTKEY_CLASSW, L"", WS_TABSTOP, 170, 45, 140, 20, 5);
    ::SendMessageW(hotkey, HKM_SETHOTKEY, MAKEWORD('K', HOTKEYF_CONTROL), 0);
    skin.SkinWindow(host.Handle());
    // The system draws the keys black on a white cell; the skin's edit colours replace both:
    // no white is left behind the letters, and the letters stay dark.
    EXPECT_EQ(ScreenPixel(hotkey, 130, 10), RGB(0xFF, 0xFF, 0xEE));
    int dark = 0, white = 0;
    for (int x = 1; x < 80; ++x) {
        for (int y = 1; y < 18; ++y) {
            const COLORREF c = ScreenPixel(hotkey, x, y);
            dark += GetRValue(c) < 64 && GetGValue(c) < 64 && GetBValue(c) < 64;
            white += c == RGB(0xFF, 0xFF, 0xFF);
        }
    }
    EXPECT_GT(dark, 10);
    EXPECT_EQ(white, 0);
}

TEST(SkinDialogScrollBarGeometry, ArrowsTrackAndThumbFollowRangePageAndPosition) {
    struct Case {
        int length, min, max, page, pos;
        int thumbStart, thumbEnd;
    };
    const Case cases[] = {
        {200, 0, 99, 10, 0, 17, 34},      // a tenth of the track, at its start
        {200, 0, 99, 10, 90, 166, 183},   // the last reachable position ends at the track's end
        {200, 0, 99, 10, 45, 92, 109},    // half way
        {200, 0, 99, 10, 500, 166, 183},  // beyond the range: at the end
        {200, 1, 537, 25, 1, 17, 29},     // a small page keeps a thumb of 12 pixels or more
        {200, 0, 9, 0, 0, 17, 34},        // no page: a square thumb
        {40, 0, 9, 2, 0, 13, 25},         // a stubby bar: arrows give way to a track
    };
    for (const Case& c : cases) {
        SCROLLINFO info{sizeof(info), SIF_ALL, c.min, c.max, UINT(c.page), c.pos, 0};
        const SkinScrollValues v = TSkinDialogScrollBar::Values(info, c.pos);
        const SkinScrollParts p = TSkinDialogScrollBar::Parts({c.length, 17}, true, v);
        const int arrow = std::min(17, c.length / 3);
        EXPECT_EQ(p.prev.w, arrow);
        EXPECT_EQ(p.track.x + p.track.w, c.length - arrow);
        EXPECT_EQ(p.thumb.x, c.thumbStart) << c.length << " at " << c.pos;
        EXPECT_EQ(p.thumb.x + p.thumb.w, c.thumbEnd) << c.length << " at " << c.pos;
        if (c.pos >= c.min && c.pos <= c.max - std::max(c.page, 1) + 1) {
            EXPECT_EQ(ScrollPositionAt(p, false, v, p.thumb.x), c.pos);
        }
    }
}

TEST(SkinDialogStyleFormat, AScrollBarLookNeedsKnownSectionsAndIsOptional) {
    std::string text = RichDialogSkin();
    text.replace(text.find("scrollbar track thumb hot"), 25, "scrollbar track nosuch");
    TSkin skin;
    try {
        skin.Load(WriteSkin(text));
        ADD_FAILURE() << "a dialog style with an unknown section loaded";
    } catch (const ESkinError& e) {
        EXPECT_NE(e.Message().find(L"nosuch"), std::wstring::npos) << Narrow8(e.Message());
    }
}
}  // namespace
