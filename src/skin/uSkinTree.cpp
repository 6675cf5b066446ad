#include "skin/uSkinTree.h"
#include "skin/uSkinRaster.h"

namespace {
TSkinNode NodeFrom(const SkinElement& e) {
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
}  // namespace

TSkinNode& TSkinTree::Node(int index) {
    if (!alive) throw ESkinError(L"The skin element no longer exists: its window was unskinned or closed");
    if (index < 0 || index >= int(nodes.size())) throw ESkinError(L"No such skin element");
    return nodes[index];
}

void TSkinTree::Offset(int index, double& dx, double& dy) const {
    dx = dy = 0;
    for (int i = index; i >= 0; i = nodes[i].parent) {
        dx += nodes[i].dx;
        dy += nodes[i].dy;
    }
}

bool TSkinTree::Visible(int index) const {
    for (int i = index; i >= 0; i = nodes[i].parent)
        if (nodes[i].hidden) return false;
    return true;
}

RECT TSkinTree::DeviceRect(int index, int dpi) const {
    const TSkinNode& n = nodes[index];
    if (!n.design) return {0, 0, 0, 0};
    double dx, dy;
    Offset(index, dx, dy);
    const SkinRect& r = n.design->rect;
    // Offsets glide in fractions of a design pixel; round once, at device resolution.
    int ox = int(dx * dpi / 96 + (dx >= 0 ? 0.5 : -0.5)), oy = int(dy * dpi / 96 + (dy >= 0 ? 0.5 : -0.5));
    return {ScaleDesign(r.x, dpi) + ox, ScaleDesign(r.y, dpi) + oy, ScaleDesign(r.x + r.w, dpi) + ox,
            ScaleDesign(r.y + r.h, dpi) + oy};
}

int TSkinTree::Find(int from, const std::wstring& wanted) const {
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

std::shared_ptr<TSkinTree> BuildFormTree(std::shared_ptr<const SkinModel> model, const SkinForm& form) {
    auto tree = std::make_shared<TSkinTree>();
    tree->nodes.reserve(form.elements.size());
    for (const SkinElement& e : form.elements) tree->nodes.push_back(NodeFrom(e));
    tree->nodes[0].hasColor = true;
    tree->nodes[0].color = form.color;
    tree->model = std::move(model);
    return tree;
}

std::shared_ptr<TSkinTree> BuildSkinTree(std::shared_ptr<const SkinModel> model) {
    auto tree = std::make_shared<TSkinTree>();
    TSkinNode root;
    root.name = model->name;
    tree->nodes.push_back(root);
    for (const SkinForm& form : model->forms) {
        int base = int(tree->nodes.size());
        tree->nodes[0].children.push_back(base);
        for (const SkinElement& e : form.elements) {
            TSkinNode n = NodeFrom(e);
            n.parent = n.parent < 0 ? 0 : n.parent + base;
            for (int& c : n.children) c += base;
            if (e.kind == TSkinElementKind::Root) {
                n.hasColor = true;
                n.color = form.color;
            }
            tree->nodes.push_back(std::move(n));
        }
    }
    tree->model = std::move(model);
    return tree;
}

std::shared_ptr<TSkinTree> BuildDialogTree(std::shared_ptr<const SkinModel> model) {
    auto tree = std::make_shared<TSkinTree>();
    TSkinNode root;
    root.name = L"dialog";
    root.hasColor = true;
    root.color = model->dialog.color;
    tree->nodes.push_back(root);
    tree->model = std::move(model);
    return tree;
}
