// Part two's finale (effect time 520 to 810) as a viewer sees it.
#include "Parts/PartTwoTesting.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <utility>

namespace {

class FinaleTest : public PartTwoBlockTest {
protected:
    // Heads of one pixel each in their picture's colour, so a frame shows where every head landed.
    std::map<std::pair<int, int>, uint32_t> HeadsAt(float t) {
        std::vector<uint32_t> frames[2];
        for (int side : {0, 1}) {
            for (int v = 0; v < 3; ++v) {
                for (int32_t guid : {headAGuids[v], headBGuids[v]}) {
                    ReplacePicture(guid, side, side, [guid](int32_t) { return ColourOf(guid); });
                }
            }
            RenderAt(t);
            frames[side] = Frame();
        }
        std::map<std::pair<int, int>, uint32_t> heads;
        for (int i = 0; i < 640 * 480; ++i) {
            if (frames[1][i] != frames[0][i]) heads[{i % 640, i / 640}] = frames[1][i];
        }
        return heads;
    }
    // Burst j at progress g: four groups of ten from their centres; a later head covers an earlier one.
    std::map<std::pair<int, int>, uint32_t> Expected(int j, float g) {
        const double group[4][4] = {
            {180, 200, 600, 400}, {380, 300, 500, 400}, {480, 100, 1100, 1100}, {80, 10, 700, 870}};
        std::map<std::pair<int, int>, uint32_t> heads;
        for (int i = 5 * j + 40; i < 5 * j + 80; ++i) {
            const double* c = group[(i - 5 * j - 40) / 10];
            const int x =
                static_cast<int>(static_cast<double>(g) * part.Tables().burstDir[0][i] * c[2] + c[0]);
            const int y =
                static_cast<int>(static_cast<double>(g) * part.Tables().burstDir[1][i] * c[3] + c[1]);
            const int32_t guid = (i % 2 == 1 ? headAGuids : headBGuids)[part.Tables().burstHead[i]];
            if (x >= 0 && x < 640 && y >= 0 && y < 480) heads[{x, y}] = ColourOf(guid);
        }
        return heads;
    }
};

TEST_F(FinaleTest, StillsFollowTheirRangesAndNothingIsDrawnFrom810) {
    // Full-frame stills at (0, 0); the pictures on black at their own corner, with black beside.
    for (const auto& [t, guid, x, y] : {std::tuple{520.0f, movie1Guid, 0, 0},
                                        {529.99f, movie1Guid, 0, 0},
                                        {530.0f, movie2Guid, 0, 0},
                                        {579.99f, movie6Guid, 0, 0},
                                        {700.0f, fin01Guid, 0, 0},
                                        {710.0f, fin02Guid, 0, 0},
                                        {769.99f, fin07Guid, 0, 0},
                                        {770.0f, fin08Guid, 244, 177},
                                        {789.99f, fin09Guid, 245, 173},
                                        {790.0f, fin10Guid, 273, 229},
                                        {804.99f, creditsGuid, 0, 0},
                                        {805.0f, fin11Guid, 187, 216}}) {
        RenderAt(t);
        EXPECT_EQ(scene.At(x, y), ColourOf(guid)) << t;
        EXPECT_EQ(scene.At(std::max(x - 1, 0), y), x > 0 ? 0u : ColourOf(guid)) << t;
    }
    scene.Fill(SceneFixture::kUntouched);
    for (float t : {810.0f, 1000.0f}) RenderAt(t, 0.9f, 0.9f, 0.9f);
    EXPECT_TRUE(scene.Untouched());
}

TEST_F(FinaleTest, FinalCountdownAndItsBeats) {
    // Greys: the close-up 180, the casino 16, added (196) or taken away (164) on the first band.
    ReplacePicture(theevilmachineCounterGuid, 640, 480, [](int32_t) { return 0x00B4B4B4u; });
    ReplacePicture(casinoviewGuid, 640, 480, [](int32_t) { return 0x00101010u; });
    // Above 0.3 the third band whitens what is brighter than 50 b2 + 128: 0.29 leaves the grey, 1 cuts it.
    for (const auto& [t, b0, b2, seconds, grey] :
         {std::tuple{580.0f, 0.0f, 0.0f, 7, 0xC4C4C4u},
          {590.0f, 0.25f, 0.29f, 3, 0xC4C4C4u},
          {590.0f, 0.26f, 0.0f, 3, 0xA4A4A4u},
          {590.0f, 0.0f, 1.0f, 3, 0xFFFFFFu},
          {std::nextafter(600.0f, 0.0f), 0.0f, 0.0f, 0, 0xC4C4C4u}}) {
        RenderAt(t, b0, 0, b2);
        EXPECT_EQ(scene.At(0, 479), grey) << t;
        // The digits are drawn again on top: 0:0n in their own colours.
        EXPECT_EQ(scene.At(140, 119), ColourOf(digitSmallGuids[0])) << t;
        EXPECT_EQ(scene.At(258, 178), ColourOf(digitSmallGuids[0])) << t;
        EXPECT_EQ(scene.At(334, 214), ColourOf(digitSmallGuids[seconds])) << t;
    }
    // Nowhere else does the third band change a frame.
    for (float t : {305.0f, 355.0f, 365.0f, 395.0f, 440.0f, 502.0f, 519.9f, 525.0f, 650.0f, 705.0f, 807.0f}) {
        RenderAt(t);
        const std::vector<uint32_t> quiet = Frame();
        RenderAt(t, 0, 0, 1);
        EXPECT_EQ(Frame(), quiet) << t;
    }
}

TEST_F(FinaleTest, ExactlyOneHeadBurstFliesAtATimeFromTheFourCentres) {
    const auto start = HeadsAt(600);
    EXPECT_EQ(start, Expected(0, 0));
    EXPECT_EQ(start.size(), 4u);  // all forty heads on the four centres
    EXPECT_EQ(start.at({180, 200}), ColourOf(headAGuids[part.Tables().burstHead[49]]));
    EXPECT_GT(HeadsAt(627.5f).size(), 10u);
    EXPECT_EQ(HeadsAt(627.5f), Expected(5, 0.5f));
    for (int j = 0; j < 20; ++j) {
        const float from = 600.0f + 5.0f * static_cast<float>(j), last = std::nextafter(from + 5, 0.0f);
        EXPECT_EQ(HeadsAt(from), Expected(j, 0)) << from;
        EXPECT_EQ(HeadsAt(last), Expected(j, static_cast<float>((last - static_cast<double>(from)) / 5)))
            << last;
    }
    EXPECT_TRUE(HeadsAt(std::nextafter(600.0f, 0.0f)).empty());
    scene.Fill(SceneFixture::kUntouched);
    for (float t : {599.99f, 605.0f, 850.0f}) part.HeadBurst(600, 605, 0, t);
    EXPECT_TRUE(scene.Untouched());
}

}  // namespace
