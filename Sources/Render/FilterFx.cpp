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
// AVX2 exists only on x86; elsewhere (WebAssembly's SIMD) the SSE2 loops are the widest.
#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__)) && \
    !defined(ZV_NO_AVX2)  // ZV_NO_AVX2: SSE2 only
#include <immintrin.h>
#define ZV_AVX2 1
#endif
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
constexpr int kPairs = 3;       // with AVX2: pairs of rows side by side, one row per register half
constexpr int kMaxInterleave = 2 * kPairs;

struct SmearRow {
    uint32_t* row = nullptr;
    int32_t half = 0;
    uint32_t reciprocal = 0;
    alignas(16) uint32_t line[kRow];        // the turned row; its key bytes go back unchanged
    alignas(16) int32_t taps[kTapSpan][4];  // blue, green, red, 0 at index h + position
};
SmearRow smearRows[kMaxInterleave];  // static scratch, like the line buffer

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
#if ZV_AVX2
// The same smear on AVX2 for `pairs` pairs of rows, rows 2p and 2p + 1 in the low and high
// halves of one register; each row keeps its own taps, read and written per half. Every half h
// must be at most kRow / 2: then no step of the first half of the row reads a wrapped position
// and every word the wrapped positions repeat is smeared by its end, so one copy there replaces
// the per-step writes.
__attribute__((target("avx2"))) inline __m256i LoadTapPair(const char* low, const char* high) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(low))),
        _mm_load_si128(reinterpret_cast<const __m128i*>(high)), 1);
}

template <int pairs>
__attribute__((target("avx2"))) void SmearPairs(SmearRow* rows) {
    constexpr int count = 2 * pairs;
    constexpr int64_t kTapBytes = sizeof(rows[0].taps[0]);
    __m256i sum[pairs], smeared[pairs], reciprocal[pairs];
    char* at[count];       // the tap being smeared
    int64_t reach[count];  // bytes from it to the taps entering and leaving, h positions away
    for (int r = 0; r < count; ++r) {
        at[r] = reinterpret_cast<char*>(rows[r].taps[rows[r].half]);
        reach[r] = kTapBytes * rows[r].half;
    }
    for (int p = 0; p < pairs; ++p) {
        __m128i start[2];
        for (int side = 0; side < 2; ++side) {
            const SmearRow& row = rows[2 * p + side];
            start[side] = _mm_setzero_si128();
            for (int32_t i = 0; i < 2 * row.half; ++i)
                start[side] = _mm_add_epi32(start[side], LoadTap(row.taps[i]));
        }
        sum[p] = _mm256_set_m128i(start[1], start[0]);
        smeared[p] = _mm256_setzero_si256();
        reciprocal[p] = _mm256_set_m128i(_mm_set1_epi32(static_cast<int32_t>(rows[2 * p + 1].reciprocal)),
                                         _mm_set1_epi32(static_cast<int32_t>(rows[2 * p].reciprocal)));
    }
    for (int phase = 0; phase < 2; ++phase) {
        const int32_t steps = phase == 0 ? kRow / 2 : kRow - kRow / 2;
        if (phase == 1) {
            for (int r = 0; r < count; ++r) {
                std::memcpy(rows[r].taps[rows[r].half + kRow], rows[r].taps[rows[r].half],
                            kTapBytes * rows[r].half);
            }
        }
        for (int32_t k = 0; k < steps; ++k) {
#pragma GCC unroll 4
            for (int p = 0; p < pairs; ++p) {
                char* const low = at[2 * p];
                char* const high = at[2 * p + 1];
                const int64_t lowReach = reach[2 * p], highReach = reach[2 * p + 1];
                // floor(x / divisor) per lane as (x * reciprocal) >> 32, even and odd lanes apart.
                const __m256i x = _mm256_add_epi32(smeared[p], sum[p]);
                const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(x, reciprocal[p]), 32);
                const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(x, 32), reciprocal[p]);
                smeared[p] = _mm256_blend_epi32(even, odd, 0xAA);
                const __m256i old = LoadTapPair(low, high);
                _mm_store_si128(reinterpret_cast<__m128i*>(low), _mm256_castsi256_si128(smeared[p]));
                _mm_store_si128(reinterpret_cast<__m128i*>(high), _mm256_extracti128_si256(smeared[p], 1));
                const __m256i entering = LoadTapPair(low + lowReach, high + highReach);
                const __m256i leaving = LoadTapPair(low - lowReach, high - highReach);
                sum[p] = _mm256_add_epi32(sum[p], _mm256_sub_epi32(_mm256_add_epi32(entering, smeared[p]),
                                                                   _mm256_add_epi32(leaving, old)));
                at[2 * p] = low + kTapBytes;
                at[2 * p + 1] = high + kTapBytes;
            }
        }
    }
}
#endif
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

// Smears rows[0..count), count at most kMaxInterleave; beyond kInterleave only when `pairs`.
void SmearGroup(SmearRow* rows, int32_t count, [[maybe_unused]] bool pairs) {
#if ZV_AVX2
    if (pairs) {
        int32_t r = 0;
        for (; r + 2 * kPairs <= count; r += 2 * kPairs) SmearPairs<kPairs>(rows + r);
        for (; r + 2 <= count; r += 2) SmearPairs<1>(rows + r);
        if (r < count) Smear<1>(rows + r);
        return;
    }
#endif
    switch (count) {
        case 3:
            Smear<3>(rows);
            break;
        case 2:
            Smear<2>(rows);
            break;
        default:
            Smear<1>(rows);
            break;
    }
}

}  // namespace

void FilterFx::WaveBlur(int32_t top, int32_t bottom, int32_t amplitude) {
    const int32_t rows = FullFrameRows(target);
    // Amplitudes beyond 0..639 would wrap the smear window more than once around the row.
    const int32_t amp = std::clamp(amplitude, 0, kRow - 1);
    const int64_t band = int64_t{bottom} - top;
    const int32_t first = static_cast<int32_t>(std::clamp<int64_t>(int64_t{top} + 1, 0, rows));
    const int32_t end = static_cast<int32_t>(std::clamp<int64_t>(bottom, 0, rows));
    // The pairs need every half within kRow / 2, which only a shift of 640 exceeds.
    const bool pairs = spans::HasAvx2() && amp < kRow - 1;
    const int32_t interleave = pairs ? kMaxInterleave : kInterleave;
    for (int32_t j = first; j < end; j += interleave) {
        const int32_t count = std::min(interleave, end - j);
        for (int32_t r = 0; r < count; ++r) {
            // 3.14 rather than pi, and the shift is truncated after adding 1: s is 1 at the
            // band's edges and about amplitude + 1 in its middle.
            const double angle = static_cast<double>(int64_t{j + r} - top) * 3.14 / static_cast<double>(band);
            const int32_t s = static_cast<int32_t>(std::fabs(std::sin(angle)) * amp + 1.0);
            PrepareSmear(smearRows[r], target->pixels + (j + r) * kRow, s);
        }
        SmearGroup(smearRows, count, pairs);
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
