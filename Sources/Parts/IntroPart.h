// The intro: two title cards on black, the group card for effect time 0-100 and the warning card
// for 100-200; nothing after that.
#pragma once

#include "Render/Blitter.h"
#include "Render/FilterFx.h"
#include "Render/NoiseFx.h"
#include "Render/PatternFx.h"
#include "Sync/DemoPart.h"

class IntroPart final : public DemoPart {
public:
    void Render(Bitmap* canvas, float musicTime) override;
    bool DrawsAt(float fx) const override { return fx >= 0 && fx < 200; }

private:
    Blitter blitter;
    NoiseFx noise;      // rebound every frame, never draws
    PatternFx pattern;  // builds its tables, never draws
    FilterFx filter;    // rebound every frame, never draws
};
