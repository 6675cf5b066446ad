#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "framework/uApplication.h"
#include "support/TestSupport.h"

namespace {
std::vector<std::string> g_events;

class TestForm : public TForm {
public:
    explicit TestForm(std::string name, bool allowClose = true) : name_(std::move(name)), allowClose_(allowClose) {}

protected:
    CreateParams FormParams() override { return {.className = L"KorvixTestForm", .title = L"test"}; }
    void FormCreate() override { g_events.push_back(name_ + ".create"); }
    bool FormCloseQuery() override {
        g_events.push_back(name_ + ".query");
        return allowClose_;
    }
    void FormClose() override { g_events.push_back(name_ + ".close"); }
    void FormDestroy() override { g_events.push_back(name_ + ".destroy"); }

private:
    std::string name_;
    bool allowClose_;
};

class OtherForm : public TestForm {
public:
    OtherForm() : TestForm("other") {}

protected:
    bool FreeOnClose() const override { return true; }
};

class ApplicationTest : public testing::Test {
protected:
    void SetUp() override {
        g_events.clear();
        Application.Initialize();
    }
    void TearDown() override {
        Application.Shutdown();
        PumpMessages();  // drop the quit message a terminated loop leaves behind
    }
};
}  // namespace

TEST_F(ApplicationTest, FormsAreKeptInCreationOrderAndTheFirstIsMain) {
    TestForm* main = Application.CreateForm<TestForm>("main");
    OtherForm* other = Application.CreateForm<OtherForm>();
    ASSERT_NE(main->Handle(), nullptr);
    EXPECT_EQ(Application.MainForm(), main);
    EXPECT_EQ(Application.Forms(), (std::vector<TForm*>{main, other}));
    EXPECT_EQ(Application.FindForm<OtherForm>(), other);
    EXPECT_EQ(g_events, (std::vector<std::string>{"main.create", "other.create"}));
    Application.Shutdown();  // newest first
    EXPECT_EQ(g_events, (std::vector<std::string>{"main.create", "other.create", "other.destroy", "main.destroy"}));
}

TEST_F(ApplicationTest, ClosingAFormReleasesItFromTheLoopAndClosingTheMainFormEndsTheLoop) {
    TestForm* main = Application.CreateForm<TestForm>("main");
    OtherForm* other = Application.CreateForm<OtherForm>();
    ::PostMessageW(other->Handle(), WM_CLOSE, 0, 0);
    Application.ProcessMessages();
    EXPECT_EQ(Application.FindForm<OtherForm>(), nullptr);
    EXPECT_EQ(g_events,
              (std::vector<std::string>{"main.create", "other.create", "other.query", "other.close", "other.destroy"}));
    ::PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
    Application.Run();  // returns because the main form closed
    EXPECT_TRUE(Application.Terminated());
    EXPECT_EQ(Application.MainForm(), main);  // still there until shutdown
}

TEST_F(ApplicationTest, AFormThatDoesNotFreeItselfIsOnlyHiddenByClose) {
    Application.CreateForm<TestForm>("main");
    TestForm* second = Application.CreateForm<TestForm>("second");
    second->Show();
    second->Close();
    Application.ProcessMessages();
    EXPECT_FALSE(second->Visible());
    EXPECT_EQ(Application.Forms().size(), 2u);
    EXPECT_FALSE(Application.Terminated());
}

TEST_F(ApplicationTest, ACloseQueryCanRefuse) {
    Application.CreateForm<TestForm>("main", false);
    Application.MainForm()->Close();
    EXPECT_FALSE(Application.Terminated());
    EXPECT_EQ(g_events.back(), "main.query");
}

TEST_F(ApplicationTest, EveryHookSeesEveryMessageAndHandledStopsDispatch) {
    MessageRecorder target;
    std::vector<UINT> first, second;
    int a = Application.AddMessageHook([&](MSG& msg, bool& handled) {
        if (msg.hwnd != target.Handle()) return;
        first.push_back(msg.message);
        if (msg.message == WM_USER + 1) handled = true;
    });
    int b = Application.AddMessageHook([&](MSG& msg, bool&) {
        if (msg.hwnd == target.Handle()) second.push_back(msg.message);
    });
    ::PostMessageW(target.Handle(), WM_USER + 1, 0, 0);
    ::PostMessageW(target.Handle(), WM_USER + 2, 0, 0);
    Application.ProcessMessages();
    EXPECT_EQ(first, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
    EXPECT_EQ(second, first);
    ASSERT_EQ(target.Messages.size(), 1u);  // the handled one was not dispatched
    EXPECT_EQ(target.Messages[0].msg, static_cast<UINT>(WM_USER + 2));
    Application.RemoveMessageHook(a);
    Application.RemoveMessageHook(b);
    ::PostMessageW(target.Handle(), WM_USER + 1, 0, 0);
    Application.ProcessMessages();
    EXPECT_EQ(first.size(), 2u);
    EXPECT_EQ(target.Messages.size(), 2u);
}

TEST_F(ApplicationTest, TheApplicationWindowCarriesTheTitleAndStaysHidden) {
    Application.SetTitle(L"Korvix Professional");
    wchar_t title[64] = {};
    ::GetWindowTextW(Application.Handle(), title, 64);
    EXPECT_STREQ(title, L"Korvix Professional");
    EXPECT_FALSE(::IsWindowVisible(Application.Handle()));
    EXPECT_TRUE(::SendMessageW(Application.Handle(), WM_QUERYENDSESSION, 0, 0));
}
