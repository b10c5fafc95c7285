// The beat analyser on a music clock moved by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Audio/SpectrumAnalyser.h"
#include "Utils/Platform.h"

namespace {

struct ManualClock final : platform::MusicClock {
    float Time() override { return now; }
    float now = 0.0f;
};

void Flat(SpectrumAnalyser& a, float v) {
    std::fill(a.WorkSpectrum(), a.WorkSpectrum() + a.BinCount(), v);
    a.Smooth(a.BinCount() / 4);
}

TEST(SpectrumAnalyser, ReshapingAndSmoothing) {
    SpectrumAnalyser a(1024);
    for (float v : {0.0f, 0.3f, 0.123456789f, 1.5f}) {
        Flat(a, v);
        for (uint32_t i = 0; i < 1024; ++i) ASSERT_EQ(a.SmoothSpectrum()[i], std::min(v, 1.0f)) << v;
    }
    Flat(a, 0.0f);
    std::fill(a.WorkSpectrum(), a.WorkSpectrum() + 4, 1.0f);  // only the lowest block is loud
    a.Smooth(256);
    EXPECT_EQ(a.SmoothSpectrum()[1020], 1.0f);     // the top block's curve starts at the wrapped first block
    EXPECT_EQ(a.SmoothSpectrum()[0], 0.0f);        // one block lower than its source
    EXPECT_EQ(a.SmoothSpectrum()[1], 0.0703125f);  // the curve's dip below 0, folded up

    std::vector<float> input(1024, 0.0f);
    input[100] = 0.5f;
    std::fill(input.begin() + 338, input.end(), 1.0f);  // above the highest source bin, 0.33 * 1023
    a.Feed(input.data());
    for (uint32_t i = 0; i < 1024; ++i) ASSERT_EQ(a.WorkSpectrum()[i] != 0.0f, i >= 304 && i <= 306) << i;
    EXPECT_FLOAT_EQ(a.WorkSpectrum()[305], std::sqrt(100.65f) * 0.5f);
}

TEST(SpectrumAnalyser, BoundsAreOrderedAndClampedIntoTheSpectrum) {
    // a, b, stored larger bound, stored smaller bound, whether a full spectrum triggers the band
    const int32_t cases[][5] = {{10, 60, 60, 10, 1},         {-5, 20, 20, 0, 1},          {-30, -5, 0, 0, 0},
                                {1000, 2000, 1024, 1000, 1}, {2000, 3000, 1024, 1024, 0}, {5, 5, 5, 5, 0}};
    for (const auto& c : cases) {
        SpectrumAnalyser a(1024);
        const int id = a.AddBand(c[0], c[1], 0.5f, 0.0f, 0.0f);
        EXPECT_EQ(std::pair(a.Bands()[0].boundA, a.Bands()[0].boundB), std::pair(c[2], c[3]));
        Flat(a, 1.0f);
        a.UpdateBands();
        EXPECT_EQ(a.BandLevel(id) > 0.0f, c[4] == 1) << c[0] << "," << c[1];
    }
}

TEST(SpectrumAnalyser, AttackAndGravityOverTwoUpdatesPerFrame) {
    ManualClock clock;
    platform::ScopedMusicClock useClock(&clock);
    SpectrumAnalyser::ResetBandIds();
    SpectrumAnalyser a(1024);
    a.AddBand(0, 60, 0.5f, 0.0f, 0.0f);           // 0: no gravity, holds its attacks
    a.AddBand(0, 60, 0.75f, 0.0f, 0.0f);          // 1: the peak only equals the threshold
    a.AddBand(0, 60, 1.0f, 98.1f, 0.5f);          // 2: never triggers, only falls
    a.AddBand(0, 60, 0.5f, 98.1f, 0.0f);          // 3: attack, then the fall in the same step
    a.AddBand(0, 60, 2.0f, std::nanf(""), 3.0f);  // 4: a NaN level reads as 0
    a.AddBand(0, 60, 0.5f, 0.0f, 0.9f);           // 5: a peak over the threshold but under the level
    Flat(a, 0.75f);
    clock.now = 0.02f;  // one frame: the update inside Feed, then one more with a zero time step
    a.UpdateBands();
    a.UpdateBands();
    EXPECT_FLOAT_EQ(a.BandLevel(0), 0.75f - 0.04f * 0.75f);
    EXPECT_EQ(a.BandLevel(1), 0.0f);
    EXPECT_FLOAT_EQ(a.BandLevel(2), 0.5f - 0.03924f);
    EXPECT_FLOAT_EQ(a.BandLevel(3), 0.56076f + 0.8f * (0.75f - 0.56076f));
    EXPECT_EQ(a.BandLevel(4), 0.0f);
    EXPECT_EQ(a.BandLevel(5), 0.9f) << "a weaker peak never pulls a band down";
    clock.now = 0.0f;  // the clock went back: the step counts by its size
    a.UpdateBands();
    EXPECT_FLOAT_EQ(a.BandLevel(2), 0.5f - 2 * 0.03924f);
    clock.now = 1.0f;
    a.UpdateBands();
    EXPECT_EQ(std::make_pair(a.BandLevel(2), a.BandLevel(99)), std::make_pair(0.0f, 0.0f));
    EXPECT_EQ(SpectrumAnalyser(8).AddBand(0, 1, 0.5f, 1.0f, 0.0f), 6);  // ids run on across analysers
}

}  // namespace
