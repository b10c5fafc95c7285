// PNG output shared by the tools (the asset builder's pictures, the capture tool's frames): 8-bit
// RGB through libpng with fixed settings, so the same pixels always give the same bytes.
#pragma once

#include <cstdint>
#include <vector>

// How hard zlib and the row filters work.
enum class PngCompression {
    // zlib level 2 with the "sub" filter on every row: grainy pictures code about eight times
    // faster than with kStandard and come out no bigger
    kFast,
    // zlib level 6 with libpng's own filter choice per row
    kStandard,
};

// A PNG of `width` x `height` pixels from `rgb`: three bytes (r, g, b) per pixel, rows top first
// and back to back. Throws std::runtime_error when libpng fails.
std::vector<uint8_t> EncodeRgbPng(const std::vector<uint8_t>& rgb, int width, int height,
                                  PngCompression compression);
