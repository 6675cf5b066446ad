#include <gtest/gtest.h>
#include <set>
#include "foundation/Fixtures.h"

namespace {
const std::wstring K = OptionsKey;

class FreeAndRunTest : public MachineTest {
protected:
    static void StoreOld(const std::wstring& suffix, const wchar_t* name, const wchar_t* file, int32_t index) {
        WriteRegString(OldFreeAndRunKey, L"Display " + suffix, name);
        WriteRegString(OldFreeAndRunKey, L"Run " + suffix, file);
        WriteRegInteger(OldFreeAndRunKey, L"Free " + suffix, index);
    }
    static const TFreeAndRunItem* Find(TFreeAndRunList& list, const std::wstring& name) {
        for (int i = 0; i < list.Count(); ++i) {
            if (list.Items(i).Name == name) return &list.Items(i);
        }
        return nullptr;
    }
};
}  // namespace

// The count bounds the numbers that are read; the entries are those stored, in number order.
TEST_F(FreeAndRunTest, TheCountBoundsWhatIsReadAndOnlyStoredEntriesLoad) {
    WriteRegInteger(K, L"farCount", 3);
    WriteRegInteger(K, L"3farMBToFree", 200);  // entry 2 has nothing stored at all
    WriteRegString(K, L"1farName", L"Editor");
    WriteRegString(K, L"1farFileToRun", L"C:\\Tools\\editor.exe");
    WriteRegInteger(K, L"1farMBToFree", 300);
    WriteRegString(K, L"4farName", L"beyond the count");
    TFreeAndRunList list;
    list.LoadFromRegistry(K, TotalPhysMB);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(0).Name, L"Editor");
    EXPECT_EQ(list.Items(0).FileToRun, L"C:\\Tools\\editor.exe");
    EXPECT_EQ(list.Items(0).MBToFree, 300);
    EXPECT_EQ(list.Items(1).Name, L"") << "a missing value stays empty";
    EXPECT_EQ(list.Items(1).FileToRun, L"");
    EXPECT_EQ(list.Items(1).MBToFree, 200);
    EXPECT_FALSE(list.Migrated);
}

// A damaged count and one far-off number cost no more than the values stored; the list is
// saved back as it was loaded.
TEST_F(FreeAndRunTest, ADamagedCountAndAFarOffNumberLoadTheStoredEntriesAndSaveThemAsLoaded) {
    WriteRegInteger(K, L"farCount", 0x7FFFFFFF);
    WriteRegString(K, L"1farName", L"one");
    WriteRegString(K, L"999999999farName", L"far");
    WriteRegString(K, L"999999999farFileToRun", L"C:\\far.exe");
    WriteRegString(K, L"2farFileToRun", L"C:\\two.exe");
    WriteRegBool(K, L"farMigrated", true);
    TFreeAndRunList list;
    list.LoadFromRegistry(K, TotalPhysMB);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Items(1).FileToRun, L"C:\\two.exe");
    EXPECT_EQ(list.Items(2).Name, L"far");
    EXPECT_TRUE(list.Migrated) << "the rest loads as usual";

    list.SaveToRegistry(K);
    EXPECT_EQ(ReadRegInteger(K, L"farCount", -1), 3);
    EXPECT_EQ(ReadRegString(K, L"3farName", L""), L"far");
    EXPECT_EQ(ReadRegString(K, L"3farFileToRun", L""), L"C:\\far.exe");
    TFreeAndRunList again;
    again.LoadFromRegistry(K, TotalPhysMB);
    ASSERT_EQ(again.Count(), 3);
    EXPECT_EQ(again.Items(2).Name, L"far");
}

TEST(StoredEntryNumbers, TheThreeEntryValuesWithADecimalNumberUpToTheCountOnceEachInOrder) {
    EXPECT_EQ(StoredEntryNumbers(
                  {L"farCount", L"12farMBToFree", L"1farName", L"3farFileToRun", L"1farMBToFree", L"Manual"}, 100),
              (std::vector<int32_t>{1, 3, 12}));
    EXPECT_EQ(StoredEntryNumbers({L"0farName", L"07farName", L"5farNameX", L"farName", L"9far", L"-1farName"}, 100),
              (std::vector<int32_t>{}));
    EXPECT_EQ(StoredEntryNumbers({L"2147483647farName", L"2147483648farName", L"12345678901farName"}, 0x7FFFFFFF),
              (std::vector<int32_t>{0x7FFFFFFF}));
    EXPECT_EQ(StoredEntryNumbers({L"4farName", L"5farName"}, 4), (std::vector<int32_t>{4}));
    EXPECT_EQ(StoredEntryNumbers({L"1farName"}, -1), (std::vector<int32_t>{}));
    EXPECT_EQ(StoredEntryNumbers({}, 10), (std::vector<int32_t>{}));
}

TEST(FreeAndRunPathProblem, OnlyAPathWithItsFolderCanBeAnEntry) {
    for (const wchar_t* path : {L"C:\\Tools\\editor.exe", L"c:/tools/editor.exe", L"\\\\host\\share\\editor.exe"})
        EXPECT_EQ(FreeAndRunPathProblem(path), L"") << path;
    for (const wchar_t* path :
         {L"editor.exe", L"tools\\editor.exe", L"tools/editor.exe", L"C:editor.exe", L"\\tools\\editor.exe", L""}) {
        const std::wstring problem = FreeAndRunPathProblem(path);
        EXPECT_EQ(problem.find(L"A Free-and-Run entry needs the full path of its program"), 0u) << path;
        EXPECT_EQ(problem.substr(problem.size() - wcslen(path) - 2), L"\r\n" + std::wstring(path));
    }
}

TEST_F(FreeAndRunTest, SavingAShorterListLeavesOldNumbersButLoadsOnlyTheCount) {
    TFreeAndRunList five;
    for (int i = 1; i <= 5; ++i) {
        auto item = std::make_unique<TFreeAndRunItem>();
        item->Name = L"entry " + std::to_wstring(i);
        item->MBToFree = i;
        five.Add(std::move(item));
    }
    five.SaveToRegistry(K);
    TFreeAndRunList three;
    for (int i = 1; i <= 3; ++i) {
        auto item = std::make_unique<TFreeAndRunItem>();
        item->Name = L"new " + std::to_wstring(i);
        three.Add(std::move(item));
    }
    three.SaveToRegistry(K);
    EXPECT_EQ(ReadRegInteger(K, L"farCount", -1), 3);
    EXPECT_EQ(ReadRegString(K, L"5farName", L""), L"entry 5");
    EXPECT_EQ(ReadRegString(K, L"12farName", L"none"), L"none");
    TFreeAndRunList loaded;
    loaded.LoadFromRegistry(K, TotalPhysMB);
    ASSERT_EQ(loaded.Count(), 3);
    EXPECT_EQ(loaded.Items(2).Name, L"new 3");
}

TEST_F(FreeAndRunTest, OldEntriesAreImportedOnceAsPositionsThatFreeTheSameAmount) {
    StoreOld(L"Editor", L"My Editor", L"C:\\Tools\\editor.exe", 17);  // 40 MB
    StoreOld(L"Big", L"Big one", L"C:\\big.exe", 60);                 // beyond the 49 steps: limited to 1024 MB
    WriteRegString(OldFreeAndRunKey, L"Other value", L"ignored");
    TFreeAndRunList list;
    list.LoadFromRegistry(K, TotalPhysMB);
    ASSERT_EQ(list.Count(), 2);
    const TFreeAndRunItem* editor = Find(list, L"My Editor");
    const TFreeAndRunItem* big = Find(list, L"Big one");
    ASSERT_TRUE(editor && big);
    EXPECT_EQ(editor->FileToRun, L"C:\\Tools\\editor.exe");
    EXPECT_EQ(editor->MBToFree, 472);
    EXPECT_EQ(big->MBToFree, 1);  // never more than T - 1 freed
    EXPECT_TRUE(list.Migrated);
    EXPECT_FALSE(RegKeyExists(OldFreeAndRunKey));

    list.SaveToRegistry(K);
    EXPECT_TRUE(ReadRegBool(K, L"farMigrated", false));
    StoreOld(L"Again", L"Again", L"C:\\again.exe", 1);
    TFreeAndRunList reloaded;
    reloaded.LoadFromRegistry(K, TotalPhysMB);
    EXPECT_EQ(reloaded.Count(), 2);  // migrated once: the old key is not looked at again
    EXPECT_TRUE(RegKeyExists(OldFreeAndRunKey));
}

// A copy that ends without saving (quit, a second copy, UNINSTALL, a crash) must find the
// imported entries in the registry: they are written before the old key is deleted.
TEST_F(FreeAndRunTest, ImportedEntriesAreStoredBeforeTheOldKeyIsDeleted) {
    StoreOld(L"Editor", L"My Editor", L"C:\\Tools\\editor.exe", 17);
    {
        TFreeAndRunList list;
        list.LoadFromRegistry(K, TotalPhysMB);
        ASSERT_EQ(list.Count(), 1);
    }  // never saved
    EXPECT_FALSE(RegKeyExists(OldFreeAndRunKey));
    TFreeAndRunList next;
    next.LoadFromRegistry(K, TotalPhysMB);
    ASSERT_EQ(next.Count(), 1);
    EXPECT_EQ(next.Items(0).Name, L"My Editor");
    EXPECT_EQ(next.Items(0).MBToFree, 472);
    EXPECT_TRUE(next.Migrated);
}

TEST_F(FreeAndRunTest, StoredPositionsOfZeroOrLessLoadAsOne) {
    for (int32_t stored : {0, -1, INT32_MIN}) {
        WriteRegInteger(K, L"farCount", 1);
        WriteRegString(K, L"1farFileToRun", L"C:\\x.exe");
        WriteRegInteger(K, L"1farMBToFree", stored);
        TFreeAndRunList list;
        list.LoadFromRegistry(K, TotalPhysMB);
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.Items(0).MBToFree, 1) << stored;
    }
}

TEST_F(FreeAndRunTest, MigrationCasesOnOtherMachines) {
    UseMachine(768);
    StoreOld(L"Huge", L"Huge", L"C:\\huge.exe", 48);  // 1024 MB on a 768 MB machine
    TFreeAndRunList list;
    list.LoadFromRegistry(K, TotalPhysMB);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items(0).MBToFree, 1);

    UseMachine(512);
    WriteRegString(OldFreeAndRunKey, L"Display", L"bare");
    WriteRegString(OldFreeAndRunKey, L"Display ", L"Name from suffixless");
    WriteRegString(OldFreeAndRunKey, L"Run ", L"C:\\bare.exe");
    WriteRegInteger(OldFreeAndRunKey, L"Free ", 1);  // 2 MB
    TFreeAndRunList bare;
    bare.LoadFromRegistry(L"HKEY_CURRENT_USER\\Software\\Tarvendel\\Other", TotalPhysMB);
    ASSERT_EQ(bare.Count(), 2);  // "Display" and "Display " both name the empty suffix
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(bare.Items(i).Name, L"Name from suffixless");
        EXPECT_EQ(bare.Items(i).FileToRun, L"C:\\bare.exe");
        EXPECT_EQ(bare.Items(i).MBToFree, 510);
    }
}

TEST(FreeAndRunItem, DisplayNamePrefersTheNameThenTheFileWithoutShortcutExtension) {
    const struct {
        const wchar_t* name;
        const wchar_t* file;
        const wchar_t* shown;
    } cases[] = {
        {L"Writer", L"C:\\Links\\Word Processor.lnk", L"Writer"},
        {L"", L"C:\\Links\\Word Processor.lnk", L"Word Processor"},
        {L"", L"C:\\x\\Notes.LnK", L"Notes"},
        {L"", L"C:\\Tools\\editor.exe", L"editor.exe"},
        {L"", L"report.doc", L"report.doc"},
        {L"", L"C:\\dir\\.lnk", L""},
    };
    for (const auto& c : cases) {
        TFreeAndRunItem item;
        item.Name = c.name;
        item.FileToRun = c.file;
        EXPECT_EQ(item.DisplayName(), c.shown) << c.file;
    }
}

TEST(FreeAndRunItem, IdsAreDistinctAcrossListRebuilds) {
    std::set<int32_t> ids;
    for (int round = 0; round < 3; ++round) {
        TFreeAndRunList list;
        for (int i = 0; i < 4; ++i) list.Add(std::make_unique<TFreeAndRunItem>());
        for (int i = 0; i < list.Count(); ++i) ids.insert(list.Items(i).ID);
        EXPECT_EQ(list.FindByID(list.Items(2).ID), &list.Items(2));
        auto removed = list.Remove(&list.Items(1));
        EXPECT_TRUE(removed);
        EXPECT_EQ(list.Count(), 3);
    }
    EXPECT_EQ(ids.size(), 12u);
}

TEST(OldAmountSteps, TheFortyNineStepsOfTheOlderProduct) {
    const int32_t expected[49] = {1,   2,   4,   6,   8,   10,  12,  14,  16,  18,  20,  22,  24,  26,  28,  30,  32,
                                  40,  48,  56,  64,  72,  80,  88,  96,  104, 112, 120, 128, 160, 192, 224, 256, 288,
                                  320, 352, 384, 416, 448, 480, 512, 576, 640, 704, 768, 832, 896, 960, 1024};
    for (int i = 0; i < 49; ++i) EXPECT_EQ(OldAmountStep(i), expected[i]) << i;
    EXPECT_EQ(OldAmountStep(-3), 1);
    EXPECT_EQ(OldAmountStep(1000), 1024);
}
