#include "uMessageBox.h"

namespace {
MessageBoxFunc g_func = nullptr;
}

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    if (g_func) return g_func(owner, text, caption, type);
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

MessageBoxFunc SetMessageBoxFunc(MessageBoxFunc func) {
    MessageBoxFunc previous = g_func;
    g_func = func;
    return previous;
}
