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

// Deterministic random numbers for the pictures (xorshift; never the clock).
class Random;

// Which pixels film grain moves, and how it draws their offsets. Both keep a pixel's hue (one offset
// for its three channels) and its premultiplied storage valid (a channel never exceeds alpha).
enum class Grain {
    // Only fully opaque pixels move, so the keying of edges stays exactly as drawn. Every pixel draws
    // an offset, moving or not: (uniform in [-1, 1) * amount) truncated toward zero.
    kOpaqueOnly,
    // Every pixel with some coverage moves, by its offset scaled by its alpha (truncated toward zero);
    // only those pixels draw one: a whole number uniform in [-amount, amount].
    kAnyCoverage,
};
// Film grain of up to +-amount (0..255 scale) over the whole canvas; transparent pixels never change.
void AddGrain(Canvas& canvas, Random& random, double amount, Grain grain);

// How a vignette darkens towards the corners; d is a pixel centre's distance from the canvas centre
// and R half the canvas diagonal.
enum class Falloff {
    // every channel times 1 - strength * (d / R)^2; alpha kept
    kSquare,
    // black painted over with opacity rising linearly from 0 at d = 0.4 R to `strength` at d = R
    // (cairo's radial gradient; a keyed picture's transparent corners would turn dark)
    kRim,
};
void Vignette(Canvas& canvas, double strength, Falloff falloff);

// An ellipse centred on (cx, cy) as a new sub-path of the current path.
void EllipsePath(cairo_t* cr, double cx, double cy, double rx, double ry);
// A rectangle with corners rounded by r (at most half its shorter side) as a new sub-path.
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next();
    double Uniform() { return Next() / 4294967296.0; }  // [0, 1)
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
