#include "uTimer.h"

TTimer::TTimer(UINT interval)
    : window_(std::make_unique<TUtilityWindow<TTimer>>(this, &TTimer::WindowProc, L"KorvixTimerWindow")),
      interval_(interval) {}

TTimer::~TTimer() { ::KillTimer(window_->Handle(), kTimerId); }

void TTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    Update();
}

void TTimer::SetInterval(UINT value) {
    if (value == interval_) return;
    interval_ = value;
    Update();
}

void TTimer::Update() {
    ::KillTimer(window_->Handle(), kTimerId);
    if (enabled_ && interval_ > 0) ::SetTimer(window_->Handle(), kTimerId, interval_, nullptr);
}

LRESULT TTimer::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kTimerId) {
        // A tick that was already queued when the timer was switched off is dropped.
        if (enabled_ && OnTimer) OnTimer();
        return 0;
    }
    return ::DefWindowProcW(window_->Handle(), msg, wParam, lParam);
}
