// Subclassing a window we did not create (a native control, or any window another part
// of the program made) with SetWindowSubclass: our handler sees its messages first and
// passes the rest on with DefaultProc. Several subclasses of one window coexist, each
// under its own id. The subclass removes itself when the window is destroyed, and an
// exception in the handler goes to Application.HandleException like one in a window procedure.
#pragma once
#include <windows.h>

class TWindowSubclass {
public:
    TWindowSubclass() = default;
    TWindowSubclass(const TWindowSubclass&) = delete;
    TWindowSubclass& operator=(const TWindowSubclass&) = delete;
    virtual ~TWindowSubclass();

    // Subclasses `window` under `id` (by default this object's address); false when the
    // system refuses. A subclass attached elsewhere is detached first.
    bool Attach(HWND window, UINT_PTR id = 0);
    void Detach() noexcept;
    HWND Handle() const noexcept { return window_; }

    // The subclass of `window` under `id`, when it is one of ours.
    static TWindowSubclass* Find(HWND window, UINT_PTR id);

protected:
    virtual LRESULT SubclassProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // The window's own handling (or that of the next subclass).
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
    HWND window_ = nullptr;
    UINT_PTR id_ = 0;
};
