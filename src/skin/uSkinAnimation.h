// Playing animations on a live element tree: where each animated value stands at a moment.
// The window's timer drives TSkinAnimator; the skin object, which has no window, jumps to
// the end at once.
#pragma once
#include <vector>
#include "skin/uSkinTree.h"

class TSkinAnimator {
public:
    explicit TSkinAnimator(TSkinTree& tree) : tree_(tree) {}
    struct Ended {
        int node, animation;
    };
    // Starts (or restarts) an animation of a node at time `now` (ms); any other animation
    // running on the same node stops where it is, and `ended` receives it.
    void Start(int node, int animation, unsigned now, std::vector<Ended>& ended);
    // Moves every running animation to `now`; `changed` receives the nodes stepped (the caller
    // repaints them where they were, from RunningNodes before, and where they are), `ended`
    // those that reached their end. True while any animation runs.
    bool Step(unsigned now, std::vector<int>& changed, std::vector<Ended>& ended);
    bool Running() const { return !running_.empty(); }
    bool RunningOn(int node) const {
        for (const Run& r : running_)
            if (r.node == node) return true;
        return false;
    }
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
