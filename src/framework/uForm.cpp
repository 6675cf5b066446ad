#include "uForm.h"
#include "uApplication.h"
#include "uControls.h"
#include "uTimer.h"

TForm::~TForm() {
    for (auto& [id, timer] : timers_) timer->owner_ = nullptr;
}

void TForm::Show() { ::ShowWindow(Handle(), SW_SHOW); }

void TForm::Hide() { ::ShowWindow(Handle(), SW_HIDE); }

bool TForm::Visible() const { return Handle() && ::IsWindowVisible(Handle()); }

void TForm::Close() {
    if (!FormCloseQuery()) return;
    FormClose();
    if (inModalLoop_) {
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
    } else if (Application.MainForm() == this) {
        Application.Terminate();
    } else if (FreeOnClose()) {
        Release();
    } else {
        Hide();
    }
}

void TForm::Release() {
    if (releasing_) return;
    releasing_ = true;
    Application.ReleaseForm(this);
}

int TForm::ShowModal() {
    HWND owner = ::GetWindow(Handle(), GW_OWNER);
    modalResult_ = mrNone;
    inModalLoop_ = true;
    if (owner) ::EnableWindow(owner, FALSE);
    Show();
    ::SetForegroundWindow(Handle());
    while (modalResult_ == mrNone) {
        if (!Application.HandleOneMessage()) {
            ::PostQuitMessage(0);  // the program ends: the loop outside ends too
            modalResult_ = mrCancel;
            break;
        }
    }
    inModalLoop_ = false;
    // The owner first: enabled before the form hides, it is the window activated next
    // (otherwise another program's window would come to the front).
    if (owner) ::EnableWindow(owner, TRUE);
    Hide();
    if (destroyAfterModal_) Release();
    return modalResult_;
}

void TForm::SetDefaultButton(TControl* button) {
    if (defaultButton_) ::SendMessageW(defaultButton_, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    defaultButton_ = button ? button->Handle() : nullptr;
    if (defaultButton_) ::SendMessageW(defaultButton_, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void TForm::SetCancelButton(TControl* button) { cancelButton_ = button ? button->Handle() : nullptr; }

UINT_PTR TForm::AddTimer(TTimer* timer) {
    UINT_PTR id = nextTimerId_++;
    timers_[id] = timer;
    return id;
}

void TForm::RemoveTimer(UINT_PTR id) {
    if (Handle()) ::KillTimer(Handle(), id);
    timers_.erase(id);
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            for (auto& [id, timer] : timers_) timer->Apply();
            return DefaultProc(msg, wParam, lParam);
        case WM_CLOSE: Close(); return 0;
        case WM_TIMER: WMTimer(wParam); return 0;  // never to DefWindowProc, which would call a timer procedure
        case WM_COMMAND: WMCommand(wParam, lParam); return 0;
        case WM_NOTIFY: return WMNotify(reinterpret_cast<const NMHDR*>(lParam));
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (!lParam) break;  // the form's own scroll bars
            WMScroll(wParam, reinterpret_cast<HWND>(lParam));
            return 0;
        case DM_GETDEFID: return defaultButton_ ? MAKELRESULT(::GetDlgCtrlID(defaultButton_), DC_HASDEFID) : 0;
        case WM_SHOWWINDOW:
            if (wParam && lParam == 0) FormShow();
            break;
        case WM_ACTIVATE: WMActivate(LOWORD(wParam)); return 0;
        case WM_DPICHANGED:
            if (!lParam || SentByAnotherThread()) return 0;
            WMDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
    }
    return DefaultProc(msg, wParam, lParam);
}

// Only the ids of timers this form started run anything: a WM_TIMER posted from elsewhere
// with any other id is dropped.
void TForm::WMTimer(UINT_PTR id) {
    auto it = timers_.find(id);
    if (it != timers_.end()) it->second->Tick();
}

void TForm::WMCommand(WPARAM wParam, LPARAM lParam) {
    if (TControl* control = TControl::FromHandle(reinterpret_cast<HWND>(lParam))) {
        control->WMCommand(HIWORD(wParam));
        return;
    }
    // Escape (IsDialogMessage) when no control carries the id IDCANCEL: the cancel button,
    // or for a modal form without one, Close.
    if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) {
        if (cancelButton_ && ::IsWindowEnabled(cancelButton_)) {
            ::SendMessageW(cancelButton_, BM_CLICK, 0, 0);
        } else if (inModalLoop_) {
            Close();
        }
    }
}

LRESULT TForm::WMNotify(const NMHDR* header) {
    if (!header || SentByAnotherThread()) return 0;
    TControl* control = TControl::FromHandle(header->hwndFrom);
    return control ? control->WMNotify(*header) : 0;
}

void TForm::WMScroll(WPARAM wParam, HWND bar) {
    if (TControl* control = TControl::FromHandle(bar)) control->WMScroll(LOWORD(wParam), HIWORD(wParam));
}

// Like a dialog: the focused control is kept while the form is inactive and gets the focus
// back when the form is activated again; at first, the first control in Tab order.
void TForm::WMActivate(WORD state) {
    if (state == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(Handle(), focus)) lastFocus_ = focus;
        return;
    }
    if (lastFocus_ && ::IsWindow(lastFocus_) && ::IsChild(Handle(), lastFocus_)) {
        ::SetFocus(lastFocus_);
    } else {
        FocusFirstControl();
    }
    FormActivate();
}

void TForm::WMDpiChanged(UINT dpi, const RECT& suggested) {
    ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    FormDpiChanged(dpi);
}

void TForm::FocusFirstControl() {
    HWND first = ::GetNextDlgTabItem(Handle(), nullptr, FALSE);
    ::SetFocus(first ? first : Handle());
}
