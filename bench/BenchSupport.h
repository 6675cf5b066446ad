// What the in-process benchmarks share: a precise clock, a message pump, and the process's
// committed private memory.
#pragma once
#include <windows.h>
#include <cstddef>

namespace bench {

inline double Seconds() {
    LARGE_INTEGER f, c;
    ::QueryPerformanceFrequency(&f);
    ::QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

inline void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Committed private memory of the process, region by region (Wine's process counters do
// not follow every commit).
inline size_t PrivateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (auto* at = static_cast<char*>(nullptr); ::VirtualQuery(at, &info, sizeof(info)) == sizeof(info);
         at = static_cast<char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if (static_cast<char*>(info.BaseAddress) + info.RegionSize < at) break;
    }
    return total;
}

}  // namespace bench
