// The mountain story's pictures: the studio mountain in three moods with its four light maps, the
// title lettering, the strange fresco behind the mountain, the agent, the villains, the figure
// crying for help, the diving car and the two dancers.
#include "AssetBuilder/Pictures/Drawings.h"
#include "AssetBuilder/Pictures/SceneKit.h"

#include <algorithm>
#include <initializer_list>
#include <cmath>

namespace assets::scene {

namespace {
constexpr double kPi = 3.14159265358979323846;

void Paint(cairo_t* cr, Rgb c) {
    SetColour(cr, c);
    cairo_paint(cr);
}

// ---------------------------------------------------------------------------------------------
// The mountain

enum class Mood { Dark, Light, Topless };

struct MountainPalette {
    Rgb rockTop, rockBottom, snowLit, snowShade, rim, hills, trees, meadow;
    double litGain, shadeGain;
};

MountainPalette PaletteOf(Mood mood) {
    switch (mood) {
        case Mood::Dark:
            return {Hex(0x4C4E72), Hex(0x1A1A2E), Hex(0xA6B4E4), Hex(0x6874A6), Hex(0xC8D4FF),
                    Hex(0x141A30), Hex(0x0C1424), Hex(0x18223A), 1.12,          0.72};
        case Mood::Light:
            return {Hex(0xB08474), Hex(0x5C4658), Hex(0xFFF4EA), Hex(0xAEB6DE), Hex(0xFFE6C8),
                    Hex(0x4E6A42), Hex(0x2C4A30), Hex(0x6E9A50), 1.18,          0.78};
        case Mood::Topless:
            break;
    }
    return {Hex(0x6A4248), Hex(0x22161E), Hex(0xE8C0B8), Hex(0x8A6A84), Hex(0xFFB070),
            Hex(0x2A1A24), Hex(0x180E16), Hex(0x3A2630), 1.15,          0.7};
}

// The silhouette; for the topless mountain everything above the broken edge is left out.
void MountainShape(cairo_t* cr, bool topless) {
    if (!topless) {
        MountainPath(cr);
        return;
    }
    ToplessMountainPath(cr);
}

// Rock, gullies and snow, per pixel over the opaque silhouette: a lit east face right of the
// central ridge, a shaded west face left of it, streaks down the fall line, snow that thins out
// lower down.
void TextureMountain(Canvas& canvas, const MountainPalette& pal, Rgb haze) {
    const ValueNoise gullies(11), snow(12), grain(13);
    // the ridge height over every column, for snow that gathers along the crest
    std::vector<double> crestY(640);
    const auto& ridge = MountainRidge();
    for (size_t i = 1; i < ridge.size(); ++i) {
        for (int x = static_cast<int>(std::ceil(ridge[i - 1].x));
             x <= static_cast<int>(ridge[i].x) && x < 640; ++x) {
            const double t = (x - ridge[i - 1].x) / (ridge[i].x - ridge[i - 1].x);
            crestY[x] = ridge[i - 1].y + (ridge[i].y - ridge[i - 1].y) * t;
        }
    }
    PixelAccess px(canvas);
    for (int y = 0; y < px.height(); ++y) {
        uint32_t* row = px.Row(y);
        const double depth = std::clamp((y - 118) / 362.0, 0.0, 1.0);
        const Rgb rock = Mix(pal.rockTop, pal.rockBottom, depth);
        const double ridgeX = 320 - (y - 118) * 0.14;
        const double hazeAmount = Smoothstep(230, 345, y) * 0.45;  // the air thickens towards the valley
        for (int x = 0; x < px.width(); ++x) {
            if ((row[x] >> 24) != 0xFF) continue;
            const double lit = Smoothstep(-5, 5, x - ridgeX) * (1 - Smoothstep(300, 380, y));
            const double gain = pal.shadeGain + (pal.litGain - pal.shadeGain) * (0.35 + 0.65 * lit);
            const double g = gullies.Fbm(x * 0.085, y * 0.013, 3);
            const double streak = 0.72 + 0.56 * g;
            Rgb c{rock.r * gain * streak, rock.g * gain * streak, rock.b * gain * streak};
            // snow lies in streaks down the slope, gathers on the crest and thins out with depth
            const double crest = 1 - Smoothstep(0, 45, y - crestY[x]);
            const double s = snow.Fbm(x * 0.045 + 3, y * 0.016, 4) + (1 - depth) * 0.5 + (g - 0.5) * 0.45 -
                             depth * 0.2 + crest * 0.22;
            const double cover = Smoothstep(0.8, 0.86, s) * (1 - Smoothstep(280, 340, y));
            const Rgb snowColour = Mix(pal.snowShade, pal.snowLit, lit);
            c = Mix(c, Mix(snowColour, Tint(snowColour, -0.25), 1 - streak), cover);
            c = Mix(c, haze, hazeAmount);
            const double n = (grain.At(x * 0.9, y * 0.9) - 0.5) * 0.06;
            row[x] = Opaque({c.r + n, c.g + n, c.b + n});
        }
    }
}

// Foothills, pine forest and a village along the bottom of the frame.
void Foreground(cairo_t* cr, const MountainPalette& pal, Mood mood, Random& rnd) {
    const Rgb ink = Hex(kInk);
    // rolling foothills
    cairo_new_path(cr);
    cairo_move_to(cr, 0, 480);
    for (int x = 0; x <= 640; x += 8) {
        cairo_line_to(
            cr, x,
            346 + 16 * std::sin(x * 0.011 + 0.5) + 7 * std::sin(x * 0.043 + 1) + 3 * std::sin(x * 0.13));
    }
    cairo_line_to(cr, 640, 480);
    cairo_close_path(cr);
    FillPathVertical(cr, 330, 480, {{0, pal.meadow}, {0.35, pal.hills}, {1, Tint(pal.hills, -0.6)}});
    // three rows of pines, far ones smaller and paler
    for (int rowIndex = 0; rowIndex < 3; ++rowIndex) {
        const double base = 372 + rowIndex * 28;
        const double scale = 0.6 + rowIndex * 0.3;
        const Rgb tree = Tint(pal.trees, 0.12 - rowIndex * 0.1);
        for (double x = -10; x < 650; x += rnd.Range(9, 16) * scale) {
            if (rowIndex == 2 && x > 180 && x < 470) continue;  // the village's clearing
            const double h = rnd.Range(26, 46) * scale, w = h * 0.42;
            const double by = base + rnd.Range(-6, 6);
            PolygonPath(cr, {{x, by - h}, {x + w / 2, by}, {x - w / 2, by}});
            SetColour(cr, tree);
            cairo_fill(cr);
            PolygonPath(cr, {{x, by - h}, {x + w / 2, by}, {x + w * 0.05, by}});
            SetColour(cr, Tint(tree, -0.35));
            cairo_fill(cr);
        }
    }
    // chalets
    for (int i = 0; i < 9; ++i) {
        const double cx = 200 + i * 31 + rnd.Range(-6, 6), by = 452 + rnd.Range(-8, 8);
        const double w = rnd.Range(20, 30), h = w * 0.6;
        cairo_rectangle(cr, cx - w / 2, by - h, w, h);
        InkShape(cr, mood == Mood::Light ? Hex(0x8A5A36) : Hex(0x3A2A2A), ink, 1);
        PolygonPath(cr, {{cx - w * 0.65, by - h}, {cx, by - h - w * 0.45}, {cx + w * 0.65, by - h}});
        InkShape(cr, mood == Mood::Light ? Hex(0xB83A2A) : Hex(0x2A2230), ink, 1);
        for (int k = 0; k < 2; ++k) {
            cairo_rectangle(cr, cx - w * 0.3 + k * w * 0.38, by - h * 0.7, w * 0.22, h * 0.3);
            const bool lit = mood != Mood::Light && rnd.Uniform() < 0.8;
            SetColour(cr, lit ? Hex(0xFFC860) : Hex(0x202030));
            cairo_fill(cr);
            if (lit) Glow(cr, cx - w * 0.2 + k * w * 0.38, by - h * 0.55, 12, Hex(0xFFA040), 0.35);
        }
    }
    // church with its steeple
    cairo_rectangle(cr, 334, 426, 13, 26);
    PolygonPath(cr, {{332, 427}, {340.5, 396}, {349, 427}});
    InkShape(cr, mood == Mood::Light ? Hex(0xE8E0D0) : Hex(0x4A4A5A), ink, 1.2);
    FillVertical(cr, 0, 462, 640, 18, {{0, Tint(pal.hills, -0.5), 0}, {1, Tint(pal.hills, -0.7)}});
}

void DrawMountain(Canvas& canvas, Mood mood) {
    cairo_t* cr = canvas.cr();
    const MountainPalette pal = PaletteOf(mood);
    const bool topless = mood == Mood::Topless;
    MountainShape(cr, topless);
    SetColour(cr, pal.rockTop);
    cairo_fill(cr);
    TextureMountain(canvas, pal,
                    mood == Mood::Light  ? Hex(0xB8B4D0)
                    : mood == Mood::Dark ? Hex(0x262C4A)
                                         : Hex(0x3A2434));
    // rim light along the ridge, inside the silhouette only
    cairo_save(cr);
    MountainShape(cr, topless);
    cairo_clip(cr);
    cairo_new_path(cr);
    const auto& ridge = MountainRidge();
    for (const Point& p : ridge) cairo_line_to(cr, p.x, p.y + 0.6);
    SetColour(cr, pal.rim, mood == Mood::Light ? 0.85 : 0.7);
    cairo_set_line_width(cr, 3);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    // the central ridge line between the two faces
    cairo_move_to(cr, kSummit.x, kSummit.y);
    for (double y = kSummit.y; y < 330; y += 12)
        cairo_line_to(cr, 320 - (y - 118) * 0.14 + std::sin(y * 0.2) * 2, y);
    SetColour(cr, pal.rim, 0.28);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    if (topless) {
        // the wound left by the blast: glowing rock and cracks of fire under the broken edge
        Glow(cr, 308, 196, 110, Hex(0xFF6A20), 0.65);
        Glow(cr, 308, 192, 45, Hex(0xFFD080), 0.6);
        Random cracks(23);
        cairo_set_line_width(cr, 1.6);
        for (int i = 0; i < 14; ++i) {
            double x = cracks.Range(240, 380), y = 190;
            cairo_move_to(cr, x, y);
            for (int k = 0; k < 7; ++k) {
                x += cracks.Range(-7, 7);
                y += cracks.Range(5, 13);
                cairo_line_to(cr, x, y);
            }
            SetColour(cr, Hex(0xFFB040), 0.8);
            cairo_stroke(cr);
        }
        cairo_new_path(cr);
        for (const Point& p : BrokenRidge()) cairo_line_to(cr, p.x, p.y + 1);
        SetColour(cr, Hex(0xFFE0A0));
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    Random rnd(mood == Mood::Dark ? 31 : mood == Mood::Light ? 32 : 33);
    Foreground(cr, pal, mood, rnd);
}

// ---------------------------------------------------------------------------------------------
// Light maps: grey on black, soft, aligned on the mountain's summit and ridge.

void BlackFrame(Canvas& canvas) {
    Paint(canvas.cr(), {0, 0, 0});
}

void StrokeRidge(cairo_t* cr, double width, double alpha) {
    cairo_new_path(cr);
    for (const Point& p : MountainRidge()) cairo_line_to(cr, p.x, p.y);
    cairo_set_source_rgba(cr, 1, 1, 1, alpha);
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

void GlowMap(Canvas& canvas, bool strong) {
    BlackFrame(canvas);
    cairo_t* cr = canvas.cr();
    StrokeRidge(cr, strong ? 20 : 10, strong ? 1.0 : 0.85);
    Blur(canvas, strong ? 14 : 10);
    const Rgb white{1, 1, 1};
    if (strong) {
        Glow(cr, kSummit.x, kSummit.y + 10, 320, white, 0.75);
        Glow(cr, kSummit.x, kSummit.y + 4, 120, white, 0.9);
        cairo_arc(cr, kSummit.x, kSummit.y + 6, 16, 0, 2 * kPi);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
        Blur(canvas, 3);
        // a bright core that stays white after the blur: the last thing to burn out
        Glow(cr, kSummit.x, kSummit.y + 6, 40, white, 1.0);
    } else {
        Glow(cr, kSummit.x, kSummit.y + 10, 170, white, 0.5);
        Blur(canvas, 3);
    }
}

}  // namespace

void BlastMap(Canvas& canvas) {
    BlackFrame(canvas);
    cairo_t* cr = canvas.cr();
    Random rnd(41);
    for (int i = 0; i < 56; ++i) {
        const double a = rnd.Range(0, 2 * kPi), spread = rnd.Range(0.015, 0.05), len = rnd.Range(90, 430);
        PolygonPath(cr, {{kSummit.x, kSummit.y},
                         {kSummit.x + std::cos(a - spread) * len, kSummit.y + std::sin(a - spread) * len},
                         {kSummit.x + std::cos(a + spread) * len, kSummit.y + std::sin(a + spread) * len}});
        cairo_pattern_t* p = cairo_pattern_create_radial(kSummit.x, kSummit.y, 0, kSummit.x, kSummit.y, len);
        cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, rnd.Range(0.6, 1.0));
        cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0);
        cairo_set_source(cr, p);
        cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    Blur(canvas, 2);
    const Rgb white{1, 1, 1};
    Glow(cr, kSummit.x, kSummit.y, 260, white, 0.7);
    Glow(cr, kSummit.x, kSummit.y, 90, white, 1.0);
    cairo_arc(cr, kSummit.x, kSummit.y, 30, 0, 2 * kPi);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);
    Blur(canvas, 4);
}

void SecondBlastMap(Canvas& canvas) {
    BlackFrame(canvas);
    cairo_t* cr = canvas.cr();
    // the shock ring around the broken peak
    cairo_save(cr);
    cairo_translate(cr, kSummit.x, kSummit.y + 40);
    cairo_scale(cr, 1, 0.42);
    cairo_arc(cr, 0, 0, 230, 0, 2 * kPi);
    cairo_restore(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.75);
    cairo_set_line_width(cr, 22);
    cairo_stroke(cr);
    Blur(canvas, 9);
    // a billowing, glowing cloud rising over the summit
    {
        const ValueNoise billow(42);
        PixelAccess px(canvas);
        for (int y = 0; y < 300; ++y) {
            uint32_t* row = px.Row(y);
            for (int x = 120; x < 520; ++x) {
                const double dx = (x - 320) / 170.0, dy = (y - 95) / 120.0;
                const double d = std::sqrt(dx * dx + dy * dy);
                const double v = (1.15 - d) * 1.4 + (billow.Fbm(x * 0.02, y * 0.02, 4) - 0.5) * 1.3;
                const uint32_t add = static_cast<uint32_t>(std::clamp(v, 0.0, 1.0) * 235);
                const uint32_t old = row[x] & 0xFF;
                const uint32_t g = std::min<uint32_t>(255, old + add);
                row[x] = 0xFF000000u | (g << 16) | (g << 8) | g;
            }
        }
    }
    Blur(canvas, 6);
    Glow(cr, kSummit.x, kSummit.y + 60, 150, {1, 1, 1}, 0.8);
    Blur(canvas, 2);
}

namespace {

// ---------------------------------------------------------------------------------------------
// The title lettering

}  // namespace

void TitleOverlay(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const std::string font = "DejaVu Sans Bold Oblique 96";
    const std::string text = "ZEMBRAVALE";
    double tw, th;
    TextExtent(cr, text, font, &tw, &th);
    const double scale = 600.0 / tw;
    cairo_save(cr);
    cairo_translate(cr, 14, 318);
    cairo_scale(cr, scale, scale);
    // extruded sides, back to front
    for (int k = 14; k >= 1; --k) {
        TextPath(cr, text, font, k * 0.9, k * 1.1);
        SetColour(cr, Mix(Hex(0x3A0812), Hex(0x9A2418), (14 - k) / 14.0));
        cairo_fill(cr);
    }
    TextPath(cr, text, font, 0, 0);
    SetColour(cr, Hex(kInk));
    cairo_set_line_width(cr, 7);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, 18, 0, th - 14);
    cairo_pattern_add_color_stop_rgb(face, 0.0, 1.0, 0.97, 0.72);
    cairo_pattern_add_color_stop_rgb(face, 0.45, 1.0, 0.78, 0.18);
    cairo_pattern_add_color_stop_rgb(face, 0.55, 0.94, 0.46, 0.08);
    cairo_pattern_add_color_stop_rgb(face, 1.0, 0.78, 0.16, 0.08);
    cairo_set_source(cr, face);
    cairo_fill(cr);
    cairo_pattern_destroy(face);
    // a thin shine across the upper half of the letters
    cairo_save(cr);
    TextPath(cr, text, font, 0, 0);
    cairo_clip(cr);
    cairo_rectangle(cr, 0, th * 0.3, tw, th * 0.06);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.55);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_restore(cr);
    // sparkles on the letters
    const Point glints[] = {{92, 345}, {318, 336}, {540, 352}, {450, 410}};
    for (const Point& g : glints) {
        cairo_save(cr);
        cairo_translate(cr, g.x, g.y);
        cairo_move_to(cr, 0, -16);
        cairo_curve_to(cr, 2, -2, 2, -2, 16, 0);
        cairo_curve_to(cr, 2, 2, 2, 2, 0, 16);
        cairo_curve_to(cr, -2, 2, -2, 2, -16, 0);
        cairo_curve_to(cr, -2, -2, -2, -2, 0, -16);
        cairo_set_source_rgb(cr, 1, 1, 0.92);
        cairo_fill(cr);
        cairo_restore(cr);
    }
}

namespace {

// ---------------------------------------------------------------------------------------------
// The strange fresco (1024x608), painted flat and then aged like plaster

// Sky, stars and distant violet hills on the horizon.
void FrescoSky(cairo_t* cr) {
    Random rnd(51);
    FillVertical(cr, 0, 0, 1024, 430,
                 {{0, Hex(0x123C58)}, {0.5, Hex(0x2E7A86)}, {0.85, Hex(0xD89A50)}, {1, Hex(0xF0B860)}});
    Stars(cr, rnd, 90, 0, 0, 1024, 220, 2.5);
    // distant violet hills on the horizon
    cairo_move_to(cr, 0, 430);
    for (int x = 0; x <= 1024; x += 32)
        cairo_line_to(cr, x, 410 - 22 * std::sin(x * 0.011) - 10 * std::sin(x * 0.037));
    cairo_line_to(cr, 1024, 430);
    cairo_close_path(cr);
    SetColour(cr, Hex(0x6A4A7A));
    cairo_fill(cr);
}

// A chequered floor running to a vanishing point.
void FrescoFloor(cairo_t* cr) {
    const double vx = 512, vy = 360, top = 430, bottom = 608;
    for (int r = 0; r < 9; ++r) {
        auto rowY = [&](int k) { return top + (bottom - top) * std::pow(k / 9.0, 1.7); };
        const double y0 = rowY(r), y1 = rowY(r + 1);
        for (int c = -14; c < 14; ++c) {
            auto xAt = [&](double xb, double y) { return vx + (xb - vx) * (y - vy) / (bottom - vy); };
            const double xb0 = vx + c * 110, xb1 = vx + (c + 1) * 110;
            PolygonPath(cr, {{xAt(xb0, y0), y0}, {xAt(xb1, y0), y0}, {xAt(xb1, y1), y1}, {xAt(xb0, y1), y1}});
            SetColour(cr, ((r + c) & 1) ? Hex(0xC4482C) : Hex(0xF0DAA8));
            cairo_fill(cr);
        }
    }
}

// An arcade on the left with its long shadow.
void FrescoArcade(cairo_t* cr, Rgb ink) {
    PolygonPath(cr, {{170, 470}, {420, 600}, {260, 608}, {0, 608}, {0, 480}});
    SetColour(cr, Hex(0x2A1A20), 0.45);
    cairo_fill(cr);
    cairo_rectangle(cr, 0, 220, 175, 255);
    InkShape(cr, Hex(0xE8B878), ink, 3);
    for (int i = 0; i < 3; ++i) {
        const double ax = 18 + i * 54;
        cairo_move_to(cr, ax, 470);
        cairo_line_to(cr, ax, 330);
        cairo_arc(cr, ax + 18, 330, 18, kPi, 2 * kPi);
        cairo_line_to(cr, ax + 36, 470);
        cairo_close_path(cr);
        SetColour(cr, Hex(0x3A2028));
        cairo_fill(cr);
    }
    cairo_rectangle(cr, 0, 205, 182, 18);
    InkShape(cr, Hex(0xC89058), ink, 3);
}

// A spiral tower on the right.
void FrescoTower(cairo_t* cr, Rgb ink) {
    PolygonPath(cr, {{900, 480}, {940, 160}, {980, 480}});
    InkShape(cr, Hex(0xE0C8A0), ink, 3);
    for (int k = 0; k < 8; ++k) {
        const double y = 180 + k * 38;
        const double half = (y - 160) / 320 * 40;
        cairo_move_to(cr, 940 - half, y);
        cairo_line_to(cr, 940 + half, y + 22);
        cairo_line_to(cr, 940 + half, y + 30);
        cairo_line_to(cr, 940 - half, y + 8);
        cairo_close_path(cr);
        SetColour(cr, Hex(0x9A3A30));
        cairo_fill(cr);
    }
}

// The sun, with a face.
void FrescoSun(cairo_t* cr, Rgb ink) {
    const double sx = 260, sy = 190;
    for (int i = 0; i < 20; ++i) {
        const double a = i * 2 * kPi / 20, b = a + kPi / 20;
        PolygonPath(cr, {{sx + std::cos(a - 0.12) * 80, sy + std::sin(a - 0.12) * 80},
                         {sx + std::cos(b) * (i % 2 ? 150 : 125), sy + std::sin(b) * (i % 2 ? 150 : 125)},
                         {sx + std::cos(a + 0.42) * 80, sy + std::sin(a + 0.42) * 80}});
        InkShape(cr, i % 2 ? Hex(0xF8C838) : Hex(0xF08A28), ink, 2.5);
    }
    cairo_arc(cr, sx, sy, 92, 0, 2 * kPi);
    InkShape(cr, Hex(0xFFD84A), ink, 3, 0.3);
    cairo_set_line_width(cr, 5);
    SetColour(cr, ink);
    cairo_arc(cr, sx - 32, sy - 12, 16, kPi * 0.15, kPi * 0.85);
    cairo_stroke(cr);
    cairo_arc(cr, sx + 32, sy - 12, 16, kPi * 0.15, kPi * 0.85);
    cairo_stroke(cr);
    cairo_arc(cr, sx, sy + 14, 42, kPi * 0.2, kPi * 0.8);
    cairo_stroke(cr);
    Glow(cr, sx - 52, sy + 24, 20, Hex(0xF05030), 0.5, false);
    Glow(cr, sx + 52, sy + 24, 20, Hex(0xF05030), 0.5, false);
}

// A crescent moon: a disc with a bite taken out, drawn aside so the bite clears only the moon.
void FrescoMoon(cairo_t* cr, Rgb ink) {
    cairo_push_group(cr);
    cairo_arc(cr, 880, 100, 56, 0, 2 * kPi);
    InkShape(cr, Hex(0xFFF2C0), ink, 2.5, 0.15);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_arc(cr, 906, 86, 50, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_save(cr);
    cairo_arc(cr, 880, 100, 56, 0, 2 * kPi);
    cairo_clip(cr);
    cairo_arc(cr, 906, 86, 50, 0, 2 * kPi);
    SetColour(cr, ink);
    cairo_set_line_width(cr, 5);
    cairo_stroke(cr);
    cairo_restore(cr);
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
}

// A giant floating eye weeping onto the floor.
void FrescoEye(cairo_t* cr, Rgb ink) {
    cairo_save(cr);
    cairo_translate(cr, 660, 270);
    cairo_move_to(cr, -150, 0);
    cairo_curve_to(cr, -70, -95, 70, -95, 150, 0);
    cairo_curve_to(cr, 70, 95, -70, 95, -150, 0);
    cairo_close_path(cr);
    InkShape(cr, Hex(0xFAF4E8), ink, 4, 0.15);
    cairo_arc(cr, 0, 0, 62, 0, 2 * kPi);
    InkShape(cr, Hex(0x2A6AB0), ink, 3, 0.3);
    for (int k = 0; k < 14; ++k) {
        const double a = k * 2 * kPi / 14;
        cairo_move_to(cr, std::cos(a) * 30, std::sin(a) * 30);
        cairo_line_to(cr, std::cos(a) * 58, std::sin(a) * 58);
    }
    SetColour(cr, Hex(0x8AC0F0), 0.6);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    cairo_arc(cr, 0, 0, 28, 0, 2 * kPi);
    SetColour(cr, Hex(0x0C0810));
    cairo_fill(cr);
    cairo_arc(cr, -18, -20, 10, 0, 2 * kPi);
    SetColour(cr, {1, 1, 1});
    cairo_fill(cr);
    for (int k = -4; k <= 4; ++k) {
        const double x = k * 30, y = -70 + std::abs(k) * 6;
        cairo_move_to(cr, x, y + 6);
        cairo_line_to(cr, x * 1.3, y - 30);
    }
    SetColour(cr, ink);
    cairo_set_line_width(cr, 5);
    cairo_stroke(cr);
    cairo_move_to(cr, 40, 110);
    cairo_curve_to(cr, 58, 140, 64, 160, 48, 172);
    cairo_curve_to(cr, 32, 180, 22, 160, 40, 110);
    InkShape(cr, Hex(0x8AD0F8), ink, 2.5, 0.3);
    cairo_restore(cr);
}

// A striped balloon drifting between sun and eye.
void FrescoBalloon(cairo_t* cr, Rgb ink) {
    cairo_save(cr);
    cairo_translate(cr, 480, 96);
    for (int k = 0; k < 6; ++k) {
        const double a0 = -kPi / 2 + (k - 3) * 0.36, a1 = a0 + 0.36;
        cairo_move_to(cr, 0, 78);
        cairo_line_to(cr, std::cos(a0) * 58, std::sin(a0) * 70);
        cairo_line_to(cr, std::cos(a1) * 58, std::sin(a1) * 70);
        cairo_close_path(cr);
    }
    cairo_restore(cr);
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, 480, 96);
    cairo_scale(cr, 58, 70);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    InkShape(cr, Hex(0xE84848), ink, 3);
    for (int k = -2; k <= 2; k += 2) {
        cairo_save(cr);
        cairo_translate(cr, 480 + k * 14, 96);
        cairo_scale(cr, 12, 70);
        cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
        cairo_restore(cr);
        SetColour(cr, Hex(0xF8E8C0));
        cairo_fill(cr);
    }
    cairo_move_to(cr, 440, 130);
    cairo_line_to(cr, 468, 186);
    cairo_move_to(cr, 520, 130);
    cairo_line_to(cr, 492, 186);
    SetColour(cr, ink);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_rectangle(cr, 466, 186, 28, 20);
    InkShape(cr, Hex(0x9A6A3A), ink, 2);
}

// Fish swimming through the sky.
void FrescoFish(cairo_t* cr, Rgb ink) {
    const Point fish[] = {{130, 330}, {420, 300}, {820, 380}, {620, 150}};
    const uint32_t fishColours[] = {0xF07830, 0x3AA0C0, 0xE8C040, 0xD05090};
    for (int i = 0; i < 4; ++i) {
        cairo_save(cr);
        cairo_translate(cr, fish[i].x, fish[i].y);
        const double dir = (i % 2) ? -1 : 1;
        cairo_scale(cr, dir, 1);
        cairo_move_to(cr, -40, 0);
        cairo_line_to(cr, -66, -20);
        cairo_line_to(cr, -62, 0);
        cairo_line_to(cr, -66, 20);
        cairo_close_path(cr);
        cairo_save(cr);
        cairo_scale(cr, 48, 22);
        cairo_new_sub_path(cr);
        cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
        cairo_restore(cr);
        InkShape(cr, Hex(fishColours[i]), ink, 2.5);
        for (int s = -1; s <= 1; ++s) {
            cairo_move_to(cr, s * 12, -18);
            cairo_line_to(cr, s * 12 + 4, 18);
        }
        SetColour(cr, ink, 0.5);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        cairo_arc(cr, 30, -4, 4, 0, 2 * kPi);
        SetColour(cr, ink);
        cairo_fill(cr);
        cairo_restore(cr);
    }
}

// A pocket watch melting over a block on the floor.
void FrescoWatch(cairo_t* cr, Rgb ink) {
    cairo_rectangle(cr, 560, 500, 150, 60);
    InkShape(cr, Hex(0x7A5A8A), ink, 3);
    cairo_move_to(cr, 560, 500);
    cairo_curve_to(cr, 560, 440, 700, 440, 710, 500);
    cairo_curve_to(cr, 712, 530, 700, 560, 690, 590);
    cairo_curve_to(cr, 680, 600, 672, 560, 660, 505);
    cairo_close_path(cr);
    InkShape(cr, Hex(0xF0E0A0), ink, 3);
    cairo_move_to(cr, 632, 480);
    cairo_line_to(cr, 632, 462);
    cairo_move_to(cr, 632, 480);
    cairo_line_to(cr, 654, 486);
    SetColour(cr, ink);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
}

// The fresco's elements back to front.
void FrescoScene(cairo_t* cr) {
    const Rgb ink = Hex(0x2A1A1A);
    FrescoSky(cr);
    FrescoFloor(cr);
    FrescoArcade(cr, ink);
    FrescoTower(cr, ink);
    FrescoSun(cr, ink);
    FrescoMoon(cr, ink);
    FrescoEye(cr, ink);
    FrescoBalloon(cr, ink);
    FrescoFish(cr, ink);
    FrescoWatch(cr, ink);
}

// Plaster: blotchy brightness, hairline cracks, grain. (u, v) = fresco coordinates of a pixel.
void AgeFresco(Canvas& canvas, double zoom, double offsetX, double offsetY) {
    cairo_t* cr = canvas.cr();
    Random rnd(52);
    cairo_save(cr);
    cairo_translate(cr, offsetX, offsetY);
    cairo_scale(cr, zoom, zoom);
    for (int i = 0; i < 26; ++i) {
        double x = rnd.Range(0, 1024), y = rnd.Range(0, 608);
        cairo_move_to(cr, x, y);
        double a = rnd.Range(0, 2 * kPi);
        for (int k = 0; k < 12; ++k) {
            a += rnd.Range(-0.6, 0.6);
            x += std::cos(a) * rnd.Range(6, 18);
            y += std::sin(a) * rnd.Range(6, 18);
            cairo_line_to(cr, x, y);
        }
    }
    SetColour(cr, Hex(0x2A1A10), 0.45);
    cairo_set_line_width(cr, 1.1);
    cairo_stroke(cr);
    cairo_restore(cr);
    const ValueNoise blotch(53);
    {
        PixelAccess px(canvas);
        for (int y = 0; y < px.height(); ++y) {
            uint32_t* row = px.Row(y);
            for (int x = 0; x < px.width(); ++x) {
                const double u = (x - offsetX) / zoom, v = (y - offsetY) / zoom;
                const double f = 0.8 + 0.32 * blotch.Fbm(u * 0.012, v * 0.012, 4);
                const uint32_t p = row[x];
                const Rgb c{((p >> 16) & 0xFF) / 255.0 * f, ((p >> 8) & 0xFF) / 255.0 * f,
                            (p & 0xFF) / 255.0 * f};
                // a warm cast: old varnish
                row[x] = Opaque(Mix(c, Hex(0xC8A070), 0.1));
            }
        }
    }
    Random grain(54);
    AddGrain(canvas, grain, 9, Grain::kOpaqueOnly);
}

void DrawFresco(Canvas& canvas, double zoom) {
    cairo_t* cr = canvas.cr();
    // zoomed about a point left of the eye so the pan still crosses sun, eye and balloon
    const double cx = 560, cy = 290;
    const double offsetX = cx - cx * zoom, offsetY = cy - cy * zoom;
    cairo_save(cr);
    cairo_translate(cr, offsetX, offsetY);
    cairo_scale(cr, zoom, zoom);
    FrescoScene(cr);
    cairo_restore(cr);
    AgeFresco(canvas, zoom, offsetX, offsetY);
}

// ---------------------------------------------------------------------------------------------
// The agent seen from behind: a broad trench coat, turned-up collar and a fedora. The coat covers
// the block x 42-311, y 220-441 completely (magnified views jump around inside it).

}  // namespace
namespace {

// The coat body with square shoulders.
void AgentCoat(cairo_t* cr, Rgb ink, Rgb coat) {
    cairo_new_path(cr);
    cairo_move_to(cr, 6, 480);
    cairo_curve_to(cr, 10, 380, 16, 290, 22, 244);
    cairo_curve_to(cr, 26, 218, 40, 204, 74, 196);
    cairo_line_to(cr, 132, 178);
    cairo_line_to(cr, 222, 178);
    cairo_line_to(cr, 282, 196);
    cairo_curve_to(cr, 316, 204, 330, 220, 334, 246);
    cairo_curve_to(cr, 340, 300, 344, 390, 348, 480);
    cairo_close_path(cr);
    InkShape(cr, coat, ink, 4, 0.28);
}

// The storm flap across the shoulders, the centre vent and the belt.
void AgentCoatDetails(cairo_t* cr, Rgb ink, Rgb coat) {
    cairo_move_to(cr, 40, 212);
    cairo_curve_to(cr, 110, 260, 240, 260, 316, 212);
    cairo_line_to(cr, 300, 200);
    cairo_line_to(cr, 60, 200);
    cairo_close_path(cr);
    InkShape(cr, Tint(coat, -0.08), ink, 3, 0.2);
    cairo_move_to(cr, 177, 250);
    cairo_line_to(cr, 180, 480);
    SetColour(cr, ink, 0.8);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    cairo_rectangle(cr, 16, 404, 326, 30);
    InkShape(cr, Tint(coat, -0.2), ink, 3);
    cairo_rectangle(cr, 158, 400, 40, 38);
    SetColour(cr, ink);
    cairo_set_line_width(cr, 5);
    cairo_stroke(cr);
}

// Arm seams and folds.
void AgentArmSeams(cairo_t* cr, Rgb coat) {
    cairo_move_to(cr, 62, 230);
    cairo_curve_to(cr, 56, 300, 60, 360, 64, 404);
    cairo_move_to(cr, 294, 230);
    cairo_curve_to(cr, 300, 300, 298, 360, 294, 404);
    cairo_move_to(cr, 110, 300);
    cairo_curve_to(cr, 118, 340, 116, 370, 112, 400);
    cairo_move_to(cr, 246, 300);
    cairo_curve_to(cr, 240, 340, 242, 370, 246, 400);
    SetColour(cr, Tint(coat, -0.45), 0.7);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
}

// Neck, ears and the back of the head.
void AgentHead(cairo_t* cr, Rgb ink) {
    cairo_rectangle(cr, 146, 130, 62, 60);
    InkShape(cr, Hex(0xC89474), ink, 3, 0.2);
    for (int side = -1; side <= 1; side += 2) {
        cairo_save(cr);
        cairo_translate(cr, 177 + side * 52, 110);
        cairo_scale(cr, 10, 18);
        cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
        cairo_restore(cr);
        InkShape(cr, Hex(0xD8A484), ink, 3);
    }
    cairo_save(cr);
    cairo_translate(cr, 177, 96);
    cairo_scale(cr, 54, 64);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    InkShape(cr, Hex(0x2E2018), ink, 3, 0.3);
}

// The turned-up collar.
void AgentCollar(cairo_t* cr, Rgb ink, Rgb coat) {
    cairo_move_to(cr, 120, 186);
    cairo_line_to(cr, 132, 138);
    cairo_line_to(cr, 177, 150);
    cairo_line_to(cr, 222, 138);
    cairo_line_to(cr, 234, 186);
    cairo_curve_to(cr, 200, 196, 154, 196, 120, 186);
    cairo_close_path(cr);
    InkShape(cr, Tint(coat, 0.05), ink, 3);
}

// The fedora.
void AgentFedora(cairo_t* cr, Rgb ink) {
    cairo_save(cr);
    cairo_translate(cr, 177, 62);
    cairo_scale(cr, 100, 20);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    InkShape(cr, Hex(0x2C2A30), ink, 3, 0.3);
    cairo_move_to(cr, 120, 64);
    cairo_curve_to(cr, 118, 20, 126, 0, 150, 2);
    cairo_curve_to(cr, 166, 10, 188, 10, 204, 2);
    cairo_curve_to(cr, 228, 0, 236, 20, 234, 64);
    cairo_close_path(cr);
    InkShape(cr, Hex(0x34323A), ink, 3, 0.3);
    cairo_rectangle(cr, 121, 44, 112, 14);
    SetColour(cr, Hex(0x141218));
    cairo_fill(cr);
}

// Moonlight on the right shoulder.
void AgentMoonlight(cairo_t* cr) {
    cairo_save(cr);
    cairo_move_to(cr, 282, 196);
    cairo_curve_to(cr, 316, 204, 330, 220, 334, 246);
    cairo_curve_to(cr, 340, 300, 344, 390, 348, 480);
    SetColour(cr, Hex(0xC8D4FF), 0.5);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    cairo_restore(cr);
}
}  // namespace

void Agent(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const Rgb ink = Hex(kInk);
    const Rgb coat = Hex(0x8A7A5E);
    AgentCoat(cr, ink, coat);
    AgentCoatDetails(cr, ink, coat);
    AgentArmSeams(cr, coat);
    AgentHead(cr, ink);
    AgentCollar(cr, ink, coat);
    AgentFedora(cr, ink);
    AgentMoonlight(cr);
}

namespace {

// ---------------------------------------------------------------------------------------------
// People

Figure Person(Point pelvis, double height, View view) {
    Figure f;
    f.pelvis = pelvis;
    f.height = height;
    f.view = view;
    return f;
}

// The gang, back row first: the boss in the middle, hands on his hips.
Figure GangBoss() {
    Figure boss = Person({330, 262}, 400, View::Front);
    boss.outfit.top = boss.outfit.sleeves = Hex(0x5A1A2A);
    boss.outfit.legs = Hex(0x2A1620);
    boss.outfit.hat = Hat::TopHat;
    boss.outfit.hatColour = Hex(0x1A1820);
    boss.outfit.coat = 0.3;
    boss.outfit.face = Face::Smile;
    boss.outfit.skin = Hex(0xD8B088);
    boss.pose.arm[0][0] = -38, boss.pose.arm[0][1] = 42;  // elbows out
    boss.pose.arm[1][0] = 38, boss.pose.arm[1][1] = -42;
    boss.pose.leg[0][0] = 8, boss.pose.leg[1][0] = -8;
    return boss;
}

Figure GangBrute(Rgb suit, Rgb black) {
    Figure brute = Person({170, 282}, 390, View::Front);
    brute.outfit.top = brute.outfit.sleeves = suit;
    brute.outfit.legs = black;
    brute.outfit.sunglasses = true;
    brute.outfit.tie = true;
    brute.outfit.hair = Hex(0x101010);
    brute.outfit.skin = Hex(0xB07A58);
    brute.pose.arm[0][0] = 20, brute.pose.arm[0][1] = 70;  // arms folded in front
    brute.pose.arm[1][0] = -20, brute.pose.arm[1][1] = -70;
    return brute;
}

Figure GangLady() {
    Figure lady = Person({480, 290}, 370, View::Front);
    lady.outfit.top = lady.outfit.sleeves = Hex(0xB8142A);
    lady.outfit.skirt = 0.42;
    lady.outfit.longHair = true;
    lady.outfit.hair = Hex(0x101018);
    lady.outfit.shoes = Hex(0xB8142A);
    lady.outfit.face = Face::Smile;
    lady.outfit.sunglasses = true;
    lady.pose.arm[0][0] = -28, lady.pose.arm[0][1] = 35;
    lady.pose.arm[1][0] = -150, lady.pose.arm[1][1] = -175;  // a gloved hand raised
    lady.pose.leg[0][0] = 2, lady.pose.leg[1][0] = -2;
    return lady;
}

// The front row, shorter and closer.
Figure GangShorty() {
    Figure shorty = Person({70, 350}, 270, View::Front);
    shorty.outfit.top = shorty.outfit.sleeves = Hex(0x4A5A2A);
    shorty.outfit.legs = Hex(0x2A2A20);
    shorty.outfit.hat = Hat::Cap;
    shorty.outfit.hatColour = Hex(0x202020);
    shorty.outfit.face = Face::Shout;
    shorty.pose.arm[0][0] = 100, shorty.pose.arm[0][1] = 150;
    shorty.pose.arm[1][0] = -60, shorty.pose.arm[1][1] = -100;
    shorty.pose.leg[0][0] = 14, shorty.pose.leg[1][0] = -14;
    return shorty;
}

Figure GangGunman(Rgb black) {
    Figure gunman = Person({590, 330}, 310, View::Front);
    gunman.outfit.top = gunman.outfit.sleeves = black;
    gunman.outfit.legs = Hex(0x18161E);
    gunman.outfit.hat = Hat::Fedora;
    gunman.outfit.hatColour = Hex(0x4A4450);
    gunman.outfit.sunglasses = true;
    gunman.outfit.tie = true;
    gunman.outfit.tieColour = Hex(0xE8E0D0);
    gunman.outfit.coat = 0.35;
    gunman.pose.arm[0][0] = 70, gunman.pose.arm[0][1] = 95;  // pointing at the viewer's left
    gunman.pose.arm[1][0] = -10, gunman.pose.arm[1][1] = -5;
    return gunman;
}

// The pistol in the hand that points.
void PointedPistol(cairo_t* cr, Point hand) {
    cairo_save(cr);
    cairo_translate(cr, hand.x, hand.y);
    cairo_rectangle(cr, -6, -10, 40, 11);
    cairo_rectangle(cr, -2, -2, 10, 18);
    InkShape(cr, Hex(0x505060), Hex(kInk), 2, 0.4);
    cairo_restore(cr);
}

// A shadow under each figure's feet, behind everything drawn, keeps the gang standing on something.
void GroundShadows(cairo_t* cr, std::initializer_list<const Figure*> figures) {
    for (const Figure* f : figures) {
        const Joints s = Skeleton(*f);
        cairo_save(cr);
        cairo_translate(cr, f->pelvis.x, std::max(s.foot[0].y, s.foot[1].y) + f->height * 0.03);
        cairo_scale(cr, f->height * 0.22, f->height * 0.025);
        cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
        cairo_restore(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_DEST_OVER);
        SetColour(cr, Hex(0x101014));
        cairo_fill(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    }
}

}  // namespace

void Villains(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const Rgb black = Hex(0x26242E), suit = Hex(0x3A3446);
    const Figure boss = GangBoss(), brute = GangBrute(suit, black), lady = GangLady();
    const Figure shorty = GangShorty(), gunman = GangGunman(black);
    DrawFigure(cr, boss);
    DrawFigure(cr, brute);
    DrawFigure(cr, lady);
    DrawFigure(cr, shorty);
    const Joints j = DrawFigure(cr, gunman);
    PointedPistol(cr, j.hand[0]);
    GroundShadows(cr, {&shorty, &brute, &boss, &lady, &gunman});
}

void HelpInTheSky(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const Rgb ink = Hex(kInk);
    Figure f = Person({128, 190}, 120, View::Front);
    f.outfit.top = f.outfit.sleeves = Hex(0xE8D040);
    f.outfit.legs = Hex(0x30508A);
    f.outfit.face = Face::Shout;
    f.outfit.hair = Hex(0xC06020);
    f.pose.arm[0][0] = 160, f.pose.arm[0][1] = 175;
    f.pose.arm[1][0] = -165, f.pose.arm[1][1] = -178;
    f.pose.leg[0][0] = 25, f.pose.leg[0][1] = -5;
    f.pose.leg[1][0] = -10, f.pose.leg[1][1] = 20;
    const Joints j = Skeleton(f);
    // balloons the poor soul clings to
    const Point balloons[] = {{92, 52}, {136, 36}, {170, 62}, {118, 80}, {154, 92}};
    const uint32_t colours[] = {0xE83040, 0x3A8AE0, 0xF0C020, 0xE060B0, 0x40C0A0};
    cairo_set_line_width(cr, 1.4);
    for (int i = 0; i < 5; ++i) {
        cairo_move_to(cr, balloons[i].x, balloons[i].y + 28);
        cairo_curve_to(cr, balloons[i].x, balloons[i].y + 60, j.hand[i % 2].x, j.hand[i % 2].y - 30,
                       j.hand[i % 2].x, j.hand[i % 2].y);
        SetColour(cr, ink);
        cairo_stroke(cr);
    }
    for (int i = 0; i < 5; ++i) {
        cairo_save(cr);
        cairo_translate(cr, balloons[i].x, balloons[i].y);
        cairo_scale(cr, 22, 27);
        cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
        cairo_restore(cr);
        InkShape(cr, Hex(colours[i]), ink, 1.8, 0.35);
        cairo_arc(cr, balloons[i].x - 8, balloons[i].y - 10, 5, 0, 2 * kPi);
        SetColour(cr, {1, 1, 1}, 0.6);
        cairo_fill(cr);
    }
    DrawFigure(cr, f);
    // the speech bubble
    cairo_save(cr);
    cairo_move_to(cr, 214, 150);
    cairo_line_to(cr, 168, 160);
    cairo_line_to(cr, 206, 132);
    cairo_close_path(cr);
    cairo_save(cr);
    cairo_translate(cr, 258, 126);
    cairo_scale(cr, 64, 38);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    InkShape(cr, Hex(0xFFFFF4), ink, 2.5, 0.05);
    cairo_restore(cr);
    double tw, th;
    TextExtent(cr, "HELP!", "DejaVu Sans Bold 26", &tw, &th);
    const double red[3] = {0.85, 0.1, 0.12}, dark[3] = {0.1, 0.02, 0.04};
    DrawOutlinedText(cr, "HELP!", "DejaVu Sans Bold 26", 258 - tw / 2, 126 - th / 2, red, dark, 1.2);
    // shake lines
    cairo_set_line_width(cr, 2);
    SetColour(cr, ink);
    for (int k = 0; k < 3; ++k) {
        cairo_move_to(cr, 56 - k * 6, 150 + k * 14);
        cairo_line_to(cr, 40 - k * 6, 146 + k * 14);
    }
    cairo_stroke(cr);
}

// A finned rocket car diving nose first to the lower left.
void DivingCar(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const Rgb ink = Hex(kInk);
    cairo_save(cr);
    cairo_translate(cr, 126, 116);
    cairo_scale(cr, 0.86, 0.86);
    cairo_rotate(cr, -43 * kPi / 180);  // the car faces -x; this turns its nose down-left
    // exhaust flames behind
    for (int k = 0; k < 3; ++k) {
        cairo_move_to(cr, 92, -14 + k * 4);
        cairo_curve_to(cr, 130 + k * 12, -30, 150 + k * 16, 0, 180 - k * 20, 6);
        cairo_curve_to(cr, 150, 16, 130, 20, 92, 10);
        cairo_close_path(cr);
        SetColour(cr, k == 0 ? Hex(0xF04010) : k == 1 ? Hex(0xF8A020) : Hex(0xFFF0A0));
        cairo_fill(cr);
    }
    // tail fin
    PolygonPath(cr, {{50, -18}, {96, -62}, {104, -58}, {88, -10}});
    InkShape(cr, Hex(0xC0202A), ink, 2.5);
    // body
    cairo_move_to(cr, -110, 14);
    cairo_curve_to(cr, -110, -6, -80, -20, -40, -22);
    cairo_line_to(cr, 84, -26);
    cairo_curve_to(cr, 100, -24, 100, 20, 88, 26);
    cairo_line_to(cr, -96, 30);
    cairo_curve_to(cr, -108, 30, -110, 22, -110, 14);
    cairo_close_path(cr);
    InkShape(cr, Hex(0xE83038), ink, 3, 0.3);
    // chrome stripe, bubble canopy with its driver
    cairo_rectangle(cr, -96, 4, 184, 6);
    SetColour(cr, Hex(0xE8E8F0));
    cairo_fill(cr);
    cairo_move_to(cr, -50, -22);
    cairo_curve_to(cr, -40, -70, 30, -70, 40, -24);
    cairo_close_path(cr);
    InkShape(cr, Hex(0x9AD8F0), ink, 2.5, 0.35);
    cairo_arc(cr, -4, -40, 14, 0, 2 * kPi);
    InkShape(cr, Hex(0xE8B896), ink, 2);
    cairo_arc(cr, -4, -44, 14, kPi, 2 * kPi);
    InkShape(cr, Hex(0xF0C020), ink, 2);  // a yellow crash helmet
    cairo_move_to(cr, -30, -50);
    cairo_curve_to(cr, -20, -62, 0, -64, 10, -60);
    SetColour(cr, {1, 1, 1}, 0.7);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    // wheels
    for (double wx : {-64.0, 56.0}) {
        cairo_arc(cr, wx, 28, 20, 0, 2 * kPi);
        InkShape(cr, Hex(0x26242A), ink, 2.5, 0.2);
        cairo_arc(cr, wx, 28, 9, 0, 2 * kPi);
        InkShape(cr, Hex(0xD0D0D8), ink, 1.5, 0.3);
    }
    // headlamp and its beam
    cairo_arc(cr, -106, 8, 6, 0, 2 * kPi);
    InkShape(cr, Hex(0xFFF4C0), ink, 2);
    cairo_restore(cr);
    // speed lines
    cairo_set_line_width(cr, 2.5);
    SetColour(cr, ink, 0.85);
    for (int k = 0; k < 4; ++k) {
        const double x = 170 + k * 16, y = 40 + k * 18;
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + 40, y - 38);
    }
    cairo_stroke(cr);
}

namespace {

// Show dancers: feathered head-dress, short skirt, one leg kicked high.
void Dancer(Canvas& canvas, bool second) {
    cairo_t* cr = canvas.cr();
    const double w = canvas.width(), h = canvas.height();
    const double height = second ? 300 : 196;
    Figure f = Person({w * 0.5, 0}, height, View::Front);
    f.outfit.top = f.outfit.sleeves = second ? Hex(0x2A3AC8) : Hex(0xD02070);
    f.outfit.skin = Hex(0xF0C0A0);
    f.outfit.skirt = 0.07;
    f.outfit.shoes = Hex(0xF0C030);
    f.outfit.hat = Hat::Feathers;
    f.outfit.hatColour = second ? Hex(0x50A0F0) : Hex(0xF070B0);
    f.outfit.hair = second ? Hex(0x101018) : Hex(0xE8C050);
    f.outfit.face = Face::Smile;
    f.outfit.longHair = !second;
    if (second) {
        // knee kicked up high to the right, one arm up, one out
        f.pelvis.x = 50;
        f.pose.arm[0][0] = -178, f.pose.arm[0][1] = 176;
        f.pose.arm[1][0] = 60, f.pose.arm[1][1] = 110;
        f.pose.leg[0][0] = -2, f.pose.leg[0][1] = 0;
        f.pose.leg[1][0] = 95, f.pose.leg[1][1] = 170;
    } else {
        // arms up in a V, one knee lifted
        f.pose.arm[0][0] = -150, f.pose.arm[0][1] = -172;
        f.pose.arm[1][0] = 150, f.pose.arm[1][1] = 172;
        f.pose.leg[0][0] = -3, f.pose.leg[0][1] = 0;
        f.pose.leg[1][0] = 68, f.pose.leg[1][1] = 4;
    }
    // stand the lower supporting foot on the bottom row
    const Joints probe = Skeleton(f);
    const double lowest = std::max(probe.foot[0].y, probe.foot[1].y);
    f.pelvis.y = h - 0.033 * height - lowest;
    DrawFigure(cr, f);
}

}  // namespace

// The villain, full length in profile, bare-headed so the helmet can be put on him: his head is
// centred on x = 105 with its crown near the top, where the helmet's dome lands when it is drawn
// at the same x, 5 px higher.
void Villain(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const double height = 436;
    Figure f = Person({0, 0}, height, View::Right);
    f.outfit.top = f.outfit.sleeves = Hex(0x4A1E5A);
    f.outfit.legs = Hex(0x221A2A);
    f.outfit.shoes = Hex(0x101014);
    f.outfit.coat = 0.16;
    f.outfit.hair = Hex(0x18101C);
    f.outfit.skin = Hex(0xC8A07A);
    f.outfit.face = Face::Smile;
    f.outfit.tie = true;
    f.outfit.tieColour = Hex(0xD0A020);
    f.pose.lean = 3;
    f.pose.arm[0][0] = 25, f.pose.arm[0][1] = 75;    // far hand at the chest
    f.pose.arm[1][0] = 150, f.pose.arm[1][1] = 172;  // near fist raised: the plan
    f.pose.leg[0][0] = -9, f.pose.leg[1][0] = 11;
    const Joints probe = Skeleton(f);
    const double lowest = std::max(probe.foot[0].y, probe.foot[1].y);
    f.pelvis = {105 - probe.head.x, canvas.height() - 0.033 * height - lowest};
    const Joints j = Skeleton(f);
    // a cape behind him, from the shoulders down to the calves, flaring backwards
    const Point neck = j.neck;
    const double knee = std::max(j.knee[0].y, j.knee[1].y);
    PolygonPath(cr, {{neck.x + 16, neck.y},
                     {neck.x - 22, neck.y + 4},
                     {neck.x - 58, knee + 40},
                     {neck.x - 20, knee + 30},
                     {neck.x + 10, knee + 46}});
    InkShape(cr, Hex(0x8A1420), Hex(kInk), InkWidth(height));
    DrawFigure(cr, f);
}

void Fresco(Canvas& canvas) {
    DrawFresco(canvas, 1.0);
}
void ZoomedFresco(Canvas& canvas) {
    DrawFresco(canvas, 1.9);
}
void SoftGlowMap(Canvas& canvas) {
    GlowMap(canvas, false);
}
void StrongGlowMap(Canvas& canvas) {
    GlowMap(canvas, true);
}
void DarkMountain(Canvas& canvas) {
    DrawMountain(canvas, Mood::Dark);
}
void LitMountain(Canvas& canvas) {
    DrawMountain(canvas, Mood::Light);
}
void ToplessMountain(Canvas& canvas) {
    DrawMountain(canvas, Mood::Topless);
}
void LeftDancer(Canvas& canvas) {
    Dancer(canvas, false);
}
void RightDancer(Canvas& canvas) {
    Dancer(canvas, true);
}

}  // namespace assets::scene
