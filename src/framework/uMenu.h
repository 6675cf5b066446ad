// Popup menus as a tree of items (caption, tag, check, enabled, visible, default,
// shortcut text, click handler). The Win32 menu is built from the tree each time
// it pops up, so it always shows the current state.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "uHandles.h"

class TMenuItem {
public:
    TMenuItem() = default;
    TMenuItem(std::wstring name, std::wstring caption) : Name(std::move(name)), Caption(std::move(caption)) {}

    std::wstring Name;
    std::wstring Caption;  // "-" is a separator
    int Tag = 0;
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    bool Default = false;
    std::wstring ShortCutText;  // shown right-aligned after the caption
    std::function<void(TMenuItem& sender)> OnClick;

    bool IsSeparator() const { return Caption == L"-"; }
    TMenuItem* Add(std::unique_ptr<TMenuItem> item);
    TMenuItem* Add(std::wstring name, std::wstring caption);
    // Removes and frees the item at `index`.
    void Delete(int index);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem& Items(int index) { return *items_[index]; }
    // Depth-first search by name, this item included.
    TMenuItem* Find(const std::wstring& name);

private:
    std::vector<std::unique_ptr<TMenuItem>> items_;
};

class TPopupMenu {
public:
    TMenuItem Items;

    // Shows the menu at a screen position for `owner` and runs the chosen item's OnClick.
    void Popup(HWND owner, int x, int y);

    // The Win32 menu of the current tree and the item behind each command id (1, 2, ...).
    struct Built {
        UniqueMenu menu;
        std::map<UINT, TMenuItem*> commands;
    };
    Built Build();
    // Runs the OnClick of the item behind a command id of `built`; false when there is none.
    static bool Click(const Built& built, UINT command);
};

// "Ctrl+Alt+D" for a shortcut value: virtual key in the low byte, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
std::wstring ShortCutToText(int shortcut);
