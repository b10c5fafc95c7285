// The jumping magnifier shared by part one and part two: a table of window corners and the timer
// state of one jump sequence. Each part keeps timers of its own.
#pragma once

#include <cstdint>

// One zoom jump sequence: the magnifier jumps at most four times a wall second.
struct JumpTimer {
    float lastJump = 0.0f;  // wall seconds of the last jump
    int32_t index = 0;      // 0, 2, 4, 6 or 8: the corner pair in zoomJumpTable
    int32_t count = 0;      // jumps so far; odd counts zoom the title composition
};

// Five (x, y) window corners for Zoom8, then five for Zoom4.
extern const int32_t zoomJumpTable[20];
