// The Blitter puts pictures on the target: clears, whole-frame copies, clipped sprites, and the
// saturating blends. Pixels are 0xKKRRGGBB (see Bitmap.h). Operations never allocate, report
// nothing, and a null source is a no-op. Sizes are never trusted: each operation reads and writes
// only what its bitmaps hold. A sprite drawn from the target onto itself gets no promise about
// the order in which its overlapping pixels are read and written.
#pragma once

#include "Render/Bitmap.h"

#include <cstdint>

class Blitter {
public:
    Bitmap* target = nullptr;  // not owned

    // every word := value (key byte included)
    void Clear(uint32_t value);
    // index-matched: d := s (all four bytes) where s's key byte is not 255
    void CopyKeyed(const Bitmap* src);
    // fixed 640 x 480 frame: d's colour bytes := s's; d's key byte kept
    void CopyScreen(const Bitmap* src);
    // sprite at (x, y), clipped: d := s (all four bytes) where s's key byte is 0
    void Draw(const Bitmap* src, int32_t x, int32_t y);
    // as Draw, columns reversed
    void DrawMirrored(const Bitmap* src, int32_t x, int32_t y);
    // nearest-neighbour w x h at (x, y), clipped; w or h <= 0 draws nothing
    void DrawScaled(const Bitmap* src, int32_t x, int32_t y, int32_t w, int32_t h);

    // index-matched where s's key byte is not 255: d = clamp(trunc((1 - t) * s + t * d)) per channel
    void BlendKeyed(const Bitmap* src, float t);
    // index-matched where s's key byte is not 255: d = min(255, d + s) per channel; key byte kept
    void AddKeyed(const Bitmap* src);
    // index-matched where s's key byte is not 255: d = max(0, d - s) per channel; key byte kept
    void SubtractKeyed(const Bitmap* src);
    // d = max(0, d - amount) per channel; key byte kept
    void Darken(int32_t amount);
    // fixed 640 x 480: d = min(255, d + s) per channel; key byte kept
    void AddScreen(const Bitmap* src);
    // fixed 640 x 480: all three channels := min(255, d.blue + s.blue); key byte kept
    void AddScreenMono(const Bitmap* src);
    // DrawScaled's pixels, each channel := min(255, d + s); key byte kept
    void DrawScaledAdditive(const Bitmap* src, int32_t x, int32_t y, int32_t w, int32_t h);
};
