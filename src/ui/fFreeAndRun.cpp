#include "ui/fFreeAndRun.h"
#include <algorithm>
#include <shellapi.h>
#include "framework/uApplication.h"
#include "framework/uDpi.h"
#include "framework/uMessageBox.h"
#include "framework/uNumbers.h"
#include "framework/uPaths.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"
#include "settings/uFreeAndRunList.h"
#include "settings/uRegistry.h"
#include "ui/uSkinHelper.h"
#include "ui/uSkinNames.h"

namespace {
enum : int {
    idAdd = 100,
    idRemove,
    idList,
    idProgramPath,
    idBrowse,
    idName,
    idMB,
    idScrollBar,
    idCloseButton = IDCANCEL,
};

std::wstring Trimmed(const std::wstring& text) {
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return L"";
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// The icon the shell shows for the file (a shortcut's with its arrow). A file that is gone,
// on another machine or named without its folder gets the icon of its kind: looking at a
// network path would hand the user's credentials to whoever names the host.
UniqueIcon FileIcon(const std::wstring& path, bool large) {
    SHFILEINFOW info{};
    const UINT size = large ? SHGFI_LARGEICON : SHGFI_SMALLICON;
    if (IsLocalPath(path) && ::SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON | size) && info.hIcon)
        return UniqueIcon(info.hIcon);
    info = {};
    // The kind alone: not even a lookup by attributes sees the host's name.
    const size_t dot = path.find_last_of(L".\\/:");
    const std::wstring kind = dot != std::wstring::npos && path[dot] == L'.' ? L"x" + path.substr(dot) : L"x.exe";
    if (::SHGetFileInfoW(kind.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                         SHGFI_ICON | size | SHGFI_USEFILEATTRIBUTES))
        return UniqueIcon(info.hIcon);
    return UniqueIcon();
}

// A file chosen for an entry must name its folder; the user is told when it does not.
bool AcceptedAsEntry(HWND owner, const std::wstring& file) {
    const std::wstring problem = FreeAndRunPathProblem(file);
    if (problem.empty()) return true;
    ShowMessageBox(owner, problem, ProductName, MB_OK | MB_ICONWARNING);
    return false;
}
}  // namespace

TFreeAndRunLayout FreeAndRunLayout(int width, int height, UINT dpi) {
    auto s = [dpi](int length) { return ScaleToDpi(length, dpi); };
    const int m = s(8);
    const int column = s(185);
    TFreeAndRunLayout l{};
    l.cmdAdd = {m, m, m + s(81), m + s(25)};
    l.cmdRemove = {m + column - s(81), m, m + column, m + s(25)};
    l.ListView = {m, m + s(33), m + column, std::max<int>(m + s(33), height - m)};
    const int left = m + column + s(12);
    const int right = std::max<int>(left + s(120), width - m);
    l.lblProgPath = {left, s(8), right, s(24)};
    l.cmdBrowse = {right - s(30), s(26), right, s(48)};
    l.txtProgramPath = {left, s(26), l.cmdBrowse.left - s(4), s(48)};
    l.lblName = {left, s(56), right, s(72)};
    l.txtName = {left, s(74), right, s(96)};
    l.lblAmount = {left, s(104), right, s(120)};
    l.lblMB = {left, s(123), left + s(56), s(139)};
    l.ScrollBar = {left + s(60), s(122), right, s(139)};
    l.cmdClose = {right - s(75), std::max<int>(s(147), height - m - s(25)), right, 0};
    l.cmdClose.bottom = l.cmdClose.top + s(25);
    l.PerformanceChart = {left, s(148), right, std::max<int>(s(148), l.cmdClose.top - s(8))};
    return l;
}

// ---- Creation ----
void TfrmFreeAndRun::FormCreate() {
    TfrmSkinned::FormCreate();
    ::SetWindowTextW(Handle(), L"Free and run menu - manage entries");
    // Created in Tab order: the buttons above the list, the list, then the fields from the
    // top down, and Close last.
    cmdAdd = std::make_unique<TButton>(Handle(), idAdd, RECT{}, L"Add");
    cmdRemove = std::make_unique<TButton>(Handle(), idRemove, RECT{}, L"Remove");
    ListView = std::make_unique<TListView>(Handle(), idList, RECT{});
    ::SetWindowLongPtrW(ListView->Handle(), GWL_STYLE,
                        ::GetWindowLongPtrW(ListView->Handle(), GWL_STYLE) | LVS_NOCOLUMNHEADER);
    ListView->AddColumn(L"", 100);
    lblProgPath = std::make_unique<TSkinLabel>(Handle(), RECT{});
    txtProgramPath = std::make_unique<TEdit>(Handle(), idProgramPath, RECT{});
    txtProgramPath->SetReadOnly(true);
    cmdBrowse = std::make_unique<TButton>(Handle(), idBrowse, RECT{}, L"...");
    lblName = std::make_unique<TSkinLabel>(Handle(), RECT{});
    txtName = std::make_unique<TEdit>(Handle(), idName, RECT{});
    lblAmount = std::make_unique<TSkinLabel>(Handle(), RECT{});
    lblMB = std::make_unique<TLabel>(Handle(), idMB, RECT{}, L"");
    ScrollBar = std::make_unique<TScrollBar>(Handle(), idScrollBar, RECT{});
    PerformanceChart = std::make_unique<TPerformanceChart>(Handle(), RECT{});
    HWND chart = PerformanceChart->Handle();
    ::SetWindowLongPtrW(chart, GWL_EXSTYLE, ::GetWindowLongPtrW(chart, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    ::SetWindowPos(chart, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    cmdClose = std::make_unique<TButton>(Handle(), idCloseButton, RECT{}, L"Close");

    cmdAdd->OnClick = [this](TButton&) { cmdAddClick(); };
    cmdRemove->OnClick = [this](TButton&) { cmdRemoveClick(); };
    cmdBrowse->OnClick = [this](TButton&) { cmdBrowseClick(); };
    cmdClose->OnClick = [this](TButton&) { cmdCloseClick(); };
    ListView->OnSelectItem = [this](TListView&, int index, bool selected) { ListViewSelectItem(index, selected); };
    ListView->OnKeyDown = [this](TListView&, WORD key) {
        if (key == VK_DELETE) cmdRemoveClick();
    };
    txtName->OnChange = [this](TEdit&) { txtNameChange(); };
    txtName->OnExit = [this](TEdit&) { txtNameExit(); };
    ScrollBar->OnChange = [this](TScrollBar&) { ScrollBarChange(); };
    SetCancelButton(cmdClose.get());

    OpenDialog.Title = L"Add Program";
    OpenDialog.Filter = L"Program Files (*.exe, *.lnk)|*.exe;*.lnk|All files (*.*)|*.*";
    OpenDialog.InitialDir =
        ReadRegString(L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                      L"Start Menu", L"");
    // The shortcut itself is the entry's file, not the program it points to.
    OpenDialog.Options =
        OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS | OFN_ENABLESIZING;

    lblProgPath->SetCaption(L"Program file");
    lblName->SetCaption(L"Name");
    lblAmount->SetCaption(L"Amount of memory to free-up:");

    ScrollBar->SetRange(1, TotalPhysMB + TotalPhysMB / 20);
    ScrollBar->SetPageSize(TotalPhysMB / 20);
    ScrollBar->SmallChange = 1;

    PerformanceChart->SetShowAdjust(true);
    PerformanceChart->SetAdjustValue(static_cast<uint32_t>(TotalPhysMB / 2));
    PerformanceChart->OnGetMaxY = [](TPerformanceChart*, uint32_t& maxY) { maxY = static_cast<uint32_t>(TotalPhysMB); };
    PerformanceChart->OnGetYDisplay = [](TPerformanceChart*, uint32_t y, std::wstring& text) {
        text = std::to_wstring(y) + L" MB";
    };

    lblMB->SetText(FormatSize(1));
    CreateImages();
    ControlsCreated();
    FormDpiChanged(Dpi());
    // The options answer at once with every flag, which builds the list.
    options_.RegisterListener(Handle());
}

void TfrmFreeAndRun::CreateImages() {
    images_ = std::make_unique<TImageList>(Scale(16), Scale(16));
    ListView->SetSmallImages(*images_);
}

void TfrmFreeAndRun::FormDpiChanged(UINT dpi) {
    TfrmSkinned::FormDpiChanged(dpi);
    lblMB->SetFont(ScaledFont(L"Arial", 8));
    // Tahoma rather than the bitmap MS Sans Serif, which has no size for 200 %.
    PerformanceChart->SetScaleFont(ScaledFont(L"Tahoma", 8));
    if (images_ && images_->Count() > 0) {
        CreateImages();
        RebuildList();
    }
}

void TfrmFreeAndRun::LayoutControls() {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const TFreeAndRunLayout l = FreeAndRunLayout(client.right, client.bottom, Dpi());
    cmdAdd->SetBounds(l.cmdAdd);
    cmdRemove->SetBounds(l.cmdRemove);
    ListView->SetBounds(l.ListView);
    ::MoveWindow(lblProgPath->Handle(), l.lblProgPath.left, l.lblProgPath.top, l.lblProgPath.right - l.lblProgPath.left,
                 l.lblProgPath.bottom - l.lblProgPath.top, TRUE);
    txtProgramPath->SetBounds(l.txtProgramPath);
    cmdBrowse->SetBounds(l.cmdBrowse);
    lblName->SetBounds(l.lblName);
    txtName->SetBounds(l.txtName);
    lblAmount->SetBounds(l.lblAmount);
    lblMB->SetBounds(l.lblMB);
    ScrollBar->SetBounds(l.ScrollBar);
    PerformanceChart->SetBounds(l.PerformanceChart);
    cmdClose->SetBounds(l.cmdClose);
    // One column as wide as the list: items are rows whose whole width shows the selection.
    RECT list{};
    ::GetClientRect(ListView->Handle(), &list);
    ListView_SetColumnWidth(ListView->Handle(), 0, list.right);
}

// ---- Showing ----
void TfrmFreeAndRun::FormShow() {
    TfrmSkinned::FormShow();
    ReadChartColors();
}

void TfrmFreeAndRun::ReadChartColors() {
    TSkin* skin = Skins().DialogSkin();
    if (!skin) return;
    TSkinService::ApplyChartColors(skin->SkinObject(), *PerformanceChart);
}

void TfrmFreeAndRun::RefreshChart() { PerformanceChart->Invalidate(); }

// ---- Messages ----
LRESULT TfrmFreeAndRun::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_OPTIONSCHANGED) {
        LRESULT result = TfrmSkinned::WndProc(msg, wParam, lParam);
        if (wParam & ocFreeAndRun) RebuildList();
        return result;
    }
    return TfrmSkinned::WndProc(msg, wParam, lParam);
}

// ---- The list ----
TFreeAndRunItem* TfrmFreeAndRun::SelectedEntry() const {
    const int index = ListView->Selected();
    if (index < 0) return nullptr;
    return options_.FreeAndRunList().FindByID(static_cast<int32_t>(ListView->ItemData(index)));
}

void TfrmFreeAndRun::RebuildList() {
    ListView->BeginUpdate();
    TFreeAndRunList& list = options_.FreeAndRunList();
    const TFreeAndRunItem* remembered = SelectedEntry();
    const int32_t rememberedId = remembered ? remembered->ID : -1;
    ListView->Clear();
    images_->Clear();
    const bool large = Scale(16) > ::GetSystemMetrics(SM_CXSMICON);
    for (int i = 0; i < list.Count(); ++i) {
        const TFreeAndRunItem& entry = list.Items(i);
        UniqueIcon icon = FileIcon(entry.FileToRun, large);
        const int index = ListView->AddItem(entry.DisplayName(), images_->AddIcon(icon.get()), entry.ID);
        if (entry.ID == rememberedId) ListView->Select(index);
    }
    if (ListView->Selected() < 0 && ListView->Count() > 0) ListView->Select(0);
    EnableEditing(ListView->Selected() >= 0);
    ListView->EndUpdate();
}

void TfrmFreeAndRun::EnableEditing(bool enabled) {
    txtName->SetEnabled(enabled);
    ScrollBar->SetEnabled(enabled);
    txtProgramPath->SetEnabled(enabled);
    cmdBrowse->SetEnabled(enabled);
    if (!enabled) {
        txtProgramPath->SetText(L"");
        txtName->SetText(L"");
    }
}

void TfrmFreeAndRun::ListViewSelectItem(int /*index*/, bool selected) {
    if (!selected) return;
    TFreeAndRunItem* entry = SelectedEntry();
    if (!entry) return;
    // Copies: the writes below store the values back into the entry.
    const std::wstring file = entry->FileToRun, name = entry->Name;
    const int32_t position = entry->MBToFree;
    txtProgramPath->SetText(file);
    txtName->SetText(name);
    ScrollBar->SetPosition(position);
    ScrollBarChange();
}

// ---- Editing ----
void TfrmFreeAndRun::ScrollBarChange() {
    TFreeAndRunItem* entry = SelectedEntry();
    if (!entry) return;
    const int32_t v = Clamp(ScrollBar->Position(), 1, TotalPhysMB);
    entry->MBToFree = v;
    PerformanceChart->SetAdjustValue(static_cast<uint32_t>(v));
    lblMB->SetText(FormatFreeAmount(v));
}

void TfrmFreeAndRun::txtNameChange() {
    if (TFreeAndRunItem* entry = SelectedEntry()) entry->Name = Trimmed(txtName->Text());
}

void TfrmFreeAndRun::txtNameExit() { options_.Notify(ocFreeAndRun); }

void TfrmFreeAndRun::cmdAddClick() {
    if (!OpenDialog.Execute(Handle()) || !AcceptedAsEntry(Handle(), OpenDialog.FileName)) return;
    auto entry = std::make_unique<TFreeAndRunItem>();
    entry->FileToRun = OpenDialog.FileName;
    entry->MBToFree = TotalPhysMB / 2;
    options_.AddFreeAndRun(std::move(entry));
}

void TfrmFreeAndRun::cmdRemoveClick() {
    TFreeAndRunItem* entry = SelectedEntry();
    if (!entry) return;
    options_.FreeAndRunList().Remove(entry);  // the entry is destroyed here
    options_.Notify(ocFreeAndRun);
}

void TfrmFreeAndRun::cmdBrowseClick() {
    if (!SelectedEntry()) return;
    OpenDialog.FileName.clear();
    if (!OpenDialog.Execute(Handle()) || !AcceptedAsEntry(Handle(), OpenDialog.FileName)) return;
    // Looked up again: the dialog ran a message loop meanwhile.
    TFreeAndRunItem* entry = SelectedEntry();
    if (!entry) return;
    entry->FileToRun = OpenDialog.FileName;
    txtProgramPath->SetText(entry->FileToRun);
    options_.Notify(ocFreeAndRun);
}

void TfrmFreeAndRun::cmdCloseClick() { Close(); }

// A failed save is shown; the dialog goes all the same, and the options are written again
// when the program ends.
void TfrmFreeAndRun::FormDestroy() {
    options_.UnregisterListener(Handle());
    options_.Notify(ocFreeAndRun);
    try {
        options_.SaveOptions();
    } catch (...) {
        Application.HandleException(std::current_exception());
    }
    TfrmSkinned::FormDestroy();
}

// ---- The manager as the engine reaches it ----
TfrmFreeAndRun* FindFreeAndRunDialog() { return Application.FindForm<TfrmFreeAndRun>(); }

void ShowFreeAndRunDialog(TForm* owner, const TWindowContext& context) {
    TfrmFreeAndRun* dialog = FindFreeAndRunDialog();
    if (!dialog) dialog = Application.CreateForm<TfrmFreeAndRun>(owner, context);
    try {
        dialog->UseSkin(context.Options.SkinFileName());
    } catch (const Exception& e) {
        ShowMessageBox(nullptr, TSkinService::ErrorText(context.Options.Skin(), e.Message()), ProductName,
                       MB_OK | MB_ICONERROR);
    }
    if (dialog->Visible()) {
        // Open already: a skin switched meanwhile is taken now.
        if (context.Skins.DialogSkin() && context.Skins.DialogSkinFile() != dialog->SkinnedWith()) {
            dialog->ApplySkin();
            dialog->ReadChartColors();
        }
        if (::IsIconic(dialog->Handle())) ::ShowWindow(dialog->Handle(), SW_RESTORE);
    } else {
        dialog->Show();
    }
    ::SetForegroundWindow(dialog->Handle());
}

void RepaintFreeAndRunChart() {
    if (TfrmFreeAndRun* dialog = FindFreeAndRunDialog()) dialog->RefreshChart();
}

void FreeFreeAndRunDialog() {
    if (TfrmFreeAndRun* dialog = FindFreeAndRunDialog()) Application.DestroyForm(dialog);
}
