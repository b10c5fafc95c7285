// The archive a program plays unasked: the working directory's first, the installed one after.
#include "Production/DefaultArchive.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

TEST(DefaultArchive, WorkingDirectoryFirstThenInstalled) {
    struct Case {
        const char* name;
        bool local, installed;
        bool installedIsFolder;
        bool wantInstalled;
    };
    const Case cases[] = {
        {"both: the working directory's", true, true, false, false},
        {"only the local one", true, false, false, false},
        {"only the installed one", false, true, false, true},
        {"neither: named by the local name", false, false, false, false},
        {"installed path is a folder", false, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string local = dir.File("tarnos.zip");
        const std::string installed = dir.File("share/tarnos.zip");
        if (c.local) dir.Write("tarnos.zip", "PK");
        if (c.installed) {
            std::filesystem::create_directories(dir.Path() / "share");
            if (c.installedIsFolder) {
                std::filesystem::create_directories(installed);
            } else {
                dir.Write("share/tarnos.zip", "PK");
            }
        }
        EXPECT_EQ(ChooseArchive(local, installed), c.wantInstalled ? installed : local);
    }
}

TEST(DefaultArchive, InstalledPathLiesUnderTheDataFolder) {
    const std::string installed = InstalledArchivePath();
    EXPECT_TRUE(installed.ends_with("/share/zembravale/tarnos.zip")) << installed;
    EXPECT_TRUE(ChooseArchive("tarnos.zip", "").ends_with("tarnos.zip"));
}

}  // namespace
