// The hotkey dialog: the user types the shortcut of a free-up preset into the system's
// hotkey control; and the flow around it, which frees the engine's hotkeys while the
// dialog is open so that typing the current combination does not start a free-up.
#pragma once
#include <cstdint>
#include <memory>
#include "framework/uControls.h"
#include "skin/uSkinLabel.h"
#include "ui/fSkinned.h"
#include "ui/uWindowContext.h"

class TfrmHotkey2 : public TfrmSkinned {
public:
    TfrmHotkey2(TForm* owner, TSkinService& skins) : TfrmSkinned(owner, skins) {}

    // The control's shortcut: virtual key in the low byte, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
    int32_t HotKey() const;
    void SetHotKey(int32_t value);
    // Set by OK, cleared by Cancel (and by closing the window otherwise).
    bool Accepted = false;

    void cmdOKClick();
    void cmdCancelClick();

    std::unique_ptr<TSkinLabel> lblExplain;
    std::unique_ptr<THotKey> HotKeyControl;
    std::unique_ptr<TButton> cmdOK;
    std::unique_ptr<TButton> cmdCancel;

protected:
    const wchar_t* FormClassName() const override { return L"TfrmHotkey2"; }
    SIZE DesignClientSize() const override { return {259, 121}; }
    void FormCreate() override;
    void LayoutControls() override;
};

// The hotkey of preset 1, 2 or 3, defined by the user in the dialog owned by `owner` (the
// main window): the engine's hotkeys are released before the dialog opens and restored in
// every case once it is gone. A skin that cannot be loaded is reported in a message box owned
// by `owner`, and the dialog is not shown.
void RunHotkeyFlow(TForm& owner, const TWindowContext& context, int preset);
