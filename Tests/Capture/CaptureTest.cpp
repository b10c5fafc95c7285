// zembravale-capture on the generated archive: moments of the production as PNG files, the same
// bytes on every run, and a command line that explains itself.
#include "Production/OfflineRenderer.h"
#include "Data/DataFile.h"
#include "Data/Images.h"
#include "Production/Production.h"
#include "Support/CapturingSinks.h"
#include "Support/PngReader.h"
#include "Support/Process.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kCapture = ZV_BINARY_DIR "/zembravale-capture";
const std::string kArchive = ZV_BINARY_DIR "/assets/tarnos.zip";
constexpr int kHangLimitSeconds = 300;

ProcessResult Capture(const TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), {kCapture, "--archive", kArchive, "--out", dir.File("frames")});
    return RunProcess(args, dir.Path().string(), {}, kHangLimitSeconds);
}

RgbImage Frame(const TempDir& dir, const std::string& name) {
    RgbImage image;
    EXPECT_TRUE(ReadPngFile(dir.File("frames/" + name), &image)) << name;
    return image;
}

int DistinctColours(const RgbImage& image) {
    return static_cast<int>(std::set<uint32_t>(image.px.begin(), image.px.end()).size());
}

double ShareDifferent(const RgbImage& a, const RgbImage& b) {
    size_t differing = 0;
    for (size_t i = 0; i < a.px.size(); ++i) differing += a.px[i] != b.px[i];
    return static_cast<double>(differing) / a.px.size();
}

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kArchive)) GTEST_SKIP() << "the build did not generate " << kArchive;
    }
    TempDir dir;
};

TEST_F(CaptureTest, FramesFollowTheTimeline) {
    // The intro's two cards, then one moment in each of part one's acts.
    const ProcessResult run = Capture(dir, {"--at", "3", "10", "18", "44", "66"});
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const RgbImage groupCard = Frame(dir, "t0003000.png"), warningCard = Frame(dir, "t0010000.png");
    const RgbImage actOne = Frame(dir, "t0018000.png"), actTwo = Frame(dir, "t0044000.png"),
                   actThree = Frame(dir, "t0066000.png");
    for (const RgbImage* frame : {&groupCard, &warningCard, &actOne, &actTwo, &actThree}) {
        ASSERT_EQ(frame->w, 640);
        ASSERT_EQ(frame->h, 480);
        EXPECT_GT(DistinctColours(*frame), 16) << "not blank";
    }
    // The cards are single pictures on black: the corners are black, the centre is not all black.
    EXPECT_EQ(groupCard.At(0, 0), 0u);
    EXPECT_EQ(warningCard.At(639, 479), 0u);
    EXPECT_GT(std::count(groupCard.px.begin(), groupCard.px.end(), 0u), 640 * 480 * 3 / 4);
    // Each scene change replaces most of the picture.
    EXPECT_GT(ShareDifferent(groupCard, warningCard), 0.02);
    EXPECT_GT(ShareDifferent(warningCard, actOne), 0.5);
    EXPECT_GT(ShareDifferent(actOne, actTwo), 0.5);
    EXPECT_GT(ShareDifferent(actTwo, actThree), 0.5);
}

// The intro's cut to the warning card falls on frame 192 at 25 frames a second (7.68 s exactly):
// the frame before it still shows the group card. Each card is its picture from the archive,
// pixel for pixel, at its place on black.
TEST_F(CaptureTest, FrameNShowsMusicTimeNOverTheRateExactly) {
    const ProcessResult run = Capture(dir, {"--fps", "25", "--at", "7.64", "7.68"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_TRUE(InitDevil());
    CapturedBoxes boxes;
    ResetImageRegistry();
    const Bitmap* group = nullptr;
    const Bitmap* warning = nullptr;
    {
        ProductionSetup setup;  // only the archive: the two cards are registered here
        setup.archivePath = kArchive;
        setup.pictures = false;
        setup.parts = false;
        const Production production(std::move(setup));
        group = GetBitmap(RegisterImage("pelmarov/another_nimbrel_joint.png", 1, false));
        warning = GetBitmap(RegisterImage("pelmarov/intro_warning.png", 1, false));
    }
    ASSERT_TRUE(boxes.boxes.empty());
    struct Card {
        const char* frame;
        const Bitmap* picture;
        int x, y;
    };
    for (const Card& card : {Card{"t0007640.png", group, 175, 206}, Card{"t0007680.png", warning, 0, 164}}) {
        SCOPED_TRACE(card.frame);
        const RgbImage frame = Frame(dir, card.frame);
        ASSERT_EQ(frame.w * frame.h, 640 * 480);
        int mismatches = 0;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                const int u = x - card.x, v = y - card.y;
                const bool inside = u >= 0 && v >= 0 && u < card.picture->width && v < card.picture->height;
                const uint32_t expected = inside ? card.picture->Row(v)[u] & 0xFFFFFFu : 0u;
                mismatches += frame.At(x, y) != expected;
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
    ResetImageRegistry();
}

TEST_F(CaptureTest, SameArchiveSameBytes) {
    TempDir other;
    // Named by the time rounded to the millisecond: 1.001 s is a hair under 1001 ms in doubles.
    const ProcessResult first = Capture(dir, {"--at", "1.001", "21.5", "70"});
    const ProcessResult second = Capture(other, {"--at", "1.001", "21.5", "70"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    ASSERT_EQ(second.exitCode, 0) << second.err;
    for (const char* name : {"t0001001.png", "t0021500.png", "t0070000.png"}) {
        const std::string a = ReadWholeFile(dir.File(std::string("frames/") + name));
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, ReadWholeFile(other.File(std::string("frames/") + name))) << name;
    }
}

TEST_F(CaptureTest, RangesWriteNumberedSequencesAtTheChosenRate) {
    struct Case {
        std::vector<std::string> args;
        int frames;
    } cases[] = {
        {{"--from", "1", "--to", "1.05"}, 4},                        // 60 fps: 1, 1.0167, 1.0333, 1.05
        {{"--fps", "30", "--from", "2", "--to", "2.5"}, 16},         // 2 to 2.5 inclusive
        {{"--fps", "60000/1001", "--from", "0", "--to", "0.1"}, 6},  // 0 .. 5 * 1001/60000
        {{"--fps", "25", "--from", "0.28", "--to", "0.4"}, 4},       // 0.28 * 25 is a hair above 7 in doubles
        {{"--fps", "2.01", "--from", "99", "--to", "100"}, 3}};      // frames 199 to 201 of 2.01 a second
    for (const Case& c : cases) {
        TempDir out;
        const ProcessResult run = Capture(out, c.args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(out.File("frames"))) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        ASSERT_EQ(static_cast<int>(names.size()), c.frames) << c.args[1] << " " << c.args[3];
        EXPECT_EQ(names.front(), "frame0000000.png");
    }
}

TEST_F(CaptureTest, ExplainsItselfAndRefusesBadArguments) {
    const ProcessResult help = RunProcess({kCapture, "--help"}, dir.Path().string(), {}, 30);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--from A --to B"), std::string::npos);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--at", "1"},
                                                 {"--out", "x"},
                                                 {"--out", "x", "--at", "soon"},
                                                 {"--out", "x", "--fps", "0", "--at", "1"},
                                                 {"--out", "x", "--fps", "0.0001", "--at", "1"},
                                                 {"--out", "x", "--fps", "60000/1001x", "--at", "1"},
                                                 {"--out", "x", "--from", "3", "--to", "2"},
                                                 {"--bogus"}}) {
        std::vector<std::string> argv = {kCapture};
        argv.insert(argv.end(), args.begin(), args.end());
        const ProcessResult run = RunProcess(argv, dir.Path().string(), {}, 30);
        EXPECT_EQ(run.exitCode, 2) << args[0];
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
    }
    const ProcessResult missing =
        RunProcess({kCapture, "--archive", dir.File("none.zip"), "--out", dir.File("f"), "--at", "1"},
                   dir.Path().string(), {}, 60);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("Couldn't load mp3"), std::string::npos);
}

// A rate is a whole fraction or a decimal and nothing more: anything after it is refused, never
// read as the rate before it.
TEST(FrameRate, ReadsFractionsAndDecimalsAndRefusesAnythingElse) {
    const std::pair<const char*, FrameRate> accepted[] = {
        {"60", {60000, 1000}},       {"29.97", {29970, 1000}}, {"60000/1001", {60000, 1001}},
        {"1000000/1", {1000000, 1}}, {"0.001", {1, 1000}},     {"1000", {1000000, 1000}},
    };
    for (const auto& [text, expected] : accepted) {
        FrameRate rate{0, 0};
        EXPECT_TRUE(ParseFrameRate(text, &rate)) << text;
        EXPECT_EQ(rate.numerator, expected.numerator) << text;
        EXPECT_EQ(rate.denominator, expected.denominator) << text;
    }
    for (const char* text :
         {"60000/1001x", "60000/1001 ", "60000/1001/2", "60x",    "60 ",   "/1001",     "60000/",
          "60000x/1001", "0/1",         "1/0",          "-60/1",  "60/-1", "1000001/1", "1/1000001",
          "0",           "-1",          "1000.5",       "0.0004", "nan",   "inf",       ""}) {
        FrameRate rate;
        EXPECT_FALSE(ParseFrameRate(text, &rate)) << text;
    }
}

TEST_F(CaptureTest, LongRangesCostNoMemoryBeforeTheFirstFrame) {
    // A hundred million frames: naming them all up front would take gigabytes before the archive is
    // even opened. Named as they are rendered, the run stops at once at the missing archive.
    const ProcessResult run = RunProcess({kCapture, "--archive", dir.File("none.zip"), "--out", dir.File("f"),
                                          "--fps", "1000", "--from", "0", "--to", "99999"},
                                         dir.Path().string(), {}, 60);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Couldn't load mp3"), std::string::npos) << run.err;
}

}  // namespace
