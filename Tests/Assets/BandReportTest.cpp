// The beat bands on the generated track, measured as the report measures them (the player's
// decoder, its spectrum and the analyser at 60 frames per second): the kick and snare bands catch
// their hits and let go between them, reach the strong levels the scenes test where the music hits
// hard, the beep band flashes on the bomb timer's beeps only, and no band sits high for long.
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

float MaxLevel(const BandTrace& band, double from, double to) {
    float best = 0.0f;
    for (int f = int(from * kReportFramesPerSecond); f < int(to * kReportFramesPerSecond); ++f) {
        if (f < int(band.levels.size())) best = std::max(best, band.levels[size_t(f)]);
    }
    return best;
}

bool IsDrop(Section section) {
    switch (section) {
        case Section::DropOne:
        case Section::TitleOne:
        case Section::GrooveTwo:
        case Section::DropThree:
        case Section::MainTwo:
        case Section::Casino:
        case Section::Movies:
        case Section::Explosion:
            return true;
        default:
            return false;
    }
}

}  // namespace

TEST(BandReport, KickAndSnareBandsCatchTheirHitsReachTheStrongLevelsAndLetGo) {
    const struct {
        const char* script;
        size_t position;
        const char* role;
        double beats;  // usual distance between two hits
        float fromFx;  // the scene's energetic stretch, in its effect time
        float toFx;
    } cases[] = {
        {"syncroscripts/part1.xml", 0, "kick", 1, 100, 300},
        {"syncroscripts/part1.xml", 1, "snare", 2, 100, 300},
        {"syncroscripts/part2.xml", 0, "kick", 1, 100, 810},
        {"syncroscripts/part2.xml", 1, "snare", 2, 100, 810},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.script) + " b" + std::to_string(c.position));
        const BandTrace* band = FindBand(c.script, c.position);
        ASSERT_NE(band, nullptr);
        ASSERT_EQ(band->role, c.role);
        ASSERT_GT(band->hits.size(), 200u);

        const HitFigures all = HitsAgainstLevels(band->levels, band->hits);
        EXPECT_GE(all.caught[2], 0.9 * all.hits) << "above 0.3 on " << all.caught[2] << " of " << all.hits;
        EXPECT_GE(all.released, 0.9 * (all.hits - 1)) << "let go in " << all.released << " gaps";
        EXPECT_LE(Figures(band->levels).longestAboveHalf, 1.0);
        // The band's own rhythm is the instrument's: a rise every beat, or every other beat.
        EXPECT_NEAR(Figures(band->levels).medianRiseGap, c.beats * kBarSeconds / kBeatsPerBar, 0.03);

        // Where the scene is at its most energetic, at least a third of the hits go above 0.5.
        std::vector<double> energetic;
        for (double t : band->hits) {
            const float fx = band->fx[size_t(t * kReportFramesPerSecond)];
            if (fx >= c.fromFx && fx < c.toFx) energetic.push_back(t);
        }
        ASSERT_GT(energetic.size(), 40u);
        const HitFigures strong = HitsAgainstLevels(band->levels, energetic);
        EXPECT_GE(3 * strong.caught[3], strong.hits)
            << "above 0.5 on " << strong.caught[3] << " of " << strong.hits;

        // In every drop, at least once in every eight bars, the band goes above 0.8.
        for (const SectionSpan& span : Sections()) {
            if (!IsDrop(span.section)) continue;
            for (int bar = span.startBar; bar < span.startBar + span.bars; bar += 8) {
                const int end = std::min(bar + 8, span.startBar + span.bars);
                EXPECT_GT(MaxLevel(*band, BarSeconds(bar), BarSeconds(end)), 0.8f)
                    << "bars " << bar << "-" << end;
            }
        }
    }
}

TEST(BandReport, BeepBandFlashesOnEveryCountdownBeepAndStaysDarkElsewhere) {
    const BandTrace* beep = FindBand("syncroscripts/part2.xml", 2);
    ASSERT_NE(beep, nullptr);
    ASSERT_EQ(beep->hits.size(), 7u);
    const HitFigures figures = HitsAgainstLevels(beep->levels, beep->hits);
    EXPECT_EQ(figures.caught[2], 7) << "a beep left the band under 0.3";
    EXPECT_EQ(figures.straying, 0);
    // Away from the beeps (half a second after each lets the level fall), the band stays under 0.1.
    for (size_t f = 0; f < beep->levels.size(); ++f) {
        const double t = double(f) / kReportFramesPerSecond;
        const bool nearBeep = std::any_of(beep->hits.begin(), beep->hits.end(),
                                          [t](double hit) { return t >= hit && t < hit + 0.5; });
        if (!nearBeep) {
            ASSERT_LE(beep->levels[f], 0.1f) << "at " << t << " s";
        }
    }
    // The beeps are the final countdown's: they light the third band while it is on screen.
    const std::vector<float> highest = HighestPerStretch(*beep);
    ASSERT_GT(highest.size(), 60u);
    EXPECT_GT(highest[58], 0.3f);
    EXPECT_GT(highest[59], 0.3f);
}

TEST(BandReport, FiguresCountSharesRisesAndRuns) {
    const struct {
        std::vector<float> levels;
        double shares[kReportLevelCount];
        int rises;
        double medianGap;
        double longest;
    } cases[] = {
        {{}, {0, 0, 0, 0, 0}, 0, 0.0, 0.0},
        // One rise per pulse; the level drops to 0.2 between: frames 0, 4, 12 rise, gaps 4 and 8.
        {{0.9f, 0.6f, 0.2f, 0.2f, 0.4f, 0.2f, 0.2f, 0.2f, 0.2f, 0.2f, 0.2f, 0.2f, 0.35f, 0.2f, 0.2f, 0.2f},
         {1.0, 4 / 16.0, 4 / 16.0, 2 / 16.0, 1 / 16.0},
         3,
         8.0 / 60,
         2.0 / 60},
        // A level that wavers between 0.26 and 0.4 never falls under 0.25: one rise, not three.
        {{0.4f, 0.26f, 0.4f, 0.26f, 0.4f}, {1.0, 1.0, 0.6, 0.0, 0.0}, 1, 0.0, 0.0},
        // 0.3 exactly is not above it, nor is 0.5 above 0.5, nor 0.8 above 0.8.
        {{0.3f, 0.5f, 0.5f, 0.8f, 0.0f}, {0.8, 0.8, 0.6, 0.2, 0.0}, 1, 0.0, 1.0 / 60},
    };
    for (const auto& c : cases) {
        const BandFigures f = Figures(c.levels);
        for (int k = 0; k < kReportLevelCount; ++k)
            EXPECT_DOUBLE_EQ(f.shareAbove[k], c.shares[k]) << "level " << kReportLevels[k];
        EXPECT_EQ(f.rises, c.rises);
        EXPECT_NEAR(f.medianRiseGap, c.medianGap, 1e-9);
        EXPECT_NEAR(f.longestAboveHalf, c.longest, 1e-9);
    }
}

TEST(BandReport, HitsAreHeldAgainstRisesAndStretchesKeepTheirHighestLevel) {
    // One second at 60 frames: pulses at frames 6 (0.9), 30 (0.4) and 50 (0.6); the last is not a hit.
    std::vector<float> levels(60, 0.0f);
    for (int f = 6; f < 12; ++f) levels[size_t(f)] = 0.9f;
    for (int f = 30; f < 33; ++f) levels[size_t(f)] = 0.4f;
    for (int f = 50; f < 53; ++f) levels[size_t(f)] = 0.6f;
    // Hits at 0.1 s (caught at frame 6), 0.5 s (caught) and 0.7 s (never answered).
    const HitFigures h = HitsAgainstLevels(levels, {0.1, 0.5, 0.7});
    EXPECT_EQ(h.hits, 3);
    const int caught[kReportLevelCount] = {2, 2, 2, 1, 1};
    for (int k = 0; k < kReportLevelCount; ++k)
        EXPECT_EQ(h.caught[k], caught[k]) << "level " << kReportLevels[k];
    EXPECT_EQ(h.released, 2);
    EXPECT_EQ(h.risesOnHits, 2);
    EXPECT_EQ(h.straying, 1);
    // A band that never lets go between its hits releases none of the gaps.
    EXPECT_EQ(HitsAgainstLevels(std::vector<float>(60, 0.5f), {0.1, 0.5}).released, 0);

    // Stretches of ten effect units: frames outside the scene's window do not count.
    BandTrace trace{};
    trace.levels = {0.2f, 0.9f, 0.3f, 0.7f, 0.1f};
    trace.fx = {-1.0f, -1.0f, 5.0f, 25.0f, 29.9f};
    const std::vector<float> highest = HighestPerStretch(trace);
    ASSERT_EQ(highest.size(), 3u);
    EXPECT_FLOAT_EQ(highest[0], 0.3f);
    EXPECT_FLOAT_EQ(highest[1], -1.0f);
    EXPECT_FLOAT_EQ(highest[2], 0.7f);
    const std::string report = FormatBandReport({trace});
    EXPECT_NE(report.find("20-30     0.70"), std::string::npos) << report;
}
