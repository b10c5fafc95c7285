// The file seam: reads at an offset, as the archive's window makes them, and names in UTF-8.
#include "Support/TempDir.h"
#include "Utils/Environment.h"
#include "Utils/Files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

TEST(Files, ReadsAtAnyOffsetWithoutAPositionOfItsOwn) {
    TempDir dir;
    std::string bytes(70000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 256);
    const std::string path = dir.Write("data.bin", bytes);
    const auto file = platform::ReadOnlyFile::Open(path);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Size(), bytes.size());

    struct Case {
        uint64_t offset;
        size_t asked;
        int64_t expected;
    };
    // Out of order on purpose: no read may depend on where the one before ended.
    for (const Case& c : {Case{65536, 100, 100}, Case{0, 10, 10}, Case{69990, 64, 10}, Case{70000, 5, 0},
                          Case{1u << 31, 5, 0}, Case{(uint64_t{1} << 32) + 3, 5, 0}, Case{3, 65536, 65536}}) {
        SCOPED_TRACE(c.offset);
        std::string out(c.asked, '\x55');
        ASSERT_EQ(file->ReadAt(out.data(), c.asked, c.offset), c.expected);
        EXPECT_EQ(out.substr(0, static_cast<size_t>(c.expected)),
                  bytes.substr(static_cast<size_t>(std::min<uint64_t>(c.offset, bytes.size())),
                               static_cast<size_t>(c.expected)));
    }
    EXPECT_EQ(platform::ReadOnlyFile::Open(dir.File("none.bin")), nullptr);
}

TEST(Files, OpensNamesOutsideAscii) {
    TempDir dir;
    const std::string name = dir.File("") + "b\xC3\xA4nd \xCE\xB1\xCE\xB2 \xF0\x9F\x8E\xB5.txt";
    std::FILE* written = platform::OpenFile(platform::PathFromUtf8(name), "wb");
    ASSERT_NE(written, nullptr);
    std::fputs("music", written);
    std::fclose(written);
    // The one name, UTF-8 both ways; the plain bytes on Linux.
    EXPECT_EQ(platform::Utf8FromPath(platform::PathFromUtf8(name)), name);
    const auto file = platform::ReadOnlyFile::Open(name);
    ASSERT_NE(file, nullptr);
    char out[8] = {};
    EXPECT_EQ(file->ReadAt(out, sizeof out, 0), 5);
    EXPECT_STREQ(out, "music");
}

TEST(Environment, SetsWhatTheProcessAndItsChildrenRead) {
    ASSERT_TRUE(platform::SetEnvironment("ZEMBRAVALE_TEST_SETTING", "first"));
    ASSERT_TRUE(platform::SetEnvironment("ZEMBRAVALE_TEST_SETTING", "second value"));
    const char* value = std::getenv("ZEMBRAVALE_TEST_SETTING");
    ASSERT_NE(value, nullptr);
    EXPECT_STREQ(value, "second value");
    std::FILE* nothing = std::fopen(platform::NullDevice(), "wb");
    ASSERT_NE(nothing, nullptr);
    EXPECT_EQ(std::fputs("gone", nothing) >= 0, true);
    std::fclose(nothing);
}
