// Whole-frame transformations applied after the pictures are in place: wave blur, row rotation,
// brightness threshold, grey light maps and word-wise combinations of two pictures.
#pragma once

#include "Render/Bitmap.h"

#include <cstdint>

enum CombineOp : int32_t {
    CombineXor = 0,       // x = a ^ b
    CombineOr = 1,        // x = a | b
    CombineAnd = 2,       // x = a & b
    CombineSubtract = 3,  // x = a - b  (mod 2^32: borrows cross channels)
    CombineAdd = 4,       // x = a + b  (mod 2^32: carries cross channels)
    CombineMultiply = 5,  // x = a * b  (mod 2^32)
};

class FilterFx {
public:
    Bitmap* target = nullptr;  // not owned

    // rows strictly between top and bottom rotated left by a sine-shaped amount and smeared
    void WaveBlur(int32_t top, int32_t bottom, int32_t amplitude);
    // every row rotated left by offset pixels
    void RotateRows(int32_t offset);
    // word := colour where (2 * blue + green + red) >> 2 > level
    void Threshold(int32_t level, uint32_t colour);
    // each channel := min(255, channel + s.blue); key byte := 0
    void AddGrey(const Bitmap* src);
    // each channel := min(255, channel + (s.blue >> shift)); key byte := 0
    void AddGreyShifted(const Bitmap* src, int32_t shift);
    // target := a op b, word by word; an unknown op writes nothing
    void Combine(const Bitmap* a, const Bitmap* b, CombineOp op);
};
