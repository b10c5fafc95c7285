// The spectrum's scale and window, and the track spectrum the live player and the offline renderer
// share.
#include "Audio/Spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

using namespace audio;

namespace {

std::vector<float> Sine(double bin, double amplitude, int count = kFftSize, double phase = 0.3) {
    std::vector<float> samples(count);
    for (int n = 0; n < count; ++n) {
        samples[n] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * bin * n / kFftSize + phase));
    }
    return samples;
}

}  // namespace

// A sine on a bin centre: A/2 in its bin, A/4 in the two neighbours (the Hann window's leakage),
// nothing elsewhere, whatever its phase.
TEST(Spectrum, SineOnABinCentrePeaksAtHalfItsAmplitude) {
    struct Case {
        int bin;
        double amplitude;
        double phase;
    };
    SpectrumCalculator calculator;
    float out[kSpectrumBins];
    for (const Case& c : {Case{2, 1.0, 0.0}, Case{46, 1.0, 1.1}, Case{300, 0.5, 2.0}, Case{1000, 1.0, 0.7},
                          Case{512, 0.25, 3.0}}) {
        SCOPED_TRACE(testing::Message() << "bin " << c.bin << ", amplitude " << c.amplitude);
        calculator.Compute(Sine(c.bin, c.amplitude, kFftSize, c.phase).data(), out);
        EXPECT_NEAR(out[c.bin], c.amplitude * 0.5, 1e-4);
        EXPECT_NEAR(out[c.bin - 1], c.amplitude * 0.25, 1e-4);
        EXPECT_NEAR(out[c.bin + 1], c.amplitude * 0.25, 1e-4);
        float elsewhere = 0.0f;
        for (int k = 0; k < kSpectrumBins; ++k) {
            if (std::abs(k - c.bin) > 1) elsewhere = std::max(elsewhere, out[k]);
        }
        EXPECT_LT(elsewhere, 1e-4);
    }
}

// Silence gives zeros, a constant lands in bin 0 only (the window keeps half of it).
TEST(Spectrum, SilenceAndConstant) {
    SpectrumCalculator calculator;
    float out[kSpectrumBins];
    const std::vector<float> silence(kFftSize, 0.0f);
    calculator.Compute(silence.data(), out);
    EXPECT_EQ(*std::max_element(out, out + kSpectrumBins), 0.0f);

    const std::vector<float> constant(kFftSize, 0.5f);
    calculator.Compute(constant.data(), out);
    EXPECT_NEAR(out[0], 0.5, 1e-5);  // sum = 0.5 * N/2, divided by N/2
    EXPECT_NEAR(out[1], 0.25, 1e-5);
    EXPECT_LT(*std::max_element(out + 2, out + kSpectrumBins), 1e-5);
}

// The track spectrum reads the 2048 frames before the position, mono mixed, with silence outside
// the track: checked against the plain calculation over a hand-made window.
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
    for (int64_t end : {int64_t{-5}, int64_t{0}, int64_t{1}, int64_t{700}, int64_t{2048}, int64_t{5000},
                        kFrames, kFrames + 1000, kFrames + 2048, kFrames + 100000}) {
        SCOPED_TRACE(testing::Message() << "window ending at frame " << end);
        std::vector<float> window(kFftSize, 0.0f);
        for (int i = 0; i < kFftSize; ++i) {
            const int64_t frame = end - kFftSize + i;
            if (frame >= 0 && frame < kFrames) {
                window[i] = (stereo[frame * 2] + stereo[frame * 2 + 1]) / 65536.0f;
            }
        }
        calculator.Compute(window.data(), expected);
        calculator.ComputeTrack(stereo.data(), kFrames, end, fromTrack);
        for (int k = 0; k < kSpectrumBins; ++k) ASSERT_EQ(fromTrack[k], expected[k]) << "bin " << k;
        const bool silent = end <= 0 || end >= kFrames + kFftSize;
        EXPECT_EQ(*std::max_element(fromTrack, fromTrack + kSpectrumBins) == 0.0f, silent);
    }
}
