// zembravale-capture on the generated archive from the evil machine to the last picture: a real
// picture inside every scene, a new one at each scene change, held stills, and the last picture
// kept once part two stops drawing.
#include "Support/PngReader.h"
#include "Support/Process.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(PartTwoFrames, EveryScenePaintsItsOwnPicture) {
    const std::string archive = ZV_BINARY_DIR "/assets/tarnos.zip";
    if (!std::filesystem::exists(archive)) GTEST_SKIP() << "the build did not generate " << archive;
    // Music times (ms) inside the blocks, at effect times 310, 335, 355, 361, 365, 375, 385, 395, 410,
    // 425, 440, 460, 480, 495, 502.5, 507.5, 512.5, 515.5, 517, 519.65, 523.5, 575, 585, 602, 650, 705,
    // 765, 775, 785, 795, 802, 807 of the generated script; then 528.7 (the first still again), 808.2
    // (the last picture again) and a moment after effect time 810.
    const std::vector<int> ms = {144000, 148800, 152640, 153792, 154560, 156480, 158400, 160320, 163200,
                                 166080, 168960, 172800, 176640, 179520, 180960, 181920, 182880, 183600,
                                 183960, 184278, 185000, 194880, 197760, 203904, 213120, 223680, 235200,
                                 237120, 239040, 240960, 242304, 243264, 186000, 243500, 244500};
    TempDir dir;
    std::vector<std::string> args = {
        ZV_BINARY_DIR "/zembravale-capture", "--archive", archive, "--out", dir.File("frames"), "--at"};
    for (int t : ms) args.push_back(std::to_string(t / 1000.0));
    const ProcessResult run = RunProcess(args, dir.Path().string(), {}, 600);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<RgbImage> frames(ms.size());
    for (size_t i = 0; i < ms.size(); ++i) {
        const std::string name =
            "frames/t" + std::string(7 - std::to_string(ms[i]).size(), '0') + std::to_string(ms[i]);
        ASSERT_TRUE(ReadPngFile(dir.File(name + ".png"), &frames[i])) << name;
        ASSERT_EQ(frames[i].px.size(), 640u * 480u);
        EXPECT_GT(std::set<uint32_t>(frames[i].px.begin(), frames[i].px.end()).size(), 16u)
            << ms[i] << " blank";
    }
    // Every scene differs from the one before; whole-frame changes replace most of the picture.
    for (size_t i = 1; i < 32; ++i) EXPECT_GT(ShareDifferent(frames[i - 1], frames[i]), 0.001) << ms[i];
    for (size_t i : {2, 5, 8, 14, 20, 22, 23, 25, 27, 30, 31}) {
        EXPECT_GT(ShareDifferent(frames[i - 1], frames[i]), 0.5) << ms[i];
    }
    EXPECT_GT(std::count(frames[19].px.begin(), frames[19].px.end(), 0u), 640 * 480 / 2) << "burnt out";
    EXPECT_EQ(ShareDifferent(frames[20], frames[32]), 0.0) << "a held still";
    EXPECT_EQ(ShareDifferent(frames[31], frames[33]), 0.0) << "the last picture";
    EXPECT_EQ(ShareDifferent(frames[31], frames[34]), 0.0) << "kept after 810";
}

}  // namespace
