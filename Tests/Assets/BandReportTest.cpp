// The beat bands on the generated track, measured as the report measures them (the player's
// decoder, its spectrum and the analyser at 60 frames per second): the kick and snare bands catch
// their hits and let go between them, the beep band flashes on the bomb timer's beeps, and no band
// sits high on steady material.
#include "TrackFixture.h"

#include "AssetBuilder/Music/TempoMap.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace assets;

namespace {

const BandTrace* FindBand(const std::string& script, size_t position) {
    for (const BandTrace& trace : TrackBands()) {
        if (trace.script == script && trace.position == position) return &trace;
    }
    return nullptr;
}

// Times in seconds of the accented hits of one instrument before the end of the run; the strokes
// of a roll count as one hit.
std::vector<double> Hits(Instrument instrument) {
    std::vector<double> hits;
    for (const NoteEvent& e : ComposeScore().events) {
        if (e.instrument != instrument || e.velocity < 0.8f) continue;
        const double t = double(e.start) / kSampleRate;
        if (t >= kRunEndSeconds) break;
        if (hits.empty() || t - hits.back() > 0.2) hits.push_back(t);
    }
    return hits;
}

float MaxLevel(const BandTrace& band, double from, double to) {
    float best = 0.0f;
    for (int f = int(from * kReportFramesPerSecond); f <= int(to * kReportFramesPerSecond); ++f) {
        if (f < int(band.levels.size())) best = std::max(best, band.levels[size_t(f)]);
    }
    return best;
}

float MinLevel(const BandTrace& band, double from, double to) {
    float least = 1.0f;
    for (int f = int(from * kReportFramesPerSecond); f <= int(to * kReportFramesPerSecond); ++f) {
        if (f < int(band.levels.size())) least = std::min(least, band.levels[size_t(f)]);
    }
    return least;
}

}  // namespace

TEST(BandReport, KickAndSnareBandsRiseOnTheirHitsAndFallBetweenThem) {
    const struct {
        const char* script;
        size_t position;
        Instrument instrument;
        double beats;  // usual distance between two hits
    } cases[] = {
        {"syncroscripts/part1.xml", 0, Instrument::Kick, 1},
        {"syncroscripts/part1.xml", 1, Instrument::Snare, 2},
        {"syncroscripts/part2.xml", 0, Instrument::Kick, 1},
        {"syncroscripts/part2.xml", 1, Instrument::Snare, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.script) + " b" + std::to_string(c.position));
        const BandTrace* band = FindBand(c.script, c.position);
        ASSERT_NE(band, nullptr);
        const std::vector<double> hits = Hits(c.instrument);
        ASSERT_GT(hits.size(), 100u);
        int caught = 0, released = 0;
        for (size_t i = 0; i + 1 < hits.size(); ++i) {
            caught += MaxLevel(*band, hits[i], hits[i] + 0.12) > kRiseLevel;
            released += MinLevel(*band, hits[i] + 0.12, hits[i + 1]) < kFallLevel;
        }
        const double pairs = double(hits.size() - 1);
        EXPECT_GE(caught / pairs, 0.9) << caught << " of " << pairs << " hits caught";
        EXPECT_GE(released / pairs, 0.9) << released << " of " << pairs << " gaps released";
        // The band's own rhythm is the instrument's: a rise every beat, or every other beat.
        const BandFigures figures = Figures(band->levels);
        EXPECT_NEAR(figures.medianRiseGap, c.beats * kBarSeconds / kBeatsPerBar, 0.03);
    }
}

TEST(BandReport, BeepBandFlashesOnTheCountdownBeepsAndNoBandSitsAboveHalfForASecond) {
    const BandTrace* beep = FindBand("syncroscripts/part2.xml", 2);
    ASSERT_NE(beep, nullptr);
    const std::vector<double> beeps = Hits(Instrument::Tick);
    ASSERT_EQ(beeps.size(), 7u);
    for (double t : beeps) EXPECT_GT(MaxLevel(*beep, t, t + 0.15), kRiseLevel) << "beep at " << t;
    EXPECT_EQ(Figures(beep->levels).rises, 7) << "the beep band rose on something else";

    ASSERT_EQ(TrackBands().size(), 5u);
    for (const BandTrace& band : TrackBands()) {
        SCOPED_TRACE(band.script + " b" + std::to_string(band.position));
        ASSERT_EQ(band.levels.size(), size_t(kRunEndSeconds * kReportFramesPerSecond));
        const BandFigures figures = Figures(band.levels);
        EXPECT_LE(figures.longestAboveHalf, 1.0);
        // Shares only fall as the level rises.
        for (int k = 1; k < 4; ++k) EXPECT_LE(figures.shareAbove[k], figures.shareAbove[k - 1]);
    }
    const std::string report = FormatBandReport(TrackBands());
    EXPECT_NE(report.find("syncroscripts/part1.xml  b1"), std::string::npos) << report;
    EXPECT_NE(report.find("syncroscripts/part2.xml  b2"), std::string::npos) << report;
}

TEST(BandReport, FiguresCountSharesRisesAndRuns) {
    const struct {
        std::vector<float> levels;
        double shares[4];
        int rises;
        double medianGap;
        double longest;
    } cases[] = {
        {{}, {0, 0, 0, 0}, 0, 0.0, 0.0},
        // One rise per pulse; the level drops to 0.2 between: frames 0, 4, 12 rise, gaps 4 and 8.
        {{0.6f, 0.6f, 0.2f, 0.2f, 0.4f, 0.2f, 0.2f, 0.2f, 0.2f, 0.2f, 0.2f, 0.2f, 0.35f, 0.2f, 0.2f, 0.2f},
         {1.0, 4 / 16.0, 4 / 16.0, 2 / 16.0},
         3,
         8.0 / 60,
         2.0 / 60},
        // A level that wavers between 0.26 and 0.4 never falls under 0.25: one rise, not three.
        {{0.4f, 0.26f, 0.4f, 0.26f, 0.4f}, {1.0, 1.0, 0.6, 0.0}, 1, 0.0, 0.0},
        // 0.3 exactly is not above it, nor is 0.5 above 0.5.
        {{0.3f, 0.5f, 0.5f, 0.0f}, {0.75, 0.75, 0.5, 0.0}, 1, 0.0, 0.0},
    };
    for (const auto& c : cases) {
        const BandFigures f = Figures(c.levels);
        for (int k = 0; k < 4; ++k)
            EXPECT_DOUBLE_EQ(f.shareAbove[k], c.shares[k]) << "level " << kReportLevels[k];
        EXPECT_EQ(f.rises, c.rises);
        EXPECT_NEAR(f.medianRiseGap, c.medianGap, 1e-9);
        EXPECT_NEAR(f.longestAboveHalf, c.longest, 1e-9);
    }
}
