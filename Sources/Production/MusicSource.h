// Where the production's music comes from: the clock every scene runs on and the spectrum its beat
// bands follow. The live program plays the track on the sound card; the offline renderer decodes it
// and is told which moment to show.
#pragma once

#include "Audio/Mp3Decoder.h"
#include "Audio/Spectrum.h"
#include "Utils/Platform.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class MusicPlayer;

class MusicSource : public platform::MusicClock {
public:
    // Called once at start-up, before the music is read from the archive (opens the output).
    virtual void Open() {}
    // Prepares the mp3 held in memory; the bytes stay alive until the source is gone. False when
    // it cannot be played, with what went wrong in `why` when the source knows.
    virtual bool Load(const char* data, int32_t length, std::string* why) = 0;
    // Called once when start-up is complete, just before the first frame.
    virtual void Play() {}
    // Called at the start of every frame: fetches the spectrum of the music at the current time.
    virtual void Update() = 0;
    // The 1024 magnitudes fetched by the last Update.
    virtual const float* Spectrum() const = 0;
    // Stops the sound; harmless when called again.
    virtual void Stop() {}
    // The live player behind this source, if there is one (the shell's `player`).
    virtual MusicPlayer* Player() { return nullptr; }
    // The whole track decoded, interleaved stereo at 44100 Hz, when this source holds it (empty
    // when it runs silent); null when it does not, and whoever needs it decodes it alone.
    virtual const std::vector<int16_t>* DecodedTrack() { return nullptr; }
};

// The track played on the sound card by the MusicPlayer, at volume 100, from `startSeconds` on.
class LiveMusic final : public MusicSource {
public:
    explicit LiveMusic(double startSeconds = 0.0);
    ~LiveMusic() override;

    void Open() override;
    bool Load(const char* data, int32_t length, std::string* why) override;
    void Play() override;
    void Update() override;
    const float* Spectrum() const override;
    float Time() override;
    void Stop() override;
    MusicPlayer* Player() override { return musicPlayer.get(); }

    // The preview's controls, passed to the player (see MusicPlayer); false, or nothing, before
    // Open. After a change of Jumps the picture must be brought to the new Time.
    bool Pause();
    bool Resume();
    bool Paused() const;
    bool Seek(double seconds);
    bool SetLoop(double start, double end);
    void ClearLoop();
    bool Looping() const;
    int64_t Jumps() const;

private:
    std::unique_ptr<MusicPlayer> musicPlayer;
    double startSeconds;
};

// The whole track decoded into memory and shown at whatever moment Seek names: music time is the
// sought time, and the spectrum is computed from the decoded samples exactly as the live back end
// computes it from what it hands the device. Deterministic, and free to go back in time.
class DecodedMusic final : public MusicSource {
public:
    DecodedMusic();

    bool Load(const char* data, int32_t length, std::string* why) override;
    void Update() override;
    const float* Spectrum() const override { return spectrum.data(); }
    float Time() override { return static_cast<float>(seconds); }

    // Moves the music to `at` seconds; the next Update fetches the spectrum there.
    void Seek(double at) { seconds = at; }
    double Seconds() const { return seconds; }

    // From now on a track that cannot be decoded loads as silence instead of failing; the reason
    // is kept in SilenceReason.
    void AllowSilence() { allowSilence = true; }
    const std::string& SilenceReason() const { return silenceReason; }
    // The decoded music, interleaved stereo at 44100 Hz (empty when it runs silent). While it is
    // decoded in steps, only its first DecodedFrames() frames are final.
    const std::vector<int16_t>& Track() const { return track; }
    const std::vector<int16_t>* DecodedTrack() override;

    // From now on Load decodes only the start of the track and DecodeSome the rest, so a caller
    // can yield between the pieces. Whatever needs samples not yet decoded (Update, DecodedTrack)
    // decodes them first: the result is the same as decoding it whole.
    void DecodeInSteps() { inSteps = true; }
    // Decodes about `frames` more frames; true once the whole track is in.
    bool DecodeSome(int64_t frames);
    int64_t DecodedFrames() const;
    // How far the decoding is, from 0 to 1 (1 once it is done or silent).
    double DecodedShare() const;

private:
    void DecodeUpTo(int64_t frame);

    std::vector<int16_t> track;                       // interleaved stereo at 44100 Hz
    std::unique_ptr<audio::Mp3TrackDecoder> decoder;  // while decoding in steps
    bool inSteps = false;
    bool allowSilence = false;
    std::string silenceReason;
    std::vector<float> spectrum;
    audio::SpectrumCalculator calculator;
    double seconds = 0.0;
};
