#include "Main/PreviewControls.h"

#include <algorithm>

double PreviewControls::Clamp(double t) const {
    // A frame at 60 per second before the end: the run ends at `end` itself.
    const double last = std::max(0.0, end - 1.0 / 60.0);
    double lo = 0.0, hi = last;
    // While looping, a seek lands inside the loop: it plays on from there and wraps as before.
    if (loopOn) {
        lo = loopStart;
        hi = std::min(last, loopEnd - 1.0 / 60.0);
    }
    return std::clamp(t, lo, std::max(lo, hi));
}

PreviewRequest PreviewControls::Press(PreviewKey key, bool shift, double now) {
    PreviewRequest request;
    const double step = shift ? kLongStep : kShortStep;
    switch (key) {
        case PreviewKey::kSpace:
            paused = !paused;
            request.pauseChanged = true;
            break;
        case PreviewKey::kLeft:
            request.seekTo = Clamp(now - step);
            break;
        case PreviewKey::kRight:
            request.seekTo = Clamp(now + step);
            break;
        case PreviewKey::kHome:
            request.seekTo = Clamp(0.0);
            break;
        case PreviewKey::kLoopStart:
        case PreviewKey::kLoopEnd:
            (key == PreviewKey::kLoopStart ? loopStart : loopEnd) = std::clamp(now, 0.0, end);
            request.loopMarked = true;
            // Marks that no longer make a loop switch it off rather than loop backwards.
            if (loopOn) {
                loopOn = LoopMarksValid();
                request.loopChanged = true;
            }
            break;
        case PreviewKey::kLoopSwitch:
            if (loopOn || LoopMarksValid()) {
                loopOn = !loopOn;
                request.loopChanged = true;
                // Switched on outside its marks: the run goes to the loop's start at once.
                if (loopOn && (now < loopStart || now >= loopEnd)) request.seekTo = loopStart;
            }
            break;
        case PreviewKey::kReload:
            request.reload = true;
            break;
    }
    return request;
}
