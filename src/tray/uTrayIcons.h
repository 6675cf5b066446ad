// The three kinds of tray icon: memory and processor load drawn as chart, number or bar
// from the sample histories, and the program icon showing an icon resource.
#pragma once
#include <cstdint>
#include <string>
#include "probes/uIntArray.h"
#include "tray/uTrayIcon.h"

class TTrayIconMemory final : public TTrayIcon {
public:
    // Draws from MemoryHistory once shown.
    TTrayIconMemory() = default;
    bool ShowFree() const { return showFree_; }
    // Free instead of used memory; redraws also when the value is unchanged.
    void SetShowFree(bool value);

protected:
    void DrawChart(HDC dc) override;
    void DrawNumber(HDC dc) override;
    void DrawBar(HDC dc) override;

private:
    void UpdateHint();
    bool showFree_ = false;
};

class TTrayIconCPU final : public TTrayIcon {
public:
    // Black on yellow, warning in red.
    TTrayIconCPU();

protected:
    void DrawChart(HDC dc) override;
    void DrawNumber(HDC dc) override;
    void DrawBar(HDC dc) override;

private:
    void UpdateHint();
};

class TTrayIconResource final : public TTrayIcon {
public:
    // Shows "KORVIXICON".
    TTrayIconResource();
    const std::wstring& IconName() const { return iconName_; }
    // Shows the named icon resource of the program, or "KORVIXICON" when there is none.
    void SetIconName(const std::wstring& value);

protected:
    void IconSizeChanged() override;

private:
    void LoadIcon();
    std::wstring iconName_;
};

// ---- The value rules behind the pictures and tooltips (M = total physical megabytes) ----
// Trunc(MB x 15 / M) of history indexes 983..998; MB used or free.
TChartValues MemoryChartValues(const TIntArray& history, int32_t totalMB, bool showFree);
// Round(load x 15 / 100) of history indexes 983..998.
TChartValues CpuChartValues(const TIntArray& history);
// Round(MB / M x 100) of the newest sample.
uint32_t MemoryBarPercent(const TIntArray& history, int32_t totalMB, bool showFree);
// MB below 1000, else whole gigabytes (at most 99) with "G".
std::wstring MemoryNumberText(int32_t megabytes);
std::wstring MemoryHintText(int32_t usedMB, int32_t totalMB);
std::wstring CpuHintText(uint64_t load);
