// Part one's scene object: construction, the frame entry and the effect helpers its acts use.
#include "Parts/PartOne.h"

#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Parts/SceneMath.h"
#include "Utils/Platform.h"

#include <cmath>

const int32_t zoomJumpTable[20] = {
    70,  220, 43,  291, 42,  351, 160, 382, 232, 372,  // Zoom8 corners
    192, 210, 169, 270, 327, 272, 146, 353, 308, 355,  // Zoom4 corners
};

PartOne::PartOne(const Bitmap* titlePicture) : title(titlePicture) {
    SpawnBombs(20, 40, 1.0f, 2.0f);
}

void PartOne::Render(Bitmap* canvas, float musicTime) {
    if (!InWindow(musicTime)) return;
    const float fx = FxTime(musicTime);
    blitter.target = noise.target = pattern.target = filter.target = canvas;
    DrawActOne(fx);
    DrawActTwo(fx);
    DrawActThree(fx);
    DebugTimeLine(fx);
}

// Every bomb starts on or above the top edge or beyond the right edge and flies down-left; the
// big ones 1.25 times as fast as the small ones for the same speed factor m (1 to 3). Each r is a
// fresh random fraction, drawn in exactly this order.
void PartOne::SpawnBombs(int bigCount, int smallCount, float base, float spread) {
    for (int i = 0; i < bigCount; ++i) {
        const double m = base + spread * static_cast<double>(RandomFraction());
        BombParticle bomb;
        bomb.vx = static_cast<float>(m * -660);
        bomb.vy = static_cast<float>(m * 450);
        if (RandomFraction() > 0.5) {
            bomb.x0 = Trunc(RandomFraction() * 640.0 + 100);
            bomb.y0 = Trunc(RandomFraction() * -150.0);
        } else {
            bomb.x0 = Trunc(RandomFraction() * 100.0 + 640);
            bomb.y0 = Trunc(RandomFraction() * 400.0 - 100);
        }
        bigBombs.push_back(bomb);
    }
    for (int i = 0; i < smallCount; ++i) {
        const double m = base + spread * static_cast<double>(RandomFraction());
        BombParticle bomb;
        bomb.vx = static_cast<float>(m * -528);
        bomb.vy = static_cast<float>(m * 360);
        if (RandomFraction() > 0.5) {
            bomb.x0 = Trunc(RandomFraction() * 440.0 + 200);
            bomb.y0 = Trunc(RandomFraction() * -220.0);
        } else {
            bomb.x0 = Trunc(RandomFraction() * 220.0 + 640);
            bomb.y0 = Trunc(RandomFraction() * 400.0);
        }
        smallBombs.push_back(bomb);
    }
}

void PartOne::DrawBombs(const std::vector<BombParticle>& bombs, const Bitmap* picture, double t) {
    for (const BombParticle& bomb : bombs) {
        blitter.Draw(picture, Trunc(t * bomb.vx + bomb.x0), Trunc(t * bomb.vy + bomb.y0));
    }
}

// Three formations fly from the upper right to the lower left as t goes from 0 to 1: twelve
// quarter-size bombers, five half-size, then five full-size ones over them.
void PartOne::DrawBombers(double t) {
    const Bitmap* bomber = GetBitmap(b29BigGuid);
    if (bomber == nullptr) return;
    const int32_t xa = Trunc(t * -1345 + 1090);
    const int32_t ya = Trunc(t * 300 - 100);
    const int32_t xb = Trunc(t * -1082 + 862);
    const int32_t yb = Trunc(t * 150 - 50);
    for (int i = 0; i < 12; ++i) {
        blitter.DrawScaled(bomber, xa - 10 - 45 * i, yb - 10 + 45 * i, bomber->width >> 2,
                           bomber->height >> 2);
    }
    for (int i = 0; i < 5; ++i) {
        blitter.DrawScaled(bomber, xb - 10 - 120 * i, yb - 10 + 120 * i, bomber->width >> 1,
                           bomber->height >> 1);
    }
    for (int i = 0; i < 5; ++i) blitter.Draw(bomber, xa - 90 * i, ya + 90 * i);
}

// Twenty cows under their parachutes; nearer (larger) cows fall faster. Angles are in radians.
void PartOne::DrawParachutes(double t) {
    const Bitmap* parachute = GetBitmap(parachuteGuid);
    const Bitmap* cow = GetBitmap(sacredCowGuid);
    if (parachute == nullptr || cow == nullptr) return;
    for (int i = 0; i < 20; ++i) {
        const int32_t x = Trunc(std::sin(30.0 * i) * 340 + 320);
        float s = static_cast<float>(std::fabs(0.5 * std::sin(static_cast<double>(i))) + 1);
        const int32_t y = Trunc(100 * std::sin(40.0 * i) + s * t * 680 - 200);
        s = static_cast<float>(s - 0.5);
        const double scale = s;
        blitter.DrawScaled(parachute, x, Trunc(y - scale * parachute->height * 0.8),
                           Trunc(parachute->width * scale), Trunc(parachute->height * scale));
        blitter.DrawScaled(cow, x, y, Trunc(cow->width * scale), Trunc(cow->height * scale));
    }
}

// The first frame in range jumps at once (to corner 2); corner 0 comes only after a full cycle.
void PartOne::JumpZoom(JumpTimer& timer, const Bitmap* picture) {
    const float w = platform::WallSeconds();
    if (static_cast<double>(w) - timer.lastJump > 0.25) {
        timer.lastJump = w;
        timer.index = (timer.index + 2) % 10;
        timer.count += 1;
    }
    if (timer.count % 2 != 0) {
        pattern.Zoom4(title, zoomJumpTable[10 + timer.index], zoomJumpTable[11 + timer.index]);
    } else {
        pattern.Zoom8(picture, zoomJumpTable[timer.index], zoomJumpTable[timer.index + 1]);
    }
}
