// zembravale-assets' command line: help from the option declarations, and clear refusals with
// exit status 2 for options it cannot use, 1 for a folder it cannot write.
#include "Support/Process.h"
#include "Support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kAssets = ZV_BINARY_DIR "/zembravale-assets";

TEST(AssetCommand, ExplainsItselfAndRefusesWhatItCannotDo) {
    TempDir dir;
    const ProcessResult help = RunProcess({kAssets, "--help"}, dir.Path().string(), {}, 30);
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--out", "--unpacked", "--band-report"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    } cases[] = {
        {{}, 2, "nothing to do"},
        {{"--unpacked"}, 2, "--out"},
        {{"--out"}, 2, "--out"},
        {{"--bogus"}, 2, "--bogus"},
        {{"--out", "/dev/null/assets"}, 1, "/dev/null/assets"},  // a file where a folder should be
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv = {kAssets};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const ProcessResult run = RunProcess(argv, dir.Path().string(), {}, 120);
        ASSERT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("zembravale-assets: "), std::string::npos) << run.err;
    }
}

}  // namespace
