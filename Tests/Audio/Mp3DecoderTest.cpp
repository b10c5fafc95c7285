// Decoding real mp3 streams encoded here with libmp3lame, and refusing what cannot be played.
#include "Audio/Mp3Decoder.h"
#include "Support/Mp3Fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace audio;
using testing_support::EncodeMp3;
using testing_support::StereoTone;

namespace {

constexpr int64_t kMp3FrameSamples = 1152;

int64_t Frames(const std::vector<int16_t>& stereo) { return static_cast<int64_t>(stereo.size() / 2); }

// First frame from `from` on whose left sample reaches `level` in magnitude.
int64_t FirstLoud(const std::vector<int16_t>& stereo, int level, int64_t from = 0) {
    for (int64_t n = from; n < Frames(stereo); ++n) {
        if (std::abs(stereo[n * 2]) >= level) return n;
    }
    return -1;
}

}  // namespace

// The encoder adds ~1100 samples of delay and pads the last frame; gapless decoding must remove
// both, or the music clock would run 25 ms late and the length would not match.
TEST(Mp3Decoder, GivesBackTheSamplesThatWentInAtTheirPlace) {
    constexpr double kLead = 0.25;
    const std::vector<int16_t> input = StereoTone(1000.0, 1.75, 0.5, kLead);
    const std::vector<char> mp3 = EncodeMp3(input);

    std::vector<int16_t> output;
    std::string error;
    ASSERT_TRUE(DecodeMp3(mp3.data(), mp3.size(), output, &error)) << error;
    EXPECT_LE(std::abs(Frames(output) - Frames(input)), kMp3FrameSamples);

    // The tone starts after the silence, not an encoder delay later (pre-echo may lead a little).
    const int64_t onset = FirstLoud(output, 8000);
    EXPECT_NEAR(static_cast<double>(onset), kLead * 44100 + 5, 30.0);

    // Rising zero crossings of the 1 kHz tone fall every 44.1 samples from the onset on.
    const int64_t start = static_cast<int64_t>(kLead * 44100);
    int crossings = 0;
    int misplaced = 0;
    for (int64_t n = start + 441; n < start + 44100; ++n) {
        if (output[(n - 1) * 2] < 0 && output[n * 2] >= 0) {
            const double cycles = (n - start) / 44.1;
            if (std::abs(cycles - std::round(cycles)) > 1.5 / 44.1) ++misplaced;
            ++crossings;
        }
    }
    EXPECT_GT(crossings, 900);
    EXPECT_EQ(misplaced, 0);
    // Both channels carry the same tone.
    for (int64_t n = start; n < start + 1000; ++n) EXPECT_NEAR(output[n * 2], output[n * 2 + 1], 600);
}

// Mono and other rates are converted by the library: the output is always 44100 Hz stereo, and
// the length in time stays the same.
TEST(Mp3Decoder, ConvertsMonoAndOtherRatesTo44100Stereo) {
    struct Case {
        int rate;
        int channels;
        int kbps;
    };
    for (const Case& c : {Case{22050, 1, 64}, Case{48000, 2, 128}, Case{32000, 2, 96}}) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.channels << " channel(s)");
        const std::vector<int16_t> stereo = StereoTone(440.0, 1.0, 0.5, 0.0, c.rate);
        std::vector<int16_t> input;
        if (c.channels == 1) {
            for (size_t n = 0; n < stereo.size(); n += 2) input.push_back(stereo[n]);
        } else {
            input = stereo;
        }
        const std::vector<char> mp3 = EncodeMp3(input, c.rate, c.kbps, c.channels);
        std::vector<int16_t> output;
        std::string error;
        ASSERT_TRUE(DecodeMp3(mp3.data(), mp3.size(), output, &error)) << error;
        EXPECT_NEAR(static_cast<double>(Frames(output)), 44100.0, 2.0 * kMp3FrameSamples);
        EXPECT_GE(FirstLoud(output, 10000), 0);
        if (c.channels == 1) {
            for (int64_t n = 0; n < Frames(output); ++n) ASSERT_EQ(output[n * 2], output[n * 2 + 1]);
        }
    }
}

// Data that holds no playable frame is refused with a reason, by the whole-track function and by
// the streaming decoder alike.
TEST(Mp3Decoder, RefusesDataWithoutFrames) {
    const std::vector<char> mp3 = EncodeMp3(StereoTone(440.0, 0.5));
    const std::string text(20000, 'x');
    const std::vector<char> zeros(8192, 0);
    std::vector<char> id3Only = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
    id3Only.resize(10 + 20, 0);
    struct Case {
        const char* name;
        const char* data;
        size_t length;
    };
    const Case cases[] = {
        {"null", nullptr, 100},
        {"empty", mp3.data(), 0},
        {"text", text.data(), text.size()},
        {"zeros", zeros.data(), zeros.size()},
        {"a tag and nothing else", id3Only.data(), id3Only.size()},
        {"cut inside the first frame", mp3.data(), 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int16_t> output(10, 1);
        std::string error;
        EXPECT_FALSE(DecodeMp3(c.data, c.length, output, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(output.empty());
        Mp3Decoder decoder;
        EXPECT_FALSE(decoder.Open(c.data, c.length));
        int16_t buffer[64];
        EXPECT_EQ(decoder.Read(buffer, 32), 0u);
    }
}

// A stream cut short plays what it holds; the bound cuts a long one at exactly that many frames.
TEST(Mp3Decoder, StopsAtTheEndOfTheDataAndAtTheBound) {
    const std::vector<int16_t> input = StereoTone(440.0, 2.0);
    const std::vector<char> mp3 = EncodeMp3(input);
    std::vector<int16_t> output;

    ASSERT_TRUE(DecodeMp3(mp3.data(), mp3.size() / 2, output));
    EXPECT_NEAR(static_cast<double>(Frames(output)), 44100.0, 3.0 * kMp3FrameSamples);

    ASSERT_TRUE(DecodeMp3(mp3.data(), mp3.size(), output, nullptr, 30000));
    EXPECT_EQ(Frames(output), 30000);
}

// The streaming decoder hands out the same samples in small pieces as the whole-track function.
TEST(Mp3Decoder, StreamingMatchesWholeTrack) {
    const std::vector<char> mp3 = EncodeMp3(testing_support::SyntheticMusic(1.5));
    std::vector<int16_t> whole;
    ASSERT_TRUE(DecodeMp3(mp3.data(), mp3.size(), whole));

    Mp3Decoder decoder;
    ASSERT_TRUE(decoder.Open(mp3.data(), mp3.size()));
    EXPECT_EQ(decoder.LengthFrames(), Frames(whole));
    std::vector<int16_t> pieces;
    int16_t buffer[2 * 777];
    while (size_t got = decoder.Read(buffer, 777)) pieces.insert(pieces.end(), buffer, buffer + got * 2);
    EXPECT_TRUE(decoder.AtEnd());
    EXPECT_EQ(pieces, whole);
}
