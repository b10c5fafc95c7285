// Progress lines: one format, two ways of showing it.
#include "Capture/Progress.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr double kRedrawSeconds = 0.25;
constexpr int64_t kPlainSteps = 20;  // one plain line per 5%

// h:mm:ss, or m:ss below an hour.
std::string Duration(double seconds) {
    const auto whole = static_cast<long long>(std::llround(std::max(0.0, seconds)));
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    }
    return text;
}

}  // namespace

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

Progress::Progress(int64_t total, bool inPlace, std::FILE* out)
    : total(std::max<int64_t>(total, 1)), inPlace(inPlace), out(out) {}

void Progress::Update(int64_t done, double elapsedSeconds) {
    if (inPlace) {
        if (done < total && lastDrawn >= 0 && elapsedSeconds - lastDrawn < kRedrawSeconds) return;
        lastDrawn = elapsedSeconds;
        Print(done, elapsedSeconds);
        if (done >= total) Finish();
        return;
    }
    // Each 5% boundary crossed gets its line, once, even when a single call crosses several.
    const int64_t step = std::min(done, total) * kPlainSteps / total;
    if (step <= lastStep) return;
    lastStep = step;
    Print(done, elapsedSeconds);
}

void Progress::Finish() {
    if (!open) return;
    std::fputc('\n', out);
    std::fflush(out);
    open = false;
}

void Progress::Print(int64_t done, double elapsedSeconds) {
    const double rate = elapsedSeconds > 0 ? static_cast<double>(done) / elapsedSeconds : 0.0;
    const std::string remaining = rate > 0 ? Duration(static_cast<double>(total - done) / rate) : "?";
    std::fprintf(out, "%sframe %lld/%lld %3d%%  %.1f fps  elapsed %s  remaining %s%s", inPlace ? "\r" : "",
                 static_cast<long long>(done), static_cast<long long>(total),
                 static_cast<int>(100 * done / total), rate, Duration(elapsedSeconds).c_str(),
                 remaining.c_str(), inPlace ? "   " : "\n");
    std::fflush(out);
    open = inPlace;
}
