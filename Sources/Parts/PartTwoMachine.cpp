// Part two's machine scenes, effect time 300 to 520: the evil machine, the counter, the wire, the
// western set, the pliers and the burn-out. One guarded step per scene, effect-time range first, in
// painting order: steps whose ranges overlap all draw, later ones over earlier ones. Ranges are
// half-open and beat tests strict (a level of exactly 0.5 is not above 0.5).
#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Parts/PartTwo.h"
#include "Parts/SceneMath.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kOrange = 0xFF9C01;
constexpr uint32_t kWireRed = 0xDD1200;
constexpr uint32_t kWireGreen = 0x12DD00;

// The defuse rings turn once per 7.5 units from t = 370 on; the pliers' rings keep that phase.
float DefusePhase(float t) {
    return static_cast<float>((t - 370.0) * 0.83733338);
}

// The counter burns out through the glow mask: a pixel goes black (key byte kept) where the mask's
// blue at the same index is below the level. Only the indices both pictures hold are tested, so a
// small or empty mask leaves the rest of the frame as it is.
void BurnOut(Bitmap* canvas, const Bitmap* mask, int32_t level) {
    if (canvas == nullptr || mask == nullptr) return;
    const int32_t count = std::min(canvas->size, mask->size);
    uint32_t* pixel = canvas->pixels;
    const uint32_t* glow = mask->pixels;
    for (int32_t i = 0; i < count; ++i) {
        if (static_cast<int32_t>(glow[i] & 0xFF) < level) pixel[i] &= 0xFF000000u;
    }
}

}  // namespace

void PartTwo::DrawMachine(Bitmap* frame, float t) {
    if (!During(t, 300, 520)) return;  // every step below lies inside; no picture is looked up outside
    const Bitmap* casino = GetBitmap(casinoviewGuid);
    const Bitmap* machine = GetBitmap(theevilmachineGuid);
    const Bitmap* counter = GetBitmap(theevilmachineCounterGuid);
    const Bitmap* western = GetBitmap(alamoCroonerCowboyBackgroundGuid);
    const Bitmap* figures = GetBitmap(alamoCroonerCowboyGuid);
    const Bitmap* pliers = GetBitmap(pinceAloneGuid);
    const Bitmap* noSwiss = GetBitmap(noswissGuid);

    if (During(t, 300, 320)) {  // 26: the ring centre spirals in from the edge, one turn per 5 units
        const float q = static_cast<float>(1.256 * (t - 300.0));
        const float r = static_cast<float>(1 - 0.05 * (t - 300.0));
        blitter.CopyScreen(casino);
        filter.RotateRows(Trunc(b0 * 100.0));
        pattern.WarpedRings2(Trunc(320 * (1 + r * std::sin(static_cast<double>(q)))),
                             Trunc(240 * (1 + r * std::cos(static_cast<double>(q)))), kOrange,
                             Trunc(10.0 * b0), Trunc(20.0 * b1), Trunc(4.0 * b0 + 6), 6, 10, 10);
        blitter.CopyKeyed(machine);
    }
    if (During(t, 320, 350)) {  // 27: the machine pulses, echoed in four quarters on the beat
        blitter.CopyScreen(casino);
        pattern.WarpedRings2(320, 240, kOrange, Trunc(10.0 * b0), Trunc(20.0 * b1), Trunc(4.0 * b0 + 6),
                             Trunc(12.0 * b0 + 3), Trunc(12.0 * b1 + 3), 10);
        if (b1 > 0.25) {
            blitter.DrawScaledAdditive(machine, 0, 0, 320, 240);
            blitter.DrawScaledAdditive(machine, 320, 0, 320, 240);
            blitter.DrawScaledAdditive(machine, 0, 240, 320, 240);
            blitter.DrawScaledAdditive(machine, 320, 240, 320, 240);
        }
        blitter.CopyKeyed(machine);
    }
    if (During(t, 310, 350) && b0 > 0.5) {  // 28: five wave bands at random heights, one draw each
        const int32_t amplitude = Trunc(b0 * 30.0);
        for (int pass = 0; pass < 5; ++pass) {
            const double q = RandomFraction() * static_cast<double>(b0);
            filter.WaveBlur(Trunc(400 * q), Trunc(400 * q + 50), amplitude);
        }
    }
    if (During(t, 330, 350)) blitter.Draw(GetBitmap(evilmachineGuid), 364, 308);  // 29
    if (During(t, 350, 360)) {  // 30: the countdown, 0:30 down to 0:20
        const float c = static_cast<float>(30 - (t - 350.0));
        blitter.CopyScreen(counter);
        DrawCounter(0, Trunc(c));
        if (b1 > 0.3) filter.RotateRows(Trunc(b1 * 300.0));
        if (b1 > 0.5) filter.Threshold(Trunc(b1 * 100.0 + 128), 0xFF0000);
        if (b0 > 0.3) noise.AddRowNoise(b1);
    }
    if (During(t, 360, 370)) {  // 31: 0:20 down to 0:18, then the counter runs wild from 24:63
        const double d = t - 360.0;
        const int32_t k = Trunc(2 * d + 20);
        const float c = static_cast<float>(20 - d);
        blitter.CopyScreen(counter);
        if (t < 362) {
            DrawCounter(0, Trunc(c));
        } else {
            DrawCounter(k, k + 39);
            blitter.Draw(noSwiss, 70, 330);
        }
        if (b1 > 0.3) filter.RotateRows(Trunc(b1 * 300.0));
        if (b1 > 0.5) filter.Threshold(Trunc(b1 * 100.0 + 128), 0);
        if (b0 > 0.3) filter.AddGrey(counter);
        if (t > 362) blitter.Draw(noSwiss, 70, 330);  // again over the effects; not at 362 itself
        noise.AddRowNoise(b0);
    }
    if (During(t, 370, 400)) {  // 32: the worker at the machine, three defuse captions
        const float p = DefusePhase(t);
        const uint32_t rings = std::sin(static_cast<double>(t)) > 0 ? kWireRed : kWireGreen;
        blitter.CopyScreen(casino);
        filter.RotateRows(Trunc(b0 * 100.0));
        pattern.WarpedRings2(Trunc(320 * (std::sin(static_cast<double>(p)) + 1)),
                             Trunc(240 * (std::cos(static_cast<double>(p)) + 1)), rings, Trunc(10.0 * b0),
                             Trunc(20.0 * b1), 12, 12, 7, 7);
        blitter.Draw(machine, 0, 120);
        blitter.CopyKeyed(GetBitmap(zembravaleWorkerGuid));
        if (t < 380) blitter.Draw(GetBitmap(defuse1Guid), 240, 210);
        if (t >= 390) {  // the machine stretched over everything
            filter.RotateRows(Trunc(b0 * 300.0));
            if (b0 > 0.5) filter.Threshold(Trunc(b0 * 50.0), 0);
            blitter.DrawScaledAdditive(machine, Trunc(50.0 * b0), Trunc(120 + 50.0 * b0),
                                       Trunc(640 + 40.0 * b1), 480);
        }
        if (t >= 380 && t < 390) blitter.Draw(GetBitmap(defuse2Guid), 126, 164);
        if (t >= 390) blitter.Draw(GetBitmap(fuckingwireGuid), 229, 101);
    }
    if (During(t, 400, 420)) {  // 33: red or green, on black; a wave of exactly 0 picks green
        blitter.Clear(0);
        if (std::sin(4.0 * t) > 0) {
            blitter.Draw(GetBitmap(theredGuid), 151, 195);
        } else {
            blitter.Draw(GetBitmap(thegreenGuid), 88, 163);
        }
        if (b0 > 0.5) filter.RotateRows(Trunc(b0 * 40.0));
    }
    if (During(t, 420, 430)) {  // 34
        blitter.Clear(0);
        blitter.Draw(GetBitmap(alamoIntroGuid), 300, 292);
    }
    if (During(t, 430, 450)) {  // 35: the western set fades in from black
        blitter.CopyScreen(western);
        blitter.Darken(Trunc(255 - 12.75 * (t - 430.0)));
    }
    if (During(t, 450, 470)) {  // 36: weight 1 keeps the background, 0 shows the figures
        blitter.CopyScreen(western);
        blitter.BlendKeyed(figures, static_cast<float>(1 - 0.05 * (t - 450.0)));
    }
    if (During(t, 470, 490)) {  // 37
        blitter.CopyScreen(western);
        blitter.CopyKeyed(figures);
    }
    if (During(t, 490, 500)) {  // 38: and fades out to black
        blitter.CopyScreen(western);
        blitter.CopyKeyed(figures);
        blitter.Darken(Trunc(25.5 * (t - 490.0)));
    }
    if (During(t, 500, 505)) {  // 39: the countdown resumes, 0:13 down to 0:08, a band runs down
        const float e = static_cast<float>(t - 500.0);
        blitter.CopyScreen(counter);
        if (b0 > 0.25) blitter.AddScreenMono(counter);
        DrawCounter(0, Trunc(13.0 - e));
        if (b1 > 0.255) filter.WaveBlur(Trunc(80.0 * e), Trunc(80.0 * e) + 70, Trunc((b0 + 1.0) * 20));
        if (b0 > 0.3) noise.AddRowNoise(b1);
        if (b1 > 0.3) filter.RotateRows(Trunc(b1 * 300.0));
        if (b1 > 0.5) filter.Threshold(Trunc(b1 * 100.0 + 128), 0xFF0000);
    }
    if (During(t, 505, 510)) {  // 40: the pliers, rings flickering red and green
        const float p = DefusePhase(t);
        const uint32_t rings = std::sin(10.0 * t) > 0 ? kWireRed : kWireGreen;
        blitter.CopyScreen(casino);
        filter.RotateRows(Trunc(b0 * 100.0));
        pattern.WarpedRings2(Trunc(320 * (std::sin(static_cast<double>(p)) + 1)),
                             Trunc(240 * (std::cos(static_cast<double>(p)) + 1)), rings, Trunc(10.0 * b0),
                             Trunc(20.0 * b1), 12, 12, 7, 7);
        blitter.CopyKeyed(pliers);
    }
    if (During(t, 510, 515)) {  // 41: snap, the rings turn green and tight
        const float p = DefusePhase(t);
        blitter.CopyScreen(casino);
        filter.RotateRows(Trunc(b0 * 100.0));
        pattern.WarpedRings2(Trunc(320 * (std::sin(static_cast<double>(p)) + 1)),
                             Trunc(240 * (std::cos(static_cast<double>(p)) + 1)), kWireGreen,
                             Trunc(10.0 * b0), Trunc(20.0 * b1), 7, 7, 3, 3);
        blitter.CopyKeyed(pliers);
        blitter.Draw(GetBitmap(snapGuid), 84, 223);
    }
    if (During(t, 515, 516)) {  // 42: the counter stopped at 0:08
        blitter.CopyScreen(counter);
        DrawCounter(0, 8);
        if (b0 > 0.3) noise.SubtractRowNoise(b1);
        if (b1 > 0.3) filter.RotateRows(Trunc(b1 * 300.0));
    }
    if (During(t, 516, 520)) {  // 43: 0:07, then the burn-out through the glow mask
        blitter.CopyScreen(counter);
        DrawCounter(0, 7);
        if (b0 > 0.3) noise.AddRowNoise(b1);
        if (b1 > 0.3) filter.RotateRows(Trunc(b1 * 300.0));
        // Both constants are single-precision: 364.27936f is 255 / (520 - 519.3f), so the level
        // runs from 0 at 519.3f to 255 at 520.
        constexpr float kBurnStart = 519.3f;
        constexpr float kBurnRate = 364.27936f;
        if (t >= kBurnStart) {
            const int32_t level =
                Trunc((static_cast<double>(t) - kBurnStart) * static_cast<double>(kBurnRate));
            BurnOut(frame, GetBitmap(cervinglow2Guid), level);
        }
    }
}
