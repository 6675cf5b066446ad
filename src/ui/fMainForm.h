// The settings window: drawn entirely by its own skin control from the skin's form "Korvix",
// one option page at a time with the skin's hide and show animations (a switch starts at the
// next tick of a 250 ms timer; each later step when the skin tells that the animations of the
// one before have ended), the performance chart on the skin's `chart` element, the engine's status line,
// and help. Without a usable skin it becomes a small plain window that asks for a skin file.
// Created on demand (TKorvixWindows) and freed when closed. The option pages' controls are
// fMainPages.cpp.
#pragma once
#include <windows.h>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include "framework/uControls.h"
#include "framework/uDialogs.h"
#include "framework/uForm.h"
#include "framework/uHandles.h"
#include "framework/uTimer.h"
#include "help/uHTMLHelp.h"
#include "skin/uSkin.h"
#include "tray/cPChart2.h"
#include "ui/uAnimationList.h"
#include "ui/uPageActions.h"
#include "ui/uSkinAccessNames.h"
#include "ui/uWindowContext.h"

class TKorvixOptions;

class TfrmMain : public TForm {
public:
    // `timerMs`: the period of the page timer (tests drive the ticks themselves with 0).
    // The options, the engine's requests and the skin service come from the window's creator.
    explicit TfrmMain(const TWindowContext& context, UINT timerMs = 250);
    ~TfrmMain() override;

    // ---- What the engine asks of the window ----
    // Deferred: kept for the next timer tick (the newest text wins); otherwise written now
    // when the skin has a status line.
    void SetStatusText(const std::wstring& text, bool deferred);
    void RepaintChart();

    // ---- Skin ----
    void LoadSkin(bool report);
    void UnloadSkin();
    void ShowSkinNeeded();
    void SwitchSkin();
    void cmdLoadSkinClick();

    // ---- Pages ----
    void TimerTimer();
    void TogglePage(int page);
    void ShowPage(int page);
    void RefreshPages(uint32_t flags);

    // ---- Skin events ----
    void SkinSkinEvent(const TSkinObject& source, const std::wstring& eventName);
    void SkinMouseDown(const TSkinObject& source);
    void SkinMouseUp(const TSkinObject& source);
    void SkinScroll(const TSkinObject& source, int newPos);
    void SkinScrollTrack(const TSkinObject& source, int newPos);
    void ShowElementHelp(int32_t id);

    // The hotkey dialog of a preset and the ask-defaults dialog (with ApplyDefaults on yes).
    void SetHotkeyClick(int preset);
    void DefaultSettingsClick();

    // ---- State, for the engine's side and for tests ----
    int CurrentPage() const noexcept { return currentPage_; }
    bool SkinLoaded() const noexcept { return skinLoaded_; }
    bool Animating() const noexcept { return animating_; }
    int QueuedAnimations() const noexcept { return animations_.Count(); }
    bool ContextHelpMode() const noexcept { return contextHelpMode_; }
    bool SwallowClick() const noexcept { return swallowClick_; }
    const std::optional<std::wstring>& PendingStatus() const noexcept { return pendingStatus_; }
    TSkin& Skin() noexcept { return skin_; }
    const TSkinObject& Root() const noexcept { return root_; }
    TPerformanceChart& PerformanceChart() noexcept { return *chart_; }
    THTMLHelp& HTMLHelp() noexcept { return help_; }
    TLabel& lblSkinNeeded() noexcept { return *lblSkinNeeded_; }
    TButton& cmdLoadSkin() noexcept { return *cmdLoadSkin_; }
    TOpenDialog OpenDialog;

protected:
    CreateParams FormParams() override;
    void FormCreate() override;
    void FormActivate() override;
    void FormDestroy() override;
    bool FreeOnClose() const override { return true; }
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // `waitForSkin` false: the steps follow one another without waiting for the skin.
    void AnimationStep(bool waitForSkin = true);
    void SkinAnimationEnd();
    void TakeElementReferences();
    void SetUpScrollBars();
    void PlaceChart();
    void CentreOnScreen();
    bool ChooseSkinFile(std::wstring& fileName);
    void ReportSkinError(const std::wstring& fileName, const std::wstring& detail);
    void OptionClick(int32_t id);
    void SetFallbackFont();
    // The skin is told as well, so that a press in the mode only names its element.
    void SetContextHelpMode(bool on);
    // The popup texts of the help file, read when a screen reader first asks.
    const THelpTexts& HelpTexts();

    TWindowContext context_;
    TKorvixOptions& options_;
    TSkin skin_;
    TTimer timer_;
    THTMLHelp help_;
    std::unique_ptr<TPerformanceChart> chart_;
    std::unique_ptr<TLabel> lblSkinNeeded_;
    std::unique_ptr<TButton> cmdLoadSkin_;
    // What the loader said about the last skin that failed.
    std::wstring skinError_;

    int currentPage_ = 0;
    bool skinLoaded_ = false;
    TSkinObject root_;
    // The elements the pages write, by element number; a skin may lack any of them.
    std::map<int32_t, TSkinObject> elements_;
    TSkinAnimationList animations_;
    bool animating_ = false;
    // Timer ticks since the switch began: a skin whose animations run for minutes still lets
    // the switch complete after MaxSwitchTicks (5 s), and the page buttons act again.
    int switchTicks_ = 0;
    static constexpr int MaxSwitchTicks = 20;
    bool contextHelpMode_ = false;
    bool swallowClick_ = false;
    TSliderTracking tracking_;
    std::optional<std::wstring> pendingStatus_;
    std::optional<THelpTexts> helpTexts_;
};

// Where the last main window of this run was when it closed; (-1, -1) before any. Not stored.
POINT SavedMainWindowPosition();
// Tests start each case as a fresh run of the program.
void ForgetMainWindowPosition();

// How the window asks the user for a skin file; tests replace it (nullptr restores the
// file dialog). Answers whether a file was chosen.
using TSkinFileChooser = bool (*)(TOpenDialog& dialog, HWND owner);
TSkinFileChooser SetSkinFileChooser(TSkinFileChooser chooser);
