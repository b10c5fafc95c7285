// Part two's casino scenes as a viewer sees them (effect time 150 to 300): the lighthouse beams,
// the two flashes, the slot machines and the dollar rain.
#include "Parts/PartTwoTesting.h"
#include "Parts/SceneMath.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

using namespace parttwo_testing;

// A generator state whose next five values are all below 2000: the lighthouse's wave bands then
// stay in the rows above 58 for levels up to 0.36, clear of the beams (rows 60 to 147).
constexpr uint32_t kBandsOnTop = 622385;

class PartTwoCasinoTest : public PartTwoSceneTest {};

TEST_F(PartTwoCasinoTest, BeamsBreatheFromOnePixelAndTheSecondComesAt160) {
    const uint32_t photo = ColourOf(tajPhareFullscreenCasinoGuid);
    const uint32_t beam = ColourOf(phareGuid);
    // At 150 the first beam is one pixel wide at x = 140, rows 60 to 147; a second beat doubles it.
    struct Case {
        float b0, b1;
        uint32_t lit;
    };
    for (const Case& c : {Case{0.26f, 0.0f, SaturatedSum(photo, beam)},
                          Case{0.26f, 0.26f, SaturatedSum(SaturatedSum(photo, beam), beam)},
                          Case{0.0f, 0.26f, photo}, Case{0.25f, 0.0f, photo}}) {
        SCOPED_TRACE(::testing::Message() << c.b0 << ", " << c.b1);
        SetBeats(c.b0, c.b1);
        platform::ResetRand(kBandsOnTop);
        RenderAt(150.0f);
        EXPECT_EQ(scene.At(140, 60), c.lit);
        EXPECT_EQ(scene.At(140, 147), c.lit);
        // The wave bands smear rows near the top only; below them just the beam's 88 pixels are lit.
        const uint32_t* below = scene.Canvas()->Row(60);
        EXPECT_EQ(std::count(below, below + 640 * 420, photo), c.lit == photo ? 640 * 420 : 640 * 420 - 88);
    }
    // Above 0.35 the second beam, right of the first, shows from 160 on only. The whole frame is
    // lit as well (its blue added as grey), so dim the pictures to keep clear of saturation, and
    // compare the beam row with a row below the beams. The casino flash that starts at 160 is
    // made transparent here.
    std::fill_n(GetBitmap(tajPhareFullscreenCasinoGuid)->pixels, 640 * 480, 0x00202020u);
    std::fill_n(GetBitmap(casinoGuid)->pixels, GetBitmap(casinoGuid)->size, 0xFF00FF00u);
    std::fill_n(GetBitmap(phareGuid)->pixels, GetBitmap(phareGuid)->size, 0x00000010u);
    SetBeats(0.36f, 0.0f);
    for (float t : {159.9f, 160.0f}) {
        platform::ResetRand(kBandsOnTop);
        RenderAt(t);
        EXPECT_EQ(scene.At(600, 100) != scene.At(600, 300), t >= 160.0f) << t;
        EXPECT_NE(scene.At(100, 100), scene.At(100, 300)) << "the first beam, " << t;
    }
}

TEST_F(PartTwoCasinoTest, CasinoThenLadyFlashWithTheBeat) {
    // The lady's left half is transparent here, so what lies under her shows.
    Bitmap* lady = GetBitmap(ladyRoupiesGuid);
    for (int32_t y = 0; y < lady->height; ++y) std::fill_n(lady->Row(y), 320, 0xFF00FF00u);
    const uint32_t photo = ColourOf(tajPhareFullscreenCasinoGuid), casino = ColourOf(casinoGuid),
                   ladyColour = ColourOf(ladyRoupiesGuid), interior = ColourOf(casinoviewGuid);
    struct Case {
        float t, b0;
        uint32_t left, right;
    };
    for (const Case& c :
         {Case{165, 0.2f, casino, casino},
          Case{170, 0.2f, SaturatedSum(photo, casino), SaturatedSum(photo, casino)},
          Case{170, 0.09f, SaturatedDifference(photo, casino), SaturatedDifference(photo, casino)},
          Case{180, 0.2f, SaturatedSum(photo, casino), ladyColour},
          Case{180, 0.05f, SaturatedDifference(photo, casino), ladyColour},
          Case{185, 0.05f, photo, ladyColour}, Case{199.99f, 0.15f, photo, ladyColour},
          Case{199.99f, 0.05f, photo, SaturatedDifference(photo, ladyColour)},
          Case{200, 0.05f, interior, interior}}) {
        SCOPED_TRACE(::testing::Message() << "t " << c.t << ", b0 " << c.b0);
        SetBeats(c.b0, 0.0f);
        platform::ResetRand(kBandsOnTop);
        RenderAt(c.t);
        EXPECT_EQ(scene.At(10, 300), c.left);
        EXPECT_EQ(scene.At(630, 300), c.right);
    }
}

TEST_F(PartTwoCasinoTest, SlotMachinesRiseThenPumpEachOverItsOwnDraw) {
    const uint32_t machine = ColourOf(casinoMachineASouGuid), interior = ColourOf(casinoviewGuid);
    const uint32_t doubled = SaturatedSum(machine, machine);
    struct Case {
        float t, b0, b1;
        int32_t x, y;
        uint32_t colour;
    };
    // The 213 x 320 machine three times from x = 0: columns 0 to 638. The beat pushes the row
    // down by 100 b0; above 0.25 each machine gets a taller added copy 50 b1 to its right, drawn
    // before the next machine.
    for (const Case& c :
         {Case{200, 0.2f, 0, 0, 479, interior}, Case{210, 0.2f, 0, 0, 340, machine},
          Case{210, 0.2f, 0, 0, 339, interior}, Case{210, 0.2f, 0, 638, 479, machine},
          Case{210, 0.2f, 0, 639, 479, interior}, Case{219.99f, 0.0f, 0, 426, 160, machine},
          Case{219.99f, 0.0f, 0, 426, 159, interior}, Case{230, 0.2f, 0, 0, 180, machine},
          Case{230, 0.2f, 0, 0, 179, interior}, Case{230, 0.27f, 0.5f, 24, 187, machine},
          Case{230, 0.27f, 0.5f, 25, 187, doubled}, Case{230, 0.27f, 0.5f, 220, 187, machine},
          Case{230, 0.27f, 0.5f, 238, 187, doubled}, Case{230, 0.27f, 0.5f, 638, 300, doubled},
          Case{230, 0.27f, 0.5f, 639, 300, SaturatedSum(interior, machine)},
          Case{230, 0.27f, 0.5f, 25, 186, interior}, Case{230, 0.27f, 0.5f, 25, 479, doubled}}) {
        SCOPED_TRACE(::testing::Message() << "t " << c.t << " at " << c.x << "," << c.y);
        SetBeats(c.b0, c.b1);
        RenderAt(c.t);
        EXPECT_EQ(scene.At(c.x, c.y), c.colour);
    }
    // From 280 the machines are gone.
    RenderAt(280.0f);
    EXPECT_EQ(scene.Count(machine) + scene.Count(doubled), 0);
}

TEST_F(PartTwoCasinoTest, DollarRainSwellsToTwoHundredAtTwoNinetyAndEbbs) {
    const uint32_t dollars[5] = {ColourOf(spriteDollar01Guid), ColourOf(spriteDollar02Guid),
                                 ColourOf(spriteDollar03Guid), ColourOf(spriteDollar04Guid),
                                 ColourOf(spriteDollar05Guid)};
    const auto isDollar = [&](uint32_t word) { return std::find(dollars, dollars + 5, word) != dollars + 5; };
    const auto onScreen = [](int32_t x, int32_t y) { return x >= 0 && x < 640 && y >= 0 && y < 480; };
    struct Case {
        float t, b1;
        int count;
    };
    // The second beat shakes each dollar by up to 120 b1 pixels along its (u, v).
    for (const Case& c :
         {Case{250, 0, 0}, Case{270, 0, 100}, Case{289.99f, 0, 199}, Case{290, 0, 200}, Case{295, 0, 100},
          Case{299.99f, 0, 0}, Case{270, 0.5f, 100}, Case{295, 1.0f, 100}}) {
        SCOPED_TRACE(::testing::Message() << "t " << c.t << ", b1 " << c.b1);
        SetBeats(0.0f, c.b1);
        RenderAt(c.t);
        std::vector<std::pair<int32_t, int32_t>> corners;
        for (int i = 0; i < kPartTwoTableSize; ++i) {
            corners.emplace_back(
                Trunc(part->Tables().spritePos[0][i] + 120.0 * c.b1 * part->Tables().spriteJitter[0][i]),
                Trunc(part->Tables().spritePos[1][i] + 120.0 * c.b1 * part->Tables().spriteJitter[1][i]));
        }
        int drawnCorners = 0, clearCorners = 0;
        for (int i = 0; i < kPartTwoTableSize; ++i) {
            const auto [x, y] = corners[i];
            if (!onScreen(x, y)) continue;
            if (i < c.count) {
                // A drawn dollar's corner shows it, or a later dollar over it.
                EXPECT_TRUE(isDollar(scene.At(x, y))) << i;
                ++drawnCorners;
                continue;
            }
            // An undrawn dollar's corner far from every drawn one (none is larger than 96 x 96)
            // shows no dollar.
            bool nearDrawn = false;
            for (int j = 0; j < c.count; ++j) {
                nearDrawn = nearDrawn || (x >= corners[j].first && x < corners[j].first + 96 &&
                                          y >= corners[j].second && y < corners[j].second + 96);
            }
            if (nearDrawn) continue;
            EXPECT_FALSE(isDollar(scene.At(x, y))) << i;
            ++clearCorners;
        }
        EXPECT_EQ(drawnCorners > 0, c.count > 0);
        EXPECT_GT(clearCorners, c.count >= 199 ? -1 : 5);
        if (c.count == 0) {
            EXPECT_EQ(std::count_if(scene.Canvas()->pixels, scene.Canvas()->pixels + scene.Canvas()->size,
                                    isDollar),
                      0);
        }
    }
    // Above 0.25 the rain ends with a brightness cut at 128 + 100 b0 to black: the fourth dollar
    // (brightness 174) goes black at 0.26 (cut at 154), the interior (110) stays.
    const uint32_t brightDollar = ColourOf(spriteDollar04Guid);
    SetBeats(0.25f, 0.0f);
    RenderAt(270.0f);
    EXPECT_GT(scene.Count(brightDollar), 0);
    SetBeats(0.26f, 0.0f);
    RenderAt(270.0f);
    EXPECT_EQ(scene.Count(brightDollar), 0);
    EXPECT_GT(scene.Count(0x000000), 0);
    EXPECT_GT(scene.Count(ColourOf(casinoviewGuid)), 10000);
}

TEST_F(PartTwoCasinoTest, SwirlRingsShowOnlyFromTwoNinetyToThreeHundred) {
    SetBeats(0.0f, 0.0f);
    for (float t : {289.99f, 290.0f, 295.0f, 299.99f}) {
        RenderAt(t);
        EXPECT_EQ(scene.Count(0xFF9C01) > 1000, t >= 290.0f) << t;
    }
}

TEST_F(PartTwoCasinoTest, WaveBandsBlurFiveRandomBandsWithTheBeatAsTheirAmplitude) {
    // Below 0.25 nothing else touches the photograph, so the frame is the photograph blurred in
    // five bands whose rows come from the next five random values (870, 1892, 1818, 788, 837
    // from this state): top 400 r b0, bottom 50 more, amplitude 30 b0.
    PaintCoordinates(tajPhareFullscreenCasinoGuid);
    const float b0 = 0.2f;
    SetBeats(b0, 0.0f);
    platform::ResetRand(kBandsOnTop);
    RenderAt(155.0f);
    Bitmap expected(640, 480);
    std::copy_n(GetBitmap(tajPhareFullscreenCasinoGuid)->pixels, 640 * 480, expected.pixels);
    FilterFx filter;
    filter.target = &expected;
    for (int value : {870, 1892, 1818, 788, 837}) {
        const double q = static_cast<double>(value * platform::kRandScale) * b0;
        filter.WaveBlur(static_cast<int32_t>(400 * q), static_cast<int32_t>(400 * q + 50), 6);
    }
    EXPECT_TRUE(std::equal(expected.pixels, expected.pixels + expected.size, scene.Canvas()->pixels));
    EXPECT_FALSE(std::equal(expected.pixels, expected.pixels + expected.size,
                            GetBitmap(tajPhareFullscreenCasinoGuid)->pixels));
}

}  // namespace
