// Move-only owners for every kind of Win32 handle the program holds, and a
// SelectObject guard that puts the previous object back. Feature code never
// frees a handle by hand.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <utility>

template <typename T, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(T value) noexcept : value_(value) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return Traits::IsValid(value_); }
    T release() noexcept { return std::exchange(value_, Traits::Invalid()); }
    void reset(T value = Traits::Invalid()) noexcept {
        T old = std::exchange(value_, value);
        if (Traits::IsValid(old)) Traits::Close(old);
    }
    // For APIs that write the handle through a pointer; frees what was held.
    T* put() noexcept {
        reset();
        return &value_;
    }

private:
    T value_ = Traits::Invalid();
};

template <typename T, auto CloseFn>
struct NullHandleTraits {
    static constexpr T Invalid() noexcept { return nullptr; }
    static bool IsValid(T h) noexcept { return h != nullptr; }
    static void Close(T h) noexcept { CloseFn(h); }
};

struct KernelHandleTraits {
    static HANDLE Invalid() noexcept { return nullptr; }
    static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};

inline void CloseRegKey(HKEY key) noexcept {
    // The predefined roots are not ours to close.
    if (reinterpret_cast<ULONG_PTR>(key) < reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT)) ::RegCloseKey(key);
}
inline void DeleteGdiObject(HGDIOBJ obj) noexcept { ::DeleteObject(obj); }
inline void ReleaseModuleHandle(HMODULE module) noexcept { ::FreeLibrary(module); }
inline void DestroyIconHandle(HICON icon) noexcept { ::DestroyIcon(icon); }
inline void DeleteMemoryDC(HDC dc) noexcept { ::DeleteDC(dc); }
inline void DestroyWindowHandle(HWND wnd) noexcept { ::DestroyWindow(wnd); }
inline void DestroyMenuHandle(HMENU menu) noexcept { ::DestroyMenu(menu); }
inline void DestroyImageListHandle(HIMAGELIST list) noexcept { ::ImageList_Destroy(list); }

using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueHKey = UniqueHandle<HKEY, NullHandleTraits<HKEY, CloseRegKey>>;
using UniqueModule = UniqueHandle<HMODULE, NullHandleTraits<HMODULE, ReleaseModuleHandle>>;
using UniqueIcon = UniqueHandle<HICON, NullHandleTraits<HICON, DestroyIconHandle>>;
using UniqueMemoryDC = UniqueHandle<HDC, NullHandleTraits<HDC, DeleteMemoryDC>>;
using UniqueWindow = UniqueHandle<HWND, NullHandleTraits<HWND, DestroyWindowHandle>>;
using UniqueMenu = UniqueHandle<HMENU, NullHandleTraits<HMENU, DestroyMenuHandle>>;
using UniqueImageList = UniqueHandle<HIMAGELIST, NullHandleTraits<HIMAGELIST, DestroyImageListHandle>>;
template <typename T>
using UniqueGdi = UniqueHandle<T, NullHandleTraits<T, DeleteGdiObject>>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueFont = UniqueGdi<HFONT>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueBrush = UniqueGdi<HBRUSH>;
// SetWindowRgn takes the region over: release() it into that call.
using UniqueRegion = UniqueGdi<HRGN>;

// A device context obtained with GetDC, released with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND wnd) noexcept : wnd_(wnd), dc_(::GetDC(wnd)) {}
    // `wholeWindow`: the frame as well (GetWindowDC), for drawing a non-client edge.
    WindowDC(HWND wnd, bool wholeWindow) noexcept : wnd_(wnd), dc_(wholeWindow ? ::GetWindowDC(wnd) : ::GetDC(wnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) ::ReleaseDC(wnd_, dc_);
    }
    HDC get() const noexcept { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

// Selects an object into a DC for the guard's lifetime; the previous object goes back first,
// so an owner destroyed afterwards never deletes an object that is still selected.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), previous_(obj ? ::SelectObject(dc, obj) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (previous_) ::SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};
