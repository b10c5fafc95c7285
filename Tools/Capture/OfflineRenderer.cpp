// The offline session: a production on the decoded track, without video or audio output, then one
// frame at a time on a clock that shows the frame's time.
#include "Capture/OfflineRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

bool ParseFrameRate(const std::string& text, FrameRate* rate) {
    const size_t slash = text.find('/');
    char* end = nullptr;
    if (slash != std::string::npos) {
        const long long num = std::strtoll(text.c_str(), &end, 10);
        if (end != text.c_str() + slash) return false;
        const char* denText = text.c_str() + slash + 1;
        const long long den = std::strtoll(denText, &end, 10);
        if (end == denText || *end != '\0' || num <= 0 || den <= 0 || num > 1000000 || den > 1000000)
            return false;
        *rate = {num, den};
        return true;
    }
    const double fps = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !(fps > 0) || fps > 1000) return false;
    // Decimal rates as exact fractions of a thousandth: 29.97 -> 29970/1000.
    const long long thousandths = std::llround(fps * 1000);
    if (thousandths <= 0) return false;
    *rate = {thousandths, 1000};
    return true;
}

OfflineRenderer::OfflineRenderer() : clock(std::make_unique<FrameClock>()) {}

// The production goes before the seams it was made under, and the pass before the production.
OfflineRenderer::~OfflineRenderer() {
    pass.reset();
    production.reset();
}

bool OfflineRenderer::Open(const std::string& archivePath, FrameRate frameRate, std::string* error,
                           std::string* musicWarning) {
    rate = frameRate;
    wallClockGuard = std::make_unique<platform::ScopedWallClock>(clock.get());
    keyboardGuard = std::make_unique<platform::ScopedKeyboard>(clock.get());
    auto decoded = std::make_unique<DecodedMusic>();
    // With somewhere to put the warning, music that cannot be decoded runs silent instead of failing.
    if (musicWarning != nullptr) decoded->AllowSilence();
    music = decoded.get();
    ProductionSetup setup;
    setup.archivePath = archivePath;
    setup.music = std::move(decoded);
    production = std::make_unique<Production>(std::move(setup));
    if (!production->Ready()) {
        *error = production->Failure();
        music = nullptr;
        return false;
    }
    if (musicWarning != nullptr) *musicWarning = music->SilenceReason();
    return true;
}

void OfflineRenderer::RenderNextFrame() {
    ++frame;
    RenderAt(rate.Seconds(frame));
}

void OfflineRenderer::RenderAt(double seconds) {
    clock->seconds = seconds;
    music->Seek(seconds);
    production->RenderFrame();
}

void OfflineRenderer::SeekTo(int64_t target) {
    if (pass == nullptr) pass = std::make_unique<StatePass>(*production, rate);
    pass->SeekToFrame(target);
    frame = std::max<int64_t>(target, 0);
    clock->seconds = rate.Seconds(frame);
    music->Seek(clock->seconds);
}

const std::vector<int16_t>& OfflineRenderer::Track() const {
    static const std::vector<int16_t> none;
    return music != nullptr ? music->Track() : none;
}
