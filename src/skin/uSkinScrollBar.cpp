#include "skin/uSkinScrollBar.h"
#include <algorithm>

int ScrollLastPosition(const SkinScrollValues& v) {
    long long last = static_cast<long long>(v.max) - std::max(v.page - 1, 0);
    return static_cast<int>(std::max<long long>(last, v.min));
}

int ClampScrollPosition(const SkinScrollValues& v, int position) {
    return std::clamp(position, v.min, ScrollLastPosition(v));
}

int ScrollPositionMovedBy(const SkinScrollValues& v, long long delta) {
    long long wanted = static_cast<long long>(v.position) + std::clamp<long long>(delta, -(1LL << 40), 1LL << 40);
    int moved = static_cast<int>(std::clamp<long long>(wanted, v.min, ScrollLastPosition(v)));
    if ((delta >= 0 && moved < v.position) || (delta <= 0 && moved > v.position)) return v.position;
    return moved;
}

SkinScrollParts ScrollParts(const SkinRect& b, bool vertical, bool arrows, const SkinScrollValues& v, int minThumb) {
    SkinScrollParts p;
    int length = vertical ? b.h : b.w;
    int thickness = vertical ? b.w : b.h;
    // A third of the length at most, so even a stubby bar keeps a track to hold its thumb.
    int arrow = arrows ? std::clamp(std::min(thickness, length / 3), 0, length) : 0;
    auto along = [&](int start, int size) {
        return vertical ? SkinRect{b.x, b.y + start, b.w, size} : SkinRect{b.x + start, b.y, size, b.h};
    };
    if (arrow) {
        p.prev = along(0, arrow);
        p.next = along(length - arrow, arrow);
    }
    int trackLength = std::max(length - 2 * arrow, 0);
    p.track = along(arrow, trackLength);
    // The thumb is as long as the page is of the range, rounded; without a page it is a square.
    long long count = std::max(static_cast<long long>(v.max) - v.min + 1, 1LL);
    long long page = std::min<long long>(std::max(v.page, 0), count);
    long long thumb = page > 0 ? (2LL * trackLength * page + count) / (2 * count) : thickness;
    thumb = std::clamp<long long>(std::max<long long>(thumb, minThumb), 0, trackLength);
    long long travel = trackLength - thumb;
    long long steps = static_cast<long long>(ScrollLastPosition(v)) - v.min;
    long long done = static_cast<long long>(ClampScrollPosition(v, v.position)) - v.min;
    // Rounded both ways, so that placing a thumb and dragging it back to the same pixel agree.
    long long offset = steps > 0 ? (2 * travel * done + steps) / (2 * steps) : 0;
    p.thumb = along(arrow + static_cast<int>(offset), static_cast<int>(thumb));
    return p;
}

int ScrollPositionAt(const SkinScrollParts& p, bool vertical, const SkinScrollValues& v, int thumbStart) {
    int trackStart = vertical ? p.track.y : p.track.x;
    long long travel = static_cast<long long>(vertical ? p.track.h - p.thumb.h : p.track.w - p.thumb.w);
    long long steps = static_cast<long long>(ScrollLastPosition(v)) - v.min;
    if (travel <= 0 || steps <= 0) return v.min;
    long long offset = std::clamp<long long>(static_cast<long long>(thumbStart) - trackStart, 0, travel);
    return ClampScrollPosition(v, static_cast<int>(v.min + (offset * steps * 2 + travel) / (2 * travel)));
}
