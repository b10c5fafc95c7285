// The small keyed sprites: bombs, the bomber, the cow and its parachute, the helmet, the elephant
// emblem, the dollar sprites and the flying heads, plus the two pictures nothing draws (the small
// mountain and the chain). Every sprite is flat-shaded vector art with a dark rim, so it reads on
// any background and keys without a fringe. Also the family's entry point.
#include <cmath>

#include "AssetBuilder/Pictures/Drawings.h"
#include "AssetBuilder/Pictures/SpriteKit.h"

namespace assets {

namespace {

constexpr uint32_t kInk = 0x101010;  // the rim colour of every sprite

// --- the bomb -------------------------------------------------------------------------------------
// Drawn along its own axis, nose towards -x, then turned so the nose points down-left along the
// bombs' flight (660 left for every 450 down: 34 degrees below the horizontal).
constexpr double kBombAngle = -34.3 * M_PI / 180.0;

void BombPath(cairo_t* cr) {
    // body: round nose, straight barrel, tapered tail cone
    cairo_move_to(cr, -22, -9);
    cairo_line_to(cr, 14, -9);
    cairo_curve_to(cr, 22, -9, 26, -5, 30, -3.5);
    cairo_line_to(cr, 30, 3.5);
    cairo_curve_to(cr, 26, 5, 22, 9, 14, 9);
    cairo_line_to(cr, -22, 9);
    cairo_curve_to(cr, -34, 9, -38, 4, -38, 0);
    cairo_curve_to(cr, -38, -4, -34, -9, -22, -9);
    cairo_close_path(cr);
}

void DrawBomb(Canvas& canvas, double scale) {
    cairo_t* cr = canvas.cr();
    // the fins stick out further than the nose, so the centre sits a little low
    cairo_translate(cr, canvas.width() / 2.0, canvas.height() / 2.0 + 1.5 * scale);
    cairo_scale(cr, scale * 0.95, scale * 0.95);
    cairo_rotate(cr, kBombAngle);
    const double rim = 1.8;
    // tail fins: a flat plate above and below the cone, and a box ring round their tips
    cairo_move_to(cr, 22, -6);
    cairo_line_to(cr, 38, -12);
    cairo_line_to(cr, 38, 12);
    cairo_line_to(cr, 22, 6);
    cairo_close_path(cr);
    SetLinear(cr, 0, -12, 0, 12, {0x7A8450, 0x4A5230, 0x2A2E1A});
    FillAndOutline(cr, kInk, rim);
    cairo_rectangle(cr, 33, -12.5, 6, 25);
    SetLinear(cr, 0, -12, 0, 12, {0x8A9460, 0x4A5230});
    FillAndOutline(cr, kInk, rim);
    // body: olive drab, lit from above (across the axis)
    BombPath(cr);
    SetLinear(cr, 0, -9, 0, 9, {0xB0BC80, 0x6A7440, 0x3A4024});
    FillAndOutline(cr, kInk, rim);
    // a yellow band behind the nose
    cairo_rectangle(cr, -20, -9, 5, 18);
    SetLinear(cr, 0, -9, 0, 9, {0xFFE070, 0xD0A010, 0x806000});
    cairo_fill(cr);
    // glint along the top
    cairo_move_to(cr, -30, -5);
    cairo_line_to(cr, 12, -5);
    SetHex(cr, 0xF0F4D0, 0.8);
    cairo_set_line_width(cr, 2.0);
    cairo_stroke(cr);
}

}  // namespace
namespace {

// The far wing tip peeking above the fuselage.
void BomberFarWing(cairo_t* cr, double rim) {
    cairo_move_to(cr, 96, 40);
    cairo_line_to(cr, 150, 22);
    cairo_line_to(cr, 160, 24);
    cairo_line_to(cr, 128, 42);
    cairo_close_path(cr);
    SetLinear(cr, 0, 22, 0, 42, {0x8A9098, 0x5A6068});
    FillAndOutline(cr, kInk, rim);
}

// The tail fin: tall with a curved leading edge.
void BomberTailFin(cairo_t* cr, double rim) {
    cairo_move_to(cr, 186, 34);
    cairo_curve_to(cr, 200, 24, 208, 8, 218, 4);
    cairo_line_to(cr, 230, 4);
    cairo_line_to(cr, 234, 36);
    cairo_close_path(cr);
    SetLinear(cr, 186, 0, 234, 0, {0xD8DCE0, 0x9AA2AA});
    FillAndOutline(cr, kInk, rim);
}

// The fuselage: a long rounded tube narrowing to the tail.
void BomberFuselage(cairo_t* cr, double rim) {
    cairo_move_to(cr, 24, 30);
    cairo_line_to(cr, 180, 30);
    cairo_curve_to(cr, 205, 31, 225, 33, 236, 36);
    cairo_line_to(cr, 236, 42);
    cairo_curve_to(cr, 220, 46, 200, 52, 180, 54);
    cairo_line_to(cr, 24, 54);
    cairo_curve_to(cr, 8, 54, 3, 48, 3, 42);
    cairo_curve_to(cr, 3, 36, 8, 30, 24, 30);
    cairo_close_path(cr);
    SetLinear(cr, 0, 30, 0, 54, {0xFAFBFC, 0xC4CAD0, 0x8A929A, 0x5A6068});
    FillAndOutline(cr, kInk, rim);
}

// The glazed nose: dark glass panes in a frame.
void BomberNose(cairo_t* cr) {
    cairo_save(cr);
    EllipsePath(cr, 18, 42, 15, 11);
    cairo_clip(cr);
    SetLinear(cr, 0, 30, 0, 54, {0x9AC8F0, 0x2A4C78, 0x142440});
    cairo_paint(cr);
    SetHex(cr, 0xD0D6DC);
    cairo_set_line_width(cr, 1.5);
    for (double x : {8.0, 15.0, 22.0}) {
        cairo_move_to(cr, x, 28);
        cairo_line_to(cr, x + 4, 56);
    }
    cairo_move_to(cr, 0, 41);
    cairo_line_to(cr, 34, 41);
    cairo_stroke(cr);
    cairo_restore(cr);
}

// Cockpit windows and the row of side windows.
void BomberWindows(cairo_t* cr) {
    RoundedRect(cr, 36, 32, 16, 6, 2);
    SetHex(cr, 0x203650);
    cairo_fill(cr);
    for (int i = 0; i < 3; ++i) EllipsePath(cr, 150 + i * 9, 38, 2.5, 2.5);
    SetHex(cr, 0x203650);
    cairo_fill(cr);
}

// The tailplane, seen edge-on.
void BomberTailplane(cairo_t* cr, double rim) {
    cairo_move_to(cr, 200, 40);
    cairo_line_to(cr, 238, 38);
    cairo_line_to(cr, 238, 43);
    cairo_line_to(cr, 204, 45);
    cairo_close_path(cr);
    SetHex(cr, 0xA8B0B8);
    FillAndOutline(cr, kInk, rim);
}

// The near wing and two engines hanging from it.
void BomberNearWing(cairo_t* cr, double rim) {
    cairo_move_to(cr, 82, 44);
    cairo_line_to(cr, 140, 44);
    cairo_line_to(cr, 134, 50);
    cairo_line_to(cr, 84, 50);
    cairo_close_path(cr);
    SetLinear(cr, 0, 44, 0, 50, {0xE0E4E8, 0x8A929A});
    FillAndOutline(cr, kInk, rim);
    for (double x : {78.0, 112.0}) {
        // nacelle
        RoundedRect(cr, x, 46, 34, 14, 6);
        SetLinear(cr, 0, 46, 0, 60, {0xE8ECF0, 0x9098A0, 0x50585F});
        FillAndOutline(cr, kInk, rim);
        // spinning propeller: a grey blur disc seen edge-on, and its hub
        EllipsePath(cr, x - 2, 53, 3.5, 17);
        SetHex(cr, 0x707880, 0.75);
        cairo_fill(cr);
        EllipsePath(cr, x - 1, 53, 3, 3);
        SetHex(cr, 0x30343A);
        cairo_fill(cr);
    }
}

// Insignia on the rear fuselage: the villain's V in a white roundel.
void BomberInsignia(cairo_t* cr) {
    EllipsePath(cr, 176, 42, 8, 8);
    SetHex(cr, 0xF4F4F4);
    FillAndOutline(cr, 0x202060, 2.0);
    cairo_move_to(cr, 171.5, 37.5);
    cairo_line_to(cr, 176, 47);
    cairo_line_to(cr, 180.5, 37.5);
    SetHex(cr, 0xC01010);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
}
}  // namespace

// --- the bomber -----------------------------------------------------------------------------------
// A four-engined silver bomber in profile, nose left, seen from its left side.
void DrawBomber(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const double rim = 2.0;
    BomberFarWing(cr, rim);
    BomberTailFin(cr, rim);
    BomberFuselage(cr, rim);
    BomberNose(cr);
    BomberWindows(cr);
    BomberTailplane(cr, rim);
    BomberNearWing(cr, rim);
    BomberInsignia(cr);
}

namespace {

// --- the parachute and its cow ----------------------------------------------------------------------
// The cords of the parachute meet at kHarnessX, kParachuteKnotY; the scene hangs the canopy so that
// its row 0.8 * height falls on the cow's row 0, so the knot lands on the cow's harness ring.
constexpr double kHarnessX = 60.0;
constexpr double kParachuteKnotY = 108.0;
// the knot in the cow's rows
constexpr double kCowRingY = kParachuteKnotY - 0.8 * ManifestRow("sorvanik/parachute.png").size.height;

}  // namespace

void DrawParachute(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    constexpr int kGores = 6;
    constexpr double left = 3, right = 117, hem = 58, crown = 3;
    const auto edgeX = [&](int k) { return left + (right - left) * k / kGores; };
    // cords: from each scallop point down to the knot
    SetHex(cr, 0x3A3020);
    cairo_set_line_width(cr, 2.0);
    for (int k = 0; k <= kGores; ++k) {
        cairo_move_to(cr, edgeX(k), hem);
        cairo_line_to(cr, kHarnessX, kParachuteKnotY);
    }
    cairo_stroke(cr);
    // canopy outline: a dome whose hem bulges down between the cords
    const auto canopy = [&] {
        cairo_move_to(cr, left, hem);
        cairo_curve_to(cr, left, 12, 30, crown, 60, crown);
        cairo_curve_to(cr, 90, crown, right, 12, right, hem);
        for (int k = kGores; k > 0; --k) {
            const double x0 = edgeX(k), x1 = edgeX(k - 1);
            cairo_curve_to(cr, x0 - 4, hem + 8, x1 + 4, hem + 8, x1, hem);
        }
        cairo_close_path(cr);
    };
    // gores in Swiss red and white, split by curves fanning out from the crown
    cairo_save(cr);
    canopy();
    cairo_clip(cr);
    for (int k = 0; k < kGores; ++k) {
        const double x0 = edgeX(k), x1 = edgeX(k + 1);
        cairo_move_to(cr, 60, crown - 2);
        cairo_curve_to(cr, 60 + (x0 - 60) * 1.3, 14, x0, 40, x0, hem + 10);
        cairo_line_to(cr, x1, hem + 10);
        cairo_curve_to(cr, x1, 40, 60 + (x1 - 60) * 1.3, 14, 60, crown - 2);
        cairo_close_path(cr);
        SetHex(cr, k % 2 == 0 ? 0xD82028 : 0xF4F0EC);
        cairo_fill(cr);
    }
    // shading: light from the upper left, darker towards the hem
    SetRadial(cr, 40, 14, 110, {0xFFFFFF, 0x000000});
    cairo_paint_with_alpha(cr, 0.25);
    cairo_restore(cr);
    // the canopy's rim, drawn over the gores' clipped edges
    canopy();
    SetHex(cr, kInk);
    cairo_set_line_width(cr, 2.0);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    // the knot: a small steel ring just above the cow's harness
    EllipsePath(cr, kHarnessX, kParachuteKnotY + 2, 3.5, 3.5);
    SetHex(cr, 0xC8CCD0);
    FillAndOutline(cr, kInk, 1.5);
}
namespace {

// Harness straps from the ring to the girth bands.
void CowHarnessStraps(cairo_t* cr) {
    SetHex(cr, 0x6A4020);
    cairo_set_line_width(cr, 4.0);
    cairo_move_to(cr, 40, 44);
    cairo_line_to(cr, kHarnessX, kCowRingY + 4);
    cairo_line_to(cr, 86, 44);
    cairo_stroke(cr);
}

// Legs: dangling, slightly splayed, with dark hooves.
void CowLegs(cairo_t* cr, double rim) {
    for (auto [x, dx] : {std::pair{34.0, -5.0}, {46.0, -2.0}, {80.0, 2.0}, {92.0, 5.0}}) {
        cairo_move_to(cr, x - 5, 60);
        cairo_line_to(cr, x + 5, 60);
        cairo_line_to(cr, x + 4 + dx, 88);
        cairo_line_to(cr, x - 4 + dx, 88);
        cairo_close_path(cr);
        SetLinear(cr, x - 5, 0, x + 5, 0, {0xFFFFFF, 0xD8D4CC});
        FillAndOutline(cr, kInk, rim);
        RoundedRect(cr, x - 4.5 + dx, 86, 9, 8, 2);
        SetHex(cr, 0x2A2018);
        FillAndOutline(cr, kInk, rim);
    }
}

// The tail hanging down with a tuft.
void CowTail(cairo_t* cr) {
    cairo_move_to(cr, 104, 46);
    cairo_curve_to(cr, 114, 52, 110, 66, 112, 76);
    SetHex(cr, kInk);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    EllipsePath(cr, 112, 79, 3.5, 5);
    SetHex(cr, 0x3A2A1A);
    FillAndOutline(cr, kInk, 1.5);
}

// The body: white with black patches.
void CowBody(cairo_t* cr, double rim) {
    RoundedRect(cr, 24, 36, 84, 34, 15);
    SetLinear(cr, 0, 36, 0, 70, {0xFFFFFF, 0xE8E4DC, 0xC0BAB0});
    cairo_fill(cr);
    cairo_save(cr);
    RoundedRect(cr, 24, 36, 84, 34, 15);
    cairo_clip(cr);
    for (auto [x, y, rx, ry] :
         {std::tuple{52.0, 44.0, 9.0, 6.0}, {76.0, 62.0, 10.0, 6.0}, {100.0, 42.0, 6.0, 8.0}}) {
        EllipsePath(cr, x, y, rx, ry);
    }
    SetHex(cr, 0x18181C);
    cairo_fill(cr);
    cairo_restore(cr);
    RoundedRect(cr, 24, 36, 84, 34, 15);
    SetHex(cr, kInk);
    cairo_set_line_width(cr, rim);
    cairo_stroke(cr);
}

// The udder.
void CowUdder(cairo_t* cr, double rim) {
    EllipsePath(cr, 84, 70, 8, 5);
    SetHex(cr, 0xF4A8B0);
    FillAndOutline(cr, kInk, rim);
}

// Girth bands of the harness.
void CowGirthBands(cairo_t* cr) {
    for (double x : {40.0, 86.0}) {
        cairo_rectangle(cr, x - 3, 35, 6, 36);
        SetHex(cr, 0x7A4A24);
        FillAndOutline(cr, 0x2A1408, 1.2);
    }
}

// The head: facing left, with horns, ears, a pink muzzle and wide worried eyes.
void CowHead(cairo_t* cr, double rim) {
    cairo_move_to(cr, 6, 22);
    cairo_curve_to(cr, 0, 16, 6, 12, 12, 20);
    cairo_move_to(cr, 28, 20);
    cairo_curve_to(cr, 34, 12, 40, 16, 34, 22);
    SetHex(cr, kInk);
    cairo_set_line_width(cr, 7);
    cairo_stroke_preserve(cr);
    SetHex(cr, 0xF0E6C8);
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    EllipsePath(cr, 8, 30, 6, 3.5);
    EllipsePath(cr, 34, 30, 6, 3.5);
    SetHex(cr, 0xE8E0D8);
    FillAndOutline(cr, kInk, rim);
    RoundedRect(cr, 10, 20, 22, 34, 9);
    SetLinear(cr, 10, 0, 32, 0, {0xFFFFFF, 0xD8D4CC});
    FillAndOutline(cr, kInk, rim);
    RoundedRect(cr, 9, 42, 24, 15, 7);
    SetHex(cr, 0xF4B4B8);
    FillAndOutline(cr, kInk, rim);
    for (double x : {16.0, 26.0}) {
        EllipsePath(cr, x, 50, 1.6, 2.2);
        EllipsePath(cr, x, 31, 3.6, 4.2);
    }
    SetHex(cr, 0xFFFFFF);
    cairo_fill(cr);
    for (double x : {16.0, 26.0}) {
        EllipsePath(cr, x, 50, 1.6, 2.2);
        EllipsePath(cr, x + 0.8, 32, 1.8, 2.2);
    }
    SetHex(cr, kInk);
    cairo_fill(cr);
}

// A bell under the chin.
void CowBell(cairo_t* cr) {
    cairo_move_to(cr, 16, 56);
    cairo_line_to(cr, 26, 56);
    cairo_line_to(cr, 28, 66);
    cairo_line_to(cr, 14, 66);
    cairo_close_path(cr);
    SetLinear(cr, 14, 0, 28, 0, {0xFFE890, 0xC89010});
    FillAndOutline(cr, kInk, 1.5);
}

// The harness ring, where the parachute's cords meet.
void CowHarnessRing(cairo_t* cr) {
    EllipsePath(cr, kHarnessX, kCowRingY, 4.0, 4.0);
    cairo_set_line_width(cr, 2.5);
    SetHex(cr, 0xB8BCC0);
    cairo_stroke(cr);
}
}  // namespace

void DrawCow(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const double rim = 2.0;
    CowHarnessStraps(cr);
    CowLegs(cr, rim);
    CowTail(cr);
    CowBody(cr, rim);
    CowUdder(cr, rim);
    CowGirthBands(cr);
    CowHead(cr, rim);
    CowBell(cr);
    CowHarnessRing(cr);
}

// --- the helmet ------------------------------------------------------------------------------------
// A horned helmet, its dome centred on the villain's head: the scene draws it at the villain's x,
// 5 px above him.
void DrawHelmet(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const double cx = canvas.width() / 2.0, rim = 2.5;
    // horns: ivory, curving out and up from the sides of the dome
    for (double side : {-1.0, 1.0}) {
        cairo_move_to(cr, cx + side * 40, 52);
        cairo_curve_to(cr, cx + side * 70, 54, cx + side * 96, 40, cx + side * 100, 6);
        cairo_curve_to(cr, cx + side * 84, 30, cx + side * 66, 36, cx + side * 38, 34);
        cairo_close_path(cr);
        SetLinear(cr, cx + side * 40, 52, cx + side * 100, 6, {0xE8DCC0, 0xFFF8E8, 0xB8A880});
        FillAndOutline(cr, kInk, rim);
        // ridges across the horn
        SetHex(cr, 0x8A7A58);
        cairo_set_line_width(cr, 1.5);
        for (double t : {0.35, 0.55, 0.75}) {
            const double x = cx + side * (46 + 50 * t), y = 50 - 40 * t * t;
            cairo_move_to(cr, x - side * 3, y + 6);
            cairo_line_to(cr, x + side * 5, y - 6);
        }
        cairo_stroke(cr);
    }
    // dome: dark steel with a bright highlight at the upper left
    cairo_move_to(cr, cx - 50, 62);
    cairo_curve_to(cr, cx - 50, 14, cx - 24, 8, cx, 8);
    cairo_curve_to(cr, cx + 24, 8, cx + 50, 14, cx + 50, 62);
    cairo_close_path(cr);
    SetRadial(cr, cx - 18, 22, 70, {0xE8ECF0, 0x8A949E, 0x3A424A, 0x1A1E22});
    FillAndOutline(cr, kInk, rim);
    // the crest: a steel band from front to back
    cairo_move_to(cr, cx, 9);
    cairo_line_to(cr, cx, 60);
    SetHex(cr, 0x5A626A);
    cairo_set_line_width(cr, 7);
    cairo_stroke(cr);
    // brim band with rivets
    RoundedRect(cr, cx - 54, 56, 108, 14, 4);
    SetLinear(cr, 0, 56, 0, 70, {0xC8A040, 0x8A6A18, 0x5A4408});
    FillAndOutline(cr, kInk, rim);
    for (int i = -4; i <= 4; ++i) EllipsePath(cr, cx + i * 11.5, 63, 2.2, 2.2);
    SetHex(cr, 0xFFF0B0);
    cairo_fill(cr);
}

// --- the elephant emblem -----------------------------------------------------------------------------
namespace {

// The elephant's parts, about its centre line x = cx; rim is the outline's width.
// The crown: three gold points with red jewels.
void ElephantCrown(cairo_t* cr, double cx, double rim) {
    cairo_move_to(cr, cx - 26, 40);
    cairo_line_to(cr, cx - 30, 6);
    cairo_line_to(cr, cx - 13, 22);
    cairo_line_to(cr, cx, 2);
    cairo_line_to(cr, cx + 13, 22);
    cairo_line_to(cr, cx + 30, 6);
    cairo_line_to(cr, cx + 26, 40);
    cairo_close_path(cr);
    SetLinear(cr, 0, 2, 0, 40, {0xFFF4B0, 0xF0C030, 0xA07010});
    FillAndOutline(cr, kInk, rim);
    for (auto [x, y] : {std::pair{cx - 30, 8.0}, {cx, 5.0}, {cx + 30, 8.0}, {cx, 30.0}})
        EllipsePath(cr, x, y, 4, 4);
    SetHex(cr, 0xE01830);
    FillAndOutline(cr, kInk, 1.5);
}

// The ears: big fans behind the head, pink inside.
void ElephantEars(cairo_t* cr, double cx, double rim) {
    for (double side : {-1.0, 1.0}) {
        cairo_move_to(cr, cx + side * 20, 46);
        cairo_curve_to(cr, cx + side * 58, 30, cx + side * 64, 70, cx + side * 56, 102);
        cairo_curve_to(cr, cx + side * 48, 126, cx + side * 30, 118, cx + side * 22, 104);
        cairo_close_path(cr);
        SetLinear(cr, cx, 0, cx + side * 60, 0, {0x9AA6B8, 0x6A7488});
        FillAndOutline(cr, kInk, rim);
        cairo_move_to(cr, cx + side * 26, 56);
        cairo_curve_to(cr, cx + side * 50, 46, cx + side * 54, 76, cx + side * 48, 96);
        cairo_curve_to(cr, cx + side * 42, 110, cx + side * 32, 106, cx + side * 28, 98);
        cairo_close_path(cr);
        SetHex(cr, 0xE4A0A8);
        cairo_fill(cr);
    }
}

// Head and trunk in one shape: a dome, and a trunk hanging from it and curling up at the tip,
// with wrinkles across the trunk kept inside it.
void ElephantHeadAndTrunk(cairo_t* cr, double cx, double rim) {
    const double trunk[4][2] = {{cx, 92}, {cx + 2, 160}, {cx - 14, 214}, {cx + 22, 222}};
    const double curl[4][2] = {{cx + 20, 222}, {cx + 40, 226}, {cx + 48, 200}, {cx + 32, 196}};
    cairo_new_sub_path(cr);
    cairo_move_to(cr, cx - 31, 72);
    cairo_curve_to(cr, cx - 33, 34, cx + 33, 34, cx + 31, 72);
    cairo_curve_to(cr, cx + 30, 96, cx + 16, 108, cx, 108);
    cairo_curve_to(cr, cx - 16, 108, cx - 30, 96, cx - 31, 72);
    cairo_close_path(cr);
    TaperedPath(cr, trunk, 30, 15);
    TaperedPath(cr, curl, 15, 10);
    SetLinear(cr, cx - 30, 0, cx + 30, 0, {0xC8D2E0, 0x8E9AAE, 0x5E687C});
    OutlineThenFill(cr, kInk, rim / 2 + 0.5);
    cairo_save(cr);
    cairo_new_path(cr);
    TaperedPath(cr, trunk, 30, 15);
    cairo_clip(cr);
    SetHex(cr, 0x3A4252);
    cairo_set_line_width(cr, 1.5);
    for (double y = 124; y < 214; y += 9) {
        cairo_move_to(cr, cx - 20, y - 3);
        cairo_curve_to(cr, cx - 6, y + 3, cx + 6, y + 3, cx + 20, y - 3);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

void ElephantTusks(cairo_t* cr, double cx) {
    for (double side : {-1.0, 1.0}) {
        cairo_move_to(cr, cx + side * 14, 98);
        cairo_curve_to(cr, cx + side * 20, 118, cx + side * 30, 128, cx + side * 40, 128);
        cairo_curve_to(cr, cx + side * 30, 120, cx + side * 26, 108, cx + side * 24, 96);
        cairo_close_path(cr);
        SetLinear(cr, 0, 96, 0, 128, {0xFFFFF4, 0xD8CCA8});
        FillAndOutline(cr, kInk, 2.0);
    }
}

// Eyes with a glint.
void ElephantEyes(cairo_t* cr, double cx) {
    for (double side : {-1.0, 1.0}) {
        EllipsePath(cr, cx + side * 14, 70, 5, 6);
        SetHex(cr, 0xFFFFFF);
        FillAndOutline(cr, kInk, 1.5);
        EllipsePath(cr, cx + side * 13, 71, 2.6, 3.2);
        SetHex(cr, kInk);
        cairo_fill(cr);
    }
}

}  // namespace

// The studio's mascot: an elephant's head seen from the front, a gold crown on top and the trunk
// hanging and curling, tall enough to rise out of the blown-off peak.
void DrawElephant(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const double cx = 60, rim = 3.0;
    ElephantCrown(cr, cx, rim);
    ElephantEars(cr, cx, rim);
    ElephantHeadAndTrunk(cr, cx, rim);
    ElephantTusks(cr, cx);
    ElephantEyes(cr, cx);
}

namespace {

// --- dollars -------------------------------------------------------------------------------------
const LetterStyle kDollarSign{"DejaVu Sans Bold", 0xFFF6B0, 0xE0A010, 0x302000, 2.5, 0x5A3A00, 2, 2};

}  // namespace

void DrawBanknote(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    cairo_translate(cr, 32, 32);
    cairo_rotate(cr, -0.35);
    RoundedRect(cr, -29, -15, 58, 30, 2);
    SetLinear(cr, -29, -15, 29, 15, {0xC8E8B0, 0x8AC078, 0x5A9A50});
    FillAndOutline(cr, 0x163016, 2.0);
    RoundedRect(cr, -25, -11, 50, 22, 1);
    SetHex(cr, 0x2A5A2A);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    EllipsePath(cr, 0, 0, 8, 9);
    SetHex(cr, 0xE4F4D8);
    FillAndOutline(cr, 0x2A5A2A, 1.5);
    const LetterStyle ink{"DejaVu Sans Bold", 0x1E4A1E, 0x1E4A1E, 0x1E4A1E, 0.0, 0, 0, 0};
    DrawLettering(cr, "$", ink, -5, -7, 10, 14);
    DrawLettering(cr, "100", ink, -24, -10, 12, 7);
    DrawLettering(cr, "100", ink, 12, 3, 12, 7);
}

void DrawCoin(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    EllipsePath(cr, 32, 32, 28, 28);
    SetRadial(cr, 24, 22, 40, {0xFFF8C0, 0xF0C030, 0xA07010});
    FillAndOutline(cr, 0x3A2800, 2.5);
    EllipsePath(cr, 32, 32, 22, 22);
    SetHex(cr, 0x8A6008);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    const LetterStyle emboss{"DejaVu Sans Bold", 0xC89018, 0x8A5A00, 0xFFF0A0, 1.0, 0x5A3A00, 1, 1};
    DrawLettering(cr, "$", emboss, 20, 14, 24, 36);
}

void DrawDollarSign(Canvas& canvas) {
    LetterCard(canvas, "$", kDollarSign, 1);
}

void DrawMoneyBag(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    // sack: a round belly drawn in at the neck, with a flared top
    cairo_move_to(cr, 24, 16);
    cairo_curve_to(cr, 4, 30, 2, 60, 32, 61);
    cairo_curve_to(cr, 62, 60, 60, 30, 40, 16);
    cairo_close_path(cr);
    SetRadial(cr, 24, 34, 36, {0xF0DCA8, 0xC8A060, 0x7A5A28});
    FillAndOutline(cr, 0x2A1A08, 2.2);
    cairo_move_to(cr, 22, 16);
    cairo_line_to(cr, 16, 4);
    cairo_line_to(cr, 26, 9);
    cairo_line_to(cr, 32, 3);
    cairo_line_to(cr, 38, 9);
    cairo_line_to(cr, 48, 4);
    cairo_line_to(cr, 42, 16);
    cairo_close_path(cr);
    SetHex(cr, 0xD8BC80);
    FillAndOutline(cr, 0x2A1A08, 2.0);
    // the cord round the neck
    RoundedRect(cr, 20, 14, 24, 5, 2);
    SetHex(cr, 0xA02020);
    FillAndOutline(cr, 0x2A0808, 1.2);
    const LetterStyle mark{"DejaVu Sans Bold", 0x2A6A2A, 0x1A4A1A, 0xF0E8C8, 1.0, 0, 0, 0};
    DrawLettering(cr, "$", mark, 22, 28, 20, 28);
}

void DrawCoinStack(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    // five coins seen from above at a slant, piled slightly off-true; each shows its rim, the top one its
    // face
    constexpr double rx = 22, ry = 7, thick = 7;
    for (int i = 0; i < 5; ++i) {
        const double x = 32 + ((i * 37) % 7 - 3) * 0.8, y = 52 - i * thick;
        // the rim: the lower half of the face ellipse pushed down by the coin's thickness
        cairo_move_to(cr, x - rx, y);
        cairo_save(cr);
        cairo_translate(cr, x, y + thick);
        cairo_scale(cr, rx, ry);
        cairo_arc_negative(cr, 0, 0, 1, M_PI, 0);
        cairo_restore(cr);
        cairo_line_to(cr, x + rx, y);
        cairo_close_path(cr);
        SetLinear(cr, x - rx, 0, x + rx, 0, {0x906008, 0xF8D860, 0xC89020, 0x704C04});
        FillAndOutline(cr, 0x3A2800, 1.6);
        // ridges milled round the rim
        SetHex(cr, 0x6A4A00, 0.7);
        cairo_set_line_width(cr, 1.0);
        for (double u = -0.9; u <= 0.9; u += 0.15) {
            const double px = x + rx * u, py = y + ry * std::sqrt(1 - u * u);
            cairo_move_to(cr, px, py);
            cairo_line_to(cr, px, py + thick - 1);
        }
        cairo_stroke(cr);
        EllipsePath(cr, x, y, rx, ry);
        SetRadial(cr, x - 6, y - 3, 24, {0xFFF8C0, 0xF0C030, 0xB08018});
        FillAndOutline(cr, 0x3A2800, 1.6);
    }
    const LetterStyle mark{"DejaVu Sans Bold", 0xA07010, 0xA07010, 0xFFF0A0, 0.8, 0, 0, 0};
    cairo_save(cr);
    cairo_translate(cr, 32 + ((4 * 37) % 7 - 3) * 0.8, 52 - 4 * thick);
    cairo_scale(cr, 1, ry / rx);
    DrawLettering(cr, "$", mark, -9, -15, 18, 30);
    cairo_restore(cr);
}

namespace {

// --- the flying heads -------------------------------------------------------------------------------
// Two characters, three moods each: calm, shouting, and singed by the blast.

enum class Mood { kCalm, kShout, kSinged };

void HeadShape(cairo_t* cr) {
    // a rounded head on a short neck
    cairo_move_to(cr, 30, 94);
    cairo_line_to(cr, 30, 80);
    cairo_curve_to(cr, 14, 76, 10, 60, 10, 46);
    cairo_curve_to(cr, 10, 22, 24, 10, 40, 10);
    cairo_curve_to(cr, 58, 10, 70, 22, 70, 46);
    cairo_curve_to(cr, 70, 62, 64, 76, 50, 80);
    cairo_line_to(cr, 50, 94);
    cairo_close_path(cr);
}

void Eyes(cairo_t* cr, Mood mood, double y) {
    for (double x : {30.0, 50.0}) {
        if (mood == Mood::kSinged) {
            // crossed-out eyes
            cairo_move_to(cr, x - 5, y - 5);
            cairo_line_to(cr, x + 5, y + 5);
            cairo_move_to(cr, x + 5, y - 5);
            cairo_line_to(cr, x - 5, y + 5);
            SetHex(cr, kInk);
            cairo_set_line_width(cr, 2.5);
            cairo_stroke(cr);
            continue;
        }
        const double r = mood == Mood::kShout ? 7.0 : 5.5;
        EllipsePath(cr, x, y, r, r + 1);
        SetHex(cr, 0xFFFFFF);
        FillAndOutline(cr, kInk, 1.6);
        EllipsePath(cr, x + 1, y + 1, mood == Mood::kShout ? 2.0 : 2.8, mood == Mood::kShout ? 2.0 : 3.2);
        SetHex(cr, kInk);
        cairo_fill(cr);
    }
}

void Mouth(cairo_t* cr, Mood mood, bool grin) {
    if (mood == Mood::kShout) {
        EllipsePath(cr, 40, 66, 9, 8);
        SetHex(cr, 0x5A0A10);
        FillAndOutline(cr, kInk, 2);
        EllipsePath(cr, 40, 70, 5, 3);
        SetHex(cr, 0xE05060);
        cairo_fill(cr);
        return;
    }
    cairo_move_to(cr, 30, 66);
    if (mood == Mood::kSinged) {
        cairo_curve_to(cr, 34, 62, 38, 70, 42, 64);
        cairo_curve_to(cr, 44, 62, 48, 68, 50, 65);
    } else if (grin) {
        cairo_curve_to(cr, 34, 74, 46, 74, 50, 66);
    } else {
        cairo_curve_to(cr, 36, 64, 44, 64, 50, 68);
    }
    SetHex(cr, kInk);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
}

// Soot on a singed head: dark smudges over the face.
void Soot(cairo_t* cr, Random& random) {
    cairo_save(cr);
    HeadShape(cr);
    cairo_clip(cr);
    for (int i = 0; i < 7; ++i) {
        // one draw at a time, the radii first: no compiler's order of arguments decides the picture
        const double ry = random.Range(4, 8), rx = random.Range(5, 11), cy = random.Range(18, 86);
        EllipsePath(cr, random.Range(14, 66), cy, rx, ry);
    }
    SetHex(cr, 0x2A2624, 0.55);
    cairo_fill(cr);
    cairo_restore(cr);
}

// Head A: the villain, pale, black hair with a widow's peak, a curled moustache and a monocle.
void DrawHeadA(Canvas& canvas, Mood mood) {
    cairo_t* cr = canvas.cr();
    Random random(81 + static_cast<int>(mood));
    if (mood == Mood::kSinged) {
        // hair blown into a smoking frizz
        for (int i = 0; i < 12; ++i) {
            const double a = M_PI + i * M_PI / 11;
            EllipsePath(cr, 40 + 30 * std::cos(a), 34 + 26 * std::sin(a), 9, 9);
        }
        SetHex(cr, 0x3A3A3A);
        FillAndOutline(cr, kInk, 2.0);
    }
    // ears
    EllipsePath(cr, 11, 50, 5, 8);
    EllipsePath(cr, 69, 50, 5, 8);
    SetHex(cr, 0xE8BC98);
    FillAndOutline(cr, kInk, 2);
    HeadShape(cr);
    SetLinear(cr, 10, 0, 70, 0, {0xF8DCC0, 0xE8C0A0, 0xC89878});
    FillAndOutline(cr, kInk, 2.5);
    if (mood == Mood::kSinged) Soot(cr, random);
    if (mood != Mood::kSinged) {
        // slicked hair with a widow's peak
        cairo_move_to(cr, 10, 44);
        cairo_curve_to(cr, 8, 18, 24, 8, 40, 8);
        cairo_curve_to(cr, 56, 8, 72, 18, 70, 44);
        cairo_curve_to(cr, 64, 30, 52, 24, 40, 32);
        cairo_curve_to(cr, 28, 24, 16, 30, 10, 44);
        cairo_close_path(cr);
        SetLinear(cr, 0, 8, 0, 40, {0x3A3040, 0x101014});
        FillAndOutline(cr, kInk, 2);
    }
    // brows: angled down towards the nose, raised when shouting
    const double lift = mood == Mood::kShout ? -5 : 0;
    cairo_move_to(cr, 22, 36 + lift);
    cairo_line_to(cr, 36, 40 + lift);
    cairo_move_to(cr, 58, 36 + lift);
    cairo_line_to(cr, 44, 40 + lift);
    SetHex(cr, kInk);
    cairo_set_line_width(cr, 3.5);
    cairo_stroke(cr);
    Eyes(cr, mood, 47);
    // monocle over the right eye, on a chain
    if (mood != Mood::kSinged) {
        EllipsePath(cr, 50, 47, 9, 9);
        SetHex(cr, 0xD8B040);
        cairo_set_line_width(cr, 2.2);
        cairo_stroke(cr);
        cairo_move_to(cr, 58, 51);
        cairo_curve_to(cr, 64, 64, 62, 76, 56, 84);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
    // nose
    cairo_move_to(cr, 40, 48);
    cairo_curve_to(cr, 36, 56, 38, 58, 43, 57);
    SetHex(cr, 0x8A5A40);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    Mouth(cr, mood, false);
    // curled moustache
    for (double side : {-1.0, 1.0}) {
        cairo_move_to(cr, 40, 59);
        cairo_curve_to(cr, 40 + side * 10, 56, 40 + side * 18, 62, 40 + side * 20, 56);
        cairo_curve_to(cr, 40 + side * 22, 52, 40 + side * 18, 50, 40 + side * 17, 54);
        cairo_curve_to(cr, 40 + side * 14, 62, 40 + side * 8, 62, 40, 62);
        cairo_close_path(cr);
    }
    SetHex(cr, mood == Mood::kSinged ? 0x4A4A4A : 0x141016);
    FillAndOutline(cr, kInk, 1.2);
}

// Head B: the agent, tanned, with a blond quiff and dark glasses.
void DrawHeadB(Canvas& canvas, Mood mood) {
    cairo_t* cr = canvas.cr();
    Random random(84 + static_cast<int>(mood));
    EllipsePath(cr, 11, 50, 5, 8);
    EllipsePath(cr, 69, 50, 5, 8);
    SetHex(cr, 0xD09868);
    FillAndOutline(cr, kInk, 2);
    HeadShape(cr);
    SetLinear(cr, 10, 0, 70, 0, {0xE8B888, 0xD49C6C, 0xB07850});
    FillAndOutline(cr, kInk, 2.5);
    if (mood == Mood::kSinged) Soot(cr, random);
    // quiff: a blond wave rising over the forehead; singed, it stands up in spikes
    cairo_move_to(cr, 10, 40);
    if (mood == Mood::kSinged) {
        for (int i = 0; i <= 10; ++i) {
            const double x = 10 + i * 6, y = (i % 2 == 0) ? 4 + random.Range(0, 6) : 22;
            cairo_line_to(cr, x, y);
        }
        cairo_line_to(cr, 70, 40);
        cairo_curve_to(cr, 60, 26, 20, 26, 10, 40);
    } else {
        cairo_curve_to(cr, 6, 14, 30, 2, 52, 4);
        cairo_curve_to(cr, 64, 5, 74, 14, 70, 40);
        cairo_curve_to(cr, 62, 26, 46, 22, 34, 26);
        cairo_curve_to(cr, 22, 28, 14, 32, 10, 40);
    }
    cairo_close_path(cr);
    SetLinear(cr, 0, 2, 0, 40, {0xFFF0A0, 0xE8C040, 0xA87818});
    if (mood == Mood::kSinged) SetLinear(cr, 0, 2, 0, 40, {0x8A8070, 0x4A4030});
    FillAndOutline(cr, kInk, 2);
    if (mood == Mood::kCalm) {
        // dark glasses: two rounded lenses on a bar
        RoundedRect(cr, 18, 41, 19, 12, 4);
        RoundedRect(cr, 43, 41, 19, 12, 4);
        SetLinear(cr, 0, 41, 0, 53, {0x3A4A5A, 0x0A0C10});
        FillAndOutline(cr, kInk, 1.8);
        cairo_move_to(cr, 37, 45);
        cairo_line_to(cr, 43, 45);
        cairo_stroke(cr);
    } else {
        Eyes(cr, mood, 47);
        if (mood == Mood::kShout) {
            // the glasses knocked up onto the forehead
            cairo_save(cr);
            cairo_translate(cr, 40, 30);
            cairo_rotate(cr, -0.25);
            RoundedRect(cr, -22, -6, 19, 10, 4);
            RoundedRect(cr, 3, -6, 19, 10, 4);
            SetHex(cr, 0x101418);
            FillAndOutline(cr, kInk, 1.5);
            cairo_restore(cr);
        }
    }
    // nose and a square chin line
    cairo_move_to(cr, 40, 50);
    cairo_line_to(cr, 37, 58);
    cairo_line_to(cr, 42, 58);
    SetHex(cr, 0x7A4A28);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    Mouth(cr, mood, true);
}

}  // namespace

// --- the pictures nothing draws ---------------------------------------------------------------------
void DrawSmallMountain(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    // the peak's rock, a hooked summit leaning right
    cairo_move_to(cr, 2, 118);
    cairo_line_to(cr, 52, 60);
    cairo_line_to(cr, 88, 6);
    cairo_line_to(cr, 98, 10);
    cairo_line_to(cr, 108, 46);
    cairo_line_to(cr, 158, 118);
    cairo_close_path(cr);
    SetLinear(cr, 0, 6, 0, 118, {0x8A8478, 0x5A5448, 0x3A342C});
    FillAndOutline(cr, kInk, 2);
    // snow on the summit and the ridges
    cairo_move_to(cr, 66, 42);
    cairo_line_to(cr, 88, 6);
    cairo_line_to(cr, 98, 10);
    cairo_line_to(cr, 106, 40);
    cairo_line_to(cr, 96, 34);
    cairo_line_to(cr, 88, 46);
    cairo_line_to(cr, 78, 38);
    cairo_close_path(cr);
    SetLinear(cr, 0, 6, 0, 46, {0xFFFFFF, 0xD8E4F0});
    FillAndOutline(cr, kInk, 1.5);
}

void DrawChain(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    for (int i = 0; i < 6; ++i) {
        const double x = 16 + i * 26;
        if (i % 2 == 0) {
            // a link seen flat: an open oval ring
            EllipsePath(cr, x, 20, 17, 11);
            SetHex(cr, kInk);
            cairo_set_line_width(cr, 8);
            cairo_stroke(cr);
            EllipsePath(cr, x, 20, 17, 11);
            SetLinear(cr, 0, 8, 0, 32, {0xE0E4E8, 0x8A9098, 0x4A5058});
            cairo_set_line_width(cr, 5);
            cairo_stroke(cr);
        } else {
            // a link seen edge-on: a bar
            RoundedRect(cr, x - 18, 16, 36, 8, 4);
            SetLinear(cr, 0, 16, 0, 24, {0xE0E4E8, 0x6A7078});
            FillAndOutline(cr, kInk, 2);
        }
    }
}

void DrawBigBomb(Canvas& canvas) {
    DrawBomb(canvas, 1.0);
}
void DrawSmallBomb(Canvas& canvas) {
    DrawBomb(canvas, 0.5);
}
void DrawCalmHeadA(Canvas& canvas) {
    DrawHeadA(canvas, Mood::kCalm);
}
void DrawShoutingHeadA(Canvas& canvas) {
    DrawHeadA(canvas, Mood::kShout);
}
void DrawSingedHeadA(Canvas& canvas) {
    DrawHeadA(canvas, Mood::kSinged);
}
void DrawCalmHeadB(Canvas& canvas) {
    DrawHeadB(canvas, Mood::kCalm);
}
void DrawShoutingHeadB(Canvas& canvas) {
    DrawHeadB(canvas, Mood::kShout);
}
void DrawSingedHeadB(Canvas& canvas) {
    DrawHeadB(canvas, Mood::kSinged);
}

}  // namespace assets
