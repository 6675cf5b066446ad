// Replaceable readings for the engine's tests: memory status, processor load, clock,
// first command-line parameter, the worker's waits, message boxes, programs started and
// debugger output; and the windows above the engine. Installed by a fixture, restored when
// it ends; the readings are safe to read from a worker thread.
#pragma once
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "engine/uEngineWindows.h"
#include "framework/uClock.h"
#include "support/TestSupport.h"

namespace fakes {

constexpr uint64_t MB = 1048576;

struct Memory {
    static inline std::atomic<uint64_t> totalPhys{1024 * MB};
    static inline std::atomic<uint64_t> availPhys{512 * MB};
    static inline std::atomic<uint64_t> availCommit{1024 * MB};
    static inline std::atomic<bool> fails{false};  // every reading fails
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
    HWND owner = nullptr;
};
struct Boxes {
    static inline std::vector<Box> shown;
    // Runs while a box is "open" (a real box runs a message loop meanwhile).
    static inline std::function<void(const Box&)> whileOpen;
};

// The worker's one-second waits. Instant: each passes at once. Held: each lasts until the
// worker is stopped or the test lets waits pass with Release.
struct Waits {
    static void Hold();
    static void Release(int count);
    static inline std::atomic<int> started{0};
};

// Releases of free-up blocks: with a code set, every release gives the block back and then
// reports failure with that code, as a release the system refused would.
// The largest block given back (decommitted) so far shows what was committed.
struct Release {
    static inline std::atomic<DWORD> failWith{0};
    static inline std::atomic<SIZE_T> largestDecommit{0};
};

// The programs the shell was asked to start (main thread only).
struct Shell {
    static inline std::vector<std::wstring> opened;
    static inline std::vector<std::wstring> folders;  // the working folder of each
    static inline DWORD result = 0;                   // what the shell answers: 0 started
    // Runs inside the shell's call (a real shell may run a message loop meanwhile).
    static inline std::function<void()> whileOpening;
};

// Stands for the main window: counts the requests to close it.
class MainWindow : public TWindowBase {
public:
    MainWindow();
    int closeRequests = 0;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// The windows above the engine: what the engine asked of them.
class Windows : public IEngineWindows {
public:
    int mainWindowRequests = 0;
    int chartRepaints = 0;
    int freeAndRunDialogs = 0;
    int frees = 0;
    std::vector<std::wstring> statusLines;
    std::unique_ptr<MainWindow> mainWindow;

    HWND ShowMainWindow() override;
    HWND FindMainWindow() override { return mainWindow ? mainWindow->Handle() : nullptr; }
    void ShowStatusLine(const std::wstring& line) override { statusLines.push_back(line); }
    void RepaintCharts() override { ++chartRepaints; }
    void ShowFreeAndRunDialog() override { ++freeAndRunDialogs; }
    void FreeWindows() override;
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
