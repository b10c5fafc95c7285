// Part two on the scene fixture: effect time equal to music time over 0 to 900, three beat bands,
// and pictures the tests can repaint so that a zoom or a copy shows where it read from.
#pragma once

#include "Parts/PartTwo.h"
#include "Support/RenderReference.h"
#include "Support/SceneFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace parttwo_testing {

// A picture whose pixel (x, y) reads (y << 10) | x: below 0x80000, so never one of the fixture's
// solid colours (each channel at least 20) nor white.
inline uint32_t Code(int32_t x, int32_t y) {
    return (static_cast<uint32_t>(y) << 10) | static_cast<uint32_t>(x);
}
inline bool IsCode(uint32_t word) {
    return word < 0x80000u;
}

inline void PaintCoordinates(int32_t guid) {
    Bitmap* picture = GetBitmap(guid);
    for (int32_t y = 0; y < picture->height; ++y) {
        for (int32_t x = 0; x < picture->width; ++x) picture->Row(y)[x] = Code(x, y);
    }
}

// d + s and d - s per channel, saturating: the keyed and screen blends on two solid colours.
using reference::SaturatedDifference;
using reference::SaturatedSum;

class PartTwoSceneTest : public ::testing::Test {
protected:
    PartTwoSceneTest() { scene.Prepare(*part, 900.0f, 3); }

    void RenderAt(float fx) { part->Render(scene.Canvas(), fx); }
    void SetBeats(float b0, float b1, float b2 = 0.0f) {
        scene.SetBeat(*part, 0, b0);
        scene.SetBeat(*part, 1, b1);
        scene.SetBeat(*part, 2, b2);
    }
    void SetWallMilliseconds(uint32_t ms) { scene.clock.ticks = ms; }
    // The part's jump timers as the state pass keeps them.
    PartTwoMoving Moving() const {
        PartTwoMoving moving;
        part->SaveMoving(&moving);
        return moving;
    }

    SceneFixture scene;  // must exist before the part: the part composes pictures when made
    std::unique_ptr<PartTwo> part = std::make_unique<PartTwo>(scene.Title());
};

}  // namespace parttwo_testing

// A w x h picture under `guid` with pixel i = pixel(i); 0 x 0 is what a failed decode registers.
inline void ReplacePicture(int32_t guid, int32_t w, int32_t h,
                           const std::function<uint32_t(int32_t)>& pixel) {
    auto bitmap = std::make_unique<Bitmap>(w, h);
    for (int32_t i = 0; i < bitmap->size; ++i) bitmap->pixels[i] = pixel(i);
    imageTable.at(static_cast<size_t>(guid)).bitmap = std::move(bitmap);
}

// The machine and finale scenes: levels given per frame, a window of 1024 (music time over 1024
// times 1024 is exact, so effect time = music time).
class PartTwoBlockTest : public ::testing::Test {
protected:
    PartTwoBlockTest() { scene.Prepare(part, 1024.0f, 3); }
    void RenderAt(float fx, float b0 = 0, float b1 = 0, float b2 = 0) {
        scene.SetBeat(part, 0, b0);
        scene.SetBeat(part, 1, b1);
        scene.SetBeat(part, 2, b2);
        part.Render(scene.Canvas(), fx);
    }
    std::vector<uint32_t> Frame() {
        return {scene.Canvas()->pixels, scene.Canvas()->pixels + scene.Canvas()->size};
    }

    SceneFixture scene;  // before the part: the part composes its title picture when made
    PartTwo part{scene.Title()};
};
