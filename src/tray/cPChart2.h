// The history chart: used (or free) physical memory of the newest 200 samples as a filled
// area, the processor load as a line over it, up to two marker lines for memory amounts
// and a four-step scale with labels. Composed off-screen and copied in one operation, and
// the background is never erased separately, so repainting after every sample does not flicker.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include "framework/uCustomControl.h"
#include "framework/uHandles.h"
#include "probes/uIntArray.h"

class TPerformanceChart;

// Everything one picture depends on; PaintPerformanceChart draws it on any device context.
struct TChartPicture {
    int width = 100;
    int height = 100;
    COLORREF color = RGB(255, 255, 255);
    COLORREF dataColor = RGB(255, 255, 0);
    COLORREF cpuColor = RGB(0, 0, 255);
    COLORREF adjustColor = RGB(255, 0, 0);
    COLORREF adjustColor2 = RGB(255, 0, 0);
    COLORREF fontColor = RGB(0, 0, 0);
    HFONT scaleFont = nullptr;
    bool showFree = false;
    bool showAdjust = false;
    bool showAdjust2 = false;
    uint32_t adjustValue = 0;  // megabytes of used memory; shown at M - value when showFree
    uint32_t adjustValue2 = 0;
    int32_t totalMB = 0;  // M
    const TIntArray* memory = nullptr;
    const TIntArray* cpu = nullptr;  // none while processor monitoring is off: no line
    std::function<void(uint32_t& maxY)> getMaxY;
    std::function<void(uint32_t y, std::wstring& text)> getYDisplay;
};

void PaintPerformanceChart(HDC dc, const TChartPicture& picture);

class TPerformanceChart : public TCustomControl {
public:
    using TGetMaxY = std::function<void(TPerformanceChart* sender, uint32_t& maxY)>;
    using TGetYDisplay = std::function<void(TPerformanceChart* sender, uint32_t y, std::wstring& text)>;
    using TNotifyEvent = std::function<void(TPerformanceChart* sender)>;

    // A visible child control of `parent` at `bounds` (parent client coordinates; 100 x 100
    // at the origin by default). The scale font starts as a copy of the parent's font.
    explicit TPerformanceChart(HWND parent, const RECT& bounds = {0, 0, 100, 100});

    TGetMaxY OnGetMaxY;          // may replace the scale maximum (must leave it above 0)
    TGetYDisplay OnGetYDisplay;  // may replace a scale label
    TNotifyEvent OnClick;        // left button released over the chart

    // Every write below repaints, also with an unchanged value; ShowFree only on a change.
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF value);
    COLORREF DataColor() const { return dataColor_; }
    void SetDataColor(COLORREF value);
    COLORREF CPUColor() const { return cpuColor_; }
    void SetCPUColor(COLORREF value);
    COLORREF AdjustColor() const { return adjustColor_; }
    void SetAdjustColor(COLORREF value);
    COLORREF AdjustColor2() const { return adjustColor2_; }
    void SetAdjustColor2(COLORREF value);
    COLORREF FontColor() const { return fontColor_; }
    void SetFontColor(COLORREF value);
    uint32_t AdjustValue() const { return adjustValue_; }
    void SetAdjustValue(uint32_t value);
    uint32_t AdjustValue2() const { return adjustValue2_; }
    void SetAdjustValue2(uint32_t value);
    bool ShowAdjust() const { return showAdjust_; }
    void SetShowAdjust(bool value);
    bool ShowAdjust2() const { return showAdjust2_; }
    void SetShowAdjust2(bool value);
    bool ShowFree() const { return showFree_; }
    void SetShowFree(bool value);
    HFONT ScaleFont() const { return scaleFont_.get(); }
    // Copies the font's attributes into the chart's own scale font.
    void SetScaleFont(HFONT font);

    // The current picture: the properties, the histories and the events.
    TChartPicture Picture();

protected:
    void Paint(HDC dc) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    template <typename T>
    void Store(T& field, T value) {
        field = value;
        Invalidate();
    }
    void WMLButtonUp(WPARAM wParam, LPARAM lParam);

    COLORREF color_ = RGB(255, 255, 255);
    COLORREF dataColor_ = RGB(255, 255, 0);
    COLORREF cpuColor_ = RGB(0, 0, 255);
    COLORREF adjustColor_ = RGB(255, 0, 0);
    COLORREF adjustColor2_ = RGB(255, 0, 0);
    COLORREF fontColor_ = RGB(0, 0, 0);
    uint32_t adjustValue_ = 0;
    uint32_t adjustValue2_ = 0;
    bool showAdjust_ = false;
    bool showAdjust2_ = false;
    bool showFree_ = false;
    UniqueFont scaleFont_;
};
