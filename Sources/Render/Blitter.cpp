// The Blitter: whole-frame copies and blends, clipped sprites. Every operation clips first into
// plain ranges, so the inner loops run without checks; sizes are never trusted beyond what the
// bitmaps involved actually hold.
#include "Render/Blitter.h"

#include <algorithm>
#include <cstdint>

#include "Render/PixelOps.h"

using namespace pixelops;

namespace {

// The part of a positioned sprite that lands on the target, in source (sprite) coordinates:
// rows [firstRow, endRow) and columns [firstColumn, endColumn). Computed in 64 bits so that
// positions and sizes near the int32 limits cannot overflow.
struct SpriteClip {
    int32_t firstRow = 0, endRow = 0, firstColumn = 0, endColumn = 0;
    bool Empty() const { return firstRow >= endRow || firstColumn >= endColumn; }
};

SpriteClip ClipSprite(const Bitmap& target, int32_t x, int32_t y, int32_t w, int32_t h) {
    SpriteClip clip;
    clip.firstRow = static_cast<int32_t>(std::clamp<int64_t>(-int64_t{y}, 0, h));
    clip.endRow = static_cast<int32_t>(std::clamp<int64_t>(int64_t{target.height} - y, 0, h));
    clip.firstColumn = static_cast<int32_t>(std::clamp<int64_t>(-int64_t{x}, 0, w));
    clip.endColumn = static_cast<int32_t>(std::clamp<int64_t>(int64_t{target.width} - x, 0, w));
    return clip;
}

// Nearest-neighbour sampling shared by DrawScaled and DrawScaledAdditive. The step is a float
// (as the scenes' sizes were tuned with); each index is the double product truncated, then held
// inside the source, since for sizes beyond 2^24 the rounded step could reach one past the edge.
template <class Put>
void ScaledBlit(Bitmap& target, const Bitmap& src, int32_t x, int32_t y, int32_t w, int32_t h, Put put) {
    if (w <= 0 || h <= 0 || src.Empty()) return;
    const SpriteClip clip = ClipSprite(target, x, y, w, h);
    if (clip.Empty()) return;
    const float stepX = static_cast<float>(static_cast<double>(src.width) / w);
    const float stepY = static_cast<float>(static_cast<double>(src.height) / h);
    for (int32_t i = clip.firstRow; i < clip.endRow; ++i) {
        const int64_t sourceRow =
            std::min<int64_t>(static_cast<int64_t>(i * static_cast<double>(stepY)), src.height - 1);
        const uint32_t* s = src.Row(static_cast<int32_t>(sourceRow));
        uint32_t* d = target.Row(static_cast<int32_t>(int64_t{y} + i)) + (int64_t{x});
        for (int32_t k = clip.firstColumn; k < clip.endColumn; ++k) {
            const int64_t sourceColumn =
                std::min<int64_t>(static_cast<int64_t>(k * static_cast<double>(stepX)), src.width - 1);
            const uint32_t pixel = s[sourceColumn];
            if ((pixel >> 24) == 0) d[k] = put(d[k], pixel);
        }
    }
}

}  // namespace

void Blitter::Clear(uint32_t value) {
    if (!Usable(target)) return;
    std::fill_n(target->pixels, target->size, value);
}

void Blitter::CopyKeyed(const Bitmap* src) {
    if (!Usable(target) || !Usable(src)) return;
    const int32_t n = std::min(src->size, target->size);
    const uint32_t* s = src->pixels;
    uint32_t* d = target->pixels;
    for (int32_t i = 0; i < n; ++i) {
        if ((s[i] >> 24) != 0xFF) d[i] = s[i];
    }
}

void Blitter::CopyScreen(const Bitmap* src) {
    if (!Usable(target) || !Usable(src)) return;
    const int32_t n = std::min({src->size, target->size, kFrameWords});
    const uint32_t* s = src->pixels;
    uint32_t* d = target->pixels;
    for (int32_t i = 0; i < n; ++i) d[i] = (d[i] & kKeyMask) | (s[i] & kColourMask);
}

void Blitter::Draw(const Bitmap* src, int32_t x, int32_t y) {
    if (!Usable(target) || !Usable(src)) return;
    const SpriteClip clip = ClipSprite(*target, x, y, src->width, src->height);
    if (clip.Empty()) return;
    for (int32_t r = clip.firstRow; r < clip.endRow; ++r) {
        const uint32_t* s = src->Row(r);
        uint32_t* d = target->Row(static_cast<int32_t>(int64_t{y} + r)) + int64_t{x};
        for (int32_t c = clip.firstColumn; c < clip.endColumn; ++c) {
            if ((s[c] >> 24) == 0) d[c] = s[c];
        }
    }
}

void Blitter::DrawMirrored(const Bitmap* src, int32_t x, int32_t y) {
    if (!Usable(target) || !Usable(src)) return;
    const SpriteClip clip = ClipSprite(*target, x, y, src->width, src->height);
    if (clip.Empty()) return;
    // Target column x + c shows source column width - 1 - c.
    const int32_t last = src->width - 1;
    for (int32_t r = clip.firstRow; r < clip.endRow; ++r) {
        const uint32_t* s = src->Row(r);
        uint32_t* d = target->Row(static_cast<int32_t>(int64_t{y} + r)) + int64_t{x};
        for (int32_t c = clip.firstColumn; c < clip.endColumn; ++c) {
            const uint32_t pixel = s[last - c];
            if ((pixel >> 24) == 0) d[c] = pixel;
        }
    }
}

void Blitter::DrawScaled(const Bitmap* src, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!Usable(target) || !Usable(src)) return;
    ScaledBlit(*target, *src, x, y, w, h, [](uint32_t, uint32_t s) { return s; });
}

void Blitter::BlendKeyed(const Bitmap* src, float t) {
    if (!Usable(target) || !Usable(src)) return;
    const int32_t n = std::min(src->size, target->size);
    const float w = 1.0f - t;
    const uint32_t* s = src->pixels;
    uint32_t* d = target->pixels;
    for (int32_t i = 0; i < n; ++i) {
        if ((s[i] >> 24) != 0xFF) d[i] = BlendPixel(d[i], s[i], w, t);
    }
}

void Blitter::AddKeyed(const Bitmap* src) {
    if (!Usable(target) || !Usable(src)) return;
    const int32_t n = std::min(src->size, target->size);
    const uint32_t* s = src->pixels;
    uint32_t* d = target->pixels;
    for (int32_t i = 0; i < n; ++i) {
        if ((s[i] >> 24) != 0xFF) d[i] = AddSaturated(d[i], s[i]);
    }
}

void Blitter::SubtractKeyed(const Bitmap* src) {
    if (!Usable(target) || !Usable(src)) return;
    const int32_t n = std::min(src->size, target->size);
    const uint32_t* s = src->pixels;
    uint32_t* d = target->pixels;
    for (int32_t i = 0; i < n; ++i) {
        if ((s[i] >> 24) != 0xFF) d[i] = SubtractSaturated(d[i], s[i]);
    }
}

void Blitter::Darken(int32_t amount) {
    if (!Usable(target)) return;
    // A negative amount brightens, saturating at 255 rather than spilling into the next channel.
    const int32_t a = std::clamp(amount, -255, 255);
    const auto channel = [a](uint32_t c) {
        return static_cast<uint32_t>(std::clamp<int32_t>(static_cast<int32_t>(c) - a, 0, 255));
    };
    uint32_t* d = target->pixels;
    for (int32_t i = 0; i < target->size; ++i) {
        const uint32_t p = d[i];
        d[i] = (p & kKeyMask) | (channel((p >> 16) & 0xFF) << 16) | (channel((p >> 8) & 0xFF) << 8) |
               channel(p & 0xFF);
    }
}

void Blitter::AddScreen(const Bitmap* src) {
    if (!Usable(target) || !Usable(src)) return;
    const int32_t n = std::min({src->size, target->size, kFrameWords});
    const uint32_t* s = src->pixels;
    uint32_t* d = target->pixels;
    for (int32_t i = 0; i < n; ++i) d[i] = AddSaturated(d[i], s[i]);
}

void Blitter::AddScreenMono(const Bitmap* src) {
    if (!Usable(target) || !Usable(src)) return;
    const int32_t n = std::min({src->size, target->size, kFrameWords});
    const uint32_t* s = src->pixels;
    uint32_t* d = target->pixels;
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t m = std::min<uint32_t>(255, (d[i] & 0xFF) + (s[i] & 0xFF));
        d[i] = (d[i] & kKeyMask) | (m * 0x010101u);
    }
}

void Blitter::DrawScaledAdditive(const Bitmap* src, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!Usable(target) || !Usable(src)) return;
    ScaledBlit(*target, *src, x, y, w, h, [](uint32_t d, uint32_t s) { return AddSaturated(d, s); });
}
