// The music clock of the live back end, in frames of 44100 Hz, kept apart from SDL so its rules
// can be checked with made-up callback timings.
//
// The audio callback tells the clock, each time the device asks for sound, how many frames it
// hands over. Between two callbacks the audible position moves on with a steady clock from the
// first frame of the latest hand-over, but never past its last frame: the clock follows the
// samples (a device that eats sound faster than real time, like SDL's disk driver, makes the
// music run faster) and never gets ahead of what the device was given.
//
// A device that stops asking (lost, stuck or closed by someone else) must not freeze the program,
// whose frame loop waits for the music to reach its end time. So once no callback has come for
// the stall limit, the clock runs on by itself at real speed from where the device stopped; when
// callbacks return, the callback skips the track by as much as the clock ran alone, so picture and
// sound meet again.
//
// All times are steady-clock nanoseconds. One mutex guards the few numbers; both sides hold it
// only to copy them.
#pragma once

#include <cstdint>
#include <mutex>

namespace audio {

class AudioClock {
public:
    static constexpr int64_t kDefaultStallNanoseconds = 250'000'000;

    explicit AudioClock(int64_t stallNanoseconds = kDefaultStallNanoseconds);
    AudioClock(const AudioClock&) = delete;
    AudioClock& operator=(const AudioClock&) = delete;

    void SetStallLimit(int64_t stallNanoseconds);

    // Main thread, on Play: the clock counts from `frame` (the track's start unless a seek came
    // first), starting at `now`.
    void Start(int64_t now, int64_t frame = 0);
    // Main thread, under the audio lock, on a seek while running: the clock reads `frame` from
    // `now` on. The one step the reading may take backwards; from there it is monotonic again.
    void Jump(int64_t now, int64_t frame);
    // Main thread, on Free: the clock stops where it is and keeps that reading.
    void Stop(int64_t now);
    // Main thread, on a new Load: back to 0, not running.
    void Reset();
    bool Running();

    // Audio callback, first step: how many frames the clock has run on by itself because no
    // callback came within the stall limit (0 normally). The callback skips the track by as much.
    int64_t StallFrames(int64_t now);
    // Audio callback, second step: after skipping `skipped` frames it hands `handed` more frames
    // of music (or of the silence after the end) to the device.
    void Handed(int64_t now, int64_t skipped, int64_t handed);

    // Main thread: true while the clock runs on alone because no callback came within the stall
    // limit (the device stopped taking sound); false when not running.
    bool Stalled(int64_t now);

    // Main thread: the audible position in frames. Never decreases; never beyond the frames handed
    // over, unless the device stalled (see above).
    int64_t Audible(int64_t now);

private:
    int64_t Estimate(int64_t now) const;

    std::mutex mutex;
    int64_t stallLimit;
    bool running = false;
    int64_t lastCallback = 0;  // when the latest hand-over happened (or Start)
    int64_t framesBefore = 0;  // the clock's frame at the start of the latest hand-over
    int64_t framesAfter = 0;   // and at its end
    int64_t reported = 0;      // the largest position returned so far
};

// Frames played in `nanoseconds` at 44100 Hz, truncated.
int64_t FramesIn(int64_t nanoseconds);
// The steady clock in nanoseconds.
int64_t SteadyNanoseconds();

}  // namespace audio
