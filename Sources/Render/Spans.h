// Span kernels: the inner loops of the drawing operations, each over n words that the caller has
// already clipped. Built with SSE2 where the compiler targets it (every x86-64), with a plain
// loop otherwise and for the last few words; both give the same words. Internal to Sources/Render.
#pragma once

#include <cstdint>

namespace spans {

// Whether the AVX2 kernels may run: built with them (not ZV_SCALAR or ZV_NO_AVX2) and the
// processor has AVX2.
bool HasAvx2();

// d := value
void Fill(uint32_t* d, int32_t n, uint32_t value);
// d := (d & key) | (s & colour)
void CopyColour(uint32_t* d, const uint32_t* s, int32_t n);
// d := s where s's key byte is not 255
void CopyUnlessTransparent(uint32_t* d, const uint32_t* s, int32_t n);
// d[i] := s[index[i]] for an index that never decreases, each index within the `words` s holds
void GatherAscending(uint32_t* d, const uint32_t* s, int32_t words, const int32_t* index, int32_t n);
// d := s where s's key byte is 0
void CopyOpaque(uint32_t* d, const uint32_t* s, int32_t n);
// d[i] := last[-i] where that word's key byte is 0 (a row read right to left)
void CopyOpaqueReversed(uint32_t* d, const uint32_t* last, int32_t n);

// d = min(255, d + s) per colour channel where s's key byte is 0, key kept
void AddOpaque(uint32_t* d, const uint32_t* s, int32_t n);
// d = min(255, d + s) per colour channel, key kept
void AddColour(uint32_t* d, const uint32_t* s, int32_t n);
// as AddColour where s's key byte is not 255
void AddUnlessTransparent(uint32_t* d, const uint32_t* s, int32_t n);
// d = max(0, d - s) per colour channel where s's key byte is not 255, key kept
void SubtractUnlessTransparent(uint32_t* d, const uint32_t* s, int32_t n);
// all three channels := min(255, d.blue + s.blue), key kept
void AddBlueAsGrey(uint32_t* d, const uint32_t* s, int32_t n);
// each channel := min(255, channel + (s.blue >> shift)), key := 0; shift in 0..31
void AddGreyShifted(uint32_t* d, const uint32_t* s, int32_t n, int32_t shift);
// each channel := min(255, channel + amount), key kept; amount in 0..255
void AddLevel(uint32_t* d, int32_t n, uint32_t amount);
// each channel := max(0, channel - amount), key kept; amount in 0..255
void SubtractLevel(uint32_t* d, int32_t n, uint32_t amount);
// d = clamp(trunc((1 - t) * s + t * d)) per colour channel where s's key byte is not 255, key kept
void BlendUnlessTransparent(uint32_t* d, const uint32_t* s, int32_t n, float t);
// d := colour where (2 * blue + green + red) >> 2 > level; any level
void Threshold(uint32_t* d, int32_t n, int32_t level, uint32_t colour);

// Word-wise d := a op b, wrapping modulo 2^32; d may be a or b.
void Xor(uint32_t* d, const uint32_t* a, const uint32_t* b, int32_t n);
void Or(uint32_t* d, const uint32_t* a, const uint32_t* b, int32_t n);
void And(uint32_t* d, const uint32_t* a, const uint32_t* b, int32_t n);
void Subtract(uint32_t* d, const uint32_t* a, const uint32_t* b, int32_t n);
void Add(uint32_t* d, const uint32_t* a, const uint32_t* b, int32_t n);
void Multiply(uint32_t* d, const uint32_t* a, const uint32_t* b, int32_t n);

// One row of rings: for i in 0..n-1, a = a0 + i and v = ((a*a + bSquared) >> 8) + phase in
// wrapping 32-bit arithmetic; d[i] := colour where bit 6 of v is 0.
void RingRow(uint32_t* d, int32_t n, uint32_t a0, uint32_t bSquared, uint32_t phase, uint32_t colour);
// As RingRow with a per-column b*b, bSquared[i], which is then advanced to the next row's value:
// (b + 1)^2 = b^2 + 2b + 1, so the caller passes step[i] + rowStep = 2b + 1 (both wrapping).
void RingRowColumnsBent(uint32_t* d, int32_t n, uint32_t a0, uint32_t* bSquared, const uint32_t* step,
                        uint32_t rowStep, uint32_t phase, uint32_t colour);

}  // namespace spans
