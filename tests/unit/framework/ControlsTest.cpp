// Each control wrapper on a real form, driven with the messages the system itself sends:
// the notification reaches the wrapper through the form and becomes its event.
#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "framework/uApplication.h"
#include "framework/uControls.h"
#include "framework/uDialogs.h"
#include "framework/uListView.h"
#include "framework/uPaint.h"
#include "framework/uSubclass.h"
#include "framework/uText.h"
#include "framework/uTimer.h"
#include "support/TestSupport.h"

namespace {

class HostForm : public TForm {
public:
    TTimer timer{*this, 50};

protected:
    CreateParams FormParams() override {
        return {.className = L"KorvixTestHost",
                .title = L"Host",
                .style = WS_POPUP | WS_CAPTION | WS_VISIBLE,
                .x = 50,
                .y = 50,
                .width = 400,
                .height = 300};
    }
};

class ControlsTest : public testing::Test {
protected:
    void SetUp() override {
        Application.Initialize();
        host = Application.CreateForm<HostForm>();
    }
    void TearDown() override {
        Application.Shutdown();
        PumpMessages();
    }
    HWND Parent() const { return host->Handle(); }
    HostForm* host = nullptr;
};

TEST_F(ControlsTest, AButtonClickReachesOnClickThroughTheForm) {
    TButton button(Parent(), 7, {10, 10, 90, 35}, L"&Add");
    int clicks = 0;
    button.OnClick = [&](TButton& sender) { clicks += &sender == &button; };
    ::SendMessageW(button.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button.ID(), 7);
    button.SetBounds({20, 30, 120, 60});
    const RECT moved = button.Bounds();
    EXPECT_TRUE(moved.left == 20 && moved.top == 30 && moved.right == 120 && moved.bottom == 60);
    EXPECT_EQ(::GetDlgItem(Parent(), 7), button.Handle());
    EXPECT_EQ(TControl::FromHandle(button.Handle()), &button);
    EXPECT_EQ(TControl::FromHandle(Parent()), nullptr) << "a window that is no control of ours";
}

TEST_F(ControlsTest, AnEditReportsChangesAndTheLossOfFocusAndCanBeReadOnly) {
    TEdit edit(Parent(), 8, {10, 10, 200, 32});
    TButton other(Parent(), 9, {10, 50, 90, 75}, L"Other");
    std::vector<std::wstring> changes;
    int exits = 0;
    edit.OnChange = [&](TEdit& sender) { changes.push_back(sender.Text()); };
    edit.OnExit = [&](TEdit&) { ++exits; };
    edit.SetFocus();
    ::SendMessageW(edit.Handle(), WM_CHAR, L'a', 1);
    ::SendMessageW(edit.Handle(), WM_CHAR, L'b', 1);
    EXPECT_EQ(changes, (std::vector<std::wstring>{L"a", L"ab"}));
    other.SetFocus();
    EXPECT_EQ(exits, 1);

    edit.SetReadOnly(true);
    EXPECT_TRUE(edit.ReadOnly());
    edit.SetFocus();
    ::SendMessageW(edit.Handle(), WM_CHAR, L'c', 1);
    EXPECT_EQ(edit.Text(), L"ab") << "typing does not change a read-only edit";
    edit.SetText(L"set");
    EXPECT_EQ(changes.back(), L"set") << "setting the text is a change too";
}

TEST_F(ControlsTest, AScrollBarMovesByArrowsAndPagesWithinItsRange) {
    TScrollBar bar(Parent(), 10, {10, 100, 300, 117});
    bar.SetRange(0, 99);
    bar.SetPageSize(10);
    std::vector<int> moves;
    bar.OnChange = [&](TScrollBar& sender) { moves.push_back(sender.Position()); };
    auto scroll = [&](WORD code) {
        ::SendMessageW(Parent(), WM_HSCROLL, code, reinterpret_cast<LPARAM>(bar.Handle()));
    };
    scroll(SB_LINERIGHT);
    scroll(SB_PAGERIGHT);
    scroll(SB_ENDSCROLL);
    scroll(SB_RIGHT);
    scroll(SB_LINERIGHT);  // already at the end: no change, no event
    scroll(SB_LEFT);
    EXPECT_EQ(moves, (std::vector<int>{1, 11, 90, 0}));
    bar.SetPosition(500);
    EXPECT_EQ(bar.Position(), 90) << "the last position the thumb can take";
    EXPECT_EQ(bar.PageSize(), 10);
    EXPECT_EQ(bar.Max(), 99);
    EXPECT_EQ(moves.size(), 4u) << "SetPosition is no user change";
}

TEST_F(ControlsTest, AHotKeyControlTakesAndGivesTheOptionsShortcutFormat) {
    THotKey hotkey(Parent(), 11, {10, 10, 200, 32});
    int changes = 0;
    hotkey.OnChange = [&](THotKey&) { ++changes; };
    hotkey.SetFocus();
    ::SendMessageW(hotkey.Handle(), WM_KEYDOWN, 'K', 1);  // typed, no modifier held
    EXPECT_EQ(hotkey.Value(), 'K');
    EXPECT_EQ(changes, 1);
    hotkey.SetValue(49220);  // Ctrl+Alt+D
    EXPECT_EQ(::SendMessageW(hotkey.Handle(), HKM_GETHOTKEY, 0, 0), MAKEWORD('D', HOTKEYF_CONTROL | HOTKEYF_ALT));
    EXPECT_EQ(hotkey.Value(), 49220);
    const struct {
        int32_t shortcut;
        WORD word;
    } cases[] = {{0x2000 | 'Q', MAKEWORD('Q', HOTKEYF_SHIFT)},
                 {0xE000 | VK_F5, MAKEWORD(VK_F5, HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT)},
                 {'7', MAKEWORD('7', 0)},
                 {0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ShortcutToHotKeyWord(c.shortcut), c.word) << c.shortcut;
        EXPECT_EQ(HotKeyWordToShortcut(c.word), c.shortcut) << c.shortcut;
    }
    EXPECT_EQ(HotKeyWordToShortcut(MAKEWORD(VK_DELETE, HOTKEYF_CONTROL | HOTKEYF_EXT)), 0x4000 | VK_DELETE);
}

TEST_F(ControlsTest, AListViewKeepsItemDataAndReportsSelectionAndKeys) {
    TListView list(Parent(), 12, {10, 10, 300, 200});
    TImageList images(16, 16);
    HICON icon = ::LoadIconW(nullptr, IDI_APPLICATION);
    ASSERT_EQ(images.AddIcon(icon), 0);
    list.SetSmallImages(images);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(::SendMessageW(list.Handle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0)),
              images.Handle());
    list.AddColumn(L"Name", 200);
    list.BeginUpdate();
    list.BeginUpdate();
    EXPECT_EQ(list.AddItem(L"Editor", 0, 1001), 0);
    EXPECT_EQ(list.AddItem(L"Word Processor", 0, 1002), 1);
    list.EndUpdate();
    list.EndUpdate();
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.ItemData(1), 1002);
    EXPECT_EQ(list.FindData(1001), 0);
    EXPECT_EQ(list.ItemText(1), L"Word Processor");

    std::vector<std::pair<int, bool>> selections;
    std::vector<WORD> keys;
    list.OnSelectItem = [&](TListView&, int index, bool selected) { selections.emplace_back(index, selected); };
    list.OnKeyDown = [&](TListView&, WORD key) { keys.push_back(key); };
    list.Select(1);
    list.Select(0);
    list.Select(-1);
    EXPECT_EQ(selections, (std::vector<std::pair<int, bool>>{{1, true}, {1, false}, {0, true}, {0, false}}));
    EXPECT_EQ(list.Selected(), -1);
    list.SetFocus();
    ::SendMessageW(list.Handle(), WM_KEYDOWN, VK_DELETE, 1);
    EXPECT_EQ(keys, std::vector<WORD>{VK_DELETE});
    list.SetItemText(1, L"Writer");  // an entry renamed in place
    EXPECT_EQ(list.ItemText(1), L"Writer");
    list.DeleteItem(0);
    EXPECT_EQ(list.FindData(1001), -1);
    EXPECT_EQ(list.Count(), 1);
}

// A subclass of a window made elsewhere: it sees the messages first and goes with the window.
class UpperCase : public TWindowSubclass {
protected:
    LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CHAR) wParam = ::towupper(static_cast<wint_t>(wParam));
        return DefaultProc(msg, wParam, lParam);
    }
};

TEST_F(ControlsTest, ASubclassOfAForeignWindowSeesItsMessagesFirstAndEndsWithIt) {
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, Parent(), nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    UpperCase subclass;
    ASSERT_TRUE(subclass.Attach(edit));
    ::SendMessageW(edit, WM_CHAR, L'k', 1);
    wchar_t text[8] = {};
    ::GetWindowTextW(edit, text, 8);
    EXPECT_STREQ(text, L"K");
    EXPECT_EQ(TWindowSubclass::Find(edit, reinterpret_cast<UINT_PTR>(&subclass)), &subclass);
    ::DestroyWindow(edit);
    EXPECT_EQ(subclass.Handle(), nullptr);
}

TEST_F(ControlsTest, TheOpenDialogTakesTheFilterFormAndAnswersTheChosenFile) {
    const wchar_t expected[] = L"Skins\0*.skn\0All files\0*.*\0";  // and the literal's own zero
    EXPECT_EQ(FilterToSystem(L"Skins|*.skn|All files|*.*"), std::wstring(expected, std::size(expected)));
    const std::wstring folder = ProgramFolder();
    const std::wstring file = folder + L"korvix-open-test.skn";
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ::CloseHandle(h);

    TOpenDialog dialog;
    dialog.Title = L"Korvix test: choose a skin";
    dialog.Filter = L"Skins|*.skn|All files|*.*";
    dialog.InitialDir = folder;
    // Once the dialog is up: type the file's name and press the dialog's OK.
    int round = 0;
    host->timer.OnTimer = [&] {
        HWND box = ::FindWindowW(L"#32770", dialog.Title.c_str());
        if (!box || ++round > 200) return;
        host->timer.SetEnabled(false);
        HWND name = ::GetDlgItem(box, cmb13) ? ::GetDlgItem(box, cmb13) : ::GetDlgItem(box, edt1);
        ::SetWindowTextW(name, L"korvix-open-test.skn");
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    host->timer.SetEnabled(true);
    EXPECT_TRUE(dialog.Execute(host->Handle()));
    EXPECT_EQ(::CompareStringOrdinal(dialog.FileName.c_str(), -1, file.c_str(), -1, TRUE), CSTR_EQUAL)
        << Narrow(dialog.FileName);
    ::DeleteFileW(file.c_str());

    host->timer.OnTimer = [&] {
        if (HWND box = ::FindWindowW(L"#32770", dialog.Title.c_str())) {
            host->timer.SetEnabled(false);
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    };
    host->timer.SetEnabled(true);
    EXPECT_FALSE(dialog.Execute(host->Handle()));
}

TEST(PaintTest, ABufferedPaintReachesTheTargetInOneCopyAtTheEnd) {
    UniqueMemoryDC target(::CreateCompatibleDC(nullptr));
    UniqueBitmap surface(::CreateBitmap(20, 20, 1, 32, nullptr));
    SelectGuard selected(target.get(), surface.get());
    RECT all{0, 0, 20, 20};
    ::FillRect(target.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    {
        BufferedPaint buffer(target.get(), {5, 5, 15, 15});
        UniqueBrush red(::CreateSolidBrush(RGB(255, 0, 0)));
        RECT part{5, 5, 15, 15};  // in the target's coordinates
        ::FillRect(buffer.get(), &part, red.get());
        EXPECT_EQ(::GetPixel(target.get(), 10, 10), RGB(255, 255, 255)) << "nothing reaches the target early";
    }
    EXPECT_EQ(::GetPixel(target.get(), 10, 10), RGB(255, 0, 0));
    EXPECT_EQ(::GetPixel(target.get(), 5, 5), RGB(255, 0, 0));
    EXPECT_EQ(::GetPixel(target.get(), 4, 4), RGB(255, 255, 255));
    EXPECT_EQ(::GetPixel(target.get(), 15, 15), RGB(255, 255, 255));
}

}  // namespace
