// The archive the build generated, read the way the program reads it: every catalogue picture
// decodes through the program's own loader at its manifest size, keyed where it should be, and the
// pictures the scenes read as whole frames cover the frame.
#include "AssetBuilder/Pictures/Manifest.h"
#include "Data/Catalogue.h"
#include "Data/DataFile.h"
#include "Data/Images.h"
#include "Production/Production.h"
#include "Support/CapturingSinks.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kArchive = ZV_BINARY_DIR "/assets/tarnos.zip";

class GeneratedArchive : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kArchive)) GTEST_SKIP() << "the build did not generate " << kArchive;
        // The production decodes the whole catalogue from the archive, as the program starts.
        ProductionSetup setup;
        setup.archivePath = kArchive;
        setup.parts = false;
        production = std::make_unique<Production>(std::move(setup));
        ASSERT_TRUE(production->Ready()) << production->Failure();
    }
    CapturedBoxes boxes;
    std::unique_ptr<Production> production;
};

TEST_F(GeneratedArchive, EveryPictureLoadsAtItsManifestSize) {
    EXPECT_TRUE(boxes.boxes.empty()) << "every member is present and readable";
    ASSERT_EQ(imageTable.size(), static_cast<size_t>(kCatalogueSize));
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        SCOPED_TRACE(catalogue[guid].member);
        const Bitmap* b = GetBitmap(guid);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->width, assets::kManifest[guid].size.width);
        EXPECT_EQ(b->height, assets::kManifest[guid].size.height);
    }
}

// Whole-frame operations read 640 x 480 words by index, and the fresco window pans up to 383 across
// and 127 down: pictures smaller than that would be read past their end.
TEST_F(GeneratedArchive, PicturesReadAsWholeFramesCoverTheFrame) {
    const int32_t* wholeFrames[] = {&creditsGuid,
                                    &zembravaleGuid,
                                    &casinoGuid,
                                    &cervinglowGuid,
                                    &cervinglow2Guid,
                                    &zembramountDarkGuid,
                                    &zembramountLightGuid,
                                    &zembramountToplessGuid,
                                    &agentZembrabackGuid,
                                    &rerevidgersGuid,
                                    &ladyRoupiesGuid,
                                    &cervinexplosionGuid,
                                    &cervinexplosion2Guid,
                                    &tajPhareFullscreenCasinoGuid,
                                    &casinoviewGuid,
                                    &theevilmachineGuid,
                                    &pinceAloneGuid,
                                    &zembravaleWorkerGuid,
                                    &theevilmachineCounterGuid,
                                    &alamoCroonerCowboyGuid,
                                    &alamoCroonerCowboyBackgroundGuid,
                                    &explosionZembraboomGuid,
                                    &movie1Guid,
                                    &movie2Guid,
                                    &movie3Guid,
                                    &movie4Guid,
                                    &movie5Guid,
                                    &movie6Guid,
                                    &explosionBackgroundGuid,
                                    &fin01Guid,
                                    &fin02Guid,
                                    &fin03Guid,
                                    &fin04Guid,
                                    &fin05Guid,
                                    &fin06Guid,
                                    &fin07Guid};
    for (const int32_t* guid : wholeFrames) {
        SCOPED_TRACE(catalogue[*guid].member);
        EXPECT_EQ(GetBitmap(*guid)->width, 640);
        EXPECT_EQ(GetBitmap(*guid)->height, 480);
    }
    for (const int32_t* guid : {&fresqueWeirdGuid, &fresqueWeirdZoomGuid}) {
        EXPECT_GE(GetBitmap(*guid)->width, 640 + 383);
        EXPECT_GE(GetBitmap(*guid)->height, 480 + 127);
    }
}

TEST_F(GeneratedArchive, KeyedPicturesAreTransparentOnlyWherePureGreenAndPlainOnesNever) {
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        SCOPED_TRACE(catalogue[guid].member);
        const Bitmap* b = GetBitmap(guid);
        ASSERT_NE(b, nullptr);
        int transparent = 0, opaqueGreen = 0;
        for (int i = 0; i < b->size; ++i) {
            const uint32_t p = b->pixels[i];
            transparent += (p >> 24) == 0xFF;
            opaqueGreen += p == kKeyColour;
        }
        EXPECT_EQ(opaqueGreen, 0) << "no opaque pixel shows the key colour";
        const bool lightMap = guid == cervinglowGuid || guid == cervinglow2Guid;
        if (catalogue[guid].kind == kPlain || lightMap) {
            EXPECT_EQ(transparent, 0);
        } else {
            EXPECT_GT(transparent, 0) << "a keyed picture lets the scene behind show";
            EXPECT_LT(transparent, b->size) << "and shows something itself";
        }
    }
}

}  // namespace
