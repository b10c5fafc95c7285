// The scene pictures' drawing vocabulary: pixel passes against plain references, the encoders'
// keying, the mountain outline and the figure skeleton.
#include "AssetBuilder/Pictures/SceneKit.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

using namespace assets;
using namespace assets::scene;

std::vector<uint32_t> Words(Canvas& canvas) {
    PixelAccess px(canvas);
    std::vector<uint32_t> out;
    for (int y = 0; y < px.height(); ++y) out.insert(out.end(), px.Row(y), px.Row(y) + px.width());
    return out;
}

void SetWords(Canvas& canvas, const std::vector<uint32_t>& words) {
    PixelAccess px(canvas);
    for (int y = 0; y < px.height(); ++y)
        std::copy_n(words.data() + static_cast<size_t>(y) * px.width(), px.width(), px.Row(y));
}

int Lane(uint32_t p, int lane) {
    return (p >> (lane * 8)) & 0xFF;
}

// Box blur the obvious way: every output lane is the rounded mean of its clamped neighbours.
std::vector<uint32_t> ReferenceBlur(std::vector<uint32_t> img, int w, int h, int radius, int passes) {
    const int window = 2 * radius + 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int direction = 0; direction < 2; ++direction) {
            std::vector<uint32_t> out(img.size());
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    uint32_t p = 0;
                    for (int lane = 0; lane < 4; ++lane) {
                        int sum = 0;
                        for (int k = -radius; k <= radius; ++k) {
                            const int sx = direction == 0 ? std::clamp(x + k, 0, w - 1) : x;
                            const int sy = direction == 1 ? std::clamp(y + k, 0, h - 1) : y;
                            sum += Lane(img[static_cast<size_t>(sy) * w + sx], lane);
                        }
                        p |= uint32_t((sum + window / 2) / window) << (lane * 8);
                    }
                    out[static_cast<size_t>(y) * w + x] = p;
                }
            }
            img = out;
        }
    }
    return img;
}

TEST(SceneKit, BlurMatchesAPlainBoxFilter) {
    struct Case {
        int w, h, radius, passes, tolerance;
    };
    // the fast blur divides by a fixed-point reciprocal: one step off at most per pass and direction
    for (const Case& c :
         {Case{37, 23, 1, 1, 1}, Case{64, 40, 3, 3, 4}, Case{20, 50, 9, 2, 3}, Case{5, 5, 4, 1, 1}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " r" << c.radius << " p" << c.passes);
        Canvas canvas(c.w, c.h);
        Random rnd(static_cast<uint64_t>(c.w * 100 + c.radius));
        std::vector<uint32_t> input(static_cast<size_t>(c.w) * c.h);
        for (uint32_t& p : input) {
            const uint32_t a = rnd.Next() & 0xFF;  // premultiplied: colour lanes never exceed alpha
            p = (a << 24) | ((rnd.Next() % (a + 1)) << 16) | ((rnd.Next() % (a + 1)) << 8) |
                (rnd.Next() % (a + 1));
        }
        SetWords(canvas, input);
        Blur(canvas, c.radius, c.passes);
        const std::vector<uint32_t> got = Words(canvas);
        const std::vector<uint32_t> want = ReferenceBlur(input, c.w, c.h, c.radius, c.passes);
        int worst = 0;
        for (size_t i = 0; i < got.size(); ++i) {
            for (int lane = 0; lane < 4; ++lane)
                worst = std::max(worst, std::abs(Lane(got[i], lane) - Lane(want[i], lane)));
        }
        EXPECT_LE(worst, c.tolerance);
    }
}

TEST(SceneKit, PixelPassesLeaveTransparencyAndTheCentreAlone) {
    Canvas canvas(41, 31);
    std::vector<uint32_t> input(41 * 31, 0xFF806040u);
    input[0] = 0x00000000u;  // transparent
    input[1] = 0x80402010u;  // half covered
    SetWords(canvas, input);
    Random rnd(3);
    AddGrain(canvas, rnd, 20, Grain::kOpaqueOnly);
    std::vector<uint32_t> grained = Words(canvas);
    EXPECT_EQ(grained[0], input[0]);
    EXPECT_EQ(grained[1], input[1]) << "grain on an edge pixel would change its keying";
    double mean = 0;
    for (size_t i = 2; i < grained.size(); ++i) mean += Lane(grained[i], 1);
    EXPECT_NEAR(mean / (grained.size() - 2), 0x60, 1.5) << "grain adds no cast";
    SetWords(canvas, input);
    Vignette(canvas, 0.5, Falloff::kSquare);
    const std::vector<uint32_t> v = Words(canvas);
    EXPECT_EQ(v[15 * 41 + 20], input[15 * 41 + 20]) << "centre untouched";
    // corners: pixel centres half a pixel in from the frame's corner, all four alike
    const double reach = (20.0 * 20.0 + 15.0 * 15.0) / (20.5 * 20.5 + 15.5 * 15.5);
    for (size_t corner : {size_t{0} + 41 * 30, size_t{40}, size_t{41 * 31 - 1}}) {
        EXPECT_NEAR(Lane(v[corner], 2), 0x80 * (1 - 0.5 * reach), 1.0) << "corner " << corner;
    }
    EXPECT_EQ(v[41 * 31 - 1] >> 24, 0xFFu) << "alpha kept";
    SetWords(canvas, input);
    Greyscale(canvas);
    const uint32_t g = Words(canvas)[100];
    EXPECT_EQ(Lane(g, 0), Lane(g, 1));
    EXPECT_EQ(Lane(g, 1), Lane(g, 2));
    EXPECT_EQ(Lane(g, 0), static_cast<int>(0.30 * 0x80 + 0.59 * 0x60 + 0.11 * 0x40 + 0.5));
}

// Decodes a PNG from the picture map back to 0xRRGGBB words.
std::vector<uint32_t> DecodePng(const std::vector<uint8_t>& bytes) {
    struct Reader {
        const std::vector<uint8_t>* bytes;
        size_t pos;
    } reader{&bytes, 0};
    auto read = [](void* closure, unsigned char* data, unsigned int length) {
        auto* r = static_cast<Reader*>(closure);
        if (r->pos + length > r->bytes->size()) return CAIRO_STATUS_READ_ERROR;
        std::memcpy(data, r->bytes->data() + r->pos, length);
        r->pos += length;
        return CAIRO_STATUS_SUCCESS;
    };
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(read, &reader);
    std::vector<uint32_t> out;
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        const int stride = cairo_image_surface_get_stride(s);
        for (int y = 0; y < h; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) +
                                                                static_cast<size_t>(y) * stride);
            for (int x = 0; x < w; ++x) out.push_back(row[x] & 0xFFFFFF);
        }
    }
    cairo_surface_destroy(s);
    return out;
}

TEST(SceneKit, EncodersKeyByCoverageAndCompositeOverBlack) {
    struct Case {
        double r, g, b, a;
        uint32_t keyed, plain;
    };
    const Case cases[] = {
        {1, 0, 0, 0.0, 0x00FF00, 0x000000},   // nothing drawn: key / black
        {1, 0, 0, 0.45, 0x00FF00, 0x730000},  // under half covered: key
        {1, 0, 0, 0.6, 0xFF0000, 0x990000},   // over half: the straight colour, no green fringe
        {0, 1, 0, 1.0, 0x00FE00, 0x00FF00},   // drawn pure green stays visible when keyed
        {0.2, 0.4, 0.6, 1.0, 0x336699, 0x336699},
    };
    Canvas canvas(static_cast<int>(std::size(cases)), 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        cairo_rectangle(canvas.cr(), static_cast<double>(i), 0, 1, 1);
        cairo_set_source_rgba(canvas.cr(), cases[i].r, cases[i].g, cases[i].b, cases[i].a);
        cairo_set_operator(canvas.cr(), CAIRO_OPERATOR_SOURCE);
        cairo_fill(canvas.cr());
    }
    const std::vector<uint32_t> keyed = DecodePng(EncodeKeyedPng(canvas)),
                                plain = DecodePng(EncodePlainPng(canvas));
    ASSERT_EQ(keyed.size(), std::size(cases));
    ASSERT_EQ(plain.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(keyed[i], cases[i].keyed);
        for (int lane = 0; lane < 3; ++lane) EXPECT_NEAR(Lane(plain[i], lane), Lane(cases[i].plain, lane), 1);
    }
}

TEST(SceneKit, ShapesInOneFillAddUpWhateverTheirWinding) {
    Canvas canvas(40, 20);
    cairo_t* cr = canvas.cr();
    PolygonPath(cr, {{0, 0}, {30, 0}, {30, 20}, {0, 20}});    // clockwise
    PolygonPath(cr, {{10, 0}, {10, 20}, {40, 20}, {40, 0}});  // counter-clockwise, overlapping
    CapsulePath(cr, {5, 10}, {35, 10}, 6, 4);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);
    const std::vector<uint32_t> w = Words(canvas);
    for (int x : {5, 20, 35}) EXPECT_EQ(w[10 * 40 + x], 0xFFFFFFFFu) << "x " << x;
}

TEST(SceneKit, NoiseIsBoundedSmoothAndSeeded) {
    const ValueNoise a(1), b(1), c(2);
    double lo = 1, hi = 0, differ = 0, worstStep = 0;
    for (int i = 0; i < 2000; ++i) {
        const double x = i * 0.37, y = i * 0.11;
        const double v = a.At(x, y), f = a.Fbm(x, y, 4);
        lo = std::min({lo, v, f});
        hi = std::max({hi, v, f});
        EXPECT_EQ(v, b.At(x, y));
        differ += std::abs(v - c.At(x, y));
        worstStep = std::max(worstStep, std::abs(a.At(x + 0.01, y) - v));
    }
    EXPECT_GE(lo, 0.0);
    EXPECT_LE(hi, 1.0);
    EXPECT_GT(hi - lo, 0.6) << "uses its range";
    EXPECT_GT(differ / 2000, 0.1) << "another seed, another pattern";
    EXPECT_LT(worstStep, 0.03) << "continuous";
}

TEST(SceneKit, MountainOutlineRisesToOneSummitAndTheBreakJoinsIt) {
    const std::vector<Point>& ridge = MountainRidge();
    EXPECT_EQ(ridge.front().x, 0);
    EXPECT_EQ(ridge.back().x, 640);
    int summits = 0;
    for (size_t i = 0; i < ridge.size(); ++i) {
        if (i > 0) {
            EXPECT_GT(ridge[i].x, ridge[i - 1].x) << "one height per column";
        }
        EXPECT_GE(ridge[i].y, kSummit.y);
        summits += ridge[i].x == kSummit.x && ridge[i].y == kSummit.y;
    }
    EXPECT_EQ(summits, 1);
    auto ridgeY = [&](double x) {
        for (size_t i = 1; i < ridge.size(); ++i) {
            if (ridge[i].x >= x) {
                const double t = (x - ridge[i - 1].x) / (ridge[i].x - ridge[i - 1].x);
                return ridge[i - 1].y + (ridge[i].y - ridge[i - 1].y) * t;
            }
        }
        return ridge.back().y;
    };
    const std::vector<Point>& broken = BrokenRidge();
    EXPECT_NEAR(broken.front().y, ridgeY(broken.front().x), 6) << "no step where the break starts";
    EXPECT_NEAR(broken.back().y, ridgeY(broken.back().x), 6) << "nor where it ends";
    for (const Point& p : broken) EXPECT_GT(p.y, 170) << "the whole peak is gone";
}

TEST(SceneKit, FigureLimbsKeepTheirLengthsAndLeftMirrorsRight) {
    Figure right;
    right.pelvis = {200, 300};
    right.height = 400;
    right.view = View::Right;
    right.pose.lean = 15;
    right.pose.arm[1][0] = 70, right.pose.arm[1][1] = 130;
    right.pose.leg[0][0] = -30, right.pose.leg[1][0] = 40, right.pose.leg[1][1] = -20;
    Figure left = right;
    left.view = View::Left;
    const Joints r = Skeleton(right), l = Skeleton(left);
    auto dist = [](Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); };
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(dist(r.shoulder[i], r.elbow[i]), 0.145 * 400, 1e-9);
        EXPECT_NEAR(dist(r.elbow[i], r.hand[i]), 0.135 * 400, 1e-9);
        EXPECT_NEAR(dist(r.knee[i], r.foot[i]), 0.215 * 400, 1e-9);
        for (auto [a, b] :
             {std::pair{r.hand[i], l.hand[i]}, {r.foot[i], l.foot[i]}, {r.elbow[i], l.elbow[i]}}) {
            EXPECT_NEAR(a.x - 200, -(b.x - 200), 1e-9) << "mirrored about the pelvis";
            EXPECT_NEAR(a.y, b.y, 1e-9);
        }
    }
    EXPECT_GT(r.head.x, 200) << "leaning forward moves the head the way he faces";
    EXPECT_LT(r.head.y, r.neck.y);
}

}  // namespace
