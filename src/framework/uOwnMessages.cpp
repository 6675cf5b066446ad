#include "uOwnMessages.h"
#include "uSystemLibrary.h"

namespace {
// The system's random generator (RtlGenRandom, exported as SystemFunction036); where it is
// missing, the clock, the process and an address stand in, which no other process can
// guess within the few tries a message queue allows.
LPARAM DrawKey() {
    LPARAM key = 0;
    using RandomFunc = BOOLEAN(WINAPI*)(PVOID, ULONG);
    if (HMODULE advapi = LoadSystemLibrary(L"advapi32.dll")) {
        auto random = reinterpret_cast<RandomFunc>(::GetProcAddress(advapi, "SystemFunction036"));
        const bool drawn = random && random(&key, sizeof(key));
        ::FreeLibrary(advapi);
        if (drawn && key != 0) return key;
    }
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    const auto mixed = static_cast<ULONG_PTR>(counter.QuadPart) * 0x9E3779B1u ^ ::GetCurrentProcessId() ^
                       reinterpret_cast<ULONG_PTR>(&counter) ^ ::GetTickCount();
    return static_cast<LPARAM>(mixed | 1);  // 0 is what a forged message carries most often
}
}  // namespace

LPARAM OwnMessageKey() {
    static const LPARAM key = DrawKey();
    return key;
}

bool IsOwnMessage(LPARAM lParam) { return (::InSendMessageEx(nullptr) & ISMEX_SEND) == 0 && lParam == OwnMessageKey(); }
