#include "uException.h"
#include <windows.h>

std::wstring SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    if (text.empty()) return L"System error " + std::to_wstring(code);
    return text + L" (" + std::to_wstring(code) + L")";
}

EOSError::EOSError(DWORD code, const std::wstring& context)
    : Exception(context.empty() ? SystemErrorText(code) : context + L": " + SystemErrorText(code)), code_(code) {}

void RaiseLastOSError(const std::wstring& context) { throw EOSError(::GetLastError(), context); }
