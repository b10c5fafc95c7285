// Writing the archive: the program's own archive reader finds every member with its bytes, the
// bytes of the file are the same on every run, and the two slow builders run side by side.
#include "AssetBuilder/Archive/ArchiveBuild.h"
#include "AssetBuilder/Music/Music.h"
#include "AssetBuilder/Archive/ZipWriter.h"
#include "Data/DataFile.h"
#include "Utils/Platform.h"

#include <gtest/gtest.h>
#include <unzip.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

using namespace assets;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> bytes;
    for (int v : values) bytes.push_back(uint8_t(v));
    return bytes;
}

// Members of each kind the archive holds, with content that compresses well and some that does not.
std::vector<ArchiveMember> SampleMembers() {
    std::vector<uint8_t> noise(70000);
    uint32_t state = 12345;
    for (uint8_t& b : noise) {
        state = state * 1664525u + 1013904223u;
        b = uint8_t(state >> 24);
    }
    const std::string xml(3000, 'x');
    return {
        {"pelmarov/credits.png", noise},
        {"sorvanik/cervinglow.jpg", Bytes({0xFF, 0xD8, 0xFF, 0xD9})},
        {"syncroscripts/intro.xml", std::vector<uint8_t>(xml.begin(), xml.end())},
        {"texts/empty.png", {}},
        {kMusicMember, std::vector<uint8_t>(noise.begin(), noise.begin() + 5000)},
    };
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class Messages final : public platform::MessageSink {
public:
    void Show(const std::string& caption, const std::string& text) override {
        lines.push_back(caption + text);
    }
    std::vector<std::string> lines;
};

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory =
            fs::temp_directory_path() /
            ("zv-archive-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(directory);
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }
    fs::path directory;
};

}  // namespace

TEST_F(ArchiveTest, TheProgramsReaderFindsEveryMemberInOrderWithItsBytes) {
    const std::vector<ArchiveMember> members = SampleMembers();
    const fs::path path = directory / "tarnos.zip";
    WriteZip(path.string(), members);
    EXPECT_FALSE(fs::exists(path.string() + ".part"));

    Messages messages;
    platform::ScopedMessageSink sink(&messages);
    ZipDataFile archive(path.string());
    for (const ArchiveMember& member : members) {
        SCOPED_TRACE(member.name);
        ASSERT_EQ(archive.FileLength(member.name), int32_t(member.bytes.size()));
        MemberBuffer buffer(archive.FLoadFile(member.name), MemberBufferDeleter{&archive});
        ASSERT_NE(buffer, nullptr);
        EXPECT_TRUE(
            std::equal(member.bytes.begin(), member.bytes.end(), reinterpret_cast<uint8_t*>(buffer.get())));
    }
    EXPECT_TRUE(messages.lines.empty());

    // In the order given, text deflated, the rest stored, all with the same fixed date.
    unzFile zip = unzOpen(path.string().c_str());
    ASSERT_NE(zip, nullptr);
    size_t index = 0;
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip), ++index) {
        unz_file_info info;
        char name[256];
        ASSERT_EQ(unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0), UNZ_OK);
        ASSERT_LT(index, members.size());
        EXPECT_EQ(name, members[index].name);
        const bool text = members[index].name.ends_with(".xml");
        EXPECT_EQ(info.compression_method, text ? unsigned(Z_DEFLATED) : 0u) << name;
        if (text) {
            EXPECT_LT(info.compressed_size, info.uncompressed_size / 10) << name;
        }
        EXPECT_EQ(info.tmu_date.tm_year, 2004u);
        EXPECT_EQ(info.tmu_date.tm_mon, 5u);
        EXPECT_EQ(info.tmu_date.tm_mday, 12u);
    }
    EXPECT_EQ(index, members.size());
    unzClose(zip);
}

TEST_F(ArchiveTest, SameMembersGiveTheSameFileBytesAndUnpackAsPlainFiles) {
    const std::vector<ArchiveMember> members = SampleMembers();
    WriteZip((directory / "a.zip").string(), members);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // a later second on the clock
    WriteZip((directory / "b.zip").string(), members);
    const std::vector<uint8_t> a = ReadFile(directory / "a.zip"), b = ReadFile(directory / "b.zip");
    ASSERT_FALSE(a.empty());
    EXPECT_TRUE(a == b);
    // Writing again over an existing archive replaces it whole.
    WriteZip((directory / "a.zip").string(), {members[1]});
    EXPECT_LT(ReadFile(directory / "a.zip").size(), a.size());

    WriteUnpacked((directory / "unpacked").string(), members);
    for (const ArchiveMember& member : members) {
        EXPECT_EQ(ReadFile(directory / "unpacked" / member.name), member.bytes) << member.name;
    }
}

TEST_F(ArchiveTest, FailureToWriteIsReportedAndLeavesNoArchive) {
    const fs::path missing = directory / "no-such-folder" / "tarnos.zip";
    EXPECT_THROW(WriteZip(missing.string(), SampleMembers()), std::runtime_error);
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_FALSE(fs::exists(missing.string() + ".part"));
}

TEST(ArchiveBuild, PicturesAndMusicRunSideBySideAndComeOutInArchiveOrder) {
    // Each builder waits until the other has started: they only finish if they run at once.
    std::atomic<int> started{0};
    auto waitForBoth = [&started] {
        ++started;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (started < 2 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
        return started >= 2;
    };
    bool together = true;
    BuildTimes times;
    const std::vector<ArchiveMember> members = BuildArchiveMembers(
        [&] {
            together = waitForBoth() && together;
            return std::vector<ArchiveMember>{{"pelmarov/a.png", {1}}, {"texts/b.png", {2}}};
        },
        [&] {
            together = waitForBoth() && together;
            return std::vector<ArchiveMember>{{kMusicMember, {3}}};
        },
        &times);
    EXPECT_TRUE(together);
    std::vector<std::string> names;
    for (const ArchiveMember& member : members) names.push_back(member.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"pelmarov/a.png", "texts/b.png", "syncroscripts/intro.xml",
                                        "syncroscripts/part1.xml", "syncroscripts/part2.xml", kMusicMember}));
    EXPECT_GE(times.total, std::max(times.pictures, times.music));

    // A builder that fails fails the whole build, after the other one has finished.
    bool musicFinished = false;
    EXPECT_THROW(
        BuildArchiveMembers([]() -> std::vector<ArchiveMember> { throw std::runtime_error("no picture"); },
                            [&] {
                                musicFinished = true;
                                return std::vector<ArchiveMember>{};
                            }),
        std::runtime_error);
    EXPECT_TRUE(musicFinished);
}
