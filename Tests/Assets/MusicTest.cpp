// The generated music as the program gets it: an mp3 that the player's decoder turns back into the
// whole track, sample-aligned, under the ceiling, with the arrangement's quiet and loud sections.
#include "TrackFixture.h"

#include "AssetBuilder/Music/TempoMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace assets;

namespace {

double BarRmsDb(const std::vector<int16_t>& pcm, int bar) {
    const long from = BarSample(bar), to = std::min<long>(BarSample(bar + 1), long(pcm.size() / 2));
    double sum = 0.0;
    for (long i = 2 * from; i < 2 * to; ++i) sum += double(pcm[size_t(i)]) * pcm[size_t(i)];
    return 10.0 * std::log10(sum / (2.0 * double(to - from)) / (32768.0 * 32768.0) + 1e-15);
}

double MeanRmsDb(const std::vector<int16_t>& pcm, int fromBar, int toBar) {
    double sum = 0.0;
    for (int bar = fromBar; bar < toBar; ++bar) sum += BarRmsDb(pcm, bar);
    return sum / (toBar - fromBar);
}

}  // namespace

TEST(Music, DecodesThroughThePlayersDecoderToTheWholeTrackSampleAlignedUnderTheCeiling) {
    const EncodedTrack& track = Track();
    const std::vector<int16_t>& rendered = RenderedTrack();
    ASSERT_TRUE(track.decodes) << track.decodeError;
    // The LAME tag makes decoding gapless: exactly as many frames as were rendered.
    ASSERT_EQ(track.decoded.size(), rendered.size());
    EXPECT_GE(double(track.decoded.size() / 2) / kSampleRate, 250.0);

    // Peaks at or under -1 dBFS after decoding (the encoder overshoots a little), no clipping before.
    const int16_t ceiling = int16_t(32768.0 * std::pow(10.0, -1.0 / 20.0));
    int peak = 0;
    for (int16_t s : track.decoded) peak = std::max(peak, std::abs(int(s)));
    EXPECT_LE(peak, ceiling);
    for (int16_t s : rendered) ASSERT_LT(std::abs(int(s)), 32767) << "the synthesizer clipped";

    // Aligned on the sample: the decoded track matches the rendered one best with no shift. Looked
    // at over the first beats of the first drop, where kick, snare and hats give sharp edges.
    const long from = BarSample(12), count = kSamplesPerBeat * 2;
    double best = 1e300;
    int bestShift = 99;
    for (int shift = -3; shift <= 3; ++shift) {
        double error = 0.0;
        for (long i = from; i < from + count; ++i) {
            const double d = double(track.decoded[size_t(2 * (i + shift))]) - rendered[size_t(2 * i)];
            error += d * d;
        }
        if (error < best) {
            best = error;
            bestShift = shift;
        }
    }
    EXPECT_EQ(bestShift, 0);

    // 192 kbit/s constant bit rate, MPEG-1 layer III at 44.1 kHz, joint stereo, in every frame; the
    // first frame carries the Info/LAME tag (a CBR stream's tag is called "Info").
    const std::vector<uint8_t>& mp3 = track.mp3;
    ASSERT_GT(mp3.size(), 4096u);
    const std::string firstFrame(mp3.begin(), mp3.begin() + 626);
    EXPECT_NE(firstFrame.find("Info"), std::string::npos);
    EXPECT_NE(firstFrame.find("LAME"), std::string::npos);
    size_t position = 0, frames = 0;
    while (position + 4 <= mp3.size()) {
        const uint8_t* h = mp3.data() + position;
        ASSERT_EQ(h[0], 0xFF) << "frame " << frames;
        ASSERT_EQ(h[1], 0xFB) << "frame " << frames;          // MPEG-1, layer III, no CRC
        ASSERT_EQ(h[2] >> 4, 0xB) << "frame " << frames;      // 192 kbit/s
        ASSERT_EQ((h[2] >> 2) & 3, 0) << "frame " << frames;  // 44100 Hz
        ASSERT_EQ(h[3] >> 6, 1) << "frame " << frames;        // joint stereo
        position += 144 * 192000 / 44100 + ((h[2] >> 1) & 1);
        ++frames;
    }
    EXPECT_EQ(position, mp3.size());
}

TEST(Music, SectionsCarryTheirEnergyAndDoNotDependOnTheLengthRendered) {
    const std::vector<int16_t>& pcm = RenderedTrack();
    // Rendering only the start changes nothing in it (the limiter looks a few milliseconds ahead
    // only): no setting depends on the length asked for.
    const long frames = 6L * kSampleRate;
    const std::vector<int16_t> start = RenderMusic(frames);
    EXPECT_TRUE(std::equal(start.begin(), start.begin() + 2 * (frames - 200), pcm.begin()));

    // The opening under the title cards is calm; part one's drop and part two are full.
    EXPECT_LT(MeanRmsDb(pcm, 0, 8), MeanRmsDb(pcm, 12, 16) - 10.0);
    EXPECT_GT(MeanRmsDb(pcm, 44, 59), MeanRmsDb(pcm, 12, 16) - 1.0);
    // Act two opens with a breakdown; the choice between the wires holds its breath.
    EXPECT_LT(MeanRmsDb(pcm, 21, 23), MeanRmsDb(pcm, 24, 28) - 6.0);
    EXPECT_LT(MeanRmsDb(pcm, 84, 86), MeanRmsDb(pcm, 79, 84) - 6.0);
    // The explosion's first beat is the loudest beat of the track's second half.
    auto beatRms = [&pcm](long start) {
        double sum = 0.0;
        for (long i = 2 * start; i < 2 * (start + kSamplesPerBeat); ++i)
            sum += double(pcm[size_t(i)]) * pcm[size_t(i)];
        return sum;
    };
    const double explosion = beatRms(BarSample(106));
    for (int bar = 60; bar < 127; ++bar) {
        for (int b = 0; b < 4; ++b) {
            if (bar == 106 && b == 0) continue;
            EXPECT_LT(beatRms(BarSample(bar) + b * kSamplesPerBeat), explosion)
                << "bar " << bar << " beat " << b;
        }
    }
    // The closing fades out after the end of the run: the last bar is silent.
    EXPECT_LT(BarRmsDb(pcm, 130), MeanRmsDb(pcm, 123, 127) - 12.0);
    EXPECT_LT(BarRmsDb(pcm, kTrackBars - 1), -80.0);
}

TEST(Music, RendersAndEncodesTheSameBytesEveryTime) {
    // Ten seconds are enough to play every kind of voice that the opening and part one use.
    const long frames = 10L * kSampleRate + 12345;
    const std::vector<int16_t> first = RenderMusic(frames);
    const std::vector<int16_t> second = RenderMusic(frames);
    ASSERT_EQ(first.size(), size_t(2 * frames));
    EXPECT_TRUE(first == second);
    const std::vector<uint8_t> mp3 = EncodeMp3(first);
    EXPECT_TRUE(mp3 == EncodeMp3(second));
    // The archive's way, mixing on one thread while encoding on another, gives the very same bytes.
    EXPECT_TRUE(RenderAndEncodeMp3(frames) == mp3);
}
