// Brings the whole production to the state it has at one frame of a run from the start (60 fps
// unless told otherwise): the frame zembravale-capture renders for that moment, reached without
// drawing every frame on the way.
//
// The scenes run their logic against a stand-in canvas that has rows but no pixels: they draw
// their random numbers, move their jump timers and read the wall clock exactly as in a real run,
// while every drawing call does nothing. The beat bands are replayed from the smoothed spectrum of
// every frame, computed once from the decoded track. Only the last frames the picture depends on
// are drawn for real: from the latest frame whose picture does not depend on the canvas before it
// (found by drawing a frame over two canvases that differ in every colour bit).
//
// The picture is every colour bit of the canvas. The key byte of a canvas word is not part of it:
// no drawing call turns it into a colour and nothing shows it. Where a frame keeps the key bytes
// of the frame before it, they are 0 here (as on a fresh canvas), not what a run from the start
// left there.
//
// Threads: StartPreparing's thread reads only the production's music bytes and objects of its
// own; everything else, seeks included, runs on the thread that draws the production. For the
// preview mode and the capture tool only: it holds the smoothed spectrum of every frame (about
// 60 MB for the whole track). It must go before the production it was made for.
#pragma once

#include "Production/FrameClock.h"
#include "Production/ProductionReports.h"
#include "Render/Bitmap.h"

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

class Production;

class StatePass {
public:
    // Frames at `rate` (60 a second unless told otherwise).
    explicit StatePass(Production& production, FrameRate rate = {});
    ~StatePass();
    StatePass(const StatePass&) = delete;
    StatePass& operator=(const StatePass&) = delete;

    // Starts decoding the track and computing every frame's spectrum in a thread of its own; the
    // first seek waits for it. Without this call the first seek does the work itself.
    void StartPreparing();
    // Computes the spectra of about `frames` more frames on the calling thread, for a caller that
    // has no thread to spare and works between its frames (the browser's page); true once every
    // frame has its spectrum. A seek computes what it still lacks up to its frame. Not together
    // with StartPreparing.
    bool PrepareSome(int64_t frames);

    // Brings the production to frame FrameAt(seconds) and leaves that frame's picture in the canvas, bit for
    // bit the frame a full render from the start gives. Returns the frame index. The seams are the pass's own
    // while it runs and the caller's again afterwards.
    int64_t SeekTo(double seconds);

    // Reads the scripts and pictures again (Production::Reload) and brings the production to
    // `seconds` with what was read: a paused preview draws no other frame to show the change.
    ReloadReport Reload(double seconds);

    // What the last seek did.
    struct Figures {
        int64_t frame = -1;        // the frame reached
        int64_t drawnFrames = 0;   // frames drawn for real, the stand-alone tests included
        int64_t testedFrames = 0;  // frames tested for standing alone
        bool replayedAll = false;  // no frame standing alone was found near the end: all drawn
    };
    const Figures& LastSeek() const { return figures; }

    // The first frame at or after `seconds`, and a frame's time, at the pass's rate.
    int64_t FrameAt(double seconds) const { return rate.FrameAt(seconds); }
    double FrameSeconds(int64_t frame) const { return rate.Seconds(frame); }
    // Brings the production to this frame (0 or later) as SeekTo does.
    void SeekToFrame(int64_t frame);

    // How many frames back from the last drawing frame are searched for one standing alone.
    static constexpr int kSearchFrames = 64;

private:
    struct SpectraWork;

    void Prepare();
    const std::vector<int16_t>* SharedTrack();
    void BeginSpectra(const std::vector<int16_t>* shared);
    bool ComputeSpectra(int64_t frames);
    void ComputeSpectraUpTo(int64_t frame);
    const float* SmoothSpectrum(int64_t frame);
    bool AnyPartDraws(int64_t frame) const;

    void RestoreStart();
    void Save(int slot);
    void Restore(int slot);
    // One frame: the clocks show its time, the bands move twice over its spectrum (as a frame of
    // the production does: once in the analysis, once after it), then the parts draw into target.
    void Step(int64_t frame, Bitmap* target);
    // Draws the frame twice over two canvases whose colours differ in every bit; true when both
    // give the same picture. Leaves the frame drawn and the state after it either way.
    bool StandsAlone(int64_t frame, int slot);

    Production& production;
    FrameRate rate;
    std::unique_ptr<FrameClock> clock;
    Bitmap standIn;  // rows and columns of the canvas, no pixels
    std::thread preparing;
    bool prepared = false;

    uint32_t binCount = 0;
    std::unique_ptr<SpectraWork> work;  // from the first spectrum computed to the last
    std::vector<float> spectra;         // binCount smoothed values per frame, from frame 0
    int64_t spectrumFrames = 0;         // frames whose spectra are computed
    bool spectraDone = false;
    std::vector<float> silence;  // the smoothed spectrum once the track is over

    // The moment before each of the frames searched: the generator, every part's moving state as
    // its bytes, and the level and last update time of every band.
    uint32_t ringRand[kSearchFrames] = {};
    std::vector<unsigned char> ringParts;
    size_t partBytes = 0;
    std::vector<float> ringBands;
    size_t bandCount = 0;
    std::vector<uint32_t> patternA, patternB, drawn;
    Figures figures;
};
