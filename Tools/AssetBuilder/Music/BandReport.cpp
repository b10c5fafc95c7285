// The offline band report.
#include "AssetBuilder/Music/BandReport.h"

#include "AssetBuilder/Archive/Scripts.h"
#include "AssetBuilder/Music/TempoMap.h"
#include "Audio/Mp3Decoder.h"
#include "Audio/Spectrum.h"
#include "Audio/SpectrumAnalyser.h"
#include "Utils/Platform.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace assets {

namespace {

class FrameClock final : public platform::MusicClock {
public:
    float Time() override { return time; }
    float time = 0.0f;
};

}  // namespace

std::vector<BandTrace> TraceBands(const std::vector<uint8_t>& mp3,
                                  const std::vector<ArchiveMember>& scripts) {
    std::vector<int16_t> pcm;
    std::string error;
    if (!audio::DecodeMp3(reinterpret_cast<const char*>(mp3.data()), mp3.size(), pcm, &error)) {
        throw std::runtime_error("the music does not decode: " + error);
    }
    const size_t frames = pcm.size() / 2;

    // A fresh analyser with the scripts' bands, registered as start-up registers them.
    SpectrumAnalyser beats(audio::kSpectrumBins);
    SpectrumAnalyser::ResetBandIds();
    const std::vector<LoadedScript> loaded = LoadScripts(scripts, &beats);
    std::vector<BandTrace> traces;
    std::vector<int32_t> ids;
    for (const LoadedScript& script : loaded) {
        if (!script.messages.empty())
            throw std::runtime_error(script.member + ": " + script.messages.front());
        for (size_t n = 0; n < script.bandIds.size(); ++n) {
            for (const BeatBand& band : beats.Bands()) {
                if (band.id != script.bandIds[n]) continue;
                traces.push_back(
                    {script.member, n, band.boundB, band.boundA, band.threshold, band.gravity, {}});
                ids.push_back(band.id);
            }
        }
    }

    FrameClock clock;
    platform::ScopedMusicClock clockGuard(&clock);
    audio::SpectrumCalculator spectrum;
    float magnitudes[audio::kSpectrumBins];
    const int frameCount = int(kRunEndSeconds * kReportFramesPerSecond);
    for (BandTrace& trace : traces) trace.levels.reserve(size_t(frameCount));
    for (int f = 0; f < frameCount; ++f) {
        const double seconds = double(f) / kReportFramesPerSecond;
        clock.time = float(seconds);
        spectrum.ComputeTrack(pcm.data(), frames, audio::FrameAtSeconds(seconds), magnitudes);
        // The live loop's two updates: inside Feed, then once more with the same spectrum.
        beats.Feed(magnitudes);
        beats.UpdateBands();
        for (size_t k = 0; k < traces.size(); ++k) traces[k].levels.push_back(beats.BandLevel(ids[k]));
    }
    return traces;
}

BandFigures Figures(const std::vector<float>& levels) {
    BandFigures figures{};
    const double frames = double(std::max<size_t>(1, levels.size()));
    std::vector<double> rises;
    bool armed = true;
    size_t run = 0, longest = 0;
    for (size_t f = 0; f < levels.size(); ++f) {
        const float level = levels[f];
        for (int k = 0; k < 4; ++k) figures.shareAbove[k] += level > kReportLevels[k] ? 1.0 : 0.0;
        if (armed && level > kRiseLevel) {
            rises.push_back(double(f) / kReportFramesPerSecond);
            armed = false;
        } else if (level <= kFallLevel) {
            armed = true;
        }
        run = level > 0.5f ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    for (double& share : figures.shareAbove) share /= frames;
    figures.rises = int(rises.size());
    std::vector<double> gaps;
    for (size_t i = 1; i < rises.size(); ++i) gaps.push_back(rises[i] - rises[i - 1]);
    if (!gaps.empty()) {
        std::nth_element(gaps.begin(), gaps.begin() + long(gaps.size() / 2), gaps.end());
        figures.medianRiseGap = gaps[gaps.size() / 2];
    }
    figures.longestAboveHalf = double(longest) / kReportFramesPerSecond;
    return figures;
}

std::string FormatBandReport(const std::vector<BandTrace>& traces) {
    std::string report = "beat bands over 0-245 s at 60 frames per second (two updates per frame)\n";
    report +=
        "script                   band  bins      thresold  gravity   >0.1   >0.25  >0.3   >0.5   rises  "
        "median gap  longest >0.5\n";
    char line[256];
    for (const BandTrace& trace : traces) {
        const BandFigures f = Figures(trace.levels);
        char bins[32];
        std::snprintf(bins, sizeof bins, "%d-%d", trace.startBin, trace.endBin);
        std::snprintf(
            line, sizeof line,
            "%-24s b%-4zu %-9s %-9.3g %-9.4g %5.1f%%  %5.1f%%  %5.1f%%  %5.1f%%  %5d  %8.3f s  %8.2f s\n",
            trace.script.c_str(), trace.position, bins, double(trace.threshold), double(trace.gravity),
            100 * f.shareAbove[0], 100 * f.shareAbove[1], 100 * f.shareAbove[2], 100 * f.shareAbove[3],
            f.rises, f.medianRiseGap, f.longestAboveHalf);
        report += line;
    }
    return report;
}

}  // namespace assets
