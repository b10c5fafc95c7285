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
// The preview moves the clock about: a pause holds the reading exactly where it is until the
// resume; a seek jumps it; a loop wraps it from the loop's end back to its start, at the moment the
// device plays the wrap. Every jump back or forth bumps a counter, read together with the position,
// so the picture can jump with the music.
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
    // Main thread, under the audio lock, on a seek while running (paused too): the clock reads
    // `frame` from `now` on, and the jump counter moves. Besides a wrap, the one step the reading
    // may take backwards; from there it is monotonic again.
    void Jump(int64_t now, int64_t frame);
    // Main thread, under the audio lock: the reading stops where it is and keeps exactly that value
    // until Resume (no steady-clock drift, no stall). Returns the held frame, where the sound
    // resumes. Nothing happens when not running or paused already.
    int64_t Pause(int64_t now);
    // Main thread, under the audio lock: counts on from the held frame (or where a seek put it
    // while paused), as after Start, and returns that frame.
    int64_t Resume(int64_t now);
    bool Paused();
    // Main thread, under the audio lock: while a loop ends at `end` (-1: no loop), the reading never
    // passes it; the callback reports the wraps (HandedWrapping).
    void SetLoopEnd(int64_t end);
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
    // Audio callback, in place of Handed for a hand-over in which the loop wrapped: after
    // `firstRun` frames the position went back to `to`, and after the last wrap (`lastRun` frames
    // in; the same as firstRun unless the loop is shorter than the buffer) it counted on from `to`.
    void HandedWrapping(int64_t now, int64_t skipped, int64_t handed, int64_t firstRun, int64_t lastRun,
                        int64_t to);

    // Main thread: true while the clock runs on alone because no callback came within the stall
    // limit (the device stopped taking sound); false when not running.
    bool Stalled(int64_t now);

    // Main thread: the audible position in frames. Never decreases between jumps; never beyond the
    // frames handed over, unless the device stalled (see above); never past a loop's end. With
    // `jumps`, also the number of jumps (seeks and wraps) the reading has taken so far.
    int64_t Audible(int64_t now, int64_t* jumps = nullptr);

private:
    // All under the mutex, while running and not paused (ReplaceHandOver checks that itself).
    int64_t Estimate(int64_t now) const;
    void Advance(int64_t now);
    bool ReplaceHandOver(int64_t now, int64_t skipped, int64_t handed);

    std::mutex mutex;
    int64_t stallLimit;
    bool running = false;
    int64_t lastCallback = 0;  // when the latest hand-over happened (or Start)
    int64_t framesBefore = 0;  // the clock's frame at the start of the latest hand-over
    int64_t framesAfter = 0;   // and at its end
    int64_t reported = 0;      // the largest position returned since the latest jump
    bool paused = false;       // `reported` is held
    int64_t loopEnd = -1;      // readings never pass it; -1: no loop
    // A wrap inside the latest hand-over: after `firstRun` frames back to `wrapTo`, counting on
    // from there after `lastRun` frames. Counted as a jump once the reading gets there.
    bool wrapped = false;
    bool wrapCounted = false;
    int64_t firstRun = 0;
    int64_t lastRun = 0;
    int64_t wrapTo = 0;
    int64_t jumps = 0;
};

// Frames played in `nanoseconds` at 44100 Hz, truncated.
int64_t FramesIn(int64_t nanoseconds);
// The steady clock in nanoseconds.
int64_t SteadyNanoseconds();

}  // namespace audio
