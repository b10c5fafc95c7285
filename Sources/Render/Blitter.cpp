// The Blitter: whole-frame copies and blends, clipped sprites. Every operation clips first into
// plain ranges, so the inner loops run without checks; sizes are never trusted beyond what the
// bitmaps involved actually hold.
#include "Render/Blitter.h"

#include <algorithm>
#include <cstdint>

#include "Render/PixelOps.h"
#include "Render/Spans.h"

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

// Nearest-neighbour sampling shared by DrawScaled and DrawScaledAdditive. The step is a float;
// each index is the double product truncated, then held inside the source, since for sizes
// beyond 2^24 the rounded step could reach one past the edge. The visible part of each output
// row is gathered into a small buffer (once per distinct source row), then drawn with `draw`.
template <class DrawSpan>
void ScaledBlit(Bitmap& target, const Bitmap& src, int32_t x, int32_t y, int32_t w, int32_t h,
                DrawSpan draw) {
    if (w <= 0 || h <= 0 || src.Empty()) return;
    const SpriteClip clip = ClipSprite(target, x, y, w, h);
    if (clip.Empty()) return;
    const float stepX = static_cast<float>(static_cast<double>(src.width) / w);
    const float stepY = static_cast<float>(static_cast<double>(src.height) / h);
    const auto sourceColumn = [&](int32_t k) {
        return std::min<int64_t>(static_cast<int64_t>(k * static_cast<double>(stepX)), src.width - 1);
    };
    constexpr int32_t kChunk = 1024;
    int32_t columns[kChunk];
    uint32_t gathered[kChunk];
    for (int32_t first = clip.firstColumn; first < clip.endColumn; first += kChunk) {
        const int32_t count = std::min(kChunk, clip.endColumn - first);
        for (int32_t c = 0; c < count; ++c) columns[c] = static_cast<int32_t>(sourceColumn(first + c));
        int64_t gatheredRow = -1;
        for (int32_t i = clip.firstRow; i < clip.endRow; ++i) {
            const int64_t sourceRow =
                std::min<int64_t>(static_cast<int64_t>(i * static_cast<double>(stepY)), src.height - 1);
            uint32_t* d = target.Row(static_cast<int32_t>(int64_t{y} + i)) + (int64_t{x} + first);
            if (sourceRow != gatheredRow) {
                // Columns index from the row's first word; the words of the rows below count too.
                const uint32_t* s = src.Row(static_cast<int32_t>(sourceRow));
                const int64_t words = src.size - (s - src.pixels);
                spans::GatherAscending(gathered, s, static_cast<int32_t>(std::min<int64_t>(words, INT32_MAX)),
                                       columns, count);
                gatheredRow = sourceRow;
            }
            draw(d, gathered, count);
        }
    }
}

}  // namespace

void Blitter::Clear(uint32_t value) {
    if (!Usable(target)) return;
    spans::Fill(target->pixels, target->size, value);
}

void Blitter::CopyKeyed(const Bitmap* src) {
    if (!Usable(target) || !Usable(src)) return;
    spans::CopyUnlessTransparent(target->pixels, src->pixels, std::min(src->size, target->size));
}

void Blitter::CopyScreen(const Bitmap* src) {
    if (!Usable(target) || !Usable(src)) return;
    spans::CopyColour(target->pixels, src->pixels, std::min({src->size, target->size, kFrameWords}));
}

void Blitter::Draw(const Bitmap* src, int32_t x, int32_t y) {
    if (!Usable(target) || !Usable(src)) return;
    const SpriteClip clip = ClipSprite(*target, x, y, src->width, src->height);
    if (clip.Empty()) return;
    for (int32_t r = clip.firstRow; r < clip.endRow; ++r) {
        uint32_t* d = target->Row(static_cast<int32_t>(int64_t{y} + r)) + (int64_t{x} + clip.firstColumn);
        spans::CopyOpaque(d, src->Row(r) + clip.firstColumn, clip.endColumn - clip.firstColumn);
    }
}

void Blitter::DrawMirrored(const Bitmap* src, int32_t x, int32_t y) {
    if (!Usable(target) || !Usable(src)) return;
    const SpriteClip clip = ClipSprite(*target, x, y, src->width, src->height);
    if (clip.Empty()) return;
    // Target column x + c shows source column width - 1 - c.
    const int32_t last = src->width - 1;
    for (int32_t r = clip.firstRow; r < clip.endRow; ++r) {
        uint32_t* d = target->Row(static_cast<int32_t>(int64_t{y} + r)) + (int64_t{x} + clip.firstColumn);
        spans::CopyOpaqueReversed(d, src->Row(r) + (last - clip.firstColumn),
                                  clip.endColumn - clip.firstColumn);
    }
}

void Blitter::DrawScaled(const Bitmap* src, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!Usable(target) || !Usable(src)) return;
    ScaledBlit(*target, *src, x, y, w, h, spans::CopyOpaque);
}

void Blitter::BlendKeyed(const Bitmap* src, float t) {
    if (!Usable(target) || !Usable(src)) return;
    spans::BlendUnlessTransparent(target->pixels, src->pixels, std::min(src->size, target->size), t);
}

void Blitter::AddKeyed(const Bitmap* src) {
    if (!Usable(target) || !Usable(src)) return;
    spans::AddUnlessTransparent(target->pixels, src->pixels, std::min(src->size, target->size));
}

void Blitter::SubtractKeyed(const Bitmap* src) {
    if (!Usable(target) || !Usable(src)) return;
    spans::SubtractUnlessTransparent(target->pixels, src->pixels, std::min(src->size, target->size));
}

void Blitter::Darken(int32_t amount) {
    if (!Usable(target)) return;
    // A negative amount brightens, saturating at 255 rather than spilling into the next channel.
    const int32_t a = std::clamp(amount, -255, 255);
    if (a >= 0) {
        spans::SubtractLevel(target->pixels, target->size, static_cast<uint32_t>(a));
    } else {
        spans::AddLevel(target->pixels, target->size, static_cast<uint32_t>(-a));
    }
}

void Blitter::AddScreen(const Bitmap* src) {
    if (!Usable(target) || !Usable(src)) return;
    spans::AddColour(target->pixels, src->pixels, std::min({src->size, target->size, kFrameWords}));
}

void Blitter::AddScreenMono(const Bitmap* src) {
    if (!Usable(target) || !Usable(src)) return;
    spans::AddBlueAsGrey(target->pixels, src->pixels, std::min({src->size, target->size, kFrameWords}));
}

void Blitter::DrawScaledAdditive(const Bitmap* src, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!Usable(target) || !Usable(src)) return;
    ScaledBlit(*target, *src, x, y, w, h, spans::AddOpaque);
}
