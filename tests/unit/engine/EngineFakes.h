// Replaceable readings for the engine's tests: memory status, processor load, clock,
// first command-line parameter, message boxes and debugger output. Installed by a
// fixture, restored when it ends; safe to read from a worker thread.
#pragma once
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>
#include "framework/uClock.h"

namespace fakes {

constexpr uint64_t MB = 1048576;

struct Memory {
    static inline std::atomic<uint64_t> totalPhys{1024 * MB};
    static inline std::atomic<uint64_t> availPhys{512 * MB};
    static inline std::atomic<uint64_t> availCommit{1024 * MB};
};

// Loads in order, the last one repeated; a negative entry throws a framework exception,
// NaN throws something else.
struct Cpu {
    static inline std::mutex lock;
    static inline std::vector<double> loads{0.0};
    static inline size_t next = 0;
    static void Set(std::vector<double> values);
};

struct Clock {
    static inline std::atomic<double> now{45000.5};  // a plain date at noon
};

struct CommandLine {
    static inline std::wstring first;
};

struct Box {
    std::wstring text, caption;
    UINT type;
};
struct Boxes {
    static inline std::vector<Box> shown;
};

struct Trace {
    static inline std::mutex lock;
    static inline std::vector<std::wstring> lines;
    static std::vector<std::wstring> Take();
};

// Installs every fake for its lifetime.
class Installed {
public:
    Installed();
    ~Installed();
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;
};

}  // namespace fakes
