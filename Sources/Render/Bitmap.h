// The one pixel record of the program: the canvas, every picture and every off-screen buffer.
// A pixel word is 0xKKRRGGBB: blue in the low byte, then green, red, and the key byte
// (0 opaque, 255 transparent; a flag, not an alpha level). Rows follow one another with no gap.
#pragma once

#include <cstdint>

struct Bitmap {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t* pixels = nullptr;  // pitch * rows words, owned
    int32_t pitch = 0;           // always == width
    int32_t rows = 0;            // always == height
    int32_t size = 0;            // width * height

    Bitmap() = default;
    Bitmap(int32_t w, int32_t h) { Create(w, h); }
    ~Bitmap() { Release(); }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;

    // Allocates width * height words, not initialised. Sizes below 1, or a total beyond what an
    // int32 count can hold, give an empty 0 x 0 bitmap.
    Bitmap& Create(int32_t w, int32_t h);
    // Frees the pixels; harmless when called twice.
    void Release();

    uint32_t* Row(int32_t y) { return pixels + static_cast<int64_t>(y) * pitch; }
    const uint32_t* Row(int32_t y) const { return pixels + static_cast<int64_t>(y) * pitch; }
    bool Empty() const { return size <= 0; }

    // Copies the canvas into a 32-bit surface of w x h words whose rows are pitchWords apart,
    // reading the bitmap as one continuous run. Only the rows and columns both hold are copied;
    // the rest of the surface is left alone.
    void CopyTo(uint32_t* surface, int32_t w, int32_t h, int32_t pitchWords) const;

    // Builds a bitmap from 8-bit RGBA rows, top row first. The picture's alpha is dropped: the key
    // byte is 0, or, when keyed, 255 where the colour equals `key` (0xRRGGBB).
    static Bitmap FromRgba(const uint8_t* rgba, int32_t w, int32_t h, bool keyed, uint32_t key);
};

// The frame every scene draws into, 640 x 480, owned by the application.
extern Bitmap* canvas;

inline constexpr int32_t kScreenWidth = 640;
inline constexpr int32_t kScreenHeight = 480;
inline constexpr uint32_t kKeyColour = 0x00FF00;
