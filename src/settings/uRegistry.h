// One-call access to single registry values addressed by a full textual key
// path ("HKEY_CURRENT_USER\Software\..."). Every call opens, acts and closes.
// Reads never fail (they answer the caller's default); writes create the key
// and throw ERegistryError when the key or value cannot be written.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct RegistryPath {
    HKEY root;
    std::wstring subKey;
};

// Throws ERegistryError "Unknown Root Registry Key: <ROOT>" for an unknown root.
RegistryPath SplitRegistryPath(const std::wstring& path);

int32_t ReadRegInteger(const std::wstring& path, const std::wstring& name, int32_t defaultValue);
void WriteRegInteger(const std::wstring& path, const std::wstring& name, int32_t value);
bool ReadRegBool(const std::wstring& path, const std::wstring& name, bool defaultValue);
void WriteRegBool(const std::wstring& path, const std::wstring& name, bool value);
std::wstring ReadRegString(const std::wstring& path, const std::wstring& name, const std::wstring& defaultValue);
void WriteRegString(const std::wstring& path, const std::wstring& name, const std::wstring& value);
void DeleteRegValue(const std::wstring& path, const std::wstring& name);
// Deletes the key (it must have no sub keys); nothing is reported.
void DeleteRegKey(const std::wstring& path);
// The names of the key's values in enumeration order; a name longer than MaxRegText
// characters is left out.
std::vector<std::wstring> RegValueNames(const std::wstring& path);
bool RegKeyExists(const std::wstring& path);

// Tests only: runs before every value write with the key path and value name. It may raise
// to stop a save part way, as a killed process would stop it. nullptr removes it; answers
// the previous one.
using RegistryWriteHook = void (*)(const std::wstring& path, const std::wstring& name);
RegistryWriteHook SetRegistryWriteHook(RegistryWriteHook hook);

// Longest text a read accepts (characters, without the terminating zero).
constexpr size_t MaxRegText = 500;
