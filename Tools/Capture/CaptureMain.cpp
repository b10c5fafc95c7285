// zembravale-capture: renders the production offline, as PNG files of chosen moments or as a
// video file with its music, without a window or a sound card.
#include "Capture/CaptureOptions.h"
#include "Production/OfflineRenderer.h"
#include "Capture/PngWriter.h"
#include "Capture/Progress.h"
#include "Capture/VideoEncoder.h"
#include "Production/Production.h"
#include "Utils/Files.h"

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

// Moments are reached by the state pass when the last one lies this many frames in or more, and
// each one is sought when it lies more than kSeekGap frames past the frame before it.
constexpr int64_t kSeekFromFrame = 3600;
constexpr int64_t kSeekGap = 240;

constexpr const char* kUsage =
    "usage: zembravale-capture [--archive PATH] [--fps RATE] --out DIR (--at T [T ...] | --from A --to B)\n"
    "       zembravale-capture [--archive PATH] [--fps RATE] --video FILE [--from A] [--to B] [--scale N]\n"
    "                          [--quality N] [--preset NAME] [--lossless]\n";

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

int WritePngs(const CaptureOptions& options) {
    std::error_code ec;
    std::filesystem::create_directories(platform::PathFromUtf8(options.out), ec);
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
        const std::string path = platform::Utf8FromPath(platform::PathFromUtf8(options.out) / name);
        if (WritePng(path, renderer.Canvas(), &error)) return true;
        progress.Finish();
        std::fprintf(stderr, "zembravale-capture: %s\n", error.c_str());
        return false;
    };
    // Far moments without a range are reached by the state pass, which skips the drawing of the
    // frames before them (after a second spent once on the track's spectra); near ones are drawn
    // through. Either way the picture is the same.
    const bool seek = rangeLast < 0 && last >= kSeekFromFrame;
    for (int64_t n = 0; n <= last; ++n) {
        if (seek && nextMoment < moments.size() && moments[nextMoment].first - n > kSeekGap) {
            n = moments[nextMoment].first;
            renderer.SeekTo(n);
        } else {
            renderer.RenderNextFrame();
        }
        for (; nextMoment < moments.size() && moments[nextMoment].first == n; ++nextMoment) {
            if (!write(AtName(moments[nextMoment].second))) return 1;
        }
        if (n >= rangeFirst && n <= rangeLast && !write(SequenceName(n - rangeFirst))) return 1;
        if (showProgress) progress.Update(n + 1, SecondsSince(start));
    }
    progress.Finish();
    return 0;
}

int WriteVideo(const CaptureOptions& options) {
    std::error_code ec;
    if (std::filesystem::is_directory(platform::PathFromUtf8(options.video), ec)) {
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
    const auto bytes = std::filesystem::file_size(platform::PathFromUtf8(options.video), ec);
    std::fprintf(stderr, "zembravale-capture: wrote %s: %lld frames, %.1f MB, in %.1f s\n",
                 options.video.c_str(), static_cast<long long>(end - first),
                 ec ? 0.0 : static_cast<double>(bytes) / 1e6, SecondsSince(start));
    return 0;
}

int Run(int argc, char** argv) {
    const ParsedCaptureOptions parsed = ParseCaptureOptions(argc, argv);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "zembravale-capture: %s\n\n%s\nRun with --help for every option.\n",
                     parsed.error.c_str(), kUsage);
        return 2;
    }
    if (!parsed.options) {
        std::fputs(parsed.help.c_str(), stdout);
        return 0;
    }
    const CaptureOptions& options = *parsed.options;
    return options.video.empty() ? WritePngs(options) : WriteVideo(options);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        std::vector<std::string> arguments = platform::Utf8Arguments(argc, argv);
        std::vector<char*> pointers;
        for (std::string& argument : arguments) pointers.push_back(argument.data());
        pointers.push_back(nullptr);
        return Run(static_cast<int>(arguments.size()), pointers.data());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "\nzembravale-capture: out of memory\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "\nzembravale-capture: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "\nzembravale-capture: stopped by an unexpected error\n");
    }
    return 1;
}
