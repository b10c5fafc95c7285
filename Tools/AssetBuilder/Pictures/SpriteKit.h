// Drawing helpers shared by the captions, the counter and the small sprites: colours, gradients,
// outlined shapes and lettering fitted into a box. Everything draws through cairo on a `Canvas`,
// so the encoders of PictureKit decide keying and background.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "AssetBuilder/Pictures/PictureKit.h"
#include "AssetBuilder/Pictures/Manifest.h"

namespace assets {

// Sets the source to 0xRRGGBB with the given opacity.
void SetHex(cairo_t* cr, uint32_t rgb, double alpha = 1.0);

// Linear gradient source from (x0, y0) to (x1, y1) through evenly spaced 0xRRGGBB stops.
void SetLinear(cairo_t* cr, double x0, double y0, double x1, double y1,
               std::initializer_list<uint32_t> stops);
// Radial gradient source centred on (cx, cy), from the first stop at the centre to the last at `radius`.
void SetRadial(cairo_t* cr, double cx, double cy, double radius, std::initializer_list<uint32_t> stops);

// Fills the current path with the current source, then strokes it in `outline` of full width `width`;
// the path is consumed. A sprite's dark rim keeps it readable on any background.
void FillAndOutline(cairo_t* cr, uint32_t outline, double width);

// Strokes the current path in `outline` at twice `width`, then fills it with the source that was
// set before: the outline shows only outside the shape, and where sub-paths overlap (a head and its
// trunk, say) their inner edges vanish under the fill. The path is consumed.
void OutlineThenFill(cairo_t* cr, uint32_t outline, double width);

// Radial glow: `rgb` at opacity `alpha` in the centre fading to nothing at `radius`, painted over.
void Glow(cairo_t* cr, double cx, double cy, double radius, uint32_t rgb, double alpha);

// Path helper: only adds to the current path.
// A band along the cubic Bezier p0..p3 whose width runs from w0 at p0 to w1 at p3 (trunks, cords).
void TaperedPath(cairo_t* cr, const double p[4][2], double w0, double w1);

// How lettering is painted: a vertical gradient fill, a dark outline, and an opaque drop shadow
// (opaque so that it survives keying; a soft shadow would turn into key green).
struct LetterStyle {
    std::string font;            // pango family and style, no size: "DejaVu Sans Bold"
    uint32_t top = 0xFFFFFF;     // fill colour at the top of the lettering
    uint32_t bottom = 0xFFFFFF;  // ... and at its bottom
    uint32_t outline = 0x000000;
    double outlineWidth = 3.0;  // pixels on each side of the glyph edge
    uint32_t shadow = 0x000000;
    double shadowX = 0.0;  // shadow offset in pixels; 0, 0 draws no shadow
    double shadowY = 0.0;
};

enum class Align { kCentre, kTopLeft };

// Draws `markup` (pango markup: <span size="60%"> for lines of different sizes; lines are centred on
// each other) scaled uniformly so that the lettering, its outline and its shadow fill the box
// (x, y, w, h) as far as the box's tighter side allows. A non-zero `degrees` tilts the lettering
// clockwise about the box's centre, still inside the box. Returns the scale used relative to 100 px type.
double DrawLettering(cairo_t* cr, const std::string& markup, const LetterStyle& style, double x, double y,
                     double w, double h, Align align = Align::kCentre, double degrees = 0.0);

// A fully drawn canvas of the given size with only `markup` on it, fitted with a `margin` all round.
void LetterCard(Canvas& canvas, const std::string& markup, const LetterStyle& style, double margin,
                Align align = Align::kCentre, double degrees = 0.0);

// The counter's digits: a seven-segment glyph whose rows slope down to the right like the counter's
// display. Glyph space is kDigitGlyphW x kDigitGlyphH before the slant; a point (u, v) of glyph space
// lands at (u, v + u * kDisplaySlope) relative to the glyph's origin.
inline constexpr double kDisplaySlope = 0.4877;  // tan(26 degrees)
inline constexpr double kDigitGlyphW = 42.0;
inline constexpr double kDigitGlyphH = 62.0;
// Where the glyph's origin sits inside a digit picture.
inline constexpr double kDigitOriginX = 3.0;
inline constexpr double kDigitOriginY = 2.0;

// Segment masks, bit 0 = a (top) ... bit 6 = g (middle), for the digits 0 to 9.
uint8_t DigitSegments(int digit);
// Adds the path of the segments in `mask` (glyph space, origin at (ox, oy), slanted); `thin` narrows
// every bar by that many pixels on each side (for the bright core of a lit segment).
void DigitSegmentsPath(cairo_t* cr, uint8_t mask, double ox, double oy, double thin = 0.0);
// Adds the path of the colon's two dots, centred on glyph-space column `centre`; `thin` as above.
void ColonDotsPath(cairo_t* cr, double ox, double oy, double centre, double thin = 0.0);

// Top-left corners of the counter's five pictures on the close-up: four digits and, third, the colon.
struct SlotPosition {
    int x, y;
};
inline constexpr SlotPosition kCounterSlots[5] = {{71, 85}, {140, 119}, {193, 149}, {258, 178}, {334, 214}};
inline constexpr int kColonSlot = 2;
// The colon picture's glyph origin: on the line through the digits' glyph origins, which passes
// 3 px above the colon picture's top edge at its left side.
inline constexpr double kColonOriginX = 0.0;
inline constexpr double kColonOriginY = -3.0;
inline constexpr double kColonCentre = ManifestRow("pelmarov/digit_small_points.png").size.width / 2.0;

}  // namespace assets
