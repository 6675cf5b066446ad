// Painting a form's layout into memory without the system's drawing: the same culling,
// fades, 9-grids, tiles, vector fills, scroll bars and focus ring as the window's painter
// (uSkinPaint), from the same pure pieces (layout, GridParts, TileFill, RasterizeFill,
// ScrollParts); only text, which the system draws, is left out. The paint fuzzer runs it at
// several DPIs, so what painting costs is bounded for any skin that loads. No Windows headers.
#pragma once
#include "skin/uSkinLayout.h"

struct TSkinComposeState {
    int hot = -1, pressed = -1, focused = -1;
    TSkinColor focusColor;
};

// Paints every visible element of `layout` that meets `clip` (device pixels) into `target`
// (premultiplied BGRA, device pixels from 0,0), over what it holds.
void ComposeLayout(const TSkinLayout& layout, int dpi, const SkinRect& clip, const TSkinComposeState& state,
                   SkinBitmap& target);
