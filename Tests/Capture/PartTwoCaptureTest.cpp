// zembravale-capture on the generated archive, inside part two's first half: its frames replace
// part one's last picture and change scene where the timeline does. The archive maps music time
// to part two's effect time from 84.48 s (fx 0) at 500 effect units per 96 s: fx = (t - 84.48) / 0.192.
#include "Support/PngReader.h"
#include "Support/Process.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

const std::string kCapture = ZV_BINARY_DIR "/zembravale-capture";
const std::string kArchive = ZV_BINARY_DIR "/assets/tarnos.zip";

// Music time in whole milliseconds, the unit the frames are named by.
int MillisecondsOf(double fx) {
    return static_cast<int>((84.48 + fx * 0.192) * 1000 + 0.5);
}

std::string Seconds(int ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%03d", ms / 1000, ms % 1000);
    return text;
}

std::string FrameName(int ms) {
    char name[32];
    std::snprintf(name, sizeof name, "t%07d.png", ms);
    return name;
}

double ShareDifferent(const RgbImage& a, const RgbImage& b) {
    size_t differing = 0;
    for (size_t i = 0; i < a.px.size(); ++i) differing += a.px[i] != b.px[i];
    return static_cast<double>(differing) / a.px.size();
}

TEST(PartTwoCapture, OpeningAndCasinoScenesReplacePartOnesLastPictureAndChangeOnTheTimeline) {
    if (!std::filesystem::exists(kArchive)) GTEST_SKIP() << "the build did not generate " << kArchive;
    TempDir dir;
    // Part one's last frame, then moments of part two by effect time: the opening's scenes, the
    // step from the random magnifier to the lighthouse at 150, and from the lady to the casino
    // interior at 200.
    const int lastOfPartOne = 84460;
    const std::vector<double> fxTimes = {2,   25,  50,  80,  105, 130, 148, 152,
                                         175, 190, 198, 203, 240, 275, 295};
    std::vector<std::string> args = {kCapture, "--archive",           kArchive, "--out", dir.File("frames"),
                                     "--at",   Seconds(lastOfPartOne)};
    for (double fx : fxTimes) args.push_back(Seconds(MillisecondsOf(fx)));
    const ProcessResult run = RunProcess(args, dir.Path().string(), {}, 300);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const auto load = [&](int ms) {
        RgbImage image;
        EXPECT_TRUE(ReadPngFile(dir.File("frames/" + FrameName(ms)), &image)) << ms;
        return image;
    };
    const RgbImage held = load(lastOfPartOne);
    std::map<double, RgbImage> frames;
    for (double fx : fxTimes) {
        frames[fx] = load(MillisecondsOf(fx));
        ASSERT_EQ(frames[fx].px.size(), held.px.size()) << fx;
        EXPECT_GT(ShareDifferent(frames[fx], held), 0.5) << "fx " << fx << " still shows part one";
    }
    // Every moment differs from the one before it: the schedule moves on.
    for (size_t i = 1; i < fxTimes.size(); ++i) {
        EXPECT_GT(ShareDifferent(frames[fxTimes[i]], frames[fxTimes[i - 1]]), 0.2) << "fx " << fxTimes[i];
    }
    // Across the scene steps at 150 and 200 nearly the whole picture changes.
    EXPECT_GT(ShareDifferent(frames[148], frames[152]), 0.8);
    EXPECT_GT(ShareDifferent(frames[198], frames[203]), 0.8);
}

}  // namespace
