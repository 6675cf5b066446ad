#include "ui/uSkinHelper.h"
#include <algorithm>

namespace {
const std::wstring Pressed = L"_pressed";
const std::wstring Checked = L"_checked";

bool Marked(const std::wstring& name, const std::wstring& suffix) {
    return name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void Invert(TSkinColor& c) {
    c.b0 = uint8_t(~c.b0);
    c.b1 = uint8_t(~c.b1);
    c.b2 = uint8_t(~c.b2);
}
}  // namespace

bool PressRecord(SkinButtonState& state) {
    if (Marked(state.Section.Name, Pressed)) return false;
    state.Section.Name += Pressed;
    Invert(state.Color);
    return true;
}

bool UnpressRecord(SkinButtonState& state) {
    if (!Marked(state.Section.Name, Pressed)) return false;
    state.Section.Name.resize(state.Section.Name.size() - Pressed.size());
    Invert(state.Color);
    return true;
}

bool CheckRecord(SkinButtonState& state) {
    if (Marked(state.Section.Name, Checked)) return false;
    state.Section.Name += Checked;
    return true;
}

bool UncheckRecord(SkinButtonState& state) {
    if (!Marked(state.Section.Name, Checked)) return false;
    state.Section.Name.resize(state.Section.Name.size() - Checked.size());
    return true;
}

void ChangeButtonLook(const TSkinObject& root, const std::wstring& name, bool (*rule)(SkinButtonState&)) {
    if (!root) return;
    TSkinObject element = root.Find(name);
    if (!element) return;
    TSkinButton button = element.AsButton();
    for (int i = sbNormal; i <= sbPushed; ++i) {
        SkinButtonState state = button.GetState(i);
        rule(state);
        button.SetState(i, state);
    }
    button.Refresh();
}

namespace {
void PlayBeneath(const TSkinObject& element, const std::wstring& name, int& longest) {
    for (int i = 0; i < element.AnimationCount(); ++i) {
        if (element.AnimationName(i) != name) continue;
        int total = 0;
        for (int f = 0; f < element.FrameCount(i); ++f) total += element.Frame(i, f).Duration;
        longest = std::max(longest, total);
        element.StartAnimation(i);
    }
    for (int c = 0; c < element.ChildCount(); ++c) PlayBeneath(element.Child(c), name, longest);
}
}  // namespace

int PlayAnimation(const TSkinObject& root, const std::wstring& name) {
    int longest = 0;
    if (root) PlayBeneath(root, name, longest);
    return longest;
}

uint32_t SkinColor(const TSkinObject& element, uint32_t fallback) {
    if (!element) return fallback;
    try {
        if (element.Kind() != TSkinElementKind::Static) return fallback;
        return SkinColorValue(element.AsStatic().GetColor());
    } catch (const Exception&) {
        return fallback;
    }
}

void PlaceOnElement(HWND control, const TSkinObject& root, const std::wstring& name) {
    TSkinObject element = root ? root.Find(name) : TSkinObject();
    if (!element) throw ESkinError(L"The skin has no element " + name);
    RECT r = element.Rectangle();
    if (!::MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE))
        throw EOSError(L"Cannot place a control on the skin element " + name);
}
