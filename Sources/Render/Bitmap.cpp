// Bitmap storage and conversion from decoded pictures.
#include "Render/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

Bitmap* canvas = nullptr;

Bitmap::Bitmap(Bitmap&& other) noexcept {
    *this = std::move(other);
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this != &other) {
        Release();
        width = std::exchange(other.width, 0);
        height = std::exchange(other.height, 0);
        pixels = std::exchange(other.pixels, nullptr);
        pitch = std::exchange(other.pitch, 0);
        rows = std::exchange(other.rows, 0);
        size = std::exchange(other.size, 0);
    }
    return *this;
}

Bitmap& Bitmap::Create(int32_t w, int32_t h) {
    Release();
    if (w <= 0 || h <= 0 || static_cast<int64_t>(w) * h > std::numeric_limits<int32_t>::max()) {
        return *this;
    }
    pixels = new uint32_t[static_cast<size_t>(w) * static_cast<size_t>(h)];
    width = pitch = w;
    height = rows = h;
    size = w * h;
    return *this;
}

void Bitmap::Release() {
    delete[] pixels;
    pixels = nullptr;
    width = height = pitch = rows = size = 0;
}

void Bitmap::CopyTo(uint32_t* surface, int32_t w, int32_t h, int32_t pitchWords) const {
    if (surface == nullptr || pixels == nullptr || w <= 0 || h <= 0) return;
    // The canvas is one continuous run: surface row y starts at word y * width.
    const int32_t copyRows = std::min(h, height);
    const int32_t copyColumns = std::min(w, width);
    for (int32_t y = 0; y < copyRows; ++y) {
        std::memcpy(surface + static_cast<int64_t>(y) * pitchWords, Row(y),
                    static_cast<size_t>(copyColumns) * sizeof(uint32_t));
    }
}

Bitmap Bitmap::FromRgba(const uint8_t* rgba, int32_t w, int32_t h, bool keyed, uint32_t key) {
    Bitmap bitmap(w, h);
    if (bitmap.Empty() || rgba == nullptr) return Bitmap();
    const uint8_t* p = rgba;
    uint32_t* out = bitmap.pixels;
    for (int32_t i = 0; i < bitmap.size; ++i, p += 4) {
        const uint32_t colour = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
        const uint32_t keyByte = (keyed && colour == key) ? 0xFF000000u : 0u;
        out[i] = colour | keyByte;
    }
    return bitmap;
}
