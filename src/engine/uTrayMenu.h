// The tray menu: its items in order with their run-time captions, the checks and
// enabled states that follow the options, the preset captions and shortcut texts,
// and the Free-and-Run submenu rebuilt from the list of entries.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include "framework/uMenu.h"

class TKorvixOptions;

// What the engine does for the items that are not plain option switches.
struct TTrayMenuActions {
    std::function<void()> ShowMainWindow;
    std::function<void()> ManageEntries;
    std::function<void(int preset)> FreeUpPreset;  // preset 1..3
    std::function<void(int32_t entryId)> FreeAndRun;
    std::function<void()> Exit;
};

// Fills an empty menu with every item and its handler. The option switches act on
// `options` through its setters; the menu itself follows from the resulting notification.
void CreateIconMenu(TPopupMenu& menu, TKorvixOptions& options, const TTrayMenuActions& actions);
// Brings checks, captions, shortcut texts and (for the Free-and-Run flag) the
// Free-and-Run submenu up to date with the options.
void RefreshIconMenu(TPopupMenu& menu, TKorvixOptions& options, uint32_t flags, const TTrayMenuActions& actions);
// The last free-up's result beside the "Status" item ("Freed 812 MB at 2:04 PM").
void ShowLastResult(TPopupMenu& menu, const std::wstring& text);
