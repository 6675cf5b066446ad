// The base of Korvix's skinned dialogs: plain windows with standard controls that the skin
// engine redraws in the skin's dialog style. The dialogs own no skin control: they use the
// engine window's, which holds the current skin file, through the skin service they are given. A dialog lays itself out
// for its monitor's display scale from lengths given at 100 % and again when it moves to a monitor of another scale;
// its plain font is the system's message font at that scale.
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include "framework/uApplication.h"
#include "framework/uForm.h"
#include "framework/uHandles.h"
#include "skin/uSkin.h"
#include "ui/uSkinService.h"

class TfrmSkinned : public TForm {
public:
    // Passes the path to the engine window's SetSkinFile (through the service), which loads it
    // into the shared control when it differs from the file loaded there. Throws when the file
    // cannot be loaded, and when there is no engine window.
    void UseSkin(const std::wstring& path);
    // Skins the window with the shared control's skin and keeps its root element; the
    // dialog's background colour becomes the root's colour. Failures are ignored: the dialog
    // keeps its plain look. Runs when the dialog is shown.
    void ApplySkin();
    // The root element of the skinned window; none while the dialog has its plain look.
    const TSkinObject& Root() const noexcept { return root_; }
    // The skin file the window was last skinned with; empty while it has its plain look.
    const std::wstring& SkinnedWith() const noexcept { return skinnedWith_; }
    COLORREF Color() const noexcept { return color_; }
    UINT Dpi() const noexcept { return dpi_; }

protected:
    // `owner`: the form whose window owns the dialog's (the dialog stays above it); none for
    // a dialog of its own.
    TfrmSkinned(TForm* owner, TSkinService& skins);
    TSkinService& Skins() const noexcept { return skins_; }

    // The window class, and the client size at 100 % (455 x 370 unless a dialog says otherwise).
    virtual const wchar_t* FormClassName() const = 0;
    virtual SIZE DesignClientSize() const { return {455, 370}; }
    // Sizeable, with a maximise box, centred on the screen; otherwise a dialog border centred
    // on the owner.
    virtual bool Sizeable() const { return false; }
    // The least client size (100 %) the user can size a sizeable dialog to.
    virtual SIZE MinClientSize() const { return DesignClientSize(); }
    // Places the controls for Dpi() and the current client size; runs from ControlsCreated
    // on, after every change of size and of display scale.
    virtual void LayoutControls() {}
    // The derived FormCreate calls this once its controls exist.
    void ControlsCreated();

    // A design length (100 %) at the dialog's display scale, and a design rectangle.
    int Scale(int length) const;
    RECT ScaleRect(int x, int y, int width, int height) const;
    // The dialog's plain font at its display scale (what its controls are given): the system's
    // message font, from the service.
    HFONT DialogFont();
    // A font of `face` and `points` at the dialog's display scale, kept for the dialog's life.
    HFONT ScaledFont(const wchar_t* face, int points);

    CreateParams FormParams() override;
    void FormCreate() override;
    void FormShow() override;
    void FormDestroy() override;
    void FormDpiChanged(UINT dpi) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void SetChildFonts();
    void UnskinWindow() noexcept;

    TForm* owner_;
    TSkinService& skins_;
    UINT dpi_ = 96;
    TSkinObject root_;
    std::wstring skinnedWith_;
    COLORREF color_;
    // Fonts stay until the dialog goes: a child, or the skin engine when it gives a control
    // its font back, may still hold one of an earlier scale.
    std::map<std::wstring, UniqueFont> fonts_;
    bool laidOut_ = false;
};

// A dialog created for one use, owned by `owner`, and freed when the flow that shows it ends,
// however it ends; Free frees it earlier, where the flow has more to do after it.
template <typename T>
class TOneUseDialog {
public:
    template <typename... Args>
    explicit TOneUseDialog(TForm& owner, Args&&... args)
        : form_(Application.CreateForm<T>(&owner, std::forward<Args>(args)...)) {}
    ~TOneUseDialog() { Free(); }
    TOneUseDialog(const TOneUseDialog&) = delete;
    TOneUseDialog& operator=(const TOneUseDialog&) = delete;

    T* operator->() const { return form_; }
    void Free() {
        if (form_) Application.DestroyForm(form_);
        form_ = nullptr;
    }

private:
    T* form_;
};
