// The captions, counter and small sprites: each fits where the scenes draw it, and the pictures
// that must line up with each other (digits and counter, cow and parachute) do.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "AssetBuilder/Pictures/SpriteKit.h"
#include "Assets/RenderedPictures.h"

namespace {

using rendered::Blue;
using rendered::Green;
using rendered::Red;

using rendered::kKey;
using rendered::Picture;

const Picture& Get(int guid) {
    return rendered::Decoded(guid);
}

TEST(SpritePictures, CaptionsAndCardsStayOnScreenWhereTheScenesDrawThem) {
    struct Placement {
        int guid, x, y;
    };
    const Placement placements[] = {
        {16, 67, 157},  {17, 172, 310}, {18, 249, 390}, {19, 85, 208},  {20, 315, 260}, {21, 25, 220},
        {22, 221, 185}, {23, 225, 300}, {54, 70, 330},  {55, 240, 210}, {56, 126, 164}, {57, 151, 195},
        {58, 88, 163},  {59, 84, 223},  {60, 364, 308}, {61, 300, 292}, {62, 229, 101}, {96, 273, 229},
        {97, 187, 216}, {98, 0, 164},   {99, 175, 206}};
    for (const Placement& place : placements) {
        SCOPED_TRACE(place.guid);
        const Picture& picture = Get(place.guid);
        EXPECT_LE(place.x + picture.width, 640);
        EXPECT_LE(place.y + picture.height, 480);
    }
    // the scaled draws of the walking figure's captions assume these exact sizes
    EXPECT_EQ(Get(22).width, 416);
    EXPECT_EQ(Get(22).height, 131);
    EXPECT_EQ(Get(23).width, 311);
    EXPECT_EQ(Get(23).height, 129);
    EXPECT_EQ(Get(98).width, 640);
    EXPECT_EQ(Get(50).width, 640);
    EXPECT_EQ(Get(50).height, 480);
    // the bomber is scaled by four from its own size: it must stay a small picture
    EXPECT_LE(Get(33).width, 255);
    EXPECT_LE(Get(33).height, 90);
    for (int guid = 82; guid <= 86; ++guid) {
        EXPECT_EQ(Get(guid).width, Get(81).width);
        EXPECT_EQ(Get(guid).height, Get(81).height);
    }
    // plain cards sit on black: their top and bottom rows are black
    for (int guid : {96, 97, 98, 99}) {
        const Picture& card = Get(guid);
        for (int x = 0; x < card.width; ++x) {
            ASSERT_EQ(card.At(x, 0), 0u) << guid;
            ASSERT_EQ(card.At(x, card.height - 1), 0u) << guid;
        }
    }
}

TEST(SpritePictures, WireCaptionsAreInTheirColoursAndTheMagnifiedCornerShowsLettering) {
    const auto share = [](const Picture& picture, auto test) {
        int opaque = 0, hits = 0;
        for (uint32_t p : picture.pixels) {
            if (p == kKey) continue;
            ++opaque;
            if (test(p)) ++hits;
        }
        return static_cast<double>(hits) / opaque;
    };
    EXPECT_GT(share(Get(57), [](uint32_t p) { return Red(p) > 120 && Red(p) > Green(p) + Blue(p); }), 0.4);
    EXPECT_GT(
        share(Get(58),
              [](uint32_t p) { return Green(p) > 120 && Green(p) > Red(p) + 30 && Green(p) > Blue(p); }),
        0.4);

    // the evil plan grows in from 12x at its top-left corner: the first 27 x 18 pixels fill the screen
    const Picture& plan = Get(20);
    int opaque = 0;
    for (int y = 0; y < 18; ++y) {
        for (int x = 0; x < 27; ++x) opaque += plan.Opaque(x, y);
    }
    EXPECT_GT(opaque, 27 * 18 / 5);
}

// The opaque pixels of `picture` as a mask.
std::vector<bool> Mask(const Picture& picture) {
    std::vector<bool> mask;
    for (uint32_t p : picture.pixels) mask.push_back(p != kKey);
    return mask;
}

TEST(SpritePictures, DigitsAreAlikeAndLightOnlySegmentsOfTheEight) {
    const Picture& eight = Get(63 + 8);
    EXPECT_LE(eight.width, 53);
    EXPECT_LE(Get(73).width, 65);
    EXPECT_EQ(Get(73).height, eight.height);
    const std::vector<bool> eightMask = Mask(eight);
    std::set<std::vector<bool>> distinct;
    for (int digit = 0; digit <= 9; ++digit) {
        SCOPED_TRACE(digit);
        const Picture& picture = Get(63 + digit);
        ASSERT_EQ(picture.width, eight.width);
        ASSERT_EQ(picture.height, eight.height);
        const std::vector<bool> mask = Mask(picture);
        int outside = 0;
        for (size_t i = 0; i < mask.size(); ++i) outside += mask[i] && !eightMask[i];
        EXPECT_EQ(outside, 0) << "a lit pixel that is no part of any segment";
        distinct.insert(mask);
    }
    EXPECT_EQ(distinct.size(), 10u);

    // the glyph slants with the counter: the top edge of the eight falls about 26 degrees to the right
    int firstTop = -1, lastTop = -1, firstX = -1, lastX = -1;
    for (int x = 0; x < eight.width; ++x) {
        for (int y = 0; y < eight.height; ++y) {
            if (!eight.Opaque(x, y)) continue;
            if (firstX < 0) firstX = x, firstTop = y;
            lastX = x, lastTop = y;
            break;
        }
    }
    const double degrees = std::atan2(lastTop - firstTop, lastX - firstX) * 180 / M_PI;
    EXPECT_NEAR(degrees, 26, 4);
}

TEST(SpritePictures, CounterSlotsLieWhereTheDigitsLand) {
    const Picture& counter = Get(50);
    const int slots[5][3] = {{71, 85, 71}, {140, 119, 71}, {193, 149, 73}, {258, 178, 71}, {334, 214, 71}};
    std::vector<int> owner(640 * 480, -1);
    for (int slot = 0; slot < 5; ++slot) {
        SCOPED_TRACE(slot);
        const Picture& glyph = Get(slots[slot][2]);
        int dark = 0, ghost = 0, inner = 0, lit = 0;
        for (int y = 0; y < glyph.height; ++y) {
            for (int x = 0; x < glyph.width; ++x) {
                if (!glyph.Opaque(x, y)) continue;
                const int cx = slots[slot][0] + x, cy = slots[slot][1] + y;
                ASSERT_LT(cx, 640);
                ASSERT_LT(cy, 480);
                EXPECT_EQ(owner[cy * 640 + cx], -1) << "two slots overlap";
                owner[cy * 640 + cx] = slot;
                ++lit;
                const uint32_t p = counter.At(cx, cy);
                dark += Red(p) + Green(p) + Blue(p) < 3 * 80;
                // the unlit segments are reddish, the glass is bluish; the lit segment's rim overhangs
                // its unlit one, so only the segment's inside is compared
                const bool inside = x >= 2 && y >= 2 && x + 2 < glyph.width && y + 2 < glyph.height &&
                                    glyph.Opaque(x - 2, y) && glyph.Opaque(x + 2, y) &&
                                    glyph.Opaque(x, y - 2) && glyph.Opaque(x, y + 2);
                inner += inside;
                ghost += inside && Red(p) > Blue(p) + 8;
            }
        }
        // under a lit segment lies the display's dark glass, not the casing or bezel, and on the glass
        // the unlit segment it covers
        EXPECT_GT(dark, lit * 95 / 100);
        EXPECT_GT(ghost, inner * 85 / 100);  // 90% when aligned; a slot 3 px off drops to 75%
    }
}

// Angle of the main axis of a picture's opaque pixels, in degrees, y pointing down.
double AxisDegrees(const Picture& picture) {
    double n = 0, mx = 0, my = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (picture.Opaque(x, y)) n += 1, mx += x, my += y;
        }
    }
    mx /= n, my /= n;
    double sxx = 0, syy = 0, sxy = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (!picture.Opaque(x, y)) continue;
            sxx += (x - mx) * (x - mx), syy += (y - my) * (y - my), sxy += (x - mx) * (y - my);
        }
    }
    return 0.5 * std::atan2(2 * sxy, sxx - syy) * 180 / M_PI;
}

TEST(SpritePictures, BombsLieAlongTheirDownLeftFlightAndTheCowHangsWhereTheCordsMeet) {
    // flight (-660, 450): the axis rises to the right at about 34 degrees, i.e. -34 with y down
    EXPECT_NEAR(AxisDegrees(Get(25)), -34, 5);
    EXPECT_NEAR(AxisDegrees(Get(26)), -34, 5);

    // the canopy hangs with its row 0.8 * height on the cow's row 0, both at the same left x
    const Picture& chute = Get(36);
    const Picture& cow = Get(35);
    int knotY = -1;
    double knotX = 0;
    for (int y = chute.height - 1; y >= 0 && knotY < 0; --y) {
        int count = 0;
        for (int x = 0; x < chute.width; ++x) {
            if (chute.Opaque(x, y)) count++, knotX += x;
        }
        if (count > 0) knotY = y, knotX /= count;
    }
    EXPECT_GE(knotY, chute.height * 4 / 5) << "the cords meet above the canopy's bottom fifth";
    for (int y = chute.height * 4 / 5; y < chute.height; ++y) {
        for (int x = 0; x < chute.width; ++x) {
            if (chute.Opaque(x, y)) {
                EXPECT_NEAR(x, chute.width / 2, chute.width / 5) << "cords spread at row " << y;
            }
        }
    }
    const int ringY = knotY - static_cast<int>(0.8 * chute.height);
    bool ring = false;
    for (int y = std::max(0, ringY - 3); y <= ringY + 3 && y < cow.height; ++y) {
        for (int x = static_cast<int>(knotX) - 3; x <= static_cast<int>(knotX) + 3; ++x)
            ring |= cow.Opaque(x, y);
    }
    EXPECT_TRUE(ring) << "the cords end in the air, not on the cow's harness";
}

// Bounding box of the pixels of a canvas with any coverage: x0, y0, x1, y1 (exclusive), or all -1.
std::array<int, 4> InkBox(const assets::Canvas& canvas) {
    const std::vector<uint8_t> rgba = assets::StraightRgba(canvas);
    std::array<int, 4> box = {-1, -1, -1, -1};
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (rgba[(static_cast<size_t>(y) * canvas.width() + x) * 4 + 3] == 0) continue;
            if (box[0] < 0) box = {x, y, x + 1, y + 1};
            box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x + 1),
                   std::max(box[3], y + 1)};
        }
    }
    return box;
}

TEST(SpriteKit, LetteringFillsItsBoxWithoutSpillingOutlineOrShadow) {
    const assets::LetterStyle heavy{"DejaVu Sans Bold", 0xFFFFFF, 0xFFFFFF, 0, 6.0, 0x808080, 8, 6};
    const assets::LetterStyle plain{"DejaVu Sans Bold", 0xFFFFFF, 0xFFFFFF, 0, 0.0, 0, 0, 0};
    const assets::LetterStyle leftShadow{
        "DejaVu Serif Bold Italic", 0xFFFFFF, 0xFFFFFF, 0, 2.0, 0x808080, -7, -5};
    struct Case {
        const char* markup;
        const assets::LetterStyle* style;
        double w, h, degrees;
    } cases[] = {
        {"Wide lettering", &heavy, 300, 120, 0},
        {"Tall\nthree\nlines", &heavy, 160, 220, 0},
        {"Leaning", &leftShadow, 260, 90, 0},
        {"Tilted!", &heavy, 280, 140, -9},
        {"<span size=\"50%\">small</span> Big", &leftShadow, 240, 70, 12},
        // long lines at a small size: hinting widens them beyond what the full-size outline measures
        {"This production contains flashing lights, loud music,\nfalling bombs and cows of uncertain origin.",
         &plain, 580, 48, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.markup);
        // the box sits inside a larger canvas so that anything spilling out of it shows
        assets::Canvas canvas(700, 300);
        const double x = 50, y = 40;
        assets::DrawLettering(canvas.cr(), c.markup, *c.style, x, y, c.w, c.h, assets::Align::kCentre,
                              c.degrees);
        const std::array<int, 4> box = InkBox(canvas);
        EXPECT_GE(box[0], x - 1);
        EXPECT_GE(box[1], y - 1);
        EXPECT_LE(box[2], x + c.w + 1);
        EXPECT_LE(box[3], y + c.h + 1);
        // uniform scaling: the tighter side of the box is (almost) filled
        const double fillW = (box[2] - box[0]) / c.w, fillH = (box[3] - box[1]) / c.h;
        EXPECT_GT(std::max(fillW, fillH), 0.9);
    }
}

TEST(SpriteKit, OverlappingShapesFillWithoutHolesWhateverTheirDirection) {
    assets::Canvas canvas(100, 60);
    cairo_t* cr = canvas.cr();
    // two overlapping rectangles, one drawn clockwise and one anticlockwise
    cairo_rectangle(cr, 10, 10, 50, 40);
    cairo_move_to(cr, 40, 10);
    cairo_line_to(cr, 40, 50);
    cairo_line_to(cr, 90, 50);
    cairo_line_to(cr, 90, 10);
    cairo_close_path(cr);
    assets::SetHex(cr, 0xFFFFFF);
    assets::OutlineThenFill(cr, 0x000000, 2.0);
    const std::vector<uint8_t> rgba = assets::StraightRgba(canvas);
    const auto at = [&](int x, int y) { return rgba.data() + (static_cast<size_t>(y) * 100 + x) * 4; };
    EXPECT_EQ(at(50, 30)[0], 255) << "the overlap cancelled out";
    EXPECT_EQ(at(40, 30)[0], 255) << "an inner edge shows its outline";
    EXPECT_EQ(at(9, 30)[0], 0) << "no outline outside the shapes";
    EXPECT_EQ(at(9, 30)[3], 255);
}

TEST(PictureKit, GrainOverAnyCoverageKeepsTransparencyAndValidPixels) {
    assets::Canvas canvas(64, 64);
    cairo_t* cr = canvas.cr();
    cairo_rectangle(cr, 0, 0, 32, 64);
    cairo_set_source_rgba(cr, 0.5, 0.5, 0.5, 1);
    cairo_fill(cr);
    cairo_rectangle(cr, 32, 0, 16, 64);
    cairo_set_source_rgba(cr, 0.9, 0.5, 0.1, 0.4);
    cairo_fill(cr);
    cairo_surface_flush(canvas.surface());
    const int stride = cairo_image_surface_get_stride(canvas.surface());
    const uint8_t* data = cairo_image_surface_get_data(canvas.surface());
    const uint32_t partlyCovered = reinterpret_cast<const uint32_t*>(data)[40];
    assets::Random random(7);
    assets::AddGrain(canvas, random, 40, assets::Grain::kAnyCoverage);
    cairo_surface_flush(canvas.surface());
    int changed = 0, partlyCoveredSwing = 0;
    for (int y = 0; y < 64; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < 64; ++x) {
            const uint32_t p = row[x], a = p >> 24;
            if (x >= 48) {
                ASSERT_EQ(p, 0u) << "grain on a transparent pixel";
            }
            // premultiplied: no channel may exceed alpha, or the colour overflows when un-premultiplied
            ASSERT_LE((p >> 16) & 0xFF, a);
            ASSERT_LE((p >> 8) & 0xFF, a);
            ASSERT_LE(p & 0xFF, a);
            changed += x < 32 && p != 0xFF808080;
            if (x >= 32 && x < 48) {
                const int swing = std::abs(int((p >> 8) & 0xFF) - int((partlyCovered >> 8) & 0xFF));
                partlyCoveredSwing = std::max(partlyCoveredSwing, swing);
            }
        }
    }
    EXPECT_GT(changed, 32 * 64 * 9 / 10);
    // a pixel 40% covered moves by at most 40% of the amount: its grain fades with its coverage
    EXPECT_GT(partlyCoveredSwing, 0);
    EXPECT_LE(partlyCoveredSwing, 40 * 102 / 255);
}

}  // namespace
