// Part two from the machine to the burn-out (effect time 300 to 520) as a viewer sees it.
#include "Parts/PartTwoTesting.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

namespace {

using MachineTest = PartTwoBlockTest;

TEST_F(MachineTest, CounterAndCaptionsFollowTheTimeline) {
    // Slots (71, 85), (140, 119), (258, 178), (334, 214); -1 shows the close-up itself.
    struct Reading {
        float t;
        int digits[4];
    };
    const int slots[4][2] = {{71, 85}, {140, 119}, {258, 178}, {334, 214}};
    for (const Reading& r :
         {Reading{350, {-1, 0, 3, 0}}, Reading{361.99f, {-1, 0, 1, 8}}, Reading{362, {2, 4, 6, 3}},
          Reading{369.99f, {3, 9, 7, 8}}, Reading{504.99f, {-1, 0, 0, 8}}, Reading{515, {-1, 0, 0, 8}},
          Reading{516, {-1, 0, 0, 7}}}) {
        RenderAt(r.t);
        for (int s = 0; s < 4; ++s) {
            const int d = r.digits[s];
            EXPECT_EQ(scene.At(slots[s][0], slots[s][1]),
                      ColourOf(d < 0 ? theevilmachineCounterGuid : digitSmallGuids[d]))
                << r.t << " slot " << s;
        }
    }
    struct Caption {
        float t;
        int32_t guid;
        int x, y;
        bool shown;
    };
    // The first defuse caption is probed at its far corner, which the second one (from 126, 164)
    // does not cover. 0x1.908d94p+8 and the next float lie either side of a zero of sin(4t):
    // negative, then positive.
    const int defuseX = 240 + PictureSize(defuse1Guid).first - 1,
              defuseY = 210 + PictureSize(defuse1Guid).second - 1;
    for (const Caption& c :
         {Caption{361.99f, noswissGuid, 70, 330, false}, Caption{362, noswissGuid, 70, 330, true},
          Caption{379.99f, defuse1Guid, defuseX, defuseY, true},
          Caption{380, defuse1Guid, defuseX, defuseY, false}, Caption{380, defuse2Guid, 126, 164, true},
          Caption{389.99f, defuse2Guid, 126, 164, true}, Caption{390, defuse2Guid, 126, 164, false},
          Caption{390, fuckingwireGuid, 229, 101, true}, Caption{0x1.908d94p+8f, thegreenGuid, 88, 163, true},
          Caption{0x1.908d94p+8f, theredGuid, 151, 195, false},
          Caption{0x1.908d96p+8f, theredGuid, 151, 195, true},
          Caption{0x1.908d96p+8f, thegreenGuid, 88, 163, false}}) {
        RenderAt(c.t);
        EXPECT_EQ(scene.At(c.x, c.y) == ColourOf(c.guid), c.shown) << c.t << " picture " << c.guid;
    }
    // From 390 the machine is added over the worker from row 120 down.
    RenderAt(390);
    EXPECT_EQ(scene.At(639, 119), ColourOf(zembravaleWorkerGuid));
    EXPECT_GT(scene.At(639, 120), ColourOf(zembravaleWorkerGuid));
}

TEST_F(MachineTest, NoSwissIsDrawnAgainOverTheEffectsOnlyAbove362) {
    // b1 = 0.4 turns the rows 120 pixels left: the caption drawn at 70 wraps round to 590, and the
    // columns from 70 + w - 120 show it only once it is drawn again over the turned rows.
    const int clear = 70 + PictureSize(noswissGuid).first - 120;
    RenderAt(362, 0, 0.4f);
    EXPECT_EQ(scene.At(590, 330), ColourOf(noswissGuid));
    EXPECT_NE(scene.At(clear, 330), ColourOf(noswissGuid));
    RenderAt(362.01f, 0, 0.4f);
    EXPECT_EQ(scene.At(clear, 330), ColourOf(noswissGuid));
}

TEST_F(MachineTest, WesternSetFadesInAndOut) {
    for (int32_t guid : {alamoCroonerCowboyBackgroundGuid, alamoCroonerCowboyGuid}) {
        ReplacePicture(guid, 640, 480, [](int32_t) { return 0x00C8C8C8u; });
    }
    const std::pair<float, uint32_t> grey[] = {{430, 0}, {440, 73}, {449.99f, 200}, {490, 200}, {495, 73}};
    for (const auto& [t, level] : grey) {
        RenderAt(t);
        EXPECT_EQ(scene.At(320, 240), level * 0x010101u) << t;
    }
}

// From 450 to 470 the figures fade in over their background: their weight in the frame grows from
// none to nearly all.
TEST_F(MachineTest, WesternFiguresFadeInOverTheirBackground) {
    ReplacePicture(alamoCroonerCowboyBackgroundGuid, 640, 480, [](int32_t) { return 0x00C80000u; });
    ReplacePicture(alamoCroonerCowboyGuid, 640, 480, [](int32_t) { return 0x000000C8u; });
    // The figures' share of the centre pixel: its blue over theirs (the background has none).
    const std::pair<float, double> shares[] = {
        {450, 0.0}, {455, 0.25}, {460, 0.5}, {469.9f, 0.995}, {470, 1.0}};
    for (const auto& [t, share] : shares) {
        RenderAt(t);
        const uint32_t pixel = scene.At(320, 240);
        EXPECT_NEAR((pixel & 0xFF) / 200.0, share, 0.02) << t;
        EXPECT_NEAR(((pixel >> 16) & 0xFF) / 200.0, 1.0 - share, 0.02) << t;
    }
}

TEST_F(MachineTest, WaveBandsDrawFiveRandomValuesOnlyOnTheBeat) {
    int sequence[6];
    platform::ResetRand();
    for (int& value : sequence) value = platform::Rand();
    for (const auto& [t, b0, drawn] : {std::tuple{315.0f, 0.5f, 0}, {315.0f, 0.51f, 5}, {309.99f, 0.9f, 0}}) {
        platform::ResetRand();
        RenderAt(t, b0);
        EXPECT_EQ(platform::Rand(), sequence[drawn]) << t << " " << b0;
    }
}

TEST_F(MachineTest, BurnOutBlackensWhereTheMaskIsBelowTheLevel) {
    scene.Fill(0x80123456);  // a key byte the copies keep and the burn-out must keep too
    RenderAt(519.29f);
    const std::vector<uint32_t> unburnt = Frame();
    const auto expectBurnt = [&](int32_t level) {
        const Bitmap* mask = GetBitmap(cervinglow2Guid);
        const std::vector<uint32_t> frame = Frame();
        int wrong = 0;
        for (int32_t i = 0; i < 640 * 480; ++i) {
            const bool burnt = i < mask->size && static_cast<int32_t>(mask->pixels[i] & 0xFF) < level;
            wrong += frame[i] != (burnt ? unburnt[i] & 0xFF000000u : unburnt[i]);
        }
        EXPECT_EQ(wrong, 0) << level << " " << mask->width << "x" << mask->height;
    };
    ReplacePicture(cervinglow2Guid, 640, 480,
                   [](int32_t i) { return 0x00AB0000u | static_cast<uint32_t>(i % 256); });
    // 519.302734375 gets level 1 from the single-precision constants, 0 from double ones.
    const std::pair<float, int32_t> levels[] = {
        {519.3f, 0}, {0x1.03a6cp+9f, 1}, {519.65f, 127}, {std::nextafter(520.0f, 0.0f), 254}};
    for (const auto& [t, level] : levels) {
        RenderAt(t);
        expectBurnt(level);
    }
    // A mask of another size: only the indices it holds are tested.
    for (int side : {0, 1, 300, 700}) {
        ReplacePicture(cervinglow2Guid, side, side, [](int32_t) { return 0u; });
        RenderAt(std::nextafter(520.0f, 0.0f));
        expectBurnt(254);
    }
}

// A user's own archive may hold any picture at any size: every picture of the machine and the
// finale at 1 x 1 and 0 x 0, at a moment in every block with every beat test on. Run under the
// sanitizers this shows no access outside the pictures; the rest of the frame is still drawn.
TEST_F(MachineTest, PicturesOfAnySizeKeepEveryFrameInBounds) {
    // The credits, the glow mask, and everything from the casino interior to the last picture.
    std::vector<int32_t> pictures = {creditsGuid, cervinglow2Guid};
    for (int32_t guid = casinoviewGuid; guid <= fin11Guid; ++guid) pictures.push_back(guid);
    const float moments[] = {305, 340,    355,    365, 375, 385, 395, 410, 425, 440, 460, 480, 495, 502, 507,
                             512, 515.5f, 519.9f, 525, 575, 590, 602, 697, 705, 765, 775, 785, 795, 802, 807};
    for (int32_t guid : pictures) {
        for (int side : {1, 0}) {
            ReplacePicture(guid, side, side, [](int32_t) { return 0x00FFFFFFu; });
            for (float t : moments) RenderAt(t, 0.9f, 0.9f, 0.9f);
        }
        const auto [w, h] = PictureSize(guid);
        ReplacePicture(guid, w, h, [guid](int32_t) { return ColourOf(guid); });
    }
    ReplacePicture(theevilmachineCounterGuid, 0, 0, [](int32_t) { return 0u; });
    scene.Fill(SceneFixture::kUntouched);
    RenderAt(355);
    EXPECT_EQ(scene.At(258, 178), ColourOf(digitSmallGuids[2]));
    EXPECT_EQ(scene.At(0, 0), SceneFixture::kUntouched);
}

}  // namespace
