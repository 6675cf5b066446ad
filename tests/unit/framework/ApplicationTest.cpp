#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>
#include "framework/uApplication.h"
#include "framework/uException.h"
#include "framework/uMessageBox.h"
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

// A form whose window refuses to be created (WM_CREATE answers -1), or whose FormCreate throws.
class FailingForm : public TForm {
public:
    explicit FailingForm(bool inFormCreate) : inFormCreate_(inFormCreate) {}

protected:
    CreateParams FormParams() override { return {.className = L"KorvixFailingForm"}; }
    void FormCreate() override {
        if (inFormCreate_) throw ERegistryError(L"FormCreate failed");
    }
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CREATE && !inFormCreate_) return -1;
        return TForm::WndProc(msg, wParam, lParam);
    }

private:
    bool inFormCreate_;
};

// Throws from its window procedure on WM_USER; records the messages of its end.
class ThrowingForm : public TestForm {
public:
    ThrowingForm() : TestForm("throwing") {}

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_USER) throw ERegistryError(L"Cannot create Key: HKEY_CURRENT_USER\\x");
        if (msg == WM_USER + 1) throw 7;
        if (msg == WM_DESTROY) g_events.push_back("throwing.WM_DESTROY");
        return TestForm::WndProc(msg, wParam, lParam);
    }
};

struct ShownBox {
    HWND owner;
    std::wstring text, caption;
    UINT type;
};
std::vector<ShownBox> g_boxes;
int RecordBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    g_boxes.push_back({owner, text, caption, type});
    return IDOK;
}

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

TEST_F(ApplicationTest, AFormWhoseWindowCannotBeCreatedIsNotLeftRegistered) {
    for (bool inFormCreate : {false, true}) {
        try {
            Application.CreateForm<FailingForm>(inFormCreate);
            ADD_FAILURE() << "the failure must reach the caller";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.ClassName(), inFormCreate ? L"ERegistryError" : L"EOSError");
        }
        EXPECT_TRUE(Application.Forms().empty()) << inFormCreate;
        EXPECT_EQ(Application.MainForm(), nullptr);
        EXPECT_EQ(::FindWindowW(L"KorvixFailingForm", nullptr), nullptr) << "its window is gone too";
    }
    // The next form is the main form, as if the failed one had never been.
    TestForm* main = Application.CreateForm<TestForm>("main");
    EXPECT_EQ(Application.MainForm(), main);
}

TEST_F(ApplicationTest, EOSErrorCarriesTheSystemCodeAndItsText) {
    EOSError error(ERROR_ACCESS_DENIED, L"Cannot open the file");
    EXPECT_EQ(error.ErrorCode(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(error.Message(), L"Cannot open the file: " + SystemErrorText(ERROR_ACCESS_DENIED));
    EXPECT_NE(SystemErrorText(ERROR_ACCESS_DENIED).find(L"(5)"), std::wstring::npos);
    EXPECT_GT(SystemErrorText(ERROR_ACCESS_DENIED).size(), 4u) << "the system's own words come first";
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    try {
        RaiseLastOSError(L"x");
    } catch (const EOSError& e) {
        EXPECT_EQ(e.ErrorCode(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    }
}

TEST_F(ApplicationTest, AnExceptionInAWindowProcedureReachesTheUserOnceAsAnErrorBox) {
    ExceptionSinkScope standard(nullptr);  // the program's own sink
    Application.SetTitle(L"Korvix Professional");
    MessageBoxFunc previous = SetMessageBoxFunc(&RecordBox);
    g_boxes.clear();
    ThrowingForm* form = Application.CreateForm<ThrowingForm>();
    ::PostMessageW(form->Handle(), WM_USER, 0, 0);
    Application.ProcessMessages();
    SetMessageBoxFunc(previous);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text, L"Cannot create Key: HKEY_CURRENT_USER\\x");
    EXPECT_EQ(g_boxes[0].caption, L"Korvix Professional");
    EXPECT_EQ(g_boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_TRUE(::IsWindow(form->Handle())) << "the program goes on";
}

TEST_F(ApplicationTest, WindowProceduresAndHooksShareOneReplaceableSink) {
    std::vector<std::wstring> reported;
    ExceptionSinkScope sink([&](const TExceptionInfo& e) { reported.push_back(e.ClassName + L": " + e.Message); });
    ThrowingForm* form = Application.CreateForm<ThrowingForm>();
    ::SendMessageW(form->Handle(), WM_USER + 1, 0, 0);
    int hook = Application.AddMessageHook([](MSG& msg, bool&) {
        if (msg.message == WM_USER + 5) throw std::runtime_error("hook failed");
    });
    ::PostMessageW(form->Handle(), WM_USER + 5, 0, 0);
    Application.ProcessMessages();
    Application.RemoveMessageHook(hook);
    EXPECT_EQ(reported, (std::vector<std::wstring>{L"---Unknown---: Unknown Error", L"std::exception: hook failed"}));
}

TEST_F(ApplicationTest, DestroyingAFormDeliversWmDestroyToTheWholeObject) {
    ThrowingForm* form = Application.CreateForm<ThrowingForm>();
    bool notified = false;
    form->OnDestroy = [&](TForm& sender) { notified = &sender == form && ::IsWindow(sender.Handle()); };
    Application.DestroyForm(form);
    EXPECT_EQ(g_events, (std::vector<std::string>{"throwing.create", "throwing.destroy", "throwing.WM_DESTROY"}));
    EXPECT_TRUE(notified) << "OnDestroy runs after FormDestroy, while the window still exists";
}

TEST_F(ApplicationTest, AReleaseOfAFormThatIsGoneFindsNothing) {
    TestForm* main = Application.CreateForm<TestForm>("main");
    OtherForm* other = Application.CreateForm<OtherForm>();
    other->Release();
    Application.DestroyForm(other);  // before the posted release arrives
    Application.ProcessMessages();
    EXPECT_EQ(Application.Forms(), std::vector<TForm*>{main});
}
