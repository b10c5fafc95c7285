// The progress line: plain lines every 5% for logs, one line redrawn in place for terminals.
#include "Capture/Progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A FILE* whose output ends up in a string.
class CapturedStream {
public:
    CapturedStream() : file(open_memstream(&buffer, &size)) {}
    ~CapturedStream() {
        if (file != nullptr) std::fclose(file);
        std::free(buffer);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;
    std::FILE* File() { return file; }
    std::string Text() {
        std::fflush(file);
        return std::string(buffer, size);
    }

private:
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* file;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(Progress, LogsGetOnePlainLinePerFivePercent) {
    CapturedStream out;
    Progress progress(200, false, out.File());
    for (int done = 1; done <= 200; ++done) progress.Update(done, done * 0.05);
    progress.Finish();
    const std::string text = out.Text();
    EXPECT_EQ(text.find('\r'), std::string::npos);
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(lines.front().rfind("frame 10/200   5%", 0), 0u) << lines.front();
    EXPECT_EQ(lines.back().rfind("frame 200/200 100%", 0), 0u) << lines.back();
    // Half way after 5 s: 20 frames a second, 5 s to go.
    EXPECT_NE(lines[9].find("frame 100/200  50%  20.0 fps  elapsed 0:05  remaining 0:05"), std::string::npos)
        << lines[9];
}

TEST(Progress, AJumpOverSeveralStepsWritesOneLine) {
    CapturedStream out;
    Progress progress(1000, false, out.File());
    progress.Update(10, 1.0);   // 1%: nothing yet
    progress.Update(330, 2.0);  // over 5% .. 30%
    progress.Update(340, 3.0);  // still 30%
    EXPECT_EQ(Lines(out.Text()).size(), 1u) << out.Text();
}

TEST(Progress, TerminalsGetOneLineRedrawnAFewTimesASecond) {
    CapturedStream out;
    Progress progress(600, true, out.File());
    // 600 frames over 3 s: at most a dozen redraws, however many frames.
    for (int done = 1; done <= 600; ++done) progress.Update(done, done * 0.005);
    const std::string text = out.Text();
    const auto redraws = std::count(text.begin(), text.end(), '\r');
    EXPECT_GE(redraws, 10);
    EXPECT_LE(redraws, 14);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << "one line, ended once at the last frame";
    EXPECT_NE(text.substr(text.rfind('\r')).find("frame 600/600 100%"), std::string::npos);
    progress.Finish();
    const std::string after = out.Text();
    EXPECT_EQ(std::count(after.begin(), after.end(), '\n'), 1) << "finishing after the end adds no line";
}

TEST(Progress, LongRunsShowHours) {
    CapturedStream out;
    Progress progress(100, false, out.File());
    progress.Update(5, 3725.0);
    EXPECT_NE(out.Text().find("elapsed 1:02:05  remaining 19:39:35"), std::string::npos) << out.Text();
}

}  // namespace
