// A native scroll bar control of a skinned dialog drawn from the dialog style's scroll bar
// sections. The control keeps its range, position, page, keyboard handling and the messages
// it sends its parent; the subclass draws it and tracks the mouse itself, because the
// system's own tracking draws the control directly, around any painting of ours.
#pragma once
#include <windows.h>
#include <memory>
#include "skin/uSkinPaint.h"
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

    // Where the parts lie in a bar of `length` x `thickness` pixels (along its axis): the
    // two arrow squares, the track between them, and the thumb inside the track.
    struct Geometry {
        int arrow, trackStart, trackEnd, thumbStart, thumbEnd;
    };
    static Geometry Measure(int length, int thickness, int min, int max, int page, int pos);
    // The position a thumb whose leading edge lies at `thumbStart` stands for.
    static int PositionAt(const Geometry& g, int thumbStart, int min, int max, int page);

private:
    enum Part { None, PrevArrow, PrevPage, Thumb, NextPage, NextArrow };
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam) override;
    const char* Place() const noexcept override { return "scrollbar"; }
    void Paint(HDC dc);
    Geometry Current(RECT* client = nullptr) const;
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
