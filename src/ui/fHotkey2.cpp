#include "ui/fHotkey2.h"
#include "framework/uApplication.h"
#include "framework/uMessageBox.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"

namespace {
enum : int { idHotKey = 100 };

// The engine has released the keys before the dialog opens and registers them again before
// the flow returns, however it ends.
class HotkeysReleased {
public:
    explicit HotkeysReleased(IEngineRequests& engine) : engine_(engine) { engine_.ReleaseHotkeys(); }
    ~HotkeysReleased() { engine_.RestoreHotkeys(); }
    HotkeysReleased(const HotkeysReleased&) = delete;
    HotkeysReleased& operator=(const HotkeysReleased&) = delete;

private:
    IEngineRequests& engine_;
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

void RunHotkeyFlow(TForm& owner, const TWindowContext& context, int preset) {
    TKorvixOptions& options = context.Options;
    TOneUseDialog<TfrmHotkey2> dialog(owner, context.Skins);
    dialog->SetHotKey(options.Hotkey(preset));
    // The dialog is freed before the keys are registered again.
    HotkeysReleased released(context.Engine);
    try {
        dialog->UseSkin(options.SkinFileName());
        dialog->ShowModal();
    } catch (const Exception& e) {
        ShowMessageBox(owner.Handle(), TSkinService::ErrorText(options.Skin(), e.Message()), ProductName,
                       MB_OK | MB_ICONERROR);
    }
    // The setter announces a change only when the value differs.
    if (dialog->Accepted) options.SetHotkey(preset, dialog->HotKey());
    dialog.Free();
}
