// One window-procedure thunk for all our windows: `this` is stored on
// WM_NCCREATE and every later message goes to the virtual WndProc. An exception
// that leaves WndProc is caught here and handed to Application.HandleException.
#pragma once
#include <windows.h>

// The message being handled was sent from another thread or process. Messages that carry
// pointers (control notifications, owner drawing, WM_DPICHANGED) come from this thread; the
// same message from elsewhere carries a pointer that means nothing here and is not read.
inline bool SentByAnotherThread() { return (::InSendMessageEx(nullptr) & ISMEX_SEND) != 0; }

class TWindowBase {
public:
    TWindowBase() = default;
    TWindowBase(const TWindowBase&) = delete;
    TWindowBase& operator=(const TWindowBase&) = delete;
    // Destroys a window that is still there, but by then only the base class answers its
    // last messages: owners call Destroy first, so WM_DESTROY reaches the whole object.
    virtual ~TWindowBase();

    HWND Handle() const noexcept { return hwnd_; }
    // Destroys the window now (WM_DESTROY and WM_NCDESTROY reach the derived class).
    void Destroy() noexcept;

protected:
    struct CreateParams {
        const wchar_t* className;
        const wchar_t* title = L"";
        DWORD style = WS_POPUP;
        DWORD exStyle = 0;
        HWND parent = nullptr;  // the parent of a child window, the owner of a popup
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
