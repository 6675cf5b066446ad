// Painting with the cleanup paths written once: the paint cycle of WM_PAINT, a device
// context state put back as it was, and painting off-screen into a bitmap that is copied
// to the target in one operation (no flicker while a window repaints often).
#pragma once
#include <windows.h>
#include "uHandles.h"

// BeginPaint and EndPaint as a pair, also when the painting code throws.
class PaintDC {
public:
    explicit PaintDC(HWND window) noexcept : window_(window), dc_(::BeginPaint(window, &ps_)) {}
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { ::EndPaint(window_, &ps_); }
    HDC get() const noexcept { return dc_; }
    // The part that needs painting, in client coordinates.
    const RECT& Area() const noexcept { return ps_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// Everything selected or set in the context from here on is undone at the end of the scope.
class SavedDC {
public:
    explicit SavedDC(HDC dc) noexcept : dc_(dc), state_(::SaveDC(dc)) {}
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;
    ~SavedDC() {
        if (state_) ::RestoreDC(dc_, state_);
    }

private:
    HDC dc_;
    int state_;
};

// A memory context covering `area` of `target`, in the target's coordinates; what is drawn
// into it reaches the target at the end of the scope, in one copy.
class BufferedPaint {
public:
    BufferedPaint(HDC target, const RECT& area) noexcept
        : target_(target),
          area_(area),
          dc_(::CreateCompatibleDC(target)),
          bitmap_(::CreateCompatibleBitmap(target, area.right - area.left, area.bottom - area.top)),
          previous_(dc_ && bitmap_ ? ::SelectObject(dc_.get(), bitmap_.get()) : nullptr) {
        if (previous_) ::SetWindowOrgEx(dc_.get(), area.left, area.top, nullptr);
    }
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    ~BufferedPaint() {
        if (!previous_) return;
        ::BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, dc_.get(),
                 area_.left, area_.top, SRCCOPY);
        ::SelectObject(dc_.get(), previous_);  // before the owners free the bitmap
    }
    // Where to draw; the target itself when no memory context could be made.
    HDC get() const noexcept { return previous_ ? dc_.get() : target_; }

private:
    HDC target_;
    RECT area_;
    UniqueMemoryDC dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ previous_;
};
