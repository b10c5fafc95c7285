// Helpers for the renderer tests: random bitmaps whose pixels favour the values where the
// arithmetic changes behaviour (0, 255, the key byte's two values), random arguments reaching
// far outside the frame, and a pixel-by-pixel comparison that names the first difference.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include "Render/Bitmap.h"

namespace rendertest {

class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed), state_(seed) {}

    int32_t Between(int32_t low, int32_t high) {  // inclusive
        return std::uniform_int_distribution<int32_t>(low, high)(engine_);
    }
    bool Chance(int percent) { return Between(0, 99) < percent; }
    float Fraction() { return std::uniform_real_distribution<float>(0.0f, 1.0f)(engine_); }

    // Pixels come from a cheap generator: test frames are large and many.
    uint32_t Pixel() {
        const uint64_t bits = Next();
        uint32_t word = 0;
        for (int c = 0; c < 3; ++c) {
            const uint32_t choice = (bits >> (32 + 3 * c)) & 7;  // 0 and 255 a quarter of the time each
            const uint32_t value = choice < 2   ? 0u
                                   : choice < 4 ? 255u
                                                : static_cast<uint32_t>(bits >> (8 * c)) & 0xFF;
            word |= value << (8 * c);
        }
        const uint32_t keyChoice = (bits >> 48) % 10;  // 0 mostly, 255 often, anything else sometimes
        const uint32_t key = keyChoice < 6 ? 0u : keyChoice < 9 ? 255u : static_cast<uint32_t>(bits >> 56);
        return (key << 24) | word;
    }

    // A coordinate: mostly near the frame, sometimes far outside or at the int32 limits.
    int32_t Position(int32_t span) {
        switch (Between(0, 9)) {
            case 0:
                return Between(INT_MIN, INT_MAX);
            case 1:
                return Chance(50) ? INT_MIN : INT_MAX;
            case 2:
                return Between(-2 * span, 2 * span);
            default:
                return Between(-span / 4, span);
        }
    }

    void Fill(Bitmap& bitmap) {
        for (int32_t i = 0; i < bitmap.size; ++i) bitmap.pixels[i] = Pixel();
    }

private:
    uint64_t Next() {  // splitmix64
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    std::mt19937 engine_;
    uint64_t state_ = 0;
};

// A bitmap of w x h (0 x 0 when either is below 1) with random contents.
inline Bitmap RandomBitmap(Random& random, int32_t w, int32_t h) {
    Bitmap bitmap(w, h);
    random.Fill(bitmap);
    return bitmap;
}

// Mostly the frame's own size, sometimes a small, narrow, short, wide or empty one.
inline void PickSize(Random& random, int32_t& w, int32_t& h) {
    switch (random.Between(0, 9)) {
        case 0:
            w = random.Between(0, 40);
            h = random.Between(0, 40);
            break;
        case 1:
            w = random.Between(600, 700);
            h = random.Between(1, 500);
            break;
        case 2:
            w = 640;
            h = random.Between(0, 481);
            break;
        case 3:
            w = random.Between(1, 1100);
            h = random.Between(1, 620);
            break;
        default:
            w = 640;
            h = 480;
            break;
    }
}

inline Bitmap CopyOf(const Bitmap& bitmap) {
    Bitmap copy(bitmap.width, bitmap.height);
    if (!copy.Empty())
        std::memcpy(copy.pixels, bitmap.pixels, sizeof(uint32_t) * static_cast<size_t>(bitmap.size));
    return copy;
}

inline std::string Hex(uint32_t v) {
    std::ostringstream out;
    out << "0x" << std::hex << v;
    return out.str();
}

// Equal sizes and equal words; otherwise names the first differing pixel.
inline ::testing::AssertionResult SamePixels(const Bitmap& actual, const Bitmap& expected) {
    if (actual.width != expected.width || actual.height != expected.height) {
        return ::testing::AssertionFailure() << "sizes differ: " << actual.width << "x" << actual.height
                                             << " vs " << expected.width << "x" << expected.height;
    }
    for (int32_t i = 0; i < actual.size; ++i) {
        if (actual.pixels[i] != expected.pixels[i]) {
            const int32_t x = i % actual.width;
            const int32_t y = i / actual.width;
            return ::testing::AssertionFailure()
                   << "pixel (" << x << ", " << y << ") of " << actual.width << "x" << actual.height << " is "
                   << Hex(actual.pixels[i]) << ", expected " << Hex(expected.pixels[i]);
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace rendertest
