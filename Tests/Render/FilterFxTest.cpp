// FilterFx against the plain reference (the literal smear for WaveBlur) on random frames and
// arguments, hand-computed rows, and pictures or targets smaller than the frame.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Render/FilterFx.h"
#include "RenderTesting.h"
#include "Support/RenderReference.h"

using namespace rendertest;

namespace {

void ExpectSame(const std::string& what, Bitmap& target, const std::function<void(FilterFx&)>& run,
                const std::function<void(Bitmap&)>& reference) {
    Bitmap expected = CopyOf(target);
    FilterFx filter;
    filter.target = &target;
    run(filter);
    reference(expected);
    EXPECT_TRUE(SamePixels(target, expected)) << what << " on " << target.width << "x" << target.height;
}

}  // namespace

TEST(FilterFxMatchesReference, WaveBlur) {
    Random random(41);
    struct Band {
        int32_t top, bottom, amplitude;
    };
    std::vector<Band> bands = {{-1, 480, 30},   {-1, 480, 0},     {100, 101, 50},          {100, 102, 639},
                               {200, 210, 640}, {470, 600, 1000}, {INT_MIN, INT_MAX, 3},   {-1, 480, -7},
                               {5, 3, 20},      {-1000, 12, 639}, {460, INT_MAX, INT_MAX}, {-1, 480, 4}};
    for (int i = 0; i < 30; ++i) {
        const int32_t top = random.Chance(20) ? random.Position(480) : random.Between(-5, 470);
        // Wide smears on few rows only: the reference costs 2h taps per pixel.
        const bool wide = random.Chance(40);
        const int32_t bottom = wide ? top + random.Between(0, 12) : random.Between(top, 490);
        const int32_t amplitude = wide ? random.Between(100, 700) : random.Between(0, 40);
        bands.push_back({top, bottom, amplitude});
    }
    for (const Band& b : bands) {
        int32_t w, h;
        PickSize(random, w, h);
        Bitmap target = RandomBitmap(random, w, h);
        ExpectSame(
            "WaveBlur " + std::to_string(b.top) + " " + std::to_string(b.bottom) + " " +
                std::to_string(b.amplitude),
            target, [&](FilterFx& f) { f.WaveBlur(b.top, b.bottom, b.amplitude); },
            [&](Bitmap& t) { reference::WaveBlur(t, b.top, b.bottom, b.amplitude); });
    }
}

TEST(FilterFxMatchesReference, RowsAndPixels) {
    Random random(42);
    const std::vector<int32_t> offsets = {0, 1, 639, 640, 641, 1279, -1, -640, INT_MIN, INT_MAX};
    const std::vector<int32_t> levels = {-1, 0, 62, 63, 64, 126, 127, 128, 254, 255, INT_MIN, INT_MAX};
    for (int trial = 0; trial < 40; ++trial) {
        int32_t w, h;
        PickSize(random, w, h);
        Bitmap target = RandomBitmap(random, w, h);
        const int32_t offset =
            trial < static_cast<int>(offsets.size()) ? offsets[trial] : random.Position(640);
        ExpectSame(
            "RotateRows " + std::to_string(offset), target, [&](FilterFx& f) { f.RotateRows(offset); },
            [&](Bitmap& t) { reference::RotateRows(t, offset); });
        const int32_t level =
            trial < static_cast<int>(levels.size()) ? levels[trial] : random.Between(-2, 257);
        const uint32_t colour = random.Pixel();
        ExpectSame(
            "Threshold " + std::to_string(level), target, [&](FilterFx& f) { f.Threshold(level, colour); },
            [&](Bitmap& t) { reference::Threshold(t, level, colour); });
    }
}

TEST(FilterFxMatchesReference, TwoPictureOperations) {
    Random random(43);
    for (int trial = 0; trial < 80; ++trial) {
        int32_t tw, th, aw, ah, bw, bh;
        PickSize(random, tw, th);
        PickSize(random, aw, ah);
        PickSize(random, bw, bh);
        Bitmap target = RandomBitmap(random, tw, th);
        Bitmap a = RandomBitmap(random, aw, ah);
        Bitmap b = RandomBitmap(random, bw, bh);
        const Bitmap* pa = random.Chance(5) ? nullptr : &a;
        const Bitmap* pb = random.Chance(5) ? nullptr : &b;
        if (random.Chance(15)) pa = &target;  // the scenes also combine a picture into itself
        const int32_t shift = random.Chance(80) ? random.Between(0, 8) : random.Position(64);
        const int32_t op = random.Between(-1, 6);
        ExpectSame(
            "AddGreyShifted " + std::to_string(shift), target,
            [&](FilterFx& f) { f.AddGreyShifted(pa, shift); },
            [&](Bitmap& t) { reference::AddGreyShifted(t, pa == &target ? &t : pa, shift); });
        ExpectSame(
            "AddGrey", target, [&](FilterFx& f) { f.AddGrey(pb); },
            [&](Bitmap& t) { reference::AddGrey(t, pb); });
        ExpectSame(
            "Combine " + std::to_string(op), target,
            [&](FilterFx& f) { f.Combine(pa, pb, static_cast<CombineOp>(op)); },
            [&](Bitmap& t) { reference::Combine(t, pa == &target ? &t : pa, pb, op); });
    }
}

TEST(FilterFx, RowsWorkedByHand) {
    Bitmap target(640, 480);
    FilterFx filter;
    filter.target = &target;

    // Amplitude 0: every row turns left by one and is smeared over taps k - 1 and k, divided by 3.
    // One blue 255 at column 1 becomes 85 at column 0 and fades: (previous + taps) / 3.
    for (int32_t i = 0; i < target.size; ++i) target.pixels[i] = 0x80000000;
    for (int32_t j = 0; j < 480; ++j) target.Row(j)[1] = 0x800000FF;
    filter.WaveBlur(-1, 480, 0);
    const std::vector<uint32_t> fade = {85, 56, 37, 24, 16, 10, 6, 4, 2, 1, 0, 0};
    for (int32_t j : {0, 239, 479}) {
        for (size_t k = 0; k < fade.size(); ++k)
            EXPECT_EQ(target.Row(j)[k], 0x80000000u | fade[k]) << j << " " << k;
        EXPECT_EQ(target.Row(j)[639], 0x80000000u);
    }

    // A band without rows strictly inside changes nothing.
    for (int32_t i = 0; i < target.size; ++i) target.pixels[i] = static_cast<uint32_t>(i * 2654435761u);
    const Bitmap before = CopyOf(target);
    filter.WaveBlur(100, 101, 300);
    filter.WaveBlur(300, 200, 300);
    filter.RotateRows(0);
    filter.RotateRows(640);
    EXPECT_TRUE(SamePixels(target, before));

    filter.RotateRows(1);  // column 0 goes to the right edge
    EXPECT_EQ(target.Row(7)[639], before.Row(7)[0]);
    EXPECT_EQ(target.Row(7)[0], before.Row(7)[1]);
}

TEST(FilterFx, PixelsWorkedByHand) {
    struct Case {
        const char* what;
        std::function<void(FilterFx&, const Bitmap*)> run;
        uint32_t target, source, expected;
    };
    const uint32_t kInk = 0xFF00ABCD;
    const std::vector<Case> cases = {
        {"blue counts twice: (255,0,0) is 127, above 126",
         [&](FilterFx& f, const Bitmap*) { f.Threshold(126, kInk); }, 0x000000FF, 0, kInk},
        {"(255,0,0) is not above 127", [&](FilterFx& f, const Bitmap*) { f.Threshold(127, kInk); },
         0x000000FF, 0, 0x000000FF},
        {"green alone is 63", [&](FilterFx& f, const Bitmap*) { f.Threshold(63, kInk); }, 0x0000FF00, 0,
         0x0000FF00},
        {"red alone is 63", [&](FilterFx& f, const Bitmap*) { f.Threshold(62, kInk); }, 0x00FF0000, 0, kInk},
        {"level 255 paints nothing", [&](FilterFx& f, const Bitmap*) { f.Threshold(255, kInk); }, 0x00FFFFFF,
         0, 0x00FFFFFF},
        {"level -1 paints black too", [&](FilterFx& f, const Bitmap*) { f.Threshold(-1, kInk); }, 0, 0, kInk},
        {"AddGrey of blue 255 gives white, key 0", [](FilterFx& f, const Bitmap* s) { f.AddGrey(s); },
         0xFF102030, 0xFFFFFFFF, 0x00FFFFFF},
        {"AddGrey reads only the source's blue", [](FilterFx& f, const Bitmap* s) { f.AddGrey(s); },
         0x00102030, 0x00FFFF01, 0x00112131},
        {"AddGreyShifted 1 adds half", [](FilterFx& f, const Bitmap* s) { f.AddGreyShifted(s, 1); },
         0x00102030, 0x00000021, 0x00203040},
        {"AddGreyShifted 33 acts as 1", [](FilterFx& f, const Bitmap* s) { f.AddGreyShifted(s, 33); },
         0x00102030, 0x00000021, 0x00203040},
        {"Combine subtract of equal words",
         [](FilterFx& f, const Bitmap* s) { f.Combine(s, s, CombineSubtract); }, 0x12345678, 0xDEADBEEF, 0},
        {"Combine add carries across channels",
         [](FilterFx& f, const Bitmap* s) { f.Combine(s, s, CombineAdd); }, 0, 0x800000FF, 0x000001FE},
        {"Combine multiply wraps", [](FilterFx& f, const Bitmap* s) { f.Combine(s, s, CombineMultiply); }, 0,
         0x00010001, 0x00020001},
        {"Combine xor", [](FilterFx& f, const Bitmap* s) { f.Combine(s, s, CombineXor); }, 5, 0xFFFFFFFF, 0},
        {"Combine 6 writes nothing",
         [](FilterFx& f, const Bitmap* s) { f.Combine(s, s, static_cast<CombineOp>(6)); }, 0x12345678, 0,
         0x12345678},
    };
    for (const Case& c : cases) {
        Bitmap target(3, 1), src(3, 1);
        for (int32_t i = 0; i < 3; ++i) {
            target.pixels[i] = c.target;
            src.pixels[i] = c.source;
        }
        FilterFx filter;
        filter.target = &target;
        c.run(filter, &src);
        EXPECT_EQ(Hex(target.pixels[2]), Hex(c.expected)) << c.what;
    }
}

// Targets holding less than the frame, pictures smaller than the target, missing pictures.
TEST(FilterFx, SmallEmptyAndMissingPictures) {
    FilterFx filter;
    // The frame is 640-word rows from the first word: a 320-wide target holds 240 of them, a
    // 700 x 1 target one row and a tail too short to turn, which is left alone.
    for (const auto& [w, h] :
         std::vector<std::pair<int32_t, int32_t>>{{320, 480}, {640, 1}, {700, 1}, {639, 5}}) {
        Bitmap t(w, h);
        for (int32_t i = 0; i < t.size; ++i) t.pixels[i] = static_cast<uint32_t>(i);
        Bitmap expected = CopyOf(t);
        filter.target = &t;
        filter.WaveBlur(-1, 480, 30);
        filter.RotateRows(1);
        reference::WaveBlur(expected, -1, 480, 30);
        reference::RotateRows(expected, 1);
        EXPECT_TRUE(SamePixels(t, expected));
        for (int32_t i = t.size / 640 * 640; i < t.size; ++i)
            ASSERT_EQ(t.pixels[i], static_cast<uint32_t>(i));
    }

    Bitmap target(640, 480);
    for (int32_t i = 0; i < target.size; ++i) target.pixels[i] = 0x00101010;
    filter.target = &target;
    Bitmap empty;
    for (const Bitmap* src : {static_cast<const Bitmap*>(nullptr), static_cast<const Bitmap*>(&empty)}) {
        filter.AddGrey(src);
        filter.AddGreyShifted(src, 1);
        filter.Combine(src, &target, CombineAdd);
        filter.Combine(&target, src, CombineAdd);
    }
    Bitmap small(10, 10);
    for (int32_t i = 0; i < small.size; ++i) small.pixels[i] = 0x00000010;
    filter.AddGrey(&small);  // the first 100 words only
    EXPECT_EQ(target.pixels[99], 0x00202020u);
    EXPECT_EQ(target.pixels[100], 0x00101010u);

    filter.target = nullptr;
    filter.WaveBlur(-1, 480, 30);
    filter.Threshold(0, 0);
}
