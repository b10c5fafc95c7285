// Part one: the mountain story in three acts (effect time 0-100, 100-200, 200-300): the mountain
// over a panning fresco with bombs, the zoom jumps and rescue of act two, the rings, the dance,
// the bombers and the parachuting cows of act three, all pulsing with the first two beat bands.
#pragma once

#include "Parts/ZoomJump.h"
#include "Render/Blitter.h"
#include "Render/FilterFx.h"
#include "Render/NoiseFx.h"
#include "Render/PatternFx.h"
#include "Sync/DemoPart.h"

#include <cstdint>
#include <vector>

struct BombParticle {
    int32_t x0 = 0;
    int32_t y0 = 0;
    float vx = 0.0f;
    float vy = 0.0f;
};

// The jump timers: zero at start, kept for the whole run, advanced only while their act runs.
struct PartOneMoving {
    JumpTimer actTwo;
    JumpTimer actThree;
};

class PartOne final : public MovingPart<PartOneMoving> {
public:
    // Spawns the bombs (draws from the shared random sequence). The zoom jumps show `title` (not
    // owned: it must outlive the part).
    explicit PartOne(const Bitmap* title);

    void Render(Bitmap* canvas, float musicTime) override;
    bool DrawsAt(float fx) const override { return fx >= 0 && fx < 300; }

    // Jumps the magnifier when due, then zooms either the title composition (odd counts) or the picture.
    void JumpZoom(JumpTimer& timer, const Bitmap* picture);

    const std::vector<BombParticle>& BigBombs() const { return bigBombs; }
    const std::vector<BombParticle>& SmallBombs() const { return smallBombs; }

private:
    void SpawnBombs(int bigCount, int smallCount, float base, float spread);
    void DrawBombs(const std::vector<BombParticle>& bombs, const Bitmap* picture, double t);
    void DrawBombers(double t);
    void DrawParachutes(double t);
    void DrawActOne(float fx);
    void DrawActTwo(float fx);
    void DrawActThree(float fx);

    const Bitmap* title;
    std::vector<BombParticle> bigBombs;
    std::vector<BombParticle> smallBombs;
    Blitter blitter;
    NoiseFx noise;
    PatternFx pattern;
    FilterFx filter;
};
