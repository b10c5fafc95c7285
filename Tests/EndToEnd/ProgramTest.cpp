// The real zembravale binary, headless: SDL's dummy video and its disk audio driver with no delay,
// so the music runs much faster than real time and a whole run takes seconds.
#include "Support/ImageEncoders.h"
#include "Support/Mp3Fixture.h"
#include "Support/Process.h"
#include "Support/SceneFixture.h"
#include "Support/TempDir.h"
#include "Support/ZipWriter.h"

#include <gtest/gtest.h>

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
    zip.Add("syncroscripts/intro.xml", Script("", R"(<k mp3time="0" fxtime="0"/><k mp3time="4" fxtime="200"/>)"));
    zip.Add("syncroscripts/part1.xml", Script(bands, R"(<k mp3time="4" fxtime="0"/><k mp3time="60" fxtime="300"/>)"));
    zip.Add("syncroscripts/part2.xml", Script(bands, R"(<k mp3time="60" fxtime="0"/><k mp3time="245" fxtime="810"/>)"));
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
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') captions.push_back(line.substr(1, line.size() - 2));
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
    const ProcessResult run = RunProcess({kProgram}, dir.Path().string(), HeadlessEnv(audio), kHangLimitSeconds);
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
    const std::vector<std::string> perMember = {"DoFileLengthInDataFileLookup", "LoadFileFromDataFile", "FLoadFile",
                                                "DoFileLengthInDataFileLookup", "DoFileLengthInDataFileLookup"};
    ASSERT_EQ(captions.size(), 101 * perMember.size() + 1);
    for (size_t i = 0; i + 1 < captions.size(); ++i) EXPECT_EQ(captions[i], perMember[i % perMember.size()]) << i;
    EXPECT_EQ(captions.back(), "BassPlayer Error");
    const std::string boxes = Boxes(run.err);
    EXPECT_TRUE(boxes.starts_with("[DoFileLengthInDataFileLookup]\nCan't open Datafile!!!\n"
                                    "[LoadFileFromDataFile]\nCan't open Zipfile!!!\n"
                                    "[FLoadFile]\nCouldn't load file: pelmarov/credits.png.\n"));
    EXPECT_TRUE(boxes.ends_with("[FLoadFile]\nCouldn't load file: rorozuzorozori.mp3.\n"
                                  "[DoFileLengthInDataFileLookup]\nCan't open Datafile!!!\n"
                                  "[DoFileLengthInDataFileLookup]\nCan't open Datafile!!!\n"
                                  "[BassPlayer Error]\nCouldn't load mp3\n\n.\\Sources\\Utils\\Utils\nLine : 18\n\n"))
        << boxes.substr(boxes.size() > 400 ? boxes.size() - 400 : 0);
}

TEST(Program, UnplayableMusicEndsStartUpWithItsBox) {
    for (const std::string& music : {std::string(5000, 'x'), std::string()}) {
        TempDir dir;
        WriteArchive(dir, music);
        const ProcessResult run = RunProcess({kProgram}, dir.Path().string(), HeadlessEnv(), kHangLimitSeconds);
        ASSERT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(Boxes(run.err).ends_with("[BassPlayer Error]\nCouldn't load mp3\n\n.\\Sources\\Utils\\Utils\nLine : 18\n\n"))
            << run.err;
        EXPECT_EQ(Captions(run.err), std::vector<std::string>{"BassPlayer Error"}) << run.err;
    }
}

}  // namespace

namespace {

// A real X server for the test (Xvfb), on a display number the server picks itself.
class VirtualDisplay {
public:
    VirtualDisplay(const TempDir& dir) {
        int fds[2];
        if (pipe(fds) != 0) return;
        server = std::make_unique<ChildProcess>(
            std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                     "1024x768x24", "-nolisten", "tcp"},
            dir.Path().string(), std::vector<std::string>{});
        close(fds[1]);
        char number[16] = {};
        const ssize_t n = read(fds[0], number, sizeof number - 1);
        close(fds[0]);
        // Appended rather than prefixed: GCC 12 at -O3 sees a false overlap in ":" + std::string.
        if (n > 0) display = std::string(":").append(number, strcspn(number, "\n"));
    }
    ~VirtualDisplay() {
        if (server) server->Wait(0);
    }
    std::string display;

private:
    std::unique_ptr<ChildProcess> server;
};

TEST(Program, EscapeEndsTheRunInARealWindow) {
    if (!std::filesystem::exists("/usr/bin/Xvfb") || !std::filesystem::exists("/usr/bin/xdotool")) {
        GTEST_SKIP() << "needs Xvfb and xdotool";
    }
    TempDir dir;
    WriteArchive(dir, ShortMusic());
    VirtualDisplay x(dir);
    ASSERT_FALSE(x.display.empty());
    // Music at its real pace: without Escape the run would last four minutes. The X11 and session
    // bus client libraries SDL loads keep objects to the end of the process, so a sanitized build
    // checks leaks in the headless runs, not here.
    ChildProcess demo({kProgram}, dir.Path().string(),
                      {"DISPLAY=" + x.display, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=disk",
                       "SDL_DISKAUDIOFILE=/dev/null", "ASAN_OPTIONS=detect_leaks=0"});
    const std::vector<std::string> xdotoolEnv = {"DISPLAY=" + x.display};
    bool found = false;
    for (int attempt = 0; attempt < 100 && demo.Running() && !found; ++attempt) {
        const ProcessResult search = RunProcess({"/usr/bin/xdotool", "search", "--name", "z e m b r a v A L e"},
                                                dir.Path().string(), xdotoolEnv, 10);
        found = search.exitCode == 0 && !search.out.empty();
        if (!found) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(found) << "the window never appeared";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    RunProcess({"/usr/bin/xdotool", "search", "--name", "z e m b r a v A L e", "windowfocus", "--sync", "key", "Escape"},
               dir.Path().string(), xdotoolEnv, 10);
    const ProcessResult run = demo.Wait(60);
    EXPECT_FALSE(run.timedOut) << "Escape did not end the run";
    EXPECT_EQ(run.exitCode, 0) << run.err;
}

}  // namespace
