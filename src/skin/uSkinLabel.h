// A label that draws its caption in the skin's look: the dialog style's font, text colour and
// background when its parent is a skinned dialog, the system's plain look otherwise.
#pragma once
#include <windows.h>
#include <string>
#include "framework/uCustomControl.h"

class TSkinLabel : public TCustomControl {
public:
    TSkinLabel(HWND parent, const RECT& bounds);
    const std::wstring& Caption() const noexcept { return caption_; }
    void SetCaption(const std::wstring& caption);

protected:
    void Paint(HDC dc) override;

private:
    std::wstring caption_;
};
