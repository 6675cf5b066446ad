// What every skinned window is given by its creator instead of reaching for globals: the
// options object, the engine for what the windows ask of it, and the skin service. The
// program passes the global Options, the engine window's messages and the one service made at
// the composition root; tests pass their own objects and doubles.
#pragma once
#include <windows.h>
#include <cstdint>

class TKorvixOptions;
class TSkinService;

// What the windows ask of the engine.
class IEngineRequests {
public:
    virtual ~IEngineRequests() = default;
    // A free-up of `megabytes` (the main window's manual free-up); posted, so it starts after
    // the click that asked for it has been handled.
    virtual void RequestFreeUp(int32_t megabytes) = 0;
    // Around the hotkey dialog: sent and answered at once, so pressing the current combination
    // in the dialog starts nothing, and the keys work again before the dialog's flow returns.
    virtual void ReleaseHotkeys() = 0;
    virtual void RestoreHotkeys() = 0;
};

// The engine window (`window`, the global EngineWindow in the program) reached by its messages.
class TEngineMessages final : public IEngineRequests {
public:
    explicit TEngineMessages(HWND (*window)()) : window_(window) {}
    void RequestFreeUp(int32_t megabytes) override;
    void ReleaseHotkeys() override;
    void RestoreHotkeys() override;

private:
    HWND (*window_)();
};

struct TWindowContext {
    TKorvixOptions& Options;
    IEngineRequests& Engine;
    TSkinService& Skins;
};
