// Progress texts and debugger output. TraceHook records nothing by design;
// DebugTrace goes to the system debugger output.
#pragma once
#include <string>

bool TraceHook(const std::wstring& text);
void DebugTrace(const std::wstring& text);
