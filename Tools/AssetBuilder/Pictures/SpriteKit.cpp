// Drawing helpers for the captions, the counter and the small sprites.
#include "AssetBuilder/Pictures/SpriteKit.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace assets {

namespace {

double Channel(uint32_t rgb, int shift) {
    return ((rgb >> shift) & 0xFF) / 255.0;
}

void AddStops(cairo_pattern_t* pattern, std::initializer_list<uint32_t> stops) {
    const size_t n = stops.size();
    size_t i = 0;
    for (uint32_t rgb : stops) {
        const double at = n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.0;
        cairo_pattern_add_color_stop_rgb(pattern, at, Channel(rgb, 16), Channel(rgb, 8), Channel(rgb, 0));
        ++i;
    }
}

struct PatternDeleter {
    void operator()(cairo_pattern_t* p) const { cairo_pattern_destroy(p); }
};
struct PathDeleter {
    void operator()(cairo_path_t* p) const { cairo_path_destroy(p); }
};
struct LayoutDeleter {
    void operator()(PangoLayout* l) const { g_object_unref(l); }
};
using PatternPtr = std::unique_ptr<cairo_pattern_t, PatternDeleter>;
using PathPtr = std::unique_ptr<cairo_path_t, PathDeleter>;
using LayoutPtr = std::unique_ptr<PangoLayout, LayoutDeleter>;

void SetPattern(cairo_t* cr, PatternPtr pattern) {
    cairo_set_source(cr, pattern.get());
}

// Lettering is laid out at this size and then scaled: large enough that pango's rounding of glyph
// positions to whole pixels is invisible after scaling down.
constexpr double kReferencePixels = 100.0;

LayoutPtr MakeLayout(cairo_t* cr, const std::string& markup, const std::string& font) {
    LayoutPtr layout(pango_cairo_create_layout(cr));
    PangoFontDescription* desc = pango_font_description_from_string(font.c_str());
    pango_font_description_set_absolute_size(desc, kReferencePixels * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), desc);
    pango_font_description_free(desc);
    pango_layout_set_alignment(layout.get(), PANGO_ALIGN_CENTER);
    pango_layout_set_spacing(layout.get(), static_cast<int>(-0.12 * kReferencePixels * PANGO_SCALE));
    pango_layout_set_markup(layout.get(), markup.c_str(), -1);
    return layout;
}

}  // namespace

void SetHex(cairo_t* cr, uint32_t rgb, double alpha) {
    cairo_set_source_rgba(cr, Channel(rgb, 16), Channel(rgb, 8), Channel(rgb, 0), alpha);
}

void SetLinear(cairo_t* cr, double x0, double y0, double x1, double y1,
               std::initializer_list<uint32_t> stops) {
    PatternPtr pattern(cairo_pattern_create_linear(x0, y0, x1, y1));
    AddStops(pattern.get(), stops);
    SetPattern(cr, std::move(pattern));
}

void SetRadial(cairo_t* cr, double cx, double cy, double radius, std::initializer_list<uint32_t> stops) {
    PatternPtr pattern(cairo_pattern_create_radial(cx, cy, 0.0, cx, cy, radius));
    AddStops(pattern.get(), stops);
    SetPattern(cr, std::move(pattern));
}

void FillAndOutline(cairo_t* cr, uint32_t outline, double width) {
    cairo_fill_preserve(cr);
    SetHex(cr, outline);
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

void OutlineThenFill(cairo_t* cr, uint32_t outline, double width) {
    PatternPtr fill(cairo_pattern_reference(cairo_get_source(cr)));
    PathPtr path(cairo_copy_path(cr));
    SetHex(cr, outline);
    cairo_set_line_width(cr, 2 * width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    // each sub-path filled on its own: two overlapping shapes drawn in opposite directions would
    // cancel out under either fill rule and leave a hole
    cairo_set_source(cr, fill.get());
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t* p = &path->data[i];
        switch (p->header.type) {
            case CAIRO_PATH_MOVE_TO:
                cairo_fill(cr);
                cairo_move_to(cr, p[1].point.x, p[1].point.y);
                break;
            case CAIRO_PATH_LINE_TO:
                cairo_line_to(cr, p[1].point.x, p[1].point.y);
                break;
            case CAIRO_PATH_CURVE_TO:
                cairo_curve_to(cr, p[1].point.x, p[1].point.y, p[2].point.x, p[2].point.y, p[3].point.x,
                               p[3].point.y);
                break;
            case CAIRO_PATH_CLOSE_PATH:
                cairo_close_path(cr);
                break;
        }
    }
    cairo_fill(cr);
}

void Glow(cairo_t* cr, double cx, double cy, double radius, uint32_t rgb, double alpha) {
    PatternPtr pattern(cairo_pattern_create_radial(cx, cy, 0.0, cx, cy, radius));
    cairo_pattern_add_color_stop_rgba(pattern.get(), 0, Channel(rgb, 16), Channel(rgb, 8), Channel(rgb, 0),
                                      alpha);
    cairo_pattern_add_color_stop_rgba(pattern.get(), 1, Channel(rgb, 16), Channel(rgb, 8), Channel(rgb, 0),
                                      0);
    cairo_set_source(cr, pattern.get());
    cairo_paint(cr);
}

void TaperedPath(cairo_t* cr, const double p[4][2], double w0, double w1) {
    constexpr int kSteps = 32;
    std::vector<std::pair<double, double>> left, right;
    for (int i = 0; i <= kSteps; ++i) {
        const double t = static_cast<double>(i) / kSteps, u = 1 - t;
        const double b[4] = {u * u * u, 3 * u * u * t, 3 * u * t * t, t * t * t};
        const double d[3] = {3 * u * u, 6 * u * t, 3 * t * t};  // derivative weights
        double x = 0, y = 0, dx = 0, dy = 0;
        for (int k = 0; k < 4; ++k) {
            x += b[k] * p[k][0];
            y += b[k] * p[k][1];
        }
        for (int k = 0; k < 3; ++k) {
            dx += d[k] * (p[k + 1][0] - p[k][0]);
            dy += d[k] * (p[k + 1][1] - p[k][1]);
        }
        const double len = std::hypot(dx, dy), half = (w0 + (w1 - w0) * t) / 2;
        const double nx = len > 0 ? -dy / len : 0, ny = len > 0 ? dx / len : 0;
        left.emplace_back(x + nx * half, y + ny * half);
        right.emplace_back(x - nx * half, y - ny * half);
    }
    cairo_new_sub_path(cr);
    for (const auto& [x, y] : left) cairo_line_to(cr, x, y);
    for (auto it = right.rbegin(); it != right.rend(); ++it) cairo_line_to(cr, it->first, it->second);
    cairo_close_path(cr);
}

double DrawLettering(cairo_t* cr, const std::string& markup, const LetterStyle& style, double x, double y,
                     double w, double h, Align align, double degrees) {
    LayoutPtr layout = MakeLayout(cr, markup, style.font);
    PangoRectangle ink, logical;
    pango_layout_get_extents(layout.get(), &ink, &logical);
    const double inkX = ink.x / double(PANGO_SCALE), inkY = ink.y / double(PANGO_SCALE);
    const double inkW = ink.width / double(PANGO_SCALE), inkH = ink.height / double(PANGO_SCALE);

    // The outline and shadow keep their pixel sizes while the glyphs scale, so they are taken off the
    // box: pads around the glyphs' own extent.
    const double padLeft = style.outlineWidth + std::max(0.0, -style.shadowX);
    const double padRight = style.outlineWidth + std::max(0.0, style.shadowX);
    const double padTop = style.outlineWidth + std::max(0.0, -style.shadowY);
    const double padBottom = style.outlineWidth + std::max(0.0, style.shadowY);
    const double innerW = w - padLeft - padRight, innerH = h - padTop - padBottom;
    const double angle = degrees * M_PI / 180.0;

    // The glyph outlines as a path in the caller's space (strokes then keep their widths), turned
    // about the ink's centre, which lands on (dx, dy); returns the path's extent.
    std::array<double, 4> extent;
    const auto build = [&](double scale, double dx, double dy) {
        cairo_save(cr);
        cairo_new_path(cr);
        cairo_translate(cr, dx, dy);
        cairo_rotate(cr, angle);
        cairo_scale(cr, scale, scale);
        cairo_translate(cr, -inkX - inkW / 2, -inkY - inkH / 2);
        cairo_move_to(cr, 0, 0);
        pango_cairo_layout_path(cr, layout.get());
        cairo_restore(cr);
        cairo_path_extents(cr, &extent[0], &extent[1], &extent[2], &extent[3]);
    };
    // Measure at 1:1, then scale so the tighter side is filled: a tilted line of glyphs fills its box
    // better than its tilted ink rectangle would.
    // Glyph outlines are hinted for the size they are drawn at, so the extent does not scale exactly
    // with the type: measure again where it lands and correct until it sits inside its box.
    double scale = 1.0, dx = 0.0, dy = 0.0;
    build(scale, dx, dy);
    for (int pass = 0; pass < 4; ++pass) {
        const double width = extent[2] - extent[0], height = extent[3] - extent[1];
        const double fit = std::min(innerW / width, innerH / height);
        // place the measured extent at the box's top-left (or centre), scaled by `fit` about its corner
        const double left = dx + (extent[0] - dx) * fit, top = dy + (extent[1] - dy) * fit;
        double targetLeft = x + padLeft, targetTop = y + padTop;
        if (align == Align::kCentre) {
            targetLeft += (innerW - width * fit) / 2;
            targetTop += (innerH - height * fit) / 2;
        }
        scale *= fit;
        dx += targetLeft - left;
        dy += targetTop - top;
        build(scale, dx, dy);
        if (extent[0] >= x + padLeft - 0.5 && extent[2] <= x + padLeft + innerW + 0.5 &&
            extent[1] >= y + padTop - 0.5 && extent[3] <= y + padTop + innerH + 0.5) {
            break;
        }
        scale *= 0.995;  // hinting made it a little wider than measured: shrink a touch and try again
        build(scale, dx, dy);
    }
    PathPtr glyphs(cairo_copy_path(cr));
    const double y0 = extent[1], y1 = extent[3];
    cairo_new_path(cr);

    cairo_save(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, style.outlineWidth * 2);
    if (style.shadowX != 0.0 || style.shadowY != 0.0) {
        // shadow: the outlined glyphs moved by the offset, one flat colour
        cairo_save(cr);
        cairo_translate(cr, style.shadowX, style.shadowY);
        cairo_append_path(cr, glyphs.get());
        cairo_restore(cr);
        SetHex(cr, style.shadow);
        if (style.outlineWidth > 0) cairo_stroke_preserve(cr);
        cairo_fill(cr);
    }
    cairo_append_path(cr, glyphs.get());
    if (style.outlineWidth > 0) {
        // outline: a round-joined stroke twice the outline width, half of it hidden under the fill
        SetHex(cr, style.outline);
        cairo_stroke_preserve(cr);
    }
    // fill: the vertical gradient from the top of the ink to its bottom
    SetLinear(cr, 0, y0, 0, y1, {style.top, style.bottom});
    cairo_fill(cr);
    cairo_restore(cr);
    return scale;
}

void LetterCard(Canvas& canvas, const std::string& markup, const LetterStyle& style, double margin,
                Align align, double degrees) {
    DrawLettering(canvas.cr(), markup, style, margin, margin, canvas.width() - 2 * margin,
                  canvas.height() - 2 * margin, align, degrees);
}

uint8_t DigitSegments(int digit) {
    //                                   gfedcba
    static constexpr uint8_t kMasks[10] = {0b0111111, 0b0000110, 0b1011011, 0b1001111, 0b1100110,
                                           0b1101101, 0b1111101, 0b0000111, 0b1111111, 0b1101111};
    return kMasks[digit];
}

namespace {

// One segment: a bar with pointed ends from (u0, v0) to (u1, v1) in glyph space, `half` thick on each side.
void SegmentPath(cairo_t* cr, double ox, double oy, double u0, double v0, double u1, double v1, double half) {
    const bool horizontal = v0 == v1;
    std::vector<std::pair<double, double>> points;
    if (horizontal) {
        points = {{u0, v0}, {u0 + half, v0 - half}, {u1 - half, v0 - half},
                  {u1, v0}, {u1 - half, v0 + half}, {u0 + half, v0 + half}};
    } else {
        points = {{u0, v0}, {u0 + half, v0 + half}, {u0 + half, v1 - half},
                  {u0, v1}, {u0 - half, v1 - half}, {u0 - half, v0 + half}};
    }
    cairo_new_sub_path(cr);
    for (const auto& [u, v] : points) cairo_line_to(cr, ox + u, oy + v + u * kDisplaySlope);
    cairo_close_path(cr);
}

}  // namespace

void DigitSegmentsPath(cairo_t* cr, uint8_t mask, double ox, double oy, double thin) {
    constexpr double kHalf = 5.0, kGap = 1.5;
    constexpr double w = kDigitGlyphW, h = kDigitGlyphH;
    constexpr double left = kHalf, right = w - kHalf, top = kHalf, middle = h / 2, bottom = h - kHalf;
    const double bars[7][4] = {
        {left + kGap, top, right - kGap, top},         // a
        {right, top + kGap, right, middle - kGap},     // b
        {right, middle + kGap, right, bottom - kGap},  // c
        {left + kGap, bottom, right - kGap, bottom},   // d
        {left, middle + kGap, left, bottom - kGap},    // e
        {left, top + kGap, left, middle - kGap},       // f
        {left + kGap, middle, right - kGap, middle},   // g
    };
    for (int s = 0; s < 7; ++s) {
        if (!(mask & (1u << s))) continue;
        const bool horizontal = bars[s][1] == bars[s][3];
        // thinning pulls the pointed ends in as well, so the core stays inside the bar
        const double du = horizontal ? thin : 0.0, dv = horizontal ? 0.0 : thin;
        SegmentPath(cr, ox, oy, bars[s][0] + du, bars[s][1] + dv, bars[s][2] - du, bars[s][3] - dv,
                    kHalf - thin);
    }
}

void ColonDotsPath(cairo_t* cr, double ox, double oy, double centre, double thin) {
    const double kSide = 8.4 - 2 * thin;
    for (double v : {kDigitGlyphH * 0.3, kDigitGlyphH * 0.7}) {
        // a small square in glyph space, slanted like the segments
        const double u0 = centre - kSide / 2, u1 = centre + kSide / 2;
        const double v0 = v - kSide / 2, v1 = v + kSide / 2;
        cairo_new_sub_path(cr);
        cairo_move_to(cr, ox + u0, oy + v0 + u0 * kDisplaySlope);
        cairo_line_to(cr, ox + u1, oy + v0 + u1 * kDisplaySlope);
        cairo_line_to(cr, ox + u1, oy + v1 + u1 * kDisplaySlope);
        cairo_line_to(cr, ox + u0, oy + v1 + u0 * kDisplaySlope);
        cairo_close_path(cr);
    }
}

}  // namespace assets
