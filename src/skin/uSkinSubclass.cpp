#include "skin/uSkinSubclass.h"
#include <commctrl.h>
#include <string>
#include <utility>
#include "framework/uApplication.h"
#include "framework/uTrace.h"
#include "framework/uWindow.h"
#include "skin/uSkinTypes.h"

namespace {
TSkinFaultHook g_faultHook = nullptr;

// The failure told last, by procedure and message: the same one again is traced until that
// procedure has handled that message without failing. (Only compared, never followed: the
// procedure's object may be gone.)
struct TToldFailure {
    const void* who = nullptr;
    UINT msg = 0;
} g_told;
}  // namespace

TSkinSubclass::~TSkinSubclass() { Detach(); }

void TSkinSubclass::Attach(HWND window, UINT_PTR id) {
    Detach();
    if (!::SetWindowSubclass(window, &TSkinSubclass::Thunk, id, reinterpret_cast<DWORD_PTR>(this)))
        throw ESkinError(L"Cannot draw the window with the skin (subclassing failed)");
    window_ = window;
    id_ = id;
}

void TSkinSubclass::Detach() noexcept {
    if (window_) ::RemoveWindowSubclass(window_, &TSkinSubclass::Thunk, id_);
    window_ = nullptr;
}

LRESULT TSkinSubclass::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(window_, msg, wParam, lParam);
}

LRESULT CALLBACK TSkinSubclass::Thunk(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<TSkinSubclass*>(data);
    if (msg == WM_NCDESTROY) {
        LRESULT result = ::DefSubclassProc(window, msg, wParam, lParam);
        ::RemoveWindowSubclass(window, &TSkinSubclass::Thunk, id);
        self->window_ = nullptr;
        self->WindowDestroyed();  // may free self
        return result;
    }
    // Pointers in messages from another thread or process mean nothing here: such a message
    // goes on to the window's own procedure, which checks it as the framework does.
    if ((msg == WM_NOTIFY || msg == WM_DRAWITEM || msg == WM_DPICHANGED) && SentByAnotherThread())
        return ::DefSubclassProc(window, msg, wParam, lParam);
    try {
        if (g_faultHook) g_faultHook(self->Place(), msg);
        // The handler may free this object (an event handler unskins the window): nothing of
        // it is touched after the call.
        LRESULT result = self->Handle(msg, wParam, lParam);
        if (g_told.who == self && g_told.msg == msg) g_told = {};
        return result;
    } catch (...) {
        // Painting stopped half-way: the area counts as painted, or the system would ask again
        // at once and for ever.
        if (msg == WM_PAINT) ::ValidateRect(window, nullptr);
        ReportSkinFailure(self, msg, std::current_exception());
    }
    return 0;
}

void ReportSkinFailure(const void* who, UINT msg, std::exception_ptr error) noexcept {
    if (who && g_told.who == who && g_told.msg == msg) {
        try {
            TExceptionInfo info = TApplication::Describe(error);
            DebugTrace(L"Skin, again: " + info.ClassName + L": " + info.Message);
        } catch (...) {}
        return;
    }
    g_told = {who, msg};
    Application.HandleException(std::move(error));
}

TSkinFaultHook SetSkinFaultHook(TSkinFaultHook hook) noexcept { return std::exchange(g_faultHook, hook); }

void SkinFaultPoint(const char* place, UINT msg) {
    if (g_faultHook) g_faultHook(place, msg);
}
