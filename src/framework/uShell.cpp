#include "uShell.h"
#include <objbase.h>
#include <shellapi.h>
#include "uSystemLibrary.h"

namespace {
ShellOpenFunc g_shellOpen = nullptr;
bool g_comEntered = false;
}  // namespace

DWORD ShellOpen(const std::wstring& file, const std::wstring& folder) {
    if (g_shellOpen) return g_shellOpen(file, folder);
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
    ShellOpenFunc previous = g_shellOpen;
    g_shellOpen = func;
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
    using InitializeFn = HRESULT(WINAPI*)(void*, DWORD);
    const auto initialize = SystemLibraryFunction<InitializeFn>(L"ole32.dll", "CoInitializeEx");
    g_comEntered = initialize && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

void LeaveComApartment() {
    if (!g_comEntered) return;
    g_comEntered = false;
    using UninitializeFn = void(WINAPI*)();
    // Entered means ole32 is loaded and stays so.
    if (const auto uninitialize = SystemLibraryFunction<UninitializeFn>(L"ole32.dll", "CoUninitialize")) uninitialize();
}
