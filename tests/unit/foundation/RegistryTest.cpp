#include <windows.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include "framework/uException.h"
#include "settings/uRegistry.h"

namespace {
const std::wstring kKey = L"HKEY_CURRENT_USER\\Software\\KorvixTest\\Registry";

class RegistryTest : public testing::Test {
protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KorvixTest"); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KorvixTest"); }

    // Stores raw data of any type, bypassing the unit under test.
    static void StoreRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\KorvixTest\\Registry", 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
        ::RegCloseKey(key);
    }
    static void StoreText(const wchar_t* name, const std::wstring& text) {
        StoreRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    static void StoreDword(const wchar_t* name, DWORD value, DWORD type = REG_DWORD) {
        StoreRaw(name, type, &value, sizeof(value));
    }
};

std::wstring UnknownRootMessage(const std::function<void()>& call) {
    try {
        call();
    } catch (const ERegistryError& e) {
        return e.Message();
    }
    return L"(nothing raised)";
}
}  // namespace

TEST_F(RegistryTest, ValuesRoundTripAndMissingOnesGiveTheDefault) {
    WriteRegInteger(kKey, L"Int", -7);
    WriteRegBool(kKey, L"Yes", true);
    WriteRegBool(kKey, L"No", false);
    WriteRegString(kKey, L"Text", L"Grüße aus C:\\Programme");
    EXPECT_EQ(ReadRegInteger(kKey, L"Int", 0), -7);
    EXPECT_TRUE(ReadRegBool(kKey, L"Yes", false));
    EXPECT_FALSE(ReadRegBool(kKey, L"No", true));
    EXPECT_EQ(ReadRegString(kKey, L"Text", L""), L"Grüße aus C:\\Programme");
    EXPECT_EQ(ReadRegInteger(kKey, L"Missing", 42), 42);
    EXPECT_EQ(ReadRegString(kKey + L"\\NoSuchKey", L"Text", L"dflt"), L"dflt");
    EXPECT_TRUE(RegKeyExists(kKey));
    EXPECT_FALSE(RegKeyExists(kKey + L"\\NoSuchKey"));
}

TEST_F(RegistryTest, ReadsOfTheWrongKindFallBackToTheDefault) {
    const DWORD binary = 5;
    StoreRaw(L"Binary", REG_BINARY, &binary, sizeof(binary));
    StoreText(L"TextNumber", L"12");
    StoreDword(L"Two", 2);
    StoreDword(L"MinusOne", 0xFFFFFFFF);
    StoreDword(L"Number", 3);
    StoreRaw(L"Expand", REG_EXPAND_SZ, L"%TEMP%", 14);
    StoreText(L"Long", std::wstring(600, L'x'));
    StoreText(L"Exactly500", std::wstring(500, L'y'));

    EXPECT_EQ(ReadRegInteger(kKey, L"Binary", 9), 9);
    EXPECT_EQ(ReadRegInteger(kKey, L"TextNumber", 9), 9);
    EXPECT_TRUE(ReadRegBool(kKey, L"Two", true));
    EXPECT_FALSE(ReadRegBool(kKey, L"Two", false));
    EXPECT_TRUE(ReadRegBool(kKey, L"MinusOne", true));
    EXPECT_TRUE(ReadRegBool(kKey, L"TextNumber", true));
    EXPECT_EQ(ReadRegString(kKey, L"Number", L"dflt"), L"dflt");
    EXPECT_EQ(ReadRegString(kKey, L"Expand", L"dflt"), L"dflt");
    EXPECT_EQ(ReadRegString(kKey, L"Long", L"dflt"), L"dflt");
    EXPECT_EQ(ReadRegString(kKey, L"Exactly500", L"dflt"), std::wstring(500, L'y'));
}

TEST_F(RegistryTest, EmptyTextIsStoredWithItsTerminatingZero) {
    WriteRegString(kKey, L"Empty", L"");
    HKEY key;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\KorvixTest\\Registry", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ::RegQueryValueExW(key, L"Empty", nullptr, &type, nullptr, &size);
    ::RegCloseKey(key);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, sizeof(wchar_t));
    EXPECT_EQ(ReadRegString(kKey, L"Empty", L"dflt"), L"");
}

TEST_F(RegistryTest, RootsAreMatchedWithoutCaseButAbbreviationsRaise) {
    EXPECT_EQ(SplitRegistryPath(L"hkey_current_user\\Software\\X").root, HKEY_CURRENT_USER);
    EXPECT_EQ(SplitRegistryPath(L"hkey_current_user\\Software\\X").subKey, L"Software\\X");
    RegistryPath bare = SplitRegistryPath(L"HKEY_CURRENT_USER");
    EXPECT_EQ(bare.root, HKEY_CURRENT_USER);
    EXPECT_EQ(bare.subKey, L"");
    EXPECT_EQ(SplitRegistryPath(L"HKEY_DYN_DATA\\PerfStats").root, HKEY_DYN_DATA);
    EXPECT_EQ(SplitRegistryPath(L"HKEY_CURRENT_CONFIG\\x").root, HKEY_CURRENT_CONFIG);
    EXPECT_TRUE(RegKeyExists(L"HKEY_CURRENT_USER"));

    const std::wstring expected = L"Unknown Root Registry Key: HKCU";
    EXPECT_EQ(UnknownRootMessage([] { ReadRegInteger(L"HKCU\\Software", L"x", 0); }), expected);
    EXPECT_EQ(UnknownRootMessage([] { ReadRegString(L"hkcu\\Software", L"x", L""); }), expected);
    EXPECT_EQ(UnknownRootMessage([] { WriteRegBool(L"HKCU\\Software", L"x", true); }), expected);
    EXPECT_EQ(UnknownRootMessage([] { RegKeyExists(L"HKCU"); }), expected);
    EXPECT_EQ(UnknownRootMessage([] { DeleteRegValue(L"HKCU\\Software", L"x"); }), expected);
}

TEST_F(RegistryTest, WriteFailuresRaiseTheKeyAndEntryTexts) {
    // The registry refuses key names over 255 and value names over 16383 characters.
    const std::wstring badKey = L"HKEY_CURRENT_USER\\Software\\KorvixTest\\" + std::wstring(300, L'k');
    try {
        WriteRegInteger(badKey, L"x", 1);
        FAIL() << "an overlong key name must not be created";
    } catch (const ERegistryError& e) {
        EXPECT_EQ(e.Message(), L"Cannot create Key: " + badKey);
    }
    const std::wstring badName(20000, L'n');
    try {
        WriteRegString(kKey, badName, L"v");
        FAIL() << "an overlong value name must not be written";
    } catch (const ERegistryError& e) {
        EXPECT_EQ(e.Message(), L"Cannot create Entry: " + badName + L" in Key: " + kKey);
    }
}

// Names beyond the 500 characters a name of ours can have are left out; the enumeration
// goes on after them.
TEST_F(RegistryTest, EnumerationSkipsNamesTooLongAndGoesOn) {
    StoreText(std::wstring(501, L'L').c_str(), L"first, too long");
    StoreDword(L"A", 1);
    StoreText(std::wstring(16000, L'M').c_str(), L"too long");
    StoreDword(std::wstring(500, L'N').c_str(), 2);
    StoreDword(L"B", 3);
    // The enumeration order is the registry's (Wine's is by name: the long names come before
    // the 500-character one).
    std::vector<std::wstring> names = RegValueNames(kKey);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"A", L"B", std::wstring(500, L'N')}));
}

TEST_F(RegistryTest, DeletionsAndEnumerationReportNothingOnFailure) {
    WriteRegInteger(kKey, L"A", 1);
    WriteRegString(kKey, L"B", L"b");
    WriteRegBool(kKey, L"C", true);
    std::vector<std::wstring> names = RegValueNames(kKey);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], L"A");
    EXPECT_EQ(names[1], L"B");
    EXPECT_EQ(names[2], L"C");
    DeleteRegValue(kKey, L"B");
    DeleteRegValue(kKey, L"NotThere");
    DeleteRegValue(kKey + L"\\NoSuchKey", L"A");
    EXPECT_EQ(RegValueNames(kKey).size(), 2u);
    EXPECT_TRUE(RegValueNames(kKey + L"\\NoSuchKey").empty());
    DeleteRegKey(kKey);
    DeleteRegKey(kKey);
    EXPECT_FALSE(RegKeyExists(kKey));
}
