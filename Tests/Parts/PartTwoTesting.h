// Shared by part two's scene tests: the part on a prepared scene, and pictures swapped per case.
#pragma once

#include "Parts/PartTwo.h"
#include "Support/SceneFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

// A w x h picture under `guid` with pixel i = pixel(i); 0 x 0 is what a failed decode registers.
inline void ReplacePicture(int32_t guid, int32_t w, int32_t h,
                           const std::function<uint32_t(int32_t)>& pixel) {
    auto bitmap = std::make_unique<Bitmap>(w, h);
    for (int32_t i = 0; i < bitmap->size; ++i) bitmap->pixels[i] = pixel(i);
    imageTable.at(static_cast<size_t>(guid)).bitmap = std::move(bitmap);
}

class PartTwoTest : public ::testing::Test {
protected:
    // A window of 1024: music time over 1024 times 1024 is exact, so effect time = music time.
    PartTwoTest() { scene.Prepare(part, 1024.0f, 3); }
    void RenderAt(float fx, float b0 = 0, float b1 = 0, float b2 = 0) {
        scene.SetBeat(part, 0, b0);
        scene.SetBeat(part, 1, b1);
        scene.SetBeat(part, 2, b2);
        part.Render(scene.Canvas(), fx);
    }
    std::vector<uint32_t> Frame() {
        return {scene.Canvas()->pixels, scene.Canvas()->pixels + scene.Canvas()->size};
    }
    static uint32_t Colour(int32_t guid) { return SceneFixture::Colour(guid); }

    SceneFixture scene;  // before the part: the part composes its title picture when made
    PartTwo part;
};
