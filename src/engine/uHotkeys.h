// The three system-wide hotkeys of the free-up presets. A shortcut value keeps the
// virtual key in its low byte and 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt above it.
#pragma once
#include <windows.h>
#include <array>
#include <cstdint>

UINT HotkeyModifiers(int32_t shortcut);
UINT HotkeyVirtualKey(int32_t shortcut);
// Whether a shortcut may be taken system-wide: a key with Ctrl or Alt, or Shift with a
// function key. Anything else (a plain letter, Shift+letter, a lone modifier) would take a
// key that people type, and every press would start a free-up.
bool HotkeyAllowed(int32_t shortcut);

struct THotkeys {
    std::array<int32_t, 3> Ids{-1, -1, -1};  // id registered for preset i+1, -1 when none
    std::array<int32_t, 3> Values{0, 0, 0};  // values last registered, 0 when none

    // Registers the given values unless they equal the ones registered last; a refused
    // key (taken by another program, not allowed, or 0) only leaves its id at -1. Held
    // down, a hotkey starts one free-up: auto-repeat is off where the system offers it.
    void Register(HWND window, const std::array<int32_t, 3>& values);
    // Unregisters all and forgets the values, so the next Register registers again.
    void Unregister(HWND window);
};
