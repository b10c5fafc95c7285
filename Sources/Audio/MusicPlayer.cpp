// The music player the program sees, over our own back end (AudioBackend): the track plays once;
// at its end the music stops and the clock counts the silence that follows, so the frame loop
// still reaches its end time with a track shorter than the production.
#include "Audio/MusicPlayer.h"

#include "Audio/AudioBackend.h"

#include <cmath>
#include <cstdio>

MusicPlayer* player = nullptr;

namespace {
// The frame nearest to `seconds`, or -1 for no time a track can have.
int64_t FrameAt(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0 || seconds > audio::kMaxTrackSeconds) return -1;
    return std::llround(seconds * audio::kSampleRate);
}
}  // namespace

MusicPlayer::MusicPlayer() : backend(std::make_unique<AudioBackend>()) {}

MusicPlayer::~MusicPlayer() {
    Free();
}

void MusicPlayer::Init() {
    // A failure is not reported here: Load refuses afterwards and start-up says so.
    ready = backend->Open();
}

bool MusicPlayer::Load(const char* data, int32_t length) {
    if (!ready || data == nullptr || length <= 0) return false;
    return backend->Load(data, static_cast<size_t>(length));
}

bool MusicPlayer::Play() {
    return backend->Play();
}

bool MusicPlayer::Seek(double seconds) {
    const int64_t frame = FrameAt(seconds);
    return frame >= 0 && backend->Seek(frame);
}

bool MusicPlayer::Pause() {
    return backend->Pause();
}

bool MusicPlayer::Resume() {
    return backend->Resume();
}

bool MusicPlayer::Paused() const {
    return backend->Paused();
}

bool MusicPlayer::SetLoop(double start, double end) {
    const int64_t first = FrameAt(start);
    const int64_t last = FrameAt(end);
    if (first < 0 || last < 0) return false;
    return backend->SetLoop(first, last);
}

void MusicPlayer::ClearLoop() {
    backend->ClearLoop();
}

bool MusicPlayer::Looping() const {
    return backend->Looping();
}

bool MusicPlayer::SetVolume(int volume) {
    return backend->SetVolume(volume);
}

void MusicPlayer::Update() {
    backend->Spectrum(spectrum);
}

float MusicPlayer::Time() {
    // Without the line the run would go on silently, as if nothing had happened.
    const bool stopped = backend->SoundStopped();
    if (stopped && !stopReported) {
        std::fputs(
            "zembravale: the sound stopped: the audio device takes no more sound; the pictures go on "
            "by the clock\n",
            stderr);
        std::fflush(stderr);
    }
    stopReported = stopped;
    return static_cast<float>(static_cast<double>(backend->PositionFrames(&jumps)) / audio::kSampleRate);
}

int64_t MusicPlayer::BuffersHanded() const {
    return backend->BuffersHanded();
}

int64_t MusicPlayer::LateBuffers() const {
    return backend->LateBuffers();
}

void MusicPlayer::Free() {
    backend->Close();
    ready = false;
}
