#include "uSystemLibrary.h"
#include <string>
#include <vector>
#include "uHandles.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    // The search flag exists where kernel32 has AddDllDirectory (Windows 8, or 7 with KB2533623);
    // older systems reject it, so they get the full path of the system folder instead.
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel && ::GetProcAddress(kernel, "AddDllDirectory")) {
        return ::LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    wchar_t folder[MAX_PATH];
    UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    std::wstring path(folder, n);
    if (path.back() != L'\\') path += L'\\';
    path += fileName;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void RestrictDllSearch() {
    using SetDirectoriesFunc = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto setDirectories =
        kernel ? reinterpret_cast<SetDirectoriesFunc>(::GetProcAddress(kernel, "SetDefaultDllDirectories")) : nullptr;
    if (setDirectories) setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryW(L"");
}

FARPROC SystemLibraryProc(const wchar_t* fileName, const char* procName) {
    struct Loaded {
        std::wstring name;
        UniqueModule module;
    };
    // Main thread only, like every window; a handful of DLLs at most.
    static std::vector<Loaded> loaded;
    for (const Loaded& entry : loaded) {
        if (entry.name == fileName) return ::GetProcAddress(entry.module.get(), procName);
    }
    UniqueModule module(LoadSystemLibrary(fileName));
    if (!module) return nullptr;
    FARPROC proc = ::GetProcAddress(module.get(), procName);
    loaded.push_back({fileName, std::move(module)});
    return proc;
}
