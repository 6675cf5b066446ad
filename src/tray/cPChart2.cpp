#include "cPChart2.h"
#include <algorithm>
#include <vector>
#include "legacy/uGlobals.h"
#include "legacy/uMessages.h"
#include "tray/uTrayPaint.h"

namespace {
constexpr int ShownSamples = 200;
constexpr int FirstShown = TIntArray::Capacity - ShownSamples;  // 800
constexpr int ScaleSteps = 4;
constexpr int LabelX = 10;
constexpr int LabelGap = 2;  // a label sits this far below its line
constexpr int MarkerWidth = 3;

uint32_t ShownMB(const TChartPicture& p, int i) {
    return static_cast<uint32_t>(p.memory->GetMB(FirstShown + i, p.showFree));
}

// Step 2: the largest shown megabyte value (unsigned), at least 1, then the owner's say.
uint32_t ScaleMaximum(const TChartPicture& p) {
    uint32_t maxY = 0;
    if (p.memory) {
        for (int i = 0; i < ShownSamples; ++i) maxY = std::max(maxY, ShownMB(p, i));
    }
    if (maxY == 0) maxY = 1;
    if (p.getMaxY) p.getMaxY(maxY);
    return maxY;
}

int ScaleY(double value, uint32_t maxY, int height) {
    return height - static_cast<int>(RoundHalfEven(value / maxY * height));
}

int SampleX(int i, int width) { return static_cast<int>(RoundHalfEven(static_cast<double>(width) / 199.0 * i)); }

void FillBackground(HDC dc, const TChartPicture& p) {
    UniqueBrush brush(::CreateSolidBrush(p.color));
    RECT r{0, 0, p.width + 1, p.height + 1};
    ::FillRect(dc, &r, brush.get());
}

void DrawMemoryArea(HDC dc, const TChartPicture& p, uint32_t maxY) {
    std::vector<POINT> points;
    points.reserve(ShownSamples + 2);
    points.push_back({0, p.height});
    for (int i = 0; i < ShownSamples; ++i) {
        double value = p.memory ? ShownMB(p, i) : 0.0;
        points.push_back({SampleX(i, p.width), ScaleY(value, maxY, p.height)});
    }
    points.push_back({p.width, p.height});
    UniqueBrush brush(::CreateSolidBrush(p.dataColor));
    SelectGuard fill(dc, brush.get());
    ::Polygon(dc, points.data(), static_cast<int>(points.size()));
}

void DrawCpuLine(HDC dc, const TChartPicture& p) {
    std::vector<POINT> points;
    points.reserve(ShownSamples + 1);
    points.push_back({0, p.height});
    for (int i = 0; i < ShownSamples; ++i) {
        double load = static_cast<double>(p.cpu->Get(FirstShown + i));
        points.push_back({SampleX(i, p.width), p.height - static_cast<int>(RoundHalfEven(load / 100.0 * p.height))});
    }
    UniquePen pen(::CreatePen(PS_SOLID, 1, p.cpuColor));
    SelectGuard line(dc, pen.get());
    ::Polyline(dc, points.data(), static_cast<int>(points.size()));
}

// The marker values are in used-memory terms, so the free view mirrors them at M - value.
void DrawMarker(HDC dc, const TChartPicture& p, uint32_t value, COLORREF color, uint32_t maxY) {
    double amount = p.showFree ? static_cast<double>(p.totalMB) - value : static_cast<double>(value);
    int y = ScaleY(amount, maxY, p.height);
    UniquePen pen(::CreatePen(PS_SOLID, MarkerWidth, color));
    SelectGuard line(dc, pen.get());
    ::MoveToEx(dc, 0, y, nullptr);
    ::LineTo(dc, p.width, y);
}

void DrawLabel(HDC dc, const TChartPicture& p, uint32_t value, int x, int y) {
    std::wstring text = std::to_wstring(value);
    if (p.getYDisplay) p.getYDisplay(value, text);
    ::TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void DrawScale(HDC dc, const TChartPicture& p, uint32_t maxY) {
    LOGFONTW attributes{};
    HFONT source = p.scaleFont ? p.scaleFont : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    ::GetObjectW(source, sizeof(attributes), &attributes);
    UniqueFont font(::CreateFontIndirectW(&attributes));
    UniquePen pen(::CreatePen(PS_SOLID, 1, p.fontColor));
    SelectGuard selectedFont(dc, font.get());
    SelectGuard selectedPen(dc, pen.get());
    COLORREF oldColor = ::SetTextColor(dc, p.fontColor);
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    DrawLabel(dc, p, maxY, LabelX, 0);
    for (int i = 1; i < ScaleSteps; ++i) {
        auto value = static_cast<uint32_t>(RoundHalfEven(static_cast<double>(maxY) / ScaleSteps * i));
        int h = p.height * (ScaleSteps - i) / ScaleSteps;
        ::MoveToEx(dc, 0, h, nullptr);
        ::LineTo(dc, p.width, h);
        DrawLabel(dc, p, value, LabelX, h + LabelGap);
    }
    ::SetBkMode(dc, oldMode);
    ::SetTextColor(dc, oldColor);
}
}  // namespace

void PaintPerformanceChart(HDC dc, const TChartPicture& p) {
    UniquePen outline(::CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    SelectGuard pen(dc, outline.get());
    FillBackground(dc, p);
    uint32_t maxY = ScaleMaximum(p);
    // Drawing order: area, processor line, markers, then the scale over all of them.
    DrawMemoryArea(dc, p, maxY);
    if (p.cpu) DrawCpuLine(dc, p);
    if (p.showAdjust) DrawMarker(dc, p, p.adjustValue, p.adjustColor, maxY);
    if (p.showAdjust2) DrawMarker(dc, p, p.adjustValue2, p.adjustColor2, maxY);
    DrawScale(dc, p, maxY);
}

// ---- The control ----

TPerformanceChart::TPerformanceChart(HWND parent, const RECT& bounds)
    : TCustomControl(parent, bounds, L"KorvixPerformanceChart") {
    SetScaleFont(Font());
}

void TPerformanceChart::SetColor(COLORREF value) { Store(color_, value); }
void TPerformanceChart::SetDataColor(COLORREF value) { Store(dataColor_, value); }
void TPerformanceChart::SetCPUColor(COLORREF value) { Store(cpuColor_, value); }
void TPerformanceChart::SetAdjustColor(COLORREF value) { Store(adjustColor_, value); }
void TPerformanceChart::SetAdjustColor2(COLORREF value) { Store(adjustColor2_, value); }
void TPerformanceChart::SetFontColor(COLORREF value) { Store(fontColor_, value); }
void TPerformanceChart::SetAdjustValue(uint32_t value) { Store(adjustValue_, value); }
void TPerformanceChart::SetAdjustValue2(uint32_t value) { Store(adjustValue2_, value); }
void TPerformanceChart::SetShowAdjust(bool value) { Store(showAdjust_, value); }
void TPerformanceChart::SetShowAdjust2(bool value) { Store(showAdjust2_, value); }

void TPerformanceChart::SetShowFree(bool value) {
    if (value != showFree_) Store(showFree_, value);
}

void TPerformanceChart::SetScaleFont(HFONT font) {
    LOGFONTW attributes{};
    if (!font || !::GetObjectW(font, sizeof(attributes), &attributes)) return;
    scaleFont_.reset(::CreateFontIndirectW(&attributes));
    Invalidate();
}

TChartPicture TPerformanceChart::Picture() {
    TChartPicture p;
    p.width = Width();
    p.height = Height();
    p.color = color_;
    p.dataColor = dataColor_;
    p.cpuColor = cpuColor_;
    p.adjustColor = adjustColor_;
    p.adjustColor2 = adjustColor2_;
    p.fontColor = fontColor_;
    p.scaleFont = scaleFont_.get();
    p.showFree = showFree_;
    p.showAdjust = showAdjust_;
    p.showAdjust2 = showAdjust2_;
    p.adjustValue = adjustValue_;
    p.adjustValue2 = adjustValue2_;
    p.totalMB = TotalPhysMB;
    p.memory = MemoryHistory.get();
    p.cpu = CpuHistory.get();
    if (OnGetMaxY) p.getMaxY = [this](uint32_t& maxY) { OnGetMaxY(this, maxY); };
    if (OnGetYDisplay) p.getYDisplay = [this](uint32_t y, std::wstring& text) { OnGetYDisplay(this, y, text); };
    return p;
}

void TPerformanceChart::Paint(HDC dc) {
    TChartPicture picture = Picture();
    UniqueMemoryDC composition(::CreateCompatibleDC(dc));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(dc, picture.width, picture.height));
    {
        SelectGuard surface(composition.get(), bitmap.get());
        PaintPerformanceChart(composition.get(), picture);
        ::BitBlt(dc, 0, 0, picture.width + 1, picture.height + 1, composition.get(), 0, 0, SRCCOPY);
    }
}

LRESULT TPerformanceChart::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND: return 0;  // every paint covers the whole client area
        case WM_LBUTTONUP: WMLButtonUp(wParam, lParam); return 0;
        case WM_OPTIONSCHANGED: Invalidate(); return 0;
        default: return TCustomControl::WndProc(msg, wParam, lParam);
    }
}

void TPerformanceChart::WMLButtonUp(WPARAM wParam, LPARAM lParam) {
    DefaultProc(WM_LBUTTONUP, wParam, lParam);
    if (OnClick) OnClick(this);
}
