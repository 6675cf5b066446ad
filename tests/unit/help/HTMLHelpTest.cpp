#include <windows.h>
#include <cwctype>
#include <gtest/gtest.h>
#include <htmlhelp.h>
#include <optional>
#include <vector>
#include "framework/uText.h"
#include "help/uHTMLHelp.h"
#include "help/uHelpPopup.h"
#include "support/TestSupport.h"

namespace {
struct HelpCall {
    HWND caller;
    std::wstring file;
    UINT command;
    DWORD_PTR data;
    std::optional<HH_POPUP> popup;
};
std::vector<HelpCall> g_calls;

void RecordCall(HWND caller, const std::wstring& file, UINT command, DWORD_PTR data) {
    HelpCall call{caller, file, command, data, std::nullopt};
    if (command == HH_DISPLAY_TEXT_POPUP) call.popup = *reinterpret_cast<const HH_POPUP*>(data);
    g_calls.push_back(call);
}

HWND HelpPopupWindow() { return ::FindWindowW(HelpPopupClassName, nullptr); }

std::wstring WindowClass(HWND wnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(wnd, name, 64);
    return name;
}

BOOL CALLBACK CollectViewer(HWND wnd, LPARAM param) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    if (pid == ::GetCurrentProcessId() && WindowClass(wnd) == L"HH Parent") {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(wnd);
    }
    return TRUE;
}

// Every help viewer window of this process.
std::vector<HWND> ViewerWindows() {
    std::vector<HWND> found;
    ::EnumWindows(&CollectViewer, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Pumps for a while and answers whether the popup is still there.
bool PopupStaysOpen() {
    PumpUntil([] { return false; }, 300);
    return HelpPopupWindow() != nullptr;
}

void SendKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, input, sizeof(INPUT));
}

void ClickAt(int x, int y) {
    ::SetCursorPos(x, y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, input, sizeof(INPUT));
}

// A plain window that owns the help, as the main window does.
class OwnerWindow : public TWindowBase {
public:
    OwnerWindow() {
        CreateHandle({.className = L"KorvixHelpTestOwner",
                      .title = L"Help owner",
                      .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                      .x = 100,
                      .y = 100,
                      .width = 500,
                      .height = 300});
    }
};

class HTMLHelpTest : public testing::Test {
protected:
    void SetUp() override {
        FinalizeHTMLHelp();
        g_calls.clear();
        SetHtmlHelpObserver(&RecordCall);
        help_.SetHelpFile(L"fixture.chm");
        help_.SetOwnerWindow(owner_.Handle());
        ASSERT_TRUE(FileExists(help_.HelpFile()));
    }
    void TearDown() override {
        for (HWND viewer : ViewerWindows()) ::DestroyWindow(viewer);
        FinalizeHTMLHelp();
        SetHtmlHelpObserver(nullptr);
        SetHelpLibraryName(nullptr);
        PumpMessages();
    }
    // The calls of one command, in order.
    static std::vector<HelpCall> Calls(UINT command) {
        std::vector<HelpCall> out;
        for (const HelpCall& c : g_calls) {
            if (c.command == command) out.push_back(c);
        }
        return out;
    }
    OwnerWindow owner_;
    THTMLHelp help_;
};
}  // namespace

TEST(HelpFileTest, ARelativeNameIsTakenFromTheProgramFolder) {
    struct Case {
        const wchar_t* name;
        const wchar_t* folder;
        const wchar_t* path;
    };
    for (const Case& c : std::initializer_list<Case>{
             {L"korvix.chm", L"D:\\Tools\\", L"D:\\Tools\\korvix.chm"},
             {L"korvix.chm", L"D:\\Tools", L"D:\\Tools\\korvix.chm"},
             {L"D:\\Docs\\help.chm", L"D:\\Tools\\", L"D:\\Docs\\help.chm"},
             {L"docs\\help.chm", L"D:\\Tools\\", L"D:\\Tools\\docs\\help.chm"},
             {L"docs/help.chm", L"D:\\Tools\\", L"D:\\Tools\\docs/help.chm"},
             {L"D:/Docs/help.chm", L"D:\\Tools\\", L"D:/Docs/help.chm"},
             {L"\\\\server\\help.chm", L"D:\\Tools\\", L"\\\\server\\help.chm"},
         }) {
        EXPECT_EQ(HelpFilePath(c.name, c.folder), c.path) << c.name << L" in " << c.folder;
    }
    THTMLHelp help;
    help.SetHelpFile(L"korvix.chm");
    EXPECT_EQ(help.HelpFile(), ProgramFolder() + L"korvix.chm");
}

TEST_F(HTMLHelpTest, FirstUseLoadsFromTheSystemFolderAndInitializesOnce) {
    EXPECT_EQ(HelpLibraryModule(), nullptr);
    ASSERT_TRUE(help_.IsAvailable());
    ASSERT_TRUE(help_.IsAvailable());
    std::vector<HelpCall> init = Calls(HH_INITIALIZE);
    ASSERT_EQ(init.size(), 1u);
    EXPECT_EQ(init[0].caller, nullptr);
    EXPECT_EQ(init[0].file, L"");
    DWORD cookie = *reinterpret_cast<DWORD*>(init[0].data);
    wchar_t path[MAX_PATH] = {}, system[MAX_PATH] = {};
    ::GetModuleFileNameW(HelpLibraryModule(), path, MAX_PATH);
    UINT n = ::GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(_wcsnicmp(path, system, n), 0) << path;
    FinalizeHTMLHelp();
    std::vector<HelpCall> uninit = Calls(HH_UNINITIALIZE);
    ASSERT_EQ(uninit.size(), 1u);
    EXPECT_EQ(uninit[0].data, DWORD_PTR(cookie));
    EXPECT_EQ(HelpLibraryModule(), nullptr);
}

TEST_F(HTMLHelpTest, APlantedLibraryBesideTheProgramIsNeverLoaded) {
    std::wstring planted = ProgramFolder() + L"hhctrl.ocx";
    ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"planted_hhctrl.dll").c_str(), planted.c_str(), FALSE));
    // The ordinary search order would find the planted copy first.
    wchar_t found[MAX_PATH] = {};
    ::SearchPathW(nullptr, L"hhctrl.ocx", nullptr, MAX_PATH, found, nullptr);
    EXPECT_EQ(_wcsicmp(found, planted.c_str()), 0) << found;
    EXPECT_TRUE(help_.IsAvailable());
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(HelpLibraryModule(), path, MAX_PATH);
    EXPECT_NE(_wcsicmp(path, planted.c_str()), 0);
    EXPECT_EQ(::GetModuleHandleW(planted.c_str()), nullptr);
    FinalizeHTMLHelp();
    EXPECT_TRUE(::DeleteFileW(planted.c_str()));
}

TEST_F(HTMLHelpTest, AFailedLoadIsTriedAgainAtTheNextCall) {
    SetHelpLibraryName(L"korvix-no-such-help.ocx");
    EXPECT_FALSE(help_.IsAvailable());
    EXPECT_FALSE(help_.ShowTopic(L"misc.htm"));
    help_.ShowPopup(105, 300, 200);
    EXPECT_EQ(HelpPopupWindow(), nullptr);
    // A library without the entry point is released again.
    ASSERT_EQ(::GetModuleHandleW(L"msimg32.dll"), nullptr);
    SetHelpLibraryName(L"msimg32.dll");
    EXPECT_FALSE(help_.IsAvailable());
    EXPECT_EQ(::GetModuleHandleW(L"msimg32.dll"), nullptr);
    EXPECT_TRUE(g_calls.empty());
    SetHelpLibraryName(nullptr);
    EXPECT_TRUE(help_.IsAvailable());
    EXPECT_EQ(Calls(HH_INITIALIZE).size(), 1u);
}

TEST_F(HTMLHelpTest, ShowTopicOpensTheTopicInsideTheHelpFile) {
    EXPECT_TRUE(help_.ShowTopic(L"misc.htm"));
    std::vector<HelpCall> shown = Calls(HH_DISPLAY_TOPIC);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].file, ProgramFolder() + L"fixture.chm::/misc.htm");
    EXPECT_EQ(shown[0].caller, owner_.Handle());
    EXPECT_EQ(shown[0].data, 0u);
    EXPECT_FALSE(ViewerWindows().empty());
    THTMLHelp missing;
    missing.SetHelpFile(L"korvix-absent.chm");
    EXPECT_FALSE(missing.ShowTopic(L"misc.htm"));
}

TEST_F(HTMLHelpTest, PopupRecordAsksTheLibraryForTheContextAtThePoint) {
    help_.ShowPopup(105, 300, 220);
    std::vector<HelpCall> popups = Calls(HH_DISPLAY_TEXT_POPUP);
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0].file, ProgramFolder() + L"fixture.chm::/cshelp.txt");
    EXPECT_EQ(popups[0].caller, owner_.Handle());
    const HH_POPUP& p = *popups[0].popup;
    EXPECT_EQ(p.cbStruct, sizeof(void*) == 4 ? 52 : 72);
    EXPECT_EQ(p.hinst, nullptr);
    EXPECT_EQ(p.idString, 105u);
    EXPECT_EQ(p.pszText, nullptr);
    EXPECT_EQ(p.pt.x, 300);
    EXPECT_EQ(p.pt.y, 220);
    EXPECT_EQ(p.clrForeground, COLORREF(-1));
    EXPECT_EQ(p.clrBackground, COLORREF(-1));
    EXPECT_EQ(p.rcMargins.left, -1);
    EXPECT_EQ(p.rcMargins.top, -1);
    EXPECT_EQ(p.rcMargins.right, -1);
    EXPECT_EQ(p.rcMargins.bottom, -1);
    EXPECT_EQ(p.pszFont, nullptr);
}

TEST_F(HTMLHelpTest, WithoutALibraryPopupOurOwnShowsTheTextBelowThePointerAndAKeyClosesIt) {
    ::SetCursorPos(300, 200);
    ASSERT_TRUE(PumpUntil([] {
        POINT at{};
        return ::GetCursorPos(&at) && at.x == 300 && at.y == 200;
    }));
    help_.ShowPopupAtCursor(105);
    HWND popup = HelpPopupWindow();
    ASSERT_NE(popup, nullptr) << "the library showed its own popup; nothing to fall back for";
    RECT r{};
    ::GetWindowRect(popup, &r);
    EXPECT_EQ(r.top, 220);
    EXPECT_LE(std::abs((r.left + r.right) / 2 - 300), 1);
    wchar_t text[64] = {};
    ::GetWindowTextW(popup, text, 64);
    EXPECT_STREQ(text, L"Critical page.\r\nSecond line.");
    EXPECT_TRUE(::IsWindowVisible(popup));
    EXPECT_EQ(::GetWindow(popup, GW_OWNER), owner_.Handle());
    ASSERT_TRUE(PopupStaysOpen());
    EXPECT_EQ(::GetForegroundWindow(), popup);
    SendKey('A');
    EXPECT_TRUE(PumpUntil([] { return HelpPopupWindow() == nullptr; }, 5000));
}

TEST_F(HTMLHelpTest, OurPopupClosesOnAClickElsewhereAndIsReplacedByTheNextOne) {
    help_.ShowPopup(0, 400, 150);
    HWND first = HelpPopupWindow();
    ASSERT_NE(first, nullptr);
    help_.ShowPopup(105, 400, 150);
    HWND second = HelpPopupWindow();
    ASSERT_NE(second, nullptr);
    EXPECT_FALSE(::IsWindow(first));
    ASSERT_TRUE(PopupStaysOpen());
    ClickAt(150, 350);  // on the owner window, away from the popup
    EXPECT_TRUE(PumpUntil([] { return HelpPopupWindow() == nullptr; }, 5000));
    // No text for the number: nothing is shown.
    help_.ShowPopup(999, 400, 150);
    EXPECT_EQ(HelpPopupWindow(), nullptr);
}

TEST(HelpPopupTest, PlacementKeepsThePopupOnTheWorkArea) {
    const RECT work{0, 0, 1024, 740};
    struct Case {
        POINT at;
        RECT placed;
    };
    for (const Case& c : std::initializer_list<Case>{
             {{500, 100}, {400, 100, 600, 160}},
             {{50, 100}, {0, 100, 200, 160}},       // pushed right off the left edge
             {{1000, 100}, {824, 100, 1024, 160}},  // pushed left off the right edge
             {{500, 700}, {400, 680, 600, 740}},    // moved up above the taskbar
             {{500, -30}, {400, 0, 600, 60}},
         }) {
        RECT r = PlaceHelpPopup({200, 60}, c.at, work);
        EXPECT_TRUE(EqualRect(&r, &c.placed)) << c.at.x << "," << c.at.y << " -> " << r.left << "," << r.top;
    }
    RECT huge = PlaceHelpPopup({2000, 900}, {500, 100}, work);
    EXPECT_EQ(huge.left, 0);
    EXPECT_EQ(huge.top, 0);
}
