// The canvas in a window of any size: the whole-factor enlargement the window gets, where it sits,
// and every word of the window against the plain per-pixel rule.
#include "Render/ScaledView.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

TEST(ScaledView, PicksTheLargestWholeScaleThatFitsAndCentresIt) {
    struct Case {
        int32_t frameWidth, frameHeight;
        ScaledPlacement expected;
    };
    const Case cases[] = {
        {640, 480, {1, 0, 0}},      {1280, 960, {2, 0, 0}},    {1920, 1080, {2, 320, 60}},
        {1279, 959, {1, 319, 239}}, {1281, 961, {2, 0, 0}},    {3000, 1000, {2, 860, 20}},
        {2560, 1440, {3, 320, 0}},  {600, 400, {1, -20, -40}}, {1, 1, {1, -319, -239}},
    };
    for (const Case& c : cases) {
        const ScaledPlacement got = PlaceScaled(640, 480, c.frameWidth, c.frameHeight);
        EXPECT_EQ(got.scale, c.expected.scale) << c.frameWidth << "x" << c.frameHeight;
        EXPECT_EQ(got.x, c.expected.x) << c.frameWidth << "x" << c.frameHeight;
        EXPECT_EQ(got.y, c.expected.y) << c.frameWidth << "x" << c.frameHeight;
    }
}

// Random pictures in windows larger, smaller, wider and taller than them, with padded rows: inside
// the picture each pixel is its source block's, around it black, and the padding is left alone.
TEST(ScaledView, MatchesThePerPixelRuleInEveryWindow) {
    constexpr uint32_t kPadding = 0xdeadbeef;
    std::mt19937 random(13);
    struct Case {
        int32_t width, height, frameWidth, frameHeight, padding;
    };
    const Case cases[] = {
        {64, 48, 64, 48, 0},   {64, 48, 128, 96, 3}, {64, 48, 200, 100, 0},
        {64, 48, 131, 250, 1}, {64, 48, 50, 30, 2},  {64, 48, 65, 47, 0},
        {64, 48, 1, 1, 0},     {7, 5, 300, 301, 5},  {640, 480, 1920, 1080, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width << "x" << c.height << " in " << c.frameWidth << "x" << c.frameHeight);
        Bitmap bitmap(c.width, c.height);
        for (int32_t i = 0; i < bitmap.size; ++i) bitmap.pixels[i] = random();
        const int32_t pitch = c.frameWidth + c.padding;
        std::vector<uint32_t> frame(static_cast<size_t>(pitch) * c.frameHeight, kPadding);
        // Last frame's picture must not show through: every word of the window is written.
        for (int32_t y = 0; y < c.frameHeight; ++y) {
            for (int32_t x = 0; x < c.frameWidth; ++x) frame[y * pitch + x] = random();
        }
        DrawScaled(bitmap, frame.data(), c.frameWidth, c.frameHeight, pitch);

        const ScaledPlacement place = PlaceScaled(c.width, c.height, c.frameWidth, c.frameHeight);
        int wrong = 0;
        for (int32_t y = 0; y < c.frameHeight; ++y) {
            for (int32_t x = 0; x < pitch; ++x) {
                const int32_t u = x - place.x, v = y - place.y;
                uint32_t expected = 0;
                if (x >= c.frameWidth) {
                    expected = kPadding;
                } else if (u >= 0 && v >= 0 && u < c.width * place.scale && v < c.height * place.scale) {
                    expected = bitmap.Row(v / place.scale)[u / place.scale];
                }
                if (frame[y * pitch + x] != expected && ++wrong <= 3) {
                    ADD_FAILURE() << "at " << x << "," << y;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

}  // namespace
