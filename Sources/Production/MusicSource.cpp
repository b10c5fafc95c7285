// The two music sources: the live player on the sound card and the decoded track for offline work.
#include "Production/MusicSource.h"

#include "Audio/Mp3Decoder.h"
#include "Audio/MusicPlayer.h"

#include <algorithm>

namespace {
constexpr int kVolume = 100;
// What DecodedMusic decodes at a time when it decodes in steps: about 0.4 s of music.
constexpr int64_t kFirstPieceFrames = 16384;
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
    if (inSteps && data != nullptr && length > 0) {
        decoder = std::make_unique<audio::Mp3TrackDecoder>();
        // The first piece decides, as a whole decode would: a stream that gives no frame at its
        // start is over.
        if (decoder->Open(data, static_cast<size_t>(length), track, &reason) &&
            (!decoder->Step(kFirstPieceFrames) || decoder->Finish(&reason))) {
            if (decoder->Done()) decoder.reset();
            return true;
        }
        decoder.reset();
    } else if (data != nullptr && length > 0 &&
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
    const int64_t at = audio::FrameAtSeconds(seconds);
    DecodeUpTo(at);
    calculator.ComputeTrack(track.data(), static_cast<size_t>(DecodedFrames()), at, spectrum.data());
}

bool DecodedMusic::DecodeSome(int64_t frames) {
    if (decoder == nullptr) return true;
    if (!decoder->Step(frames)) return false;
    // A stream that ends after its first piece still gave frames: finishing cannot fail.
    decoder->Finish();
    decoder.reset();
    return true;
}

void DecodedMusic::DecodeUpTo(int64_t frame) {
    while (decoder != nullptr && decoder->DecodedFrames() < frame) DecodeSome(kFirstPieceFrames);
}

int64_t DecodedMusic::DecodedFrames() const {
    return decoder != nullptr ? decoder->DecodedFrames() : static_cast<int64_t>(track.size() / 2);
}

double DecodedMusic::DecodedShare() const {
    if (decoder == nullptr) return 1.0;
    const int64_t goal = decoder->ExpectedFrames();
    return goal > 0 ? std::min(1.0, static_cast<double>(decoder->DecodedFrames()) / static_cast<double>(goal))
                    : 0.0;
}

const std::vector<int16_t>* DecodedMusic::DecodedTrack() {
    while (!DecodeSome(audio::kMaxTrackFrames)) {
    }
    return &track;
}
