// The Free-and-Run manager: the list and its selection, editing an entry, the amount scroll
// bar, adding through the file dialog, removing, saving on close, the skin's chart colours,
// one instance, the layout at 100 % and 200 %, and the Tab order.
#include <gtest/gtest.h>
#include <shlobj.h>
#include "DialogFixture.h"
#include "ui/fFreeAndRun.h"

namespace {
std::wstring TempFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, path);
    return path;
}

// A shortcut to `target` at `path`, as the shell writes one.
bool WriteShortcut(const std::wstring& path, const std::wstring& target) {
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    bool saved = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                 SUCCEEDED(file->Save(path.c_str(), TRUE));
    if (file) file->Release();
    link->Release();
    return saved;
}

// Chooses `file` in the open-file dialog titled "Add Program" once it shows (or cancels it).
void ChooseInFileDialog(const std::wstring& file, bool* seen) {
    WhenLooping([file, seen] {
        HWND dialog = ::FindWindowW(L"#32770", L"Add Program");
        if (!dialog) {
            ChooseInFileDialog(file, seen);  // not open yet
            return;
        }
        *seen = true;
        if (file.empty()) {
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        HWND name = ::GetDlgItem(dialog, 0x47C);  // the file name combo box
        if (!name) name = ::GetDlgItem(dialog, 0x480);
        ::SetWindowTextW(name, file.c_str());
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
}
}  // namespace

class FreeAndRunDialogTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override {
        DialogTest::TearDown();
        TotalPhysMB = T;
        ::CoUninitialize();
    }
    TfrmFreeAndRun& Open() {
        ShowFreeAndRunDialog(engine.get(), Context());
        PumpMessages();  // the options' first announcement builds the list
        Announced();     // what the entries added before announced
        return *FindFreeAndRunDialog();
    }
    TFreeAndRunItem& Entry(const std::wstring& name, const std::wstring& file, int32_t position) {
        TFreeAndRunItem& entry = AddEntry(file, position);
        entry.Name = name;
        return entry;
    }
    std::vector<std::wstring> Items(TfrmFreeAndRun& d) {
        std::vector<std::wstring> items;
        for (int i = 0; i < d.ListView->Count(); ++i) items.push_back(d.ListView->ItemText(i));
        return items;
    }
};

TEST_F(FreeAndRunDialogTest, OpensWithTheFirstEntrySelectedAndAnAddedEntryKeepsTheSelection) {
    Entry(L"Editor", L"C:\\windows\\notepad.exe", 300);
    Entry(L"Shell", L"C:\\windows\\explorer.exe", 400);
    Entry(L"Gone", L"C:\\korvix-missing\\tool.exe", 500);
    TfrmFreeAndRun& d = Open();
    EXPECT_EQ(::GetWindowTextLengthW(d.Handle()) > 0, true);
    EXPECT_EQ(Items(d), (std::vector<std::wstring>{L"Editor", L"Shell", L"Gone"}));
    EXPECT_EQ(d.ListView->Selected(), 0);
    EXPECT_EQ(d.txtName->Text(), L"Editor");
    EXPECT_EQ(d.txtProgramPath->Text(), L"C:\\windows\\notepad.exe");
    EXPECT_EQ(d.ScrollBar->Position(), 300);
    EXPECT_EQ(d.PerformanceChart->AdjustValue(), 300u);
    EXPECT_EQ(d.lblMB->Text(), FormatFreeAmount(300));
    // Every entry shows an icon, a missing file the icon of its kind.
    for (int i = 0; i < 3; ++i) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        ListView_GetItem(d.ListView->Handle(), &item);
        EXPECT_GE(item.iImage, 0) << i;
    }

    Entry(L"", L"C:\\tools\\packer.exe", 600);
    EXPECT_EQ(Items(d), (std::vector<std::wstring>{L"Editor", L"Shell", L"Gone", L"packer.exe"}));
    EXPECT_EQ(d.ListView->Selected(), 0);
}

TEST_F(FreeAndRunDialogTest, RemovingTheSelectedEntrySelectsTheFirstAndRemovingTheLastEmptiesTheFields) {
    Entry(L"A", L"C:\\a.exe", 300);
    Entry(L"B", L"C:\\b.exe", 300);
    TfrmFreeAndRun& d = Open();
    d.ListView->Select(1);
    // Delete in the list removes like the Remove button.
    ::SendMessageW(d.ListView->Handle(), WM_KEYDOWN, VK_DELETE, 0);
    PumpMessages();
    EXPECT_EQ(Items(d), std::vector<std::wstring>{L"A"});
    EXPECT_EQ(d.ListView->Selected(), 0);
    EXPECT_EQ(Options->FreeAndRunList().Count(), 1);

    d.cmdRemove->Click();
    // Until the announcement arrives, the fields change no entry that is gone.
    d.txtName->SetText(L"typed");
    PumpMessages();
    EXPECT_TRUE(Items(d).empty());
    EXPECT_EQ(Options->FreeAndRunList().Count(), 0);
    for (TControl* c : std::initializer_list<TControl*>{d.txtName.get(), d.ScrollBar.get(), d.txtProgramPath.get(),
                                                        d.cmdBrowse.get()})
        EXPECT_FALSE(c->Enabled());
    EXPECT_EQ(d.txtName->Text(), L"");
    EXPECT_EQ(d.txtProgramPath->Text(), L"");
    // Without a selection, Remove, Browse and the name change nothing and announce nothing.
    Announced();
    d.cmdRemove->Click();
    d.cmdBrowseClick();
    d.txtName->SetText(L"x");
    EXPECT_TRUE(Announced().empty());
    EXPECT_EQ(Options->FreeAndRunList().Count(), 0);
}

TEST_F(FreeAndRunDialogTest, TheAmountScrollBarOnA512MBMachine) {
    TotalPhysMB = 512;
    Entry(L"A", L"C:\\a.exe", 256);
    TfrmFreeAndRun& d = Open();
    EXPECT_EQ(d.ScrollBar->Min(), 1);
    EXPECT_EQ(d.ScrollBar->Max(), 537);
    EXPECT_EQ(d.ScrollBar->PageSize(), 25);
    EXPECT_EQ(d.lblMB->Text(), L"256 MB");
    // The far end of the track: position 513, stored as 512, shown as 1 MB.
    ::SendMessageW(d.Handle(), WM_HSCROLL, SB_RIGHT, reinterpret_cast<LPARAM>(d.ScrollBar->Handle()));
    EXPECT_EQ(d.ScrollBar->Position(), 513);
    TFreeAndRunItem& entry = Options->FreeAndRunList().Items(0);
    EXPECT_EQ(entry.MBToFree, 512);
    EXPECT_EQ(d.lblMB->Text(), L"1 MB");
    EXPECT_EQ(d.PerformanceChart->AdjustValue(), 512u);
    // The keyboard moves it too, by one and by a page.
    ::SendMessageW(d.Handle(), WM_HSCROLL, SB_PAGELEFT, reinterpret_cast<LPARAM>(d.ScrollBar->Handle()));
    ::SendMessageW(d.Handle(), WM_HSCROLL, SB_LINELEFT, reinterpret_cast<LPARAM>(d.ScrollBar->Handle()));
    EXPECT_EQ(entry.MBToFree, 513 - 25 - 1);
    // Amounts are announced only when the dialog closes.
    EXPECT_TRUE(Announced().empty());
    // The chart's scale reads the machine's memory in megabytes.
    std::wstring label;
    uint32_t maxY = 0;
    d.PerformanceChart->OnGetMaxY(d.PerformanceChart.get(), maxY);
    d.PerformanceChart->OnGetYDisplay(d.PerformanceChart.get(), 384, label);
    EXPECT_EQ(maxY, 512u);
    EXPECT_EQ(label, L"384 MB");
}

TEST_F(FreeAndRunDialogTest, ANameIsStoredTrimmedAndTheListShowsItOnceTheFieldLosesTheFocus) {
    TFreeAndRunItem& entry = Entry(L"Old", L"C:\\a.exe", 300);
    TfrmFreeAndRun& d = Open();
    d.txtName->SetFocus();
    d.txtName->SetText(L"  Photo editor \t");
    EXPECT_EQ(entry.Name, L"Photo editor");
    PumpMessages();
    EXPECT_EQ(Items(d), std::vector<std::wstring>{L"Old"});
    d.ListView->SetFocus();
    EXPECT_EQ(Announced(), std::vector<WPARAM>{ocFreeAndRun});
    EXPECT_EQ(Items(d), std::vector<std::wstring>{L"Photo editor"});
    EXPECT_EQ(d.ListView->Selected(), 0);
}

TEST_F(FreeAndRunDialogTest, AddingAShortcutStoresTheShortcutItselfAndCancellingAddsNothing) {
    const std::wstring link = TempFolder() + L"korvix-editor.lnk";
    ASSERT_TRUE(WriteShortcut(link, L"C:\\windows\\notepad.exe"));
    Entry(L"First", L"C:\\a.exe", 300);
    TfrmFreeAndRun& d = Open();
    bool seen = false;
    ChooseInFileDialog(L"", &seen);
    d.cmdAddClick();
    EXPECT_TRUE(seen);
    EXPECT_EQ(Options->FreeAndRunList().Count(), 1);

    seen = false;
    ChooseInFileDialog(link, &seen);
    d.cmdAddClick();
    ASSERT_TRUE(seen);
    ASSERT_EQ(Options->FreeAndRunList().Count(), 2);
    const TFreeAndRunItem& added = Options->FreeAndRunList().Items(1);
    EXPECT_EQ(_wcsicmp(added.FileToRun.c_str(), link.c_str()), 0) << Narrow(added.FileToRun);
    EXPECT_EQ(added.Name, L"");
    EXPECT_EQ(added.MBToFree, T / 2);
    PumpMessages();
    EXPECT_EQ(d.ListView->Count(), 2);
    EXPECT_EQ(d.ListView->Selected(), 0);
    ::DeleteFileW(link.c_str());
}

TEST_F(FreeAndRunDialogTest, ClosingAnnouncesAndSavesTheListAndASecondOpenBringsTheSameWindow) {
    Entry(L"A", L"C:\\a.exe", 300);
    TfrmFreeAndRun& d = Open();
    ShowFreeAndRunDialog(engine.get(), Context());
    EXPECT_EQ(FindFreeAndRunDialog(), &d);
    int dialogs = 0;
    for (TForm* f : Application.Forms()) dialogs += dynamic_cast<TfrmFreeAndRun*>(f) != nullptr;
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(::GetWindow(d.Handle(), GW_OWNER), engine->Handle());

    ::SendMessageW(d.Handle(), WM_HSCROLL, SB_LINELEFT, reinterpret_cast<LPARAM>(d.ScrollBar->Handle()));
    Announced();
    DeleteRegValue(OptionsKey, L"farCount");
    d.cmdClose->Click();
    PumpMessages();
    EXPECT_EQ(FindFreeAndRunDialog(), nullptr);
    EXPECT_EQ(Announced(), std::vector<WPARAM>{ocFreeAndRun});
    EXPECT_EQ(ReadRegInteger(OptionsKey, L"farCount", -1), 1);
    EXPECT_EQ(ReadRegInteger(OptionsKey, L"1farMBToFree", -1), 299);
}

TEST_F(FreeAndRunDialogTest, ASaveThatFailsOnCloseIsShownAndTheDialogGoesAllTheSame) {
    Entry(L"A", L"C:\\a.exe", 300);
    TfrmFreeAndRun& d = Open();
    // A key under a volatile key cannot be created as a lasting one: the save fails.
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tarvendel");
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Tarvendel", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr);
    ::RegCloseKey(key);
    std::vector<std::wstring> shown;
    {
        ExceptionSinkScope sink([&](const TExceptionInfo& e) { shown.push_back(e.Message); });
        d.cmdClose->Click();
        PumpMessages();
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tarvendel");
    EXPECT_EQ(shown, std::vector<std::wstring>{L"Cannot create Key: " + std::wstring(OptionsKey)});
    EXPECT_EQ(FindFreeAndRunDialog(), nullptr);
    EXPECT_EQ(Announced(), std::vector<WPARAM>{ocFreeAndRun});
}

TEST_F(FreeAndRunDialogTest, TakesTheChartColoursOfTheSkinAndRepaintsAfterASample) {
    TfrmFreeAndRun& d = Open();
    ASSERT_TRUE(d.Root());
    // The shipped default skin: background white, the memory area #C7D8FB, the second line #F59E0B.
    EXPECT_EQ(d.PerformanceChart->Color(), RGB(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(d.PerformanceChart->DataColor(), RGB(0xC7, 0xD8, 0xFB));
    EXPECT_EQ(d.PerformanceChart->AdjustColor2(), RGB(0xF5, 0x9E, 0x0B));
    HWND chart = d.PerformanceChart->Handle();
    ::UpdateWindow(chart);
    ASSERT_FALSE(::GetUpdateRect(chart, nullptr, FALSE));
    RepaintFreeAndRunChart();
    EXPECT_TRUE(::GetUpdateRect(chart, nullptr, FALSE));
}

TEST_F(FreeAndRunDialogTest, TabReachesEveryControlInOrder) {
    Entry(L"A", L"C:\\a.exe", 300);
    TfrmFreeAndRun& d = Open();
    const std::vector<HWND> expected{d.cmdAdd->Handle(),         d.cmdRemove->Handle(), d.ListView->Handle(),
                                     d.txtProgramPath->Handle(), d.cmdBrowse->Handle(), d.txtName->Handle(),
                                     d.ScrollBar->Handle(),      d.cmdClose->Handle()};
    std::vector<HWND> order;
    HWND at = d.cmdAdd->Handle();
    for (size_t i = 0; i < expected.size(); ++i) {
        order.push_back(at);
        at = ::GetNextDlgTabItem(d.Handle(), at, FALSE);
    }
    EXPECT_EQ(order, expected);
    EXPECT_EQ(at, d.cmdAdd->Handle());
}

TEST(FreeAndRunLayoutTest, TheListFillsTheLeftColumnTheChartTheRestAndAllScalesWithTheDisplay) {
    const TFreeAndRunLayout l = FreeAndRunLayout(612, 388, 96);
    EXPECT_EQ(l.ListView, (RECT{8, 41, 193, 380}));
    EXPECT_EQ(l.cmdClose, (RECT{529, 355, 604, 380}));
    EXPECT_EQ(l.PerformanceChart, (RECT{205, 148, 604, 347}));
    EXPECT_EQ(l.cmdBrowse.right, 604);
    EXPECT_EQ(l.txtName.right, 604);
    EXPECT_EQ(l.cmdRemove.right, l.ListView.right);

    // 200 %: twice the client area, every rectangle twice as large.
    const TFreeAndRunLayout big = FreeAndRunLayout(1224, 776, 192);
    const RECT* a = &l.cmdAdd;
    const RECT* b = &big.cmdAdd;
    for (size_t i = 0; i < sizeof(TFreeAndRunLayout) / sizeof(RECT); ++i) {
        EXPECT_EQ(b[i], (RECT{2 * a[i].left, 2 * a[i].top, 2 * a[i].right, 2 * a[i].bottom})) << i;
    }

    // Wider and taller: the list keeps its width, the fields and the chart grow, Close follows the corner.
    const TFreeAndRunLayout wide = FreeAndRunLayout(712, 488, 96);
    EXPECT_EQ(wide.ListView, (RECT{8, 41, 193, 480}));
    EXPECT_EQ(wide.PerformanceChart, (RECT{205, 148, 704, 447}));
    EXPECT_EQ(wide.cmdClose, (RECT{629, 455, 704, 480}));
    EXPECT_EQ(wide.ScrollBar.right, 704);
}
