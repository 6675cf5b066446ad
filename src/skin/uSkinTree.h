// The live element tree of one skinned window (or of the skin object): the values programs
// change, over the immutable design of the loaded skin. Element references hold the tree;
// the window that draws it is reached through TSkinHost while it exists.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "skin/uSkin.h"
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

// What a tree needs from the window that draws it.
class TSkinHost {
public:
    virtual ~TSkinHost() = default;
    virtual int Dpi() const = 0;
    // The element's rectangle changed or its look did: repaint what it covered and covers.
    virtual void InvalidateNode(int index) = 0;
    virtual void StartAnimation(int node, int animation) = 0;
    // Whether an animation of that node plays now.
    virtual bool AnimationRunning(int node) const = 0;
    // A program changed the element's text, state or value (accessibility tools are told).
    virtual void ElementChanged(int /*index*/) {}
};

struct TSkinTree {
    std::shared_ptr<const SkinModel> model;
    std::vector<TSkinNode> nodes;  // [0] is the root
    TSkinHost* host = nullptr;     // null for the skin object
    bool alive = true;             // false once the window is unskinned or destroyed
    bool helpMode = false;         // presses only name their element (TSkin::SetHelpMode)

    // Throws ESkinError when the tree is gone or the index is not an element.
    TSkinNode& Node(int index);
    // Effective offset (own and ancestors'), visibility (own and ancestors').
    void Offset(int index, double& dx, double& dy) const;
    bool Visible(int index) const;
    // Device rectangle at `dpi` including animation offsets.
    RECT DeviceRect(int index, int dpi) const;
    int Find(int from, const std::wstring& name) const;
};

// Makes element references for the engine's own units.
struct TSkinAccess {
    static TSkinObject Object(const std::shared_ptr<TSkinTree>& tree, int index) { return TSkinObject(tree, index); }
};

// A tree for one form: the form's elements with their designed values.
std::shared_ptr<TSkinTree> BuildFormTree(std::shared_ptr<const SkinModel> model, const SkinForm& form);
// The skin object: a root named after the skin whose children are all the forms.
std::shared_ptr<TSkinTree> BuildSkinTree(std::shared_ptr<const SkinModel> model);
// A skinned dialog's root: no children, the dialog style's colour.
std::shared_ptr<TSkinTree> BuildDialogTree(std::shared_ptr<const SkinModel> model);
