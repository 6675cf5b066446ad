// The framework's timer: SetTimer on its form's own window, so the handler runs on the
// form's thread from its message loop like every other handler, and an exception in it
// reaches the form's window procedure and the application's error sink.
#pragma once
#include <windows.h>
#include <functional>

class TForm;

class TTimer {
public:
    // Disabled at first. The form may not have its window yet: the timer starts when both
    // the window exists and the timer is enabled.
    explicit TTimer(TForm& owner, UINT interval = 1000);
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool value);
    UINT Interval() const noexcept { return interval_; }
    // Restarts the period when the timer runs; 0 stops the ticks.
    void SetInterval(UINT value);

    std::function<void()> OnTimer;

private:
    friend class TForm;
    void Tick();
    void Apply();

    TForm* owner_;  // cleared if the form goes first
    UINT_PTR id_;
    UINT interval_;
    bool enabled_ = false;
};
