// The picture rules of the drawn tray icons: pure functions over a device context, so a
// test draws into a memory bitmap and reads the pixels back. Every picture covers the
// whole square surface of `size` pixels, the small-icon size the tray asks for: at 16 a
// black left column and top row with the content in columns and rows 1..15. Larger sizes
// are drawn natively, never stretched: the border is size / 16 whole pixels thick, the
// chart keeps its fifteen samples in columns that share the inner width evenly, a step of
// the 0..15 scale is inner height / 15 pixels (rounded), and a number takes the largest
// font that fits the inner square.
#pragma once
#include <windows.h>
#include <array>
#include <cstdint>
#include <string>
#include "framework/uHandles.h"

constexpr int TrayIconSize = 16;

struct TTrayColors {
    COLORREF background;
    COLORREF normal;
    COLORREF warning;
    int32_t warningLevel;  // in steps of the 0..15 scale
};

// Sixteen values on the 0..15 scale; value 0 is never drawn (column x shows value x).
using TChartValues = std::array<uint32_t, TrayIconSize>;

struct TFittedFont {
    UniqueFont font;  // empty when not even height 1 fits
    SIZE extent{};    // of the text in that font (or in the last font tried)
    int height = 0;   // cell height of the font, 0 when none fits
};

// The border's thickness and the inner square's side at a picture size (1 and 15 at 16).
int TrayBorder(int size);
int TrayInner(int size);
// A height of the 16-pixel picture (0..15 pixels) at a picture size: whole pixels, rounded.
int ScaleTrayHeight(int pixels16, int size);

void PaintFrame(HDC dc, COLORREF background, int size = TrayIconSize);
// The largest "Arial" cell height (inner side down to 1) at which `text` fits the inner
// square: at 16 pixels, at most 15 x 15.
TFittedFont FitFont(HDC dc, const std::wstring& text, int size = TrayIconSize);
void PaintNumber(HDC dc, const std::wstring& text, COLORREF background, COLORREF textColor, int size = TrayIconSize);
void PaintChart(HDC dc, const TTrayColors& colors, const TChartValues& values, bool freeMode, int size = TrayIconSize);
void PaintBar(HDC dc, const TTrayColors& colors, uint32_t percent, bool freeMode, int size = TrayIconSize);

// Round to nearest, ties to the even neighbour (the rounding of every picture rule).
int64_t RoundHalfEven(double value);
