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
}

void AudioClock::Stop(int64_t now) {
    std::lock_guard lock(mutex);
    if (running) reported = std::max(reported, Estimate(now));
    running = false;
}

void AudioClock::Reset() {
    std::lock_guard lock(mutex);
    running = false;
    lastCallback = framesBefore = framesAfter = reported = 0;
}

bool AudioClock::Running() {
    std::lock_guard lock(mutex);
    return running;
}

int64_t AudioClock::Estimate(int64_t now) const {
    const int64_t elapsed = std::max<int64_t>(now - lastCallback, 0);
    // Healthy device: from the start of the latest hand-over at real speed, capped at its end.
    if (elapsed <= stallLimit) return std::min(framesBefore + FramesIn(elapsed), framesAfter);
    // Stalled device: on by itself from the end of the latest hand-over.
    return framesAfter + FramesIn(elapsed - stallLimit);
}

bool AudioClock::Stalled(int64_t now) {
    std::lock_guard lock(mutex);
    return running && now - lastCallback > stallLimit;
}

int64_t AudioClock::StallFrames(int64_t now) {
    std::lock_guard lock(mutex);
    if (!running) return 0;
    const int64_t elapsed = now - lastCallback;
    return elapsed > stallLimit ? FramesIn(elapsed - stallLimit) : 0;
}

void AudioClock::Handed(int64_t now, int64_t skipped, int64_t handed) {
    std::lock_guard lock(mutex);
    if (!running) return;
    lastCallback = now;
    framesBefore = framesAfter + skipped;
    framesAfter = framesBefore + handed;
}

int64_t AudioClock::Audible(int64_t now) {
    std::lock_guard lock(mutex);
    // Every hand-over starts where the previous one ended, so the estimate only grows, except by a
    // frame of rounding when a stalled clock hands back to the device: the reading is held then.
    if (running) reported = std::max(reported, Estimate(now));
    return reported;
}

}  // namespace audio
