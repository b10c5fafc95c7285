// Our own audio back end: SDL audio at 44100 Hz stereo 16-bit, fed from an mp3 that libmpg123
// decodes from memory, with the music clock and the spectrum of what is being heard.
//
// Threads:
// - the caller's thread (the program's main thread) calls every public member;
// - a decoding thread, started by Load, decodes the track into one buffer allocated at Load for
//   the whole track and publishes how far it got (an atomic count); decoded frames never change;
// - SDL's audio thread runs the callback, which copies decoded frames to the device (volume
//   applied), hands silence after the end, and tells the clock. It allocates nothing and takes only
//   the clock's mutex, which the main thread holds just long enough to copy four numbers.
// Load decodes the first second itself, so playback can start at once, and leaves the rest to the
// thread: a 250 s track decodes in a fraction of a second, far ahead of any real device.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "Audio/AudioClock.h"
#include "Audio/Mp3Decoder.h"
#include "Audio/Spectrum.h"

union SDL_Event;

class AudioBackend {
public:
    // Called once, on the audio thread, when the last frame of the track has gone to the device.
    // It must return quickly and must not call back into the back end.
    using EndCallback = void (*)(void* user);

    AudioBackend() = default;
    ~AudioBackend();
    AudioBackend(const AudioBackend&) = delete;
    AudioBackend& operator=(const AudioBackend&) = delete;

    // Checks the libraries (SDL no older than we were built with; libmpg123 with layer 3
    // and 16-bit output), then opens the SDL audio device at 44100 Hz stereo 16-bit, paused until
    // the first Play. False, with the reason in `error`, when any step fails.
    bool Open(std::string* error = nullptr);
    bool IsOpen() const { return open; }

    // Takes an mp3 in memory (not copied: it must outlive the back end) in place of any earlier
    // track. False when the device is not open or the decoder refuses the data.
    bool Load(const char* data, size_t length, std::string* error = nullptr);
    bool Loaded() const { return loaded.load(); }
    // Starts the loaded track from its beginning, or from where Seek put it; false when nothing is
    // loaded. Playing already: nothing changes.
    bool Play();
    // Moves the read position to track frame `frame` (0 or more; past the end is silence). Before
    // Play it sets where Play starts; while playing the next buffer the device asks for starts
    // there, cross-faded with the old position over kFadeFrames, and the clock jumps with it; while
    // paused it sets where Resume starts, and the held clock reads it at once. With a loop on, a
    // frame at or past the loop's end goes to the loop's start instead. False (and no change)
    // before Load or for a negative frame. The track is in memory: nothing is decoded again.
    bool Seek(int64_t frame);
    // Pause holds the clock at the frame it reads now and fades the sound out over kFadeFrames;
    // the device then gets silence. Resume fades the track in from the held frame (or wherever a
    // seek put it meanwhile) and the clock counts on from there. False when not playing (before
    // Play, after Close) or already in that state.
    bool Pause();
    bool Resume();
    bool Paused() const { return paused.load(); }
    // Loops frames [start, end): whenever the read position reaches `end` (by playing, a seek, or
    // because it already lies there when the loop is set) it wraps to `start` at that very sample,
    // with the same cross-fade as a seek; the clock never reads past `end` and goes back with the
    // wrap when the device plays it. False (and no change) before Load, for a negative start, for
    // end <= start, or for an end beyond the track (TrackFrames).
    bool SetLoop(int64_t start, int64_t end);
    void ClearLoop();
    bool Looping() const { return loopEnd >= 0; }
    // Frames of the track: exact once decoding has finished, the header scan's count before.
    int64_t TrackFrames() const;
    // Frames over which seeks, wraps, pauses and resumes fade (about 5 ms).
    static constexpr int kFadeFrames = 220;

    // 0..100, linear; false (and no change) outside that range or before Load.
    bool SetVolume(int volume);

    // The audible position: frames of 44100 Hz since Play; 0 before. See AudioClock for how it
    // moves. After the track ends it goes on counting the silence that follows, so a program
    // waiting for a time past the end still gets there.
    int64_t PositionFrames();
    double PositionSeconds();
    // The position as above and, with it, how many jumps (seeks while playing or paused, wraps of a
    // loop once the device plays them) the clock has taken since Open.
    int64_t PositionFrames(int64_t* jumps);
    // 1024 magnitudes over the 2048 track frames that end at the audible position, mono mix before
    // the volume (the offline renderer gets the same numbers at the same frame). Zeros when no
    // track is loaded.
    void Spectrum(float* out);

    // True while the device takes no sound: it stopped asking (no callback within the stall limit,
    // the clock runs on alone), or the audio library reports it lost (a full disk behind the disk
    // driver, an unplugged device), in which case the callback may still be called but the sound
    // goes nowhere.
    bool SoundStopped();
    // Buffers the device asked for since Open, and how many of them came late: more than one and a
    // half buffer lengths after the one before, so the device may have played silence between.
    int64_t BuffersHanded() const { return buffersHanded.load(); }
    int64_t LateBuffers() const { return lateBuffers.load(); }

    // Installs the end callback (nullptr: none).
    void SetEndCallback(EndCallback callback, void* user);
    // How many times the end was reached since Load or the latest Seek: 0 or 1.
    int EndCount() const { return endCount.load(); }

    // Frames decoded so far and whether decoding has finished (the whole track is in memory).
    int64_t DecodedFrames() const { return decoded.load(); }
    bool DecodingFinished() const { return decodingDone.load(); }

    // Stops the output, the decoding thread and SDL audio, and drops the track. The position
    // stays where it was. Harmless when called again or before Open.
    void Close();

private:
    static void AudioCallback(void* self, uint8_t* stream, int bytes);
    // SDL's event watch: marks the device lost when SDL reports it removed.
    static int WatchDevice(void* self, union SDL_Event* event);
    void Fill(int16_t* out, int64_t frames);
    // Where a loop wrapped within one buffer: how often, and after how many counted frames the
    // first and the last time.
    struct Wraps {
        int count = 0;
        int64_t first = 0;
        int64_t last = 0;
    };
    // Fill, frame by frame, while anything fades, a pause holds or a loop ends within the buffer;
    // returns the frames the clock counts.
    int64_t FillFading(int16_t* out, int64_t frames, int64_t available, bool complete, int gain,
                       Wraps& wraps);
    void CrossFadeTo(int64_t frame);
    void SeekPlaying(int64_t frame);
    void DecodeRest();
    void Unload();

    bool open = false;
    bool audioSubsystem = false;
    bool watching = false;                   // WatchDevice is installed
    std::atomic<bool> deviceRemoved{false};  // set by WatchDevice, on SDL's thread that saw it

    // The track: written by the decoding thread below `capacity`, published through `decoded`.
    std::unique_ptr<audio::Mp3Decoder> decoder;
    std::unique_ptr<int16_t[]> track;
    int64_t capacity = 0;
    std::atomic<int64_t> decoded{0};
    std::atomic<bool> decodingDone{false};
    std::thread decoding;
    std::atomic<bool> stopDecoding{false};  // asks the decoding thread to end early

    // Shared with the audio callback; changed by the main thread only under SDL's audio lock.
    std::atomic<bool> loaded{false};
    std::atomic<bool> playing{false};
    std::atomic<int> volume{100};
    std::atomic<int> endCount{0};
    EndCallback endCallback = nullptr;
    void* endUser = nullptr;
    int64_t trackPosition = 0;  // the next track frame to hand over (the callback, or Seek under the lock)
    int64_t startFrame = 0;     // where Play starts: 0 unless Seek came first
    // Fades, audio callback (or the main thread under the lock). The position being played sounds
    // at fadeLevel / kFadeFrames, which moves one step a frame towards full (silent while paused);
    // after a jump the old position goes on sounding at outgoingLevel, one step quieter a frame.
    int fadeLevel = kFadeFrames;
    int64_t outgoingPosition = 0;
    int outgoingLevel = 0;
    std::atomic<bool> paused{false};
    int64_t loopStart = 0;
    int64_t loopEnd = -1;      // -1: no loop
    int64_t lengthFrames = 0;  // the header scan's count, set at Load
    int64_t previousFill = 0;  // audio callback only: when it last handed music, 0 before
    std::atomic<int64_t> buffersHanded{0};
    std::atomic<int64_t> lateBuffers{0};

    audio::AudioClock clock;
    audio::SpectrumCalculator spectrum;
};
