// Every drawing operation against its plain reference version: random pictures and targets of
// many sizes, null sources, positions far outside the frame, sizes of 0, negative or near
// INT_MAX, levels and shifts at and around their thresholds. The results must be identical.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <tuple>

#include "Render/Blitter.h"
#include "Render/FilterFx.h"
#include "Render/NoiseFx.h"
#include "Render/PatternFx.h"
#include "RenderTesting.h"
#include "Support/RenderReference.h"
#include "Utils/Platform.h"

using namespace rendertest;
using std::tuple;

namespace {

// An operation reading a picture, run as fx.op(src, args...) and reference(target, src, args...)
// with the arguments `draw` picks.
template <class Fx, class... A, class Draw>
Case Reading(const char* name, void (Fx::*op)(const Bitmap*, A...), void (*ref)(Bitmap&, const Bitmap*, A...),
             Draw draw) {
    return {name, [=](Random& r, Bitmap& t, const Bitmap* s, Bitmap& e) {
                const tuple<A...> args = draw(r, t, s);
                return std::apply(
                    [&](A... a) {
                        (On<Fx>(t).*op)(s, a...), ref(e, s, a...);
                        return Args(a...);
                    },
                    args);
            }};
}

// An operation on the target alone; `noisy` ones get the shared generator reset to one seed for
// both sides, and must take the same count of numbers from it.
template <class Fx, class... A, class Draw>
Case Alone(const char* name, void (Fx::*op)(A...), void (*ref)(Bitmap&, A...), Draw draw,
           bool noisy = false) {
    return {name, [=](Random& r, Bitmap& t, const Bitmap*, Bitmap& e) {
                const tuple<A...> args = draw(r, t, nullptr);
                const uint32_t seed = static_cast<uint32_t>(r.Next());
                return std::apply(
                    [&](A... a) {
                        platform::ResetRand(seed);
                        (On<Fx>(t).*op)(a...);
                        const int next = platform::Rand();
                        platform::ResetRand(seed);
                        ref(e, a...);
                        if (noisy) {
                            EXPECT_EQ(next, platform::Rand()) << "random numbers taken differ";
                        }
                        return Args(a...);
                    },
                    args);
            }};
}

const auto kNothing = [](Random&, const Bitmap&, const Bitmap*) { return tuple<>(); };
const auto kSpot = [](Random& r, const Bitmap& t, const Bitmap*) {
    return tuple(r.Position(t.width), r.Position(t.height));
};
const auto kStretch = [](Random& r, const Bitmap& t, const Bitmap*) {
    const auto size = [&] {
        return r.Chance(10) ? r.OneOf<int32_t>({INT_MAX, INT_MIN, 0, -1}) : r.Between(-2, 900);
    };
    return tuple(r.Position(t.width), r.Position(t.height), size(), size());
};
// A window position: mostly inside the picture, sometimes anywhere.
const auto kWindow = [](Random& r, const Bitmap&, const Bitmap* s) {
    const int32_t w = s ? s->width : 640, h = s ? s->height : 480;
    return tuple(r.Chance(60) ? r.Between(0, w) : r.Position(w),
                 r.Chance(60) ? r.Between(0, h) : r.Position(h));
};
float Level(Random& r) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    return r.Chance(60) ? r.Fraction()
                        : r.OneOf<float>({0, 1, 0.5f, 0.25f, 0.501f, 1e-9f, -0.5f, 1.5f, 1e30f, nan});
}
const auto kLevel = [](Random& r, const Bitmap&, const Bitmap*) { return tuple(Level(r)); };
int32_t Shift(Random& r) {
    return r.Chance(60) ? r.Between(6, 16) : r.OneOf<int32_t>({-2, -1, 0, 31, 32, INT_MIN});
}
int32_t Step(Random& r) {
    return r.Between(-2, 9);
}

}  // namespace

TEST(MatchesReference, EveryOperation) {
    const std::vector<Case> cases = {
        Alone("Clear", &Blitter::Clear, reference::Clear,
              [](Random& r, const Bitmap&, const Bitmap*) { return tuple(r.Pixel()); }),
        Reading("CopyKeyed", &Blitter::CopyKeyed, reference::CopyKeyed, kNothing),
        Reading("CopyScreen", &Blitter::CopyScreen, reference::CopyScreen, kNothing),
        Reading("Draw", &Blitter::Draw, reference::Draw, kSpot),
        Reading("DrawMirrored", &Blitter::DrawMirrored, reference::DrawMirrored, kSpot),
        Reading("DrawScaled", &Blitter::DrawScaled, reference::DrawScaled, kStretch),
        Reading("DrawScaledAdditive", &Blitter::DrawScaledAdditive, reference::DrawScaledAdditive, kStretch),
        // Both ways the blend is computed (exact integers for most levels, doubles for the
        // rest) give the reference's value exactly.
        Reading("BlendKeyed", &Blitter::BlendKeyed, reference::BlendKeyed, kLevel),
        Reading("AddKeyed", &Blitter::AddKeyed, reference::AddKeyed, kNothing),
        Reading("SubtractKeyed", &Blitter::SubtractKeyed, reference::SubtractKeyed, kNothing),
        Alone("Darken", &Blitter::Darken, reference::Darken,
              [](Random& r, const Bitmap&, const Bitmap*) {
                  return tuple(r.Chance(70) ? r.Between(-260, 260) : r.Position(999));
              }),
        Reading("AddScreen", &Blitter::AddScreen, reference::AddScreen, kNothing),
        Reading("AddScreenMono", &Blitter::AddScreenMono, reference::AddScreenMono, kNothing),
        Alone("Bars", &NoiseFx::Bars, reference::Bars, kLevel, true),
        Alone("AddRowNoise", &NoiseFx::AddRowNoise, reference::AddRowNoise, kLevel, true),
        Alone("SubtractRowNoise", &NoiseFx::SubtractRowNoise, reference::SubtractRowNoise, kLevel, true),
        Reading("CopyWindow", &PatternFx::CopyWindow, reference::CopyWindow, kWindow),
        Reading("Zoom4", &PatternFx::Zoom4, reference::Zoom4, kWindow),
        Reading("Zoom8", &PatternFx::Zoom8, reference::Zoom8, kWindow),
        Alone("Rings", &PatternFx::Rings, reference::Rings,
              [](Random& r, const Bitmap&, const Bitmap*) {
                  return tuple(r.Position(640), r.Position(480), r.Pixel(), r.Position(200));
              }),
        Alone("WarpedRings", &PatternFx::WarpedRings, reference::WarpedRings,
              [](Random& r, const Bitmap&, const Bitmap*) {
                  return tuple(r.Position(640), r.Position(480), r.Pixel(), r.Position(200), r.Position(300),
                               Shift(r), Shift(r));
              }),
        Alone("WarpedRings2", &PatternFx::WarpedRings2, reference::WarpedRings2,
              [](Random& r, const Bitmap&, const Bitmap*) {
                  return tuple(r.Position(640), r.Position(480), r.Pixel(), r.Position(200), r.Position(300),
                               Step(r), Step(r), Shift(r), Shift(r));
              }),
        // The literal smear costs 2h taps a pixel: wide smears only over a few rows.
        Alone("WaveBlur", &FilterFx::WaveBlur, reference::WaveBlur,
              [](Random& r, const Bitmap&, const Bitmap*) {
                  const int32_t top = r.Chance(80) ? r.Between(-5, 480) : r.Position(480);
                  const bool wide = r.Chance(30);
                  const int32_t near =
                      static_cast<int32_t>(std::min<int64_t>(int64_t{top} + r.Between(0, 8), INT_MAX));
                  const int32_t bottom = wide ? near : r.Chance(80) ? r.Between(top, 490) : r.Position(480);
                  return tuple(top, bottom,
                               wide ? r.OneOf<int32_t>({639, 640, 1000, INT_MAX, r.Between(100, 700)})
                                    : r.OneOf<int32_t>({0, 1, 30, -7, INT_MIN, r.Between(0, 60)}));
              }),
        Alone("RotateRows", &FilterFx::RotateRows, reference::RotateRows,
              [](Random& r, const Bitmap&, const Bitmap*) {
                  return tuple(r.Chance(50) ? r.OneOf<int32_t>({0, 1, 639, 640, 641, 1279, -1})
                                            : r.Position(640));
              }),
        Alone("Threshold", &FilterFx::Threshold, reference::Threshold,
              [](Random& r, const Bitmap&, const Bitmap*) {
                  return tuple(r.Chance(70) ? r.Between(-2, 257) : r.Position(300), r.Pixel());
              }),
        Reading("AddGrey", &FilterFx::AddGrey, reference::AddGrey, kNothing),
        Reading("AddGreyShifted", &FilterFx::AddGreyShifted, reference::AddGreyShifted,
                [](Random& r, const Bitmap&, const Bitmap*) {
                    return tuple(r.Chance(70) ? r.Between(0, 9) : Shift(r));
                }),
        // Two pictures of their own sizes; the scenes also combine the target with itself.
        {"Combine",
         [](Random& r, Bitmap& t, const Bitmap* s, Bitmap& e) {
             int32_t w, h;
             PickSize(r, w, h);
             const Bitmap other = RandomBitmap(r, w, h);
             const CombineOp op = static_cast<CombineOp>(r.Between(-1, 6));
             const bool self = r.Chance(25);
             On<FilterFx>(t).Combine(self ? &t : s, &other, op),
                 reference::Combine(e, self ? &e : s, &other, op);
             return Args(op, self, w, h);
         }},
    };
    ExpectSameAsReference(cases, 1, 16);
    // The tables of a fresh PatternFx.
    const PatternFx fresh;
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(fresh.sine[i], reference::SharedTables().sine[i]) << i;
        EXPECT_EQ(fresh.cosine[i], reference::SharedTables().cosine[i]) << i;
    }
}
