// The ask-defaults dialog: Yes adjusts every setting to good values for this computer.
#pragma once
#include <memory>
#include "framework/uControls.h"
#include "skin/uSkinLabel.h"
#include "ui/fSkinned.h"
#include "ui/uWindowContext.h"

class TfrmAskDefaults : public TfrmSkinned {
public:
    TfrmAskDefaults(TForm* owner, TSkinService& skins) : TfrmSkinned(owner, skins) {}

    std::unique_ptr<TSkinLabel> lblExplain;
    std::unique_ptr<TButton> cmdYes;
    std::unique_ptr<TButton> cmdNo;

protected:
    const wchar_t* FormClassName() const override { return L"TfrmAskDefaults"; }
    SIZE DesignClientSize() const override { return {341, 98}; }
    void FormCreate() override;
    void LayoutControls() override;
};

// Asks in a dialog owned by `owner` (the main window) and applies the defaults on Yes. The
// dialog is freed in every case; a failure reaches the caller after that.
void RunAskDefaultsFlow(TForm& owner, const TWindowContext& context);
