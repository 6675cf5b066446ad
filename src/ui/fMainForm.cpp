// The main window's life: creation, skin loading and its fallback, the page switches with
// their animation queue, the status line and closing.
#include "ui/fMainForm.h"
#include <utility>
#include "framework/uApplication.h"
#include "framework/uDpi.h"
#include "framework/uMessageBox.h"
#include "framework/uOwnMessages.h"
#include "framework/uText.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"
#include "ui/uKorvixSkinHelper.h"
#include "ui/uPageRules.h"
#include "ui/uSkinHelper.h"
#include "ui/uSkinNames.h"

namespace {
// The designed window: its client area (replaced by the skin's form) and the two plain
// controls of the skin-needed fallback, all at 100 %.
constexpr int kDesignWidth = 507, kDesignHeight = 307;
constexpr RECT kSkinNeededLabel{8, 8, 8 + 241, 8 + 65};
constexpr RECT kLoadSkinButton{8, 88, 8 + 249, 88 + 25};
constexpr int kLabelID = 1, kButtonID = 2;
// Animation waits count in ticks of this length.
constexpr int kTickMs = 250;
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

// The system's message font at the window's scale.
HFONT CreateMessageFont(UINT dpi, int points = 0) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    LOGFONTW font{};
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        font = metrics.lfMessageFont;
        // The metrics are at the system's scale; the window may be on a monitor of another.
        UINT systemDpi = WindowDpi(nullptr);
        if (systemDpi != dpi && systemDpi != 0) font.lfHeight = ::MulDiv(font.lfHeight, int(dpi), int(systemDpi));
    } else {
        ::wcscpy_s(font.lfFaceName, L"Tahoma");
        font.lfHeight = -ScaleToDpi(11, dpi);
    }
    if (points > 0) font.lfHeight = -::MulDiv(points, int(dpi), 72);
    return ::CreateFontIndirectW(&font);
}
}  // namespace

POINT SavedMainWindowPosition() { return g_savedPosition; }
void ForgetMainWindowPosition() { g_savedPosition = {-1, -1}; }

TSkinFileChooser SetSkinFileChooser(TSkinFileChooser chooser) {
    return std::exchange(g_chooseSkinFile, chooser ? chooser : &RunOpenDialog);
}

std::wstring SkinLoadErrorText(const std::wstring& fileName) {
    return ReplaceAll(L"There was an error loading the skin (%1). Please load a different skin.", L"%1", fileName);
}

TfrmMain::TfrmMain(TKorvixOptions& options, UINT timerMs) : options_(options), timer_(*this, timerMs) {
    skin_.OnSkinEvent = [this](TSkinObject source, const std::wstring& name) { SkinSkinEvent(source, name); };
    skin_.OnMouseDown = [this](TSkinObject source, TMouseButton, int, int) { SkinMouseDown(source); };
    skin_.OnMouseUp = [this](TSkinObject source, TMouseButton, int, int) { SkinMouseUp(source); };
    skin_.OnScroll = [this](TSkinObject source, int newPos) { SkinScroll(source, newPos); };
    skin_.OnScrollTrack = [this](TSkinObject source, int newPos) { SkinScrollTrack(source, newPos); };
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

    contextHelpMode_ = false;
    swallowClick_ = false;
    tracking_ = TSliderTracking{};
    currentPage_ = pgNone;
    animations_.Clear();
    waitTicks_ = 0;
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
    try {
        skin_.Unload();
    } catch (const Exception&) {}
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
        ApplySkinColors();
    } catch (const Exception&) {
        skinLoaded_ = false;
        ShowSkinNeeded();
        if (report) ReportSkinError(path);
    }
}

void TfrmMain::UnloadSkin() {
    try {
        skin_.UnskinWindow(Handle());
    } catch (const Exception&) {}
    try {
        skin_.Unload();
    } catch (const Exception&) {}
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

void TfrmMain::ReportSkinError(const std::wstring& fileName) {
    ShowMessageBox(Handle(), SkinLoadErrorText(fileName), ProductName, MB_OK | MB_ICONERROR);
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
    if (!skinLoaded_) {
        options_.SetSkin(previous);
        UnloadSkin();
        LoadSkin(false);
        newSkinFailed = true;
    }
    if (!skinLoaded_) ShowSkinNeeded();
    // The new skin shows its home page: nothing is open, nothing waits to play.
    animations_.Clear();
    waitTicks_ = 0;
    animating_ = false;
    currentPage_ = pgNone;
    RefreshPages(ocAll);
    if (newSkinFailed) ReportSkinError(chosen);
}

void TfrmMain::PlaceChart() {
    PlaceOnElement(chart_->Handle(), root_, ElementName(idChart));
    UINT dpi = WindowDpi(Handle());
    chartFont_.reset(CreateMessageFont(dpi, kChartFontPoints));
    chart_->SetScaleFont(chartFont_.get());
}

void TfrmMain::SetFallbackFont() {
    fallbackFont_.reset(CreateMessageFont(WindowDpi(Handle())));
    lblSkinNeeded_->SetFont(fallbackFont_.get());
    cmdLoadSkin_->SetFont(fallbackFont_.get());
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

void TfrmMain::ApplySkinColors() {
    auto color = [this](int32_t id, COLORREF current) {
        return static_cast<COLORREF>(SkinColor(root_.Find(ElementName(id)), current));
    };
    TPerformanceChart& chart = *chart_;
    chart.SetColor(color(idChartBackColor, chart.Color()));
    chart.SetDataColor(color(idChartForeColor, chart.DataColor()));
    chart.SetCPUColor(color(idChartCpuColor, chart.CPUColor()));
    chart.SetAdjustColor(color(idChartLineColor, chart.AdjustColor()));
    chart.SetAdjustColor2(color(idChartLine2Color, chart.AdjustColor2()));
    chart.SetFontColor(color(idChartFontColor, chart.FontColor()));
}

// ---- Timer, animations, status ----
void TfrmMain::TimerTimer() {
    if (waitTicks_ > 0) {
        --waitTicks_;
    } else if (animations_.Count() == 0) {
        animating_ = false;
    } else {
        animating_ = true;
        AnimationStep();
    }
    if (pendingStatus_) SetStatusText(*pendingStatus_, false);
}

void TfrmMain::AnimationStep() {
    int longest = 0;
    while (std::unique_ptr<TSkinAnimation> item = animations_.TakeFirst()) {
        if (item->Name == OptionsQueueItem) {
            RefreshPages(ocAll);
        } else {
            longest = std::max(longest, PlayAnimation(root_, item->Name));
        }
        if (!item->PlayWithNext) break;
    }
    waitTicks_ = longest / kTickMs;
}

void TfrmMain::TogglePage(int page) { ShowPage(TogglePageTarget(page, currentPage_)); }

void TfrmMain::ShowPage(int page) {
    if (animating_ || page == currentPage_) return;
    TPageSwitch change = PageSwitch(currentPage_, page);
    // The looks change at once; the animations and the refresh run from the timer.
    if (change.ClearPressedID) ClearPressed(root_, change.ClearPressedID);
    currentPage_ = page;
    if (change.SetPressedID) SetPressed(root_, change.SetPressedID);
    for (const TSkinAnimation& item : change.Queue) animations_.Add(item.Name, item.PlayWithNext);
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

void TfrmMain::RepaintChart() {
    if (chart_ && chart_->Handle()) chart_->Invalidate();
}
