// The offline band report.
#include "AssetBuilder/Music/BandReport.h"

#include "AssetBuilder/Archive/Scripts.h"
#include "AssetBuilder/Music/MusicScore.h"
#include "AssetBuilder/Music/TempoMap.h"
#include "Audio/Mp3Decoder.h"
#include "Audio/Spectrum.h"
#include "Audio/SpectrumAnalyser.h"
#include "Utils/Platform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace assets {

namespace {

class FrameClock final : public platform::MusicClock {
public:
    float Time() override { return time; }
    float time = 0.0f;
};

// What a band of the scene plans is tuned to follow, if the script is one of them.
std::string RoleOf(const std::string& script, size_t position) {
    for (const ScenePlan& plan : ScenePlans()) {
        if (plan.member == script && position < plan.bands.size()) return plan.bands[position].role;
    }
    return {};
}

// The hits of the instrument a role follows, in seconds, up to the end of the run.
std::vector<double> HitsOf(const std::string& role, const Score& score) {
    Instrument instrument;
    if (role == "kick") {
        instrument = Instrument::Kick;
    } else if (role == "snare") {
        instrument = Instrument::Snare;
    } else if (role == "beeps") {
        instrument = Instrument::Tick;
    } else {
        return {};
    }
    std::vector<double> hits;
    for (const NoteEvent& e : score.events) {
        if (e.instrument != instrument || e.velocity < kHitVelocity) continue;
        const double t = double(e.start) / kSampleRate;
        if (t >= kRunEndSeconds) break;
        if (hits.empty() || t - hits.back() > kRollGapSeconds) hits.push_back(t);
    }
    return hits;
}

// Highest and lowest level over the frames from `from` to `to` seconds, both included.
float Highest(const std::vector<float>& levels, double from, double to) {
    float best = 0.0f;
    const long last = std::min(long(to * kReportFramesPerSecond), long(levels.size()) - 1);
    for (long f = long(from * kReportFramesPerSecond); f <= last; ++f)
        best = std::max(best, levels[size_t(f)]);
    return best;
}

float Lowest(const std::vector<float>& levels, double from, double to) {
    float least = 1.0f;
    const long last = std::min(long(to * kReportFramesPerSecond), long(levels.size()) - 1);
    for (long f = long(from * kReportFramesPerSecond); f <= last; ++f)
        least = std::min(least, levels[size_t(f)]);
    return least;
}

// Frames at which the level rises (see kRiseLevel).
std::vector<size_t> Rises(const std::vector<float>& levels) {
    std::vector<size_t> rises;
    bool armed = true;
    for (size_t f = 0; f < levels.size(); ++f) {
        if (armed && levels[f] > kRiseLevel) {
            rises.push_back(f);
            armed = false;
        } else if (levels[f] <= kFallLevel) {
            armed = true;
        }
    }
    return rises;
}

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
    const Score score = ComposeScore();
    std::vector<BandTrace> traces;
    std::vector<int32_t> ids;
    std::vector<const LoadedScript*> owners;
    for (const LoadedScript& script : loaded) {
        if (!script.messages.empty())
            throw std::runtime_error(script.member + ": " + script.messages.front());
        for (size_t n = 0; n < script.bandIds.size(); ++n) {
            for (const BeatBand& band : beats.Bands()) {
                if (band.id != script.bandIds[n]) continue;
                const std::string role = RoleOf(script.member, n);
                traces.push_back({script.member,
                                  n,
                                  band.boundB,
                                  band.boundA,
                                  band.threshold,
                                  band.gravity,
                                  role,
                                  HitsOf(role, score),
                                  {},
                                  {}});
                ids.push_back(band.id);
                owners.push_back(&script);
            }
        }
    }

    FrameClock clock;
    platform::ScopedMusicClock clockGuard(&clock);
    audio::SpectrumCalculator spectrum;
    float magnitudes[audio::kSpectrumBins];
    const int frameCount = int(kRunEndSeconds * kReportFramesPerSecond);
    for (BandTrace& trace : traces) {
        trace.levels.reserve(size_t(frameCount));
        trace.fx.reserve(size_t(frameCount));
    }
    for (int f = 0; f < frameCount; ++f) {
        const double seconds = double(f) / kReportFramesPerSecond;
        clock.time = float(seconds);
        spectrum.ComputeTrack(pcm.data(), frames, audio::FrameAtSeconds(seconds), magnitudes);
        // The live loop's two updates: inside Feed, then once more with the same spectrum.
        beats.Feed(magnitudes);
        beats.UpdateBands();
        for (size_t k = 0; k < traces.size(); ++k) {
            traces[k].levels.push_back(beats.BandLevel(ids[k]));
            const LoadedScript& owner = *owners[k];
            const bool shown = clock.time >= owner.windowStart && clock.time < owner.windowEnd;
            traces[k].fx.push_back(shown ? owner.FxTime(clock.time) : -1.0f);
        }
    }
    return traces;
}

BandFigures Figures(const std::vector<float>& levels) {
    BandFigures figures{};
    const double frames = double(std::max<size_t>(1, levels.size()));
    size_t run = 0, longest = 0;
    for (const float level : levels) {
        for (int k = 0; k < kReportLevelCount; ++k)
            figures.shareAbove[k] += level > kReportLevels[k] ? 1.0 : 0.0;
        run = level > 0.5f ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    for (double& share : figures.shareAbove) share /= frames;
    const std::vector<size_t> rises = Rises(levels);
    figures.rises = int(rises.size());
    std::vector<double> gaps;
    for (size_t i = 1; i < rises.size(); ++i)
        gaps.push_back(double(rises[i] - rises[i - 1]) / kReportFramesPerSecond);
    if (!gaps.empty()) {
        std::nth_element(gaps.begin(), gaps.begin() + long(gaps.size() / 2), gaps.end());
        figures.medianRiseGap = gaps[gaps.size() / 2];
    }
    figures.longestAboveHalf = double(longest) / kReportFramesPerSecond;
    return figures;
}

HitFigures HitsAgainstLevels(const std::vector<float>& levels, const std::vector<double>& hits) {
    HitFigures figures{};
    figures.hits = int(hits.size());
    for (size_t i = 0; i < hits.size(); ++i) {
        const float best = Highest(levels, hits[i], hits[i] + kHitWindowSeconds);
        for (int k = 0; k < kReportLevelCount; ++k) figures.caught[k] += best > kReportLevels[k];
        if (i + 1 < hits.size()) {
            figures.released += Lowest(levels, hits[i] + kHitWindowSeconds, hits[i + 1]) <= kFallLevel;
        }
    }
    // A rise belongs to the latest hit at or before it, if that hit is recent enough.
    for (const size_t f : Rises(levels)) {
        const double t = double(f) / kReportFramesPerSecond;
        const auto after = std::upper_bound(hits.begin(), hits.end(), t + 0.5 / kReportFramesPerSecond);
        const bool onHit = after != hits.begin() && t - *(after - 1) <= kHitWindowSeconds;
        (onHit ? figures.risesOnHits : figures.straying) += 1;
    }
    return figures;
}

std::vector<float> HighestPerStretch(const BandTrace& trace) {
    std::vector<float> highest;
    for (size_t f = 0; f < trace.levels.size() && f < trace.fx.size(); ++f) {
        if (trace.fx[f] < 0.0f) continue;
        const size_t stretch = size_t(trace.fx[f] / kStretchFx);
        if (stretch >= highest.size()) highest.resize(stretch + 1, -1.0f);
        highest[stretch] = std::max(highest[stretch], trace.levels[f]);
    }
    return highest;
}

std::string FormatBandReport(const std::vector<BandTrace>& traces) {
    std::string report = "beat bands over 0-245 s at 60 frames per second (two updates per frame)\n";
    report +=
        "script                   band  bins      thresold  gravity   >0.1   >0.25  >0.3   >0.5   >0.8   "
        "rises  median gap  longest >0.5\n";
    char line[256];
    for (const BandTrace& trace : traces) {
        const BandFigures f = Figures(trace.levels);
        char bins[32];
        std::snprintf(bins, sizeof bins, "%d-%d", trace.startBin, trace.endBin);
        std::snprintf(
            line, sizeof line,
            "%-24s b%-4zu %-9s %-9.3g %-9.4g %5.1f%%  %5.1f%%  %5.1f%%  %5.1f%%  %5.1f%%  %5d  %8.3f s  "
            "%8.2f s\n",
            trace.script.c_str(), trace.position, bins, double(trace.threshold), double(trace.gravity),
            100 * f.shareAbove[0], 100 * f.shareAbove[1], 100 * f.shareAbove[2], 100 * f.shareAbove[3],
            100 * f.shareAbove[4], f.rises, f.medianRiseGap, f.longestAboveHalf);
        report += line;
    }

    report += "\nhits from the score (velocity 0.6 and up, a roll counts once) against the band's rises\n";
    report +=
        "script                   band  follows  hits   >0.1   >0.25  >0.3   >0.5   >0.8   released  rises "
        "on "
        "hits  elsewhere\n";
    for (const BandTrace& trace : traces) {
        if (trace.hits.empty()) continue;
        const HitFigures h = HitsAgainstLevels(trace.levels, trace.hits);
        auto share = [&h](int caught) { return h.hits > 0 ? 100.0 * caught / h.hits : 0.0; };
        std::snprintf(line, sizeof line,
                      "%-24s b%-4zu %-8s %5d  %5.1f%%  %5.1f%%  %5.1f%%  %5.1f%%  %5.1f%%  %7d  %13d  %9d\n",
                      trace.script.c_str(), trace.position, trace.role.c_str(), h.hits, share(h.caught[0]),
                      share(h.caught[1]), share(h.caught[2]), share(h.caught[3]), share(h.caught[4]),
                      h.released, h.risesOnHits, h.straying);
        report += line;
    }

    // Per script, the highest level of each of its bands in every stretch of its effect time.
    for (size_t first = 0; first < traces.size();) {
        size_t end = first;
        while (end < traces.size() && traces[end].script == traces[first].script) ++end;
        std::vector<std::vector<float>> columns;
        size_t rows = 0;
        for (size_t k = first; k < end; ++k) {
            columns.push_back(HighestPerStretch(traces[k]));
            rows = std::max(rows, columns.back().size());
        }
        report += "\n" + traces[first].script + ": highest level per " + std::to_string(int(kStretchFx)) +
                  " units of effect time\n  fx       ";
        for (size_t k = first; k < end; ++k) {
            std::snprintf(line, sizeof line, "  b%-4zu", traces[k].position);
            report += line;
        }
        report += "\n";
        for (size_t row = 0; row < rows; ++row) {
            std::snprintf(line, sizeof line, "  %4d-%-4d", int(row * kStretchFx),
                          int((row + 1) * kStretchFx));
            report += line;
            for (const std::vector<float>& column : columns) {
                if (row < column.size() && column[row] >= 0.0f) {
                    std::snprintf(line, sizeof line, "  %5.2f", double(column[row]));
                } else {
                    std::snprintf(line, sizeof line, "  %5s", "-");
                }
                report += line;
            }
            report += "\n";
        }
        first = end;
    }
    return report;
}

}  // namespace assets
