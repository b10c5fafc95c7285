// Part two from the machine to the burn-out (effect time 300 to 520) as a viewer sees it: the
// counter's readings, the captions coming and going, the wire choice, the western fades, the
// burn-out through the glow mask, and frames drawn whole from pictures of any size.
#include "Parts/PartTwoTesting.h"

#include <cmath>
#include <set>

namespace {

using MachineTest = PartTwoTest;

constexpr int32_t kNone = -1;

TEST_F(MachineTest, CounterReadsAsTheTimelineCounts) {
    struct Case {
        float t;
        int32_t digits[4];  // at (71, 85), (140, 119), (258, 178), (334, 214); kNone: the close-up
        bool noSwiss;
    };
    // Only a two-digit first value draws in the left slot.
    const Case cases[] = {
        {350.0f, {kNone, 0, 3, 0}, false},  {359.99f, {kNone, 0, 2, 0}, false},
        {360.0f, {kNone, 0, 2, 0}, false},  {361.99f, {kNone, 0, 1, 8}, false},
        {362.0f, {2, 4, 6, 3}, true},       {369.99f, {3, 9, 7, 8}, true},
        {500.0f, {kNone, 0, 1, 3}, false},  {504.99f, {kNone, 0, 0, 8}, false},
        {515.0f, {kNone, 0, 0, 8}, false},  {516.0f, {kNone, 0, 0, 7}, false},
        {519.29f, {kNone, 0, 0, 7}, false},
    };
    const int slots[4][2] = {{71, 85}, {140, 119}, {258, 178}, {334, 214}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        RenderAt(c.t);
        for (int slot = 0; slot < 4; ++slot) {
            const int32_t digit = c.digits[slot];
            const uint32_t expected =
                digit == kNone ? ColourOf(theevilmachineCounterGuid) : ColourOf(digitSmallGuids[digit]);
            EXPECT_EQ(scene.At(slots[slot][0], slots[slot][1]), expected) << "slot " << slot;
        }
        EXPECT_EQ(scene.At(193, 149), ColourOf(digitSmallPointsGuid));
        EXPECT_EQ(scene.At(70, 330) == ColourOf(noswissGuid), c.noSwiss);
    }
}

TEST_F(MachineTest, NoSwissIsDrawnAgainOverTheEffectsOnlyAfter362) {
    // b1 = 0.4 turns every row 120 pixels left: the first caption moves to x = 590; a second one,
    // drawn after the turn, stands at 70 again.
    SetBeats(0.0f, 0.4f);
    RenderAt(362.0f);
    EXPECT_EQ(scene.At(590, 330), ColourOf(noswissGuid));
    EXPECT_NE(scene.At(70, 330), ColourOf(noswissGuid));
    RenderAt(362.01f);
    EXPECT_EQ(scene.At(590, 330), ColourOf(noswissGuid));
    EXPECT_EQ(scene.At(70, 330), ColourOf(noswissGuid));
    RenderAt(361.99f);
    EXPECT_EQ(scene.Count(ColourOf(noswissGuid)), 0);
}

TEST_F(MachineTest, DefuseCaptionsFollowOneAnother) {
    struct Case {
        float t;
        bool first, second, wire;
    };
    const uint32_t worker = ColourOf(zembravaleWorkerGuid);
    const uint32_t stretched = AddChannels(worker, ColourOf(theevilmachineGuid));
    for (const Case& c : {Case{370.0f, true, false, false}, Case{379.99f, true, false, false},
                          Case{380.0f, false, true, false}, Case{389.99f, false, true, false},
                          Case{390.0f, false, false, true}, Case{399.99f, false, false, true}}) {
        SCOPED_TRACE(c.t);
        RenderAt(c.t);
        EXPECT_EQ(scene.At(240, 210) == ColourOf(defuse1Guid), c.first);
        EXPECT_EQ(scene.At(126, 164) == ColourOf(defuse2Guid), c.second);
        EXPECT_EQ(scene.At(229, 101) == ColourOf(fuckingwireGuid), c.wire);
        // The worker covers the frame; from 390 the machine is added over it from row 120 down.
        EXPECT_EQ(scene.At(0, 0), worker);
        EXPECT_EQ(scene.At(639, 479), c.wire ? stretched : worker);
        EXPECT_EQ(scene.At(639, 119), worker);
    }
}

TEST_F(MachineTest, WireCaptionFollowsTheSignOfSinFourT) {
    // 4t crosses 510 pi between these two neighbouring floats: the wave is negative below (green)
    // and positive above (red). An exact 0 would pick green too, but no float t reaches it.
    struct Case {
        float t;
        bool red;
    };
    for (const Case& c : {Case{0x1.908d94p+8f, false}, Case{0x1.908d96p+8f, true}, Case{400.0f, false},
                          Case{419.99f, true}}) {
        SCOPED_TRACE(c.t);
        RenderAt(c.t);
        EXPECT_EQ(scene.At(151, 195) == ColourOf(theredGuid), c.red);
        EXPECT_EQ(scene.At(88, 163) == ColourOf(thegreenGuid), !c.red);
        EXPECT_EQ(scene.At(639, 479), 0u);  // on black
    }
    RenderAt(420.0f);
    EXPECT_EQ(scene.At(300, 292), ColourOf(alamoIntroGuid));
    EXPECT_EQ(scene.At(299, 292), 0u);
}

TEST_F(MachineTest, WesternSetFadesInAndOut) {
    const uint32_t background = ColourOf(alamoCroonerCowboyBackgroundGuid);
    const uint32_t figures = ColourOf(alamoCroonerCowboyGuid);
    struct Case {
        float t;
        uint32_t picture;
        int32_t darken;
    };
    for (const Case& c :
         {Case{430.0f, background, 255}, Case{440.0f, background, 127}, Case{449.99f, background, 0},
          Case{450.0f, background, 0}, Case{470.0f, figures, 0}, Case{490.0f, figures, 0},
          Case{495.0f, figures, 127}, Case{499.99f, figures, 254}}) {
        SCOPED_TRACE(c.t);
        RenderAt(c.t);
        EXPECT_EQ(scene.At(320, 240), DarkenChannels(c.picture, c.darken));
    }
    // Halfway through the figures' fade each channel is the truncated mean.
    RenderAt(460.0f);
    const uint32_t half = scene.At(320, 240);
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t mean = (((background >> shift) & 0xFF) + ((figures >> shift) & 0xFF)) / 2;
        EXPECT_EQ((half >> shift) & 0xFF, mean) << shift;
    }
}

// A mask whose blue runs through 0..255 along each row, so every level blackens a known part.
class BurnOutTest : public PartTwoTest {
protected:
    BurnOutTest() {
        ReplacePicture(cervinglow2Guid, 640, 480,
                       [](int32_t i) { return 0x00AB0000u | static_cast<uint32_t>(i % 256); });
        // A key byte on the canvas, which the counter's copy keeps and the burn-out must keep too.
        scene.Fill(0x80123456);
        unburnt = FrameAt(519.29f);
    }
    // Every pixel: black with its key byte where the mask's blue at its index is below `level`,
    // otherwise as before the burn-out, over the first `count` pixels; the rest untouched.
    void ExpectBurnt(const Frame& frame, int32_t level, int32_t count, const Bitmap* mask) {
        int wrong = 0;
        for (int32_t i = 0; i < static_cast<int32_t>(frame.size()); ++i) {
            const bool burnt = i < count && static_cast<int32_t>(mask->pixels[i] & 0xFF) < level;
            const uint32_t expected = burnt ? (unburnt[i] & 0xFF000000u) : unburnt[i];
            if (frame[i] != expected && ++wrong <= 3)
                ADD_FAILURE() << "pixel " << i << ": " << std::hex << frame[i];
        }
        EXPECT_EQ(wrong, 0);
    }
    Frame unburnt;
};

TEST_F(BurnOutTest, BlackensBelowTheLevelWithSinglePrecisionConstants) {
    EXPECT_EQ(unburnt[0], 0x80000000u | ColourOf(theevilmachineCounterGuid));
    struct Case {
        float t;
        int32_t level;
    };
    // 519.302734375 is where the single-precision constants give level 1 and the double ones 0.
    for (const Case& c : {Case{519.3f, 0}, Case{0x1.03a6cp+9f, 1}, Case{519.65f, 127},
                          Case{std::nextafter(520.0f, 0.0f), 254}}) {
        SCOPED_TRACE(c.t);
        ExpectBurnt(FrameAt(c.t), c.level, 640 * 480, GetBitmap(cervinglow2Guid));
    }
}

TEST_F(BurnOutTest, TestsOnlyThePixelsTheMaskHolds) {
    const float end = std::nextafter(520.0f, 0.0f);
    struct Case {
        int32_t w, h;
    };
    for (const Case& c : {Case{320, 240}, Case{1, 1}, Case{0, 0}, Case{641, 481}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        ReplacePicture(cervinglow2Guid, c.w, c.h, 0x00000000u);
        const Bitmap* mask = GetBitmap(cervinglow2Guid);
        ExpectBurnt(FrameAt(end), 254, std::min(mask->size, 640 * 480), mask);
    }
}

TEST_F(MachineTest, WaveBandsDrawRandomValuesOnlyOnTheBeat) {
    const auto nextRandomAfter = [&](float t, float b0) {
        SetBeats(b0, 0.0f);
        platform::ResetRand();
        RenderAt(t);
        return platform::Rand();
    };
    platform::ResetRand();
    int sequence[6];
    for (int& value : sequence) value = platform::Rand();
    EXPECT_EQ(nextRandomAfter(315.0f, 0.5f), sequence[0]);
    EXPECT_EQ(nextRandomAfter(315.0f, 0.51f), sequence[5]);
    EXPECT_EQ(nextRandomAfter(309.99f, 0.9f), sequence[0]);
    EXPECT_EQ(nextRandomAfter(349.99f, 0.9f), sequence[5]);
}

// One effect time inside each block of the machine and the finale, with the pictures they use.
struct BlockSample {
    float t;
    std::vector<int32_t> pictures;
};
std::vector<BlockSample> BlockSamples() {
    const std::vector<int32_t> counter = {theevilmachineCounterGuid, digitSmallGuids[0],  digitSmallGuids[1],
                                          digitSmallGuids[2],        digitSmallGuids[3],  digitSmallGuids[7],
                                          digitSmallGuids[8],        digitSmallPointsGuid};
    std::vector<int32_t> wild = counter;
    wild.insert(wild.end(), {digitSmallGuids[5], digitSmallGuids[6], noswissGuid});
    std::vector<int32_t> burn = counter;
    burn.push_back(cervinglow2Guid);
    std::vector<int32_t> countdown = counter;
    countdown.push_back(casinoviewGuid);
    std::vector<int32_t> burst = {explosionBackgroundGuid, explosionZembraboomGuid};
    burst.insert(burst.end(), headAGuids, headAGuids + 3);
    burst.insert(burst.end(), headBGuids, headBGuids + 3);
    return {
        {305.0f, {casinoviewGuid, theevilmachineGuid}},
        {340.0f, {casinoviewGuid, theevilmachineGuid, evilmachineGuid}},
        {355.0f, counter},
        {365.0f, wild},
        {375.0f, {casinoviewGuid, theevilmachineGuid, zembravaleWorkerGuid, defuse1Guid}},
        {385.0f, {casinoviewGuid, theevilmachineGuid, zembravaleWorkerGuid, defuse2Guid}},
        {395.0f, {casinoviewGuid, theevilmachineGuid, zembravaleWorkerGuid, fuckingwireGuid}},
        {410.0f, {theredGuid, thegreenGuid}},
        {425.0f, {alamoIntroGuid}},
        {440.0f, {alamoCroonerCowboyBackgroundGuid}},
        {460.0f, {alamoCroonerCowboyBackgroundGuid, alamoCroonerCowboyGuid}},
        {495.0f, {alamoCroonerCowboyBackgroundGuid, alamoCroonerCowboyGuid}},
        {502.0f, counter},
        {507.0f, {casinoviewGuid, pinceAloneGuid}},
        {512.0f, {casinoviewGuid, pinceAloneGuid, snapGuid}},
        {515.5f, counter},
        {519.9f, burn},
        {525.0f, {movie1Guid}},
        {575.0f, {movie6Guid}},
        {590.0f, countdown},
        {602.0f, burst},
        {697.0f, burst},
        {705.0f, {fin01Guid}},
        {775.0f, {fin08Guid}},
        {785.0f, {fin09Guid}},
        {795.0f, {fin10Guid}},
        {802.0f, {creditsGuid}},
        {807.0f, {fin11Guid}},
    };
}

// A user's own archive may hold any picture at any size, even empty. Every beat test on, so every
// branch reads its pictures; run under the sanitizers this shows no read or write outside them.
TEST_F(MachineTest, PicturesOfAnySizeKeepEveryFrameInBounds) {
    SetBeats(0.9f, 0.9f, 0.9f);
    for (const BlockSample& sample : BlockSamples()) {
        for (int32_t guid : sample.pictures) {
            for (int32_t side : {1, 0}) {
                SCOPED_TRACE(testing::Message()
                             << "t " << sample.t << " picture " << guid << " side " << side);
                ReplacePicture(guid, side, side, 0x00FFFFFFu);
                scene.Fill(SceneFixture::kUntouched);
                RenderAt(sample.t);
                // Only a frame made of that one picture alone may stay as it was.
                if (sample.pictures.size() > 1 || side == 1) {
                    EXPECT_FALSE(scene.Untouched());
                }
                const auto [w, h] = PictureSize(guid);
                ReplacePicture(guid, w, h, ColourOf(guid));
            }
        }
    }
}

TEST_F(MachineTest, RestOfTheFrameIsDrawnAroundAnEmptyPicture) {
    // The close-up gone: the digits still stand in their slots.
    ReplacePicture(theevilmachineCounterGuid, 0, 0, 0u);
    RenderAt(355.0f);
    EXPECT_EQ(scene.At(140, 119), ColourOf(digitSmallGuids[0]));
    EXPECT_EQ(scene.At(258, 178), ColourOf(digitSmallGuids[2]));
    EXPECT_EQ(scene.At(0, 0), SceneFixture::kUntouched);
    // The machine gone: the casino and the caption remain.
    ReplacePicture(theevilmachineGuid, 0, 0, 0u);
    RenderAt(340.0f);
    EXPECT_EQ(scene.At(364, 308), ColourOf(evilmachineGuid));
    EXPECT_GT(scene.Count(ColourOf(casinoviewGuid)), 0);
    // A one-pixel worker: the machine below it shows from row 120.
    ReplacePicture(zembravaleWorkerGuid, 1, 1, 0u);
    ReplacePicture(theevilmachineGuid, 640, 480, ColourOf(theevilmachineGuid));
    RenderAt(375.0f);
    EXPECT_EQ(scene.At(0, 0), 0u);
    EXPECT_EQ(scene.At(639, 479), ColourOf(theevilmachineGuid));
}

}  // namespace
