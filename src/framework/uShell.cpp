#include "uShell.h"
#include <windows.h>
#include <shellapi.h>

namespace {
ShellOpenFunc g_func = nullptr;
}

bool ShellOpen(const std::wstring& file) {
    if (g_func) return g_func(file);
    auto result = reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, nullptr, file.c_str(), nullptr, nullptr, SW_SHOW));
    return result > 32;
}

ShellOpenFunc SetShellOpenFunc(ShellOpenFunc func) {
    ShellOpenFunc previous = g_func;
    g_func = func;
    return previous;
}
