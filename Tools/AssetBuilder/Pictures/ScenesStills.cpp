// Stills: the credits page, six frames from imaginary movies shown before the explosion, and the
// closing pictures (seven full-frame stills and two framed pictures on black).
#include "AssetBuilder/Pictures/Drawings.h"
#include "AssetBuilder/Pictures/SceneKit.h"

#include <algorithm>
#include <cmath>

namespace assets::scene {

namespace {
constexpr double kPi = 3.14159265358979323846;

// Grain, a soft vignette and the wide-screen bars of a frame from a film.
void FilmFinish(Canvas& canvas, uint64_t seed) {
    Blur(canvas, 1, 1);
    Random rnd(seed);
    AddGrain(canvas, rnd, 10, Grain::kOpaqueOnly);
    Vignette(canvas, 0.45, Falloff::kSquare);
    Letterbox(canvas.cr(), canvas.width(), canvas.height(), 56);
}

void StillFinish(Canvas& canvas, uint64_t seed) {
    Blur(canvas, 1, 1);
    Random rnd(seed);
    AddGrain(canvas, rnd, 6, Grain::kOpaqueOnly);
    Vignette(canvas, 0.35, Falloff::kSquare);
}

Figure Person(Point pelvis, double height, View view) {
    Figure f;
    f.pelvis = pelvis;
    f.height = height;
    f.view = view;
    return f;
}

// A figure in plain silhouette: every part in one colour, no outline, no face.
void Silhouette(cairo_t* cr, Figure f, Rgb colour) {
    Outfit& o = f.outfit;
    o.skin = o.hair = o.top = o.sleeves = o.legs = o.shoes = o.hatColour = colour;
    o.face = Face::None;
    o.tie = false;
    // the kit shades and outlines every part: draw it aside and use only its coverage
    cairo_push_group(cr);
    DrawFigure(cr, f);
    cairo_pattern_t* coverage = cairo_pop_group(cr);
    SetColour(cr, colour);
    cairo_mask(cr, coverage);
    cairo_pattern_destroy(coverage);
}

// ---------------------------------------------------------------------------------------------
// Credits

}  // namespace

void Credits(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    FillVertical(cr, 0, 0, 640, 480, {{0, Hex(0x0A0A1E)}, {0.6, Hex(0x1E1034)}, {1, Hex(0x3A1430)}});
    Random rnd(91);
    Stars(cr, rnd, 120, 0, 0, 640, 480, 1.4);
    // film strips down both sides
    for (double x : {0.0, 604.0}) {
        cairo_rectangle(cr, x, 0, 36, 480);
        SetColour(cr, Hex(0x101014));
        cairo_fill(cr);
        for (double y = 6; y < 480; y += 24) {
            cairo_rectangle(cr, x + 10, y, 16, 12);
            SetColour(cr, Hex(0x5A5060));
            cairo_fill(cr);
        }
    }
    const Rgb gold = Hex(0xFFD060), ink = Hex(kInk), white = Hex(0xF4F0FF), soft = Hex(0xB8A8D8);
    CentredText(cr, "ZEMBRAVALE", "DejaVu Sans Bold Oblique 44", 320, 62, gold, Hex(0x6A1A10), 3);
    CentredText(cr, "a Nimbrel production", "DejaVu Serif Italic 18", 320, 108, soft, ink, 0);
    struct Line {
        const char* role;
        const char* name;
    };
    const Line lines[] = {{"code", "Kovrik"},  {"graphics", "Pelmarov"}, {"more graphics", "Sorvanik"},
                          {"music", "Rorozu"}, {"sync", "Zori"},         {"mountain", "played by itself"}};
    double y = 150;
    for (const Line& l : lines) {
        double w, h;
        TextExtent(cr, l.role, "DejaVu Sans 18", &w, &h);
        const double s[3] = {soft.r, soft.g, soft.b}, none[3] = {0, 0, 0};
        DrawOutlinedText(cr, l.role, "DejaVu Sans 18", 300 - w, y - h / 2, s, none, 0);
        TextExtent(cr, l.name, "DejaVu Sans Bold 20", &w, &h);
        const double f[3] = {white.r, white.g, white.b};
        DrawOutlinedText(cr, l.name, "DejaVu Sans Bold 20", 330, y - h / 2, f, none, 0);
        y += 34;
    }
    cairo_move_to(cr, 150, y);
    cairo_line_to(cr, 490, y);
    SetColour(cr, gold, 0.6);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    CentredText(cr, "greetings to everyone who still watches demos", "DejaVu Sans 15", 320, y + 28, soft, ink,
                0);
    CentredText(cr, "no mountains were harmed in the making", "DejaVu Serif Italic 14", 320, y + 56,
                Tint(soft, -0.2), ink, 0);
    // the studio's mountain as a small emblem at the bottom
    cairo_save(cr);
    const double s = 100.0 / 640;
    cairo_translate(cr, 270, 476 - 480 * s);
    cairo_scale(cr, s, s);
    MountainPath(cr);
    cairo_restore(cr);
    SetColour(cr, gold);
    cairo_fill(cr);
    Random grain(92);
    AddGrain(canvas, grain, 4, Grain::kOpaqueOnly);
}

namespace {

// ---------------------------------------------------------------------------------------------
// Movie stills

}  // namespace

// 1: a spy on a rooftop over the city at night.
void MovieRooftop(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    Random rnd(101);
    FillVertical(cr, 0, 0, 640, 480, {{0, Hex(0x060814)}, {0.6, Hex(0x18203C)}, {1, Hex(0x3A3050)}});
    Stars(cr, rnd, 80, 0, 0, 640, 200, 1.2);
    Glow(cr, 430, 250, 190, Hex(0xA0B0E0), 0.4);
    cairo_arc(cr, 430, 250, 72, 0, 2 * kPi);
    SetColour(cr, Hex(0xF0F0E4));
    cairo_fill(cr);
    for (int layer = 0; layer < 2; ++layer) {
        double x = -10;
        while (x < 650) {
            const double w = rnd.Range(40, 90), h = rnd.Range(120, 280) * (layer ? 0.8 : 1.0);
            const Rgb wall = layer ? Hex(0x141828) : Hex(0x222840);
            Facade(cr, rnd, x, 480 - h + layer * 40, w, h, wall, static_cast<int>(w / 14),
                   static_cast<int>(h / 16), layer ? 0.35 : 0.2);
            x += w + rnd.Range(2, 12);
        }
    }
    // the roof ledge and the spy crouching on it
    cairo_rectangle(cr, 0, 400, 640, 80);
    SetColour(cr, Hex(0x07070C));
    cairo_fill(cr);
    Figure spy = Person({420, 328}, 150, View::Right);
    spy.outfit.hat = Hat::Fedora;
    spy.outfit.coat = 0.25;
    spy.pose.lean = 10;
    spy.pose.arm[1][0] = 80, spy.pose.arm[1][1] = 100;
    spy.pose.leg[0][0] = 20, spy.pose.leg[1][0] = -10;
    Silhouette(cr, spy, Hex(0x07070C));
    FilmFinish(canvas, 102);
}

// 2: a red car racing along a mountain road at sunset.
void MovieMountainRoad(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    FillVertical(cr, 0, 0, 640, 480,
                 {{0, Hex(0x3A2A6A)}, {0.45, Hex(0xE0704A)}, {0.7, Hex(0xFFC070)}, {1, Hex(0xFFE0A0)}});
    Glow(cr, 140, 250, 160, Hex(0xFFF0B0), 0.7, false);
    cairo_save(cr);
    cairo_translate(cr, 180, 40);
    cairo_scale(cr, 0.8, 0.8);
    MountainPath(cr);
    cairo_restore(cr);
    FillPathVertical(cr, 130, 480, {{0, Hex(0x6A3A6A)}, {1, Hex(0x2A1A3A)}});
    cairo_move_to(cr, 0, 480);
    for (int x = 0; x <= 640; x += 10) cairo_line_to(cr, x, 330 + 30 * std::sin(x * 0.01 + 2));
    cairo_line_to(cr, 640, 480);
    cairo_close_path(cr);
    SetColour(cr, Hex(0x2A1A24));
    cairo_fill(cr);
    // the road sweeping in from the right
    cairo_move_to(cr, 640, 420);
    cairo_curve_to(cr, 420, 400, 300, 340, 120, 338);
    cairo_line_to(cr, 126, 346);
    cairo_curve_to(cr, 300, 360, 420, 440, 640, 470);
    cairo_close_path(cr);
    SetColour(cr, Hex(0x3A3440));
    cairo_fill(cr);
    cairo_move_to(cr, 640, 445);
    cairo_curve_to(cr, 420, 420, 300, 350, 123, 342);
    SetColour(cr, Hex(0xF0E0A0));
    const double dash[] = {14, 10};
    cairo_set_dash(cr, dash, 2, 0);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    // the car, with its dust cloud
    for (int k = 0; k < 8; ++k) Glow(cr, 430 + k * 18, 410 + k * 3, 30 + k * 4, Hex(0xE0B080), 0.35, false);
    const Rgb ink = Hex(kInk);
    cairo_save(cr);
    cairo_translate(cr, 380, 390);
    cairo_rotate(cr, 0.2);
    cairo_move_to(cr, -50, 0);
    cairo_curve_to(cr, -50, -14, -30, -16, -20, -16);
    cairo_curve_to(cr, -10, -32, 20, -32, 30, -16);
    cairo_line_to(cr, 48, -12);
    cairo_curve_to(cr, 56, -10, 56, 4, 50, 6);
    cairo_line_to(cr, -46, 6);
    cairo_close_path(cr);
    InkShape(cr, Hex(0xD02028), ink, 1.5, 0.3);
    for (double wx : {-28.0, 30.0}) {
        cairo_arc(cr, wx, 6, 8, 0, 2 * kPi);
        InkShape(cr, Hex(0x202024), ink, 1);
    }
    cairo_restore(cr);
    FilmFinish(canvas, 104);
}

// 3: two gunslingers facing off under the noon sun, in sepia.
void MovieDuel(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    FillVertical(cr, 0, 0, 640, 300, {{0, Hex(0xE8D0A0)}, {1, Hex(0xFFF0D0)}});
    Glow(cr, 320, 90, 120, Hex(0xFFFFFF), 0.9, false);
    FillVertical(cr, 0, 290, 640, 190, {{0, Hex(0xC8A070)}, {1, Hex(0x7A5A3A)}});
    PolygonPath(cr,
                {{0, 292}, {120, 270}, {200, 282}, {330, 268}, {460, 284}, {640, 272}, {640, 294}, {0, 294}});
    SetColour(cr, Hex(0xA08060));
    cairo_fill(cr);
    for (int side = -1; side <= 1; side += 2) {
        Figure g = Person({320 + side * 220.0, 330}, 150 + 0, side < 0 ? View::Right : View::Left);
        g.outfit.hat = Hat::Cowboy;
        g.pose.arm[1][0] = -10, g.pose.arm[1][1] = 20;
        g.pose.leg[0][0] = 12, g.pose.leg[1][0] = -12;
        Silhouette(cr, g, Hex(0x2A1A10));
        EllipsePath(cr, g.pelvis.x, 404, 60, 6);
        SetColour(cr, Hex(0x5A3A20), 0.5);
        cairo_fill(cr);
    }
    // a tumbleweed rolling between them
    Random rnd(105);
    cairo_set_line_width(cr, 1.2);
    SetColour(cr, Hex(0x5A4020));
    for (int i = 0; i < 40; ++i) {
        const double a = rnd.Range(0, 2 * kPi), b = rnd.Range(0, 2 * kPi);
        cairo_move_to(cr, 330 + std::cos(a) * 22, 380 + std::sin(a) * 20);
        cairo_curve_to(cr, 330, 380, 330, 380, 330 + std::cos(b) * 22, 380 + std::sin(b) * 20);
    }
    cairo_stroke(cr);
    Greyscale(canvas);
    Tone(canvas, 1.08, 0.94, 0.74);
    FilmFinish(canvas, 106);
}

// 4: a retro rocket leaving a ringed planet.
void MovieRocket(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    Random rnd(107);
    FillVertical(cr, 0, 0, 640, 480, {{0, Hex(0x02020A)}, {1, Hex(0x0E0A24)}});
    Stars(cr, rnd, 300, 0, 0, 640, 480, 1.8);
    Glow(cr, 160, 330, 300, Hex(0x6040A0), 0.3);
    cairo_save(cr);
    cairo_translate(cr, 160, 330);
    cairo_rotate(cr, -0.3);
    EllipsePath(cr, 0, 0, 260, 50);
    SetColour(cr, Hex(0xD8B080), 0.8);
    cairo_set_line_width(cr, 14);
    cairo_stroke(cr);
    cairo_restore(cr);
    cairo_arc(cr, 160, 330, 150, 0, 2 * kPi);
    FillPathVertical(cr, 180, 480, {{0, Hex(0xE09A5A)}, {0.5, Hex(0xB05A3A)}, {1, Hex(0x3A1A20)}});
    cairo_save(cr);
    cairo_arc(cr, 160, 330, 150, 0, 2 * kPi);
    cairo_clip(cr);
    for (int k = 0; k < 6; ++k) {
        cairo_rectangle(cr, 0, 220 + k * 40, 320, 12);
        SetColour(cr, Hex(0x7A3A2A), 0.35);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    cairo_save(cr);  // the front half of the ring over the planet
    cairo_translate(cr, 160, 330);
    cairo_rotate(cr, -0.3);
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_scale(cr, 260, 50);
    cairo_arc(cr, 0, 0, 1, 0, kPi);
    cairo_restore(cr);
    SetColour(cr, Hex(0xE8C090));
    cairo_set_line_width(cr, 14);
    cairo_stroke(cr);
    cairo_restore(cr);
    // the rocket
    const Rgb ink = Hex(kInk);
    cairo_save(cr);
    cairo_translate(cr, 450, 200);
    cairo_rotate(cr, 0.6);
    for (int k = 0; k < 3; ++k) {
        cairo_move_to(cr, -16 + k * 6, 70);
        cairo_curve_to(cr, -20 + k * 6, 120, 0, 170 - k * 30, 0, 180 - k * 40);
        cairo_curve_to(cr, 0, 170 - k * 30, 20 - k * 6, 120, 16 - k * 6, 70);
        cairo_close_path(cr);
        SetColour(cr, k == 0 ? Hex(0xF04A10) : k == 1 ? Hex(0xFFA020) : Hex(0xFFF4C0));
        cairo_fill(cr);
    }
    for (int side = -1; side <= 1; side += 2) {
        PolygonPath(cr, {{side * 24.0, 20}, {side * 50.0, 80}, {side * 20.0, 66}});
        InkShape(cr, Hex(0xC02030), ink, 2, 0.3);
    }
    cairo_move_to(cr, 0, -100);
    cairo_curve_to(cr, 40, -60, 34, 40, 22, 72);
    cairo_line_to(cr, -22, 72);
    cairo_curve_to(cr, -34, 40, -40, -60, 0, -100);
    cairo_close_path(cr);
    InkShape(cr, Hex(0xE0E4EC), ink, 2.5, 0.35);
    cairo_arc(cr, 0, -20, 12, 0, 2 * kPi);
    InkShape(cr, Hex(0x6AB0E0), ink, 2.5, 0.4);
    cairo_restore(cr);
    Glow(cr, 450 - 100, 200 + 130, 90, Hex(0xFF8030), 0.35);
    FilmFinish(canvas, 108);
}

// 5: a diver among fish under rays of light.
void MovieUnderwater(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    Random rnd(109);
    FillVertical(cr, 0, 0, 640, 480, {{0, Hex(0x2A9AC0)}, {0.5, Hex(0x0E5A86)}, {1, Hex(0x04203A)}});
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
    for (int k = 0; k < 9; ++k) {
        const double x = rnd.Range(0, 640), w = rnd.Range(14, 40);
        PolygonPath(cr, {{x, 0}, {x + w, 0}, {x + w * 3 - 160, 480}, {x - 160, 480}});
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, 480);
        cairo_pattern_add_color_stop_rgba(p, 0, 0.7, 0.9, 1.0, 0.22);
        cairo_pattern_add_color_stop_rgba(p, 1, 0.7, 0.9, 1.0, 0);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    cairo_restore(cr);
    // sea floor with weed
    cairo_move_to(cr, 0, 480);
    for (int x = 0; x <= 640; x += 20) cairo_line_to(cr, x, 440 + 10 * std::sin(x * 0.03));
    cairo_line_to(cr, 640, 480);
    cairo_close_path(cr);
    SetColour(cr, Hex(0x2A3A30));
    cairo_fill(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < 22; ++i) {
        const double x = rnd.Range(0, 640), h = rnd.Range(60, 160);
        cairo_move_to(cr, x, 450);
        cairo_curve_to(cr, x + 20, 450 - h / 3, x - 20, 450 - 2 * h / 3, x + rnd.Range(-10, 10), 450 - h);
        SetColour(cr, Mix(Hex(0x1A6A3A), Hex(0x3A8A4A), rnd.Uniform()));
        cairo_set_line_width(cr, rnd.Range(4, 9));
        cairo_stroke(cr);
    }
    // fish
    const Rgb ink = Hex(kInk);
    for (int i = 0; i < 12; ++i) {
        const double x = rnd.Range(40, 600), y = rnd.Range(60, 380), s = rnd.Range(0.4, 1.0);
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, s * (i % 2 ? -1 : 1), s);
        cairo_move_to(cr, -24, 0);
        cairo_line_to(cr, -40, -12);
        cairo_line_to(cr, -40, 12);
        cairo_close_path(cr);
        EllipsePath(cr, 0, 0, 28, 13);
        InkShape(cr, i % 3 ? Hex(0xF0A020) : Hex(0xF05A80), ink, 1.5, 0.35);
        cairo_restore(cr);
    }
    // the diver
    Figure diver = Person({300, 260}, 200, View::Right);
    diver.outfit.top = diver.outfit.sleeves = diver.outfit.legs = Hex(0x1A1A22);
    diver.outfit.shoes = Hex(0xF0D020);
    diver.outfit.hat = Hat::Helmet;
    diver.outfit.hatColour = Hex(0xF0D020);
    diver.pose.lean = 80;
    diver.pose.head = -40;
    diver.pose.arm[0][0] = 150, diver.pose.arm[0][1] = 140;
    diver.pose.arm[1][0] = 110, diver.pose.arm[1][1] = 100;
    diver.pose.leg[0][0] = -70, diver.pose.leg[0][1] = -90;
    diver.pose.leg[1][0] = -95, diver.pose.leg[1][1] = -110;
    const Joints j = DrawFigure(cr, diver);
    CapsulePath(cr, {j.neck.x - 30, j.neck.y + 4}, {j.pelvis.x - 10, j.pelvis.y - 14}, 26, 26);  // air tank
    InkShape(cr, Hex(0xC0C4CC), ink, 2, 0.35);
    for (int i = 0; i < 14; ++i) {  // bubbles rising
        const double x = j.head.x + rnd.Range(-10, 20), y = j.head.y - 20 - i * 18;
        cairo_arc(cr, x, y, rnd.Range(2, 6), 0, 2 * kPi);
        SetColour(cr, Hex(0xD0F0FF), 0.7);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
    FilmFinish(canvas, 110);
}

// 6: a detective at his desk behind the shadows of a blind, in black and white.
void MovieNoir(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    FillVertical(cr, 0, 0, 640, 480, {{0, Hex(0x3A3A3A)}, {1, Hex(0x141414)}});
    // the window light falling through the blind
    cairo_save(cr);
    for (int k = 0; k < 9; ++k) {
        const double y = 40 + k * 30;
        PolygonPath(cr, {{200, y}, {640, y + 60}, {640, y + 76}, {200, y + 14}});
    }
    SetColour(cr, Hex(0xD8D8D0), 0.55);
    cairo_fill(cr);
    cairo_restore(cr);
    // desk, lamp and the detective behind it
    Figure d = Person({300, 330}, 300, View::Front);
    d.outfit.top = d.outfit.sleeves = Hex(0x5A5A5A);
    d.outfit.hat = Hat::Fedora;
    d.outfit.hatColour = Hex(0x2A2A2A);
    d.outfit.tie = true;
    d.outfit.tieColour = Hex(0x1A1A1A);
    d.pose.arm[0][0] = 40, d.pose.arm[0][1] = 120;
    d.pose.arm[1][0] = -40, d.pose.arm[1][1] = -120;
    DrawFigure(cr, d);
    const Rgb ink = Hex(kInk);
    cairo_rectangle(cr, 60, 360, 520, 120);
    InkShape(cr, Hex(0x3A2A20), ink, 2, 0.3);
    cairo_rectangle(cr, 60, 350, 520, 14);
    InkShape(cr, Hex(0x5A4030), ink, 2, 0.3);
    PolygonPath(cr, {{470, 260}, {530, 260}, {550, 300}, {450, 300}});
    InkShape(cr, Hex(0x2A4A2A), ink, 2, 0.3);
    cairo_rectangle(cr, 496, 300, 8, 50);
    SetColour(cr, Hex(0x202020));
    cairo_fill(cr);
    Glow(cr, 500, 330, 160, Hex(0xFFF0C0), 0.5);
    // cigarette smoke curling up
    cairo_set_line_width(cr, 3);
    for (int k = 0; k < 3; ++k) {
        cairo_move_to(cr, 360 + k * 3, 250);
        cairo_curve_to(cr, 380, 200, 340, 170, 372 + k * 8, 120);
        SetColour(cr, Hex(0xE0E0E0), 0.25);
        cairo_stroke(cr);
    }
    Greyscale(canvas);
    FilmFinish(canvas, 112);
}

namespace {

// ---------------------------------------------------------------------------------------------
// Closing stills

}  // namespace

// fin01: dawn over the mountain with its summit gone, smoke trailing off.
void FinDawn(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    FillVertical(cr, 0, 0, 640, 480,
                 {{0, Hex(0x2A3A7A)}, {0.45, Hex(0xC07AA0)}, {0.7, Hex(0xFFB890)}, {1, Hex(0xFFE0B0)}});
    // smoke drifting from the broken top
    Random rnd(121);
    for (int k = 0; k < 26; ++k) {
        const double t = k / 25.0;
        const double dy = rnd.Range(-10, 10);
        Glow(cr, 310 + t * 300 + rnd.Range(-10, 10), 180 - t * 140 + dy, 30 + t * 50, Hex(0x6A5A70),
             0.5 * (1 - t * 0.6), false);
    }
    ToplessMountainPath(cr);
    FillPathVertical(cr, 180, 480, {{0, Hex(0x5A3A5A)}, {1, Hex(0x1A1426)}});
    Glow(cr, 310, 196, 60, Hex(0xFF9040), 0.4);
    cairo_move_to(cr, 0, 480);
    for (int x = 0; x <= 640; x += 8) cairo_line_to(cr, x, 400 + 14 * std::sin(x * 0.015));
    cairo_line_to(cr, 640, 480);
    cairo_close_path(cr);
    SetColour(cr, Hex(0x120E1A));
    cairo_fill(cr);
    StillFinish(canvas, 122);
}

// fin02: the agent walking away down a long road into the sunset.
void FinRoad(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    FillVertical(cr, 0, 0, 640, 300, {{0, Hex(0x3A2060)}, {0.6, Hex(0xE06A40)}, {1, Hex(0xFFD080)}});
    Glow(cr, 320, 290, 220, Hex(0xFFE0A0), 0.7, false);
    cairo_arc(cr, 320, 290, 50, kPi, 2 * kPi);
    SetColour(cr, Hex(0xFFF0C0));
    cairo_fill(cr);
    FillVertical(cr, 0, 290, 640, 190, {{0, Hex(0x5A3A2A)}, {1, Hex(0x1A1010)}});
    PolygonPath(cr, {{312, 290}, {328, 290}, {520, 480}, {120, 480}});
    FillPathVertical(cr, 290, 480, {{0, Hex(0xC08060)}, {1, Hex(0x3A2A2A)}});
    cairo_move_to(cr, 320, 292);
    cairo_line_to(cr, 320, 480);
    SetColour(cr, Hex(0xFFE0A0), 0.8);
    const double dash[] = {6, 10};
    cairo_set_dash(cr, dash, 2, 0);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    Figure a = Person({330, 340}, 110, View::Back);
    a.outfit.hat = Hat::Fedora;
    a.outfit.coat = 0.25;
    a.pose.leg[0][0] = 8, a.pose.leg[1][0] = -4, a.pose.leg[1][1] = -12;
    Silhouette(cr, a, Hex(0x140C10));
    StillFinish(canvas, 124);
}

// fin03: the villains behind bars.
void FinJail(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    FillVertical(cr, 0, 0, 640, 480, {{0, Hex(0x4A4A56)}, {1, Hex(0x2A2A32)}});
    Random rnd(125);
    for (int r = 0; r < 12; ++r) {  // brick wall
        for (int c = 0; c < 12; ++c) {
            cairo_rectangle(cr, c * 60 - (r % 2) * 30 + 2, r * 34 + 2, 56, 30);
            SetColour(cr, Mix(Hex(0x5A5A66), Hex(0x4A4652), rnd.Uniform()));
            cairo_fill(cr);
        }
    }
    cairo_rectangle(cr, 0, 400, 640, 80);
    SetColour(cr, Hex(0x2A2630));
    cairo_fill(cr);
    const uint32_t tops[] = {0x5A1A2A, 0x3A3446, 0xB8142A};
    const Hat hats[] = {Hat::TopHat, Hat::None, Hat::None};
    for (int i = 0; i < 3; ++i) {
        Figure v = Person({170 + i * 150.0, 260}, 290, View::Front);
        v.outfit.top = v.outfit.sleeves = Hex(tops[i]);
        v.outfit.hat = hats[i];
        v.outfit.hatColour = Hex(0x1A1820);
        v.outfit.face = Face::Calm;
        v.outfit.longHair = i == 2;
        v.outfit.skirt = i == 2 ? 0.35 : 0;
        v.pose.arm[0][0] = -150, v.pose.arm[0][1] = -175;  // hands up on the bars
        v.pose.arm[1][0] = 150, v.pose.arm[1][1] = 175;
        DrawFigure(cr, v);
    }
    for (double x = 30; x < 640; x += 52) {
        cairo_rectangle(cr, x, 0, 14, 480);
        cairo_pattern_t* p = cairo_pattern_create_linear(x, 0, x + 14, 0);
        cairo_pattern_add_color_stop_rgb(p, 0, 0.2, 0.2, 0.24);
        cairo_pattern_add_color_stop_rgb(p, 0.4, 0.7, 0.7, 0.76);
        cairo_pattern_add_color_stop_rgb(p, 1, 0.15, 0.15, 0.18);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    for (double y : {60.0, 420.0}) {
        cairo_rectangle(cr, 0, y, 640, 16);
        SetColour(cr, Hex(0x3A3A44));
        cairo_fill(cr);
    }
    StillFinish(canvas, 126);
}

// fin04: the morning paper.
void FinNewspaper(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    FillVertical(cr, 0, 0, 640, 480, {{0, Hex(0x5A3A24)}, {1, Hex(0x2A1A10)}});
    cairo_save(cr);
    cairo_translate(cr, 320, 250);
    cairo_rotate(cr, -0.08);
    cairo_rectangle(cr, -250, -220, 500, 440);
    SetColour(cr, {0, 0, 0}, 0.4);
    cairo_fill(cr);
    cairo_rectangle(cr, -256, -228, 500, 440);
    SetColour(cr, Hex(0xEDE6D6));
    cairo_fill(cr);
    const Rgb ink = Hex(0x1A1A1A);
    CentredText(cr, "THE ALPINE HERALD", "DejaVu Serif Bold 30", -6, -196, ink, ink, 0);
    cairo_rectangle(cr, -240, -172, 468, 3);
    SetColour(cr, ink);
    cairo_fill(cr);
    CentredText(cr, "MOUNTAIN LOSES ITS TOP", "DejaVu Sans Bold 22", -6, -140, ink, ink, 0);
    CentredText(cr, "casino saved at the last second", "DejaVu Serif Italic 16", -6, -108, ink, ink, 0);
    cairo_rectangle(cr, -240, -88, 230, 170);
    SetColour(cr, Hex(0x8A8A8A));
    cairo_fill(cr);
    cairo_save(cr);
    cairo_rectangle(cr, -240, -88, 230, 170);
    cairo_clip(cr);
    cairo_translate(cr, -240, -88);
    cairo_scale(cr, 230.0 / 640, 170.0 / 480);
    MountainPath(cr);
    SetColour(cr, Hex(0x3A3A3A));
    cairo_fill(cr);
    cairo_restore(cr);
    Random rnd(127);
    for (int col = 0; col < 2; ++col) {
        for (int line = 0; line < 26; ++line) {
            const double x = col == 0 ? -240 : 4, y = col == 0 ? 92 + line * 9 : -88 + line * 12;
            if (col == 0 && line > 10) break;
            const double w = (col == 0 ? 230 : 224) * rnd.Range(0.75, 1.0);
            cairo_rectangle(cr, x, y, w, 4);
        }
    }
    SetColour(cr, Hex(0x5A5A5A));
    cairo_fill(cr);
    cairo_restore(cr);
    // a coffee cup on the corner
    EllipsePath(cr, 560, 420, 52, 22);
    SetColour(cr, Hex(0xF0F0F0));
    cairo_fill(cr);
    EllipsePath(cr, 560, 416, 40, 15);
    SetColour(cr, Hex(0x3A2010));
    cairo_fill(cr);
    StillFinish(canvas, 128);
}

// fin05: the worker on holiday, a deck chair under a palm.
void FinBeach(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    FillVertical(cr, 0, 0, 640, 260, {{0, Hex(0x2A80D8)}, {1, Hex(0xA8E0F8)}});
    FillVertical(cr, 0, 250, 640, 80, {{0, Hex(0x1A8AB0)}, {1, Hex(0x2AB0C0)}});
    FillVertical(cr, 0, 320, 640, 160, {{0, Hex(0xF0D8A0)}, {1, Hex(0xD8B070)}});
    Glow(cr, 520, 70, 90, Hex(0xFFFFE0), 0.8, false);
    const Rgb ink = Hex(kInk);
    // palm
    cairo_move_to(cr, 120, 440);
    cairo_curve_to(cr, 130, 340, 150, 230, 190, 150);
    SetColour(cr, ink);
    cairo_set_line_width(cr, 26);
    cairo_stroke_preserve(cr);
    SetColour(cr, Hex(0x8A5A30));
    cairo_set_line_width(cr, 20);
    cairo_stroke(cr);
    for (int k = 0; k < 7; ++k) {
        const double a = -kPi + k * kPi / 6 - 0.2;
        cairo_move_to(cr, 190, 150);
        cairo_curve_to(cr, 190 + std::cos(a) * 60, 120 + std::sin(a) * 40, 190 + std::cos(a) * 120,
                       150 + std::sin(a) * 50, 190 + std::cos(a) * 150, 190 + std::sin(a) * 40);
        cairo_curve_to(cr, 190 + std::cos(a) * 110, 160 + std::sin(a) * 30, 190 + std::cos(a) * 60, 150, 190,
                       156);
        cairo_close_path(cr);
        InkShape(cr, Hex(0x2A8A3A), ink, 2, 0.3);
    }
    // the worker on holiday
    Figure w = Person({450, 352}, 210, View::Front);
    w.outfit.top = w.outfit.sleeves = Hex(0xF07A20);
    w.outfit.legs = Hex(0x3A8AD0);  // swimming shorts
    w.outfit.shoes = w.outfit.skin;
    w.outfit.hat = Hat::HardHat;
    w.outfit.hatColour = Hex(0xF8D020);
    w.outfit.sunglasses = true;
    w.outfit.face = Face::Smile;
    w.pose.arm[0][0] = -120, w.pose.arm[0][1] = -165;  // waving
    w.pose.arm[1][0] = 25, w.pose.arm[1][1] = -60;     // the cocktail held up
    const Joints j = DrawFigure(cr, w);
    PolygonPath(cr, {{j.hand[1].x - 12, j.hand[1].y - 30},
                     {j.hand[1].x + 12, j.hand[1].y - 30},
                     {j.hand[1].x, j.hand[1].y - 8}});
    InkShape(cr, Hex(0xF08AB0), ink, 1.5, 0.3);
    cairo_move_to(cr, j.hand[1].x + 4, j.hand[1].y - 28);
    cairo_line_to(cr, j.hand[1].x + 14, j.hand[1].y - 44);
    SetColour(cr, ink);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    // a striped parasol stuck in the sand beside him
    cairo_move_to(cr, 330, 440);
    cairo_line_to(cr, 350, 250);
    cairo_set_line_width(cr, 5);
    cairo_stroke(cr);
    for (int k = 0; k < 6; ++k) {
        const double a0 = kPi + k * kPi / 6, a1 = a0 + kPi / 6;
        cairo_move_to(cr, 350, 250);
        cairo_arc(cr, 350, 262, 110, a0, a1);
        cairo_close_path(cr);
        InkShape(cr, k % 2 ? Hex(0xF8F0E0) : Hex(0xE03040), ink, 2, 0.2);
    }
    StillFinish(canvas, 130);
}

// fin06: the lady's winning number on the roulette wheel.
void FinRoulette(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    FillVertical(cr, 0, 0, 640, 480, {{0, Hex(0x0E4A2A)}, {1, Hex(0x06261A)}});
    const Rgb ink = Hex(kInk);
    const double cx = 320, cy = 250;
    cairo_arc(cr, cx, cy, 220, 0, 2 * kPi);
    InkShape(cr, Hex(0x6A3A1A), ink, 3, 0.35);
    for (int k = 0; k < 37; ++k) {
        const double a0 = k * 2 * kPi / 37, a1 = (k + 1) * 2 * kPi / 37;
        cairo_move_to(cr, cx, cy);
        cairo_arc(cr, cx, cy, 180, a0, a1);
        cairo_close_path(cr);
        SetColour(cr, k == 0 ? Hex(0x108A3A) : (k % 2 ? Hex(0xC01820) : Hex(0x141414)));
        cairo_fill(cr);
    }
    cairo_arc(cr, cx, cy, 130, 0, 2 * kPi);
    InkShape(cr, Hex(0x8A5A2A), ink, 2, 0.4);
    for (int k = 0; k < 4; ++k) {  // the turret
        const double a = k * kPi / 2 + 0.3;
        CapsulePath(cr, {cx, cy}, {cx + std::cos(a) * 70, cy + std::sin(a) * 70}, 14, 8);
    }
    InkShape(cr, Hex(0xE0C060), ink, 2, 0.4);
    cairo_arc(cr, cx, cy, 22, 0, 2 * kPi);
    InkShape(cr, Hex(0xF0D070), ink, 2, 0.4);
    // the ball in its pocket
    const double a = 5 * 2 * kPi / 37 + 0.08;
    cairo_arc(cr, cx + std::cos(a) * 160, cy + std::sin(a) * 160, 9, 0, 2 * kPi);
    InkShape(cr, Hex(0xF8F8F8), ink, 1.5, 0.5);
    Glow(cr, 200, 120, 300, Hex(0xFFE0A0), 0.25);
    // her gloved hand and a stack of chips
    Random rnd(131);
    for (int k = 0; k < 8; ++k) {
        EllipsePath(cr, 560, 430 - k * 7, 34, 12);
        InkShape(cr, k % 2 ? Hex(0xD02030) : Hex(0xF0F0F0), ink, 1.5, 0.3);
    }
    StillFinish(canvas, 132);
}

// fin07: a cow grazing on the alpine meadow, the mountain back to its old self behind her.
void FinMeadow(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    FillVertical(cr, 0, 0, 640, 480, {{0, Hex(0x3A80D0)}, {0.5, Hex(0x9AD0F0)}, {1, Hex(0xD0F0FF)}});
    Random rnd(133);
    for (int k = 0; k < 4; ++k) {
        const double cx = 60 + k * 170 + rnd.Range(-30, 30), cy = rnd.Range(40, 100);
        for (int b = 0; b < 6; ++b) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, cx + (b - 2.5) * 18, cy - (b % 3 == 1 ? 14 : 0) - (b == 2 ? 10 : 0),
                      rnd.Range(16, 26), 0, 2 * kPi);
        }
        FillShaded(cr, Hex(0xF4F8FF), 0.08);
        cairo_new_path(cr);
    }
    cairo_save(cr);
    cairo_translate(cr, 0, 40);
    MountainPath(cr);
    cairo_restore(cr);
    FillPathVertical(cr, 158, 400,
                     {{0, Hex(0xFFFFFF)}, {0.22, Hex(0xE0E4F0)}, {0.4, Hex(0x9A94AA)}, {1, Hex(0x5A6A7A)}});
    cairo_move_to(cr, 0, 480);
    for (int x = 0; x <= 640; x += 8) cairo_line_to(cr, x, 330 + 20 * std::sin(x * 0.01 + 1));
    cairo_line_to(cr, 640, 480);
    cairo_close_path(cr);
    FillPathVertical(cr, 310, 480, {{0, Hex(0x7AC050)}, {1, Hex(0x3A7A2A)}});
    for (int i = 0; i < 80; ++i) {  // flowers
        const double x = rnd.Range(0, 640), y = rnd.Range(360, 480);
        cairo_arc(cr, x, y, rnd.Range(1.5, 3), 0, 2 * kPi);
        const uint32_t colours[] = {0xFFFFFF, 0xF0D020, 0xE060A0, 0x8080F0};
        SetColour(cr, Hex(colours[i % 4]));
        cairo_fill(cr);
    }
    // the cow
    const Rgb ink = Hex(kInk);
    for (double lx : {250.0, 275.0, 360.0, 385.0}) {
        CapsulePath(cr, {lx, 380}, {lx, 430}, 18, 14);
        InkShape(cr, Hex(0xF4F0E8), ink, 2.5, 0.25);
    }
    EllipsePath(cr, 318, 365, 92, 46);
    InkShape(cr, Hex(0xF4F0E8), ink, 3, 0.25);
    cairo_save(cr);
    EllipsePath(cr, 318, 365, 92, 46);
    cairo_clip(cr);
    for (const Point& p : {Point{290, 350}, Point{350, 380}, Point{380, 340}}) {
        EllipsePath(cr, p.x, p.y, 22, 16);
        SetColour(cr, Hex(0x3A2A22));
        cairo_fill(cr);
    }
    cairo_restore(cr);
    EllipsePath(cr, 222, 372, 30, 34);
    InkShape(cr, Hex(0xF4F0E8), ink, 3, 0.25);
    EllipsePath(cr, 212, 396, 24, 16);
    InkShape(cr, Hex(0xF0B0A0), ink, 2.5, 0.25);
    cairo_arc(cr, 214, 364, 4, 0, 2 * kPi);
    cairo_arc(cr, 236, 364, 4, 0, 2 * kPi);
    SetColour(cr, ink);
    cairo_fill(cr);
    for (int side = -1; side <= 1; side += 2) {
        PolygonPath(cr, {{222.0 + side * 16, 344}, {222.0 + side * 30, 326}, {222.0 + side * 24, 346}});
        InkShape(cr, Hex(0xE8E0C0), ink, 2, 0.3);
    }
    cairo_arc(cr, 222, 412, 9, 0, 2 * kPi);  // the bell
    InkShape(cr, Hex(0xE0B030), ink, 2, 0.4);
    StillFinish(canvas, 134);
}

// fin08 on black: a snapshot of the mountain under the stars, pinned at a slant.
void FinSnapshot(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    SetColour(cr, {0, 0, 0});
    cairo_paint(cr);
    cairo_save(cr);
    cairo_translate(cr, 198, 151);
    cairo_rotate(cr, -0.07);
    cairo_rectangle(cr, -170, -130, 340, 260);
    SetColour(cr, Hex(0xF4F0E8));
    cairo_fill(cr);
    cairo_rectangle(cr, -156, -116, 312, 196);
    cairo_clip(cr);
    FillVertical(cr, -156, -116, 312, 196, {{0, Hex(0x0A1030)}, {1, Hex(0x3A3060)}});
    Random rnd(135);
    Stars(cr, rnd, 80, -156, -116, 312, 120, 1.5);
    cairo_translate(cr, -156, -100);
    cairo_scale(cr, 312.0 / 640, 180.0 / 480 * 1.1);
    MountainPath(cr);
    FillPathVertical(cr, 118, 480, {{0, Hex(0xA0B0E0)}, {0.3, Hex(0x4A4A70)}, {1, Hex(0x1A1A2E)}});
    cairo_restore(cr);
    cairo_save(cr);
    cairo_translate(cr, 198, 151);
    cairo_rotate(cr, -0.07);
    CentredText(cr, "we were there", "DejaVu Serif Italic 16", 0, 104, Hex(0x2A2A5A), Hex(0x2A2A5A), 0);
    cairo_restore(cr);
}

// fin09 on black: a clapperboard for the last take.
void FinClapper(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    SetColour(cr, {0, 0, 0});
    cairo_paint(cr);
    const Rgb ink = Hex(0x0A0A0A);
    cairo_rectangle(cr, 40, 110, 315, 180);
    InkShape(cr, Hex(0x26262C), Hex(0x8A8A90), 2, 0.2);
    cairo_save(cr);
    cairo_translate(cr, 40, 104);
    cairo_rotate(cr, -0.25);
    cairo_rectangle(cr, 0, -40, 318, 40);
    cairo_save(cr);
    cairo_clip_preserve(cr);
    SetColour(cr, Hex(0xF0F0F0));
    cairo_fill(cr);
    for (double x = -20; x < 340; x += 48) {
        PolygonPath(cr, {{x, 0}, {x + 24, 0}, {x + 48, -40}, {x + 24, -40}});
    }
    SetColour(cr, ink);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_restore(cr);
    cairo_rectangle(cr, 40, 110, 315, 34);
    cairo_save(cr);
    cairo_clip_preserve(cr);
    SetColour(cr, Hex(0xF0F0F0));
    cairo_fill(cr);
    for (double x = 20; x < 380; x += 48)
        PolygonPath(cr, {{x, 144}, {x + 24, 144}, {x + 48, 110}, {x + 24, 110}});
    SetColour(cr, ink);
    cairo_fill(cr);
    cairo_restore(cr);
    const Rgb chalk = Hex(0xE8E8E0);
    auto label = [&](const char* text, double x, double y, const char* font) {
        double w, h;
        TextExtent(cr, text, font, &w, &h);
        const double c[3] = {chalk.r, chalk.g, chalk.b}, none[3] = {0, 0, 0};
        DrawOutlinedText(cr, text, font, x, y, c, none, 0);
    };
    label("PROD.", 56, 156, "DejaVu Sans Bold 12");
    label("ZEMBRAVALE", 110, 150, "DejaVu Sans Bold 22");
    label("SCENE", 56, 196, "DejaVu Sans Bold 12");
    label("51", 110, 190, "DejaVu Sans Bold 22");
    label("TAKE", 200, 196, "DejaVu Sans Bold 12");
    label("LAST", 250, 190, "DejaVu Sans Bold 22");
    label("DIRECTOR  Nimbrel", 56, 236, "DejaVu Sans Bold 14");
    label("CAMERA  Pelmarov", 56, 260, "DejaVu Sans Bold 14");
    cairo_move_to(cr, 40, 182);
    cairo_line_to(cr, 355, 182);
    cairo_move_to(cr, 40, 222);
    cairo_line_to(cr, 355, 222);
    cairo_move_to(cr, 190, 182);
    cairo_line_to(cr, 190, 222);
    SetColour(cr, chalk, 0.7);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
}

}  // namespace assets::scene
