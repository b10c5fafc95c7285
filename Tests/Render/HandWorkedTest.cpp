// Cases worked out on paper, grouped per operation: what a viewer of the frame would check.
#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "Render/Blitter.h"
#include "Render/FilterFx.h"
#include "Render/NoiseFx.h"
#include "Render/PatternFx.h"
#include "RenderTesting.h"
#include "Utils/Platform.h"

using namespace rendertest;

TEST(HandWorked, OnePixelArithmetic) {
    using Op = std::function<void(Bitmap&, const Bitmap*)>;
    const auto blit = [](auto call) -> Op {
        return [call](Bitmap& t, const Bitmap* s) { call(On<Blitter>(t), s); };
    };
    const auto filter = [](auto call) -> Op {
        return [call](Bitmap& t, const Bitmap* s) { call(On<FilterFx>(t), s); };
    };
    const uint32_t ink = 0xFF00ABCD;
    struct Row {
        const char* what;
        Op op;
        uint32_t target, source, expected;
    };
    const std::vector<Row> rows = {
        {"AddKeyed 200 onto 100 saturates", blit([](Blitter b, auto s) { b.AddKeyed(s); }), 0x646464,
         0xC8C8C8, 0xFFFFFF},
        {"SubtractKeyed 200 from 100 floors", blit([](Blitter b, auto s) { b.SubtractKeyed(s); }), 0x646464,
         0xC8C8C8, 0},
        {"a transparent source is skipped", blit([](Blitter b, auto s) { b.AddKeyed(s); }), 0x101010,
         0xFF808080, 0x101010},
        {"CopyKeyed copies key 0x80 too", blit([](Blitter b, auto s) { b.CopyKeyed(s); }), 0x101010,
         0x80ABCDEF, 0x80ABCDEF},
        {"blend 0.25: .75*100 + .25*200", blit([](Blitter b, auto s) { b.BlendKeyed(s, 0.25f); }), 0xC8C8C8,
         0x646464, 0x7D7D7D},
        {"blend 0.5 of 255 and 0 is 127", blit([](Blitter b, auto s) { b.BlendKeyed(s, 0.5f); }), 0, 0xFFFFFF,
         0x7F7F7F},
        {"mono: (10,200,30) + blue 20 = grey 30", blit([](Blitter b, auto s) { b.AddScreenMono(s); }),
         0x1EC80A, 0xFFFF14, 0x1E1E1E},
        {"CopyScreen keeps the key byte", blit([](Blitter b, auto s) { b.CopyScreen(s); }), 0xAB000000,
         0xFF123456, 0xAB123456},
        {"Darken 255 blackens, keeps the key", blit([](Blitter b, auto) { b.Darken(255); }), 0x80FF7F01, 0,
         0x80000000},
        {"Clear 0 clears the key byte", blit([](Blitter b, auto) { b.Clear(0); }), 0xFFFFFFFF, 0, 0},
        {"blue counts twice: (255,0,0) is 127", filter([=](FilterFx f, auto) { f.Threshold(126, ink); }),
         0xFF, 0, ink},
        {"127 is not above 127", filter([=](FilterFx f, auto) { f.Threshold(127, ink); }), 0xFF, 0, 0xFF},
        {"green alone is 63", filter([=](FilterFx f, auto) { f.Threshold(63, ink); }), 0xFF00, 0, 0xFF00},
        {"red alone is 63", filter([=](FilterFx f, auto) { f.Threshold(62, ink); }), 0xFF0000, 0, ink},
        {"level 255 paints nothing", filter([=](FilterFx f, auto) { f.Threshold(255, ink); }), 0xFFFFFF, 0,
         0xFFFFFF},
        {"level -1 paints black too", filter([=](FilterFx f, auto) { f.Threshold(-1, ink); }), 0, 0, ink},
        {"AddGrey of blue 255: white, key 0", filter([](FilterFx f, auto s) { f.AddGrey(s); }), 0xFF102030,
         0xFFFFFFFF, 0xFFFFFF},
        {"shift 33 acts as 1", filter([](FilterFx f, auto s) { f.AddGreyShifted(s, 33); }), 0x102030, 0x21,
         0x203040},
        {"shift 17 adds nothing, clears the key", filter([](FilterFx f, auto s) { f.AddGreyShifted(s, 17); }),
         0xFF102030, 0xFF, 0x102030},
        {"subtract of equal words", filter([](FilterFx f, auto s) { f.Combine(s, s, CombineSubtract); }), 7,
         0xDEADBEEF, 0},
        {"add carries across channels", filter([](FilterFx f, auto s) { f.Combine(s, s, CombineAdd); }), 0,
         0x800000FF, 0x1FE},
        {"operation 6 writes nothing", filter([](FilterFx f, auto s) { f.Combine(s, s, CombineOp(6)); }), 7,
         0, 7},
    };
    for (const Row& row : rows) {
        Bitmap target = Filled(5, 1, row.target);  // five words: the vector body and the tail
        const Bitmap src = Filled(5, 1, row.source);
        row.op(target, &src);
        for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(Hex(target.pixels[i]), Hex(row.expected)) << row.what;
    }
}

TEST(HandWorked, Sprites) {
    Bitmap sprite(100, 100);  // pixel (c, r) holds r * 100 + c + 1, opaque
    for (int32_t i = 0; i < sprite.size; ++i) sprite.pixels[i] = static_cast<uint32_t>(i + 1);
    Bitmap t = Filled(640, 480, 0);
    Blitter b = On<Blitter>(t);
    b.Draw(&sprite, 0, -10);  // source rows 10..99 at rows 0..89
    EXPECT_EQ(t.Row(0)[0], sprite.pixels[1000]);
    EXPECT_EQ(t.Row(89)[99], 10000u);
    EXPECT_EQ(t.Row(90)[0], 0u);
    b.Clear(0);
    b.Draw(&sprite, 600, 0);  // source columns 0..39 only
    EXPECT_EQ(t.Row(0)[639], 40u);
    EXPECT_EQ(t.Row(1)[0], 0u);
    b.Clear(0);
    b.Draw(&sprite, 0, 480);  // a sprite whose top row is below the frame draws nothing
    EXPECT_EQ(t.Row(479)[0], 0u);

    Bitmap abc(3, 1);
    abc.pixels[0] = 0xA, abc.pixels[1] = 0xB, abc.pixels[2] = 0xC;
    b.DrawMirrored(&abc, 0, 0);
    EXPECT_EQ(t.pixels[0], 0xCu);
    EXPECT_EQ(t.pixels[1], 0xBu);
    EXPECT_EQ(t.pixels[2], 0xAu);

    b.Clear(0);
    b.DrawScaled(&sprite, 0, 0, 50, 50);  // rows and columns 0, 2, ..., 98
    EXPECT_EQ(t.Row(0)[1], sprite.pixels[2]);
    EXPECT_EQ(t.Row(49)[49], sprite.pixels[98 * 100 + 98]);
    EXPECT_EQ(t.Row(50)[0], 0u);
    b.DrawScaled(&sprite, 0, 0, 200, 200);  // every pixel twice each way
    EXPECT_EQ(t.Row(3)[5], sprite.pixels[1 * 100 + 2]);
}

TEST(HandWorked, Rings) {
    Bitmap t(640, 480), plain(640, 480);
    PatternFx p;
    const uint32_t ink = 0xFFFFFF;
    const auto paint = [&](Bitmap& into, auto draw) {
        for (int32_t i = 0; i < into.size; ++i) into.pixels[i] = 1;
        p.target = &into;
        draw();
    };
    // Radius r right of (100, 240): r*r >> 8 is 63 at 127 (painted), 64 at 128 and 66 at 130
    // (bit 6 set: untouched), 127 at 181, 129 at 182 (painted again). Phase 64 inverts, 128 not.
    const std::vector<std::array<int32_t, 3>> cases = {
        {0, 0, 1},    {127, 0, 1},  {128, 0, 0},   {130, 0, 0},   {181, 0, 0}, {182, 0, 1},
        {127, 64, 0}, {128, 64, 1}, {127, 128, 1}, {130, 128, 0}, {127, 1, 0}};
    for (const auto& [radius, phase, painted] : cases) {
        paint(t, [&] { p.Rings(100, 240, ink, phase); });
        EXPECT_EQ(t.Row(240)[100 + radius] == ink, painted == 1) << "radius " << radius << " phase " << phase;
    }
    // Shifts of 31 turn every table value into 0, and a row step of -1 reads sine[0] = 32768 on
    // every row: both are the plain rings.
    paint(plain, [&] { p.Rings(300, 200, ink, 17); });
    paint(t, [&] { p.WarpedRings(300, 200, ink, 17, 12345, 31, 31); });
    EXPECT_TRUE(SamePixels(t, plain));
    paint(t, [&] { p.WarpedRings2(300 + 32768, 200, ink, 17, 99, -1, 3, 31, 0); });
    EXPECT_TRUE(SamePixels(t, plain));
    EXPECT_EQ(p.sine[0], 32768);
    EXPECT_EQ(p.cosine[0], 65536);
    EXPECT_EQ(p.sine[64], 65535);  // sin(1.57) is just below 1
}

TEST(HandWorked, WindowsAndZooms) {
    Bitmap fresco(1024, 608), picture(640, 480), t(640, 480);
    for (int32_t i = 0; i < fresco.size; ++i) fresco.pixels[i] = static_cast<uint32_t>(i);
    for (int32_t i = 0; i < picture.size; ++i) picture.pixels[i] = static_cast<uint32_t>(i);
    PatternFx p = On<PatternFx>(t);
    p.CopyWindow(&fresco, 383, 127);
    EXPECT_EQ(t.pixels[0], 127u * 1024 + 383);
    EXPECT_EQ(t.Row(479)[639], (127u + 479) * 1024 + 383 + 639);
    p.CopyWindow(&fresco, 384, 127);  // touching the right edge snaps x back to 0
    EXPECT_EQ(t.pixels[0], 127u * 1024);
    p.Zoom4(&picture, 0, 0);
    EXPECT_EQ(t.Row(3)[3], 0u);
    EXPECT_EQ(t.Row(4)[4], 641u);
    p.Zoom8(&picture, 560, 420);  // the last window inside the picture
    EXPECT_EQ(t.pixels[0], 420u * 640 + 560);
    EXPECT_EQ(t.Row(479)[639], 479u * 640 + 639);
}

TEST(HandWorked, RowFilters) {
    // Amplitude 0: each row turns left by one and is smeared over taps k - 1 and k, over 3. A
    // blue 255 at column 1 becomes 85 at column 0, then fades as (previous + taps) / 3.
    Bitmap t = Filled(640, 480, 0x80000000);
    for (int32_t j = 0; j < 480; ++j) t.Row(j)[1] = 0x800000FF;
    FilterFx f = On<FilterFx>(t);
    f.WaveBlur(-1, 480, 0);
    const std::vector<uint32_t> fade = {85, 56, 37, 24, 16, 10, 6, 4, 2, 1, 0};
    for (int32_t j : {0, 479}) {
        for (size_t k = 0; k < fade.size(); ++k) EXPECT_EQ(t.Row(j)[k], 0x80000000u | fade[k]) << k;
    }
    for (int32_t i = 0; i < t.size; ++i) t.pixels[i] = static_cast<uint32_t>(i);
    const Bitmap before = CopyOf(t);
    f.WaveBlur(100, 101, 300);  // no row strictly inside
    f.RotateRows(0);
    f.RotateRows(640);
    EXPECT_TRUE(SamePixels(t, before));
    f.RotateRows(1);  // column 0 goes to the right edge
    EXPECT_EQ(t.Row(7)[639], before.Row(7)[0]);
    EXPECT_EQ(t.Row(7)[0], before.Row(7)[1]);
}

TEST(HandWorked, Noise) {
    // Bars fill ceil(480 * amount) rows, each with one grey.
    for (const auto& [amount, rows] : std::vector<std::pair<float, int32_t>>{
             {1, 480}, {0.5f, 240}, {0.501f, 241}, {1e-6f, 1}, {0, 0}, {-1, 0}}) {
        Bitmap t = Filled(640, 480, 0xFF123456);
        On<NoiseFx>(t).Bars(amount);
        for (int32_t j = 0; j < 480; ++j) {
            const uint32_t first = t.Row(j)[0];
            ASSERT_EQ(first == (first & 0xFF) * 0x010101u, j < rows) << amount << " row " << j;
            ASSERT_EQ(t.Row(j)[639], first);
        }
    }
    // Amount 0 changes nothing but still takes one random number per row.
    Bitmap t = Filled(640, 480, 0x80406080);
    platform::ResetRand(7);
    On<NoiseFx>(t).AddRowNoise(0);
    On<NoiseFx>(t).SubtractRowNoise(0);
    const int next = platform::Rand();
    platform::ResetRand(7);
    for (int i = 0; i < 960; ++i) platform::Rand();
    EXPECT_EQ(next, platform::Rand());
    EXPECT_EQ(t.Row(479)[639], 0x80406080u);
    // A level of 255 whitens a row or blackens it, keeping the key bytes.
    platform::ResetRand(1);  // first number 41: 41 * k * 1e9 * 255 is far above 255
    On<NoiseFx>(t).AddRowNoise(1e9f);
    EXPECT_EQ(t.Row(0)[9], 0x80FFFFFFu);
    On<NoiseFx>(t).SubtractRowNoise(1e9f);
    EXPECT_EQ(t.Row(1)[9], 0x80000000u);
}
