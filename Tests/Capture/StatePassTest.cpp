// The state pass against the offline renderer on the generated archive: a seek to any moment
// leaves in the canvas exactly the frame a render from the start gives there, whichever seek came
// before it.
#include "Production/OfflineRenderer.h"
#include "Production/Production.h"
#include "Production/StatePass.h"
#include "Support/Process.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kArchive = ZV_BINARY_DIR "/assets/tarnos.zip";
const FrameRate kRate{60, 1};

// Moments all over the production, in music seconds: every 97th frame, and short runs of frames
// inside the effects that draw from the random sequence, where the beat is strong enough for them
// to show: part one's noise bars and random explosion shift; part two's noise bars, random
// magnifier, random wave bands (in the casino and at the machine), counter noise and head bursts.
// Also the intro's cards, the burn-out and the last frames of part two's window, which draw nothing
// and keep the picture before them.
std::vector<double> Moments() {
    std::vector<double> moments = {0.0, 3.0, 10.0, 15.36, 84.47, 184.3, 241.92, 243.9, 244.99};
    for (int64_t frame = 0; frame < 245 * 60; frame += 97) moments.push_back(kRate.Seconds(frame));
    for (double from : {27.4, 39.3, 92.6, 106.0, 117.0, 150.0, 152.2, 205.0}) {
        for (int64_t step = 0; step < 10; ++step) moments.push_back(from + step * 0.1);
    }
    return moments;
}

// The picture: every colour bit (the key bytes are never shown and never read into a colour),
// hashed (FNV-1a over the words).
uint64_t PictureHash(const Bitmap& bitmap) {
    uint64_t hash = 1469598103934665603ull;
    for (int32_t i = 0; i < bitmap.size; ++i) {
        hash = (hash ^ (bitmap.pixels[i] & 0x00FFFFFFu)) * 1099511628211ull;
    }
    return hash;
}

class StatePassTest : public ::testing::Test {
protected:
    // One render from the start, hashed at every moment's frame, shared by the tests below.
    static void SetUpTestSuite() {
        if (!std::filesystem::exists(kArchive)) return;
        std::set<int64_t> wanted;
        for (double seconds : Moments()) wanted.insert(kRate.FrameAt(seconds));
        OfflineRenderer renderer;
        std::string error;
        if (!renderer.Open(kArchive, kRate, &error)) return;
        reference = new std::map<int64_t, uint64_t>;
        while (renderer.FrameIndex() < *wanted.rbegin()) {
            renderer.RenderNextFrame();
            if (wanted.count(renderer.FrameIndex()) != 0) {
                (*reference)[renderer.FrameIndex()] = PictureHash(renderer.Canvas());
            }
        }
    }
    static void TearDownTestSuite() {
        delete reference;
        reference = nullptr;
    }

    void SetUp() override {
        if (reference == nullptr) GTEST_SKIP() << "no full render of " << kArchive;
        ProductionSetup setup;
        setup.archivePath = kArchive;
        setup.music = std::make_unique<DecodedMusic>();
        production = std::make_unique<Production>(std::move(setup));
        ASSERT_TRUE(production->Ready()) << production->Failure();
        pass = std::make_unique<StatePass>(*production);
    }
    void TearDown() override {
        pass.reset();
        production.reset();
    }

    // Seeks and compares with the full render.
    void ExpectSeekMatches(double seconds) {
        const int64_t frame = pass->SeekTo(seconds);
        ASSERT_EQ(frame, kRate.FrameAt(seconds));
        EXPECT_EQ(PictureHash(production->Canvas()), reference->at(frame))
            << "seek to " << seconds << " s (frame " << frame << ")";
    }

    static std::map<int64_t, uint64_t>* reference;
    std::unique_ptr<Production> production;
    std::unique_ptr<StatePass> pass;
};

std::map<int64_t, uint64_t>* StatePassTest::reference = nullptr;

TEST_F(StatePassTest, SeekGivesTheFrameOfARenderFromTheStart) {
    for (double seconds : Moments()) ExpectSeekMatches(seconds);
    // Most moments need only their own frame drawn: the scenes repaint the whole canvas.
    pass->SeekTo(118.08);
    EXPECT_LE(pass->LastSeek().drawnFrames, 4);
    EXPECT_FALSE(pass->LastSeek().replayedAll);
}

TEST_F(StatePassTest, SeeksBackAndForthGiveTheSameFrames) {
    pass->StartPreparing();  // the spectra computed in the background this time
    const std::vector<double> moments = Moments();
    for (size_t i = moments.size(); i-- > 0;) {
        if (i % 3 == 0) ExpectSeekMatches(moments[i]);
    }
    for (double seconds : {205.3, 27.6, 184.3, 106.4, 3.0, 244.99, 93.0, 150.5}) ExpectSeekMatches(seconds);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The capture tool seeks the same way.
TEST_F(StatePassTest, CaptureSeeksFarMomentsToTheSameFilesAsARenderThrough) {
    TempDir dir;
    const std::string capture = ZV_BINARY_DIR "/zembravale-capture";
    // Moments alone are sought; a range beside them makes the tool draw every frame.
    const std::vector<std::string> moments = {"--at", "30", "107.5", "152.7", "205.3", "244.99"};
    std::vector<std::string> sought = {capture, "--archive", kArchive, "--out", dir.File("sought")};
    sought.insert(sought.end(), moments.begin(), moments.end());
    std::vector<std::string> drawn = {capture,  "--archive", kArchive, "--out", dir.File("drawn"),
                                      "--from", "1",         "--to",   "1"};
    drawn.insert(drawn.end(), moments.begin(), moments.end());
    for (const auto& argv : {sought, drawn}) {
        const ProcessResult run = RunProcess(argv, dir.Path().string(), {}, 300);
        ASSERT_FALSE(run.timedOut);
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    for (const char* name :
         {"t0030000.png", "t0107500.png", "t0152700.png", "t0205300.png", "t0244990.png"}) {
        const std::string a = ReadFile(dir.File(std::string("sought/") + name));
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, ReadFile(dir.File(std::string("drawn/") + name))) << name;
    }
}

// The browser's page decodes the music a piece at a time, works on the seeks' spectra between its
// frames and seeks whenever the viewer asks: the frames are the same as a render from the start.
TEST_F(StatePassTest, MusicAndSpectraInPiecesGiveTheSameFrames) {
    pass.reset();
    production.reset();
    OfflineRenderer renderer;
    renderer.DecodeMusicInSteps();
    std::string error;
    ASSERT_TRUE(renderer.Open(kArchive, kRate, &error)) << error;
    EXPECT_LT(renderer.MusicDecodedShare(), 0.05);
    // Frames drawn before the music is all in decode what they need first.
    const int64_t noiseBars = kRate.FrameAt(27.4);  // part one's beat-driven noise bars
    while (renderer.FrameIndex() < noiseBars) renderer.RenderNextFrame();
    EXPECT_EQ(PictureHash(renderer.Canvas()), reference->at(noiseBars));
    double share = 0.0;
    while (!renderer.DecodeMusic(100000)) {
        ASSERT_GE(renderer.MusicDecodedShare(), share);
        share = renderer.MusicDecodedShare();
    }
    EXPECT_EQ(renderer.MusicDecodedShare(), 1.0);
    // Seeks while the spectra are still being prepared: to frames past and before what is ready.
    EXPECT_FALSE(renderer.PrepareSeeks(500));
    for (double seconds : {106.8, 3.0, 106.5, 184.3}) {
        renderer.SeekTo(kRate.FrameAt(seconds));
        EXPECT_EQ(PictureHash(renderer.Canvas()), reference->at(renderer.FrameIndex())) << seconds << " s";
        EXPECT_FALSE(renderer.PrepareSeeks(700));
    }
    while (!renderer.PrepareSeeks(3000)) {
    }
    for (double seconds : {244.99, 27.4, 152.2}) {
        renderer.SeekTo(kRate.FrameAt(seconds));
        EXPECT_EQ(PictureHash(renderer.Canvas()), reference->at(renderer.FrameIndex())) << seconds << " s";
    }
}

TEST_F(StatePassTest, RenderingGoesOnFromASoughtFrameAsFromTheStart) {
    pass.reset();
    production.reset();  // one production at a time
    OfflineRenderer renderer;
    std::string error;
    ASSERT_TRUE(renderer.Open(kArchive, kRate, &error)) << error;
    // On from a seek, inside part one's noise bars, the random magnifier and the wave bands; from
    // 106.15 s, a frame where the random magnifier jumps, past its next jumps.
    for (const auto& [from, to] : {std::pair{150.0, 150.1}, {27.4, 27.5}, {106.0, 106.1}, {106.15, 106.8}}) {
        renderer.SeekTo(kRate.FrameAt(from));
        while (renderer.FrameIndex() < kRate.FrameAt(to)) renderer.RenderNextFrame();
        EXPECT_EQ(PictureHash(renderer.Canvas()), reference->at(renderer.FrameIndex()))
            << "from " << from << " s";
    }
}

}  // namespace
