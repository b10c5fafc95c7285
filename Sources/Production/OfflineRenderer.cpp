// The offline session: a production on the decoded track, without video or audio output, then one
// frame at a time on a clock that shows the frame's time.
#include "Production/OfflineRenderer.h"

#include <algorithm>

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
    if (musicInSteps) decoded->DecodeInSteps();
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

bool OfflineRenderer::DecodeMusic(int64_t frames) {
    return music == nullptr || music->DecodeSome(frames);
}

double OfflineRenderer::MusicDecodedShare() const {
    return music != nullptr ? music->DecodedShare() : 0.0;
}

int64_t OfflineRenderer::MusicDecodedFrames() const {
    return music != nullptr ? music->DecodedFrames() : 0;
}

bool OfflineRenderer::PrepareSeeks(int64_t frames) {
    if (production == nullptr || !production->Ready()) return true;
    if (pass == nullptr) pass = std::make_unique<StatePass>(*production, rate);
    return pass->PrepareSome(frames);
}

void OfflineRenderer::SeekTo(int64_t target) {
    // The first frame of a production that has drawn nothing is simply drawn: the pass and the
    // whole track it needs can wait for a seek that needs them.
    if (target <= 0 && frame < 0) {
        RenderNextFrame();
        return;
    }
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
