// The picture rules of the drawn tray icons: pure functions over a device context, so a
// test draws into a memory bitmap and reads the pixels back. Every picture covers the
// whole 16 x 16 surface: a black left column and top row, content in columns and rows 1..15.
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

void PaintFrame(HDC dc, COLORREF background);
// The largest "Arial" cell height (15 down to 1) at which `text` measures at most 15 x 15.
TFittedFont FitFont(HDC dc, const std::wstring& text);
void PaintNumber(HDC dc, const std::wstring& text, COLORREF background, COLORREF textColor);
void PaintChart(HDC dc, const TTrayColors& colors, const TChartValues& values, bool freeMode);
void PaintBar(HDC dc, const TTrayColors& colors, uint32_t percent, bool freeMode);

// Round to nearest, ties to the even neighbour (the rounding of every picture rule).
int64_t RoundHalfEven(double value);
