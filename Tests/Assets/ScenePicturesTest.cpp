// The scene pictures as the scenes will see them: decoded from their encoded bytes, checked for
// detail, light-map greyness and the alignments the scenes rely on.
#include "Assets/RenderedPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using rendered::Blue;
using rendered::Green;
using rendered::Red;

using assets::kManifest;
using rendered::Picture;

double Luma(uint32_t p) {
    return 0.3 * Red(p) + 0.59 * Green(p) + 0.11 * Blue(p);
}

const Picture& Get(int guid) {
    return rendered::Decoded(guid);
}

// The whole-frame plain pictures are the stills and backgrounds a viewer sees full screen.
TEST(ScenePictures, FullScreenStillsAreDistinctScenesWithDetail) {
    std::vector<int> stills;
    for (int guid = 0; guid < static_cast<int>(kManifest.size()); ++guid) {
        const assets::PictureRow& row = kManifest[guid];
        const bool fullScreen = row.size.width == 640 && row.size.height == 480;
        if (row.kind != kPlain || row.encoding == assets::Encoding::kGreyJpeg || !fullScreen) continue;
        SCOPED_TRACE(row.member);
        const Picture& img = Get(guid);
        double sum = 0, sum2 = 0;
        for (uint32_t p : img.pixels) {
            sum += Luma(p);
            sum2 += Luma(p) * Luma(p);
        }
        const double n = static_cast<double>(img.pixels.size());
        const double deviation = std::sqrt(sum2 / n - (sum / n) * (sum / n));
        EXPECT_GT(sum / n, 15.0) << "not black";
        EXPECT_GT(deviation, 20.0) << "not a flat fill";
        stills.push_back(guid);
    }
    for (size_t a = 0; a < stills.size(); ++a) {
        for (size_t b = a + 1; b < stills.size(); ++b) {
            const Picture &x = Get(stills[a]), &y = Get(stills[b]);
            double diff = 0;
            for (size_t i = 0; i < x.pixels.size(); i += 7)
                diff += std::abs(Luma(x.pixels[i]) - Luma(y.pixels[i]));
            EXPECT_GT(diff / (x.pixels.size() / 7.0), 12.0)
                << "stills " << stills[a] << " and " << stills[b] << " look alike";
        }
    }
}

TEST(ScenePictures, MountainFamilySharesItsSummitAndKeepsZoomAreasOpaque) {
    const Picture &dark = Get(8), &lit = Get(9), &topless = Get(10);
    for (const Picture* m : {&dark, &lit, &topless}) {
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
            for (int x = a.x0; x <= a.x1; ++x) keyed += Get(a.guid).Key(x, y);
        }
        EXPECT_EQ(keyed, 0u) << "zoom area of " << a.guid;
    }
}

TEST(ScenePictures, LightMapsAreGreySoftAndCentredOnTheSummit) {
    for (int guid : {6, 7, 27, 28}) {
        SCOPED_TRACE("guid " + std::to_string(guid));
        const Picture& img = Get(guid);
        int maxChannelSpread = 0;
        for (uint32_t p : img.pixels) {
            maxChannelSpread =
                std::max({maxChannelSpread, std::abs(Red(p) - Blue(p)), std::abs(Green(p) - Blue(p))});
        }
        EXPECT_LE(maxChannelSpread, 6) << "grey";
        for (auto [x, y] : {std::pair{2, 477}, {637, 477}, {2, 2}})
            EXPECT_LT(Blue(img.At(x, y)), 10) << "black far away";
        double peak = 0;
        for (int y = 90; y < 170; ++y) {
            for (int x = 280; x < 360; ++x) peak = std::max(peak, static_cast<double>(Blue(img.At(x, y))));
        }
        EXPECT_GT(peak, 200) << "bright around the summit";
        // soft: neighbouring pixels never jump by a large step
        int maxStep = 0;
        for (int y = 0; y < img.height; ++y) {
            for (int x = 1; x < img.width; ++x)
                maxStep = std::max(maxStep, std::abs(Blue(img.At(x, y)) - Blue(img.At(x - 1, y))));
        }
        EXPECT_LT(maxStep, 90);
    }
    // the burn-out mask keeps a small white core as its last light
    size_t white = 0;
    for (uint32_t p : Get(7).pixels) white += Blue(p) >= 250;
    EXPECT_GT(white, 50u);
    EXPECT_LT(white, 640u * 480 / 20);
}

TEST(ScenePictures, LighthouseLampsSitUnderTheBeamCentres) {
    const Picture& photo = Get(38);
    double mean = 0;
    for (uint32_t p : photo.pixels) mean += Luma(p);
    mean /= photo.pixels.size();
    for (int lampX : {141, 436}) {
        EXPECT_GT(Luma(photo.At(lampX, 104)), 235) << "lamp at x " << lampX;
        EXPECT_GT(Luma(photo.At(lampX, 104)), 3 * mean);
    }
    const Picture& beam = Get(34);
    EXPECT_GT(Luma(beam.At(232, 44)), 230) << "bright centre";
    EXPECT_GT(Luma(beam.At(400, 44)), Luma(beam.At(400, 10)) + 60) << "bright centre line along the beam";
    for (auto [x, y] : {std::pair{0, 0}, {463, 87}, {232, 0}})
        EXPECT_LT(Luma(beam.At(x, y)), 12) << "black edges";
}

TEST(ScenePictures, FiguresLineUpWithWhatTheyStandOnOrTouch) {
    // the walking figure's feet are on its bottom row
    const Picture& walker = Get(39);
    int feet = 0;
    for (int x = 0; x < walker.width; ++x) feet += !walker.Key(x, walker.height - 1);
    EXPECT_GT(feet, 10);
    // the worker's hands reach the machine as it is drawn 120 pixels lower
    const Picture &machine = Get(47), &worker = Get(49);
    int touching = 0;
    for (int y = 120; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) touching += !worker.Key(x, y) && !machine.Key(x, y - 120);
    }
    EXPECT_GT(touching, 200);
    // the sprite-sized closing pictures have black backgrounds
    for (int guid : {94, 95}) {
        const Picture& img = Get(guid);
        EXPECT_EQ(img.At(0, 0), 0u);
        EXPECT_EQ(img.At(img.width - 1, img.height - 1), 0u);
    }
}

}  // namespace
