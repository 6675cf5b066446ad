#include "skin/uSkinRaster.h"
#include <algorithm>
#include <cmath>
#include <vector>

namespace {
// Signed distance from a pixel centre to the edge of a rounded rectangle (negative inside).
double RoundedDistance(double px, double py, double x0, double y0, double x1, double y1, double r) {
    double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    double hx = (x1 - x0) / 2 - r, hy = (y1 - y0) / 2 - r;
    double qx = std::fabs(px - cx) - hx, qy = std::fabs(py - cy) - hy;
    double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - r;
}

double Coverage(double distance) { return std::clamp(0.5 - distance, 0.0, 1.0); }

struct Rgb {
    double r, g, b;
};
Rgb Mix(TSkinColor a, TSkinColor b, double t) {
    return {a.b2 + (b.b2 - a.b2) * t, a.b1 + (b.b1 - a.b1) * t, a.b0 + (b.b0 - a.b0) * t};
}
uint32_t Premultiplied(Rgb c, double alpha) {
    auto ch = [alpha](double v) { return uint32_t(std::lround(std::clamp(v * alpha, 0.0, 255.0))); };
    return ch(255.0) << 24 | ch(c.r) << 16 | ch(c.g) << 8 | ch(c.b);
}
uint32_t Over(uint32_t top, uint32_t bottom) {
    uint32_t a = top >> 24, inv = 255 - a, out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t t = top >> shift & 255, b = bottom >> shift & 255;
        out |= std::min<uint32_t>(255, t + (b * inv + 127) / 255) << shift;
    }
    return out;
}
}  // namespace

SkinBitmap RasterizeFill(const SkinSection& s, int width, int height, double scale, SkinRect part) {
    if (part.w <= 0 || part.h <= 0) part = {0, 0, width, height};
    int x0 = std::clamp(part.x, 0, std::max(width, 0)), y0 = std::clamp(part.y, 0, std::max(height, 0));
    int x1 = std::clamp(part.x + part.w, x0, std::max(width, 0)),
        y1 = std::clamp(part.y + part.h, y0, std::max(height, 0));
    SkinBitmap out;
    out.width = x1 - x0;
    out.height = y1 - y0;
    out.pixels.assign(size_t(out.width) * out.height, 0);
    if (!out.width || !out.height) return out;
    double maxRadius = std::min(width, height) / 2.0;
    double r = std::min(s.radius * scale, maxRadius);
    double bw = s.borderWidth ? std::max(1.0, std::round(s.borderWidth * scale)) : 0.0;
    double ir = std::max(r - bw, 0.0);
    bool hasFill = s.fill != SkinFill::None;
    // Only pixels near the rounded corners and the border need the distance arithmetic; the
    // inside of each row is one colour (a horizontal gradient: one colour per column).
    int margin = int(std::ceil(std::max(r, bw + ir))) + 1;
    std::vector<uint32_t> columns;
    if (s.fill == SkinFill::HGrad)
        for (int x = 0; x < width; ++x) columns.push_back(Premultiplied(Mix(s.color1, s.color2, (x + 0.5) / width), 1));
    for (int y = y0; y < y1; ++y) {
        double py = y + 0.5;
        bool edgeRow = y < margin || y >= height - margin;
        int innerFrom = edgeRow ? width : std::min(width, int(std::ceil(bw)) + 1);
        int innerTo = edgeRow ? width : std::max(innerFrom, width - int(std::ceil(bw)) - 1);
        uint32_t rowColor =
            hasFill ? Premultiplied(Mix(s.color1, s.color2, s.fill == SkinFill::VGrad ? py / height : 0), 1) : 0;
        // Along the straight part of a top or bottom edge (the corners' margin away from the
        // sides) the distances depend on the row alone: one pixel serves the whole stretch.
        bool band = edgeRow && s.fill != SkinFill::HGrad;
        int bandFrom = band ? margin : width, bandTo = band ? width - margin : width;
        bool bandKnown = false;
        uint32_t bandPixel = 0;
        uint32_t* row = &out.pixels[size_t(y - y0) * out.width] - x0;
        for (int x = x0; x < x1; ++x) {
            if (x >= innerFrom && x < innerTo) {
                row[x] = s.fill == SkinFill::HGrad ? columns[x] : rowColor;
                continue;
            }
            if (bandKnown && x >= bandFrom && x < bandTo) {
                row[x] = bandPixel;
                continue;
            }
            double px = x + 0.5;
            double outer = Coverage(RoundedDistance(px, py, 0, 0, width, height, r));
            if (outer <= 0) {
                bandKnown = bandKnown || (x >= bandFrom && x < bandTo);  // transparent: left 0
                continue;
            }
            double inner = bw > 0 ? Coverage(RoundedDistance(px, py, bw, bw, width - bw, height - bw, ir)) : outer;
            inner = std::min(inner, outer);
            uint32_t pixel = 0;
            if (hasFill && inner > 0) {
                double t = s.fill == SkinFill::VGrad ? py / height : s.fill == SkinFill::HGrad ? px / width : 0.0;
                pixel = Premultiplied(Mix(s.color1, s.color2, t), inner);
            }
            if (bw > 0 && outer > inner)
                pixel = Over(Premultiplied(Mix(s.borderColor, s.borderColor, 0), outer - inner), pixel);
            row[x] = pixel;
            if (x >= bandFrom && x < bandTo) {
                bandPixel = pixel;
                bandKnown = true;
            }
        }
    }
    return out;
}

int GridParts(const SkinSection& s, int sourceScale, int width, int height, double scale, SkinGridPart out[9]) {
    const SkinRect& src = s.source;
    int sx = src.x * sourceScale, sy = src.y * sourceScale, sw = src.w * sourceScale, sh = src.h * sourceScale;
    int sm[4], dm[4];
    for (int i = 0; i < 4; ++i) {
        sm[i] = s.grid[i] * sourceScale;
        dm[i] = int(std::lround(s.grid[i] * scale));
    }
    // A destination smaller than its margins shrinks them, keeping their ratio.
    auto fit = [](int& a, int& b, int room) {
        if (a + b > room && a + b > 0) {
            int total = a + b;
            a = a * room / total;
            b = room - a;
        }
    };
    fit(dm[0], dm[2], width);
    fit(dm[1], dm[3], height);
    int sxs[4] = {sx, sx + sm[0], sx + sw - sm[2], sx + sw};
    int sys[4] = {sy, sy + sm[1], sy + sh - sm[3], sy + sh};
    int dxs[4] = {0, dm[0], width - dm[2], width};
    int dys[4] = {0, dm[1], height - dm[3], height};
    int n = 0;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            SkinGridPart p;
            p.source = {sxs[col], sys[row], sxs[col + 1] - sxs[col], sys[row + 1] - sys[row]};
            p.dest = {dxs[col], dys[row], dxs[col + 1] - dxs[col], dys[row + 1] - dys[row]};
            if (p.source.w > 0 && p.source.h > 0 && p.dest.w > 0 && p.dest.h > 0) out[n++] = p;
        }
    }
    return n;
}

SkinBitmap TileFill(const SkinBitmap& image, const SkinRect& source, int tileW, int tileH, int originX, int originY,
                    const SkinRect& visible) {
    SkinBitmap out;
    out.width = std::max(visible.w, 0);
    out.height = std::max(visible.h, 0);
    out.pixels.assign(size_t(out.width) * out.height, 0);
    SkinRect src{std::clamp(source.x, 0, image.width), std::clamp(source.y, 0, image.height), 0, 0};
    src.w = std::clamp(source.w, 0, image.width - src.x);
    src.h = std::clamp(source.h, 0, image.height - src.y);
    if (out.pixels.empty() || tileW <= 0 || tileH <= 0 || src.w <= 0 || src.h <= 0) return out;
    // The tile once at its size (nearest source pixel), then copied row by row.
    std::vector<uint32_t> tile(size_t(tileW) * tileH);
    for (int y = 0; y < tileH; ++y) {
        const uint32_t* from = &image.pixels[size_t(src.y + int(int64_t(y) * src.h / tileH)) * image.width + src.x];
        for (int x = 0; x < tileW; ++x) tile[size_t(y) * tileW + x] = from[int64_t(x) * src.w / tileW];
    }
    auto wrap = [](int64_t v, int period) { return int(((v % period) + period) % period); };
    int startX = wrap(int64_t(visible.x) - originX, tileW);
    for (int y = 0; y < out.height; ++y) {
        const uint32_t* row = &tile[size_t(wrap(int64_t(visible.y) + y - originY, tileH)) * tileW];
        uint32_t* to = &out.pixels[size_t(y) * out.width];
        int x = 0, tx = startX;
        while (x < out.width) {
            int run = std::min(tileW - tx, out.width - x);
            std::copy(row + tx, row + tx + run, to + x);
            x += run;
            tx = 0;
        }
    }
    return out;
}
