// Shared tools for drawing the production's pictures with cairo and pango, and for encoding them.
// Every picture is drawn on an ARGB32 surface and then encoded either as a keyed picture (pure
// green 0x00FF00 where the drawing is less than half opaque, the un-premultiplied colour elsewhere,
// never pure green in opaque pixels), a plain picture (composited over black), or a JPEG.
#pragma once

#include "AssetBuilder/Archive/Archive.h"

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace assets {

// An ARGB32 cairo surface with its drawing context; transparent black when made.
class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surface_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_;
    int height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// Straight (un-premultiplied) 8-bit RGBA pixels of a canvas, top row first.
std::vector<uint8_t> StraightRgba(const Canvas& canvas);

// Keyed: alpha < 128 -> 0x00FF00, else the straight colour (pure green nudged to 0x00FE00).
std::vector<uint8_t> EncodeKeyedPng(const Canvas& canvas);
// Plain: composited over black, alpha dropped.
std::vector<uint8_t> EncodePlainPng(const Canvas& canvas);
// Plain JPEG (composited over black); grey when `grey` (one channel), else YCbCr.
std::vector<uint8_t> EncodeJpeg(const Canvas& canvas, int quality, bool grey = false);
// A JPEG of a keyed picture: key green where transparent, like EncodeKeyedPng, then JPEG-coded.
std::vector<uint8_t> EncodeKeyedJpeg(const Canvas& canvas, int quality);

// An ellipse centred on (cx, cy) as a new sub-path of the current path.
void EllipsePath(cairo_t* cr, double cx, double cy, double rx, double ry);

// Deterministic random numbers for the pictures (xorshift; never the clock).
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next();
    double Uniform() { return Next() / 4294967296.0; }                      // [0, 1)
    double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

private:
    uint64_t state_;
};

// Text with pango in the DejaVu fonts. `font` is a pango description such as "DejaVu Sans Bold 48".
// Draws with the current source at the current point's top-left; returns the ink width and height.
void TextExtent(cairo_t* cr, const std::string& text, const std::string& font, double* width, double* height);
// Fills the text with `fill` (r, g, b in 0..1) and strokes it with `outline` of the given width.
void DrawOutlinedText(cairo_t* cr, const std::string& text, const std::string& font, double x, double y,
                      const double fill[3], const double outline[3], double outlineWidth);

}  // namespace assets
