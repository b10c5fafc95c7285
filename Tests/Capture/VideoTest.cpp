// zembravale-capture --video: the file holds what was asked (streams, size, rate, length) with an
// .mp4's index at the front, the picture and the music stay in step, lossless frames equal the PNGs,
// H.264 colours read as tagged, and failures leave nothing that looks finished. Files are read
// back with libavformat, never with an outside program.
#include "Data/Catalogue.h"
#include "Support/ImageEncoders.h"
#include "Support/MediaReader.h"
#include "Support/Mp3Fixture.h"
#include "Support/PngReader.h"
#include "Support/Process.h"
#include "Support/SceneFixture.h"
#include "Support/TempDir.h"
#include "Support/ZipWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

const std::string kCapture = ZV_BINARY_DIR "/zembravale-capture";
const std::string kGenerated = ZV_BINARY_DIR "/assets/tarnos.zip";
constexpr int kHangLimitSeconds = 300;
constexpr double kSwitchSeconds = 1.5;  // the black card gives way to a white one, and the click sounds
constexpr int kRate = 44100;

int CatalogueIndex(const char* member) {
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        if (std::strcmp(catalogue[guid].member, member) == 0) return guid;
    }
    return -1;
}

std::string Script(const char* bands, const char* keys) {
    return std::string("<part><autosyncro>") + bands + "</autosyncro><timing>" + keys + "</timing></part>";
}

// Every catalogue picture solid; the intro's first card black on black until 1.5 s, then its
// second card white across the middle of the screen. Parts one and two start only at 4 s.
void WriteSwitchArchive(const std::string& path, std::string_view mp3) {
    const int blackCard = CatalogueIndex("pelmarov/another_nimbrel_joint.png");
    const int whiteCard = CatalogueIndex("pelmarov/intro_warning.png");
    ZipWriter zip(path);
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        const auto [w, h] = PictureSize(guid);
        const uint32_t colour = guid == blackCard   ? 0x000000
                                : guid == whiteCard ? 0xFFFFFF
                                                    : PictureColour(guid);
        encode::Bytes rgb(static_cast<size_t>(w) * h * 3);
        for (size_t i = 0; i < rgb.size(); i += 3) {
            rgb[i] = static_cast<uint8_t>(colour >> 16);
            rgb[i + 1] = static_cast<uint8_t>(colour >> 8);
            rgb[i + 2] = static_cast<uint8_t>(colour);
        }
        const std::string member = catalogue[guid].member;
        zip.Add(member, member.ends_with(".jpg") ? encode::Jpeg(w, h, 3, rgb) : encode::Png8(w, h, 3, rgb),
                ZipWriter::Method::kStored);
    }
    const char* bands = R"(<b startfreq="0" endfreq="40" thresold="0.3" gravity="20"/>)";
    zip.Add(
        "syncroscripts/intro.xml",
        Script("",
               R"(<k mp3time="0" fxtime="0"/><k mp3time="1.5" fxtime="100"/><k mp3time="4" fxtime="200"/>)"));
    zip.Add("syncroscripts/part1.xml",
            Script(bands, R"(<k mp3time="4" fxtime="0"/><k mp3time="60" fxtime="300"/>)"));
    zip.Add("syncroscripts/part2.xml",
            Script(bands, R"(<k mp3time="60" fxtime="0"/><k mp3time="245" fxtime="810"/>)"));
    zip.Add("rorozuzorozori.mp3", mp3, ZipWriter::Method::kStored);
}

// Four seconds of silence with a 10 ms click of a loud 1 kHz square wave at 1.5 s.
std::string ClickMusic() {
    std::vector<int16_t> samples(4 * kRate * 2, 0);
    const auto start = static_cast<size_t>(kSwitchSeconds * kRate);
    for (size_t n = 0; n < kRate / 100; ++n) {
        const int16_t value = (n / 22) % 2 == 0 ? 29000 : -29000;
        samples[(start + n) * 2] = samples[(start + n) * 2 + 1] = value;
    }
    const std::vector<char> mp3 = testing_support::EncodeMp3(samples);
    return std::string(mp3.begin(), mp3.end());
}

bool CentreIsWhite(const AVFrame& frame) {
    const int x = frame.width / 2, y = frame.height / 2;
    const uint8_t* row = frame.data[0] + static_cast<ptrdiff_t>(y) * frame.linesize[0];
    if (frame.format == AV_PIX_FMT_BGR0)
        return row[4 * x] > 200 && row[4 * x + 1] > 200 && row[4 * x + 2] > 200;
    return row[x] > 200;  // luma
}

// One sample of a decoded audio frame, as a share of full scale.
float Sample(const AVFrame& frame, int i, int channel) {
    if (frame.format == AV_SAMPLE_FMT_FLTP)
        return reinterpret_cast<const float*>(frame.extended_data[channel])[i];
    if (frame.format == AV_SAMPLE_FMT_S16) {
        return reinterpret_cast<const int16_t*>(frame.data[0])[i * frame.ch_layout.nb_channels + channel] /
               32768.0f;
    }
    return 0;
}

// The largest sample of one decoded audio frame's i-th sample frame, as a share of full scale.
float Level(const AVFrame& frame, int i) {
    float level = 0;
    for (int channel = 0; channel < frame.ch_layout.nb_channels; ++channel)
        level = std::max(level, std::fabs(Sample(frame, i, channel)));
    return level;
}

// What a player would notice: frames and samples, and when (on the file's own timeline, from
// the first frame's timestamp) the picture first turns white and the music first turns loud.
struct Decoded {
    int frames = 0;
    int64_t samples = 0;
    double whiteSeconds = -1;
    double loudSeconds = -1;
    float loudest = 0;
    double channelSquares[2] = {0, 0};  // left, right: the sum of each sample squared
};

Decoded DecodeFile(const std::string& path) {
    Decoded d;
    double start = 0;
    media::Decode(path, AVMEDIA_TYPE_VIDEO, [&](const AVFrame& frame, AVRational timeBase) {
        const double seconds = static_cast<double>(frame.best_effort_timestamp) * av_q2d(timeBase);
        if (d.frames == 0) start = seconds;
        if (d.whiteSeconds < 0 && CentreIsWhite(frame)) d.whiteSeconds = seconds - start;
        ++d.frames;
    });
    media::Decode(path, AVMEDIA_TYPE_AUDIO, [&](const AVFrame& frame, AVRational timeBase) {
        for (int i = 0; i < frame.nb_samples; ++i) {
            const float level = Level(frame, i);
            for (int channel = 0; channel < std::min(frame.ch_layout.nb_channels, 2); ++channel) {
                const double value = Sample(frame, i, channel);
                d.channelSquares[channel] += value * value;
            }
            d.loudest = std::max(level, d.loudest);
            if (d.loudSeconds < 0 && level > 0.25f) {
                d.loudSeconds = static_cast<double>(frame.best_effort_timestamp) * av_q2d(timeBase) +
                                static_cast<double>(i) / kRate - start;
            }
        }
        d.samples += frame.nb_samples;
    });
    return d;
}

// The top-level boxes of an .mp4 file, in the order they lie in it.
std::vector<std::string> TopLevelBoxes(const std::string& bytes) {
    std::vector<std::string> boxes;
    const auto number = [&](size_t at, int width) {
        uint64_t value = 0;
        for (int i = 0; i < width; ++i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
        return value;
    };
    for (size_t at = 0; at + 16 <= bytes.size();) {
        uint64_t size = number(at, 4);
        if (size == 1) size = number(at + 8, 8);  // a 64-bit size follows the type
        if (size == 0) size = bytes.size() - at;  // the box runs to the end of the file
        if (size < 8) break;
        boxes.push_back(bytes.substr(at + 4, 4));
        at += size;
    }
    return boxes;
}

// The colour a player shows for one pixel of a decoded 4:2:0 frame: the matrix and the range are
// the ones the stream is tagged with; an untagged matrix is left to the player's guess, a failure.
uint32_t ShownColour(const AVFrame& frame, int x, int y) {
    double kr = 0, kb = 0;
    if (frame.colorspace == AVCOL_SPC_BT709) {
        kr = 0.2126, kb = 0.0722;
    } else if (frame.colorspace == AVCOL_SPC_SMPTE170M || frame.colorspace == AVCOL_SPC_BT470BG) {
        kr = 0.299, kb = 0.114;
    } else {
        ADD_FAILURE() << "the colour matrix is not tagged: " << frame.colorspace;
        return 0;
    }
    const bool full = frame.color_range == AVCOL_RANGE_JPEG;
    const auto at = [&](int plane, int px, int py) {
        return static_cast<double>(
            frame.data[plane][static_cast<ptrdiff_t>(py) * frame.linesize[plane] + px]);
    };
    const double luma = full ? at(0, x, y) / 255.0 : (at(0, x, y) - 16) / 219.0;
    const double cb = (at(1, x / 2, y / 2) - 128) / (full ? 255.0 : 224.0);
    const double cr = (at(2, x / 2, y / 2) - 128) / (full ? 255.0 : 224.0);
    const double r = luma + 2 * (1 - kr) * cr, b = luma + 2 * (1 - kb) * cb;
    const double g = (luma - kr * r - kb * b) / (1 - kr - kb);
    const auto level = [](double v) {
        return static_cast<uint32_t>(std::clamp(std::lround(v * 255), 0L, 255L));
    };
    return (level(r) << 16) | (level(g) << 8) | level(b);
}

class VideoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        archiveDir = std::make_unique<TempDir>();
        switchArchive = archiveDir->File("switch.zip");
        WriteSwitchArchive(switchArchive, ClickMusic());
    }
    static void TearDownTestSuite() { archiveDir.reset(); }

    ProcessResult Export(std::vector<std::string> args, const std::string& archive = switchArchive) {
        args.insert(args.begin(), {kCapture, "--archive", archive});
        return RunProcess(args, dir.Path().string(), {}, kHangLimitSeconds);
    }

    static std::unique_ptr<TempDir> archiveDir;
    static std::string switchArchive;
    TempDir dir;
};
std::unique_ptr<TempDir> VideoTest::archiveDir;
std::string VideoTest::switchArchive;

TEST_F(VideoTest, ShortExportsHoldTheStreamsSizeRateAndLengthAsked) {
    struct Case {
        std::vector<std::string> args;
        AVCodecID video, audio;
        int width, height;
        AVRational rate;
        int frames;
        int extraSamples;  // AAC decodes in whole blocks of 1024; in .mkv its priming block stays too
    } cases[] = {
        // clang-format off
        {{"--video", "short.mp4", "--from", "0", "--to", "2.5"},
         AV_CODEC_ID_H264, AV_CODEC_ID_AAC, 1280, 960, {60, 1}, 150, 1023},
        // 59.94 fps from 0.5 s: frames 30 to 119 (0.5005 s to 1.9853 s).
        {{"--video", "ntsc.mp4", "--from", "0.5", "--to", "2", "--fps", "60000/1001", "--scale", "1"},
         AV_CODEC_ID_H264, AV_CODEC_ID_AAC, 640, 480, {60000, 1001}, 90, 1023},
        {{"--video", "short.mkv", "--from", "1", "--to", "2", "--fps", "30", "--scale", "3"},
         AV_CODEC_ID_H264, AV_CODEC_ID_AAC, 1920, 1440, {30, 1}, 30, 2047},
        {{"--video", "lossless.mkv", "--from", "1", "--to", "2", "--fps", "25", "--lossless"},
         AV_CODEC_ID_FFV1, AV_CODEC_ID_FLAC, 640, 480, {25, 1}, 25, 0},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        const ProcessResult run = Export(c.args);
        ASSERT_FALSE(run.timedOut);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::string path = dir.File(c.args[1]);
        EXPECT_FALSE(std::filesystem::exists(path + ".part"));
        if (c.args[1].ends_with(".mp4")) {
            // The index (moov) before the pictures (mdat): the file plays while it downloads.
            const std::vector<std::string> boxes = TopLevelBoxes(ReadWholeFile(path));
            const auto index = std::find(boxes.begin(), boxes.end(), "moov");
            EXPECT_LT(index - boxes.begin(), std::find(boxes.begin(), boxes.end(), "mdat") - boxes.begin())
                << testing::PrintToString(boxes);
        }
        const std::vector<media::StreamInfo> streams = media::Streams(path);
        ASSERT_EQ(streams.size(), 2u);
        EXPECT_EQ(streams[0].type, AVMEDIA_TYPE_VIDEO);
        EXPECT_EQ(streams[0].codec, c.video);
        EXPECT_EQ(streams[0].width, c.width);
        EXPECT_EQ(streams[0].height, c.height);
        EXPECT_EQ(streams[1].type, AVMEDIA_TYPE_AUDIO);
        EXPECT_EQ(streams[1].codec, c.audio);
        EXPECT_EQ(streams[1].sampleRate, kRate);
        EXPECT_EQ(streams[1].channels, 2);
        // Matroska keeps times in milliseconds: only .mp4 can state 60000/1001 exactly.
        if (c.args[1].ends_with(".mp4")) {
            EXPECT_EQ(av_cmp_q(streams[0].frameRate, c.rate), 0)
                << streams[0].frameRate.num << "/" << streams[0].frameRate.den;
        }
        const double seconds = c.frames * av_q2d(av_inv_q(c.rate));
        // The music lasts exactly as long as the frames; .mkv's timeline also holds AAC's priming.
        const double priming = c.extraSamples > 1024 ? 1024.0 / kRate : 0.0;
        EXPECT_NEAR(streams[0].seconds, seconds + priming, 0.002);
        EXPECT_NEAR(streams[1].seconds, seconds + priming, 0.002);
        const Decoded decoded = DecodeFile(path);
        EXPECT_EQ(decoded.frames, c.frames);
        EXPECT_GE(decoded.samples, std::llround(seconds * kRate));
        EXPECT_LE(decoded.samples, std::llround(seconds * kRate) + c.extraSamples);
    }
}

// A tone of its own in each channel, at its own level: the left loud, the right soft.
std::string TwoToneMusic() {
    std::vector<int16_t> samples(2 * kRate * 2);
    for (size_t n = 0; n < samples.size() / 2; ++n) {
        const double phase = 2.0 * std::numbers::pi * static_cast<double>(n) / kRate;
        samples[2 * n] = static_cast<int16_t>(std::lround(0.6 * 32767.0 * std::sin(440.0 * phase)));
        samples[2 * n + 1] = static_cast<int16_t>(std::lround(0.15 * 32767.0 * std::sin(660.0 * phase)));
    }
    const std::vector<char> mp3 = testing_support::EncodeMp3(samples);
    return std::string(mp3.begin(), mp3.end());
}

TEST_F(VideoTest, EachChannelKeepsItsOwnSound) {
    const std::string archive = dir.File("two-tone.zip");
    WriteSwitchArchive(archive, TwoToneMusic());
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--video", "stereo.mp4", "--from", "0.5", "--to", "1.5", "--scale", "1"},
          {"--video", "stereo.mkv", "--from", "0.5", "--to", "1.5", "--lossless"}}) {
        SCOPED_TRACE(args[1]);
        const ProcessResult run = Export(args, archive);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const Decoded decoded = DecodeFile(dir.File(args[1]));
        ASSERT_GT(decoded.samples, 0);
        // A sine's root mean square is its amplitude over the square root of two.
        const auto rms = [&](int channel) {
            return std::sqrt(decoded.channelSquares[channel] / decoded.samples);
        };
        EXPECT_NEAR(rms(0), 0.6 / std::numbers::sqrt2, 0.05) << "left";
        EXPECT_NEAR(rms(1), 0.15 / std::numbers::sqrt2, 0.05) << "right";
    }
}

TEST_F(VideoTest, TheFirstWhiteFrameAndTheClickComeTogether) {
    // Ranges that do not start at 0 and rates that are not whole: the music is cut to match.
    struct Case {
        std::vector<std::string> args;
        double fps;
        double firstFrameSeconds;
    } cases[] = {
        {{"--video", "sync.mp4", "--from", "0.5", "--to", "2.5"}, 60.0, 0.5},
        {{"--video", "sync.mkv", "--from", "0.5", "--to", "2.5", "--fps", "50", "--scale", "1"}, 50.0, 0.5},
        {{"--video", "lossless.mkv", "--from", "0.25", "--to", "2.25", "--fps", "29.97", "--lossless"},
         29.97,
         8 / 29.97},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        const ProcessResult run = Export(c.args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const Decoded decoded = DecodeFile(dir.File(c.args[1]));
        ASSERT_GE(decoded.whiteSeconds, 0) << "no white frame";
        ASSERT_GE(decoded.loudSeconds, 0) << "no click";
        const double white = decoded.whiteSeconds;
        const double click = decoded.loudSeconds;
        const double expected = kSwitchSeconds - c.firstFrameSeconds;
        EXPECT_NEAR(white, expected, 1.0 / c.fps);
        EXPECT_NEAR(click, expected, 1.0 / c.fps);
        EXPECT_NEAR(white, click, 1.0 / c.fps);
    }
}

TEST_F(VideoTest, SameArchiveAndOptionsSameBytes) {
    for (const char* name : {"again.mp4", "again.mkv"}) {
        TempDir other;
        std::vector<std::string> args = {"--video", name, "--from", "1", "--to", "2"};
        if (std::string(name).ends_with(".mkv")) args.push_back("--lossless");
        const ProcessResult first = Export(args);
        ASSERT_EQ(first.exitCode, 0) << first.err;
        args[1] = other.File(name);
        const ProcessResult second = Export(args);
        ASSERT_EQ(second.exitCode, 0) << second.err;
        const std::string bytes = ReadWholeFile(dir.File(name));
        EXPECT_GT(bytes.size(), 1000u);
        EXPECT_TRUE(bytes == ReadWholeFile(other.File(name))) << name << " differs between two runs";
    }
}

TEST_F(VideoTest, LosslessFramesEqualThePngsUpscaledSharpAndH264KeepsTheirColours) {
    if (!std::filesystem::exists(kGenerated)) GTEST_SKIP() << "the build did not generate " << kGenerated;
    const ProcessResult pngs = RunProcess(
        {kCapture, "--archive", kGenerated, "--out", dir.File("png"), "--at", "3", "10", "18", "30", "40"},
        dir.Path().string(), {}, kHangLimitSeconds);
    ASSERT_EQ(pngs.exitCode, 0) << pngs.err;
    struct Case {
        const char* at;
        const char* png;
        int scale;
    } cases[] = {{"3", "t0003000.png", 1},
                 {"10", "t0010000.png", 2},
                 {"18", "t0018000.png", 1},
                 {"30", "t0030000.png", 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        RgbImage expected;
        ASSERT_TRUE(ReadPngFile(dir.File(std::string("png/") + c.png), &expected));
        const std::string video = dir.File(std::string("at") + c.at + ".mkv");
        const std::string to = std::to_string(std::atof(c.at) + 0.01);  // one frame at 60 fps
        const ProcessResult run = Export(
            {"--video", video, "--lossless", "--scale", std::to_string(c.scale), "--from", c.at, "--to", to},
            kGenerated);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        int frames = 0;
        int64_t differing = 0;
        media::Decode(video, AVMEDIA_TYPE_VIDEO, [&](const AVFrame& frame, AVRational) {
            ++frames;
            ASSERT_EQ(frame.format, AV_PIX_FMT_BGR0);
            ASSERT_EQ(frame.width, expected.w * c.scale);
            ASSERT_EQ(frame.height, expected.h * c.scale);
            for (int y = 0; y < frame.height; ++y) {
                const uint8_t* row = frame.data[0] + static_cast<ptrdiff_t>(y) * frame.linesize[0];
                for (int x = 0; x < frame.width; ++x) {
                    const uint32_t rgb =
                        (uint32_t{row[4 * x + 2]} << 16) | (uint32_t{row[4 * x + 1]} << 8) | row[4 * x];
                    differing += rgb != expected.At(x / c.scale, y / c.scale);
                }
            }
        });
        EXPECT_EQ(frames, 1);
        EXPECT_EQ(differing, 0);
    }
    // H.264 keeps the colours a player shows by the stream's own tags: its compression and halved
    // colour resolution lose detail, but shift no colour on average.
    RgbImage expected;
    ASSERT_TRUE(ReadPngFile(dir.File("png/t0040000.png"), &expected));
    const std::string video = dir.File("colours.mp4");
    const ProcessResult run =
        Export({"--video", video, "--scale", "1", "--from", "40", "--to", "40.01"}, kGenerated);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    int frames = 0;
    media::Decode(video, AVMEDIA_TYPE_VIDEO, [&](const AVFrame& frame, AVRational) {
        if (frames++ != 0) return;
        ASSERT_EQ(frame.format, AV_PIX_FMT_YUV420P);
        double shift[3] = {0, 0, 0};  // blue, green, red: the mean of shown minus rendered
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) {
                const uint32_t shown = ShownColour(frame, x, y), rendered = expected.At(x, y);
                for (int c = 0; c < 3; ++c)
                    shift[c] += static_cast<int>((shown >> (8 * c)) & 0xFF) -
                                static_cast<int>((rendered >> (8 * c)) & 0xFF);
            }
        }
        for (double& s : shift) s /= static_cast<double>(frame.width) * frame.height;
        EXPECT_LT(std::max({std::fabs(shift[0]), std::fabs(shift[1]), std::fabs(shift[2])}), 1.0)
            << "blue " << shift[0] << ", green " << shift[1] << ", red " << shift[2];
    });
    EXPECT_GE(frames, 1);
}

TEST_F(VideoTest, BadOutputsAndOptionsFailClearlyAndLeaveNoFinishedFile) {
    std::filesystem::create_directory(dir.File("taken.mp4"));
    std::filesystem::create_symlink("/dev/full", dir.File("full.mp4.part"));
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
        const char* target;  // must not exist afterwards, nor its .part
    } cases[] = {
        {{"--video", "x.avi"}, 2, "use .mp4 or .mkv", "x.avi"},
        {{"--video", "x.mp4", "--lossless"}, 2, "--lossless needs an .mkv file", "x.mp4"},
        {{"--video", "x.mp4", "--scale", "7"}, 2, "--scale", "x.mp4"},
        {{"--video", "x.mp4", "--quality", "52"}, 2, "--quality", "x.mp4"},
        {{"--video", "x.mp4", "--preset", "warp"}, 2, "--preset", "x.mp4"},
        {{"--video", "x.mp4", "--fps", "0.0001"}, 2, "not a frame rate", "x.mp4"},
        {{"--video", "x.mp4", "--at", "1"}, 2, "--at", "x.mp4"},
        {{"--video", "x.mp4", "--from", "2", "--to", "2"}, 2, "A < B", "x.mp4"},
        {{"--video", "x.mp4", "--to", "1e-9"}, 2, "no frame lies between", "x.mp4"},
        {{"--video", "x.mp4", "--unknown"}, 2, "--unknown", "x.mp4"},
        {{"--video"}, 2, "--video", "x.mp4"},
        {{"--out", "frames", "--scale", "2", "--at", "1"}, 2, "--scale", "frames"},
        {{"--video", "no/such/folder/x.mp4", "--to", "1"},
         1,
         "cannot write no/such/folder/x.mp4.part",
         "x.mp4"},
        {{"--video", "taken.mp4", "--to", "1"}, 1, "it is a directory", "taken.mp4.part"},
        {{"--video", "full.mp4", "--to", "1"}, 1, "No space left on device", "full.mp4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : "") + " " + c.args.back());
        const ProcessResult run = Export(c.args);
        ASSERT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        std::error_code ec;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir.File(c.target), ec)));
        EXPECT_FALSE(std::filesystem::exists(
            std::filesystem::symlink_status(dir.File(std::string(c.target) + ".part"), ec)));
    }
    // The archive must be there: without it there is nothing to show.
    const ProcessResult missing = Export({"--video", "x.mp4", "--to", "1"}, dir.File("none.zip"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("cannot read the archive"), std::string::npos) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.mp4")));
}

TEST_F(VideoTest, MusicThatCannotBeDecodedGivesASilentVideoWithOneWarning) {
    const std::string archive = dir.File("broken-music.zip");
    WriteSwitchArchive(archive, std::string(4000, 'x'));
    const ProcessResult run = Export({"--video", "silent.mp4", "--from", "1", "--to", "2"}, archive);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const size_t warning = run.err.find("warning: Couldn't load mp3");
    ASSERT_NE(warning, std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("warning", warning + 1), std::string::npos) << "one warning";
    const Decoded decoded = DecodeFile(dir.File("silent.mp4"));
    EXPECT_EQ(decoded.frames, 60);
    EXPECT_GE(decoded.samples, kRate);
    EXPECT_EQ(decoded.loudest, 0.0f);
}

}  // namespace
