// Popup menus as a tree of items (caption, tag, check, enabled, visible, default,
// shortcut text, click handler). The Win32 menu is built from the tree each time
// it pops up, so it always shows the current state.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "uHandles.h"

class TMenuItem {
public:
    TMenuItem();
    TMenuItem(std::wstring name, std::wstring caption);

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
    // Unique in the process and never reused, so a freed item is never mistaken for a new one.
    uint32_t Serial() const noexcept { return serial_; }
    TMenuItem* FindSerial(uint32_t serial);

private:
    uint32_t serial_;
    std::vector<std::unique_ptr<TMenuItem>> items_;
};

class TPopupMenu {
public:
    TMenuItem Items;

    // Shows the menu at a screen position for `owner` and runs the chosen item's OnClick.
    // The menu's modal loop dispatches messages, and their handlers may change the tree:
    // the choice is looked up in the tree as it is once the loop has ended.
    void Popup(HWND owner, int x, int y);

    // The Win32 menu of the current tree and the serial of the item behind each command id.
    struct Built {
        UniqueMenu menu;
        std::map<UINT, uint32_t> commands;
    };
    Built Build();
    // Runs the OnClick of the item that a command id of `built` stood for, if that item is
    // still in the tree, enabled and without a submenu; false otherwise. An exception of
    // the action goes to Application.HandleException.
    bool Click(const Built& built, UINT command);
};

// "Ctrl+Alt+D" for a shortcut value: virtual key in the low byte, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt.
std::wstring ShortCutToText(int shortcut);
