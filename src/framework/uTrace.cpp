#include "uTrace.h"
#include <windows.h>

bool TraceHook(const std::wstring&) { return true; }

void DebugTrace(const std::wstring& text) { ::OutputDebugStringW(text.c_str()); }
