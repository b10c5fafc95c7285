// The live run's figures: what counts as a slow frame, a step back or a jump of the music clock,
// and the report the soak reads.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "Main/RunStats.h"

namespace {

struct Frame {
    double wall;
    float music;
};

RunStats Measure(const std::vector<Frame>& frames) {
    RunStats stats;
    for (const Frame& f : frames) stats.Frame(f.wall, f.music);
    return stats;
}

std::string Report(const RunStats& stats, int64_t buffers, int64_t late) {
    std::FILE* file = std::tmpfile();
    stats.Print(file, buffers, late);
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text.push_back(static_cast<char>(c));
    std::fclose(file);
    return text;
}

}  // namespace

TEST(RunStats, CountsSlowFramesStepsBackAndJumps) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* what;
        std::vector<Frame> frames;
        int64_t slow, back, jumps;
    } cases[] = {
        {"steady 60 Hz", {{10.0, 0.0f}, {10.016, 0.016f}, {10.033, 0.033f}, {10.050, 0.050f}}, 0, 0, 0},
        {"one slow frame", {{0.0, 0.0f}, {0.020, 0.02f}, {0.060, 0.049f}}, 1, 0, 0},
        {"49 ms is no jump", {{0.0, 1.0f}, {0.01, 1.0f}, {0.02, 1.0f + 0.049f}}, 0, 0, 0},
        {"a jump", {{0.0, 1.0f}, {0.01, 1.07f}, {0.02, 1.08f}}, 0, 0, 1},
        {"a long frame is no jump", {{0.0, 1.0f}, {0.2, 1.2f}, {0.21, 1.21f}}, 1, 0, 0},
        {"a step back", {{0.0, 1.0f}, {0.01, 0.999f}, {0.02, 1.01f}}, 0, 1, 0},
        {"NaN readings are neither", {{0.0, 1.0f}, {0.01, nan}, {0.02, 1.01f}}, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RunStats stats = Measure(c.frames);
        EXPECT_EQ(stats.frames, static_cast<int64_t>(c.frames.size()));
        EXPECT_EQ(std::tuple(stats.slowFrames, stats.backwardSteps, stats.jumps),
                  std::tuple(c.slow, c.back, c.jumps));
    }
}

TEST(RunStats, ReportGivesTheFiguresTheSoakReads) {
    const RunStats steady = Measure({{5.0, 0.0f}, {5.010, 0.01f}, {5.030, 0.03f}, {5.040, 0.04f}});
    EXPECT_EQ(Report(steady, 9000, 2),
              "stats: frames presented 4 in 0.040 s, music 0.000 s to 0.040 s\n"
              "stats: frame time mean 13.333 ms, worst 20.000 ms, over 33.3 ms 0\n"
              "stats: music clock monotonic: 0 steps back, 0 jumps ahead of the wall clock by over 50 ms, "
              "largest step "
              "20.000 ms\n"
              "stats: audio buffers 9000, handed late 2\n");
    const std::string broken = Report(Measure({{0.0, 1.0f}, {0.01, 0.5f}}), 0, 0);
    EXPECT_NE(broken.find("stats: music clock NOT monotonic: 1 steps back"), std::string::npos) << broken;

    setenv("ZEMBRAVALE_STATS", "1", 1);
    EXPECT_TRUE(RunStats::Requested());
    for (const char* off : {"0", "", "yes"}) {
        setenv("ZEMBRAVALE_STATS", off, 1);
        EXPECT_FALSE(RunStats::Requested()) << off;
    }
    unsetenv("ZEMBRAVALE_STATS");
    EXPECT_FALSE(RunStats::Requested());
}
