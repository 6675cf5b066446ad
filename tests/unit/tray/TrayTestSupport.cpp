#include "tray/TrayTestSupport.h"
#include <cstring>
#include "legacy/uGlobals.h"
#include "tray/uTrayIcon.h"

// ---- Raster ----

Raster::Raster(int width, int height, COLORREF fill) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_.reset(::CreateCompatibleDC(nullptr));
    bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint32_t*>(bits);
    selected_ = std::make_unique<SelectGuard>(dc_.get(), bitmap_.get());
    UniqueBrush brush(::CreateSolidBrush(fill));
    RECT all{0, 0, width, height};
    ::FillRect(dc_.get(), &all, brush.get());
}

COLORREF Raster::At(int x, int y) const {
    ::GdiFlush();
    uint32_t p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int Raster::Count(COLORREF color, const RECT& region) const {
    int n = 0;
    for (int y = std::max(0L, region.top); y < std::min<long>(height_, region.bottom); ++y)
        for (int x = std::max(0L, region.left); x < std::min<long>(width_, region.right); ++x)
            if (At(x, y) == color) ++n;
    return n;
}

namespace {
char Letter(COLORREF c, const Legend& legend) {
    auto it = legend.find(c);
    return it == legend.end() ? '?' : it->second;
}
}  // namespace

std::string Column(const Raster& raster, int x, const Legend& legend) {
    std::string s;
    for (int y = 0; y < raster.height(); ++y) s += Letter(raster.At(x, y), legend);
    return s;
}

std::string Row(const Raster& raster, int y, const Legend& legend) {
    std::string s;
    for (int x = 0; x < raster.width(); ++x) s += Letter(raster.At(x, y), legend);
    return s;
}

// ---- Icons ----

namespace {
std::vector<uint32_t> BitmapPixels(HBITMAP bitmap, int height, int width = 16) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> bits(static_cast<size_t>(width) * height);
    UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    ::GetDIBits(dc.get(), bitmap, 0, height, bits.data(), &info, DIB_RGB_COLORS);
    return bits;
}
}  // namespace

std::vector<COLORREF> IconPixels(HICON icon) {
    ICONINFO parts{};
    if (!icon || !::GetIconInfo(icon, &parts)) return {};
    UniqueBitmap mask(parts.hbmMask), color(parts.hbmColor);
    BITMAP shape{};
    ::GetObjectW(color.get(), sizeof(shape), &shape);
    const int side = shape.bmWidth > 0 ? shape.bmWidth : 16;
    std::vector<COLORREF> out;
    for (uint32_t p : BitmapPixels(color.get(), side, side))
        out.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    return out;
}

bool IconMaskOpaque(HICON icon) {
    ICONINFO parts{};
    if (!icon || !::GetIconInfo(icon, &parts)) return false;
    UniqueBitmap mask(parts.hbmMask), color(parts.hbmColor);
    BITMAP shape{};
    ::GetObjectW(mask.get(), sizeof(shape), &shape);
    const int side = shape.bmWidth > 0 ? shape.bmWidth : 16;
    for (uint32_t p : BitmapPixels(mask.get(), side, side))
        if ((p & 0xFFFFFF) != 0) return false;  // a set mask bit reads as white: transparent
    return true;
}

HICON LoadOwnIcon(const wchar_t* name) {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), name, IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

void CopyPixels(const std::vector<COLORREF>& pixels, Raster& raster) {
    int side = 16;
    while (side * side < static_cast<int>(pixels.size())) ++side;
    for (int i = 0; i < static_cast<int>(pixels.size()); ++i) ::SetPixel(raster.dc(), i % side, i / side, pixels[i]);
}

// ---- Shell recorder ----

namespace {
NotifyRecorder* g_recorder = nullptr;

BOOL RecordNotify(DWORD message, NOTIFYICONDATAA* data) {
    NotifyCall call{message,
                    data->cbSize,
                    data->hWnd,
                    data->uID,
                    data->uFlags,
                    data->uCallbackMessage,
                    data->hIcon,
                    std::string(data->szTip, strnlen(data->szTip, 64)),
                    {}};
    if (g_recorder->KeepPixels && message != NIM_DELETE) call.pixels = IconPixels(data->hIcon);
    g_recorder->Calls.push_back(std::move(call));
    if (message != NIM_DELETE && g_recorder->FailAddOrModify > 0) {
        --g_recorder->FailAddOrModify;
        return FALSE;
    }
    return TRUE;
}

HWND RecordedTaskbar() { return g_recorder->Taskbar; }
}  // namespace

NotifyRecorder::NotifyRecorder() {
    g_recorder = this;
    SetTrayNotifySource(&RecordNotify);
    SetTaskbarWindowSource(&RecordedTaskbar);
}

NotifyRecorder::~NotifyRecorder() {
    SetTrayNotifySource(nullptr);
    SetTaskbarWindowSource(nullptr);
    g_recorder = nullptr;
}

std::vector<DWORD> NotifyRecorder::Messages() const {
    std::vector<DWORD> out;
    for (const auto& c : Calls) out.push_back(c.message);
    return out;
}

// ---- Histories ----

HistoryFixture::HistoryFixture(int32_t totalMB, bool withCpu)
    : oldTotal_(TotalPhysMB), oldMemory_(std::move(MemoryHistory)), oldCpu_(std::move(CpuHistory)) {
    TotalPhysMB = totalMB;
    MemoryHistory = std::make_unique<TIntArray>(0);
    MemoryHistory->TotalMB = totalMB;
    if (withCpu) CpuHistory = std::make_unique<TIntArray>(0);
}

HistoryFixture::~HistoryFixture() {
    TotalPhysMB = oldTotal_;
    MemoryHistory = std::move(oldMemory_);
    CpuHistory = std::move(oldCpu_);
}

void HistoryFixture::FillUsedMB(int32_t megabytes) {
    for (int i = 0; i < TIntArray::Capacity; ++i) MemoryHistory->Push(static_cast<uint64_t>(megabytes) << 20);
}

void HistoryFixture::SetUsedMB(int index, int32_t megabytes) {
    // TIntArray has no indexed write: rebuild the history with the one slot changed.
    auto copy = std::make_unique<TIntArray>(0);
    copy->TotalMB = MemoryHistory->TotalMB;
    for (int i = 0; i < TIntArray::Capacity; ++i)
        copy->Push(i == index ? static_cast<uint64_t>(megabytes) << 20 : MemoryHistory->Get(i));
    MemoryHistory = std::move(copy);
}

void HistoryFixture::FillCpu(uint64_t load) {
    for (int i = 0; i < TIntArray::Capacity; ++i) CpuHistory->Push(load);
}

void HistoryFixture::SetCpu(int index, uint64_t load) {
    auto copy = std::make_unique<TIntArray>(0);
    for (int i = 0; i < TIntArray::Capacity; ++i) copy->Push(i == index ? load : CpuHistory->Get(i));
    CpuHistory = std::move(copy);
}
