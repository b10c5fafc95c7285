// Procedural full-frame patterns (rings, optionally bent by sine/cosine tables), blocky zooms and
// window copies out of larger pictures.
#pragma once

#include "Render/Bitmap.h"

#include <cstdint>

class PatternFx {
public:
    Bitmap* target = nullptr;  // not owned
    int32_t sine[256] = {};    // trunc((sin(i * 0.00390625f * 6.28) + 1) * 32768)
    int32_t cosine[256] = {};  // the same with cos

    PatternFx() { BuildTables(); }

    // fills both tables; called by the constructor
    void BuildTables();
    // target := the target-sized window of src at (x, y); an axis that would reach src's edge snaps to 0
    void CopyWindow(const Bitmap* src, int32_t x, int32_t y);
    // target := the 160 x 120 window of src at (x, y), each pixel repeated 4 x 4
    void Zoom4(const Bitmap* src, int32_t x, int32_t y);
    // target := the 80 x 60 window of src at (x, y), each pixel repeated 8 x 8
    void Zoom8(const Bitmap* src, int32_t x, int32_t y);
    // word := colour where bit 6 of ((a*a + b*b) >> 8) + phase is 0
    void Rings(int32_t cx, int32_t cy, uint32_t colour, int32_t phase);
    // rings whose rows are bent by the tables
    void WarpedRings(int32_t cx, int32_t cy, uint32_t colour, int32_t phase, int32_t d, int32_t shiftX,
                     int32_t shiftY);
    // rings bent along both axes
    void WarpedRings2(int32_t cx, int32_t cy, uint32_t colour, int32_t phase, int32_t d, int32_t rowStep,
                      int32_t colStep, int32_t colShift, int32_t rowShift);
};
