#include "EngineFakes.h"
#include <cmath>
#include <stdexcept>
#include "framework/uCommandLine.h"
#include "framework/uException.h"
#include "framework/uMessageBox.h"
#include "framework/uTrace.h"
#include "legacy/uGlobals.h"
#include "probes/jovCPUUsage.h"

namespace fakes {
namespace {

bool ReadMemory(MemoryStatus& status) {
    status = {};
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

int RecordBox(HWND, const std::wstring& text, const std::wstring& caption, UINT type) {
    Boxes::shown.push_back({text, caption, type});
    return IDOK;
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
    Cpu::Set({0.0});
    Clock::now = 45000.5;
    CommandLine::first.clear();
    Boxes::shown.clear();
    Trace::Take();
    SetMemoryStatusSource(&ReadMemory);
    SetCpuReadSource(&ReadCpu);
    SetNowSource(&ReadClock);
    SetFirstParameterSource(&ReadFirstParameter);
    SetMessageBoxFunc(&RecordBox);
    SetDebugTraceSink(&RecordTrace);
}

Installed::~Installed() {
    SetDebugTraceSink(nullptr);
    SetMessageBoxFunc(nullptr);
    SetFirstParameterSource(nullptr);
    SetNowSource(nullptr);
    SetCpuReadSource(nullptr);
    SetMemoryStatusSource(nullptr);
}

}  // namespace fakes
