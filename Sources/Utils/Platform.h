// The platform seams: every call the program makes to the outside world while it runs (message
// boxes, the debugger line, the Space key, the wall clock, random numbers, the music clock) goes
// through one of these small functions. The defaults need no window (stderr, a steady clock, no
// key held); the live shell installs the video library's key state and clock, and tests and the
// offline renderer install their own variants, all with the Scoped* guards below.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Receives every message box: the error boxes and the archive's own boxes, in the order raised.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Called once per box; returns when the box is "closed".
    virtual void Show(const std::string& caption, const std::string& text) = 0;
};

// Receives the debugger line printed while Space is held.
class DebugSink {
public:
    virtual ~DebugSink() = default;
    virtual void Write(const std::string& line) = 0;
};

// Answers whether the Space key is held right now.
class Keyboard {
public:
    virtual ~Keyboard() = default;
    virtual bool SpaceHeld() = 0;
};

// Milliseconds since the video library started (SDL_GetTicks in the live program).
class WallClock {
public:
    virtual ~WallClock() = default;
    virtual uint32_t Ticks() = 0;
};

// The music position in seconds: the clock the whole production runs on.
class MusicClock {
public:
    virtual ~MusicClock() = default;
    virtual float Time() = 0;
};

// Shows one box through the installed sink (default: caption and text on stderr).
void ShowMessageBox(const std::string& caption, const std::string& text);
// Sends one debugger line (default: stderr).
void DebugOutput(const std::string& line);
// True while Space is held (default: never; the live shell installs SDL's key state).
bool SpaceKeyHeld();
// Wall clock in milliseconds (default: a steady clock; the live shell installs SDL_GetTicks).
uint32_t Ticks();
// Wall clock in seconds as the scenes use it: Ticks() * 0.001, held as a float.
float WallSeconds();
// Music time in seconds from the installed music clock; 0 when none is installed.
float MusicTime();

// The classic C runtime generator of the original platform, one sequence shared by everybody:
// state = state * 214013 + 2531011; value = (state >> 16) & 0x7FFF. Starts from state 1.
int Rand();
void ResetRand(uint32_t state = 1);
// The generator's state now: ResetRand(RandState()) later takes the sequence up again from here.
uint32_t RandState();
// A random fraction: Rand() times 1/32767 held as a single-precision float.
inline constexpr float kRandScale = 1.0f / 32767.0f;

// Installing a variant: the previous one comes back when the guard goes out of scope.
void SetMessageSink(MessageSink* sink);  // nullptr restores the default
void SetDebugSink(DebugSink* sink);
void SetKeyboard(Keyboard* keyboard);
void SetWallClock(WallClock* clock);
void SetMusicClock(MusicClock* clock);
MessageSink* CurrentMessageSink();
DebugSink* CurrentDebugSink();
Keyboard* CurrentKeyboard();
WallClock* CurrentWallClock();
MusicClock* CurrentMusicClock();

template <class Seam, Seam* (*Current)(), void (*Set)(Seam*)>
class ScopedSeam {
public:
    explicit ScopedSeam(Seam* replacement) : previous_(Current()) { Set(replacement); }
    ~ScopedSeam() { Set(previous_); }
    ScopedSeam(const ScopedSeam&) = delete;
    ScopedSeam& operator=(const ScopedSeam&) = delete;

private:
    Seam* previous_;
};

using ScopedMessageSink = ScopedSeam<MessageSink, CurrentMessageSink, SetMessageSink>;
using ScopedDebugSink = ScopedSeam<DebugSink, CurrentDebugSink, SetDebugSink>;
using ScopedKeyboard = ScopedSeam<Keyboard, CurrentKeyboard, SetKeyboard>;
using ScopedWallClock = ScopedSeam<WallClock, CurrentWallClock, SetWallClock>;
using ScopedMusicClock = ScopedSeam<MusicClock, CurrentMusicClock, SetMusicClock>;

}  // namespace platform
