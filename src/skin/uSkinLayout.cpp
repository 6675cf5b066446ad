#include "skin/uSkinLayout.h"
#include "skin/uSkinRaster.h"

TSkinNode SkinNodeFrom(const SkinElement& e) {
    TSkinNode n;
    n.design = &e;
    n.kind = e.kind;
    n.name = e.name;
    n.parent = e.parent;
    n.children = e.children;
    n.text = e.text;
    n.section = e.section;
    n.hasColor = e.hasColor;
    n.color = e.color;
    for (int i = 0; i < 3; ++i) n.states[i] = e.states[i];
    n.scroll = {e.min, e.max, e.page, e.step, e.position};
    n.scroll.position = ClampScrollPosition(n.scroll, n.scroll.position);
    n.hidden = e.hidden;
    return n;
}

std::vector<TSkinNode> SkinFormNodes(const SkinForm& form) {
    std::vector<TSkinNode> nodes;
    nodes.reserve(form.elements.size());
    for (const SkinElement& e : form.elements) nodes.push_back(SkinNodeFrom(e));
    nodes[0].hasColor = true;
    nodes[0].color = form.color;
    return nodes;
}

void TSkinLayout::Offset(int index, double& dx, double& dy) const {
    dx = dy = 0;
    for (int i = index; i >= 0; i = nodes[i].parent) {
        dx += nodes[i].dx;
        dy += nodes[i].dy;
    }
}

bool TSkinLayout::Visible(int index) const {
    for (int i = index; i >= 0; i = nodes[i].parent)
        if (nodes[i].hidden) return false;
    return true;
}

SkinRect TSkinLayout::DeviceBox(int index, int dpi) const {
    const TSkinNode& n = nodes[index];
    if (!n.design) return {};
    double dx, dy;
    Offset(index, dx, dy);
    const SkinRect& r = n.design->rect;
    // Offsets glide in fractions of a design pixel; round once, at device resolution.
    int ox = int(dx * dpi / 96 + (dx >= 0 ? 0.5 : -0.5)), oy = int(dy * dpi / 96 + (dy >= 0 ? 0.5 : -0.5));
    int left = ScaleDesign(r.x, dpi) + ox, top = ScaleDesign(r.y, dpi) + oy;
    return {left, top, ScaleDesign(r.x + r.w, dpi) + ox - left, ScaleDesign(r.y + r.h, dpi) + oy - top};
}

int TSkinLayout::Find(int from, const std::wstring& wanted) const {
    // Depth first, each element before its children, children in order.
    std::vector<int> stack(nodes[from].children.rbegin(), nodes[from].children.rend());
    while (!stack.empty()) {
        int i = stack.back();
        stack.pop_back();
        if (!wanted.empty() && nodes[i].name == wanted) return i;
        stack.insert(stack.end(), nodes[i].children.rbegin(), nodes[i].children.rend());
    }
    return -1;
}
