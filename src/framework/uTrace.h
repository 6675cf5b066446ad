// Progress texts and debugger output. TraceHook records nothing by design;
// DebugTrace goes to the system debugger output.
#pragma once
#include <string>

bool TraceHook(const std::wstring& text);
void DebugTrace(const std::wstring& text);

// Also receives every DebugTrace text, from any thread (tests observe the worker's
// diagnostics with it); nullptr removes it. Answers the previous sink.
using DebugTraceSink = void (*)(const std::wstring& text);
DebugTraceSink SetDebugTraceSink(DebugTraceSink sink);
