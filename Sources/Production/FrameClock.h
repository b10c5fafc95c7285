// Frames at a fixed rate, and the clocks a frame drawn away from the live loop sees: the capture
// tool, the state pass and the browser page count frames and their times the same way.
#pragma once

#include "Utils/Platform.h"

#include <cmath>
#include <cstdint>
#include <string>

// A frame rate as a fraction, so 60000/1001 is exact.
struct FrameRate {
    int64_t numerator = 60;
    int64_t denominator = 1;

    // Frame `frame`'s music time.
    double Seconds(int64_t frame) const;
    // The first frame whose time is at or after `seconds`: a time between two frames gives the
    // later one, a time less than a millionth of a frame past a frame still counts as that frame,
    // and a time before 0 gives frame 0.
    int64_t FrameAt(double seconds) const;
};

// Parses "60", "29.97" or "60000/1001"; false when it is not a positive rate (a decimal rate
// that rounds to 0 thousandths included).
bool ParseFrameRate(const std::string& text, FrameRate* rate);

// The wall clock and the music clock both show one frame's time; the Space key is never held.
class FrameClock final : public platform::WallClock, public platform::MusicClock, public platform::Keyboard {
public:
    uint32_t Ticks() override { return static_cast<uint32_t>(std::llround(seconds * 1000.0)); }
    float Time() override { return static_cast<float>(seconds); }
    bool SpaceHeld() override { return false; }

    double seconds = 0.0;
};
