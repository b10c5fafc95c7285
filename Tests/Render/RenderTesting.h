// Helpers for the renderer tests: random bitmaps whose pixels favour the values where the
// arithmetic turns (0, 255, the key byte's two values), arguments far outside the frame, and a
// runner that draws with an operation and with its reference version on copies of one random
// target, then names the first pixel where they differ.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "Render/Bitmap.h"

namespace rendertest {

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {  // splitmix64: cheap, as test frames are large and many
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int32_t Between(int32_t low, int32_t high) {  // inclusive
        return static_cast<int32_t>(low + static_cast<int64_t>(Next() % (uint64_t(int64_t{high} - low) + 1)));
    }
    bool Chance(int percent) { return Between(0, 99) < percent; }
    float Fraction() { return static_cast<float>(Next() >> 40) / static_cast<float>(1 << 24); }
    template <class T>
    T OneOf(const std::vector<T>& values) {
        return values[static_cast<size_t>(Between(0, static_cast<int32_t>(values.size()) - 1))];
    }
    // Each colour byte is 0 or 255 a quarter of the time each; the key byte mostly 0 or 255.
    uint32_t Pixel() {
        const uint64_t bits = Next();
        uint32_t word = 0;
        for (int c = 0; c < 3; ++c) {
            const uint32_t any = static_cast<uint32_t>(bits >> (8 * c)) & 0xFF;
            const uint32_t pick[8] = {0, 0, 255, 255, any, any, any, any};
            word |= pick[(bits >> (32 + 3 * c)) & 7] << (8 * c);
        }
        const uint32_t keys[10] = {0, 0, 0, 0, 0, 0, 255, 255, 255, static_cast<uint32_t>(bits >> 56)};
        return keys[(bits >> 48) % 10] << 24 | word;
    }
    // A coordinate: mostly near 0..span, sometimes far outside or at the int32 limits.
    int32_t Position(int32_t span) {
        const int roll = Between(0, 9);
        if (roll == 0) return Between(INT_MIN, INT_MAX);
        if (roll == 1) return Chance(50) ? INT_MIN : INT_MAX;
        if (roll == 2) return Between(-2 * span - 1, 2 * span + 1);
        return Between(-span / 4 - 1, span);
    }

private:
    uint64_t state_;
};

inline Bitmap RandomBitmap(Random& random, int32_t w, int32_t h) {
    Bitmap bitmap(w, h);
    for (int32_t i = 0; i < bitmap.size; ++i) bitmap.pixels[i] = random.Pixel();
    return bitmap;
}

// Mostly the frame's own size; sometimes small, narrow, short, wide or empty.
inline void PickSize(Random& random, int32_t& w, int32_t& h) {
    const int roll = random.Between(0, 9);
    w = roll == 0   ? random.Between(0, 40)
        : roll == 1 ? random.Between(600, 700)
        : roll == 3 ? random.Between(1, 1100)
                    : 640;
    h = roll == 0 ? random.Between(0, 40) : roll <= 3 ? random.Between(0, 620) : 480;
}

inline Bitmap Filled(int32_t w, int32_t h, uint32_t value) {
    Bitmap bitmap(w, h);
    for (int32_t i = 0; i < bitmap.size; ++i) bitmap.pixels[i] = value;
    return bitmap;
}

// A drawing object (Blitter, NoiseFx, PatternFx, FilterFx) aimed at `target`.
template <class Fx>
Fx On(Bitmap& target) {
    Fx fx;
    fx.target = &target;
    return fx;
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

inline ::testing::AssertionResult SamePixels(const Bitmap& actual, const Bitmap& expected) {
    for (int32_t i = 0; i < actual.size && i < expected.size; ++i) {
        if (actual.pixels[i] == expected.pixels[i]) continue;
        return ::testing::AssertionFailure()
               << "(" << i % actual.width << ", " << i / actual.width << ") is " << Hex(actual.pixels[i])
               << ", expected " << Hex(expected.pixels[i]);
    }
    return ::testing::AssertionSuccess();
}

// Arguments as text: "1, -2, 3, ".
template <class... T>
std::string Args(T... values) {
    std::ostringstream out;
    ((out << values << ", "), ...);
    return out.str();
}

// One operation under test: picks its arguments from `args`, draws with the real operation on
// `target` and with the reference on `expected` (a copy), and returns the arguments as text.
struct Case {
    const char* name;
    std::function<std::string(Random& args, Bitmap& target, const Bitmap* src, Bitmap& expected)> run;
};

// Each case on `trials` random targets and sources of random sizes (the source sometimes null).
inline void ExpectSameAsReference(const std::vector<Case>& cases, uint64_t seed, int trials) {
    Random random(seed);
    for (const Case& c : cases) {
        for (int trial = 0; trial < trials; ++trial) {
            int32_t tw, th, sw, sh;
            PickSize(random, tw, th);
            PickSize(random, sw, sh);
            Bitmap target = RandomBitmap(random, tw, th);
            const Bitmap src = RandomBitmap(random, sw, sh);
            Bitmap expected = CopyOf(target);
            Random args(random.Next());
            const bool none = random.Chance(5);
            const std::string what = c.run(args, target, none ? nullptr : &src, expected);
            EXPECT_TRUE(SamePixels(target, expected)) << c.name << "(" << what << ") on " << tw << "x" << th
                                                      << " from " << (none ? "nothing" : Args(sw, sh));
        }
    }
}

}  // namespace rendertest
