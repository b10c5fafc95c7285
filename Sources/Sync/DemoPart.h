// The base of the three scenes: a window of music time in which the scene draws, a piecewise-
// linear map from music time to the scene's own effect time, and the scene's beat bands. All three
// come from the scene's sync script.
#pragma once

#include "Render/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

struct TimingKey {
    float mp3time = 0.0f;  // music time, seconds
    float fxtime = 0.0f;   // the scene's effect time at that music time
};

class DemoPart {
public:
    virtual ~DemoPart() = default;

    // Draws the scene for this music time into the canvas; nothing outside the window.
    virtual void Render(Bitmap* canvas, float musicTime) = 0;
    // False for an effect time at which the scene draws nothing at all (its timeline is over or
    // not begun), so the canvas keeps the picture before it.
    virtual bool DrawsAt(float /*fx*/) const { return true; }
    // Reads the sync script at path from the archive: registers its beat bands, stores its
    // timing keys, checks them and sets the window.
    virtual void LoadXML(std::string path);

    // The effect time for music time t.
    float FxTime(float t) const;
    // Checks the keys; on failure shows "Timing error in XML : <path>" and leaves the window alone.
    bool ValidateKeys(const std::string& path);
    // The level of the scene's n-th beat band; 0 beyond the declared bands.
    float BandValue(size_t n) const;
    // windowStart <= t < windowEnd.
    bool InWindow(float t) const { return t >= windowStart && t < windowEnd; }
    // Sends the debug time line while Space is held.
    void DebugTimeLine(float fx) const;

    // What the scene carries from one frame to the next (jump timers, counters), as plain bytes, so
    // a caller can keep a moment and come back to it without knowing the scene. A scene whose
    // frames stand on the music time and the pictures alone carries nothing.
    virtual size_t MovingSize() const { return 0; }
    virtual void SaveMoving(void* /*out*/) const {}
    virtual void RestoreMoving(const void* /*in*/) {}
    // Back to what it carries at start-up.
    virtual void ResetMoving() {}

    std::vector<int32_t> bandIds;
    std::vector<TimingKey> timingKeys;
    float windowStart = 0.0f;
    float windowEnd = 0.0f;
};

// Unclamped linear interpolation: ya + (yb - ya) / (tb - ta) * (t - ta), or ya when tb == ta.
// Worked in double precision, held as a float.
float Lerp(float ta, float tb, float ya, float yb, float t);

// A scene whose moving state is one trivially copyable struct: declaring a new timer in it is all
// it takes for the state to be kept, put back and reset with the rest.
template <typename Moving>
class MovingPart : public DemoPart {
    static_assert(std::is_trivially_copyable_v<Moving>, "a scene's moving state is copied as bytes");

public:
    size_t MovingSize() const final { return sizeof(Moving); }
    void SaveMoving(void* out) const final { std::memcpy(out, &moving, sizeof(Moving)); }
    void RestoreMoving(const void* in) final { std::memcpy(&moving, in, sizeof(Moving)); }
    void ResetMoving() final { moving = Moving{}; }

protected:
    Moving moving{};
};
