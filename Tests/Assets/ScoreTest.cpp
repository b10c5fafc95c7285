// The score and the limiter, checked without rendering the track: the drums keep a steady tempo on
// the sixteenth grid, every pitched note belongs to the harmony of its bar, and the limiter keeps
// any signal under its ceiling.
#include "AssetBuilder/Music/Music.h"
#include "AssetBuilder/Music/MusicScore.h"
#include "AssetBuilder/Music/TempoMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>

using namespace assets;

TEST(Score, DrumsKeepASteadyTempoAndEveryEventFitsTheTrack) {
    const Score score = ComposeScore();
    ASSERT_FALSE(score.events.empty());
    long previous = 0;
    int kicksOnBeats = 0, kicks = 0;
    for (const NoteEvent& e : score.events) {
        EXPECT_GE(e.start, previous) << "events out of order";
        previous = e.start;
        EXPECT_LT(e.start, kTrackSamples);
        EXPECT_GT(e.length, 0);
        EXPECT_GT(e.velocity, 0.0f);
        EXPECT_LE(e.velocity, 1.0f);
        // Kick and snare are never swung: they sit exactly on the sixteenth grid.
        if (e.instrument == Instrument::Kick || e.instrument == Instrument::Snare) {
            EXPECT_EQ(e.start % kSamplesPerSixteenth, 0) << "at sample " << e.start;
        }
        if (e.instrument == Instrument::Kick) {
            ++kicks;
            kicksOnBeats += e.start % kSamplesPerBeat == 0;
        }
    }
    // Four on the floor almost everywhere the kick plays.
    EXPECT_GT(kicksOnBeats, kicks * 9 / 10);
}

TEST(Score, DownbeatsCarryTheAccentAndRollsAreStruckDampened) {
    // Per bar, the velocity of the kick on each beat (0 where none).
    std::vector<std::array<float, 4>> kicks(kTrackBars, std::array<float, 4>{});
    std::vector<NoteEvent> snares;
    for (const NoteEvent& e : ComposeScore().events) {
        if (e.instrument == Instrument::Kick && e.start % kSamplesPerBeat == 0) {
            kicks[size_t(e.start / kSamplesPerBar)][size_t(e.start % kSamplesPerBar / kSamplesPerBeat)] =
                e.velocity;
        }
        if (e.instrument == Instrument::Snare) snares.push_back(e);
    }
    int accented = 0, grooveBars = 0;
    for (const std::array<float, 4>& bar : kicks) {
        if (std::find(bar.begin(), bar.end(), 0.0f) != bar.end()) continue;
        ++grooveBars;
        accented += bar[0] > bar[1] && bar[0] > bar[2] && bar[0] > bar[3];
    }
    // Four on the floor plays through most of the track, the downbeat always the loudest.
    EXPECT_GT(grooveBars, 80);
    EXPECT_EQ(accented, grooveBars);

    // A stroke a sixteenth after the last one is part of a roll and dampened (where a backbeat
    // stroke falls on a roll's stroke, the two share the sample and either may come first).
    int rollStrokes = 0, ringing = 0;
    for (size_t i = 1; i < snares.size(); ++i) {
        ringing += snares[i].param == 0.0f;
        const bool shared = snares[i - 1].start == snares[i].start ||
                            (i + 1 < snares.size() && snares[i + 1].start == snares[i].start);
        if (shared || snares[i].start - snares[i - 1].start != kSamplesPerSixteenth) continue;
        EXPECT_GT(snares[i].param, 0.0f) << "snare at sample " << snares[i].start;
        ++rollStrokes;
    }
    EXPECT_GT(rollStrokes, 50);
    EXPECT_GT(ringing, 150);
}

TEST(Score, PitchedNotesBelongToTheHarmonyOfTheirBar) {
    // A natural minor throughout; G sharp only where the chord is E major, B flat only under the
    // machine's B flat chord.
    const std::set<int> aMinor = {9, 11, 0, 2, 4, 5, 7};
    for (const NoteEvent& e : ComposeScore().events) {
        switch (e.instrument) {
            case Instrument::Bass:
            case Instrument::Pad:
            case Instrument::Stab:
            case Instrument::Lead:
            case Instrument::Pluck:
            case Instrument::Whistle:
            case Instrument::Bell:
                break;
            default:
                continue;
        }
        const int pitchClass = int(std::lround(e.note)) % 12;
        const int bar = int(e.start / kSamplesPerBar);
        const Section section = SectionAt(bar);
        std::set<int> allowed = aMinor;
        const bool dominant = section == Section::Machine || section == Section::Countdown ||
                              section == Section::Choice || section == Section::Western ||
                              section == Section::Resume || section == Section::FinalCountdown ||
                              section == Section::FloatThree;
        if (dominant) allowed.insert(8);                      // G sharp of the E major chord
        if (section == Section::Machine) allowed.insert(10);  // B flat
        EXPECT_TRUE(allowed.count(pitchClass)) << "note " << e.note << " in bar " << bar;
    }
}

TEST(Score, LimiterHoldsAnySignalUnderTheCeilingAndLeavesQuietOnesAlone) {
    const float ceiling = kMasterCeiling;
    auto square = [](size_t frames, float amplitude) {
        std::vector<float> s(2 * frames);
        for (size_t i = 0; i < frames; ++i) s[2 * i] = s[2 * i + 1] = (i / 50) % 2 ? amplitude : -amplitude;
        return s;
    };
    std::vector<std::vector<float>> loud;
    loud.push_back(square(20000, 3.0f));
    std::vector<float> spike(2 * 20000, 0.1f);
    spike[2 * 2500 + 1] = 40.0f;  // one sample on the right channel only
    loud.push_back(spike);
    std::vector<float> atStart(2 * 300, 0.0f);
    atStart[0] = -2.0f;  // a peak before the look-ahead has anything to look back on
    loud.push_back(atStart);
    for (std::vector<float>& signal : loud) {
        LimitPeaks(signal, ceiling);
        for (float s : signal) ASSERT_LE(std::fabs(s), ceiling + 1e-6f);
    }
    // Away from the spike the limiter lets the signal through again: untouched before it, recovered
    // some 400 ms after it.
    EXPECT_NEAR(loud[1][0], 0.1f, 1e-6f);
    EXPECT_NEAR(loud[1][2 * 19999], 0.1f, 1e-3f);

    std::vector<float> quiet = square(10000, 0.5f);
    const std::vector<float> original = quiet;
    LimitPeaks(quiet, ceiling);
    EXPECT_EQ(quiet, original);
}
