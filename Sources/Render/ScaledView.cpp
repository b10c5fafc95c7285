// Whole-factor enlargement of the canvas into a window: clipped once into row and column ranges,
// each source row widened once and the copies of it taken with memcpy.
#include "Render/ScaledView.h"

#include <algorithm>
#include <cstring>

ScaledPlacement PlaceScaled(int32_t width, int32_t height, int32_t frameWidth, int32_t frameHeight) {
    ScaledPlacement placement;
    if (width <= 0 || height <= 0) return placement;
    placement.scale = std::max(1, std::min(frameWidth / width, frameHeight / height));
    // Halves rounded toward zero: an odd margin leaves the extra column or row on the right and
    // bottom (and, for a negative margin, cuts it there too).
    placement.x = (frameWidth - width * placement.scale) / 2;
    placement.y = (frameHeight - height * placement.scale) / 2;
    return placement;
}

void DrawScaled(const Bitmap& bitmap, uint32_t* frame, int32_t frameWidth, int32_t frameHeight,
                int32_t pitch) {
    if (frame == nullptr || frameWidth <= 0 || frameHeight <= 0 || pitch < frameWidth) return;
    const ScaledPlacement place = PlaceScaled(bitmap.width, bitmap.height, frameWidth, frameHeight);
    const int32_t k = place.scale;
    // The frame columns and rows the picture covers, clipped to the frame.
    const int32_t x0 = std::max(0, place.x);
    const int32_t x1 = std::min(frameWidth, place.x + bitmap.width * k);
    const int32_t y0 = std::max(0, place.y);
    const int32_t y1 = std::min(frameHeight, place.y + bitmap.height * k);
    const auto blackRow = [&](int32_t y) {
        std::fill(frame + int64_t{y} * pitch, frame + int64_t{y} * pitch + frameWidth, 0u);
    };

    for (int32_t y = 0; y < std::min(y0, frameHeight); ++y) blackRow(y);
    for (int32_t y = std::max(y1, 0); y < frameHeight; ++y) blackRow(y);
    if (bitmap.Empty() || x0 >= x1 || y0 >= y1) {
        for (int32_t y = y0; y < y1; ++y) blackRow(y);
        return;
    }
    const size_t widened = static_cast<size_t>(x1 - x0) * sizeof(uint32_t);
    // The first source column and how far into its block the first frame column is.
    const int32_t firstColumn = (x0 - place.x) / k;
    const int32_t firstPhase = (x0 - place.x) % k;
    for (int32_t y = y0; y < y1; ++y) {
        uint32_t* out = frame + int64_t{y} * pitch;
        std::fill(out, out + x0, 0u);
        std::fill(out + x1, out + frameWidth, 0u);
        const int32_t sourceY = (y - place.y) / k;
        // Rows after the first of a block repeat the row above.
        if (y > y0 && (y - place.y) % k != 0) {
            std::memcpy(out + x0, out - pitch + x0, widened);
            continue;
        }
        const uint32_t* in = bitmap.Row(sourceY) + firstColumn;
        int32_t phase = firstPhase;
        for (int32_t x = x0; x < x1; ++x) {
            out[x] = *in;
            if (++phase == k) {
                phase = 0;
                ++in;
            }
        }
    }
}
