#include "uTrayIcons.h"
#include <algorithm>
#include <cmath>
#include "framework/uText.h"
#include "legacy/uGlobals.h"

namespace {
// The pictures show history indexes 983..998 (value 0 of the sixteen is never drawn).
constexpr int FirstChartIndex = TIntArray::Capacity - TrayIconSize - 1;
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF Yellow = RGB(255, 255, 0);
constexpr COLORREF Red = RGB(255, 0, 0);
constexpr const wchar_t* DefaultIconName = L"KORVIXICON";

// A scale value from a signed floating-point result, as the unsigned drawing rules read it.
uint32_t ToScale(int64_t value) { return static_cast<uint32_t>(value); }

// The image of that size the resource carries (drawn for it), or the nearest one scaled.
HICON LoadProgramIcon(const std::wstring& name, int size) {
    return static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), name.c_str(), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}
}  // namespace

TChartValues MemoryChartValues(const TIntArray& history, int32_t totalMB, bool showFree) {
    TChartValues values{};
    if (totalMB <= 0) return values;  // no memory size measured: nothing to scale by
    for (int i = 0; i < TrayIconSize; ++i) {
        double megabytes = history.GetMB(FirstChartIndex + i, showFree);
        values[i] = ToScale(static_cast<int64_t>(std::trunc(megabytes * 15.0 / totalMB)));
    }
    return values;
}

TChartValues CpuChartValues(const TIntArray& history) {
    TChartValues values{};
    for (int i = 0; i < TrayIconSize; ++i) {
        values[i] = ToScale(RoundHalfEven(static_cast<double>(history.Get(FirstChartIndex + i)) * 15.0 / 100.0));
    }
    return values;
}

uint32_t MemoryBarPercent(const TIntArray& history, int32_t totalMB, bool showFree) {
    if (totalMB <= 0) return 0;
    return ToScale(RoundHalfEven(static_cast<double>(history.LastMB(showFree)) / totalMB * 100.0));
}

std::wstring MemoryNumberText(int32_t megabytes) {
    if (megabytes < 1000) return std::to_wstring(megabytes);
    return std::to_wstring(std::min(megabytes / 1024, 99)) + L"G";
}

std::wstring MemoryHintText(int32_t usedMB, int32_t totalMB) {
    std::wstring text = ReplaceAll(L"Memory usage: %1 MB from %2 MB is used.", L"%1", std::to_wstring(usedMB));
    return ReplaceAll(text, L"%2", std::to_wstring(totalMB));
}

std::wstring CpuHintText(uint64_t load) { return ReplaceAll(L"CPU usage: %1%", L"%1", std::to_wstring(load)); }

// ---- Memory ----

void TTrayIconMemory::SetShowFree(bool value) {
    showFree_ = value;
    Refresh(false);
}

void TTrayIconMemory::DrawChart(HDC dc) {
    if (!MemoryHistory) return;
    PaintChart(dc, MemoryChartValues(*MemoryHistory, TotalPhysMB, showFree_), showFree_);
    UpdateHint();
}

void TTrayIconMemory::DrawNumber(HDC dc) {
    if (!MemoryHistory) return;
    PaintNumber(dc, MemoryNumberText(MemoryHistory->LastMB(showFree_)), BackgroundColor(), Black);
    UpdateHint();
}

void TTrayIconMemory::DrawBar(HDC dc) {
    if (!MemoryHistory) return;
    PaintBar(dc, MemoryBarPercent(*MemoryHistory, TotalPhysMB, showFree_), showFree_);
    UpdateHint();
}

void TTrayIconMemory::UpdateHint() { SetHintQuiet(MemoryHintText(MemoryHistory->LastMB(false), TotalPhysMB)); }

// ---- Processor ----

TTrayIconCPU::TTrayIconCPU() : TTrayIcon({Yellow, Black, Red, DefaultColors.warningLevel}) {}

void TTrayIconCPU::DrawChart(HDC dc) {
    if (!CpuHistory) return;
    PaintChart(dc, CpuChartValues(*CpuHistory), false);
    UpdateHint();
}

void TTrayIconCPU::DrawNumber(HDC dc) {
    if (!CpuHistory) return;
    PaintNumber(dc, std::to_wstring(CpuHistory->Last()), BackgroundColor(), NormalColor());
    UpdateHint();
}

void TTrayIconCPU::DrawBar(HDC dc) {
    if (!CpuHistory) return;
    PaintBar(dc, static_cast<uint32_t>(CpuHistory->Last()), false);
    UpdateHint();
}

void TTrayIconCPU::UpdateHint() { SetHintQuiet(CpuHintText(CpuHistory->Last())); }

// ---- Program icon ----

TTrayIconResource::TTrayIconResource() : iconName_(DefaultIconName) { LoadIcon(); }

void TTrayIconResource::SetIconName(const std::wstring& value) {
    if (value == iconName_) return;
    iconName_ = value;
    LoadIcon();
    Refresh(false);
}

void TTrayIconResource::IconSizeChanged() { LoadIcon(); }

void TTrayIconResource::LoadIcon() {
    HICON icon = LoadProgramIcon(iconName_, IconSize());
    if (!icon) icon = LoadProgramIcon(DefaultIconName, IconSize());
    SetCustomIcon(icon);
}
