// Part two's scene object: construction of its title picture and random tables, the frame entry,
// the counter display and the head burst the finale repeats.
#include "Parts/PartTwo.h"

#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Parts/SceneMath.h"
#include "Utils/Platform.h"

#include <algorithm>
#include <cmath>

namespace {
// (rand * 1/32767 - 0.5) * 2 in double, held as a float: a direction component in [-1, 1].
float RandomUnit() {
    return static_cast<float>((platform::Rand() * static_cast<double>(platform::kRandScale) - 0.5) * 2);
}
}  // namespace

PartTwo::PartTwo(const Bitmap* titlePicture) : title(titlePicture) {
    // Four draws per dollar, in this order: x, y, u, v.
    for (int i = 0; i < kPartTwoTableSize; ++i) {
        tables.spritePos[0][i] = platform::Rand() % 840 - 100;
        tables.spritePos[1][i] = platform::Rand() % 680 - 100;
        tables.spriteJitter[0][i] = RandomUnit();
        tables.spriteJitter[1][i] = RandomUnit();
    }
    // Three draws per head, in this order: dx, dy, the picture. A vector 0.0001 long or shorter
    // is kept as drawn rather than divided by almost nothing.
    for (int i = 0; i < kPartTwoTableSize; ++i) {
        float dx = RandomUnit();
        float dy = RandomUnit();
        const double length = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
        if (length > 0.0001) {
            const double inverse = 1 / length;
            dx = static_cast<float>(dx * inverse);
            dy = static_cast<float>(dy * inverse);
        }
        tables.burstDir[0][i] = dx;
        tables.burstDir[1][i] = dy;
        tables.burstHead[i] = platform::Rand() % 3;
    }
}

void PartTwo::Render(Bitmap* canvas, float musicTime) {
    if (!InWindow(musicTime)) return;
    const float t = FxTime(musicTime);
    DebugTimeLine(t);
    DrawScenes(canvas, t);
}

void PartTwo::DrawScenes(Bitmap* canvas, float t) {
    blitter.target = noise.target = pattern.target = filter.target = canvas;
    s = platform::WallSeconds();
    b0 = BandValue(0);
    b1 = BandValue(1);
    b2 = BandValue(2);
    DrawOpening(canvas, t);
    DrawCasino(canvas, t);
    DrawMachine(canvas, t);
    DrawFinale(canvas, t);
}

// a >= 10 takes the left digit; a smaller a leaves (71, 85) alone. Values outside 0..99 are
// clamped so no digit index leaves 0..9.
void PartTwo::DrawCounter(int32_t a, int32_t b) {
    a = std::clamp(a, 0, 99);
    b = std::clamp(b, 0, 99);
    if (a >= 10) {
        blitter.Draw(GetBitmap(digitSmallGuids[a / 10]), 71, 85);
        a %= 10;
    }
    blitter.Draw(GetBitmap(digitSmallGuids[a]), 140, 119);
    blitter.Draw(GetBitmap(digitSmallPointsGuid), 193, 149);
    blitter.Draw(GetBitmap(digitSmallGuids[b / 10]), 258, 178);
    blitter.Draw(GetBitmap(digitSmallGuids[b % 10]), 334, 214);
}
