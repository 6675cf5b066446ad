#include "uForm.h"
#include "uApplication.h"

void TForm::Show() { ::ShowWindow(Handle(), SW_SHOW); }

void TForm::Hide() { ::ShowWindow(Handle(), SW_HIDE); }

bool TForm::Visible() const { return Handle() && ::IsWindowVisible(Handle()); }

void TForm::Close() {
    if (!FormCloseQuery()) return;
    FormClose();
    if (Application.MainForm() == this) {
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

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        Close();
        return 0;
    }
    return DefaultProc(msg, wParam, lParam);
}
