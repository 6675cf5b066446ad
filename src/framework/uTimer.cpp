#include "uTimer.h"

namespace {
constexpr UINT_PTR kTimerId = 1;
}

// The hidden window that receives the ticks.
class TTimer::Window : public TWindowBase {
public:
    explicit Window(TTimer* owner) : owner_(owner) {
        CreateHandle({.className = L"KorvixTimerWindow", .style = WS_POPUP});
    }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_TIMER && wParam == kTimerId) {
            owner_->Tick();
            return 0;
        }
        return DefaultProc(msg, wParam, lParam);
    }

private:
    TTimer* owner_;
};

TTimer::TTimer(UINT interval) : window_(std::make_unique<Window>(this)), interval_(interval) {}

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

void TTimer::Tick() {
    // A tick that was already queued when the timer was switched off is dropped.
    if (enabled_ && OnTimer) OnTimer();
}
