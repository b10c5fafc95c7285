// The state pass: the frames before a moment replayed without pixels, then the last few drawn.
#include "Production/StatePass.h"

#include "Audio/Mp3Decoder.h"
#include "Audio/Spectrum.h"
#include "Audio/SpectrumAnalyser.h"
#include "Production/Production.h"
#include "Sync/DemoPart.h"
#include "Utils/Platform.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>

StatePass::StatePass(Production& owner, FrameRate frameRate)
    : production(owner),
      rate{std::max<int64_t>(frameRate.numerator, 1), std::max<int64_t>(frameRate.denominator, 1)},
      clock(std::make_unique<FrameClock>()) {
    // Rows and columns for the drawing calls that count by them, no pixels to change.
    if (!owner.Ready()) return;
    standIn.width = standIn.pitch = owner.Canvas().width;
    standIn.height = standIn.rows = owner.Canvas().height;
}

StatePass::~StatePass() {
    if (preparing.joinable()) preparing.join();
}

void StatePass::StartPreparing() {
    if (prepared || preparing.joinable() || !production.Ready()) return;
    // Only the track bytes and objects of its own are touched off the main thread.
    binCount = production.Analyser().BinCount();
    preparing = std::thread([this] { ComputeSpectra(); });
}

void StatePass::Prepare() {
    if (prepared) return;
    if (preparing.joinable()) {
        preparing.join();
    } else {
        binCount = production.Analyser().BinCount();
        ComputeSpectra();
    }
    const size_t words = static_cast<size_t>(production.Canvas().size);
    patternA.resize(words);
    patternB.resize(words);
    drawn.resize(words);
    uint32_t x = 0x9E3779B9u;
    for (size_t i = 0; i < words; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        // Every colour bit differs between the two; the key bytes are the start-up canvas's 0.
        patternA[i] = x & 0x00FFFFFFu;
        patternB[i] = ~x & 0x00FFFFFFu;
    }
    prepared = true;
}

// The smoothed spectrum of every frame, as the analyser makes it from what the offline renderer's
// music hands it: the track decoded the same way (silence when it cannot be), the same spectrum at
// the same track position, the same smoothing.
void StatePass::ComputeSpectra() {
    std::vector<int16_t> track;
    const char* bytes = production.MusicData();
    const int32_t length = production.MusicLength();
    if (bytes == nullptr || length <= 0 ||
        !audio::DecodeMp3(bytes, static_cast<size_t>(length), track, nullptr)) {
        track.clear();
    }
    const size_t trackFrames = track.size() / 2;
    audio::SpectrumCalculator calculator;
    SpectrumAnalyser smoother(binCount);  // no bands: only its smoothing is used
    std::vector<float> raw(std::max<uint32_t>(binCount, audio::kSpectrumBins));

    // Every frame up to the end of the production, and on while the spectrum's window still
    // holds a sample of the track; beyond that every frame has the spectrum of silence.
    const int64_t endFrame = FrameAt(kEndTime);
    int64_t frames = 0;
    while (frames <= endFrame || audio::FrameAtSeconds(FrameSeconds(frames)) - audio::kFftSize <
                                     static_cast<int64_t>(trackFrames)) {
        ++frames;
    }
    spectra.assign(static_cast<size_t>(frames) * binCount, 0.0f);
    for (int64_t k = 0; k < frames; ++k) {
        calculator.ComputeTrack(track.data(), trackFrames, audio::FrameAtSeconds(FrameSeconds(k)),
                                raw.data());
        smoother.Feed(raw.data());
        std::copy(smoother.SmoothSpectrum(), smoother.SmoothSpectrum() + binCount,
                  spectra.begin() + k * static_cast<int64_t>(binCount));
    }
    calculator.ComputeTrack(track.data(), trackFrames, audio::FrameAtSeconds(FrameSeconds(frames)),
                            raw.data());
    smoother.Feed(raw.data());
    silence.assign(smoother.SmoothSpectrum(), smoother.SmoothSpectrum() + binCount);
    spectrumFrames = frames;
}

const float* StatePass::SmoothSpectrum(int64_t frame) {
    if (frame < spectrumFrames) return spectra.data() + frame * static_cast<int64_t>(binCount);
    return silence.data();
}

bool StatePass::AnyPartDraws(int64_t frame) const {
    const float t = static_cast<float>(FrameSeconds(frame));
    const std::span<DemoPart* const> parts = production.Parts();
    return std::any_of(parts.begin(), parts.end(), [t](const DemoPart* part) {
        return part->InWindow(t) && part->DrawsAt(part->FxTime(t));
    });
}

// The state right after start-up: the generator where the parts left it, the parts' moving state
// as it starts, every band at level 0 and never updated.
void StatePass::RestoreStart() {
    platform::ResetRand(production.StartRandState());
    for (DemoPart* part : production.Parts()) part->ResetMoving();
    SpectrumAnalyser& bands = production.Analyser();
    for (size_t i = 0; i < bands.Bands().size(); ++i) bands.SetBandState(i, 0.0f, 0.0f);
}

void StatePass::Save(int slot) {
    ringRand[slot] = platform::RandState();
    unsigned char* moving = ringParts.data() + static_cast<size_t>(slot) * partBytes;
    for (const DemoPart* part : production.Parts()) {
        part->SaveMoving(moving);
        moving += part->MovingSize();
    }
    const std::vector<BeatBand>& bands = production.Analyser().Bands();
    float* out = ringBands.data() + static_cast<size_t>(slot) * bandCount * 2;
    for (size_t i = 0; i < bandCount; ++i) {
        out[2 * i] = bands[i].level;
        out[2 * i + 1] = bands[i].lastUpdateTime;
    }
}

void StatePass::Restore(int slot) {
    platform::ResetRand(ringRand[slot]);
    const unsigned char* moving = ringParts.data() + static_cast<size_t>(slot) * partBytes;
    for (DemoPart* part : production.Parts()) {
        part->RestoreMoving(moving);
        moving += part->MovingSize();
    }
    SpectrumAnalyser& bands = production.Analyser();
    const float* in = ringBands.data() + static_cast<size_t>(slot) * bandCount * 2;
    for (size_t i = 0; i < bandCount; ++i) bands.SetBandState(i, in[2 * i], in[2 * i + 1]);
}

void StatePass::Step(int64_t frame, Bitmap* target) {
    clock->seconds = FrameSeconds(frame);
    const float* smooth = SmoothSpectrum(frame);
    SpectrumAnalyser& bands = production.Analyser();
    bands.UpdateBands(smooth);
    bands.UpdateBands(smooth);
    production.DrawInto(target, clock->Time());
}

bool StatePass::StandsAlone(int64_t frame, int slot) {
    Bitmap& canvas = production.Canvas();
    const size_t bytes = drawn.size() * sizeof(uint32_t);
    figures.testedFrames += 1;
    figures.drawnFrames += 2;
    Restore(slot);
    std::memcpy(canvas.pixels, patternA.data(), bytes);
    Step(frame, &canvas);
    std::memcpy(drawn.data(), canvas.pixels, bytes);
    Restore(slot);
    std::memcpy(canvas.pixels, patternB.data(), bytes);
    Step(frame, &canvas);
    return std::memcmp(drawn.data(), canvas.pixels, bytes) == 0;
}

int64_t StatePass::SeekTo(double seconds) {
    const int64_t frame = FrameAt(seconds);
    SeekToFrame(frame);
    return frame;
}

ReloadReport StatePass::Reload(double seconds) {
    ReloadReport report = production.Reload();
    SeekTo(seconds);
    return report;
}

void StatePass::SeekToFrame(int64_t frame) {
    figures = Figures{};
    const int64_t target = std::max<int64_t>(frame, 0);
    figures.frame = target;
    // A production that did not start has nothing to bring anywhere.
    if (!production.Ready()) return;
    Prepare();
    bandCount = production.Analyser().Bands().size();
    ringBands.resize(static_cast<size_t>(kSearchFrames) * bandCount * 2);
    partBytes = 0;
    for (const DemoPart* part : production.Parts()) partBytes += part->MovingSize();
    ringParts.resize(static_cast<size_t>(kSearchFrames) * partBytes);

    platform::ScopedWallClock wallGuard(clock.get());
    platform::ScopedMusicClock musicGuard(clock.get());
    platform::ScopedKeyboard keyGuard(clock.get());
    Bitmap& canvas = production.Canvas();
    const auto replayFromStart = [&] {
        RestoreStart();
        std::fill(canvas.pixels, canvas.pixels + canvas.size, 0u);
        for (int64_t k = 0; k <= target; ++k) Step(k, &canvas);
        figures.drawnFrames += target + 1;
    };

    // The last frame up to the target in which any part draws: after it the canvas stays as it is.
    int64_t last = target;
    while (last >= 0 && !AnyPartDraws(last)) --last;
    RestoreStart();
    if (last < 0) {
        // Nothing has drawn yet: the canvas is still black and only the bands move.
        for (int64_t k = 0; k <= target; ++k) Step(k, &standIn);
        std::fill(canvas.pixels, canvas.pixels + canvas.size, 0u);
        return;
    }

    const int64_t first = std::max<int64_t>(0, last - kSearchFrames + 1);
    for (int64_t k = 0; k < first; ++k) Step(k, &standIn);
    for (int64_t k = first; k <= last; ++k) {
        Save(static_cast<int>(k - first));
        Step(k, &standIn);
    }
    for (int64_t k = last; k >= first; --k) {
        if (!AnyPartDraws(k) || !StandsAlone(k, static_cast<int>(k - first))) continue;
        for (int64_t j = k + 1; j <= target; ++j) Step(j, &canvas);
        figures.drawnFrames += std::min(last, target) - k;
        return;
    }
    // Every frame searched reads the canvas before it: draw them all from the black start.
    figures.drawnFrames = 0;
    figures.replayedAll = true;
    replayFromStart();
}
