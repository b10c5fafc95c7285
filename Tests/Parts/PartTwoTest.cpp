// Part two's scene object: the counter display, the random tables it fills when made, its window,
// the debug time line, and pictures of any size.
#include "Parts/PartTwoTesting.h"
#include "Parts/TitlePicture.h"
#include "Support/CapturingSinks.h"

#include <cmath>

namespace {

using namespace parttwo_testing;

class PartTwoTest : public PartTwoSceneTest {
protected:
    // The frame at fx with the levels given, from the same random numbers every time.
    std::vector<uint32_t> FrameWith(float fx, float b0, float b1, float b2) {
        SetBeats(b0, b1, b2);
        platform::ResetRand();
        scene.Fill(SceneFixture::kUntouched);
        RenderAt(fx);
        return {scene.Canvas()->pixels, scene.Canvas()->pixels + scene.Canvas()->size};
    }
};

TEST_F(PartTwoTest, CounterShowsTwoDigitsAColonAndTwoMoreAlongItsSlant) {
    RenderAt(850.0f);  // past the last block: binds the drawing objects to the canvas, draws nothing
    ASSERT_TRUE(scene.Untouched());
    struct Case {
        int32_t a, b;
        int tens;  // digit at (71, 85), or -1 for none
        int units, bTens, bUnits;
    };
    // Values outside 0..99 are taken as the nearest end of the range.
    for (const Case& c :
         {Case{7, 5, -1, 7, 0, 5}, Case{24, 5, 2, 4, 0, 5}, Case{99, 99, 9, 9, 9, 9}, Case{10, 0, 1, 0, 0, 0},
          Case{-3, -1, -1, 0, 0, 0}, Case{123, 100, 9, 9, 9, 9}, Case{9, 31, -1, 9, 3, 1}}) {
        SCOPED_TRACE(::testing::Message() << c.a << ":" << c.b);
        scene.Fill(SceneFixture::kUntouched);
        part->DrawCounter(c.a, c.b);
        const uint32_t tens = c.tens < 0 ? SceneFixture::kUntouched : ColourOf(digitSmallGuids[c.tens]);
        EXPECT_EQ(scene.At(71, 85), tens);
        EXPECT_EQ(scene.At(140, 119), ColourOf(digitSmallGuids[c.units]));
        EXPECT_EQ(scene.At(193, 149), ColourOf(digitSmallPointsGuid));
        EXPECT_EQ(scene.At(258, 178), ColourOf(digitSmallGuids[c.bTens]));
        EXPECT_EQ(scene.At(334, 214), ColourOf(digitSmallGuids[c.bUnits]));
    }
}

TEST_F(PartTwoTest, TablesFollowTheRuntimeSequenceFromItsFirstValue) {
    // The fixture starts the generator afresh, so the part's draws are the sequence's first:
    // 41, 18467, 6334, 26500 for the first dollar, and values 1024 to 1026 (17124, 23941, 32745)
    // for the first head.
    EXPECT_EQ(part->Tables().spritePos[0][0], 41 % 840 - 100);
    EXPECT_EQ(part->Tables().spritePos[1][0], 18467 % 680 - 100);
    EXPECT_FLOAT_EQ(part->Tables().spriteJitter[0][0], -0.6133915185928345f);
    EXPECT_FLOAT_EQ(part->Tables().spriteJitter[1][0], 0.617480993270874f);
    EXPECT_FLOAT_EQ(part->Tables().burstDir[0][0], 0.09751515835523605f);
    EXPECT_FLOAT_EQ(part->Tables().burstDir[1][0], 0.9952340126037598f);
    EXPECT_EQ(part->Tables().burstHead[0], 32745 % 3);
    // Every head direction is of unit length, and all three heads are used.
    int heads[3] = {};
    for (int i = 0; i < kPartTwoTableSize; ++i) {
        EXPECT_NEAR(std::hypot(part->Tables().burstDir[0][i], part->Tables().burstDir[1][i]), 1.0, 1e-6) << i;
        ASSERT_GE(part->Tables().burstHead[i], 0);
        ASSERT_LE(part->Tables().burstHead[i], 2);
        ++heads[part->Tables().burstHead[i]];
    }
    EXPECT_GT(heads[0] * heads[1] * heads[2], 0);
}

TEST_F(PartTwoTest, DrawsOnlyInsideItsWindowAndBetweenEffectTimeZeroAndEightTen) {
    part->timingKeys = {{0.0f, -10.0f}, {10.0f, 0.0f}, {20.0f, 810.0f}, {30.0f, 900.0f}};
    part->windowStart = 1.0f;
    part->windowEnd = 30.0f;
    // Outside the window the drawing objects stay on the title picture: a counter drawn
    // afterwards does not reach the frame either.
    for (float t : {0.5f, 30.0f}) {
        RenderAt(t);
        part->DrawCounter(7, 5);
        EXPECT_TRUE(scene.Untouched()) << t;
    }
    // Music 5 maps to fx -5, 9.99 to fx -0.001, 20 and 25 to fx 810 and 855.
    for (float t : {5.0f, 9.99f, 20.0f, 25.0f}) {
        RenderAt(t);
        EXPECT_TRUE(scene.Untouched()) << t;
    }
    RenderAt(10.0f);  // fx 0: the magnifier covers the frame
    EXPECT_EQ(scene.Count(SceneFixture::kUntouched), 0);
}

TEST_F(PartTwoTest, SendsOneDebugLinePerFrameInsideItsWindowBeforeDrawing) {
    struct HeldSpace : platform::Keyboard {
        bool SpaceHeld() override { return true; }
    } keyboard;
    platform::ScopedKeyboard keys(&keyboard);
    // Records whether the frame was still untouched when each line arrived.
    struct WatchingSink : platform::DebugSink {
        explicit WatchingSink(SceneFixture& s) : scene(s) {}
        void Write(const std::string& line) override {
            lines.push_back(line);
            untouchedAtWrite.push_back(scene.Untouched());
        }
        SceneFixture& scene;
        std::vector<std::string> lines;
        std::vector<bool> untouchedAtWrite;
    } sink(scene);
    platform::ScopedDebugSink debug(&sink);

    part->timingKeys = {{0.0f, 0.0f}, {900.0f, 1800.0f}};
    RenderAt(25.0f);
    RenderAt(425.0f);  // fx 850, inside the window where no block draws: a line all the same
    part->windowEnd = 20.0f;
    RenderAt(25.0f);  // outside the window: none
    ASSERT_EQ(sink.lines.size(), 2u);
    EXPECT_NE(sink.lines[0].find("FxTime : 50.000000\n"), std::string::npos);
    EXPECT_NE(sink.lines[1].find("FxTime : 850.000000\n"), std::string::npos);
    EXPECT_TRUE(sink.untouchedAtWrite[0]) << "the line goes out before the frame is drawn";
}

TEST_F(PartTwoTest, TinyAndEmptyPicturesAreNeverReadOutsideTheirPixels) {
    // A user's own archive may hold any size, or nothing, under every name: each picture of the
    // catalogue becomes 1 x 1, then 0 x 0, and every block of the first half runs with its beat
    // tests on both sides. Run under the sanitizers, this finds any read past a picture.
    for (const int32_t side : {1, 0}) {
        SCOPED_TRACE(side);
        for (ImageEntry& entry : imageTable) {
            entry.bitmap = std::make_unique<Bitmap>(side, side);
            if (side == 1) entry.bitmap->pixels[0] = 0x00405060;
        }
        Bitmap title(kScreenWidth, kScreenHeight);
        ComposeTitle(&title);
        PartTwo tiny(&title);
        scene.Prepare(tiny, 900.0f, 3);
        uint32_t ms = 1000;
        for (const float level : {0.0f, 0.5f, 1.0f}) {
            scene.SetBeat(tiny, 0, level);
            scene.SetBeat(tiny, 1, level);
            for (float t = -1.0f; t < 302.0f; t += 0.5f) {
                scene.clock.ticks = ms += 130;
                tiny.Render(scene.Canvas(), t);
            }
        }
        tiny.DrawCounter(42, 7);
    }
}

// Which beat band drives which effect: one band at a time is raised, to a weak level (0.2, under
// most of the scenes' beat tests) and a strong one (0.9), the others kept at 0, and the frame is
// compared with the frame at rest. 'm' marks a level at which the frame moves, '-' one at which
// it stays. A band wired to the wrong effect moves a frame that should stay, or the other way.
TEST_F(PartTwoTest, EachBandMovesOnlyTheEffectsBoundToIt) {
    struct Row {
        float fx;
        const char* bands[3];  // b0, b1, b2: the frame at 0.2, then at 0.9
        const char* what;
    };
    const Row rows[] = {
        {5, {"mm", "mm", "--"}, "magnifier source on b1, rings on both"},
        {105, {"-m", "-m", "--"}, "the sweep's mask over 0.8 on b0, the magnifier's source on b1"},
        {130, {"-m", "-m", "--"}, "random magnifier's source and dark sweep on b1, mask on b0"},
        {175, {"mm", "-m", "--"}, "beams, waves and the casino flash on b0, rings over 0.3 on b1"},
        {230, {"mm", "--", "--"}, "the machines pump on b0; b1 only shifts their echo, drawn on b0"},
        {295, {"mm", "mm", "--"}, "swirl on both, the dollars shaken by b1"},
        {355, {"--", "-m", "--"}, "countdown rows and threshold on b1; b0 gates noise of amount b1"},
        {365, {"mm", "-m", "--"}, "row noise of amount b0 always, rows on b1"},
        {410, {"-m", "--", "--"}, "rows over 0.5 on b0"},
        {460, {"--", "--", "--"}, "the western figures fade in without the beat"},
        {502, {"-m", "-m", "--"}, "the counter flashes on b0, its band runs on b1"},
        {515.5f, {"--", "-m", "--"}, "rows on b1; b0 gates noise of amount b1"},
        {590, {"-m", "--", "-m"}, "rows and the subtraction on b0, the threshold on b2"},
        {602, {"-m", "mm", "--"}, "head bursts: row noise over 0.3 on b0, row shift and boom on b1"},
    };
    // A counter close-up brighter than any threshold the third band sets (the fixture's own colour
    // is darker), and not so bright that the casino added over it saturates every channel.
    ReplacePicture(theevilmachineCounterGuid, 640, 480, [](int32_t) { return 0x00B4B4B4u; });
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "fx " << row.fx << ": " << row.what);
        FrameWith(row.fx, 0, 0, 0);  // the zoom timers of the first scenes settle on the first frame
        const std::vector<uint32_t> rest = FrameWith(row.fx, 0, 0, 0);
        for (int band = 0; band < 3; ++band) {
            std::string moves;
            for (const float level : {0.2f, 0.9f}) {
                float levels[3] = {0, 0, 0};
                levels[band] = level;
                moves += FrameWith(row.fx, levels[0], levels[1], levels[2]) != rest ? 'm' : '-';
            }
            EXPECT_EQ(moves, row.bands[band]) << "b" << band;
        }
    }
}

}  // namespace
