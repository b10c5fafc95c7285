// The state pass: the frames before a moment replayed without pixels, then the last few drawn.
#include "Production/StatePass.h"

#include "Audio/Mp3Decoder.h"
#include "Audio/Spectrum.h"
#include "Audio/SpectrumAnalyser.h"
#include "Production/MusicSource.h"
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

namespace {
constexpr int64_t kAllFrames = int64_t{1} << 40;
}  // namespace

// The spectra being computed: the track (the music source's, or decoded here when the source
// holds none), the calculator and the smoothing carried from one frame to the next.
struct StatePass::SpectraWork {
    explicit SpectraWork(uint32_t bins)
        : smoother(bins), raw(std::max<uint32_t>(bins, audio::kSpectrumBins)) {}

    std::vector<int16_t> ownTrack;
    const std::vector<int16_t>* track = &ownTrack;
    audio::SpectrumCalculator calculator;
    SpectrumAnalyser smoother;  // no bands: only its smoothing is used
    std::vector<float> raw;
    int64_t frames = 0;  // how many frames get a spectrum of their own
};

StatePass::~StatePass() {
    if (preparing.joinable()) preparing.join();
}

void StatePass::StartPreparing() {
    if (prepared || preparing.joinable() || work != nullptr || !production.Ready()) return;
    // Only the track bytes and objects of its own are touched off the main thread.
    binCount = production.Analyser().BinCount();
    const std::vector<int16_t>* shared = SharedTrack();
    preparing = std::thread([this, shared] {
        BeginSpectra(shared);
        ComputeSpectra(kAllFrames);
    });
}

bool StatePass::PrepareSome(int64_t frames) {
    // The background thread's work is its own until a seek joins it.
    if (preparing.joinable()) return false;
    if (!production.Ready()) return true;
    if (work == nullptr && !spectraDone) {
        binCount = production.Analyser().BinCount();
        BeginSpectra(SharedTrack());
    }
    return ComputeSpectra(frames);
}

void StatePass::Prepare() {
    if (prepared) return;
    if (preparing.joinable()) preparing.join();
    if (work == nullptr && !spectraDone) {
        binCount = production.Analyser().BinCount();
        BeginSpectra(SharedTrack());
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
// the same track position, the same smoothing. The music source's own decoded track serves when it
// has one, so the track is decoded once.
const std::vector<int16_t>* StatePass::SharedTrack() {
    MusicSource* source = production.Music();
    return source != nullptr ? source->DecodedTrack() : nullptr;
}

void StatePass::BeginSpectra(const std::vector<int16_t>* shared) {
    work = std::make_unique<SpectraWork>(binCount);
    if (shared != nullptr) {
        work->track = shared;
    } else {
        const char* bytes = production.MusicData();
        const int32_t length = production.MusicLength();
        if (bytes == nullptr || length <= 0 ||
            !audio::DecodeMp3(bytes, static_cast<size_t>(length), work->ownTrack, nullptr)) {
            work->ownTrack.clear();
        }
    }
    const int64_t trackFrames = static_cast<int64_t>(work->track->size() / 2);
    // Every frame up to the end of the production, and on while the spectrum's window still
    // holds a sample of the track; beyond that every frame has the spectrum of silence.
    const int64_t endFrame = FrameAt(kEndTime);
    int64_t frames = 0;
    while (frames <= endFrame ||
           audio::FrameAtSeconds(FrameSeconds(frames)) - audio::kFftSize < trackFrames) {
        ++frames;
    }
    work->frames = frames;
    spectra.assign(static_cast<size_t>(frames) * binCount, 0.0f);
    spectrumFrames = 0;
}

bool StatePass::ComputeSpectra(int64_t count) {
    if (work == nullptr) return spectraDone;
    SpectraWork& w = *work;
    const int16_t* track = w.track->data();
    const size_t trackFrames = w.track->size() / 2;
    const int64_t until = std::min(w.frames, spectrumFrames + std::max<int64_t>(count, 1));
    for (int64_t k = spectrumFrames; k < until; ++k) {
        w.calculator.ComputeTrack(track, trackFrames, audio::FrameAtSeconds(FrameSeconds(k)), w.raw.data());
        w.smoother.Feed(w.raw.data());
        std::copy(w.smoother.SmoothSpectrum(), w.smoother.SmoothSpectrum() + binCount,
                  spectra.begin() + k * static_cast<int64_t>(binCount));
    }
    spectrumFrames = until;
    if (spectrumFrames < w.frames) return false;
    w.calculator.ComputeTrack(track, trackFrames, audio::FrameAtSeconds(FrameSeconds(w.frames)),
                              w.raw.data());
    w.smoother.Feed(w.raw.data());
    silence.assign(w.smoother.SmoothSpectrum(), w.smoother.SmoothSpectrum() + binCount);
    work.reset();
    spectraDone = true;
    return true;
}

// Frames past the last with a spectrum of its own take the silence, known only at the end.
void StatePass::ComputeSpectraUpTo(int64_t frame) {
    if (!spectraDone && spectrumFrames <= frame) ComputeSpectra(frame + 1 - spectrumFrames);
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
    ComputeSpectraUpTo(target);
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
