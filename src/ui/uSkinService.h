// The program's one skin service: created at the composition root (src/shell) and handed to
// every skinned window. The main window's own skin control and the engine window's control
// that the dialogs share both load through it, so a file used by both is read and decoded
// once; the texts, colours and fonts derived from a skin live here once.
#pragma once
#include <windows.h>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include "framework/uHandles.h"
#include "skin/uSkin.h"

class TfrmEngine;
class TPerformanceChart;
class TSkinSource;

class TSkinService {
public:
    TSkinService();
    ~TSkinService();
    TSkinService(const TSkinService&) = delete;
    TSkinService& operator=(const TSkinService&) = delete;

    // `skin` loads its files through the service from now on.
    void Serve(TSkin& skin);
    // The engine window whose control (Skin, SetSkinFile) the dialogs share, served by this
    // service; null: none, and the dialogs keep their plain look.
    void ShareDialogSkinOf(TfrmEngine* engine);
    // How many times a skin file was read and decoded.
    int Reads() const noexcept;

    // ---- The dialogs' shared control ----
    // Loads `path` into the shared control unless it holds that name already; throws
    // ESkinError when the file cannot be loaded or there is no shared control.
    void UseDialogSkin(const std::wstring& path);
    // The shared control when it has a skin loaded, or null.
    TSkin* DialogSkin() const noexcept;
    // The file the shared control holds (empty without one).
    std::wstring DialogSkinFile() const;

    // ---- What is derived from a skin ----
    // "There was an error loading the skin (%1). Please load a different skin.", followed by
    // what the loader said (the file's line for a fault in it) when that is known.
    static std::wstring ErrorText(const std::wstring& fileName, const std::wstring& detail = {});
    // The chart colours from the elements of their names beneath `root` (the chart's own
    // colour stays where the skin lacks one).
    static void ApplyChartColors(const TSkinObject& root, TPerformanceChart& chart);
    // The system's message font at `dpi` (of `points` when given), made once per scale and
    // kept as long as the service: a window of an earlier scale may still hold one.
    HFONT MessageFont(UINT dpi, int points = 0);

private:
    std::shared_ptr<TSkinSource> source_;
    TfrmEngine* holder_ = nullptr;
    std::map<std::pair<UINT, int>, UniqueFont> fonts_;
};
