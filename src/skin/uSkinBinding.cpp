#include "skin/uSkinBinding.h"
#include <windows.h>
#include <commctrl.h>

namespace {
// Our subclass id: one per window and binding.
constexpr UINT_PTR SubclassId = 0x4B534B4E;
}  // namespace

TSkinBinding::TSkinBinding(HWND window, std::shared_ptr<TSkinPainter> painter, TSkinEventSink sink)
    : window_(window), painter_(std::move(painter)), sink_(std::move(sink)) {}

TSkinBinding::~TSkinBinding() {
    if (tree_) tree_->alive = false;
    if (attached_) ::RemoveWindowSubclass(window_, &TSkinBinding::SubclassProc, SubclassId);
}

void TSkinBinding::Attach() {
    if (!::SetWindowSubclass(window_, &TSkinBinding::SubclassProc, SubclassId, reinterpret_cast<DWORD_PTR>(this)))
        throw ESkinError(L"Cannot draw the window with the skin (subclassing failed)");
    attached_ = true;
}

LRESULT TSkinBinding::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(window_, msg, wParam, lParam);
}

void TSkinBinding::NotifyDestroyed() {
    ::RemoveWindowSubclass(window_, &TSkinBinding::SubclassProc, SubclassId);
    attached_ = false;
    if (tree_) tree_->alive = false;
    if (sink_.windowDestroyed) sink_.windowDestroyed(window_);  // frees this binding
}

LRESULT CALLBACK TSkinBinding::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR data) {
    auto* self = reinterpret_cast<TSkinBinding*>(data);
    if (msg == WM_NCDESTROY) {
        LRESULT result = ::DefSubclassProc(hwnd, msg, wParam, lParam);
        self->NotifyDestroyed();
        return result;
    }
    // Nothing escapes a window procedure: an error of the skin's drawing leaves the message
    // to the window's own procedure.
    try {
        return self->WndProc(msg, wParam, lParam);
    } catch (const Exception&) {
    } catch (const std::exception&) {}
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}
