// A native scroll bar control of a skinned dialog drawn from the dialog style's scroll bar
// sections. The control keeps its range, position, page, keyboard handling and the messages
// it sends its parent; the subclass draws it and tracks the mouse itself, because the
// system's own tracking draws the control directly, around any painting of ours.
#pragma once
#include <windows.h>
#include <memory>
#include "skin/uSkinPaint.h"
#include "skin/uSkinScrollBar.h"
#include "skin/uSkinSubclass.h"

struct SkinDialogStyle;

class TSkinDialogScrollBar final : public TSkinSubclass {
public:
    TSkinDialogScrollBar(HWND bar, HWND dialog, std::shared_ptr<TSkinPainter> painter, const SkinDialogStyle& style);
    ~TSkinDialogScrollBar() override;
    // Subclasses the control and repaints it in the skin's look.
    void Start();

    // `background`: a brush continuing the dialog's background (its origin at the dialog's).
    void SetLook(HBRUSH background, int dpi);

    // The control's values as the skin's scroll arithmetic reads them, at position `pos`.
    static SkinScrollValues Values(const SCROLLINFO& info, int pos);
    // Where the parts lie in a client area of `size`: arrows of the bar's thickness, and a
    // thumb long enough to grab.
    static SkinScrollParts Parts(SIZE size, bool horizontal, const SkinScrollValues& v);

private:
    enum Part { None, PrevArrow, PrevPage, Thumb, NextPage, NextArrow };
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override;
    const char* Place() const noexcept override { return "scrollbar"; }
    void Paint(HDC dc);
    SkinScrollParts Current(RECT* client = nullptr) const;
    int Along(const SkinRect& r, bool end) const;
    Part HitTest(POINT at) const;
    int Along(POINT at) const;
    void Send(WORD code);
    void Press(Part part);
    void Repeat();

    HWND bar_, dialog_;
    std::shared_ptr<TSkinPainter> painter_;
    const SkinDialogStyle& style_;
    HBRUSH background_ = nullptr;
    int dpi_ = 96;
    bool horizontal_;
    Part pressed_ = None, hot_ = None;
    bool tracking_ = false;
    int grabOffset_ = 0, trackPos_ = 0;
};
