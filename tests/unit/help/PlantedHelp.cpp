// A stand-in help library that a test plants beside the test program as
// "hhctrl.ocx": the program must never load it.
#include <windows.h>

extern "C" __declspec(dllexport) HWND WINAPI HtmlHelpW(HWND, LPCWSTR, UINT, DWORD_PTR) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(0x4B58));
}
