// The main window's life: creation, skin loading and its fallback, the page switches with
// their animation queue, the status line and closing.
#include "ui/fMainForm.h"
#include <utility>
#include "framework/uApplication.h"
#include "framework/uDpi.h"
#include "framework/uMessageBox.h"
#include "framework/uOwnMessages.h"
#include "framework/uText.h"
#include "help/uHelpText.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"
#include "ui/uKorvixSkinHelper.h"
#include "ui/uPageRules.h"
#include "ui/uSkinHelper.h"
#include "ui/uSkinNames.h"
#include "ui/uSkinService.h"

namespace {
// The designed window: its client area (replaced by the skin's form) and the two plain
// controls of the skin-needed fallback, all at 100 %.
constexpr int kDesignWidth = 507, kDesignHeight = 307;
constexpr RECT kSkinNeededLabel{8, 8, 8 + 241, 8 + 65};
constexpr RECT kLoadSkinButton{8, 88, 8 + 249, 88 + 25};
constexpr int kLabelID = 1, kButtonID = 2;
constexpr const wchar_t* kLoadSkinText = L"Load Skin";
constexpr const wchar_t* kSkinNeededText =
    L"Korvix requires a skin file to show the main window. Please load a skin. If your skin is valid it will "
    L"automatically show. If not please load a different skin.";
// The chart's scale labels: small, as the chart has little room.
constexpr int kChartFontPoints = 7;

POINT g_savedPosition{-1, -1};

bool RunOpenDialog(TOpenDialog& dialog, HWND owner) { return dialog.Execute(owner); }
TSkinFileChooser g_chooseSkinFile = &RunOpenDialog;

RECT ScaleRect(const RECT& r, UINT dpi) {
    return {ScaleToDpi(r.left, dpi), ScaleToDpi(r.top, dpi), ScaleToDpi(r.right, dpi), ScaleToDpi(r.bottom, dpi)};
}

}  // namespace

POINT SavedMainWindowPosition() { return g_savedPosition; }
void ForgetMainWindowPosition() { g_savedPosition = {-1, -1}; }

TSkinFileChooser SetSkinFileChooser(TSkinFileChooser chooser) {
    return std::exchange(g_chooseSkinFile, chooser ? chooser : &RunOpenDialog);
}

TfrmMain::TfrmMain(const TWindowContext& context, UINT timerMs)
    : context_(context), options_(context.Options), timer_(*this, timerMs) {
    // A file the engine's shared control holds as well is read and decoded once.
    context_.Skins.Serve(skin_);
    skin_.OnSkinEvent = [this](TSkinObject source, const std::wstring& name) { SkinSkinEvent(source, name); };
    skin_.OnMouseDown = [this](TSkinObject source, TMouseButton, int, int) { SkinMouseDown(source); };
    skin_.OnMouseUp = [this](TSkinObject source, TMouseButton, int, int) { SkinMouseUp(source); };
    skin_.OnScroll = [this](TSkinObject source, int newPos) { SkinScroll(source, newPos); };
    skin_.OnScrollTrack = [this](TSkinObject source, int newPos) { SkinScrollTrack(source, newPos); };
    skin_.OnAnimationEnd = [this](TSkinObject, const std::wstring&) { SkinAnimationEnd(); };
    skin_.OnAccessibleInfo = [this](TSkinObject element) { return MainWindowAccessInfo(root_, element, HelpTexts()); };
    // An error in a handler is the user's to see, as anywhere else in the program.
    skin_.OnError = [](const Exception&) { Application.HandleException(std::current_exception()); };
    timer_.OnTimer = [this] { TimerTimer(); };
}

TfrmMain::~TfrmMain() = default;

TForm::CreateParams TfrmMain::FormParams() {
    // Owned by the application window, which carries the taskbar button.
    return {.className = L"TfrmMain",
            .title = ProductName,
            .style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
            .exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTEXTHELP,
            .parent = Application.Handle(),
            .width = kDesignWidth,
            .height = kDesignHeight,
            .background = ::GetSysColorBrush(COLOR_BTNFACE)};
}

void TfrmMain::FormCreate() {
    ShowTaskbarButton();
    OpenDialog.InitialDir = ProgramFolder();
    OpenDialog.Filter = L"Skins (*.skn)|*.skn";
    OpenDialog.DefaultExt = L"skn";
    help_.SetOwnerWindow(Handle());
    help_.SetHelpFile(L"korvix.chm");

    UINT dpi = WindowDpi(Handle());
    chart_ = std::make_unique<TPerformanceChart>(Handle());
    chart_->OnGetMaxY = [](TPerformanceChart*, uint32_t& maxY) { maxY = static_cast<uint32_t>(TotalPhysMB); };
    chart_->OnGetYDisplay = [](TPerformanceChart*, uint32_t y, std::wstring& text) {
        text = std::to_wstring(y) + L" MB";
    };
    chart_->OnClick = [this](TPerformanceChart*) {
        if (contextHelpMode_) ShowElementHelp(idChart);
    };
    lblSkinNeeded_ = std::make_unique<TLabel>(Handle(), kLabelID, ScaleRect(kSkinNeededLabel, dpi), kSkinNeededText);
    cmdLoadSkin_ = std::make_unique<TButton>(Handle(), kButtonID, ScaleRect(kLoadSkinButton, dpi), kLoadSkinText);
    cmdLoadSkin_->OnClick = [this](TButton&) { cmdLoadSkinClick(); };
    SetFallbackFont();

    SetContextHelpMode(false);
    swallowClick_ = false;
    tracking_ = TSliderTracking{};
    currentPage_ = pgNone;
    animations_.Clear();
    animating_ = false;
    timer_.SetEnabled(true);

    LoadSkin(true);
    // Centred at its first showing, at the size the skin (or the fallback) gave it.
    CentreOnScreen();
    // The options answer at once with every group: the pages fill from that message.
    options_.RegisterListener(Handle());
    TimerTimer();
}

void TfrmMain::CentreOnScreen() {
    RECT window{};
    ::GetWindowRect(Handle(), &window);
    MONITORINFO monitor{sizeof(monitor)};
    ::GetMonitorInfoW(::MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    int x = area.left + ((area.right - area.left) - (window.right - window.left)) / 2;
    int y = area.top + ((area.bottom - area.top) - (window.bottom - window.top)) / 2;
    ::SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The first opening of a run stays where it was centred (or where the user moved it); a
// reopened window goes back to where the last one closed, at every activation.
void TfrmMain::FormActivate() {
    if (g_savedPosition.x >= 0 && g_savedPosition.y >= 0)
        ::SetWindowPos(Handle(), nullptr, g_savedPosition.x, g_savedPosition.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmMain::FormDestroy() {
    timer_.SetEnabled(false);
    options_.UnregisterListener(Handle());
    // Every closing of the main window stores the settings.
    options_.SaveOptionsOrTell();
    animations_.Clear();
    RECT window{};
    if (::GetWindowRect(Handle(), &window)) g_savedPosition = {window.left, window.top};
    HideTaskbarButton();
    elements_.clear();
    root_ = {};
    skin_.Unload();
}

LRESULT TfrmMain::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_OPTIONSCHANGED: RefreshPages(static_cast<uint32_t>(wParam)); return 0;
        // Only our own click asks: another program must not open the file dialog.
        case WM_SWITCHSKIN:
            if (IsOwnMessage(lParam)) SwitchSkin();
            return 0;
        case WM_SYSCOMMAND:
            // Neither minimized nor maximized: the window is a dialog that lives in the tray.
            if (wParam == SC_MINIMIZE || wParam == SC_MAXIMIZE) return 0;
            break;
        case WM_SIZE:
            // The skin lays the window out again for a new display scale: the chart follows.
            if (skinLoaded_) PlaceChart();
            break;
        case WM_SETCURSOR:
            if (contextHelpMode_ && LOWORD(lParam) == HTCLIENT) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_HELP));
                return TRUE;
            }
            break;
    }
    return TForm::WndProc(msg, wParam, lParam);
}

// ---- Skin ----
void TfrmMain::LoadSkin(bool report) {
    std::wstring path;
    try {
        ::ShowWindow(chart_->Handle(), SW_SHOW);
        lblSkinNeeded_->SetVisible(false);
        cmdLoadSkin_->SetVisible(false);
        path = options_.SkinFileName();
        skin_.Load(path);
        skin_.ApplyForm(Handle(), ElementName(idKorvix));
        root_ = skin_.WindowObject(Handle());
        TranslateSkin(root_);
        PlaceChart();
        TakeElementReferences();
        SetUpScrollBars();
        if (auto status = elements_.find(idStatusStatic); status != elements_.end()) {
            status->second.AsStatic().SetText(L"");
            status->second.Refresh();
        }
        SetBranding(root_);
        skinLoaded_ = true;
        TSkinService::ApplyChartColors(root_, *chart_);
        skinError_.clear();
    } catch (const Exception& e) {
        skinLoaded_ = false;
        skinError_ = e.Message();
        ShowSkinNeeded();
        if (report) ReportSkinError(path, skinError_);
    }
}

void TfrmMain::UnloadSkin() {
    skin_.UnskinWindow(Handle());
    skin_.Unload();
    elements_.clear();
    root_ = {};
}

void TfrmMain::ShowSkinNeeded() {
    UnloadSkin();
    ::ShowWindow(chart_->Handle(), SW_HIDE);
    lblSkinNeeded_->SetVisible(true);
    cmdLoadSkin_->SetVisible(true);
    // The designed layout: the button's bottom plus 15, its width plus 20 (128 × 269 at 100 %).
    RECT button = cmdLoadSkin_->Bounds();
    UINT dpi = WindowDpi(Handle());
    RECT client{0, 0, (button.right - button.left) + ScaleToDpi(20, dpi), button.bottom + ScaleToDpi(15, dpi)};
    ::AdjustWindowRectEx(&client, DWORD(::GetWindowLongPtrW(Handle(), GWL_STYLE)), FALSE,
                         DWORD(::GetWindowLongPtrW(Handle(), GWL_EXSTYLE)));
    ::SetWindowPos(Handle(), nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    lblSkinNeeded_->SetText(kSkinNeededText);
    cmdLoadSkin_->SetText(kLoadSkinText);
    OpenDialog.Title = kLoadSkinText;
    ::SetWindowTextW(Handle(), ProductName);
    ::InvalidateRect(Handle(), nullptr, TRUE);
    ShowTaskbarButton();
}

bool TfrmMain::ChooseSkinFile(std::wstring& fileName) {
    if (!g_chooseSkinFile(OpenDialog, Handle())) return false;
    fileName = OpenDialog.FileName;
    return true;
}

void TfrmMain::ReportSkinError(const std::wstring& fileName, const std::wstring& detail) {
    ShowMessageBox(Handle(), TSkinService::ErrorText(fileName, detail), ProductName, MB_OK | MB_ICONERROR);
}

void TfrmMain::cmdLoadSkinClick() {
    std::wstring fileName;
    if (!ChooseSkinFile(fileName)) return;
    options_.SetSkin(fileName);
    LoadSkin(true);
    if (skinLoaded_) RefreshPages(ocAll);
}

// Runs from its own message, after the `switch_skin` element's event has returned: the
// reload replaces the elements that raised it.
void TfrmMain::SwitchSkin() {
    OpenDialog.Title = kLoadSkinText;
    std::wstring previous = options_.Skin();
    std::wstring chosen;
    if (!ChooseSkinFile(chosen)) return;
    options_.SetSkin(chosen);
    skinLoaded_ = false;
    UnloadSkin();
    LoadSkin(false);
    bool newSkinFailed = false;
    std::wstring newSkinError = skinError_;
    if (!skinLoaded_) {
        options_.SetSkin(previous);
        UnloadSkin();
        LoadSkin(false);
        newSkinFailed = true;
    }
    if (!skinLoaded_) ShowSkinNeeded();
    // The new skin shows its home page: nothing is open, nothing waits to play.
    animations_.Clear();
    animating_ = false;
    currentPage_ = pgNone;
    RefreshPages(ocAll);
    if (newSkinFailed) ReportSkinError(chosen, newSkinError);
}

void TfrmMain::PlaceChart() {
    PlaceOnElement(chart_->Handle(), root_, ElementName(idChart));
    UINT dpi = WindowDpi(Handle());
    chart_->SetScaleFont(context_.Skins.MessageFont(dpi, kChartFontPoints));
}

void TfrmMain::SetFallbackFont() {
    HFONT font = context_.Skins.MessageFont(WindowDpi(Handle()));
    lblSkinNeeded_->SetFont(font);
    cmdLoadSkin_->SetFont(font);
}

void TfrmMain::TakeElementReferences() {
    elements_.clear();
    for (const TElementReference& ref : ElementReferences) {
        TSkinObject element = root_.Find(ElementName(ref.ID));
        if (!element) continue;
        // Asking for the kind checks it: a skin that has the name on another kind of
        // element is not one this window can use.
        switch (ref.Interface) {
            case TSkinInterface::ScrollBar: elements_[ref.ID] = element.AsScrollBar(); break;
            case TSkinInterface::Button: elements_[ref.ID] = element.AsButton(); break;
            default: elements_[ref.ID] = element.AsStatic(); break;
        }
    }
}

void TfrmMain::SetUpScrollBars() {
    for (const TScrollSetup& setup : ScrollBarSetup(TotalPhysMB)) {
        auto it = elements_.find(setup.ID);
        if (it == elements_.end()) continue;
        TSkinScrollBar bar = it->second.AsScrollBar();
        if (setup.Minimum) bar.SetMin(*setup.Minimum);
        bar.SetMax(setup.Maximum);
        bar.SetPage(setup.PageSize);
        bar.SetStep(setup.SmallStep);
    }
}

// ---- Timer, animations, status ----
void TfrmMain::TimerTimer() {
    // A page switch starts at the tick after its click; its later steps follow the skin's
    // animation-ended event.
    if (!animating_ && animations_.Count() > 0) {
        animating_ = true;
        switchTicks_ = 0;
        AnimationStep();
    } else if (animating_ && ++switchTicks_ >= MaxSwitchTicks) {
        // The skin's animations keep playing; the queue plays its remaining steps at once, in order.
        AnimationStep(false);
    }
    if (pendingStatus_) SetStatusText(*pendingStatus_, false);
}

// Plays the queue's steps until one leaves animations playing (their end plays the next)
// or the queue has run empty, which ends the switch.
void TfrmMain::AnimationStep(bool waitForSkin) {
    try {
        while (animations_.Count() > 0) {
            while (std::unique_ptr<TSkinAnimation> item = animations_.TakeFirst()) {
                if (item->RefreshPages)
                    RefreshPages(ocAll);
                else
                    PlayAnimation(root_, item->Name);
                if (!item->PlayWithNext) break;
            }
            if (waitForSkin && root_ && root_.AnimationRunning()) return;
        }
    } catch (...) {
        // The rest of a failed switch is dropped: the window must take page clicks again.
        animations_.Clear();
        animating_ = false;
        throw;
    }
    animating_ = false;
}

void TfrmMain::SkinAnimationEnd() {
    // The step is over once every animation it started has ended.
    if (animating_ && !(root_ && root_.AnimationRunning())) AnimationStep();
}

void TfrmMain::TogglePage(int page) { ShowPage(TogglePageTarget(page, currentPage_)); }

void TfrmMain::ShowPage(int page) {
    if (animating_ || page == currentPage_) return;
    TPageSwitch change = PageSwitch(currentPage_, page);
    // The looks change at once; the animations and the refresh run from the timer.
    if (change.ClearPressedID) ClearPressed(root_, change.ClearPressedID);
    currentPage_ = page;
    if (change.SetPressedID) SetPressed(root_, change.SetPressedID);
    for (const TSkinAnimation& item : change.Queue) animations_.Add(item);
}

void TfrmMain::SetStatusText(const std::wstring& text, bool deferred) {
    if (deferred) {
        pendingStatus_ = text;
        return;
    }
    auto status = elements_.find(idStatusStatic);
    // Without a status line the text waits, and is tried again at every tick.
    if (status == elements_.end()) return;
    status->second.AsStatic().SetText(text);
    status->second.Refresh();
    pendingStatus_.reset();
}

const THelpTexts& TfrmMain::HelpTexts() {
    if (!helpTexts_) {
        std::optional<std::string> file = ReadCompiledHelpFile(help_.HelpFile(), L"cshelp.txt");
        helpTexts_ = file ? ParsePopupTopics(*file) : THelpTexts{};
    }
    return *helpTexts_;
}

void TfrmMain::RepaintChart() {
    if (chart_ && chart_->Handle()) chart_->Invalidate();
}
