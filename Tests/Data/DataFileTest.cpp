// The data archive on real zip files: lookup, the boxes users see and in which order, and members
// whose bytes cannot be trusted.
#include "ArchiveFixture.h"
#include "Support/LargestMemberBuffer.h"

#include <unzip.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string_view>
#include <vector>

namespace {

class DataFileTest : public ArchiveTest {};

using Method = ZipWriter::Method;

const MessageBox kLengthNotFound{"DoFileLengthInDataFileLookup", "File Not Found in datafile!!!"};
const MessageBox kReadFailed{"LoadFileFromDataFile", "error while reading the buffer in datafile!!!"};

std::string PseudoRandomBytes(size_t count) {
    std::mt19937 random(7);
    std::string bytes(count, '\0');
    // Runs of repeated bytes keep it compressible yet varied enough to span many reads.
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(random() % 4 == 0 ? random() : i / 97);
    return bytes;
}

// The raw deflate stream minizip's writer makes for these bytes, read back raw from an archive.
std::string DeflatedBytes(const std::string& bytes, const std::string& scratchPath) {
    ZipWriter(scratchPath).Add("m", bytes).Close();
    unzFile archive = unzOpen(scratchPath.c_str());
    std::string raw(bytes.size() + 64, '\0');
    int got = -1;
    if (archive != nullptr && unzGoToFirstFile(archive) == UNZ_OK &&
        unzOpenCurrentFile2(archive, nullptr, nullptr, 1) == UNZ_OK) {
        got = unzReadCurrentFile(archive, raw.data(), static_cast<unsigned>(raw.size()));
        unzCloseCurrentFile(archive);
    }
    if (archive != nullptr) unzClose(archive);
    raw.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return raw;
}

}  // namespace

TEST_F(DataFileTest, FindsMembersIgnoringCaseAndBackslashRuns) {
    const std::string big = PseudoRandomBytes(3 << 20);  // several read slices
    ZipWriter(zipPath)
        .Add("syncroscripts/intro.xml", "<part/>")
        .Add("texts/empty.txt", "")
        .Add("music/big.bin", big)
        .Add("music/stored.bin", "stored as it is", Method::kStored);
    ZipDataFile& file = UseArchive(zipPath);

    struct Case {
        std::string request;
        std::string_view content;
        Boxes expected;  // shown by FLoadFile and again by FileLength
    };
    const Case cases[] = {
        {"syncroscripts/intro.xml", "<part/>", {}},
        {"SYNCROSCRIPTS/Intro.XML", "<part/>", {}},
        {"syncroscripts\\intro.xml", "<part/>", {kLengthNotFound}},
        {"SyncroScripts\\\\\\intro.xml", "<part/>", {kLengthNotFound}},
        {"texts/empty.txt", "", {}},
        {"music/big.bin", big, {}},
        {"music/stored.bin", "stored as it is", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        MemberBuffer buffer(file.FLoadFile(c.request), {&file});
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(std::string_view(buffer.get(), c.content.size()), c.content);
        EXPECT_EQ(buffer.get()[c.content.size()], '\0');
        EXPECT_EQ(boxes.Take(), c.expected);
        EXPECT_EQ(file.FileLength(c.request), static_cast<int32_t>(c.content.size()));
        EXPECT_EQ(boxes.Take(), c.expected);
    }
    file.FreeBuffer(nullptr);
}

// The directory is read once into an index; lookups through it must find what a walk of the
// directory finds: the first entry of a name in any letter case, nothing for names of 256 bytes
// or more, and a request that ends at its first zero byte.
TEST_F(DataFileTest, IndexFindsWhatTheDirectoryWalkFinds) {
    const std::string longest(255, 'n');
    const std::string tooLong(256, 'n');
    ZipWriter(zipPath)
        .Add("Scripts/Intro.xml", "first")
        .Add("scripts/intro.XML", "second, same name in another case")
        .Add("dir/\xe9t\xe9.png", "accented")
        .Add("Zone/azaz.bin", "a and z, the ends of the folded range")
        .Add(longest, "255 bytes")
        .Add(tooLong, "256 bytes")
        .Add("after/long.txt", "after the long names");
    ZipDataFile& file = UseArchive(zipPath);

    const struct {
        std::string request;
        const char* content;  // null: not found
    } cases[] = {
        {"scripts/intro.xml", "first"},
        {"SCRIPTS/INTRO.XML", "first"},
        {"dir/\xe9t\xe9.png", "accented"},
        {"DIR/\xe9T\xe9.PNG", "accented"},
        {"zONE/AZAZ.BIN", "a and z, the ends of the folded range"},
        {"dir/\xc9t\xc9.png", nullptr},  // only a to z fold
        {longest, "255 bytes"},
        {tooLong, nullptr},
        {std::string("after/long.txt\0junk", 19), "after the long names"},
        {"after/long", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request.substr(0, 40));
        MemberBuffer buffer(file.FLoadFile(c.request), {&file});
        if (c.content == nullptr) {
            EXPECT_EQ(buffer, nullptr);
            EXPECT_EQ(file.FileLength(c.request), -1);
        } else {
            ASSERT_NE(buffer, nullptr);
            EXPECT_STREQ(buffer.get(), c.content);
            EXPECT_EQ(file.FileLength(c.request), static_cast<int32_t>(std::strlen(c.content)));
        }
        boxes.Take();
    }
}

TEST_F(DataFileTest, MissingMemberShowsEachStepsBoxInOrder) {
    ZipWriter(zipPath).Add("pelmarov/credits.png", "x");
    ZipDataFile& file = UseArchive(zipPath);

    EXPECT_EQ(file.FLoadFile("pelmarov\\nothere.png"), nullptr);
    EXPECT_EQ(boxes.Take(), (Boxes{kLengthNotFound,
                                   {"LoadFileFromDataFile", "File Not Found in datafile!!!"},
                                   {"FLoadFile", "Couldn't load file: pelmarov\\nothere.png."}}));
    EXPECT_EQ(file.FileLength("pelmarov/nothere.png"), -1);
    EXPECT_EQ(boxes.Take(), (Boxes{kLengthNotFound, kLengthNotFound}));
}

TEST_F(DataFileTest, UnopenableArchiveShowsBothOpeningBoxes) {
    std::string truncatedZip;
    {
        ZipWriter(zipPath).Add("a.txt", PseudoRandomBytes(5000));
        const std::string whole =
            (std::ostringstream() << std::ifstream(zipPath, std::ios::binary).rdbuf()).str();
        truncatedZip = whole.substr(0, whole.size() / 2);
    }
    const std::string paths[] = {
        dir.File("nowhere.zip"),
        dir.Write("text.zip", "this is not an archive"),
        dir.Write("truncated.zip", truncatedZip),
    };
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        ZipDataFile& file = UseArchive(path);
        EXPECT_EQ(file.FLoadFile("a.txt"), nullptr);
        EXPECT_EQ(boxes.Take(), (Boxes{{"DoFileLengthInDataFileLookup", "Can't open Datafile!!!"},
                                       {"LoadFileFromDataFile", "Can't open Zipfile!!!"},
                                       {"FLoadFile", "Couldn't load file: a.txt."}}));
        EXPECT_EQ(file.FileLength("a.txt"), -1);
        EXPECT_EQ(boxes.Take(), (Boxes(2, {"DoFileLengthInDataFileLookup", "Can't open Datafile!!!"})));
    }
}

// A directory entry may declare far more than its few bytes of data could hold (here within the
// members' ceiling). Such a lie is a read failure found before the buffer is allocated.
TEST_F(DataFileTest, ImpossibleDeclaredSizesFailBeforeAllocating) {
    constexpr uLong kDeclared = 50'000'000;
    const std::string text(4000, 'z');  // deflates to a few bytes
    ZipWriter(zipPath)
        .AddRaw("stored.bin", text, Method::kStored, kDeclared, ZipWriter::Crc(text))
        .AddRaw("deflated.bin", DeflatedBytes(text, dir.File("scratch.zip")), Method::kDeflated, kDeclared,
                ZipWriter::Crc(text));
    ZipDataFile& file = UseArchive(zipPath);
    for (const char* member : {"stored.bin", "deflated.bin"}) {
        SCOPED_TRACE(member);
        EXPECT_EQ(file.FileLength(member), static_cast<int32_t>(kDeclared))
            << "the directory is believed for the length";
        boxes.Take();
        LargestMemberBuffer watch;
        EXPECT_EQ(file.FLoadFile(member), nullptr);
        EXPECT_EQ(boxes.Take(), Boxes{kReadFailed});
        EXPECT_EQ(watch.largest, 0u);
    }
}

// A directory entry whose extra field runs past the end of the archive (found by fuzzing: the
// unzip library then reads on at the end of the file thousands of times per lookup, which through
// stdio cost a system call each) reads as the library reads it: both members still load.
TEST_F(DataFileTest, EntryRunningPastTheEndStillReadsAsTheLibraryReadsIt) {
    ZipWriter(zipPath).Add("first.txt", "first").Add("second.txt", "second").Close();
    std::string bytes = (std::ostringstream() << std::ifstream(zipPath, std::ios::binary).rdbuf()).str();
    // The second central header: its extra-field length (offset 30) becomes 0xFFFF.
    const size_t second = bytes.rfind("PK\x01\x02");
    ASSERT_NE(second, std::string::npos);
    bytes[second + 30] = '\xFF', bytes[second + 31] = '\xFF';
    ZipDataFile& file = UseArchive(dir.Write("cut.zip", bytes));

    for (const char* member : {"first", "second"}) {
        const std::string name = std::string(member) + ".txt";
        MemberBuffer buffer(file.FLoadFile(name), {&file});
        ASSERT_NE(buffer, nullptr) << name;
        EXPECT_STREQ(buffer.get(), member);
        EXPECT_EQ(file.FileLength(name), static_cast<int32_t>(std::strlen(member)));
    }
    EXPECT_TRUE(boxes.Take().empty());
}

// A member whose bytes disagree with its directory entry is a read failure, never a buffer of
// corrupt or uninitialised bytes.
TEST_F(DataFileTest, UntrustworthyMembersAreReadFailures) {
    const std::string text = "hello, world";
    const uLong crc = ZipWriter::Crc(text);
    ZipWriter(zipPath)
        .AddRaw("bad-checksum.txt", text, Method::kStored, text.size(), crc ^ 0x10)
        .AddRaw("short.txt", text, Method::kStored, text.size() + 40, crc)
        .AddRaw("broken-stream.txt", "\xff\xff\xff\xff\xff\xff", Method::kDeflated, text.size(), crc)
        .Add("secret.txt", text, Method::kDeflated, "password")
        .Add("good.txt", text);
    ZipDataFile& file = UseArchive(zipPath);

    for (const char* name : {"bad-checksum.txt", "short.txt", "broken-stream.txt", "secret.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(file.FLoadFile(name), nullptr);
        EXPECT_EQ(boxes.Take(), Boxes{kReadFailed});
    }
    // The archive itself is fine: its sound members still load.
    MemberBuffer good(file.FLoadFile("good.txt"), {&file});
    ASSERT_NE(good, nullptr);
    EXPECT_EQ(std::string(good.get()), text);
    EXPECT_TRUE(boxes.Take().empty());
}
