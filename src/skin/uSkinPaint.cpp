#include "skin/uSkinPaint.h"
#include <algorithm>
#include <cstring>
#include "skin/uSkinRaster.h"

namespace {
constexpr BLENDFUNCTION PerPixelAlpha{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

RECT Intersect(const RECT& a, const RECT& b) {
    RECT r{};
    ::IntersectRect(&r, &a, &b);
    return r;
}
bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// Scratch memory DC with a bitmap selected for the guard's lifetime.
class BitmapDC {
public:
    BitmapDC(HDC compatible, HBITMAP bitmap) : dc_(::CreateCompatibleDC(compatible)), select_(dc_.get(), bitmap) {}
    HDC get() const { return dc_.get(); }

private:
    UniqueMemoryDC dc_;
    SelectGuard select_;
};
}  // namespace

UniqueBitmap CreateSkinDib(int width, int height, const uint32_t* pixels, uint32_t** out) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = std::max(width, 1);
    bi.bmiHeader.biHeight = -std::max(height, 1);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap dib(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits)
        throw ESkinError(L"Cannot create a drawing surface of " + std::to_wstring(width) + L"x" +
                         std::to_wstring(height) + L" pixels");
    if (pixels) std::memcpy(bits, pixels, size_t(width) * height * 4);
    if (out) *out = static_cast<uint32_t*>(bits);
    return dib;
}

TSkinPainter::TSkinPainter(std::shared_ptr<const SkinModel> model)
    : model_(std::move(model)), sourceDC_(::CreateCompatibleDC(nullptr)) {
    images1x_.resize(model_->images.size());
    images2x_.resize(model_->images.size());
}

HBITMAP TSkinPainter::ImageBitmap(int image, bool x2) {
    auto& slot = (x2 ? images2x_ : images1x_)[image];
    if (!slot) {
        const SkinBitmap& b = x2 ? model_->images[image].x2 : model_->images[image].x1;
        slot = CreateSkinDib(b.width, b.height, b.pixels.data());
    }
    return slot.get();
}

bool TSkinPainter::DrawSection(HDC dc, const std::wstring& name, const RECT& dest, int dpi) {
    const SkinSection* s = name.empty() ? nullptr : model_->ResolveSection(name);
    if (!s || Empty(dest)) return s != nullptr;
    if (s->isImage)
        DrawImage(dc, *s, dest, dpi);
    else
        DrawFill(dc, *s, dest, dpi);
    return true;
}

void TSkinPainter::DrawImage(HDC dc, const SkinSection& s, const RECT& dest, int dpi) {
    // From 150 % on, the 2x picture is the closer one: never stretch 1x pixels that far.
    bool x2 = dpi >= 144 && model_->images[s.image].x2.width > 0;
    int factor = x2 ? 2 : 1;
    SelectGuard select(sourceDC_.get(), ImageBitmap(s.image, x2));
    int w = dest.right - dest.left, h = dest.bottom - dest.top;
    SkinGridPart parts[9];
    int n = GridParts(s, factor, w, h, dpi / 96.0, parts);
    for (int i = 0; i < n; ++i) {
        const SkinRect& src = parts[i].source;
        const SkinRect& d = parts[i].dest;
        bool middle = i == n / 2 && n == 9;
        if (s.tile && (middle || n == 1)) {
            // Tiles keep the picture's own size at this DPI and repeat: composed in memory for
            // the repainted part only and blended at once, however small the tile.
            int tw = std::max(1, ScaleDesign(src.w, dpi) / factor), th = std::max(1, ScaleDesign(src.h, dpi) / factor);
            RECT area{dest.left + d.x, dest.top + d.y, dest.left + d.x + d.w, dest.top + d.y + d.h}, box{};
            ::GetClipBox(dc, &box);
            RECT visible = Intersect(area, box);
            if (Empty(visible)) continue;
            const SkinImage& image = model_->images[s.image];
            SkinBitmap tiles =
                TileFill(x2 ? image.x2 : image.x1, src, tw, th, area.left, area.top,
                         {visible.left, visible.top, visible.right - visible.left, visible.bottom - visible.top});
            UniqueBitmap dib = CreateSkinDib(tiles.width, tiles.height, tiles.pixels.data());
            BitmapDC tilesDC(dc, dib.get());
            ::GdiAlphaBlend(dc, visible.left, visible.top, tiles.width, tiles.height, tilesDC.get(), 0, 0, tiles.width,
                            tiles.height, PerPixelAlpha);
            continue;
        }
        ::GdiAlphaBlend(dc, dest.left + d.x, dest.top + d.y, d.w, d.h, sourceDC_.get(), src.x, src.y, src.w, src.h,
                        PerPixelAlpha);
    }
}

namespace {
// A square-cornered fill covers every pixel: it is copied, not blended.
void Put(HDC dc, int x, int y, int w, int h, HDC source, bool opaque) {
    if (opaque)
        ::BitBlt(dc, x, y, w, h, source, 0, 0, SRCCOPY);
    else
        ::GdiAlphaBlend(dc, x, y, w, h, source, 0, 0, w, h, PerPixelAlpha);
}
}  // namespace

void TSkinPainter::DrawFill(HDC dc, const SkinSection& s, const RECT& dest, int dpi) {
    int w = dest.right - dest.left, h = dest.bottom - dest.top;
    bool opaque = s.fill != SkinFill::None && s.radius == 0;
    // Small looks (buttons, tracks) are kept once drawn; large ones (backgrounds, panels) are
    // drawn again for the part being repainted, which costs less than keeping them.
    if (int64_t(w) * h <= 32768) {
        auto key = std::make_tuple(&s, w, h, dpi);
        auto it = fills_.find(key);
        if (it == fills_.end()) {
            if (fills_.size() > 256) fills_.clear();
            SkinBitmap pixels = RasterizeFill(s, w, h, dpi / 96.0);
            it = fills_.emplace(key, CreateSkinDib(w, h, pixels.pixels.data())).first;
        }
        SelectGuard select(sourceDC_.get(), it->second.get());
        Put(dc, dest.left, dest.top, w, h, sourceDC_.get(), opaque);
        return;
    }
    RECT box{};
    if (::GetClipBox(dc, &box) == NULLREGION) return;
    RECT visible = Intersect(box, dest);
    if (Empty(visible)) return;
    SkinRect part{visible.left - dest.left, visible.top - dest.top, visible.right - visible.left,
                  visible.bottom - visible.top};
    SkinBitmap pixels = RasterizeFill(s, w, h, dpi / 96.0, part);
    UniqueBitmap dib = CreateSkinDib(pixels.width, pixels.height, pixels.pixels.data());
    SelectGuard select(sourceDC_.get(), dib.get());
    Put(dc, visible.left, visible.top, pixels.width, pixels.height, sourceDC_.get(), opaque);
}

HFONT TSkinPainter::Font(int index, int dpi) {
    auto key = std::make_pair(index, dpi);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    // Every DPI a window moves to adds the skin's fonts once more: keep those of a few only.
    constexpr size_t KeptDpis = 3;
    std::vector<int> dpis;
    for (const auto& [k, font] : fonts_)
        if (std::find(dpis.begin(), dpis.end(), k.second) == dpis.end()) dpis.push_back(k.second);
    if (dpis.size() >= KeptDpis && std::find(dpis.begin(), dpis.end(), dpi) == dpis.end())
        std::erase_if(fonts_, [dpi](const auto& entry) { return entry.first.second != dpi; });
    return fonts_.emplace(key, CreateFont(index, dpi)).first->second.get();
}

UniqueFont TSkinPainter::CreateFont(int index, int dpi) const {
    SkinFont f;
    f.face = L"Arial";
    f.points = 9;
    if (index >= 0 && index < int(model_->fonts.size())) f = model_->fonts[index];
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(f.points, dpi, 72);
    lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = f.italic;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(lf.lfFaceName, f.face.c_str(), LF_FACESIZE - 1);
    UniqueFont font(::CreateFontIndirectW(&lf));
    if (!font) throw ESkinError(L"Cannot create the font " + f.face);
    return font;
}

void TSkinPainter::Trim() {
    fills_.clear();
    fonts_.clear();
}

void TSkinPainter::DrawText(HDC dc, const std::wstring& text, RECT rect, int font, TSkinColor color, SkinAlign align,
                            SkinAlign valign, bool wrap, int dpi) {
    if (text.empty()) return;
    SelectGuard select(dc, Font(font, dpi));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, SkinColorValue(color));
    UINT flags = DT_NOPREFIX | (align == SkinAlign::Center ? DT_CENTER : align == SkinAlign::Far ? DT_RIGHT : DT_LEFT);
    if (!wrap) {
        flags |= DT_SINGLELINE | DT_END_ELLIPSIS |
                 (valign == SkinAlign::Center ? DT_VCENTER
                  : valign == SkinAlign::Far  ? DT_BOTTOM
                                              : DT_TOP);
    } else {
        flags |= DT_WORDBREAK;
        if (valign != SkinAlign::Near) {
            RECT measure = rect;
            ::DrawTextW(dc, text.c_str(), int(text.size()), &measure, flags | DT_CALCRECT);
            int room = (rect.bottom - rect.top) - (measure.bottom - measure.top);
            if (room > 0) rect.top += valign == SkinAlign::Center ? room / 2 : room;
        }
    }
    ::DrawTextW(dc, text.c_str(), int(text.size()), &rect, flags);
}

void TSkinPainter::PaintTree(HDC dc, const TSkinTree& tree, int dpi, const RECT& clip, const TSkinPaintState& state) {
    if (!tree.nodes.empty()) PaintNode(dc, tree, 0, dpi, clip, state, false);
}

void TSkinPainter::PaintNode(HDC dc, const TSkinTree& tree, int index, int dpi, const RECT& clip,
                             const TSkinPaintState& state, bool layered) {
    const TSkinNode& node = tree.nodes[index];
    if (node.hidden || node.alpha <= 0) return;
    RECT r = tree.DeviceRect(index, dpi);
    // A group's children may lie outside its own rectangle: only leaves are culled.
    if (node.children.empty() && Empty(Intersect(r, clip))) return;
    if (node.alpha < 255 && !layered) {
        // Fading: draw the element over a copy of what lies beneath, then blend that copy in.
        RECT area = node.children.empty() ? Intersect(r, clip) : clip;
        int w = area.right - area.left, h = area.bottom - area.top;
        if (w <= 0 || h <= 0) return;
        UniqueBitmap layer = CreateSkinDib(w, h);
        BitmapDC layerDC(dc, layer.get());
        ::BitBlt(layerDC.get(), 0, 0, w, h, dc, area.left, area.top, SRCCOPY);
        ::SetViewportOrgEx(layerDC.get(), -area.left, -area.top, nullptr);
        PaintNode(layerDC.get(), tree, index, dpi, area, state, true);
        ::SetViewportOrgEx(layerDC.get(), 0, 0, nullptr);
        BLENDFUNCTION blend{AC_SRC_OVER, 0, BYTE(node.alpha), 0};
        ::GdiAlphaBlend(dc, area.left, area.top, w, h, layerDC.get(), 0, 0, w, h, blend);
        return;
    }
    if (!Empty(Intersect(r, clip))) PaintContent(dc, tree, index, r, dpi, state);
    for (int child : node.children) PaintNode(dc, tree, child, dpi, clip, state, false);
    if (index == state.focused) DrawFocusMark(dc, r, dpi, state.focusColor);
}

void TSkinPainter::PaintContent(HDC dc, const TSkinTree& tree, int index, const RECT& r, int dpi,
                                const TSkinPaintState& state) {
    const TSkinNode& node = tree.nodes[index];
    // Every element of a form has its design; the defaults only keep a damaged tree drawable.
    static const SkinElement kNoDesign;
    const SkinElement* e = node.design ? node.design : &kNoDesign;
    int font = e->font >= 0 ? e->font : (tree.nodes[0].design ? tree.nodes[0].design->font : -1);
    switch (node.kind) {
        case TSkinElementKind::Root:
        case TSkinElementKind::Group:
        case TSkinElementKind::Image: DrawSection(dc, node.section, r, dpi); break;
        case TSkinElementKind::Static:
            DrawSection(dc, node.section, r, dpi);
            DrawText(dc, node.text, r, font, node.hasColor ? node.color : TSkinColor{}, e->align, e->valign, e->wrap,
                     dpi);
            break;
        case TSkinElementKind::Button: {
            bool hot = index == state.hot && (state.pressed < 0 || state.pressed == index);
            int look = index == state.pressed && index == state.hot ? sbPushed : hot ? sbHot : sbNormal;
            const SkinButtonState& s = node.states[look];
            std::wstring section = s.Section.Name;
            TSkinColor color = s.Color;
            if (node.checked) section += L"_checked";
            if (node.pressed) {
                section += L"_pressed";
                color = {uint8_t(~color.b0), uint8_t(~color.b1), uint8_t(~color.b2)};
            }
            DrawSection(dc, section, r, dpi);
            RECT text = r;
            int pad = e->align == SkinAlign::Center ? 0 : ScaleDesign(8, dpi);
            text.left += pad;
            text.right -= pad;
            DrawText(dc, node.text, text, font, color, e->align, e->valign, false, dpi);
            break;
        }
        case TSkinElementKind::ScrollBar: PaintScrollBar(dc, node, r, dpi); break;
    }
}

void TSkinPainter::PaintScrollBar(HDC dc, const TSkinNode& node, const RECT& r, int dpi) {
    if (!node.design) return;
    const SkinElement& e = *node.design;
    SkinRect bounds{r.left, r.top, r.right - r.left, r.bottom - r.top};
    SkinScrollParts parts = ScrollParts(bounds, e.vertical, !e.arrowPrev.empty(), node.scroll,
                                        ScaleDesign(e.vertical ? e.rect.w : e.rect.h, dpi));
    auto rect = [](const SkinRect& s) { return RECT{s.x, s.y, s.x + s.w, s.y + s.h}; };
    // The track is drawn a little thinner than the bar, centred, so a round thumb overhangs it.
    RECT track = rect(parts.track);
    int inset = ScaleDesign(e.vertical ? e.rect.w : e.rect.h, dpi) / 3;
    if (e.vertical)
        ::InflateRect(&track, -inset, 0);
    else
        ::InflateRect(&track, 0, -inset);
    DrawSection(dc, node.design->track, track, dpi);
    if (!e.arrowPrev.empty()) {
        DrawSection(dc, e.arrowPrev, rect(parts.prev), dpi);
        DrawSection(dc, e.arrowNext, rect(parts.next), dpi);
    }
    DrawSection(dc, e.thumb, rect(parts.thumb), dpi);
}

void TSkinPainter::DrawFocusMark(HDC dc, const RECT& r, int dpi, TSkinColor color, int gapDesign) {
    SkinSection ring;
    ring.fill = SkinFill::None;
    ring.radius = 5;
    ring.borderWidth = 2;
    ring.borderColor = color;
    RECT around = r;
    int gap = ScaleDesign(gapDesign, dpi);
    ::InflateRect(&around, gap, gap);
    // Only the part of the ring being repainted is drawn: an element may be as large as its form.
    RECT box{};
    if (::GetClipBox(dc, &box) == NULLREGION) return;
    RECT visible = Intersect(around, box);
    if (Empty(visible)) return;
    int w = around.right - around.left, h = around.bottom - around.top;
    SkinRect part{visible.left - around.left, visible.top - around.top, visible.right - visible.left,
                  visible.bottom - visible.top};
    SkinBitmap pixels = RasterizeFill(ring, w, h, dpi / 96.0, part);
    UniqueBitmap dib = CreateSkinDib(pixels.width, pixels.height, pixels.pixels.data());
    SelectGuard select(sourceDC_.get(), dib.get());
    ::GdiAlphaBlend(dc, visible.left, visible.top, pixels.width, pixels.height, sourceDC_.get(), 0, 0, pixels.width,
                    pixels.height, PerPixelAlpha);
}
