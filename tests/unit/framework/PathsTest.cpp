// Path rules: how a path is rooted with either separator, what a relative one is taken
// against, and which paths can be looked at without reaching another machine; and texts
// filled from user data in one pass.
#include <windows.h>
#include <gtest/gtest.h>
#include "framework/uPaths.h"
#include "framework/uText.h"

namespace {

struct KindRow {
    const wchar_t* path;
    TPathKind kind;
};

TEST(PathsTest, EveryPathIsRootedByEitherSeparator) {
    for (const KindRow& r : std::initializer_list<KindRow>{
             {L"korvix.chm", TPathKind::Relative},
             {L"skins\\x.skn", TPathKind::Relative},
             {L"skins/x.skn", TPathKind::Relative},
             {L"..\\x.skn", TPathKind::Relative},
             {L"", TPathKind::Relative},
             {L"\\x.skn", TPathKind::RootRelative},
             {L"/x.skn", TPathKind::RootRelative},
             {L"C:x.skn", TPathKind::DriveRelative},
             {L"C:", TPathKind::DriveRelative},
             {L"C:\\x.skn", TPathKind::Absolute},
             {L"c:/x.skn", TPathKind::Absolute},
             {L"\\\\?\\C:\\x.skn", TPathKind::Absolute},
             {L"\\\\host\\share\\x.skn", TPathKind::Network},
             {L"//host/share/x.skn", TPathKind::Network},
             {L"\\/host/share/x.skn", TPathKind::Network},
             {L"\\\\?\\UNC\\host\\share\\x.skn", TPathKind::Network},
             {L"\\\\.\\pipe\\x", TPathKind::Network},
             {L"\\\\?\\C:x.skn", TPathKind::Network},
             {L"1:\\x.skn", TPathKind::Relative},
         }) {
        EXPECT_EQ(PathKindOf(r.path), r.kind) << r.path;
    }
}

struct ResolveRow {
    const wchar_t* path;
    const wchar_t* folder;
    const wchar_t* resolved;
};

TEST(PathsTest, RelativePathsAreTakenFromTheFolderNeverFromTheCurrentOne) {
    for (const ResolveRow& r : std::initializer_list<ResolveRow>{
             {L"korvix.chm", L"D:\\Tools\\", L"D:\\Tools\\korvix.chm"},
             {L"korvix.chm", L"D:\\Tools", L"D:\\Tools\\korvix.chm"},
             {L"skins\\x.skn", L"D:\\Tools\\", L"D:\\Tools\\skins\\x.skn"},
             {L"skins/x.skn", L"D:\\Tools\\", L"D:\\Tools\\skins/x.skn"},
             {L"\\Docs\\help.chm", L"D:\\Tools\\", L"D:\\Docs\\help.chm"},
             {L"/Docs/help.chm", L"D:\\Tools\\", L"D:/Docs/help.chm"},
             {L"E:\\Docs\\help.chm", L"D:\\Tools\\", L"E:\\Docs\\help.chm"},
             {L"E:/Docs/help.chm", L"D:\\Tools\\", L"E:/Docs/help.chm"},
             {L"\\\\server\\share\\help.chm", L"D:\\Tools\\", L"\\\\server\\share\\help.chm"},
             {L"E:help.chm", L"D:\\Tools\\", L""},
             {L"", L"D:\\Tools\\", L""},
             {L"x.skn", L"Tools\\", L""},
             {L"x.skn", L"", L""},
         }) {
        EXPECT_EQ(ResolvePath(r.path, r.folder), r.resolved) << r.path << L" in " << r.folder;
    }
}

TEST(PathsTest, OnlyFullPathsOnThisMachinesDrivesAreLocal) {
    wchar_t windows[MAX_PATH];
    ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    EXPECT_TRUE(IsLocalPath(windows));
    EXPECT_TRUE(IsLocalPath(std::wstring(L"\\\\?\\") + windows));
    for (const wchar_t* path : {L"\\\\host\\share\\x.exe", L"//host/share/x.exe", L"\\\\?\\UNC\\host\\share\\x.exe",
                                L"x.exe", L"\\x.exe", L"C:x.exe", L""})
        EXPECT_FALSE(IsLocalPath(path)) << path;
}

TEST(FormatTextTest, ValuesAreNeverSearchedForPlaceholders) {
    EXPECT_EQ(FormatText(L"could not start:\r\n%1\r\n%2", {L"C:\\50%2off\\%1.exe", L"Not found."}),
              L"could not start:\r\nC:\\50%2off\\%1.exe\r\nNot found.");
    EXPECT_EQ(FormatText(L"%2 before %1, %1 again", {L"a", L"b"}), L"b before a, a again");
    EXPECT_EQ(FormatText(L"Free-up: %1% of %3, 100%", {L"37"}), L"Free-up: 37% of %3, 100%");
    EXPECT_EQ(FormatText(L"ends with %", {L"x"}), L"ends with %");
}

}  // namespace
