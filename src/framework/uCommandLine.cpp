#include "uCommandLine.h"
#include <windows.h>
#include <shellapi.h>

namespace {
FirstParameterFunc g_source = nullptr;

std::wstring SystemFirstParameter() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::wstring first = argv && argc > 1 ? argv[1] : L"";
    ::LocalFree(argv);
    return first;
}
}  // namespace

std::wstring FirstParameter() { return g_source ? g_source() : SystemFirstParameter(); }

FirstParameterFunc SetFirstParameterSource(FirstParameterFunc source) {
    FirstParameterFunc previous = g_source;
    g_source = source;
    return previous;
}
