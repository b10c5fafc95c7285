// The state pass against the offline renderer on the generated archive: a seek to any moment
// leaves in the canvas exactly the frame a render from the start gives there, whichever seek came
// before it.
#include "Capture/OfflineRenderer.h"
#include "Production/Production.h"
#include "Production/StatePass.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kArchive = ZV_BINARY_DIR "/assets/tarnos.zip";

// Moments in every scene, in music seconds: the intro's cards; part one's noise bars, random
// explosion shift, zoom jumps and bombers; part two's magnifiers (one jumping at random), noise
// bars, random wave bands, dollar rain, counter noise, burn-out and head bursts; the last frames
// of its window, which draw nothing and keep the picture before them.
const std::vector<double> kMoments = {
    0.0,    3.0,    10.0,   15.36, 27.65,  34.56,  39.55,  51.84, 63.36,
    78.72,  84.47,  85.44,  93.12, 107.52, 111.36, 118.08, 134.4, 141.12,
    149.76, 152.64, 154.56, 184.3, 205.82, 213.12, 241.92, 243.9, 244.99,
};

// The picture: every colour bit (the key bytes are never shown and never read into a colour).
std::vector<uint32_t> Pixels(const Bitmap& bitmap) {
    std::vector<uint32_t> colours(bitmap.pixels, bitmap.pixels + bitmap.size);
    for (uint32_t& word : colours) word &= 0x00FFFFFFu;
    return colours;
}

// Index of the first differing pixel, or -1.
int64_t FirstDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) return static_cast<int64_t>(i);
    }
    return -1;
}

class StatePassTest : public ::testing::Test {
protected:
    // One render from the start, kept at every moment's frame, shared by the tests below.
    static void SetUpTestSuite() {
        if (!std::filesystem::exists(kArchive)) return;
        std::map<int64_t, size_t> wanted;
        for (size_t i = 0; i < kMoments.size(); ++i) wanted[StatePass::FrameAt(kMoments[i])] = i;
        OfflineRenderer renderer;
        std::string error;
        if (!renderer.Open(kArchive, FrameRate{60, 1}, &error)) return;
        reference = new std::map<int64_t, std::vector<uint32_t>>;
        const int64_t last = wanted.rbegin()->first;
        while (renderer.FrameIndex() < last) {
            renderer.RenderNextFrame();
            if (wanted.count(renderer.FrameIndex()) != 0)
                (*reference)[renderer.FrameIndex()] = Pixels(renderer.Canvas());
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

    // Seeks and compares with the full render; names the moment and the first differing pixel.
    void ExpectSeekMatches(double seconds) {
        const int64_t frame = pass->SeekTo(seconds);
        ASSERT_EQ(frame, StatePass::FrameAt(seconds));
        const std::vector<uint32_t>& want = reference->at(frame);
        const int64_t at = FirstDifference(Pixels(production->Canvas()), want);
        EXPECT_EQ(at, -1) << "seek to " << seconds << " s (frame " << frame << "): pixel (" << at % 640
                          << ", " << at / 640 << ") differs";
    }

    static std::map<int64_t, std::vector<uint32_t>>* reference;
    std::unique_ptr<Production> production;
    std::unique_ptr<StatePass> pass;
};

std::map<int64_t, std::vector<uint32_t>>* StatePassTest::reference = nullptr;

TEST_F(StatePassTest, SeekGivesTheFrameOfARenderFromTheStart) {
    for (double seconds : kMoments) ExpectSeekMatches(seconds);
    // Most moments need only their own frame drawn: the scenes repaint the whole canvas.
    pass->SeekTo(118.08);
    EXPECT_LE(pass->LastSeek().drawnFrames, 4);
    EXPECT_FALSE(pass->LastSeek().replayedAll);
}

TEST_F(StatePassTest, SeeksBackAndForthGiveTheSameFrames) {
    for (auto it = kMoments.rbegin(); it != kMoments.rend(); ++it) ExpectSeekMatches(*it);
    for (double seconds : {213.12, 27.65, 184.3, 107.52, 3.0, 244.99, 93.12}) ExpectSeekMatches(seconds);
}

}  // namespace
