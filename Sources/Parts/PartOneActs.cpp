// Part one's timeline. Each act is a list of guarded steps in painting order: later steps cover
// earlier ones. Every step reads: effect-time range first, then its beat condition, then what it
// draws. Ranges are half-open and beat tests strict (a level of exactly 0.5 is not above 0.5).
#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Parts/PartOne.h"
#include "Parts/SceneMath.h"
#include "Utils/Platform.h"

#include <cmath>

// The mountain over a panning fresco, bombs, the rising logo, captions and light flashes.
// b0 and b1 are read afresh at each use; ms is the wall clock, read afresh for each coordinate.
void PartOne::DrawActOne(float fx) {
    auto b0 = [this] { return BandValue(0); };
    auto b1 = [this] { return BandValue(1); };
    const Bitmap* logo = GetBitmap(spriteElephantLogoGuid);

    if (During(fx, 0, 100)) {  // 1, 1': the fresco pans; the beat swaps in its zoomed copy
        if (b0() > 0.3) {
            const uint32_t msY = platform::Ticks();
            const int32_t y = Trunc(std::fabs(std::cos(msY * 0.0002)) * 127);
            const uint32_t msX = platform::Ticks();
            const int32_t x = Trunc(std::fabs(std::sin(msX * 0.001)) * 383);
            pattern.CopyWindow(GetBitmap(fresqueWeirdGuid), x, y);
        } else {
            const uint32_t msY = platform::Ticks();
            const int32_t y = Trunc(std::fabs(std::sin(msY * 0.0002)) * 127);
            const uint32_t msX = platform::Ticks();
            const int32_t x = Trunc(std::fabs(std::cos(msX * 0.001)) * 383);
            pattern.CopyWindow(GetBitmap(fresqueWeirdZoomGuid), x, y);
        }
    }
    if (During(fx, 40, 60)) DrawBombs(smallBombs, GetBitmap(bombesmallGuid), (fx - 40.0) * 0.05);  // 2
    if (During(fx, 50, 55) || During(fx, 75, 85)) noise.Bars(b0());                                // 3
    if (During(fx, 70, 80)) blitter.Draw(logo, 260, Trunc((fx - 70.0) * -18 + 124));               // 4
    if (During(fx, 80, 85)) blitter.Draw(logo, 260, -56);                                          // 5
    if (During(fx, 85, 100)) blitter.Draw(logo, 260, Trunc(std::sin(fx - 85.0) * 30 - 56));        // 6
    if (During(fx, 0, 50)) {                                                                       // 7
        blitter.CopyKeyed(GetBitmap(b0() > 0.5 ? zembramountDarkGuid : zembramountLightGuid));
    }
    if (During(fx, 50, 60)) blitter.CopyKeyed(GetBitmap(zembramountLightGuid));             // 8
    if (During(fx, 60, 100)) blitter.CopyKeyed(GetBitmap(zembramountToplessGuid));          // 9
    if (During(fx, 40, 60)) DrawBombs(bigBombs, GetBitmap(bombeGuid), (fx - 40.0) * 0.05);  // 10
    if (During(fx, 70, 80)) DrawBombs(bigBombs, GetBitmap(bombeGuid), (fx - 70.0) * 0.1);   // 11
    if (During(fx, 50, 55) || During(fx, 59, 61) || During(fx, 70, 71)) {                   // 12
        filter.AddGrey(GetBitmap(cervinexplosionGuid));
    }
    if (During(fx, 55, 100))
        filter.AddGreyShifted(GetBitmap(cervinexplosionGuid), Trunc(2.0 * b0() + 1));  // 13
    if (During(fx, 30, 60)) {                                                          // 14, 14'
        if (b0() > 0.5) {
            filter.AddGrey(GetBitmap(cervinglow2Guid));
        } else if (b0() > 0.4) {
            filter.AddGrey(GetBitmap(cervinglowGuid));
        }
    }
    if (During(fx, 60, 70)) blitter.CopyKeyed(GetBitmap(zembravaleGuid));                           // 15
    if (During(fx, 70, 90) && b1() > 0.3) blitter.CopyKeyed(GetBitmap(zembravaleGuid));             // 16
    if (During(fx, 90, 100)) blitter.Draw(GetBitmap(zembravaleGuid), Trunc((fx - 90.0) * -40), 0);  // 17
    if (During(fx, 20, 30)) blitter.Draw(GetBitmap(thematterhornGuid), 67, 157);                    // 18
    if (During(fx, 30, 40)) blitter.Draw(GetBitmap(youarewrongsirGuid), 172, 310);                  // 19
    if (During(fx, 40, 60)) blitter.Draw(GetBitmap(thezembramountpicturesGuid), 85, 208);           // 20
    if (During(fx, 50, 60)) blitter.Draw(GetBitmap(proudlypresentGuid), 249, 390);                  // 21
}

// Zoom jumps, the cry for help, the blown-off summit, rings and glows, the agent and the villains.
void PartOne::DrawActTwo(float fx) {
    if (!During(fx, 100, 200)) return;
    auto b0 = [this] { return BandValue(0); };
    auto b1 = [this] { return BandValue(1); };
    const Bitmap* logo = GetBitmap(spriteElephantLogoGuid);
    const Bitmap* topless = GetBitmap(zembramountToplessGuid);
    const Bitmap* agent = GetBitmap(agentZembrabackGuid);
    const Bitmap* villains = GetBitmap(rerevidgersGuid);

    JumpZoom(moving.actTwo, agent);  // 1
    if (During(fx, 100, 110))
        blitter.Draw(GetBitmap(zembrahelpGuid), Trunc(Lerp(100, 110, 890, 157, fx)), -90);  // 2
    if (During(fx, 110, 120))
        blitter.Draw(GetBitmap(zembrahelpGuid), Trunc(Lerp(110, 120, 157, -540, fx)), -90);  // 3
    if (During(fx, 100, 110)) {                                                              // 4
        blitter.Draw(logo, 260, -6);
        blitter.CopyKeyed(topless);
    }
    if (During(fx, 110, 120)) {  // 5
        blitter.Draw(logo, Trunc(Lerp(110, 120, 260, -513, fx)), -6);
        blitter.CopyKeyed(topless);
    }
    if (During(fx, 100, 108)) {  // 6
        blitter.Draw(GetBitmap(zembramobileGuid), Trunc(Lerp(100, 108, 740, 0, fx)),
                     Trunc(Lerp(100, 108, -205, 480, fx)));
    }
    if (During(fx, 120, 200)) {  // 7, 7'
        if (b1() > 0.3) {
            blitter.CopyKeyed(topless);
            pattern.Rings(320, 120, 0x000000, Trunc(b1() * 512.0));  // black rings pushed in by the beat
        } else {
            blitter.CopyKeyed(GetBitmap(zembramountDarkGuid));
        }
    }
    if (During(fx, 100, 102)) filter.AddGrey(GetBitmap(cervinexplosion2Guid));  // 8
    if (During(fx, 102, 105)) {                                                 // 9: shift 1 or 2 at random
        filter.AddGreyShifted(GetBitmap(cervinexplosion2Guid), Trunc(2.0 * RandomFraction() + 1));
    }
    if (During(fx, 110, 112)) filter.AddGrey(GetBitmap(cervinexplosionGuid));  // 10
    if (During(fx, 140, 160) && b0() > 0.3) filter.Threshold(128, 0xFFFFFF);   // 11
    if (During(fx, 160, 200)) {                                                // 12, 12'
        if (b1() > 0.3) {
            filter.AddGrey(GetBitmap(cervinglow2Guid));
        } else if (b1() > 0.2) {
            filter.AddGrey(GetBitmap(cervinglowGuid));
        }
    }
    if (During(fx, 120, 140) && (fx <= 130 || b0() > 0.1)) blitter.CopyKeyed(agent);          // 13
    if (During(fx, 140, 150)) blitter.Draw(agent, 0, Trunc(Lerp(140, 150, 0, 300, fx)));      // 14
    if (During(fx, 160, 170)) blitter.Draw(villains, Trunc(Lerp(160, 170, -400, 0, fx)), 0);  // 15
    if (During(fx, 170, 180)) blitter.CopyKeyed(villains);                                    // 16
    if (During(fx, 180, 190)) blitter.Draw(villains, 0, Trunc(Lerp(180, 190, 0, 300, fx)));   // 17
}

// Warped rings, the swaying villain, the dance, bombers, parachuting cows and the evil plan.
// b0, b1 and the wall seconds w are read once, at the start of the act.
void PartOne::DrawActThree(float fx) {
    if (!During(fx, 200, 300)) return;
    const float b0 = BandValue(0);
    const float b1 = BandValue(1);
    const float w = platform::WallSeconds();
    const Bitmap* villain = GetBitmap(vuvizarodazGuid);
    const Bitmap* helmet = GetBitmap(helmetGuid);
    const Bitmap* evilPlan = GetBitmap(vuvizarodazEvilplanGuid);
    const int32_t phase = Trunc(w * 100.0);
    const uint32_t lateColour = b1 > 0.5 ? 0x000000 : 0xFFFFFF;

    JumpZoom(moving.actThree, GetBitmap(agentZembrabackGuid));  // 1
    if (During(fx, 200, 220))
        blitter.Draw(GetBitmap(zembramountLightGuid), 0, Trunc(Lerp(200, 220, 0, 480, fx)));  // 2
    if (During(fx, 200, 250)) {                                                               // 3
        pattern.WarpedRings2(320, 120, b1 > 0.3 ? 0x000000 : 0xFFFFFF, phase, 0, Trunc(b1 * 4.0 - 2),
                             Trunc(b0 * 4.0 - 2), 9, 9);
    }
    if (During(fx, 250, 280)) pattern.WarpedRings(320, 120, lateColour, phase, Trunc(b0 * 20.0), 9, 9);  // 4
    if (During(fx, 280, 300)) {                                                                          // 5
        pattern.WarpedRings(320, 120, lateColour, phase, Trunc(b0 * 20.0), Trunc(b0 * 5.0 + 9),
                            Trunc(9 - b1 * 3.0));
    }
    if (During(fx, 210, 230)) {  // 6: two full swings about x = 215
        blitter.Draw(villain, Trunc(std::sin(static_cast<double>(Lerp(210, 230, 0, 12.56f, fx))) * 45 + 215),
                     Trunc(Lerp(210, 230, 480, 25, fx)));
    }
    if (During(fx, 250, 270)) DrawBombers(Lerp(250, 270, 0, 1, fx));  // 7
    if (During(fx, 230, 260)) {                                       // 8: the dance
        const int32_t bob = Trunc(std::sin(w * 15.0) * 15 + 120);
        if (std::sin(static_cast<double>(fx)) > 0) {
            blitter.Draw(GetBitmap(dancerLeftGuid), 180, 240);
            blitter.Draw(GetBitmap(dancerRightGuid), 330, bob);
        } else {
            blitter.DrawMirrored(GetBitmap(dancerLeftGuid), 350, 240);
            blitter.DrawMirrored(GetBitmap(dancerRightGuid), 150, bob);
        }
        if (std::cos(static_cast<double>(fx)) > 0) {
            blitter.Draw(villain, 215, 25);
        } else {
            blitter.DrawMirrored(villain, 215, 25);
        }
    }
    if (During(fx, 260, 265)) blitter.Draw(villain, 215, Trunc(Lerp(260, 265, 25, 600, fx)));  // 9
    if (During(fx, 265, 270)) {                                                                // 10
        blitter.Draw(villain, 215, Trunc(Lerp(265, 270, 600, 200, fx)));
        blitter.Draw(helmet, 215, Trunc(Lerp(265, 270, 595, 195, fx)));
    }
    if (During(fx, 260, 270)) {  // 11
        const Bitmap* bomber = GetBitmap(b29BigGuid);
        if (bomber != nullptr) {
            blitter.DrawScaled(bomber, Trunc(Lerp(260, 270, 640, -1200, fx)), 0, bomber->width * 4,
                               bomber->height * 4);
        }
    }
    if (During(fx, 270, 290)) DrawParachutes(Lerp(270, 290, 0, 1, fx));  // 12
    if (During(fx, 270, 290)) {                                          // 13
        blitter.Draw(villain, 215, 200);
        blitter.Draw(helmet, 215, 195);
    }
    if (During(fx, 290, 300)) {  // 14
        blitter.Draw(villain, 215, Trunc(Lerp(290, 300, 200, 600, fx)));
        blitter.Draw(helmet, 215, Trunc(Lerp(290, 300, 195, 605, fx)));
    }
    if (During(fx, 230, 235) && evilPlan != nullptr) {  // 15: 12x down to 1x
        const double s = Lerp(230, 235, 12, 1, fx);
        blitter.DrawScaled(evilPlan, 315, 260, Trunc(evilPlan->width * s), Trunc(evilPlan->height * s));
    }
    if (During(fx, 235, 260)) blitter.Draw(evilPlan, 315, 260);                                // 16
    if (During(fx, 240, 260)) blitter.Draw(GetBitmap(vuvizarodazLetTheRerevidGuid), 25, 220);  // 17
}
