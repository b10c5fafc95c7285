// zembravale-capture: renders the production offline, as PNG files of chosen moments or as a
// video file with its music, without a window or a sound card.
#include "Capture/OfflineRenderer.h"
#include "Capture/PngWriter.h"
#include "Capture/Progress.h"
#include "Capture/VideoEncoder.h"
#include "Production/Production.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: zembravale-capture [--archive PATH] [--fps RATE] --out DIR (--at T [T ...] | --from A --to B)\n"
    "       zembravale-capture [--archive PATH] [--fps RATE] --video FILE [--from A] [--to B] [--scale N]\n"
    "                          [--quality N] [--preset NAME] [--lossless]\n";

constexpr const char* kFooter = R"(
Every frame from the start is rendered (timers, random numbers and beat levels evolve as they do
live); only the frames asked for are written. Music time of frame n is n / fps; the wall clock the
scenes read shows the same time. The same archive and options always give the same files.

PNG files: --at writes DIR/tNNNNNNN.png named by the time in milliseconds (12.5 s -> t0012500.png);
--from A --to B writes every frame with A <= time <= B as DIR/frame0000000.png, frame0000001.png, ...

Video: the extension picks the container: .mp4 (H.264 and AAC, index at the front) or .mkv (the
same, or with --lossless FFV1 in RGB and FLAC, every frame equal to its PNG). The video holds the
frames with A <= time < B (default 0 to 245 s) and the music of exactly that stretch. The file is
written as FILE.part and renamed when complete.
)";

constexpr double kLongestSeconds = 100000;

bool ParseSeconds(const std::string& text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && std::isfinite(*value) && *value >= 0 &&
           *value < kLongestSeconds;
}

struct Options {
    std::string archive = kArchivePath;
    std::string out;
    std::string video;
    std::string fps = "60";
    FrameRate rate;
    std::vector<std::string> atText;
    std::vector<double> at;
    std::string fromText, toText;
    double from = -1, to = -1;
    int scale = 0;  // 0: the container's default
    int quality = 18;
    std::string preset = "veryfast";
    bool lossless = false;
};

// Thrown for option combinations CLI11 cannot express; reported like its own errors.
struct OptionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// 0 when the options are complete and consistent, 1 when --help was shown, or throws.
int ParseOptions(int argc, char** argv, Options& o) {
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

    app.add_option("--archive", o.archive, "the data archive (default: tarnos.zip in the working directory)")
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
    auto* at = app.add_option("--at", o.atText, "music times in seconds, one PNG each")
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
        std::fputs(app.help().c_str(), stdout);
        return 1;
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
        return 0;
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
    return 0;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string AtName(double seconds) {
    char name[32];
    std::snprintf(name, sizeof name, "t%07lld.png", static_cast<long long>(std::llround(seconds * 1000)));
    return name;
}

std::string SequenceName(int64_t n) {
    char name[32];
    std::snprintf(name, sizeof name, "frame%07lld.png", static_cast<long long>(n));
    return name;
}

int WritePngs(const Options& options) {
    std::error_code ec;
    std::filesystem::create_directories(options.out, ec);
    if (ec) {
        std::fprintf(stderr, "zembravale-capture: cannot create %s: %s\n", options.out.c_str(),
                     ec.message().c_str());
        return 1;
    }
    // The --at moments in frame order; the range's frames are named as they come, so memory does
    // not grow with the range.
    std::vector<std::pair<int64_t, double>> moments;
    for (double t : options.at) moments.emplace_back(options.rate.FrameAt(t), t);
    std::stable_sort(moments.begin(), moments.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    int64_t rangeFirst = 0, rangeLast = -1;
    if (options.from >= 0) {
        rangeFirst = options.rate.FrameAt(options.from);
        rangeLast = options.rate.FrameAt(options.to);
        if (options.rate.Seconds(rangeLast) > options.to + 1e-9) --rangeLast;
    }
    const int64_t last = std::max(moments.empty() ? -1 : moments.back().first, rangeLast);
    if (last < 0) return 0;

    std::string error;
    OfflineRenderer renderer;
    if (!renderer.Open(options.archive, options.rate, &error)) {
        std::fprintf(stderr, "zembravale-capture: %s\n", error.c_str());
        return 1;
    }
    Progress progress(last + 1, StderrIsTerminal());
    const bool showProgress = last >= 600;  // ten seconds of frames or more
    const auto start = std::chrono::steady_clock::now();
    size_t nextMoment = 0;
    auto write = [&](const std::string& name) {
        const std::string path = (std::filesystem::path(options.out) / name).string();
        if (WritePng(path, renderer.Canvas(), &error)) return true;
        progress.Finish();
        std::fprintf(stderr, "zembravale-capture: %s\n", error.c_str());
        return false;
    };
    for (int64_t n = 0; n <= last; ++n) {
        renderer.RenderNextFrame();
        for (; nextMoment < moments.size() && moments[nextMoment].first == n; ++nextMoment) {
            if (!write(AtName(moments[nextMoment].second))) return 1;
        }
        if (n >= rangeFirst && n <= rangeLast && !write(SequenceName(n - rangeFirst))) return 1;
        if (showProgress) progress.Update(n + 1, SecondsSince(start));
    }
    progress.Finish();
    return 0;
}

int WriteVideo(const Options& options) {
    std::error_code ec;
    if (std::filesystem::is_directory(options.video, ec)) {
        std::fprintf(stderr, "zembravale-capture: cannot write %s: it is a directory\n",
                     options.video.c_str());
        return 1;
    }
    if (!std::ifstream(options.archive, std::ios::binary)) {
        std::fprintf(stderr, "zembravale-capture: cannot read the archive %s\n", options.archive.c_str());
        return 1;
    }
    const FrameRate rate = options.rate;
    const int64_t first = rate.FrameAt(options.from);
    const int64_t end = rate.FrameAt(options.to);  // the first frame not in the video
    if (end <= first) {
        std::fprintf(stderr, "zembravale-capture: no frame lies between %g s and %g s at this rate\n",
                     options.from, options.to);
        return 2;
    }

    std::string error, musicWarning;
    OfflineRenderer renderer;
    if (!renderer.Open(options.archive, rate, &error, &musicWarning)) {
        std::fprintf(stderr, "zembravale-capture: %s\n", error.c_str());
        return 1;
    }
    if (!musicWarning.empty()) {
        std::fprintf(stderr, "zembravale-capture: warning: %s; the video will be silent\n",
                     musicWarning.c_str());
    }

    VideoSettings settings;
    settings.path = options.video;
    ContainerFromPath(options.video, &settings.container);
    settings.scale = options.scale;
    settings.rate = rate;
    settings.quality = options.quality;
    settings.preset = options.preset;
    settings.lossless = options.lossless;
    // Sample n plays at n / 44100 s; the first frame shows first / fps s: the nearest sample.
    const int64_t musicStart =
        (2 * first * rate.denominator * kMusicRate + rate.numerator) / (2 * rate.numerator);
    const MusicSpan music{renderer.Track().data(), static_cast<int64_t>(renderer.Track().size() / 2),
                          musicStart};
    VideoEncoder encoder;
    if (!encoder.Open(settings, music, end - first, &error)) {
        std::fprintf(stderr, "zembravale-capture: %s\n", error.c_str());
        return 1;
    }

    Progress progress(end, StderrIsTerminal());
    const auto start = std::chrono::steady_clock::now();
    for (int64_t n = 0; n < end; ++n) {
        renderer.RenderNextFrame();
        if (n >= first && !encoder.AddFrame(renderer.Canvas(), &error)) {
            progress.Finish();
            std::fprintf(stderr, "zembravale-capture: %s\n", error.c_str());
            return 1;
        }
        progress.Update(n + 1, SecondsSince(start));
    }
    if (!encoder.Finish(&error)) {
        progress.Finish();
        std::fprintf(stderr, "zembravale-capture: %s\n", error.c_str());
        return 1;
    }
    progress.Finish();
    const auto bytes = std::filesystem::file_size(options.video, ec);
    std::fprintf(stderr, "zembravale-capture: wrote %s: %lld frames, %.1f MB, in %.1f s\n",
                 options.video.c_str(), static_cast<long long>(end - first),
                 ec ? 0.0 : static_cast<double>(bytes) / 1e6, SecondsSince(start));
    return 0;
}

int Run(int argc, char** argv) {
    Options options;
    try {
        if (ParseOptions(argc, argv, options) != 0) return 0;
    } catch (const OptionError& error) {
        std::fprintf(stderr, "zembravale-capture: %s\n\n%s\nRun with --help for every option.\n",
                     error.what(), kUsage);
        return 2;
    }
    return options.video.empty() ? WritePngs(options) : WriteVideo(options);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "\nzembravale-capture: out of memory\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "\nzembravale-capture: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "\nzembravale-capture: stopped by an unexpected error\n");
    }
    return 1;
}
