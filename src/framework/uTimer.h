// The framework's timer: an owned SetTimer on a hidden window of its own, so the
// handler runs on the creating thread's message loop like every other handler.
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include "uWindow.h"

class TTimer {
public:
    explicit TTimer(UINT interval = 1000);
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool value);
    UINT Interval() const noexcept { return interval_; }
    // Restarts the period when the timer runs; 0 stops the ticks as in the framework we follow.
    void SetInterval(UINT value);

    std::function<void()> OnTimer;

private:
    class Window;
    void Tick();
    void Update();

    std::unique_ptr<Window> window_;
    UINT interval_;
    bool enabled_ = false;
};
