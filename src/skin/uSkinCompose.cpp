#include "skin/uSkinCompose.h"
#include <algorithm>
#include "skin/uSkinRaster.h"

namespace {
SkinRect Meet(const SkinRect& a, const SkinRect& b) {
    int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    int x1 = std::min(int64_t(a.x) + a.w, int64_t(b.x) + b.w), y1 = std::min(int64_t(a.y) + a.h, int64_t(b.y) + b.h);
    return x1 > x0 && y1 > y0 ? SkinRect{x0, y0, x1 - x0, y1 - y0} : SkinRect{};
}
bool Empty(const SkinRect& r) { return r.w <= 0 || r.h <= 0; }

uint32_t Over(uint32_t top, uint32_t bottom, uint32_t alpha = 255) {
    // Premultiplied source over destination, the source scaled by `alpha` first.
    if (alpha == 255 && top >= 0xFF000000u) return top;
    if (alpha == 0 || top == 0) return bottom;
    uint32_t a = ((top >> 24) * alpha + 127) / 255, inv = 255 - a, out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t t = ((top >> shift & 255) * alpha + 127) / 255, b = bottom >> shift & 255;
        out |= std::min<uint32_t>(255, t + (b * inv + 127) / 255) << shift;
    }
    return out;
}

// A bitmap that holds the device rectangle `area` of the form.
struct Surface {
    SkinBitmap* pixels;
    SkinRect area;
    SkinRect clip;  // within area
    uint32_t& At(int x, int y) { return pixels->pixels[size_t(y - area.y) * pixels->width + (x - area.x)]; }
};

// `pixels` (its own 0,0 at device point `at`) over the surface, within the clip.
void Blend(Surface& s, const SkinBitmap& pixels, int atX, int atY) {
    SkinRect r = Meet(s.clip, {atX, atY, pixels.width, pixels.height});
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x)
            s.At(x, y) = Over(pixels.pixels[size_t(y - atY) * pixels.width + (x - atX)], s.At(x, y));
}

class Composer {
public:
    Composer(const TSkinLayout& layout, int dpi, const TSkinComposeState& state)
        : layout_(layout), model_(*layout.model), dpi_(dpi), state_(state) {}

    void Node(Surface& s, int index, bool layered) {
        const TSkinNode& node = layout_.nodes[index];
        if (node.hidden || node.alpha <= 0) return;
        SkinRect r = layout_.DeviceBox(index, dpi_);
        if (node.children.empty() && Empty(Meet(r, s.clip))) return;
        if (node.alpha < 255 && !layered) {
            // Fading: the element over a copy of what lies beneath, blended back at its alpha.
            SkinRect area = node.children.empty() ? Meet(r, s.clip) : s.clip;
            if (Empty(area)) return;
            SkinBitmap layer;
            layer.width = area.w;
            layer.height = area.h;
            layer.pixels.resize(size_t(area.w) * area.h);
            for (int y = 0; y < area.h; ++y)
                for (int x = 0; x < area.w; ++x) layer.pixels[size_t(y) * area.w + x] = s.At(area.x + x, area.y + y);
            Surface inner{&layer, area, area};
            Node(inner, index, true);
            for (int y = 0; y < area.h; ++y)
                for (int x = 0; x < area.w; ++x)
                    s.At(area.x + x, area.y + y) = Over(layer.pixels[size_t(y) * area.w + x] | 0xFF000000u,
                                                        s.At(area.x + x, area.y + y), uint32_t(node.alpha));
            return;
        }
        if (!Empty(Meet(r, s.clip))) Content(s, index, r);
        for (int child : node.children) Node(s, child, false);
        if (index == state_.focused) FocusMark(s, r);
    }

private:
    void Content(Surface& s, int index, const SkinRect& r) {
        const TSkinNode& node = layout_.nodes[index];
        switch (node.kind) {
            case TSkinElementKind::Button: {
                bool hot = index == state_.hot && (state_.pressed < 0 || state_.pressed == index);
                int look = index == state_.pressed && index == state_.hot ? sbPushed : hot ? sbHot : sbNormal;
                std::wstring section = node.states[look].Section.Name;
                if (node.checked) section += L"_checked";
                if (node.pressed) section += L"_pressed";
                Section(s, section, r);
                break;
            }
            case TSkinElementKind::ScrollBar: {
                if (!node.design) break;
                const SkinElement& e = *node.design;
                int thickness = ScaleDesign(e.vertical ? e.rect.w : e.rect.h, dpi_);
                SkinScrollParts parts = ScrollParts(r, e.vertical, !e.arrowPrev.empty(), node.scroll, thickness);
                SkinRect track = parts.track;
                int inset = thickness / 3;
                if (e.vertical) {
                    track.x += inset;
                    track.w -= 2 * inset;
                } else {
                    track.y += inset;
                    track.h -= 2 * inset;
                }
                Section(s, e.track, track);
                if (!e.arrowPrev.empty()) {
                    Section(s, e.arrowPrev, parts.prev);
                    Section(s, e.arrowNext, parts.next);
                }
                Section(s, e.thumb, parts.thumb);
                break;
            }
            default: Section(s, node.section, r); break;
        }
    }

    void Section(Surface& s, const std::wstring& name, const SkinRect& dest) {
        const SkinSection* section = name.empty() ? nullptr : model_.ResolveSection(name);
        if (!section || Empty(dest) || Empty(Meet(dest, s.clip))) return;
        if (section->isImage)
            Image(s, *section, dest);
        else
            Fill(s, *section, dest);
    }

    void Image(Surface& s, const SkinSection& sec, const SkinRect& dest) {
        const SkinImage& image = model_.images[sec.image];
        bool x2 = dpi_ >= 144 && image.x2.width > 0;
        int factor = x2 ? 2 : 1;
        const SkinBitmap& pixels = x2 ? image.x2 : image.x1;
        SkinGridPart parts[9];
        int n = GridParts(sec, factor, dest.w, dest.h, dpi_ / 96.0, parts);
        for (int i = 0; i < n; ++i) {
            const SkinRect& src = parts[i].source;
            SkinRect d{dest.x + parts[i].dest.x, dest.y + parts[i].dest.y, parts[i].dest.w, parts[i].dest.h};
            SkinRect visible = Meet(d, s.clip);
            if (Empty(visible)) continue;
            if (sec.tile && ((i == n / 2 && n == 9) || n == 1)) {
                int tw = std::max(1, ScaleDesign(src.w, dpi_) / factor),
                    th = std::max(1, ScaleDesign(src.h, dpi_) / factor);
                Blend(s, TileFill(pixels, src, tw, th, d.x, d.y, visible), visible.x, visible.y);
                continue;
            }
            // Stretched: the nearest source pixel of each visible destination pixel.
            for (int y = visible.y; y < visible.y + visible.h; ++y) {
                int sy = src.y + int(int64_t(y - d.y) * src.h / d.h);
                for (int x = visible.x; x < visible.x + visible.w; ++x) {
                    int sx = src.x + int(int64_t(x - d.x) * src.w / d.w);
                    s.At(x, y) = Over(pixels.pixels[size_t(sy) * pixels.width + sx], s.At(x, y));
                }
            }
        }
    }

    void Fill(Surface& s, const SkinSection& sec, const SkinRect& dest) {
        SkinRect visible = Meet(dest, s.clip);
        SkinRect part{visible.x - dest.x, visible.y - dest.y, visible.w, visible.h};
        Blend(s, RasterizeFill(sec, dest.w, dest.h, dpi_ / 96.0, part), visible.x, visible.y);
    }

    void FocusMark(Surface& s, const SkinRect& r) {
        SkinSection ring;
        ring.radius = 5;
        ring.borderWidth = 2;
        ring.borderColor = state_.focusColor;
        int gap = ScaleDesign(2, dpi_);
        Fill(s, ring, {r.x - gap, r.y - gap, r.w + 2 * gap, r.h + 2 * gap});
    }

    const TSkinLayout& layout_;
    const SkinModel& model_;
    int dpi_;
    TSkinComposeState state_;
};
}  // namespace

void ComposeLayout(const TSkinLayout& layout, int dpi, const SkinRect& clip, const TSkinComposeState& state,
                   SkinBitmap& target) {
    if (layout.nodes.empty()) return;
    Surface surface{&target, {0, 0, target.width, target.height}, Meet(clip, {0, 0, target.width, target.height})};
    if (Empty(surface.clip)) return;
    Composer(layout, dpi, state).Node(surface, 0, false);
}
