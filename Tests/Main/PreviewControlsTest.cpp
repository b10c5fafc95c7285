// The preview keys: steps, the ends of the production, pausing and the loop's marks.
#include "Main/PreviewControls.h"

#include <gtest/gtest.h>

namespace {

constexpr double kEnd = 245.0;
constexpr double kLastFrame = kEnd - 1.0 / 60.0;

TEST(PreviewControls, SeeksStepAndStopAtTheEndsOfTheProduction) {
    PreviewControls keys(kEnd);
    struct Case {
        PreviewKey key;
        bool shift;
        double now;
        double expected;
    };
    const Case cases[] = {
        {PreviewKey::kRight, false, 100.0, 101.0},      {PreviewKey::kRight, true, 100.0, 110.0},
        {PreviewKey::kLeft, false, 100.0, 99.0},        {PreviewKey::kLeft, true, 100.0, 90.0},
        {PreviewKey::kLeft, false, 0.4, 0.0},           {PreviewKey::kLeft, true, 5.0, 0.0},
        {PreviewKey::kRight, false, 244.5, kLastFrame}, {PreviewKey::kRight, true, 240.0, kLastFrame},
        {PreviewKey::kHome, false, 200.0, 0.0},
    };
    for (const Case& c : cases) {
        const PreviewRequest request = keys.Press(c.key, c.shift, c.now);
        EXPECT_DOUBLE_EQ(request.seekTo, c.expected) << c.now;
        EXPECT_FALSE(request.pauseChanged || request.reload || request.loopChanged);
    }
}

TEST(PreviewControls, SpaceTogglesThePauseAndRAsksForAReload) {
    PreviewControls keys(kEnd);
    EXPECT_FALSE(keys.Paused());
    const PreviewRequest pause = keys.Press(PreviewKey::kSpace, false, 12.0);
    EXPECT_TRUE(pause.pauseChanged);
    EXPECT_LT(pause.seekTo, 0.0);
    EXPECT_TRUE(keys.Paused());
    keys.Press(PreviewKey::kSpace, false, 12.0);
    EXPECT_FALSE(keys.Paused());
    const PreviewRequest reload = keys.Press(PreviewKey::kReload, false, 12.0);
    EXPECT_TRUE(reload.reload);
    EXPECT_LT(reload.seekTo, 0.0);
}

TEST(PreviewControls, TheLoopNeedsBothMarksInOrderAndKeepsSeeksInside) {
    PreviewControls keys(kEnd);
    // No marks, or only one: L does nothing.
    EXPECT_FALSE(keys.Press(PreviewKey::kLoopSwitch, false, 10.0).loopChanged);
    keys.Press(PreviewKey::kLoopStart, false, 20.0);
    EXPECT_FALSE(keys.Press(PreviewKey::kLoopSwitch, false, 10.0).loopChanged);
    EXPECT_FALSE(keys.LoopOn());
    // An end before the start makes no loop either.
    keys.Press(PreviewKey::kLoopEnd, false, 15.0);
    keys.Press(PreviewKey::kLoopSwitch, false, 15.0);
    EXPECT_FALSE(keys.LoopOn());

    keys.Press(PreviewKey::kLoopEnd, false, 30.0);
    // Switched on outside the loop: back to its start.
    const PreviewRequest on = keys.Press(PreviewKey::kLoopSwitch, false, 35.0);
    EXPECT_TRUE(on.loopChanged);
    EXPECT_TRUE(keys.LoopOn());
    EXPECT_DOUBLE_EQ(on.seekTo, 20.0);
    keys.Press(PreviewKey::kLoopSwitch, false, 25.0);
    // Switched on at its very end, which it never reaches: back to its start too.
    EXPECT_DOUBLE_EQ(keys.Press(PreviewKey::kLoopSwitch, false, 30.0).seekTo, 20.0);
    // Inside it: playing on where it is.
    keys.Press(PreviewKey::kLoopSwitch, false, 25.0);
    EXPECT_LT(keys.Press(PreviewKey::kLoopSwitch, false, 25.0).seekTo, 0.0);
    EXPECT_TRUE(keys.LoopOn());

    EXPECT_DOUBLE_EQ(keys.Press(PreviewKey::kRight, true, 25.0).seekTo, 30.0 - 1.0 / 60.0);
    EXPECT_DOUBLE_EQ(keys.Press(PreviewKey::kLeft, true, 25.0).seekTo, 20.0);
    EXPECT_DOUBLE_EQ(keys.Press(PreviewKey::kHome, false, 25.0).seekTo, 20.0);

    // A mark moved past the other switches the loop off; seeks are free again.
    EXPECT_TRUE(keys.Press(PreviewKey::kLoopStart, false, 31.0).loopChanged);
    EXPECT_FALSE(keys.LoopOn());
    EXPECT_DOUBLE_EQ(keys.Press(PreviewKey::kRight, true, 25.0).seekTo, 35.0);
}

}  // namespace
