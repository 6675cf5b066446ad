#include "uWindow.h"
#include "uApplication.h"
#include "uException.h"

TWindowBase::~TWindowBase() { Destroy(); }

void TWindowBase::Destroy() noexcept {
    // The handle is cleared on WM_NCDESTROY; DestroyWindow of a window already gone does nothing.
    if (hwnd_) ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

void TWindowBase::CreateHandle(const CreateParams& params) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{sizeof(existing)};
    if (!::GetClassInfoExW(instance, params.className, &existing)) {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.style = params.classStyle;
        wc.lpfnWndProc = &TWindowBase::StaticWndProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = params.background;
        wc.lpszClassName = params.className;
        if (!::RegisterClassExW(&wc))
            RaiseLastOSError(L"Cannot register the window class " + std::wstring(params.className));
    }
    HWND hwnd = ::CreateWindowExW(params.exStyle, params.className, params.title, params.style, params.x, params.y,
                                  params.width, params.height, params.parent, nullptr, instance, this);
    if (!hwnd) RaiseLastOSError(L"Cannot create a window of the class " + std::wstring(params.className));
}

LRESULT TWindowBase::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) { return DefaultProc(msg, wParam, lParam); }

LRESULT TWindowBase::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK TWindowBase::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWindowBase* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<TWindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<TWindowBase*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->WndProc(msg, wParam, lParam);
    } catch (...) {
        Application.HandleException(std::current_exception());
    }
    if (msg == WM_NCDESTROY) {
        // The object may outlive its window; it must not be reached through a dead handle.
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}
