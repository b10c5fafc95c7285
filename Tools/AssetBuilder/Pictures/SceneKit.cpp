// The shared drawing vocabulary of the scene pictures (see SceneKit.h).
#include "AssetBuilder/Pictures/SceneKit.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace assets::scene {

namespace {
constexpr double kPi = 3.14159265358979323846;
double Rad(double degrees) {
    return degrees * kPi / 180.0;
}
// Unit vector of an angle in the figure convention: 0 down, 90 towards +x.
Point Dir(double degrees) {
    return {std::sin(Rad(degrees)), std::cos(Rad(degrees))};
}
Point Add(Point a, Point b, double k = 1.0) {
    return {a.x + b.x * k, a.y + b.y * k};
}
uint8_t Clamp255(double v) {
    return static_cast<uint8_t>(std::clamp(v + 0.5, 0.0, 255.0));
}
}  // namespace

Rgb Hex(uint32_t rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Tint(Rgb c, double t) {
    return t >= 0 ? Mix(c, {1, 1, 1}, t) : Mix(c, {0, 0, 0}, -t);
}

void SetColour(cairo_t* cr, Rgb c, double alpha) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

uint32_t Opaque(Rgb c) {
    auto ch = [](double v) { return static_cast<uint32_t>(std::clamp(v, 0.0, 1.0) * 255 + 0.5); };
    return 0xFF000000u | (ch(c.r) << 16) | (ch(c.g) << 8) | ch(c.b);
}

double Smoothstep(double a, double b, double x) {
    const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

void FillVertical(cairo_t* cr, double x, double y, double w, double h, std::initializer_list<Stop> stops) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
    for (const Stop& s : stops)
        cairo_pattern_add_color_stop_rgba(p, s.offset, s.colour.r, s.colour.g, s.colour.b, s.alpha);
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_pattern_destroy(p);
}

void Glow(cairo_t* cr, double x, double y, double radius, Rgb colour, double alpha, bool additive) {
    cairo_pattern_t* p = cairo_pattern_create_radial(x, y, 0, x, y, radius);
    // a smooth bell rather than a cone: no visible rim where the light ends
    const double offsets[] = {0.0, 0.15, 0.35, 0.6, 1.0};
    const double levels[] = {1.0, 0.72, 0.38, 0.12, 0.0};
    for (int i = 0; i < 5; ++i) {
        cairo_pattern_add_color_stop_rgba(p, offsets[i], colour.r, colour.g, colour.b, alpha * levels[i]);
    }
    cairo_save(cr);
    if (additive) cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
    cairo_arc(cr, x, y, radius, 0, 2 * kPi);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_pattern_destroy(p);
}

void FillPathVertical(cairo_t* cr, double y0, double y1, std::initializer_list<Stop> stops) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    for (const Stop& s : stops)
        cairo_pattern_add_color_stop_rgba(p, s.offset, s.colour.r, s.colour.g, s.colour.b, s.alpha);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void FillShaded(cairo_t* cr, Rgb base, double contrast) {
    double x1, y1, x2, y2;
    cairo_path_extents(cr, &x1, &y1, &x2, &y2);
    cairo_pattern_t* p = cairo_pattern_create_linear(x1, y1, x2, y1 + (x2 - x1) * 0.35);
    const Rgb light = Tint(base, contrast), dark = Tint(base, -contrast);
    cairo_pattern_add_color_stop_rgb(p, 0.0, light.r, light.g, light.b);
    cairo_pattern_add_color_stop_rgb(p, 0.45, base.r, base.g, base.b);
    cairo_pattern_add_color_stop_rgb(p, 1.0, dark.r, dark.g, dark.b);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
}

void InkShape(cairo_t* cr, Rgb fill, Rgb ink, double width, double contrast) {
    cairo_save(cr);
    if (width > 0) {
        SetColour(cr, ink);
        cairo_set_line_width(cr, width * 2);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    FillShaded(cr, fill, contrast);
    cairo_new_path(cr);
    cairo_restore(cr);
}

void TextPath(cairo_t* cr, const std::string& text, const std::string& font, double x, double y) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* desc = pango_font_description_from_string(font.c_str());
    pango_layout_set_font_description(layout, desc);
    pango_font_description_free(desc);
    pango_layout_set_text(layout, text.c_str(), -1);
    cairo_move_to(cr, x, y);
    pango_cairo_layout_path(cr, layout);
    g_object_unref(layout);
}

void CentredText(cairo_t* cr, const std::string& text, const std::string& font, double cx, double cy,
                 Rgb fill, Rgb outline, double outlineWidth) {
    double w, h;
    TextExtent(cr, text, font, &w, &h);
    const double f[3] = {fill.r, fill.g, fill.b}, o[3] = {outline.r, outline.g, outline.b};
    DrawOutlinedText(cr, text, font, cx - w / 2, cy - h / 2, f, o, outlineWidth);
}

void ToplessMountainPath(cairo_t* cr) {
    const auto& ridge = MountainRidge();
    const auto& broken = BrokenRidge();
    std::vector<Point> pts;
    for (const Point& p : ridge) {
        if (p.x < broken.front().x) pts.push_back(p);
    }
    pts.insert(pts.end(), broken.begin(), broken.end());
    for (const Point& p : ridge) {
        if (p.x > broken.back().x) pts.push_back(p);
    }
    pts.push_back({640, 480});
    pts.push_back({0, 480});
    PolygonPath(cr, pts);
}

void PolygonPath(cairo_t* cr, const std::vector<Point>& points) {
    if (points.empty()) return;
    // Every shape is wound the same way (clockwise on screen) so that shapes combined into one
    // path add up under the non-zero rule instead of punching holes where they overlap.
    double area = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const Point& a = points[i];
        const Point& b = points[(i + 1) % points.size()];
        area += a.x * b.y - b.x * a.y;
    }
    cairo_new_sub_path(cr);
    if (area >= 0) {
        for (const Point& p : points) cairo_line_to(cr, p.x, p.y);
    } else {
        for (auto it = points.rbegin(); it != points.rend(); ++it) cairo_line_to(cr, it->x, it->y);
    }
    cairo_close_path(cr);
}

void CapsulePath(cairo_t* cr, Point a, Point b, double wa, double wb) {
    const double phi = std::atan2(b.y - a.y, b.x - a.x);
    cairo_new_sub_path(cr);
    cairo_arc(cr, b.x, b.y, wb / 2, phi - kPi / 2, phi + kPi / 2);
    cairo_arc(cr, a.x, a.y, wa / 2, phi + kPi / 2, phi + 3 * kPi / 2);
    cairo_close_path(cr);
}

void Stars(cairo_t* cr, Random& rnd, int count, double x, double y, double w, double h, double maxRadius) {
    cairo_save(cr);
    for (int i = 0; i < count; ++i) {
        const double sx = x + rnd.Uniform() * w, sy = y + rnd.Uniform() * h;
        const double size = 0.3 + std::pow(rnd.Uniform(), 3.0) * maxRadius;
        const double bright = 0.35 + 0.65 * rnd.Uniform();
        cairo_set_source_rgba(cr, 0.85 + 0.15 * rnd.Uniform(), 0.9, 1.0, bright);
        cairo_arc(cr, sx, sy, size, 0, 2 * kPi);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

PixelAccess::PixelAccess(Canvas& canvas)
    : surface_(canvas.surface()),
      data_(nullptr),
      stride_(cairo_image_surface_get_stride(canvas.surface())),
      width_(canvas.width()),
      height_(canvas.height()) {
    cairo_surface_flush(surface_);
    data_ = cairo_image_surface_get_data(surface_);
}

PixelAccess::~PixelAccess() {
    cairo_surface_mark_dirty(surface_);
}

namespace {
// One box pass along a row, all four byte lanes at once, edges clamped:
// out[i] = round(mean of in[i - r .. i + r]) per lane.
void BoxRow(uint32_t* row, int count, int radius, std::vector<uint32_t>& copy) {
    copy.assign(row, row + count);
    const int window = 2 * radius + 1;
    const int recip = (65536 + window / 2) / window;  // mean = sum * recip >> 16, off by at most one
    int sum[4] = {0, 0, 0, 0};
    for (int k = -radius; k <= radius; ++k) {
        const uint32_t p = copy[std::clamp(k, 0, count - 1)];
        for (int lane = 0; lane < 4; ++lane) sum[lane] += (p >> (lane * 8)) & 0xFF;
    }
    for (int i = 0; i < count; ++i) {
        uint32_t out = 0;
        for (int lane = 0; lane < 4; ++lane)
            out |= uint32_t(std::min(255, (sum[lane] * recip + 32768) >> 16)) << (lane * 8);
        row[i] = out;
        const uint32_t in = copy[std::min(i + radius + 1, count - 1)], gone = copy[std::max(i - radius, 0)];
        for (int lane = 0; lane < 4; ++lane)
            sum[lane] += int((in >> (lane * 8)) & 0xFF) - int((gone >> (lane * 8)) & 0xFF);
    }
}
}  // namespace

void Blur(Canvas& canvas, int radius, int passes) {
    if (radius <= 0) return;
    PixelAccess px(canvas);
    const int w = px.width(), h = px.height();
    const int window = 2 * radius + 1;
    const int recip = (65536 + window / 2) / window;
    std::vector<uint32_t> scratch, image(static_cast<size_t>(w) * h);
    std::vector<int> sums(static_cast<size_t>(w) * 4);
    auto source = [&](int y) { return image.data() + static_cast<size_t>(std::clamp(y, 0, h - 1)) * w; };
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < h; ++y) BoxRow(px.Row(y), w, radius, scratch);
        // columns: a sliding window of rows, summed for every column at once (rows outer, cache friendly)
        for (int y = 0; y < h; ++y)
            std::copy(px.Row(y), px.Row(y) + w, image.data() + static_cast<size_t>(y) * w);
        std::fill(sums.begin(), sums.end(), 0);
        for (int k = -radius; k <= radius; ++k) {
            const uint32_t* row = source(k);
            for (int x = 0; x < w; ++x) {
                for (int lane = 0; lane < 4; ++lane) sums[x * 4 + lane] += (row[x] >> (lane * 8)) & 0xFF;
            }
        }
        for (int y = 0; y < h; ++y) {
            uint32_t* out = px.Row(y);
            const uint32_t* in = source(y + radius + 1);
            const uint32_t* gone = source(y - radius);
            for (int x = 0; x < w; ++x) {
                uint32_t p = 0;
                for (int lane = 0; lane < 4; ++lane) {
                    int& s = sums[x * 4 + lane];
                    p |= uint32_t(std::min(255, (s * recip + 32768) >> 16)) << (lane * 8);
                    s += int((in[x] >> (lane * 8)) & 0xFF) - int((gone[x] >> (lane * 8)) & 0xFF);
                }
                out[x] = p;
            }
        }
    }
}

void Greyscale(Canvas& canvas) {
    PixelAccess px(canvas);
    for (int y = 0; y < px.height(); ++y) {
        uint32_t* row = px.Row(y);
        for (int x = 0; x < px.width(); ++x) {
            const uint32_t p = row[x];
            const uint32_t v =
                Clamp255(0.30 * ((p >> 16) & 0xFF) + 0.59 * ((p >> 8) & 0xFF) + 0.11 * (p & 0xFF));
            row[x] = (p & 0xFF000000u) | (v << 16) | (v << 8) | v;
        }
    }
}

void Tone(Canvas& canvas, double r, double g, double b) {
    PixelAccess px(canvas);
    for (int y = 0; y < px.height(); ++y) {
        uint32_t* row = px.Row(y);
        for (int x = 0; x < px.width(); ++x) {
            const uint32_t p = row[x];
            const uint32_t a = p >> 24;
            // premultiplied: a channel may not exceed alpha
            const uint32_t nr = std::min<uint32_t>(a, Clamp255(((p >> 16) & 0xFF) * r));
            const uint32_t ng = std::min<uint32_t>(a, Clamp255(((p >> 8) & 0xFF) * g));
            const uint32_t nb = std::min<uint32_t>(a, Clamp255((p & 0xFF) * b));
            row[x] = (a << 24) | (nr << 16) | (ng << 8) | nb;
        }
    }
}

double ValueNoise::Lattice(int x, int y) const {
    uint32_t h =
        seed_ * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA6Bu ^ static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return (h & 0xFFFFFF) / 16777215.0;
}

double ValueNoise::At(double x, double y) const {
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    double tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);  // smoothstep: no creases along the lattice lines
    ty = ty * ty * (3 - 2 * ty);
    const double a = Lattice(ix, iy), b = Lattice(ix + 1, iy);
    const double c = Lattice(ix, iy + 1), d = Lattice(ix + 1, iy + 1);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

double ValueNoise::Fbm(double x, double y, int octaves) const {
    double sum = 0, amplitude = 0.5, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += At(x, y) * amplitude;
        total += amplitude;
        x = x * 2.03 + 17.1;  // off-integer steps keep octaves from lining up
        y = y * 2.03 - 9.7;
        amplitude *= 0.5;
    }
    return sum / total;
}

const std::vector<Point>& MountainRidge() {
    // A steep horn on broad shoulders: the shoulders keep the whole lower middle of the frame
    // covered, which the magnified views of the dark picture rely on.
    static const std::vector<Point> ridge = [] {
        const std::vector<Point> key = {
            {0, 312},   {34, 296},  {62, 278},  {92, 252},  {118, 230}, {132, 216}, {146, 208},
            {170, 204}, {196, 203}, {218, 199}, {236, 190}, {246, 174}, {256, 160}, {268, 148},
            {280, 138}, {292, 130}, {304, 124}, {313, 119}, kSummit,    {328, 121}, {336, 128},
            {344, 140}, {350, 152}, {358, 166}, {366, 180}, {378, 192}, {396, 198}, {420, 200},
            {446, 202}, {474, 205}, {500, 209}, {524, 217}, {556, 231}, {596, 248}, {640, 264}};
        // a little seeded roughness between the key points, never at the summit itself
        std::vector<Point> out;
        Random rnd(71);
        for (size_t i = 0; i + 1 < key.size(); ++i) {
            out.push_back(key[i]);
            const Point a = key[i], b = key[i + 1];
            for (int k = 1; k < 3; ++k) {
                const double t = k / 3.0;
                // never above the summit: it stays the one highest point the light maps are centred on
                const double y = a.y + (b.y - a.y) * t + rnd.Range(-2.5, 2.5);
                out.push_back({a.x + (b.x - a.x) * t, std::max(y, kSummit.y + 1.0)});
            }
        }
        out.push_back(key.back());
        return out;
    }();
    return ridge;
}

void MountainPath(cairo_t* cr) {
    std::vector<Point> pts = MountainRidge();
    pts.push_back({640, 480});
    pts.push_back({0, 480});
    PolygonPath(cr, pts);
}

const std::vector<Point>& BrokenRidge() {
    static const std::vector<Point> broken = {{230, 196}, {242, 186}, {252, 196}, {262, 183}, {272, 194},
                                              {284, 186}, {296, 198}, {310, 188}, {322, 200}, {334, 187},
                                              {346, 197}, {356, 184}, {366, 193}, {376, 186}, {384, 195}};
    return broken;
}

double InkWidth(double figureHeight) {
    return std::max(1.2, figureHeight * 0.008);
}

namespace {
struct Frame {
    Point up, right;  // unit vectors of the torso
};

// The pose as drawn: Left is Right mirrored, so the same pose serves both facings.
Pose Effective(const Figure& f) {
    Pose p = f.pose;
    if (f.view == View::Left) {
        p.lean = -p.lean;
        p.head = -p.head;
        for (auto& limb : p.arm) limb[0] = -limb[0], limb[1] = -limb[1];
        for (auto& limb : p.leg) limb[0] = -limb[0], limb[1] = -limb[1];
    }
    return p;
}

Frame TorsoFrame(double lean) {
    return {{std::sin(Rad(lean)), -std::cos(Rad(lean))}, {std::cos(Rad(lean)), std::sin(Rad(lean))}};
}

bool IsSide(View v) {
    return v == View::Right || v == View::Left;
}

// Which way along the torso's right vector limb i sits. The torso frame of a Left figure is the
// Right one turned by the negated lean, whose right vector points the other way from a mirror
// image, so the far and near limbs swap sides unless the sign flips with the facing.
double LimbSide(const Figure& f, int i) {
    return (i == 0 ? -1.0 : 1.0) * (f.view == View::Left ? -1.0 : 1.0);
}
}  // namespace

Joints Skeleton(const Figure& f) {
    const Pose p = Effective(f);
    const double H = f.height;
    const Frame t = TorsoFrame(p.lean);
    const bool side = IsSide(f.view);
    Joints j;
    j.pelvis = f.pelvis;
    j.neck = Add(f.pelvis, t.up, 0.31 * H);
    const Point headUp{std::sin(Rad(p.lean + p.head)), -std::cos(Rad(p.lean + p.head))};
    j.head = Add(j.neck, headUp, 0.095 * H);
    const double shoulderHalf = side ? 0.02 * H : 0.112 * H;
    const double hipHalf = side ? 0.015 * H : 0.05 * H;
    for (int i = 0; i < 2; ++i) {
        const double s = LimbSide(f, i);
        j.shoulder[i] = Add(Add(j.neck, t.up, -0.04 * H), t.right, s * shoulderHalf);
        j.elbow[i] = Add(j.shoulder[i], Dir(p.arm[i][0]), 0.145 * H);
        j.hand[i] = Add(j.elbow[i], Dir(p.arm[i][1]), 0.135 * H);
        const Point hip = Add(f.pelvis, t.right, s * hipHalf);
        j.knee[i] = Add(hip, Dir(p.leg[i][0]), 0.215 * H);
        j.foot[i] = Add(j.knee[i], Dir(p.leg[i][1]), 0.215 * H);
    }
    return j;
}

namespace {
void DrawLeg(cairo_t* cr, const Figure& f, const Joints& j, int i, const Frame& t) {
    const double H = f.height, iw = InkWidth(H);
    const Rgb ink = Hex(kInk);
    const double s = LimbSide(f, i);
    const Point hip = Add(f.pelvis, t.right, s * (IsSide(f.view) ? 0.015 : 0.05) * H);
    // shoe first so the trouser leg overlaps its top
    const double facing = f.view == View::Left ? -1 : 1;
    Point toe = IsSide(f.view) ? Point{j.foot[i].x + facing * 0.055 * H, j.foot[i].y + 0.012 * H}
                               : Point{j.foot[i].x + s * 0.012 * H, j.foot[i].y + 0.022 * H};
    CapsulePath(cr, j.foot[i], toe, 0.056 * H, 0.048 * H);
    InkShape(cr, f.outfit.shoes, ink, iw);
    CapsulePath(cr, hip, j.knee[i], 0.1 * H, 0.075 * H);
    CapsulePath(cr, j.knee[i], j.foot[i], 0.075 * H, 0.052 * H);
    InkShape(cr, f.outfit.skirt > 0 ? f.outfit.skin : f.outfit.legs, ink, iw);
}

void DrawArm(cairo_t* cr, const Figure& f, const Joints& j, int i) {
    const double H = f.height, iw = InkWidth(H);
    const Rgb ink = Hex(kInk);
    CapsulePath(cr, j.shoulder[i], j.elbow[i], 0.072 * H, 0.06 * H);
    CapsulePath(cr, j.elbow[i], j.hand[i], 0.06 * H, 0.048 * H);
    InkShape(cr, f.outfit.sleeves, ink, iw);
    cairo_new_sub_path(cr);
    cairo_arc(cr, j.hand[i].x, j.hand[i].y, 0.034 * H, 0, 2 * kPi);
    InkShape(cr, f.outfit.skin, ink, iw);
}

void DrawTorso(cairo_t* cr, const Figure& f, const Joints& j, const Frame& t) {
    const double H = f.height, iw = InkWidth(H);
    const Rgb ink = Hex(kInk);
    const Outfit& o = f.outfit;
    const bool side = IsSide(f.view);
    const double facing = f.view == View::Left ? -1 : 1;
    const Point down{-t.up.x, -t.up.y};
    auto at = [&](double alongUp, double alongRight) {
        return Add(Add(f.pelvis, t.up, alongUp * H), t.right, alongRight * H);
    };
    std::vector<Point> body;
    if (side) {
        body = {at(-0.02, -0.06 * facing), at(0.12, -0.055 * facing), at(0.27, -0.06 * facing),
                at(0.3, -0.03 * facing),   at(0.3, 0.035 * facing),   at(0.22, 0.07 * facing),
                at(0.12, 0.05 * facing),   at(-0.02, 0.065 * facing)};
    } else {
        body = {at(-0.03, -0.092), at(0.13, -0.078), at(0.25, -0.128), at(0.295, -0.095),
                at(0.295, 0.095),  at(0.25, 0.128),  at(0.13, 0.078),  at(-0.03, 0.092)};
    }
    PolygonPath(cr, body);
    if (o.coat > 0) {
        const double hem = o.coat + 0.03;
        const double spread = side ? 0.07 : 0.095;
        PolygonPath(cr, {at(0.2, -spread - 0.01), at(0.2, spread + 0.01),
                         Add(at(0, spread + 0.02 + o.coat * 0.25), down, hem * H),
                         Add(at(0, -spread - 0.02 - o.coat * 0.25), down, hem * H)});
    }
    InkShape(cr, o.top, ink, iw);
    if (o.skirt > 0) {
        const double spread = side ? 0.06 : 0.09;
        PolygonPath(cr, {at(0.1, -0.07), at(0.1, 0.07), Add(at(0, spread + o.skirt * 0.5), down, o.skirt * H),
                         Add(at(0, -spread - o.skirt * 0.5), down, o.skirt * H)});
        InkShape(cr, Tint(o.top, -0.1), ink, iw);
    }
    if (o.tie && f.view == View::Front) {
        PolygonPath(cr, {at(0.29, -0.012), at(0.29, 0.012), at(0.19, 0.018), at(0.15, 0), at(0.19, -0.018)});
        InkShape(cr, o.tieColour, ink, iw * 0.6);
    }
    (void)j;
}

// The hats, in head-local units: origin at the head centre, -y up, +x the way the figure faces;
// `top` is the crown's height. Each fills and inks its own shapes in colour c.
// A band of flat colour round the crown, unlined.
void HatBand(cairo_t* cr, Rgb colour, double x, double y, double w, double h) {
    cairo_rectangle(cr, x, y, w, h);
    SetColour(cr, colour);
    cairo_fill(cr);
}

void DrawFedora(cairo_t* cr, Rgb c, double H, double iw, double facing, double top) {
    const Rgb ink = Hex(kInk);
    cairo_save(cr);
    cairo_translate(cr, 0, top + 0.012 * H);
    cairo_scale(cr, 1, 0.22);
    cairo_arc(cr, 0.008 * H * facing, 0, 0.095 * H, 0, 2 * kPi);
    cairo_restore(cr);
    PolygonPath(cr, {{-0.052 * H, top + 0.012 * H},
                     {-0.045 * H, top - 0.05 * H},
                     {0, top - 0.04 * H},
                     {0.045 * H, top - 0.05 * H},
                     {0.052 * H, top + 0.012 * H}});
    InkShape(cr, c, ink, iw);
    HatBand(cr, Tint(c, -0.45), -0.05 * H, top - 0.006 * H, 0.1 * H, 0.014 * H);
}

void DrawCowboyHat(cairo_t* cr, Rgb c, double H, double iw, double top) {
    const Rgb ink = Hex(kInk);
    cairo_new_sub_path(cr);
    cairo_move_to(cr, -0.13 * H, top - 0.02 * H);
    cairo_curve_to(cr, -0.08 * H, top + 0.03 * H, 0.08 * H, top + 0.03 * H, 0.13 * H, top - 0.02 * H);
    cairo_curve_to(cr, 0.08 * H, top + 0.005 * H, -0.08 * H, top + 0.005 * H, -0.13 * H, top - 0.02 * H);
    cairo_close_path(cr);
    PolygonPath(cr, {{-0.058 * H, top + 0.01 * H},
                     {-0.05 * H, top - 0.062 * H},
                     {-0.015 * H, top - 0.07 * H},
                     {0, top - 0.055 * H},
                     {0.015 * H, top - 0.07 * H},
                     {0.05 * H, top - 0.062 * H},
                     {0.058 * H, top + 0.01 * H}});
    InkShape(cr, c, ink, iw);
    HatBand(cr, Tint(c, -0.5), -0.056 * H, top - 0.008 * H, 0.112 * H, 0.012 * H);
}

// A dome with a brim: the hard hat's brim juts out the way the figure faces, the helmet's is even.
void DrawDomeHat(cairo_t* cr, Rgb c, bool hardHat, double H, double iw, double facing, double top) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, top + 0.03 * H, 0.068 * H, kPi, 2 * kPi);
    cairo_close_path(cr);
    if (hardHat) {
        PolygonPath(cr, {{-0.082 * H, top + 0.03 * H},
                         {0.09 * H * facing + 0.0, top + 0.03 * H},
                         {0.09 * H * facing, top + 0.042 * H},
                         {-0.082 * H, top + 0.042 * H}});
    } else {
        PolygonPath(cr, {{-0.085 * H, top + 0.03 * H},
                         {0.085 * H, top + 0.03 * H},
                         {0.08 * H, top + 0.05 * H},
                         {-0.08 * H, top + 0.05 * H}});
    }
    InkShape(cr, c, Hex(kInk), iw);
}

void DrawCap(cairo_t* cr, Rgb c, double H, double iw, double facing, double top) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, top + 0.025 * H, 0.062 * H, kPi, 2 * kPi);
    cairo_close_path(cr);
    PolygonPath(cr, {{0, top + 0.018 * H},
                     {0.1 * H * facing, top + 0.03 * H},
                     {0.095 * H * facing, top + 0.04 * H},
                     {0, top + 0.035 * H}});
    InkShape(cr, c, Hex(kInk), iw);
}

void DrawTopHat(cairo_t* cr, Rgb c, double H, double iw, double top) {
    cairo_rectangle(cr, -0.08 * H, top - 0.005 * H, 0.16 * H, 0.018 * H);
    PolygonPath(
        cr, {{-0.05 * H, top}, {-0.047 * H, top - 0.13 * H}, {0.047 * H, top - 0.13 * H}, {0.05 * H, top}});
    InkShape(cr, c, Hex(kInk), iw);
    HatBand(cr, Tint(c, 0.25), -0.05 * H, top - 0.03 * H, 0.1 * H, 0.014 * H);
}

// Seven feathers fanned over a gold band.
void DrawFeathers(cairo_t* cr, Rgb c, double H, double iw, double top) {
    const Rgb ink = Hex(kInk);
    for (int k = -3; k <= 3; ++k) {
        cairo_save(cr);
        cairo_translate(cr, 0, top);
        cairo_rotate(cr, Rad(k * 17.0));
        cairo_scale(cr, 0.35, 1.0);
        cairo_arc(cr, 0, -0.12 * H, 0.075 * H, 0, 2 * kPi);
        cairo_restore(cr);
        InkShape(cr, k % 2 ? c : Tint(c, 0.35), ink, iw * 0.7);
    }
    cairo_rectangle(cr, -0.06 * H, top - 0.002 * H, 0.12 * H, 0.02 * H);
    InkShape(cr, Hex(0xE8C048), ink, iw * 0.7);
}

void DrawHat(cairo_t* cr, const Outfit& o, double H, double iw, double facing) {
    const Rgb c = o.hatColour;
    const double top = -0.06 * H;
    switch (o.hat) {
        case Hat::None:
            break;
        case Hat::Fedora:
            DrawFedora(cr, c, H, iw, facing, top);
            break;
        case Hat::Cowboy:
            DrawCowboyHat(cr, c, H, iw, top);
            break;
        case Hat::HardHat:
        case Hat::Helmet:
            DrawDomeHat(cr, c, o.hat == Hat::HardHat, H, iw, facing, top);
            break;
        case Hat::Cap:
            DrawCap(cr, c, H, iw, facing, top);
            break;
        case Hat::TopHat:
            DrawTopHat(cr, c, H, iw, top);
            break;
        case Hat::Feathers:
            DrawFeathers(cr, c, H, iw, top);
            break;
    }
}

// The heads, drawn in head-local units (see DrawHead); rx and ry are the head's half sizes.
void DrawBackOfHead(cairo_t* cr, const Outfit& o, double H, double iw, double rx, double ry) {
    const Rgb ink = Hex(kInk);
    EllipsePath(cr, -rx, 0.005 * H, 0.012 * H, 0.02 * H);  // the ears
    EllipsePath(cr, rx, 0.005 * H, 0.012 * H, 0.02 * H);
    InkShape(cr, o.skin, ink, iw);
    EllipsePath(cr, 0, 0, rx, ry);
    InkShape(cr, o.hair, ink, iw);
}

// One eye (or the glasses) and the mouth, facing +x.
void DrawProfileFace(cairo_t* cr, const Outfit& o, double H, double iw) {
    const Rgb ink = Hex(kInk);
    SetColour(cr, ink);
    if (o.sunglasses) {
        cairo_rectangle(cr, 0.018 * H, -0.016 * H, 0.042 * H, 0.016 * H);
    } else {
        cairo_arc(cr, 0.034 * H, -0.008 * H, 0.0075 * H, 0, 2 * kPi);
    }
    cairo_fill(cr);
    cairo_set_line_width(cr, iw);
    if (o.face == Face::Shout) {
        EllipsePath(cr, 0.04 * H, 0.034 * H, 0.013 * H, 0.017 * H);
        SetColour(cr, Hex(0x701018));
        cairo_fill_preserve(cr);
        SetColour(cr, ink);
        cairo_stroke(cr);
    } else {
        cairo_move_to(cr, 0.026 * H, 0.034 * H);
        cairo_line_to(cr, 0.05 * H, o.face == Face::Smile ? 0.03 * H : 0.034 * H);
        cairo_stroke(cr);
    }
}

void DrawHeadInProfile(cairo_t* cr, const Outfit& o, double H, double iw, double rx, double ry) {
    const Rgb ink = Hex(kInk);
    EllipsePath(cr, -0.008 * H, -0.006 * H, rx + 0.004 * H, ry + 0.003 * H);
    InkShape(cr, o.hair, ink, iw);
    EllipsePath(cr, 0.006 * H, 0.004 * H, rx * 0.92, ry * 0.95);
    PolygonPath(cr, {{0.05 * H, -0.012 * H}, {0.074 * H, 0.012 * H}, {0.05 * H, 0.018 * H}});  // the nose
    InkShape(cr, o.skin, ink, iw);
    EllipsePath(cr, -0.01 * H, -0.045 * H, rx * 0.8, ry * 0.45);  // the hair over the crown
    InkShape(cr, o.hair, ink, 0);
    if (o.face != Face::None) DrawProfileFace(cr, o, H, iw);
}

// Two eyes (or the glasses), the mouth and the cheeks.
void DrawFrontFace(cairo_t* cr, const Outfit& o, double H, double iw) {
    const Rgb ink = Hex(kInk);
    SetColour(cr, ink);
    if (o.sunglasses) {
        cairo_rectangle(cr, -0.042 * H, -0.014 * H, 0.084 * H, 0.02 * H);
        cairo_fill(cr);
        SetColour(cr, Hex(0x5A6A90), 0.8);
        cairo_rectangle(cr, -0.034 * H, -0.011 * H, 0.018 * H, 0.005 * H);
        cairo_rectangle(cr, 0.012 * H, -0.011 * H, 0.018 * H, 0.005 * H);
        cairo_fill(cr);
    } else {
        cairo_arc(cr, -0.02 * H, -0.006 * H, 0.0075 * H, 0, 2 * kPi);
        cairo_fill(cr);
        cairo_arc(cr, 0.02 * H, -0.006 * H, 0.0075 * H, 0, 2 * kPi);
        cairo_fill(cr);
    }
    SetColour(cr, ink);
    cairo_set_line_width(cr, iw);
    if (o.face == Face::Shout) {
        EllipsePath(cr, 0, 0.034 * H, 0.016 * H, 0.02 * H);
        SetColour(cr, Hex(0x701018));
        cairo_fill_preserve(cr);
        SetColour(cr, ink);
        cairo_stroke(cr);
    } else if (o.face == Face::Smile) {
        cairo_arc(cr, 0, 0.018 * H, 0.022 * H, Rad(25), Rad(155));
        cairo_stroke(cr);
    } else {
        cairo_move_to(cr, -0.014 * H, 0.034 * H);
        cairo_line_to(cr, 0.014 * H, 0.034 * H);
        cairo_stroke(cr);
    }
    SetColour(cr, Hex(0xE06060), 0.25);
    cairo_arc(cr, -0.034 * H, 0.014 * H, 0.01 * H, 0, 2 * kPi);
    cairo_arc(cr, 0.034 * H, 0.014 * H, 0.01 * H, 0, 2 * kPi);
    cairo_fill(cr);
}

void DrawHeadFrontOn(cairo_t* cr, const Outfit& o, double H, double iw, double rx, double ry) {
    const Rgb ink = Hex(kInk);
    if (o.longHair) {
        EllipsePath(cr, 0, 0.03 * H, rx * 1.25, ry * 1.35);
        InkShape(cr, o.hair, ink, iw);
    }
    EllipsePath(cr, 0, -0.008 * H, rx * 1.04, ry);
    InkShape(cr, o.hair, ink, iw);
    EllipsePath(cr, 0, 0.006 * H, rx * 0.96, ry * 0.93);
    InkShape(cr, o.skin, ink, iw, 0.15);
    EllipsePath(cr, 0.0, -0.048 * H, rx * 0.95, ry * 0.36);  // the fringe
    InkShape(cr, o.hair, ink, 0);
    if (o.face != Face::None) DrawFrontFace(cr, o, H, iw);
}

// The neck, then the head turned with the pose and mirrored to the way the figure faces, its hat
// last.
void DrawHead(cairo_t* cr, const Figure& f, const Joints& j, const Pose& p) {
    const double H = f.height, iw = InkWidth(H);
    const Outfit& o = f.outfit;
    const double facing = f.view == View::Left ? -1 : 1;
    CapsulePath(cr, Add(j.neck, TorsoFrame(p.lean).up, -0.02 * H), j.head, 0.05 * H, 0.05 * H);
    InkShape(cr, Tint(o.skin, -0.12), Hex(kInk), iw);
    cairo_save(cr);
    cairo_translate(cr, j.head.x, j.head.y);
    cairo_rotate(cr, Rad(p.lean + p.head));
    cairo_scale(cr, facing * 1.16, 1.16);  // features below are laid out for a head of 0.056 x 0.068
    const double rx = 0.056 * H, ry = 0.068 * H;
    if (f.view == View::Back) {
        DrawBackOfHead(cr, o, H, iw, rx, ry);
    } else if (IsSide(f.view)) {
        DrawHeadInProfile(cr, o, H, iw, rx, ry);
    } else {
        DrawHeadFrontOn(cr, o, H, iw, rx, ry);
    }
    DrawHat(cr, o, H, iw, 1.0);
    cairo_restore(cr);
}
}  // namespace

Joints DrawFigure(cairo_t* cr, const Figure& f) {
    const Pose p = Effective(f);
    const Joints j = Skeleton(f);
    const Frame t = TorsoFrame(p.lean);
    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    if (f.outfit.longHair && f.view == View::Front) {
        // long hair hangs behind the shoulders
        CapsulePath(cr, j.head, Add(j.neck, t.up, -0.1 * f.height), 0.14 * f.height, 0.12 * f.height);
        InkShape(cr, f.outfit.hair, Hex(kInk), InkWidth(f.height));
    }
    if (IsSide(f.view)) {
        DrawArm(cr, f, j, 0);
        DrawLeg(cr, f, j, 0, t);
        DrawTorso(cr, f, j, t);
        DrawLeg(cr, f, j, 1, t);
        if (f.outfit.coat > 0) DrawTorso(cr, f, j, t);
        DrawHead(cr, f, j, p);
        DrawArm(cr, f, j, 1);
    } else {
        DrawLeg(cr, f, j, 0, t);
        DrawLeg(cr, f, j, 1, t);
        DrawTorso(cr, f, j, t);
        if (f.view == View::Back) DrawHead(cr, f, j, p);
        DrawArm(cr, f, j, 0);
        DrawArm(cr, f, j, 1);
        if (f.view == View::Front) DrawHead(cr, f, j, p);
    }
    cairo_restore(cr);
    return j;
}

namespace {

// A slot machine's box and the measures its parts share.
struct SlotFrame {
    double x, y, w, h;
    double bodyW;  // the cabinet; the lever needs the rest of the width
    double iw;     // ink width
    Rgb ink;
};

// The lever, behind the cabinet's right side.
void SlotLever(cairo_t* cr, const SlotFrame& m) {
    const double lx = m.x + m.bodyW + (m.w - m.bodyW) * 0.45;
    CapsulePath(cr, {m.x + m.bodyW - m.iw, m.y + m.h * 0.52}, {lx, m.y + m.h * 0.5}, m.h * 0.035, m.h * 0.03);
    CapsulePath(cr, {lx, m.y + m.h * 0.5}, {lx, m.y + m.h * 0.24}, m.w * 0.045, m.w * 0.035);
    InkShape(cr, Hex(0xB8B8C8), m.ink, m.iw);
    cairo_arc(cr, lx, m.y + m.h * 0.23, m.w * 0.065, 0, 2 * kPi);
    InkShape(cr, Hex(0xD81830), m.ink, m.iw, 0.35);
}

// The cabinet with an arched top.
void SlotCabinet(cairo_t* cr, const SlotFrame& m) {
    cairo_new_sub_path(cr);
    cairo_move_to(cr, m.x + m.iw, m.y + m.h - m.iw);
    cairo_line_to(cr, m.x + m.iw, m.y + m.h * 0.16);
    cairo_curve_to(cr, m.x + m.iw, m.y + m.h * 0.02, m.x + m.bodyW - m.iw, m.y + m.h * 0.02,
                   m.x + m.bodyW - m.iw, m.y + m.h * 0.16);
    cairo_line_to(cr, m.x + m.bodyW - m.iw, m.y + m.h - m.iw);
    cairo_close_path(cr);
    InkShape(cr, Hex(0xB01828), m.ink, m.iw, 0.3);
}

// The sign panel, its bulbs and "JACKPOT".
void SlotSign(cairo_t* cr, const SlotFrame& m) {
    RoundedRect(cr, m.x + m.bodyW * 0.1, m.y + m.h * 0.08, m.bodyW * 0.8, m.h * 0.13, m.h * 0.03);
    InkShape(cr, Hex(0x28106A), m.ink, m.iw * 0.7);
    const int bulbs = 9;
    for (int i = 0; i < bulbs; ++i) {
        const double bx = m.x + m.bodyW * (0.13 + 0.74 * i / (bulbs - 1));
        for (double by : {m.y + m.h * 0.095, m.y + m.h * 0.195}) {
            cairo_arc(cr, bx, by, m.w * 0.012, 0, 2 * kPi);
            SetColour(cr, (i % 2) ? Hex(0xFFF0A0) : Hex(0xFFB040));
            cairo_fill(cr);
        }
    }
    double tw, th;
    const std::string font = "DejaVu Sans Bold " + std::to_string(std::max(6, static_cast<int>(m.h * 0.045)));
    TextExtent(cr, "JACKPOT", font, &tw, &th);
    const double yellow[3] = {1.0, 0.86, 0.2}, dark[3] = {0.35, 0.05, 0.05};
    DrawOutlinedText(cr, "JACKPOT", font, m.x + m.bodyW * 0.5 - tw / 2, m.y + m.h * 0.145 - th / 2, yellow,
                     dark, m.iw * 0.6);
}

// One reel's symbol centred on (cx, cy), `s` its half size: 0 seven, 1 cherries, 2 bar, else a bell.
void ReelSymbol(cairo_t* cr, const SlotFrame& m, uint32_t symbol, double cx, double cy, double s, double rh) {
    switch (symbol) {
        case 0: {  // seven
            double sw, sh;
            const std::string sf =
                "DejaVu Serif Bold " + std::to_string(std::max(6, static_cast<int>(rh * 0.42)));
            TextExtent(cr, "7", sf, &sw, &sh);
            const double red[3] = {0.85, 0.08, 0.1}, k[3] = {0.1, 0.02, 0.02};
            DrawOutlinedText(cr, "7", sf, cx - sw / 2, cy - sh / 2, red, k, m.iw * 0.4);
            break;
        }
        case 1:  // cherries
            cairo_set_line_width(cr, m.iw * 0.8);
            SetColour(cr, Hex(0x2A7020));
            cairo_move_to(cr, cx - s * 0.4, cy + s * 0.2);
            cairo_curve_to(cr, cx - s * 0.3, cy - s * 0.4, cx, cy - s * 0.7, cx + s * 0.3, cy - s * 0.8);
            cairo_move_to(cr, cx + s * 0.4, cy + s * 0.3);
            cairo_curve_to(cr, cx + s * 0.4, cy - s * 0.2, cx + s * 0.3, cy - s * 0.5, cx + s * 0.3,
                           cy - s * 0.8);
            cairo_stroke(cr);
            cairo_arc(cr, cx - s * 0.4, cy + s * 0.35, s * 0.32, 0, 2 * kPi);
            InkShape(cr, Hex(0xD01020), m.ink, m.iw * 0.5, 0.4);
            cairo_arc(cr, cx + s * 0.4, cy + s * 0.45, s * 0.32, 0, 2 * kPi);
            InkShape(cr, Hex(0xD01020), m.ink, m.iw * 0.5, 0.4);
            break;
        case 2: {  // bar
            cairo_rectangle(cr, cx - s, cy - s * 0.4, 2 * s, s * 0.8);
            InkShape(cr, Hex(0x202020), m.ink, m.iw * 0.4, 0.2);
            double bw, bh;
            const std::string bf =
                "DejaVu Sans Bold " + std::to_string(std::max(5, static_cast<int>(s * 0.45)));
            TextExtent(cr, "BAR", bf, &bw, &bh);
            const double white[3] = {1, 1, 1}, none[3] = {0, 0, 0};
            DrawOutlinedText(cr, "BAR", bf, cx - bw / 2, cy - bh / 2, white, none, 0);
            break;
        }
        default:  // bell
            cairo_move_to(cr, cx - s * 0.7, cy + s * 0.5);
            cairo_curve_to(cr, cx - s * 0.5, cy + s * 0.1, cx - s * 0.6, cy - s * 0.7, cx, cy - s * 0.75);
            cairo_curve_to(cr, cx + s * 0.6, cy - s * 0.7, cx + s * 0.5, cy + s * 0.1, cx + s * 0.7,
                           cy + s * 0.5);
            cairo_close_path(cr);
            InkShape(cr, Hex(0xF0C020), m.ink, m.iw * 0.5, 0.35);
            break;
    }
}

// The chrome band around the reel window and the three reels, each showing a random symbol.
void SlotReels(cairo_t* cr, const SlotFrame& m, Random& rnd) {
    RoundedRect(cr, m.x + m.bodyW * 0.07, m.y + m.h * 0.26, m.bodyW * 0.86, m.h * 0.26, m.h * 0.025);
    InkShape(cr, Hex(0xD0D0DC), m.ink, m.iw, 0.35);
    const double rw = m.bodyW * 0.24, rh = m.h * 0.2, ry = m.y + m.h * 0.29;
    for (int r = 0; r < 3; ++r) {
        const double rx = m.x + m.bodyW * (0.12 + 0.265 * r);
        cairo_pattern_t* g = cairo_pattern_create_linear(0, ry, 0, ry + rh);
        cairo_pattern_add_color_stop_rgb(g, 0, 0.45, 0.45, 0.5);
        cairo_pattern_add_color_stop_rgb(g, 0.35, 1, 1, 0.97);
        cairo_pattern_add_color_stop_rgb(g, 0.65, 1, 1, 0.97);
        cairo_pattern_add_color_stop_rgb(g, 1, 0.45, 0.45, 0.5);
        cairo_rectangle(cr, rx, ry, rw, rh);
        cairo_set_source(cr, g);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(g);
        SetColour(cr, m.ink);
        cairo_set_line_width(cr, m.iw * 0.6);
        cairo_stroke(cr);
        const double cx = rx + rw / 2, cy = ry + rh / 2, s = rw * 0.36;
        ReelSymbol(cr, m, rnd.Next() % 4, cx, cy, s, rh);
    }
}

// A glint across the glass.
void SlotGlint(cairo_t* cr, const SlotFrame& m) {
    cairo_move_to(cr, m.x + m.bodyW * 0.14, m.y + m.h * 0.48);
    cairo_line_to(cr, m.x + m.bodyW * 0.3, m.y + m.h * 0.3);
    cairo_line_to(cr, m.x + m.bodyW * 0.36, m.y + m.h * 0.3);
    cairo_line_to(cr, m.x + m.bodyW * 0.2, m.y + m.h * 0.48);
    cairo_close_path(cr);
    SetColour(cr, {1, 1, 1}, 0.25);
    cairo_fill(cr);
}

// Buttons, coin slot, and the pay-out tray with a few coins in it.
void SlotFront(cairo_t* cr, const SlotFrame& m, Random& rnd) {
    for (int b = 0; b < 3; ++b) {
        RoundedRect(cr, m.x + m.bodyW * (0.14 + 0.26 * b), m.y + m.h * 0.57, m.bodyW * 0.2, m.h * 0.05,
                    m.h * 0.012);
        InkShape(cr, b == 1 ? Hex(0x30B040) : Hex(0xF0A020), m.ink, m.iw * 0.6, 0.35);
    }
    RoundedRect(cr, m.x + m.bodyW * 0.42, m.y + m.h * 0.66, m.bodyW * 0.16, m.h * 0.07, m.h * 0.01);
    InkShape(cr, Hex(0xD8C070), m.ink, m.iw * 0.6);
    cairo_rectangle(cr, m.x + m.bodyW * 0.49, m.y + m.h * 0.675, m.bodyW * 0.02, m.h * 0.045);
    SetColour(cr, m.ink);
    cairo_fill(cr);
    RoundedRect(cr, m.x + m.bodyW * 0.15, m.y + m.h * 0.8, m.bodyW * 0.7, m.h * 0.12, m.h * 0.02);
    InkShape(cr, Hex(0xC8C8D4), m.ink, m.iw, 0.35);
    RoundedRect(cr, m.x + m.bodyW * 0.2, m.y + m.h * 0.83, m.bodyW * 0.6, m.h * 0.06, m.h * 0.015);
    SetColour(cr, Hex(0x281818));
    cairo_fill(cr);
    for (int c = 0; c < 5; ++c) {  // a few coins in the tray
        cairo_save(cr);
        cairo_translate(cr, m.x + m.bodyW * (0.28 + 0.1 * c + rnd.Range(-0.02, 0.02)), m.y + m.h * 0.875);
        cairo_scale(cr, 1, 0.45);
        cairo_arc(cr, 0, 0, m.bodyW * 0.045, 0, 2 * kPi);
        cairo_restore(cr);
        InkShape(cr, Hex(0xF0C030), m.ink, m.iw * 0.4, 0.4);
    }
}

}  // namespace

void SlotMachine(cairo_t* cr, double x, double y, double w, double h, int seed) {
    Random rnd(static_cast<uint64_t>(seed) + 1000);
    const SlotFrame frame{x, y, w, h, w * 0.84, std::max(1.5, w * 0.012), Hex(kInk)};
    cairo_save(cr);
    SlotLever(cr, frame);
    SlotCabinet(cr, frame);
    SlotSign(cr, frame);
    SlotReels(cr, frame, rnd);
    SlotGlint(cr, frame);
    SlotFront(cr, frame, rnd);
    cairo_restore(cr);
}

void Facade(cairo_t* cr, Random& rnd, double x, double y, double w, double h, Rgb wall, int columns, int rows,
            double litShare) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    FillShaded(cr, wall, 0.12);
    cairo_new_path(cr);
    const double cw = w / columns, rh = h / rows;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const double wx = x + c * cw + cw * 0.22, wy = y + r * rh + rh * 0.22;
            const double ww = cw * 0.56, wh = rh * 0.56;
            cairo_rectangle(cr, wx, wy, ww, wh);
            if (rnd.Uniform() < litShare) {
                const Rgb lit = Mix(Hex(0xFFD27A), Hex(0xFF9A40), rnd.Uniform());
                SetColour(cr, lit);
                cairo_fill(cr);
                Glow(cr, wx + ww / 2, wy + wh / 2, std::max(ww, wh) * 1.2, lit, 0.18);
            } else {
                SetColour(cr, Tint(wall, -0.6));
                cairo_fill(cr);
            }
        }
    }
    cairo_restore(cr);
}

void Letterbox(cairo_t* cr, double width, double height, double bar) {
    cairo_save(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_rectangle(cr, 0, 0, width, bar);
    cairo_rectangle(cr, 0, height - bar, width, bar);
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace assets::scene
