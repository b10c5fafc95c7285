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
#include <memory>
#include <vector>

struct BombParticle {
    int32_t x0 = 0;
    int32_t y0 = 0;
    float vx = 0.0f;
    float vy = 0.0f;
};

class PartOne final : public DemoPart {
public:
    // Spawns the bombs (draws from the shared random sequence) and composes the title picture.
    PartOne();

    // Composes the title picture the zoom jumps show from the registered pictures (again after
    // they are reloaded).
    void ComposeTitle();

    void Render(Bitmap* canvas, float musicTime) override;
    bool DrawsAt(float fx) const override { return fx >= 0 && fx < 300; }

    void SpawnBombs(int bigCount, int smallCount, float base, float spread);
    void DrawBombs(const std::vector<BombParticle>& bombs, const Bitmap* picture, double t);
    void DrawBombers(double t);
    void DrawParachutes(double t);
    // Jumps the magnifier when due, then zooms either the title composition (odd counts) or the picture.
    void JumpZoom(JumpTimer& timer, const Bitmap* picture);
    void DrawActOne(float fx);
    void DrawActTwo(float fx);
    void DrawActThree(float fx);

    std::vector<BombParticle> bigBombs;
    std::vector<BombParticle> smallBombs;
    JumpTimer actTwoTimer;
    JumpTimer actThreeTimer;
    std::unique_ptr<Bitmap> offscreen;  // the title composition, zoomed by the jumps

private:
    Blitter blitter;
    NoiseFx noise;
    PatternFx pattern;
    FilterFx filter;
};
