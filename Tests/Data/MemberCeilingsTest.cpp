// Members bigger than their kind may be, in the zip and in the folder: read up to the ceiling,
// refused past it before any buffer is allocated, with the read failure's box and a line on
// stderr; and a stream that runs past what its directory entry declares stops right there.
#include "ArchiveFixture.h"
#include "Data/FolderDataFile.h"
#include "Data/MemberCeilings.h"
#include "Support/DeflateBomb.h"
#include "Support/LargestMemberBuffer.h"

#include <filesystem>
#include <fstream>
#include <string_view>

namespace {

const MessageBox kReadFailed{"LoadFileFromDataFile", "error while reading the buffer in datafile!!!"};

struct Outcome {
    bool loaded = false;
    std::vector<MessageBox> boxes;
    std::string stderrText;
    size_t largestBuffer = 0;
};

Outcome Load(DataFile& archive, const std::string& name, CapturedBoxes& boxes) {
    LargestMemberBuffer watch;
    testing::internal::CaptureStderr();
    MemberBuffer buffer(archive.FLoadFile(name), {&archive});
    Outcome outcome;
    outcome.stderrText = testing::internal::GetCapturedStderr();
    outcome.loaded = buffer != nullptr;
    outcome.boxes = boxes.Take();
    outcome.largestBuffer = watch.largest;
    return outcome;
}

// Printable bytes that deflate poorly.
std::string PseudoRandomText(size_t count) {
    std::string text(count, ' ');
    uint32_t state = 1;
    for (char& c : text) {
        state = state * 214013u + 2531011u;
        c = static_cast<char>('a' + (state >> 16) % 26);
    }
    return text;
}

class MemberCeilingsTest : public ArchiveTest {};

TEST_F(MemberCeilingsTest, EachKindIsReadUpToItsCeilingAndRefusedPastItBeforeAllocating) {
    struct Kind {
        const char* member;
        int64_t ceiling;
    };
    const Kind kinds[] = {
        {"syncroscripts/part1.xml", kScriptCeiling}, {"rorozuzorozori.mp3", kMusicCeiling},
        {"pelmarov/credits.png", kPictureCeiling},   {"sorvanik/Bombe.JPEG", kPictureCeiling},
        {"texts/notes.txt", kMusicCeiling},
    };
    const std::filesystem::path folder = dir.Path() / "unpacked";
    for (const Kind& kind : kinds) {
        for (const int64_t size : {kind.ceiling, kind.ceiling + 1}) {
            const bool fits = size <= kind.ceiling;
            SCOPED_TRACE(std::string(kind.member) + (fits ? " at its ceiling" : " one byte past it"));
            const DeflateBomb zeros =
                MakeDeflateBomb(static_cast<uint64_t>(size >> 20), static_cast<uInt>(size & 0xFFFFF));
            ZipWriter(zipPath)
                .AddRaw(kind.member, zeros.stream, ZipWriter::Method::kDeflated, zeros.inflatedBytes,
                        zeros.crc)
                .Close();
            const std::filesystem::path file = folder / kind.member;
            std::filesystem::create_directories(file.parent_path());
            std::filesystem::remove(file);
            std::ofstream(file).close();
            std::filesystem::resize_file(file, static_cast<uintmax_t>(size));  // sparse: no disk taken

            ZipDataFile zip(zipPath);
            FolderDataFile plain(folder.string());
            for (DataFile* archive : {static_cast<DataFile*>(&zip), static_cast<DataFile*>(&plain)}) {
                const Outcome got = Load(*archive, kind.member, boxes);
                EXPECT_EQ(got.loaded, fits);
                if (fits) {
                    EXPECT_TRUE(got.boxes.empty());
                    EXPECT_EQ(got.largestBuffer, static_cast<size_t>(size) + 1);
                    continue;
                }
                EXPECT_EQ(got.boxes, Boxes{kReadFailed});
                EXPECT_EQ(got.largestBuffer, 0u) << "refused before anything was allocated";
                EXPECT_NE(got.stderrText.find(kind.member), std::string::npos) << got.stderrText;
                EXPECT_NE(got.stderrText.find(std::to_string(size) + " bytes"), std::string::npos)
                    << got.stderrText;
                EXPECT_NE(got.stderrText.find(std::to_string(kind.ceiling >> 20) + " MiB"), std::string::npos)
                    << got.stderrText;
                EXPECT_EQ(archive->FileLength(kind.member), size) << "the length is still told";
                boxes.Take();
            }
        }
    }
}

// A directory entry may understate its data: the read stops one byte past the declared length,
// whatever the stream would inflate to, and the member is unreadable even when the bytes up to
// the declared length match the declared checksum.
TEST_F(MemberCeilingsTest, DataRunningPastTheirDeclaredLengthStopThereAndAreUnreadable) {
    constexpr uLong kDeclared = 2048;
    const DeflateBomb bomb = MakeDeflateBomb(1024);  // 1 GiB
    const std::string head(kDeclared, '\0');
    ZipWriter(zipPath)
        .AddRaw("syncroscripts/part1.xml", bomb.stream, ZipWriter::Method::kDeflated, kDeclared,
                ZipWriter::Crc(head))
        .AddRaw("rorozuzorozori.mp3", bomb.stream, ZipWriter::Method::kDeflated, kDeclared, bomb.crc)
        .AddRaw("texts/stored.txt", "declared 4, holds 10", ZipWriter::Method::kStored, 4,
                ZipWriter::Crc("decl"))
        .Add("texts/good.txt", "sound");
    ZipDataFile& file = UseArchive(zipPath);
    for (const char* member : {"syncroscripts/part1.xml", "rorozuzorozori.mp3", "texts/stored.txt"}) {
        SCOPED_TRACE(member);
        const size_t declared = std::string_view(member) == "texts/stored.txt" ? 4 : kDeclared;
        const Outcome got = Load(file, member, boxes);
        EXPECT_FALSE(got.loaded);
        EXPECT_EQ(got.boxes, Boxes{kReadFailed});
        EXPECT_EQ(got.largestBuffer, declared + 1);
        EXPECT_NE(got.stderrText.find(member), std::string::npos) << got.stderrText;
        EXPECT_NE(got.stderrText.find(std::to_string(declared) + " bytes"), std::string::npos)
            << got.stderrText;
    }
    const Outcome good = Load(file, "texts/good.txt", boxes);
    EXPECT_TRUE(good.loaded && good.boxes.empty() && good.stderrText.empty());
}

// The spare byte past the declared length is what tells a stream that runs on from one whose end
// code simply comes later: here a stored block fills the buffer to its declared length exactly
// where the archive's first read of 64 KiB ends, and the empty final block comes with the next.
TEST_F(MemberCeilingsTest, AStreamWhoseEndComesInALaterReadStillLoads) {
    constexpr uint16_t kLength = 65536 - 5;  // the block's 5-byte header and its bytes fill one read
    const std::string bytes = PseudoRandomText(kLength);
    std::string stream = {'\x00', static_cast<char>(kLength & 0xFF), static_cast<char>(kLength >> 8),
                          static_cast<char>(~kLength & 0xFF), static_cast<char>((~kLength >> 8) & 0xFF)};
    stream += bytes;
    stream += std::string("\x03\x00", 2);
    ZipWriter(zipPath).AddRaw("syncroscripts/part1.xml", stream, ZipWriter::Method::kDeflated, kLength,
                              ZipWriter::Crc(bytes));
    ZipDataFile& file = UseArchive(zipPath);
    MemberBuffer buffer(file.FLoadFile("syncroscripts/part1.xml"), {&file});
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(std::string_view(buffer.get(), kLength), bytes);
    EXPECT_TRUE(boxes.Take().empty());
}

}  // namespace
