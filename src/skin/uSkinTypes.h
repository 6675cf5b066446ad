// The plain records the skin engine hands out and takes back. No Windows headers: the
// format and image code that uses them also builds natively (fuzzing).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include "framework/uException.h"

KORVIX_DECLARE_EXCEPTION(ESkinError, Exception);

// Three colour bytes: b0 blue, b1 green, b2 red; the system colour is b2 + 256*b1 + 65536*b0.
struct TSkinColor {
    uint8_t b0 = 0, b1 = 0, b2 = 0;
    bool operator==(const TSkinColor&) const = default;
};
inline uint32_t SkinColorValue(TSkinColor c) { return c.b2 + 256u * c.b1 + 65536u * c.b0; }
inline TSkinColor SkinColorFromRGB(uint8_t r, uint8_t g, uint8_t b) { return {b, g, r}; }

struct SkinImageSection {
    std::wstring Name;
    bool operator==(const SkinImageSection&) const = default;
};

// One look of a button: the section it is drawn with and the colour of its caption.
struct SkinButtonState {
    SkinImageSection Section;
    TSkinColor Color;
    bool operator==(const SkinButtonState&) const = default;
};
enum TSkinButtonLook { sbNormal = 0, sbHot = 1, sbPushed = 2 };

// One frame of an animation. The duration is the fourth 32-bit field.
struct SkinFrameRecord {
    int32_t Flags = 0;  // SkinFrameFlag bits: what the frame changes
    int32_t OffsetX = 0;
    int32_t OffsetY = 0;
    int32_t Duration = 0;  // milliseconds
    int32_t Alpha = 255;
    int32_t Ease = 0;  // SkinEase
    std::wstring Section;
};
static_assert(offsetof(SkinFrameRecord, Duration) == 12);
enum SkinFrameFlag : int32_t { sfShow = 1, sfHide = 2, sfAlpha = 4, sfOffset = 8, sfSection = 16 };
enum SkinEase : int32_t { seLinear = 0, seIn = 1, seOut = 2, seInOut = 3 };

enum class TSkinElementKind { Root, Static, Button, ScrollBar, Group, Image };
const wchar_t* SkinKindName(TSkinElementKind kind);
