#include "skin/uSkinTree.h"

TSkinNode& TSkinTree::Node(int index) {
    if (!alive) throw ESkinError(L"The skin element no longer exists: its window was unskinned or closed");
    if (index < 0 || index >= int(nodes.size())) throw ESkinError(L"No such skin element");
    return nodes[index];
}

std::shared_ptr<TSkinTree> BuildFormTree(std::shared_ptr<const SkinModel> model, const SkinForm& form) {
    auto tree = std::make_shared<TSkinTree>();
    tree->nodes = SkinFormNodes(form);
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
            TSkinNode n = SkinNodeFrom(e);
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
