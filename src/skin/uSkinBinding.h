// The binding of a skin to one window: a subclass of the window's procedure that draws it
// from the skin and turns input into the skin's events. Two kinds: a form that draws the
// whole client area (apply form), and the dialog style over standard controls (skin window).
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include "skin/uSkin.h"
#include "skin/uSkinPaint.h"
#include "skin/uSkinTree.h"

// Where a binding delivers the events of its window: the TSkin that drew it.
struct TSkinEventSink {
    TSkin* skin = nullptr;
    // Called once the window is being destroyed; the binding is freed by the owner.
    std::function<void(HWND)> windowDestroyed;
};

class TSkinBinding {
public:
    TSkinBinding(HWND window, std::shared_ptr<TSkinPainter> painter, TSkinEventSink sink);
    virtual ~TSkinBinding();
    TSkinBinding(const TSkinBinding&) = delete;
    TSkinBinding& operator=(const TSkinBinding&) = delete;

    HWND Window() const { return window_; }
    const std::shared_ptr<TSkinTree>& Tree() const { return tree_; }

protected:
    // Installs the subclass; the derived constructor calls it once its state is ready.
    void Attach();
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
    void NotifyDestroyed();

    HWND window_;
    std::shared_ptr<TSkinPainter> painter_;
    TSkinEventSink sink_;
    std::shared_ptr<TSkinTree> tree_;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data);
    bool attached_ = false;
};

std::unique_ptr<TSkinBinding> CreateFormBinding(HWND window, std::shared_ptr<TSkinPainter> painter, TSkinEventSink sink,
                                                const SkinForm& form);
std::unique_ptr<TSkinBinding> CreateDialogBinding(HWND window, std::shared_ptr<TSkinPainter> painter,
                                                  TSkinEventSink sink);

// An exception thrown by an event handler goes to the skin's OnError (default: debugger output).
void ReportSkinHandlerError(TSkin* skin, const Exception& error);

// The look a skinned dialog gives its children; TSkinLabel draws with it. Null when the
// window is not a skinned dialog.
struct TSkinDialogLook {
    HFONT font;
    TSkinColor text;
    HBRUSH background;  // a brush that continues the dialog's background (set the brush origin)
};
const TSkinDialogLook* DialogLookOf(HWND dialog);
