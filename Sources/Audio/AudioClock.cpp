// The live music clock: frames handed to the device, smoothed with a steady clock in between.
#include "Audio/AudioClock.h"

#include <algorithm>
#include <chrono>

#include "Audio/Mp3Decoder.h"

namespace audio {

int64_t FramesIn(int64_t nanoseconds) {
    return nanoseconds * kSampleRate / 1'000'000'000;
}

int64_t SteadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

AudioClock::AudioClock(int64_t stallNanoseconds) : stallLimit(stallNanoseconds) {}

void AudioClock::SetStallLimit(int64_t stallNanoseconds) {
    std::lock_guard lock(mutex);
    stallLimit = stallNanoseconds;
}

void AudioClock::Start(int64_t now, int64_t frame) {
    std::lock_guard lock(mutex);
    running = true;
    paused = wrapped = false;
    lastCallback = now;
    framesBefore = framesAfter = reported = frame;
}

void AudioClock::Jump(int64_t now, int64_t frame) {
    std::lock_guard lock(mutex);
    if (!running) return;
    // Until the next hand-over the estimate is capped at framesAfter: the clock holds at `frame`
    // instead of running ahead of sound the device has not been given yet.
    lastCallback = now;
    framesBefore = framesAfter = reported = frame;
    wrapped = false;
    ++jumps;
}

int64_t AudioClock::Pause(int64_t now) {
    std::lock_guard lock(mutex);
    if (running && !paused) {
        Advance(now);
        paused = true;
    }
    return reported;
}

int64_t AudioClock::Resume(int64_t now) {
    std::lock_guard lock(mutex);
    if (running && paused) {
        paused = wrapped = false;
        lastCallback = now;
        framesBefore = framesAfter = reported;
    }
    return reported;
}

bool AudioClock::Paused() {
    std::lock_guard lock(mutex);
    return paused;
}

void AudioClock::SetLoopEnd(int64_t end) {
    std::lock_guard lock(mutex);
    loopEnd = end;
}

void AudioClock::Stop(int64_t now) {
    std::lock_guard lock(mutex);
    if (running && !paused) Advance(now);
    running = paused = false;
}

void AudioClock::Reset() {
    std::lock_guard lock(mutex);
    running = paused = wrapped = false;
    lastCallback = framesBefore = framesAfter = reported = 0;
    loopEnd = -1;
}

bool AudioClock::Running() {
    std::lock_guard lock(mutex);
    return running;
}

int64_t AudioClock::Estimate(int64_t now) const {
    const int64_t elapsed = std::max<int64_t>(now - lastCallback, 0);
    int64_t estimate;
    if (elapsed > stallLimit) {
        // Stalled device: on by itself from the end of the latest hand-over.
        estimate = framesAfter + FramesIn(elapsed - stallLimit);
    } else if (!wrapped) {
        // Healthy device: from the start of the latest hand-over at real speed, capped at its end.
        estimate = std::min(framesBefore + FramesIn(elapsed), framesAfter);
    } else if (FramesIn(elapsed) < firstRun) {
        estimate = framesBefore + FramesIn(elapsed);  // still before the loop's end
    } else {
        // Between several wraps of a loop shorter than the buffer the reading holds at the start.
        estimate = wrapTo + std::clamp<int64_t>(FramesIn(elapsed) - lastRun, 0, framesAfter - wrapTo);
    }
    return loopEnd >= 0 ? std::min(estimate, loopEnd) : estimate;
}

void AudioClock::Advance(int64_t now) {
    const int64_t elapsed = now - lastCallback;
    if (wrapped && !wrapCounted &&
        (elapsed > stallLimit || FramesIn(std::max<int64_t>(elapsed, 0)) >= firstRun)) {
        // The one place besides Jump where the reading goes back.
        wrapCounted = true;
        ++jumps;
        reported = wrapTo;
    }
    // Every hand-over starts where the previous one ended, so the estimate only grows, except by a
    // frame of rounding when a stalled clock hands back to the device: the reading is held then.
    reported = std::max(reported, Estimate(now));
}

bool AudioClock::Stalled(int64_t now) {
    std::lock_guard lock(mutex);
    return running && !paused && now - lastCallback > stallLimit;
}

int64_t AudioClock::StallFrames(int64_t now) {
    std::lock_guard lock(mutex);
    if (!running || paused) return 0;
    const int64_t elapsed = now - lastCallback;
    return elapsed > stallLimit ? FramesIn(elapsed - stallLimit) : 0;
}

bool AudioClock::ReplaceHandOver(int64_t now, int64_t skipped, int64_t handed) {
    if (!running || paused) return false;
    if (wrapped && !wrapCounted) {
        // The device asks for more, so the wrap is being played: the reading goes back even if
        // nobody looked in between.
        ++jumps;
        reported = wrapTo;
    }
    lastCallback = now;
    framesBefore = framesAfter + skipped;
    framesAfter = framesBefore + handed;
    wrapped = false;
    return true;
}

void AudioClock::Handed(int64_t now, int64_t skipped, int64_t handed) {
    std::lock_guard lock(mutex);
    ReplaceHandOver(now, skipped, handed);
}

void AudioClock::HandedWrapping(int64_t now, int64_t skipped, int64_t handed, int64_t firstFrames,
                                int64_t lastFrames, int64_t to) {
    std::lock_guard lock(mutex);
    if (!ReplaceHandOver(now, skipped, handed)) return;
    framesAfter = to + handed - lastFrames;
    wrapped = true;
    wrapCounted = false;
    firstRun = firstFrames;
    lastRun = lastFrames;
    wrapTo = to;
}

int64_t AudioClock::Audible(int64_t now, int64_t* jumpCount) {
    std::lock_guard lock(mutex);
    if (running && !paused) Advance(now);
    if (jumpCount != nullptr) *jumpCount = jumps;
    return reported;
}

}  // namespace audio
