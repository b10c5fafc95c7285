// The scene pictures as the scenes will see them: decoded from their encoded bytes, checked for
// size, keying, light-map greyness and the alignments the scenes rely on.
#include "AssetBuilder/Pictures/Pictures.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A decoded picture: 0xRRGGBB per pixel, top row first.
struct Image {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
    bool Key(int x, int y) const { return At(x, y) == 0x00FF00; }
};

int R(uint32_t p) { return (p >> 16) & 0xFF; }
int G(uint32_t p) { return (p >> 8) & 0xFF; }
int B(uint32_t p) { return p & 0xFF; }
double Luma(uint32_t p) { return 0.3 * R(p) + 0.59 * G(p) + 0.11 * B(p); }

bool IsJpeg(const std::vector<uint8_t>& b) { return b.size() > 2 && b[0] == 0xFF && b[1] == 0xD8; }

struct Reader {
    const std::vector<uint8_t>* bytes;
    size_t pos;
};

cairo_status_t ReadBytes(void* closure, unsigned char* data, unsigned int length) {
    auto* r = static_cast<Reader*>(closure);
    if (r->pos + length > r->bytes->size()) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, r->bytes->data() + r->pos, length);
    r->pos += length;
    return CAIRO_STATUS_SUCCESS;
}

Image Decode(const std::vector<uint8_t>& bytes) {
    Image img;
    if (IsJpeg(bytes)) {
        jpeg_decompress_struct c;
        jpeg_error_mgr e;
        c.err = jpeg_std_error(&e);
        jpeg_create_decompress(&c);
        jpeg_mem_src(&c, bytes.data(), bytes.size());
        jpeg_read_header(&c, TRUE);
        c.out_color_space = JCS_RGB;  // grey pictures come back with three equal channels
        jpeg_start_decompress(&c);
        img.w = static_cast<int>(c.output_width);
        img.h = static_cast<int>(c.output_height);
        img.px.resize(static_cast<size_t>(img.w) * img.h);
        std::vector<uint8_t> line(static_cast<size_t>(img.w) * 3);
        while (c.output_scanline < c.output_height) {
            const int y = static_cast<int>(c.output_scanline);
            JSAMPROW row = line.data();
            jpeg_read_scanlines(&c, &row, 1);
            for (int x = 0; x < img.w; ++x) {
                img.px[static_cast<size_t>(y) * img.w + x] = (line[x * 3] << 16) | (line[x * 3 + 1] << 8) | line[x * 3 + 2];
            }
        }
        jpeg_finish_decompress(&c);
        jpeg_destroy_decompress(&c);
        return img;
    }
    Reader reader{&bytes, 0};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(ReadBytes, &reader);
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        img.w = cairo_image_surface_get_width(s);
        img.h = cairo_image_surface_get_height(s);
        const int stride = cairo_image_surface_get_stride(s);
        const uint8_t* data = cairo_image_surface_get_data(s);
        img.px.resize(static_cast<size_t>(img.w) * img.h);
        for (int y = 0; y < img.h; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
            for (int x = 0; x < img.w; ++x) img.px[static_cast<size_t>(y) * img.w + x] = row[x] & 0xFFFFFF;
        }
    }
    cairo_surface_destroy(s);
    return img;
}

enum Kind { kKeyedPng, kPlainPng, kPlainJpeg, kKeyedJpeg };
struct Expected {
    int guid;
    Kind kind;
    int w, h;
};
// What each scene picture must be; sizes are those the scenes address.
const Expected kExpected[] = {
    {0, kPlainPng, 640, 480},   {1, kKeyedPng, 640, 480},   {2, kKeyedPng, 640, 480},   {3, kPlainJpeg, 1024, 608},
    {4, kPlainJpeg, 1024, 608}, {6, kKeyedJpeg, 640, 480},  {7, kKeyedJpeg, 640, 480},  {8, kKeyedPng, 640, 480},
    {9, kKeyedPng, 640, 480},   {10, kKeyedPng, 640, 480},  {11, kKeyedPng, 640, 480},  {12, kKeyedPng, 640, 480},
    {14, kKeyedPng, 640, 480},  {15, kKeyedPng, 210, 455},  {27, kPlainJpeg, 640, 480}, {28, kPlainJpeg, 640, 480}, {29, kKeyedPng, 326, 250},
    {30, kKeyedPng, 250, 205},  {31, kKeyedPng, 110, 240},  {32, kKeyedPng, 160, 360},  {34, kPlainPng, 464, 88},
    {38, kPlainJpeg, 640, 480}, {39, kKeyedPng, 364, 389},  {45, kPlainJpeg, 640, 480}, {46, kKeyedPng, 213, 320},
    {47, kKeyedPng, 640, 480},  {48, kKeyedPng, 640, 480},  {49, kKeyedPng, 640, 480},  {51, kKeyedPng, 640, 480},
    {52, kPlainPng, 640, 480},  {53, kKeyedPng, 640, 480},  {74, kPlainPng, 640, 480},  {75, kPlainPng, 640, 480},
    {76, kPlainPng, 640, 480},  {77, kPlainPng, 640, 480},  {78, kPlainPng, 640, 480},  {79, kPlainPng, 640, 480},
    {80, kPlainPng, 640, 480},  {87, kPlainPng, 640, 480},  {88, kPlainPng, 640, 480},  {89, kPlainPng, 640, 480},
    {90, kPlainPng, 640, 480},  {91, kPlainPng, 640, 480},  {92, kPlainPng, 640, 480},  {93, kPlainPng, 640, 480},
    {94, kPlainPng, 396, 303},  {95, kPlainPng, 395, 307},
};

class ScenePictures : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        pictures_ = new assets::PictureMap;
        assets::BuildScenePictures(*pictures_);
        images_ = new std::vector<Image>(100);
        for (const auto& [guid, bytes] : *pictures_) (*images_)[guid] = Decode(bytes);
    }
    static void TearDownTestSuite() {
        delete pictures_;
        delete images_;
    }
    static const Image& Picture(int guid) { return (*images_)[guid]; }
    static assets::PictureMap* pictures_;
    static std::vector<Image>* images_;
};
assets::PictureMap* ScenePictures::pictures_ = nullptr;
std::vector<Image>* ScenePictures::images_ = nullptr;

TEST_F(ScenePictures, EveryPictureDecodesToItsSizeAndFormat) {
    EXPECT_EQ(pictures_->size(), std::size(kExpected)) << "the scene family draws exactly its own GUIDs";
    for (const Expected& e : kExpected) {
        SCOPED_TRACE("guid " + std::to_string(e.guid));
        ASSERT_EQ(pictures_->count(e.guid), 1u);
        const bool jpeg = e.kind == kPlainJpeg || e.kind == kKeyedJpeg;
        EXPECT_EQ(IsJpeg(pictures_->at(e.guid)), jpeg);
        EXPECT_EQ(Picture(e.guid).w, e.w);
        EXPECT_EQ(Picture(e.guid).h, e.h);
    }
}

TEST_F(ScenePictures, KeyedPicturesHaveTransparencyAndNoNearKeyColour) {
    for (const Expected& e : kExpected) {
        if (e.kind != kKeyedPng) continue;
        SCOPED_TRACE("guid " + std::to_string(e.guid));
        const Image& img = Picture(e.guid);
        size_t key = 0, nearKey = 0;
        for (uint32_t p : img.px) {
            if (p == 0x00FF00) {
                ++key;
            } else if (R(p) < 24 && G(p) > 230 && B(p) < 24) {
                ++nearKey;  // would read as green fringe around the transparent areas
            }
        }
        EXPECT_GT(key, img.px.size() / 20) << "a keyed picture shows the scene behind somewhere";
        EXPECT_LT(key, img.px.size() * 19 / 20) << "and draws something itself";
        EXPECT_EQ(nearKey, 0u);
    }
}

TEST_F(ScenePictures, PlainPicturesAreDistinctScenesWithDetail) {
    std::vector<int> stills;
    for (const Expected& e : kExpected) {
        if (e.kind != kPlainPng && e.kind != kPlainJpeg) continue;
        if (e.guid == 27 || e.guid == 28 || e.guid == 34) continue;  // light maps and the beam are mostly black
        SCOPED_TRACE("guid " + std::to_string(e.guid));
        const Image& img = Picture(e.guid);
        double sum = 0, sum2 = 0;
        for (uint32_t p : img.px) {
            sum += Luma(p);
            sum2 += Luma(p) * Luma(p);
        }
        const double n = static_cast<double>(img.px.size());
        const double deviation = std::sqrt(sum2 / n - (sum / n) * (sum / n));
        EXPECT_GT(sum / n, 15.0) << "not black";
        EXPECT_GT(deviation, 20.0) << "not a flat fill";
        if (img.w == 640 && img.h == 480) stills.push_back(e.guid);
    }
    for (size_t a = 0; a < stills.size(); ++a) {
        for (size_t b = a + 1; b < stills.size(); ++b) {
            const Image &x = Picture(stills[a]), &y = Picture(stills[b]);
            double diff = 0;
            for (size_t i = 0; i < x.px.size(); i += 7) diff += std::abs(Luma(x.px[i]) - Luma(y.px[i]));
            EXPECT_GT(diff / (x.px.size() / 7.0), 12.0) << "stills " << stills[a] << " and " << stills[b] << " look alike";
        }
    }
}

TEST_F(ScenePictures, MountainFamilySharesItsSummitAndKeepsZoomAreasOpaque) {
    const Image &dark = Picture(8), &lit = Picture(9), &topless = Picture(10);
    for (const Image* m : {&dark, &lit, &topless}) {
        EXPECT_TRUE(m->Key(320, 60)) << "sky above the summit is keyed";
        EXPECT_TRUE(m->Key(20, 20));
        EXPECT_FALSE(m->Key(320, 300)) << "the mountain's body";
        EXPECT_FALSE(m->Key(40, 470));
    }
    EXPECT_FALSE(dark.Key(320, 124)) << "summit just below (320, 118)";
    EXPECT_FALSE(lit.Key(320, 124));
    EXPECT_TRUE(dark.Key(320, 112));
    for (int x = 262; x <= 378; x += 4) EXPECT_TRUE(topless.Key(x, 160)) << "summit gap at x " << x;
    // magnified views of the dark mountain (title composition) and of the agent stay opaque
    struct Area {
        int guid, x0, y0, x1, y1;
    };
    for (const Area& a : {Area{8, 146, 210, 486, 474}, Area{11, 42, 220, 311, 441}}) {
        size_t keyed = 0;
        for (int y = a.y0; y <= a.y1; ++y) {
            for (int x = a.x0; x <= a.x1; ++x) keyed += Picture(a.guid).Key(x, y);
        }
        EXPECT_EQ(keyed, 0u) << "zoom area of " << a.guid;
    }
}

TEST_F(ScenePictures, LightMapsAreGreySoftAndCentredOnTheSummit) {
    for (int guid : {6, 7, 27, 28}) {
        SCOPED_TRACE("guid " + std::to_string(guid));
        const Image& img = Picture(guid);
        int maxChannelSpread = 0;
        for (uint32_t p : img.px) {
            maxChannelSpread = std::max({maxChannelSpread, std::abs(R(p) - B(p)), std::abs(G(p) - B(p))});
        }
        EXPECT_LE(maxChannelSpread, 6) << "grey";
        for (auto [x, y] : {std::pair{2, 477}, {637, 477}, {2, 2}}) EXPECT_LT(B(img.At(x, y)), 10) << "black far away";
        double peak = 0;
        for (int y = 90; y < 170; ++y) {
            for (int x = 280; x < 360; ++x) peak = std::max(peak, static_cast<double>(B(img.At(x, y))));
        }
        EXPECT_GT(peak, 200) << "bright around the summit";
        // soft: neighbouring pixels never jump by a large step
        int maxStep = 0;
        for (int y = 0; y < img.h; ++y) {
            for (int x = 1; x < img.w; ++x) maxStep = std::max(maxStep, std::abs(B(img.At(x, y)) - B(img.At(x - 1, y))));
        }
        EXPECT_LT(maxStep, 90);
    }
    // the burn-out mask keeps a small white core as its last light
    size_t white = 0;
    for (uint32_t p : Picture(7).px) white += B(p) >= 250;
    EXPECT_GT(white, 50u);
    EXPECT_LT(white, 640u * 480 / 20);
}

TEST_F(ScenePictures, LighthouseLampsSitUnderTheBeamCentres) {
    const Image& photo = Picture(38);
    double mean = 0;
    for (uint32_t p : photo.px) mean += Luma(p);
    mean /= photo.px.size();
    for (int lampX : {141, 436}) {
        EXPECT_GT(Luma(photo.At(lampX, 104)), 235) << "lamp at x " << lampX;
        EXPECT_GT(Luma(photo.At(lampX, 104)), 3 * mean);
    }
    const Image& beam = Picture(34);
    EXPECT_GT(Luma(beam.At(232, 44)), 230) << "bright centre";
    EXPECT_GT(Luma(beam.At(400, 44)), Luma(beam.At(400, 10)) + 60) << "bright centre line along the beam";
    for (auto [x, y] : {std::pair{0, 0}, {463, 87}, {232, 0}}) EXPECT_LT(Luma(beam.At(x, y)), 12) << "black edges";
}

TEST_F(ScenePictures, FiguresLineUpWithWhatTheyStandOnOrTouch) {
    // the walking figure's feet are on its bottom row
    const Image& walker = Picture(39);
    int feet = 0;
    for (int x = 0; x < walker.w; ++x) feet += !walker.Key(x, walker.h - 1);
    EXPECT_GT(feet, 10);
    // the worker's hands reach the machine as it is drawn 120 pixels lower
    const Image &machine = Picture(47), &worker = Picture(49);
    int touching = 0;
    for (int y = 120; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) touching += !worker.Key(x, y) && !machine.Key(x, y - 120);
    }
    EXPECT_GT(touching, 200);
    // the sprite-sized closing pictures have black backgrounds
    for (int guid : {94, 95}) {
        const Image& img = Picture(guid);
        EXPECT_EQ(img.At(0, 0), 0u);
        EXPECT_EQ(img.At(img.w - 1, img.h - 1), 0u);
    }
}

TEST_F(ScenePictures, BuildingTwiceGivesTheSameBytes) {
    assets::PictureMap again;
    assets::BuildScenePictures(again);
    ASSERT_EQ(again.size(), pictures_->size());
    for (const auto& [guid, bytes] : *pictures_) EXPECT_TRUE(again.at(guid) == bytes) << "guid " << guid;
}

}  // namespace
