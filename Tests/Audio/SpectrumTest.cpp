// The spectrum's scale and window, and the track spectrum the live player and the offline renderer
// share.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "Audio/Spectrum.h"

using namespace audio;

// A sine on a bin centre: A/2 in its bin, A/4 in both neighbours (the Hann window's leakage),
// nothing elsewhere, whatever its phase; a constant lands in bin 0 (and half in bin 1).
TEST(Spectrum, SineOnABinCentrePeaksAtHalfItsAmplitude) {
    SpectrumCalculator calculator;
    float out[kSpectrumBins];
    std::vector<float> samples(kFftSize);
    for (const auto& [bin, amplitude, phase] : {std::tuple{2, 1.0, 0.0},
                                                {46, 1.0, 1.1},
                                                {300, 0.5, 2.0},
                                                {512, 0.25, 3.0},
                                                {1000, 1.0, 0.7},
                                                {0, 0.5, std::numbers::pi / 2}}) {
        SCOPED_TRACE(testing::Message() << "bin " << bin << ", amplitude " << amplitude);
        for (int n = 0; n < kFftSize; ++n) {
            samples[n] =
                static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * bin * n / kFftSize + phase));
        }
        calculator.Compute(samples.data(), out);
        const double peak = bin == 0 ? amplitude : amplitude * 0.5;  // a constant has no mirror image
        EXPECT_NEAR(out[bin], peak, 1e-4);
        EXPECT_NEAR(out[bin + 1], peak * 0.5, 1e-4);
        if (bin > 0) {
            EXPECT_NEAR(out[bin - 1], peak * 0.5, 1e-4);
        }
        for (int k = 0; k < kSpectrumBins; ++k) {
            if (std::abs(k - bin) > 1) {
                ASSERT_LT(out[k], 1e-4) << "bin " << k;
            }
        }
    }
}

// The track spectrum reads the 2048 frames before the position, mono mixed, with silence outside
// the track: checked against the plain calculation over a window made by hand.
TEST(Spectrum, TrackWindowEndsAtThePositionWithSilenceOutside) {
    constexpr int64_t kFrames = 10000;
    std::vector<int16_t> stereo(kFrames * 2);
    for (int64_t n = 0; n < kFrames; ++n) {
        stereo[n * 2] = static_cast<int16_t>((n * 7919) % 20000 - 10000);
        stereo[n * 2 + 1] = static_cast<int16_t>((n * 104729) % 30000 - 15000);
    }
    SpectrumCalculator calculator;
    float fromTrack[kSpectrumBins];
    float expected[kSpectrumBins];
    for (int64_t end : {-5, 0, 1, 700, 2048, 5000, 10000, 11000, 12048, 200000}) {
        SCOPED_TRACE(testing::Message() << "window ending at frame " << end);
        std::vector<float> window(kFftSize, 0.0f);
        for (int64_t i = 0, frame = end - kFftSize; i < kFftSize; ++i, ++frame) {
            if (frame >= 0 && frame < kFrames)
                window[i] = (stereo[frame * 2] + stereo[frame * 2 + 1]) / 65536.0f;
        }
        calculator.Compute(window.data(), expected);
        calculator.ComputeTrack(stereo.data(), kFrames, end, fromTrack);
        EXPECT_TRUE(std::equal(fromTrack, fromTrack + kSpectrumBins, expected));
        const bool silent = end <= 0 || end >= kFrames + kFftSize;
        EXPECT_EQ(*std::max_element(fromTrack, fromTrack + kSpectrumBins) == 0.0f, silent);
    }
}
