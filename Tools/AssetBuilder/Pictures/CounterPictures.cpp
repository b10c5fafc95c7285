// The evil machine's counter: the close-up of its timer panel and the LED digits and colon that
// the countdown scenes draw into its five slots. The panel is seen at an angle, so everything on it
// is drawn in a sheared "panel space" (u, v) that lands on the screen at (u, v + u * slope): rows
// slope down to the right by 26 degrees while verticals stay vertical, exactly like the digits.
#include <cmath>

#include "AssetBuilder/Pictures/Drawings.h"
#include "AssetBuilder/Pictures/SpriteKit.h"

namespace assets {

namespace {

constexpr uint32_t kLedRim = 0x4A0600;
constexpr uint32_t kLedTop = 0xFF5A2A;
constexpr uint32_t kLedBottom = 0xD81808;
constexpr uint32_t kLedCore = 0xFFC8A0;
constexpr uint32_t kLedUnlit = 0x2E1715;

// Switches the context to panel space.
void EnterPanelSpace(cairo_t* cr) {
    cairo_matrix_t shear;
    cairo_matrix_init(&shear, 1.0, kDisplaySlope, 0.0, 1.0, 0.0, 0.0);
    cairo_transform(cr, &shear);
}

// A lit seven-segment glyph or colon: red bars with a dark rim and a hot core. `path` adds the
// shape for a given thinning; `top` and `height` span the gradient.
template <typename PathFn>
void PaintLed(cairo_t* cr, PathFn path, double top, double height) {
    // rim: the bars stroked 1.2 px outside their edge in dark red
    path(0.0);
    SetLinear(cr, 0, top, 0, top + height, {kLedTop, kLedBottom});
    FillAndOutline(cr, kLedRim, 2.4);
    // core: a bar 2.4 px narrower on each side, pale orange, the light of the diode
    path(2.4);
    SetHex(cr, kLedCore, 0.85);
    cairo_fill(cr);
}

}  // namespace

// The digit pictures: glyph at the same place in every one, keyed on transparency.
void DrawDigit(Canvas& canvas, int digit) {
    cairo_t* cr = canvas.cr();
    const uint8_t mask = DigitSegments(digit);
    PaintLed(
        cr, [&](double thin) { DigitSegmentsPath(cr, mask, kDigitOriginX, kDigitOriginY, thin); },
        kDigitOriginY, canvas.height() - kDigitOriginY);
}

void DrawColon(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    PaintLed(
        cr, [&](double thin) { ColonDotsPath(cr, kColonOriginX, kColonOriginY, kColonCentre, thin); }, 0,
        canvas.height());
}

namespace {

// A screw head: a shaded disc with a cross slot.
void Screw(cairo_t* cr, double x, double y, double r, double turn) {
    EllipsePath(cr, x, y, r, r);
    SetRadial(cr, x - r * 0.35, y - r * 0.35, r * 1.4, {0xE4E8EC, 0x8A9098, 0x30343A});
    FillAndOutline(cr, 0x121416, 1.2);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, turn);
    SetHex(cr, 0x1A1C20);
    cairo_set_line_width(cr, r * 0.28);
    for (double a : {0.0, M_PI / 2}) {
        cairo_move_to(cr, -r * 0.7 * std::cos(a), -r * 0.7 * std::sin(a));
        cairo_line_to(cr, r * 0.7 * std::cos(a), r * 0.7 * std::sin(a));
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

// Casing: gunmetal, lit from the top left, with brushed streaks along the panel's rows.
void DrawCasing(cairo_t* cr, Random& random) {
    SetLinear(cr, 0, 0, 640, 480, {0x4C4E52, 0x36383C, 0x1E1F22});
    cairo_paint(cr);
    cairo_save(cr);
    EnterPanelSpace(cr);
    cairo_set_line_width(cr, 1.0);
    for (int i = 0; i < 700; ++i) {
        // a streak: a faint light or dark line along a panel row
        const double v = random.Range(-330, 490), u = random.Range(-40, 640), len = random.Range(40, 260);
        const double alpha = random.Range(0.02, 0.07);
        SetHex(cr, random.Uniform() < 0.5 ? 0xFFFFFF : 0x000000, alpha);
        cairo_move_to(cr, u, v);
        cairo_line_to(cr, u + len, v);
        cairo_stroke(cr);
    }
    // seams between the plates: a dark groove with a lit lower lip
    for (double v : {-150.0, 168.0}) {
        SetHex(cr, 0x0C0E10);
        cairo_set_line_width(cr, 3.0);
        cairo_move_to(cr, -10, v);
        cairo_line_to(cr, 660, v);
        cairo_stroke(cr);
        SetHex(cr, 0x6A727C);
        cairo_set_line_width(cr, 1.0);
        cairo_move_to(cr, -10, v + 2.5);
        cairo_line_to(cr, 660, v + 2.5);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

// Display: a chrome bezel around dark glass holding the unlit segments of all five slots.
void DrawDisplay(cairo_t* cr) {
    cairo_save(cr);
    EnterPanelSpace(cr);
    // shadow under the bezel, offset down
    RoundedRect(cr, 40, 30, 384, 126, 16);
    SetHex(cr, 0x000000, 0.55);
    cairo_fill(cr);
    // bezel: brushed chrome from light at the top to dark at the bottom
    RoundedRect(cr, 34, 22, 384, 126, 16);
    SetLinear(cr, 0, 22, 0, 148, {0xF0F2F4, 0x9AA0A8, 0x5A6068, 0xB8BEC6});
    FillAndOutline(cr, 0x101214, 2.0);
    // glass: near-black with a blue backlight in its middle, which the blue light map brightens
    RoundedRect(cr, 48, 34, 356, 102, 8);
    SetLinear(cr, 0, 34, 0, 136, {0x0A0C16, 0x16243E, 0x0A0C16});
    FillAndOutline(cr, 0x050505, 2.0);
    // labels over the minutes and the seconds, printed on the bezel
    const LetterStyle label{"DejaVu Sans Bold", 0x202428, 0x202428, 0x202428, 0.0, 0, 0, 0};
    DrawLettering(cr, "MIN", label, 120, 24, 50, 9);
    DrawLettering(cr, "SEC", label, 290, 24, 50, 9);
    cairo_restore(cr);

    // unlit segments in every slot, where the lit digits will cover them
    for (int slot = 0; slot < 5; ++slot) {
        const double x = kCounterSlots[slot].x, y = kCounterSlots[slot].y;
        if (slot == kColonSlot) {
            ColonDotsPath(cr, x + kColonOriginX, y + kColonOriginY, kColonCentre);
        } else {
            DigitSegmentsPath(cr, DigitSegments(8), x + kDigitOriginX, y + kDigitOriginY);
        }
    }
    SetHex(cr, kLedUnlit);
    cairo_fill(cr);

    // a reflection on the glass: a pale diagonal band, very faint
    cairo_save(cr);
    EnterPanelSpace(cr);
    RoundedRect(cr, 48, 34, 356, 102, 8);
    cairo_clip(cr);
    cairo_move_to(cr, 150, 20);
    cairo_line_to(cr, 210, 20);
    cairo_line_to(cr, 150, 150);
    cairo_line_to(cr, 90, 150);
    cairo_close_path(cr);
    SetHex(cr, 0xC0D8FF, 0.07);
    cairo_fill(cr);
    cairo_restore(cr);

    cairo_save(cr);
    EnterPanelSpace(cr);
    for (auto [u, v] : {std::pair{42.0, 30.0}, {410.0, 30.0}, {42.0, 140.0}, {410.0, 140.0}})
        Screw(cr, u, v, 4.5, 0.6);
    cairo_restore(cr);
}

// A yellow and black hazard band along a panel row, and the stencilled warning below it.
void DrawHazardBand(cairo_t* cr) {
    cairo_save(cr);
    EnterPanelSpace(cr);
    cairo_rectangle(cr, -20, 188, 700, 40);
    cairo_clip_preserve(cr);
    SetHex(cr, 0xE8B810);
    cairo_fill(cr);
    for (double u = -80; u < 700; u += 44) {
        // one black stripe leaning back across the band
        cairo_move_to(cr, u, 228);
        cairo_line_to(cr, u + 22, 228);
        cairo_line_to(cr, u + 62, 188);
        cairo_line_to(cr, u + 40, 188);
        cairo_close_path(cr);
    }
    SetHex(cr, 0x141414);
    cairo_fill(cr);
    cairo_reset_clip(cr);
    cairo_set_line_width(cr, 2.0);
    SetHex(cr, 0x0A0A0A);
    cairo_rectangle(cr, -20, 188, 700, 40);
    cairo_stroke(cr);
    const LetterStyle stencil{"DejaVu Sans Condensed Bold", 0xE6E0CC, 0xB8B098, 0x101010, 1.5, 0, 0, 0};
    DrawLettering(cr, "DO NOT CUT THE WRONG WIRE", stencil, 24, 238, 400, 26);
    cairo_restore(cr);
}

// Three cables leaving the display: red, green (deep, never key green) and blue.
void DrawWires(cairo_t* cr) {
    struct Wire {
        double u, endX, endY, bend;
        uint32_t dark, mid, light;
    };
    const Wire wires[] = {{110, 40, 490, -60, 0x5A0606, 0xC01818, 0xFF7A6A},
                          {170, 170, 490, 40, 0x0A3A14, 0x1E9038, 0x8AE6A0},
                          {230, 330, 490, 100, 0x0A1448, 0x2440B8, 0x90A8FF}};
    for (const Wire& w : wires) {
        const double x0 = w.u, y0 = 148 + w.u * kDisplaySlope;
        const auto curve = [&] {
            cairo_move_to(cr, x0, y0);
            cairo_curve_to(cr, x0 + w.bend, y0 + 90, w.endX - w.bend, w.endY - 150, w.endX, w.endY);
        };
        // cable: dark jacket, coloured body, then a thin highlight along its upper side
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        curve();
        SetHex(cr, w.dark);
        cairo_set_line_width(cr, 17);
        cairo_stroke(cr);
        curve();
        SetHex(cr, w.mid);
        cairo_set_line_width(cr, 12);
        cairo_stroke(cr);
        cairo_save(cr);
        cairo_translate(cr, -2.5, -1.5);
        curve();
        cairo_restore(cr);
        SetHex(cr, w.light, 0.8);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
        // the plug where the cable enters the bezel
        cairo_save(cr);
        EnterPanelSpace(cr);
        RoundedRect(cr, x0 - 11, 144, 22, 12, 3);
        SetLinear(cr, 0, 144, 0, 156, {0xD0D4D8, 0x606870});
        FillAndOutline(cr, 0x101214, 1.5);
        cairo_restore(cr);
    }
}

// The warning lamp at the top right: red glass with a white-hot centre and a wide glow.
void DrawLamp(cairo_t* cr) {
    const double x = 548, y = 92;
    // its red light spilling onto the casing
    Glow(cr, x, y, 160, 0xFF3010, 0.45);
    EllipsePath(cr, x, y, 54, 54);
    SetLinear(cr, x - 54, y - 54, x + 54, y + 54, {0xF4F6F8, 0x7A8088, 0x2A2E34});
    FillAndOutline(cr, 0x0C0C0E, 2.0);
    EllipsePath(cr, x, y, 42, 42);
    SetRadial(cr, x - 6, y - 8, 44, {0xFFFFF0, 0xFFB070, 0xF02A10, 0x780800});
    FillAndOutline(cr, 0x300000, 2.0);
    // a glint on the dome
    EllipsePath(cr, x - 16, y - 20, 10, 6);
    SetHex(cr, 0xFFFFFF, 0.6);
    cairo_fill(cr);
}

// A pressure gauge right of the display, its needle deep in the red.
void DrawGauge(cairo_t* cr) {
    const double x = 532, y = 338, r = 62;
    EllipsePath(cr, x, y, r + 10, r + 10);
    SetLinear(cr, x - r, y - r, x + r, y + r, {0xE8ECF0, 0x6A7078, 0x22262C});
    FillAndOutline(cr, 0x0C0C0E, 2.0);
    EllipsePath(cr, x, y, r, r);
    SetRadial(cr, x, y - 20, r * 1.2, {0xF4F0E0, 0xC8C0A8});
    FillAndOutline(cr, 0x202020, 1.5);
    // the red sector near the end of the scale
    cairo_new_path(cr);
    cairo_arc(cr, x, y, r - 8, M_PI * 0.05, M_PI * 0.25);
    SetHex(cr, 0xD01A10);
    cairo_set_line_width(cr, 10);
    cairo_stroke(cr);
    // scale ticks from 135 degrees round to 45 degrees, clockwise
    SetHex(cr, 0x1A1A1A);
    for (int i = 0; i <= 12; ++i) {
        const double a = M_PI * 0.75 + i * (M_PI * 1.5 / 12);
        const double inner = (i % 3 == 0) ? r - 20 : r - 13;
        cairo_move_to(cr, x + inner * std::cos(a), y + inner * std::sin(a));
        cairo_line_to(cr, x + (r - 4) * std::cos(a), y + (r - 4) * std::sin(a));
        cairo_set_line_width(cr, (i % 3 == 0) ? 3 : 1.5);
        cairo_stroke(cr);
    }
    const double needle = M_PI * 0.18;
    cairo_move_to(cr, x - 10 * std::cos(needle), y - 10 * std::sin(needle));
    cairo_line_to(cr, x + (r - 10) * std::cos(needle), y + (r - 10) * std::sin(needle));
    SetHex(cr, 0xB00808);
    cairo_set_line_width(cr, 3.5);
    cairo_stroke(cr);
    Screw(cr, x, y, 6, 0.3);
}

}  // namespace

void DrawCounterCloseUp(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    Random random(50);
    DrawCasing(cr, random);
    DrawHazardBand(cr);
    DrawLamp(cr);
    DrawGauge(cr);
    DrawWires(cr);
    DrawDisplay(cr);
    cairo_save(cr);
    EnterPanelSpace(cr);
    for (auto [u, v] :
         {std::pair{14.0, -170.0}, {620.0, -170.0}, {14.0, 182.0}, {620.0, 182.0}, {330.0, 182.0}}) {
        Screw(cr, u, v, 8, u * 0.01);
    }
    cairo_restore(cr);
    // vignette: the corners fall off to black like a lens close-up
    Vignette(canvas, 0.75, Falloff::kRim);
    AddGrain(canvas, random, 6, Grain::kAnyCoverage);
}

}  // namespace assets
