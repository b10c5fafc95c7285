// The data folder's watcher, on real files in a temporary folder: every way a save can look is
// reported once, editors' own files and quiet folders are not, and a bad folder is refused clearly.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "Main/FileWatcher.h"

namespace {

namespace fs = std::filesystem;

class FileWatcherTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zv-watch-" + std::to_string(::getpid()) + "-" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "pictures");
        Write("syncroscripts-part1.xml", "<part/>");
        std::string error;
        ASSERT_TRUE(watcher_.Open(dir_.native(), &error)) << error;
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Write(const fs::path& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }

    // How often Changed() says so over `seconds` of frames: long enough for any burst to settle
    // several times over.
    int Reports(double seconds = 0.6) {
        int reports = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            reports += watcher_.Changed() ? 1 : 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return reports;
    }

    fs::path dir_;
    FileWatcher watcher_;
};

}  // namespace

TEST_F(FileWatcherTest, ReportsEachKindOfSaveOnce) {
    EXPECT_EQ(Reports(0.3), 0) << "nothing changed yet";

    Write("syncroscripts-part1.xml", "<part><timing/></part>");
    EXPECT_EQ(Reports(), 1) << "written and closed";

    // An editor's save: a hidden temporary file written, then renamed over the original.
    Write(".part1.xml.tmp", "<part/>");
    fs::rename(dir_ / ".part1.xml.tmp", dir_ / "syncroscripts-part1.xml");
    EXPECT_EQ(Reports(), 1) << "renamed into place";

    Write("pictures/sky.png", "png");
    EXPECT_EQ(Reports(), 1) << "in a folder watched from the start";

    fs::remove(dir_ / "pictures/sky.png");
    EXPECT_EQ(Reports(), 1) << "deleted";

    // A folder made after Open is itself a change; a file saved in it later is another.
    fs::create_directories(dir_ / "pictures/new/deeper");
    EXPECT_EQ(Reports(), 1) << "folders made";
    Write("pictures/new/deeper/moon.png", "png");
    EXPECT_EQ(Reports(), 1) << "in a folder made after Open";
}

TEST_F(FileWatcherTest, IgnoresEditorsOwnFiles) {
    for (const char* name : {".part1.xml.swp", "part1.xml~", "part1.xml.swp", ".#part1.xml"}) {
        Write(name, "swap");
        fs::remove(dir_ / name);
    }
    fs::create_directories(dir_ / ".git/objects");
    Write(".git/objects/ab", "object");
    EXPECT_EQ(Reports(0.5), 0);
}

TEST_F(FileWatcherTest, ReportsOnlyAfterABurstHasSettled) {
    const auto start = FileWatcher::Clock::now();
    Write("a.xml", "1");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let the event arrive
    EXPECT_FALSE(watcher_.Changed(start));
    Write("b.xml", "2");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // Another change restarts the wait.
    EXPECT_FALSE(watcher_.Changed(start + FileWatcher::kSettle - std::chrono::milliseconds(1)));
    EXPECT_FALSE(watcher_.Changed(start + 2 * FileWatcher::kSettle - std::chrono::milliseconds(2)));
    EXPECT_TRUE(watcher_.Changed(start + 2 * FileWatcher::kSettle - std::chrono::milliseconds(1)));
    EXPECT_FALSE(watcher_.Changed(start + 10 * FileWatcher::kSettle));
}

TEST(FileWatcher, RefusesWhatIsNotAFolder) {
    const fs::path missing = fs::temp_directory_path() / "zv-watch-no-such-folder";
    const fs::path file = fs::temp_directory_path() / ("zv-watch-file-" + std::to_string(::getpid()));
    std::ofstream(file) << "x";
    const struct {
        std::string path, message;
    } cases[] = {
        {missing.native(), "Cannot watch " + missing.native() + " for changes: No such file or directory"},
        {file.native(), "Cannot watch " + file.native() + " for changes: not a folder"},
    };
    for (const auto& c : cases) {
        FileWatcher watcher;
        std::string error;
        EXPECT_FALSE(watcher.Open(c.path, &error));
        EXPECT_EQ(error, c.message);
        EXPECT_FALSE(watcher.IsOpen());
        EXPECT_FALSE(watcher.Changed());
    }
    fs::remove(file);
}
