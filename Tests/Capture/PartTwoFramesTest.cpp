// zembravale-capture on the generated archive through part two: its frames replace part one's last
// picture, every scene paints a real picture of its own and changes where the timeline does, stills
// are held, and the last picture is kept once part two stops drawing.
#include "Support/PngReader.h"
#include "Support/Process.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

double ShareDifferent(const RgbImage& a, const RgbImage& b) {
    size_t differing = 0;
    for (size_t i = 0; i < a.px.size(); ++i) differing += a.px[i] != b.px[i];
    return static_cast<double>(differing) / static_cast<double>(a.px.size());
}

TEST(PartTwoFrames, EveryScenePaintsItsOwnPictureAndChangesOnTheTimeline) {
    const std::string archive = ZV_BINARY_DIR "/assets/tarnos.zip";
    if (!std::filesystem::exists(archive)) GTEST_SKIP() << "the build did not generate " << archive;
    // Music times in whole milliseconds, the unit the frames are named by. First part one's last
    // frame, then the opening and casino scenes: the archive maps music time to effect time from
    // 84.48 s (fx 0) at 500 effect units per 96 s, so fx = (t - 84.48) / 0.192. They take in the step
    // from the random magnifier to the lighthouse at 150, and from the lady to the casino at 200.
    const int lastOfPartOne = 84460;
    const std::vector<double> firstHalf = {2,   25,  50,  80,  105, 130, 148, 152,
                                           175, 190, 198, 203, 240, 275, 295};
    // Then inside the later blocks, at effect times 310, 335, 355, 361, 365, 375, 385, 395, 410, 425,
    // 440, 460, 480, 495, 502.5, 507.5, 512.5, 515.5, 517, 519.65, 523.5, 575, 585, 602, 650, 705, 765,
    // 775, 785, 795, 802, 807; then 528.7 (the first still again), 808.2 (the last picture again) and
    // a moment after effect time 810.
    const std::vector<int> secondHalf = {
        144000, 148800, 152640, 153792, 154560, 156480, 158400, 160320, 163200, 166080, 168960, 172800,
        176640, 179520, 180960, 181920, 182880, 183600, 183960, 184278, 185000, 194880, 197760, 203904,
        213120, 223680, 235200, 237120, 239040, 240960, 242304, 243264, 186000, 243500, 244500};
    std::vector<int> ms = {lastOfPartOne};
    for (double fx : firstHalf) ms.push_back(static_cast<int>((84.48 + fx * 0.192) * 1000 + 0.5));
    ms.insert(ms.end(), secondHalf.begin(), secondHalf.end());

    TempDir dir;
    std::vector<std::string> args = {
        ZV_BINARY_DIR "/zembravale-capture", "--archive", archive, "--out", dir.File("frames"), "--at"};
    for (int t : ms) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%d.%03d", t / 1000, t % 1000);
        args.push_back(seconds);
    }
    const ProcessResult run = RunProcess(args, dir.Path().string(), {}, 600);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<RgbImage> all(ms.size());
    for (size_t i = 0; i < ms.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frames/t%07d.png", ms[i]);
        ASSERT_TRUE(ReadPngFile(dir.File(name), &all[i])) << name;
        ASSERT_EQ(all[i].px.size(), 640u * 480u) << name;
    }
    const RgbImage& held = all[0];
    const std::vector<RgbImage> opening(all.begin() + 1, all.begin() + 1 + firstHalf.size());
    const std::vector<RgbImage> frames(all.begin() + 1 + firstHalf.size(), all.end());

    // The opening and the casino: every moment leaves part one behind and differs from the one
    // before; across the scene steps at 150 and 200 nearly the whole picture changes.
    for (size_t i = 0; i < opening.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "fx " << firstHalf[i]);
        EXPECT_GT(ShareDifferent(opening[i], held), 0.5) << "still shows part one";
        if (i > 0) {
            EXPECT_GT(ShareDifferent(opening[i], opening[i - 1]), 0.2);
        }
    }
    EXPECT_GT(ShareDifferent(opening[6], opening[7]), 0.8);
    EXPECT_GT(ShareDifferent(opening[10], opening[11]), 0.8);

    // The later blocks: a real picture in each, every scene differs from the one before, and
    // whole-frame changes replace most of the picture.
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_GT(std::set<uint32_t>(frames[i].px.begin(), frames[i].px.end()).size(), 16u)
            << secondHalf[i] << " blank";
    }
    for (size_t i = 1; i < 32; ++i)
        EXPECT_GT(ShareDifferent(frames[i - 1], frames[i]), 0.001) << secondHalf[i];
    for (size_t i : {2, 5, 8, 14, 20, 22, 23, 25, 27, 30, 31}) {
        EXPECT_GT(ShareDifferent(frames[i - 1], frames[i]), 0.5) << secondHalf[i];
    }
    EXPECT_GT(std::count(frames[19].px.begin(), frames[19].px.end(), 0u), 640 * 480 / 2) << "burnt out";
    EXPECT_EQ(ShareDifferent(frames[20], frames[32]), 0.0) << "a held still";
    EXPECT_EQ(ShareDifferent(frames[31], frames[33]), 0.0) << "the last picture";
    EXPECT_EQ(ShareDifferent(frames[31], frames[34]), 0.0) << "kept after 810";
}

}  // namespace
