// The real zembravale binary, headless: SDL's dummy video and its disk audio driver with no delay,
// so the music runs much faster than real time and a whole run takes seconds.
#include "Audio/Mp3Decoder.h"
#include "Support/ImageEncoders.h"
#include "Support/Mp3Fixture.h"
#include "Support/Process.h"
#include "Support/RealWindow.h"
#include "Support/SceneFixture.h"
#include "Support/TempDir.h"
#include "Support/Unzip.h"
#include "Support/ZipWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using encode::Bytes;
using encode::Jpeg;
using encode::Png8;
using testing_support::EncodeMp3;
using testing_support::SyntheticMusic;

const std::string kProgram = ZV_BINARY_DIR "/zembravale";
constexpr int kHangLimitSeconds = 180;

std::string Script(const char* bands, const char* keys) {
    return std::string("<part><autosyncro>") + bands + "</autosyncro><timing>" + keys + "</timing></part>";
}

// Every catalogue picture as a solid picture of the size its scenes expect, the three scripts
// covering 0 to 245 s, and the given music.
std::string WriteArchive(const TempDir& dir, std::string_view mp3) {
    const std::string path = dir.File("tarnos.zip");
    ZipWriter zip(path);
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        const auto [w, h] = PictureSize(guid);
        const uint32_t colour = PictureColour(guid);
        Bytes rgb(static_cast<size_t>(w) * h * 3);
        for (size_t i = 0; i < rgb.size(); i += 3) {
            rgb[i] = static_cast<uint8_t>(colour >> 16);
            rgb[i + 1] = static_cast<uint8_t>(colour >> 8);
            rgb[i + 2] = static_cast<uint8_t>(colour);
        }
        const std::string member = catalogue[guid].member;
        const bool jpeg = member.ends_with(".jpg");
        zip.Add(member, jpeg ? Jpeg(w, h, 3, rgb) : Png8(w, h, 3, rgb), ZipWriter::Method::kStored);
    }
    const char* bands = R"(<b startfreq="0" endfreq="40" thresold="0.3" gravity="20"/>)"
                        R"(<b startfreq="100" endfreq="300" thresold="0.2" gravity="40"/>)"
                        R"(<b startfreq="300" endfreq="600" thresold="0.2" gravity="40"/>)";
    zip.Add("syncroscripts/intro.xml",
            Script("", R"(<k mp3time="0" fxtime="0"/><k mp3time="4" fxtime="200"/>)"));
    zip.Add("syncroscripts/part1.xml",
            Script(bands, R"(<k mp3time="4" fxtime="0"/><k mp3time="60" fxtime="300"/>)"));
    zip.Add("syncroscripts/part2.xml",
            Script(bands, R"(<k mp3time="60" fxtime="0"/><k mp3time="245" fxtime="810"/>)"));
    zip.Add("rorozuzorozori.mp3", mp3, ZipWriter::Method::kStored);
    zip.Close();
    return path;
}

std::string ShortMusic() {
    const std::vector<char> mp3 = EncodeMp3(SyntheticMusic(5.0));
    return std::string(mp3.begin(), mp3.end());
}

std::vector<std::string> HeadlessEnv(const std::string& audioFile = "/dev/null") {
    return {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + audioFile,
            "SDL_DISKAUDIODELAY=0"};
}

// The boxes the default sink wrote, in order: each starts with a "[caption]" line.
std::vector<std::string> Captions(const std::string& err) {
    std::vector<std::string> captions;
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']')
            captions.push_back(line.substr(1, line.size() - 2));
    }
    return captions;
}

// The part of stderr that is ours: SDL's disk driver announces itself with CRITICAL lines.
std::string Boxes(const std::string& err) {
    std::string ours;
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("CRITICAL:")) ours += line + "\n";
    }
    return ours;
}

TEST(Program, PlaysTheWholeProductionToTheEndAndExitsZero) {
    TempDir dir;
    WriteArchive(dir, ShortMusic());
    const std::string audio = dir.File("audio.raw");
    const ProcessResult run =
        RunProcess({kProgram}, dir.Path().string(), HeadlessEnv(audio), kHangLimitSeconds);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Boxes(run.err), "") << "no boxes on a sound archive";
    // The run ends at 245 s of music, long after the 5 s track: the device was handed about 245 s
    // of 16-bit stereo at 44100 Hz, silence after the track's end (the last device buffer may
    // still be on its way to the file when the run stops).
    EXPECT_GE(std::filesystem::file_size(audio), 244ull * 44100 * 4);
}

TEST(Program, PlaysTheGeneratedArchiveWithoutABox) {
    const std::filesystem::path generated = ZV_BINARY_DIR "/assets/tarnos.zip";
    if (!std::filesystem::exists(generated)) GTEST_SKIP() << "the build did not generate " << generated;
    TempDir dir;
    std::filesystem::copy_file(generated, dir.File("tarnos.zip"));
    const ProcessResult run = RunProcess({kProgram}, dir.Path().string(), HeadlessEnv(), kHangLimitSeconds);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Boxes(run.err), "");
}

TEST(Program, WithoutAnArchiveShowsTheArchiveBoxesThenCannotPlay) {
    TempDir dir;
    const ProcessResult run = RunProcess({kProgram}, dir.Path().string(), HeadlessEnv(), kHangLimitSeconds);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0);
    const std::vector<std::string> captions = Captions(run.err);
    // Per picture and for the music: the load (length check, normalised load, its own box), then
    // the length twice.
    const std::vector<std::string> perMember = {"DoFileLengthInDataFileLookup", "LoadFileFromDataFile",
                                                "FLoadFile", "DoFileLengthInDataFileLookup",
                                                "DoFileLengthInDataFileLookup"};
    ASSERT_EQ(captions.size(), 101 * perMember.size() + 1);
    for (size_t i = 0; i + 1 < captions.size(); ++i)
        EXPECT_EQ(captions[i], perMember[i % perMember.size()]) << i;
    EXPECT_EQ(captions.back(), "BassPlayer Error");
    const std::string boxes = Boxes(run.err);
    EXPECT_TRUE(
        boxes.starts_with("[DoFileLengthInDataFileLookup]\nCan't open Datafile!!!\n"
                          "[LoadFileFromDataFile]\nCan't open Zipfile!!!\n"
                          "[FLoadFile]\nCouldn't load file: pelmarov/credits.png.\n"));
    EXPECT_TRUE(
        boxes.ends_with("[FLoadFile]\nCouldn't load file: rorozuzorozori.mp3.\n"
                        "[DoFileLengthInDataFileLookup]\nCan't open Datafile!!!\n"
                        "[DoFileLengthInDataFileLookup]\nCan't open Datafile!!!\n"
                        "[BassPlayer Error]\nCouldn't load mp3\n\n.\\Sources\\Utils\\Utils\nLine : 18\n\n"))
        << boxes.substr(boxes.size() > 400 ? boxes.size() - 400 : 0);
}

TEST(Program, UnplayableMusicEndsStartUpWithItsBox) {
    for (const std::string& music : {std::string(5000, 'x'), std::string()}) {
        TempDir dir;
        WriteArchive(dir, music);
        const ProcessResult run =
            RunProcess({kProgram}, dir.Path().string(), HeadlessEnv(), kHangLimitSeconds);
        ASSERT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(Boxes(run.err).ends_with(
            "[BassPlayer Error]\nCouldn't load mp3\n\n.\\Sources\\Utils\\Utils\nLine : 18\n\n"))
            << run.err;
        EXPECT_EQ(Captions(run.err), std::vector<std::string>{"BassPlayer Error"}) << run.err;
    }
}

}  // namespace

namespace {

using testing_support::ProgramWindow;
using testing_support::RealWindowToolsPresent;
using testing_support::VirtualDisplay;

TEST(Program, EscapeEndsTheRunInARealWindow) {
    if (!RealWindowToolsPresent()) GTEST_SKIP() << "needs Xvfb and xdotool";
    TempDir dir;
    WriteArchive(dir, ShortMusic());
    VirtualDisplay x(dir);
    ASSERT_FALSE(x.display.empty());
    ProgramWindow window(kProgram, {}, dir, x);
    ASSERT_TRUE(window.found) << "the window never appeared\n" << window.failures;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    window.Keys({"Escape"});
    const ProcessResult run = window.demo->Wait(60);
    EXPECT_FALSE(run.timedOut) << "Escape did not end the run";
    EXPECT_EQ(run.exitCode, 0) << run.err;
}

// The number after `label` in the last line of `text` that has it; NaN when none does.
int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

double NumberAfter(const std::string& text, const std::string& label) {
    const size_t at = text.rfind(label);
    return at == std::string::npos ? std::nan("") : std::strtod(text.c_str() + at + label.size(), nullptr);
}

// The preview keys in a real window: a seek moves the music, a pause holds it however long it
// lasts, R reloads what the archive holds, Home goes back to the start, a loop marked with [ and ]
// and switched on with L wraps the picture with the music, and Escape still ends it.
TEST(Program, PreviewKeysSeekPauseReloadLoopAndEscapeInARealWindow) {
    if (!RealWindowToolsPresent()) GTEST_SKIP() << "needs Xvfb and xdotool";
    TempDir dir;
    WriteArchive(dir, ShortMusic());
    VirtualDisplay x(dir);
    ASSERT_FALSE(x.display.empty());
    ProgramWindow window(kProgram, {"--window", "--preview", "--start", "1"}, dir, x);
    ASSERT_TRUE(window.found) << "the window never appeared\n" << window.failures;

    // Each key waits for the program to tell it acted, so a slow start or a slow reload cannot run
    // two keys into one frame.
    const auto press = [&](const std::string& key, const std::string& told) {
        const size_t before = window.Said().size();
        window.Keys({key});
        const bool acted = window.WaitToSay(told, before);
        EXPECT_TRUE(acted) << key << " was not told with \"" << told << "\"\n" << window.Said();
        return acted;
    };
    ASSERT_TRUE(press("shift+Right", "seek to "));
    ASSERT_TRUE(press("space", "paused at "));
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    ASSERT_TRUE(press("space", "resumed at "));
    ASSERT_TRUE(press("r", "reload: "));
    ASSERT_TRUE(press("Home", "seek to "));
    // A loop of about half a second from near 0, played through a few times.
    ASSERT_TRUE(press("bracketleft", "loop marks "));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(press("bracketright", "loop marks "));
    ASSERT_TRUE(press("l", "loop on "));
    EXPECT_TRUE(window.WaitToSay("loop back to ", window.Said().size()));
    window.Keys({"Escape"});
    const ProcessResult run = window.demo->Wait(60);
    EXPECT_FALSE(run.timedOut) << "Escape did not end the run";
    EXPECT_EQ(run.exitCode, 0);
    const std::string& err = run.err;

    // Started at 1 s, ten seconds on: past the five seconds of music, where silence plays on.
    const double first = NumberAfter(err.substr(0, err.find("paused")), "seek to ");
    EXPECT_GE(first, 11.0) << err;
    EXPECT_LT(first, 13.0) << err;
    const double paused = NumberAfter(err, "paused at ");
    const double resumed = NumberAfter(err, "resumed at ");
    EXPECT_GE(paused, first) << err;
    EXPECT_EQ(paused, resumed) << "the music moved while paused\n" << err;
    EXPECT_NE(err.find("zembravale: reload: scripts replaced, 100 pictures replaced, 0 kept"),
              std::string::npos)
        << err;
    EXPECT_EQ(NumberAfter(err.substr(0, err.find("loop on")), "seek to "), 0.0) << err;
    const double loopStart = NumberAfter(err, "loop on ");
    EXPECT_GE(loopStart, 0.0) << err;
    EXPECT_LT(loopStart, 1.0) << err;
    // The picture goes back with the music each time it wraps: to the loop's start, and the little
    // the music played from there before the next frame.
    const double back = NumberAfter(err, "loop back to ");
    EXPECT_GE(back, loopStart - 0.001) << err;
    EXPECT_LT(back, loopStart + 0.25) << err;

    // One key, one seek: the two seeking keys are told once each, and the music's own jump after a
    // seek is never taken for a wrap of a loop that is not on yet.
    const std::string beforeLoop = err.substr(0, err.find("loop on"));
    EXPECT_EQ(Occurrences(beforeLoop, "seek to "), 2) << err;
    EXPECT_EQ(Occurrences(beforeLoop, "loop back"), 0) << err;
}

}  // namespace

namespace {

// Options the program cannot use end it before anything opens, with a message naming the option
// and exit status 2.
TEST(ProgramOptions, RefusesWhatItCannotUseWithStatusTwo) {
    TempDir dir;
    const std::string missing = dir.File("nothere");
    const std::string archive = WriteArchive(dir, "");
    struct Case {
        std::vector<std::string> arguments;
        std::string said;  // part of the message
    };
    const Case cases[] = {
        {{"--bogus"}, "--bogus"},
        {{"tarnos.zip"}, "tarnos.zip"},
        {{"--window", "--scale"}, "--scale"},
        {{"--window", "--scale", "0"}, "Value 0 not in range 1 to 8"},
        {{"--window", "--scale", "9"}, "Value 9 not in range 1 to 8"},
        {{"--scale", "2"}, "--scale requires --window"},
        {{"--start"}, "--start"},
        {{"--start", "-5"}, "not a music time in seconds with 0 <= T < 245: -5"},
        {{"--start=-0.001"}, "-0.001"},
        {{"--start", "245"}, "not a music time in seconds with 0 <= T < 245: 245"},
        {{"--start", "1000"}, "1000"},
        {{"--start", "nan"}, "nan"},
        {{"--start", "12s"}, "12s"},
        {{"--data", missing}, "--data: Directory does not exist: " + missing},
        {{"--data", archive}, "--data: Directory is actually a file: " + archive},
        {{"--data"}, "--data"},
        {{"--archive", missing}, "--archive: File does not exist: " + missing},
        {{"--archive", archive, "--data", dir.Path().string()}, "excludes"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv = {kProgram};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        const ProcessResult run = RunProcess(argv, dir.Path().string(), HeadlessEnv(), 30);
        SCOPED_TRACE(c.said);
        ASSERT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.starts_with("zembravale: ")) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        EXPECT_EQ(Captions(run.err), std::vector<std::string>{}) << "no box: nothing was opened";
        EXPECT_EQ(run.out, "");
    }
    const ProcessResult help = RunProcess({kProgram, "--help"}, dir.Path().string(), HeadlessEnv(), 30);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--window", "--scale", "--archive", "--data", "--start"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
}

// The track frame the device's first sound is, or -1: where the music started. (Before it, a
// device still paused may have written silence; after the end, it writes silence until it closes,
// so the file's length says nothing about the clock.)
int64_t FirstSoundFrame(const std::string& audioFile, const std::vector<int16_t>& track) {
    const std::string bytes = ReadWholeFile(audioFile);
    std::vector<int16_t> written(bytes.size() / 2);
    std::memcpy(written.data(), bytes.data(), written.size() * 2);
    const auto sound = std::find_if(written.begin(), written.end(), [](int16_t v) { return v != 0; });
    if (written.end() - sound < 4096) return -1;
    for (int64_t frame = 0; frame * 2 + 4096 <= static_cast<int64_t>(track.size()); ++frame) {
        if (std::equal(sound, sound + 4096, track.begin() + frame * 2)) return frame;
    }
    return -1;
}

// An archive elsewhere, played from the middle of its music: the device gets the track from that
// moment on.
TEST(ProgramOptions, PlaysAnotherArchiveFromAGivenTime) {
    TempDir dir;
    const std::string mp3 = ShortMusic();
    WriteArchive(dir, mp3);
    std::vector<int16_t> track;
    ASSERT_TRUE(audio::DecodeMp3(mp3.data(), mp3.size(), track));
    std::filesystem::create_directory(dir.Path() / "elsewhere");
    const std::string audio = dir.File("audio.raw");
    const ProcessResult run = RunProcess({kProgram, "--archive", "../tarnos.zip", "--start", "3"},
                                         dir.File("elsewhere"), HeadlessEnv(audio), kHangLimitSeconds);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Boxes(run.err), "");
    EXPECT_EQ(FirstSoundFrame(audio, track), 3 * 44100);
}

// The archive unpacked into a folder plays without a box; a member missing from the folder shows
// the boxes a zip without it shows.
TEST(ProgramOptions, PlaysAFolderOfMembersWithTheArchiveBoxes) {
    TempDir dir;
    const std::string zip = WriteArchive(dir, ShortMusic());
    const std::filesystem::path folder = dir.Path() / "unpacked";
    UnpackZip(zip, folder);
    const ProcessResult whole = RunProcess({kProgram, "--data", folder.string(), "--start", "240"},
                                           dir.Path().string(), HeadlessEnv(), kHangLimitSeconds);
    ASSERT_FALSE(whole.timedOut);
    EXPECT_EQ(whole.exitCode, 0);
    EXPECT_EQ(Boxes(whole.err), "");

    std::filesystem::remove(folder / "syncroscripts" / "part2.xml");
    const ProcessResult lacking = RunProcess({kProgram, "--data", "unpacked", "--start", "240"},
                                             dir.Path().string(), HeadlessEnv(), kHangLimitSeconds);
    ASSERT_FALSE(lacking.timedOut);
    EXPECT_EQ(lacking.exitCode, 0);
    EXPECT_TRUE(Boxes(lacking.err)
                    .starts_with("[DoFileLengthInDataFileLookup]\nFile Not Found in datafile!!!\n"
                                 "[LoadFileFromDataFile]\nFile Not Found in datafile!!!\n"
                                 "[FLoadFile]\nCouldn't load file: syncroscripts/part2.xml.\n"))
        << lacking.err;
}

// A window of twice the size, on the headless driver: it opens, plays and ends like full-screen.
TEST(ProgramOptions, PlaysInAScaledWindow) {
    TempDir dir;
    WriteArchive(dir, ShortMusic());
    const ProcessResult run = RunProcess({kProgram, "--window", "--scale", "2", "--start", "240"},
                                         dir.Path().string(), HeadlessEnv(), kHangLimitSeconds);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Boxes(run.err), "");
}

}  // namespace

namespace {

// A real window: it opens at twice the canvas's size, goes on playing through resizes to larger,
// smaller-than-the-canvas and odd sizes, and Escape still ends the run.
TEST(ProgramOptions, ScaledWindowFollowsResizesInARealWindow) {
    if (!RealWindowToolsPresent()) GTEST_SKIP() << "needs Xvfb and xdotool";
    TempDir dir;
    WriteArchive(dir, ShortMusic());
    VirtualDisplay x(dir);
    ASSERT_FALSE(x.display.empty());
    ProgramWindow window(kProgram, {"--window", "--scale", "2"}, dir, x);
    ASSERT_TRUE(window.found) << "the window never appeared\n" << window.failures;
    EXPECT_NE(window.geometry.find("Geometry: 1280x960"), std::string::npos) << window.geometry;
    for (const char* size : {"1000 700", "300 200", "1023 767"}) {
        std::istringstream wh(size);
        std::string w, h;
        wh >> w >> h;
        window.Xdotool({"windowsize", "--sync", w, h});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(window.demo->Running()) << "the run ended after a resize to " << size;
    }
    window.Keys({"Escape"});
    const ProcessResult run = window.demo->Wait(60);
    EXPECT_FALSE(run.timedOut) << "Escape did not end the run";
    EXPECT_EQ(run.exitCode, 0) << run.err;
}

}  // namespace
