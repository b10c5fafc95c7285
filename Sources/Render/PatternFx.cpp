// PatternFx: ring patterns (plain and bent by the sine/cosine tables), 4x and 8x blocky zooms and
// window copies out of larger pictures. Ring arithmetic wraps like 32-bit machine integers: it is
// done in uint32 and only the band value is read back as signed, for its arithmetic shift.
#include "Render/PatternFx.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "Render/PixelOps.h"
#include "Render/Spans.h"

using namespace pixelops;

namespace {

// Shift counts use only their low five bits: -1 acts as 31.
inline uint32_t TableIndex(uint32_t base, int32_t shift) {
    return (base << (shift & 31)) & 255u;
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
// source; target pixels whose source pixel is outside are left alone. Each source pixel is
// written factor times along the row; the other factor - 1 rows of a block are copies of the
// first (they read the same source row, and their visible columns are the same or fewer).
void Zoom(Bitmap* target, const Bitmap* src, int32_t x, int32_t y, int32_t factor) {
    if (!Usable(src)) return;
    const int32_t firstColumn =
        static_cast<int32_t>(std::clamp<int64_t>(-int64_t{x} * factor, 0, kScreenWidth));
    const int32_t endColumn =
        static_cast<int32_t>(std::clamp<int64_t>((int64_t{src->width} - x) * factor, 0, kScreenWidth));
    bool previousRowDrawn = false;
    ForEachFrameRow(target, [&](int32_t j, uint32_t* d, int32_t count) {
        const int64_t sourceRow = int64_t{y} + j / factor;
        const int32_t end = std::min(endColumn, count);
        const bool copyAbove = j % factor != 0 && previousRowDrawn;
        previousRowDrawn = false;
        if (sourceRow < 0 || sourceRow >= src->height || firstColumn >= end) return;
        previousRowDrawn = true;
        if (copyAbove) {
            std::memcpy(d + firstColumn, d - kScreenWidth + firstColumn,
                        sizeof(uint32_t) * (end - firstColumn));
            return;
        }
        const uint32_t* s = src->Row(static_cast<int32_t>(sourceRow));
        const auto at = [&](int32_t i) { return s[int64_t{x} + i / factor]; };  // inside the source here
        int32_t i = firstColumn;
        for (; i < end && i % factor != 0; ++i) d[i] = at(i);
        for (; i + factor <= end; i += factor) std::fill_n(d + i, factor, at(i));
        for (; i < end; ++i) d[i] = at(i);
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
        const uint32_t* s = src->Row(static_cast<int32_t>(int64_t{y} + r)) + (int64_t{x} + firstColumn);
        std::memmove(target->Row(r) + firstColumn, s, sizeof(uint32_t) * (endColumn - firstColumn));
    }
}

void PatternFx::Zoom4(const Bitmap* src, int32_t x, int32_t y) {
    Zoom(target, src, x, y, 4);
}

void PatternFx::Zoom8(const Bitmap* src, int32_t x, int32_t y) {
    Zoom(target, src, x, y, 8);
}

void PatternFx::Rings(int32_t cx, int32_t cy, uint32_t colour, int32_t phase) {
    const uint32_t a0 = 0u - static_cast<uint32_t>(cx);
    ForEachFrameRow(target, [&](int32_t j, uint32_t* d, int32_t count) {
        const uint32_t b = static_cast<uint32_t>(j) - static_cast<uint32_t>(cy);
        spans::RingRow(d, count, a0, b * b, static_cast<uint32_t>(phase), colour);
    });
}

void PatternFx::WarpedRings(int32_t cx, int32_t cy, uint32_t colour, int32_t phase, int32_t d, int32_t shiftX,
                            int32_t shiftY) {
    const uint32_t delta = static_cast<uint32_t>(d);
    ForEachFrameRow(target, [&](int32_t j, uint32_t* out, int32_t count) {
        const uint32_t b0 = static_cast<uint32_t>(j) - static_cast<uint32_t>(cy);
        const uint32_t b = static_cast<uint32_t>(Scaled(cosine[(delta + b0) & 255u], shiftY)) + b0;
        const uint32_t o = static_cast<uint32_t>(Scaled(sine[(b * b + delta) & 255u], shiftX));
        spans::RingRow(out, count, o - static_cast<uint32_t>(cx), b * b, static_cast<uint32_t>(phase),
                       colour);
    });
}

void PatternFx::WarpedRings2(int32_t cx, int32_t cy, uint32_t colour, int32_t phase, int32_t d,
                             int32_t rowStep, int32_t colStep, int32_t colShift, int32_t rowShift) {
    // Column i's vertical offset is bend[i] + j - cy: its square is kept per column and advanced
    // from row to row by (b + 1)^2 = b^2 + 2b + 1 (exact in wrapping arithmetic).
    const uint32_t delta = static_cast<uint32_t>(d);
    uint32_t bSquared[kScreenWidth];
    uint32_t twiceBend[kScreenWidth];
    for (int32_t i = 0; i < kScreenWidth; ++i) {
        const uint32_t bend = static_cast<uint32_t>(
            Scaled(cosine[TableIndex(delta + static_cast<uint32_t>(i), colStep)], colShift));
        const uint32_t b = bend - static_cast<uint32_t>(cy);
        bSquared[i] = b * b;
        twiceBend[i] = 2 * bend;
    }
    ForEachFrameRow(target, [&](int32_t j, uint32_t* out, int32_t count) {
        const uint32_t o = static_cast<uint32_t>(
            Scaled(sine[TableIndex(delta + static_cast<uint32_t>(j), rowStep)], rowShift));
        const uint32_t rowOffset = static_cast<uint32_t>(j) - static_cast<uint32_t>(cy);
        spans::RingRowColumnsBent(out, count, o - static_cast<uint32_t>(cx), bSquared, twiceBend,
                                  2 * rowOffset + 1, static_cast<uint32_t>(phase), colour);
    });
}
