// The pixel record itself: presentation into surfaces of other shapes, keying on conversion, and
// sizes that cannot be allocated.
#include "Render/Bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

Bitmap Numbered(int w, int h) {
    Bitmap b(w, h);
    for (int i = 0; i < b.size; ++i) b.pixels[i] = 0x01000000u + static_cast<uint32_t>(i);
    return b;
}

TEST(Bitmap, PresentCopiesOnlyWhatBothTheSurfaceAndTheCanvasHold) {
    constexpr uint32_t kUntouched = 0xDEADBEEF;
    const Bitmap canvas = Numbered(8, 4);
    struct Case {
        int w, h, pitchWords;
    } cases[] = {{8, 4, 8}, {8, 4, 11}, {5, 3, 7}, {12, 6, 12}, {8, 4, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " pitch " << c.pitchWords);
        std::vector<uint32_t> surface(static_cast<size_t>(c.pitchWords) * c.h, kUntouched);
        canvas.CopyTo(surface.data(), c.w, c.h, c.pitchWords);
        for (int y = 0; y < c.h; ++y) {
            for (int x = 0; x < c.pitchWords; ++x) {
                const uint32_t got = surface[static_cast<size_t>(y) * c.pitchWords + x];
                const bool held = x < c.w && y < c.h && x < canvas.width && y < canvas.height;
                // Words are copied unchanged, key byte included; padding and uncovered areas stay.
                EXPECT_EQ(got, held ? canvas.pixels[y * canvas.width + x] : kUntouched) << x << "," << y;
            }
        }
    }
    // Nothing to copy from or into is harmless.
    Bitmap empty;
    std::vector<uint32_t> surface(4, kUntouched);
    empty.CopyTo(surface.data(), 2, 2, 2);
    canvas.CopyTo(nullptr, 2, 2, 2);
    EXPECT_EQ(surface, std::vector<uint32_t>(4, kUntouched));
}

TEST(Bitmap, ConversionKeysExactlyThePureKeyColour) {
    // RGBA bytes: pure green, green one step off in red and in green, opaque white with alpha 0x80.
    const std::vector<uint8_t> rgba = {0, 255, 0, 255, 1, 255, 0, 255, 0, 254, 0, 0, 255, 255, 255, 0x80};
    const Bitmap keyed = Bitmap::FromRgba(rgba.data(), 2, 2, true, kKeyColour);
    const Bitmap plain = Bitmap::FromRgba(rgba.data(), 2, 2, false, kKeyColour);
    const std::vector<uint32_t> expectKeyed = {0xFF00FF00, 0x0001FF00, 0x0000FE00, 0x00FFFFFF};
    const std::vector<uint32_t> expectPlain = {0x0000FF00, 0x0001FF00, 0x0000FE00, 0x00FFFFFF};
    EXPECT_EQ(std::vector<uint32_t>(keyed.pixels, keyed.pixels + 4), expectKeyed);
    EXPECT_EQ(std::vector<uint32_t>(plain.pixels, plain.pixels + 4), expectPlain);
}

TEST(Bitmap, ImpossibleSizesGiveAnEmptyBitmapAndReleaseTwiceIsHarmless) {
    for (const auto& [w, h] :
         {std::pair{0, 10}, {10, 0}, {-3, 5}, {std::numeric_limits<int32_t>::max(), 2}}) {
        const Bitmap b(w, h);
        EXPECT_TRUE(b.Empty());
        EXPECT_EQ(b.pixels, nullptr);
        EXPECT_EQ(b.width, 0);
    }
    Bitmap b(3, 2);
    EXPECT_EQ(b.size, 6);
    EXPECT_EQ(b.pitch, 3);
    EXPECT_EQ(b.rows, 2);
    b.Release();
    b.Release();
    EXPECT_TRUE(b.Empty());
}

}  // namespace
