// PatternFx: ring patterns (plain and bent by the sine/cosine tables), 4x and 8x blocky zooms and
// window copies out of larger pictures. Ring arithmetic wraps like 32-bit machine integers: it is
// done in uint32 and only the band value is read back as signed, for its arithmetic shift.
#include "Render/PatternFx.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Render/PixelOps.h"

using namespace pixelops;

namespace {

// ((a*a + b*b) >> 8) + phase with 32-bit wrap-around; the pixel is painted when bit 6 is 0.
inline bool InPaintedBand(uint32_t a, uint32_t b, uint32_t phase) {
    const int32_t squared = static_cast<int32_t>(a * a + b * b);
    const uint32_t v = static_cast<uint32_t>(squared >> 8) + phase;
    return (v & 64u) == 0;
}

// Shift counts use only their low five bits: -1 acts as 31.
inline uint32_t TableIndex(int32_t base, int32_t shift) {
    return (static_cast<uint32_t>(base) << (shift & 31)) & 255u;
}
inline int32_t Scaled(int32_t tableValue, int32_t shift) {
    return tableValue >> (shift & 31);
}

// Rows of the fixed frame the target holds: complete rows, then the words of a last partial one.
struct FrameExtent {
    int32_t fullRows = 0;
    int32_t tailWords = 0;
};
FrameExtent ExtentOf(const Bitmap* target) {
    const int32_t words = Usable(target) ? std::min(target->size, kFrameWords) : 0;
    return {words / kScreenWidth, words % kScreenWidth};
}

// Runs `row(j, destination, count)` over every frame row the target holds, complete or not.
template <class RowFn>
void ForEachFrameRow(Bitmap* target, RowFn row) {
    const FrameExtent extent = ExtentOf(target);
    for (int32_t j = 0; j < extent.fullRows; ++j) row(j, target->pixels + j * kScreenWidth, kScreenWidth);
    if (extent.tailWords > 0) {
        row(extent.fullRows, target->pixels + extent.fullRows * kScreenWidth, extent.tailWords);
    }
}

// target word j*640 + i := source pixel (x + i/factor, y + j/factor) where it lies inside the
// source; target pixels whose source pixel is outside are left alone.
void Zoom(Bitmap* target, const Bitmap* src, int32_t x, int32_t y, int32_t factor) {
    if (!Usable(src)) return;
    ForEachFrameRow(target, [&](int32_t j, uint32_t* d, int32_t count) {
        const int64_t sourceRow = int64_t{y} + j / factor;
        if (sourceRow < 0 || sourceRow >= src->height) return;
        const uint32_t* s = src->Row(static_cast<int32_t>(sourceRow));
        for (int32_t i = 0; i < count; ++i) {
            const int64_t sourceColumn = int64_t{x} + i / factor;
            if (sourceColumn >= 0 && sourceColumn < src->width) d[i] = s[sourceColumn];
        }
    });
}

}  // namespace

void PatternFx::BuildTables() {
    // The step is 1/256 of 6.28, not of 2 pi: the tables stop just short of a full period.
    for (int32_t i = 0; i < 256; ++i) {
        const double angle = static_cast<double>(static_cast<float>(i) * 0.00390625f) * 6.28;
        sine[i] = static_cast<int32_t>((std::sin(angle) + 1.0) * 32768.0);
        cosine[i] = static_cast<int32_t>((std::cos(angle) + 1.0) * 32768.0);
    }
}

void PatternFx::CopyWindow(const Bitmap* src, int32_t x, int32_t y) {
    if (!Usable(target) || !Usable(src)) return;
    // A window that would touch or pass the right or bottom edge snaps back to 0 on that axis.
    if (x >= src->width - target->width) x = 0;
    if (y >= src->height - target->height) y = 0;
    // Only the part of the window inside the source is copied; the rest of the target is kept.
    const int32_t firstRow = static_cast<int32_t>(std::clamp<int64_t>(-int64_t{y}, 0, target->height));
    const int32_t endRow =
        static_cast<int32_t>(std::clamp<int64_t>(int64_t{src->height} - y, 0, target->height));
    const int32_t firstColumn = static_cast<int32_t>(std::clamp<int64_t>(-int64_t{x}, 0, target->width));
    const int32_t endColumn =
        static_cast<int32_t>(std::clamp<int64_t>(int64_t{src->width} - x, 0, target->width));
    for (int32_t r = firstRow; r < endRow; ++r) {
        const uint32_t* s = src->Row(static_cast<int32_t>(int64_t{y} + r)) + int64_t{x};
        uint32_t* d = target->Row(r);
        for (int32_t c = firstColumn; c < endColumn; ++c) d[c] = s[c];
    }
}

void PatternFx::Zoom4(const Bitmap* src, int32_t x, int32_t y) {
    Zoom(target, src, x, y, 4);
}

void PatternFx::Zoom8(const Bitmap* src, int32_t x, int32_t y) {
    Zoom(target, src, x, y, 8);
}

void PatternFx::Rings(int32_t cx, int32_t cy, uint32_t colour, int32_t phase) {
    ForEachFrameRow(target, [&](int32_t j, uint32_t* d, int32_t count) {
        const uint32_t b = static_cast<uint32_t>(j) - static_cast<uint32_t>(cy);
        for (int32_t i = 0; i < count; ++i) {
            const uint32_t a = static_cast<uint32_t>(i) - static_cast<uint32_t>(cx);
            if (InPaintedBand(a, b, static_cast<uint32_t>(phase))) d[i] = colour;
        }
    });
}

void PatternFx::WarpedRings(int32_t cx, int32_t cy, uint32_t colour, int32_t phase, int32_t d, int32_t shiftX,
                            int32_t shiftY) {
    ForEachFrameRow(target, [&](int32_t j, uint32_t* out, int32_t count) {
        const uint32_t b0 = static_cast<uint32_t>(j) - static_cast<uint32_t>(cy);
        const uint32_t b =
            static_cast<uint32_t>(Scaled(cosine[(static_cast<uint32_t>(d) + b0) & 255u], shiftY)) + b0;
        const uint32_t o =
            static_cast<uint32_t>(Scaled(sine[(b * b + static_cast<uint32_t>(d)) & 255u], shiftX));
        for (int32_t i = 0; i < count; ++i) {
            const uint32_t a = o + static_cast<uint32_t>(i) - static_cast<uint32_t>(cx);
            if (InPaintedBand(a, b, static_cast<uint32_t>(phase))) out[i] = colour;
        }
    });
}

void PatternFx::WarpedRings2(int32_t cx, int32_t cy, uint32_t colour, int32_t phase, int32_t d,
                             int32_t rowStep, int32_t colStep, int32_t colShift, int32_t rowShift) {
    ForEachFrameRow(target, [&](int32_t j, uint32_t* out, int32_t count) {
        const uint32_t o = static_cast<uint32_t>(
            Scaled(sine[TableIndex(static_cast<int32_t>(static_cast<uint32_t>(d) + static_cast<uint32_t>(j)),
                                   rowStep)],
                   rowShift));
        const uint32_t rowOffset = static_cast<uint32_t>(j) - static_cast<uint32_t>(cy);
        for (int32_t i = 0; i < count; ++i) {
            const uint32_t a = o + static_cast<uint32_t>(i) - static_cast<uint32_t>(cx);
            const uint32_t column = static_cast<uint32_t>(d) + static_cast<uint32_t>(i);
            const uint32_t b = static_cast<uint32_t>(Scaled(
                                   cosine[TableIndex(static_cast<int32_t>(column), colStep)], colShift)) +
                               rowOffset;
            if (InPaintedBand(a, b, static_cast<uint32_t>(phase))) out[i] = colour;
        }
    });
}
