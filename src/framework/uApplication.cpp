#include "uApplication.h"
#include <algorithm>
#include "uException.h"

TApplication Application;

namespace {
// Posted to the application window to destroy a released form outside its own handlers.
constexpr UINT WM_RELEASEFORM = WM_APP + 1;
}  // namespace

class TApplication::AppWindow : public TWindowBase {
public:
    explicit AppWindow(TApplication& app) : app_(app) {
        // A captioned, never-positioned top-level window: showing it shows the taskbar button.
        CreateHandle({.className = L"KorvixApplication",
                      .title = app.title_.c_str(),
                      .style = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                      .x = ::GetSystemMetrics(SM_CXSCREEN) / 2,
                      .y = ::GetSystemMetrics(SM_CYSCREEN) / 2});
    }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
            case WM_RELEASEFORM: app_.DestroyForm(reinterpret_cast<TForm*>(lParam)); return 0;
            case WM_CLOSE:
                if (app_.mainForm_) app_.mainForm_->Close();
                return 0;
            case WM_QUERYENDSESSION: return TRUE;  // never refuse a logoff
        }
        return DefaultProc(msg, wParam, lParam);
    }

private:
    TApplication& app_;
};

HWND TApplication::Handle() const noexcept { return window_ ? window_->Handle() : nullptr; }

void TApplication::Initialize() {
    if (!window_) window_ = std::make_unique<AppWindow>(*this);
    terminated_ = false;
}

void TApplication::SetTitle(const std::wstring& title) {
    title_ = title;
    if (Handle()) ::SetWindowTextW(Handle(), title_.c_str());
}

void TApplication::Adopt(std::unique_ptr<TForm> form) {
    TForm* raw = form.get();
    forms_.push_back(std::move(form));
    if (!mainForm_) mainForm_ = raw;
    raw->CreateHandle(raw->FormParams());
    raw->FormCreate();
}

std::vector<TForm*> TApplication::Forms() const {
    std::vector<TForm*> out;
    for (const auto& form : forms_) out.push_back(form.get());
    return out;
}

void TApplication::DestroyForm(TForm* form) {
    auto it = std::find_if(forms_.begin(), forms_.end(), [form](const auto& f) { return f.get() == form; });
    if (it == forms_.end()) return;  // already gone (released twice, or destroyed at shutdown)
    std::unique_ptr<TForm> owned = std::move(*it);
    forms_.erase(it);
    if (mainForm_ == form) mainForm_ = nullptr;
    owned->FormDestroy();
    owned->DestroyHandle();
}

void TApplication::ReleaseForm(TForm* form) {
    if (Handle()) {
        ::PostMessageW(Handle(), WM_RELEASEFORM, 0, reinterpret_cast<LPARAM>(form));
    } else {
        DestroyForm(form);
    }
}

int TApplication::AddMessageHook(MessageHook hook) {
    hooks_.emplace_back(nextHookId_, std::move(hook));
    return nextHookId_++;
}

void TApplication::RemoveMessageHook(int id) {
    std::erase_if(hooks_, [id](const auto& h) { return h.first == id; });
}

void TApplication::HandleMessage(MSG& msg) {
    bool handled = false;
    // A copy: a hook may add or remove hooks while it runs.
    auto hooks = hooks_;
    for (auto& [id, hook] : hooks) {
        try {
            hook(msg, handled);
        } catch (...) {
            // No exception leaves a hook: the loop must keep running.
        }
    }
    if (handled) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

void TApplication::Run() {
    MSG msg;
    while (!terminated_) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        HandleMessage(msg);
    }
    terminated_ = true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        HandleMessage(msg);
    }
}

void TApplication::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    ::PostQuitMessage(0);
}

void TApplication::BringToFront() {
    HWND target = ::GetLastActivePopup(Handle());
    if (target && ::IsWindowVisible(target)) ::SetForegroundWindow(target);
}

void TApplication::Shutdown() {
    while (!forms_.empty()) DestroyForm(forms_.back().get());
    window_.reset();
    hooks_.clear();
}
