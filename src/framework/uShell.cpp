#include "uShell.h"
#include <objbase.h>
#include <shellapi.h>

namespace {
ShellOpenFunc g_func = nullptr;
bool g_comEntered = false;
}  // namespace

DWORD ShellOpen(const std::wstring& file, const std::wstring& folder) {
    if (g_func) return g_func(file, folder);
    EnterComApartment();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpFile = file.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOW;
    if (::ShellExecuteExW(&info)) return 0;
    DWORD code = ::GetLastError();
    return code ? code : ERROR_FILE_NOT_FOUND;
}

ShellOpenFunc SetShellOpenFunc(ShellOpenFunc func) {
    ShellOpenFunc previous = g_func;
    g_func = func;
    return previous;
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    // "C:\x.exe" runs in "C:\", not in the drive's current folder "C:".
    if (slash == 2 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, slash);
}

void EnterComApartment() {
    if (g_comEntered) return;
    // S_FALSE (already joined) must be paired with an uninitialise as well.
    g_comEntered = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

void LeaveComApartment() {
    if (!g_comEntered) return;
    g_comEntered = false;
    ::CoUninitialize();
}
