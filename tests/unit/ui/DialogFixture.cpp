#include "DialogFixture.h"

std::wstring ShippedSkin(const wchar_t* name) { return std::wstring(KORVIX_SKIN_DIR) + L"\\" + name; }

namespace {
std::function<void()> g_action;
UINT_PTR g_timer = 0;

void CALLBACK RunAction(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    g_timer = 0;
    auto action = std::move(g_action);
    g_action = nullptr;
    if (action) action();
}
}  // namespace

void WhenLooping(std::function<void()> action) {
    CancelLooping();
    g_action = std::move(action);
    g_timer = ::SetTimer(nullptr, 0, 20, &RunAction);
}

void CancelLooping() {
    if (g_timer) ::KillTimer(nullptr, g_timer);
    g_timer = 0;
    g_action = nullptr;
}

bool LoopingPending() { return g_timer != 0; }
