// The archive as a folder of plain files: every request gives the same bytes and the same boxes, in
// the same order, as the zip the folder was unpacked from.
#include "ArchiveFixture.h"
#include "Data/FolderDataFile.h"
#include "Support/Unzip.h"

#include <filesystem>
#include <string_view>

namespace {

class FolderDataFileTest : public ArchiveTest {
protected:
    // What one request shows through either archive: the bytes (or none), the boxes, the length
    // and its boxes.
    struct Answer {
        bool loaded = false;
        std::string bytes;
        Boxes loadBoxes;
        int32_t length = 0;
        Boxes lengthBoxes;
        bool operator==(const Answer&) const = default;
    };

    Answer Ask(DataFile& file, const std::string& request) {
        Answer answer;
        MemberBuffer buffer(file.FLoadFile(request), {&file});
        answer.loaded = buffer != nullptr;
        answer.loadBoxes = boxes.Take();
        answer.length = file.FileLength(request);
        answer.lengthBoxes = boxes.Take();
        if (answer.loaded && answer.length >= 0) {
            answer.bytes.assign(buffer.get(), static_cast<size_t>(answer.length) + 1);  // and the zero
        }
        return answer;
    }
};

TEST_F(FolderDataFileTest, AnswersEveryRequestAsTheZipItWasUnpackedFrom) {
    ZipWriter(zipPath)
        .Add("syncroscripts/intro.xml", "<part/>")
        .Add("Pelmarov/Credits.PNG", "picture bytes")
        .Add("texts/empty.txt", "")
        .Add("texts/nested/deep.txt", "deep")
        .Add("rorozuzorozori.mp3", std::string(70000, 'm'), ZipWriter::Method::kStored);
    const std::filesystem::path folder = dir.Path() / "unpacked";
    UnpackZip(zipPath, folder);
    // Things a folder may hold that no zip member can match.
    std::filesystem::create_directories(folder / "Pelmarov" / "adir");
    dir.Write("outside.txt", "outside the folder");

    ZipDataFile zip(zipPath);
    FolderDataFile plain(folder.string());
    const std::string requests[] = {
        "syncroscripts/intro.xml",
        "SYNCROSCRIPTS/Intro.XML",
        "syncroscripts\\intro.xml",
        "SyncroScripts\\\\\\intro.xml",
        "pelmarov/credits.png",
        "texts/empty.txt",
        "texts\\nested\\deep.txt",
        "TEXTS/NESTED/DEEP.TXT",
        "rorozuzorozori.mp3",
        "pelmarov/nothere.png",
        "pelmarov\\nothere.png",
        "pelmarov",
        "pelmarov/adir",
        "../outside.txt",
        "texts/../syncroscripts/intro.xml",
        "/syncroscripts/intro.xml",
        "texts//empty.txt",
        "",
    };
    for (const std::string& request : requests) {
        SCOPED_TRACE(request);
        const Answer expected = Ask(zip, request);
        const Answer got = Ask(plain, request);
        EXPECT_EQ(got.loaded, expected.loaded);
        EXPECT_EQ(got.bytes, expected.bytes);
        EXPECT_EQ(got.loadBoxes, expected.loadBoxes);
        EXPECT_EQ(got.length, expected.length);
        EXPECT_EQ(got.lengthBoxes, expected.lengthBoxes);
    }
}

// A folder that is not there fails every request with the boxes of an archive that cannot be
// opened.
TEST_F(FolderDataFileTest, MissingFolderShowsTheUnopenableArchiveBoxes) {
    for (const std::string& path : {dir.File("nothere"), dir.Write("a-file", "not a folder")}) {
        SCOPED_TRACE(path);
        ZipDataFile zip(path);
        FolderDataFile plain(path);
        for (const char* request : {"syncroscripts/intro.xml", "texts\\a.txt"}) {
            const Answer expected = Ask(zip, request);
            EXPECT_FALSE(expected.loaded);
            EXPECT_EQ(Ask(plain, request), expected) << request;
        }
    }
}

// A file changed on disk is read as it is now: nothing is cached between requests.
TEST_F(FolderDataFileTest, ReadsAChangedFileAfresh) {
    const std::string path = dir.Write("part1.xml", "<old/>");
    FolderDataFile plain(dir.Path().string());
    EXPECT_EQ(Ask(plain, "part1.xml").bytes, std::string("<old/>", 7));
    dir.Write("part1.xml", "<changed and longer/>");
    EXPECT_EQ(Ask(plain, "PART1.xml").bytes, std::string("<changed and longer/>", 22));
    EXPECT_TRUE(boxes.Take().empty());
}

}  // namespace
