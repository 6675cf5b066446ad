// comctl32 loaded at the first call of one of its functions, not at start-up: loading it costs
// about 1.7 MB of private memory under Wine, which a program that only sits in the tray does not
// need. The headers declare these functions as imported, so every call goes through a pointer
// named __imp_<name> (__imp__<name>@<argument bytes> on 32-bit); each pointer starts at a loader
// that looks the function up, puts it in the pointer and calls it, so later calls go straight to
// comctl32.
//
// Written here rather than made by dlltool's delay-import libraries: the 32-bit ones link with
// their loaders left out and every pointer null (binutils 2.40), so the first call jumped to 0.
#include <windows.h>
#include <commctrl.h>
#include "uSystemLibrary.h"

#if defined(__i386__)
#define KORVIX_IMPORT_SYMBOL(name, argumentBytes) "__imp__" #name "@" #argumentBytes
#else
#define KORVIX_IMPORT_SYMBOL(name, argumentBytes) "__imp_" #name
#endif

namespace {
// The system's delay loader raises this exception (VcppException(ERROR_SEVERITY_ERROR,
// ERROR_PROC_NOT_FOUND)) when a function cannot be had; there is no value to return instead.
constexpr DWORD kProcNotFound = 0xC06D007F;

FARPROC Comctl32Proc(const char* name) {
    // The name alone: the program's manifest then gives version 6 of the common controls.
    static const HMODULE comctl32 = LoadSystemLibrary(L"comctl32.dll");
    FARPROC proc = comctl32 ? ::GetProcAddress(comctl32, name) : nullptr;
    if (!proc) ::RaiseException(kProcNotFound, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return proc;
}
}  // namespace

// One imported function: its pointer, under the name the compiler calls through, and its loader.
// Assigning the loader to the pointer checks the parameters against the header's declaration.
#define KORVIX_COMCTL32(result, name, argumentBytes, parameters, arguments)                                    \
    extern "C" decltype(&::name) korvix_imp_##name __asm__(KORVIX_IMPORT_SYMBOL(name, argumentBytes));         \
    namespace {                                                                                                \
    result WINAPI Load_##name parameters {                                                                     \
        korvix_imp_##name = reinterpret_cast<decltype(&::name)>(reinterpret_cast<void*>(Comctl32Proc(#name))); \
        return korvix_imp_##name arguments;                                                                    \
    }                                                                                                          \
    }                                                                                                          \
    decltype(&::name) korvix_imp_##name = &Load_##name;

KORVIX_COMCTL32(BOOL, InitCommonControlsEx, 4, (const INITCOMMONCONTROLSEX* icc), (icc))
KORVIX_COMCTL32(LRESULT, DefSubclassProc, 16, (HWND window, UINT msg, WPARAM wParam, LPARAM lParam),
                (window, msg, wParam, lParam))
KORVIX_COMCTL32(BOOL, SetWindowSubclass, 16, (HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data),
                (window, proc, id, data))
KORVIX_COMCTL32(BOOL, RemoveWindowSubclass, 12, (HWND window, SUBCLASSPROC proc, UINT_PTR id), (window, proc, id))
KORVIX_COMCTL32(HIMAGELIST, ImageList_Create, 20, (int cx, int cy, UINT flags, int initial, int grow),
                (cx, cy, flags, initial, grow))
KORVIX_COMCTL32(BOOL, ImageList_Destroy, 4, (HIMAGELIST list), (list))
KORVIX_COMCTL32(int, ImageList_GetImageCount, 4, (HIMAGELIST list), (list))
KORVIX_COMCTL32(BOOL, ImageList_Remove, 8, (HIMAGELIST list, int index), (list, index))
KORVIX_COMCTL32(int, ImageList_ReplaceIcon, 12, (HIMAGELIST list, int index, HICON icon), (list, index, icon))
