// The program's private window messages (WM_USER + n) and the engine's signature.
// One table: every unit uses these names and numbers.
#pragma once
#include <windows.h>

enum : UINT {
    WM_OPTIONSCHANGED = WM_USER + 10,
    WM_TRAYICONCALLBACK = WM_USER + 11,
    WM_FREEUPFINISHED = WM_USER + 12,
    WM_LAUNCHSTART = WM_USER + 13,
    WM_FREEUPREQUEST = WM_USER + 14,
    WM_FREEUPFATAL = WM_USER + 15,
    WM_FREEUPIDLEWAIT = WM_USER + 16,
    WM_FREEUPPROGRESS = WM_USER + 17,
    WM_FREEUPCPULOAD = WM_USER + 18,
    WM_SWITCHSKIN = WM_USER + 19,
    WM_ENGINEIDENTIFY = WM_USER + 20,
    WM_ENGINEACTIVATE = WM_USER + 21,
    WM_HOTKEYSRELEASE = WM_USER + 24,
    WM_HOTKEYSRESTORE = WM_USER + 25,
    WM_FREEUPPREWAIT = WM_USER + 26,
    WM_FREEUPENDED = WM_USER + 27,
    WM_ENGINECLOSE = WM_USER + 28,
    WM_FREEUPERROR = WM_USER + 29,
};

// The engine window's answer to WM_ENGINEIDENTIFY; tells it from any other "Memory Engine".
constexpr LRESULT EngineSignature = 140971;
constexpr const wchar_t* EngineWindowTitle = L"Memory Engine";

// Product texts shared by message boxes and the application title.
constexpr const wchar_t* ProductName = L"Korvix Professional";
