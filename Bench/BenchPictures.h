// Picture-like contents for the benchmarks: smooth gradients, and for keyed pictures a transparent
// disc over about a third of the picture, so branches see the long runs real pictures have.
#pragma once

#include "Render/Bitmap.h"

#include <algorithm>
#include <cstdint>

inline void PaintBenchPicture(Bitmap& b, uint32_t seed, bool keyed) {
    for (int32_t y = 0; y < b.height; ++y) {
        for (int32_t x = 0; x < b.width; ++x) {
            const uint32_t red = (x * 255 / std::max(1, b.width - 1) + seed) & 0xFF;
            const uint32_t green = (y * 255 / std::max(1, b.height - 1) + seed * 3) & 0xFF;
            const uint32_t blue = ((x ^ y) + seed * 7) & 0xFF;
            const int32_t dx = x - b.width / 2, dy = y - b.height / 2;
            const bool hole = keyed && dx * dx + dy * dy < (b.height * b.height) / 5;
            b.Row(y)[x] = (hole ? 0xFF000000u : 0u) | (red << 16) | (green << 8) | blue;
        }
    }
}
