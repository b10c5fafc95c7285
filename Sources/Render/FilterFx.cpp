// FilterFx: whole-frame filters run after the pictures are in place. WaveBlur and RotateRows work
// on complete 640-word rows of the fixed frame; a target holding only part of a row leaves that
// row alone.
#include "Render/FilterFx.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "Render/PixelOps.h"
#include "Render/Spans.h"

using namespace pixelops;

namespace {

constexpr int32_t kRow = kScreenWidth;

// Scratch rows shared by every FilterFx; they hold nothing from one call to the next.
uint32_t lineBuffer[kRow];

// Rows of the fixed frame the target holds completely.
int32_t FullFrameRows(const Bitmap* target) {
    return Usable(target) ? std::min(target->size, kFrameWords) / kRow : 0;
}

// q mod 640 for any q; equal to the single +-640 correction for the -640..1279 the filters use.
inline int32_t WrapColumn(int64_t q) {
    const int32_t r = static_cast<int32_t>(q % kRow);
    return r < 0 ? r + kRow : r;
}

}  // namespace

void FilterFx::WaveBlur(int32_t top, int32_t bottom, int32_t amplitude) {
    const int32_t rows = FullFrameRows(target);
    // Amplitudes beyond 0..639 would wrap the smear window more than once around the row.
    const int32_t amp = std::clamp(amplitude, 0, kRow - 1);
    const int64_t band = int64_t{bottom} - top;
    const int32_t first = static_cast<int32_t>(std::clamp<int64_t>(int64_t{top} + 1, 0, rows));
    const int32_t end = static_cast<int32_t>(std::clamp<int64_t>(bottom, 0, rows));
    for (int32_t j = first; j < end; ++j) {
        // 3.14 rather than pi, and the shift is truncated after adding 1: s is 1 at the band's
        // edges and about amplitude + 1 in its middle.
        const double angle = static_cast<double>(int64_t{j} - top) * 3.14 / static_cast<double>(band);
        const int32_t s = static_cast<int32_t>(std::fabs(std::sin(angle)) * amp + 1.0);
        uint32_t* row = target->pixels + j * kRow;
        for (int32_t k = 0; k < kRow; ++k) lineBuffer[k] = row[WrapColumn(int64_t{s} + k)];
        // Each pixel's sum starts from the previous pixel's result and adds 2h taps, the ones
        // left of k already smeared in this pass; the divisor is 2h + 1.
        const int32_t h = (s + 2) >> 1;
        const uint32_t divisor = static_cast<uint32_t>(2 * h + 1);
        uint32_t sb = 0, sg = 0, sr = 0;
        for (int32_t k = 0; k < kRow; ++k) {
            for (int32_t t = -h; t < h; ++t) {
                const uint32_t p = lineBuffer[WrapColumn(int64_t{k} + t)];
                sb += p & 0xFF;
                sg += (p >> 8) & 0xFF;
                sr += (p >> 16) & 0xFF;
            }
            sb /= divisor;
            sg /= divisor;
            sr /= divisor;
            lineBuffer[k] = (lineBuffer[k] & kKeyMask) | (sr << 16) | (sg << 8) | sb;
        }
        std::memcpy(row, lineBuffer, sizeof lineBuffer);
    }
}

void FilterFx::RotateRows(int32_t offset) {
    const int32_t rows = FullFrameRows(target);
    // Any offset turns the row by offset mod 640 (0..640 as the scenes use, anything else too).
    const int32_t shift = WrapColumn(offset);
    if (shift == 0) return;
    for (int32_t j = 0; j < rows; ++j) {
        uint32_t* row = target->pixels + j * kRow;
        std::memcpy(lineBuffer, row, sizeof(uint32_t) * shift);
        std::memmove(row, row + shift, sizeof(uint32_t) * (kRow - shift));
        std::memcpy(row + (kRow - shift), lineBuffer, sizeof(uint32_t) * shift);
    }
}

void FilterFx::Threshold(int32_t level, uint32_t colour) {
    if (!Usable(target)) return;
    // Blue counts twice in the brightness, not green; the comparison is strict.
    spans::Threshold(target->pixels, target->size, level, colour);
}

void FilterFx::AddGrey(const Bitmap* src) {
    AddGreyShifted(src, 0);
}

void FilterFx::AddGreyShifted(const Bitmap* src, int32_t shift) {
    if (!Usable(target) || !Usable(src)) return;
    spans::AddGreyShifted(target->pixels, src->pixels, std::min(src->size, target->size), shift & 31);
}

void FilterFx::Combine(const Bitmap* a, const Bitmap* b, CombineOp op) {
    if (!Usable(target) || !Usable(a) || !Usable(b)) return;
    const int32_t n = std::min({target->size, a->size, b->size});
    const uint32_t* pa = a->pixels;
    const uint32_t* pb = b->pixels;
    uint32_t* d = target->pixels;
    // Whole 32-bit words, wrapping modulo 2^32: carries and borrows cross channels and the key byte.
    switch (op) {
        case CombineXor:
            spans::Xor(d, pa, pb, n);
            break;
        case CombineOr:
            spans::Or(d, pa, pb, n);
            break;
        case CombineAnd:
            spans::And(d, pa, pb, n);
            break;
        case CombineSubtract:
            spans::Subtract(d, pa, pb, n);
            break;
        case CombineAdd:
            spans::Add(d, pa, pb, n);
            break;
        case CombineMultiply:
            spans::Multiply(d, pa, pb, n);
            break;
        default:
            break;  // an unknown operation writes nothing
    }
}
