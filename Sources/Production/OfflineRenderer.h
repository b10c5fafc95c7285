// The production rendered without a window or a sound card: the same start-up, analysis and
// scenes as the live program, on a synthetic clock. Music time = frame / fps; the wall clock shows
// the same time; the spectrum of each frame is computed from the decoded track at that time exactly
// as the live back end computes it from what it hands the device. Deterministic: the same archive
// gives the same frames on every run.
#pragma once

#include "Production/FrameClock.h"
#include "Production/Production.h"
#include "Production/StatePass.h"
#include "Render/Bitmap.h"
#include "Utils/Platform.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class OfflineRenderer {
public:
    OfflineRenderer();
    ~OfflineRenderer();
    OfflineRenderer(const OfflineRenderer&) = delete;
    OfflineRenderer& operator=(const OfflineRenderer&) = delete;

    // Starts the production on the archive. False with a message when the music cannot be decoded,
    // unless `musicWarning` is given: then the message goes there and the production runs silent.
    bool Open(const std::string& archivePath, FrameRate rate, std::string* error,
              std::string* musicWarning = nullptr);
    // Before Open: the music is decoded a piece at a time by DecodeMusic rather than whole at
    // start-up, for a caller that yields between pieces. The frames are the same either way.
    void DecodeMusicInSteps() { musicInSteps = true; }
    // Decodes about `frames` more frames of the music; true once it is all in.
    bool DecodeMusic(int64_t frames);
    // From 0 to 1: how much of the music is decoded.
    double MusicDecodedShare() const;
    // Frames of the music decoded so far (every sample before them is final).
    int64_t MusicDecodedFrames() const;
    // Does about `frames` frames' worth of the work the first seek needs (every frame's spectrum),
    // so that work can be spread over the time between frames; true once it is all done.
    bool PrepareSeeks(int64_t frames);
    // Renders the next frame (frames are rendered in order from 0, as a viewer sees them).
    void RenderNextFrame();
    // Renders a frame at any music time, the wall clock showing the same time: for a clock of the
    // caller's, such as the browser's audio. Times should only grow between seeks, as a viewer's
    // do. The frame index is left alone.
    void RenderAt(double seconds);
    // Brings the production to `frame` (0 or later) by the state pass, without drawing the frames
    // before it, and leaves its picture in the canvas: the picture RenderNextFrame gives there.
    // Rendering goes on from the next frame.
    void SeekTo(int64_t frame);
    // Index and music time of the frame last rendered (-1 before the first).
    int64_t FrameIndex() const { return frame; }
    double FrameTime() const { return rate.Seconds(frame); }
    const Bitmap& Canvas() const { return production->Canvas(); }
    // The parts in drawing order, with their windows of music time.
    std::span<DemoPart* const> Parts() const { return production->Parts(); }
    // The decoded music, interleaved stereo at 44100 Hz (empty when it runs silent).
    const std::vector<int16_t>& Track() const;

private:
    std::unique_ptr<FrameClock> clock;  // the wall clock; the music clock is the decoded music's
    std::unique_ptr<platform::ScopedWallClock> wallClockGuard;
    std::unique_ptr<platform::ScopedKeyboard> keyboardGuard;
    std::unique_ptr<Production> production;
    std::unique_ptr<StatePass> pass;  // made at the first seek
    DecodedMusic* music = nullptr;    // owned by the production
    bool musicInSteps = false;
    FrameRate rate;
    int64_t frame = -1;
};
