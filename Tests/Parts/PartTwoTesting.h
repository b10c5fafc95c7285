// Shared by part two's scene tests: the part on a prepared scene, pictures swapped for the
// case at hand, and whole frames kept for comparison.
#pragma once

#include "Parts/PartTwo.h"
#include "Support/SceneFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

using Frame = std::vector<uint32_t>;

// Puts a w x h picture under `guid`, each pixel from `pixel(index)`; 0 x 0 gives the empty
// picture a failed decode registers.
inline void ReplacePicture(int32_t guid, int32_t w, int32_t h,
                           const std::function<uint32_t(int32_t)>& pixel) {
    auto bitmap = std::make_unique<Bitmap>(w, h);
    for (int32_t i = 0; i < bitmap->size; ++i) bitmap->pixels[i] = pixel(i);
    imageTable.at(static_cast<size_t>(guid)).bitmap = std::move(bitmap);
}
inline void ReplacePicture(int32_t guid, int32_t w, int32_t h, uint32_t colour) {
    ReplacePicture(guid, w, h, [colour](int32_t) { return colour; });
}

// Per channel min(255, a + b), max(0, a - b) and max(0, a - amount), key byte 0.
inline uint32_t AddChannels(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        out |= std::min<uint32_t>(255, ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF)) << shift;
    }
    return out;
}
inline uint32_t SubtractChannels(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
        out |= (x > y ? x - y : 0) << shift;
    }
    return out;
}
inline uint32_t DarkenChannels(uint32_t a, int32_t amount) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        out |= static_cast<uint32_t>(std::max<int32_t>(0, static_cast<int32_t>((a >> shift) & 0xFF) - amount))
               << shift;
    }
    return out;
}

class PartTwoTest : public ::testing::Test {
protected:
    // A window of 1024: music time over 1024 times 1024 is exact, so effect time = music time.
    PartTwoTest() { scene.Prepare(part, 1024.0f, 3); }
    void RenderAt(float fx) { part.Render(scene.Canvas(), fx); }
    Frame FrameAt(float fx) {
        RenderAt(fx);
        return Frame(scene.Canvas()->pixels, scene.Canvas()->pixels + scene.Canvas()->size);
    }
    void SetBeats(float b0, float b1, float b2 = 0.0f) {
        scene.SetBeat(part, 0, b0);
        scene.SetBeat(part, 1, b1);
        scene.SetBeat(part, 2, b2);
    }
    static uint32_t ColourOf(int32_t guid) { return SceneFixture::Colour(guid); }

    SceneFixture scene;  // before the part: the part composes its title picture when made
    PartTwo part;
};
