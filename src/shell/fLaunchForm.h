// The invisible start-up form: the application's main form. Once the message loop
// runs it either ends the program (another copy runs, or "quit") or creates the
// engine window, from which on the program lives in the tray.
#pragma once
#include "framework/uForm.h"

class IEngineWindows;

class TfrmLaunch : public TForm {
public:
    void LaunchStart();
    // The main window and the Free-and-Run dialog as the engine reaches them.
    static IEngineWindows& EngineWindows();

protected:
    CreateParams FormParams() override;
    void FormCreate() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool launched_ = false;
};
