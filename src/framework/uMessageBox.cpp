#include "uMessageBox.h"

namespace {
MessageBoxFunc g_messageBox = nullptr;
}

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    if (g_messageBox) return g_messageBox(owner, text, caption, type);
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

MessageBoxFunc SetMessageBoxFunc(MessageBoxFunc func) {
    MessageBoxFunc previous = g_messageBox;
    g_messageBox = func;
    return previous;
}
