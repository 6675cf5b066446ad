#include "uTrayPaint.h"
#include <algorithm>
#include <cmath>

namespace {
constexpr int InnerSteps = 15;  // rows below the top border
constexpr COLORREF BlackColor = RGB(0, 0, 0);

// Free mode warns when little is free, used mode when much is used. The comparisons are
// unsigned, so a warning level above 15 makes every free-mode value a warning.
bool ChartWarns(uint32_t value, int32_t level, bool freeMode) {
    return freeMode ? value <= static_cast<uint32_t>(InnerSteps - level) : value >= static_cast<uint32_t>(level);
}

// The bar's free-mode threshold is one step lower than the chart's (below, not at or below).
bool BarWarns(uint32_t height, int32_t level, bool freeMode) {
    return freeMode ? height < static_cast<uint32_t>(InnerSteps - level) : height >= static_cast<uint32_t>(level);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    UniqueBrush brush(::CreateSolidBrush(color));
    ::FillRect(dc, &rect, brush.get());
}
}  // namespace

int64_t RoundHalfEven(double value) { return static_cast<int64_t>(std::nearbyint(value)); }

int TrayBorder(int size) { return std::max(1, size / TrayIconSize); }
int TrayInner(int size) { return size - TrayBorder(size); }

int ScaleTrayHeight(int pixels16, int size) { return (pixels16 * TrayInner(size) + InnerSteps / 2) / InnerSteps; }

void PaintFrame(HDC dc, COLORREF background, int size) {
    const int border = TrayBorder(size);
    FillSolid(dc, {0, 0, size, size}, background);
    UniqueBrush black(::CreateSolidBrush(BlackColor));
    const RECT left{0, 0, border, size}, top{0, 0, size, border};
    ::FillRect(dc, &left, black.get());
    ::FillRect(dc, &top, black.get());
}

TFittedFont FitFont(HDC dc, const std::wstring& text, int size) {
    const int inner = TrayInner(size);
    TFittedFont fitted;
    for (int height = inner; height >= 1; --height) {
        UniqueFont font(::CreateFontW(height, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial"));
        {
            SelectGuard selected(dc, font.get());
            ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &fitted.extent);
        }
        if (fitted.extent.cx <= inner && fitted.extent.cy <= inner) {
            fitted.font = std::move(font);
            fitted.height = height;
            return fitted;
        }
    }
    return fitted;
}

void PaintNumber(HDC dc, const std::wstring& text, COLORREF background, COLORREF textColor, int size) {
    PaintFrame(dc, background, size);
    TFittedFont fitted = FitFont(dc, text, size);
    SelectGuard selected(dc, fitted.font.get());
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = ::SetTextColor(dc, textColor);
    // Centred in the inner square; an odd leftover puts the extra pixel left and above.
    const int border = TrayBorder(size), inner = TrayInner(size);
    int x = border + (inner - fitted.extent.cx + 1) / 2;
    int y = border + (inner - fitted.extent.cy + 1) / 2;
    ::TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
}

void PaintChart(HDC dc, const TTrayColors& colors, const TChartValues& values, bool freeMode, int size) {
    PaintFrame(dc, colors.background, size);
    UniqueBrush normal(::CreateSolidBrush(colors.normal));
    UniqueBrush warning(::CreateSolidBrush(colors.warning));
    const int border = TrayBorder(size), inner = TrayInner(size);
    for (int x = 1; x < TrayIconSize; ++x) {
        uint32_t v = values[x];
        // At 16 pixels a column from the bottom row up to 16 - v, end excluded: v - 1 pixels,
        // and v = 0 the bottom pixel alone. Values above the scale stop below the top border.
        int pixels16 = v == 0 ? 1 : static_cast<int>(std::min<uint32_t>(v, TrayIconSize)) - 1;
        int height = ScaleTrayHeight(pixels16, size);
        // Fifteen columns share the inner width: one pixel each at 16, widened evenly above.
        RECT column{border + (x - 1) * inner / InnerSteps, size - height, border + x * inner / InnerSteps, size};
        ::FillRect(dc, &column, ChartWarns(v, colors.warningLevel, freeMode) ? warning.get() : normal.get());
    }
}

void PaintBar(HDC dc, const TTrayColors& colors, uint32_t percent, bool freeMode, int size) {
    PaintFrame(dc, colors.background, size);
    uint64_t height = static_cast<uint64_t>(percent) * TrayIconSize / 100;
    if (height == 0) return;
    COLORREF color =
        BarWarns(static_cast<uint32_t>(std::min<uint64_t>(height, UINT32_MAX)), colors.warningLevel, freeMode)
            ? colors.warning
            : colors.normal;
    // 100 % and more would start on the black top row: such a bar fills the 15 inner steps.
    int pixels = ScaleTrayHeight(static_cast<int>(std::min<uint64_t>(height, InnerSteps)), size);
    FillSolid(dc, {TrayBorder(size), size - pixels, size, size}, color);
}
