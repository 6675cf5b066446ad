// The binding of a skin to one window: a subclass of the window's procedure that draws it
// from the skin and turns input into the skin's events. Two kinds: a form that draws the
// whole client area (apply form), and the dialog style over standard controls (skin window).
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include "skin/uSkin.h"
#include "skin/uSkinPaint.h"
#include "skin/uSkinSubclass.h"
#include "skin/uSkinTree.h"

// Where a binding delivers the events of its window: the TSkin that drew it.
struct TSkinEventSink {
    TSkin* skin = nullptr;
    // Called once the window is being destroyed; the binding is freed by the owner.
    std::function<void(HWND)> windowDestroyed;
};

class TSkinBinding : public TSkinSubclass {
public:
    TSkinBinding(HWND window, std::shared_ptr<TSkinPainter> painter, TSkinEventSink sink);
    ~TSkinBinding() override;

    HWND Window() const { return window_; }
    const std::shared_ptr<TSkinTree>& Tree() const { return tree_; }
    // Subclasses the window and gives it the skin's look; the factories call it once the
    // object is complete, and free the object when it throws.
    virtual void Start() = 0;

protected:
    // Subclasses the window (Start of the derived class).
    void Attach();
    void WindowDestroyed() noexcept override;

    HWND window_;
    std::shared_ptr<TSkinPainter> painter_;
    TSkinEventSink sink_;
    std::shared_ptr<TSkinTree> tree_;
};

std::unique_ptr<TSkinBinding> CreateFormBinding(HWND window, std::shared_ptr<TSkinPainter> painter, TSkinEventSink sink,
                                                const SkinForm& form);
std::unique_ptr<TSkinBinding> CreateDialogBinding(HWND window, std::shared_ptr<TSkinPainter> painter,
                                                  TSkinEventSink sink);

// The DPI a WM_DPICHANGED of this thread asks for, within the scales Windows offers (100 % to
// 500 %; a little below for systems set lower), so a forged value cannot ask for a huge surface.
int SkinMessageDpi(WPARAM wParam);

// An exception thrown by an event handler goes to the skin's OnError; without one, or when the
// handler has freed the skin, to the application's error sink.
void ReportSkinHandlerError(TSkin* skin, std::exception_ptr error) noexcept;

// The look a skinned dialog gives its children; TSkinLabel draws with it. Null when the
// window is not a skinned dialog.
struct TSkinDialogLook {
    HFONT font;
    TSkinColor text;
    HBRUSH background;  // a brush that continues the dialog's background (set the brush origin)
};
const TSkinDialogLook* DialogLookOf(HWND dialog);
