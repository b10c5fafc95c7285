// Pictures smaller than the frame, empty (a refused picture) or missing (an unknown GUID), and
// arguments outside the ranges the scenes use: nothing is read or written outside a bitmap (the
// sanitizer build checks that), and what is drawn is the sensible part of the usual result.
#include <gtest/gtest.h>

#include "Render/Blitter.h"
#include "Render/FilterFx.h"
#include "Render/NoiseFx.h"
#include "Render/PatternFx.h"
#include "RenderTesting.h"

using namespace rendertest;

TEST(Mends, MissingOrEmptyPicturesDrawNothing) {
    const Bitmap empty;
    for (const Bitmap* src : {static_cast<const Bitmap*>(nullptr), &empty}) {
        Bitmap t = Filled(640, 480, 0x11223344);
        Blitter b = On<Blitter>(t);
        PatternFx p = On<PatternFx>(t);
        FilterFx f = On<FilterFx>(t);
        b.CopyKeyed(src), b.CopyScreen(src), b.Draw(src, 0, 0), b.DrawMirrored(src, 0, 0);
        b.DrawScaled(src, 0, 0, 640, 480), b.BlendKeyed(src, 0.5f), b.AddKeyed(src), b.SubtractKeyed(src);
        b.AddScreen(src), b.AddScreenMono(src), b.DrawScaledAdditive(src, 0, 0, 640, 480);
        p.CopyWindow(src, 0, 0), p.Zoom4(src, 0, 0), p.Zoom8(src, 0, 0);
        f.AddGrey(src), f.AddGreyShifted(src, 1), f.Combine(src, &t, CombineAdd),
            f.Combine(&t, src, CombineAdd);
        EXPECT_TRUE(SamePixels(t, Filled(640, 480, 0x11223344)));
    }
    // No target at all is no work at all.
    Blitter().Clear(0);
    NoiseFx().AddRowNoise(1);
    PatternFx().Rings(0, 0, 0, 0);
    FilterFx().WaveBlur(-1, 480, 30);
}

TEST(Mends, SmallPicturesCoverOnlyWhatTheyHold) {
    // Whole-frame copies and adds stop after a quarter picture's 76,800 words.
    Bitmap t = Filled(640, 480, 0);
    const Bitmap quarter = Filled(320, 240, 0x010101);
    Blitter b = On<Blitter>(t);
    b.CopyScreen(&quarter), b.AddScreen(&quarter), b.AddKeyed(&quarter);
    EXPECT_EQ(t.pixels[quarter.size - 1], 0x030303u);
    EXPECT_EQ(t.pixels[quarter.size], 0u);

    // Zooms and window copies read only inside a narrow picture; the rest of the frame stays.
    const Bitmap narrow = Filled(100, 50, 0xABCDEF);
    b.Clear(7);
    On<PatternFx>(t).Zoom4(&narrow, 90, 40);  // columns 90..99 and rows 40..49: 40 x 40 pixels
    EXPECT_EQ(t.Row(39)[39], 0xABCDEFu);
    EXPECT_EQ(t.Row(39)[40], 7u);
    EXPECT_EQ(t.Row(40)[0], 7u);
    b.Clear(7);
    On<PatternFx>(t).CopyWindow(&narrow, 0, 0);
    EXPECT_EQ(t.Row(49)[99], 0xABCDEFu);
    EXPECT_EQ(t.Row(49)[100], 7u);
    EXPECT_EQ(t.Row(50)[0], 7u);

    // The frame is 640-word rows from the first word: a 700 x 1 target holds one row, then a
    // tail too short to turn or smear, which is left alone.
    Bitmap strip(700, 1);
    for (int32_t i = 0; i < strip.size; ++i) strip.pixels[i] = static_cast<uint32_t>(i);
    On<FilterFx>(strip).WaveBlur(-1, 480, 30);
    On<FilterFx>(strip).RotateRows(5);
    EXPECT_NE(strip.pixels[0], 0u);
    for (int32_t i = 640; i < 700; ++i) EXPECT_EQ(strip.pixels[i], static_cast<uint32_t>(i));
}

TEST(Mends, OutOfRangeArgumentsStayInsideTheRows) {
    Random random(5);
    const Bitmap start = RandomBitmap(random, 640, 480);
    const auto after = [&](auto draw) {
        Bitmap t = CopyOf(start);
        draw(On<FilterFx>(t), On<Blitter>(t));
        return t;
    };
    // Offsets turn the rows modulo 640; amplitudes are held to 0..639; bands may lie anywhere.
    EXPECT_TRUE(SamePixels(after([](FilterFx f, Blitter) { f.RotateRows(641); }),
                           after([](FilterFx f, Blitter) { f.RotateRows(1); })));
    EXPECT_TRUE(SamePixels(after([](FilterFx f, Blitter) { f.RotateRows(-1); }),
                           after([](FilterFx f, Blitter) { f.RotateRows(639); })));
    EXPECT_TRUE(SamePixels(after([](FilterFx f, Blitter) { f.WaveBlur(INT_MIN, INT_MAX, INT_MAX); }),
                           after([](FilterFx f, Blitter) { f.WaveBlur(INT_MIN, INT_MAX, 639); })));
    EXPECT_TRUE(SamePixels(after([](FilterFx f, Blitter) { f.WaveBlur(-1, 480, -50); }),
                           after([](FilterFx f, Blitter) { f.WaveBlur(-1, 480, 0); })));
    // A negative darkening brightens and saturates instead of spilling into the next channel.
    const Bitmap white = Filled(640, 480, 0xFFFFFF);
    EXPECT_TRUE(SamePixels(after([](FilterFx, Blitter b) { b.Darken(INT_MIN); }),
                           after([&](FilterFx, Blitter b) { b.AddScreen(&white); })));

    // Stretches to the int32 limits sample inside the source and stay inside the target.
    Bitmap tiny(3, 3), t = Filled(640, 480, 0xFFFFFFFF);
    for (int32_t i = 0; i < tiny.size; ++i) tiny.pixels[i] = static_cast<uint32_t>(i);
    Blitter b = On<Blitter>(t);
    b.DrawScaled(&tiny, 0, -(INT_MAX - 10), 640, INT_MAX);
    EXPECT_EQ(t.Row(9)[639], 8u);  // the last row of the enormous stretch
    EXPECT_EQ(t.Row(10)[0], 0xFFFFFFFFu);
    // Along a row too: at this width the float step rounds up, and the stretch's right-hand end,
    // placed at the right edge, must still show the last column rather than the next row's first.
    b.DrawScaled(&tiny, 640 - 33554436, 20, 33554436, 1);
    EXPECT_EQ(t.Row(20)[639], 2u);
    b.DrawScaledAdditive(&tiny, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    b.DrawScaled(&tiny, INT_MAX, INT_MAX, INT_MAX, INT_MAX);
}
