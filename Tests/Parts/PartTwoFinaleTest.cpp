// Part two's finale (effect time 520 to 810) as a viewer sees it: stills in their ranges, the final
// countdown and its beat, the head bursts, and nothing at all from 810 on.
#include "Parts/PartTwoTesting.h"

#include <cmath>
#include <map>
#include <utility>

namespace {

using FinaleTest = PartTwoTest;

TEST_F(FinaleTest, StillsAndClosingPicturesFollowTheirRanges) {
    struct Case {
        float t;
        int32_t picture;
        int x, y;  // where the picture's top-left pixel lands; (0, 0) for full-frame pictures
    };
    const Case cases[] = {
        {520.0f, movie1Guid, 0, 0},     {529.99f, movie1Guid, 0, 0},    {530.0f, movie2Guid, 0, 0},
        {545.0f, movie3Guid, 0, 0},     {555.0f, movie4Guid, 0, 0},     {565.0f, movie5Guid, 0, 0},
        {579.99f, movie6Guid, 0, 0},    {700.0f, fin01Guid, 0, 0},      {709.99f, fin01Guid, 0, 0},
        {710.0f, fin02Guid, 0, 0},      {725.0f, fin03Guid, 0, 0},      {735.0f, fin04Guid, 0, 0},
        {745.0f, fin05Guid, 0, 0},      {755.0f, fin06Guid, 0, 0},      {769.99f, fin07Guid, 0, 0},
        {770.0f, fin08Guid, 244, 177},  {789.99f, fin09Guid, 245, 173}, {790.0f, fin10Guid, 273, 229},
        {800.0f, creditsGuid, 0, 0},    {804.99f, creditsGuid, 0, 0},   {805.0f, fin11Guid, 187, 216},
        {809.99f, fin11Guid, 187, 216},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        RenderAt(c.t);
        EXPECT_EQ(scene.At(c.x, c.y), ColourOf(c.picture));
        if (c.x == 0) {
            EXPECT_EQ(scene.At(639, 479), ColourOf(c.picture));
        }
        if (c.x > 0) {  // a small picture on black
            scene.Fill(SceneFixture::kUntouched);
            RenderAt(c.t);
            EXPECT_EQ(scene.At(c.x - 1, c.y), 0u);
            EXPECT_EQ(scene.At(0, 0), 0u);
        }
    }
}

TEST_F(FinaleTest, DrawsNothingFrom810On) {
    for (float t : {810.0f, 900.0f, 1000.0f}) {
        RenderAt(t);
        EXPECT_TRUE(scene.Untouched()) << t;
    }
}

TEST_F(FinaleTest, FinalCountdownRunsFromSevenToZero) {
    const uint32_t counter = ColourOf(theevilmachineCounterGuid);
    const uint32_t casino = ColourOf(casinoviewGuid);
    struct Case {
        float t;
        int32_t seconds;
        float b0;
        uint32_t background;  // the close-up after the casino picture is added or taken away
    };
    for (const Case& c : {Case{580.0f, 7, 0.0f, AddChannels(counter, casino)},
                          Case{590.0f, 3, 0.25f, AddChannels(counter, casino)},
                          Case{std::nextafter(600.0f, 0.0f), 0, 0.26f, SubtractChannels(counter, casino)}}) {
        SCOPED_TRACE(c.t);
        SetBeats(c.b0, 0.0f);
        RenderAt(c.t);
        // The digits are drawn again after the casino picture: they show in their own colours.
        EXPECT_EQ(scene.At(140, 119), ColourOf(digitSmallGuids[0]));
        EXPECT_EQ(scene.At(193, 149), ColourOf(digitSmallPointsGuid));
        EXPECT_EQ(scene.At(258, 178), ColourOf(digitSmallGuids[0]));
        EXPECT_EQ(scene.At(334, 214), ColourOf(digitSmallGuids[c.seconds]));
        EXPECT_EQ(scene.At(0, 479), c.background);
    }
}

TEST_F(FinaleTest, ThirdBandChangesOnlyTheFinalCountdown) {
    // A close-up just bright enough (180) for the third band's cut at 178 and, with the casino
    // added, still short of white.
    ReplacePicture(theevilmachineCounterGuid, 640, 480, 0x00B4B4B4u);
    for (float t : {305.0f, 335.0f, 355.0f, 365.0f, 375.0f, 395.0f, 410.0f, 425.0f, 440.0f,
                    460.0f, 480.0f, 495.0f, 502.0f, 507.0f, 512.0f, 515.5f, 519.9f, 525.0f,
                    580.0f, 599.0f, 650.0f, 705.0f, 775.0f, 802.0f, 807.0f}) {
        SetBeats(0.0f, 0.0f, 0.0f);
        const Frame quiet = FrameAt(t);
        SetBeats(0.0f, 0.0f, 1.0f);
        const Frame loud = FrameAt(t);
        EXPECT_EQ(quiet != loud, t >= 580.0f && t < 600.0f) << t;
    }
}

// The head bursts: each head a single pixel of its picture's colour, so every head that is drawn
// shows where it landed. Compared with a frame whose heads are empty pictures.
class HeadBurstTest : public PartTwoTest {
protected:
    void SetHeads(int32_t side) {
        for (int32_t v = 0; v < 3; ++v) {
            ReplacePicture(headAGuids[v], side, side, ColourOf(headAGuids[v]));
            ReplacePicture(headBGuids[v], side, side, ColourOf(headBGuids[v]));
        }
    }
    // Pixels the heads change, with their colours.
    std::map<std::pair<int, int>, uint32_t> HeadsAt(float t) {
        SetHeads(0);
        const Frame background = FrameAt(t);
        SetHeads(1);
        const Frame heads = FrameAt(t);
        std::map<std::pair<int, int>, uint32_t> changed;
        for (size_t i = 0; i < heads.size(); ++i) {
            if (heads[i] != background[i])
                changed[{static_cast<int>(i % 640), static_cast<int>(i / 640)}] = heads[i];
        }
        return changed;
    }
    // Where burst j puts its forty heads at progress g, the later of two heads on one pixel on top.
    std::map<std::pair<int, int>, uint32_t> Expected(int j, float g) {
        struct Group {
            double cx, cy, sx, sy;
        };
        const Group groups[4] = {
            {180, 200, 600, 400}, {380, 300, 500, 400}, {480, 100, 1100, 1100}, {80, 10, 700, 870}};
        std::map<std::pair<int, int>, uint32_t> heads;
        for (int group = 0; group < 4; ++group) {
            for (int n = 0; n < 10; ++n) {
                const int i = 5 * j + 40 + 10 * group + n;
                const double progress = g;
                const auto x =
                    static_cast<int>(progress * part.burstDir[0][i] * groups[group].sx + groups[group].cx);
                const auto y =
                    static_cast<int>(progress * part.burstDir[1][i] * groups[group].sy + groups[group].cy);
                const int32_t guid = (i % 2 == 1 ? headAGuids : headBGuids)[part.burstHead[i]];
                if (x >= 0 && x < 640 && y >= 0 && y < 480) heads[{x, y}] = ColourOf(guid);
            }
        }
        return heads;
    }
};

TEST_F(HeadBurstTest, HeadsStartOnTheFourCentresAndFlyOut) {
    const auto start = HeadsAt(600.0f);
    ASSERT_EQ(start.size(), 4u);
    // The last head of each group of ten covers the others: indices 49, 59, 69, 79, all odd.
    EXPECT_EQ(start.at({180, 200}), ColourOf(headAGuids[part.burstHead[49]]));
    EXPECT_EQ(start.at({380, 300}), ColourOf(headAGuids[part.burstHead[59]]));
    EXPECT_EQ(start.at({480, 100}), ColourOf(headAGuids[part.burstHead[69]]));
    EXPECT_EQ(start.at({80, 10}), ColourOf(headAGuids[part.burstHead[79]]));
    EXPECT_EQ(HeadsAt(605.0f), Expected(1, 0.0f));
    EXPECT_EQ(HeadsAt(602.5f), Expected(0, 0.5f));
    EXPECT_EQ(HeadsAt(627.5f), Expected(5, 0.5f));
    EXPECT_GT(HeadsAt(627.5f).size(), 10u);
}

TEST_F(HeadBurstTest, ExactlyOneBurstDrawsFrom600To700) {
    for (int j = 0; j < 20; ++j) {
        const float start = 600.0f + 5.0f * static_cast<float>(j);
        SCOPED_TRACE(start);
        EXPECT_EQ(HeadsAt(start), Expected(j, 0.0f));
        const float end = std::nextafter(start + 5.0f, 0.0f);
        const auto g = static_cast<float>((static_cast<double>(end) - start) / 5.0);
        EXPECT_EQ(HeadsAt(end), Expected(j, g));
    }
    // Outside [600, 700) the twenty calls draw nothing: the countdown before, the first still after.
    EXPECT_TRUE(HeadsAt(std::nextafter(600.0f, 0.0f)).empty());
    EXPECT_TRUE(HeadsAt(700.0f).empty());
    scene.Fill(SceneFixture::kUntouched);
    for (float t : {0.0f, 599.99f, 700.0f, 850.0f}) part.HeadBurst(600.0f, 605.0f, 0, t);
    EXPECT_TRUE(scene.Untouched());
}

TEST_F(HeadBurstTest, BoomLetteringOnTheSecondBand) {
    // The float 0.1f lies just above the constant 0.1, so it counts as above it.
    struct Case {
        float b1;
        bool boom;
    };
    for (const Case& c : {Case{0.0999f, false}, Case{0.1f, true}, Case{0.5f, true}}) {
        SetBeats(0.0f, c.b1);
        RenderAt(602.0f);
        EXPECT_EQ(scene.At(0, 479) == ColourOf(explosionZembraboomGuid), c.boom) << c.b1;
    }
}

}  // namespace
