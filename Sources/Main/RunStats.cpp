// The live run's figures (see RunStats.h).
#include "Main/RunStats.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

bool RunStats::Requested() {
    const char* value = std::getenv("ZEMBRAVALE_STATS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

void RunStats::Frame(double wallSeconds, float musicTime) {
    if (frames == 0) {
        firstWall = wallSeconds;
        firstMusic = musicTime;
    } else {
        const double frameTime = wallSeconds - lastWall;
        worstFrame = std::max(worstFrame, frameTime);
        slowFrames += frameTime > 1.0 / 30.0 ? 1 : 0;
        const float step = musicTime - lastMusic;
        // NaN readings are neither: the comparisons below are false for them.
        if (step < 0.0f) ++backwardSteps;
        if (step - frameTime > kJumpSeconds) ++jumps;
        largestStep = std::max(largestStep, step);
    }
    lastWall = wallSeconds;
    lastMusic = musicTime;
    ++frames;
}

void RunStats::Print(std::FILE* out, int64_t audioBuffers, int64_t lateAudioBuffers) const {
    const double span = lastWall - firstWall;
    const double meanFrame = frames > 1 ? span / static_cast<double>(frames - 1) : 0.0;
    std::fprintf(out, "stats: frames presented %lld in %.3f s, music %.3f s to %.3f s\n",
                 static_cast<long long>(frames), span, static_cast<double>(firstMusic),
                 static_cast<double>(lastMusic));
    std::fprintf(out, "stats: frame time mean %.3f ms, worst %.3f ms, over 33.3 ms %lld\n",
                 meanFrame * 1000.0, worstFrame * 1000.0, static_cast<long long>(slowFrames));
    std::fprintf(
        out,
        "stats: music clock %s: %lld steps back, %lld jumps ahead of the wall clock by over %.0f ms, "
        "largest step %.3f ms\n",
        backwardSteps == 0 && jumps == 0 ? "monotonic" : "NOT monotonic",
        static_cast<long long>(backwardSteps), static_cast<long long>(jumps), kJumpSeconds * 1000.0,
        static_cast<double>(largestStep) * 1000.0);
    std::fprintf(out, "stats: audio buffers %lld, handed late %lld\n", static_cast<long long>(audioBuffers),
                 static_cast<long long>(lateAudioBuffers));
    std::fflush(out);
}
