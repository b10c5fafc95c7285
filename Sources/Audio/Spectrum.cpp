// kissfft's real FFT behind a small owner, with the window and the scaling of our spectrum.
#include "Audio/Spectrum.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

#include "Audio/Mp3Decoder.h"

namespace audio {

struct SpectrumCalculator::Work {
    kiss_fftr_cfg plan = nullptr;
    float window[kFftSize];
    float windowed[kFftSize];
    float mono[kFftSize];
    kiss_fft_cpx bins[kFftSize / 2 + 1];
};

SpectrumCalculator::SpectrumCalculator() : work(std::make_unique<Work>()) {
    work->plan = kiss_fftr_alloc(kFftSize, 0, nullptr, nullptr);
    if (work->plan == nullptr) throw std::bad_alloc();
    // Periodic Hann (divides by N, not N - 1): its mean is exactly 0.5 and a sine on a bin centre
    // leaks only into the two neighbouring bins.
    for (int n = 0; n < kFftSize; ++n) {
        const double phase = 2.0 * std::numbers::pi * n / kFftSize;
        work->window[n] = static_cast<float>(0.5 - 0.5 * std::cos(phase));
    }
}

SpectrumCalculator::~SpectrumCalculator() {
    if (work) kiss_fftr_free(work->plan);
}

void SpectrumCalculator::Compute(const float* mono, float* out) {
    for (int n = 0; n < kFftSize; ++n) work->windowed[n] = mono[n] * work->window[n];
    kiss_fftr(work->plan, work->windowed, work->bins);
    // A sine of amplitude A on a bin centre gives |X| = A * N/2 * 0.5 (the window's mean), so
    // dividing by N/2 = 1024 puts a full-scale sine at 0.5. The Nyquist bin is dropped.
    constexpr float kScale = 1.0f / kSpectrumBins;
    for (int k = 0; k < kSpectrumBins; ++k) {
        const float re = work->bins[k].r;
        const float im = work->bins[k].i;
        out[k] = std::sqrt(re * re + im * im) * kScale;
    }
}

void SpectrumCalculator::ComputeTrack(const int16_t* stereo, size_t frames, int64_t endFrame, float* out) {
    const int64_t first = endFrame - kFftSize;
    const int64_t available = static_cast<int64_t>(frames);
    // Only the part of the window inside [0, frames) reads the track; the rest is silence.
    const int64_t from = std::clamp<int64_t>(first, 0, available);
    const int64_t to = std::clamp<int64_t>(endFrame, 0, available);
    std::fill(work->mono, work->mono + kFftSize, 0.0f);
    for (int64_t frame = from; frame < to; ++frame) {
        const int16_t* pair = stereo + frame * kChannels;
        work->mono[frame - first] = MonoSample(pair[0], pair[1]);
    }
    Compute(work->mono, out);
}

int64_t FrameAtSeconds(double seconds) {
    return static_cast<int64_t>(seconds * kSampleRate);
}

}  // namespace audio
