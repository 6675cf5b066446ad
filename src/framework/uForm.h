// Base of the program's windows ("forms"). Forms are created and destroyed through
// the application object, which calls FormCreate after the window exists and
// FormDestroy before it goes, so the handlers are virtual calls on a whole object.
#pragma once
#include <windows.h>
#include "uWindow.h"

class TApplication;

class TForm : public TWindowBase {
public:
    ~TForm() override = default;

    void Show();
    void Hide();
    bool Visible() const;
    // Asks FormCloseQuery; if closing is allowed runs FormClose, then ends the application
    // for the main form; any other form is hidden, or released when FreeOnClose says so.
    void Close();
    // Destroys the form from the message loop, after the current message is handled.
    void Release();

protected:
    TForm() = default;
    // The window this form is: class, title, styles, position.
    virtual CreateParams FormParams() = 0;
    virtual void FormCreate() {}
    virtual bool FormCloseQuery() { return true; }
    virtual void FormClose() {}
    virtual void FormDestroy() {}
    // Windows created on demand free themselves when closed; long-lived ones only hide.
    virtual bool FreeOnClose() const { return false; }
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    friend class TApplication;
    bool releasing_ = false;
};
