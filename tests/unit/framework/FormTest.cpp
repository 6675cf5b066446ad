// Forms as windows with controls meet them: Tab, Enter and Escape through the message loop,
// modal forms and their owners, the form's own timers, and the show and activate events.
#include <windows.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include "framework/uApplication.h"
#include "framework/uControls.h"
#include "framework/uDpi.h"
#include "framework/uException.h"
#include "framework/uTimer.h"
#include "support/TestSupport.h"

namespace {

// A captioned, visible window with an edit, an OK button (default) and a Cancel button.
class DialogForm : public TForm {
public:
    explicit DialogForm(HWND owner = nullptr) : owner_(owner) {}
    std::unique_ptr<TEdit> edit;
    std::unique_ptr<TButton> ok, cancel;
    std::vector<std::string> events;
    TTimer timer{*this, 10};

protected:
    CreateParams FormParams() override {
        return {.className = L"KorvixTestDialog",
                .title = L"Dialog",
                .style = WS_POPUP | WS_CAPTION | WS_SYSMENU,
                .parent = owner_,
                .x = 100,
                .y = 100,
                .width = 300,
                .height = 150};
    }
    void FormCreate() override {
        edit = std::make_unique<TEdit>(Handle(), 100, RECT{10, 10, 200, 32});
        ok = std::make_unique<TButton>(Handle(), IDOK, RECT{10, 50, 90, 75}, L"OK");
        cancel = std::make_unique<TButton>(Handle(), 101, RECT{100, 50, 180, 75}, L"Cancel");
        ok->OnClick = [this](TButton&) {
            events.push_back("ok");
            SetModalResult(mrOk);
        };
        cancel->OnClick = [this](TButton&) {
            events.push_back("cancel");
            SetModalResult(mrCancel);
        };
        SetDefaultButton(ok.get());
        SetCancelButton(cancel.get());
    }
    void FormShow() override { events.push_back("show"); }
    void FormDpiChanged(UINT dpi) override { events.push_back("dpi " + std::to_string(dpi)); }
    void FormActivate() override { events.push_back("activate"); }

private:
    HWND owner_;
};

class FormTest : public testing::Test {
protected:
    void SetUp() override {
        Application.Initialize();
        main = Application.CreateForm<DialogForm>();
    }
    void TearDown() override {
        Application.Shutdown();
        PumpMessages();
    }
    // A key as the keyboard delivers it: posted to the window with the focus, so it goes
    // through the application's loop and IsDialogMessage.
    static void Key(WORD vk) {
        HWND focus = ::GetFocus();
        ::PostMessageW(focus, WM_KEYDOWN, vk, 1);
        ::PostMessageW(focus, WM_KEYUP, vk, 0xC0000001);
    }
    DialogForm* main = nullptr;
};

TEST_F(FormTest, ShowingAndActivatingRunTheEventsAndFocusTheFirstControl) {
    main->Show();
    ::SetForegroundWindow(main->Handle());
    ::SetActiveWindow(main->Handle());
    Application.ProcessMessages();
    ASSERT_GE(main->events.size(), 2u);
    EXPECT_EQ(main->events[0], "show");
    EXPECT_EQ(main->events[1], "activate");
    EXPECT_TRUE(main->edit->Focused());
}

TEST_F(FormTest, TabMovesTheFocusAndEnterAndEscapePressTheDefaultAndCancelButtons) {
    main->Show();
    ::SetForegroundWindow(main->Handle());
    Application.ProcessMessages();
    main->edit->SetFocus();
    Key(VK_TAB);
    Application.ProcessMessages();
    EXPECT_TRUE(main->ok->Focused()) << "Tab goes to the next control in creation order";
    main->edit->SetFocus();
    Key(VK_RETURN);
    Application.ProcessMessages();
    Key(VK_ESCAPE);
    Application.ProcessMessages();
    std::vector<std::string> clicks;
    for (const auto& e : main->events) {
        if (e == "ok" || e == "cancel") clicks.push_back(e);
    }
    EXPECT_EQ(clicks, (std::vector<std::string>{"ok", "cancel"}));
}

TEST_F(FormTest, ShowModalDisablesTheOwnerUntilAButtonSetsTheResult) {
    main->Show();
    auto* dialog = Application.CreateForm<DialogForm>(main->Handle());
    bool ownerDisabledInside = false;
    dialog->timer.OnTimer = [&] {
        ownerDisabledInside = !::IsWindowEnabled(main->Handle());
        dialog->timer.SetEnabled(false);
        dialog->ok->Click();
    };
    dialog->timer.SetEnabled(true);
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_TRUE(ownerDisabledInside);
    EXPECT_TRUE(::IsWindowEnabled(main->Handle()));
    EXPECT_FALSE(dialog->Visible());
    EXPECT_EQ(Application.FormOf(dialog->Handle()), dialog) << "the creator frees it";
    Application.DestroyForm(dialog);
}

TEST_F(FormTest, ClosingAModalFormAnswersCancelAndDestroyingItWaitsForTheLoop) {
    auto* dialog = Application.CreateForm<DialogForm>(main->Handle());
    dialog->timer.OnTimer = [&] {
        dialog->timer.SetEnabled(false);
        Application.DestroyForm(dialog);  // what the engine's fatal path may do
    };
    dialog->timer.SetEnabled(true);
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    Application.ProcessMessages();  // the release afterwards
    EXPECT_EQ(Application.FindForm<DialogForm>(), main);
    EXPECT_EQ(Application.Forms().size(), 1u);
    EXPECT_TRUE(::IsWindowEnabled(main->Handle()));

    auto* second = Application.CreateForm<DialogForm>(main->Handle());
    ::PostMessageW(second->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(second->ShowModal(), mrCancel);
}

TEST_F(FormTest, TimersTickOnTheFormsOwnWindowAndForeignIdsRunNothing) {
    int ticks = 0;
    main->timer.OnTimer = [&] { ++ticks; };
    main->timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
    main->timer.SetEnabled(false);
    PumpMessages();
    int stopped = ticks;
    ::PostMessageW(main->Handle(), WM_TIMER, 77, 0);
    ::PostMessageW(main->Handle(), WM_TIMER, 1, 0);  // the timer's id, but switched off
    PumpMessages();
    EXPECT_EQ(ticks, stopped);
    EXPECT_EQ(::FindWindowW(L"KorvixTimerWindow", nullptr), nullptr) << "no hidden window per timer";
}

TEST_F(FormTest, AnExceptionInATimerReachesTheErrorSink) {
    std::vector<std::wstring> reported;
    ExceptionSinkScope sink([&](const TExceptionInfo& e) { reported.push_back(e.Message); });
    main->timer.OnTimer = [&] {
        main->timer.SetEnabled(false);
        throw EOSError(L"tick failed");
    };
    main->timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return !reported.empty(); }));
    EXPECT_EQ(reported, std::vector<std::wstring>{L"tick failed"});
}

}  // namespace

namespace {
// Moved to a monitor of 200 %: the form takes the rectangle the system suggests and lays
// itself out for the new DPI.
TEST_F(FormTest, ANewDpiResizesTheFormToTheSuggestionAndTellsIt) {
    RECT suggested{120, 130, 120 + 600, 130 + 300};
    ::SendMessageW(main->Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    ::GetWindowRect(main->Handle(), &now);
    EXPECT_TRUE(::EqualRect(&now, &suggested));
    EXPECT_EQ(main->events.back(), "dpi 192");
    EXPECT_EQ(ScaleToDpi(10, 96), 10);
    EXPECT_EQ(ScaleToDpi(10, 144), 15);
    EXPECT_EQ(ScaleToDpi(7, 144), 11);  // 10.5, to the nearest pixel
    EXPECT_EQ(ScaleToDpi(23, 192), 46);
}
}  // namespace
