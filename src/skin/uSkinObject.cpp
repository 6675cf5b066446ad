// The element references programs hold: each call checks that the window still exists,
// then reads or changes the live tree and has the window repaint what changed.
#include <algorithm>
#include "skin/uSkin.h"
#include "skin/uSkinAnimation.h"
#include "skin/uSkinTree.h"

namespace {
[[noreturn]] void WrongKind(const TSkinNode& n, const wchar_t* wanted) {
    std::wstring name = n.name.empty() ? L"(unnamed)" : n.name;
    throw ESkinError(L"Skin element " + name + L" is a " + SkinKindName(n.kind) + L", not a " + wanted);
}

const SkinAnimation& Animation(const TSkinNode& n, int index) {
    if (!n.design || index < 0 || index >= int(n.design->animations.size()))
        throw ESkinError(L"Skin element " + n.name + L" has no animation " + std::to_wstring(index));
    return n.design->animations[index];
}

void Repaint(TSkinTree& tree, int index) {
    if (!tree.host) return;
    tree.host->InvalidateNode(index);
    tree.host->ElementChanged(index);
}
}  // namespace

TSkinNode& TSkinObject::Node() const {
    if (!tree_) throw ESkinError(L"No skin element: the name was not found");
    return tree_->Node(index_);
}

std::wstring TSkinObject::Name() const { return Node().name; }

TSkinElementKind TSkinObject::Kind() const { return Node().kind; }

TSkinObject TSkinObject::Find(const std::wstring& name) const {
    Node();
    int found = tree_->Find(index_, name);
    return found < 0 ? TSkinObject() : TSkinObject(tree_, found);
}

int TSkinObject::ChildCount() const { return int(Node().children.size()); }

TSkinObject TSkinObject::Child(int index) const {
    const TSkinNode& n = Node();
    if (index < 0 || index >= int(n.children.size()))
        throw ESkinError(L"Skin element " + n.name + L" has no child " + std::to_wstring(index));
    return TSkinObject(tree_, n.children[index]);
}

void TSkinObject::Refresh() const {
    Node();
    Repaint(*tree_, index_);
}

RECT TSkinObject::Rectangle() const {
    Node();
    return tree_->DeviceRect(index_, tree_->host ? tree_->host->Dpi() : 96);
}

int TSkinObject::AnimationCount() const {
    const TSkinNode& n = Node();
    return n.design ? int(n.design->animations.size()) : 0;
}

std::wstring TSkinObject::AnimationName(int index) const { return Animation(Node(), index).name; }

int TSkinObject::FrameCount(int index) const { return int(Animation(Node(), index).frames.size()); }

SkinFrameRecord TSkinObject::Frame(int index, int frame) const {
    const SkinAnimation& a = Animation(Node(), index);
    if (frame < 0 || frame >= int(a.frames.size()))
        throw ESkinError(L"Animation " + a.name + L" has no frame " + std::to_wstring(frame));
    return a.frames[frame];
}

void TSkinObject::StartAnimation(int index) const {
    Animation(Node(), index);
    if (tree_->host) {
        tree_->host->StartAnimation(index_, index);
    } else {
        FinishAnimation(*tree_, index_, index);
    }
}

bool TSkinObject::AnimationRunning() const {
    Node();
    if (!tree_->host) return false;
    auto running = [this](auto& self, int index) -> bool {
        if (tree_->host->AnimationRunning(index)) return true;
        for (int child : tree_->nodes[index].children)
            if (self(self, child)) return true;
        return false;
    };
    return running(running, index_);
}

TSkinColor TSkinObject::Color() const {
    const TSkinNode& n = Node();
    if (n.kind != TSkinElementKind::Root || !n.hasColor) WrongKind(n, L"window root");
    return n.color;
}

TSkinStatic TSkinObject::AsStatic() const {
    const TSkinNode& n = Node();
    if (n.kind != TSkinElementKind::Static) WrongKind(n, L"static");
    return TSkinStatic(tree_, index_);
}

TSkinButton TSkinObject::AsButton() const {
    const TSkinNode& n = Node();
    if (n.kind != TSkinElementKind::Button) WrongKind(n, L"button");
    return TSkinButton(tree_, index_);
}

TSkinScrollBar TSkinObject::AsScrollBar() const {
    const TSkinNode& n = Node();
    if (n.kind != TSkinElementKind::ScrollBar) WrongKind(n, L"scrollbar");
    return TSkinScrollBar(tree_, index_);
}

void TSkinStatic::SetText(const std::wstring& text) const {
    Node().text = text;
    Repaint(*tree_, index_);
}

std::wstring TSkinStatic::Text() const { return Node().text; }

TSkinColor TSkinStatic::GetColor() const {
    const TSkinNode& n = Node();
    if (!n.hasColor) throw ESkinError(L"Skin element " + n.name + L" has no colour");
    return n.color;
}

SkinImageSection TSkinStatic::GetImageSection() const { return {Node().section}; }

void TSkinStatic::SetImageSection(const SkinImageSection& section) const {
    Node().section = section.Name;
    Repaint(*tree_, index_);
}

void TSkinButton::SetCaption(const std::wstring& caption) const {
    Node().text = caption;
    Repaint(*tree_, index_);
}

std::wstring TSkinButton::Caption() const { return Node().text; }

namespace {
int StateIndex(int index) {
    if (index < 0 || index > 2) throw ESkinError(L"A button has the states 0 to 2, not " + std::to_wstring(index));
    return index;
}
}  // namespace

SkinButtonState TSkinButton::GetState(int index) const { return Node().states[StateIndex(index)]; }

void TSkinButton::SetState(int index, const SkinButtonState& state) const {
    Node().states[StateIndex(index)] = state;
    Repaint(*tree_, index_);
}

namespace {
void ChangeState(TSkinTree& tree, int index, bool TSkinNode::*field, bool value) {
    TSkinNode& n = tree.Node(index);
    if (n.*field == value) return;
    n.*field = value;
    Repaint(tree, index);
}
}  // namespace

void TSkinButton::SetPressed(bool pressed) const { ChangeState(*tree_, index_, &TSkinNode::pressed, pressed); }
bool TSkinButton::Pressed() const { return Node().pressed; }
void TSkinButton::SetChecked(bool checked) const { ChangeState(*tree_, index_, &TSkinNode::checked, checked); }
bool TSkinButton::Checked() const { return Node().checked; }

namespace {
// Every change keeps the position among the reachable ones, as a scroll bar of the system does.
void ChangeScroll(TSkinTree& tree, int index, int SkinScrollValues::*field, int value) {
    TSkinNode& n = tree.Node(index);
    n.scroll.*field = value;
    // A position the program writes is kept even beyond the last one the user can reach (the
    // thumb is drawn at the end): the value it stands for must not change by being shown.
    n.scroll.position = std::clamp(n.scroll.position, n.scroll.min, std::max(n.scroll.min, n.scroll.max));
    Repaint(tree, index);
}
}  // namespace

void TSkinScrollBar::SetMin(int value) const { ChangeScroll(*tree_, index_, &SkinScrollValues::min, value); }
void TSkinScrollBar::SetMax(int value) const { ChangeScroll(*tree_, index_, &SkinScrollValues::max, value); }
void TSkinScrollBar::SetPage(int value) const {
    ChangeScroll(*tree_, index_, &SkinScrollValues::page, std::max(value, 0));
}
void TSkinScrollBar::SetStep(int value) const {
    ChangeScroll(*tree_, index_, &SkinScrollValues::step, std::max(value, 1));
}
void TSkinScrollBar::SetPosition(int value) const { ChangeScroll(*tree_, index_, &SkinScrollValues::position, value); }
int TSkinScrollBar::Min() const { return Node().scroll.min; }
int TSkinScrollBar::Max() const { return Node().scroll.max; }
int TSkinScrollBar::Page() const { return Node().scroll.page; }
int TSkinScrollBar::Step() const { return Node().scroll.step; }
int TSkinScrollBar::Position() const { return Node().scroll.position; }
