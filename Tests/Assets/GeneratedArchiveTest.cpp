// The archive the build generated, read the way the program reads it: every catalogue picture
// decodes through the program's own loader to the size its scenes need, keyed where it should be.
#include "Data/Catalogue.h"
#include "Data/DataFile.h"
#include "Data/Images.h"
#include "Support/CapturingSinks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

const std::string kArchive = ZV_BINARY_DIR "/assets/tarnos.zip";

struct Size {
    int w, h;
    bool exact;  // otherwise an upper bound (the scenes place them so they stay on screen)
};

std::map<int, Size> RequiredSizes() {
    std::map<int, Size> sizes;
    for (int guid : {0, 1, 2, 6, 7, 8, 9, 10, 11, 12, 14, 27, 28, 38, 45, 47, 48, 49, 50, 51, 52, 53, 74, 75, 76, 77,
                     78, 79, 80, 87, 88, 89, 90, 91, 92, 93}) {
        sizes[guid] = {640, 480, true};
    }
    sizes[3] = sizes[4] = {1024, 608, true};
    sizes[22] = {416, 131, true};
    sizes[23] = {311, 129, true};
    sizes[34] = {464, 88, true};
    sizes[39] = {364, 389, true};
    sizes[16] = {573, 323, false};
    sizes[17] = {468, 170, false};
    sizes[18] = {391, 90, false};
    sizes[33] = {255, 90, false};
    sizes[55] = {400, 270, false};
    sizes[56] = {514, 316, false};
    sizes[57] = {489, 285, false};
    sizes[58] = {552, 317, false};
    sizes[59] = {556, 257, false};
    sizes[60] = {276, 172, false};
    sizes[61] = {340, 188, false};
    sizes[62] = {411, 379, false};
    for (int guid = 63; guid <= 72; ++guid) sizes[guid] = {53, 480, false};
    sizes[73] = {65, 480, false};
    sizes[94] = {396, 303, false};
    sizes[95] = {395, 307, false};
    sizes[97] = {453, 264, false};
    return sizes;
}

class GeneratedArchive : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kArchive)) GTEST_SKIP() << "the build did not generate " << kArchive;
        ResetImageRegistry();
        ASSERT_TRUE(InitDevil());
        archive = std::make_unique<ZipDataFile>(kArchive);
        dataFile = archive.get();
        LoadCatalogue();
    }
    void TearDown() override {
        dataFile = nullptr;
        ResetImageRegistry();
    }
    CapturedBoxes boxes;
    std::unique_ptr<ZipDataFile> archive;
};

TEST_F(GeneratedArchive, EveryPictureLoadsToTheSizeItsScenesNeed) {
    EXPECT_TRUE(boxes.boxes.empty()) << "every member is present and readable";
    ASSERT_EQ(imageTable.size(), static_cast<size_t>(kCatalogueSize));
    const std::map<int, Size> sizes = RequiredSizes();
    const Bitmap* firstDigit = GetBitmap(digitSmallGuids[0]);
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        SCOPED_TRACE(catalogue[guid].member);
        const Bitmap* b = GetBitmap(guid);
        ASSERT_NE(b, nullptr);
        ASSERT_FALSE(b->Empty()) << "decoded";
        if (auto it = sizes.find(guid); it != sizes.end()) {
            if (it->second.exact) {
                EXPECT_EQ(b->width, it->second.w);
                EXPECT_EQ(b->height, it->second.h);
            } else {
                EXPECT_LE(b->width, it->second.w);
                EXPECT_LE(b->height, it->second.h);
            }
        }
        if (guid >= digitSmallGuids[0] && guid <= digitSmallGuids[9]) {
            EXPECT_EQ(b->width, firstDigit->width) << "digits are all alike";
            EXPECT_EQ(b->height, firstDigit->height);
        }
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
