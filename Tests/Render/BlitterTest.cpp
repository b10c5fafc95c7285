// Blitter against the plain reference on random pictures and arguments, a few cases worked out by
// hand, and pictures smaller than the frame, empty or missing.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "Render/Blitter.h"
#include "RenderTesting.h"
#include "Support/RenderReference.h"

using namespace rendertest;

namespace {

using SourceOp = std::function<void(Blitter&, const Bitmap*)>;
using SourceReference = std::function<void(Bitmap&, const Bitmap*)>;

struct SourceCase {
    std::string name;
    SourceOp run;
    SourceReference reference;
};

// Runs `run` on one copy of the target and `reference` on another and compares the results.
void ExpectSame(const std::string& what, Bitmap& target, const Bitmap* src, const SourceOp& run,
                const SourceReference& reference) {
    Bitmap expected = CopyOf(target);
    Blitter blitter;
    blitter.target = &target;
    run(blitter, src);
    reference(expected, src);
    EXPECT_TRUE(SamePixels(target, expected)) << what;
}

std::string Describe(const std::string& name, const Bitmap& target, const Bitmap* src) {
    std::string text = name + " target " + std::to_string(target.width) + "x" + std::to_string(target.height);
    if (src == nullptr) return text + " null source";
    return text + " source " + std::to_string(src->width) + "x" + std::to_string(src->height);
}

}  // namespace

TEST(BlitterMatchesReference, WholeFrameOperations) {
    const std::vector<SourceCase> cases = {
        {"CopyKeyed", [](Blitter& b, const Bitmap* s) { b.CopyKeyed(s); }, reference::CopyKeyed},
        {"CopyScreen", [](Blitter& b, const Bitmap* s) { b.CopyScreen(s); }, reference::CopyScreen},
        {"AddKeyed", [](Blitter& b, const Bitmap* s) { b.AddKeyed(s); }, reference::AddKeyed},
        {"SubtractKeyed", [](Blitter& b, const Bitmap* s) { b.SubtractKeyed(s); }, reference::SubtractKeyed},
        {"AddScreen", [](Blitter& b, const Bitmap* s) { b.AddScreen(s); }, reference::AddScreen},
        {"AddScreenMono", [](Blitter& b, const Bitmap* s) { b.AddScreenMono(s); }, reference::AddScreenMono},
    };
    Random random(11);
    for (const SourceCase& c : cases) {
        for (int trial = 0; trial < 24; ++trial) {
            int32_t tw, th, sw, sh;
            PickSize(random, tw, th);
            PickSize(random, sw, sh);
            Bitmap target = RandomBitmap(random, tw, th);
            Bitmap src = RandomBitmap(random, sw, sh);
            const Bitmap* source = random.Chance(5) ? nullptr : &src;
            ExpectSame(Describe(c.name, target, source), target, source, c.run, c.reference);
        }
    }
}

TEST(BlitterMatchesReference, ClearAndDarken) {
    Random random(12);
    const std::vector<int32_t> amounts = {0, 1, 127, 128, 254, 255, 256, -1, -255, INT_MIN, INT_MAX};
    for (int trial = 0; trial < 40; ++trial) {
        int32_t w, h;
        PickSize(random, w, h);
        Bitmap target = RandomBitmap(random, w, h);
        const uint32_t value = random.Pixel();
        ExpectSame(
            Describe("Clear", target, nullptr), target, nullptr,
            [value](Blitter& b, const Bitmap*) { b.Clear(value); },
            [value](Bitmap& t, const Bitmap*) { reference::Clear(t, value); });
        const int32_t amount =
            trial < static_cast<int>(amounts.size()) ? amounts[trial] : random.Between(-300, 300);
        ExpectSame(
            Describe("Darken " + std::to_string(amount), target, nullptr), target, nullptr,
            [amount](Blitter& b, const Bitmap*) { b.Darken(amount); },
            [amount](Bitmap& t, const Bitmap*) { reference::Darken(t, amount); });
    }
}

TEST(BlitterMatchesReference, PositionedOperations) {
    Random random(13);
    for (int trial = 0; trial < 400; ++trial) {
        int32_t tw, th;
        PickSize(random, tw, th);
        Bitmap target = RandomBitmap(random, tw, th);
        const int32_t sw = random.Chance(10) ? random.Between(0, 700) : random.Between(0, 90);
        const int32_t sh = random.Chance(10) ? random.Between(0, 500) : random.Between(0, 90);
        Bitmap src = RandomBitmap(random, sw, sh);
        const Bitmap* source = random.Chance(3) ? nullptr : &src;
        const int32_t x = random.Position(tw);
        const int32_t y = random.Position(th);
        int32_t w = random.Chance(70) ? random.Between(-3, 300) : random.Position(2000);
        int32_t h = random.Chance(70) ? random.Between(-3, 300) : random.Position(2000);
        if (random.Chance(3)) w = INT_MAX;
        if (random.Chance(3)) h = INT_MAX;
        const std::string where = " at " + std::to_string(x) + "," + std::to_string(y) + " size " +
                                  std::to_string(w) + "x" + std::to_string(h);
        switch (trial % 4) {
            case 0:
                ExpectSame(
                    Describe("Draw", target, source) + where, target, source,
                    [=](Blitter& b, const Bitmap* s) { b.Draw(s, x, y); },
                    [=](Bitmap& t, const Bitmap* s) { reference::Draw(t, s, x, y); });
                break;
            case 1:
                ExpectSame(
                    Describe("DrawMirrored", target, source) + where, target, source,
                    [=](Blitter& b, const Bitmap* s) { b.DrawMirrored(s, x, y); },
                    [=](Bitmap& t, const Bitmap* s) { reference::DrawMirrored(t, s, x, y); });
                break;
            case 2:
                ExpectSame(
                    Describe("DrawScaled", target, source) + where, target, source,
                    [=](Blitter& b, const Bitmap* s) { b.DrawScaled(s, x, y, w, h); },
                    [=](Bitmap& t, const Bitmap* s) { reference::DrawScaled(t, s, x, y, w, h); });
                break;
            default:
                ExpectSame(
                    Describe("DrawScaledAdditive", target, source) + where, target, source,
                    [=](Blitter& b, const Bitmap* s) { b.DrawScaledAdditive(s, x, y, w, h); },
                    [=](Bitmap& t, const Bitmap* s) { reference::DrawScaledAdditive(t, s, x, y, w, h); });
                break;
        }
    }
}

// The blend may differ from the reference only by one, and only where the exact value of
// (1 - t) * s + t * d lies within rounding error of an integer.
TEST(BlitterMatchesReference, BlendKeyed) {
    Random random(14);
    std::vector<float> levels = {0.0f, 1.0f,   0.5f,  0.25f, 0.1f,  0.9f,  1e-9f,     1.0f - 1e-7f, -0.5f,
                                 1.5f, -1e30f, 1e30f, 0.75f, 0.01f, 0.99f, 0.015625f, 0.3333333f};
    for (int i = 0; i < 40; ++i) levels.push_back(random.Fraction());
    levels.push_back(std::numeric_limits<float>::quiet_NaN());
    levels.push_back(std::numeric_limits<float>::infinity());
    for (float t : levels) {
        int32_t tw, th, sw, sh;
        PickSize(random, tw, th);
        PickSize(random, sw, sh);
        Bitmap target = RandomBitmap(random, tw, th);
        Bitmap src = RandomBitmap(random, sw, sh);
        Bitmap expected = CopyOf(target);
        const Bitmap before = CopyOf(target);
        Blitter blitter;
        blitter.target = &target;
        blitter.BlendKeyed(&src, t);
        reference::BlendKeyed(expected, &src, t);
        for (int32_t i = 0; i < target.size; ++i) {
            if (target.pixels[i] == expected.pixels[i]) continue;
            for (int c = 0; c < 4; ++c) {
                const int64_t got = reference::Byte(target.pixels[i], c);
                const int64_t want = reference::Byte(expected.pixels[i], c);
                if (got == want) continue;
                ASSERT_LT(c, 3) << "key byte changed at " << i;
                const long double exact =
                    static_cast<long double>(reference::Byte(src.pixels[i], c)) +
                    static_cast<long double>(t) *
                        (static_cast<long double>(reference::Byte(before.pixels[i], c)) -
                         reference::Byte(src.pixels[i], c));
                const long double nearest = std::round(exact);
                ASSERT_LE(std::fabs(static_cast<double>(got - want)), 1.0) << "t " << t << " at " << i;
                ASSERT_LT(std::fabs(static_cast<double>(exact - nearest)), 1e-6) << "t " << t << " at " << i;
            }
        }
    }
}

TEST(Blitter, ChannelArithmeticWorkedByHand) {
    struct Case {
        const char* what;
        std::function<void(Blitter&, const Bitmap*)> run;
        uint32_t target, source, expected;
    };
    const std::vector<Case> cases = {
        {"AddKeyed 200 onto 100 saturates", [](Blitter& b, const Bitmap* s) { b.AddKeyed(s); }, 0x00646464,
         0x00C8C8C8, 0x00FFFFFF},
        {"SubtractKeyed 200 from 100 floors", [](Blitter& b, const Bitmap* s) { b.SubtractKeyed(s); },
         0x00646464, 0x00C8C8C8, 0x00000000},
        {"AddKeyed keeps the target's key byte", [](Blitter& b, const Bitmap* s) { b.AddKeyed(s); },
         0x7F010203, 0x00010101, 0x7F020304},
        {"keyed operations skip a transparent source", [](Blitter& b, const Bitmap* s) { b.AddKeyed(s); },
         0x00101010, 0xFF808080, 0x00101010},
        {"CopyKeyed copies all four bytes of key 0x80", [](Blitter& b, const Bitmap* s) { b.CopyKeyed(s); },
         0x00101010, 0x80ABCDEF, 0x80ABCDEF},
        {"BlendKeyed 0.25: 0.75*100 + 0.25*200 = 125",
         [](Blitter& b, const Bitmap* s) { b.BlendKeyed(s, 0.25f); }, 0x00C8C8C8, 0x00646464, 0x007D7D7D},
        {"BlendKeyed 0.5 of 255 and 0 truncates to 127",
         [](Blitter& b, const Bitmap* s) { b.BlendKeyed(s, 0.5f); }, 0x00000000, 0x00FFFFFF, 0x007F7F7F},
        {"BlendKeyed 0 takes the source colour, keeps the key",
         [](Blitter& b, const Bitmap* s) { b.BlendKeyed(s, 0); }, 0x12345678, 0x00ABCDEF, 0x12ABCDEF},
        {"BlendKeyed 1 leaves the target", [](Blitter& b, const Bitmap* s) { b.BlendKeyed(s, 1); },
         0x12345678, 0x00ABCDEF, 0x12345678},
        {"AddScreenMono (10,200,30) + blue 20 = grey 30",
         [](Blitter& b, const Bitmap* s) { b.AddScreenMono(s); }, 0x001EC80A, 0x00FFFF14, 0x001E1E1E},
        {"AddScreen has no transparency test", [](Blitter& b, const Bitmap* s) { b.AddScreen(s); },
         0x55010203, 0xFF102030, 0x55112233},
        {"CopyScreen keeps the target's key byte", [](Blitter& b, const Bitmap* s) { b.CopyScreen(s); },
         0xAB000000, 0xFF123456, 0xAB123456},
        {"Darken 0 changes nothing", [](Blitter& b, const Bitmap*) { b.Darken(0); }, 0x80FF7F01, 0,
         0x80FF7F01},
        {"Darken 255 makes black, keeps the key", [](Blitter& b, const Bitmap*) { b.Darken(255); },
         0x80FF7F01, 0, 0x80000000},
        {"Darken -10 brightens and saturates", [](Blitter& b, const Bitmap*) { b.Darken(-10); }, 0x00FA0A00,
         0, 0x00FF140A},
        {"Clear 0 clears the key byte too", [](Blitter& b, const Bitmap*) { b.Clear(0); }, 0xFFFFFFFF, 0, 0},
    };
    for (const Case& c : cases) {
        Bitmap target(2, 1), src(2, 1);
        target.pixels[0] = target.pixels[1] = c.target;
        src.pixels[0] = src.pixels[1] = c.source;
        Blitter blitter;
        blitter.target = &target;
        c.run(blitter, &src);
        EXPECT_EQ(Hex(target.pixels[0]), Hex(c.expected)) << c.what;
        EXPECT_EQ(Hex(target.pixels[1]), Hex(c.expected)) << c.what;
    }
}

TEST(Blitter, SpritesLandWhereExpected) {
    // A 100 x 100 sprite whose pixel (c, r) is r * 100 + c + 1, opaque.
    Bitmap sprite(100, 100);
    for (int32_t i = 0; i < sprite.size; ++i) sprite.pixels[i] = static_cast<uint32_t>(i + 1);
    Bitmap target(640, 480);
    Blitter blitter;
    blitter.target = &target;

    blitter.Clear(0);
    blitter.Draw(&sprite, 0, -10);  // source rows 10..99 at target rows 0..89
    EXPECT_EQ(target.pixels[0], sprite.pixels[10 * 100]);
    EXPECT_EQ(target.Row(89)[99], sprite.pixels[99 * 100 + 99]);
    EXPECT_EQ(target.Row(90)[0], 0u);

    blitter.Clear(0);
    blitter.Draw(&sprite, 600, 0);  // only source columns 0..39
    EXPECT_EQ(target.Row(0)[639], sprite.pixels[39]);
    EXPECT_EQ(target.Row(1)[0], 0u);

    blitter.Clear(0);
    blitter.Draw(&sprite, 0, 480);  // top row below the last row: nothing
    blitter.Draw(&sprite, 0, INT_MIN);
    blitter.Draw(&sprite, INT_MAX, 0);
    for (int32_t i = 0; i < target.size; ++i) ASSERT_EQ(target.pixels[i], 0u);

    Bitmap abc(3, 1);
    abc.pixels[0] = 0xA;
    abc.pixels[1] = 0xB;
    abc.pixels[2] = 0xC;
    blitter.DrawMirrored(&abc, 0, 0);
    EXPECT_EQ(target.pixels[0], 0xCu);
    EXPECT_EQ(target.pixels[1], 0xBu);
    EXPECT_EQ(target.pixels[2], 0xAu);

    blitter.Clear(0);
    blitter.DrawScaled(&sprite, 0, 0, 50, 50);  // samples rows and columns 0, 2, ..., 98
    EXPECT_EQ(target.Row(0)[1], sprite.pixels[2]);
    EXPECT_EQ(target.Row(49)[49], sprite.pixels[98 * 100 + 98]);
    EXPECT_EQ(target.Row(50)[0], 0u);

    blitter.DrawScaled(&sprite, 0, 0, 200, 200);  // every pixel twice in each direction
    EXPECT_EQ(target.Row(3)[5], sprite.pixels[1 * 100 + 2]);
    EXPECT_EQ(target.Row(199)[199], sprite.pixels[99 * 100 + 99]);

    sprite.pixels[0] = 0xFF00FF00;  // a transparent pixel never arrives
    blitter.Clear(0x01020304);
    blitter.Draw(&sprite, 0, 0);
    blitter.DrawScaled(&sprite, 0, 0, 1, 1);
    EXPECT_EQ(target.pixels[0], 0x01020304u);
}

// Pictures smaller than the frame, empty (a refused picture) or missing (an unknown GUID) are
// handled without reading or writing outside any bitmap.
TEST(Blitter, SmallEmptyAndMissingSources) {
    Bitmap target(640, 480);
    Blitter blitter;
    blitter.target = &target;
    Bitmap empty;
    const std::vector<const Bitmap*> nothing = {nullptr, &empty};
    for (const Bitmap* src : nothing) {
        blitter.Clear(0x11223344);
        blitter.CopyKeyed(src);
        blitter.CopyScreen(src);
        blitter.Draw(src, 0, 0);
        blitter.DrawMirrored(src, 0, 0);
        blitter.DrawScaled(src, 0, 0, 640, 480);
        blitter.BlendKeyed(src, 0.5f);
        blitter.AddKeyed(src);
        blitter.SubtractKeyed(src);
        blitter.AddScreen(src);
        blitter.AddScreenMono(src);
        blitter.DrawScaledAdditive(src, 0, 0, 640, 480);
        for (int32_t i = 0; i < target.size; ++i) ASSERT_EQ(target.pixels[i], 0x11223344u);
    }

    // A 320 x 240 picture covers the first 76,800 words of the frame; the rest keeps its colour.
    Bitmap small(320, 240);
    for (int32_t i = 0; i < small.size; ++i) small.pixels[i] = 0x00010101;
    blitter.Clear(0);
    blitter.CopyScreen(&small);
    blitter.AddScreen(&small);
    blitter.AddKeyed(&small);
    EXPECT_EQ(target.pixels[small.size - 1], 0x00030303u);
    EXPECT_EQ(target.pixels[small.size], 0u);

    // A target smaller than the picture: only the words it holds change.
    Bitmap big(640, 480);
    for (int32_t i = 0; i < big.size; ++i) big.pixels[i] = 0x00404040;
    Bitmap strip(640, 3);
    blitter.target = &strip;
    blitter.Clear(0);
    blitter.AddScreen(&big);
    blitter.CopyKeyed(&big);
    EXPECT_EQ(strip.pixels[strip.size - 1], 0x00404040u);

    // Scaled sizes at the int32 limit sample inside the source and stay within the target.
    Bitmap tall(3, 3);
    for (int32_t i = 0; i < tall.size; ++i) tall.pixels[i] = static_cast<uint32_t>(i);
    blitter.target = &target;
    blitter.Clear(0xFFFFFFFF);
    blitter.DrawScaled(&tall, 0, -(INT_MAX - 10), 640, INT_MAX);
    EXPECT_EQ(target.Row(9)[639], 8u);          // the bottom row of the enormous stretch
    EXPECT_EQ(target.Row(10)[0], 0xFFFFFFFFu);  // and nothing below it
    blitter.DrawScaledAdditive(&tall, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    blitter.DrawScaled(&tall, INT_MAX, INT_MAX, INT_MAX, INT_MAX);
}
