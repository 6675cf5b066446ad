#include "ui/uKorvixWindows.h"
#include "engine/fEngineForm.h"
#include "framework/uApplication.h"
#include "ui/fFreeAndRun.h"
#include "ui/fMainForm.h"
#include "ui/uSkinService.h"

void TKorvixWindows::ConnectEngine(TfrmEngine& engine) {
    engine_ = &engine;
    context_.Skins.ShareDialogSkinOf(&engine);
}

TfrmMain* TKorvixWindows::MainWindow() { return Application.FindForm<TfrmMain>(); }

HWND TKorvixWindows::ShowMainWindow() {
    TfrmMain* main = MainWindow();
    if (!main) main = Application.CreateForm<TfrmMain>(context_);
    main->Show();
    // A window shown by a tray click or by another copy of the program comes to the front.
    ::SetForegroundWindow(main->Handle());
    return main->Handle();
}

HWND TKorvixWindows::FindMainWindow() {
    TfrmMain* main = MainWindow();
    return main ? main->Handle() : nullptr;
}

void TKorvixWindows::ShowStatusLine(const std::wstring& line) {
    if (TfrmMain* main = MainWindow()) main->SetStatusText(line, true);
}

void TKorvixWindows::RepaintCharts() {
    if (TfrmMain* main = MainWindow()) main->RepaintChart();
    RepaintFreeAndRunChart();
}

void TKorvixWindows::ShowFreeAndRunDialog() { ::ShowFreeAndRunDialog(engine_, context_); }

void TKorvixWindows::FreeWindows() {
    FreeFreeAndRunDialog();
    while (TfrmMain* main = MainWindow()) Application.DestroyForm(main);
    // The engine goes next: the dialogs have no shared control from now on.
    context_.Skins.ShareDialogSkinOf(nullptr);
    engine_ = nullptr;
}
