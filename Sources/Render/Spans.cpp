// Span kernels (see Spans.h). Each kernel is a four-word SSE2 body plus the plain per-word
// version, which also finishes the last n % 4 words; the tests compare both with the reference.
#include "Render/Spans.h"

#include <cmath>
#include <cstdint>

#include "Render/PixelOps.h"

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

namespace spans {

bool HasAvx2() {
#if ZV_AVX2
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

namespace {

// Runs vector(i) on words i..i+3 while four remain, then scalar(i) on the rest.
template <class Vector, class Scalar>
inline void Run(int32_t n, [[maybe_unused]] Vector vector, Scalar scalar) {
    int32_t i = 0;
#if ZV_SSE2
    for (; i + 4 <= n; i += 4) vector(i);
#endif
    for (; i < n; ++i) scalar(i);
}

inline uint32_t Grey(uint32_t g) {
    return g * 0x010101u;
}

#if ZV_SSE2
inline __m128i Load(const uint32_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store(uint32_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
inline __m128i Splat(uint32_t v) {
    return _mm_set1_epi32(static_cast<int32_t>(v));
}
// mask ? a : b, lane by lane (mask lanes all ones or all zeros)
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}
inline __m128i KeyIs(__m128i s, uint32_t key) {
    return _mm_cmpeq_epi32(_mm_and_si128(s, Splat(kKeyMask)), Splat(key << 24));
}
// A source word with its key byte cleared, or 0 where it is transparent (key 255).
inline __m128i ColourUnlessTransparent(__m128i s) {
    return _mm_andnot_si128(_mm_or_si128(KeyIs(s, 0xFF), Splat(kKeyMask)), s);
}
// Low byte of each lane copied into bytes 1 and 2 (bytes 1..3 of the input must be 0).
inline __m128i SpreadGrey(__m128i g) {
    return _mm_or_si128(g, _mm_or_si128(_mm_slli_epi32(g, 8), _mm_slli_epi32(g, 16)));
}
// Low 32 bits of each lane's product (SSE2 has only the 32 x 32 -> 64 multiply of lanes 0, 2).
inline __m128i MultiplyLow(__m128i a, __m128i b) {
    const __m128i even = _mm_mul_epu32(a, b);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}
#endif

// Eight words at a time for the sprite kernels on processors with AVX2 (checked at run time: the
// program itself is built for the x86-64 baseline). Each returns how many words it did, a
// multiple of 8; the callers finish the rest with the four-word and plain loops.
#if ZV_AVX2

__attribute__((target("avx2"))) inline __m256i OpaqueLanes(__m256i src) {
    return _mm256_cmpeq_epi32(_mm256_and_si256(src, _mm256_set1_epi32(static_cast<int32_t>(kKeyMask))),
                              _mm256_setzero_si256());
}

__attribute__((target("avx2"))) int32_t CopyOpaqueAvx2(uint32_t* d, const uint32_t* s, int32_t n) {
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i src = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i target = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                            _mm256_blendv_epi8(target, src, OpaqueLanes(src)));
    }
    return i;
}

__attribute__((target("avx2"))) int32_t AddOpaqueAvx2(uint32_t* d, const uint32_t* s, int32_t n) {
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i src = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i target = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
        // An opaque word's key byte is already 0, so the target's key byte stays.
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                            _mm256_adds_epu8(target, _mm256_and_si256(OpaqueLanes(src), src)));
    }
    return i;
}

// Eight indices at most 7 apart pick their words from one load of the eight words from the first.
__attribute__((target("avx2"))) void GatherAscendingAvx2(uint32_t* d, const uint32_t* s, int32_t words,
                                                         const int32_t* index, int32_t n) {
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const int32_t first = index[i];
        if (index[i + 7] - first <= 7 && first <= words - 8) {
            const __m256i offsets = _mm256_sub_epi32(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(index + i)), _mm256_set1_epi32(first));
            const __m256i near = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + first));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                                _mm256_permutevar8x32_epi32(near, offsets));
        } else {
            for (int32_t j = i; j < i + 8; ++j) d[j] = s[index[j]];
        }
    }
    for (; i < n; ++i) d[i] = s[index[i]];
}
#endif

int32_t CopyOpaqueWide([[maybe_unused]] uint32_t* d, [[maybe_unused]] const uint32_t* s,
                       [[maybe_unused]] int32_t n) {
#if ZV_AVX2
    if (HasAvx2()) return CopyOpaqueAvx2(d, s, n);
#endif
    return 0;
}

int32_t AddOpaqueWide([[maybe_unused]] uint32_t* d, [[maybe_unused]] const uint32_t* s,
                      [[maybe_unused]] int32_t n) {
#if ZV_AVX2
    if (HasAvx2()) return AddOpaqueAvx2(d, s, n);
#endif
    return 0;
}

}  // namespace

void Fill(uint32_t* d, int32_t n, uint32_t value) {
    Run(
        n,
        [&]([[maybe_unused]] int32_t i) {
#if ZV_SSE2
            Store(d + i, Splat(value));
#endif
        },
        [&](int32_t i) { d[i] = value; });
}

void CopyColour(uint32_t* d, const uint32_t* s, int32_t n) {
    Run(
        n,
        [&]([[maybe_unused]] int32_t i) {
#if ZV_SSE2
            const __m128i key = Splat(kKeyMask);
            Store(d + i, _mm_or_si128(_mm_and_si128(Load(d + i), key), _mm_andnot_si128(key, Load(s + i))));
#endif
        },
        [&](int32_t i) { d[i] = (d[i] & kKeyMask) | (s[i] & kColourMask); });
}

void CopyUnlessTransparent(uint32_t* d, const uint32_t* s, int32_t n) {
    Run(
        n,
        [&]([[maybe_unused]] int32_t i) {
#if ZV_SSE2
            const __m128i src = Load(s + i);
            Store(d + i, Select(KeyIs(src, 0xFF), Load(d + i), src));
#endif
        },
        [&](int32_t i) {
            if ((s[i] >> 24) != 0xFF) d[i] = s[i];
        });
}

void GatherAscending(uint32_t* d, const uint32_t* s, [[maybe_unused]] int32_t words, const int32_t* index,
                     int32_t n) {
#if ZV_AVX2
    if (HasAvx2()) return GatherAscendingAvx2(d, s, words, index, n);
#endif
    for (int32_t i = 0; i < n; ++i) d[i] = s[index[i]];
}

void CopyOpaque(uint32_t* d, const uint32_t* s, int32_t n) {
    const int32_t done = CopyOpaqueWide(d, s, n);
    d += done, s += done, n -= done;
    Run(
        n,
        [&]([[maybe_unused]] int32_t i) {
#if ZV_SSE2
            const __m128i src = Load(s + i);
            Store(d + i, Select(KeyIs(src, 0), src, Load(d + i)));
#endif
        },
        [&](int32_t i) {
            if ((s[i] >> 24) == 0) d[i] = s[i];
        });
}

void CopyOpaqueReversed(uint32_t* d, const uint32_t* last, int32_t n) {
    Run(
        n,
        [&]([[maybe_unused]] int32_t i) {
#if ZV_SSE2
            // Words last[-i-3] .. last[-i], turned around.
            const __m128i src = _mm_shuffle_epi32(Load(last - i - 3), _MM_SHUFFLE(0, 1, 2, 3));
            Store(d + i, Select(KeyIs(src, 0), src, Load(d + i)));
#endif
        },
        [&](int32_t i) {
            if ((last[-i] >> 24) == 0) d[i] = last[-i];
        });
}

void AddColour(uint32_t* d, const uint32_t* s, int32_t n) {
    Run(
        n,
        [&]([[maybe_unused]] int32_t i) {
#if ZV_SSE2
            // Clearing the source's key byte makes the saturating byte add keep the target's.
            Store(d + i, _mm_adds_epu8(Load(d + i), _mm_andnot_si128(Splat(kKeyMask), Load(s + i))));
#endif
        },
        [&](int32_t i) { d[i] = AddSaturated(d[i], s[i]); });
}

void AddOpaque(uint32_t* d, const uint32_t* s, int32_t n) {
    const int32_t done = AddOpaqueWide(d, s, n);
    d += done, s += done, n -= done;
    Run(
        n,
        [&]([[maybe_unused]] int32_t i) {
#if ZV_SSE2
            const __m128i src = Load(s + i);  // an opaque word's key byte is already 0
            Store(d + i, _mm_adds_epu8(Load(d + i), _mm_and_si128(KeyIs(src, 0), src)));
#endif
        },
        [&](int32_t i) {
            if ((s[i] >> 24) == 0) d[i] = AddSaturated(d[i], s[i]);
        });
}

void AddUnlessTransparent(uint32_t* d, const uint32_t* s, int32_t n) {
    Run(
        n,
        [&]([[maybe_unused]] int32_t i) {
#if ZV_SSE2
            Store(d + i, _mm_adds_epu8(Load(d + i), ColourUnlessTransparent(Load(s + i))));
#endif
        },
        [&](int32_t i) {
            if ((s[i] >> 24) != 0xFF) d[i] = AddSaturated(d[i], s[i]);
        });
}

void SubtractUnlessTransparent(uint32_t* d, const uint32_t* s, int32_t n) {
    Run(
        n,
        [&]([[maybe_unused]] int32_t i) {
#if ZV_SSE2
            Store(d + i, _mm_subs_epu8(Load(d + i), ColourUnlessTransparent(Load(s + i))));
#endif
        },
        [&](int32_t i) {
            if ((s[i] >> 24) != 0xFF) d[i] = SubtractSaturated(d[i], s[i]);
        });
}

void AddBlueAsGrey(uint32_t* d, const uint32_t* s, int32_t n) {
    Run(
        n,
        [&]([[maybe_unused]] int32_t i) {
#if ZV_SSE2
            const __m128i blue = Splat(0xFF);
            const __m128i target = Load(d + i);
            const __m128i m = _mm_adds_epu8(_mm_and_si128(target, blue), _mm_and_si128(Load(s + i), blue));
            Store(d + i, _mm_or_si128(_mm_and_si128(target, Splat(kKeyMask)), SpreadGrey(m)));
#endif
        },
        [&](int32_t i) {
            const uint32_t sum = (d[i] & 0xFF) + (s[i] & 0xFF);
            d[i] = (d[i] & kKeyMask) | Grey(sum > 255 ? 255 : sum);
        });
}

void AddGreyShifted(uint32_t* d, const uint32_t* s, int32_t n, int32_t shift) {
    Run(
        n,
        [&]([[maybe_unused]] int32_t i) {
#if ZV_SSE2
            const __m128i g =
                _mm_srl_epi32(_mm_and_si128(Load(s + i), Splat(0xFF)), _mm_cvtsi32_si128(shift));
            Store(d + i, _mm_adds_epu8(_mm_and_si128(Load(d + i), Splat(kColourMask)), SpreadGrey(g)));
#endif
        },
        [&](int32_t i) { d[i] = AddSaturated(d[i] & kColourMask, Grey((s[i] & 0xFF) >> shift)); });
}

void AddLevel(uint32_t* d, int32_t n, uint32_t amount) {
    const uint32_t add = Grey(amount);
    Run(
        n,
        [&]([[maybe_unused]] int32_t i) {
#if ZV_SSE2
            Store(d + i, _mm_adds_epu8(Load(d + i), Splat(add)));
#endif
        },
        [&](int32_t i) { d[i] = AddSaturated(d[i], add); });
}

void SubtractLevel(uint32_t* d, int32_t n, uint32_t amount) {
    const uint32_t sub = Grey(amount);
    Run(
        n,
        [&]([[maybe_unused]] int32_t i) {
#if ZV_SSE2
            Store(d + i, _mm_subs_epu8(Load(d + i), Splat(sub)));
#endif
        },
        [&](int32_t i) { d[i] = SubtractSaturated(d[i], sub); });
}

#if ZV_AVX2
namespace {

// The exact blend below, eight pixels at a time, on processors that have AVX2 (checked at run
// time: the program itself is built for the x86-64 baseline). Returns how many words it did.
__attribute__((target("avx2"))) int32_t BlendExactAvx2(uint32_t* d, const uint32_t* s, int32_t n,
                                                       uint32_t highPair, uint32_t lowPair) {
    const __m256i high = _mm256_set1_epi32(static_cast<int32_t>(highPair));
    const __m256i low = _mm256_set1_epi32(static_cast<int32_t>(lowPair));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i keyMask = _mm256_set1_epi32(static_cast<int32_t>(kKeyMask));
#define ZV_CHANNELS(pairs)                                                                    \
    _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(pairs, high),                        \
                                       _mm256_srli_epi32(_mm256_madd_epi16(pairs, low), 15)), \
                      14)
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        // Unpacks and packs work within each 128-bit half, so the order comes back unchanged.
        const __m256i src = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i target = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
        const __m256i first = _mm256_unpacklo_epi8(src, target), second = _mm256_unpackhi_epi8(src, target);
        const __m256i p01 = _mm256_packs_epi32(ZV_CHANNELS(_mm256_unpacklo_epi8(first, zero)),
                                               ZV_CHANNELS(_mm256_unpackhi_epi8(first, zero)));
        const __m256i p23 = _mm256_packs_epi32(ZV_CHANNELS(_mm256_unpacklo_epi8(second, zero)),
                                               ZV_CHANNELS(_mm256_unpackhi_epi8(second, zero)));
        const __m256i blended = _mm256_packus_epi16(p01, p23);
        const __m256i keep =
            _mm256_or_si256(_mm256_cmpeq_epi32(_mm256_and_si256(src, keyMask), keyMask), keyMask);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_blendv_epi8(blended, target, keep));
    }
#undef ZV_CHANNELS
    return i;
}

}  // namespace
#endif

void BlendUnlessTransparent(uint32_t* d, const uint32_t* s, int32_t n, float t) {
    const float w = 1.0f - t;
#if ZV_SSE2
    // When w and t are both multiples of 2^-29 in 0..1 (every t from 1/64 to 1, and 0), the
    // blend is exact in integers: v * 2^29 = W*s + T*d. With W and T split into 15-bit halves,
    // pmaddwd forms H = Wh*s + Th*d and L = Wl*s + Tl*d, and trunc(v) = (H + (L >> 15)) >> 14.
    // The double expression gives the same value there, being exact for such w and t.
    const double scaledT = std::ldexp(static_cast<double>(t), 29);
    const double scaledW = std::ldexp(static_cast<double>(w), 29);
    const double limit = std::ldexp(1.0, 29);
    const bool exact = scaledT >= 0 && scaledT <= limit && scaledW >= 0 && scaledW <= limit &&
                       scaledT == std::floor(scaledT) && scaledW == std::floor(scaledW);
    const __m128i zero = _mm_setzero_si128();
    // The target's whole word where the source is transparent, else its key byte and the blend.
    const auto finish = [&](int32_t i, __m128i src, __m128i target, __m128i blended) {
        Store(d + i, Select(_mm_or_si128(KeyIs(src, 0xFF), Splat(kKeyMask)), target, blended));
    };
    if (exact) {
        const uint32_t bigT = static_cast<uint32_t>(scaledT), bigW = static_cast<uint32_t>(scaledW);
        const uint32_t highPair = ((bigT >> 15) << 16) | (bigW >> 15);
        const uint32_t lowPair = ((bigT & 0x7FFF) << 16) | (bigW & 0x7FFF);
        const __m128i high = Splat(highPair);
        const __m128i low = Splat(lowPair);
        const auto channels = [&](__m128i pairs) {  // (s, d) word pairs of one pixel
            const __m128i h = _mm_madd_epi16(pairs, high);
            const __m128i l = _mm_madd_epi16(pairs, low);
            return _mm_srai_epi32(_mm_add_epi32(h, _mm_srli_epi32(l, 15)), 14);
        };
        int32_t i = 0;
#if ZV_AVX2
        if (HasAvx2()) i = BlendExactAvx2(d, s, n, highPair, lowPair);
#endif
        for (; i + 4 <= n; i += 4) {
            const __m128i src = Load(s + i), target = Load(d + i);
            const __m128i first = _mm_unpacklo_epi8(src, target), second = _mm_unpackhi_epi8(src, target);
            const __m128i p01 = _mm_packs_epi32(channels(_mm_unpacklo_epi8(first, zero)),
                                                channels(_mm_unpackhi_epi8(first, zero)));
            const __m128i p23 = _mm_packs_epi32(channels(_mm_unpacklo_epi8(second, zero)),
                                                channels(_mm_unpackhi_epi8(second, zero)));
            finish(i, src, target, _mm_packus_epi16(p01, p23));
        }
        for (; i < n; ++i) {
            if ((s[i] >> 24) != 0xFF) d[i] = BlendPixel(d[i], s[i], w, t);
        }
        return;
    }
    // Any other t: the double expression two channels at a time, held in 0..255 before the
    // conversion (max with 0 first also turns a NaN into 0).
    const __m128d vw = _mm_set1_pd(static_cast<double>(w)), vt = _mm_set1_pd(static_cast<double>(t));
    const __m128d top = _mm_set1_pd(255.0), bottom = _mm_setzero_pd();
    const auto half = [&](__m128i s32, __m128i d32) {  // channels in lanes 0 and 1
        const __m128d v =
            _mm_add_pd(_mm_mul_pd(vw, _mm_cvtepi32_pd(s32)), _mm_mul_pd(vt, _mm_cvtepi32_pd(d32)));
        return _mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(v, bottom), top));
    };
    const auto pixel = [&](__m128i s32, __m128i d32) {  // four channels as int32
        const __m128i blueGreen = half(s32, d32);
        const __m128i redKey = half(_mm_shuffle_epi32(s32, _MM_SHUFFLE(3, 2, 3, 2)),
                                    _mm_shuffle_epi32(d32, _MM_SHUFFLE(3, 2, 3, 2)));
        return _mm_unpacklo_epi64(blueGreen, redKey);
    };
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i src = Load(s + i), target = Load(d + i);
        const __m128i s01 = _mm_unpacklo_epi8(src, zero), s23 = _mm_unpackhi_epi8(src, zero);
        const __m128i d01 = _mm_unpacklo_epi8(target, zero), d23 = _mm_unpackhi_epi8(target, zero);
        const __m128i p01 =
            _mm_packs_epi32(pixel(_mm_unpacklo_epi16(s01, zero), _mm_unpacklo_epi16(d01, zero)),
                            pixel(_mm_unpackhi_epi16(s01, zero), _mm_unpackhi_epi16(d01, zero)));
        const __m128i p23 =
            _mm_packs_epi32(pixel(_mm_unpacklo_epi16(s23, zero), _mm_unpacklo_epi16(d23, zero)),
                            pixel(_mm_unpackhi_epi16(s23, zero), _mm_unpackhi_epi16(d23, zero)));
        finish(i, src, target, _mm_packus_epi16(p01, p23));
    }
    for (; i < n; ++i) {
        if ((s[i] >> 24) != 0xFF) d[i] = BlendPixel(d[i], s[i], w, t);
    }
#else
    for (int32_t i = 0; i < n; ++i) {
        if ((s[i] >> 24) != 0xFF) d[i] = BlendPixel(d[i], s[i], w, t);
    }
#endif
}

void Threshold(uint32_t* d, int32_t n, int32_t level, uint32_t colour) {
    // (2b + g + r) >> 2 > level  <=>  2b + g + r > 4 * level + 3, for level in -1..255; beyond
    // that every pixel or none is painted.
    if (level >= 255) return;
    if (level < 0) {
        Fill(d, n, colour);
        return;
    }
    const int32_t limit = 4 * level + 3;
    Run(
        n,
        [&]([[maybe_unused]] int32_t i) {
#if ZV_SSE2
            const __m128i p = Load(d + i);
            // pmaddwd on the words (blue, red) with (2, 1) gives 2b + r in one step.
            const __m128i blueRed = _mm_madd_epi16(_mm_and_si128(p, Splat(0x00FF00FF)), Splat(0x00010002));
            const __m128i green = _mm_and_si128(_mm_srli_epi32(p, 8), Splat(0xFF));
            const __m128i bright = _mm_cmpgt_epi32(_mm_add_epi32(blueRed, green), _mm_set1_epi32(limit));
            Store(d + i, Select(bright, Splat(colour), p));
#endif
        },
        [&](int32_t i) {
            const uint32_t p = d[i];
            const int32_t sum = static_cast<int32_t>(2 * (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF));
            if (sum > limit) d[i] = colour;
        });
}

#if ZV_SSE2
#define ZV_WORDWISE(name, vectorOp, scalarExpr)                                      \
    void name(uint32_t* d, const uint32_t* a, const uint32_t* b, int32_t n) {        \
        Run(                                                                         \
            n, [&](int32_t i) { Store(d + i, vectorOp(Load(a + i), Load(b + i))); }, \
            [&](int32_t i) { d[i] = scalarExpr; });                                  \
    }
#else
#define ZV_WORDWISE(name, vectorOp, scalarExpr)                               \
    void name(uint32_t* d, const uint32_t* a, const uint32_t* b, int32_t n) { \
        Run(                                                                  \
            n, [](int32_t) {}, [&](int32_t i) { d[i] = scalarExpr; });        \
    }
#endif
ZV_WORDWISE(Xor, _mm_xor_si128, a[i] ^ b[i])
ZV_WORDWISE(Or, _mm_or_si128, a[i] | b[i])
ZV_WORDWISE(And, _mm_and_si128, a[i] & b[i])
ZV_WORDWISE(Subtract, _mm_sub_epi32, a[i] - b[i])
ZV_WORDWISE(Add, _mm_add_epi32, a[i] + b[i])
ZV_WORDWISE(Multiply, MultiplyLow, a[i] * b[i])
#undef ZV_WORDWISE

namespace {

inline bool Painted(uint32_t aSquared, uint32_t bSquared, uint32_t phase) {
    const uint32_t v = static_cast<uint32_t>(static_cast<int32_t>(aSquared + bSquared) >> 8) + phase;
    return (v & 64u) == 0;
}

#if ZV_SSE2
// Four columns of a ring row: a*a for lanes a..a+3 advances by (a+4)^2 = a^2 + 8a + 16.
struct RingColumns {
    __m128i a, aSquared;
    explicit RingColumns(uint32_t a0) {
        uint32_t lanes[4], squares[4];
        for (uint32_t k = 0; k < 4; ++k) {
            lanes[k] = a0 + k;
            squares[k] = lanes[k] * lanes[k];
        }
        a = Load(lanes);
        aSquared = Load(squares);
    }
    void Advance() {
        aSquared = _mm_add_epi32(aSquared, _mm_add_epi32(_mm_slli_epi32(a, 3), Splat(16)));
        a = _mm_add_epi32(a, Splat(4));
    }
};
inline __m128i PaintMask(__m128i aSquared, __m128i bSquared, __m128i phase) {
    const __m128i v = _mm_add_epi32(_mm_srai_epi32(_mm_add_epi32(aSquared, bSquared), 8), phase);
    return _mm_cmpeq_epi32(_mm_and_si128(v, Splat(64)), _mm_setzero_si128());
}
#endif

}  // namespace

void RingRow(uint32_t* d, int32_t n, uint32_t a0, uint32_t bSquared, uint32_t phase, uint32_t colour) {
    int32_t i = 0;
#if ZV_SSE2
    RingColumns columns(a0);
    const __m128i b2 = Splat(bSquared), ph = Splat(phase), ink = Splat(colour);
    for (; i + 4 <= n; i += 4) {
        Store(d + i, Select(PaintMask(columns.aSquared, b2, ph), ink, Load(d + i)));
        columns.Advance();
    }
#endif
    for (; i < n; ++i) {
        const uint32_t a = a0 + static_cast<uint32_t>(i);
        if (Painted(a * a, bSquared, phase)) d[i] = colour;
    }
}

void RingRowColumnsBent(uint32_t* d, int32_t n, uint32_t a0, uint32_t* bSquared, const uint32_t* step,
                        uint32_t rowStep, uint32_t phase, uint32_t colour) {
    int32_t i = 0;
#if ZV_SSE2
    RingColumns columns(a0);
    const __m128i ph = Splat(phase), ink = Splat(colour), next = Splat(rowStep);
    for (; i + 4 <= n; i += 4) {
        const __m128i b2 = Load(bSquared + i);
        Store(d + i, Select(PaintMask(columns.aSquared, b2, ph), ink, Load(d + i)));
        Store(bSquared + i, _mm_add_epi32(b2, _mm_add_epi32(Load(step + i), next)));
        columns.Advance();
    }
#endif
    for (; i < n; ++i) {
        const uint32_t a = a0 + static_cast<uint32_t>(i);
        if (Painted(a * a, bSquared[i], phase)) d[i] = colour;
        bSquared[i] += step[i] + rowStep;
    }
}

}  // namespace spans
