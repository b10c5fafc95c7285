// SDL audio output over the decoded track: the callback, the decoding thread and the start-up
// checks.
#include "Audio/AudioBackend.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

using namespace audio;

namespace {

constexpr int kDeviceBufferFrames = 1024;  // ~23 ms per callback at 44100 Hz
constexpr int64_t kDecodeChunkFrames = 16384;
// Load decodes this much itself: the first callbacks never wait for the thread to be scheduled.
constexpr int64_t kFirstDecodeFrames = kSampleRate;
// Room for padding a file's tag does not describe; frames past the buffer count as the end.
constexpr int64_t kSlackFrames = 4 * 1152;

void SetError(std::string* error, std::string text) {
    if (error != nullptr) *error = std::move(text);
}

bool CheckSdl(std::string* error) {
#if SDL_MAJOR_VERSION >= 2
    // The SDL2 library at least as new as the headers we were built against.
    SDL_version linked{};
    SDL_GetVersion(&linked);
    if (linked.major != SDL_MAJOR_VERSION ||
        SDL_VERSIONNUM(linked.major, linked.minor, linked.patch) < SDL_COMPILEDVERSION) {
        SetError(error, "the SDL library is not the version 2 this program was built for");
        return false;
    }
#else
    // The browser's SDL 1.2 API at least as new as its headers.
    const SDL_version* linked = SDL_Linked_Version();
    if (linked == nullptr || linked->major != SDL_MAJOR_VERSION || linked->minor != SDL_MINOR_VERSION ||
        SDL_VERSIONNUM(linked->major, linked->minor, linked->patch) < SDL_COMPILEDVERSION) {
        SetError(error, "the SDL library is not the 1.2 version this program was built for");
        return false;
    }
#endif
    return true;
}

#if SDL_MAJOR_VERSION >= 2
// SDL_OpenAudio's device, the one SDL_LockAudio and SDL_PauseAudio act on, is always number 1.
constexpr SDL_AudioDeviceID kDevice = 1;
#endif

}  // namespace

AudioBackend::~AudioBackend() {
    Close();
}

bool AudioBackend::Open(std::string* error) {
    if (open) return true;
    if (!CheckSdl(error) || !Mp3DecodingAvailable(error)) return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        SetError(error, std::string("SDL audio: ") + SDL_GetError());
        return false;
    }
    audioSubsystem = true;
    SDL_AudioSpec desired{};
    desired.freq = kSampleRate;
    desired.format = AUDIO_S16SYS;
    desired.channels = kChannels;
    desired.samples = kDeviceBufferFrames;
    desired.callback = AudioCallback;
    desired.userdata = this;
    // No "obtained" format: SDL converts to the device's own format, so the callback always gets
    // exactly 44100 Hz stereo 16-bit.
    if (SDL_OpenAudio(&desired, nullptr) != 0) {
        SetError(error, std::string("SDL audio: ") + SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystem = false;
        return false;
    }
    // A device is stalled when it has not asked for sound for four of its buffers (at least 250 ms,
    // so a busy machine does not count as a stall).
    const int64_t bufferNanoseconds = int64_t{desired.samples} * 1'000'000'000 / kSampleRate;
    clock.SetStallLimit(std::max(AudioClock::kDefaultStallNanoseconds, 4 * bufferNanoseconds));
    previousFill = 0;
    buffersHanded.store(0);
    lateBuffers.store(0);
    deviceRemoved.store(false);
#if SDL_MAJOR_VERSION >= 2
    // A lost device (unplugged, its server gone) is told by an event; the device then reports
    // itself stopped too, which SoundStopped also asks.
    SDL_AddEventWatch(WatchDevice, this);
    watching = true;
#endif
    clock.Reset();
    open = true;
    return true;
}

bool AudioBackend::Load(const char* data, size_t length, std::string* error) {
    if (!open) {
        SetError(error, "the audio output is not open");
        return false;
    }
    auto fresh = std::make_unique<Mp3Decoder>();
    if (!fresh->Open(data, length, error)) return false;
    Unload();

    capacity = std::min(fresh->LengthFrames() + kSlackFrames, kMaxTrackFrames);
    // Not zero-filled: pages are touched only as the decoder writes them, so Load stays cheap.
    track.reset(new int16_t[static_cast<size_t>(capacity) * kChannels]);
    const int64_t first = static_cast<int64_t>(
        fresh->Read(track.get(), static_cast<size_t>(std::min(capacity, kFirstDecodeFrames))));
    if (first == 0) {
        track.reset();
        capacity = 0;
        SetError(error, "no mp3 frame could be decoded");
        return false;
    }
    decoded.store(first);
    decodingDone.store(fresh->AtEnd() || first == capacity);
    decoder = std::move(fresh);

    SDL_LockAudio();
    trackPosition = 0;
    startFrame = 0;
    lengthFrames = std::min(decoder->LengthFrames(), capacity);
    loopEnd = -1;
    endCount.store(0);
    clock.Reset();
    loaded.store(true);
    SDL_UnlockAudio();

    if (!decodingDone.load()) {
        stopDecoding.store(false);
        decoding = std::thread([this] { DecodeRest(); });
    }
    return true;
}

void AudioBackend::DecodeRest() {
    while (!stopDecoding.load(std::memory_order_relaxed)) {
        const int64_t have = decoded.load(std::memory_order_relaxed);
        const int64_t want = std::min(kDecodeChunkFrames, capacity - have);
        if (want <= 0) break;
        const auto got =
            static_cast<int64_t>(decoder->Read(track.get() + have * kChannels, static_cast<size_t>(want)));
        // Release: the samples are in memory before anyone sees the new count.
        decoded.store(have + got, std::memory_order_release);
        if (decoder->AtEnd()) break;
    }
    decodingDone.store(true, std::memory_order_release);
}

void AudioBackend::Unload() {
    if (open) SDL_LockAudio();
    loaded.store(false);
    playing.store(false);
    paused.store(false);
    loopEnd = -1;
    if (open) SDL_UnlockAudio();
    stopDecoding.store(true);
    if (decoding.joinable()) decoding.join();
    decoder.reset();
    track.reset();
    capacity = 0;
    decoded.store(0);
    decodingDone.store(false);
}

bool AudioBackend::Play() {
    if (!loaded.load()) return false;
    SDL_LockAudio();
    if (!playing.load()) {
        trackPosition = startFrame;
        fadeLevel = kFadeFrames;  // the first buffer starts at full level, as it always has
        outgoingLevel = 0;
        paused.store(false);
        clock.Start(SteadyNanoseconds(), startFrame);
        playing.store(true);
    }
    SDL_UnlockAudio();
    // The device starts asking for sound only now: a device that eats sound as fast as it can
    // (the disk driver) would otherwise spin on silence through the rest of start-up.
    SDL_PauseAudio(0);
    return true;
}

bool AudioBackend::Seek(int64_t frame) {
    if (!loaded.load() || frame < 0) return false;
    SDL_LockAudio();
    if (loopEnd >= 0 && frame >= loopEnd) frame = loopStart;
    startFrame = frame;
    if (playing.load()) SeekPlaying(frame);
    // A track that ended plays again after a seek back into it; its end is reported again.
    endCount.store(0);
    SDL_UnlockAudio();
    return true;
}

void AudioBackend::SeekPlaying(int64_t frame) {
    // Paused, only the held clock moves: Resume starts where it reads.
    if (!paused.load()) CrossFadeTo(frame);
    clock.Jump(SteadyNanoseconds(), frame);
}

void AudioBackend::CrossFadeTo(int64_t frame) {
    // Only when jumps come faster than a fade are two positions still fading: the louder one goes
    // on fading out and the other stops short.
    if (fadeLevel >= outgoingLevel) {
        outgoingPosition = trackPosition;
        outgoingLevel = fadeLevel;
    }
    trackPosition = frame;
    fadeLevel = 0;
}

bool AudioBackend::Pause() {
    if (!playing.load()) return false;
    SDL_LockAudio();
    const bool pausing = !paused.load();
    if (pausing) {
        clock.Pause(SteadyNanoseconds());
        paused.store(true);
    }
    SDL_UnlockAudio();
    return pausing;
}

bool AudioBackend::Resume() {
    if (!playing.load()) return false;
    SDL_LockAudio();
    const bool resuming = paused.load();
    if (resuming) {
        paused.store(false);
        // Sound and clock go on from the same frame: the one the clock held, or a seek's.
        CrossFadeTo(clock.Resume(SteadyNanoseconds()));
    }
    SDL_UnlockAudio();
    return resuming;
}

int64_t AudioBackend::TrackFrames() const {
    return decodingDone.load(std::memory_order_acquire) ? decoded.load(std::memory_order_acquire)
                                                        : lengthFrames;
}

bool AudioBackend::SetLoop(int64_t start, int64_t end) {
    if (!loaded.load() || start < 0 || end <= start || end > TrackFrames()) return false;
    SDL_LockAudio();
    loopStart = start;
    loopEnd = end;
    if (!playing.load()) {
        if (startFrame >= end) startFrame = start;
    } else if (clock.Audible(SteadyNanoseconds()) >= end) {
        // Already past the end: to the start at once, so no reading lies beyond the end.
        startFrame = start;
        SeekPlaying(start);
        endCount.store(0);
    }
    clock.SetLoopEnd(end);
    SDL_UnlockAudio();
    return true;
}

void AudioBackend::ClearLoop() {
    if (open) SDL_LockAudio();
    loopEnd = -1;
    clock.SetLoopEnd(-1);
    if (open) SDL_UnlockAudio();
}

bool AudioBackend::SetVolume(int newVolume) {
    if (!loaded.load() || newVolume < 0 || newVolume > 100) return false;
    volume.store(newVolume);
    return true;
}

int64_t AudioBackend::PositionFrames() {
    return clock.Audible(SteadyNanoseconds());
}

int64_t AudioBackend::PositionFrames(int64_t* jumps) {
    return clock.Audible(SteadyNanoseconds(), jumps);
}

double AudioBackend::PositionSeconds() {
    return static_cast<double>(PositionFrames()) / kSampleRate;
}

void AudioBackend::Spectrum(float* out) {
    if (!loaded.load()) {
        std::fill(out, out + kSpectrumBins, 0.0f);
        return;
    }
    // The position first, then the count: every frame below the position was handed to the
    // device, hence decoded and published before the count is read.
    const int64_t position = PositionFrames();
    const int64_t available = decoded.load(std::memory_order_acquire);
    spectrum.ComputeTrack(track.get(), static_cast<size_t>(available), position, out);
}

bool AudioBackend::SoundStopped() {
    if (clock.Stalled(SteadyNanoseconds())) return true;
    if (!open || !playing.load()) return false;
#if SDL_MAJOR_VERSION >= 2
    return deviceRemoved.load() || SDL_GetAudioDeviceStatus(kDevice) == SDL_AUDIO_STOPPED;
#else
    // SDL 1.2 has no word for a lost device: the stall above is all there is.
    return false;
#endif
}

int AudioBackend::WatchDevice(void* self, SDL_Event* event) {
#if SDL_MAJOR_VERSION >= 2
    if (event->type == SDL_AUDIODEVICEREMOVED && event->adevice.iscapture == 0 &&
        event->adevice.which == kDevice)
        static_cast<AudioBackend*>(self)->deviceRemoved.store(true);
#else
    (void)self;
    (void)event;
#endif
    return 0;
}

void AudioBackend::SetEndCallback(EndCallback callback, void* user) {
    if (open) SDL_LockAudio();
    endCallback = callback;
    endUser = user;
    if (open) SDL_UnlockAudio();
}

void AudioBackend::Close() {
    // After SDL_CloseAudio returns the callback runs no more; only then can its state go.
    if (open) SDL_CloseAudio();
#if SDL_MAJOR_VERSION >= 2
    if (watching) SDL_DelEventWatch(WatchDevice, this);
#endif
    watching = false;
    open = false;
    Unload();
    clock.Stop(SteadyNanoseconds());
    if (audioSubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audioSubsystem = false;
}

void AudioBackend::AudioCallback(void* self, uint8_t* stream, int bytes) {
    static_cast<AudioBackend*>(self)->Fill(reinterpret_cast<int16_t*>(stream), bytes / (kChannels * 2));
}

void AudioBackend::Fill(int16_t* out, int64_t frames) {
    const bool held = paused.load(std::memory_order_relaxed);
    if (!playing.load(std::memory_order_acquire) || (held && fadeLevel == 0 && outgoingLevel == 0)) {
        std::memset(out, 0, static_cast<size_t>(frames) * kChannels * sizeof(int16_t));
        previousFill = 0;  // the first buffer after a pause is not late
        return;
    }
    const int64_t now = SteadyNanoseconds();
    buffersHanded.fetch_add(1, std::memory_order_relaxed);
    // Late: more than one and a half of this buffer's length after the one before.
    const int64_t lateGap = frames * 1'500'000'000 / kSampleRate;
    if (previousFill != 0 && now - previousFill > lateGap)
        lateBuffers.fetch_add(1, std::memory_order_relaxed);
    previousFill = now;
    // After a stall the clock has run on alone: skip the track by as much to meet it again.
    const int64_t skipped = clock.StallFrames(now);
    trackPosition += skipped;

    // Done first: once it is seen set, the count read next is the final one.
    const bool complete = decodingDone.load(std::memory_order_acquire);
    const int64_t available = decoded.load(std::memory_order_acquire);
    const int gain = volume.load(std::memory_order_relaxed);

    Wraps wraps;
    int64_t counted = 0;
    if (held || fadeLevel != kFadeFrames || outgoingLevel != 0 ||
        (loopEnd >= 0 && trackPosition + frames >= loopEnd)) {
        counted = FillFading(out, frames, available, complete, gain, wraps);
    } else {
        const int64_t music = std::clamp<int64_t>(available - trackPosition, 0, frames);
        if (music > 0) {
            const int16_t* source = track.get() + trackPosition * kChannels;
            for (int64_t i = 0; i < music * kChannels; ++i) {
                // s * gain / 100, truncated toward zero: full volume hands the decoded samples unchanged.
                out[i] = static_cast<int16_t>(source[i] * gain / 100);
            }
        }
        std::memset(out + music * kChannels, 0,
                    static_cast<size_t>(frames - music) * kChannels * sizeof(int16_t));
        // With the whole track decoded, everything handed counts, the silence after the end too:
        // the clock goes on. While the decoder is still behind, the silence is an underrun and the
        // clock waits with the music.
        counted = complete ? frames : music;
        trackPosition += counted;
    }
    // Paused, the clock holds whatever the fade-out hands.
    if (held) return;
    if (wraps.count == 0) {
        clock.Handed(now, skipped, counted);
    } else {
        clock.HandedWrapping(now, skipped, counted, wraps.first, wraps.last, loopStart);
    }

    if (complete && trackPosition >= available && endCount.load(std::memory_order_relaxed) == 0) {
        endCount.store(1, std::memory_order_release);
        if (endCallback != nullptr) endCallback(endUser);
    }
}

int64_t AudioBackend::FillFading(int16_t* out, int64_t frames, int64_t available, bool complete, int gain,
                                 Wraps& wraps) {
    const bool held = paused.load(std::memory_order_relaxed);
    const int target = held ? 0 : kFadeFrames;
    int64_t counted = 0;
    // At the loop's end the position goes back to its start before the next frame is read.
    const auto wrapAtEnd = [&] {
        if (loopEnd < 0 || trackPosition < loopEnd) return;
        CrossFadeTo(loopStart);
        if (wraps.count++ == 0) wraps.first = counted;
        wraps.last = counted;
    };
    wrapAtEnd();
    bool underrun = false;
    for (int64_t n = 0; n < frames; ++n) {
        // The position moves while it sounds; once a pause has faded it out it holds. While the
        // decoder is behind it waits, and the clock with it.
        bool moves = !underrun && (target > 0 || fadeLevel > 0);
        if (moves && !complete && trackPosition >= available) {
            underrun = true;
            moves = false;
        }
        const int level = moves ? fadeLevel : 0;
        const bool liveSounds = level > 0 && trackPosition < available;
        const bool oldSounds = outgoingLevel > 0 && outgoingPosition < available;
        for (int c = 0; c < kChannels; ++c) {
            int64_t mixed = 0;
            if (liveSounds) mixed += int64_t{track[trackPosition * kChannels + c]} * level;
            if (oldSounds) mixed += int64_t{track[outgoingPosition * kChannels + c]} * outgoingLevel;
            // (s * level + old * outgoingLevel) * gain / (100 * kFadeFrames), truncated toward zero:
            // the two levels never add up past kFadeFrames, so the sum cannot overflow.
            out[n * kChannels + c] = static_cast<int16_t>(mixed * gain / (100 * kFadeFrames));
        }
        if (outgoingLevel > 0) {
            --outgoingLevel;
            ++outgoingPosition;
        }
        if (!moves) continue;
        fadeLevel += fadeLevel < target ? 1 : fadeLevel > target ? -1 : 0;
        ++trackPosition;
        if (!held) ++counted;
        wrapAtEnd();
    }
    return counted;
}
