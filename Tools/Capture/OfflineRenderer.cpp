// The offline session: the live start-up order without video or audio output, then one frame at a
// time on a clock that shows the frame's time.
#include "Capture/OfflineRenderer.h"

#include "Audio/Mp3Decoder.h"
#include "Audio/Spectrum.h"
#include "Audio/SpectrumAnalyser.h"
#include "Data/DataFile.h"
#include "Data/Images.h"
#include "Main/Demo.h"

#include <cmath>
#include <cstdlib>

// The frame's time for both the music and the wall clock; the Space key is never held.
class OfflineRenderer::Clock final : public platform::MusicClock, public platform::WallClock, public platform::Keyboard {
public:
    float Time() override { return static_cast<float>(seconds); }
    uint32_t Ticks() override { return static_cast<uint32_t>(std::llround(seconds * 1000.0)); }
    bool SpaceHeld() override { return false; }

    double seconds = 0.0;
    audio::SpectrumCalculator spectrum;
};

int64_t FrameRate::FrameAt(double seconds) const {
    const double exact = seconds * static_cast<double>(numerator) / static_cast<double>(denominator);
    return static_cast<int64_t>(std::ceil(exact - 1e-6));
}

bool ParseFrameRate(const std::string& text, FrameRate* rate) {
    const size_t slash = text.find('/');
    char* end = nullptr;
    if (slash != std::string::npos) {
        const long long num = std::strtoll(text.c_str(), &end, 10);
        if (end != text.c_str() + slash) return false;
        const char* denText = text.c_str() + slash + 1;
        const long long den = std::strtoll(denText, &end, 10);
        if (end == denText || *end != '\0' || num <= 0 || den <= 0 || num > 1000000 || den > 1000000) return false;
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

OfflineRenderer::OfflineRenderer() : clock(std::make_unique<Clock>()), spectrum(audio::kSpectrumBins) {}

OfflineRenderer::~OfflineRenderer() {
    if (!open) return;
    ReleaseParts();
    ReleaseAudio();
    ReleaseResources();
}

bool OfflineRenderer::Open(const std::string& archivePath, FrameRate frameRate, std::string* error,
                           std::string* musicWarning) {
    rate = frameRate;
    musicClockGuard = std::make_unique<platform::ScopedMusicClock>(clock.get());
    wallClockGuard = std::make_unique<platform::ScopedWallClock>(clock.get());
    keyboardGuard = std::make_unique<platform::ScopedKeyboard>(clock.get());
    if (!InitDevil()) {
        *error = "the image library cannot start";
        return false;
    }
    InitResources(archivePath.c_str());
    open = true;
    InitAnalyser();
    {
        MemberBuffer music(dataFile->FLoadFile(kMusicMember), MemberBufferDeleter{dataFile});
        const int32_t length = dataFile->FileLength(kMusicMember);
        std::string why;
        if (music == nullptr || length <= 0 ||
            !audio::DecodeMp3(music.get(), static_cast<size_t>(length), track, &why)) {
            const std::string message = "Couldn't load mp3" + (why.empty() ? std::string() : ": " + why);
            if (musicWarning == nullptr) {
                *error = message;
                return false;
            }
            *musicWarning = message;
            track.clear();
        }
    }
    InitParts();
    return true;
}

void OfflineRenderer::RenderNextFrame() {
    ++frame;
    clock->seconds = rate.Seconds(frame);
    const float t = clock->Time();
    clock->spectrum.ComputeTrack(track.data(), track.size() / 2, audio::FrameAtSeconds(clock->seconds),
                                 spectrum.data());
    AnalyseFrame(spectrum.data());
    RenderParts(t);
}
