#include "uApplication.h"
#include <algorithm>
#include <commctrl.h>
#include "uException.h"
#include "uMessageBox.h"
#include "uText.h"
#include "uTrace.h"

TApplication Application;

namespace {
// Posted to the application window to destroy a released form outside its own handlers.
constexpr UINT WM_RELEASEFORM = WM_APP + 1;

bool IsKeyboardMessage(UINT msg) { return msg >= WM_KEYFIRST && msg <= WM_KEYLAST; }
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
    ~AppWindow() override { Destroy(); }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
            // DestroyForm only compares the value with the open forms: a stale or forged one finds nothing.
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
    // The common controls are registered by the first control that needs them
    // (EnsureCommonControls), so a program in the tray never loads comctl32.
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
    try {
        raw->CreateHandle(raw->FormParams());
        raw->FormCreate();
    } catch (...) {
        // Not left registered: no later search finds a form without a window, and the
        // program does not end with a main form that never existed.
        auto it = std::find_if(forms_.begin(), forms_.end(), [raw](const auto& f) { return f.get() == raw; });
        std::unique_ptr<TForm> failed = std::move(*it);
        forms_.erase(it);
        if (mainForm_ == raw) mainForm_ = nullptr;
        failed->Destroy();
        throw;
    }
}

std::vector<TForm*> TApplication::Forms() const {
    std::vector<TForm*> out;
    for (const auto& form : forms_) out.push_back(form.get());
    return out;
}

TForm* TApplication::FormOf(HWND window) const {
    if (!window) return nullptr;
    for (const auto& form : forms_) {
        if (form->Handle() == window) return form.get();
    }
    return nullptr;
}

void TApplication::DestroyForm(TForm* form) {
    auto it = std::find_if(forms_.begin(), forms_.end(), [form](const auto& f) { return f.get() == form; });
    if (it == forms_.end()) return;  // already gone (released twice, or destroyed at shutdown)
    if (form->inModalLoop_) {
        // Its ShowModal is still on the stack: end the loop, free the form afterwards.
        form->destroyAfterModal_ = true;
        form->SetModalResult(mrCancel);
        return;
    }
    std::unique_ptr<TForm> owned = std::move(*it);
    forms_.erase(it);
    if (mainForm_ == form) mainForm_ = nullptr;
    owned->FormDestroy();
    if (owned->OnDestroy) owned->OnDestroy(*owned);
    owned->Destroy();
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

TExceptionInfo TApplication::Describe(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return {e.ClassName(), e.Message()};
    } catch (const std::exception& e) {
        return {L"std::exception", Widen(e.what())};
    } catch (...) {
        return {L"---Unknown---", L"Unknown Error"};
    }
}

void TApplication::HandleException(std::exception_ptr error) noexcept {
    try {
        TExceptionInfo info = Describe(error);
        if (OnException) {
            OnException(info);
        } else {
            ShowException(info);
        }
    } catch (...) {
        DebugTrace(L"An error occurred while an error was being reported");
    }
}

void TApplication::ShowException(const TExceptionInfo& error) {
    // The box runs a message loop of its own; an error inside it is traced, not stacked.
    if (showingException_) {
        DebugTrace(error.ClassName + L": " + error.Message);
        return;
    }
    showingException_ = true;
    HWND owner = ::GetActiveWindow();
    ShowMessageBox(owner, error.Message, title_.empty() ? error.ClassName : title_, MB_OK | MB_ICONERROR);
    showingException_ = false;
}

void TApplication::HandleMessage(MSG& msg) {
    bool handled = false;
    // A copy: a hook may add or remove hooks while it runs.
    auto hooks = hooks_;
    for (auto& [id, hook] : hooks) {
        try {
            hook(msg, handled);
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
    if (handled || DialogMessage(msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

// Tab, Enter and Escape in a form with controls move the focus and press the default and
// cancel buttons, as in a dialog box.
bool TApplication::DialogMessage(MSG& msg) {
    if (!IsKeyboardMessage(msg.message) || !msg.hwnd) return false;
    HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    return FormOf(root) && ::IsDialogMessageW(root, &msg);
}

// Runs until WM_QUIT has been taken from the queue, so no quit message is left behind to end
// the first message box shown while the program finishes (a failed final save says so).
void TApplication::Run() {
    while (HandleOneMessage()) {}
}

bool TApplication::HandleOneMessage() {
    MSG msg;
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        terminated_ = true;
        return false;
    }
    HandleMessage(msg);
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            ::PostQuitMessage(static_cast<int>(msg.wParam));
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
