// The live element tree of one skinned window (or of the skin object): the values programs
// change, over the immutable design of the loaded skin. Element references hold the tree;
// the window that draws it is reached through TSkinHost while it exists.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "skin/uSkin.h"
#include "skin/uSkinLayout.h"
#include "skin/uSkinModel.h"

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

struct TSkinTree : TSkinLayout {
    TSkinHost* host = nullptr;  // null for the skin object
    bool alive = true;          // false once the window is unskinned or destroyed
    bool helpMode = false;      // presses only name their element (TSkin::SetHelpMode)

    // Throws ESkinError when the tree is gone or the index is not an element.
    TSkinNode& Node(int index);
    // Device rectangle at `dpi` including animation offsets.
    RECT DeviceRect(int index, int dpi) const {
        SkinRect b = DeviceBox(index, dpi);
        return {b.x, b.y, b.x + b.w, b.y + b.h};
    }
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
