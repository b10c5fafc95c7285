// The spectrum of what is playing: 1024 magnitudes of a Hann-windowed 2048-point FFT over the
// latest 2048 mono samples. Both the live player and the offline renderer compute it here, from
// the same decoded samples at the same position, so they get the same numbers bit for bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace audio {

inline constexpr int kFftSize = 2048;
inline constexpr int kSpectrumBins = 1024;

// The mono mix the spectrum sees: (left + right) / 2, scaled so 16-bit full scale is 1.
inline float MonoSample(int16_t left, int16_t right) {
    return (static_cast<float>(left) + static_cast<float>(right)) * (1.0f / 65536.0f);
}

class SpectrumCalculator {
public:
    // Allocates the FFT plan and the work buffers once; Compute allocates nothing.
    SpectrumCalculator();
    ~SpectrumCalculator();
    SpectrumCalculator(const SpectrumCalculator&) = delete;
    SpectrumCalculator& operator=(const SpectrumCalculator&) = delete;

    // out[k] = |X[k]| / 1024 for k in 0..1023, X the FFT of the 2048 samples times a periodic Hann
    // window. A full-scale sine centred on bin k gives 0.5 there and 0.25 in both neighbours
    // (the window's leakage), nothing elsewhere.
    void Compute(const float* mono, float* out);

    // The spectrum of a decoded track (interleaved stereo, `frames` frames) over the 2048 frames
    // that end just before frame `endFrame`: frames before the start or past the end count as
    // silence, so any position, even far outside the track, is valid.
    void ComputeTrack(const int16_t* stereo, size_t frames, int64_t endFrame, float* out);

private:
    struct Work;
    std::unique_ptr<Work> work;
};

// The track frame whose start a music time in seconds falls in (truncated toward zero).
int64_t FrameAtSeconds(double seconds);

}  // namespace audio
