// Turns the raw 1024-value spectrum of each frame into beat levels: the spectrum is stretched,
// tilted and smoothed, then every beat band follows the peak of its bin range with a fast attack
// and a "gravity" fall. Pure arithmetic: the only outside input is the music clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct BeatBand {
    int32_t boundA = 0;  // the larger bound, after clamping into 0..binCount
    int32_t boundB = 0;  // the smaller bound
    float threshold = 0.0f;
    float gravity = 0.0f;
    float level = 0.0f;           // kept in [0, 1]
    float lastUpdateTime = 0.0f;  // music time of the previous update
    int32_t id = 0;
};

class SpectrumAnalyser {
public:
    explicit SpectrumAnalyser(uint32_t binCount);

    // Registers a band over bins [min(a, b), max(a, b)), both clamped into 0..binCount. Returns its id.
    int AddBand(int32_t a, int32_t b, float threshold, float gravity, float initialLevel);
    // Reshapes and smooths binCount input values, then runs UpdateBands.
    void Feed(const float* input);
    // One attack-and-decay step for every band, timed by the music clock.
    void UpdateBands();
    // The same step over a smoothed spectrum of binCount values kept elsewhere (a state pass
    // replays stored spectra this way instead of smoothing them again).
    void UpdateBands(const float* smooth);
    // The level of the band with this id; 0 when there is none.
    float BandLevel(int32_t id) const;

    // Rebuilds smoothSpectrum from workSpectrum: block averages joined by a Catmull-Rom curve, every
    // value made non-negative and clamped to 1. Feed asks for binCount / 4 blocks.
    void Smooth(uint32_t request);

    uint32_t BinCount() const { return binCount; }
    const float* SmoothSpectrum() const { return smoothSpectrum.get(); }
    // The stretched and tilted copy of the last input; writable so tools and tests can smooth a
    // spectrum of their own.
    float* WorkSpectrum() { return workSpectrum.get(); }
    const std::vector<BeatBand>& Bands() const { return bands; }
    // Sets a band's level directly, as the scene tests need to hold a beat value exactly.
    void SetBandLevel(int32_t id, float level) {
        for (BeatBand& band : bands) {
            if (band.id == id) band.level = level;
        }
    }

    // Sets a band's whole moving state, by its position in Bands().
    void SetBandState(size_t index, float level, float lastUpdateTime) {
        if (index >= bands.size()) return;
        bands[index].level = level;
        bands[index].lastUpdateTime = lastUpdateTime;
    }
    // Replaces every band at once (a reload puts the bands of new scripts in place, or the old
    // ones back).
    void ReplaceBands(std::vector<BeatBand> replacement) { bands = std::move(replacement); }

    // The id the next band will get.
    static int32_t NextBandId();
    // Ids are handed out from 0 over the whole run; tests and tools that build a fresh program
    // state start the count again.
    static void ResetBandIds(int32_t next = 0);

private:
    float BandPeak(const BeatBand& band, const float* smooth) const;

    std::vector<BeatBand> bands;
    uint32_t binCount;
    std::unique_ptr<float[]> workSpectrum;
    std::unique_ptr<float[]> smoothSpectrum;
};

// The program's analyser, owned by the application.
extern SpectrumAnalyser* analyser;
