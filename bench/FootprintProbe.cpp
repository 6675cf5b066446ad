// footprint_probe PID [gui]: what a process costs the system, as other processes see it, on
// one line of name=value pairs (bytes and counts):
//   private        private memory: PrivateUsage (under Wine: its resident anonymous pages)
//   committed      committed private memory, summed over the address space (MEM_PRIVATE)
//   image          committed image memory (the program and its DLLs, mostly shared)
//   working_set, peak_working_set
//   handles        kernel handles (the system's handle list; GetProcessHandleCount answers 0
//                  for another process under Wine)
//   gdi, user      with "gui" only: GDI and USER objects. GetGuiResources answers 0 under Wine,
//                  so footprint_count.dll (beside this program) is loaded into the process and
//                  counts them from inside; that costs the process memory, so ask last.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <psapi.h>
#include <string>
#include <vector>
#include <winternl.h>

namespace {

struct HandleEntry {
    ULONG ownerPid;
    BYTE type;
    BYTE flags;
    USHORT value;
    void* object;
    ACCESS_MASK access;
};
struct HandleList {
    ULONG count;
    HandleEntry entries[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
using QuerySystemInformation = NTSTATUS(NTAPI*)(ULONG, void*, ULONG, ULONG*);

long KernelHandles(HANDLE process, DWORD pid) {
    DWORD count = 0;
    if (::GetProcessHandleCount(process, &count) && count > 0) return static_cast<long>(count);
    auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    std::vector<BYTE> buffer(1 << 16);
    NTSTATUS status;
    while ((status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), nullptr)) ==
           kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0) return -1;
    auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    long n = 0;
    for (ULONG i = 0; i < list->count; ++i)
        if (list->entries[i].ownerPid == pid) ++n;
    return n;
}

struct Commit {
    unsigned long long privateBytes = 0;
    unsigned long long imageBytes = 0;
};

Commit CommittedMemory(HANDLE process) {
    Commit commit;
    MEMORY_BASIC_INFORMATION info;
    for (const char* at = nullptr; ::VirtualQueryEx(process, at, &info, sizeof info) == sizeof info;) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) commit.privateBytes += info.RegionSize;
        if (info.State == MEM_COMMIT && info.Type == MEM_IMAGE) commit.imageBytes += info.RegionSize;
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return commit;
}

// Runs routine(argument) on a new thread of the process; the thread's exit code, or -1.
long RunRemote(HANDLE process, const void* routine, void* argument) {
    HANDLE thread =
        ::CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(const_cast<void*>(routine)),
                             argument, 0, nullptr);
    if (!thread) return -1;
    DWORD code = 0;
    bool done = ::WaitForSingleObject(thread, 60000) == WAIT_OBJECT_0 && ::GetExitCodeThread(thread, &code);
    ::CloseHandle(thread);
    return done ? static_cast<long>(code) : -1;
}

// Loads footprint_count.dll into the process and runs its counters there. Kernel32 is at the
// same address in every process of a session, so its LoadLibraryW and FreeLibrary are too.
bool CountInside(HANDLE process, long& gdi, long& user) {
    wchar_t dll[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, dll, MAX_PATH);
    std::wstring path(dll, length);
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"footprint_count.dll";
    HMODULE local = ::LoadLibraryW(path.c_str());
    if (!local) return false;
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const void* loadLibrary = reinterpret_cast<const void*>(::GetProcAddress(kernel, "LoadLibraryW"));
    const void* freeLibrary = reinterpret_cast<const void*>(::GetProcAddress(kernel, "FreeLibrary"));
    SIZE_T bytes = (path.size() + 1) * sizeof(wchar_t);
    void* remotePath = ::VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    bool ok = false;
    if (remotePath && ::WriteProcessMemory(process, remotePath, path.c_str(), bytes, nullptr)) {
        // A 32-bit module handle fits the exit code.
        long remote = RunRemote(process, loadLibrary, remotePath);
        if (remote > 0) {
            auto at = [&](const char* name) {
                auto offset =
                    reinterpret_cast<const char*>(::GetProcAddress(local, name)) - reinterpret_cast<const char*>(local);
                return reinterpret_cast<const char*>(static_cast<ULONG_PTR>(remote)) + offset;
            };
            gdi = RunRemote(process, at("CountGdi"), nullptr);
            user = RunRemote(process, at("CountUser"), nullptr);
            RunRemote(process, freeLibrary, reinterpret_cast<void*>(static_cast<ULONG_PTR>(remote)));
            ok = gdi >= 0 && user >= 0;
        }
    }
    if (remotePath) ::VirtualFreeEx(process, remotePath, 0, MEM_RELEASE);
    ::FreeLibrary(local);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: footprint_probe PID [gui]\n");
        return 64;
    }
    DWORD pid = std::strtoul(argv[1], nullptr, 0);
    bool gui = argc > 2 && std::strcmp(argv[2], "gui") == 0;
    HANDLE process = ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    if (!process) {
        std::printf("error=noprocess\n");
        return 1;
    }
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    ::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    // Wine leaves PrivateUsage 0 and reports the same figure as PagefileUsage.
    SIZE_T privateUsage = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    Commit commit = CommittedMemory(process);
    std::printf("private=%llu committed=%llu image=%llu working_set=%llu peak_working_set=%llu handles=%ld",
                static_cast<unsigned long long>(privateUsage), commit.privateBytes, commit.imageBytes,
                static_cast<unsigned long long>(memory.WorkingSetSize),
                static_cast<unsigned long long>(memory.PeakWorkingSetSize), KernelHandles(process, pid));
    if (gui) {
        long gdi = static_cast<long>(::GetGuiResources(process, GR_GDIOBJECTS));
        long user = static_cast<long>(::GetGuiResources(process, GR_USEROBJECTS));
        if ((gdi == 0 || user == 0) && !CountInside(process, gdi, user)) gdi = user = -1;
        std::printf(" gdi=%ld user=%ld", gdi, user);
    }
    std::printf("\n");
    ::CloseHandle(process);
    return 0;
}
