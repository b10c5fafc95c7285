// Part two: the casino, the evil machine, the wire, the western set and the finale, over effect
// time 0 to 810. Four block lists run in order every frame, each a timeline of guarded steps:
// the opening (0-150), the casino (150-300), the machine (300-520) and the finale (520-810).
// Every block reads the frame's wall seconds and beat levels, taken once before the first block.
#pragma once

#include "Parts/ZoomJump.h"
#include "Render/Blitter.h"
#include "Render/FilterFx.h"
#include "Render/NoiseFx.h"
#include "Render/PatternFx.h"
#include "Sync/DemoPart.h"

#include <cstdint>

inline constexpr int kPartTwoTableSize = 256;

// The random magnifier of the opening: a jump timer that picks its corners from the random sequence.
struct RandomJumpTimer {
    float lastJump = 0.0f;  // wall seconds of the last jump
    int32_t count = 0;      // jumps so far; odd counts zoom, even ones show the whole picture
    int32_t x = 0;          // the Zoom4 corner drawn at the last jump
    int32_t y = 0;
};

// The zoom timers: zero at start, kept for the whole run, advanced only while their block runs.
struct PartTwoMoving {
    JumpTimer firstJump;         // block 1
    RandomJumpTimer secondJump;  // block 14
};

// The dollar and head tables, drawn from the random sequence when the part is made.
struct PartTwoTables {
    int32_t spritePos[2][kPartTwoTableSize] = {};   // dollar start positions: x[i], then y[i]
    float spriteJitter[2][kPartTwoTableSize] = {};  // dollar beat directions u[i], v[i], in [-1, 1]
    float burstDir[2][kPartTwoTableSize] = {};      // head flight directions dx[i], dy[i]
    int32_t burstHead[kPartTwoTableSize] = {};      // which of three head pictures: 0, 1 or 2
};

class PartTwo final : public MovingPart<PartTwoMoving> {
public:
    // Fills the sprite and burst tables from the shared random sequence (after part one's draws).
    // The opening's magnifier shows `title` (not owned: it must outlive the part).
    explicit PartTwo(const Bitmap* title);

    void Render(Bitmap* canvas, float musicTime) override;
    bool DrawsAt(float fx) const override { return fx >= 0 && fx < 810; }

    // The machine's counter a:b along its slanting line; each argument is clamped into 0..99.
    void DrawCounter(int32_t a, int32_t b);
    // One burst of forty flying heads when t0 <= t < t1; sprite indices base + 40 to base + 79.
    void HeadBurst(float t0, float t1, int32_t base, float t);

    const PartTwoTables& Tables() const { return tables; }

private:
    // Reads s, b0, b1, b2 once, then runs the four block lists in order, into `canvas`.
    void DrawScenes(Bitmap* canvas, float t);
    // The four block lists, in the order DrawScenes runs them, each into the frame it is handed:
    // 0-150, the magnifier, rings, the figure and its captions, sweeps;
    // 150-300, the lighthouse, flashes, slot machines, swirl, dollar rain;
    // 300-520, the machine, the counter, the wire, the western set;
    // 520-810, stills, the final countdown, head bursts, the closing pictures.
    void DrawOpening(Bitmap* frame, float t);
    void DrawCasino(Bitmap* frame, float t);
    void DrawMachine(Bitmap* frame, float t);
    void DrawFinale(Bitmap* frame, float t);
    // The casino's last block, 250-300: the dollar rain over the swirl.
    void DrawDollarRain(float t);

    Blitter blitter;
    NoiseFx noise;
    PatternFx pattern;
    FilterFx filter;

    const Bitmap* title;  // a zoom source of the opening
    PartTwoTables tables;

    // The frame's values, read once by DrawScenes before any block reads them.
    float s = 0.0f;   // wall seconds
    float b0 = 0.0f;  // beat levels of the part's first three bands
    float b1 = 0.0f;
    float b2 = 0.0f;
};
