// Drawing and encoding tools for the asset builder's pictures.
#include "AssetBuilder/Pictures/PictureKit.h"

#include "Common/PngEncoder.h"

#include <jpeglib.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace assets {

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_)) {
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cairo surface");
    // The lettering's hinting and antialiasing are set here, not left to the machine's fontconfig,
    // where they are the user's choice: slight hinting and grey edges, Debian's defaults.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr_, options);
    cairo_font_options_destroy(options);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

std::vector<uint8_t> StraightRgba(const Canvas& canvas) {
    cairo_surface_flush(canvas.surface());
    const int w = canvas.width(), h = canvas.height();
    const int stride = cairo_image_surface_get_stride(canvas.surface());
    const uint8_t* data = cairo_image_surface_get_data(canvas.surface());
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        uint8_t* o = out.data() + static_cast<size_t>(y) * w * 4;
        for (int x = 0; x < w; ++x, o += 4) {
            const uint32_t p = row[x];  // premultiplied 0xAARRGGBB
            const uint32_t a = p >> 24;
            uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (a != 0 && a != 255) {
                r = (r * 255 + a / 2) / a;
                g = (g * 255 + a / 2) / a;
                b = (b * 255 + a / 2) / a;
                if (r > 255) r = 255;
                if (g > 255) g = 255;
                if (b > 255) b = 255;
            }
            o[0] = static_cast<uint8_t>(r);
            o[1] = static_cast<uint8_t>(g);
            o[2] = static_cast<uint8_t>(b);
            o[3] = static_cast<uint8_t>(a);
        }
    }
    return out;
}

namespace {

// The first three bytes of each RGBA pixel as a PNG, coded fast (see PngCompression::kFast).
std::vector<uint8_t> PngFromRgb(const std::vector<uint8_t>& rgba, int w, int h) {
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0, o = 0; o < rgb.size(); i += 4, o += 3) {
        rgb[o] = rgba[i];
        rgb[o + 1] = rgba[i + 1];
        rgb[o + 2] = rgba[i + 2];
    }
    return EncodeRgbPng(rgb, w, h, PngCompression::kFast);
}

void KeyTransparent(std::vector<uint8_t>& rgba) {
    for (size_t i = 0; i < rgba.size(); i += 4) {
        uint8_t* p = &rgba[i];
        if (p[3] < 128) {
            p[0] = 0;
            p[1] = 255;
            p[2] = 0;
        } else if (p[0] == 0 && p[1] == 255 && p[2] == 0) {
            p[1] = 254;  // an opaque pixel must never read as the key
        }
        p[3] = 255;
    }
}

void OverBlack(std::vector<uint8_t>& rgba) {
    for (size_t i = 0; i < rgba.size(); i += 4) {
        uint8_t* p = &rgba[i];
        const unsigned a = p[3];
        for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>((p[c] * a + 127) / 255);
        p[3] = 255;
    }
}

std::vector<uint8_t> JpegFromRgb(const std::vector<uint8_t>& rgba, int w, int h, int quality, bool grey) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (!grey && quality >= 90) {
        // full chroma resolution: keeps thin coloured lines and the key green edges clean
        cinfo.comp_info[0].h_samp_factor = 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> line(static_cast<size_t>(w) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint8_t* p = rgba.data() + static_cast<size_t>(cinfo.next_scanline) * w * 4;
        for (int x = 0; x < w; ++x) {
            if (grey) {
                line[x] = p[x * 4 + 2];  // the scenes read a light map's blue channel
            } else {
                line[x * 3] = p[x * 4];
                line[x * 3 + 1] = p[x * 4 + 1];
                line[x * 3 + 2] = p[x * 4 + 2];
            }
        }
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    free(buffer);
    return out;
}

}  // namespace

std::vector<uint8_t> EncodeKeyedPng(const Canvas& canvas) {
    std::vector<uint8_t> rgba = StraightRgba(canvas);
    KeyTransparent(rgba);
    return PngFromRgb(rgba, canvas.width(), canvas.height());
}

std::vector<uint8_t> EncodePlainPng(const Canvas& canvas) {
    std::vector<uint8_t> rgba = StraightRgba(canvas);
    OverBlack(rgba);
    return PngFromRgb(rgba, canvas.width(), canvas.height());
}

std::vector<uint8_t> EncodeJpeg(const Canvas& canvas, int quality, bool grey) {
    std::vector<uint8_t> rgba = StraightRgba(canvas);
    OverBlack(rgba);
    return JpegFromRgb(rgba, canvas.width(), canvas.height(), quality, grey);
}

std::vector<uint8_t> EncodeKeyedJpeg(const Canvas& canvas, int quality) {
    std::vector<uint8_t> rgba = StraightRgba(canvas);
    KeyTransparent(rgba);
    return JpegFromRgb(rgba, canvas.width(), canvas.height(), quality, false);
}

void AddGrain(Canvas& canvas, Random& random, double amount, Grain grain) {
    cairo_surface_flush(canvas.surface());
    uint8_t* data = cairo_image_surface_get_data(canvas.surface());
    const int stride = cairo_image_surface_get_stride(canvas.surface());
    const int whole = static_cast<int>(amount);
    const uint32_t span = static_cast<uint32_t>(2 * whole + 1);
    for (int y = 0; y < canvas.height(); ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < canvas.width(); ++x) {
            const uint32_t p = row[x];
            const int a = static_cast<int>(p >> 24);
            int offset;
            if (grain == Grain::kOpaqueOnly) {
                offset = static_cast<int>((random.Uniform() * 2 - 1) * amount);
                if (a != 255) continue;
            } else {
                if (a == 0) continue;
                offset = static_cast<int>(random.Next() % span) - whole;
            }
            const auto shift = [&](int c) {
                return static_cast<uint32_t>(std::clamp(c + offset * a / 255, 0, a));
            };
            row[x] = (static_cast<uint32_t>(a) << 24) | (shift(static_cast<int>((p >> 16) & 0xFF)) << 16) |
                     (shift(static_cast<int>((p >> 8) & 0xFF)) << 8) | shift(static_cast<int>(p & 0xFF));
        }
    }
    cairo_surface_mark_dirty(canvas.surface());
}

namespace {
uint32_t Clamp255(double v) {
    return static_cast<uint32_t>(std::clamp(v + 0.5, 0.0, 255.0));
}

void SquareVignette(Canvas& canvas, double strength) {
    cairo_surface_flush(canvas.surface());
    uint8_t* data = cairo_image_surface_get_data(canvas.surface());
    const int stride = cairo_image_surface_get_stride(canvas.surface());
    const double cx = canvas.width() / 2.0, cy = canvas.height() / 2.0;
    const double norm = 1.0 / (cx * cx + cy * cy);
    for (int y = 0; y < canvas.height(); ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        const double dy = y + 0.5 - cy;  // pixel centres: the four corners darken alike
        for (int x = 0; x < canvas.width(); ++x) {
            const double dx = x + 0.5 - cx;
            const double f = 1.0 - strength * (dx * dx + dy * dy) * norm;
            const uint32_t p = row[x];
            const uint32_t r = Clamp255(((p >> 16) & 0xFF) * f);
            const uint32_t g = Clamp255(((p >> 8) & 0xFF) * f);
            const uint32_t b = Clamp255((p & 0xFF) * f);
            row[x] = (p & 0xFF000000u) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(canvas.surface());
}

void RimVignette(Canvas& canvas, double strength) {
    const double w = canvas.width(), h = canvas.height();
    const double reach = std::hypot(w, h) / 2;
    std::unique_ptr<cairo_pattern_t, decltype(&cairo_pattern_destroy)> pattern(
        cairo_pattern_create_radial(w / 2, h / 2, reach * 0.4, w / 2, h / 2, reach), cairo_pattern_destroy);
    cairo_pattern_add_color_stop_rgba(pattern.get(), 0, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(pattern.get(), 1, 0, 0, 0, strength);
    cairo_set_source(canvas.cr(), pattern.get());
    cairo_paint(canvas.cr());
}
}  // namespace

void Vignette(Canvas& canvas, double strength, Falloff falloff) {
    if (falloff == Falloff::kSquare) {
        SquareVignette(canvas, strength);
    } else {
        RimVignette(canvas, strength);
    }
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}

void EllipsePath(cairo_t* cr, double cx, double cy, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

uint32_t Random::Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
}

namespace {
PangoLayout* MakeLayout(cairo_t* cr, const std::string& text, const std::string& font) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* desc = pango_font_description_from_string(font.c_str());
    pango_layout_set_font_description(layout, desc);
    pango_font_description_free(desc);
    pango_layout_set_text(layout, text.c_str(), -1);
    return layout;
}
}  // namespace

void TextExtent(cairo_t* cr, const std::string& text, const std::string& font, double* width,
                double* height) {
    PangoLayout* layout = MakeLayout(cr, text, font);
    PangoRectangle ink, logical;
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    *width = logical.width;
    *height = logical.height;
    g_object_unref(layout);
}

void DrawOutlinedText(cairo_t* cr, const std::string& text, const std::string& font, double x, double y,
                      const double fill[3], const double outline[3], double outlineWidth) {
    PangoLayout* layout = MakeLayout(cr, text, font);
    cairo_save(cr);
    cairo_move_to(cr, x, y);
    pango_cairo_layout_path(cr, layout);
    if (outlineWidth > 0) {
        cairo_set_source_rgb(cr, outline[0], outline[1], outline[2]);
        cairo_set_line_width(cr, outlineWidth * 2);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    cairo_set_source_rgb(cr, fill[0], fill[1], fill[2]);
    cairo_fill(cr);
    cairo_restore(cr);
    g_object_unref(layout);
}

}  // namespace assets
