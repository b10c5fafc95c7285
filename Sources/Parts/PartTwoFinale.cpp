// Part two's finale, effect time 520 to 810: movie stills, the final countdown, the head bursts,
// the closing pictures and the credits. One guarded step per scene, effect-time range first, in
// painting order. From 810 on nothing is drawn and the canvas keeps its last picture.
#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Parts/PartTwo.h"
#include "Parts/SceneMath.h"

#include <cmath>

namespace {

// One burst's four groups of ten heads: where they start and how far they fly by the burst's end.
struct HeadGroup {
    int32_t first;  // index offset from the burst's base
    double centreX, centreY;
    double spreadX, spreadY;
};
constexpr HeadGroup kHeadGroups[] = {
    {40, 180, 200, 600, 400},
    {50, 380, 300, 500, 400},
    {60, 480, 100, 1100, 1100},
    {70, 80, 10, 700, 870},
};

}  // namespace

void PartTwo::DrawFinale(Bitmap* /*frame*/, float t) {
    if (During(t, 520, 580)) {  // 44: six movie stills, ten units each
        if (During(t, 520, 530)) blitter.CopyScreen(GetBitmap(movie1Guid));
        if (During(t, 530, 540)) blitter.CopyScreen(GetBitmap(movie2Guid));
        if (During(t, 540, 550)) blitter.CopyScreen(GetBitmap(movie3Guid));
        if (During(t, 550, 560)) blitter.CopyScreen(GetBitmap(movie4Guid));
        if (During(t, 560, 570)) blitter.CopyScreen(GetBitmap(movie5Guid));
        if (During(t, 570, 580)) blitter.CopyScreen(GetBitmap(movie6Guid));
    }
    if (During(t, 580, 600)) {  // 45: the final countdown, 0:07 down to 0:00
        const Bitmap* casino = GetBitmap(casinoviewGuid);
        const float c = static_cast<float>(7 - 0.35 * (t - 580.0));
        const int32_t n = Trunc(c);
        blitter.CopyScreen(GetBitmap(theevilmachineCounterGuid));
        DrawCounter(0, n);
        if (b0 > 0.3) filter.RotateRows(Trunc(b0 * 100.0));
        if (b2 > 0.3) filter.Threshold(Trunc(b2 * 50.0 + 128), 0xFFFFFF);  // the third band's one use
        if (b0 > 0.25) {
            blitter.SubtractKeyed(casino);
        } else {
            blitter.AddKeyed(casino);
        }
        DrawCounter(0, n);  // the digits again, on top
    }
    if (During(t, 600, 700)) {  // 46
        blitter.CopyScreen(GetBitmap(explosionBackgroundGuid));
        const double w = std::sin(10.0 * t);
        if (w > 0) filter.Threshold(Trunc(w * 80 + 40), 0xFFFFFF);
    }
    // 47: twenty bursts of five units each from 600; each call draws only inside its own range.
    for (int32_t k = 600; k <= 695; k += 5)
        HeadBurst(static_cast<float>(k), static_cast<float>(k + 5), k % 120, t);
    if (During(t, 700, 770)) {  // 48: seven closing stills
        if (During(t, 700, 710)) blitter.CopyScreen(GetBitmap(fin01Guid));
        if (During(t, 710, 720)) blitter.CopyScreen(GetBitmap(fin02Guid));
        if (During(t, 720, 730)) blitter.CopyScreen(GetBitmap(fin03Guid));
        if (During(t, 730, 740)) blitter.CopyScreen(GetBitmap(fin04Guid));
        if (During(t, 740, 750)) blitter.CopyScreen(GetBitmap(fin05Guid));
        if (During(t, 750, 760)) blitter.CopyScreen(GetBitmap(fin06Guid));
        if (During(t, 760, 770)) blitter.CopyScreen(GetBitmap(fin07Guid));
    }
    if (During(t, 770, 800)) {  // 49: three pictures on black
        if (During(t, 770, 780)) {
            blitter.Clear(0);
            blitter.Draw(GetBitmap(fin08Guid), 244, 177);
        }
        if (During(t, 780, 790)) {
            blitter.Clear(0);
            blitter.Draw(GetBitmap(fin09Guid), 245, 173);
        }
        if (During(t, 790, 800)) {
            blitter.Clear(0);
            blitter.Draw(GetBitmap(fin10Guid), 273, 229);
        }
    }
    if (During(t, 800, 805)) blitter.CopyScreen(GetBitmap(creditsGuid));  // 50
    if (During(t, 805, 810)) {                                            // 51
        blitter.Clear(0);
        blitter.Draw(GetBitmap(fin11Guid), 187, 216);
    }
}

// Forty heads fly out from four centres along their table directions: odd indices show one
// character, even ones the other. Indices outside the tables are skipped.
void PartTwo::HeadBurst(float t0, float t1, int32_t base, float t) {
    if (t < t0 || t >= t1) return;
    const float g =
        t1 == t0 ? 0.0f : static_cast<float>((t - static_cast<double>(t0)) / (t1 - static_cast<double>(t0)));
    for (const HeadGroup& group : kHeadGroups) {
        for (int32_t n = 0; n < 10; ++n) {
            const int64_t index = static_cast<int64_t>(base) + group.first + n;
            if (index < 0 || index >= kPartTwoTableSize) continue;
            const auto i = static_cast<int32_t>(index);
            const int32_t variant = tables.burstHead[i];
            if (variant < 0 || variant > 2) continue;
            const int32_t guid = i % 2 != 0 ? headAGuids[variant] : headBGuids[variant];
            const int32_t x =
                Trunc(static_cast<double>(g) * tables.burstDir[0][i] * group.spreadX + group.centreX);
            const int32_t y =
                Trunc(static_cast<double>(g) * tables.burstDir[1][i] * group.spreadY + group.centreY);
            blitter.Draw(GetBitmap(guid), x, y);
        }
    }
    // The levels read again here equal the frame's b0 and b1.
    const float level0 = BandValue(0);
    const float level1 = BandValue(1);
    if (std::sin(2.0 * t) < 0) filter.RotateRows(Trunc(level1 * 400.0));
    if (level0 > 0.3) noise.SubtractRowNoise(level0);
    if (level1 > 0.1) blitter.CopyKeyed(GetBitmap(explosionZembraboomGuid));
}
