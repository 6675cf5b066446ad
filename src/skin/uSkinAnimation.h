// Playing animations on a live element tree: where each animated value stands at a moment.
// The window's timer drives TSkinAnimator; the skin object, which has no window, jumps to
// the end at once.
#pragma once
#include <vector>
#include "skin/uSkinLayout.h"

class TSkinAnimator {
public:
    explicit TSkinAnimator(TSkinLayout& tree) : tree_(tree), running_on_(tree.nodes.size(), 0) {}
    struct Ended {
        int node, animation;
    };
    // Starts (or restarts) an animation of a node at time `now` (ms) and moves it (only it) to
    // `now`: `changed` receives the node when it was stepped, `ended` any other animation that
    // ran on the node (it stops where it is) and this one when it is over at once. Costs the
    // same however many other animations run.
    void Start(int node, int animation, unsigned now, std::vector<int>& changed, std::vector<Ended>& ended);
    // Moves every running animation to `now`; `changed` receives the nodes stepped (the caller
    // repaints them where they were, from RunningNodes before, and where they are), `ended`
    // those that reached their end. True while any animation runs.
    bool Step(unsigned now, std::vector<int>& changed, std::vector<Ended>& ended);
    bool Running() const { return !running_.empty(); }
    bool RunningOn(int node) const { return node >= 0 && node < int(running_on_.size()) && running_on_[node]; }
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
    // Moves one run to `now`; true when it has ended.
    bool Advance(Run& run, unsigned now);
    const SkinAnimation& AnimationOf(const Run& run) const;
    TSkinLayout& tree_;
    std::vector<Run> running_;
    std::vector<char> running_on_;  // per node: whether one of its animations runs
};

// Applies every frame of the animation at once: its end state.
void FinishAnimation(TSkinLayout& tree, int node, int animation);
