// The canvas shown in a window of any size: enlarged by the largest whole factor that fits (each
// pixel becomes a sharp k x k block), centred, with black around it. A window smaller than the
// canvas shows it at 1:1, centred and cut at the edges.
#pragma once

#include "Render/Bitmap.h"

#include <cstdint>

// Where the picture lands in a frame: its enlargement (1 or more) and its top-left corner, which is
// negative when the frame is smaller than the picture.
struct ScaledPlacement {
    int32_t scale = 1;
    int32_t x = 0;
    int32_t y = 0;
};

ScaledPlacement PlaceScaled(int32_t width, int32_t height, int32_t frameWidth, int32_t frameHeight);

// Draws `bitmap` into the frame (`pitch` words per row) as PlaceScaled places it:
// frame(x, y) = bitmap((x - px) / k, (y - py) / k) inside the picture, 0 (black) elsewhere.
// Every frame word is written. Allocates nothing.
void DrawScaled(const Bitmap& bitmap, uint32_t* frame, int32_t frameWidth, int32_t frameHeight,
                int32_t pitch);
