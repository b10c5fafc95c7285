// Part two's casino scenes, effect time 150 to 300: the lighthouse beams, wave bands, the casino
// and lady flashes, the slot machines, the swirl and the dollar rain. One guarded step per block
// in painting order: effect-time range first (half-open, except the two flashes, which include
// their last time), then its beat condition, then what it draws. Beat tests are strict.
#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Parts/PartTwo.h"
#include "Parts/SceneMath.h"

#include <algorithm>
#include <cmath>

namespace {

// fx in [from, to]: the two flashes keep their last frame.
bool DuringInclusive(float fx, double from, double to) {
    return fx >= from && fx <= to;
}

// The lighthouse beam is stretched from a fixed 464-pixel span and drawn 88 rows high at y = 60.
constexpr double kBeamSpan = 464;
constexpr int32_t kBeamTop = 60;
constexpr int32_t kBeamHeight = 88;

}  // namespace

// s, b0, b1 are the frame's wall seconds and levels, read once by DrawScenes.
void PartTwo::DrawCasino(Bitmap* frame, float t) {
    const double ft = t;

    if (During(t, 150, 200)) {  // 16: two beams breathing between 1 and 465 wide, centred on x = 141 and 436
        blitter.CopyScreen(GetBitmap(tajPhareFullscreenCasinoGuid));
        const double a = (ft - 150) * 0.41866669;  // one turn of 6.28 every 15 units
        const float w1 = static_cast<float>(std::fabs(std::sin(a)) * kBeamSpan + 1);
        const float w2 = static_cast<float>(std::fabs(std::sin(a + 0.707)) * kBeamSpan + 1);
        // The second pass of a beam brightens one already drawn: it needs the first beat as well.
        if (b0 > 0.25) {
            const int32_t x = Trunc((kBeamSpan - w1) * 0.5 - 91);
            blitter.DrawScaledAdditive(GetBitmap(phareGuid), x, kBeamTop, Trunc(w1), kBeamHeight);
            if (b1 > 0.25)
                blitter.DrawScaledAdditive(GetBitmap(phareGuid), x, kBeamTop, Trunc(w1), kBeamHeight);
        }
        if (t >= 160 && b0 > 0.35) {
            const int32_t x = Trunc((kBeamSpan - w2) * 0.5 + 204);
            blitter.DrawScaledAdditive(GetBitmap(phareGuid), x, kBeamTop, Trunc(w2), kBeamHeight);
            if (b1 > 0.2)
                blitter.DrawScaledAdditive(GetBitmap(phareGuid), x, kBeamTop, Trunc(w2), kBeamHeight);
        }
        if (b0 > 0.3) {
            if (std::sin(ft) > 0) {
                blitter.AddScreenMono(GetBitmap(tajPhareFullscreenCasinoGuid));
            } else {
                blitter.AddScreen(GetBitmap(casinoviewGuid));
            }
        }
    }
    if (During(t, 150, 200)) {  // 17: five bands at random rows, one new random value each
        const int32_t amplitude = Trunc(b0 * 30.0);
        for (int pass = 0; pass < 5; ++pass) {
            const double q = RandomFraction() * static_cast<double>(b0);
            filter.WaveBlur(Trunc(400 * q), Trunc(400 * q + 50), amplitude);
        }
    }
    if (DuringInclusive(t, 160, 180)) {  // 18: the casino, then added or subtracted on the beat
        if (t < 170) {
            blitter.CopyKeyed(GetBitmap(casinoGuid));
        } else if (b0 > 0.1) {
            blitter.AddKeyed(GetBitmap(casinoGuid));
        } else {
            blitter.SubtractKeyed(GetBitmap(casinoGuid));
        }
    }
    if (DuringInclusive(t, 180, 200)) {  // 19: the lady, then copied or subtracted on the beat
        if (t < 190 || b0 > 0.1) {
            blitter.CopyKeyed(GetBitmap(ladyRoupiesGuid));
        } else {
            blitter.SubtractKeyed(GetBitmap(ladyRoupiesGuid));
        }
    }
    if (During(t, 160, 200)) {  // 20: the photograph as an OR mask; the outer rings of a sweep far right
        if (b0 > 0.3) filter.Combine(frame, GetBitmap(tajPhareFullscreenCasinoGuid), CombineOr);
        if (b1 > 0.3) pattern.WarpedRings2(Trunc(320 + 10 * (ft - 100)), 240, 0x000000, 4, 3, 6, 3, 7, 6);
    }
    if (During(t, 200, 290)) {  // 21: the casino interior, brightened on the beat
        blitter.CopyScreen(GetBitmap(casinoviewGuid));
        if (b0 > 0.3) blitter.AddScreen(GetBitmap(casinoviewGuid));
        if (b1 > 0.3 && std::sin(ft) > 0) blitter.AddScreen(GetBitmap(tajPhareFullscreenCasinoGuid));
    }
    if (During(t, 200,
               220)) {  // 22: three slot machines rise from the bottom edge; the beat pushes them down
        const Bitmap* machine = GetBitmap(casinoMachineASouGuid);
        if (machine != nullptr) {
            const double w = machine->width;
            const double h = machine->height;
            const float rise = static_cast<float>(h + 480 - 0.05 * h * (ft - 200));
            const float push = static_cast<float>(100.0 * b0);
            for (int32_t i = 0; i < 3; ++i) {
                blitter.Draw(machine, Trunc(w * i), Trunc(rise - h + push));
            }
        }
    }
    if (During(t, 220, 280)) {  // 23: the machines stand on the bottom edge and pump with the beat
        const Bitmap* machine = GetBitmap(casinoMachineASouGuid);
        if (machine != nullptr) {
            const double w = machine->width;
            const double h = machine->height;
            const float push = static_cast<float>(100.0 * b0);
            for (int32_t i = 0; i < 3; ++i) {
                const int32_t y = Trunc(480 - h + push);
                blitter.Draw(machine, Trunc(w * i), y);
                if (b0 > 0.25) {
                    blitter.DrawScaledAdditive(machine, Trunc(w * i + 50.0 * b1), y, machine->width,
                                               Trunc(h + 60.0 * b0));
                }
            }
        }
    }
    if (During(t, 290, 300)) {  // 24: the swirl, its ring centre circling the screen once in 2.5 units
        const float p = static_cast<float>((ft - 290) * 2.512);
        blitter.CopyScreen(GetBitmap(casinoviewGuid));
        if (b0 > 0.25) blitter.AddScreen(GetBitmap(casinoviewGuid));
        if (b1 > 0.25 && std::sin(ft) > 0) blitter.AddScreen(GetBitmap(casinoviewGuid));
        filter.RotateRows(Trunc(b0 * 100.0));
        pattern.WarpedRings2(Trunc(320 * (std::sin(static_cast<double>(p)) + 1)),
                             Trunc(240 * (std::cos(static_cast<double>(p)) + 1)), 0xFF9C01, Trunc(10.0 * b0),
                             Trunc(20.0 * b1), 6, 6, 10, 10);
    }
    if (During(t, 250, 300)) DrawDollarRain(t);  // 25
    // The machine scenes (300 to 520) follow in their own list.
}

// 25: up to 200 dollars at their fixed start positions, shaken along (u, v) and sized by the
// beat: the count swells from 0 at 250 to 200 at 290 and ebbs back to 0 at 300.
void PartTwo::DrawDollarRain(float t) {
    const double ft = t;
    const int32_t swell = ft <= 290 ? Trunc(5 * (ft - 250)) : Trunc(200 - 20 * (ft - 290));
    const int32_t count = std::clamp(swell, 0, kPartTwoTableSize);
    const double a1 = static_cast<float>(std::fabs(std::sin(static_cast<double>(b0))));
    const double a2 = static_cast<float>(std::fabs(std::cos(static_cast<double>(b0))));
    const double a3 = static_cast<float>(std::fabs(std::cos(b1 + 3.0)));
    const Bitmap* dollars[5] = {GetBitmap(spriteDollar01Guid), GetBitmap(spriteDollar02Guid),
                                GetBitmap(spriteDollar03Guid), GetBitmap(spriteDollar04Guid),
                                GetBitmap(spriteDollar05Guid)};
    // Per i mod 8: which picture, and its scale. The last three reuse the fifth picture.
    const int pictureOf[8] = {0, 1, 2, 3, 4, 4, 4, 4};
    const double scaleOf[8] = {0.5 * a1 + 0.3, 0.7 * a2 + 0.2, 0.5 * a3 + 0.3, a1 + 0.5,
                               b1 + 0.5,       a2 + 0.5,       a2 + 0.5,       a2 + 0.5};
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = Trunc(tables.spritePos[0][i] + 120.0 * b1 * tables.spriteJitter[0][i]);
        const int32_t y = Trunc(tables.spritePos[1][i] + 120.0 * b1 * tables.spriteJitter[1][i]);
        const Bitmap* dollar = dollars[pictureOf[i % 8]];
        if (dollar == nullptr) continue;
        const double k = scaleOf[i % 8];
        blitter.DrawScaled(dollar, x, y, Trunc(dollar->width * k), Trunc(dollar->height * k));
    }
    if (b0 > 0.25) filter.Threshold(Trunc(b0 * 100.0 + 128), 0x000000);
}
