// Decoding real mp3 streams encoded here with libmp3lame, and refusing what cannot be played.
#include <gtest/gtest.h>

#include "Audio/Mp3Decoder.h"
#include "Support/Mp3Fixture.h"

using namespace audio;
using testing_support::EncodeMp3;
using testing_support::StereoTone;

namespace {
int64_t Frames(const std::vector<int16_t>& stereo) {
    return static_cast<int64_t>(stereo.size() / 2);
}
}  // namespace

// The encoder adds ~1100 samples of delay and pads the last frame; gapless decoding removes both,
// or the music clock would run 25 ms late and the length would not match.
TEST(Mp3Decoder, GivesBackTheSamplesThatWentInAtTheirPlace) {
    const int64_t start = 11025;  // 0.25 s of silence, then 1 kHz
    const std::vector<int16_t> input = StereoTone(1000.0, 1.75, 0.5, 0.25);
    const std::vector<char> mp3 = EncodeMp3(input);
    std::vector<int16_t> output;
    std::string error;
    ASSERT_TRUE(DecodeMp3(mp3.data(), mp3.size(), output, &error)) << error;
    EXPECT_LE(std::abs(Frames(output) - Frames(input)), 1152);

    int64_t onset = 0;
    while (onset < Frames(output) && std::abs(output[onset * 2]) < 8000) ++onset;
    EXPECT_NEAR(static_cast<double>(onset), start + 5.0, 30.0);  // pre-echo may lead a little
    // Rising zero crossings every 44.1 samples from the start of the tone, in both channels.
    int crossings = 0, misplaced = 0;
    for (int64_t n = start + 441; n < start + 44100; ++n) {
        if (output[(n - 1) * 2] < 0 && output[n * 2] >= 0) {
            const double cycles = (n - start) / 44.1;
            misplaced += std::abs(cycles - std::round(cycles)) > 1.5 / 44.1;
            ++crossings;
        }
        ASSERT_NEAR(output[n * 2], output[n * 2 + 1], 600);
    }
    EXPECT_GT(crossings, 900);
    EXPECT_EQ(misplaced, 0);
}

// Mono and other rates come out as 44100 Hz stereo of the same duration.
TEST(Mp3Decoder, ConvertsMonoAndOtherRatesTo44100Stereo) {
    for (const auto& [rate, channels, kbps] : {std::tuple{22050, 1, 64}, {48000, 2, 128}, {32000, 2, 96}}) {
        SCOPED_TRACE(testing::Message() << rate << " Hz, " << channels << " channel(s)");
        std::vector<int16_t> input = StereoTone(440.0, 1.0, 0.5, 0.0, rate);
        for (size_t n = 0; channels == 1 && n < input.size() / 2; ++n) input[n] = input[n * 2];
        if (channels == 1) input.resize(input.size() / 2);  // the left channel alone
        const std::vector<char> mp3 = EncodeMp3(input, rate, kbps, channels);
        std::vector<int16_t> output;
        ASSERT_TRUE(DecodeMp3(mp3.data(), mp3.size(), output));
        EXPECT_NEAR(static_cast<double>(Frames(output)), 44100.0, 2304.0);
        EXPECT_GT(*std::max_element(output.begin(), output.end()), 10000);
        if (channels == 1) {
            for (int64_t n = 0; n < Frames(output); ++n) ASSERT_EQ(output[n * 2], output[n * 2 + 1]);
        }
    }
}

// Data without a playable frame is refused with a reason, by both ways of decoding.
TEST(Mp3Decoder, RefusesDataWithoutFrames) {
    const std::vector<char> mp3 = EncodeMp3(StereoTone(440.0, 0.5));
    const std::string text(20000, 'x');
    const std::vector<char> zeros(8192, 0);
    std::vector<char> id3Only = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
    id3Only.resize(30, 0);
    for (const auto& [name, data, length] :
         {std::tuple{"null", static_cast<const char*>(nullptr), size_t{100}},
          {"empty", mp3.data(), size_t{0}},
          {"text", text.data(), text.size()},
          {"zeros", zeros.data(), zeros.size()},
          {"a tag and nothing else", id3Only.data(), id3Only.size()},
          {"cut inside the first frame", mp3.data(), size_t{100}}}) {
        SCOPED_TRACE(name);
        std::vector<int16_t> output(10, 1);
        std::string error;
        EXPECT_FALSE(DecodeMp3(data, length, output, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(output.empty());
        Mp3Decoder decoder;
        int16_t buffer[64];
        EXPECT_FALSE(decoder.Open(data, length));
        EXPECT_EQ(decoder.Read(buffer, 32), 0u);
    }
}

// A stream cut in half plays its half; the bound cuts a track at exactly that many frames. (The
// streaming decoder is checked against the whole-track one by the back end's output test.)
TEST(Mp3Decoder, TruncatedAndBoundedDecoding) {
    const std::vector<char> mp3 = EncodeMp3(testing_support::SyntheticMusic(2.0));
    std::vector<int16_t> part;
    ASSERT_TRUE(DecodeMp3(mp3.data(), mp3.size() / 2, part));
    EXPECT_NEAR(static_cast<double>(Frames(part)), 44100.0, 3 * 1152.0);
    ASSERT_TRUE(DecodeMp3(mp3.data(), mp3.size(), part, nullptr, 30000));
    EXPECT_EQ(Frames(part), 30000);
}

// Decoded a piece at a time, as the browser's page decodes while it shows its progress, a track
// comes out as decoded whole, whatever the pieces, cut short or bounded alike.
TEST(Mp3Decoder, DecodingInStepsGivesTheWholeDecodesSamples) {
    const std::vector<char> mp3 = EncodeMp3(testing_support::SyntheticMusic(3.0));
    struct Case {
        size_t bytes;
        int64_t maxFrames;
        std::vector<int64_t> pieces;  // repeated until the track is in
    };
    const Case cases[] = {
        {mp3.size(), kMaxTrackFrames, {1}},
        {mp3.size(), kMaxTrackFrames, {1000, 7, 50000, 16384}},
        {mp3.size() / 2, kMaxTrackFrames, {4096}},
        {mp3.size(), 30001, {1153, 20000}},
    };
    for (const Case& c : cases) {
        std::vector<int16_t> whole;
        ASSERT_TRUE(DecodeMp3(mp3.data(), c.bytes, whole, nullptr, c.maxFrames));
        std::vector<int16_t> stepped;
        Mp3TrackDecoder decoder;
        ASSERT_TRUE(decoder.Open(mp3.data(), c.bytes, stepped, nullptr, c.maxFrames));
        EXPECT_GT(decoder.ExpectedFrames(), 0);
        int64_t before = 0;
        for (size_t i = 0; !decoder.Done(); ++i) {
            decoder.Step(c.pieces[i % c.pieces.size()]);
            // What was decoded before stays as it was while the rest comes in.
            ASSERT_TRUE(std::equal(stepped.begin(), stepped.begin() + before * 2, whole.begin()));
            ASSERT_GT(decoder.DecodedFrames(), before);
            before = decoder.DecodedFrames();
        }
        ASSERT_TRUE(decoder.Finish());
        EXPECT_EQ(stepped, whole) << c.bytes << " bytes in pieces of " << c.pieces[0];
    }
    std::vector<int16_t> none;
    Mp3TrackDecoder refused;
    std::string error;
    EXPECT_FALSE(refused.Open("not an mp3 at all", 17, none, &error));
    EXPECT_FALSE(error.empty());
}
