#include "uTrayPaint.h"
#include <algorithm>
#include <cmath>

namespace {
constexpr int InnerSteps = 15;  // rows below the top border
constexpr COLORREF Black = RGB(0, 0, 0);

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

void PaintFrame(HDC dc, COLORREF background) {
    FillSolid(dc, {0, 0, TrayIconSize, TrayIconSize}, background);
    UniquePen pen(::CreatePen(PS_SOLID, 1, Black));
    SelectGuard selected(dc, pen.get());
    ::MoveToEx(dc, 0, TrayIconSize - 1, nullptr);
    ::LineTo(dc, 0, 0);
    ::LineTo(dc, TrayIconSize, 0);
}

TFittedFont FitFont(HDC dc, const std::wstring& text) {
    TFittedFont fitted;
    for (int height = InnerSteps; height >= 1; --height) {
        UniqueFont font(::CreateFontW(height, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial"));
        {
            SelectGuard selected(dc, font.get());
            ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &fitted.extent);
        }
        if (fitted.extent.cx <= InnerSteps && fitted.extent.cy <= InnerSteps) {
            fitted.font = std::move(font);
            fitted.height = height;
            return fitted;
        }
    }
    return fitted;
}

void PaintNumber(HDC dc, const std::wstring& text, COLORREF background, COLORREF textColor) {
    PaintFrame(dc, background);
    TFittedFont fitted = FitFont(dc, text);
    SelectGuard selected(dc, fitted.font.get());
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = ::SetTextColor(dc, textColor);
    // Centred in the 15 x 15 inner square; an odd leftover puts the extra pixel left and above.
    int x = (TrayIconSize - fitted.extent.cx) / 2 + 1;
    int y = (TrayIconSize - fitted.extent.cy) / 2 + 1;
    ::TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
}

void PaintChart(HDC dc, const TTrayColors& colors, const TChartValues& values, bool freeMode) {
    PaintFrame(dc, colors.background);
    UniquePen normal(::CreatePen(PS_SOLID, 1, colors.normal));
    UniquePen warning(::CreatePen(PS_SOLID, 1, colors.warning));
    for (int x = 1; x < TrayIconSize; ++x) {
        uint32_t v = values[x];
        SelectGuard pen(dc, ChartWarns(v, colors.warningLevel, freeMode) ? warning.get() : normal.get());
        // A line from the bottom row up to 16 - v, end excluded: v - 1 pixels, and v = 0 the
        // bottom pixel alone. Values above the scale stop below the top border row.
        int top = TrayIconSize - static_cast<int>(std::min<uint32_t>(v, TrayIconSize));
        ::MoveToEx(dc, x, TrayIconSize - 1, nullptr);
        ::LineTo(dc, x, top);
    }
}

void PaintBar(HDC dc, const TTrayColors& colors, uint32_t percent, bool freeMode) {
    PaintFrame(dc, colors.background);
    uint64_t height = static_cast<uint64_t>(percent) * TrayIconSize / 100;
    if (height == 0) return;
    COLORREF color =
        BarWarns(static_cast<uint32_t>(std::min<uint64_t>(height, UINT32_MAX)), colors.warningLevel, freeMode)
            ? colors.warning
            : colors.normal;
    // 100 % and more would start on the black top row: such a bar fills the 15 inner rows.
    int top = TrayIconSize - static_cast<int>(std::min<uint64_t>(height, InnerSteps));
    FillSolid(dc, {1, top, TrayIconSize, TrayIconSize}, color);
}
