// Message boxes shown by the program itself, with a replaceable implementation so
// tests can see what would be shown without a modal box blocking them.
#pragma once
#include <windows.h>
#include <string>

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);
using MessageBoxFunc = int (*)(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);
// nullptr restores MessageBoxW; answers the previous implementation.
MessageBoxFunc SetMessageBoxFunc(MessageBoxFunc func);
