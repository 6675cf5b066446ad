#include "EngineFakes.h"
#include <cmath>
#include <stdexcept>
#include "engine/uFreeThread.h"
#include "framework/uCommandLine.h"
#include "framework/uException.h"
#include "framework/uHandles.h"
#include "framework/uMessageBox.h"
#include "framework/uShell.h"
#include "framework/uThread.h"
#include "framework/uTrace.h"
#include "legacy/uGlobals.h"
#include "probes/jovCPUUsage.h"

namespace fakes {
namespace {

bool ReadMemory(MemoryStatus& status) {
    status = {};
    if (Memory::fails) return false;
    status.TotalPhys = Memory::totalPhys;
    status.AvailPhys = Memory::availPhys;
    status.TotalPageFile = 2 * Memory::totalPhys;
    status.AvailPageFile = Memory::availCommit;
    status.TotalVirtual = status.AvailVirtual = 2048 * MB;
    return true;
}

double ReadCpu() {
    std::lock_guard guard(Cpu::lock);
    double load = Cpu::loads[Cpu::next < Cpu::loads.size() ? Cpu::next : Cpu::loads.size() - 1];
    ++Cpu::next;
    if (std::isnan(load)) throw std::runtime_error("not ours");
    if (load < 0) throw EOSError(L"counter vanished");
    return load;
}

TDateTime ReadClock() { return Clock::now; }
std::wstring ReadFirstParameter() { return CommandLine::first; }

int RecordBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    Boxes::shown.push_back({text, caption, type, owner});
    if (Boxes::whileOpen) Boxes::whileOpen(Boxes::shown.back());
    return IDOK;
}

DWORD RecordShellOpen(const std::wstring& file, const std::wstring& folder) {
    Shell::opened.push_back(file);
    Shell::folders.push_back(folder);
    if (Shell::whileOpening) Shell::whileOpening();
    return Shell::result;
}

std::atomic<bool> g_waitsHeld{false};
UniqueKernelHandle g_waitGate;

bool FakeWait(HANDLE stopEvent, DWORD) {
    ++Waits::started;
    if (!g_waitsHeld) return ::WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0;
    HANDLE both[] = {stopEvent, g_waitGate.get()};
    return ::WaitForMultipleObjects(2, both, FALSE, INFINITE) == WAIT_OBJECT_0;
}

BOOL WINAPI FakeVirtualFree(LPVOID address, SIZE_T size, DWORD freeType) {
    if (freeType == MEM_DECOMMIT && size > Release::largestDecommit) Release::largestDecommit = size;
    BOOL done = ::VirtualFree(address, size, freeType);
    if (DWORD code = Release::failWith; code != 0 && freeType == MEM_RELEASE) {
        ::SetLastError(code);
        return FALSE;
    }
    return done;
}

void RecordTrace(const std::wstring& text) {
    std::lock_guard guard(Trace::lock);
    Trace::lines.push_back(text);
}

}  // namespace

void Cpu::Set(std::vector<double> values) {
    std::lock_guard guard(lock);
    loads = std::move(values);
    next = 0;
}

void Waits::Hold() { g_waitsHeld = true; }

void Waits::Release(int count) { ::ReleaseSemaphore(g_waitGate.get(), count, nullptr); }

MainWindow::MainWindow() { CreateHandle({.className = L"KorvixTestMainWindow", .style = WS_POPUP}); }

LRESULT MainWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_CLOSE) return DefaultProc(msg, wParam, lParam);
    ++closeRequests;
    return 0;
}

HWND Windows::ShowMainWindow() {
    ++mainWindowRequests;
    if (!mainWindow) mainWindow = std::make_unique<MainWindow>();
    return mainWindow->Handle();
}

void Windows::FreeWindows() {
    ++frees;
    mainWindow.reset();
}

std::vector<std::wstring> Trace::Take() {
    std::lock_guard guard(lock);
    std::vector<std::wstring> out;
    out.swap(lines);
    return out;
}

Installed::Installed() {
    Memory::totalPhys = 1024 * MB;
    Memory::availPhys = 512 * MB;
    Memory::availCommit = 1024 * MB;
    Memory::fails = false;
    Cpu::Set({0.0});
    Clock::now = 45000.5;
    CommandLine::first.clear();
    Boxes::shown.clear();
    Boxes::whileOpen = nullptr;
    Shell::opened.clear();
    Shell::folders.clear();
    Shell::result = 0;
    Shell::whileOpening = nullptr;
    Waits::started = 0;
    g_waitsHeld = false;
    g_waitGate.reset(::CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr));
    Release::failWith = 0;
    Release::largestDecommit = 0;
    Trace::Take();
    SetMemoryStatusSource(&ReadMemory);
    SetCpuReadSource(&ReadCpu);
    SetNowSource(&ReadClock);
    SetFirstParameterSource(&ReadFirstParameter);
    SetMessageBoxFunc(&RecordBox);
    SetShellOpenFunc(&RecordShellOpen);
    SetStopWaitSource(&FakeWait);
    SetDebugTraceSink(&RecordTrace);
    SetVirtualFreeSource(&FakeVirtualFree);
}

Installed::~Installed() {
    SetVirtualFreeSource(nullptr);
    SetDebugTraceSink(nullptr);
    SetStopWaitSource(nullptr);
    SetShellOpenFunc(nullptr);
    SetMessageBoxFunc(nullptr);
    Boxes::whileOpen = nullptr;
    SetFirstParameterSource(nullptr);
    SetNowSource(nullptr);
    SetCpuReadSource(nullptr);
    SetMemoryStatusSource(nullptr);
}

}  // namespace fakes
