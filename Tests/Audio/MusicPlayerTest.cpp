// The player and its back end on a real SDL audio device: the disk driver, which writes the sound
// to a file (or /dev/null) as fast as it can, so seconds of music pass in a moment.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "Audio/AudioBackend.h"
#include "Audio/MusicPlayer.h"
#include "Production/MusicSource.h"
#include "Support/Mp3Fixture.h"
#include "Utils/Environment.h"
#include "Utils/Platform.h"

using testing_support::EncodeMp3;
using testing_support::StereoTone;

namespace {

// SDL's disk driver writing to `file`, waiting `delayMs` per buffer (0: as fast as it can). The
// variables are read when the device opens; every test sets its own.
void UseDiskAudio(const std::string& file = platform::NullDevice(), int delayMs = 0) {
    platform::SetEnvironment("SDL_AUDIODRIVER", "disk");
    platform::SetEnvironment("SDL_DISKAUDIOFILE", file);
    platform::SetEnvironment("SDL_DISKAUDIODELAY", std::to_string(delayMs));
}

// A guard against hanging, not a speed check: the disk driver needs well under a second here.
bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    return done();
}

}  // namespace

// What must be refused and what must be harmless, in the order start-up and shutdown meet them:
// calls out of order, data that does not play, and seeks and loops the player cannot honour,
// which change nothing.
TEST(MusicPlayer, RefusesOutOfOrderCallsUnplayableDataAndSeeksOrLoopsItCannotHonour) {
    UseDiskAudio();
    const std::vector<char> mp3 = EncodeMp3(StereoTone(440.0, 0.5));  // 22050 frames
    const auto size = static_cast<int32_t>(mp3.size());
    const std::string garbage(5000, 'g');
    MusicPlayer music;
    EXPECT_FALSE(music.Load(mp3.data(), size));  // before Init
    EXPECT_FALSE(music.Play());
    EXPECT_FALSE(music.SetVolume(100));
    music.Init();
    ASSERT_TRUE(music.ready);
    EXPECT_FALSE(music.Seek(1.0));  // before Load
    EXPECT_FALSE(music.SetLoop(0.0, 0.25));
    for (const auto& [data, length] : {std::pair{static_cast<const char*>(nullptr), 1000},
                                       {mp3.data(), 0},
                                       {mp3.data(), -5},
                                       {garbage.data(), 5000},
                                       {mp3.data(), 64}}) {
        EXPECT_FALSE(music.Load(data, length)) << length;
        EXPECT_FALSE(music.Play());
    }
    ASSERT_TRUE(music.Load(mp3.data(), size));
    EXPECT_FALSE(music.SetVolume(101));
    EXPECT_FALSE(music.SetVolume(-1));
    EXPECT_TRUE(music.SetVolume(0));
    EXPECT_EQ(music.Time(), 0.0f);  // loaded, not playing yet
    EXPECT_FALSE(music.Resume());   // resuming needs a playing track
    for (const double seconds : {-0.001, -5.0, std::nan(""), HUGE_VAL, 1e9}) {
        EXPECT_FALSE(music.Seek(seconds)) << seconds;
    }
    for (const auto& [start, end] : {std::pair{0.2, 0.2},
                                     {0.3, 0.2},
                                     {-0.1, 0.2},
                                     {std::nan(""), 0.2},
                                     {0.0, std::nan("")},
                                     {0.0, HUGE_VAL},
                                     {0.0, 22051.0 / 44100},
                                     {0.0, 99.0}}) {
        EXPECT_FALSE(music.SetLoop(start, end)) << start << " " << end;
        EXPECT_FALSE(music.Looping());
    }
    EXPECT_TRUE(music.SetLoop(0.0, 0.5));  // up to the track's very end
    EXPECT_TRUE(music.Looping());
    music.ClearLoop();
    EXPECT_FALSE(music.Looping());
    ASSERT_TRUE(music.Play());
    EXPECT_LT(music.Time(), 0.5f);  // the track still starts at its beginning
    music.Free();
    music.Free();
    EXPECT_FALSE(music.ready);
    EXPECT_FALSE(music.Play());
    EXPECT_FALSE(music.Load(mp3.data(), size));
}

// A 2 s track driven the way the frame loop does it: the clock never goes back, the spectrum shows
// the tone while it sounds and silence after it, and the clock runs on past the end.
TEST(MusicPlayer, PlaysAShortTrackAndItsClockRunsOnPastTheEnd) {
    UseDiskAudio(platform::NullDevice(),
                 4);  // ~6 times real time: slow enough for many frames during the tone
    const std::vector<char> mp3 = EncodeMp3(StereoTone(1000.0, 2.0));
    MusicPlayer music;
    platform::ScopedMusicClock seam(&music);
    music.Init();
    ASSERT_TRUE(music.Load(mp3.data(), static_cast<int32_t>(mp3.size())));
    ASSERT_TRUE(music.Play());
    float last = 0.0f;
    int toneFrames = 0, wrongPeaks = 0;
    EXPECT_TRUE(WaitFor([&] {
        // The spectrum is taken at a position between the two readings.
        const float before = platform::MusicTime();
        music.Update();
        const float now = platform::MusicTime();
        EXPECT_GE(before, last);
        EXPECT_GE(now, before);
        if (before > 0.2f && now < 1.8f) {  // 1000 Hz lies in bin 1000 / (44100 / 2048) = 46.4
            const float* peak = std::max_element(music.spectrum, music.spectrum + 1024);
            ++toneFrames;
            wrongPeaks += peak - music.spectrum != 46 || *peak < 0.1f;
        }
        last = now;
        return now >= 4.0f;
    })) << "the music clock stopped at "
        << last;
    EXPECT_GT(toneFrames, 0);
    EXPECT_EQ(wrongPeaks, 0);
    music.Update();
    EXPECT_EQ(*std::max_element(music.spectrum, music.spectrum + 1024), 0.0f);

    music.Free();
    const float stopped = music.Time();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(music.Time(), stopped);
}

// The device gets the decoded track with the volume applied, sample for sample, then silence; the
// end callback fires exactly once although the device keeps asking for more.
TEST(AudioBackend, HandsTheDecodedTrackToTheDeviceThenSilenceAndEndsOnce) {
    const std::string path = testing::TempDir() + "zembravale-audio-output.raw";
    UseDiskAudio(path);
    const std::vector<char> mp3 = EncodeMp3(testing_support::SyntheticMusic(1.0));
    std::vector<int16_t> expected;
    ASSERT_TRUE(audio::DecodeMp3(mp3.data(), mp3.size(), expected));
    for (int16_t& sample : expected) sample = static_cast<int16_t>(sample * 50 / 100);

    AudioBackend backend;
    std::atomic<int> ends{0};
    backend.SetEndCallback([](void* counter) { static_cast<std::atomic<int>*>(counter)->fetch_add(1); },
                           &ends);
    ASSERT_TRUE(backend.Open());
    ASSERT_TRUE(backend.Load(mp3.data(), mp3.size()));
    ASSERT_TRUE(backend.SetVolume(50));
    ASSERT_TRUE(backend.Play());
    EXPECT_TRUE(WaitFor([&] { return backend.PositionSeconds() >= 3.0; }));
    backend.Close();
    backend.Close();
    EXPECT_EQ(ends.load(), 1);
    EXPECT_EQ(backend.DecodedFrames(), 0);  // the track is gone

    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    std::vector<int16_t> written(bytes.size() / 2);
    std::memcpy(written.data(), bytes.data(), written.size() * 2);
    // Line the track up on its first sound, in case the device started with silence.
    const auto firstSound = [](const std::vector<int16_t>& s) {
        return std::find_if(s.begin(), s.end(), [](int16_t v) { return v != 0; }) - s.begin();
    };
    const auto offset = firstSound(written) - firstSound(expected);
    ASSERT_TRUE(offset >= 0 && offset % 2 == 0) << offset;
    ASSERT_GE(written.size(), offset + expected.size() + 44100 * 2);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), written.begin() + offset));
    const auto after = written.begin() + offset + static_cast<std::ptrdiff_t>(expected.size());
    EXPECT_TRUE(std::all_of(after, after + 44100 * 2, [](int16_t v) { return v == 0; }));
}

// A device asking for sound once a second must not hold the music back: after the stall limit the
// clock runs on at real speed (a 0.8 s sleep lasts at least that long, however busy the machine).
TEST(AudioBackend, ClockRunsOnWhenTheDeviceStopsAsking) {
    UseDiskAudio(platform::NullDevice(), 1000);
    const std::vector<char> mp3 = EncodeMp3(StereoTone(440.0, 3.0));
    AudioBackend backend;
    ASSERT_TRUE(backend.Open());
    ASSERT_TRUE(backend.Load(mp3.data(), mp3.size()));
    ASSERT_TRUE(backend.Play());
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_GE(backend.PositionSeconds(), 0.3);
}

// A device that stops taking sound (here the disk driver writing to a full disk) must not leave the
// run silent without a word: one line says so, once for that stop, and the clock goes on.
TEST(MusicPlayer, SaysOnceThatTheSoundStopped) {
    const std::vector<char> mp3 = EncodeMp3(StereoTone(440.0, 3.0));
    for (const auto& [file, expected] :
         {std::pair(platform::NullDevice(), ""),
          std::pair("/dev/full",
                    "zembravale: the sound stopped: the audio device takes no more sound; the "
                    "pictures go on by the clock\n")}) {
        SCOPED_TRACE(file);
        UseDiskAudio(file, 5);
        MusicPlayer music;
        music.Init();
        ASSERT_TRUE(music.ready);
        ASSERT_TRUE(music.Load(mp3.data(), static_cast<int32_t>(mp3.size())));
        testing::internal::CaptureStderr();
        ASSERT_TRUE(music.Play());
        // Well past the stall limit of 250 ms, on the steady clock whatever the device does.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(700);
        while (std::chrono::steady_clock::now() < until) {
            music.Time();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        const float reached = music.Time();
        music.Free();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);
        EXPECT_GE(reached, 0.3f);
    }
}

namespace {

std::vector<int16_t> ReadSamples(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// Where 4096 samples of the track from `frame` on first appear in what the device got, at or after
// sample `after`, or -1.
std::ptrdiff_t FindTrackAt(const std::vector<int16_t>& written, const std::vector<int16_t>& track,
                           int64_t frame, std::ptrdiff_t after = 0) {
    if (static_cast<std::ptrdiff_t>(written.size()) <= after) return -1;
    const auto from = track.begin() + frame * 2;
    const auto found = std::search(written.begin() + after, written.end(), from, from + 4096);
    return found == written.end() ? -1 : found - written.begin();
}

}  // namespace

// A seek before Play: the first sound the device gets is the track from the sought sample on (not
// one sample early or late), and the clock starts there.
TEST(MusicPlayer, StartsPlayingAtTheSoughtSample) {
    const std::vector<char> mp3 = EncodeMp3(testing_support::SyntheticMusic(2.0));
    std::vector<int16_t> track;
    ASSERT_TRUE(audio::DecodeMp3(mp3.data(), mp3.size(), track));
    const std::string path = testing::TempDir() + "zembravale-seek-output.raw";
    for (const double seconds : {0.0, 0.5, 1.0 / 44100, 33333.0 / 44100, 1.25}) {
        const auto frame = static_cast<int64_t>(std::llround(seconds * 44100));
        UseDiskAudio(path);
        {
            MusicPlayer music;
            music.Init();
            ASSERT_TRUE(music.Load(mp3.data(), static_cast<int32_t>(mp3.size())));
            ASSERT_TRUE(music.Seek(seconds));
            ASSERT_TRUE(music.Play());
            EXPECT_GE(music.Time(), static_cast<float>(seconds) - 1e-6f) << seconds;
            EXPECT_TRUE(WaitFor([&] { return music.Time() >= 2.5f; }));
        }
        const std::vector<int16_t> written = ReadSamples(path);
        std::remove(path.c_str());
        const std::ptrdiff_t at = FindTrackAt(written, track, frame);
        ASSERT_GE(at, 0) << seconds;
        // Only the silence of a device not yet started may come before it.
        EXPECT_TRUE(std::all_of(written.begin(), written.begin() + at, [](int16_t v) { return v == 0; }))
            << seconds;
    }
}

// A seek while playing: the device gets the track from the sought sample on at its next buffer,
// the clock jumps there (back or forth) and is monotonic again from there.
TEST(MusicPlayer, SeeksWhilePlaying) {
    const std::vector<char> mp3 = EncodeMp3(testing_support::SyntheticMusic(3.0));
    std::vector<int16_t> track;
    ASSERT_TRUE(audio::DecodeMp3(mp3.data(), mp3.size(), track));
    const std::string path = testing::TempDir() + "zembravale-seek-playing.raw";
    for (const int64_t frame : {int64_t{7}, int64_t{99999}}) {
        UseDiskAudio(path, 2);
        {
            MusicPlayer music;
            music.Init();
            ASSERT_TRUE(music.Load(mp3.data(), static_cast<int32_t>(mp3.size())));
            ASSERT_TRUE(music.Play());
            ASSERT_TRUE(WaitFor([&] { return music.Time() >= 1.0f; }));
            ASSERT_TRUE(music.Seek(static_cast<double>(frame) / 44100));
            const float sought = static_cast<float>(frame) / 44100;
            float last = music.Time();
            EXPECT_NEAR(last, sought, 1e-4f) << frame;
            EXPECT_TRUE(WaitFor([&] {
                const float now = music.Time();
                EXPECT_GE(now, last);
                last = now;
                return now >= sought + 0.5f;
            }));
        }
        const std::vector<int16_t> written = ReadSamples(path);
        std::remove(path.c_str());
        // After the first second, once the cross-fade into it is over.
        EXPECT_GE(FindTrackAt(written, track, frame + AudioBackend::kFadeFrames, 44100 * 2), 0) << frame;
    }
}

namespace {

constexpr int kFade = AudioBackend::kFadeFrames;

// Of the kFade frames at sample `at` of what the device got, how many differ from the track at
// `from` fading out while the track at `to` fades in (-1: nothing there), at volume 100:
// (old * (kFade - i) + new * i) / kFade, truncated toward zero.
int FadeMismatches(const std::vector<int16_t>& written, std::ptrdiff_t at, const std::vector<int16_t>& track,
                   int64_t from, int64_t to) {
    if (at < 0 || at + 2 * kFade > static_cast<std::ptrdiff_t>(written.size())) return kFade;
    int mismatches = 0;
    for (int64_t i = 0; i < kFade; ++i) {
        for (int64_t c = 0; c < 2; ++c) {
            int64_t mixed = 0;
            if (from >= 0) mixed += int64_t{track[(from + i) * 2 + c]} * (kFade - i);
            if (to >= 0) mixed += int64_t{track[(to + i) * 2 + c]} * i;
            if (written[at + i * 2 + c] != mixed / kFade) {
                ++mismatches;
                break;
            }
        }
    }
    return mismatches;
}

// The track frame that follows the 1024 frames the device got just before sample `at`, or -1.
int64_t TrackFrameBefore(const std::vector<int16_t>& written, std::ptrdiff_t at,
                         const std::vector<int16_t>& track) {
    if (at < 2048) return -1;
    const auto found =
        std::search(track.begin(), track.end(), written.begin() + at - 2048, written.begin() + at);
    return found == track.end() ? -1 : (found - track.begin()) / 2 + 1024;
}

// Where 4096 samples of the track from `frame` on last appear in what the device got, or -1.
std::ptrdiff_t FindLastTrackAt(const std::vector<int16_t>& written, const std::vector<int16_t>& track,
                               int64_t frame) {
    const auto from = track.begin() + frame * 2;
    const auto found = std::find_end(written.begin(), written.end(), from, from + 4096);
    return found == written.end() ? -1 : found - written.begin();
}

}  // namespace

// A pause longer than the stall limit: the clock reads the same on every call and no line says
// the sound stopped; the sound fades out where the device was, stays silent, and fades in again
// from exactly the frame the clock held.
TEST(MusicPlayer, PauseHoldsTheClockAndResumesFromTheSameSample) {
    const std::vector<char> mp3 = EncodeMp3(testing_support::SyntheticMusic(3.0));
    std::vector<int16_t> track;
    ASSERT_TRUE(audio::DecodeMp3(mp3.data(), mp3.size(), track));
    const std::string path = testing::TempDir() + "zembravale-pause.raw";
    UseDiskAudio(path, 2);
    float held = 0.0f;
    {
        MusicPlayer music;
        music.Init();
        ASSERT_TRUE(music.Load(mp3.data(), static_cast<int32_t>(mp3.size())));
        EXPECT_FALSE(music.Pause());  // not playing yet
        ASSERT_TRUE(music.Play());
        ASSERT_TRUE(WaitFor([&] { return music.Time() >= 0.7f; }));
        testing::internal::CaptureStderr();
        ASSERT_TRUE(music.Pause());
        EXPECT_FALSE(music.Pause());
        EXPECT_TRUE(music.Paused());
        held = music.Time();
        int changed = 0;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
        while (std::chrono::steady_clock::now() < until) {
            changed += music.Time() != held;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_EQ(changed, 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        ASSERT_TRUE(music.Resume());
        EXPECT_FALSE(music.Resume());
        float last = music.Time();
        EXPECT_GE(last, held);
        EXPECT_TRUE(WaitFor([&] {
            const float now = music.Time();
            EXPECT_GE(now, last);
            last = now;
            return now >= held + 0.5f;
        }));
        EXPECT_EQ(music.Jumps(), 0);
    }
    const std::vector<int16_t> written = ReadSamples(path);
    std::remove(path.c_str());
    const int64_t resumeFrame = std::llround(static_cast<double>(held) * 44100);

    // Played from the start until the pause: line the track up on its first sound.
    const auto firstSound = [](const std::vector<int16_t>& s) {
        return std::find_if(s.begin(), s.end(), [](int16_t v) { return v != 0; }) - s.begin();
    };
    const std::ptrdiff_t offset = firstSound(written) - firstSound(track);
    ASSERT_TRUE(offset >= 0 && offset % 2 == 0) << offset;
    const auto [writtenEnd, trackEnd] =
        std::mismatch(written.begin() + offset, written.end(), track.begin(), track.end());
    const int64_t firstDifferent = (trackEnd - track.begin()) / 2;
    // The fade-out's first frame is still at full level; a quiet frame may round to the track too.
    int64_t pausedAt = -1;
    for (int64_t frame = std::max<int64_t>(firstDifferent - 16, 0); frame < firstDifferent; ++frame) {
        if (FadeMismatches(written, offset + frame * 2, track, frame, -1) == 0) pausedAt = frame;
    }
    ASSERT_GE(pausedAt, 0) << "no fade-out near frame " << firstDifferent;
    // The device was handed sound a little ahead of what it played.
    EXPECT_GE(pausedAt, resumeFrame);
    EXPECT_LT(pausedAt - resumeFrame, 8192);

    const std::ptrdiff_t silence = offset + (pausedAt + kFade) * 2;
    const std::ptrdiff_t resumed = FindLastTrackAt(written, track, resumeFrame + kFade) - kFade * 2;
    ASSERT_GT(resumed, silence + 44100 / 10);  // a pause of 0.4 s at ~10 times real time
    EXPECT_TRUE(
        std::all_of(written.begin() + silence, written.begin() + resumed, [](int16_t v) { return v == 0; }));
    EXPECT_EQ(FadeMismatches(written, resumed, track, -1, resumeFrame), 0);
}

// A seek back and one forth while playing, to times between two samples: the clock jumps to the
// nearest sample at once (one jump) and climbs from there; the device gets the old position
// cross-faded into that sample, then the track itself.
TEST(MusicPlayer, SeekCrossFadesIntoTheSoughtSample) {
    const std::vector<char> mp3 = EncodeMp3(testing_support::SyntheticMusic(3.0));
    std::vector<int16_t> track;
    ASSERT_TRUE(audio::DecodeMp3(mp3.data(), mp3.size(), track));
    const std::string path = testing::TempDir() + "zembravale-seek-fade.raw";
    for (const auto& [seconds, frame] : {std::pair{(22057 - 0.4) / 44100, int64_t{22057}},
                                         std::pair{(88233 + 0.4) / 44100, int64_t{88233}}}) {
        SCOPED_TRACE(frame);
        UseDiskAudio(path, 2);
        {
            MusicPlayer music;
            music.Init();
            ASSERT_TRUE(music.Load(mp3.data(), static_cast<int32_t>(mp3.size())));
            ASSERT_TRUE(music.Play());
            ASSERT_TRUE(WaitFor([&] { return music.Time() >= 1.0f; }));
            const int64_t jumps = music.Jumps();
            ASSERT_TRUE(music.Seek(seconds));
            const float sought = static_cast<float>(static_cast<double>(frame) / 44100);
            float last = music.Time();
            EXPECT_GE(last, sought);
            EXPECT_LT(last, sought + 0.25f);  // a few buffers at most, on a busy machine
            EXPECT_EQ(music.Jumps(), jumps + 1);
            EXPECT_TRUE(WaitFor([&] {
                const float now = music.Time();
                EXPECT_GE(now, last);
                last = now;
                return now >= sought + 0.5f;
            }));
            EXPECT_EQ(music.Jumps(), jumps + 1);
        }
        const std::vector<int16_t> written = ReadSamples(path);
        std::remove(path.c_str());
        const std::ptrdiff_t seam = FindLastTrackAt(written, track, frame + kFade) - kFade * 2;
        const int64_t left = TrackFrameBefore(written, seam, track);
        ASSERT_GE(left, 44100);
        EXPECT_EQ(FadeMismatches(written, seam, track, left, frame), 0);
    }
}

// A loop from 0.5 s to a frame just past 1 s, set while playing before it: the sound goes from the
// end frame to the start frame cross-faded at every wrap, the clock never reads past the end and
// never goes back unless the jump count moves; once the loop is cleared the music plays on.
TEST(MusicPlayer, LoopWrapsMusicAndClockAtTheSample) {
    const std::vector<char> mp3 = EncodeMp3(testing_support::SyntheticMusic(3.0));
    std::vector<int16_t> track;
    ASSERT_TRUE(audio::DecodeMp3(mp3.data(), mp3.size(), track));
    const std::string path = testing::TempDir() + "zembravale-loop.raw";
    const int64_t start = 22050, end = 44117;
    const float startSeconds = static_cast<float>(start / 44100.0);
    const float endSeconds = static_cast<float>(end / 44100.0);
    UseDiskAudio(path, 2);
    {
        MusicPlayer music;
        music.Init();
        ASSERT_TRUE(music.Load(mp3.data(), static_cast<int32_t>(mp3.size())));
        ASSERT_TRUE(music.Play());
        ASSERT_TRUE(WaitFor([&] { return music.Time() >= 0.1f; }));
        ASSERT_TRUE(music.SetLoop(start / 44100.0, end / 44100.0));
        EXPECT_TRUE(music.Looping());
        float last = music.Time();
        const int64_t jumps = music.Jumps();
        int64_t lastJumps = jumps;
        EXPECT_TRUE(WaitFor([&] {
            const float now = music.Time();
            EXPECT_LE(now, endSeconds);
            // Back only with a jump; a busy machine may let a whole turn pass between two readings.
            if (music.Jumps() == lastJumps) {
                EXPECT_GE(now, last);
            } else {
                EXPECT_GE(now, startSeconds);
            }
            last = now;
            lastJumps = music.Jumps();
            return lastJumps >= jumps + 3;
        }));
        music.ClearLoop();
        EXPECT_FALSE(music.Looping());
        EXPECT_TRUE(WaitFor([&] { return music.Time() >= 1.5f; }));
    }
    const std::vector<int16_t> written = ReadSamples(path);
    std::remove(path.c_str());
    std::vector<std::ptrdiff_t> seams;  // the first is the way in from the track's start
    for (std::ptrdiff_t at = FindTrackAt(written, track, start + kFade); at >= 0;
         at = FindTrackAt(written, track, start + kFade, at + 1)) {
        seams.push_back(at - kFade * 2);
    }
    ASSERT_GE(seams.size(), 4u);
    for (size_t k = 1; k < seams.size(); ++k) {
        EXPECT_EQ(TrackFrameBefore(written, seams[k], track), end) << k;
        EXPECT_EQ(FadeMismatches(written, seams[k], track, end, start), 0) << k;
    }
}

// `zembravale --start T`: the live source plays the track, and so runs the pictures' clock, from T.
TEST(LiveMusic, PlaysFromItsStartTime) {
    UseDiskAudio(platform::NullDevice(), 2);
    const std::vector<char> mp3 = EncodeMp3(StereoTone(440.0, 3.0));
    LiveMusic music(1.75);
    music.Open();
    ASSERT_TRUE(music.Load(mp3.data(), static_cast<int32_t>(mp3.size()), nullptr));
    music.Play();
    EXPECT_GE(music.Time(), 1.75f);
    EXPECT_LT(music.Time(), 2.75f);
    music.Stop();
}

// The preview reaches the player through the live music source: before Open everything is refused
// without a crash; once playing, a pause holds its time and a seek moves it, with one jump.
TEST(LiveMusic, PassesThePreviewControlsToItsPlayer) {
    UseDiskAudio(platform::NullDevice(), 2);
    const std::vector<char> mp3 = EncodeMp3(StereoTone(440.0, 2.0));
    LiveMusic music;
    EXPECT_FALSE(music.Pause());
    EXPECT_FALSE(music.Seek(1.0));
    EXPECT_FALSE(music.SetLoop(0.0, 1.0));
    music.ClearLoop();
    EXPECT_FALSE(music.Looping());
    EXPECT_EQ(music.Jumps(), 0);
    music.Open();
    ASSERT_TRUE(music.Load(mp3.data(), static_cast<int32_t>(mp3.size()), nullptr));
    music.Play();
    ASSERT_TRUE(WaitFor([&] { return music.Time() >= 0.2f; }));
    ASSERT_TRUE(music.Pause());
    EXPECT_TRUE(music.Paused());
    ASSERT_TRUE(music.Seek(1.5));
    EXPECT_EQ(music.Time(), 1.5f);
    EXPECT_EQ(music.Jumps(), 1);
    EXPECT_TRUE(music.SetLoop(0.5, 1.0));  // the held time lies past the end: back to its start
    EXPECT_TRUE(music.Looping());
    EXPECT_EQ(music.Time(), 0.5f);
    EXPECT_EQ(music.Jumps(), 2);
    // The loop's end is never played: a seek there lands on its start, one just before stays.
    ASSERT_TRUE(music.Seek(1.0));
    EXPECT_EQ(music.Time(), 0.5f);
    ASSERT_TRUE(music.Seek(44099 / 44100.0));
    EXPECT_EQ(music.Time(), static_cast<float>(44099 / 44100.0));
    ASSERT_TRUE(music.Resume());
    EXPECT_FALSE(music.Paused());
    music.Stop();
    EXPECT_FALSE(music.Pause());
}
