// Figures of one live run, printed at exit when ZEMBRAVALE_STATS=1 is in the environment: frames
// presented, mean and worst frame time, whether the music clock ever stepped back or jumped, and
// the audio buffers the device asked for late. Without the switch nothing is measured or printed.
// Counting a frame is a few arithmetic steps: no allocation, no I/O.
#pragma once

#include <cstdint>
#include <cstdio>

class RunStats {
public:
    // A music-clock step that outruns the wall clock by more than this between two frames counts as
    // a jump. A long frame is not one: the music rightly moves on by as long as the frame took.
    static constexpr double kJumpSeconds = 0.050;

    // True when the environment asks for the figures.
    static bool Requested();

    // Call once per presented frame with the frame's music time and the steady clock in seconds read
    // right beside it.
    void Frame(double wallSeconds, float musicTime);
    // The report, one figure a line, each line starting with "stats: ".
    void Print(std::FILE* out, int64_t audioBuffers, int64_t lateAudioBuffers) const;

    int64_t frames = 0;
    double firstWall = 0.0;
    double lastWall = 0.0;
    double worstFrame = 0.0;  // seconds between two presented frames
    int64_t slowFrames = 0;   // frames over 1/30 s
    float firstMusic = 0.0f;
    float lastMusic = 0.0f;
    float largestStep = 0.0f;  // largest forward step of the music clock between frames
    int64_t backwardSteps = 0;
    int64_t jumps = 0;  // steps ahead of the wall clock by over kJumpSeconds
};
