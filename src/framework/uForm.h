// Base of the program's windows ("forms"). Forms are created and destroyed through
// the application object, which calls FormCreate after the window exists and
// FormDestroy before it goes, so the handlers are virtual calls on a whole object.
// A form routes its child controls' notifications (WM_COMMAND, WM_NOTIFY, WM_HSCROLL,
// WM_VSCROLL) to their wrappers (uControls.h), runs its timers (uTimer.h) and can be
// shown modally.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include "uWindow.h"

class TApplication;
class TControl;
class TTimer;

// What a modal form answers; 0 keeps its modal loop running.
enum TModalResult : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO };

class TForm : public TWindowBase {
public:
    ~TForm() override;

    void Show();
    void Hide();
    bool Visible() const;
    // Asks FormCloseQuery; if closing is allowed runs FormClose, then ends the application
    // for the main form and the modal loop for a modal one; any other form is hidden, or
    // released when FreeOnClose says so.
    void Close();
    // Destroys the form from the message loop, after the current message is handled.
    void Release();

    // Shows the form, disables its owner (the window it was created for) and handles
    // messages until ModalResult is set (Close sets mrCancel); then enables the owner,
    // hides the form and answers the result. The form stays until its creator frees it.
    int ShowModal();
    int ModalResult() const noexcept { return modalResult_; }
    void SetModalResult(int value) noexcept { modalResult_ = value; }

    // The buttons that Enter and Escape press. Tab, Enter and Escape reach the form's
    // controls through IsDialogMessage in the application's message loop.
    void SetDefaultButton(TControl* button);
    void SetCancelButton(TControl* button);

    // Runs after FormDestroy, while the window still exists: for an owner that keeps a
    // reference to the form and must forget it.
    std::function<void(TForm& sender)> OnDestroy;

protected:
    TForm() = default;
    // The window this form is: class, title, styles, position, owner.
    virtual CreateParams FormParams() = 0;
    virtual void FormCreate() {}
    // Before the form becomes visible.
    virtual void FormShow() {}
    // When the form becomes the active window.
    virtual void FormActivate() {}
    // The form moved to a monitor of another DPI and has taken the size the system suggests:
    // lay the contents out for `dpi` (uDpi.h).
    virtual void FormDpiChanged(UINT /*dpi*/) {}
    virtual bool FormCloseQuery() { return true; }
    virtual void FormClose() {}
    virtual void FormDestroy() {}
    // Windows created on demand free themselves when closed; long-lived ones only hide.
    virtual bool FreeOnClose() const { return false; }
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    friend class TApplication;
    friend class TTimer;
    UINT_PTR AddTimer(TTimer* timer);
    void RemoveTimer(UINT_PTR id);
    void WMTimer(UINT_PTR id);
    void WMCommand(WPARAM wParam, LPARAM lParam);
    LRESULT WMNotify(const NMHDR* header);
    void WMScroll(WPARAM wParam, HWND bar);
    void WMActivate(WORD state);
    void WMDpiChanged(UINT dpi, const RECT& suggested);
    void FocusFirstControl();

    bool releasing_ = false;
    bool inModalLoop_ = false;
    bool destroyAfterModal_ = false;
    int modalResult_ = mrNone;
    HWND defaultButton_ = nullptr;
    HWND cancelButton_ = nullptr;
    HWND lastFocus_ = nullptr;
    std::map<UINT_PTR, TTimer*> timers_;
    UINT_PTR nextTimerId_ = 1;
};
