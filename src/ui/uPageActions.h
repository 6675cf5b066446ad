// What the option controls of the main window's pages do: the click table and the
// slider table, by element ID, acting on the options through their setters (which
// clamp, couple and announce), and the rule that applies a slider drag exactly once
// per notification.
#pragma once
#include <windows.h>
#include <cstdint>

class TKorvixOptions;

// What is left for the window to do after a click.
enum class TClickEffect : uint8_t {
    None,           // nothing, or only options changed
    FreeUpRequest,  // a free-up of Value megabytes (above 0) for the engine
    HotkeyDialog,   // the hotkey dialog for preset Value
    AskDefaults,    // the ask-defaults dialog; on yes, ApplyDefaults
};

struct TClickResult {
    TClickEffect Effect = TClickEffect::None;
    int32_t Value = 0;
    bool operator==(const TClickResult&) const = default;
};

// Acts on a click on the element `id` while `page` is open: changes the options the click
// table names, and returns what is left for the window to carry out (the manual free-up only
// for an amount above 0 MB).
TClickResult PageClick(TKorvixOptions& options, int32_t id, int page);
// Moves the option of the slider `id` to `position`; answers whether the slider has one
// on this page.
bool PageSlider(TKorvixOptions& options, int32_t id, int page, int32_t position);

// A thumb drag changes the option live at every track notification; the scroll
// notification that ends the drag is not applied again. An arrow or page-area click
// gives a scroll notification alone and applies once.
class TSliderTracking {
public:
    void SkinScrollTrack(TKorvixOptions& options, int32_t id, int page, int32_t newPos);
    void SkinScroll(TKorvixOptions& options, int32_t id, int page, int32_t newPos);
    bool TrackingScroll() const { return trackingScroll_; }

private:
    bool trackingScroll_ = false;
};
