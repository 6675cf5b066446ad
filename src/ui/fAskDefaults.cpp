#include "ui/fAskDefaults.h"
#include "framework/uApplication.h"
#include "legacy/uKorvixOptions.h"
#include "legacy/uMessages.h"

void TfrmAskDefaults::FormCreate() {
    TfrmSkinned::FormCreate();
    ::SetWindowTextW(Handle(), ProductName);
    lblExplain = std::make_unique<TSkinLabel>(Handle(), RECT{});
    lblExplain->SetCaption(
        L"Do you like Korvix Professional to automatically adjust all values to good settings for your computer?");
    cmdYes = std::make_unique<TButton>(Handle(), IDYES, RECT{}, L"Yes");
    cmdNo = std::make_unique<TButton>(Handle(), IDNO, RECT{}, L"No");
    cmdYes->OnClick = [this](TButton&) { SetModalResult(mrYes); };
    cmdNo->OnClick = [this](TButton&) { SetModalResult(mrNo); };
    SetDefaultButton(cmdYes.get());
    SetCancelButton(cmdNo.get());
    ControlsCreated();
}

void TfrmAskDefaults::LayoutControls() {
    lblExplain->SetBounds(ScaleRect(16, 8, 313, 41));
    cmdYes->SetBounds(ScaleRect(72, 64, 75, 25));
    cmdNo->SetBounds(ScaleRect(200, 64, 75, 25));
}

void RunAskDefaultsFlow(TForm& owner, const TWindowContext& context) {
    TOneUseDialog<TfrmAskDefaults> dialog(owner, context.Skins);
    dialog->UseSkin(context.Options.SkinFileName());
    int result = dialog->ShowModal();
    dialog.Free();
    if (result == mrYes) context.Options.ApplyDefaults();
}
