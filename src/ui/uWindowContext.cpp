#include "ui/uWindowContext.h"
#include "framework/uOwnMessages.h"
#include "legacy/uMessages.h"

void TEngineMessages::RequestFreeUp(int32_t megabytes) {
    if (HWND engine = window_(); engine && megabytes > 0)
        ::PostMessageW(engine, WM_FREEUPREQUEST, static_cast<WPARAM>(megabytes), 0);
}

void TEngineMessages::ReleaseHotkeys() {
    // The program's own key: the engine ignores a release that another process sends.
    if (HWND engine = window_()) ::SendMessageW(engine, WM_HOTKEYSRELEASE, 0, OwnMessageKey());
}

void TEngineMessages::RestoreHotkeys() {
    if (HWND engine = window_()) ::SendMessageW(engine, WM_HOTKEYSRESTORE, 0, OwnMessageKey());
}
