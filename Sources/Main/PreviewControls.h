// The preview mode's keys, as what they ask of the run: pause, seek, the loop's marks and switch,
// reload. Plain logic over the current music time, so the rules are the same whoever presses.
#pragma once

enum class PreviewKey { kSpace, kLeft, kRight, kHome, kLoopStart, kLoopEnd, kLoopSwitch, kReload };

// What one key press asks for. `seekTo` is set (>= 0) when the music and picture must move there.
struct PreviewRequest {
    double seekTo = -1.0;
    bool pauseChanged = false;
    bool loopChanged = false;  // the loop was switched, or its marks moved while it is on
    bool loopMarked = false;   // a mark was set
    bool reload = false;
};

class PreviewControls {
public:
    // Seeks stay inside [0, end): the last moment one can seek to is a frame before the end.
    explicit PreviewControls(double endSeconds) : end(endSeconds) {}

    // `now` is the music time shown when the key went down; `shift` doubles as the long step.
    PreviewRequest Press(PreviewKey key, bool shift, double now);

    bool Paused() const { return paused; }
    // The loop plays from LoopStart up to LoopEnd and wraps; only when both marks are set in that
    // order can it be on.
    bool LoopOn() const { return loopOn; }
    double LoopStart() const { return loopStart; }
    double LoopEnd() const { return loopEnd; }
    bool LoopMarksValid() const { return loopStart >= 0.0 && loopEnd > loopStart; }

    static constexpr double kShortStep = 1.0;
    static constexpr double kLongStep = 10.0;

private:
    double Clamp(double t) const;

    double end;
    bool paused = false;
    bool loopOn = false;
    double loopStart = -1.0;  // -1: not set
    double loopEnd = -1.0;
};
