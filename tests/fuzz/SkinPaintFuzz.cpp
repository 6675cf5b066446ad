// libFuzzer target of what runs after a skin has loaded: for any bytes that load, every form is
// laid out and painted into memory at 100 %, 150 % and 200 % (a full repaint, with the focus
// mark on its first and last interactive elements, hot and pressed looks), every animation is
// started at once, stepped half-way and played to its end and painted again at 100 %, and every scroll bar's
// arithmetic runs with extreme steps, pages and wheel turns. What loads must paint in bounded
// time and memory: a slow input (libFuzzer's -timeout) is a finding like a crash.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include "skin/uSkinAnimation.h"
#include "skin/uSkinCompose.h"
#include "skin/uSkinRaster.h"
#include "skin/uSkinScrollBar.h"

namespace {
void Paint(const TSkinLayout& layout, const SkinForm& form, int dpi, const TSkinComposeState& state) {
    SkinBitmap target;
    target.width = ScaleDesign(form.width, dpi);
    target.height = ScaleDesign(form.height, dpi);
    target.pixels.assign(size_t(target.width) * target.height, 0xFF000000u);
    ComposeLayout(layout, dpi, {0, 0, target.width, target.height}, state, target);
    // A small repaint in the middle, as a window asks after a change.
    ComposeLayout(layout, dpi, {target.width / 3, target.height / 3, 17, 9}, state, target);
}

void Scroll(const TSkinNode& n, int dpi) {
    const SkinElement& e = *n.design;
    SkinScrollValues v = n.scroll;
    SkinRect bounds{0, 0, ScaleDesign(e.rect.w, dpi), ScaleDesign(e.rect.h, dpi)};
    SkinScrollParts p = ScrollParts(bounds, e.vertical, !e.arrowPrev.empty(), v, ScaleDesign(8, dpi));
    for (int at : {INT_MIN, -1, 0, bounds.w / 2, bounds.h, INT_MAX}) ScrollPositionAt(p, e.vertical, v, at);
    for (long long delta :
         {LLONG_MIN / 2, -32767LL / 120 * v.step, -1LL, 1LL, LLONG_MAX / 2, static_cast<long long>(v.page) * 1000}) {
        v.position = ScrollPositionMovedBy(v, delta);
        if (v.position < v.min || v.position > ScrollLastPosition(v)) __builtin_trap();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::shared_ptr<const SkinModel> model;
    try {
        model = std::make_shared<const SkinModel>(ParseSkin(std::string(reinterpret_cast<const char*>(data), size)));
    } catch (const ESkinError&) {
        return 0;
    }
    for (const SkinForm& form : model->forms) {
        TSkinLayout layout{model, SkinFormNodes(form)};
        TSkinComposeState state;
        state.focusColor = form.focus;
        std::vector<int> interactive;
        for (int i = 1; i < int(layout.nodes.size()); ++i) {
            TSkinElementKind k = layout.nodes[i].kind;
            if (k == TSkinElementKind::Button || k == TSkinElementKind::ScrollBar) interactive.push_back(i);
        }
        if (!interactive.empty()) {
            state.focused = interactive.back();
            state.hot = state.pressed = interactive.front();
            layout.nodes[interactive.front()].pressed = layout.nodes[interactive.front()].checked = true;
        }
        for (int dpi : {96, 144, 192}) {
            Paint(layout, form, dpi, state);
            for (int i : interactive)
                if (layout.nodes[i].kind == TSkinElementKind::ScrollBar) Scroll(layout.nodes[i], dpi);
        }
        // Every animation starts at once (a page switch does this), then plays on.
        TSkinAnimator animator(layout);
        std::vector<int> changed;
        std::vector<TSkinAnimator::Ended> ended;
        unsigned total = 0;
        for (int i = 0; i < int(layout.nodes.size()); ++i) {
            const auto& animations = layout.nodes[i].design->animations;
            for (int a = 0; a < int(animations.size()); ++a) {
                animator.Start(i, a, 0, changed, ended);
                unsigned length = 0;
                for (const SkinFrameRecord& f : animations[a].frames) length += unsigned(f.Duration);
                total = std::max(total, length);
            }
        }
        animator.Step(total / 2, changed, ended);
        animator.Step(total + 1, changed, ended);
        if (animator.Running()) __builtin_trap();  // every animation ends at the sum of its frames
        Paint(layout, form, 96, state);
    }
    return 0;
}
