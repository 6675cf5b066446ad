#include "ui/uSkinHelper.h"
#include <algorithm>

namespace {
TSkinButton ButtonBeneath(const TSkinObject& root, const std::wstring& name) {
    TSkinObject element = root ? root.Find(name) : TSkinObject();
    return element ? element.AsButton() : TSkinButton();
}
}  // namespace

void SetButtonPressed(const TSkinObject& root, const std::wstring& name, bool pressed) {
    if (TSkinButton button = ButtonBeneath(root, name)) button.SetPressed(pressed);
}

void SetButtonChecked(const TSkinObject& root, const std::wstring& name, bool checked) {
    if (TSkinButton button = ButtonBeneath(root, name)) button.SetChecked(checked);
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
