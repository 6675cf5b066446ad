#include "uText.h"
#include <windows.h>
#include <vector>

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring UpperCase(std::wstring text) {
    if (!text.empty()) ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::wstring ReplaceAll(std::wstring text, const std::wstring& placeholder, const std::wstring& value) {
    if (placeholder.empty()) return text;
    for (size_t pos = text.find(placeholder); pos != std::wstring::npos;
         pos = text.find(placeholder, pos + value.size())) {
        text.replace(pos, placeholder.size(), value);
    }
    return text;
}

std::wstring FormatText(const std::wstring& pattern, std::initializer_list<std::wstring> values) {
    std::wstring text;
    text.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t next = i + 1 < pattern.size() ? pattern[i + 1] : 0;
        const size_t n = pattern[i] == L'%' && next >= L'1' && next <= L'9' ? size_t(next - L'1') : values.size();
        if (n < values.size()) {
            text += values.begin()[n];
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

std::wstring ProgramPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2);  // long paths are truncated silently otherwise
    }
}

std::wstring ProgramFolder() {
    std::wstring path = ProgramPath();
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".\\") : path.substr(0, slash + 1);
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
