// Per-pixel helpers shared by the drawing objects: channel arithmetic on 0xKKRRGGBB words and the
// fixed 640 x 480 frame the whole-frame operations walk. Internal to Sources/Render.
#pragma once

#include <cstdint>

#include "Render/Bitmap.h"

namespace pixelops {

inline constexpr uint32_t kKeyMask = 0xFF000000u;
inline constexpr uint32_t kColourMask = 0x00FFFFFFu;
// The fixed frame is 640 x 480 words from the target's first word, whatever the target's width.
inline constexpr int32_t kFrameWords = kScreenWidth * kScreenHeight;

inline bool Usable(const Bitmap* bitmap) {
    return bitmap != nullptr && bitmap->pixels != nullptr && bitmap->size > 0;
}

// d = min(255, d + s) per colour channel; d's key byte kept.
inline uint32_t AddSaturated(uint32_t d, uint32_t s) {
    uint32_t out = d & kKeyMask;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t sum = ((d >> shift) & 0xFF) + ((s >> shift) & 0xFF);
        out |= (sum > 255 ? 255u : sum) << shift;
    }
    return out;
}

// d = max(0, d - s) per colour channel; d's key byte kept.
inline uint32_t SubtractSaturated(uint32_t d, uint32_t s) {
    uint32_t out = d & kKeyMask;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t a = (d >> shift) & 0xFF;
        const uint32_t b = (s >> shift) & 0xFF;
        out |= (a > b ? a - b : 0u) << shift;
    }
    return out;
}

// trunc(w * s + t * d) in double, held in 0..255. Any t works: values beyond the byte range (and
// a NaN t) are caught before the conversion to an integer, which could otherwise overflow.
inline uint32_t BlendChannel(uint32_t s, uint32_t d, float w, float t) {
    const double v = static_cast<double>(w) * s + static_cast<double>(t) * d;
    if (v >= 255.0) return 255;
    if (v > 0.0) return static_cast<uint32_t>(v);
    return 0;
}

// d = clamp(trunc((1 - t) * s + t * d)) per colour channel, w = 1 - t; d's key byte kept.
inline uint32_t BlendPixel(uint32_t d, uint32_t s, float w, float t) {
    uint32_t out = d & kKeyMask;
    for (int shift = 0; shift < 24; shift += 8) {
        out |= BlendChannel((s >> shift) & 0xFF, (d >> shift) & 0xFF, w, t) << shift;
    }
    return out;
}

}  // namespace pixelops
