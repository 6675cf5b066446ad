// Fixtures of the tray tests: a memory raster to draw into and read pixels back as text,
// icon pixels, a recorder standing in for the shell, the global histories, and the
// process's GDI and USER object counts.
#pragma once
#include <windows.h>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "framework/uHandles.h"
#include "probes/uIntArray.h"
#include "support/GuiObjects.h"

// A 32-bit top-down DIB section selected into a memory DC.
class Raster {
public:
    explicit Raster(int width = 16, int height = 16, COLORREF fill = RGB(0x12, 0x34, 0x56));
    HDC dc() const { return dc_.get(); }
    COLORREF At(int x, int y) const;
    int Count(COLORREF color, const RECT& region) const;
    int Count(COLORREF color) const { return Count(color, {0, 0, width_, height_}); }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_, height_;
    UniqueMemoryDC dc_;
    UniqueBitmap bitmap_;
    uint32_t* bits_ = nullptr;
    std::unique_ptr<SelectGuard> selected_;
};

// Pixels as letters, one string per column (top to bottom) or row (left to right);
// colours missing from the legend read as '?'.
using Legend = std::map<COLORREF, char>;
std::string Column(const Raster& raster, int x, const Legend& legend);
std::string Row(const Raster& raster, int y, const Legend& legend);

// The colour pixels of an icon (16 x 16, or the size it has), row by row, as COLORREF values.
std::vector<COLORREF> IconPixels(HICON icon);
// True when every mask bit of the icon is opaque.
bool IconMaskOpaque(HICON icon);
HICON LoadOwnIcon(const wchar_t* name);
// An icon's pixels drawn back into a raster, to read it as text (its side from their count).
void CopyPixels(const std::vector<COLORREF>& pixels, Raster& raster);

struct NotifyCall {
    DWORD message;
    DWORD size;
    HWND window;
    UINT id;
    UINT flags;
    UINT callback;
    HICON icon;
    std::string tip;
    std::vector<COLORREF> pixels;  // of the icon at the time of the call
};

// Replaces the shell and the taskbar lookup while it lives.
class NotifyRecorder {
public:
    NotifyRecorder();
    ~NotifyRecorder();
    NotifyRecorder(const NotifyRecorder&) = delete;
    NotifyRecorder& operator=(const NotifyRecorder&) = delete;

    std::vector<NotifyCall> Calls;
    int FailAddOrModify = 0;  // so many following NIM_ADD/NIM_MODIFY calls fail
    bool KeepPixels = true;   // reading icon pixels costs; leak loops switch it off
    HWND Taskbar = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1000));

    std::vector<DWORD> Messages() const;
    void Clear() { Calls.clear(); }
};

// Sets TotalPhysMB and fresh histories for a test, and puts the old ones back.
class HistoryFixture {
public:
    explicit HistoryFixture(int32_t totalMB, bool withCpu = true);
    ~HistoryFixture();
    // Fills all 1000 memory samples with the given used megabytes.
    void FillUsedMB(int32_t megabytes);
    // Sets one memory sample (index 0..999) to the given used megabytes.
    void SetUsedMB(int index, int32_t megabytes);
    void FillCpu(uint64_t load);
    void SetCpu(int index, uint64_t load);

private:
    int32_t oldTotal_;
    std::unique_ptr<TIntArray> oldMemory_;
    std::unique_ptr<TIntArray> oldCpu_;
};

constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF Green = RGB(0, 128, 0);
constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Yellow = RGB(255, 255, 0);
constexpr COLORREF Blue = RGB(0, 0, 255);
// A letter for each colour of the icons' pictures, to compare rows and columns as text.
inline const Legend Letters{{White, '.'}, {Black, 'K'}, {Green, 'g'}, {Red, 'R'}, {Yellow, 'Y'}};
