// Television-like interference over a finished frame. Random numbers come from the shared
// generator (platform::Rand), so a frame's noise depends on everything drawn before it.
#pragma once

#include "Render/Bitmap.h"

class NoiseFx {
public:
    Bitmap* target = nullptr;  // not owned

    // the top ceil(rows * amount) rows each become one random grey (key byte 0); a target with
    // rows but no pixels takes one random value per such row and changes nothing
    void Bars(float amount);
    // fixed 640 x 480: each row's channels += trunc(rand * k * amount * 255), saturating
    void AddRowNoise(float amount);
    // fixed 640 x 480: each row's channels -= trunc(rand * k * amount * 255), floored at 0
    void SubtractRowNoise(float amount);
};
