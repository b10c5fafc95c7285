// Plain, slow reference versions of every drawing operation: simple loops over every pixel, each
// index checked against what the bitmaps hold, no cleverness. The renderer tests compare the real
// operations with these on random inputs; the benchmark reports the speed-up over them.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "Render/Bitmap.h"
#include "Render/FilterFx.h"
#include "Utils/Platform.h"

namespace reference {

constexpr int64_t kFrameWidth = 640;
constexpr int64_t kFrameHeight = 480;

inline bool Holds(const Bitmap* b) {
    return b != nullptr && b->pixels != nullptr && b->size > 0;
}
inline uint32_t Byte(uint32_t word, int index) {
    return (word >> (8 * index)) & 0xFF;
}
inline uint32_t Key(uint32_t word) {
    return word >> 24;
}
inline uint32_t Word(uint32_t key, uint32_t red, uint32_t green, uint32_t blue) {
    return (key << 24) | (red << 16) | (green << 8) | blue;
}
inline uint32_t Min255(int64_t v) {
    return v > 255 ? 255u : static_cast<uint32_t>(v);
}
inline uint32_t Max0(int64_t v) {
    return v < 0 ? 0u : static_cast<uint32_t>(v);
}
inline uint32_t SaturatedSum(uint32_t d, uint32_t s) {
    return Word(Key(d), Min255(Byte(d, 2) + Byte(s, 2)), Min255(Byte(d, 1) + Byte(s, 1)),
                Min255(Byte(d, 0) + Byte(s, 0)));
}
inline uint32_t SaturatedDifference(uint32_t d, uint32_t s) {
    return Word(Key(d), Max0(int64_t{Byte(d, 2)} - Byte(s, 2)), Max0(int64_t{Byte(d, 1)} - Byte(s, 1)),
                Max0(int64_t{Byte(d, 0)} - Byte(s, 0)));
}
inline int64_t IndexCount(const Bitmap& t, const Bitmap& s) {
    return t.size < s.size ? t.size : s.size;
}

// ---- Blitter ----

inline void Clear(Bitmap& t, uint32_t value) {
    for (int64_t i = 0; i < t.size; ++i) t.pixels[i] = value;
}

inline void CopyKeyed(Bitmap& t, const Bitmap* s) {
    if (!Holds(s)) return;
    for (int64_t i = 0; i < IndexCount(t, *s); ++i) {
        if (Key(s->pixels[i]) != 255) t.pixels[i] = s->pixels[i];
    }
}

inline void CopyScreen(Bitmap& t, const Bitmap* s) {
    if (!Holds(s)) return;
    for (int64_t i = 0; i < kFrameWidth * kFrameHeight; ++i) {
        if (i >= t.size || i >= s->size) continue;
        t.pixels[i] = (t.pixels[i] & 0xFF000000u) | (s->pixels[i] & 0x00FFFFFFu);
    }
}

inline void DrawAt(Bitmap& t, const Bitmap* s, int32_t x, int32_t y, bool mirrored) {
    if (!Holds(s)) return;
    for (int64_t r = 0; r < s->height; ++r) {
        const int64_t ty = int64_t{y} + r;
        if (ty >= t.height) break;
        if (ty < 0) continue;
        for (int64_t c = 0; c < s->width; ++c) {
            const int64_t tx = mirrored ? int64_t{x} + (s->width - 1 - c) : int64_t{x} + c;
            const uint32_t pixel = s->pixels[r * s->width + c];
            if (tx >= 0 && tx < t.width && Key(pixel) == 0) t.pixels[ty * t.width + tx] = pixel;
        }
    }
}
inline void Draw(Bitmap& t, const Bitmap* s, int32_t x, int32_t y) {
    DrawAt(t, s, x, y, false);
}
inline void DrawMirrored(Bitmap& t, const Bitmap* s, int32_t x, int32_t y) {
    DrawAt(t, s, x, y, true);
}

// Walks the target rather than the (possibly huge) output rectangle; the pixel (x + k, y + i) takes
// source (trunc(k * sx), trunc(i * sy)), each held inside the source.
inline void Scaled(Bitmap& t, const Bitmap* s, int32_t x, int32_t y, int32_t w, int32_t h, bool additive) {
    if (!Holds(s) || w <= 0 || h <= 0) return;
    const float sx = static_cast<float>(static_cast<double>(s->width) / w);
    const float sy = static_cast<float>(static_cast<double>(s->height) / h);
    for (int64_t ty = 0; ty < t.height; ++ty) {
        const int64_t i = ty - y;
        if (i < 0 || i >= h) continue;
        int64_t sr = static_cast<int64_t>(static_cast<double>(i) * static_cast<double>(sy));
        if (sr > s->height - 1) sr = s->height - 1;
        for (int64_t tx = 0; tx < t.width; ++tx) {
            const int64_t k = tx - x;
            if (k < 0 || k >= w) continue;
            int64_t sc = static_cast<int64_t>(static_cast<double>(k) * static_cast<double>(sx));
            if (sc > s->width - 1) sc = s->width - 1;
            const uint32_t pixel = s->pixels[sr * s->width + sc];
            if (Key(pixel) != 0) continue;
            uint32_t& d = t.pixels[ty * t.width + tx];
            d = additive ? SaturatedSum(d, pixel) : pixel;
        }
    }
}
inline void DrawScaled(Bitmap& t, const Bitmap* s, int32_t x, int32_t y, int32_t w, int32_t h) {
    Scaled(t, s, x, y, w, h, false);
}
inline void DrawScaledAdditive(Bitmap& t, const Bitmap* s, int32_t x, int32_t y, int32_t w, int32_t h) {
    Scaled(t, s, x, y, w, h, true);
}

// v = w * s + t * d in double with w = 1 - t formed as a float; truncated, then held in 0..255.
inline uint32_t BlendValue(uint32_t s, uint32_t d, float t) {
    const float w = 1.0f - t;
    const double v = static_cast<double>(w) * s + static_cast<double>(t) * d;
    if (std::isnan(v)) return 0;
    if (v > 255.0) return 255;
    if (v < 0.0) return 0;
    return static_cast<uint32_t>(v);
}

inline void BlendKeyed(Bitmap& t, const Bitmap* s, float f) {
    if (!Holds(s)) return;
    for (int64_t i = 0; i < IndexCount(t, *s); ++i) {
        const uint32_t sp = s->pixels[i];
        const uint32_t dp = t.pixels[i];
        if (Key(sp) == 255) continue;
        t.pixels[i] = Word(Key(dp), BlendValue(Byte(sp, 2), Byte(dp, 2), f),
                           BlendValue(Byte(sp, 1), Byte(dp, 1), f), BlendValue(Byte(sp, 0), Byte(dp, 0), f));
    }
}

inline void AddKeyed(Bitmap& t, const Bitmap* s) {
    if (!Holds(s)) return;
    for (int64_t i = 0; i < IndexCount(t, *s); ++i) {
        if (Key(s->pixels[i]) != 255) t.pixels[i] = SaturatedSum(t.pixels[i], s->pixels[i]);
    }
}

inline void SubtractKeyed(Bitmap& t, const Bitmap* s) {
    if (!Holds(s)) return;
    for (int64_t i = 0; i < IndexCount(t, *s); ++i) {
        if (Key(s->pixels[i]) != 255) t.pixels[i] = SaturatedDifference(t.pixels[i], s->pixels[i]);
    }
}

// Each channel := channel - amount, held in 0..255 (a negative amount brightens).
inline void Darken(Bitmap& t, int32_t amount) {
    for (int64_t i = 0; i < t.size; ++i) {
        const uint32_t p = t.pixels[i];
        uint32_t out = p & 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
            const int64_t v = int64_t{Byte(p, c)} - amount;
            out |= (v < 0 ? 0u : v > 255 ? 255u : static_cast<uint32_t>(v)) << (8 * c);
        }
        t.pixels[i] = out;
    }
}

inline void AddScreen(Bitmap& t, const Bitmap* s) {
    if (!Holds(s)) return;
    for (int64_t i = 0; i < kFrameWidth * kFrameHeight; ++i) {
        if (i >= t.size || i >= s->size) continue;
        t.pixels[i] = SaturatedSum(t.pixels[i], s->pixels[i]);
    }
}

inline void AddScreenMono(Bitmap& t, const Bitmap* s) {
    if (!Holds(s)) return;
    for (int64_t i = 0; i < kFrameWidth * kFrameHeight; ++i) {
        if (i >= t.size || i >= s->size) continue;
        const uint32_t m = Min255(Byte(t.pixels[i], 0) + Byte(s->pixels[i], 0));
        t.pixels[i] = Word(Key(t.pixels[i]), m, m, m);
    }
}

// ---- NoiseFx ----

inline void Bars(Bitmap& t, float amount) {
    const double n = static_cast<double>(t.rows) * static_cast<double>(amount);
    if (!(n > 0)) return;
    int64_t i = 0;
    do {
        if (i >= t.rows) break;
        const uint32_t g = static_cast<uint32_t>(platform::Rand()) & 255;
        for (int64_t k = 0; k < t.pitch; ++k) t.pixels[i * t.pitch + k] = g * 0x010101u;
        ++i;
    } while (n > static_cast<double>(i));
}

// trunc(rand * k * amount * 255), in double, in that order; levels below 0 count as 0.
inline int64_t NoiseLevel(float amount) {
    const double v = static_cast<double>(platform::Rand()) * static_cast<double>(platform::kRandScale) *
                     static_cast<double>(amount) * 255.0;
    if (!(v > 0)) return 0;
    if (v > 255) return 255;
    return static_cast<int64_t>(v);
}

inline void RowNoise(Bitmap& t, float amount, bool add) {
    for (int64_t j = 0; j < kFrameHeight; ++j) {
        const int64_t level = NoiseLevel(amount);
        for (int64_t i = 0; i < kFrameWidth; ++i) {
            const int64_t index = j * kFrameWidth + i;
            if (index >= t.size) continue;
            const uint32_t p = t.pixels[index];
            uint32_t out = p & 0xFF000000u;
            for (int c = 0; c < 3; ++c) {
                const int64_t v = add ? int64_t{Byte(p, c)} + level : int64_t{Byte(p, c)} - level;
                out |= (add ? Min255(v) : Max0(v)) << (8 * c);
            }
            t.pixels[index] = out;
        }
    }
}
inline void AddRowNoise(Bitmap& t, float amount) {
    RowNoise(t, amount, true);
}
inline void SubtractRowNoise(Bitmap& t, float amount) {
    RowNoise(t, amount, false);
}

// ---- PatternFx ----

struct Tables {
    int32_t sine[256];
    int32_t cosine[256];
    Tables() {
        for (int i = 0; i < 256; ++i) {
            sine[i] = static_cast<int32_t>((std::sin(i * 0.00390625f * 6.28) + 1) * 32768);
            cosine[i] = static_cast<int32_t>((std::cos(i * 0.00390625f * 6.28) + 1) * 32768);
        }
    }
};

inline void CopyWindow(Bitmap& t, const Bitmap* s, int32_t x, int32_t y) {
    if (!Holds(s)) return;
    if (x >= s->width - t.width) x = 0;
    if (y >= s->height - t.height) y = 0;
    for (int64_t r = 0; r < t.height; ++r) {
        for (int64_t c = 0; c < t.width; ++c) {
            const int64_t sx = int64_t{x} + c;
            const int64_t sy = int64_t{y} + r;
            if (sx < 0 || sx >= s->width || sy < 0 || sy >= s->height) continue;
            t.pixels[r * t.width + c] = s->pixels[sy * s->width + sx];
        }
    }
}

inline void Zoom(Bitmap& t, const Bitmap* s, int32_t x, int32_t y, int64_t factor) {
    if (!Holds(s)) return;
    for (int64_t j = 0; j < kFrameHeight; ++j) {
        for (int64_t i = 0; i < kFrameWidth; ++i) {
            const int64_t index = j * kFrameWidth + i;
            const int64_t sx = x + i / factor;
            const int64_t sy = y + j / factor;
            if (index >= t.size || sx < 0 || sx >= s->width || sy < 0 || sy >= s->height) continue;
            t.pixels[index] = s->pixels[sy * s->width + sx];
        }
    }
}
inline void Zoom4(Bitmap& t, const Bitmap* s, int32_t x, int32_t y) {
    Zoom(t, s, x, y, 4);
}
inline void Zoom8(Bitmap& t, const Bitmap* s, int32_t x, int32_t y) {
    Zoom(t, s, x, y, 8);
}

// 32-bit machine arithmetic: wraps around, >> is arithmetic, shift counts use their low 5 bits.
inline int32_t Add32(int64_t a, int64_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a + b));
}
inline int32_t Mul32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
inline int32_t Shl32(int32_t a, int32_t n) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) << (n & 31));
}
inline int32_t Sar32(int32_t a, int32_t n) {
    return a >> (n & 31);
}
inline bool Painted(int32_t a, int32_t b, int32_t phase) {
    const int32_t v = Add32(Sar32(Add32(Mul32(a, a), Mul32(b, b)), 8), phase);
    return (v & 64) == 0;
}
inline void PaintFrame(Bitmap& t, int64_t j, int64_t i, bool painted, uint32_t colour) {
    const int64_t index = j * kFrameWidth + i;
    if (painted && index < t.size) t.pixels[index] = colour;
}

inline void Rings(Bitmap& t, int32_t cx, int32_t cy, uint32_t colour, int32_t phase) {
    for (int64_t j = 0; j < kFrameHeight; ++j) {
        for (int64_t i = 0; i < kFrameWidth; ++i) {
            PaintFrame(t, j, i, Painted(Add32(i, -int64_t{cx}), Add32(j, -int64_t{cy}), phase), colour);
        }
    }
}

inline const Tables& SharedTables() {
    static const Tables tables;
    return tables;
}

inline void WarpedRings(Bitmap& t, int32_t cx, int32_t cy, uint32_t colour, int32_t phase, int32_t d,
                        int32_t shiftX, int32_t shiftY) {
    const Tables& tb = SharedTables();
    for (int64_t j = 0; j < kFrameHeight; ++j) {
        const int32_t b0 = Add32(j, -int64_t{cy});
        const int32_t b = Add32(Sar32(tb.cosine[Add32(d, b0) & 255], shiftY), b0);
        const int32_t o = Sar32(tb.sine[Add32(Mul32(b, b), d) & 255], shiftX);
        for (int64_t i = 0; i < kFrameWidth; ++i) {
            const int32_t a = Add32(Add32(o, i), -int64_t{cx});
            PaintFrame(t, j, i, Painted(a, b, phase), colour);
        }
    }
}

inline void WarpedRings2(Bitmap& t, int32_t cx, int32_t cy, uint32_t colour, int32_t phase, int32_t d,
                         int32_t rowStep, int32_t colStep, int32_t colShift, int32_t rowShift) {
    const Tables& tb = SharedTables();
    for (int64_t j = 0; j < kFrameHeight; ++j) {
        const int32_t o = Sar32(tb.sine[Shl32(Add32(d, j), rowStep) & 255], rowShift);
        for (int64_t i = 0; i < kFrameWidth; ++i) {
            const int32_t a = Add32(Add32(o, i), -int64_t{cx});
            const int32_t b =
                Add32(Add32(Sar32(tb.cosine[Shl32(Add32(d, i), colStep) & 255], colShift), j), -int64_t{cy});
            PaintFrame(t, j, i, Painted(a, b, phase), colour);
        }
    }
}

// ---- FilterFx ----

inline int64_t Wrap(int64_t q) {
    return ((q % kFrameWidth) + kFrameWidth) % kFrameWidth;
}
inline bool HoldsFrameRow(const Bitmap& t, int64_t j) {
    return (j + 1) * kFrameWidth <= t.size;
}

// The literal smear: 2h taps per pixel, read from the line as it is being rewritten.
inline void WaveBlur(Bitmap& t, int32_t top, int32_t bottom, int32_t amplitude) {
    if (amplitude < 0) amplitude = 0;
    if (amplitude > 639) amplitude = 639;
    std::vector<uint32_t> line(kFrameWidth);
    for (int64_t j = 0; j < kFrameHeight; ++j) {
        if (j <= top || j >= bottom || !HoldsFrameRow(t, j)) continue;
        uint32_t* row = t.pixels + j * kFrameWidth;
        const double angle = static_cast<double>(j - top) * 3.14 / static_cast<double>(int64_t{bottom} - top);
        const int64_t s = static_cast<int64_t>(std::fabs(std::sin(angle)) * amplitude + 1);
        for (int64_t k = 0; k < kFrameWidth; ++k) line[k] = row[Wrap(s + k)];
        const int64_t h = (s + 2) >> 1;
        int64_t sum[3] = {0, 0, 0};
        for (int64_t k = 0; k < kFrameWidth; ++k) {
            for (int64_t tap = -h; tap <= h - 1; ++tap) {
                for (int c = 0; c < 3; ++c) sum[c] += Byte(line[Wrap(k + tap)], c);
            }
            for (int c = 0; c < 3; ++c) sum[c] /= 2 * h + 1;
            line[k] = Word(Key(line[k]), static_cast<uint32_t>(sum[2]), static_cast<uint32_t>(sum[1]),
                           static_cast<uint32_t>(sum[0]));
        }
        for (int64_t k = 0; k < kFrameWidth; ++k) row[k] = line[k];
    }
}

inline void RotateRows(Bitmap& t, int32_t offset) {
    std::vector<uint32_t> line(kFrameWidth);
    for (int64_t j = 0; j < kFrameHeight; ++j) {
        if (!HoldsFrameRow(t, j)) continue;
        uint32_t* row = t.pixels + j * kFrameWidth;
        for (int64_t k = 0; k < kFrameWidth; ++k) line[k] = row[Wrap(int64_t{offset} + k)];
        for (int64_t k = 0; k < kFrameWidth; ++k) row[k] = line[k];
    }
}

inline void Threshold(Bitmap& t, int32_t level, uint32_t colour) {
    for (int64_t i = 0; i < t.size; ++i) {
        const uint32_t p = t.pixels[i];
        const int64_t brightness = (2 * Byte(p, 0) + Byte(p, 1) + Byte(p, 2)) >> 2;
        if (brightness > level) t.pixels[i] = colour;
    }
}

inline void AddGreyShifted(Bitmap& t, const Bitmap* s, int32_t shift) {
    if (!Holds(s)) return;
    for (int64_t i = 0; i < IndexCount(t, *s); ++i) {
        const uint32_t g = Byte(s->pixels[i], 0) >> (shift & 31);
        const uint32_t p = t.pixels[i];
        t.pixels[i] = Min255(Byte(p, 2) + g) * 65536 + Min255(Byte(p, 1) + g) * 256 + Min255(Byte(p, 0) + g);
    }
}
inline void AddGrey(Bitmap& t, const Bitmap* s) {
    AddGreyShifted(t, s, 0);
}

inline void Combine(Bitmap& t, const Bitmap* a, const Bitmap* b, CombineOp op) {
    if (!Holds(a) || !Holds(b)) return;
    for (int64_t i = 0; i < t.size; ++i) {
        if (i >= a->size || i >= b->size) break;
        const uint32_t x = a->pixels[i];
        const uint32_t y = b->pixels[i];
        switch (op) {
            case 0:
                t.pixels[i] = x ^ y;
                break;
            case 1:
                t.pixels[i] = x | y;
                break;
            case 2:
                t.pixels[i] = x & y;
                break;
            case 3:
                t.pixels[i] = x - y;
                break;
            case 4:
                t.pixels[i] = x + y;
                break;
            case 5:
                t.pixels[i] = x * y;
                break;
            default:
                return;
        }
    }
}

}  // namespace reference
