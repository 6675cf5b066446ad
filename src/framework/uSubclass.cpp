#include "uSubclass.h"
#include <commctrl.h>
#include "uApplication.h"

TWindowSubclass::~TWindowSubclass() { Detach(); }

bool TWindowSubclass::Attach(HWND window, UINT_PTR id) {
    Detach();
    if (id == 0) id = reinterpret_cast<UINT_PTR>(this);
    if (!window || !::SetWindowSubclass(window, &StaticProc, id, reinterpret_cast<DWORD_PTR>(this))) return false;
    window_ = window;
    id_ = id;
    return true;
}

void TWindowSubclass::Detach() noexcept {
    if (window_) ::RemoveWindowSubclass(window_, &StaticProc, id_);
    window_ = nullptr;
}

namespace {
// GetWindowSubclass is exported by name only from comctl32 version 6 (and missing from the
// 64-bit import library); ordinal 411 has it in every version that subclasses.
using GetWindowSubclassFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);
// comctl32 is delay-loaded: until a subclass has been set it may not be loaded at all, and
// then no window can be subclassed either; only an entry found is kept.
GetWindowSubclassFn GetWindowSubclassEntry() {
    static GetWindowSubclassFn entry = nullptr;
    if (!entry) {
        HMODULE comctl32 = ::GetModuleHandleW(L"comctl32.dll");
        if (comctl32)
            entry = reinterpret_cast<GetWindowSubclassFn>(
                reinterpret_cast<void*>(::GetProcAddress(comctl32, MAKEINTRESOURCEA(411))));
    }
    return entry;
}
}  // namespace

TWindowSubclass* TWindowSubclass::Find(HWND window, UINT_PTR id) {
    DWORD_PTR self = 0;
    GetWindowSubclassFn getWindowSubclass = GetWindowSubclassEntry();
    if (!window || !getWindowSubclass || !getWindowSubclass(window, &StaticProc, id, &self)) return nullptr;
    return reinterpret_cast<TWindowSubclass*>(self);
}

LRESULT TWindowSubclass::SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(msg, wParam, lParam);
}

LRESULT TWindowSubclass::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(window_, msg, wParam, lParam);
}

LRESULT CALLBACK TWindowSubclass::StaticProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR self) {
    auto* subclass = reinterpret_cast<TWindowSubclass*>(self);
    LRESULT result = 0;
    try {
        result = subclass->SubclassProc(msg, wParam, lParam);
    } catch (...) {
        Application.HandleException(std::current_exception());
    }
    // The window goes: nothing of it may be reached through this object afterwards.
    if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, &StaticProc, subclass->id_);
        subclass->window_ = nullptr;
    }
    return result;
}
