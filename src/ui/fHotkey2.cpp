#include "ui/fHotkey2.h"
#include "framework/uApplication.h"
#include "framework/uMessageBox.h"
#include "framework/uOwnMessages.h"
#include "legacy/uGlobals.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"

namespace {
enum : int { idHotKey = 100 };

// Sent, not posted: the engine has released the keys before the dialog opens and has
// registered them again before the flow returns.
struct HotkeysReleased {
    HotkeysReleased() {
        if (EngineWindow) ::SendMessageW(EngineWindow, WM_HOTKEYSRELEASE, 0, OwnMessageKey());
    }
    ~HotkeysReleased() {
        if (EngineWindow) ::SendMessageW(EngineWindow, WM_HOTKEYSRESTORE, 0, OwnMessageKey());
    }
    HotkeysReleased(const HotkeysReleased&) = delete;
    HotkeysReleased& operator=(const HotkeysReleased&) = delete;
};
}  // namespace

void TfrmHotkey2::FormCreate() {
    TfrmSkinned::FormCreate();
    Accepted = false;
    ::SetWindowTextW(Handle(), L"Define Hotkey");
    lblExplain = std::make_unique<TSkinLabel>(Handle(), RECT{});
    lblExplain->SetCaption(L"Here you can define the shortcut (hotkey) for the preset free-up.");
    HotKeyControl = std::make_unique<THotKey>(Handle(), idHotKey, RECT{});
    cmdOK = std::make_unique<TButton>(Handle(), IDOK, RECT{}, L"OK");
    cmdCancel = std::make_unique<TButton>(Handle(), IDCANCEL, RECT{}, L"Cancel");
    cmdOK->OnClick = [this](TButton&) { cmdOKClick(); };
    cmdCancel->OnClick = [this](TButton&) { cmdCancelClick(); };
    SetDefaultButton(cmdOK.get());
    SetCancelButton(cmdCancel.get());
    ControlsCreated();
}

void TfrmHotkey2::LayoutControls() {
    lblExplain->SetBounds(ScaleRect(8, 8, 233, 41));
    HotKeyControl->SetBounds(ScaleRect(8, 56, 233, 19));
    cmdOK->SetBounds(ScaleRect(80, 88, 75, 25));
    cmdCancel->SetBounds(ScaleRect(168, 88, 75, 25));
}

int32_t TfrmHotkey2::HotKey() const { return HotKeyControl->Value(); }

void TfrmHotkey2::SetHotKey(int32_t value) { HotKeyControl->SetValue(value); }

void TfrmHotkey2::cmdOKClick() {
    Accepted = true;
    Close();
}

void TfrmHotkey2::cmdCancelClick() {
    Accepted = false;
    Close();
}

void RunHotkeyFlow(TForm& owner, int preset) {
    TOneUseDialog<TfrmHotkey2> dialog(owner);
    dialog->SetHotKey(Options->Hotkey(preset));
    // The dialog is freed before the keys are registered again.
    HotkeysReleased released;
    try {
        dialog->UseSkin(Options->SkinFileName());
        dialog->ShowModal();
    } catch (const Exception&) {
        ShowMessageBox(owner.Handle(), SkinErrorText(Options->Skin()), ProductName, MB_OK | MB_ICONERROR);
    }
    // The setter announces a change only when the value differs.
    if (dialog->Accepted) Options->SetHotkey(preset, dialog->HotKey());
    dialog.Free();
}
