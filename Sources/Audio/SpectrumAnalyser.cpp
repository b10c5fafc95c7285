// The beat analyser: reshapes each frame's spectrum, smooths it, and moves every beat band's level.
// Runs on the main thread once or twice per frame over arrays allocated at construction; nothing here
// allocates after the bands are registered.
#include "Audio/SpectrumAnalyser.h"

#include <algorithm>
#include <cmath>

#include "Utils/Platform.h"

SpectrumAnalyser* analyser = nullptr;

namespace {
// Ids run over the whole process: the start-up bands first, then every script's bands in load order.
int32_t nextBandId = 0;
}  // namespace

void SpectrumAnalyser::ResetBandIds(int32_t next) {
    nextBandId = next;
}

int32_t SpectrumAnalyser::NextBandId() {
    return nextBandId;
}

SpectrumAnalyser::SpectrumAnalyser(uint32_t count)
    : binCount(count),
      workSpectrum(std::make_unique<float[]>(count)),  // value-initialised: cleared to 0
      smoothSpectrum(std::make_unique<float[]>(count)) {}

int SpectrumAnalyser::AddBand(int32_t a, int32_t b, float threshold, float gravity, float initialLevel) {
    // Both bounds are clamped into 0..binCount here, so a negative or oversized bound in a script
    // gives an empty or shortened range instead of an unsigned wrap-around.
    const int64_t top = binCount;
    BeatBand band;
    band.boundA = static_cast<int32_t>(std::clamp<int64_t>(std::max(a, b), 0, top));
    band.boundB = static_cast<int32_t>(std::clamp<int64_t>(std::min(a, b), 0, top));
    band.threshold = threshold;
    band.gravity = gravity;
    band.level = initialLevel;
    band.lastUpdateTime = 0.0f;
    band.id = nextBandId++;
    bands.push_back(band);
    return band.id;
}

float SpectrumAnalyser::BandPeak(const BeatBand& band, const float* smooth) const {
    const uint32_t lo = static_cast<uint32_t>(std::min(band.boundA, band.boundB));
    const uint32_t hi = std::min(static_cast<uint32_t>(std::max(band.boundA, band.boundB)), binCount);
    float best = 0.0f;
    for (uint32_t i = lo; i < hi; ++i) {
        if (smooth[i] > best) best = smooth[i];  // strict: ties keep the earlier value
    }
    return best;
}

void SpectrumAnalyser::UpdateBands() {
    UpdateBands(smoothSpectrum.get());
}

void SpectrumAnalyser::UpdateBands(const float* smooth) {
    for (BeatBand& band : bands) {
        const float peak = BandPeak(band, smooth);
        // The clock is read twice per band, as the live player moves on between the reads; the second
        // read is the one remembered.
        const float dt = std::fabs(band.lastUpdateTime - platform::MusicTime());
        band.lastUpdateTime = platform::MusicTime();
        if (peak > band.level && peak > band.threshold) {
            band.level = static_cast<float>(band.level + (peak - band.level) * 0.8);
        }
        // The fall is gravity * dt^2, applied on every update, even right after an attack.
        band.level = band.level - (dt * band.gravity) * dt;
        if (band.level > 1.0f) {
            band.level = 1.0f;
        } else if (!(band.level >= 0.0f)) {
            // Also catches NaN, which an "inf" or "nan" gravity in a script would otherwise keep forever.
            band.level = 0.0f;
        }
    }
}

float SpectrumAnalyser::BandLevel(int32_t id) const {
    for (const BeatBand& band : bands) {
        if (band.id == id) return band.level;
    }
    return 0.0f;
}

void SpectrumAnalyser::Feed(const float* input) {
    std::copy(input, input + binCount, smoothSpectrum.get());
    // Stretch the lower third over the whole range and tilt it up toward the top: the source index
    // is 0.33 * i truncated, the gain sqrt(0.33 * i), both formed in double; bin 0 always gets 0.
    for (uint32_t i = 0; i < binCount; ++i) {
        const double position = 0.33 * i;
        workSpectrum[i] =
            static_cast<float>(std::sqrt(position) * smoothSpectrum[static_cast<uint32_t>(position)]);
    }
    Smooth(binCount / 4);
    UpdateBands();
}

void SpectrumAnalyser::Smooth(uint32_t request) {
    if (binCount == 0) return;
    const uint32_t r = std::max<uint32_t>(request, 4);
    uint32_t blocks = 1;
    while (blocks < r) blocks *= 2;
    // Fewer bins than blocks would make the block length 0 (a division by zero and a loop that never
    // advances); one bin per block is the sound reading of such a tiny spectrum.
    const uint32_t length = std::max<uint32_t>(binCount / blocks, 1);

    const float* work = workSpectrum.get();
    const auto average = [&](uint32_t start) {
        double sum = 0.0;
        for (uint32_t k = 0; k < length; ++k) sum += work[(start + k) % binCount];
        return static_cast<float>(sum / length);
    };

    float* smooth = smoothSpectrum.get();
    for (uint32_t start = 0; start < binCount; start += length) {
        // The curve for this block runs between the averages of the next two blocks, so the result
        // sits one block lower than its sources, and the top blocks read averages wrapped around from
        // the bottom of the spectrum.
        const float y0 = average(start % binCount);
        const float y1 = average((start + length) % binCount);
        const float y2 = average((start + 2 * length) % binCount);
        const float y3 = average((start + 3 * length) % binCount);
        const double m1 = (y2 - y0) * 0.5;
        const double m2 = (y3 - y1) * 0.5;
        for (uint32_t w = 0; w < length; ++w) {
            const double t = static_cast<double>(w) / length;
            const double t2 = t * t;
            const double t3 = t2 * t;
            // Cubic Hermite from y1 to y2 with tangents m1 and m2; the y1 and y2 weights sum to 1,
            // so a flat input comes out unchanged.
            const double value = (t3 - 2.0 * t2 + t) * m1 + (3.0 - 2.0 * t) * t * t * y2 +
                                 (2.0 * t3 - 3.0 * t2 + 1.0) * y1 + (t3 - t2) * m2;
            smooth[(start + w) % binCount] = static_cast<float>(std::fabs(value));
        }
    }
    for (uint32_t i = 0; i < binCount; ++i) {
        if (smooth[i] > 1.0f) smooth[i] = 1.0f;
    }
}
