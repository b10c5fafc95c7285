// Part two's opening, effect time 0 to 150: the casino magnifier, rings, the walking figure with
// its captions, the ring sweeps and the random magnifier. One guarded step per block in painting
// order: effect-time range first (half-open), then its beat condition, then what it draws. Beat
// tests are strict: a level of exactly 0.3 is not above 0.3.
#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Parts/PartTwo.h"
#include "Parts/SceneMath.h"
#include "Utils/Platform.h"

#include <cmath>

namespace {

// The figure's own size is never consulted: its scaled copies start from this base.
constexpr double kFigureWidth = 364;
constexpr double kFigureHeight = 389;

}  // namespace

// s, b0, b1 are the frame's wall seconds and levels, read once by DrawScenes.
void PartTwo::DrawOpening(Bitmap* frame, float t) {
    const double ft = t;

    if (During(t, 0, 110)) {  // 1: the magnifier jumps at most once a frame, four times a wall second
        if (static_cast<double>(s) - moving.firstJump.lastJump > 0.25) {
            moving.firstJump.lastJump = s;
            moving.firstJump.index = (moving.firstJump.index + 2) % 10;
            moving.firstJump.count += 1;
        }
        const int32_t i = moving.firstJump.index;
        if (moving.firstJump.count % 2 != 0) {
            const Bitmap* source = b1 > 0.3 ? title : GetBitmap(tajPhareFullscreenCasinoGuid);
            pattern.Zoom4(source, zoomJumpTable[10 + i], zoomJumpTable[11 + i]);
        } else {
            pattern.Zoom8(GetBitmap(tajPhareFullscreenCasinoGuid), zoomJumpTable[i], zoomJumpTable[i + 1]);
        }
    }
    if (During(t, 0, 100)) {  // 2: white rings, black on strong beats, and a second set over them
        pattern.WarpedRings(320, 120, b1 > 0.4 ? 0x000000 : 0xFFFFFF, Trunc(s * 100.0), Trunc(b0 * 20.0),
                            Trunc(b0 * 5.0 + 9), Trunc(9 - 3.0 * b1));
        if (b1 > 0.4) {
            pattern.WarpedRings(320, 120, 0x3A5461, Trunc(s * 10.0), Trunc(b0 * 200.0),
                                Trunc(b0 * ft * 0.2 + 6), Trunc(12 - 6.0 * b1));
        }
    }
    if (During(t, 0, 20)) {  // 3: the figure rises from y = 480 to 91
        blitter.Draw(GetBitmap(vostelAloneGuid), 40, Trunc(869 - 19.45 * ft) - 389);
    }
    if (During(t, 20, 40)) {  // 4: five echoes standing on the bottom edge, closing in from 90 apart to 0
        const float spread = static_cast<float>(90 - 4.5 * (ft - 20));
        for (int32_t i = 0; i < 5; ++i) {
            const float u = static_cast<float>(std::fabs(std::sin(ft + 0.05 * i)) + 0.5);
            const float w = static_cast<float>(kFigureWidth * u);
            const float h = static_cast<float>(kFigureHeight * u);
            blitter.DrawScaled(GetBitmap(vostelAloneGuid), Trunc(40 + i * static_cast<double>(spread)),
                               Trunc(480 - static_cast<double>(h)), Trunc(w), Trunc(h));
        }
        blitter.Draw(GetBitmap(vostelAloneGuid), 40, 91);
    }
    if (During(t, 10, 40)) filter.Threshold(Trunc(b0 * 180.0 + 55), b1 > 0.5 ? 0x000000 : 0xFFFFFF);  // 5
    if (During(t, 40, 60)) {  // 6: noise bars, the figure, and the photograph as an AND mask on the beat
        noise.Bars(b0);
        blitter.Draw(GetBitmap(vostelAloneGuid), 40, 91);
        if (b0 > 0.25) filter.Combine(frame, GetBitmap(tajPhareFullscreenCasinoGuid), CombineAnd);
    }
    if (During(t, 60, 70)) {  // 7: the figure flickers on and off with sin(10 t)
        if (b0 > 0.25) filter.RotateRows(Trunc(b0 * 20.0));
        if (std::sin(10 * ft) > 0) blitter.Draw(GetBitmap(vostelAloneGuid), 40, 91);
        if (b1 > 0.5) filter.RotateRows(Trunc(b0 * 40.0));
    }
    if (During(t, 70, 90)) {  // 8
        blitter.Draw(GetBitmap(vostelAloneGuid), 40, 91);
        if (b1 > 0.25) filter.RotateRows(Trunc(b0 * 40.0));
    }
    if (During(t, 90, 100)) {  // 9: the figure sinks from y = 91 back to 480
        blitter.Draw(GetBitmap(vostelAloneGuid), 40, Trunc(480 - (389 - 38.9 * (ft - 90))));
    }
    if (During(t, 30, 50)) blitter.Draw(GetBitmap(vostel2Guid), 225, 300);  // 10
    if (During(t, 40, 60)) blitter.Draw(GetBitmap(vostel1Guid), 221, 185);  // 11
    if (During(t, 80, 100)) {  // 12: both captions pulse on the wall clock and slide left
        const float d = static_cast<float>(ft - 80);
        const double ks = std::sin(3.0 * s) + 1.5;
        const float kc = static_cast<float>(std::cos(3.0 * s) + 1.5);
        blitter.DrawScaled(GetBitmap(vostel1Guid), Trunc(static_cast<float>(221 - 6.05 * d)), 185,
                           Trunc(416 * ks), Trunc(131 * ks));
        blitter.DrawScaled(GetBitmap(vostel2Guid), Trunc(225 - 4.75 * d), 300, Trunc(311.0 * kc),
                           Trunc(129.0 * kc));
    }
    if (During(t, 100, 120)) {  // 13: the white sweep; block 14 covers it from 110 on
        pattern.WarpedRings2(Trunc(320 + 10 * (ft - 100)), 240, 0xFFFFFF, 4, 3, 6, 3, 7, 6);
        if (b0 > 0.8) filter.Combine(frame, GetBitmap(tajPhareFullscreenCasinoGuid), CombineAnd);
    }
    if (During(t, 110, 150)) {  // 14: the magnifier jumps to random corners; the corner is drawn x first
        if (static_cast<double>(s) - moving.secondJump.lastJump > 0.25) {
            moving.secondJump.lastJump = s;
            moving.secondJump.count += 1;
            moving.secondJump.x = platform::Rand() % 470;
            moving.secondJump.y = platform::Rand() % 350;
        }
        if (moving.secondJump.count % 2 != 0) {
            const int32_t photo = b1 > 0.35 ? tajPhareFullscreenCasinoGuid : casinoviewGuid;
            pattern.Zoom4(GetBitmap(photo), moving.secondJump.x, moving.secondJump.y);
        } else {
            blitter.CopyScreen(GetBitmap(casinoviewGuid));
        }
    }
    if (During(t, 110, 150)) {  // 15: the AND mask and the black sweep, each on its beat
        if (b0 > 0.4) filter.Combine(frame, GetBitmap(tajPhareFullscreenCasinoGuid), CombineAnd);
        if (b1 > 0.4) pattern.WarpedRings2(Trunc(320 + 10 * (ft - 100)), 240, 0x000000, 4, 3, 6, 3, 7, 6);
    }
}
