// The arithmetic of a skinned scroll bar: reachable positions and where its parts lie.
// Pure functions over design or device rectangles; no Windows headers.
#pragma once
#include "skin/uSkinModel.h"

struct SkinScrollValues {
    int min = 0, max = 100, page = 10, step = 1, position = 0;
};

// The last position the user can reach: max - page + 1 (max when page is 0), never below min.
int ScrollLastPosition(const SkinScrollValues& v);
int ClampScrollPosition(const SkinScrollValues& v, int position);
// The reachable position `delta` away from the current one (a step, a page, wheel notches), in
// 64 bits so that moves of any size never overflow; never against its own direction, so a
// position the program wrote beyond the last reachable one stays until the user moves back from it.
int ScrollPositionMovedBy(const SkinScrollValues& v, long long delta);

struct SkinScrollParts {
    SkinRect prev, next, track, thumb;  // prev/next empty without arrows
};
// Where the parts of a bar lie, for the skin's own scroll bars and the dialogs' alike. `bounds` in
// device pixels; arrows are squares of the bar's thickness (a third of its length at most); the
// thumb is as long as the page is of the range (square without a page), `minThumb` at least.
SkinScrollParts ScrollParts(const SkinRect& bounds, bool vertical, bool arrows, const SkinScrollValues& v,
                            int minThumb);
// The position whose thumb starts at `thumbStart` (device pixel along the bar's axis).
int ScrollPositionAt(const SkinScrollParts& parts, bool vertical, const SkinScrollValues& v, int thumbStart);
