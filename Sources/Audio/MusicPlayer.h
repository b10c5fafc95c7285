// The music player: plays the one mp3 of the production from memory and is the clock of the whole
// program. Our own back end: libmpg123 decodes, SDL audio plays at 44100 Hz, kissfft gives the
// spectrum of what is being heard.
#pragma once

#include "Utils/Platform.h"

#include <cstdint>
#include <memory>

class AudioBackend;

class MusicPlayer final : public platform::MusicClock {
public:
    MusicPlayer();
    ~MusicPlayer() override;
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // Checks the back end's version and opens the audio output; failure shows up in Load.
    void Init();
    // Prepares playback of the mp3 held in memory (not copied: the bytes must outlive the player).
    // False when the output is not open or the data cannot be played.
    bool Load(const char* data, int32_t length);
    // Starts playback; false before a successful Load. The track plays once; at its end the music
    // stops and silence follows.
    bool Play();
    // Moves the music to `seconds` (rounded to the nearest sample frame): before Play, where Play
    // starts; while playing, at once, cross-faded over a few milliseconds within the next buffer;
    // while paused, where Resume starts. False (no change) before Load or for a negative or
    // non-finite time.
    bool Seek(double seconds);
    // Pause holds the music and its clock exactly where they are (the sound fades out over a few
    // milliseconds); Resume fades it in again from the same sample, or from where a Seek made while
    // paused put it. False when not playing or already in that state.
    bool Pause();
    bool Resume();
    bool Paused() const;
    // Loops the music from `start` to `end` seconds (each rounded to the nearest sample frame):
    // at the end it wraps to the start at that very sample with a short cross-fade, and Time goes
    // back with it (see Jumps). A music time at or past the end (now or after a Seek) goes to the
    // start at once. False (no change) before Load, for a non-finite or negative start, for
    // end <= start or an end beyond the track. ClearLoop lets the music play on.
    bool SetLoop(double start, double end);
    void ClearLoop();
    bool Looping() const;
    // How many times Time jumped (a Seek while playing or paused, a wrap of the loop), as of the
    // latest Time: when it changes between two frames, the picture must jump with the music.
    int64_t Jumps() const { return jumps; }
    // 0..100; false (no change) outside that range or before Load.
    bool SetVolume(int volume);
    // Fetches the spectrum of what is heard now into `spectrum` (zeros before Load).
    void Update();
    // Playback position in seconds: smooth, monotonic between jumps (Jumps), never ahead of what
    // the device was handed, never past a loop's end, and held exactly while paused.
    // It keeps counting through the silence after the end of the track, and runs on with the
    // steady clock if the device stops asking for sound, so a wait for a later time always ends;
    // each time that happens, one line on stderr says the sound stopped.
    float Time() override;
    // Stops the output and closes the back end; harmless when called again.
    void Free();
    // Device buffers handed since Init, and how many came late (see AudioBackend).
    int64_t BuffersHanded() const;
    int64_t LateBuffers() const;

    float spectrum[1024] = {};
    bool ready = false;

private:
    std::unique_ptr<AudioBackend> backend;
    bool stopReported = false;  // the current stop of the device has had its line
    int64_t jumps = 0;
};

// The program's player, owned by the application.
extern MusicPlayer* player;
