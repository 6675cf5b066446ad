#include "skin/uSkinLabel.h"
#include "framework/uHandles.h"
#include "skin/uSkinBinding.h"

TSkinLabel::TSkinLabel(HWND parent, const RECT& bounds) : TCustomControl(parent, bounds, L"KorvixSkinLabel") {}

void TSkinLabel::SetCaption(const std::wstring& caption) {
    caption_ = caption;
    ::SetWindowTextW(Handle(), caption.c_str());
    Invalidate();
}

void TSkinLabel::Paint(HDC dc) {
    RECT r{};
    ::GetClientRect(Handle(), &r);
    HWND parent = ::GetParent(Handle());
    const TSkinDialogLook* look = DialogLookOf(parent);
    // Drawn off screen, then copied: no flicker when the caption changes.
    UniqueMemoryDC mem(::CreateCompatibleDC(dc));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(dc, std::max<int>(r.right, 1), std::max<int>(r.bottom, 1)));
    SelectGuard selectBitmap(mem.get(), bitmap.get());
    if (look) {
        POINT at{0, 0};
        ::MapWindowPoints(Handle(), parent, &at, 1);
        ::SetBrushOrgEx(mem.get(), -at.x, -at.y, nullptr);
        ::FillRect(mem.get(), &r, look->background);
    } else {
        ::FillRect(mem.get(), &r, ::GetSysColorBrush(COLOR_BTNFACE));
    }
    SelectGuard selectFont(mem.get(), look ? look->font : Font());
    ::SetBkMode(mem.get(), TRANSPARENT);
    ::SetTextColor(mem.get(), look ? SkinColorValue(look->text) : ::GetSysColor(COLOR_BTNTEXT));
    ::DrawTextW(mem.get(), caption_.c_str(), int(caption_.size()), &r, DT_WORDBREAK | DT_NOPREFIX);
    ::BitBlt(dc, 0, 0, r.right, r.bottom, mem.get(), 0, 0, SRCCOPY);
}
