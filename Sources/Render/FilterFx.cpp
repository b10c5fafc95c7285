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

#if defined(__SSE2__) && !defined(ZV_SCALAR)  // ZV_SCALAR builds the plain loops only, for testing them
#include <emmintrin.h>
#define ZV_SSE2 1
#endif

using namespace pixelops;

namespace {

constexpr int32_t kRow = kScreenWidth;

// Scratch row shared by every FilterFx; it holds nothing from one call to the next.
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

// ---- The wave smear ----
//
// The smear of one row, literally: S := (S + sum of L[k + t] for t = -h .. h - 1) / (2h + 1) and
// L[k] := S, for k = 0..639, taps wrapping around the row, those left of k already smeared.
// Done literally that is 2h taps per pixel. Here the tap sum W is kept running instead: from
// pixel k to k + 1 the tap at k + h enters, the one at k - h leaves, and the tap at k itself
// changes from its old value to the one just smeared, so
//     W(k + 1) = W(k) + L[k + h] - L[k - h] - old L[k] + new L[k],
// every value read as it stands at that moment (exact: nothing else changes between the steps).
//
// The taps live in a buffer indexed by h + position, for positions -h .. 639 + h:
// - positions -h..-1 are the unsmeared words 640 - h .. 639: at step k the leaving tap k - h
//   wraps to a word right of k, not yet smeared, so a copy taken before the pass is current;
// - positions 640.. are words 0.. again, and the entering tap k + h wraps to a word left of k,
//   already smeared: each new value at k is also written at position 640 + k (for k >= h, at
//   the spare position 640 + h, which no step reads).
//
// The division by 2h + 1 is a multiply by ceil(2^32 / (2h + 1)) and a shift by 32, exact for
// every dividend below 256 * (2h + 1) with 2h + 1 <= 643 (the dividend S + W is at most
// 255 * (2h + 1)); x * e < 2^32 with e the rounding excess of the multiplier is the condition.

constexpr int32_t kMaxHalf = (kRow + 2) >> 1;  // h for the largest shift, 640
constexpr int32_t kTapSpan = kRow + 2 * kMaxHalf + 1;
constexpr int kInterleave = 3;  // rows smeared side by side, hiding the divide's latency

struct SmearRow {
    uint32_t* row = nullptr;
    int32_t half = 0;
    uint32_t reciprocal = 0;
    alignas(16) uint32_t line[kRow];        // the turned row; its key bytes go back unchanged
    alignas(16) int32_t taps[kTapSpan][4];  // blue, green, red, 0 at index h + position
};
SmearRow smearRows[kInterleave];  // static scratch, like the line buffer

#if ZV_SSE2
inline __m128i LoadTap(const int32_t* tap) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(tap));
}
inline void StoreTap(int32_t* tap, __m128i v) {
    _mm_store_si128(reinterpret_cast<__m128i*>(tap), v);
}
#endif

// Turns the row left by s, splits it into taps and fills the wrapped positions left of 0.
void PrepareSmear(SmearRow& r, uint32_t* row, int32_t s) {
    r.row = row;
    r.half = (s + 2) >> 1;
    const uint64_t divisor = static_cast<uint64_t>(2 * r.half + 1);
    r.reciprocal = static_cast<uint32_t>(((uint64_t{1} << 32) + divisor - 1) / divisor);
    const int32_t turn = s % kRow;
    std::memcpy(r.line, row + turn, sizeof(uint32_t) * (kRow - turn));
    std::memcpy(r.line + (kRow - turn), row, sizeof(uint32_t) * turn);
    int32_t(*taps)[4] = r.taps + r.half;
#if ZV_SSE2
    const __m128i zero = _mm_setzero_si128();
    for (int32_t k = 0; k < kRow; k += 4) {
        const __m128i words = _mm_and_si128(_mm_load_si128(reinterpret_cast<const __m128i*>(r.line + k)),
                                            _mm_set1_epi32(static_cast<int32_t>(kColourMask)));
        const __m128i low = _mm_unpacklo_epi8(words, zero), high = _mm_unpackhi_epi8(words, zero);
        StoreTap(taps[k], _mm_unpacklo_epi16(low, zero));
        StoreTap(taps[k + 1], _mm_unpackhi_epi16(low, zero));
        StoreTap(taps[k + 2], _mm_unpacklo_epi16(high, zero));
        StoreTap(taps[k + 3], _mm_unpackhi_epi16(high, zero));
    }
#else
    for (int32_t k = 0; k < kRow; ++k) {
        for (int c = 0; c < 4; ++c)
            taps[k][c] = c < 3 ? static_cast<int32_t>((r.line[k] >> (8 * c)) & 0xFF) : 0;
    }
#endif
    std::memcpy(r.taps[0], r.taps[kRow], sizeof(r.taps[0]) * r.half);
}

// Writes the smeared colours back over the row with the turned row's key bytes.
void FinishSmear(const SmearRow& r) {
    const int32_t(*taps)[4] = r.taps + r.half;
#if ZV_SSE2
    for (int32_t k = 0; k < kRow; k += 4) {
        const __m128i colours = _mm_packus_epi16(_mm_packs_epi32(LoadTap(taps[k]), LoadTap(taps[k + 1])),
                                                 _mm_packs_epi32(LoadTap(taps[k + 2]), LoadTap(taps[k + 3])));
        const __m128i keys = _mm_and_si128(_mm_load_si128(reinterpret_cast<const __m128i*>(r.line + k)),
                                           _mm_set1_epi32(static_cast<int32_t>(kKeyMask)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(r.row + k), _mm_or_si128(colours, keys));
    }
#else
    for (int32_t k = 0; k < kRow; ++k) {
        r.row[k] = (r.line[k] & kKeyMask) | (static_cast<uint32_t>(taps[k][2]) << 16) |
                   (static_cast<uint32_t>(taps[k][1]) << 8) | static_cast<uint32_t>(taps[k][0]);
    }
#endif
}

#if ZV_SSE2
// floor(x / divisor) in each 32-bit lane, as (x * reciprocal) >> 32.
inline __m128i Divide(__m128i x, __m128i reciprocal) {
    const __m128i even = _mm_srli_epi64(_mm_mul_epu32(x, reciprocal), 32);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(x, 32), reciprocal);
    return _mm_or_si128(even, _mm_and_si128(odd, _mm_set_epi32(-1, 0, -1, 0)));
}

// Smears `count` rows in lock step, one 32-bit lane per channel.
template <int count>
void Smear(SmearRow* rows) {
    __m128i sum[count], smeared[count], reciprocal[count];
    for (int r = 0; r < count; ++r) {
        sum[r] = _mm_setzero_si128();
        for (int32_t i = 0; i < 2 * rows[r].half; ++i)
            sum[r] = _mm_add_epi32(sum[r], LoadTap(rows[r].taps[i]));
        smeared[r] = _mm_setzero_si128();
        reciprocal[r] = _mm_set1_epi32(static_cast<int32_t>(rows[r].reciprocal));
    }
    // Walking pointers per row: the tap being smeared, the ones entering and leaving, and where
    // the wrapped copy goes (it stays on the spare position once k reaches h).
    int32_t(*at[count])[4];
    int32_t(*pad[count])[4];
    for (int r = 0; r < count; ++r) {
        at[r] = rows[r].taps + rows[r].half;
        pad[r] = rows[r].taps + rows[r].half + kRow;
    }
    for (int32_t k = 0; k < kRow; ++k) {
#pragma GCC unroll 4
        for (int r = 0; r < count; ++r) {
            const int32_t h = rows[r].half;
            smeared[r] = Divide(_mm_add_epi32(smeared[r], sum[r]), reciprocal[r]);
            const __m128i old = LoadTap(*at[r]);
            StoreTap(*at[r], smeared[r]);
            StoreTap(*pad[r], smeared[r]);
            const __m128i change = _mm_sub_epi32(_mm_add_epi32(LoadTap(at[r][h]), smeared[r]),
                                                 _mm_add_epi32(LoadTap(at[r][-h]), old));
            sum[r] = _mm_add_epi32(sum[r], change);
            ++at[r];
            pad[r] += k < h ? 1 : 0;
        }
    }
}
#else
template <int count>
void Smear(SmearRow* rows) {
    for (int r = 0; r < count; ++r) {
        SmearRow& row = rows[r];
        const int32_t h = row.half;
        for (int c = 0; c < 3; ++c) {
            uint32_t sum = 0, smeared = 0;
            for (int32_t i = 0; i < 2 * h; ++i) sum += static_cast<uint32_t>(row.taps[i][c]);
            for (int32_t k = 0; k < kRow; ++k) {
                smeared = static_cast<uint32_t>((uint64_t{smeared + sum} * row.reciprocal) >> 32);
                const uint32_t old = static_cast<uint32_t>(row.taps[h + k][c]);
                row.taps[h + k][c] = row.taps[h + kRow + std::min(k, h)][c] = static_cast<int32_t>(smeared);
                sum = sum + static_cast<uint32_t>(row.taps[2 * h + k][c]) + smeared -
                      static_cast<uint32_t>(row.taps[k][c]) - old;
            }
        }
    }
}
#endif

}  // namespace

void FilterFx::WaveBlur(int32_t top, int32_t bottom, int32_t amplitude) {
    const int32_t rows = FullFrameRows(target);
    // Amplitudes beyond 0..639 would wrap the smear window more than once around the row.
    const int32_t amp = std::clamp(amplitude, 0, kRow - 1);
    const int64_t band = int64_t{bottom} - top;
    const int32_t first = static_cast<int32_t>(std::clamp<int64_t>(int64_t{top} + 1, 0, rows));
    const int32_t end = static_cast<int32_t>(std::clamp<int64_t>(bottom, 0, rows));
    for (int32_t j = first; j < end; j += kInterleave) {
        const int32_t count = std::min(kInterleave, end - j);
        for (int32_t r = 0; r < count; ++r) {
            // 3.14 rather than pi, and the shift is truncated after adding 1: s is 1 at the
            // band's edges and about amplitude + 1 in its middle.
            const double angle = static_cast<double>(int64_t{j + r} - top) * 3.14 / static_cast<double>(band);
            const int32_t s = static_cast<int32_t>(std::fabs(std::sin(angle)) * amp + 1.0);
            PrepareSmear(smearRows[r], target->pixels + (j + r) * kRow, s);
        }
        switch (count) {
            case 3:
                Smear<3>(smearRows);
                break;
            case 2:
                Smear<2>(smearRows);
                break;
            default:
                Smear<1>(smearRows);
                break;
        }
        for (int32_t r = 0; r < count; ++r) FinishSmear(smearRows[r]);
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
