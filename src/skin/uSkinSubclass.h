// The one procedure through which every window the skin engine draws reaches its code: the
// skinned forms and dialogs, and the dialog's scroll bars, buttons, hotkey controls and edges.
// A failure inside is reported to the application's error sink and never crosses back into
// the system's code that called us; a failed paint leaves the area painted as it was.
#pragma once
#include <windows.h>
#include <exception>

class TSkinSubclass {
public:
    TSkinSubclass() = default;
    virtual ~TSkinSubclass();
    TSkinSubclass(const TSkinSubclass&) = delete;
    TSkinSubclass& operator=(const TSkinSubclass&) = delete;

    HWND Subclassed() const noexcept { return window_; }

protected:
    // Subclasses `window` under `id`; call it once the object is complete, since messages
    // arrive from then on. Throws ESkinError when the system refuses.
    void Attach(HWND window, UINT_PTR id);
    void Detach() noexcept;
    virtual LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // The window is being destroyed and the subclass has let go of it; the object may free
    // itself here.
    virtual void WindowDestroyed() noexcept {}
    // The name tests give a failure they inject here ("form", "dialog", "scrollbar", ...).
    virtual const char* Place() const noexcept = 0;
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Thunk(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR data) noexcept;
    HWND window_ = nullptr;
    UINT_PTR id_ = 0;
};

// The skin engine's own failures go to the application's error sink. A failure that repeats at
// every message of one kind in one procedure (`who`; a paint that cannot get its drawing
// surface) is told once, then only traced until that message has succeeded there again.
void ReportSkinFailure(const void* who, UINT msg, std::exception_ptr error) noexcept;

// Failure injection for tests: the hook runs at the entry of every skinned window's procedure
// (its place and the message) and at the places the engine names itself ("dialog.rebuild"),
// and may throw. Returns the previous hook; nullptr removes it.
using TSkinFaultHook = void (*)(const char* place, UINT msg);
TSkinFaultHook SetSkinFaultHook(TSkinFaultHook hook) noexcept;
void SkinFaultPoint(const char* place, UINT msg);
