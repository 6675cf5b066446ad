#include "uTrace.h"
#include <windows.h>
#include <atomic>

namespace {
std::atomic<DebugTraceSink> g_sink{nullptr};
}

bool TraceHook(const std::wstring&) { return true; }

void DebugTrace(const std::wstring& text) {
    ::OutputDebugStringW(text.c_str());
    if (DebugTraceSink sink = g_sink.load()) sink(text);
}

DebugTraceSink SetDebugTraceSink(DebugTraceSink sink) { return g_sink.exchange(sink); }
