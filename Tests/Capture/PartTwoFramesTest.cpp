// zembravale-capture on the generated archive, from the evil machine to the last picture: one
// moment inside every scene, each a real picture, each scene change a new one, a held still the
// same from frame to frame, and the last picture kept once part two stops drawing.
#include "Support/PngReader.h"
#include "Support/Process.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kCapture = ZV_BINARY_DIR "/zembravale-capture";
const std::string kArchive = ZV_BINARY_DIR "/assets/tarnos.zip";
constexpr int kHangLimitSeconds = 600;

// Part two starts at 84.48 s with effect time 0; the generated script places its effect time on
// the music's bars. Each moment is music time, with the effect time it maps to beside it.
struct Moment {
    const char* seconds;
    const char* scene;
};
const Moment kMoments[] = {
    {"144", "26 machine arrives (fx 310)"},
    {"148.8", "27-29 machine pulses, waves, caption (fx 335)"},
    {"152.64", "30 countdown (fx 355)"},
    {"153.792", "31 counter before 0:18 (fx 361)"},
    {"154.56", "31 counter runs wild (fx 365)"},
    {"156.48", "32 defuse, first caption (fx 375)"},
    {"158.4", "32 defuse, second caption (fx 385)"},
    {"160.32", "32 defuse, wire caption and stretched machine (fx 395)"},
    {"163.2", "33 red or green (fx 410)"},
    {"166.08", "34 western title (fx 425)"},
    {"168.96", "35 western fade-in (fx 440)"},
    {"172.8", "36 figures fade in (fx 460)"},
    {"176.64", "37 western scene (fx 480)"},
    {"179.52", "38 western fade-out (fx 495)"},
    {"180.96", "39 countdown resumes (fx 502.5)"},
    {"181.92", "40 pliers (fx 507.5)"},
    {"182.88", "41 snap (fx 512.5)"},
    {"183.6", "42 counter at 0:08 (fx 515.5)"},
    {"183.96", "43 counter at 0:07 (fx 517)"},
    {"184.278", "43 burn-out (fx 519.65)"},
    {"185", "44 first movie still (fx 523.5)"},
    {"194.88", "44 last movie still (fx 575)"},
    {"197.76", "45 final countdown (fx 585)"},
    {"203.904", "46-47 explosion, first burst (fx 602)"},
    {"213.12", "46-47 explosion, eleventh burst starting (fx 650)"},
    {"223.68", "48 first closing still (fx 705)"},
    {"235.2", "48 last closing still (fx 765)"},
    {"237.12", "49 first picture on black (fx 775)"},
    {"239.04", "49 second picture on black (fx 785)"},
    {"240.96", "49 third picture on black (fx 795)"},
    {"242.304", "50 credits (fx 802)"},
    {"243.264", "51 last picture (fx 807)"},
};

std::string FileName(const std::string& seconds) {
    char name[32];
    std::snprintf(name, sizeof name, "t%07ld.png", std::lround(std::stod(seconds) * 1000));
    return name;
}

double ShareDifferent(const RgbImage& a, const RgbImage& b) {
    size_t differing = 0;
    for (size_t i = 0; i < a.px.size(); ++i) differing += a.px[i] != b.px[i];
    return static_cast<double>(differing) / static_cast<double>(a.px.size());
}

TEST(PartTwoFrames, EveryScenePaintsItsOwnPicture) {
    if (!std::filesystem::exists(kArchive)) GTEST_SKIP() << "the build did not generate " << kArchive;
    TempDir dir;
    // Besides the moments: a second moment inside the first still and inside the last picture,
    // and one after effect time 810, where part two no longer draws.
    const std::vector<std::string> extra = {"186", "243.5", "244.5"};
    std::vector<std::string> args = {kCapture, "--archive", kArchive, "--out", dir.File("frames"), "--at"};
    for (const Moment& m : kMoments) args.push_back(m.seconds);
    args.insert(args.end(), extra.begin(), extra.end());
    const ProcessResult run = RunProcess(args, dir.Path().string(), {}, kHangLimitSeconds);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const auto frame = [&](const std::string& seconds) {
        RgbImage image;
        EXPECT_TRUE(ReadPngFile(dir.File("frames/" + FileName(seconds)), &image)) << seconds;
        return image;
    };
    std::vector<RgbImage> frames;
    for (const Moment& m : kMoments) {
        frames.push_back(frame(m.seconds));
        const RgbImage& image = frames.back();
        ASSERT_EQ(image.w, 640) << m.scene;
        ASSERT_EQ(image.h, 480) << m.scene;
        const std::set<uint32_t> colours(image.px.begin(), image.px.end());
        EXPECT_GT(colours.size(), 16u) << m.scene << ": blank";
    }
    // Each moment shows something the one before did not.
    for (size_t i = 1; i < frames.size(); ++i) {
        EXPECT_GT(ShareDifferent(frames[i - 1], frames[i]), 0.001)
            << kMoments[i - 1].scene << " / " << kMoments[i].scene;
    }
    // Whole-frame scene changes replace most of the picture.
    const auto at = [&](const char* seconds) -> const RgbImage& {
        for (size_t i = 0; i < std::size(kMoments); ++i) {
            if (std::string(kMoments[i].seconds) == seconds) return frames[i];
        }
        ADD_FAILURE() << seconds;
        return frames[0];
    };
    const std::pair<const char*, const char*> sceneChanges[] = {
        {"148.8", "152.64"}, {"154.56", "156.48"},  {"160.32", "163.2"},    {"179.52", "180.96"},
        {"184.278", "185"},  {"194.88", "197.76"},  {"197.76", "203.904"},  {"203.904", "223.68"},
        {"235.2", "237.12"}, {"240.96", "242.304"}, {"242.304", "243.264"},
    };
    for (const auto& [before, after] : sceneChanges) {
        EXPECT_GT(ShareDifferent(at(before), at(after)), 0.5) << before << " / " << after;
    }
    // The burn-out leaves most of the frame black.
    const RgbImage& burnt = at("184.278");
    EXPECT_GT(std::count(burnt.px.begin(), burnt.px.end(), 0u), 640 * 480 / 2);
    // A still is held unchanged; from effect time 810 the last picture stays.
    EXPECT_EQ(ShareDifferent(at("185"), frame("186")), 0.0);
    EXPECT_EQ(ShareDifferent(at("243.264"), frame("243.5")), 0.0);
    EXPECT_EQ(ShareDifferent(at("243.264"), frame("244.5")), 0.0);
}

}  // namespace
