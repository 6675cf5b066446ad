// Vector sections drawn at device resolution into premultiplied BGRA pixels: solid and
// gradient fills, smooth (anti-aliased) rounded corners and borders. No Windows headers.
#pragma once
#include "skin/uSkinModel.h"

// `scale` is the display scale (dpi / 96) applied to the radius and the border width.
// `part` (within 0,0,width,height) limits the work and the result to that rectangle of the
// whole shape; an empty part means all of it.
SkinBitmap RasterizeFill(const SkinSection& section, int width, int height, double scale, SkinRect part = {});

// Where the 9-grid of a section puts its nine parts: source and destination rectangles for
// a destination of `width` x `height` device pixels. Margins are scaled by `scale`
// (destination) and `sourceScale` (the image variant's factor, 1 or 2), and shrink
// proportionally when the destination is smaller than the margins.
struct SkinGridPart {
    SkinRect source, dest;
};
int GridParts(const SkinSection& section, int sourceScale, int width, int height, double scale, SkinGridPart out[9]);

// Tiles: `source` (pixels of `image`) scaled to `tileW` x `tileH` and repeated from the
// origin (originX, originY); the result holds the pixels of `visible` (same coordinates), so the
// work and the memory are those of the repainted part, whatever the tile's size.
SkinBitmap TileFill(const SkinBitmap& image, const SkinRect& source, int tileW, int tileH, int originX, int originY,
                    const SkinRect& visible);

// Device pixels of a design length: the same rounding everywhere, so neighbours stay adjacent.
inline int ScaleDesign(int value, int dpi) {
    long long v = static_cast<long long>(value) * dpi;
    return static_cast<int>(v >= 0 ? (v + 48) / 96 : -((-v + 48) / 96));
}
