// The music clock driven by made-up callback timings: a real-time device and one that stops asking.
// (A device far faster than real time is the disk driver of the player tests.)
#include <gtest/gtest.h>

#include "Audio/AudioClock.h"

#include <utility>

using namespace audio;

namespace {
constexpr int64_t kMs = 1'000'000;
constexpr int64_t kBuffer = 1024;
constexpr int64_t kBufferNs = kBuffer * 1'000'000'000 / 44100;  // ~23.2 ms
constexpr int64_t kStallNs = 250 * kMs;
}  // namespace

// Between callbacks that come a little early or late, readings move on smoothly, never pass what
// was handed and never go back; over time they keep up with real time.
TEST(AudioClock, FollowsARealTimeDeviceSmoothlyWithoutGettingAhead) {
    AudioClock clock(kStallNs);
    clock.Start(0);
    int64_t handed = 0, last = 0, moves = 0;
    for (int64_t k = 0; k < 400; ++k) {
        const int64_t now = 5 * kMs + k * kBufferNs + (k % 3 - 1) * 4 * kMs;
        ASSERT_EQ(clock.StallFrames(now), 0);
        clock.Handed(now, 0, kBuffer);
        handed += kBuffer;
        for (int64_t step = 0; step < 8; ++step) {
            const int64_t reading = clock.Audible(now + step * kBufferNs / 8);
            ASSERT_GE(reading, last);
            ASSERT_LE(reading, handed);
            moves += reading != last;
            last = reading;
        }
    }
    EXPECT_GT(moves, 400 * 6);  // not in 23 ms steps
    EXPECT_FALSE(clock.Stalled(5 * kMs + 400 * kBufferNs));
    clock.Stop(5 * kMs + 400 * kBufferNs);
    EXPECT_FALSE(clock.Stalled(5 * kMs + 400 * kBufferNs + 10 * kStallNs));  // a stopped clock never stalls
    EXPECT_NEAR(static_cast<double>(last), static_cast<double>(FramesIn(5 * kMs + 400 * kBufferNs)),
                2.0 * kBuffer);
}

// No callback: the reading holds until the stall limit, then runs on at real speed; the next
// callback learns how far to skip, and the reading goes on from there without a jump back.
TEST(AudioClock, RunsOnAloneWhenTheDeviceStopsAndMeetsItAgain) {
    AudioClock clock(kStallNs);
    clock.Start(0);
    for (int64_t k = 0; k < 10; ++k) clock.Handed(k * kBufferNs, 0, kBuffer);
    const int64_t stopped = 9 * kBufferNs;
    EXPECT_EQ(clock.Audible(stopped + kStallNs), 10 * kBuffer);
    EXPECT_EQ(std::pair(clock.Stalled(stopped + kStallNs), clock.Stalled(stopped + kStallNs + 1)),
              std::pair(false, true));
    int64_t last = 0;
    for (int64_t t = stopped + kStallNs + 10 * kMs; t <= stopped + kStallNs + 2000 * kMs; t += 10 * kMs) {
        const int64_t reading = clock.Audible(t);
        ASSERT_GT(reading, last);
        last = reading;
    }
    EXPECT_NEAR(static_cast<double>(last), 10.0 * kBuffer + 2 * 44100, 1.0);

    const int64_t resume = stopped + kStallNs + 2000 * kMs;
    const int64_t skip = clock.StallFrames(resume);
    EXPECT_EQ(skip, last - 10 * kBuffer);
    clock.Handed(resume, skip, kBuffer);
    EXPECT_FALSE(clock.Stalled(resume + kBufferNs));
    EXPECT_NEAR(static_cast<double>(clock.Audible(resume + kBufferNs / 2)), last + kBuffer / 2.0, 2.0);
}

// The audio thread takes its time stamp, then the main thread reads the clock running alone, then
// the hand-back arrives with the earlier stamp: it skips less than the clock ran, and the reading
// must hold rather than step back.
TEST(AudioClock, AHandBackStampedBeforeTheLastReadingNeverStepsBack) {
    AudioClock clock(kStallNs);
    clock.Start(0);
    clock.Handed(0, 0, kBuffer);
    const int64_t stamped = kStallNs + 500 * kMs;
    const int64_t read = stamped + 400 * kMs;
    const int64_t before = clock.Audible(read);
    EXPECT_EQ(before, kBuffer + FramesIn(read - kStallNs));
    clock.Handed(stamped, clock.StallFrames(stamped), kBuffer);
    EXPECT_EQ(clock.Audible(read), before);
    EXPECT_EQ(clock.Audible(read + 100 * kMs), before);  // until the estimate catches up
}

// A clock started at a frame, or jumped to one (back or forth): the reading is that frame at once,
// holds there until the device is handed sound from it, then moves on from it and never goes back
// until the next jump. A jump before Start changes nothing.
TEST(AudioClock, StartsAndJumpsToAFrameAndIsMonotonicFromThere) {
    AudioClock clock(kStallNs);
    clock.Jump(0, 5000);
    EXPECT_EQ(clock.Audible(0), 0);
    clock.Start(0, 132300);
    EXPECT_EQ(clock.Audible(0), 132300);
    EXPECT_EQ(clock.Audible(100 * kMs), 132300) << "nothing handed yet";
    int64_t now = 200 * kMs;
    for (const int64_t target : {int64_t{500}, int64_t{1'000'000}, int64_t{0}}) {
        SCOPED_TRACE(target);
        for (int64_t k = 0; k < 5; ++k, now += kBufferNs) clock.Handed(now, 0, kBuffer);
        clock.Jump(now, target);
        EXPECT_EQ(clock.Audible(now), target);
        EXPECT_EQ(clock.Audible(now + 10 * kMs), target) << "nothing handed from there yet";
        int64_t last = target;
        for (int64_t k = 0; k < 20; ++k, now += kBufferNs) {
            clock.Handed(now, 0, kBuffer);
            const int64_t reading = clock.Audible(now + kBufferNs / 2);
            ASSERT_GE(reading, last);
            ASSERT_LE(reading, target + (k + 1) * kBuffer);
            last = reading;
        }
        EXPECT_GE(last, target + 19 * kBuffer);
    }
}

// A pause holds the reading exactly, however long it lasts (no steady-clock drift, no stall, hand-
// overs of the fade-out ignored); a seek while paused moves the held reading; the resume counts on
// from the held frame once sound from it is handed.
TEST(AudioClock, PauseHoldsTheReadingExactlyAndResumeCountsOnFromIt) {
    AudioClock clock(kStallNs);
    clock.Start(0);
    for (int64_t k = 0; k < 10; ++k) clock.Handed(k * kBufferNs, 0, kBuffer);
    const int64_t pausedAt = 9 * kBufferNs + kBufferNs / 2;
    int64_t jumps = -1;
    const int64_t held = clock.Pause(pausedAt);
    EXPECT_NEAR(static_cast<double>(held), 9.5 * kBuffer, 2.0);
    clock.Handed(pausedAt + kMs, 0, kBuffer);
    for (const int64_t later : {int64_t{0}, kMs, kStallNs + 1, 60'000 * kMs}) {
        EXPECT_EQ(clock.Audible(pausedAt + later, &jumps), held) << later;
        EXPECT_FALSE(clock.Stalled(pausedAt + later)) << later;
        EXPECT_EQ(clock.StallFrames(pausedAt + later), 0) << later;
    }
    EXPECT_EQ(jumps, 0);
    EXPECT_TRUE(clock.Paused());

    int64_t now = pausedAt + 70'000 * kMs;
    clock.Jump(now, 88200);
    EXPECT_EQ(clock.Audible(now + 500 * kMs, &jumps), 88200);
    EXPECT_EQ(jumps, 1);
    EXPECT_EQ(clock.Resume(now + 600 * kMs), 88200);
    EXPECT_FALSE(clock.Paused());
    now += 600 * kMs;
    EXPECT_EQ(clock.Audible(now + 10 * kMs), 88200) << "nothing handed from there yet";
    EXPECT_FALSE(clock.Stalled(now + 10 * kMs));
    clock.Handed(now + 10 * kMs, 0, kBuffer);
    EXPECT_NEAR(static_cast<double>(clock.Audible(now + 10 * kMs + kBufferNs / 2, &jumps)),
                88200 + kBuffer / 2.0, 2.0);
    EXPECT_EQ(jumps, 1);
}

// A loop from 2000 to 10000: the callback hands 1000 frames up to the end and 24 from the start.
// The reading climbs to the end, never past it, goes back to the start once the device is there
// (one jump) and climbs again; a wrap nobody looked at still counts once the next hand-over comes.
// A buffer that runs past the end without wrapping (the loop was set behind the sound) is held at
// the end.
TEST(AudioClock, FollowsTheWrapOfALoopWhenTheDevicePlaysIt) {
    AudioClock clock(kStallNs);
    clock.SetLoopEnd(10000);
    clock.Start(0, 9000);
    clock.HandedWrapping(0, 0, kBuffer, 1000, 1000, 2000);
    int64_t jumps = 0;
    for (int64_t frame = 0; frame <= kBuffer; frame += 8) {
        const int64_t reading = clock.Audible(frame * 1'000'000'000 / 44100 + 1, &jumps);
        if (frame < 1000) {
            ASSERT_EQ(reading, 9000 + frame);
            ASSERT_EQ(jumps, 0);
        } else {
            ASSERT_EQ(reading, 2000 + frame - 1000);
            ASSERT_EQ(jumps, 1);
        }
    }
    // Two wraps without a reading between them: both count.
    clock.HandedWrapping(kBufferNs, 0, kBuffer, 0, 0, 2000);
    clock.Handed(2 * kBufferNs, 0, kBuffer);
    EXPECT_EQ(clock.Audible(2 * kBufferNs, &jumps), 2000 + kBuffer);
    EXPECT_EQ(jumps, 2);

    // No wrap in the hand-over although it ends past the loop's end: held at the end.
    clock.Jump(3 * kBufferNs, 9500);
    clock.Handed(3 * kBufferNs, 0, kBuffer);
    EXPECT_EQ(clock.Audible(4 * kBufferNs), 10000);
    clock.SetLoopEnd(-1);
    EXPECT_EQ(clock.Audible(5 * kBufferNs), 9500 + kBuffer);
}
