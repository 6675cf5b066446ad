// The windows of this layer as the engine reaches them: the main window, created on demand,
// shown and brought to the front, told the status line and repainted after each sample, and
// the Free-and-Run manager; both freed at shutdown. The program's entry connects it to the
// engine window.
#pragma once
#include <windows.h>
#include <string>
#include "engine/uEngineWindows.h"
#include "ui/uWindowContext.h"

class TfrmEngine;
class TfrmMain;

class TKorvixWindows final : public IEngineWindows {
public:
    // The options, the engine's requests and the skin service every window is given.
    explicit TKorvixWindows(const TWindowContext& context) : context_(context) {}
    // Once the engine window exists: its skin control becomes the one the dialogs share (on
    // the service), and it owns the Free-and-Run manager.
    void ConnectEngine(TfrmEngine& engine);

    HWND ShowMainWindow() override;
    HWND FindMainWindow() override;
    void ShowStatusLine(const std::wstring& line) override;
    void RepaintCharts() override;
    void ShowFreeAndRunDialog() override;
    void FreeWindows() override;

    // The open main window, or null.
    static TfrmMain* MainWindow();

private:
    TWindowContext context_;
    TfrmEngine* engine_ = nullptr;
};
