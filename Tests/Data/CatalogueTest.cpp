// The catalogue on an archive with some pictures missing: every GUID stays where the scenes expect
// it, and each picture gets its conversion kind.
#include "ArchiveFixture.h"

#include "Data/Catalogue.h"
#include "Support/ImageEncoders.h"

#include <set>

class CatalogueTest : public ArchiveTest {};

TEST_F(CatalogueTest, CatalogueGuidsStayFixedWhenMembersAreMissing) {
    const std::set<int> missing = {0, 5, 63, 99};
    std::set<int> plain = {0, 3, 4, 27, 28, 34, 38, 45, 50, 52};
    for (int guid = 74; guid <= 80; ++guid) plain.insert(guid);
    for (int guid = 87; guid <= 99; ++guid) plain.insert(guid);

    // Picture n is n + 1 pixels of pure green in a row: its width tells which member it came
    // from, its key bytes which kind it was given. Members named .jpg hold PNG data too; the
    // format is found from the bytes, and pure green survives only a lossless format.
    ZipWriter zip(zipPath);
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        if (missing.count(guid) != 0) continue;
        encode::Bytes green;
        for (int x = 0; x <= guid; ++x) green.insert(green.end(), {0, 255, 0});
        zip.Add(catalogue[guid].member, encode::Png8(guid + 1, 1, 3, green));
    }
    zip.Close();
    UseArchive(zipPath);

    LoadCatalogue();

    ASSERT_EQ(imageTable.size(), static_cast<size_t>(kCatalogueSize));
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        SCOPED_TRACE(catalogue[guid].member);
        EXPECT_EQ(imageTable[guid].guid, guid);
        EXPECT_EQ(*catalogue[guid].guid, guid);
        const Bitmap* bitmap = GetBitmap(guid);
        ASSERT_NE(bitmap, nullptr);
        if (missing.count(guid) != 0) {
            EXPECT_TRUE(bitmap->Empty());
            continue;
        }
        ASSERT_EQ(bitmap->width, guid + 1);
        EXPECT_EQ(bitmap->pixels[guid], plain.count(guid) != 0 ? 0x0000FF00u : 0xFF00FF00u);
    }
    for (int i = 0; i < 10; ++i) EXPECT_EQ(digitSmallGuids[i], 63 + i);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(headAGuids[i], 81 + i);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(headBGuids[i], 84 + i);

    // Each missing member shows the archive's three load boxes and its two length boxes.
    const Boxes shown = boxes.Take();
    ASSERT_EQ(shown.size(), 5 * missing.size());
    const MessageBox lengthNotFound{"DoFileLengthInDataFileLookup", "File Not Found in datafile!!!"};
    EXPECT_EQ(Boxes(shown.begin(), shown.begin() + 5),
              (Boxes{lengthNotFound,
                     {"LoadFileFromDataFile", "File Not Found in datafile!!!"},
                     {"FLoadFile", "Couldn't load file: pelmarov/credits.png."},
                     lengthNotFound,
                     lengthNotFound}));
}
