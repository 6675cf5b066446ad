// Where a form's elements are and what they look like now: the live values programs and
// animations change over the immutable design, and the layout arithmetic at any DPI. No
// Windows headers: the windows draw it (uSkinTree), and so does the paint fuzzer (uSkinCompose).
#pragma once
#include <memory>
#include <string>
#include <vector>
#include "skin/uSkinModel.h"
#include "skin/uSkinScrollBar.h"

struct TSkinNode {
    const SkinElement* design = nullptr;  // null only for the skin object's own root
    TSkinElementKind kind = TSkinElementKind::Root;
    std::wstring name;
    int parent = -1;
    std::vector<int> children;
    // What programs and animations change.
    std::wstring text;
    std::wstring section;
    bool hasColor = false;
    TSkinColor color;
    SkinButtonState states[3];
    SkinScrollValues scroll;
    bool hidden = false;
    // Element state a program sets: a button drawn pressed (the open page, the chosen option)
    // and checked (a ticked box), in the skin's looks for them.
    bool pressed = false, checked = false;
    int alpha = 255;
    double dx = 0, dy = 0;  // animation offset, design pixels
};

struct TSkinLayout {
    std::shared_ptr<const SkinModel> model;
    std::vector<TSkinNode> nodes;  // [0] is the root

    // Effective offset (own and ancestors'), visibility (own and ancestors').
    void Offset(int index, double& dx, double& dy) const;
    bool Visible(int index) const;
    // Device rectangle at `dpi` including animation offsets.
    SkinRect DeviceBox(int index, int dpi) const;
    int Find(int from, const std::wstring& name) const;
};

// A node with the designed values of its element.
TSkinNode SkinNodeFrom(const SkinElement& e);
// The nodes of one form, its root coloured.
std::vector<TSkinNode> SkinFormNodes(const SkinForm& form);
