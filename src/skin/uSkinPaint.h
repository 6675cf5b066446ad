// Drawing a skin with GDI: the loaded skin's images as premultiplied DIBs drawn with
// AlphaBlend (9-grid, tiles, the 2x variant from 150 % on), vector sections rasterised at the
// device's resolution, fonts per DPI, and a live element tree painted into a back buffer.
#pragma once
#include <windows.h>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>
#include "framework/uDpi.h"
#include "framework/uHandles.h"
#include "skin/uSkinTree.h"

// What the window adds to the tree's own values while painting.
struct TSkinPaintState {
    int hot = -1;      // the element under the mouse
    int pressed = -1;  // the button held down (drawn pushed while the mouse is over it)
    int focused = -1;  // the element with the focus mark, -1 when no mark shows
    TSkinColor focusColor;
};

class TSkinPainter {
public:
    explicit TSkinPainter(std::shared_ptr<const SkinModel> model);
    TSkinPainter(const TSkinPainter&) = delete;
    TSkinPainter& operator=(const TSkinPainter&) = delete;

    const SkinModel& Model() const { return *model_; }
    std::shared_ptr<const SkinModel> ModelPtr() const { return model_; }
    // Draws a section (with the _pressed/_checked fallback) over `dest`; false when none matches.
    bool DrawSection(HDC dc, const std::wstring& name, const RECT& dest, int dpi);
    // A font of the skin at `dpi`; -1 gives the default font. Cached for painting: valid until
    // the next call at another DPI (the cache keeps the fonts of a few DPIs only).
    HFONT Font(int index, int dpi);
    // The same font, owned by the caller (for a font a window keeps).
    UniqueFont CreateFont(int index, int dpi) const;
    void DrawText(HDC dc, const std::wstring& text, RECT rect, int font, TSkinColor color, SkinAlign align,
                  SkinAlign valign, bool wrap, int dpi);
    // Paints every visible element of `tree` that meets `clip` (device pixels).
    void PaintTree(HDC dc, const TSkinTree& tree, int dpi, const RECT& clip, const TSkinPaintState& state);
    // The keyboard focus mark: a rounded ring `gap` design pixels outside `r` (inside when negative).
    void DrawFocusMark(HDC dc, const RECT& r, int dpi, TSkinColor color, int gap = 2);
    // Drops cached vector renderings and fonts (after a DPI change).
    void Trim();

private:
    void DrawImage(HDC dc, const SkinSection& section, const RECT& dest, int dpi);
    void DrawFill(HDC dc, const SkinSection& section, const RECT& dest, int dpi);
    // `layered`: the fade of this node is being composed; draw it opaque.
    void PaintNode(HDC dc, const TSkinTree& tree, int index, int dpi, const RECT& clip, const TSkinPaintState& state,
                   bool layered);
    void PaintContent(HDC dc, const TSkinTree& tree, int index, const RECT& r, int dpi, const TSkinPaintState& state);
    void PaintScrollBar(HDC dc, const TSkinNode& node, const RECT& r, int dpi);
    HBITMAP ImageBitmap(int image, bool x2);

    std::shared_ptr<const SkinModel> model_;
    UniqueMemoryDC sourceDC_;
    std::vector<UniqueBitmap> images1x_, images2x_;
    std::map<std::tuple<const SkinSection*, int, int, int>, UniqueBitmap> fills_;
    std::map<std::pair<int, int>, UniqueFont> fonts_;
};

// The one maker of drawing surfaces: a 32-bit top-down DIB section of the given size, filled
// from `pixels` when given; `bits` receives its pixel memory when asked for. Throws ESkinError.
UniqueBitmap CreateSkinDib(int width, int height, const uint32_t* pixels = nullptr, uint32_t** bits = nullptr);
