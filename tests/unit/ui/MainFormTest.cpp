// The main window under Wine: a real window skinned with the shipped skins (or the engine's
// test skin and broken fixtures where the default skin is not the point), driven by real
// mouse messages and by its timer ticks, which the tests run themselves.
#include <windows.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <htmlhelp.h>
#include <oleacc.h>
#include <optional>
#include <string>
#include <vector>
#include "framework/uApplication.h"
#include "framework/uHandles.h"
#include "framework/uMessageBox.h"
#include "help/uHTMLHelp.h"
#include "legacy/uMessages.h"
#include "skin/SkinTestSupport.h"
#include "skin/uSkinScrollBar.h"
#include "support/TestSupport.h"
#include "ui/PageFixture.h"
#include "ui/fMainForm.h"
#include "ui/uKorvixWindows.h"
#include "ui/uPageRules.h"
#include "ui/uSkinHelper.h"
#include "ui/uSkinNames.h"
#include "ui/uSkinService.h"
#include "ui/uWindowContext.h"

namespace {
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

std::vector<HH_POPUP> g_popups;
std::vector<std::wstring> g_topics;
void RecordHelp(HWND, const std::wstring& file, UINT command, DWORD_PTR data) {
    if (command == HH_DISPLAY_TEXT_POPUP) g_popups.push_back(*reinterpret_cast<const HH_POPUP*>(data));
    if (command == HH_DISPLAY_TOPIC) g_topics.push_back(file);
}

BOOL CALLBACK CloseHelpViewer(HWND window, LPARAM) {
    DWORD pid = 0;
    wchar_t name[32] = {};
    ::GetWindowThreadProcessId(window, &pid);
    ::GetClassNameW(window, name, 32);
    if (pid == ::GetCurrentProcessId() && std::wstring(name) == L"HH Parent") ::DestroyWindow(window);
    return TRUE;
}

std::wstring g_chosenSkin;
bool ChooseSkin(TOpenDialog& dialog, HWND) {
    if (g_chosenSkin.empty()) return false;
    dialog.FileName = g_chosenSkin;
    return true;
}

// The program's main form is the start-up form; closing the main window must not end the program.
class TStandInMainForm : public TForm {
protected:
    CreateParams FormParams() override { return {.className = L"TStandInMainForm", .style = WS_POPUP}; }
};

std::wstring ShippedSkin(const wchar_t* name) { return std::wstring(KORVIX_SHIPPED_SKIN_DIR) + L"\\" + name; }

SIZE ClientSize(HWND window) {
    RECT r{};
    ::GetClientRect(window, &r);
    return {r.right, r.bottom};
}

// Where the mouse grabs a horizontal scroll bar's thumb: its middle, as the engine lays it out
// (the thumb at least as long as the bar is thick).
POINT ThumbCentre(const TSkinScrollBar& bar) {
    RECT r = bar.Rectangle();
    int width = r.right - r.left, thickness = r.bottom - r.top;
    long long count = static_cast<long long>(bar.Max()) - bar.Min() + 1;
    int thumb = std::max(static_cast<int>(width * static_cast<long long>(bar.Page()) / count), thickness);
    int last = bar.Max() - bar.Page() + 1;
    int offset =
        static_cast<int>(static_cast<long long>(width - thumb) * (bar.Position() - bar.Min()) / (last - bar.Min()));
    return {r.left + offset + thumb / 2, (r.top + r.bottom) / 2};
}

// Where the parts of a horizontal scroll bar lie, as the engine lays them out.
SkinScrollParts BarParts(const TSkinScrollBar& bar, bool arrows) {
    RECT r = bar.Rectangle();
    SkinScrollValues v{bar.Min(), bar.Max(), bar.Page(), bar.Step(), bar.Position()};
    return ScrollParts({r.left, r.top, r.right - r.left, r.bottom - r.top}, false, arrows, v, r.bottom - r.top);
}
POINT Middle(const SkinRect& r) { return {r.x + r.w / 2, r.y + r.h / 2}; }

// Where a test presses an element: its middle, or a part of a slider.
enum class TPressAt { Middle, Thumb, PrevArrow, NextArrow, PageBefore, PageAfter };
POINT PressPoint(const TSkinObject& element, TPressAt at, bool arrows) {
    RECT r = element.Rectangle();
    if (at == TPressAt::Middle) return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    SkinScrollParts p = BarParts(element.AsScrollBar(), arrows);
    int y = (r.top + r.bottom) / 2;
    switch (at) {
        case TPressAt::Thumb: return Middle(p.thumb);
        case TPressAt::PrevArrow: return Middle(p.prev);
        case TPressAt::NextArrow: return Middle(p.next);
        case TPressAt::PageBefore: return {(p.track.x + p.thumb.x) / 2, y};
        default: return {(p.thumb.x + p.thumb.w + p.track.x + p.track.w) / 2, y};
    }
}

// What a screen reader reads of one child of the window's client object.
struct TAccessChild {
    long id = 0, role = 0, state = 0;
    std::wstring name, value, action;
    RECT place{};
};
constexpr GUID kIID_IAccessible{0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

std::wstring TakeText(HRESULT hr, BSTR text) {
    std::wstring out = hr == S_OK && text ? std::wstring(text, ::SysStringLen(text)) : L"";
    ::SysFreeString(text);
    return out;
}

TAccessChild ReadChild(IAccessible* object, long id) {
    TAccessChild c;
    c.id = id;
    VARIANT child{};
    child.vt = VT_I4;
    child.lVal = id;
    BSTR text = nullptr;
    HRESULT hr = object->get_accName(child, &text);
    c.name = TakeText(hr, text);
    text = nullptr;
    hr = object->get_accValue(child, &text);
    c.value = TakeText(hr, text);
    text = nullptr;
    hr = object->get_accDefaultAction(child, &text);
    c.action = TakeText(hr, text);
    VARIANT v{};
    if (object->get_accRole(child, &v) == S_OK && v.vt == VT_I4) c.role = v.lVal;
    if (object->get_accState(child, &v) == S_OK && v.vt == VT_I4) c.state = v.lVal;
    long l = 0, t = 0, w = 0, h = 0;
    object->accLocation(&l, &t, &w, &h, child);
    c.place = {l, t, l + w, t + h};
    return c;
}

// The window's client object as a tool gets it (through WM_GETOBJECT), with its children.
struct TAccessView {
    IAccessible* object = nullptr;
    std::vector<TAccessChild> children;
    explicit TAccessView(HWND window) {
        EXPECT_EQ(::AccessibleObjectFromWindow(window, DWORD(OBJID_CLIENT), kIID_IAccessible,
                                               reinterpret_cast<void**>(&object)),
                  S_OK);
        Read();
    }
    ~TAccessView() {
        if (object) object->Release();
    }
    void Read() {
        children.clear();
        long count = 0;
        if (!object || object->get_accChildCount(&count) != S_OK) return;
        for (long id = 1; id <= count; ++id) children.push_back(ReadChild(object, id));
    }
    // The child that covers exactly this screen rectangle, with that role.
    const TAccessChild* At(const RECT& place, long role) const {
        for (const TAccessChild& c : children)
            if (::EqualRect(&c.place, &place) && c.role == role) return &c;
        return nullptr;
    }
};

// The text of a skin file with every `from` replaced by `to`.
std::string SlowedDown(const std::wstring& file, const std::string& from, const std::string& to) {
    std::string text;
    UniqueKernelHandle handle(
        ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char buffer[65536];
    DWORD read = 0;
    while (handle && ::ReadFile(handle.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        text.append(buffer, read);
    size_t replaced = 0;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()), ++replaced)
        text.replace(at, from.size(), to);
    EXPECT_GT(replaced, 0u) << "the skin has no " << from;
    return text;
}

RECT ChildBounds(HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}
}  // namespace

class MainFormTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        Application.Initialize();
        SetApplicationHandle(Application.Handle());
        if (!Application.MainForm()) Application.CreateForm<TStandInMainForm>();
        ForgetMainWindowPosition();
        g_boxes.clear();
        g_popups.clear();
        g_topics.clear();
        g_chosenSkin.clear();
        previousBox_ = SetMessageBoxFunc(&RecordBox);
        SetHtmlHelpObserver(&RecordHelp);
        SetSkinFileChooser(&ChooseSkin);
        engine_ = std::make_unique<MessageRecorder>(L"engine for the main window tests");
        EngineWindow = engine_->Handle();
        O().SetSkin(ShippedSkin(L"default.skn"));
    }
    void TearDown() override {
        if (form_) Application.DestroyForm(form_);
        form_ = nullptr;
        PumpMessages();
        SetSkinFileChooser(nullptr);
        SetHtmlHelpObserver(nullptr);
        SetMessageBoxFunc(previousBox_);
        EngineWindow = nullptr;
        engine_.reset();
        PageTest::TearDown();
    }

    TfrmMain& Open() {
        form_ = Application.CreateForm<TfrmMain>(Context(), 0u);
        form_->Show();
        PumpMessages();
        return *form_;
    }
    void CloseForm() {
        Application.DestroyForm(form_);
        form_ = nullptr;
        PumpMessages();
    }
    // Ticks (and the skin's frames, in real time) until the queue has played and the window
    // takes page clicks again.
    void Settle() {
        const DWORD end = ::GetTickCount() + 20000;
        while ((form_->Animating() || form_->QueuedAnimations() > 0) && ::GetTickCount() < end) {
            form_->TimerTimer();
            PlayFrames(10);
        }
        ASSERT_FALSE(form_->Animating());
        ASSERT_EQ(form_->QueuedAnimations(), 0);
    }
    // The skin's frames run in real time, the window's ticks only when the test gives them.
    // Bounded by the time, not by an empty queue: while a skin animates, its frame timer and
    // repaints keep the queue from ever being empty on a slow machine.
    static void PlayFrames(DWORD ms) {
        const DWORD end = ::GetTickCount() + ms;
        MSG msg;
        while (::GetTickCount() < end) {
            while (::GetTickCount() < end && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            ::Sleep(5);
        }
    }
    RECT ElementRect(const wchar_t* name) { return form_->Root().Find(name).Rectangle(); }
    // Opens a page (or closes the open one for pgNone) and waits until it shows.
    void TogglePageTo(int page) {
        if (form_->CurrentPage() == page) return;
        form_->ShowPage(page);
        Settle();
    }
    // A left click in the middle of an element, as the mouse gives it, and what it posted.
    void Click(const wchar_t* name) {
        ClickNow(name);
        PumpMessages();
    }
    // The click alone (the window handles it at once).
    void ClickNow(const wchar_t* name) {
        RECT r = ElementRect(name);
        int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        Mouse(form_->Handle(), WM_LBUTTONDOWN, x, y);
        Mouse(form_->Handle(), WM_LBUTTONUP, x, y);
    }
    std::wstring Text(const wchar_t* name) { return form_->Root().Find(name).AsStatic().Text(); }
    bool Pressed(const wchar_t* name) { return form_->Root().Find(name).AsButton().Pressed(); }
    std::vector<RecordedMessage> FreeUpRequests() {
        std::vector<RecordedMessage> requests;
        for (const RecordedMessage& m : engine_->Take())
            if (m.msg == WM_FREEUPREQUEST) requests.push_back(m);
        return requests;
    }

    TWindowContext Context() { return {O(), requests_, skins_}; }

    TfrmMain* form_ = nullptr;
    std::unique_ptr<MessageRecorder> engine_;
    TSkinService skins_;
    TEngineMessages requests_{[] { return EngineWindow; }};

private:
    MessageBoxFunc previousBox_ = nullptr;
};

// ---- Skin loading ----
TEST_F(MainFormTest, DefaultSkinLoadsWithCaptionsChartAndScrollBarsForTheMachine) {
    TfrmMain& form = Open();
    ASSERT_TRUE(form.SkinLoaded());
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_FALSE(form.lblSkinNeeded().Visible());
    EXPECT_FALSE(form.cmdLoadSkin().Visible());
    // The chart covers the `chart` element exactly.
    RECT chart = ElementRect(L"chart");
    RECT placed = ChildBounds(form.PerformanceChart().Handle());
    EXPECT_TRUE(::EqualRect(&chart, &placed));
    EXPECT_TRUE(::IsWindowVisible(form.PerformanceChart().Handle()));
    // T = 512: the megabyte sliders reach 512 with a page of 25.
    TSkinScrollBar manual = form.Root().Find(L"manual_scroll").AsScrollBar();
    EXPECT_EQ(manual.Max(), 536);
    EXPECT_EQ(manual.Page(), 25);
    TSkinScrollBar idle = form.Root().Find(L"idlecpu_scroll").AsScrollBar();
    EXPECT_EQ(idle.Min(), 1);
    EXPECT_EQ(idle.Max(), 109);
    EXPECT_EQ(idle.Page(), 10);
    // Captions from the program, the status line empty, the values of the options shown.
    EXPECT_EQ(form.Root().Find(L"manual_activate").AsButton().Caption(), L"Free-Up");
    EXPECT_EQ(Text(L"StatusStatic"), L"");
    EXPECT_EQ(Text(L"manual_amount"), FormatFreeAmount(O().Manual()));
    EXPECT_EQ(manual.Position(), O().Manual());
    // The chart takes the skin's colours.
    EXPECT_EQ(form.PerformanceChart().Color(), SkinColor(form.Root().Find(L"chart_backcolor"), 0xFFFFFFFF));
}

TEST_F(MainFormTest, ASkinThatCannotBeUsedShowsTheFallbackAndNamesTheFile) {
    struct Case {
        const char* what;
        std::wstring skin;    // the option's value
        std::wstring named;   // what the message names
        std::wstring detail;  // part of what the loader said, which follows the message
    };
    const std::wstring missing = ShippedSkin(L"no such skin.skn");
    const Case cases[] = {
        {"missing file", missing, L"", L"The skin file was not found"},
        {"no chart element", FixturePath(L"missing_chart.skn"), FixturePath(L"missing_chart.skn"), L"chart"},
        {"manual_scroll is a static", FixturePath(L"manual_scroll_static.skn"),
         FixturePath(L"manual_scroll_static.skn"), L"manual_scroll"},
        {"not a skin", FixturePath(L"not_a_skin.skn"), FixturePath(L"not_a_skin.skn"), L"line 1:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_boxes.clear();
        O().SetSkin(c.skin);
        TfrmMain& form = Open();
        EXPECT_FALSE(form.SkinLoaded());
        EXPECT_TRUE(form.lblSkinNeeded().Visible());
        EXPECT_TRUE(form.cmdLoadSkin().Visible());
        EXPECT_FALSE(::IsWindowVisible(form.PerformanceChart().Handle()));
        SIZE client = ClientSize(form.Handle());
        EXPECT_EQ(client.cx, 269);
        EXPECT_EQ(client.cy, 128);
        EXPECT_EQ(form.cmdLoadSkin().Text(), L"Load Skin");
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_EQ(g_boxes[0].owner, form.Handle());
        // The message as it always read, then what the loader said (with the line of a fault).
        const std::wstring told =
            L"There was an error loading the skin (" + c.named + L"). Please load a different skin.\r\n\r\n";
        EXPECT_EQ(g_boxes[0].text.substr(0, told.size()), told);
        EXPECT_NE(g_boxes[0].text.find(c.detail, told.size()), std::wstring::npos) << Narrow8(g_boxes[0].text);
        EXPECT_EQ(g_boxes[0].caption, L"Korvix Professional");
        EXPECT_EQ(g_boxes[0].type, UINT(MB_OK | MB_ICONERROR));
        CloseForm();
    }
}

TEST_F(MainFormTest, LoadSkinButtonLoadsTheChosenSkinAndKeepsItAsTheOption) {
    O().SetSkin(L"missing.skn");
    TfrmMain& form = Open();
    ASSERT_FALSE(form.SkinLoaded());
    g_boxes.clear();
    g_chosenSkin = ShippedSkin(L"dark.skn");
    form.cmdLoadSkin().Click();
    PumpMessages();
    EXPECT_TRUE(form.SkinLoaded());
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(O().Skin(), g_chosenSkin);
    EXPECT_FALSE(form.cmdLoadSkin().Visible());
    EXPECT_TRUE(::IsWindowVisible(form.PerformanceChart().Handle()));
    EXPECT_EQ(Text(L"manual_amount"), FormatFreeAmount(O().Manual()));
}

TEST_F(MainFormTest, SwitchingToABrokenSkinBringsThePreviousOneBackAndNamesTheBrokenFile) {
    TfrmMain& form = Open();
    Click(L"misc");  // switch_skin is on the page of other options
    Settle();
    ASSERT_EQ(form.CurrentPage(), pgMisc);
    const std::wstring good = O().Skin();

    g_chosenSkin = FixturePath(L"missing_chart.skn");
    Click(L"switch_skin");  // posts the switch; it runs once the click has returned
    PumpMessages();
    EXPECT_TRUE(form.SkinLoaded());
    // Unskinned and skinned again, the window stays on the screen (it was hidden when first skinned).
    EXPECT_TRUE(::IsWindowVisible(form.Handle()));
    EXPECT_EQ(O().Skin(), good);
    EXPECT_EQ(form.CurrentPage(), pgNone);
    EXPECT_EQ(form.QueuedAnimations(), 0);
    EXPECT_FALSE(Pressed(L"misc"));
    ASSERT_EQ(g_boxes.size(), 1u);
    // The broken file is named, with the loader's reason after it.
    const std::wstring told =
        L"There was an error loading the skin (" + g_chosenSkin + L"). Please load a different skin.\r\n\r\n";
    EXPECT_EQ(g_boxes[0].text.substr(0, told.size()), told);
    EXPECT_NE(g_boxes[0].text.find(L"chart", told.size()), std::wstring::npos);

    // A good one replaces it, and the pages show the options again.
    g_boxes.clear();
    g_chosenSkin = ShippedSkin(L"dark.skn");
    Click(L"misc");
    Settle();
    Click(L"switch_skin");
    PumpMessages();
    EXPECT_TRUE(form.SkinLoaded());
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(O().Skin(), g_chosenSkin);
    EXPECT_EQ(form.Skin().FileName(), g_chosenSkin);
    EXPECT_EQ(Text(L"manual_amount"), FormatFreeAmount(O().Manual()));

    // Cancelling the dialog changes nothing.
    g_chosenSkin.clear();
    Click(L"misc");
    Settle();
    Click(L"switch_skin");
    PumpMessages();
    EXPECT_EQ(O().Skin(), ShippedSkin(L"dark.skn"));
    EXPECT_TRUE(form.SkinLoaded());
}

// ---- Pages ----
TEST_F(MainFormTest, PageButtonsOpenAndCloseTheirPagesThroughTheAnimationQueue) {
    TfrmMain& form = Open();
    Settle();
    Click(L"regular");
    // The look changes at once; the page's controls show once the queue has played.
    EXPECT_EQ(form.CurrentPage(), pgRegular);
    EXPECT_TRUE(Pressed(L"regular"));
    EXPECT_EQ(form.QueuedAnimations(), 3);  // the refresh, regular_show, idle_show
    Settle();
    EXPECT_EQ(form.QueuedAnimations(), 0);

    // From page 2 to page 3: hide both, refresh, show both; page 2's button loses its look.
    Click(L"critical");
    EXPECT_EQ(form.CurrentPage(), pgCritical);
    EXPECT_FALSE(Pressed(L"regular"));
    EXPECT_EQ(form.QueuedAnimations(), 5);
    form.TimerTimer();  // regular_hide and idle_hide together; the rest follows their end
    EXPECT_TRUE(form.Animating());
    EXPECT_EQ(form.QueuedAnimations(), 3);
    Settle();

    // The open page's button closes it.
    Click(L"critical");
    EXPECT_EQ(form.CurrentPage(), pgNone);
    EXPECT_FALSE(Pressed(L"critical"));
    Settle();
    Click(L"manual");
    Settle();
    Click(L"tab_close");
    EXPECT_EQ(form.CurrentPage(), pgNone);
}

TEST_F(MainFormTest, DuringAnAnimationPageButtonsWaitButOptionControlsAct) {
    // The default skin with its animations 3 s long: the clicks land inside one however slow
    // the machine is.
    std::wstring slow = WriteSkin(SlowedDown(ShippedSkin(L"default.skn"), "frame 200", "frame 3000"));
    O().SetSkin(slow);
    TfrmMain& form = Open();
    ASSERT_TRUE(form.SkinLoaded());
    Settle();
    Click(L"manual");
    form.TimerTimer();  // the manual page shows; the step runs until its animation has ended
    ASSERT_TRUE(form.Animating());
    // The page fades in from alpha 0 and takes clicks from its first frame on: a frame played
    // in the millisecond the animation started leaves it transparent.
    PlayFrames(300);
    ClickNow(L"regular");
    EXPECT_EQ(form.CurrentPage(), pgManual);
    EXPECT_EQ(form.QueuedAnimations(), 0);
    FreeUpRequests();
    ClickNow(L"manual_activate");
    PlayFrames(50);
    EXPECT_TRUE(form.Animating()) << "the clicks must land during the animation";
    EXPECT_EQ(FreeUpRequests().size(), 1u);
    Settle();
    Click(L"regular");
    EXPECT_EQ(form.CurrentPage(), pgRegular);
}

TEST_F(MainFormTest, ASwitchCompletesAfterFiveSecondsWhateverTheSkinsAnimationsLast) {
    // Every frame a minute long: the skin's animations would keep the page buttons dead for hours.
    O().SetSkin(WriteSkin(SlowedDown(ShippedSkin(L"default.skn"), "frame 200", "frame 60000")));
    TfrmMain& form = Open();
    ASSERT_TRUE(form.SkinLoaded());
    Click(L"regular");
    form.TimerTimer();  // regular_show with idle_show; the wait begins
    ASSERT_TRUE(form.Animating());
    for (int tick = 1; tick < 20; ++tick) form.TimerTimer();  // 4.75 s of ticks
    EXPECT_TRUE(form.Animating());
    form.TimerTimer();  // 5 s
    EXPECT_FALSE(form.Animating());
    EXPECT_EQ(form.QueuedAnimations(), 0);
    // The page buttons act again; the next switch keeps its order: the hides play first, the
    // refresh and the shows follow once the cap ends the wait. (The click alone: the skin's
    // frames would keep a message pump busy for their minute.)
    ClickNow(L"critical");
    EXPECT_EQ(form.CurrentPage(), pgCritical);
    EXPECT_EQ(form.QueuedAnimations(), 5);
    form.TimerTimer();
    EXPECT_EQ(form.QueuedAnimations(), 3);
    for (int tick = 0; tick < 20; ++tick) form.TimerTimer();
    EXPECT_FALSE(form.Animating());
    EXPECT_EQ(form.QueuedAnimations(), 0);
    EXPECT_TRUE(form.Root().AnimationRunning());  // critical_show and idle_show play on
}

TEST_F(MainFormTest, ASwitchLastsUntilTheSkinTellsThatItsAnimationsHaveEnded) {
    // The test skin: manual_show lasts 200 ms, longer than a tick.
    O().SetSkin(TestSkinPath());
    TfrmMain& form = Open();
    ASSERT_TRUE(form.SkinLoaded());
    form.ShowPage(pgManual);
    EXPECT_FALSE(form.Animating());  // the switch starts at the next tick
    form.TimerTimer();               // the refresh with manual_show
    EXPECT_EQ(form.QueuedAnimations(), 0);
    EXPECT_TRUE(form.Animating());
    EXPECT_TRUE(form.Root().AnimationRunning());
    // Ticks do not end it: only the end of the animation does, without a tick.
    form.TimerTimer();
    EXPECT_TRUE(form.Animating());
    ASSERT_TRUE(PumpUntil([&] { return !form.Animating(); }, 5000));
    EXPECT_FALSE(form.Root().AnimationRunning());
    form.ShowPage(pgNone);
    EXPECT_EQ(form.CurrentPage(), pgNone);
}

TEST_F(MainFormTest, IdlePanelShowsTheOpenPagesValuesAndActsOnThem) {
    O().SetRegularIdleSeconds(7);
    O().SetCriticalIdleSeconds(33);
    Open();
    Click(L"regular");
    Settle();
    EXPECT_EQ(Text(L"idletime_text"), L"Idle search time: 7 s");
    Click(L"critical");
    Settle();
    EXPECT_EQ(Text(L"idletime_text"), L"Idle search time: 33 s");
    bool regularEnforce = O().RegularIdleEnforce(), criticalEnforce = O().CriticalIdleEnforce();
    Click(L"idleforce_check");
    PumpMessages();
    EXPECT_EQ(O().RegularIdleEnforce(), regularEnforce);
    EXPECT_NE(O().CriticalIdleEnforce(), criticalEnforce);
}

// ---- Option controls ----
TEST_F(MainFormTest, ManualFreeUpPostsTheShownAmountToTheEngineAndNothingAtTheTop) {
    O().SetManual(512 - 64);
    TfrmMain& form = Open();
    Click(L"manual");
    Settle();
    EXPECT_EQ(Text(L"manual_amount"), L"64 MB");
    FreeUpRequests();
    Click(L"manual_activate");
    EXPECT_EQ(FreeUpRequests(), (std::vector<RecordedMessage>{{WM_FREEUPREQUEST, 64, 0}}));

    O().SetManual(512);
    PumpMessages();
    EXPECT_EQ(Text(L"manual_amount"), L"1 MB");
    Click(L"manual_activate");
    EXPECT_TRUE(FreeUpRequests().empty());
    (void)form;
}

TEST_F(MainFormTest, ADragAppliesAtEveryMoveAndTheReleaseAddsNothing) {
    TfrmMain& form = Open();
    Click(L"manual");
    Settle();
    TSkinScrollBar bar = form.Root().Find(L"manual_scroll").AsScrollBar();
    RECT r = bar.Rectangle();
    // Grab the thumb where it is and drag it to the left: every move stores the value.
    O().SetManual(256);
    PumpMessages();
    POINT thumb = ThumbCentre(bar);
    int y = thumb.y;
    Mouse(form.Handle(), WM_LBUTTONDOWN, thumb.x, y);
    Mouse(form.Handle(), WM_MOUSEMOVE, thumb.x - 40, y);
    PumpMessages();
    int during = O().Manual();
    EXPECT_LT(during, 256);
    EXPECT_EQ(bar.Position(), during);
    EXPECT_EQ(Text(L"manual_amount"), FormatFreeAmount(during));
    Mouse(form.Handle(), WM_MOUSEMOVE, r.left - 50, y);
    Mouse(form.Handle(), WM_LBUTTONUP, r.left - 50, y);
    PumpMessages();
    EXPECT_EQ(O().Manual(), bar.Min());
}

TEST_F(MainFormTest, SlidersKeepOffGridValuesUntilTheUserMovesThem) {
    // The default skin with arrows on its sliders, so that every part of a slider is pressed.
    O().SetSkin(WriteSkin(SlowedDown(ShippedSkin(L"default.skn"), "      thumb thumb\n",
                                     "      thumb thumb\n      arrows thumb thumb\n")));
    enum TStored { RegularInterval, ChartInterval };
    struct Case {
        const char* what;
        int page;
        const wchar_t* slider;
        const wchar_t* label;
        TStored option;
        int stored;  // off the slider's grid, or beyond its reachable positions
        const wchar_t* shows;
        TPressAt at;
        int after;  // the option after the click
    };
    const Case cases[] = {
        // 1440 min sits at position 83, beyond the reachable 82.
        {"24 hrs, thumb", pgRegular, L"regular_adjust_scroll", L"regular_adjust", RegularInterval, 1440, L"24 hrs",
         TPressAt::Thumb, 1440},
        {"24 hrs, left arrow", pgRegular, L"regular_adjust_scroll", L"regular_adjust", RegularInterval, 1440, L"24 hrs",
         TPressAt::PrevArrow, 1380},
        {"24 hrs, right arrow", pgRegular, L"regular_adjust_scroll", L"regular_adjust", RegularInterval, 1440,
         L"24 hrs", TPressAt::NextArrow, 1440},
        {"24 hrs, page left", pgRegular, L"regular_adjust_scroll", L"regular_adjust", RegularInterval, 1440, L"24 hrs",
         TPressAt::PageBefore, 1140},
        // 90 min shows as 1 hrs at position 60.
        {"90 min, thumb", pgRegular, L"regular_adjust_scroll", L"regular_adjust", RegularInterval, 90, L"1 hrs",
         TPressAt::Thumb, 90},
        {"90 min, left arrow", pgRegular, L"regular_adjust_scroll", L"regular_adjust", RegularInterval, 90, L"1 hrs",
         TPressAt::PrevArrow, 59},
        {"90 min, right arrow", pgRegular, L"regular_adjust_scroll", L"regular_adjust", RegularInterval, 90, L"1 hrs",
         TPressAt::NextArrow, 120},
        {"90 min, page left", pgRegular, L"regular_adjust_scroll", L"regular_adjust", RegularInterval, 90, L"1 hrs",
         TPressAt::PageBefore, 55},
        {"90 min, page right", pgRegular, L"regular_adjust_scroll", L"regular_adjust", RegularInterval, 90, L"1 hrs",
         TPressAt::PageAfter, 360},
        // 1500 ms shows as step 3, 1 s.
        {"1500 ms, thumb", pgMonitor, L"intervall_scroll", L"intervall_amount", ChartInterval, 1500, L"1 s",
         TPressAt::Thumb, 1500},
        {"1500 ms, left arrow", pgMonitor, L"intervall_scroll", L"intervall_amount", ChartInterval, 1500, L"1 s",
         TPressAt::PrevArrow, 500},
        {"1500 ms, right arrow", pgMonitor, L"intervall_scroll", L"intervall_amount", ChartInterval, 1500, L"1 s",
         TPressAt::NextArrow, 2000},
        {"1500 ms, page left", pgMonitor, L"intervall_scroll", L"intervall_amount", ChartInterval, 1500, L"1 s",
         TPressAt::PageBefore, 500},
        {"1500 ms, page right", pgMonitor, L"intervall_scroll", L"intervall_amount", ChartInterval, 1500, L"1 s",
         TPressAt::PageAfter, 2000},
    };
    TfrmMain& form = Open();
    ASSERT_TRUE(form.SkinLoaded());
    auto stored = [&](TStored option) {
        return option == RegularInterval ? int(O().RegularInterval()) : int(O().ChartInterval());
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TogglePageTo(c.page);
        if (c.option == RegularInterval)
            O().SetRegularInterval(c.stored);
        else
            O().SetChartInterval(c.stored);
        PumpMessages();
        ASSERT_EQ(stored(c.option), c.stored);
        ASSERT_EQ(Text(c.label), c.shows);
        TSkinScrollBar bar = form.Root().Find(c.slider).AsScrollBar();
        POINT pt = PressPoint(bar, c.at, true);
        Mouse(form.Handle(), WM_LBUTTONDOWN, pt.x, pt.y);
        Mouse(form.Handle(), WM_LBUTTONUP, pt.x, pt.y);
        PumpMessages();
        EXPECT_EQ(stored(c.option), c.after);
        if (c.after == c.stored) {
            EXPECT_EQ(Text(c.label), c.shows);
        }
    }
    // The keys from 24 hrs: the first step back is 23 hrs, forward stays at 24 hrs.
    TogglePageTo(pgRegular);
    O().SetRegularInterval(1440);
    PumpMessages();
    TSkinScrollBar bar = form.Root().Find(L"regular_adjust_scroll").AsScrollBar();
    EXPECT_EQ(bar.Position(), 83);
    POINT thumb = PressPoint(bar, TPressAt::Thumb, true);
    Mouse(form.Handle(), WM_LBUTTONDOWN, thumb.x, thumb.y);  // the focus, and nothing else
    Mouse(form.Handle(), WM_LBUTTONUP, thumb.x, thumb.y);
    PumpMessages();
    Key(form.Handle(), VK_RIGHT);
    Key(form.Handle(), VK_END);
    // A wheel notch towards the end as well.
    POINT screen = thumb;
    ::ClientToScreen(form.Handle(), &screen);
    ::SendMessageW(form.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), MAKELPARAM(screen.x, screen.y));
    PumpMessages();
    EXPECT_EQ(O().RegularInterval(), 1440);
    EXPECT_EQ(bar.Position(), 83);
    Key(form.Handle(), VK_LEFT);
    PumpMessages();
    EXPECT_EQ(O().RegularInterval(), 1380);
    EXPECT_EQ(Text(L"regular_adjust"), L"23 hrs");
}

TEST_F(MainFormTest, ArrowKeysThroughTheMessageLoopMoveTheFocusedSlider) {
    TfrmMain& form = Open();
    Click(L"manual");
    Settle();
    TSkinScrollBar bar = form.Root().Find(L"manual_scroll").AsScrollBar();
    POINT thumb = ThumbCentre(bar);
    Mouse(form.Handle(), WM_LBUTTONDOWN, thumb.x, thumb.y);
    Mouse(form.Handle(), WM_LBUTTONUP, thumb.x, thumb.y);
    PumpMessages();
    int before = O().Manual();
    // As the user's keys come: through the application's loop and its dialog keys.
    ::PostMessageW(form.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    ::PostMessageW(form.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    Application.ProcessMessages();
    PumpMessages();
    EXPECT_EQ(O().Manual(), before + 2);
    EXPECT_EQ(bar.Position(), before + 2);
}

TEST_F(MainFormTest, CriticalTriggerBelowTheAmountDragsTheAmountAlongInTheSameRefresh) {
    TfrmMain& form = Open();
    Click(L"critical");
    Settle();
    O().SetCriticalFreeUpMB(400);
    O().SetCriticalTriggerMB(450);
    PumpMessages();
    form.SkinScroll(form.Root().Find(L"critical_adjust_scroll"), 300);
    PumpMessages();
    EXPECT_EQ(O().CriticalTriggerMB(), 300u);
    EXPECT_EQ(form.Root().Find(L"critical_adjust_scroll").AsScrollBar().Position(), 300);
    EXPECT_EQ(form.Root().Find(L"critical_scroll").AsScrollBar().Position(), int(O().CriticalFreeUpMB()));
    EXPECT_LE(O().CriticalFreeUpMB(), 300u);
    EXPECT_EQ(Text(L"critical_amount"), FormatFreeAmount(int(O().CriticalFreeUpMB())));
}

// ---- Accessibility ----
TEST_F(MainFormTest, AScreenReaderReadsTheVisibleElementsWithTheirNamesRolesAndValues) {
    struct Case {
        int page;
        const wchar_t* element;
        long role;
        const wchar_t* name;
        const wchar_t* value;  // a slider's value; nullptr: none
    };
    const Case cases[] = {
        {pgManual, L"manual", ROLE_SYSTEM_PUSHBUTTON, L"Manual Free-Up", nullptr},
        {pgManual, L"manual_activate", ROLE_SYSTEM_PUSHBUTTON, L"Free-Up", nullptr},
        {pgManual, L"manual_scroll", ROLE_SYSTEM_SLIDER, L"Amount of memory to free-up", L"256 MB"},
        {pgManual, L"manual_amount", ROLE_SYSTEM_STATICTEXT, L"256 MB", nullptr},
        {pgManual, L"StatusStatic", ROLE_SYSTEM_STATUSBAR, L"idle", nullptr},
        {pgRegular, L"regular_on_check", ROLE_SYSTEM_CHECKBUTTON, L"Do regular free-ups", nullptr},
        {pgRegular, L"regular_adjust_scroll", ROLE_SYSTEM_SLIDER, L"Interval for regular free up", L"24 hrs"},
        {pgRegular, L"idlecpu_scroll", ROLE_SYSTEM_SLIDER, L"Allowed CPU usage", L"30%"},
        {pgMonitor, L"memory_tray_icon_bar", ROLE_SYSTEM_RADIOBUTTON, L"Memory tray-icon: Bar", nullptr},
        {pgMonitor, L"intervall_scroll", ROLE_SYSTEM_SLIDER, L"Monitor refresh time", L"1 s"},
    };
    TfrmMain& form = Open();
    O().SetManual(256);
    O().SetRegularInterval(1440);
    O().SetRegularIdlePercent(30);
    O().SetChartInterval(1500);
    form.SetStatusText(L"idle", false);
    PumpMessages();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "page " << c.page << ", "
                                        << std::string(c.element, c.element + wcslen(c.element)));
        TogglePageTo(c.page);
        TAccessView view(form.Handle());
        RECT r = ElementRect(c.element);
        ::MapWindowPoints(form.Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        const TAccessChild* child = view.At(r, c.role);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->name, c.name);
        EXPECT_EQ(child->value, c.value ? c.value : L"");
        // Every child shown has a name and is on the open page or the page list.
        for (const TAccessChild& other : view.children) EXPECT_FALSE(other.name.empty()) << other.id;
    }
    // A closed page's elements are not shown.
    TogglePageTo(pgNone);
    TAccessView home(form.Handle());
    RECT r = ElementRect(L"manual_scroll");
    ::MapWindowPoints(form.Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(home.At(r, ROLE_SYSTEM_SLIDER), nullptr);
}

TEST_F(MainFormTest, AScreenReaderSeesStatesAndItsDefaultActionsClickAsTheMouseDoes) {
    TfrmMain& form = Open();
    O().SetRegular(false);
    PumpMessages();
    TAccessView view(form.Handle());
    auto find = [&](const wchar_t* name, long role) {
        view.Read();
        RECT r = ElementRect(name);
        ::MapWindowPoints(form.Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        const TAccessChild* c = view.At(r, role);
        return c ? *c : TAccessChild{};
    };
    TAccessChild regular = find(L"regular", ROLE_SYSTEM_PUSHBUTTON);
    ASSERT_NE(regular.id, 0);
    EXPECT_EQ(regular.action, L"Press");
    EXPECT_FALSE(regular.state & STATE_SYSTEM_PRESSED);
    // The default action clicks the button once the call has returned.
    VARIANT child{};
    child.vt = VT_I4;
    child.lVal = regular.id;
    ASSERT_EQ(view.object->accDoDefaultAction(child), S_OK);
    EXPECT_EQ(form.CurrentPage(), pgNone);
    PumpMessages();
    EXPECT_EQ(form.CurrentPage(), pgRegular);
    Settle();
    EXPECT_TRUE(find(L"regular", ROLE_SYSTEM_PUSHBUTTON).state & STATE_SYSTEM_PRESSED);

    TAccessChild check = find(L"regular_on_check", ROLE_SYSTEM_CHECKBUTTON);
    ASSERT_NE(check.id, 0);
    EXPECT_FALSE(check.state & STATE_SYSTEM_CHECKED);
    EXPECT_EQ(check.action, L"Check");
    child.lVal = check.id;
    ASSERT_EQ(view.object->accDoDefaultAction(child), S_OK);
    PumpMessages();
    EXPECT_TRUE(O().Regular());
    check = find(L"regular_on_check", ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_TRUE(check.state & STATE_SYSTEM_CHECKED);
    EXPECT_EQ(check.action, L"Uncheck");

    // Focus taken through the object shows in the state and in the object's focus.
    TAccessChild slider = find(L"regular_scroll", ROLE_SYSTEM_SLIDER);
    ASSERT_NE(slider.id, 0);
    EXPECT_EQ(slider.action, L"");
    child.lVal = slider.id;
    ::SetFocus(form.Handle());
    ASSERT_EQ(view.object->accSelect(SELFLAG_TAKEFOCUS, child), S_OK);
    EXPECT_TRUE(find(L"regular_scroll", ROLE_SYSTEM_SLIDER).state & STATE_SYSTEM_FOCUSED);
    VARIANT focus{};
    ASSERT_EQ(view.object->get_accFocus(&focus), S_OK);
    EXPECT_EQ(focus.vt, VT_I4);
    EXPECT_EQ(focus.lVal, slider.id);
    // The keys move the focused slider, and the value follows.
    O().SetRegularFreeUpMB(256);
    PumpMessages();
    Key(form.Handle(), VK_RIGHT);
    PumpMessages();
    EXPECT_EQ(find(L"regular_scroll", ROLE_SYSTEM_SLIDER).value, FormatFreeAmount(257));

    // A tool that keeps the object after the window has gone gets an error, not a crash.
    view.object->AddRef();
    IAccessible* kept = view.object;
    CloseForm();
    long count = 0;
    EXPECT_EQ(kept->get_accChildCount(&count), RPC_E_DISCONNECTED);
    kept->Release();
}

// ---- Status line ----
TEST_F(MainFormTest, StatusTextsWaitForTheTickAndOnlyTheLatestIsWritten) {
    TfrmMain& form = Open();
    form.SetStatusText(L"working (10% done)", true);
    form.SetStatusText(L"working (37% done)", true);
    EXPECT_EQ(Text(L"StatusStatic"), L"");
    form.TimerTimer();
    EXPECT_EQ(Text(L"StatusStatic"), L"working (37% done)");
    EXPECT_FALSE(form.PendingStatus().has_value());

    // Through the engine's side: deferred as well.
    TKorvixWindows windows(Context());
    windows.ShowStatusLine(L"monitoring");
    EXPECT_EQ(Text(L"StatusStatic"), L"working (37% done)");
    form.TimerTimer();
    EXPECT_EQ(Text(L"StatusStatic"), L"monitoring");
}

TEST_F(MainFormTest, WithoutAStatusLineTheTextStaysPending) {
    O().SetSkin(L"missing.skn");
    TfrmMain& form = Open();
    form.SetStatusText(L"monitoring", true);
    form.TimerTimer();
    form.TimerTimer();
    EXPECT_EQ(form.PendingStatus(), std::optional<std::wstring>(L"monitoring"));
}

// ---- Context help ----
TEST_F(MainFormTest, ContextHelpOnTheFreeUpButtonShowsItsPopupBelowItAndFreesNothing) {
    TfrmMain& form = Open();
    Click(L"manual");
    Settle();
    FreeUpRequests();
    Click(L"contexthelp");
    ASSERT_TRUE(form.ContextHelpMode());
    Click(L"manual_activate");
    EXPECT_FALSE(form.ContextHelpMode());
    EXPECT_TRUE(FreeUpRequests().empty());
    ASSERT_EQ(g_popups.size(), 1u);
    RECT r = ElementRect(L"manual_activate");
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    ::MapWindowPoints(form.Handle(), nullptr, corners, 2);
    EXPECT_EQ(g_popups[0].idString, UINT(idManualActivate));
    EXPECT_EQ(g_popups[0].pt.x, (corners[0].x + corners[1].x) / 2);
    EXPECT_EQ(g_popups[0].pt.y, corners[1].y + 10);
    // The next click is the button's again.
    Click(L"manual_activate");
    EXPECT_EQ(FreeUpRequests().size(), 1u);
}

TEST_F(MainFormTest, ContextHelpOnAnyElementOnlyExplainsIt) {
    // The default skin with arrows on its sliders, so that every part of a slider is pressed.
    O().SetSkin(WriteSkin(SlowedDown(ShippedSkin(L"default.skn"), "      thumb thumb\n",
                                     "      thumb thumb\n      arrows thumb thumb\n")));
    struct Case {
        const char* what;
        int page;
        const wchar_t* element;
        TPressAt at;
    };
    const Case cases[] = {
        {"page button", pgManual, L"regular", TPressAt::Middle},
        {"the open page's button", pgManual, L"manual", TPressAt::Middle},
        {"free-up button", pgManual, L"manual_activate", TPressAt::Middle},
        {"preset button", pgManual, L"set_value1", TPressAt::Middle},
        {"label", pgManual, L"manual_amount", TPressAt::Middle},
        {"slider thumb", pgManual, L"manual_scroll", TPressAt::Thumb},
        {"slider left arrow", pgManual, L"manual_scroll", TPressAt::PrevArrow},
        {"slider right arrow", pgManual, L"manual_scroll", TPressAt::NextArrow},
        {"page area left of the thumb", pgManual, L"manual_scroll", TPressAt::PageBefore},
        {"page area right of the thumb", pgManual, L"manual_scroll", TPressAt::PageAfter},
        {"check box", pgRegular, L"regular_on_check", TPressAt::Middle},
        {"interval slider arrow", pgRegular, L"regular_adjust_scroll", TPressAt::NextArrow},
        {"style button", pgMonitor, L"memory_tray_icon_bar", TPressAt::Middle},
        {"display mode button", pgMonitor, L"show_free_memory", TPressAt::Middle},
    };
    TfrmMain& form = Open();
    ASSERT_TRUE(form.SkinLoaded());
    O().SetManual(256);
    O().SetRegularInterval(120);
    PumpMessages();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (form.CurrentPage() != c.page) {
            TogglePageTo(c.page);
            ASSERT_EQ(form.CurrentPage(), c.page);
        }
        TSkinObject element = form.Root().Find(c.element);
        ASSERT_TRUE(element);
        int position = c.at == TPressAt::Middle ? 0 : element.AsScrollBar().Position();
        Click(L"contexthelp");
        ASSERT_TRUE(form.ContextHelpMode());
        g_popups.clear();
        FreeUpRequests();
        const OptionValues before = Snapshot(O());
        POINT pt = PressPoint(element, c.at, true);
        Mouse(form.Handle(), WM_LBUTTONDOWN, pt.x, pt.y);
        Mouse(form.Handle(), WM_LBUTTONUP, pt.x, pt.y);
        PumpMessages();
        EXPECT_FALSE(form.ContextHelpMode());
        ASSERT_EQ(g_popups.size(), 1u);
        EXPECT_EQ(g_popups[0].idString, UINT(ElementID(c.element)));
        EXPECT_EQ(Changes(before, Snapshot(O())), OptionValues{});
        EXPECT_EQ(form.CurrentPage(), c.page);
        EXPECT_TRUE(FreeUpRequests().empty());
        if (c.at != TPressAt::Middle) {
            EXPECT_EQ(element.AsScrollBar().Position(), position);
        }
        // Keys on a slider while the mode is on move nothing either.
        if (c.at == TPressAt::Thumb) {
            Mouse(form.Handle(), WM_LBUTTONDOWN, pt.x, pt.y);  // the slider takes the focus
            Mouse(form.Handle(), WM_LBUTTONUP, pt.x, pt.y);
            PumpMessages();
            const OptionValues focused = Snapshot(O());
            // The mode entered as the "?" button's click enters it, the focus left where it is.
            form.SkinSkinEvent(form.Root().Find(L"contexthelp"), L"OnClick");
            ASSERT_TRUE(form.ContextHelpMode());
            Key(form.Handle(), VK_RIGHT);
            PumpMessages();
            EXPECT_EQ(Changes(focused, Snapshot(O())), OptionValues{});
            form.SkinSkinEvent(form.Root(), L"OnMouseDown");
            ASSERT_FALSE(form.ContextHelpMode());
            Key(form.Handle(), VK_RIGHT);
            PumpMessages();
            EXPECT_EQ(O().Manual(), focused.at("Manual") + 1) << "the key check needs the slider focused";
        }
    }
    // After the help the controls act again.
    TogglePageTo(pgManual);
    TSkinScrollBar bar = form.Root().Find(L"manual_scroll").AsScrollBar();
    POINT arrow = PressPoint(bar, TPressAt::NextArrow, true);
    Mouse(form.Handle(), WM_LBUTTONDOWN, arrow.x, arrow.y);
    Mouse(form.Handle(), WM_LBUTTONUP, arrow.x, arrow.y);
    PumpMessages();
    EXPECT_EQ(O().Manual(), 258);
}

TEST_F(MainFormTest, ContextHelpOnEmptySkinOnlyLeavesTheMode) {
    TfrmMain& form = Open();
    Click(L"contexthelp");
    ASSERT_TRUE(form.ContextHelpMode());
    RECT client{};
    ::GetClientRect(form.Handle(), &client);
    // Inside the window, on nothing the program names (below the page buttons).
    RECT misc = ElementRect(L"misc");
    Mouse(form.Handle(), WM_LBUTTONDOWN, (misc.left + misc.right) / 2, misc.bottom + 60);
    Mouse(form.Handle(), WM_LBUTTONUP, (misc.left + misc.right) / 2, misc.bottom + 60);
    PumpMessages();
    EXPECT_FALSE(form.ContextHelpMode());
    EXPECT_TRUE(g_popups.empty());
    EXPECT_EQ(form.CurrentPage(), pgNone);
}

TEST_F(MainFormTest, HelpOpensTheTopicOfTheOpenPage) {
    TfrmMain& form = Open();
    Click(L"help");
    Click(L"critical");
    Settle();
    Click(L"help");
    Click(L"critical");
    Settle();
    Click(L"about");
    Settle();
    Click(L"help");
    ::EnumWindows(CloseHelpViewer, 0);
    const std::wstring file = form.HTMLHelp().HelpFile();
    EXPECT_EQ(g_topics, (std::vector<std::wstring>{file + L"::/overview.htm", file + L"::/critical.htm",
                                                   file + L"::/overview.htm"}));
}

// ---- The window ----
TEST_F(MainFormTest, MinimizeAndMaximizeAreRefused) {
    TfrmMain& form = Open();
    RECT before{};
    ::GetWindowRect(form.Handle(), &before);
    ::SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ::SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    PumpMessages();
    EXPECT_FALSE(::IsIconic(form.Handle()));
    EXPECT_FALSE(::IsZoomed(form.Handle()));
    RECT after{};
    ::GetWindowRect(form.Handle(), &after);
    EXPECT_TRUE(::EqualRect(&before, &after));
}

TEST_F(MainFormTest, AReopenedWindowComesBackWhereTheLastOneClosed) {
    TfrmMain& first = Open();
    RECT centred{};
    ::GetWindowRect(first.Handle(), &centred);
    // Centred on the work area at its first opening.
    MONITORINFO monitor{sizeof(monitor)};
    ::GetMonitorInfoW(::MonitorFromWindow(first.Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    EXPECT_NEAR((centred.left + centred.right) / 2, (monitor.rcWork.left + monitor.rcWork.right) / 2, 1);
    ::SetWindowPos(first.Handle(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CloseForm();
    EXPECT_EQ(SavedMainWindowPosition().x, 40);
    EXPECT_EQ(SavedMainWindowPosition().y, 30);

    TfrmMain& second = Open();
    ::SetForegroundWindow(second.Handle());
    ::SendMessageW(second.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    RECT placed{};
    ::GetWindowRect(second.Handle(), &placed);
    EXPECT_EQ(placed.left, 40);
    EXPECT_EQ(placed.top, 30);
}

TEST_F(MainFormTest, ClosingTheWindowStoresTheOptionsAndFreesIt) {
    TfrmMain& form = Open();
    O().SetManual(300);
    PumpMessages();
    ::PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([] { return TKorvixWindows::MainWindow() == nullptr; }, 5000));
    form_ = nullptr;
    TKorvixOptions stored;
    EXPECT_EQ(stored.Manual(), 300);
}

// ---- The engine's side ----
TEST_F(MainFormTest, EngineWindowsShowOneMainWindowFindItAndFreeIt) {
    TKorvixWindows windows(Context());
    EXPECT_EQ(windows.FindMainWindow(), nullptr);
    HWND shown = windows.ShowMainWindow();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(::IsWindowVisible(shown));
    EXPECT_EQ(windows.ShowMainWindow(), shown);
    EXPECT_EQ(windows.FindMainWindow(), shown);
    O().SetManual(123);
    windows.FreeWindows();
    EXPECT_EQ(windows.FindMainWindow(), nullptr);
    EXPECT_FALSE(::IsWindow(shown));
    TKorvixOptions stored;
    EXPECT_EQ(stored.Manual(), 123);
}
