// The two music sources: the live player on the sound card and the decoded track for offline work.
#include "Production/MusicSource.h"

#include "Audio/Mp3Decoder.h"
#include "Audio/MusicPlayer.h"

namespace {
constexpr int kVolume = 100;
const float kSilence[audio::kSpectrumBins] = {};
}  // namespace

LiveMusic::LiveMusic(double start) : startSeconds(start) {}

LiveMusic::~LiveMusic() = default;

void LiveMusic::Open() {
    // The player is made at the audio step of start-up, not before: its output opens here.
    musicPlayer = std::make_unique<MusicPlayer>();
    musicPlayer->Init();
}

bool LiveMusic::Load(const char* data, int32_t length, std::string*) {
    return musicPlayer != nullptr && musicPlayer->Load(data, length);
}

void LiveMusic::Play() {
    if (musicPlayer == nullptr) return;
    if (startSeconds > 0) musicPlayer->Seek(startSeconds);
    musicPlayer->Play();
    musicPlayer->SetVolume(kVolume);
}

void LiveMusic::Update() {
    if (musicPlayer != nullptr) musicPlayer->Update();
}

const float* LiveMusic::Spectrum() const {
    return musicPlayer != nullptr ? musicPlayer->spectrum : kSilence;
}

float LiveMusic::Time() {
    return musicPlayer != nullptr ? musicPlayer->Time() : 0.0f;
}

void LiveMusic::Stop() {
    if (musicPlayer != nullptr) musicPlayer->Free();
}

bool LiveMusic::Pause() {
    return musicPlayer != nullptr && musicPlayer->Pause();
}

bool LiveMusic::Resume() {
    return musicPlayer != nullptr && musicPlayer->Resume();
}

bool LiveMusic::Paused() const {
    return musicPlayer != nullptr && musicPlayer->Paused();
}

bool LiveMusic::Seek(double seconds) {
    return musicPlayer != nullptr && musicPlayer->Seek(seconds);
}

bool LiveMusic::SetLoop(double start, double end) {
    return musicPlayer != nullptr && musicPlayer->SetLoop(start, end);
}

void LiveMusic::ClearLoop() {
    if (musicPlayer != nullptr) musicPlayer->ClearLoop();
}

bool LiveMusic::Looping() const {
    return musicPlayer != nullptr && musicPlayer->Looping();
}

int64_t LiveMusic::Jumps() const {
    return musicPlayer != nullptr ? musicPlayer->Jumps() : 0;
}

DecodedMusic::DecodedMusic() : spectrum(audio::kSpectrumBins) {}

bool DecodedMusic::Load(const char* data, int32_t length, std::string* why) {
    std::string reason;
    if (data != nullptr && length > 0 &&
        audio::DecodeMp3(data, static_cast<size_t>(length), track, &reason)) {
        return true;
    }
    if (!allowSilence) {
        if (why != nullptr) *why = reason;
        return false;
    }
    track.clear();
    silenceReason = "Couldn't load mp3" + (reason.empty() ? std::string() : ": " + reason);
    return true;
}

void DecodedMusic::Update() {
    calculator.ComputeTrack(track.data(), track.size() / 2, audio::FrameAtSeconds(seconds), spectrum.data());
}
