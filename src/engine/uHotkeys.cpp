#include "uHotkeys.h"

UINT HotkeyModifiers(int32_t shortcut) {
    UINT modifiers = 0;
    if (shortcut & 0x8000) modifiers |= MOD_ALT;
    if (shortcut & 0x4000) modifiers |= MOD_CONTROL;
    if (shortcut & 0x2000) modifiers |= MOD_SHIFT;
    return modifiers;
}

UINT HotkeyVirtualKey(int32_t shortcut) { return static_cast<UINT>(shortcut & 0xFF); }

void THotkeys::Register(HWND window, const std::array<int32_t, 3>& values) {
    if (values == Values) return;
    Unregister(window);
    Values = values;
    for (int i = 0; i < 3; ++i) {
        const int id = i + 1;
        Ids[i] = ::RegisterHotKey(window, id, HotkeyModifiers(values[i]), HotkeyVirtualKey(values[i])) ? id : -1;
    }
}

void THotkeys::Unregister(HWND window) {
    for (int32_t& id : Ids) {
        if (id >= 0) ::UnregisterHotKey(window, id);
        id = -1;
    }
    Values = {0, 0, 0};
}
