// Archives and data folders whose names are not ASCII: names are UTF-8 throughout the program, on
// Windows too, where they reach the system through its wide-character calls.
#include "ArchiveFixture.h"
#include "Data/FolderDataFile.h"
#include "Utils/Files.h"

#include <filesystem>
#include <fstream>

namespace {

// Greek, accented Latin and a character outside the Basic Multilingual Plane (a surrogate pair
// in UTF-16).
const std::string kNames[] = {"tárnos ñ", "ταρνος", "zip \xF0\x9F\x8E\xB5"};

}  // namespace

TEST_F(ArchiveTest, ArchivesAndFoldersUnderNonAsciiNamesOpen) {
    ZipWriter(zipPath).Add("syncroscripts/intro.xml", "<part/>").Close();
    for (const std::string& name : kNames) {
        SCOPED_TRACE(name);
        const std::string utf8Dir = dir.File("") + name;
        const std::filesystem::path folder = platform::PathFromUtf8(utf8Dir);
        std::filesystem::create_directories(folder / "syncroscripts");
        std::filesystem::copy_file(zipPath, folder / "archive.zip");
        std::ofstream(folder / "syncroscripts" / "intro.xml", std::ios::binary) << "<part/>";
        EXPECT_EQ(platform::Utf8FromPath(folder), utf8Dir);

        ZipDataFile& zip = UseArchive(utf8Dir + "/archive.zip");
        EXPECT_EQ(zip.FileLength("syncroscripts/intro.xml"), 7);
        FolderDataFile plain(utf8Dir);
        EXPECT_EQ(plain.FileLength("SyncroScripts/intro.xml"), 7);
        EXPECT_TRUE(boxes.Take().empty());
    }
}
