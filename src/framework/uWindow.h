// One window-procedure thunk for all our windows: `this` is stored on
// WM_NCCREATE and every later message goes to the virtual WndProc.
#pragma once
#include <windows.h>
#include <string>

class TWindowBase {
public:
    TWindowBase() = default;
    TWindowBase(const TWindowBase&) = delete;
    TWindowBase& operator=(const TWindowBase&) = delete;
    virtual ~TWindowBase();

    HWND Handle() const noexcept { return hwnd_; }
    void DestroyHandle() noexcept;

protected:
    struct CreateParams {
        const wchar_t* className;
        const wchar_t* title = L"";
        DWORD style = WS_POPUP;
        DWORD exStyle = 0;
        HWND parent = nullptr;
        int x = 0, y = 0, width = 0, height = 0;
        UINT classStyle = 0;
        HBRUSH background = nullptr;
    };
    // Registers the class once per process and creates the window; throws EOSError on failure.
    void CreateHandle(const CreateParams& params);
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// An invisible window whose messages go to the owner's handler: the stand-in for
// a message-only utility window that tray icons and the like receive messages with.
template <typename Owner>
class TUtilityWindow : public TWindowBase {
public:
    using Handler = LRESULT (Owner::*)(UINT, WPARAM, LPARAM);
    TUtilityWindow(Owner* owner, Handler handler, const wchar_t* className) : owner_(owner), handler_(handler) {
        CreateHandle({.className = className, .style = WS_POPUP});
    }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        return (owner_->*handler_)(msg, wParam, lParam);
    }

private:
    Owner* owner_;
    Handler handler_;
};

// Hook for exceptions caught at a window procedure's boundary (default: debugger output).
using WindowExceptionHandler = void (*)(const wchar_t* className, const std::wstring& message);
void SetWindowExceptionHandler(WindowExceptionHandler handler);
