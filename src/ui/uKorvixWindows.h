// The windows of this layer as the engine reaches them: the main window, created on demand,
// shown and brought to the front, told the status line and repainted after each sample, and
// freed at shutdown. The program's entry connects it to the engine window.
#pragma once
#include <windows.h>
#include <string>
#include "engine/uEngineWindows.h"

class TKorvixOptions;
class TfrmMain;

class TKorvixWindows final : public IEngineWindows {
public:
    explicit TKorvixWindows(TKorvixOptions& options) : options_(options) {}

    HWND ShowMainWindow() override;
    HWND FindMainWindow() override;
    void ShowStatusLine(const std::wstring& line) override;
    void RepaintCharts() override;
    void ShowFreeAndRunDialog() override;
    void FreeWindows() override;

    // The open main window, or null.
    static TfrmMain* MainWindow();

private:
    TKorvixOptions& options_;
};
