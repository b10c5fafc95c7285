// Captions and title cards: bold outlined lettering in a few house styles. The keyed captions are
// drawn over whatever the scene shows, so each carries a dark outline and an opaque drop shadow; the
// plain cards (intro, closing) sit on black.
#include <cmath>
#include <string>

#include "AssetBuilder/Pictures/Drawings.h"
#include "AssetBuilder/Pictures/SpriteKit.h"

namespace assets {

namespace {

// Studio titles of part one: gilded serif, like a film company's card.
const LetterStyle kGilded{"DejaVu Serif Bold", 0xFFF4C0, 0xE09A20, 0x2A1200, 3.5, 0x4A2A08, 3, 4};
// Exclamations: white to yellow sans, black outline, a red shadow thrown down-right.
const LetterStyle kShout{"DejaVu Sans Bold", 0xFFFFFF, 0xFFD020, 0x000000, 4.0, 0xB01010, 5, 5};
// The villain's lines: violet to magenta, leaning forward.
const LetterStyle kVillain{"DejaVu Sans Bold Oblique", 0xF0C8FF, 0xB02CD0, 0x14001C, 3.5, 0x000000, 4, 4};
// The walking figure's captions: cool casino neon blue.
const LetterStyle kNeon{"DejaVu Sans Condensed Bold", 0xE8FAFF, 0x38B8FF, 0x001028, 3.5, 0x002060, 4, 4};
// The machine: hot red lettering on a black shadow.
const LetterStyle kAlarm{"DejaVu Sans Bold", 0xFFD0B0, 0xE01808, 0x1C0000, 3.5, 0x000000, 4, 4};
// The western title: sandy slab serif.
const LetterStyle kWestern{"DejaVu Serif Condensed Bold", 0xFFE8B0, 0xC07828, 0x2A1000, 3.0, 0x000000, 3, 3};

// The two wire captions: the colour is the point of the joke. The green stays clear of key green.
const LetterStyle kRedWire{"DejaVu Sans Bold", 0xFF6A50, 0xC80808, 0x200000, 4.0, 0x000000, 4, 4};
const LetterStyle kGreenWire{"DejaVu Sans Bold", 0x80F09A, 0x20C040, 0x001A08, 4.0, 0x000000, 4, 4};

}  // namespace

// "Snap!" on a jagged comic burst, the sound of the pliers.
void Snap(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    Random random(59);
    cairo_new_path(cr);
    for (int i = 0; i < 28; ++i) {
        // points alternate between the burst's outer and inner ellipse, a little irregular
        const double a = i * M_PI / 14,
                     outer = (i % 2 == 0) ? random.Range(0.92, 1.0) : random.Range(0.66, 0.74);
        cairo_line_to(cr, 275 + 268 * outer * std::cos(a), 125 + 120 * outer * std::sin(a));
    }
    cairo_close_path(cr);
    SetRadial(cr, 275, 125, 270, {0xFFE040, 0xFF8A10, 0xD82808});
    FillAndOutline(cr, 0x000000, 5.0);
    DrawLettering(cr, "Snap!", kShout, 95, 50, 360, 150, Align::kCentre, -8);
}

// "No Swiss!" beside a Swiss flag struck through by a prohibition sign.
void NoSwiss(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const double cx = 72, cy = 75;
    RoundedRect(cr, cx - 46, cy - 46, 92, 92, 6);
    SetLinear(cr, 0, cy - 46, 0, cy + 46, {0xF03030, 0xC00C10});
    FillAndOutline(cr, 0x000000, 4.0);
    // the white cross: arms a fifth of the flag wide, six-fifths as long
    cairo_rectangle(cr, cx - 9, cy - 30, 18, 60);
    cairo_rectangle(cr, cx - 30, cy - 9, 60, 18);
    SetHex(cr, 0xFFFFFF);
    cairo_fill(cr);
    // the prohibition ring and bar, red on a black rim
    for (auto [colour, width] : {std::pair{0x000000u, 17.0}, {0xE01010u, 11.0}}) {
        SetHex(cr, colour);
        cairo_set_line_width(cr, width);
        cairo_arc(cr, cx, cy, 62, 0, 2 * M_PI);
        cairo_stroke(cr);
        cairo_move_to(cr, cx - 44, cy - 44);
        cairo_line_to(cr, cx + 44, cy + 44);
        cairo_stroke(cr);
    }
    DrawLettering(cr, "No Swiss!", kShout, 150, 10, 346, 130, Align::kCentre, -5);
}

// The western title: a wanted-poster frame of rope with a sheriff's star in each corner.
void WesternCard(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    // rope: a dark cord with sandy twists dashed over it
    RoundedRect(cr, 12, 12, 312, 160, 14);
    SetHex(cr, 0x2A1000);
    cairo_set_line_width(cr, 7);
    cairo_stroke_preserve(cr);
    const double twist[2] = {6, 4};
    cairo_set_dash(cr, twist, 2, 0);
    SetHex(cr, 0xD8A860);
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    for (auto [x, y] : {std::pair{16.0, 16.0}, {320.0, 16.0}, {16.0, 168.0}, {320.0, 168.0}}) {
        // a five-pointed star with a round tip on each point
        cairo_new_path(cr);
        for (int i = 0; i < 10; ++i) {
            const double a = -M_PI / 2 + i * M_PI / 5, r = (i % 2 == 0) ? 14 : 6;
            cairo_line_to(cr, x + r * std::cos(a), y + r * std::sin(a));
        }
        cairo_close_path(cr);
        SetLinear(cr, 0, y - 14, 0, y + 14, {0xFFF4B0, 0xC89020});
        FillAndOutline(cr, 0x2A1000, 2.0);
    }
    DrawLettering(cr, "Meanwhile,\nat the Alamo...", kWestern, 30, 26, 276, 132);
}

// The warning card: hazard stripes above and below a short notice, on black.
void WarningCard(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    for (double y : {6.0, 134.0}) {
        cairo_save(cr);
        cairo_rectangle(cr, 0, y, 640, 12);
        cairo_clip(cr);
        SetHex(cr, 0xF0C010);
        cairo_paint(cr);
        for (double x = -20; x < 660; x += 28) {
            // one black stripe leaning right
            cairo_move_to(cr, x, y + 12);
            cairo_line_to(cr, x + 14, y + 12);
            cairo_line_to(cr, x + 26, y);
            cairo_line_to(cr, x + 12, y);
            cairo_close_path(cr);
        }
        SetHex(cr, 0x101010);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    const LetterStyle head{"DejaVu Sans Bold", 0xFFF0A0, 0xF0A010, 0x000000, 2.0, 0x801000, 3, 3};
    DrawLettering(cr, "WARNING", head, 0, 26, 640, 44);
    const LetterStyle body{"DejaVu Sans Bold", 0xF0F0F0, 0xB8C0C8, 0x000000, 0.0, 0, 0, 0};
    DrawLettering(cr,
                  "This production contains flashing lights, loud music,\n"
                  "falling bombs and cows of uncertain origin.",
                  body, 30, 78, 580, 48);
}

// The group card: "Another" small above the group's name, underlined by a thin gold rule.
void GroupCard(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const LetterStyle style{"DejaVu Serif Bold Italic", 0xFFFFFF, 0xC8D4E0, 0x000000, 0.0, 0, 0, 0};
    DrawLettering(cr, "<span size=\"60%\">Another</span> Nimbrel <span size=\"60%\">joint</span>", style, 4,
                  8, 282, 44);
    SetLinear(cr, 20, 0, 270, 0, {0x000000, 0xE0B040, 0x000000});
    cairo_rectangle(cr, 20, 58, 250, 2);
    cairo_fill(cr);
}

// The last card: "The End" in gilded serif, a small line under it.
void EndCard(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    DrawLettering(cr, "The End", kGilded, 16, 40, 420, 140);
    const LetterStyle small{"DejaVu Serif Italic", 0xC8C8C8, 0x909090, 0x000000, 0.0, 0, 0, 0};
    DrawLettering(cr, "a Nimbrel joint, made with cows", small, 96, 196, 260, 22);
}

void SmallLine(Canvas& canvas) {
    const LetterStyle style{"DejaVu Sans Bold Oblique", 0xFFFFFF, 0xC0C0C0, 0x000000, 0.0, 0, 0, 0};
    LetterCard(canvas, "Phew...", style, 2);
}

void TheMatterhorn(Canvas& canvas) {
    LetterCard(canvas, "<span size=\"55%\">The</span>\nMatterhorn", kGilded, 2.0);
}
void YouAreWrongSir(Canvas& canvas) {
    LetterCard(canvas, "You are wrong,\nsir!", kShout, 2.0, Align::kCentre, -4);
}
void ProudlyPresent(Canvas& canvas) {
    LetterCard(canvas, "proudly present",
               {"DejaVu Serif Bold Italic", 0xFFFFFF, 0xD8C8A0, 0x1A1000, 3.0, 0x000000, 3, 3}, 2.0);
}
void ZembramountPictures(Canvas& canvas) {
    LetterCard(canvas, "Zembramount Pictures", kGilded, 2.0);
}
// the top-left corner is shown magnified twelve times: the first letter starts right there
void EvilPlan(Canvas& canvas) {
    LetterCard(canvas, "Vuvizarodaz's\n<span size=\"140%\">evil plan</span>", kVillain, 0, Align::kTopLeft);
}
void LetTheRerevidgers(Canvas& canvas) {
    LetterCard(canvas, "Let the Rerevidgers ... take the mountain!", kVillain, 2.0);
}
void AgentVostel(Canvas& canvas) {
    LetterCard(canvas, "Agent Vostel", kNeon, 2.0);
}
void LicensedToGamble(Canvas& canvas) {
    LetterCard(canvas, "licensed\nto gamble", kNeon, 2.0);
}
void DefuseIt(Canvas& canvas) {
    LetterCard(canvas, "Defuse\nit!", kShout, 2.0, Align::kCentre, 4);
}
void CutAWire(Canvas& canvas) {
    LetterCard(canvas, "Quick!\nCut a wire!", kShout, 2.0);
}
void TheRedOne(Canvas& canvas) {
    LetterCard(canvas, "The red\none?", kRedWire, 2.0);
}
void TheGreenOne(Canvas& canvas) {
    LetterCard(canvas, "The green\none?", kGreenWire, 2.0);
}
void TheEvilMachine(Canvas& canvas) {
    LetterCard(canvas, "The evil\nmachine", kAlarm, 2.0);
}
void WhichWire(Canvas& canvas) {
    LetterCard(canvas, "Which\nflipping\nwire?!", kShout, 2.0, Align::kCentre, 6);
}

}  // namespace assets
