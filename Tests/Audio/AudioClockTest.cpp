// The music clock driven by made-up callback timings: a real-time device, one that eats sound much
// faster (SDL's disk driver), one that stops, and the states around playback.
#include "Audio/AudioClock.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace audio;

namespace {

constexpr int64_t kMs = 1'000'000;
constexpr int64_t kBufferFrames = 1024;
constexpr int64_t kBufferNs = kBufferFrames * 1'000'000'000 / 44100;  // ~23.2 ms
constexpr int64_t kStallNs = 250 * kMs;

}  // namespace

// Readings between callbacks move on smoothly, never pass what was handed and never go back, even
// when callbacks come a little early or late; over time they keep up with real time.
TEST(AudioClock, FollowsARealTimeDeviceSmoothlyWithoutGettingAhead) {
    AudioClock clock(kStallNs);
    clock.Start(0);
    int64_t handed = 0;
    int64_t last = 0;
    int64_t distinct = 0;
    for (int64_t k = 0; k < 400; ++k) {
        const int64_t jitter = (k % 3 == 0 ? -4 : k % 3 == 1 ? 3 : 0) * kMs;
        const int64_t now = 5 * kMs + k * kBufferNs + jitter;
        ASSERT_EQ(clock.StallFrames(now), 0);
        clock.Handed(now, 0, kBufferFrames);
        handed += kBufferFrames;
        for (int64_t step = 0; step < 8; ++step) {
            const int64_t reading = clock.Audible(now + step * kBufferNs / 8);
            ASSERT_GE(reading, last);
            ASSERT_LE(reading, handed);
            distinct += reading != last ? 1 : 0;
            last = reading;
        }
    }
    EXPECT_GT(distinct, 400 * 6);  // moves within a buffer, not in 23 ms steps
    const int64_t realFrames = FramesIn(5 * kMs + 400 * kBufferNs);
    EXPECT_NEAR(static_cast<double>(last), static_cast<double>(realFrames), 2.0 * kBufferFrames);
}

// A device that asks for a buffer every 20 microseconds plays 245 s in about 5 s: the clock follows
// the samples, it is not held back to real time.
TEST(AudioClock, FollowsADeviceFasterThanRealTime) {
    AudioClock clock(kStallNs);
    clock.Start(0);
    constexpr int64_t kCallbacks = 10560;  // 245.2 s of sound
    int64_t now = 0;
    for (int64_t k = 0; k < kCallbacks; ++k) {
        now = k * 20'000;
        clock.Handed(now, clock.StallFrames(now), kBufferFrames);
    }
    const int64_t reading = clock.Audible(now + 10'000);
    EXPECT_GE(reading, (kCallbacks - 1) * kBufferFrames);
    EXPECT_LE(reading, kCallbacks * kBufferFrames);
    EXPECT_GE(static_cast<double>(reading) / 44100.0, 245.0);
}

// When callbacks stop, the reading holds at the last hand-over until the stall limit, then runs
// on at real speed; the next callback learns how far to skip so sound and clock meet again.
TEST(AudioClock, RunsOnAloneWhenTheDeviceStopsAndMeetsItAgain) {
    AudioClock clock(kStallNs);
    clock.Start(0);
    int64_t now = 0;
    for (int64_t k = 0; k < 10; ++k) {
        now = k * kBufferNs;
        clock.Handed(now, 0, kBufferFrames);
    }
    const int64_t handed = 10 * kBufferFrames;
    EXPECT_EQ(clock.Audible(now + kStallNs), handed);

    int64_t last = 0;
    for (int64_t t = now + kStallNs + 10 * kMs; t <= now + kStallNs + 2000 * kMs; t += 10 * kMs) {
        const int64_t reading = clock.Audible(t);
        ASSERT_GT(reading, last);
        last = reading;
    }
    EXPECT_NEAR(static_cast<double>(last), static_cast<double>(handed + 2 * 44100), 1.0);

    const int64_t resume = now + kStallNs + 2000 * kMs;
    const int64_t skip = clock.StallFrames(resume);
    EXPECT_EQ(skip, last - handed);
    clock.Handed(resume, skip, kBufferFrames);
    EXPECT_EQ(clock.StallFrames(resume + kMs), 0);
    const int64_t after = clock.Audible(resume + kBufferNs / 2);
    EXPECT_GE(after, last);
    EXPECT_NEAR(static_cast<double>(after), static_cast<double>(last + kBufferFrames / 2), 2.0);
}

// Before Play it reads 0 whatever the callbacks do; a callback that hands nothing (the decoder is
// behind) holds it; after Stop it keeps its last reading; Reset goes back to 0.
TEST(AudioClock, StandsStillOutsidePlaybackAndDuringAnUnderrun) {
    AudioClock clock(kStallNs);
    clock.Handed(10 * kMs, 0, kBufferFrames);
    EXPECT_EQ(clock.Audible(20 * kMs), 0);
    EXPECT_EQ(clock.StallFrames(10'000 * kMs), 0);

    clock.Start(100 * kMs);
    clock.Handed(110 * kMs, 0, kBufferFrames);
    for (int64_t k = 1; k <= 20; ++k) clock.Handed(110 * kMs + k * kBufferNs, 0, 0);
    EXPECT_EQ(clock.Audible(110 * kMs + 21 * kBufferNs), kBufferFrames);

    clock.Handed(200 * kMs, 0, kBufferFrames);
    clock.Stop(200 * kMs + kBufferNs / 2);
    const int64_t stopped = clock.Audible(200 * kMs + kBufferNs / 2);
    EXPECT_NEAR(static_cast<double>(stopped), 1.5 * kBufferFrames, 1.0);
    EXPECT_EQ(clock.Audible(100'000 * kMs), stopped);
    EXPECT_FALSE(clock.Running());

    clock.Reset();
    EXPECT_EQ(clock.Audible(200'000 * kMs), 0);
}
