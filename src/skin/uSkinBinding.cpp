#include "skin/uSkinBinding.h"
#include <windows.h>
#include <algorithm>
#include "framework/uApplication.h"

namespace {
// Our subclass id: one per window and binding.
constexpr UINT_PTR SubclassId = 0x4B534B4E;
}  // namespace

TSkinBinding::TSkinBinding(HWND window, std::shared_ptr<TSkinPainter> painter, TSkinEventSink sink)
    : window_(window), painter_(std::move(painter)), sink_(std::move(sink)) {}

TSkinBinding::~TSkinBinding() {
    if (tree_) tree_->alive = false;
}

void TSkinBinding::Attach() { TSkinSubclass::Attach(window_, SubclassId); }

void TSkinBinding::WindowDestroyed() noexcept {
    if (tree_) tree_->alive = false;
    try {
        if (sink_.windowDestroyed) sink_.windowDestroyed(window_);  // frees this binding
    } catch (...) {
        ReportSkinFailure(nullptr, WM_NCDESTROY, std::current_exception());
    }
}

int SkinMessageDpi(WPARAM wParam) { return std::clamp<int>(HIWORD(wParam), 72, 480); }

void ReportSkinHandlerError(TSkin* skin, std::exception_ptr error) noexcept {
    try {
        if (skin && skin->OnError) {
            try {
                std::rethrow_exception(error);
            } catch (const Exception& e) {
                skin->OnError(e);
                return;
            } catch (...) {}
        }
    } catch (...) {
        // OnError failed itself: what it was told reaches the sink below.
    }
    Application.HandleException(std::move(error));
}
