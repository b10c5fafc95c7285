// Part one as a viewer sees it: act boundaries, beat thresholds, the zoom jumps, the bombs, the
// evil-plan caption, and the debug time line.
#include "Parts/PartOne.h"
#include "Support/CapturingSinks.h"
#include "Support/SceneFixture.h"

#include <gtest/gtest.h>

namespace {

uint32_t ColourOf(int32_t guid) { return SceneFixture::Colour(guid); }

class PartOneTest : public ::testing::Test {
protected:
    PartOneTest() { scene.Prepare(part, 300.0f, 2); }
    void RenderAt(float fx) { part.Render(scene.Canvas(), fx); }

    SceneFixture scene;  // must exist before the part: the part composes pictures when made
    PartOne part;
};

TEST_F(PartOneTest, ActsTakeOverExactlyAtTheirFirstEffectTime) {
    // At 99.99 act one ends with the title sliding out to the left over the topless mountain.
    RenderAt(99.99f);
    EXPECT_EQ(scene.At(0, 240), ColourOf(zembravaleGuid));
    EXPECT_EQ(scene.At(639, 240), ColourOf(zembramountToplessGuid));
    // At 100 act two covers the frame with the topless mountain: no title left.
    RenderAt(100.0f);
    EXPECT_EQ(scene.At(0, 240), ColourOf(zembramountToplessGuid));
    EXPECT_EQ(scene.Count(ColourOf(zembravaleGuid)), 0);
    // From 300 on, and before 0, part one draws nothing.
    scene.Fill(SceneFixture::kUntouched);
    part.timingKeys = {{0.0f, -10.0f}, {10.0f, 0.0f}, {20.0f, 300.0f}, {30.0f, 400.0f}};
    part.windowEnd = 30.0f;
    for (float t : {5.0f, 20.0f, 25.0f}) {
        RenderAt(t);
        EXPECT_TRUE(scene.Untouched()) << t;
    }
}

TEST_F(PartOneTest, DrawsNothingOutsideItsWindow) {
    part.timingKeys = {{10.0f, 0.0f}, {20.0f, 100.0f}};
    part.windowStart = 10.0f;
    part.windowEnd = 20.0f;
    for (float t : {9.99f, 20.0f}) {
        RenderAt(t);
        EXPECT_TRUE(scene.Untouched()) << t;
    }
}

TEST_F(PartOneTest, BeatTestsAreStrict) {
    // Act one, 30-60: b0 exactly 0.5 shows the light mountain with the soft glow (not the strong one).
    struct Case {
        float b0;
        int32_t mountain;
        uint32_t glow;
    };
    for (const Case& c : {Case{0.5f, zembramountLightGuid, 10}, Case{0.51f, zembramountDarkGuid, 20},
                          Case{0.45f, zembramountLightGuid, 10}, Case{0.4f, zembramountLightGuid, 10},
                          Case{0.39f, zembramountLightGuid, 0}}) {
        SCOPED_TRACE(c.b0);
        scene.SetBeat(part, 0, c.b0);
        RenderAt(35.0f);
        EXPECT_EQ(scene.At(639, 0), ColourOf(c.mountain) + c.glow * 0x010101);
    }
    // 0.4f lies just above 0.4 as a float, so it counts as above 0.4 (the row before the last).
}

TEST_F(PartOneTest, ActThreeRingColourFollowsB1) {
    const auto ringPixels = [&](float fx, float b1, uint32_t colour) {
        scene.SetBeat(part, 1, b1);
        RenderAt(fx);
        return scene.Count(colour);
    };
    // 200-250: black above 0.3, and the float 0.3f counts as above the constant 0.3.
    EXPECT_GT(ringPixels(205.0f, 0.3f, 0x000000), 0);
    EXPECT_EQ(scene.Count(0xFFFFFF), 0);
    EXPECT_GT(ringPixels(205.0f, 0.29f, 0xFFFFFF), 0);
    EXPECT_EQ(scene.Count(0x000000), 0);
    // From 250 the threshold is 0.5: exactly 0.5 gives white rings.
    EXPECT_GT(ringPixels(255.0f, 0.5f, 0xFFFFFF), 0);
    EXPECT_EQ(scene.Count(0x000000), 0);
    EXPECT_GT(ringPixels(255.0f, 0.51f, 0x000000), 0);
}

TEST_F(PartOneTest, ZoomJumpsCycleWithTheWallClock) {
    RenderAt(150.0f);  // binds the drawing objects to the canvas; act two covers the zoom afterwards
    const Bitmap* agent = GetBitmap(agentZembrabackGuid);
    // One jump per call when calls are 0.3 s apart: corners 2, 4, 6, 8, 0, 2 with the title
    // composition zoomed 4x on odd counts and the agent 8x on even ones.
    JumpTimer timer;
    const int expectedIndex[] = {2, 4, 6, 8, 0, 2};
    for (int frame = 0; frame < 6; ++frame) {
        scene.clock.ticks = 1000 + 300 * frame;
        part.JumpZoom(timer, agent);
        EXPECT_EQ(timer.index, expectedIndex[frame]);
        EXPECT_EQ(timer.count, frame + 1);
        const bool agentZoom = (frame + 1) % 2 == 0;
        EXPECT_EQ(scene.Count(ColourOf(agentZembrabackGuid)) == 640 * 480, agentZoom) << frame;
        // The title composition: the dark mountain with the studio title over it.
        EXPECT_EQ(scene.Count(ColourOf(zembramountDarkGuid)) > 0, !agentZoom) << frame;
    }
    // Less than a quarter second later nothing jumps.
    scene.clock.ticks += 200;
    part.JumpZoom(timer, agent);
    EXPECT_EQ(timer.count, 6);
    // Act two and act three keep timers of their own.
    RenderAt(150.0f);
    RenderAt(210.0f);
    EXPECT_EQ(part.actTwoTimer.count, 2);
    EXPECT_EQ(part.actThreeTimer.count, 1);
    EXPECT_EQ(part.actThreeTimer.index, 2);
}

TEST_F(PartOneTest, BombsStartAtTheirSpawnPoints) {
    ASSERT_EQ(part.bigBombs.size(), 20u);
    ASSERT_EQ(part.smallBombs.size(), 40u);
    for (const BombParticle& bomb : part.bigBombs) {
        EXPECT_TRUE(bomb.y0 <= 0 || bomb.x0 >= 640);
        EXPECT_LT(bomb.vx, 0.0f);
        EXPECT_GT(bomb.vy, 0.0f);
    }
    // At fx 40 the big bombs (80x40) are drawn over everything else at t = 0.
    RenderAt(40.0f);
    const uint32_t bomb = ColourOf(bombeGuid);
    int visible = 0;
    for (const BombParticle& b : part.bigBombs) {
        const int x = std::max(b.x0, 0), y = b.y0 + 39;
        if (x < 640 && y >= 0) {
            EXPECT_EQ(scene.At(x, y), bomb) << b.x0 << "," << b.y0;
            ++visible;
        }
    }
    EXPECT_GT(visible, 0);
}

TEST_F(PartOneTest, EvilPlanCaptionShrinksFromTwelveTimesItsSize) {
    const uint32_t caption = ColourOf(vuvizarodazEvilplanGuid);
    RenderAt(230.0f);  // 3600 x 1800 from (315, 260): only its top-left part is on screen
    EXPECT_EQ(scene.At(315, 260), caption);
    EXPECT_EQ(scene.At(639, 479), caption);
    EXPECT_NE(scene.At(314, 260), caption);
    EXPECT_NE(scene.At(315, 259), caption);
    RenderAt(235.0f);  // its own 300 x 150
    EXPECT_EQ(scene.At(614, 409), caption);
    EXPECT_NE(scene.At(615, 409), caption);
}

TEST_F(PartOneTest, SendsTheDebugLineWhileSpaceIsHeld) {
    struct HeldSpace : platform::Keyboard {
        bool SpaceHeld() override { return held; }
        bool held = false;
    } keyboard;
    platform::ScopedKeyboard keys(&keyboard);
    CapturedDebugLines lines;
    RenderAt(50.0f);
    EXPECT_TRUE(lines.lines.empty());
    keyboard.held = true;
    RenderAt(50.0f);
    part.windowEnd = 40.0f;
    RenderAt(50.0f);  // outside the window: no line
    ASSERT_EQ(lines.lines.size(), 1u);
    EXPECT_EQ(lines.lines[0].rfind("Mp3 Time : ", 0), 0u);
    EXPECT_NE(lines.lines[0].find("FxTime : 50.000000\n"), std::string::npos);
}

}  // namespace
