#include "uRegistry.h"
#include "framework/uException.h"
#include "framework/uHandles.h"
#include "framework/uText.h"

namespace {
struct RootName {
    const wchar_t* name;
    HKEY key;
};
const RootName kRoots[] = {
    {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {L"HKEY_DYN_DATA", HKEY_DYN_DATA},
    {L"HKEY_USERS", HKEY_USERS},
    {L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
};

UniqueHKey OpenForQuery(const std::wstring& path) {
    RegistryPath p = SplitRegistryPath(path);
    UniqueHKey key;
    if (::RegOpenKeyExW(p.root, p.subKey.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) key.release();
    return key;
}

RegistryWriteHook g_writeHook = nullptr;

void WriteValue(const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    if (g_writeHook) g_writeHook(path, name);
    RegistryPath p = SplitRegistryPath(path);
    UniqueHKey key;
    if (::RegCreateKeyExW(p.root, p.subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        key.release();
        throw ERegistryError(L"Cannot create Key: " + path);
    }
    if (::RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        throw ERegistryError(L"Cannot create Entry: " + name + L" in Key: " + path);
}
}  // namespace

RegistryWriteHook SetRegistryWriteHook(RegistryWriteHook hook) {
    RegistryWriteHook previous = g_writeHook;
    g_writeHook = hook;
    return previous;
}

RegistryPath SplitRegistryPath(const std::wstring& path) {
    size_t slash = path.find(L'\\');
    std::wstring root = UpperCase(slash == std::wstring::npos ? path : path.substr(0, slash));
    std::wstring subKey = slash == std::wstring::npos ? std::wstring() : path.substr(slash + 1);
    for (const RootName& r : kRoots) {
        if (root == r.name) return {r.key, subKey};
    }
    throw ERegistryError(L"Unknown Root Registry Key: " + root);
}

int32_t ReadRegInteger(const std::wstring& path, const std::wstring& name, int32_t defaultValue) {
    UniqueHKey key = OpenForQuery(path);
    if (!key) return defaultValue;
    DWORD value = 0, size = sizeof(value), type = 0;
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return defaultValue;
    return static_cast<int32_t>(value);
}

void WriteRegInteger(const std::wstring& path, const std::wstring& name, int32_t value) {
    DWORD data = static_cast<DWORD>(value);
    WriteValue(path, name, REG_DWORD, &data, sizeof(data));
}

bool ReadRegBool(const std::wstring& path, const std::wstring& name, bool defaultValue) {
    switch (ReadRegInteger(path, name, -1)) {
        case 1: return true;
        case 0: return false;
        default: return defaultValue;
    }
}

void WriteRegBool(const std::wstring& path, const std::wstring& name, bool value) {
    WriteRegInteger(path, name, value ? 1 : 0);
}

std::wstring ReadRegString(const std::wstring& path, const std::wstring& name, const std::wstring& defaultValue) {
    UniqueHKey key = OpenForQuery(path);
    if (!key) return defaultValue;
    wchar_t buffer[MaxRegText + 1];
    DWORD size = sizeof(buffer), type = 0;
    // A text longer than the buffer fails with ERROR_MORE_DATA and reads as absent.
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return defaultValue;
    // Stored data need not end with a zero; take what is there up to the first zero.
    size_t length = size / sizeof(wchar_t);
    std::wstring text(buffer, length);
    size_t zero = text.find(L'\0');
    if (zero != std::wstring::npos) text.resize(zero);
    return text;
}

void WriteRegString(const std::wstring& path, const std::wstring& name, const std::wstring& value) {
    WriteValue(path, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void DeleteRegValue(const std::wstring& path, const std::wstring& name) {
    RegistryPath p = SplitRegistryPath(path);
    UniqueHKey key;
    if (::RegOpenKeyExW(p.root, p.subKey.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) {
        key.release();
        return;
    }
    ::RegDeleteValueW(key.get(), name.c_str());
}

void DeleteRegKey(const std::wstring& path) {
    RegistryPath p = SplitRegistryPath(path);
    ::RegDeleteKeyW(p.root, p.subKey.c_str());
}

std::vector<std::wstring> RegValueNames(const std::wstring& path) {
    std::vector<std::wstring> names;
    UniqueHKey key = OpenForQuery(path);
    if (!key) return names;
    wchar_t name[MaxRegText + 1];
    for (DWORD index = 0;; ++index) {
        DWORD length = MaxRegText + 1;
        const LSTATUS status = ::RegEnumValueW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        // A name longer than any of ours is no value of ours: the ones after it still count.
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

bool RegKeyExists(const std::wstring& path) { return static_cast<bool>(OpenForQuery(path)); }
