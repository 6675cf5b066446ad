#include "uTimer.h"
#include "uForm.h"

TTimer::TTimer(TForm& owner, UINT interval) : owner_(&owner), id_(owner.AddTimer(this)), interval_(interval) {}

TTimer::~TTimer() {
    if (owner_) owner_->RemoveTimer(id_);
}

void TTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    Apply();
}

void TTimer::SetInterval(UINT value) {
    if (value == interval_) return;
    interval_ = value;
    Apply();
}

void TTimer::Apply() {
    HWND window = owner_ ? owner_->Handle() : nullptr;
    if (!window) return;
    ::KillTimer(window, id_);
    if (enabled_ && interval_ > 0) ::SetTimer(window, id_, interval_, nullptr);
}

void TTimer::Tick() {
    // A tick that was already queued when the timer was switched off is dropped.
    if (enabled_ && OnTimer) OnTimer();
}
