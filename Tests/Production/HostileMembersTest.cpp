// The production started on the generated archive with one member swapped for a zip bomb, and
// reloaded from a folder holding files far too big: each run ends cleanly, says which member it
// refused, and holds no more than our own biggest member.
#include "Data/Catalogue.h"
#include "Data/FolderDataFile.h"
#include "Data/Images.h"
#include "Parts/PartOne.h"
#include "Parts/PartTwo.h"
#include "Production/Production.h"
#include "Support/CapturingSinks.h"
#include "Support/DeflateBomb.h"
#include "Support/LargestMemberBuffer.h"
#include "Support/TempDir.h"
#include "Support/Unzip.h"
#include "Support/ZipWriter.h"
#include "Utils/Utils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kArchive = ZV_BINARY_DIR "/assets/tarnos.zip";
const MessageBox kReadFailed{"LoadFileFromDataFile", "error while reading the buffer in datafile!!!"};

bool Shows(const std::vector<MessageBox>& boxes, const MessageBox& box) {
    return std::find(boxes.begin(), boxes.end(), box) != boxes.end();
}

class HostileMembersTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kArchive)) GTEST_SKIP() << "the build did not generate " << kArchive;
        members = UnpackZip(kArchive, folder);
        for (const std::string& name : members)
            largestMember = std::max(largestMember, fs::file_size(folder / name));
    }

    // The generated archive with `replaced` holding `bomb`'s stream, its directory entry declaring
    // `declared` bytes.
    std::string ArchiveWith(const std::string& replaced, const DeflateBomb& bomb, uLong declared, uLong crc) {
        const std::string path = dir.File("bomb.zip");
        ZipWriter writer(path);
        for (const std::string& name : members) {
            if (name == replaced) {
                writer.AddRaw(name, bomb.stream, ZipWriter::Method::kDeflated, declared, crc);
                continue;
            }
            std::ifstream in(folder / name, std::ios::binary);
            writer.Add(name, std::string(std::istreambuf_iterator<char>(in), {}), ZipWriter::Method::kStored);
        }
        return path;
    }

    TempDir dir;
    const fs::path folder = dir.Path() / "unpacked";
    std::vector<std::string> members;
    uintmax_t largestMember = 0;
};

TEST_F(HostileMembersTest, StartUpOnABombRefusesItAndGoesOnAsForAnUnreadableMember) {
    const DeflateBomb bomb = MakeDeflateBomb(1024);  // 1 GiB of zeros in about 1 MB
    const uLong headCrc = ZipWriter::Crc(std::string(2048, '\0'));
    struct Case {
        const char* member;
        uLong declared;
        uLong crc;
        bool starts;
    };
    const Case cases[] = {
        {"syncroscripts/part1.xml", static_cast<uLong>(bomb.inflatedBytes), bomb.crc, true},
        {"rorozuzorozori.mp3", static_cast<uLong>(bomb.inflatedBytes), bomb.crc, false},
        {"pelmarov/credits.png", static_cast<uLong>(bomb.inflatedBytes), bomb.crc, true},
        // The entry owns up to 2 KB only, and those 2 KB match its checksum.
        {"syncroscripts/part2.xml", 2048, headCrc, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.member);
        ProductionSetup setup;
        setup.archivePath = ArchiveWith(c.member, bomb, c.declared, c.crc);
        setup.music = std::make_unique<DecodedMusic>();
        CapturedBoxes boxes;
        LargestMemberBuffer watch;
        testing::internal::CaptureStderr();
        Production production(std::move(setup));
        const std::string stderrText = testing::internal::GetCapturedStderr();

        EXPECT_EQ(production.Ready(), c.starts) << production.Failure();
        EXPECT_TRUE(Shows(boxes.boxes, kReadFailed));
        EXPECT_NE(stderrText.find(std::string("zembravale: ") + c.member + " not read"), std::string::npos)
            << stderrText;
        EXPECT_LE(watch.largest, largestMember + 1) << "no more than our own biggest member";
        if (!c.starts) {
            EXPECT_TRUE(
                Shows(boxes.boxes, {"BassPlayer Error", ComposeErrorText("Couldn't load mp3", true)}));
        } else if (c.member == std::string("pelmarov/credits.png")) {
            EXPECT_TRUE(GetBitmap(creditsGuid)->Empty());
        } else {
            const DemoPart* part = c.member == std::string("syncroscripts/part1.xml")
                                       ? static_cast<const DemoPart*>(partOne)
                                       : static_cast<const DemoPart*>(partTwo);
            EXPECT_FALSE(part->windowStart < part->windowEnd) << "the part never draws";
        }
    }
}

// A folder member grown far past its ceiling (a sparse file: no disk taken) is not read on reload:
// the scripts and the picture in use stay.
TEST_F(HostileMembersTest, AReloadLeavesOversizedFilesUnreadAndKeepsWhatIsInUse) {
    FolderDataFile plain(folder.string());
    ProductionSetup setup;
    setup.archive = &plain;
    setup.music = std::make_unique<DecodedMusic>();
    Production production(std::move(setup));
    ASSERT_TRUE(production.Ready()) << production.Failure();
    const float partOneStart = partOne->windowStart;

    fs::resize_file(folder / "syncroscripts/part1.xml", uintmax_t{1} << 30);
    fs::resize_file(folder / "pelmarov/credits.png", uintmax_t{10} << 30);
    LargestMemberBuffer watch;
    CapturedBoxes boxes;
    testing::internal::CaptureStderr();
    const ReloadReport report = production.Reload();
    const std::string stderrText = testing::internal::GetCapturedStderr();

    EXPECT_FALSE(report.scriptsReplaced);
    EXPECT_EQ(partOne->windowStart, partOneStart);
    EXPECT_EQ(report.picturesKept, 1);
    EXPECT_FALSE(GetBitmap(creditsGuid)->Empty());
    EXPECT_NE(stderrText.find("syncroscripts/part1.xml not read"), std::string::npos) << stderrText;
    EXPECT_LE(watch.largest, largestMember + 1);
    EXPECT_TRUE(boxes.boxes.empty()) << "a reload shows no box";
}

}  // namespace
