// The player and its back end on a real SDL audio device: the disk driver, which writes the sound
// to a file (or /dev/null) as fast as it can, so a run of many seconds of music takes a moment.
#include "Audio/AudioBackend.h"
#include "Audio/MusicPlayer.h"
#include "Support/Mp3Fixture.h"
#include "Utils/Platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using testing_support::EncodeMp3;
using testing_support::StereoTone;

namespace {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name(name) {
        if (const char* old = std::getenv(name)) previous = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (previous) setenv(name, previous->c_str(), 1);
        else unsetenv(name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name;
    std::optional<std::string> previous;
};

// SDL's disk driver writing to `file`, waiting `delayMs` per buffer (0: as fast as it can).
struct DiskAudio {
    explicit DiskAudio(const std::string& file = "/dev/null", int delayMs = 0)
        : driver("SDL_AUDIODRIVER", "disk"), output("SDL_DISKAUDIOFILE", file),
          delay("SDL_DISKAUDIODELAY", std::to_string(delayMs)) {}
    ScopedEnv driver;
    ScopedEnv output;
    ScopedEnv delay;
};

// A guard against hanging, not a speed check: the disk driver needs well under a second here.
constexpr auto kPatience = std::chrono::seconds(60);

int ArgMax(const float* values, int count) { return static_cast<int>(std::max_element(values, values + count) - values); }

}  // namespace

// What must be refused and what must be harmless, in the order start-up and shutdown meet them.
TEST(MusicPlayer, RefusesOutOfOrderCallsAndUnplayableData) {
    DiskAudio disk;
    const std::vector<char> mp3 = EncodeMp3(StereoTone(440.0, 0.5));
    const std::string garbage(5000, 'g');
    MusicPlayer music;
    EXPECT_FALSE(music.Load(mp3.data(), static_cast<int32_t>(mp3.size())));  // before Init
    EXPECT_FALSE(music.Play());
    EXPECT_FALSE(music.SetVolume(100));

    music.Init();
    ASSERT_TRUE(music.ready);
    struct Case {
        const char* name;
        const char* data;
        int32_t length;
    };
    for (const Case& c : {Case{"null", nullptr, 1000}, Case{"empty", mp3.data(), 0},
                          Case{"negative length", mp3.data(), -5}, Case{"not an mp3", garbage.data(), 5000},
                          Case{"cut before the first frame", mp3.data(), 64}}) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(music.Load(c.data, c.length));
        EXPECT_FALSE(music.Play());
    }
    EXPECT_EQ(music.Time(), 0.0f);

    ASSERT_TRUE(music.Load(mp3.data(), static_cast<int32_t>(mp3.size())));
    EXPECT_FALSE(music.SetVolume(101));
    EXPECT_FALSE(music.SetVolume(-1));
    EXPECT_TRUE(music.SetVolume(0));
    EXPECT_EQ(music.Time(), 0.0f);  // loaded but not playing yet

    music.Free();
    music.Free();
    EXPECT_FALSE(music.ready);
    EXPECT_FALSE(music.Play());
    EXPECT_FALSE(music.Load(mp3.data(), static_cast<int32_t>(mp3.size())));
}

// A track of 2 s played the way the frame loop does it: the clock never goes back, the spectrum
// shows the tone while it sounds and silence after it, and the clock runs on past the end to the
// time the loop waits for.
TEST(MusicPlayer, PlaysAShortTrackAndItsClockRunsOnPastTheEnd) {
    DiskAudio disk;
    constexpr double kTrackSeconds = 2.0;
    constexpr float kEndOfRun = 6.0f;
    const std::vector<char> mp3 = EncodeMp3(StereoTone(1000.0, kTrackSeconds));
    MusicPlayer music;
    platform::ScopedMusicClock seam(&music);
    music.Init();
    ASSERT_TRUE(music.Load(mp3.data(), static_cast<int32_t>(mp3.size())));
    ASSERT_TRUE(music.Play());
    EXPECT_TRUE(music.SetVolume(100));

    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    float last = 0.0f;
    int toneFrames = 0;
    int wrongPeaks = 0;
    while (last < kEndOfRun && std::chrono::steady_clock::now() < deadline) {
        music.Update();
        const float now = platform::MusicTime();
        ASSERT_GE(now, last);
        // 1000 Hz lies in bin 1000 / (44100 / 2048) = 46.4.
        if (now > 0.2f && now < kTrackSeconds - 0.2) {
            ++toneFrames;
            const int peak = ArgMax(music.spectrum, 1024);
            if (peak != 46 || music.spectrum[peak] < 0.1f) ++wrongPeaks;
        }
        last = now;
    }
    EXPECT_GE(last, kEndOfRun) << "the music clock stopped at " << last;
    EXPECT_GT(toneFrames, 0);
    EXPECT_EQ(wrongPeaks, 0);

    music.Update();
    EXPECT_EQ(*std::max_element(music.spectrum, music.spectrum + 1024), 0.0f);

    music.Free();
    const float stopped = music.Time();
    EXPECT_GE(stopped, kEndOfRun);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(music.Time(), stopped);
    music.Free();
}

namespace {

void CountEnd(void* counter) { static_cast<std::atomic<int>*>(counter)->fetch_add(1); }

std::vector<int16_t> ReadSamples(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

}  // namespace

// What reaches the device is the decoded track with the volume applied, sample for sample, then
// silence; the end callback fires exactly once although the device keeps asking for more.
TEST(AudioBackend, HandsTheDecodedTrackToTheDeviceThenSilenceAndEndsOnce) {
    const std::string path = testing::TempDir() + "zembravale-audio-output.raw";
    const std::vector<char> mp3 = EncodeMp3(testing_support::SyntheticMusic(1.0));
    std::vector<int16_t> decoded;
    ASSERT_TRUE(audio::DecodeMp3(mp3.data(), mp3.size(), decoded));
    {
        DiskAudio disk(path);
        AudioBackend backend;
        std::string error;
        ASSERT_TRUE(backend.Open(&error)) << error;
        std::atomic<int> ends{0};
        backend.SetEndCallback(CountEnd, &ends);
        ASSERT_TRUE(backend.Load(mp3.data(), mp3.size(), &error)) << error;
        ASSERT_TRUE(backend.SetVolume(50));
        ASSERT_TRUE(backend.Play());
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (backend.PositionSeconds() < 3.0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        EXPECT_GE(backend.PositionSeconds(), 3.0);
        EXPECT_EQ(ends.load(), 1);
        EXPECT_EQ(backend.EndCount(), 1);
        EXPECT_TRUE(backend.DecodingFinished());
        EXPECT_EQ(backend.DecodedFrames() * 2, static_cast<int64_t>(decoded.size()));
        backend.Close();
        backend.Close();
        EXPECT_EQ(ends.load(), 1);
    }
    const std::vector<int16_t> written = ReadSamples(path);
    std::remove(path.c_str());

    std::vector<int16_t> expected(decoded.size());
    std::transform(decoded.begin(), decoded.end(), expected.begin(), [](int16_t s) { return s * 50 / 100; });
    // The device played silence between Load and Play: line the track up on its first sound.
    const auto firstSound = [](const std::vector<int16_t>& s) {
        return std::find_if(s.begin(), s.end(), [](int16_t v) { return v != 0; }) - s.begin();
    };
    const auto offset = firstSound(written) - firstSound(expected);
    ASSERT_GE(offset, 0);
    ASSERT_EQ(offset % 2, 0) << "left and right swapped";
    ASSERT_GE(written.size(), offset + expected.size() + 44100 * 2);
    int64_t mismatches = 0;
    for (size_t i = 0; i < expected.size(); ++i) mismatches += written[offset + i] != expected[i] ? 1 : 0;
    EXPECT_EQ(mismatches, 0);
    const auto after = written.begin() + offset + static_cast<std::ptrdiff_t>(expected.size());
    EXPECT_TRUE(std::all_of(after, after + 44100 * 2, [](int16_t v) { return v == 0; }));
}

// A device that asks for sound only once a second must not hold the music back: after the stall
// limit the clock runs on at real speed (a sleep of 0.8 s lasts at least that long, so the bound
// holds however busy the machine is).
TEST(AudioBackend, ClockRunsOnWhenTheDeviceStopsAsking) {
    DiskAudio disk("/dev/null", 1000);
    const std::vector<char> mp3 = EncodeMp3(StereoTone(440.0, 3.0));
    AudioBackend backend;
    ASSERT_TRUE(backend.Open());
    ASSERT_TRUE(backend.Load(mp3.data(), mp3.size()));
    ASSERT_TRUE(backend.Play());
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_GE(backend.PositionSeconds(), 0.3);
    backend.Close();
}
