// NoiseFx: grey bars and per-row flicker drawn from the shared random sequence. The number of
// random values each call takes never depends on the target's size (except Bars, whose count is
// the number of rows it fills), so the sequence stays in step whatever the scenes draw into.
#include "Render/NoiseFx.h"

#include <algorithm>
#include <cstdint>

#include "Render/PixelOps.h"
#include "Render/Spans.h"
#include "Utils/Platform.h"

using namespace pixelops;

namespace {

// trunc(rand * k * amount * 255), the products formed in double in that order; held in 0..255
// (an amount of 0 or less gives 0, a larger one saturates anyway).
int32_t RowLevel(float amount) {
    const double level = static_cast<double>(platform::Rand()) * static_cast<double>(platform::kRandScale) *
                         static_cast<double>(amount) * 255.0;
    if (level >= 255.0) return 255;
    if (level > 0.0) return static_cast<int32_t>(level);
    return 0;
}

// Applies `op` to each row of the fixed frame with one level per row; rows (or the tail of a
// row) beyond the target's words are left alone but still take their random number.
template <class Op>
void ForEachFrameRow(Bitmap* target, float amount, Op op) {
    const int32_t words = Usable(target) ? std::min(target->size, kFrameWords) : 0;
    for (int32_t row = 0; row < kScreenHeight; ++row) {
        const int32_t level = RowLevel(amount);
        const int32_t begin = row * kScreenWidth;
        const int32_t end = std::min(begin + kScreenWidth, words);
        if (begin < end) op(target->pixels + begin, end - begin, static_cast<uint32_t>(level));
    }
}

}  // namespace

void NoiseFx::Bars(float amount) {
    if (target == nullptr) return;
    // n > i with n in double: exactly ceil(n) rows, at least one for any positive amount, and
    // never more than the target holds.
    const double n = static_cast<double>(target->rows) * static_cast<double>(amount);
    if (!(n > 0.0)) return;
    // A target with rows but no pixels (the stand-in canvas a state pass draws into) takes the
    // same random values, one per row it would fill, and fills nothing.
    const bool fill = Usable(target);
    int32_t row = 0;
    do {
        const uint32_t grey = static_cast<uint32_t>(platform::Rand()) & 0xFF;
        if (fill) spans::Fill(target->Row(row), target->pitch, grey * 0x010101u);
        ++row;
    } while (row < target->rows && n > row);
}

void NoiseFx::AddRowNoise(float amount) {
    ForEachFrameRow(target, amount, spans::AddLevel);
}

void NoiseFx::SubtractRowNoise(float amount) {
    ForEachFrameRow(target, amount, spans::SubtractLevel);
}
