// Part two's opening as a viewer sees it (effect time 0 to 150): the jumping magnifiers, the ring
// colours and sweeps, the figure's echoes, the captions, and the photograph used as a mask.
#include "Parts/PartTwoTesting.h"

#include <cmath>
#include <tuple>

namespace {

using namespace parttwo_testing;

class PartTwoOpeningTest : public PartTwoSceneTest {
protected:
    // Pixels showing the coordinate-painted picture, and how many of them are not the window
    // (x0, y0) zoomed `factor` times.
    struct ZoomCheck {
        int shown = 0;
        int wrong = 0;
    };
    ZoomCheck CheckZoom(int32_t x0, int32_t y0, int32_t factor) {
        ZoomCheck check;
        for (int32_t y = 0; y < 480; ++y) {
            for (int32_t x = 0; x < 640; ++x) {
                const uint32_t word = scene.At(x, y);
                if (!IsCode(word)) continue;
                ++check.shown;
                check.wrong += word != Code(x0 + x / factor, y0 + y / factor);
            }
        }
        return check;
    }
};

TEST_F(PartTwoOpeningTest, MagnifierJumpsThroughItsCornersFourTimesAWallSecondAtMost) {
    PaintCoordinates(tajPhareFullscreenCasinoGuid);
    SetBeats(0.0f, 0.0f);
    // The first frame jumps at once: corner pair 2, count 1, the photograph 4x from (169, 270).
    SetWallMilliseconds(1000);
    RenderAt(5.0f);
    EXPECT_EQ(Moving().firstJump.index, 2);
    EXPECT_EQ(Moving().firstJump.count, 1);
    ZoomCheck zoom = CheckZoom(169, 270, 4);
    EXPECT_GT(zoom.shown, 100000);  // the rest is rings and the rising figure
    EXPECT_EQ(zoom.wrong, 0);

    // Within a quarter second nothing moves; above 0.3 the title picture takes the photograph's
    // place. A float level of 0.3 lies just above 0.3; the float below it does not.
    struct Case {
        uint32_t ms;
        float b1;
        bool title;
    };
    for (const Case& c :
         {Case{1100, 0.3f, true}, Case{1250, std::nextafter(0.3f, 0.0f), false}, Case{1250, 0.35f, true}}) {
        SCOPED_TRACE(c.ms);
        SetWallMilliseconds(c.ms);
        SetBeats(0.0f, c.b1);
        RenderAt(5.0f);
        EXPECT_EQ(Moving().firstJump.count, 1);
        zoom = CheckZoom(169, 270, 4);
        EXPECT_EQ(zoom.wrong, 0);
        EXPECT_EQ(zoom.shown == 0, c.title);
        EXPECT_EQ(scene.Count(ColourOf(zembramountDarkGuid)) > 100000, c.title);
    }

    // Past a quarter second each frame jumps: even counts zoom the photograph 8x, odd ones 4x,
    // through the corner pairs 4, 6, 8, 0, 2.
    SetBeats(0.0f, 0.0f);
    struct Jump {
        int index, factor;
        int32_t x, y;
    };
    const Jump jumps[] = {
        {4, 8, 42, 351}, {6, 4, 146, 353}, {8, 8, 232, 372}, {0, 4, 192, 210}, {2, 8, 43, 291}};
    for (int n = 0; n < 5; ++n) {
        SCOPED_TRACE(n);
        SetWallMilliseconds(1251 + 251 * n);
        RenderAt(5.0f);
        EXPECT_EQ(Moving().firstJump.index, jumps[n].index);
        EXPECT_EQ(Moving().firstJump.count, n + 2);
        zoom = CheckZoom(jumps[n].x, jumps[n].y, jumps[n].factor);
        EXPECT_GT(zoom.shown, 100000);
        EXPECT_EQ(zoom.wrong, 0);
    }
}

TEST_F(PartTwoOpeningTest, RandomMagnifierDrawsItsCornersOnlyOnceReached) {
    PaintCoordinates(casinoviewGuid);
    SetBeats(0.0f, 0.0f);
    SetWallMilliseconds(1000);
    // Before 110 the random sequence is left alone.
    platform::ResetRand(7);
    const int next = platform::Rand();
    platform::ResetRand(7);
    RenderAt(109.9f);
    EXPECT_EQ(platform::Rand(), next);
    EXPECT_EQ(Moving().secondJump.count, 0);

    // The first frame of the scene jumps: x then y from the next two values (41 and 18467 of a
    // fresh sequence), and the casino interior 4x from there.
    platform::ResetRand();
    RenderAt(115.0f);
    EXPECT_EQ(Moving().secondJump.count, 1);
    EXPECT_EQ(Moving().secondJump.x, 41 % 470);
    EXPECT_EQ(Moving().secondJump.y, 18467 % 350);
    const uint32_t first = Code(41, 18467 % 350);
    EXPECT_EQ(scene.At(0, 0), first);
    EXPECT_EQ(scene.At(3, 3), first);
    EXPECT_EQ(scene.At(639, 479), Code(41 + 159, 18467 % 350 + 119));

    // Above 0.35 the same corner of the lighthouse photograph (solid in this fixture).
    SetWallMilliseconds(1200);
    SetBeats(0.0f, 0.36f);
    RenderAt(115.0f);
    EXPECT_EQ(Moving().secondJump.count, 1);
    EXPECT_EQ(scene.Count(ColourOf(tajPhareFullscreenCasinoGuid)), 640 * 480);

    // The next jump shows the whole interior and already holds the following corner.
    SetWallMilliseconds(1300);
    RenderAt(115.0f);
    EXPECT_EQ(Moving().secondJump.count, 2);
    EXPECT_EQ(Moving().secondJump.x, 6334 % 470);
    EXPECT_EQ(Moving().secondJump.y, 26500 % 350);
    EXPECT_EQ(scene.At(0, 0), Code(0, 0));
    EXPECT_EQ(scene.At(639, 479), Code(639, 479));
}

TEST_F(PartTwoOpeningTest, RingColoursFollowTheBeatAndTheWhiteSweepEndsAt110) {
    struct Case {
        float t, b1;
        bool white, black, blueGrey;
    };
    for (const Case& c : {Case{5, 0.39f, true, false, false}, Case{5, 0.41f, false, true, true},
                          Case{99.99f, 0.39f, true, false, false}, Case{105, 0.0f, true, false, false},
                          Case{109.99f, 0.0f, true, false, false}, Case{110, 0.0f, false, false, false},
                          Case{115, 0.39f, false, false, false}, Case{115, 0.41f, false, true, false},
                          Case{150, 0.41f, false, false, false}}) {
        SCOPED_TRACE(::testing::Message() << "t " << c.t << ", b1 " << c.b1);
        SetBeats(0.0f, c.b1);
        scene.Fill(SceneFixture::kUntouched);
        RenderAt(c.t);
        EXPECT_EQ(scene.Count(0xFFFFFF) > 1000, c.white);
        EXPECT_EQ(scene.Count(0x000000) > 1000, c.black);
        EXPECT_EQ(scene.Count(0x3A5461) > 1000, c.blueGrey);
    }
}

TEST_F(PartTwoOpeningTest, FigureRisesThenEchoesFromTwentyWhileTheEchoesCloseIn) {
    SetBeats(1.0f, 0.0f);  // a high brightness cut keeps the pictures' own colours
    const uint32_t figure = ColourOf(vostelAloneGuid);
    struct Case {
        float t;
        int32_t x, y;
        bool shown;
    };
    for (const Case& c :
         {Case{19.9f, 40, 92, true}, Case{19.9f, 40, 91, false}, Case{19.9f, 639, 470, false},
          Case{20, 40, 91, true}, Case{20, 639, 470, true}, Case{20, 39, 470, false}, Case{35, 130, 52, true},
          Case{35, 129, 60, false}, Case{35, 130, 51, false}, Case{35, 107, 68, true},
          Case{35, 107, 67, false}, Case{39.99f, 600, 470, false}, Case{39.99f, 40, 91, true},
          Case{0, 40, 479, false}, Case{95, 40, 284, false}, Case{95, 40, 285, true}}) {
        SCOPED_TRACE(::testing::Message() << "t " << c.t << " at " << c.x << "," << c.y);
        RenderAt(c.t);
        EXPECT_EQ(scene.At(c.x, c.y) == figure, c.shown);
    }
}

TEST_F(PartTwoOpeningTest, CaptionsSwellOnTheWallClockAndSlideLeft) {
    SetBeats(0.0f, 0.0f);
    SetWallMilliseconds(0);  // 1.5 and 2.5 times the captions' base sizes
    RenderAt(90.0f);         // first caption from x = 160, second from x = 177
    const uint32_t first = ColourOf(vostel1Guid), second = ColourOf(vostel2Guid);
    EXPECT_EQ(scene.At(160, 185), first);
    EXPECT_NE(scene.At(159, 185), first);
    EXPECT_NE(scene.At(160, 184), first);
    EXPECT_EQ(scene.At(176, 380), first);  // 131 * 1.5 rows high
    EXPECT_NE(scene.At(160, 381), first);
    EXPECT_EQ(scene.At(177, 300), second);
    EXPECT_EQ(scene.At(639, 479), second);
    EXPECT_NE(scene.At(176, 479), second);
    // A quarter turn of the clock later the first caption is 2.5 times its size: below the frame.
    SetWallMilliseconds(524);
    RenderAt(90.0f);
    EXPECT_EQ(scene.At(160, 479), first);
    // From 100 both captions and the figure are gone.
    RenderAt(100.0f);
    EXPECT_EQ(scene.Count(first) + scene.Count(second) + scene.Count(ColourOf(vostelAloneGuid)), 0);
    // Before that, the still captions end at 50 (the second) and 60 (the first), the figure
    // showing where they stood.
    for (const auto& [t, x, y, caption, shown] : {std::tuple{49.99f, 225, 400, second, true},
                                                  {50.0f, 225, 400, second, false},
                                                  {59.99f, 221, 185, first, true},
                                                  {60.0f, 221, 185, first, false}}) {
        RenderAt(t);
        EXPECT_EQ(scene.At(x, y) == caption, shown) << t;
    }
}

TEST_F(PartTwoOpeningTest, PhotographMasksTheFrameOnlyAboveItsBeat) {
    const uint32_t photo = ColourOf(tajPhareFullscreenCasinoGuid);
    const uint32_t figure = ColourOf(vostelAloneGuid);
    const uint32_t interior = ColourOf(casinoviewGuid);
    // 40-60: noise, the figure, then AND with the photograph above 0.25 (0.25 itself is exact).
    SetBeats(0.25f, 0.0f);
    RenderAt(50.0f);
    EXPECT_EQ(scene.At(300, 470), figure);
    SetBeats(0.26f, 0.0f);
    RenderAt(50.0f);
    EXPECT_EQ(scene.At(300, 470), figure & photo);
    // 100-120 above 0.8: the white sweep over the photograph is masked back to the photograph.
    SetBeats(0.79f, 0.0f);
    RenderAt(105.0f);
    EXPECT_LT(scene.Count(photo), 640 * 480);
    SetBeats(0.81f, 0.0f);
    RenderAt(105.0f);
    EXPECT_EQ(scene.Count(photo), 640 * 480);
    // 110-150 above 0.4: the interior (zoomed or whole) masked by the photograph.
    SetBeats(0.39f, 0.0f);
    RenderAt(115.0f);
    EXPECT_EQ(scene.Count(interior), 640 * 480);
    SetBeats(0.41f, 0.0f);
    RenderAt(115.0f);
    EXPECT_EQ(scene.Count(interior & photo), 640 * 480);
}

}  // namespace
