#include "AssetBuilder/Pictures/Icon.h"

#include "AssetBuilder/Pictures/PictureKit.h"

#include <cmath>

namespace assets {

std::vector<uint8_t> DrawIcon(int size) {
    Canvas canvas(size, size);
    cairo_t* cr = canvas.cr();
    const double s = size;
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, s);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0.10, 0.05, 0.22);
    cairo_pattern_add_color_stop_rgb(sky, 1, 0.02, 0.01, 0.06);
    RoundedRect(cr, 0, 0, s, s, s * 0.18);
    cairo_set_source(cr, sky);
    cairo_fill(cr);
    cairo_pattern_destroy(sky);

    // Rings widening from the centre, each a little dimmer, as the rings of the scenes.
    for (int ring = 0; ring < 5; ++ring) {
        const double r = s * (0.12 + 0.075 * ring);
        cairo_arc(cr, s / 2, s / 2, r, 0, 2 * M_PI);
        cairo_set_line_width(cr, s * 0.022);
        cairo_set_source_rgba(cr, 1.0, 0.55 - 0.06 * ring, 0.15 + 0.1 * ring, 0.9 - 0.15 * ring);
        cairo_stroke(cr);
    }

    // The Z: two bars joined by a diagonal, in warm white with a dark edge.
    const double l = s * 0.30, r = s * 0.70, t = s * 0.30, b = s * 0.70, w = s * 0.09;
    cairo_move_to(cr, l, t);
    cairo_line_to(cr, r, t);
    cairo_line_to(cr, r, t + w);
    cairo_line_to(cr, l + w * 1.6, b - w);
    cairo_line_to(cr, r, b - w);
    cairo_line_to(cr, r, b);
    cairo_line_to(cr, l, b);
    cairo_line_to(cr, l, b - w);
    cairo_line_to(cr, r - w * 1.6, t + w);
    cairo_line_to(cr, l, t + w);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 1.0, 0.95, 0.85);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, s * 0.012);
    cairo_set_source_rgb(cr, 0.15, 0.05, 0.1);
    cairo_stroke(cr);
    return EncodePlainPng(canvas);
}

}  // namespace assets
