// The catalogue on an archive with some pictures missing: every GUID stays where the scenes expect
// it, each named GUID finds the picture its name says, and each picture gets its conversion kind.
#include "ArchiveFixture.h"

#include "Data/Catalogue.h"
#include "Support/Crc32.h"
#include "Support/ImageEncoders.h"

#include <cctype>
#include <set>
#include <string>

namespace {

// "dancerLeftGuid" and "sorvanik/dancer_left.png" both give "dancerleft".
std::string NameKey(std::string name) {
    if (const size_t slash = name.rfind('/'); slash != std::string::npos) name.erase(0, slash + 1);
    if (const size_t dot = name.rfind('.'); dot != std::string::npos) name.erase(dot);
    if (name.ends_with("Guid")) name.erase(name.size() - 4);
    std::string key;
    for (const char c : name) {
        if (c != '_') key.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return key;
}

struct Named {
    const char* name;
    const int32_t* guid;
};
#define NAMED(g) \
    Named {      \
#g, &g   \
    }
const Named kNamed[] = {
    NAMED(creditsGuid),
    NAMED(zembravaleGuid),
    NAMED(casinoGuid),
    NAMED(fresqueWeirdGuid),
    NAMED(fresqueWeirdZoomGuid),
    NAMED(cervinGuid),
    NAMED(cervinglowGuid),
    NAMED(cervinglow2Guid),
    NAMED(zembramountDarkGuid),
    NAMED(zembramountLightGuid),
    NAMED(zembramountToplessGuid),
    NAMED(agentZembrabackGuid),
    NAMED(rerevidgersGuid),
    NAMED(spriteElephantLogoGuid),
    NAMED(ladyRoupiesGuid),
    NAMED(vuvizarodazGuid),
    NAMED(thematterhornGuid),
    NAMED(youarewrongsirGuid),
    NAMED(proudlypresentGuid),
    NAMED(thezembramountpicturesGuid),
    NAMED(vuvizarodazEvilplanGuid),
    NAMED(vuvizarodazLetTheRerevidGuid),
    NAMED(vostel1Guid),
    NAMED(vostel2Guid),
    NAMED(chain1Guid),
    NAMED(bombeGuid),
    NAMED(bombesmallGuid),
    NAMED(cervinexplosionGuid),
    NAMED(cervinexplosion2Guid),
    NAMED(zembrahelpGuid),
    NAMED(zembramobileGuid),
    NAMED(dancerLeftGuid),
    NAMED(dancerRightGuid),
    NAMED(b29BigGuid),
    NAMED(phareGuid),
    NAMED(sacredCowGuid),
    NAMED(parachuteGuid),
    NAMED(helmetGuid),
    NAMED(tajPhareFullscreenCasinoGuid),
    NAMED(vostelAloneGuid),
    NAMED(spriteDollar01Guid),
    NAMED(spriteDollar02Guid),
    NAMED(spriteDollar03Guid),
    NAMED(spriteDollar04Guid),
    NAMED(spriteDollar05Guid),
    NAMED(casinoviewGuid),
    NAMED(casinoMachineASouGuid),
    NAMED(theevilmachineGuid),
    NAMED(pinceAloneGuid),
    NAMED(zembravaleWorkerGuid),
    NAMED(theevilmachineCounterGuid),
    NAMED(alamoCroonerCowboyGuid),
    NAMED(alamoCroonerCowboyBackgroundGuid),
    NAMED(explosionZembraboomGuid),
    NAMED(noswissGuid),
    NAMED(defuse1Guid),
    NAMED(defuse2Guid),
    NAMED(theredGuid),
    NAMED(thegreenGuid),
    NAMED(snapGuid),
    NAMED(evilmachineGuid),
    NAMED(alamoIntroGuid),
    NAMED(fuckingwireGuid),
    NAMED(digitSmallPointsGuid),
    NAMED(movie1Guid),
    NAMED(movie2Guid),
    NAMED(movie3Guid),
    NAMED(movie4Guid),
    NAMED(movie5Guid),
    NAMED(movie6Guid),
    NAMED(explosionBackgroundGuid),
    NAMED(fin01Guid),
    NAMED(fin02Guid),
    NAMED(fin03Guid),
    NAMED(fin04Guid),
    NAMED(fin05Guid),
    NAMED(fin06Guid),
    NAMED(fin07Guid),
    NAMED(fin08Guid),
    NAMED(fin09Guid),
    NAMED(fin10Guid),
    NAMED(fin11Guid),
    NAMED(introWarningGuid),
    NAMED(anotherNimbrelJointGuid),
    Named{"digitSmall0", &digitSmallGuids[0]},
    Named{"digitSmall5", &digitSmallGuids[5]},
    Named{"digitSmall9", &digitSmallGuids[9]},
    Named{"headA1", &headAGuids[0]},
    Named{"headA2", &headAGuids[1]},
    Named{"headA3", &headAGuids[2]},
    Named{"headB1", &headBGuids[0]},
    Named{"headB2", &headBGuids[1]},
    Named{"headB3", &headBGuids[2]},
};
#undef NAMED

}  // namespace

class CatalogueTest : public ArchiveTest {};

TEST_F(CatalogueTest, CatalogueGuidsStayFixedWhenMembersAreMissing) {
    // The registration order is frozen: scripts and scenes were written against these GUIDs.
    std::string members;
    for (const CatalogueEntry& entry : catalogue)
        members += std::string(members.empty() ? "" : "\n") + entry.member;
    EXPECT_EQ(Crc32(members.data(), members.size()), 0xCC80624Eu) << "the registration order changed";

    const std::set<int> missing = {0, 5, 63, 99};
    std::set<int> plain = {0, 3, 4, 27, 28, 34, 38, 45, 50, 52};
    for (int guid = 74; guid <= 80; ++guid) plain.insert(guid);
    for (int guid = 87; guid <= 99; ++guid) plain.insert(guid);

    // Member n is n + 1 pixels of pure green in a row: its width tells which member a picture came
    // from, its key bytes which kind it was given. Members named .jpg hold PNG data too; the
    // format is found from the bytes, and pure green survives only a lossless format.
    ZipWriter zip(zipPath);
    for (int n = 0; n < kCatalogueSize; ++n) {
        if (missing.count(n) != 0) continue;
        encode::Bytes green;
        for (int x = 0; x <= n; ++x) green.insert(green.end(), {0, 255, 0});
        zip.Add(catalogue[n].member, encode::Png8(n + 1, 1, 3, green));
    }
    zip.Close();
    UseArchive(zipPath);

    LoadCatalogue();

    ASSERT_EQ(imageTable.size(), static_cast<size_t>(kCatalogueSize));
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        SCOPED_TRACE(guid);
        EXPECT_EQ(imageTable[guid].guid, guid);
        EXPECT_EQ(imageTable[guid].image, nullptr) << "no decoded picture is kept";
        const Bitmap* bitmap = GetBitmap(guid);
        ASSERT_NE(bitmap, nullptr);
        if (missing.count(guid) != 0) {
            EXPECT_TRUE(bitmap->Empty());
            continue;
        }
        ASSERT_EQ(bitmap->width, guid + 1);
        EXPECT_EQ(bitmap->pixels[guid], plain.count(guid) != 0 ? 0x0000FF00u : 0xFF00FF00u);
    }
    // Every named GUID holds the picture of the member its name gives.
    for (const Named& named : kNamed) {
        SCOPED_TRACE(named.name);
        const int32_t guid = *named.guid;
        ASSERT_TRUE(guid >= 0 && guid < kCatalogueSize);
        if (missing.count(guid) != 0) continue;
        EXPECT_EQ(NameKey(catalogue[GetBitmap(guid)->width - 1].member), NameKey(named.name));
    }
    EXPECT_EQ(std::pair(digitSmallGuids[0], headBGuids[2]), std::pair(63, 86));

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
