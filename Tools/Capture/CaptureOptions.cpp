#include "Capture/CaptureOptions.h"

#include "Capture/VideoEncoder.h"
#include "Production/DefaultArchive.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {

constexpr const char* kFooter = R"(
Every frame from the start is rendered (timers, random numbers and beat levels evolve as they do
live); only the frames asked for are written. Music time of frame n is n / fps; the wall clock the
scenes read shows the same time. The same archive and options always give the same files.

PNG files: --at T writes the first frame at or after T (a T between two frames gives the later one)
as DIR/tNNNNNNN.png, named by T in milliseconds (12.5 s -> t0012500.png);
--from A --to B writes every frame with A <= time <= B as DIR/frame0000000.png, frame0000001.png, ...

Video: the extension picks the container: .mp4 (H.264 and AAC, index at the front) or .mkv (the
same, or with --lossless FFV1 in RGB and FLAC, every frame equal to its PNG). The video holds the
frames with A <= time < B (default 0 to 245 s) and the music of exactly that stretch. The file is
written as FILE.part and renamed when complete.
)"
#ifdef ZV_PNG_ONLY
                                R"(
This Windows build writes PNG frames only: it has no video encoders, so --video is refused.
)"
#endif
    ;

constexpr double kLongestSeconds = 100000;

bool ParseSeconds(const std::string& text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && std::isfinite(*value) && *value >= 0 &&
           *value < kLongestSeconds;
}

// Thrown for option combinations CLI11 cannot express; reported like its own errors.
struct OptionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The checks of ParseCaptureOptions: false when --help was asked, or throws.
bool Parse(int argc, const char* const* argv, CaptureOptions& o, std::string* help) {
    CLI::App app{
        "Renders the production offline, exactly as a viewer would see it, and writes PNG frames or a video.",
        "zembravale-capture"};
    app.footer(kFooter);
    app.set_help_flag("-h,--help", "this text");
    const CLI::Validator seconds(
        [](std::string& text) {
            double value = 0;
            return ParseSeconds(text, &value) ? std::string() : "not a time in seconds: " + text;
        },
        "");
    const CLI::Validator frameRate(
        [](std::string& text) {
            FrameRate rate;
            return ParseFrameRate(text, &rate) ? std::string()
                                               : "not a frame rate: " + text + " (60, 29.97, 60000/1001 ...)";
        },
        "");

    o.archive = DefaultArchivePath();
    app.add_option("--archive", o.archive,
                   std::string("the data archive (default: tarnos.zip in the working directory, else ") +
                       InstalledArchivePath() + ")")
        ->type_name("PATH");
    auto* out =
        app.add_option("--out", o.out, "write PNG files into DIR (created if missing)")->type_name("DIR");
    auto* video = app.add_option("--video", o.video, "write a video file with the music (.mp4 or .mkv)")
                      ->type_name("FILE")
                      ->excludes(out);
    app.add_option("--fps", o.fps,
                   "frames per second: 60 (default), 30, 29.97 or a fraction such as 60000/1001")
        ->type_name("RATE")
        ->check(frameRate);
    auto* at = app.add_option("--at", o.atText,
                              "music times in seconds, one PNG each: the first frame at or after each")
                   ->type_name("T")
                   ->check(seconds)
                   ->excludes(video);
    auto* from = app.add_option("--from", o.fromText, "first music time of a range, in seconds")
                     ->type_name("A")
                     ->check(seconds);
    auto* to = app.add_option("--to", o.toText, "last music time of a range, in seconds")
                   ->type_name("B")
                   ->check(seconds);
    auto* scale = app.add_option("--scale", o.scale,
                                 "video: each pixel becomes N x N (1 to 6; default 2 for .mp4, 1 for .mkv)")
                      ->type_name("N")
                      ->check(CLI::Range(1, 6))
                      ->needs(video);
    app.add_option("--quality", o.quality,
                   "video: x264's constant rate factor, lower is better (0 to 51, default 18)")
        ->type_name("N")
        ->check(CLI::Range(0, 51))
        ->needs(video);
    app.add_option("--preset", o.preset, "video: x264's speed preset (default veryfast)")
        ->type_name("NAME")
        ->check(CLI::IsMember({"ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow",
                               "slower", "veryslow", "placebo"}))
        ->needs(video);
    app.add_flag("--lossless", o.lossless, "video: lossless FFV1 in RGB with FLAC, .mkv only")->needs(video);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        *help = app.help();
        return false;
    } catch (const CLI::ParseError& error) {
        throw OptionError(error.what());
    }

    ParseFrameRate(o.fps, &o.rate);
    for (const std::string& text : o.atText) o.at.push_back(std::strtod(text.c_str(), nullptr));
    if (from->count() > 0) o.from = std::strtod(o.fromText.c_str(), nullptr);
    if (to->count() > 0) o.to = std::strtod(o.toText.c_str(), nullptr);

    if (o.out.empty() && o.video.empty()) {
        throw OptionError("nothing to capture: give --out DIR with --at or --from/--to, or --video FILE");
    }
    if (!o.out.empty()) {
        const bool range = from->count() > 0 || to->count() > 0;
        if (range && (o.from < 0 || o.to < 0 || o.to < o.from)) {
            throw OptionError("--from A --to B needs both times, with A <= B");
        }
        if (!range && at->count() == 0)
            throw OptionError("nothing to capture: give --at T ... or --from A --to B");
        return true;
    }
    Container container;
    if (!ContainerFromPath(o.video, &container)) {
        throw OptionError("cannot tell the container from the name " + o.video + ": use .mp4 or .mkv");
    }
    if (o.lossless && container != Container::kMatroska) throw OptionError("--lossless needs an .mkv file");
    if (scale->count() == 0) o.scale = container == Container::kMp4 ? 2 : 1;
    if (o.from < 0) o.from = 0;
    if (o.to < 0) o.to = kEndTime;
    if (!(o.to > o.from)) throw OptionError("--from A --to B needs A < B for a video");
    return true;
}

}  // namespace

bool ContainerFromPath(const std::string& path, Container* container) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".mp4") {
        *container = Container::kMp4;
    } else if (extension == ".mkv") {
        *container = Container::kMatroska;
    } else {
        return false;
    }
    return true;
}

ParsedCaptureOptions ParseCaptureOptions(int argc, const char* const* argv) {
    ParsedCaptureOptions result;
    CaptureOptions options;
    try {
        if (Parse(argc, argv, options, &result.help)) result.options = std::move(options);
    } catch (const OptionError& error) {
        result.error = error.what();
    }
    return result;
}
