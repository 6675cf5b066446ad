#include "skin/uSkinAnimation.h"
#include <algorithm>
#include <cmath>

namespace {
double Eased(int ease, double t) {
    switch (ease) {
        case seIn: return t * t * t;
        case seOut: return 1 - (1 - t) * (1 - t) * (1 - t);
        case seInOut: return t < 0.5 ? 4 * t * t * t : 1 - (2 - 2 * t) * (2 - 2 * t) * (2 - 2 * t) / 2;
        default: return t;
    }
}

void ApplyStart(TSkinNode& n, const SkinFrameRecord& f) {
    if (f.Flags & sfShow) n.hidden = false;
    if (f.Flags & sfHide) n.hidden = true;
    if (f.Flags & sfSection) n.section = f.Section;
}

void ApplyEnd(TSkinNode& n, const SkinFrameRecord& f) {
    if (f.Flags & sfAlpha) n.alpha = f.Alpha;
    if (f.Flags & sfOffset) {
        n.dx = f.OffsetX;
        n.dy = f.OffsetY;
    }
}
}  // namespace

const SkinAnimation& TSkinAnimator::AnimationOf(const Run& run) const {
    return tree_.nodes[run.node].design->animations[run.animation];
}

void TSkinAnimator::Start(int node, int animation, unsigned now, std::vector<int>& changed, std::vector<Ended>& ended) {
    if (RunningOn(node)) {
        for (const Run& r : running_)
            if (r.node == node) ended.push_back({r.node, r.animation});
        running_.erase(std::remove_if(running_.begin(), running_.end(), [&](const Run& r) { return r.node == node; }),
                       running_.end());
    }
    Run run{node, animation, 0, now, 0, 0, 0};
    EnterFrame(run);
    changed.push_back(node);
    if (Advance(run, now)) {
        ended.push_back({node, animation});
        running_on_[node] = 0;
        return;
    }
    running_.push_back(run);
    running_on_[node] = 1;
}

void TSkinAnimator::EnterFrame(Run& run) {
    TSkinNode& n = tree_.nodes[run.node];
    ApplyStart(n, AnimationOf(run).frames[run.frame]);
    run.fromAlpha = n.alpha;
    run.fromDx = n.dx;
    run.fromDy = n.dy;
}

bool TSkinAnimator::Advance(Run& run, unsigned now) {
    TSkinNode& n = tree_.nodes[run.node];
    const auto& frames = AnimationOf(run).frames;
    for (;;) {
        const SkinFrameRecord& f = frames[run.frame];
        unsigned elapsed = now - run.frameStart;
        if (elapsed < unsigned(f.Duration)) {
            double t = Eased(f.Ease, double(elapsed) / f.Duration);
            if (f.Flags & sfAlpha) n.alpha = int(std::lround(run.fromAlpha + (f.Alpha - run.fromAlpha) * t));
            if (f.Flags & sfOffset) {
                n.dx = run.fromDx + (f.OffsetX - run.fromDx) * t;
                n.dy = run.fromDy + (f.OffsetY - run.fromDy) * t;
            }
            return false;
        }
        ApplyEnd(n, f);
        run.frameStart += f.Duration;
        if (++run.frame == int(frames.size())) return true;
        EnterFrame(run);
    }
}

bool TSkinAnimator::Step(unsigned now, std::vector<int>& changed, std::vector<Ended>& ended) {
    size_t kept = 0;
    for (size_t i = 0; i < running_.size(); ++i) {
        Run& run = running_[i];
        changed.push_back(run.node);
        if (Advance(run, now)) {
            ended.push_back({run.node, run.animation});
            running_on_[run.node] = 0;
        } else {
            running_[kept++] = run;
        }
    }
    running_.resize(kept);
    return !running_.empty();
}

void FinishAnimation(TSkinLayout& tree, int node, int animation) {
    TSkinNode& n = tree.nodes[node];
    for (const SkinFrameRecord& f : n.design->animations[animation].frames) {
        ApplyStart(n, f);
        ApplyEnd(n, f);
    }
}
