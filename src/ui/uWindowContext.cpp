#include "ui/uWindowContext.h"
#include "legacy/uMessages.h"

void TEngineMessages::RequestFreeUp(int32_t megabytes) {
    if (HWND engine = window_(); engine && megabytes > 0)
        ::PostMessageW(engine, WM_FREEUPREQUEST, static_cast<WPARAM>(megabytes), 0);
}

void TEngineMessages::ReleaseHotkeys() {
    if (HWND engine = window_()) ::SendMessageW(engine, WM_HOTKEYSRELEASE, 0, 0);
}

void TEngineMessages::RestoreHotkeys() {
    if (HWND engine = window_()) ::SendMessageW(engine, WM_HOTKEYSRESTORE, 0, 0);
}
