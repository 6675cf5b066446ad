// Failures inside the skin engine's window procedures: each one, made to fail, reports to
// the application's error sink once, leaves the window usable, and the next message works.
#include <windows.h>
#include <commctrl.h>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include "framework/uApplication.h"
#include "skin/SkinTestSupport.h"
#include "skin/uSkinSubclass.h"
#include "support/TestSupport.h"

namespace {
const char* g_failPlace = nullptr;
UINT g_failMsg = 0;
void FailThere(const char* place, UINT msg) {
    if (g_failPlace && std::strcmp(place, g_failPlace) == 0 && msg == g_failMsg) throw ESkinError(L"injected failure");
}

// Counts the messages the window's own procedure gets, to see a message is not handled twice.
class CountingHost : public HostWindow {
public:
    int sizes = 0;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_SIZE) ++sizes;
        return HostWindow::WndProc(msg, wParam, lParam);
    }
};

class SkinFailure : public testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_HOTKEY_CLASS};
        ::InitCommonControlsEx(&icc);
        ok = Child(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 10, 75, 25, IDOK, 0);
        bar = Child(L"SCROLLBAR", L"", SBS_HORZ | WS_TABSTOP, 10, 200, 200, 17, 4, 0);
        hotkey = Child(HOTKEY_CLASSW, L"", WS_TABSTOP, 170, 45, 140, 20, 5, 0);
        sunken = Child(L"EDIT", L"abc", 0, 10, 150, 100, 24, 6, WS_EX_CLIENTEDGE);
        dialogSkin.Load(WriteSkin(RichDialogSkin()));
        dialogSkin.SkinWindow(dialog.Handle());
        formSkin.Load(WriteSkin(MiniSkin));
        formSkin.ApplyForm(form.Handle(), L"Mini");
        PumpMessages();
        previousHook = SetSkinFaultHook(&FailThere);
        Application.OnException = [this](const TExceptionInfo& e) { told.push_back(e.Message); };
    }
    void TearDown() override {
        Application.OnException = nullptr;
        SetSkinFaultHook(previousHook);
        g_failPlace = nullptr;
    }
    HWND Child(const wchar_t* cls, const wchar_t* title, DWORD style, int x, int y, int w, int h, int id,
               DWORD exStyle) {
        return ::CreateWindowExW(exStyle, cls, title, WS_CHILD | WS_VISIBLE | style, x, y, w, h, dialog.Handle(),
                                 reinterpret_cast<HMENU>(INT_PTR(id)), ::GetModuleHandleW(nullptr), nullptr);
    }
    static bool NeedsPaint(HWND window) { return ::GetUpdateRect(window, nullptr, FALSE) != FALSE; }

    CountingHost dialog;
    HostWindow form;
    TSkin dialogSkin, formSkin;
    HWND ok, bar, hotkey, sunken;
    TSkinFaultHook previousHook = nullptr;
    std::vector<std::wstring> told;
};

struct TFailureCase {
    const char* place;
    UINT msg;
    const char* what;
};

// Every procedure of the engine, made to fail at a message it handles itself.
const TFailureCase kCases[] = {
    {"form", WM_PAINT, "the form's paint"},
    {"form", WM_LBUTTONDOWN, "the form's mouse"},
    {"dialog", WM_ERASEBKGND, "the dialog's background"},
    {"scrollbar", WM_PAINT, "the scroll bar's paint"},
    {"button", WM_PAINT, "the button's paint"},
    {"hotkey", WM_PAINT, "the hotkey control's paint"},
    {"edge", WM_NCPAINT, "the flat edge"},
};

TEST_F(SkinFailure, EveryProcedureReportsItsFailureOnceAndTheWindowGoesOn) {
    for (const TFailureCase& c : kCases) {
        SCOPED_TRACE(c.what);
        told.clear();
        HWND target = std::strcmp(c.place, "form") == 0        ? form.Handle()
                      : std::strcmp(c.place, "dialog") == 0    ? dialog.Handle()
                      : std::strcmp(c.place, "scrollbar") == 0 ? bar
                      : std::strcmp(c.place, "button") == 0    ? ok
                      : std::strcmp(c.place, "hotkey") == 0    ? hotkey
                                                               : sunken;
        g_failPlace = c.place;
        g_failMsg = c.msg;
        auto provoke = [&] {
            if (c.msg == WM_LBUTTONDOWN) {
                Mouse(target, WM_LBUTTONDOWN, 15, 25);
                Mouse(target, WM_LBUTTONUP, 15, 25);
            } else {
                ::RedrawWindow(target, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
            }
            PumpMessages();
        };
        provoke();
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(told[0], L"injected failure");
        EXPECT_FALSE(NeedsPaint(target)) << "a failed paint must not be asked for again and again";
        // The same failure again is not told again (a paint fails at every repaint).
        provoke();
        EXPECT_EQ(told.size(), 1u);
        // Mended, the window works: the next messages are handled and nothing more is told.
        g_failPlace = nullptr;
        provoke();
        EXPECT_TRUE(::IsWindow(target));
        EXPECT_EQ(told.size(), 1u);
    }
}

TEST_F(SkinFailure, AFailedRebuildOnResizeIsToldAndTheWindowHandlesTheSizeOnce) {
    g_failPlace = "dialog.rebuild";
    g_failMsg = 0;
    dialog.sizes = 0;
    ::SetWindowPos(dialog.Handle(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], L"injected failure");
    EXPECT_EQ(dialog.sizes, 1) << "the window's own procedure ran once for the size";
    // The next size rebuilds the background and the dialog still draws in the skin's look.
    g_failPlace = nullptr;
    ::SetWindowPos(dialog.Handle(), nullptr, 0, 0, 420, 320, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages();
    EXPECT_EQ(told.size(), 1u);
    EXPECT_EQ(ScreenPixel(ok, 37, 2), RGB(0, 0, 0xFF));  // the skin's default button look
}

TEST_F(SkinFailure, AFailedSkinningLeavesTheWindowPlainAndUnpublished) {
    // A rebuild that fails while the dialog is skinned: nothing of the dialog is subclassed
    // or published, and the error reaches the caller.
    dialogSkin.UnskinWindow(dialog.Handle());
    g_failPlace = "dialog.rebuild";
    EXPECT_THROW(dialogSkin.SkinWindow(dialog.Handle()), ESkinError);
    EXPECT_EQ(::GetPropW(dialog.Handle(), L"KorvixSkinDialog"), nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_THROW(dialogSkin.WindowObject(dialog.Handle()), ESkinError);
    EXPECT_TRUE(told.empty());
}

TEST_F(SkinFailure, HandlerErrorsWithoutOnErrorOrFromAFailingOnErrorReachTheSink) {
    formSkin.OnSkinEvent = [](TSkinObject, const std::wstring& name) {
        if (name == L"OnClick") throw ESkinError(L"handler failed");
    };
    Mouse(form.Handle(), WM_LBUTTONDOWN, 15, 25);
    Mouse(form.Handle(), WM_LBUTTONUP, 15, 25);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], L"handler failed");

    formSkin.OnError = [](const Exception&) { throw ESkinError(L"OnError failed"); };
    Mouse(form.Handle(), WM_LBUTTONDOWN, 15, 25);
    Mouse(form.Handle(), WM_LBUTTONUP, 15, 25);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1], L"handler failed");
}
}  // namespace
