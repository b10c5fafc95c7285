// zembravale-capture: renders moments of the production to PNG files, without a window or sound.
#include "Capture/OfflineRenderer.h"
#include "Capture/PngWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = R"(usage: zembravale-capture [--archive PATH] --out DIR [--fps RATE] (--at T [T ...] | --from A --to B)

Renders the production offline, exactly as a viewer would see it, and writes frames as PNG files.
Every frame from the start is rendered (timers, random numbers and beat levels evolve as they do
live); only the frames asked for are written. The same archive always gives the same files.

  --archive PATH   the data archive (default: tarnos.zip in the working directory)
  --out DIR        where the PNG files go (created if missing)
  --fps RATE       frames per second: 60 (default), 30, 29.97 or a fraction such as 60000/1001
  --at T ...       music times in seconds; each frame is written as DIR/tNNNNNNN.png, named by the
                   time in milliseconds (12.5 s -> t0012500.png)
  --from A --to B  every frame with A <= time <= B, written as DIR/frame0000000.png, frame0000001.png, ...
  --help           this text

Music time of frame n is n / fps; the wall clock the scenes read shows the same time.
)";

struct Options {
    std::string archive = "tarnos.zip";
    std::string out;
    FrameRate rate;
    std::vector<double> at;
    double from = -1, to = -1;
    bool help = false;
};

bool ParseSeconds(const char* text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(*value) && *value >= 0 && *value < 100000;
}

bool ParseOptions(int argc, char** argv, Options* options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&](const char* what) -> const char* {
            if (i + 1 >= argc) {
                *error = arg + " needs " + what;
                return nullptr;
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options->help = true;
        } else if (arg == "--archive") {
            const char* v = next("a path");
            if (v == nullptr) return false;
            options->archive = v;
        } else if (arg == "--out") {
            const char* v = next("a directory");
            if (v == nullptr) return false;
            options->out = v;
        } else if (arg == "--fps") {
            const char* v = next("a rate");
            if (v == nullptr) return false;
            if (!ParseFrameRate(v, &options->rate)) {
                *error = std::string("not a frame rate: ") + v;
                return false;
            }
        } else if (arg == "--at") {
            while (i + 1 < argc && argv[i + 1][0] != '-') {
                double t = 0;
                if (!ParseSeconds(argv[++i], &t)) {
                    *error = std::string("not a time in seconds: ") + argv[i];
                    return false;
                }
                options->at.push_back(t);
            }
            if (options->at.empty()) {
                *error = "--at needs at least one time";
                return false;
            }
        } else if (arg == "--from" || arg == "--to") {
            const char* v = next("a time in seconds");
            if (v == nullptr) return false;
            double t = 0;
            if (!ParseSeconds(v, &t)) {
                *error = std::string("not a time in seconds: ") + v;
                return false;
            }
            (arg == "--from" ? options->from : options->to) = t;
        } else {
            *error = "unknown argument: " + arg;
            return false;
        }
    }
    if (options->help) return true;
    if (options->out.empty()) {
        *error = "--out DIR is required";
        return false;
    }
    const bool range = options->from >= 0 || options->to >= 0;
    if (range && (options->from < 0 || options->to < 0 || options->to < options->from)) {
        *error = "--from A --to B needs both times, with A <= B";
        return false;
    }
    if (!range && options->at.empty()) {
        *error = "nothing to capture: give --at T ... or --from A --to B";
        return false;
    }
    return true;
}

// A progress bar on stderr, redrawn when the shown percentage changes.
class Progress {
public:
    explicit Progress(int64_t total) : total(std::max<int64_t>(total, 1)) {}
    void Show(int64_t done) {
        const int percent = static_cast<int>(100 * done / total);
        if (percent == shown) return;
        shown = percent;
        const int filled = percent / 4;
        std::fprintf(stderr, "\r[%s%s] %3d%%  frame %lld/%lld", std::string(filled, '#').c_str(),
                     std::string(25 - filled, ' ').c_str(), percent, static_cast<long long>(done),
                     static_cast<long long>(total));
        if (done >= total) std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    int64_t total;
    int shown = -1;
};

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

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "zembravale-capture: %s\n\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::error_code ec;
    std::filesystem::create_directories(options.out, ec);
    if (ec) {
        std::fprintf(stderr, "zembravale-capture: cannot create %s: %s\n", options.out.c_str(), ec.message().c_str());
        return 1;
    }

    // What to write: frame index -> file name.
    std::vector<std::pair<int64_t, std::string>> wanted;
    for (double t : options.at) wanted.emplace_back(options.rate.FrameAt(t), AtName(t));
    if (options.from >= 0) {
        const int64_t first = options.rate.FrameAt(options.from);
        int64_t n = first;
        for (; options.rate.Seconds(n) <= options.to + 1e-9; ++n) wanted.emplace_back(n, SequenceName(n - first));
    }
    std::stable_sort(wanted.begin(), wanted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    if (wanted.empty()) return 0;

    OfflineRenderer renderer;
    if (!renderer.Open(options.archive, options.rate, &error)) {
        std::fprintf(stderr, "zembravale-capture: %s\n", error.c_str());
        return 1;
    }
    const int64_t last = wanted.back().first;
    Progress progress(last + 1);
    const bool showProgress = last >= 600;  // ten seconds of frames or more
    size_t next = 0;
    while (next < wanted.size()) {
        renderer.RenderNextFrame();
        const int64_t n = renderer.FrameIndex();
        if (showProgress) progress.Show(n + 1);
        for (; next < wanted.size() && wanted[next].first == n; ++next) {
            const std::string path = (std::filesystem::path(options.out) / wanted[next].second).string();
            if (!WritePng(path, renderer.Canvas(), &error)) {
                std::fprintf(stderr, "\nzembravale-capture: %s\n", error.c_str());
                return 1;
            }
        }
    }
    return 0;
}
