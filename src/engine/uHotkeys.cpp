#include "uHotkeys.h"

UINT HotkeyModifiers(int32_t shortcut) {
    UINT modifiers = 0;
    if (shortcut & 0x8000) modifiers |= MOD_ALT;
    if (shortcut & 0x4000) modifiers |= MOD_CONTROL;
    if (shortcut & 0x2000) modifiers |= MOD_SHIFT;
    return modifiers;
}

UINT HotkeyVirtualKey(int32_t shortcut) { return static_cast<UINT>(shortcut & 0xFF); }

bool HotkeyAllowed(int32_t shortcut) {
    const UINT key = HotkeyVirtualKey(shortcut);
    switch (key) {
        case 0:
        case VK_SHIFT:
        case VK_CONTROL:
        case VK_MENU:
        case VK_LSHIFT:
        case VK_RSHIFT:
        case VK_LCONTROL:
        case VK_RCONTROL:
        case VK_LMENU:
        case VK_RMENU:
        case VK_LWIN:
        case VK_RWIN: return false;
    }
    const UINT modifiers = HotkeyModifiers(shortcut);
    if (modifiers & (MOD_CONTROL | MOD_ALT)) return true;
    return (modifiers & MOD_SHIFT) && key >= VK_F1 && key <= VK_F24;
}

namespace {
// MOD_NOREPEAT is known from Windows 7 on; older systems refuse the flag, so they get the
// key without it.
bool RegisterOne(HWND window, int id, int32_t shortcut) {
    if (!HotkeyAllowed(shortcut)) return false;
    const UINT modifiers = HotkeyModifiers(shortcut);
    const UINT key = HotkeyVirtualKey(shortcut);
    return ::RegisterHotKey(window, id, modifiers | MOD_NOREPEAT, key) || ::RegisterHotKey(window, id, modifiers, key);
}
}  // namespace

void THotkeys::Register(HWND window, const std::array<int32_t, 3>& values) {
    if (values == Values) return;
    Unregister(window);
    Values = values;
    for (int i = 0; i < 3; ++i) {
        const int id = i + 1;
        Ids[i] = RegisterOne(window, id, values[i]) ? id : -1;
    }
}

void THotkeys::Unregister(HWND window) {
    for (int32_t& id : Ids) {
        if (id >= 0) ::UnregisterHotKey(window, id);
        id = -1;
    }
    Values = {0, 0, 0};
}
