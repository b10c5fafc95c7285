// The intro's cards: which one shows at which effect time, where, and that nothing else is drawn.
#include "Parts/IntroPart.h"
#include "Support/SceneFixture.h"

#include <gtest/gtest.h>

namespace {

TEST(IntroPart, ShowsOneCardOnBlackPerEffectTimeRangeInsideItsWindowOnly) {
    SceneFixture scene;
    IntroPart intro;
    const int32_t groupCard = anotherNimbrelJointGuid, warningCard = introWarningGuid;
    // Effect time runs 20 units per second: fx 0..300 over music time 0..15.
    intro.timingKeys = {{0.0f, 0.0f}, {15.0f, 300.0f}};
    intro.windowStart = 0.0f;
    intro.windowEnd = 15.0f;

    struct Case {
        float musicTime;
        int32_t card;  // -1: the canvas is left as it was
    };
    const Case cases[] = {{0.0f, groupCard},    {4.9995f, groupCard}, {5.0f, warningCard},
                          {9.99f, warningCard}, {10.0f, -1},          {14.0f, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.musicTime);
        scene.Fill(SceneFixture::kUntouched);
        intro.Render(scene.Canvas(), c.musicTime);
        if (c.card < 0) {
            EXPECT_TRUE(scene.Untouched());
            continue;
        }
        const auto [x0, y0] = c.card == groupCard ? std::pair{175, 206} : std::pair{0, 164};
        const auto [w, h] = PictureSize(c.card);
        const uint32_t colour = ColourOf(c.card);
        EXPECT_EQ(scene.At(x0, y0), colour);
        EXPECT_EQ(scene.At(x0 + w - 1, y0 + h - 1), colour);
        EXPECT_EQ(scene.Count(colour), w * h) << "the card and nothing else";
        EXPECT_EQ(scene.Count(0), 640 * 480 - w * h) << "black around the card";
    }
    // At the window's end (fx 140 would show the warning) and with no window at all, as a script
    // that failed its checks leaves it, nothing.
    scene.Fill(SceneFixture::kUntouched);
    intro.windowEnd = 7.0f;
    intro.Render(scene.Canvas(), 7.0f);
    IntroPart rejected;
    rejected.Render(scene.Canvas(), 0.0f);
    EXPECT_TRUE(scene.Untouched());
}

}  // namespace
