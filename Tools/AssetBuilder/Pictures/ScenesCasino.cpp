// The casino story's pictures: the night photograph of the lighthouse and the casino with its
// beam, the casino sign, the lady with the banknotes, the casino floor, one slot machine, the
// walking figure, the evil machine with its worker and the pliers, the western set and its
// crooner, the explosion and its lettering.
#include "AssetBuilder/Pictures/Drawings.h"
#include "AssetBuilder/Pictures/SceneKit.h"

#include <algorithm>
#include <cmath>

namespace assets::scene {

namespace {
constexpr double kPi = 3.14159265358979323846;

// Light from a source reflected on rippling water: short dashes down a wobbling column.
void Reflection(cairo_t* cr, Random& rnd, double x, double top, double bottom, double width, Rgb colour,
                double alpha) {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
    for (double y = top; y < bottom; y += rnd.Range(2, 5)) {
        const double fade = 1 - (y - top) / (bottom - top);
        const double w = width * rnd.Range(0.4, 1.3) * (1 + (y - top) / (bottom - top));
        SetColour(cr, colour, alpha * fade * rnd.Range(0.4, 1.0));
        // One draw after the other: a call's arguments may be evaluated in any order, and the
        // picture must come out the same from every compiler.
        const double thickness = rnd.Range(1, 2.5);
        const double shift = rnd.Range(-width, width) * 0.4;
        cairo_rectangle(cr, x - w / 2 + shift, y, w, thickness);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void PhotoFinish(Canvas& canvas, uint64_t seed, double grain, double vignette) {
    Blur(canvas, 1, 1);
    Random rnd(seed);
    AddGrain(canvas, rnd, grain, Grain::kOpaqueOnly);
    Vignette(canvas, vignette, Falloff::kSquare);
}

// ---------------------------------------------------------------------------------------------
// Night photograph: a lighthouse on the left, a domed casino palace on the right, the sea in front.
// The lighthouse lamp sits at (141, 104) and the dome's beacon at (436, 104): the sweeping beams
// are centred on them.

constexpr Point kLampLeft{141, 104};
constexpr Point kLampRight{436, 104};

void OnionDome(cairo_t* cr, double cx, double base, double halfWidth, double height, Rgb colour, Rgb ink,
               double iw) {
    cairo_move_to(cr, cx - halfWidth * 0.8, base);
    cairo_curve_to(cr, cx - halfWidth * 1.25, base - height * 0.45, cx - halfWidth * 0.5,
                   base - height * 0.75, cx, base - height);
    cairo_curve_to(cr, cx + halfWidth * 0.5, base - height * 0.75, cx + halfWidth * 1.25,
                   base - height * 0.45, cx + halfWidth * 0.8, base);
    cairo_close_path(cr);
    InkShape(cr, colour, ink, iw, 0.3);
}

// The night sky over the bay: stars and a small moon.
void NightSky(cairo_t* cr, Random& rnd) {
    FillVertical(cr, 0, 0, 640, 340,
                 {{0, Hex(0x04061A)}, {0.55, Hex(0x141234)}, {0.85, Hex(0x3A1E4A)}, {1, Hex(0x6A3050)}});
    Stars(cr, rnd, 160, 0, 0, 640, 220, 1.6);
    Glow(cr, 560, 48, 60, Hex(0x8090C0), 0.35);
    cairo_arc(cr, 560, 48, 13, 0, 2 * kPi);
    SetColour(cr, Hex(0xF0F0E0));
    cairo_fill(cr);
}

// The sea, its waves catching the sky.
void Sea(cairo_t* cr, Random& rnd) {
    FillVertical(cr, 0, 338, 640, 142, {{0, Hex(0x201838)}, {0.3, Hex(0x0E1226)}, {1, Hex(0x04060E)}});
    cairo_set_line_width(cr, 1);
    for (int i = 0; i < 260; ++i) {
        const double y = rnd.Range(342, 480), x = rnd.Range(0, 640), w = rnd.Range(6, 30) * (y - 300) / 100;
        SetColour(cr, Hex(0x6A70A8), rnd.Range(0.05, 0.2));
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + w, y);
        cairo_stroke(cr);
    }
}

// Rocks and the lighthouse on them, its lamp room lit.
void Lighthouse(cairo_t* cr, Rgb ink) {
    cairo_move_to(cr, 40, 350);
    cairo_curve_to(cr, 60, 318, 100, 312, 130, 316);
    cairo_curve_to(cr, 170, 306, 220, 322, 250, 352);
    cairo_close_path(cr);
    InkShape(cr, Hex(0x1A1822), ink, 1, 0.3);
    const double lx = kLampLeft.x;
    cairo_move_to(cr, lx - 30, 328);
    cairo_line_to(cr, lx - 17, 132);
    cairo_line_to(cr, lx + 17, 132);
    cairo_line_to(cr, lx + 30, 328);
    cairo_close_path(cr);
    cairo_save(cr);
    cairo_clip_preserve(cr);
    InkShape(cr, Hex(0xC8C4D0), ink, 0, 0.4);
    for (int k = 0; k < 4; ++k) {  // red bands
        cairo_rectangle(cr, lx - 40, 150 + k * 46, 80, 22);
    }
    FillPathVertical(cr, 130, 330, {{0, Hex(0xA82838)}, {1, Hex(0x601A2A)}});
    cairo_rectangle(cr, lx + 4, 130, 30, 200);  // the landward side in shadow
    SetColour(cr, {0, 0, 0}, 0.45);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_rectangle(cr, lx - 24, 124, 48, 8);
    InkShape(cr, Hex(0x302A36), ink, 1);
    cairo_rectangle(cr, lx - 14, 88, 28, 36);
    SetColour(cr, Hex(0xFFF6D0));
    cairo_fill(cr);
    for (int k = -1; k <= 1; k += 2) {  // glazing bars, clear of the lamp itself
        cairo_rectangle(cr, lx + k * 10 - 1, 88, 2, 36);
    }
    SetColour(cr, Hex(0x302A36));
    cairo_fill(cr);
    cairo_move_to(cr, lx - 18, 90);
    cairo_curve_to(cr, lx - 14, 70, lx + 14, 70, lx + 18, 90);
    cairo_close_path(cr);
    InkShape(cr, Hex(0x3A3040), ink, 1);
    cairo_rectangle(cr, lx - 1.5, 62, 3, 12);
    SetColour(cr, Hex(0x3A3040));
    cairo_fill(cr);
}

// The casino palace: minarets, side pavilions and the great dome carrying the beacon.
void CasinoPalace(cairo_t* cr, Rgb ink) {
    const Rgb marble = Hex(0xC8B0D0);
    cairo_rectangle(cr, 272, 240, 340, 100);
    InkShape(cr, Tint(marble, -0.25), ink, 1, 0.25);
    for (double mx : {284.0, 588.0}) {  // minarets
        cairo_rectangle(cr, mx - 9, 150, 18, 190);
        InkShape(cr, marble, ink, 1, 0.3);
        cairo_rectangle(cr, mx - 13, 176, 26, 5);
        cairo_rectangle(cr, mx - 13, 230, 26, 5);
        SetColour(cr, Tint(marble, -0.35));
        cairo_fill(cr);
        OnionDome(cr, mx, 152, 14, 34, marble, ink, 1);
    }
    for (double sx : {338.0, 534.0}) {  // side pavilions
        cairo_rectangle(cr, sx - 30, 200, 60, 42);
        InkShape(cr, marble, ink, 1, 0.25);
        OnionDome(cr, sx, 202, 26, 42, Tint(marble, 0.1), ink, 1);
    }
    cairo_rectangle(cr, 376, 188, 120, 54);
    InkShape(cr, marble, ink, 1, 0.25);
    OnionDome(cr, kLampRight.x, 192, 58, 78, Tint(marble, 0.15), ink, 1.2);
    cairo_rectangle(cr, kLampRight.x - 1.5, 104, 3, 12);  // the spire carrying the beacon
    SetColour(cr, Hex(0xE0C070));
    cairo_fill(cr);
}

// Arched windows, lit gold; the entrance under a neon sign.
void PalaceWindows(cairo_t* cr, Random& rnd) {
    for (int row = 0; row < 2; ++row) {
        for (int c = 0; c < 11; ++c) {
            const double wx = 286 + c * 30, wy = 262 + row * 36;
            if (c == 5) continue;
            cairo_move_to(cr, wx, wy + 24);
            cairo_line_to(cr, wx, wy + 8);
            cairo_arc(cr, wx + 7, wy + 8, 7, kPi, 2 * kPi);
            cairo_line_to(cr, wx + 14, wy + 24);
            cairo_close_path(cr);
            const bool lit = rnd.Uniform() < 0.8;
            SetColour(cr, lit ? Mix(Hex(0xFFD070), Hex(0xFF9040), rnd.Uniform()) : Hex(0x201830));
            cairo_fill(cr);
            if (lit) Glow(cr, wx + 7, wy + 14, 18, Hex(0xFFA040), 0.3);
        }
    }
    cairo_move_to(cr, 420, 340);
    cairo_line_to(cr, 420, 290);
    cairo_arc(cr, 436, 290, 16, kPi, 2 * kPi);
    cairo_line_to(cr, 452, 340);
    cairo_close_path(cr);
    SetColour(cr, Hex(0xFFE0A0));
    cairo_fill(cr);
    CentredText(cr, "CASINO", "DejaVu Sans Bold 15", 436, 252, Hex(0xFF4A8A), Hex(0x5A0A2A), 1.5);
    Glow(cr, 436, 252, 60, Hex(0xFF3A80), 0.45);
}

// Pink and violet floodlights washing the front.
void Floodlights(cairo_t* cr) {
    Glow(cr, 330, 340, 140, Hex(0xA040C0), 0.25);
    Glow(cr, 540, 340, 140, Hex(0xC04080), 0.25);
    Glow(cr, 436, 200, 120, Hex(0x6080FF), 0.18);
}

// Promenade lamps along the quay, each mirrored in the water.
void QuayLamps(cairo_t* cr, Random& rnd) {
    cairo_rectangle(cr, 250, 336, 390, 6);
    SetColour(cr, Hex(0x181420));
    cairo_fill(cr);
    for (double px = 262; px < 640; px += 34) {
        cairo_rectangle(cr, px - 1, 318, 2, 18);
        SetColour(cr, Hex(0x181420));
        cairo_fill(cr);
        Glow(cr, px, 316, 14, Hex(0xFFC070), 0.9);
        Reflection(cr, rnd, px, 344, 420, 4, Hex(0xFFB060), 0.35);
    }
}

// Reflections of the palace and the lighthouse in the sea.
void SeaReflections(cairo_t* cr, Random& rnd) {
    for (double rx = 290; rx < 600; rx += 14) Reflection(cr, rnd, rx, 344, 400, 6, Hex(0xFFA050), 0.18);
    Reflection(cr, rnd, kLampLeft.x, 350, 470, 10, Hex(0xFFF0C0), 0.35);
    Reflection(cr, rnd, kLampRight.x, 344, 470, 8, Hex(0xFFF0C0), 0.3);
}

}  // namespace

// Night photo of the bay: the lighthouse on the left, the casino palace on the right, each with its
// beacon where the beams start.
void TajPhare(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    Random rnd(61);
    const Rgb ink = Hex(0x0A0814);
    NightSky(cr, rnd);
    Sea(cr, rnd);
    Lighthouse(cr, ink);
    CasinoPalace(cr, ink);
    PalaceWindows(cr, rnd);
    Floodlights(cr);
    QuayLamps(cr, rnd);
    SeaReflections(cr, rnd);
    for (const Point& lamp : {kLampLeft, kLampRight}) Glow(cr, lamp.x, lamp.y, 110, Hex(0xFFE8B0), 0.55);
    PhotoFinish(canvas, 62, 7, 0.35);
    // the two lamps after the finish, so no vignette dims them: the beams start from them
    for (const Point& lamp : {kLampLeft, kLampRight}) {
        Glow(cr, lamp.x, lamp.y, 34, Hex(0xFFFFF0), 1.0);
        cairo_arc(cr, lamp.x, lamp.y, 7, 0, 2 * kPi);
        SetColour(cr, {1, 1, 1});
        cairo_fill(cr);
    }
}

// A horizontal beam of light on black: brightest on the centre line, widening and fading towards
// both ends from the lamp in the middle.
void Beam(Canvas& canvas) {
    PixelAccess px(canvas);
    const int w = px.width(), h = px.height();
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    for (int y = 0; y < h; ++y) {
        uint32_t* row = px.Row(y);
        for (int x = 0; x < w; ++x) {
            const double along = std::abs(x - cx) / cx;  // 0 at the lamp, 1 at the ends
            const double halfWidth = 5 + along * 36;
            const double d = (y - cy) / halfWidth;
            const double body = std::exp(-d * d * 2.2) * (1 - 0.55 * along);
            const double core = std::exp(-(y - cy) * (y - cy) / 3.0) * (1 - 0.4 * along);
            const double lamp = std::exp(-((x - cx) * (x - cx) + (y - cy) * (y - cy)) / 300.0);
            const double edge = std::min(1.0, (1 - along) * 12);  // no hard cut at the ends
            const double v = std::min(1.0, (body * 0.75 + core * 0.6 + lamp) * edge);
            row[x] = Opaque({v, v * 0.95, v * 0.8});
        }
    }
}

namespace {

// ---------------------------------------------------------------------------------------------
// The casino sign: an art-deco front under a big bulb-lit "CASINO" marquee. The sky is keyed.

}  // namespace
namespace {

// The stepped building front and its pilasters.
void BuildingFront(cairo_t* cr, Rgb ink, Random& rnd) {
    PolygonPath(cr, {{70, 480},
                     {70, 250},
                     {130, 250},
                     {130, 210},
                     {200, 210},
                     {200, 180},
                     {440, 180},
                     {440, 210},
                     {510, 210},
                     {510, 250},
                     {570, 250},
                     {570, 480}});
    InkShape(cr, Hex(0x7A2A8A), ink, 3, 0.3);
    for (double x = 96; x < 560; x += 52) {  // pilasters
        cairo_rectangle(cr, x, 260, 12, 220);
        SetColour(cr, Hex(0xE8C050));
        cairo_fill(cr);
    }
    Facade(cr, rnd, 210, 196, 220, 74, Hex(0x5A1A6A), 6, 2, 0.85);
}

// The entrance canopy with its bulbs, and the lit doors under it.
void EntranceCanopy(cairo_t* cr, Rgb ink) {
    PolygonPath(cr, {{160, 380}, {480, 380}, {510, 410}, {130, 410}});
    InkShape(cr, Hex(0xE83A50), ink, 3, 0.3);
    for (double x = 140; x <= 500; x += 18) {
        cairo_arc(cr, x, 410, 4, 0, 2 * kPi);
        SetColour(cr, Hex(0xFFF2A0));
        cairo_fill(cr);
    }
    cairo_rectangle(cr, 230, 410, 180, 70);
    SetColour(cr, Hex(0xFFD880));
    cairo_fill(cr);
    for (int k = 0; k < 4; ++k) {
        cairo_rectangle(cr, 236 + k * 44, 414, 36, 66);
        SetColour(cr, Hex(0xC87A30));
        cairo_fill(cr);
    }
}

// The marquee: a red frame on a night-blue panel, ringed with bulbs.
void Marquee(cairo_t* cr, Rgb ink) {
    RoundedRect(cr, 60, 40, 520, 140, 26);
    InkShape(cr, Hex(0xC81830), ink, 5, 0.25);
    RoundedRect(cr, 80, 58, 480, 104, 16);
    InkShape(cr, Hex(0x1A0A3A), ink, 2, 0.2);
    for (int i = 0; i < 34; ++i) {
        const double t = i / 34.0;
        const double bx = t < 0.5 ? 74 + t * 2 * 492 : 74 + (1 - t) * 2 * 492;
        const double by = t < 0.5 ? 50 : 170;
        cairo_arc(cr, bx, by, 5, 0, 2 * kPi);
        SetColour(cr, i % 2 ? Hex(0xFFF6B0) : Hex(0xFFC040));
        cairo_fill(cr);
    }
    for (double by = 62; by < 165; by += 20) {
        for (double bx : {70.0, 570.0}) {
            cairo_arc(cr, bx, by, 5, 0, 2 * kPi);
            SetColour(cr, Hex(0xFFF6B0));
            cairo_fill(cr);
        }
    }
}

// "CASINO" in gold over a stepped red shadow.
void CasinoLettering(cairo_t* cr, Rgb ink) {
    cairo_save(cr);
    const std::string font = "DejaVu Sans Bold 84";
    double tw, th;
    TextExtent(cr, "CASINO", font, &tw, &th);
    for (int k = 6; k >= 1; --k) {
        TextPath(cr, "CASINO", font, 320 - tw / 2 + k, 110 - th / 2 + k);
        SetColour(cr, Hex(0x600A18));
        cairo_fill(cr);
    }
    TextPath(cr, "CASINO", font, 320 - tw / 2, 110 - th / 2);
    SetColour(cr, ink);
    cairo_set_line_width(cr, 5);
    cairo_stroke_preserve(cr);
    FillPathVertical(cr, 110 - th / 2 + 20, 110 + th / 2 - 16,
                     {{0, Hex(0xFFF8C0)}, {0.5, Hex(0xFFD030)}, {1, Hex(0xF07010)}});
    cairo_restore(cr);
}

// Stars on top, a spade and a heart on the sides.
void SignOrnaments(cairo_t* cr, Rgb ink) {
    for (double sx : {150.0, 490.0}) {
        cairo_save(cr);
        cairo_translate(cr, sx, 24);
        cairo_new_path(cr);
        for (int k = 0; k < 10; ++k) {
            const double r = k % 2 ? 10 : 24, a = -kPi / 2 + k * kPi / 5;
            cairo_line_to(cr, std::cos(a) * r, std::sin(a) * r);
        }
        cairo_close_path(cr);
        InkShape(cr, Hex(0xFFE040), ink, 2.5, 0.3);
        cairo_restore(cr);
    }
    cairo_save(cr);
    cairo_translate(cr, 40, 300);
    cairo_move_to(cr, 0, -34);
    cairo_curve_to(cr, 30, -8, 34, 22, 8, 20);
    cairo_line_to(cr, 14, 36);
    cairo_line_to(cr, -14, 36);
    cairo_line_to(cr, -8, 20);
    cairo_curve_to(cr, -34, 22, -30, -8, 0, -34);
    cairo_close_path(cr);
    InkShape(cr, Hex(0x20203A), Hex(0xF0F0F0), 2.5, 0.3);
    cairo_restore(cr);
    cairo_save(cr);
    cairo_translate(cr, 600, 300);
    cairo_move_to(cr, 0, 30);
    cairo_curve_to(cr, -40, 0, -30, -34, 0, -16);
    cairo_curve_to(cr, 30, -34, 40, 0, 0, 30);
    cairo_close_path(cr);
    InkShape(cr, Hex(0xF02040), Hex(0xF0F0F0), 2.5, 0.3);
    cairo_restore(cr);
}
}  // namespace

void CasinoSign(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const Rgb ink = Hex(kInk);
    Random rnd(63);
    BuildingFront(cr, ink, rnd);
    EntranceCanopy(cr, ink);
    Marquee(cr, ink);
    CasinoLettering(cr, ink);
    SignOrnaments(cr, ink);
}

namespace {

// ---------------------------------------------------------------------------------------------
// The lady with the banknotes

void Banknote(cairo_t* cr, double x, double y, double angle, double scale) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    cairo_scale(cr, scale, scale);
    cairo_rectangle(cr, -36, -17, 72, 34);
    InkShape(cr, Hex(0x8EC08A), Hex(0x1E3A22), 1.6, 0.2);
    cairo_rectangle(cr, -30, -12, 60, 24);
    SetColour(cr, Hex(0x2E5A34));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    EllipsePath(cr, 0, 0, 10, 11);
    SetColour(cr, Hex(0xC8E0B8));
    cairo_fill(cr);
    CentredText(cr, "$", "DejaVu Serif Bold 12", 0, 0, Hex(0x1E4A26), Hex(0x1E4A26), 0);
    CentredText(cr, "100", "DejaVu Sans Bold 6", -22, -8, Hex(0x1E4A26), Hex(0x1E4A26), 0);
    CentredText(cr, "100", "DejaVu Sans Bold 6", 22, 8, Hex(0x1E4A26), Hex(0x1E4A26), 0);
    cairo_restore(cr);
}

}  // namespace

void Lady(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const Rgb ink = Hex(kInk);
    Figure lady;
    lady.pelvis = {430, 470};
    lady.height = 560;
    lady.view = View::Front;
    lady.outfit.top = lady.outfit.sleeves = Hex(0xC8102E);
    lady.outfit.skin = Hex(0xF2C8AA);
    lady.outfit.hair = Hex(0xF0C860);
    lady.outfit.longHair = true;
    lady.outfit.skirt = 0.5;
    lady.outfit.face = Face::Smile;
    lady.pose.head = -6;
    lady.pose.lean = 4;
    lady.pose.arm[0][0] = -150, lady.pose.arm[0][1] = -170;  // raised, holding the fan of notes
    lady.pose.arm[1][0] = 30, lady.pose.arm[1][1] = -50;     // hand on the hip
    lady.outfit.sleeves = lady.outfit.skin;  // a strapless gown: bare arms, long gloves added below
    const Joints j = Skeleton(lady);
    // the fan of banknotes behind the raised hand
    for (int k = -3; k <= 3; ++k) Banknote(cr, j.hand[0].x + k * 8, j.hand[0].y - 34, k * 0.22 - 0.1, 1.5);
    DrawFigure(cr, lady);
    const double H = lady.height;
    // long white opera gloves over the forearms
    for (int i = 0; i < 2; ++i) {
        CapsulePath(cr, j.elbow[i], j.hand[i], 0.064 * H, 0.05 * H);
        cairo_new_sub_path(cr);
        cairo_arc(cr, j.hand[i].x, j.hand[i].y, 0.036 * H, 0, 2 * kPi);
        InkShape(cr, Hex(0xF6F0F2), ink, InkWidth(H), 0.2);
    }
    // lipstick, lashes and a beauty spot over the kit's face
    cairo_save(cr);
    cairo_translate(cr, j.head.x, j.head.y);
    cairo_rotate(cr, (lady.pose.lean + lady.pose.head) * kPi / 180);
    EllipsePath(cr, 0, 0.04 * H, 0.018 * H, 0.009 * H);
    SetColour(cr, Hex(0xD01838));
    cairo_fill(cr);
    cairo_set_line_width(cr, 2.5);
    SetColour(cr, ink);
    for (int side = -1; side <= 1; side += 2) {
        for (int k = 0; k < 3; ++k) {
            cairo_move_to(cr, side * (0.017 + 0.008 * k) * H, -0.012 * H);
            cairo_line_to(cr, side * (0.02 + 0.012 * k) * H, -0.026 * H);
        }
    }
    cairo_stroke(cr);
    cairo_arc(cr, 0.035 * H, 0.03 * H, 2.5, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_restore(cr);
    // necklace
    for (int k = -5; k <= 5; ++k) {
        const double a = k * 0.16;
        cairo_arc(cr, j.neck.x + std::sin(a) * 0.07 * H, j.neck.y + 0.02 * H + std::cos(a) * 0.04 * H, 4, 0,
                  2 * kPi);
        InkShape(cr, Hex(0xF8F4FF), ink, 1, 0.4);
    }
    // a feather boa across the shoulders
    for (int k = 0; k < 26; ++k) {
        const double t = k / 25.0;
        const double x = j.shoulder[0].x - 30 + t * (j.shoulder[1].x - j.shoulder[0].x + 60);
        const double y = j.shoulder[0].y + 10 + std::sin(t * kPi) * 40 + (t > 0.8 ? (t - 0.8) * 600 : 0);
        cairo_arc(cr, x, y, 10, 0, 2 * kPi);
        InkShape(cr, k % 2 ? Hex(0xF490C0) : Hex(0xF8B0D4), ink, 1.2, 0.3);
    }
    // notes fluttering down around her
    Random rnd(64);
    for (int i = 0; i < 16; ++i) {
        const double x = rnd.Range(30, 620), y = rnd.Range(20, 460);
        if (std::abs(x - 430) < 130 && y > 120) continue;  // keep her clear
        const double scale = rnd.Range(0.8, 1.3);
        Banknote(cr, x, y, rnd.Range(-1.2, 1.2), scale);
    }
}

namespace {

// ---------------------------------------------------------------------------------------------
// Casino floor photograph: rows of slot machines towards a gold back wall, chandeliers, a
// patterned carpet and a gaming table in front.

}  // namespace
namespace {

// The ceiling: a warm gradient, its coffer lines running to the vanishing point.
void CasinoCeiling(cairo_t* cr, Point vp) {
    FillVertical(cr, 0, 0, 640, 200, {{0, Hex(0x1A0808)}, {1, Hex(0x5A2416)}});
    // coffered ceiling lines running to the vanishing point
    cairo_set_line_width(cr, 2);
    for (int k = -8; k <= 8; ++k) {
        cairo_move_to(cr, vp.x + k * 8, vp.y - 40);
        cairo_line_to(cr, vp.x + k * 140, 0);
    }
    SetColour(cr, Hex(0x8A4A20), 0.5);
    cairo_stroke(cr);
}

// The back wall.
void CasinoBackWall(cairo_t* cr) {
    FillVertical(cr, 160, 150, 320, 70, {{0, Hex(0x8A5A20)}, {1, Hex(0xD8A040)}});
}

// The carpet: red with gold lozenges, shrinking towards the vanishing point.
void CasinoCarpet(Canvas& canvas, Point vp) {
    {
        PixelAccess px(canvas);
        for (int y = 218; y < 480; ++y) {
            uint32_t* row = px.Row(y);
            const double depth = 1800.0 / (y - vp.y);
            for (int x = 0; x < 640; ++x) {
                const double u = (x - vp.x) * depth / 300.0, v = depth / 20.0;
                const double su = u - std::floor(u) - 0.5, sv = v - std::floor(v) - 0.5;
                const bool lozenge = std::abs(su) + std::abs(sv) < 0.28;
                const bool ring = std::abs(std::abs(su) + std::abs(sv) - 0.38) < 0.04;
                const double shade = 0.45 + 0.55 * (y - 218) / 262.0;
                Rgb c = lozenge ? Hex(0xC89030) : ring ? Hex(0x1A2A5A) : Hex(0x8A1420);
                c = {c.r * shade, c.g * shade, c.b * shade};
                row[x] = Opaque(c);
            }
        }
    }
}

// Rows of machines on both sides, far ones first.
void CasinoMachineRows(cairo_t* cr, Point vp) {
    for (int k = 7; k >= 0; --k) {
        const double s = 0.28 + k * -0.0 + (7 - k) * 0.1;  // near machines are bigger
        const double h = 320 * s, w = 213 * s;
        const double floorY = vp.y + 30 + (7 - k) * 34 * s * 1.1;
        const double offset = 60 + (7 - k) * 46 * s * 1.2;
        for (int side = -1; side <= 1; side += 2) {
            const double x = side < 0 ? vp.x - offset - w : vp.x + offset;
            SlotMachine(cr, x, floorY - h, w, h, k * 2 + (side > 0));
            Glow(cr, x + w * 0.42, floorY - h * 0.85, w * 0.8, Hex(0xFF80A0), 0.25);
        }
    }
}

// Chandeliers.
void CasinoChandeliers(cairo_t* cr, Random& rnd) {
    for (int k = 0; k < 3; ++k) {
        const double cx = 320 + (k - 1) * 200, cy = 40 + (k == 1 ? 30 : 0);
        const double s = k == 1 ? 0.7 : 1.0;
        for (int d = 0; d < 40; ++d) {
            const double a = rnd.Range(0, kPi), r = rnd.Range(5, 40) * s;
            cairo_arc(cr, cx + std::cos(a) * r * 1.4, cy + std::sin(a) * r * 0.6, rnd.Range(1, 2.5), 0,
                      2 * kPi);
            SetColour(cr, Hex(0xFFF4D0));
            cairo_fill(cr);
        }
        Glow(cr, cx, cy + 10, 120 * s, Hex(0xFFD890), 0.55);
        Glow(cr, cx, cy + 8, 30 * s, Hex(0xFFFFF0), 0.9);
    }
}

// Bokeh of the far lights.
void CasinoFarLights(cairo_t* cr, Random& rnd) {
    for (int i = 0; i < 40; ++i) {
        const double x = rnd.Range(170, 470), y = rnd.Range(150, 215);
        const Rgb colour = Mix(Hex(0xFFD070), Hex(0xFF60A0), rnd.Uniform());
        Glow(cr, x, y, rnd.Range(4, 12), colour, 0.6);
    }
}

// The card table in front, with chips.
void CasinoCardTable(cairo_t* cr, Random& rnd) {
    EllipsePath(cr, 320, 470, 250, 70);
    InkShape(cr, Hex(0x5A2A14), Hex(0x1A0A06), 2, 0.3);
    EllipsePath(cr, 320, 474, 226, 58);
    SetColour(cr, Hex(0x1E6A3A));
    cairo_fill(cr);
    EllipsePath(cr, 320, 474, 180, 40);
    SetColour(cr, Hex(0xE0D8B0), 0.5);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    for (int i = 0; i < 18; ++i) {
        const double x = rnd.Range(170, 470), y = rnd.Range(440, 478);
        const uint32_t colours[] = {0xD02030, 0x2040C0, 0xF0F0F0, 0x101010};
        for (int k = 0; k < 1 + static_cast<int>(rnd.Next() % 4); ++k) {
            EllipsePath(cr, x, y - k * 3, 9, 4);
            InkShape(cr, Hex(colours[i % 4]), Hex(0x101010), 0.8, 0.3);
        }
    }
}
}  // namespace

void CasinoView(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const Point vp{320, 196};
    Random rnd(65);
    CasinoCeiling(cr, vp);
    CasinoBackWall(cr);
    CasinoCarpet(canvas, vp);
    CasinoMachineRows(cr, vp);
    CasinoChandeliers(cr, rnd);
    CasinoFarLights(cr, rnd);
    CasinoCardTable(cr, rnd);
    Blur(canvas, 1, 1);
    Glow(cr, 320, 180, 260, Hex(0xFFB060), 0.2);
    Tone(canvas, 1.08, 0.98, 0.9);
    Random grain(66);
    AddGrain(canvas, grain, 8, Grain::kOpaqueOnly);
    Vignette(canvas, 0.45, Falloff::kSquare);
}

namespace {

// ---------------------------------------------------------------------------------------------
// The walking figure: a gentleman in a long coat and a fedora with a briefcase, mid-stride, feet on
// the bottom row of his 364x389 picture.

}  // namespace

void Walker(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    Figure f;
    f.view = View::Right;
    f.height = 350;
    f.pelvis = {176, 0};
    f.outfit.top = f.outfit.sleeves = Hex(0x5A4A3A);
    f.outfit.legs = Hex(0x2A2A34);
    f.outfit.coat = 0.2;
    f.outfit.hat = Hat::Fedora;
    f.outfit.hatColour = Hex(0x3A3230);
    f.outfit.face = Face::Calm;
    f.pose.lean = 4;
    f.pose.arm[0][0] = 28, f.pose.arm[0][1] = 40;
    f.pose.arm[1][0] = -24, f.pose.arm[1][1] = -10;
    f.pose.leg[0][0] = -26, f.pose.leg[0][1] = -6;
    f.pose.leg[1][0] = 24, f.pose.leg[1][1] = 6;
    const Joints probe = Skeleton(f);
    // a shoe's sole lies about 0.035 heights below its ankle joint: let it touch the bottom row
    f.pelvis.y = 389 - 0.033 * f.height - std::max(probe.foot[0].y, probe.foot[1].y);
    const Joints j = DrawFigure(cr, f);
    // the briefcase in the near hand
    cairo_save(cr);
    cairo_translate(cr, j.hand[1].x, j.hand[1].y);
    RoundedRect(cr, -34, 8, 68, 50, 5);
    InkShape(cr, Hex(0x6A3A1A), Hex(kInk), 2.5, 0.3);
    cairo_arc(cr, 0, 8, 10, kPi, 2 * kPi);
    SetColour(cr, Hex(kInk));
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    cairo_rectangle(cr, -4, 26, 8, 6);
    SetColour(cr, Hex(0xE0C060));
    cairo_fill(cr);
    cairo_restore(cr);
}

namespace {

// ---------------------------------------------------------------------------------------------
// The evil machine (full frame). Its wire hatch sits at x 230-410, y 250-330 so that, drawn 120
// pixels lower, the worker's hands reach it.

void Rivets(cairo_t* cr, double x0, double y0, double x1, double y1, double step) {
    const double len = std::hypot(x1 - x0, y1 - y0);
    for (double t = 0; t <= len; t += step) {
        const double x = x0 + (x1 - x0) * t / len, y = y0 + (y1 - y0) * t / len;
        cairo_arc(cr, x, y, 2.6, 0, 2 * kPi);
        SetColour(cr, Hex(0xB0B0C0));
        cairo_fill(cr);
        cairo_arc(cr, x + 0.8, y + 0.8, 2.6, 0, kPi);
        SetColour(cr, Hex(0x202028), 0.6);
        cairo_fill(cr);
    }
}

void Gauge(cairo_t* cr, double cx, double cy, double r, double needle) {
    const Rgb ink = Hex(kInk);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    InkShape(cr, Hex(0xC0A060), ink, 3, 0.3);
    cairo_arc(cr, cx, cy, r * 0.8, 0, 2 * kPi);
    SetColour(cr, Hex(0xF4EEDC));
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, r * 0.62, kPi * 1.75, kPi * 2.25);
    SetColour(cr, Hex(0xD02020));
    cairo_set_line_width(cr, r * 0.16);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.5);
    SetColour(cr, ink);
    for (int k = 0; k <= 8; ++k) {
        const double a = kPi * (0.75 + k * 0.1875);
        cairo_move_to(cr, cx + std::cos(a) * r * 0.55, cy + std::sin(a) * r * 0.55);
        cairo_line_to(cr, cx + std::cos(a) * r * 0.72, cy + std::sin(a) * r * 0.72);
    }
    cairo_stroke(cr);
    const double a = kPi * (0.75 + needle * 1.5);
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx + std::cos(a) * r * 0.7, cy + std::sin(a) * r * 0.7);
    cairo_set_line_width(cr, 3);
    SetColour(cr, Hex(0xC01010));
    cairo_stroke(cr);
    cairo_arc(cr, cx, cy, 4, 0, 2 * kPi);
    SetColour(cr, ink);
    cairo_fill(cr);
}

void WireBundle(cairo_t* cr, bool loose) {
    const uint32_t colours[] = {0xD81E1E, 0x20C040, 0x2A5AE0, 0xF0C820};
    for (int i = 0; i < 4; ++i) {
        const double x0 = 250 + i * 40, y0 = 318;
        cairo_move_to(cr, x0, y0);
        if (loose) {
            cairo_curve_to(cr, x0 - 40 + i * 30, 420, x0 - 140 + i * 90, 380, x0 - 200 + i * 140, 470);
        } else {
            cairo_curve_to(cr, x0, 380, x0 + 40, 400, x0 + 60 - i * 10, 440);
        }
        SetColour(cr, Hex(kInk));
        cairo_set_line_width(cr, 11);
        cairo_stroke_preserve(cr);
        SetColour(cr, Hex(colours[i]));
        cairo_set_line_width(cr, 7);
        cairo_stroke_preserve(cr);
        SetColour(cr, Tint(Hex(colours[i]), 0.45));
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
}

}  // namespace
namespace {

// Antennas with sparking balls.
void MachineAntennas(cairo_t* cr, Rgb ink) {
    for (int side = -1; side <= 1; side += 2) {
        const double x = 320 + side * 110;
        cairo_move_to(cr, x, 48);
        cairo_line_to(cr, x + side * 26, 10);
        SetColour(cr, ink);
        cairo_set_line_width(cr, 6);
        cairo_stroke(cr);
        cairo_arc(cr, x + side * 26, 14, 11, 0, 2 * kPi);
        InkShape(cr, Hex(0xC8D0E8), ink, 2, 0.4);
        Glow(cr, x + side * 26, 14, 30, Hex(0x80C0FF), 0.8, false);
    }
}

// The feet.
void MachineFeet(cairo_t* cr, Rgb ink) {
    for (double fx : {196.0, 410.0}) {
        RoundedRect(cr, fx, 428, 36, 36, 6);
        InkShape(cr, Hex(0x2A2A34), ink, 3, 0.3);
    }
}

// Pipes down both sides.
void MachinePipes(cairo_t* cr, Rgb ink) {
    for (int side = -1; side <= 1; side += 2) {
        const double x = side < 0 ? 150 : 490;
        cairo_move_to(cr, x, 120);
        cairo_curve_to(cr, x + side * 40, 130, x + side * 40, 330, x, 360);
        SetColour(cr, ink);
        cairo_set_line_width(cr, 22);
        cairo_stroke_preserve(cr);
        SetColour(cr, Hex(0xA06A30));
        cairo_set_line_width(cr, 16);
        cairo_stroke_preserve(cr);
        SetColour(cr, Hex(0xE0A060));
        cairo_set_line_width(cr, 4);
        cairo_stroke(cr);
        cairo_arc(cr, x + side * 30, 240, 16, 0, 2 * kPi);  // a valve wheel
        InkShape(cr, Hex(0xC02020), ink, 2.5, 0.3);
    }
}

// The cabinet.
void MachineCabinet(cairo_t* cr, Rgb ink, Rgb steel) {
    RoundedRect(cr, 160, 48, 320, 388, 22);
    InkShape(cr, steel, ink, 5, 0.35);
    cairo_set_line_width(cr, 2);
    SetColour(cr, Tint(steel, -0.4));
    cairo_move_to(cr, 160, 176);
    cairo_line_to(cr, 480, 176);
    cairo_move_to(cr, 160, 360);
    cairo_line_to(cr, 480, 360);
    cairo_stroke(cr);
    Rivets(cr, 176, 62, 464, 62, 24);
    Rivets(cr, 176, 424, 464, 424, 24);
    Rivets(cr, 174, 70, 174, 420, 24);
    Rivets(cr, 466, 70, 466, 420, 24);
}

// A skull badge on top of the cabinet.
void MachineSkullBadge(cairo_t* cr, Rgb ink) {
    cairo_arc(cr, 320, 34, 22, 0, 2 * kPi);
    InkShape(cr, Hex(0xE8E4D8), ink, 3, 0.25);
    cairo_arc(cr, 312, 32, 5, 0, 2 * kPi);
    cairo_arc(cr, 328, 32, 5, 0, 2 * kPi);
    SetColour(cr, ink);
    cairo_fill(cr);
    cairo_rectangle(cr, 310, 44, 20, 8);
    cairo_fill(cr);
}

// The counter display.
void MachineCounterDisplay(cairo_t* cr, Rgb ink) {
    RoundedRect(cr, 200, 78, 240, 88, 10);
    InkShape(cr, Hex(0x18141C), ink, 4, 0.1);
    CentredText(cr, "00:30", "DejaVu Sans Mono Bold 52", 320, 122, Hex(0xFF3020), Hex(0x400808), 0);
    Glow(cr, 320, 122, 120, Hex(0xFF2010), 0.35);
}

// Gauges and lamps.
void MachineGaugesAndLamps(cairo_t* cr, Rgb ink) {
    Gauge(cr, 230, 224, 34, 0.8);
    Gauge(cr, 410, 224, 34, 0.35);
    for (int k = 0; k < 4; ++k) {
        cairo_arc(cr, 290 + k * 20, 200, 7, 0, 2 * kPi);
        const Rgb lamp = k % 2 ? Hex(0xFFD020) : Hex(0xFF3020);
        InkShape(cr, lamp, ink, 1.5, 0.3);
        Glow(cr, 290 + k * 20, 200, 16, lamp, 0.5);
    }
    cairo_arc(cr, 320, 238, 16, 0, 2 * kPi);  // the big red button
    InkShape(cr, Hex(0xE01818), ink, 3, 0.4);
}

// The open wire hatch.
void MachineWireHatch(cairo_t* cr, Rgb ink, Rgb steel) {
    RoundedRect(cr, 226, 262, 188, 76, 8);
    InkShape(cr, Hex(0x2A2430), ink, 4, 0.1);
    RoundedRect(cr, 414, 262, 44, 76, 6);  // its door, swung open
    InkShape(cr, Tint(steel, 0.15), ink, 3, 0.3);
    CentredText(cr, "DANGER", "DejaVu Sans Bold 14", 320, 380, Hex(0xFFD020), ink, 2);
}

// A hazard stripe band.
void MachineHazardBand(cairo_t* cr, Rgb ink) {
    cairo_save(cr);
    cairo_rectangle(cr, 176, 396, 288, 18);
    cairo_clip(cr);
    SetColour(cr, Hex(0xF0C020));
    cairo_paint(cr);
    for (double x = 160; x < 480; x += 24) {
        PolygonPath(cr, {{x, 414}, {x + 12, 414}, {x + 30, 396}, {x + 18, 396}});
    }
    SetColour(cr, ink);
    cairo_fill(cr);
    cairo_restore(cr);
}
}  // namespace

void EvilMachine(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const Rgb ink = Hex(kInk);
    const Rgb steel = Hex(0x5A5A72);
    MachineAntennas(cr, ink);
    MachineFeet(cr, ink);
    MachinePipes(cr, ink);
    MachineCabinet(cr, ink, steel);
    MachineSkullBadge(cr, ink);
    MachineCounterDisplay(cr, ink);
    MachineGaugesAndLamps(cr, ink);
    MachineWireHatch(cr, ink, steel);
    MachineHazardBand(cr, ink);
    WireBundle(cr, false);
}

// The worker, kneeling left of the machine's wire hatch as it is drawn 120 pixels lower.
void Worker(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const Rgb ink = Hex(kInk);
    // toolbox on the floor
    RoundedRect(cr, 24, 420, 110, 56, 6);
    InkShape(cr, Hex(0xC02A20), ink, 3, 0.3);
    cairo_move_to(cr, 54, 420);
    cairo_line_to(cr, 60, 404);
    cairo_line_to(cr, 98, 404);
    cairo_line_to(cr, 104, 420);
    SetColour(cr, ink);
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    Figure f;
    f.view = View::Right;
    f.height = 250;
    f.pelvis = {150, 421};
    f.outfit.top = f.outfit.sleeves = Hex(0xF07A20);
    f.outfit.legs = Hex(0xE06A18);
    f.outfit.shoes = Hex(0x3A2A20);
    f.outfit.hat = Hat::HardHat;
    f.outfit.hatColour = Hex(0xF8D020);
    f.outfit.face = Face::Shout;
    f.pose.lean = 22;
    f.pose.head = -8;
    f.pose.arm[0][0] = 70, f.pose.arm[0][1] = 100;  // both hands into the hatch
    f.pose.arm[1][0] = 55, f.pose.arm[1][1] = 110;
    f.pose.leg[0][0] = 2, f.pose.leg[0][1] = -88;  // kneeling on the far knee, shin back along the floor
    f.pose.leg[1][0] = 82, f.pose.leg[1][1] = 2;   // near knee up, foot flat
    const Joints j = DrawFigure(cr, f);
    // the cutters in the near hand, aimed into the hatch
    cairo_save(cr);
    cairo_translate(cr, j.hand[1].x, j.hand[1].y);
    cairo_rotate(cr, -0.2);
    PolygonPath(cr, {{-4, -6}, {40, -10}, {44, -4}, {-4, 4}});
    PolygonPath(cr, {{-4, 6}, {40, 10}, {44, 4}, {-4, -4}});
    InkShape(cr, Hex(0xB0B0C0), ink, 2, 0.4);
    cairo_restore(cr);
    // sweat drops
    for (int k = 0; k < 3; ++k) {
        const double x = j.head.x - 40 - k * 14, y = j.head.y - 30 + k * 12;
        cairo_move_to(cr, x, y - 9);
        cairo_curve_to(cr, x + 6, y, x + 5, y + 6, x, y + 6);
        cairo_curve_to(cr, x - 5, y + 6, x - 6, y, x, y - 9);
        InkShape(cr, Hex(0x9AD8FF), ink, 1.5, 0.3);
    }
}

// Big pliers coming in from the lower right, jaws open around the green wire.
void Pliers(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const Rgb ink = Hex(kInk);
    // two wires across the frame
    const uint32_t colours[] = {0xD81E1E, 0x20C040};
    for (int i = 0; i < 2; ++i) {
        const double y = 176 + i * 70;
        cairo_move_to(cr, -10, y);
        cairo_curve_to(cr, 200, y + 26, 440, y + 26, 650, y - 4);
        SetColour(cr, ink);
        cairo_set_line_width(cr, 22);
        cairo_stroke_preserve(cr);
        SetColour(cr, Hex(colours[i]));
        cairo_set_line_width(cr, 16);
        cairo_stroke_preserve(cr);
        SetColour(cr, Tint(Hex(colours[i]), 0.5));
        cairo_set_line_width(cr, 4);
        cairo_stroke(cr);
    }
    cairo_save(cr);
    cairo_translate(cr, 317, 327);  // pivot of the pliers
    cairo_rotate(cr, 0.62);
    cairo_scale(cr, 1.35, 1.35);  // the jaws straddle the green wire
    for (int side = -1; side <= 1; side += 2) {
        const double open = side * 0.24;
        cairo_save(cr);
        cairo_rotate(cr, open);
        // jaw, ahead of the pivot
        PolygonPath(
            cr,
            {{0, side * 4.0}, {-96, side * 6.0}, {-120, side * 18.0}, {-104, side * 26.0}, {0, side * 26.0}});
        InkShape(cr, Hex(0x9A9AB0), ink, 3, 0.4);
        cairo_restore(cr);
        cairo_save(cr);
        cairo_rotate(cr, -open * 0.6);
        // handle with its rubber grip, behind the pivot
        PolygonPath(cr, {{0, side * 6.0}, {120, side * 14.0}, {120, side * 34.0}, {0, side * 28.0}});
        InkShape(cr, Hex(0x8A8AA0), ink, 3, 0.4);
        RoundedRect(cr, 116, side < 0 ? -44 : 12, 330, 32, 14);
        InkShape(cr, Hex(0xD81E28), ink, 3, 0.35);
        cairo_restore(cr);
    }
    cairo_arc(cr, 0, 0, 18, 0, 2 * kPi);
    InkShape(cr, Hex(0xC8C8D8), ink, 3, 0.4);
    cairo_arc(cr, 0, 0, 6, 0, 2 * kPi);
    SetColour(cr, ink);
    cairo_fill(cr);
    cairo_restore(cr);
    // motion ticks around the jaws
    cairo_set_line_width(cr, 4);
    SetColour(cr, ink);
    for (int k = 0; k < 3; ++k) {
        const double a = -2.2 + k * 0.35;
        cairo_move_to(cr, 230 + std::cos(a) * 90, 250 + std::sin(a) * 90);
        cairo_line_to(cr, 230 + std::cos(a) * 116, 250 + std::sin(a) * 116);
    }
    cairo_stroke(cr);
}

namespace {

// ---------------------------------------------------------------------------------------------
// The western set at dusk: an old mission front, desert, cacti, a camp fire. Its figures, keyed,
// stand on the same ground line (y ~ 430).

void Cactus(cairo_t* cr, double x, double base, double h) {
    const Rgb ink = Hex(kInk);
    const double w = h * 0.16;
    CapsulePath(cr, {x, base}, {x, base - h}, w, w);
    CapsulePath(cr, {x - w * 0.3, base - h * 0.45}, {x - w * 1.5, base - h * 0.5}, w * 0.7, w * 0.7);
    CapsulePath(cr, {x - w * 1.5, base - h * 0.5}, {x - w * 1.5, base - h * 0.78}, w * 0.7, w * 0.7);
    CapsulePath(cr, {x + w * 0.3, base - h * 0.6}, {x + w * 1.4, base - h * 0.62}, w * 0.7, w * 0.7);
    CapsulePath(cr, {x + w * 1.4, base - h * 0.62}, {x + w * 1.4, base - h * 0.86}, w * 0.7, w * 0.7);
    InkShape(cr, Hex(0x3A6A40), ink, 2, 0.35);
}

}  // namespace
namespace {

// A dusk sky with a few stars and the low sun.
void WesternSky(cairo_t* cr, Random& rnd) {
    FillVertical(cr, 0, 0, 640, 330,
                 {{0, Hex(0x1A1440)}, {0.4, Hex(0x6A2A5A)}, {0.75, Hex(0xE0603A)}, {1, Hex(0xFFB050)}});
    Stars(cr, rnd, 40, 0, 0, 640, 90, 1.2);
    Glow(cr, 520, 300, 180, Hex(0xFFC060), 0.6, false);
    cairo_arc(cr, 520, 300, 34, 0, 2 * kPi);
    SetColour(cr, Hex(0xFFE0A0));
    cairo_fill(cr);
}

// Distant mesas on the horizon.
void Mesas(cairo_t* cr) {
    PolygonPath(cr, {{0, 330},
                     {0, 280},
                     {40, 276},
                     {60, 250},
                     {150, 248},
                     {166, 276},
                     {230, 290},
                     {300, 300},
                     {420, 296},
                     {440, 262},
                     {560, 258},
                     {580, 284},
                     {640, 290},
                     {640, 330}});
    FillPathVertical(cr, 250, 330, {{0, Hex(0x7A3A4A)}, {1, Hex(0x4A2438)}});
}

// The desert floor, scattered with stones.
void DesertFloor(cairo_t* cr, Random& rnd) {
    FillVertical(cr, 0, 322, 640, 158, {{0, Hex(0xB06A40)}, {0.5, Hex(0x7A4428)}, {1, Hex(0x3A2014)}});
    for (int i = 0; i < 120; ++i) {
        const double x = rnd.Range(0, 640), y = rnd.Range(330, 480);
        const double ry = rnd.Range(1, 2);
        EllipsePath(cr, x, y, rnd.Range(2, 6) * (y - 300) / 80, ry);
        SetColour(cr, Hex(0x2A1410), rnd.Range(0.1, 0.3));
        cairo_fill(cr);
    }
}

// The mission front with its curved gable, columns and niches, and a dark arched door with warm light
// at its foot.
void MissionFront(cairo_t* cr, Rgb ink) {
    const double mx = 320, base = 360;
    cairo_move_to(cr, mx - 170, base);
    cairo_line_to(cr, mx - 170, 200);
    cairo_line_to(cr, mx - 80, 200);
    cairo_curve_to(cr, mx - 70, 160, mx - 40, 170, mx - 30, 140);
    cairo_curve_to(cr, mx - 20, 120, mx + 20, 120, mx + 30, 140);
    cairo_curve_to(cr, mx + 40, 170, mx + 70, 160, mx + 80, 200);
    cairo_line_to(cr, mx + 170, 200);
    cairo_line_to(cr, mx + 170, base);
    cairo_close_path(cr);
    InkShape(cr, Hex(0xD8A878), ink, 2.5, 0.3);
    cairo_rectangle(cr, mx - 170, 200, 340, 160);
    FillPathVertical(cr, 200, 360, {{0, Hex(0xF0A070), 0.35}, {1, Hex(0x6A3A2A), 0.5}});
    for (int side = -1; side <= 1; side += 2) {  // columns and niches
        for (double c : {60.0, 120.0}) {
            cairo_rectangle(cr, mx + side * c - 8, 210, 16, 150);
            InkShape(cr, Hex(0xE8C090), ink, 1.5, 0.3);
        }
        cairo_move_to(cr, mx + side * 90 - 12, 300);
        cairo_line_to(cr, mx + side * 90 - 12, 262);
        cairo_arc(cr, mx + side * 90, 262, 12, kPi, 2 * kPi);
        cairo_line_to(cr, mx + side * 90 + 12, 300);
        cairo_close_path(cr);
        SetColour(cr, Hex(0x3A2018));
        cairo_fill(cr);
    }
    cairo_move_to(cr, mx - 34, base);
    cairo_line_to(cr, mx - 34, 270);
    cairo_arc(cr, mx, 270, 34, kPi, 2 * kPi);
    cairo_line_to(cr, mx + 34, base);
    cairo_close_path(cr);
    SetColour(cr, Hex(0x1E100C));
    cairo_fill(cr);
    Glow(cr, mx, 330, 40, Hex(0xFFA040), 0.35);
}

// Wooden stage boards in front, and cacti around them.
void Stage(cairo_t* cr, Rgb ink) {
    PolygonPath(cr, {{90, 420}, {550, 420}, {600, 470}, {40, 470}});
    InkShape(cr, Hex(0x8A5A30), ink, 2, 0.2);
    cairo_set_line_width(cr, 1.5);
    SetColour(cr, Hex(0x4A2A14));
    for (double y = 430; y < 470; y += 10) {
        cairo_move_to(cr, 90 - (y - 420), y);
        cairo_line_to(cr, 550 + (y - 420), y);
    }
    cairo_stroke(cr);
    cairo_rectangle(cr, 40, 470, 560, 10);
    SetColour(cr, Hex(0x3A2010));
    cairo_fill(cr);
    Cactus(cr, 60, 400, 150);
    Cactus(cr, 590, 410, 120);
    Cactus(cr, 470, 350, 60);
}

// The camp fire on the right of the stage, and its light.
void CampFire(cairo_t* cr, Rgb ink) {
    for (int k = 0; k < 3; ++k) {
        CapsulePath(cr, {470.0 + k * 10, 446}, {510.0 - k * 14, 432}, 8, 8);
        InkShape(cr, Hex(0x5A3018), ink, 1.5, 0.3);
    }
    for (int k = 0; k < 3; ++k) {
        const double s = 1 - k * 0.28;
        cairo_move_to(cr, 470, 440);
        cairo_curve_to(cr, 470, 410, 490, 410 - 30 * s, 490, 380 + k * 14);
        cairo_curve_to(cr, 500, 410, 512, 410, 510, 440);
        cairo_close_path(cr);
        SetColour(cr, k == 0 ? Hex(0xE0401A) : k == 1 ? Hex(0xF8A020) : Hex(0xFFF0A0));
        cairo_fill(cr);
    }
    Glow(cr, 490, 420, 160, Hex(0xFF8030), 0.35);
}

// Hanging lanterns along the top of the stage.
void Lanterns(cairo_t* cr, Rgb ink) {
    cairo_move_to(cr, 60, 150);
    cairo_curve_to(cr, 200, 190, 440, 190, 580, 150);
    SetColour(cr, ink);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    for (int k = 0; k < 9; ++k) {
        const double t = (k + 0.5) / 9.0;
        const double x = 60 + t * 520, y = 150 + std::sin(t * kPi) * 30 + 4;
        Glow(cr, x, y, 22, Hex(0xFFC060), 0.8);
    }
}
}  // namespace

void WesternSet(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const Rgb ink = Hex(0x1A0E10);
    Random rnd(67);
    WesternSky(cr, rnd);
    Mesas(cr);
    DesertFloor(cr, rnd);
    MissionFront(cr, ink);
    Stage(cr, ink);
    CampFire(cr, ink);
    Lanterns(cr, ink);
    PhotoFinish(canvas, 68, 7, 0.4);
}

namespace {

// The singer: front on, shouting his song, the fretting hand up and the strumming hand low, his
// feet on the stage boards at y = 450.
Figure CroonerFigure() {
    Figure f;
    f.view = View::Front;
    f.height = 330;
    f.pelvis = {300, 0};
    f.outfit.top = f.outfit.sleeves = Hex(0xE8E0C8);
    f.outfit.legs = Hex(0x30405A);
    f.outfit.shoes = Hex(0x6A3A1A);
    f.outfit.hat = Hat::Cowboy;
    f.outfit.hatColour = Hex(0xC89058);
    f.outfit.face = Face::Shout;
    f.outfit.skin = Hex(0xE0A880);
    f.pose.head = -8;
    f.pose.arm[0][0] = -45, f.pose.arm[0][1] = -125;  // fretting hand up on the neck
    f.pose.arm[1][0] = 20, f.pose.arm[1][1] = -75;    // strumming hand over the sound hole
    f.pose.leg[0][0] = 10, f.pose.leg[1][0] = -10;
    const Joints probe = Skeleton(f);
    f.pelvis.y = 450 - 0.033 * f.height - std::max(probe.foot[0].y, probe.foot[1].y);
    return f;
}

// The guitar across the body, its neck up to the left, strung over the sound hole.
void Guitar(cairo_t* cr, const Figure& f, Rgb ink) {
    cairo_save(cr);
    cairo_translate(cr, f.pelvis.x - 6, f.pelvis.y - 40);
    cairo_rotate(cr, 0.45);
    CapsulePath(cr, {-20, 0}, {-150, 0}, 14, 12);
    InkShape(cr, Hex(0x5A3018), ink, 2.5, 0.3);
    RoundedRect(cr, -166, -10, 24, 20, 4);
    InkShape(cr, Hex(0x3A1E10), ink, 2, 0.3);
    EllipsePath(cr, 30, 0, 44, 34);
    EllipsePath(cr, -10, 0, 34, 26);
    InkShape(cr, Hex(0xD8882A), ink, 3, 0.35);
    cairo_arc(cr, 0, 0, 10, 0, 2 * kPi);
    SetColour(cr, Hex(0x2A1408));
    cairo_fill(cr);
    cairo_set_line_width(cr, 1);
    SetColour(cr, Hex(0xF0F0E0));
    for (int k = -2; k <= 2; ++k) {
        cairo_move_to(cr, -150, k * 2.2);
        cairo_line_to(cr, 50, k * 2.2);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

// The hands drawn again over the guitar, so they hold it.
void HandsOnTheGuitar(cairo_t* cr, const Figure& f, const Joints& j, Rgb ink) {
    for (int i = 0; i < 2; ++i) {
        cairo_arc(cr, j.hand[i].x, j.hand[i].y, 0.034 * f.height, 0, 2 * kPi);
        InkShape(cr, f.outfit.skin, ink, InkWidth(f.height));
    }
}

void NeckerchiefAndStar(cairo_t* cr, const Joints& j, Rgb ink) {
    PolygonPath(cr,
                {{j.neck.x - 22, j.neck.y + 6}, {j.neck.x + 22, j.neck.y + 6}, {j.neck.x, j.neck.y + 34}});
    InkShape(cr, Hex(0xC02028), ink, 2, 0.3);
    cairo_save(cr);
    cairo_translate(cr, j.shoulder[1].x - 26, j.shoulder[1].y + 40);
    cairo_new_path(cr);
    for (int k = 0; k < 10; ++k) {
        const double r = k % 2 ? 5 : 12, a = -kPi / 2 + k * kPi / 5;
        cairo_line_to(cr, std::cos(a) * r, std::sin(a) * r);
    }
    cairo_close_path(cr);
    InkShape(cr, Hex(0xF0C838), ink, 1.5, 0.3);
    cairo_restore(cr);
}

// A stand on the stage whose boom brings the microphone to his mouth.
void MicrophoneStand(cairo_t* cr, const Joints& j, Rgb ink) {
    cairo_move_to(cr, 420, 452);
    cairo_line_to(cr, 420, 250);
    cairo_line_to(cr, j.head.x + 44, j.head.y + 36);
    SetColour(cr, ink);
    cairo_set_line_width(cr, 5);
    cairo_stroke(cr);
    EllipsePath(cr, 420, 452, 30, 7);
    InkShape(cr, Hex(0x303038), ink, 2);
    EllipsePath(cr, j.head.x + 40, j.head.y + 36, 12, 9);
    InkShape(cr, Hex(0xB8B8C8), ink, 2, 0.4);
}

// Notes floating out of his song, up to the left.
void SongNotes(cairo_t* cr, Rgb ink) {
    const Point notes[] = {{150, 120}, {110, 70}, {190, 50}, {90, 170}};
    for (const Point& n : notes) {
        EllipsePath(cr, n.x, n.y, 10, 7.5);
        InkShape(cr, Hex(0xFFE8A0), ink, 2.5, 0.2);
        cairo_rectangle(cr, n.x + 7, n.y - 34, 4, 34);
        cairo_rectangle(cr, n.x + 7, n.y - 34, 14, 6);
        SetColour(cr, Hex(0xFFE8A0));
        cairo_fill_preserve(cr);
        SetColour(cr, ink);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
}

}  // namespace

void Crooner(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const Rgb ink = Hex(kInk);
    const Figure f = CroonerFigure();
    const Joints j = DrawFigure(cr, f);
    Guitar(cr, f, ink);
    HandsOnTheGuitar(cr, f, j, ink);
    NeckerchiefAndStar(cr, j, ink);
    MicrophoneStand(cr, j, ink);
    SongNotes(cr, ink);
}

namespace {

// ---------------------------------------------------------------------------------------------
// The explosion

}  // namespace

void ExplosionBackground(Canvas& canvas) {
    const ValueNoise turbulence(81), smoke(82);
    {
        PixelAccess px(canvas);
        const Rgb stops[] = {Hex(0xFFFFF0), Hex(0xFFE070), Hex(0xFF8A20),
                             Hex(0xC02A10), Hex(0x4A1A14), Hex(0x141014)};
        for (int y = 0; y < 480; ++y) {
            uint32_t* row = px.Row(y);
            for (int x = 0; x < 640; ++x) {
                const double dx = (x - 320) / 300.0, dy = (y - 250) / 240.0;
                const double d = std::sqrt(dx * dx + dy * dy);
                const double n = turbulence.Fbm(x * 0.012, y * 0.012, 5);
                const double heat = std::clamp(1.15 - d * 1.25 + (n - 0.5) * 1.1, 0.0, 1.0);
                const double f = (1 - heat) * 5;
                const int k = std::min(4, static_cast<int>(f));
                Rgb c = Mix(stops[k], stops[k + 1], f - k);
                const double s = smoke.Fbm(x * 0.008 + 5, y * 0.01, 4);
                c = Mix(c, Hex(0x1A1418), Smoothstep(0.55, 0.8, d) * (0.4 + 0.6 * s));
                row[x] = Opaque(c);
            }
        }
    }
    cairo_t* cr = canvas.cr();
    Random rnd(83);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < 90; ++i) {  // sparks flying out
        const double a = rnd.Range(0, 2 * kPi), r = rnd.Range(120, 380), len = rnd.Range(8, 30);
        const double x = 320 + std::cos(a) * r, y = 250 + std::sin(a) * r * 0.8;
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + std::cos(a) * len, y + std::sin(a) * len);
        SetColour(cr, Hex(0xFFE0A0), rnd.Range(0.5, 1.0));
        cairo_set_line_width(cr, rnd.Range(1.5, 3.5));
        cairo_stroke(cr);
    }
    Glow(cr, 320, 250, 200, Hex(0xFFF0C0), 0.5);
    // the city skyline in silhouette along the bottom
    cairo_move_to(cr, 0, 480);
    double x = 0;
    while (x < 640) {
        const double w = rnd.Range(20, 60), h = rnd.Range(20, 90);
        cairo_line_to(cr, x, 480 - h);
        cairo_line_to(cr, x + w, 480 - h);
        x += w;
    }
    cairo_line_to(cr, 640, 480);
    cairo_close_path(cr);
    SetColour(cr, Hex(0x0A0608));
    cairo_fill(cr);
    Random grain(84);
    AddGrain(canvas, grain, 8, Grain::kOpaqueOnly);
    Vignette(canvas, 0.3, Falloff::kSquare);
}

void BoomLettering(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const Rgb ink = Hex(kInk);
    Random rnd(85);
    auto burst = [&](double rOuter, double rInner, int spikes, Rgb colour) {
        cairo_new_path(cr);
        for (int k = 0; k < spikes * 2; ++k) {
            const double a = k * kPi / spikes + rnd.Range(-0.05, 0.05);
            const double r = (k % 2 ? rInner : rOuter) * rnd.Range(0.88, 1.1);
            cairo_line_to(cr, 320 + std::cos(a) * r * 1.35, 240 + std::sin(a) * r);
        }
        cairo_close_path(cr);
        InkShape(cr, colour, ink, 5, 0.2);
    };
    // kept to the middle so the flying heads and the fireball show around it
    burst(150, 104, 16, Hex(0xE82818));
    burst(124, 86, 14, Hex(0xFFD020));
    cairo_save(cr);
    cairo_translate(cr, 320, 240);
    cairo_rotate(cr, -0.12);
    const std::string big = "DejaVu Sans Bold 74", small = "DejaVu Sans Bold Oblique 28";
    double bw, bh, sw, sh;
    TextExtent(cr, "BOOM!", big, &bw, &bh);
    TextExtent(cr, "ZEMBRA", small, &sw, &sh);
    for (int k = 6; k >= 1; --k) {
        TextPath(cr, "BOOM!", big, -bw / 2 + k, -bh / 2 + 12 + k);
        SetColour(cr, Hex(0x6A0A10));
        cairo_fill(cr);
    }
    TextPath(cr, "BOOM!", big, -bw / 2, -bh / 2 + 12);
    SetColour(cr, ink);
    cairo_set_line_width(cr, 7);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    FillPathVertical(cr, -bh / 2 + 28, bh / 2,
                     {{0, Hex(0xFFFFFF)}, {0.5, Hex(0xFF8A20)}, {1, Hex(0xD81818)}});
    CentredText(cr, "ZEMBRA", small, 0, -bh / 2 - 2, Hex(0xFFFFFF), ink, 3);
    cairo_restore(cr);
    // debris flying off
    for (int i = 0; i < 14; ++i) {
        const double a = rnd.Range(0, 2 * kPi), r = rnd.Range(170, 210);
        const double x = 320 + std::cos(a) * r * 1.1, y = 240 + std::sin(a) * r * 0.75;
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_rotate(cr, rnd.Range(0, kPi));
        PolygonPath(cr, {{-10, -6}, {12, -8}, {8, 8}, {-6, 10}});
        InkShape(cr, i % 2 ? Hex(0xFFB020) : Hex(0x5A5060), ink, 2.5, 0.3);
        cairo_restore(cr);
    }
}

void OneSlotMachine(Canvas& canvas) {
    SlotMachine(canvas.cr(), 0, 0, canvas.width(), canvas.height(), 7);
}

}  // namespace assets::scene
