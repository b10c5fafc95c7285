// Part one as a viewer sees it: act boundaries, what each step shows at either end of its range,
// beat thresholds, the zoom jumps, the bombs, the evil-plan caption, and the debug time line.
#include "Parts/PartOne.h"
#include "Support/CapturingSinks.h"
#include "Support/SceneFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

class PartOneTest : public ::testing::Test {
protected:
    PartOneTest() { scene.Prepare(part, 300.0f, 2); }
    void RenderAt(float fx) { part.Render(scene.Canvas(), fx); }

    SceneFixture scene;  // must exist before the part: the part composes pictures when made
    PartOne part{scene.Title()};
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
}

TEST_F(PartOneTest, DrawsNothingBeforeZeroFromThreeHundredOrOutsideItsWindow) {
    // Music 5 maps to fx -5, 20 and 25 to fx 300 and 400; 30 (fx 100) is the window's end.
    scene.Fill(SceneFixture::kUntouched);
    part.timingKeys = {{0.0f, -10.0f}, {10.0f, 0.0f}, {20.0f, 300.0f}, {25.0f, 400.0f}, {30.0f, 100.0f}};
    part.windowEnd = 30.0f;
    for (float t : {5.0f, 20.0f, 25.0f, 30.0f}) {
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
    // Act two, 160-200: the soft glow over the dark mountain follows b1 over 0.2, never b0.
    struct Glow {
        float b0, b1;
        uint32_t glow;
    };
    for (const Glow& c :
         {Glow{0.0f, 0.25f, 10}, Glow{0.9f, 0.2f, 10}, Glow{0.9f, 0.19f, 0}, Glow{0.25f, 0.0f, 0}}) {
        SCOPED_TRACE(testing::Message() << "b0 " << c.b0 << ", b1 " << c.b1);
        scene.SetBeat(part, 0, c.b0);
        scene.SetBeat(part, 1, c.b1);
        RenderAt(195.0f);
        EXPECT_EQ(scene.At(639, 0), ColourOf(zembramountDarkGuid) + c.glow * 0x010101);
    }
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

// What a viewer sees at one effect time: a probe pixel that shows (or does not show) a picture.
// Pictures are solid, so "shows" means the pixel has the picture's colour. Where a full-frame
// mountain would cover a step, the test hides that mountain to see the step underneath.
struct SceneFact {
    float fx;
    float b0, b1;
    int32_t hidden;  // a picture made empty for this frame, or -1
    int x, y;
    int32_t picture;  // kWhite: the threshold's white
    bool shown;
};
constexpr int32_t kWhite = -2;

TEST_F(PartOneTest, SceneFactsAtTheEndsOfTheirRanges) {
    const int32_t matterhorn = thematterhornGuid, title = zembravaleGuid, logo = spriteElephantLogoGuid;
    const int32_t topless = zembramountToplessGuid, agent = agentZembrabackGuid, villains = rerevidgersGuid;
    const int32_t villain = vuvizarodazGuid, cow = sacredCowGuid, parachute = parachuteGuid,
                  bomber = b29BigGuid;
    const auto [bombW, bombH] = PictureSize(bombeGuid);
    const SceneFact facts[] = {
        // Act one: captions, the studio title, the rising logo (under the mountain) and the big bombs.
        {29.99f, 0, 0, -1, 67, 157, matterhorn, true},
        {30.0f, 0, 0, -1, 67, 157, matterhorn, false},
        {69.99f, 0, 0, -1, 0, 479, title, true},
        {70.0f, 0, 0, -1, 0, 479, title, false},
        {70.0f, 0, 0.31f, -1, 0, 479, title, true},
        {95.0f, 0, 0, -1, 439, 240, title, true},  // sliding out to the left: x = -200
        {95.0f, 0, 0, -1, 440, 240, title, false},
        {75.0f, 0, 0, topless, 260, 34, logo, true},  // y = 124 - 18 * 5
        {75.0f, 0, 0, topless, 260, 33, logo, false},
        {72.0f, 0, 0, -1, 90, 0, bombeGuid, true},  // the first big bomb at t = 0.2: (90, -30)
        {72.0f, 0, 0, -1, 90 + bombW - 1, -30 + bombH - 1, bombeGuid, true},
        {72.0f, 0, 0, -1, 90 + bombW, -30 + bombH - 1, bombeGuid, false},
        // Act two: the cry for help and the mobile fly in, the agent and the villains come and go.
        {105.0f, 0, 0, topless, 523, 0, zembrahelpGuid, true},
        {105.0f, 0, 0, topless, 522, 0, zembrahelpGuid, false},
        {115.0f, 0, 0, topless, 134, 159, zembrahelpGuid, true},  // x = -191, y = -90
        {115.0f, 0, 0, topless, 134, 160, zembrahelpGuid, false},
        {102.0f, 0, 0, -1, 555, 0, zembramobileGuid, true},
        {102.0f, 0, 0, -1, 554, 0, zembramobileGuid, false},
        {130.0f, 0, 0, -1, 0, 0, agent, true},
        {130.01f, 0, 0, -1, 0, 0, agent, false},
        {135.0f, 0.11f, 0, -1, 0, 0, agent, true},
        {145.0f, 0, 0, -1, 0, 150, agent, true},
        {145.0f, 0, 0, -1, 0, 149, agent, false},
        {150.0f, 0.31f, 0.31f, -1, 0, 0, kWhite, true},  // the threshold whitens the topless mountain
        {150.0f, 0.29f, 0.31f, -1, 0, 0, kWhite, false},
        {162.0f, 0, 0, -1, 319, 240, villains, true},  // coming in from the left: x = -320
        {162.0f, 0, 0, -1, 320, 240, villains, false},
        {185.0f, 0, 0, -1, 0, 150, villains, true},
        {185.0f, 0, 0, -1, 0, 149, villains, false},
        // Act three: the villain rises swaying, the dance, the bombers and the parachuting cows.
        {215.0f, 0, 0, -1, 215, 366, villain, true},
        {215.0f, 0, 0, -1, 215, 365, villain, false},
        {235.5f, 0, 0, -1, 180, 300, dancerLeftGuid, true},   // sin(fx) > 0 > cos(fx)
        {238.0f, 0, 0, -1, 180, 300, dancerRightGuid, true},  // sin(fx) < 0 < cos(fx): mirrored, swapped
        {239.0f, 0, 0, -1, 450, 129, dancerRightGuid, true},  // bobbing at 120 + 15 sin(15 w)
        {239.0f, 0, 0, -1, 450, 128, dancerRightGuid, false},
        {252.0f, 0, 0, -1, 620, 300, bomber, true},  // the last of the full-size five
        {252.0f, 0, 0, -1, 630, 100, bomber, true},  // the second of the half-size five
        {252.0f, 0, 0, -1, 635, 272, bomber, true},  // the eighth of the quarter-size twelve
        {280.0f, 0, 0, -1, 379, 189, cow, true},     // the first cow at half size: 60 x 50 from (320, 140)
        {280.0f, 0, 0, -1, 380, 189, cow, false},
        {280.0f, 0, 0, -1, 379, 92, parachute, true},
        {280.0f, 0, 0, -1, 379, 91, parachute, false},
    };
    for (const SceneFact& f : facts) {
        SCOPED_TRACE(testing::Message() << "fx " << f.fx << " at (" << f.x << ", " << f.y << ")");
        std::unique_ptr<Bitmap> kept;
        if (f.hidden >= 0) kept = std::exchange(imageTable[f.hidden].bitmap, std::make_unique<Bitmap>());
        scene.SetBeat(part, 0, f.b0);
        scene.SetBeat(part, 1, f.b1);
        RenderAt(f.fx);
        if (kept) imageTable[f.hidden].bitmap = std::move(kept);
        const uint32_t colour = f.picture == kWhite ? 0xFFFFFFu : ColourOf(f.picture);
        EXPECT_EQ(scene.At(f.x, f.y) == colour, f.shown) << std::hex << scene.At(f.x, f.y);
    }
}

// Act two's rings are black, with the beat as their phase: the same rings PatternFx draws at
// phase trunc(512 * b1) over the topless mountain.
TEST_F(PartOneTest, ActTwoRingsTakeTheirPhaseFromB1) {
    scene.SetBeat(part, 1, 0.4f);
    RenderAt(155.0f);
    Bitmap expected(kScreenWidth, kScreenHeight);
    std::fill(expected.pixels, expected.pixels + expected.size, ColourOf(zembramountToplessGuid));
    PatternFx rings;
    rings.target = &expected;
    rings.Rings(320, 120, 0x000000, 204);
    EXPECT_TRUE(std::equal(expected.pixels, expected.pixels + expected.size, scene.Canvas()->pixels));
}

TEST_F(PartOneTest, ZoomJumpsVisitEveryCornerFourTimesASecondAtMost) {
    // Pictures whose every pixel tells where it came from.
    const auto gradient = [](Bitmap& b) {
        for (int y = 0; y < b.height; ++y)
            for (int x = 0; x < b.width; ++x) b.pixels[y * b.width + x] = static_cast<uint32_t>(x << 10 | y);
    };
    Bitmap agent(640, 480);
    gradient(agent);
    Bitmap title(640, 480);
    gradient(title);
    PartOne jumper(&title);
    scene.Prepare(jumper, 300.0f, 2);
    jumper.Render(scene.Canvas(), 150.0f);  // binds the drawing objects to the canvas
    // From the first jump: the title composition 4x at Zoom4 corner 2, the agent 8x at Zoom8
    // corner 4, and so on through both halves of the table; corner 0 comes last.
    const int corners[10][2] = {{169, 270}, {42, 351},  {146, 353}, {232, 372}, {192, 210},
                                {43, 291},  {327, 272}, {160, 382}, {308, 355}, {70, 220}};
    JumpTimer timer;
    for (int jump = 0; jump < 10; ++jump) {
        SCOPED_TRACE(jump);
        scene.clock.ticks = 1000 * (jump + 1);
        jumper.JumpZoom(timer, &agent);
        const int factor = jump % 2 == 0 ? 4 : 8;
        const auto [x, y] = corners[jump];
        EXPECT_EQ(scene.At(0, 0), static_cast<uint32_t>(x << 10 | y));
        EXPECT_EQ(scene.At(639, 479), static_cast<uint32_t>((x + 639 / factor) << 10 | (y + 479 / factor)));
    }
    // Exactly a quarter second after the last jump is not yet due; a millisecond later is.
    scene.clock.ticks = 10250;
    jumper.JumpZoom(timer, &agent);
    EXPECT_EQ(timer.count, 10);
    scene.clock.ticks = 10251;
    jumper.JumpZoom(timer, &agent);
    EXPECT_EQ(timer.count, 11);
    // Act two and act three keep timers of their own.
    jumper.Render(scene.Canvas(), 150.0f);
    jumper.Render(scene.Canvas(), 210.0f);
    PartOneMoving moving;
    ASSERT_EQ(jumper.MovingSize(), sizeof moving);
    jumper.SaveMoving(&moving);
    EXPECT_EQ(moving.actTwo.count, 2);
    EXPECT_EQ(moving.actThree.count, 1);
    EXPECT_EQ(moving.actThree.index, 2);
}

// The bombs come from the shared random sequence started at 1, four draws each, big ones first.
TEST_F(PartOneTest, BombsComeFromTheSharedSequence) {
    ASSERT_EQ(part.BigBombs().size(), 20u);
    ASSERT_EQ(part.SmallBombs().size(), 40u);
    struct Expected {
        const BombParticle& bomb;
        int32_t x0, y0;
        float vx, vy;
    };
    for (const Expected& e : {Expected{part.BigBombs()[0], 223, -121, -661.65167f, 451.12613f},
                              Expected{part.BigBombs()[1], 675, 258, -1432.2123f, 976.50842f},
                              Expected{part.BigBombs()[19], 576, -16, -1264.5082f, 862.16467f},
                              Expected{part.SmallBombs()[0], 801, 243, -1160.5945f, 791.31445f},
                              Expected{part.SmallBombs()[2], 427, -217, -976.96191f, 666.11041f},
                              Expected{part.SmallBombs()[39], 448, -82, -1187.7623f, 809.83795f}}) {
        EXPECT_EQ(e.bomb.x0, e.x0);
        EXPECT_EQ(e.bomb.y0, e.y0);
        EXPECT_FLOAT_EQ(e.bomb.vx, e.vx);
        EXPECT_FLOAT_EQ(e.bomb.vy, e.vy);
    }
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

TEST_F(PartOneTest, SendsOneDebugLineWithItsEffectTimePerFrameInsideItsWindow) {
    struct HeldSpace : platform::Keyboard {
        bool SpaceHeld() override { return true; }
    } keyboard;
    platform::ScopedKeyboard keys(&keyboard);
    CapturedDebugLines lines;
    part.timingKeys = {{0.0f, 0.0f}, {300.0f, 150.0f}};
    RenderAt(100.0f);
    part.windowEnd = 90.0f;
    RenderAt(100.0f);  // outside the window: no line
    ASSERT_EQ(lines.lines.size(), 1u);
    EXPECT_NE(lines.lines[0].find("FxTime : 50.000000\n"), std::string::npos);
}

}  // namespace
