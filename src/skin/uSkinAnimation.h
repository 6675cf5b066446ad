// Playing animations on a live element tree: where each animated value stands at a moment.
// The window's timer drives TSkinAnimator; the skin object, which has no window, jumps to
// the end at once.
#pragma once
#include <vector>
#include "skin/uSkinTree.h"

class TSkinAnimator {
public:
    explicit TSkinAnimator(TSkinTree& tree) : tree_(tree) {}
    // Starts (or restarts) an animation of a node at time `now` (ms); any other animation
    // running on the same node stops where it is.
    void Start(int node, int animation, unsigned now);
    // Moves every running animation to `now`; `changed` receives the nodes stepped (the caller
    // repaints them where they were, from RunningNodes before, and where they are). True while
    // any animation runs.
    bool Step(unsigned now, std::vector<int>& changed);
    bool Running() const { return !running_.empty(); }
    std::vector<int> RunningNodes() const {
        std::vector<int> nodes;
        for (const Run& r : running_) nodes.push_back(r.node);
        return nodes;
    }

private:
    struct Run {
        int node, animation, frame;
        unsigned frameStart;
        int fromAlpha;
        double fromDx, fromDy;
    };
    void EnterFrame(Run& run);
    const SkinAnimation& AnimationOf(const Run& run) const;
    TSkinTree& tree_;
    std::vector<Run> running_;
};

// Applies every frame of the animation at once: its end state.
void FinishAnimation(TSkinTree& tree, int node, int animation);
