// Integer rules shared by every layer.
#pragma once
#include <cstdint>

// The lower bound is tested first, so a range given the wrong way round yields `lo`.
constexpr int32_t Clamp(int32_t value, int32_t lo, int32_t hi) {
    if (value < lo) return lo;
    if (value > hi) return hi;
    return value;
}
