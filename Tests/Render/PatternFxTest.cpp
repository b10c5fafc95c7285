// PatternFx against the plain reference on random arguments (shift counts and steps beyond 0..31,
// centres far away, small or empty targets), the tables, rings measured by hand, window copies
// and zooms out of pictures of every size.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "Render/PatternFx.h"
#include "RenderTesting.h"
#include "Support/RenderReference.h"

using namespace rendertest;

namespace {

// Runs one PatternFx call on `target` and the reference on a copy, then compares.
void ExpectSame(const std::string& what, Bitmap& target, const std::function<void(PatternFx&)>& run,
                const std::function<void(Bitmap&)>& reference) {
    Bitmap expected = CopyOf(target);
    PatternFx pattern;
    pattern.target = &target;
    run(pattern);
    reference(expected);
    EXPECT_TRUE(SamePixels(target, expected)) << what << " on " << target.width << "x" << target.height;
}

int32_t ShiftArgument(Random& random) {
    switch (random.Between(0, 4)) {
        case 0:
            return random.Between(-3, 0);
        case 1:
            return random.Between(28, 40);
        case 2:
            return random.Position(100);
        default:
            return random.Between(6, 16);
    }
}

std::string Args(std::initializer_list<int64_t> values) {
    std::string text;
    for (int64_t v : values) text += std::to_string(v) + " ";
    return text;
}

}  // namespace

TEST(PatternFxMatchesReference, Tables) {
    const reference::Tables expected;
    const PatternFx pattern;
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(pattern.sine[i], expected.sine[i]) << i;
        EXPECT_EQ(pattern.cosine[i], expected.cosine[i]) << i;
    }
    EXPECT_EQ(pattern.sine[0], 32768);
    EXPECT_EQ(pattern.cosine[0], 65536);
    EXPECT_EQ(pattern.sine[64], 65535);  // sin(1.57) is just below 1
}

TEST(PatternFxMatchesReference, Rings) {
    Random random(31);
    const reference::Tables tables;
    for (int trial = 0; trial < 90; ++trial) {
        int32_t w, h;
        PickSize(random, w, h);
        Bitmap target = RandomBitmap(random, w, h);
        const int32_t cx = random.Position(640), cy = random.Position(480);
        const uint32_t colour = random.Pixel();
        const int32_t phase = random.Chance(50) ? random.Between(-200, 200) : random.Position(1000);
        const int32_t d = random.Chance(70) ? random.Between(-300, 300) : random.Position(1000);
        const int32_t s1 = ShiftArgument(random), s2 = ShiftArgument(random), s3 = ShiftArgument(random),
                      s4 = ShiftArgument(random);
        const int32_t step1 = random.Between(-2, 9), step2 = random.Between(-2, 9);
        switch (trial % 3) {
            case 0:
                ExpectSame(
                    "Rings " + Args({cx, cy, phase}), target,
                    [=](PatternFx& p) { p.Rings(cx, cy, colour, phase); },
                    [=](Bitmap& t) { reference::Rings(t, cx, cy, colour, phase); });
                break;
            case 1:
                ExpectSame(
                    "WarpedRings " + Args({cx, cy, phase, d, s1, s2}), target,
                    [=](PatternFx& p) { p.WarpedRings(cx, cy, colour, phase, d, s1, s2); },
                    [&](Bitmap& t) { reference::WarpedRings(t, tables, cx, cy, colour, phase, d, s1, s2); });
                break;
            default:
                ExpectSame(
                    "WarpedRings2 " + Args({cx, cy, phase, d, step1, step2, s3, s4}), target,
                    [=](PatternFx& p) { p.WarpedRings2(cx, cy, colour, phase, d, step1, step2, s3, s4); },
                    [&](Bitmap& t) {
                        reference::WarpedRings2(t, tables, cx, cy, colour, phase, d, step1, step2, s3, s4);
                    });
                break;
        }
    }
}

TEST(PatternFxMatchesReference, WindowsAndZooms) {
    Random random(32);
    for (int trial = 0; trial < 150; ++trial) {
        int32_t tw, th, sw, sh;
        PickSize(random, tw, th);
        switch (random.Between(0, 3)) {
            case 0:
                sw = 1024;
                sh = 608;
                break;
            case 1:
                sw = 640;
                sh = 480;
                break;
            default:
                PickSize(random, sw, sh);
                break;
        }
        Bitmap target = RandomBitmap(random, tw, th);
        Bitmap src = RandomBitmap(random, sw, sh);
        const Bitmap* source = random.Chance(4) ? nullptr : &src;
        const int32_t x = random.Chance(60) ? random.Between(0, sw) : random.Position(sw);
        const int32_t y = random.Chance(60) ? random.Between(0, sh) : random.Position(sh);
        const std::string what = " source " + Args({sw, sh}) + "at " + Args({x, y});
        switch (trial % 3) {
            case 0:
                ExpectSame(
                    "CopyWindow" + what, target, [=](PatternFx& p) { p.CopyWindow(source, x, y); },
                    [=](Bitmap& t) { reference::CopyWindow(t, source, x, y); });
                break;
            case 1:
                ExpectSame(
                    "Zoom4" + what, target, [=](PatternFx& p) { p.Zoom4(source, x, y); },
                    [=](Bitmap& t) { reference::Zoom4(t, source, x, y); });
                break;
            default:
                ExpectSame(
                    "Zoom8" + what, target, [=](PatternFx& p) { p.Zoom8(source, x, y); },
                    [=](Bitmap& t) { reference::Zoom8(t, source, x, y); });
                break;
        }
    }
}

TEST(PatternFx, RingsMeasuredByHand) {
    Bitmap target(640, 480);
    PatternFx pattern;
    pattern.target = &target;
    const uint32_t kUntouched = 0x01020304;
    const uint32_t kColour = 0x00FFFFFF;
    const auto paint = [&](const std::function<void()>& draw) {
        for (int32_t i = 0; i < target.size; ++i) target.pixels[i] = kUntouched;
        draw();
    };
    // Radius r straight right of the centre (100, 240): r*r >> 8 is 63 at 127 (painted), 64 at
    // 128 and 66 at 130 (bit 6 set: untouched), 127 at 181, 129 at 182 (painted again).
    struct Case {
        int32_t radius;
        int32_t phase;
        bool painted;
    };
    const std::vector<Case> cases = {{0, 0, true},     {127, 0, true},    {128, 0, false},  {130, 0, false},
                                     {181, 0, false},  {182, 0, true},    {127, 64, false}, {128, 64, true},
                                     {127, 128, true}, {130, 128, false}, {0, 1, true},     {127, 1, false}};
    for (const Case& c : cases) {
        paint([&] { pattern.Rings(100, 240, kColour, c.phase); });
        EXPECT_EQ(target.Row(240)[100 + c.radius] == kColour, c.painted)
            << "radius " << c.radius << " phase " << c.phase;
    }

    // Shifts of 31 reduce every table value to 0: the warped rings become the plain ones.
    paint([&] { pattern.Rings(300, 200, kColour, 17); });
    const Bitmap plain = CopyOf(target);
    paint([&] { pattern.WarpedRings(300, 200, kColour, 17, 12345, 31, 31); });
    EXPECT_TRUE(SamePixels(target, plain));
    // A row step of -1 shifts the index left by 31: every row reads sine[0] = 32768.
    paint([&] { pattern.WarpedRings2(300 + 32768, 200, kColour, 17, 99, -1, 3, 31, 0); });
    EXPECT_TRUE(SamePixels(target, plain));
}

TEST(PatternFx, WindowsAndZoomsPickTheRightPixels) {
    Bitmap fresco(1024, 608);
    for (int32_t i = 0; i < fresco.size; ++i) fresco.pixels[i] = static_cast<uint32_t>(i);
    Bitmap target(640, 480);
    PatternFx pattern;
    pattern.target = &target;

    pattern.CopyWindow(&fresco, 383, 127);
    EXPECT_EQ(target.pixels[0], static_cast<uint32_t>(127 * 1024 + 383));
    EXPECT_EQ(target.Row(479)[639], static_cast<uint32_t>((127 + 479) * 1024 + 383 + 639));
    pattern.CopyWindow(&fresco, 384, 127);  // touching the right edge snaps x back to 0
    EXPECT_EQ(target.pixels[0], static_cast<uint32_t>(127 * 1024));
    pattern.CopyWindow(&fresco, 0, 128);  // and the bottom edge snaps y
    EXPECT_EQ(target.pixels[0], 0u);

    Bitmap picture(640, 480);
    for (int32_t i = 0; i < picture.size; ++i) picture.pixels[i] = static_cast<uint32_t>(i);
    pattern.Zoom4(&picture, 0, 0);
    for (int32_t j = 0; j < 4; ++j) {
        for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(target.Row(j)[i], 0u);
    }
    EXPECT_EQ(target.Row(4)[4], static_cast<uint32_t>(641));
    pattern.Zoom8(&picture, 560, 420);  // the last window inside the picture
    EXPECT_EQ(target.Row(479)[639], static_cast<uint32_t>(479 * 640 + 639));
    EXPECT_EQ(target.pixels[0], static_cast<uint32_t>(420 * 640 + 560));
}

// Pictures smaller than the window, narrower than 640, empty or missing: only pixels they hold
// are read, and target pixels with nothing to show keep their colour.
TEST(PatternFx, SmallEmptyAndMissingSources) {
    Bitmap target(640, 480);
    PatternFx pattern;
    pattern.target = &target;
    Bitmap narrow(100, 50);
    for (int32_t i = 0; i < narrow.size; ++i) narrow.pixels[i] = 0x00ABCDEF;
    Bitmap empty;
    for (const Bitmap* src : {static_cast<const Bitmap*>(nullptr), static_cast<const Bitmap*>(&empty)}) {
        for (int32_t i = 0; i < target.size; ++i) target.pixels[i] = 7;
        pattern.CopyWindow(src, 0, 0);
        pattern.Zoom4(src, 0, 0);
        pattern.Zoom8(src, 0, 0);
        for (int32_t i = 0; i < target.size; ++i) ASSERT_EQ(target.pixels[i], 7u);
    }

    for (int32_t i = 0; i < target.size; ++i) target.pixels[i] = 7;
    pattern.Zoom4(&narrow, 90, 40);  // columns 90..99 and rows 40..49 exist: 40 x 40 target pixels
    EXPECT_EQ(target.Row(39)[39], 0x00ABCDEFu);
    EXPECT_EQ(target.Row(39)[40], 7u);
    EXPECT_EQ(target.Row(40)[0], 7u);

    for (int32_t i = 0; i < target.size; ++i) target.pixels[i] = 7;
    pattern.CopyWindow(&narrow, 0, 0);  // smaller than the target: its 100 x 50 pixels only
    EXPECT_EQ(target.Row(49)[99], 0x00ABCDEFu);
    EXPECT_EQ(target.Row(49)[100], 7u);
    EXPECT_EQ(target.Row(50)[0], 7u);

    pattern.target = nullptr;  // no target: nothing happens
    pattern.Rings(0, 0, 0, 0);
    pattern.Zoom8(&narrow, 0, 0);
}
