// Drawing vocabulary shared by the full-frame scenes and big figures: colours, gradients, glows,
// pixel passes (grain, blur, vignette), value noise, the studio mountain, stylised people and a few
// props (slot machine, lit facades). Everything draws into a cairo context or a Canvas and is
// deterministic: randomness comes only from a seeded Random passed in.
#pragma once

#include "AssetBuilder/Pictures/PictureKit.h"

#include <cairo.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace assets::scene {

struct Rgb {
    double r, g, b;
};
struct Point {
    double x, y;
};

// 0xRRGGBB to components in 0..1.
Rgb Hex(uint32_t rgb);
// a + (b - a) * t per component.
Rgb Mix(Rgb a, Rgb b, double t);
// Towards white (t > 0) or black (t < 0) by |t|.
Rgb Tint(Rgb c, double t);
void SetColour(cairo_t* cr, Rgb c, double alpha = 1.0);
// An opaque premultiplied pixel word of a colour (components clamped to 0..1).
uint32_t Opaque(Rgb c);
// 0 below a, 1 above b, a smooth S between.
double Smoothstep(double a, double b, double x);

struct Stop {
    double offset;
    Rgb colour;
    double alpha = 1.0;
};
// Fills the rectangle with a top-to-bottom gradient through the stops.
void FillVertical(cairo_t* cr, double x, double y, double w, double h, std::initializer_list<Stop> stops);
// Fills (and consumes) the current path with a gradient from y0 to y1.
void FillPathVertical(cairo_t* cr, double y0, double y1, std::initializer_list<Stop> stops);
// A radial light: colour*alpha at the centre falling smoothly to nothing at `radius`. Added to
// what is there (saturating) when `additive`, painted over it otherwise.
void Glow(cairo_t* cr, double x, double y, double radius, Rgb colour, double alpha, bool additive = true);
// Fills the current path (kept) with `base`, lighter at its left edge and darker at its right:
// the flat shading of a shape lit from the upper left.
void FillShaded(cairo_t* cr, Rgb base, double contrast = 0.22);
// Strokes the current path with a round-joined outline of `width` on each side, then fills it
// shaded: the outline only shows outside the shape, so overlapping sub-paths get one outline.
void InkShape(cairo_t* cr, Rgb fill, Rgb ink, double width, double contrast = 0.22);

// Adds the outline of `text` (a pango font such as "DejaVu Sans Bold 48") with its layout box's
// top-left at (x, y) to the current path; the size of that box comes from TextExtent.
void TextPath(cairo_t* cr, const std::string& text, const std::string& font, double x, double y);
void PolygonPath(cairo_t* cr, const std::vector<Point>& points);
// Outlined text centred on (cx, cy).
void CentredText(cairo_t* cr, const std::string& text, const std::string& font, double cx, double cy,
                 Rgb fill, Rgb outline, double outlineWidth);
// A limb: circles of diameter wa at a and wb at b joined by their common tangents.
void CapsulePath(cairo_t* cr, Point a, Point b, double wa, double wb);
// Small stars of random size and brightness inside the rectangle.
void Stars(cairo_t* cr, Random& rnd, int count, double x, double y, double w, double h, double maxRadius);

// Direct access to a canvas's premultiplied 0xAARRGGBB words; flushes on creation, marks the
// surface dirty when it goes, so cairo sees the changes.
class PixelAccess {
public:
    explicit PixelAccess(Canvas& canvas);
    ~PixelAccess();
    PixelAccess(const PixelAccess&) = delete;
    PixelAccess& operator=(const PixelAccess&) = delete;
    uint32_t* Row(int y) { return reinterpret_cast<uint32_t*>(data_ + static_cast<size_t>(y) * stride_); }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    cairo_surface_t* surface_;
    uint8_t* data_;
    int stride_, width_, height_;
};

// Box passes of the given radius in x then y on all four channels; three passes come close to a
// gaussian of sigma ~ radius, one pass of radius 1 just softens. Cost does not depend on the radius.
void Blur(Canvas& canvas, int radius, int passes = 3);
// Every pixel becomes its brightness (0.30 red + 0.59 green + 0.11 blue) on all three channels:
// the black-and-white of a still, and the grey a light map needs since only its blue is read.
void Greyscale(Canvas& canvas);
// Multiplies each channel of every pixel by the factors (toning a still).
void Tone(Canvas& canvas, double r, double g, double b);

// Smooth lattice noise in [0, 1] and its fractal sum, the same for the same seed.
class ValueNoise {
public:
    explicit ValueNoise(uint32_t seed) : seed_(seed) {}
    double At(double x, double y) const;
    double Fbm(double x, double y, int octaves) const;  // normalised to [0, 1]

private:
    double Lattice(int x, int y) const;
    uint32_t seed_;
};

// The studio mountain: one outline shared by the dark, lit and topless pictures and their light
// maps. The ridge runs from the left edge over the summit to the right edge.
inline constexpr Point kSummit{320, 118};
const std::vector<Point>& MountainRidge();
// The ridge closed along the bottom of a 640x480 frame.
void MountainPath(cairo_t* cr);
// Where the topless peak breaks: the jagged top edge of what is left, left to right, starting and
// ending on the ridge.
const std::vector<Point>& BrokenRidge();
// The mountain with its summit blown off: the ridge with the broken edge in place of the top.
void ToplessMountainPath(cairo_t* cr);

// Stylised people. Angles are in degrees, 0 pointing straight down, 90 towards +x, 180 up.
enum class View { Front, Back, Right, Left };
enum class Hat { None, Fedora, Cowboy, HardHat, Cap, TopHat, Feathers, Helmet };
enum class Face { Calm, Smile, Shout, None };
struct Pose {
    double lean = 0;                        // torso, from upright
    double head = 0;                        // head tilt
    double arm[2][2] = {{8, 4}, {-8, -4}};  // [limb][upper, lower]; side views: limb 0 far, 1 near
    double leg[2][2] = {{4, 0}, {-4, 0}};
};
struct Outfit {
    Rgb skin = Hex(0xE8B896);
    Rgb hair = Hex(0x3A2618);
    Rgb top = Hex(0x35507A);
    Rgb sleeves = Hex(0x35507A);
    Rgb legs = Hex(0x2A2A38);
    Rgb shoes = Hex(0x1C1414);
    Rgb hatColour = Hex(0x2A2430);
    Hat hat = Hat::None;
    Face face = Face::Calm;
    double coat = 0;   // coat hem below the hips, in figure heights (0: no coat)
    double skirt = 0;  // skirt length below the hips, in figure heights (0: trousers)
    bool longHair = false;
    bool sunglasses = false;
    bool tie = false;
    Rgb tieColour = Hex(0xB02028);
};
struct Figure {
    Point pelvis;   // hip centre
    double height;  // feet to top of head when standing
    View view = View::Front;
    Pose pose;
    Outfit outfit;
};
struct Joints {
    Point head, neck, pelvis;
    Point shoulder[2], elbow[2], hand[2], knee[2], foot[2];
};
// Where the joints of a figure land, without drawing.
Joints Skeleton(const Figure& f);
Joints DrawFigure(cairo_t* cr, const Figure& f);
// The figure's outline ink colour and width.
inline constexpr uint32_t kInk = 0x1A1222;
double InkWidth(double figureHeight);

// One slot machine, front view, in the box (x, y, w, h): cabinet, sign, three reels, lever.
void SlotMachine(cairo_t* cr, double x, double y, double w, double h, int seed);
// A building front: wall colour with rows and columns of windows, some lit warm, the rest dark.
void Facade(cairo_t* cr, Random& rnd, double x, double y, double w, double h, Rgb wall, int columns, int rows,
            double litShare);
// Black bars over the top and bottom `bar` rows: the wide-screen look of a movie still.
void Letterbox(cairo_t* cr, double width, double height, double bar);

}  // namespace assets::scene
