// The sync scripts as the program reads them: they pass its validation, their windows follow one
// another from 0 to the end of the run, and the scene changes fall on the music's bar lines.
#include "AssetBuilder/Archive/Scripts.h"
#include "AssetBuilder/Music/TempoMap.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace assets;

namespace {

std::vector<LoadedScript> Loaded() {
    return LoadScripts(BuildScripts(), nullptr);
}

// The first music time at which a scene's keys reach effect time fx, worked out from the keys alone.
double TimeOfFx(const LoadedScript& script, double fx) {
    for (size_t i = 0; i + 1 < script.keyFx.size(); ++i) {
        const double a = script.keyFx[i], b = script.keyFx[i + 1];
        if (fx >= a && fx <= b && b > a) {
            return script.keyTimes[i] + (fx - a) / (b - a) * (script.keyTimes[i + 1] - script.keyTimes[i]);
        }
    }
    return -1.0;
}

// Distance in seconds from t to the nearest multiple of `grid` seconds.
double OffGrid(double t, double grid) {
    return std::fabs(t - std::round(t / grid) * grid);
}

}  // namespace

TEST(Scripts, PassTheProgramsValidationWithTheBandsTheScenesRead) {
    const std::vector<LoadedScript> scripts = Loaded();
    ASSERT_EQ(scripts.size(), 3u);
    const struct {
        const char* member;
        size_t minBands;
    } expected[] = {
        {"syncroscripts/intro.xml", 0}, {"syncroscripts/part1.xml", 2}, {"syncroscripts/part2.xml", 3}};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(expected[i].member);
        EXPECT_EQ(scripts[i].member, expected[i].member);
        EXPECT_TRUE(scripts[i].messages.empty()) << scripts[i].messages.front();
        EXPECT_GE(scripts[i].keyTimes.size(), 2u);
        EXPECT_GE(scripts[i].bandIds.size(), expected[i].minBands);
        for (size_t k = 1; k < scripts[i].keyTimes.size(); ++k) {
            EXPECT_LE(scripts[i].keyTimes[k - 1], scripts[i].keyTimes[k]);
            EXPECT_LE(scripts[i].keyFx[k - 1], scripts[i].keyFx[k]);
        }
    }
}

TEST(Scripts, WindowsRunFromTheStartToTheEndOfTheRunWithoutGaps) {
    const std::vector<LoadedScript> scripts = Loaded();
    ASSERT_EQ(scripts.size(), 3u);
    EXPECT_EQ(scripts[0].windowStart, 0.0f);
    // The float the reader makes of one window's end is the same as that of the next one's start.
    EXPECT_EQ(scripts[0].windowEnd, scripts[1].windowStart);
    EXPECT_EQ(scripts[1].windowEnd, scripts[2].windowStart);
    EXPECT_EQ(scripts[2].windowEnd, float(kRunEndSeconds));
    for (const LoadedScript& script : scripts)
        EXPECT_LT(script.windowStart, script.windowEnd) << script.member;

    // Each scene plays its whole effect range: intro 0-200, part one 0-300, part two 0-810.
    const float ends[3] = {200, 300, 810};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(scripts[i].FxTime(scripts[i].windowStart), 0.0f) << scripts[i].member;
        EXPECT_NEAR(scripts[i].FxTime(std::nextafter(scripts[i].windowEnd, 0.0f)), ends[i], 0.01)
            << scripts[i].member;
    }
    // Part two reaches 810 (where it stops drawing) before the run ends, and holds it.
    const double reach = TimeOfFx(scripts[2], 810);
    EXPECT_GT(reach, kRunEndSeconds - 3.0);
    EXPECT_LT(reach, kRunEndSeconds - 0.5);
    EXPECT_EQ(scripts[2].FxTime(float(kRunEndSeconds) - 0.1f), 810.0f);
}

TEST(Scripts, SceneChangesFallOnBarLinesAndBlockChangesOnBeats) {
    const std::vector<LoadedScript> scripts = Loaded();
    ASSERT_EQ(scripts.size(), 3u);
    const double beat = kBarSeconds / kBeatsPerBar;
    struct Change {
        size_t scene;
        double fx;
        double grid;
    };
    std::vector<Change> changes = {{0, 100, kBarSeconds}};
    // Part one's acts and steps, part two's blocks: every multiple of ten starts on a bar.
    for (int fx = 10; fx < 300; fx += 10) changes.push_back({1, double(fx), kBarSeconds});
    for (int fx = 10; fx < 810; fx += 10) changes.push_back({2, double(fx), kBarSeconds});
    // The short blocks: wire scenes, counter pictures, head bursts, the last picture.
    for (double fx : {505.0, 515.0, 516.0, 605.0, 655.0, 695.0, 805.0}) changes.push_back({2, fx, beat});
    for (const Change& change : changes) {
        const double t = TimeOfFx(scripts[change.scene], change.fx);
        SCOPED_TRACE(scripts[change.scene].member + " fx " + std::to_string(change.fx));
        ASSERT_GE(t, 0.0);
        EXPECT_LT(OffGrid(t, change.grid), 0.001) << "at " << t << " s";
        // The program's own mapping agrees that the change happens there.
        EXPECT_NEAR(scripts[change.scene].FxTime(float(t)), change.fx, 0.01);
    }
}

TEST(Scripts, MusicSectionsStartWhereTheScenesChange) {
    const std::vector<LoadedScript> scripts = Loaded();
    ASSERT_EQ(scripts.size(), 3u);
    const struct {
        size_t scene;
        double fx;
        Section section;
    } starts[] = {
        {0, 0, Section::Opening},     {1, 0, Section::RiseOne},     {1, 40, Section::DropOne},
        {1, 100, Section::BreakTwo},  {1, 200, Section::DropThree}, {1, 270, Section::FloatThree},
        {2, 0, Section::MainTwo},     {2, 300, Section::Machine},   {2, 350, Section::Countdown},
        {2, 420, Section::Western},   {2, 500, Section::Resume},    {2, 580, Section::FinalCountdown},
        {2, 600, Section::Explosion}, {2, 700, Section::Closing},
    };
    for (const auto& start : starts) {
        const double bar = TimeOfFx(scripts[start.scene], start.fx) / kBarSeconds;
        SCOPED_TRACE(scripts[start.scene].member + " fx " + std::to_string(start.fx));
        const int whole = int(std::lround(bar));
        EXPECT_NEAR(bar, whole, 1e-4);  // keys are floats: a fraction of a millisecond
        EXPECT_EQ(SectionAt(whole), start.section);
        if (whole > 0) {
            EXPECT_NE(SectionAt(whole - 1), start.section) << "the section started earlier";
        }
    }
    // The sections tile the whole track.
    int next = 0;
    for (const SectionSpan& span : Sections()) {
        EXPECT_EQ(span.startBar, next);
        EXPECT_GT(span.bars, 0);
        next = span.startBar + span.bars;
    }
    EXPECT_EQ(next, kTrackBars);
}
