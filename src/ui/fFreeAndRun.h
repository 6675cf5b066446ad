// The Free-and-Run manager: the modeless dialog in which the user adds, renames, points at
// another program, sizes and removes the Free-and-Run entries. It edits the entries of the
// options' list in place and tells the other windows through the options' notification.
// Sizeable: the list fills the left column and the chart the rest of the right area.
#pragma once
#include <windows.h>
#include <memory>
#include "framework/uControls.h"
#include "framework/uDialogs.h"
#include "framework/uListView.h"
#include "skin/uSkinLabel.h"
#include "tray/cPChart2.h"
#include "ui/fSkinned.h"
#include "ui/uWindowContext.h"

class TFreeAndRunItem;

// Where every control of the dialog goes for a client area of `width` x `height` pixels at
// `dpi`: margins and control heights scale, the list and the chart take what is left.
struct TFreeAndRunLayout {
    RECT cmdAdd, cmdRemove, ListView;
    RECT lblProgPath, txtProgramPath, cmdBrowse, lblName, txtName, lblAmount, lblMB, ScrollBar;
    RECT PerformanceChart, cmdClose;
};
TFreeAndRunLayout FreeAndRunLayout(int width, int height, UINT dpi);

class TfrmFreeAndRun : public TfrmSkinned {
public:
    TfrmFreeAndRun(TForm* owner, const TWindowContext& context)
        : TfrmSkinned(owner, context.Skins), options_(context.Options) {}

    // ---- Handlers ----
    void ListViewSelectItem(int index, bool selected);
    void ScrollBarChange();
    void txtNameChange();
    void txtNameExit();
    void cmdAddClick();
    void cmdRemoveClick();
    void cmdBrowseClick();
    void cmdCloseClick();
    void RebuildList();
    // After every sample: the chart repaints from the histories.
    void RefreshChart();
    // The chart colours of the shared control's skin, by their element names.
    void ReadChartColors();

    // The entry of the selected item; null without a selection, or when the entry has left
    // the list meanwhile (the items carry the entries' IDs, never pointers that could dangle).
    TFreeAndRunItem* SelectedEntry() const;

    std::unique_ptr<TButton> cmdAdd, cmdRemove;
    std::unique_ptr<TListView> ListView;
    std::unique_ptr<TSkinLabel> lblProgPath;
    std::unique_ptr<TEdit> txtProgramPath;
    std::unique_ptr<TButton> cmdBrowse;
    std::unique_ptr<TSkinLabel> lblName;
    std::unique_ptr<TEdit> txtName;
    std::unique_ptr<TSkinLabel> lblAmount;
    std::unique_ptr<TLabel> lblMB;
    std::unique_ptr<TScrollBar> ScrollBar;
    std::unique_ptr<TPerformanceChart> PerformanceChart;
    std::unique_ptr<TButton> cmdClose;
    TOpenDialog OpenDialog;

protected:
    const wchar_t* FormClassName() const override { return L"TfrmFreeAndRun"; }
    SIZE DesignClientSize() const override { return {612, 388}; }
    SIZE MinClientSize() const override { return {460, 300}; }
    bool Sizeable() const override { return true; }
    bool FreeOnClose() const override { return true; }
    void FormCreate() override;
    void FormShow() override;
    void FormDestroy() override;
    void FormDpiChanged(UINT dpi) override;
    void LayoutControls() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateImages();
    void EnableEditing(bool enabled);

    TKorvixOptions& options_;
    std::unique_ptr<TImageList> images_;
};

// ---- The manager as the engine reaches it (through the windows interface of the shell) ----
// The open manager, or null.
TfrmFreeAndRun* FindFreeAndRunDialog();
// Brings the open manager forward, or creates it owned by `owner` (the engine window); loads
// the configured skin into the shared control first (a skin that cannot be loaded is told,
// and the manager shows its plain look). Does not wait for the manager.
void ShowFreeAndRunDialog(TForm* owner, const TWindowContext& context);
void RepaintFreeAndRunChart();
// Destroys the open manager (at shutdown and on the engine's fatal path).
void FreeFreeAndRunDialog();
