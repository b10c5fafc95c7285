// Reloading a running production from a folder unpacked from the generated archive: changed
// scripts move the windows and give the frames a fresh start would give, a refused script or a
// missing picture keeps what is in use and says why, and the overlay's status follows.
#include "Audio/SpectrumAnalyser.h"
#include "Data/Catalogue.h"
#include "Data/FolderDataFile.h"
#include "Data/Images.h"
#include "Parts/PartOne.h"
#include "Parts/PartTwo.h"
#include "Production/Production.h"
#include "Production/StatePass.h"
#include "Support/CapturingSinks.h"
#include "Support/TempDir.h"
#include "Support/Unzip.h"
#include "Support/ZipWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kArchive = ZV_BINARY_DIR "/assets/tarnos.zip";

void Replace(const std::string& path, const std::string& from, const std::string& to) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from << " in " << path;
    text.replace(at, from.size(), to);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::vector<uint32_t> Colours(const Bitmap& bitmap) {
    std::vector<uint32_t> colours(bitmap.pixels, bitmap.pixels + bitmap.size);
    for (uint32_t& word : colours) word &= 0x00FFFFFFu;
    return colours;
}

bool Mentions(const ReloadReport& report, const std::string& words) {
    for (const ProductionMessage& message : report.messages) {
        if ((message.caption + " " + message.text).find(words) != std::string::npos) return true;
    }
    return false;
}

class ReloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kArchive)) GTEST_SKIP() << "the build did not generate " << kArchive;
        UnpackZip(kArchive, dir.Path());
        folder = std::make_unique<FolderDataFile>(dir.Path().string());
        Open();
    }
    void TearDown() override { Close(); }

    void Open() {
        ProductionSetup setup;
        setup.archive = folder.get();
        setup.music = std::make_unique<DecodedMusic>();
        production = std::make_unique<Production>(std::move(setup));
        ASSERT_TRUE(production->Ready()) << production->Failure();
        pass = std::make_unique<StatePass>(*production);
    }
    void Close() {
        pass.reset();
        production.reset();
    }
    std::string Script(const char* name) { return dir.File(std::string("syncroscripts/") + name); }

    TempDir dir;
    std::unique_ptr<FolderDataFile> folder;
    std::unique_ptr<Production> production;
    std::unique_ptr<StatePass> pass;
    CapturedBoxes boxes;
    platform::ScopedMessageSink boxGuard{&boxes};
};

TEST_F(ReloadTest, AChangedScriptMovesAWindowAndGivesTheFramesOfAFreshStart) {
    ProductionStatus status;
    production->FillStatus(17.0f, &status);
    EXPECT_EQ(status.parts[0].state, WindowState::kInside);
    EXPECT_EQ(status.visiblePart, 0);
    ASSERT_EQ(status.bandCount, 2);
    EXPECT_EQ(status.bands[1].threshold, 0.25f);
    EXPECT_STREQ(status.bands[1].name, "b1");
    EXPECT_STREQ(WindowStateName(status.parts[0].state), "playing");

    // Part one now starts at 20 s; part two's snare band gets a lower threshold.
    Replace(Script("part1.xml"), R"(mp3time="15.36" fxtime="0")", R"(mp3time="20" fxtime="0")");
    Replace(Script("part2.xml"), R"(endfreq="1000" thresold="0.25")", R"(endfreq="1000" thresold="0.1")");
    const size_t bandsBefore = production->Analyser().Bands().size();
    const int64_t budgetBefore = PictureBudgetUsed();
    const ReloadReport report = pass->Reload(17.0);
    EXPECT_TRUE(report.scriptsReplaced);
    EXPECT_TRUE(report.messages.empty())
        << report.messages.front().caption << ": " << report.messages.front().text;
    EXPECT_EQ(report.picturesReplaced, kCatalogueSize);
    EXPECT_EQ(PictureBudgetUsed(), budgetBefore) << "each picture counts once, however often reloaded";
    EXPECT_TRUE(boxes.boxes.empty()) << "a reload shows no box";
    EXPECT_EQ(partOne->windowStart, 20.0f);
    EXPECT_EQ(production->Analyser().Bands().size(), bandsBefore) << "the old scripts' bands are gone";
    production->FillStatus(17.0f, &status);
    EXPECT_EQ(status.parts[0].state, WindowState::kBefore);
    EXPECT_EQ(status.parts[2].state, WindowState::kAfter);
    EXPECT_EQ(status.visiblePart, 2) << "the intro's last picture stays";

    // After the reload, seeks give what a production started on the changed folder gives.
    // The reload brought the picture to its moment (a paused preview draws nothing else).
    const std::vector<double> moments = {17.0, 21.0, 27.6, 95.0, 152.6};
    std::vector<std::vector<uint32_t>> reloaded = {Colours(production->Canvas())};
    for (size_t i = 1; i < moments.size(); ++i) {
        pass->SeekTo(moments[i]);
        reloaded.push_back(Colours(production->Canvas()));
    }
    Close();
    Open();
    for (size_t i = 0; i < moments.size(); ++i) {
        pass->SeekTo(moments[i]);
        EXPECT_TRUE(Colours(production->Canvas()) == reloaded[i]) << "at " << moments[i] << " s";
    }
}

TEST_F(ReloadTest, ARefusedScriptKeepsAllThreeInUseAndSaysWhy) {
    const std::vector<int32_t> bandIds = partTwo->bandIds;
    const size_t bandCount = production->Analyser().Bands().size();
    const int32_t nextId = SpectrumAnalyser::NextBandId();
    Replace(Script("part1.xml"), R"(mp3time="15.36" fxtime="0")", R"(mp3time="20" fxtime="0")");
    for (const char* broken :
         {R"(<part><timing><key mp3time="5" fxtime="0"/></timing></part>)",
          R"(<part><timing><key mp3time="9" fxtime="9"/><key mp3time="5" fxtime="0"/>)"}) {
        std::ofstream(Script("part2.xml"), std::ios::trunc) << broken;
        const ReloadReport report = production->Reload();
        EXPECT_FALSE(report.scriptsReplaced) << broken;
        EXPECT_TRUE(Mentions(report, "Timing error in XML : syncroscripts/part2.xml")) << broken;
        EXPECT_EQ(partOne->windowStart, 15.36f) << "the scripts are taken together or not at all";
        EXPECT_EQ(partTwo->bandIds, bandIds);
        EXPECT_EQ(production->Analyser().Bands().size(), bandCount);
        EXPECT_EQ(SpectrumAnalyser::NextBandId(), nextId);
        ProductionStatus status;
        production->FillStatus(100.0f, &status);
        EXPECT_EQ(std::string(status.lastMessage), report.messages.back().text)
            << "the overlay shows the last box";
    }
    std::filesystem::remove(Script("intro.xml"));
    EXPECT_FALSE(production->Reload().scriptsReplaced);
    EXPECT_TRUE(boxes.boxes.empty()) << "a reload shows no box";
}

TEST_F(ReloadTest, AMissingPictureKeepsTheOneInUseAndAChangedOneReplacesIt) {
    const Bitmap* before = GetBitmap(casinoviewGuid);
    ASSERT_NE(before, nullptr);
    const std::vector<uint32_t> casino(before->pixels, before->pixels + before->size);
    const Bitmap* big = GetBitmap(bombeGuid);
    const int32_t bigWidth = big->width, bigHeight = big->height;
    std::filesystem::remove(dir.File("pelmarov/casinoview.jpg"));
    // Removed first: wine's C++ library refuses overwrite_existing.
    std::filesystem::remove(dir.File("sorvanik/bombesmall.png"));
    std::filesystem::copy_file(dir.File("sorvanik/bombe.png"), dir.File("sorvanik/bombesmall.png"));
    std::ofstream(dir.File("pelmarov/casino.png"), std::ios::trunc) << "not a picture";
    // The caption in the title picture composed at start-up.
    std::filesystem::remove(dir.File("texts/thezembramountpictures.png"));
    std::filesystem::copy_file(dir.File("texts/youarewrongsir.png"),
                               dir.File("texts/thezembramountpictures.png"));
    const std::vector<uint32_t> title = Colours(*production->Title());

    const ReloadReport report = production->Reload();
    EXPECT_TRUE(report.scriptsReplaced);
    EXPECT_EQ(report.picturesKept, 2);
    EXPECT_EQ(report.picturesReplaced, kCatalogueSize - 2);
    EXPECT_TRUE(Mentions(report, "pelmarov/casinoview.jpg"));
    EXPECT_TRUE(Mentions(report, "pelmarov/casino.png"));
    const Bitmap* after = GetBitmap(casinoviewGuid);
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(std::vector<uint32_t>(after->pixels, after->pixels + after->size), casino);
    EXPECT_FALSE(GetBitmap(casinoGuid)->Empty());
    EXPECT_EQ(GetBitmap(bombesmallGuid)->width, bigWidth);
    EXPECT_EQ(GetBitmap(bombesmallGuid)->height, bigHeight);
    EXPECT_TRUE(Colours(*production->Title()) != title) << "the title is composed again";
    EXPECT_TRUE(boxes.boxes.empty()) << "a reload shows no box";
}

TEST(ReloadZip, AZipArchiveIsOpenedAgainToSeeWhatChanged) {
    if (!std::filesystem::exists(kArchive)) GTEST_SKIP() << "the build did not generate " << kArchive;
#ifdef _WIN32
    GTEST_SKIP() << "Windows replaces no file the program holds open: the archive is saved in place there";
#endif
    TempDir dir;
    const std::string zip = dir.File("tarnos.zip");
    std::filesystem::copy_file(kArchive, zip);
    const std::vector<std::string> members = UnpackZip(kArchive, dir.Path() / "unpacked");
    ProductionSetup setup;
    setup.archivePath = zip;
    setup.music = std::make_unique<DecodedMusic>();
    Production production(std::move(setup));
    ASSERT_TRUE(production.Ready()) << production.Failure();

    // The archive is written anew beside it and moved over it, as a build would.
    Replace(dir.File("unpacked/syncroscripts/part1.xml"), R"(mp3time="15.36" fxtime="0")",
            R"(mp3time="20" fxtime="0")");
    {
        ZipWriter writer(dir.File("new.zip"));
        for (const std::string& name : members) {
            std::ifstream in(dir.File("unpacked/" + name), std::ios::binary);
            writer.Add(name,
                       std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()),
                       ZipWriter::Method::kStored);
        }
    }
    std::filesystem::rename(dir.File("new.zip"), zip);
    const ReloadReport report = production.Reload();
    EXPECT_TRUE(report.scriptsReplaced);
    EXPECT_TRUE(report.messages.empty());
    EXPECT_EQ(partOne->windowStart, 20.0f);

    // Gone altogether: everything in use stays, and the production runs on.
    std::filesystem::remove(zip);
    const ReloadReport gone = production.Reload();
    EXPECT_FALSE(gone.scriptsReplaced);
    EXPECT_EQ(gone.picturesKept, kCatalogueSize);
    EXPECT_EQ(partOne->windowStart, 20.0f);
    EXPECT_NE(GetBitmap(casinoviewGuid)->size, 0);
}

}  // namespace
