// Small helpers the scenes share for turning computed real values into drawing arguments.
#pragma once

#include "Utils/Platform.h"

#include <cmath>
#include <cstdint>
#include <limits>

// Real to integer the way every scene coordinate, size and level is made: truncation toward
// zero. Values beyond the int32 range (never produced by the schedules) saturate instead of
// being undefined.
inline int32_t Trunc(double value) {
    if (!(value > -2147483648.0)) return std::isnan(value) ? 0 : std::numeric_limits<int32_t>::min();
    if (!(value < 2147483648.0)) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

// fx in [from, to): the half-open effect-time ranges of the schedules.
inline bool During(float fx, double from, double to) {
    return fx >= from && fx < to;
}

// A fresh random fraction from the shared sequence: rand * 1/32767 held as a float.
inline float RandomFraction() {
    return static_cast<float>(platform::Rand()) * platform::kRandScale;
}
