// NoiseFx against the plain reference with the shared generator reset before each side, so both
// draw the same random numbers; plus the row counts and extremes a viewer would notice.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "Render/NoiseFx.h"
#include "RenderTesting.h"
#include "Support/RenderReference.h"
#include "Utils/Platform.h"

using namespace rendertest;

namespace {

enum class Noise { Bars, Add, Subtract };

void RunNoise(Bitmap& target, Noise kind, float amount) {
    NoiseFx noise;
    noise.target = &target;
    if (kind == Noise::Bars) noise.Bars(amount);
    if (kind == Noise::Add) noise.AddRowNoise(amount);
    if (kind == Noise::Subtract) noise.SubtractRowNoise(amount);
}

void RunReference(Bitmap& target, Noise kind, float amount) {
    if (kind == Noise::Bars) reference::Bars(target, amount);
    if (kind == Noise::Add) reference::AddRowNoise(target, amount);
    if (kind == Noise::Subtract) reference::SubtractRowNoise(target, amount);
}

}  // namespace

TEST(NoiseFxMatchesReference, AllOperations) {
    Random random(21);
    std::vector<float> amounts = {0.0f,
                                  1.0f,
                                  0.5f,
                                  0.501f,
                                  0.1f,
                                  1e-6f,
                                  -0.5f,
                                  2.0f,
                                  1e30f,
                                  -1e30f,
                                  0.999f,
                                  1.0f / 480,
                                  std::numeric_limits<float>::quiet_NaN(),
                                  std::numeric_limits<float>::infinity()};
    for (int i = 0; i < 12; ++i) amounts.push_back(random.Fraction());
    for (Noise kind : {Noise::Bars, Noise::Add, Noise::Subtract}) {
        for (float amount : amounts) {
            int32_t w, h;
            PickSize(random, w, h);
            Bitmap target = RandomBitmap(random, w, h);
            Bitmap expected = CopyOf(target);
            const uint32_t seed = static_cast<uint32_t>(random.Between(0, INT32_MAX));
            platform::ResetRand(seed);
            RunNoise(target, kind, amount);
            const int afterProduct = platform::Rand();
            platform::ResetRand(seed);
            RunReference(expected, kind, amount);
            const int afterReference = platform::Rand();
            EXPECT_TRUE(SamePixels(target, expected))
                << "kind " << static_cast<int>(kind) << " amount " << amount;
            EXPECT_EQ(afterProduct, afterReference) << "random numbers consumed differ, amount " << amount;
        }
    }
}

TEST(NoiseFx, BarsCoverTheTopRows) {
    struct Case {
        float amount;
        int32_t rows;  // rows filled on a 640 x 480 target
    };
    const std::vector<Case> cases = {{1.0f, 480}, {0.5f, 240}, {0.501f, 241},
                                     {1e-6f, 1},  {0.0f, 0},   {-1.0f, 0}};
    for (const Case& c : cases) {
        Bitmap target(640, 480);
        for (int32_t i = 0; i < target.size; ++i) target.pixels[i] = 0xFF123456;  // never a grey
        RunNoise(target, Noise::Bars, c.amount);
        for (int32_t j = 0; j < 480; ++j) {
            const uint32_t first = target.Row(j)[0];
            const bool grey = (first >> 24) == 0 && (first & 0xFF) * 0x010101u == first;
            ASSERT_EQ(grey, j < c.rows) << "amount " << c.amount << " row " << j;
            for (int32_t i = 0; i < 640; ++i)
                ASSERT_EQ(target.Row(j)[i], first) << "row " << j << " is one colour";
        }
    }
}

TEST(NoiseFx, RowNoiseExtremesAndRandomUse) {
    Bitmap target(640, 480);
    for (int32_t i = 0; i < target.size; ++i) target.pixels[i] = 0x80406080;
    const Bitmap before = CopyOf(target);

    // Amount 0: nothing changes, yet 480 numbers are consumed (one per row).
    for (Noise kind : {Noise::Add, Noise::Subtract}) {
        platform::ResetRand(7);
        RunNoise(target, kind, 0.0f);
        const int next = platform::Rand();
        platform::ResetRand(7);
        for (int i = 0; i < 480; ++i) platform::Rand();
        EXPECT_EQ(next, platform::Rand());
        EXPECT_TRUE(SamePixels(target, before));
    }

    // A level of 255 (rand 32767 at amount 1) whitens a row, or blackens it, keeping key bytes.
    struct Saturating {
        Noise kind;
        uint32_t expected;
    };
    for (const Saturating& c :
         {Saturating{Noise::Add, 0x80FFFFFF}, Saturating{Noise::Subtract, 0x80000000}}) {
        Bitmap row(640, 1);
        for (int32_t i = 0; i < row.size; ++i) row.pixels[i] = 0x80406080;
        platform::ResetRand(1);  // first number 41
        RunNoise(row, c.kind, 1e9f);
        EXPECT_EQ(Hex(row.pixels[639]), Hex(c.expected));
    }
}

TEST(NoiseFx, TargetsSmallerThanTheFrame) {
    for (int32_t h : {0, 1, 7}) {
        Bitmap target(320, h);
        for (int32_t i = 0; i < target.size; ++i) target.pixels[i] = 0x00101010;
        Bitmap expected = CopyOf(target);
        platform::ResetRand(3);
        RunNoise(target, Noise::Add, 1.0f);
        platform::ResetRand(3);
        reference::AddRowNoise(expected, 1.0f);
        EXPECT_TRUE(SamePixels(target, expected));
    }
    NoiseFx noise;  // no target at all
    noise.Bars(1.0f);
    noise.AddRowNoise(1.0f);
    noise.SubtractRowNoise(1.0f);
}
