// korvix_e2e_far_target: the program a Free-and-Run entry launches in the tests.
// The launcher passes no arguments, so it reports next to itself: it writes
// "<its own path>.ran" with the engine process's peak working set at the moment
// it started, which tells the test whether the free-up had already run, and the
// folder it was started in.
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <string.h>

namespace {

unsigned long long EnginePeakWorkingSet() {
    HWND engine = FindWindowA(nullptr, "Memory Engine");
    DWORD pid = 0;
    if (!engine || !GetWindowThreadProcessId(engine, &pid)) return 0;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return 0;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    BOOL ok = GetProcessMemoryInfo(process, &counters, sizeof counters);
    CloseHandle(process);
    return ok ? counters.PeakWorkingSetSize : 0;
}

}  // namespace

int main() {
    char path[MAX_PATH + 8];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    strcat(path, ".ran");
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, folder);
    char text[MAX_PATH + 64];
    int len = snprintf(text, sizeof text, "engine_peak=%llu\ncwd=%s\n", EnginePeakWorkingSet(), folder);
    // Written to a temporary name and renamed, so the test never reads half a file.
    char temp[MAX_PATH + 16];
    snprintf(temp, sizeof temp, "%s.tmp", path);
    HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, text, len, &written, nullptr);
    CloseHandle(file);
    return MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
