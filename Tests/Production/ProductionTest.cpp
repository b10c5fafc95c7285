// The production as its callers see it: what it sets up and in which order, what a failed start-up
// leaves behind, and that a second production in the same process draws exactly what the first did.
#include "Production/Production.h"

#include "Audio/MusicPlayer.h"
#include "Audio/SpectrumAnalyser.h"
#include "Data/FolderDataFile.h"
#include "Data/Images.h"
#include "Parts/IntroPart.h"
#include "Parts/PartOne.h"
#include "Parts/PartTwo.h"
#include "Support/CapturingSinks.h"
#include "Data/MemoryDataFile.h"
#include "Support/Mp3Fixture.h"
#include "Support/SceneFixture.h"
#include "Support/TempDir.h"
#include "Support/Unzip.h"
#include "Utils/Utils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string Script(const char* band, const char* keys) {
    return std::string("<part><autosyncro>") + band + "</autosyncro><timing>" + keys + "</timing></part>";
}

// Solid pictures of the sizes the scenes expect, three one-band scripts and a short tune.
void FillArchive(MemoryDataFile& archive) {
    archive.members["syncroscripts/part1.xml"] =
        Script(R"(<b startfreq="1" endfreq="11" thresold="0.1" gravity="10"/>)",
               R"(<k mp3time="0" fxtime="0"/><k mp3time="10" fxtime="300"/>)");
    archive.members["syncroscripts/part2.xml"] =
        Script(R"(<b startfreq="2" endfreq="22" thresold="0.2" gravity="20"/>)",
               R"(<k mp3time="10" fxtime="0"/><k mp3time="20" fxtime="810"/>)");
    archive.members["syncroscripts/intro.xml"] =
        Script(R"(<b startfreq="3" endfreq="33" thresold="0.3" gravity="30"/>)",
               R"(<k mp3time="20" fxtime="0"/><k mp3time="30" fxtime="200"/>)");
    const std::vector<char> mp3 = testing_support::EncodeMp3(testing_support::SyntheticMusic(1.0));
    archive.members[kMusicMember] = std::string(mp3.begin(), mp3.end());
}

void RegisterSolidPictures() {
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        const auto [w, h] = PictureSize(guid);
        ImageEntry entry;
        entry.bitmap = std::make_unique<Bitmap>(w, h);
        std::fill(entry.bitmap->pixels, entry.bitmap->pixels + entry.bitmap->size, PictureColour(guid));
        entry.guid = guid;
        imageTable.push_back(std::move(entry));
        *catalogue[guid].guid = guid;
    }
    nextImageGuid = kCatalogueSize;
}

ProductionSetup OnMemory(MemoryDataFile& archive) {
    ProductionSetup setup;
    setup.archive = &archive;
    setup.registerPictures = RegisterSolidPictures;
    setup.music = std::make_unique<DecodedMusic>();
    return setup;
}

TEST(Production, SetsTheSharedObjectsInStartUpOrderAndClearsThemAll) {
    MemoryDataFile archive;
    FillArchive(archive);
    {
        Production production(OnMemory(archive));
        ASSERT_TRUE(production.Ready()) << production.Failure();
        EXPECT_EQ(dataFile, &archive);
        EXPECT_EQ(canvas, &production.Canvas());
        EXPECT_EQ(analyser, &production.Analyser());
        EXPECT_EQ(player, nullptr) << "only the live music has a player";
        ASSERT_TRUE(partOne != nullptr && partTwo != nullptr && intro != nullptr);
        EXPECT_EQ(imageTable.size(), static_cast<size_t>(kCatalogueSize));
        const Bitmap& fresh = production.Canvas();
        EXPECT_EQ(std::count(fresh.pixels, fresh.pixels + fresh.size, 0u), 640 * 480)
            << "black until a scene draws";
        // The magnifiers' title: the dark mountain with the studio's caption at (85, 208).
        ASSERT_NE(production.Title(), nullptr);
        EXPECT_EQ(production.Title()->Row(0)[0] & 0xFFFFFFu, PictureColour(zembramountDarkGuid));
        EXPECT_EQ(production.Title()->Row(208)[85] & 0xFFFFFFu, PictureColour(thezembramountpicturesGuid));

        // The two start-up bands take ids 0 and 1; the scripts' bands follow in the order the
        // parts are made: part one, part two, the intro.
        std::vector<std::pair<int32_t, float>> bands;
        for (const BeatBand& band : production.Analyser().Bands()) bands.push_back({band.id, band.gravity});
        EXPECT_EQ(bands, (std::vector<std::pair<int32_t, float>>{
                             {0, 40.0f}, {1, 180.0f}, {2, 10.0f}, {3, 20.0f}, {4, 30.0f}}));
        EXPECT_EQ(partOne->bandIds, std::vector<int32_t>{2});
        EXPECT_EQ(partTwo->bandIds, std::vector<int32_t>{3});
        EXPECT_EQ(intro->bandIds, std::vector<int32_t>{4});

        // The music is the clock the analyser and the scenes read.
        static_cast<DecodedMusic*>(production.Music())->Seek(12.5);
        EXPECT_EQ(platform::MusicTime(), 12.5f);
        EXPECT_EQ(production.RenderFrame(), 12.5f);
        EXPECT_EQ(archive.outstanding, 1) << "the music bytes stay with the production";
    }
    EXPECT_EQ(dataFile, nullptr);
    EXPECT_EQ(canvas, nullptr);
    EXPECT_EQ(analyser, nullptr);
    EXPECT_TRUE(partOne == nullptr && partTwo == nullptr && intro == nullptr);
    EXPECT_TRUE(imageTable.empty());
    EXPECT_EQ(platform::CurrentMusicClock(), nullptr);
    EXPECT_EQ(archive.outstanding, 0) << "the music bytes went back to the archive";
}

TEST(Production, PartsDrawInTheirOrderSoTheIntroCoversTheOthersWhereTheyOverlap) {
    MemoryDataFile archive;
    FillArchive(archive);
    const std::string band = R"(<b startfreq="1" endfreq="11" thresold="0.1" gravity="10"/>)";
    const std::string keys = R"(<k mp3time="0" fxtime="0"/><k mp3time="10" fxtime="100"/>)";
    for (const char* member :
         {"syncroscripts/part1.xml", "syncroscripts/part2.xml", "syncroscripts/intro.xml"}) {
        archive.members[member] = Script(band.c_str(), keys.c_str());
    }
    Production production(OnMemory(archive));
    ASSERT_TRUE(production.Ready()) << production.Failure();
    production.Draw(5.0f);
    // The intro clears the frame before its card, so alone it draws the whole frame.
    Bitmap alone(640, 480);
    intro->Render(&alone, 5.0f);
    const Bitmap& frame = production.Canvas();
    EXPECT_TRUE(std::equal(frame.pixels, frame.pixels + frame.size, alone.pixels));
}

// Records each box with whether the audio objects were already gone when it showed.
class AudioAtBoxes final : public platform::MessageSink {
public:
    void Show(const std::string& caption, const std::string& text) override {
        boxes.push_back({caption, text});
        audioGone.push_back(analyser == nullptr && player == nullptr);
    }
    std::vector<MessageBox> boxes;
    std::vector<bool> audioGone;
};

TEST(Production, UnplayableMusicReleasesTheAudioThenShowsItsBoxAndStopsStartUp) {
    struct Case {
        const char* name;
        bool present;
        std::string bytes;
        bool detail;  // whether the decoder has something to add to the failure
    };
    const Case cases[] = {
        {"no music member", false, "", false},
        {"empty member", true, "", false},
        {"not an mp3", true, std::string(4096, 'x'), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryDataFile archive;
        FillArchive(archive);
        archive.members.erase(kMusicMember);
        if (c.present) archive.members[kMusicMember] = c.bytes;
        AudioAtBoxes sink;
        platform::ScopedMessageSink guard(&sink);
        {
            Production production(OnMemory(archive));
            EXPECT_FALSE(production.Ready());
            EXPECT_EQ(production.Failure().rfind("Couldn't load mp3", 0), 0u) << production.Failure();
            EXPECT_EQ(production.Failure() != "Couldn't load mp3", c.detail) << production.Failure();
            EXPECT_EQ(
                sink.boxes,
                (std::vector<MessageBox>{{"BassPlayer Error", ComposeErrorText("Couldn't load mp3", true)}}));
            EXPECT_EQ(sink.audioGone, std::vector<bool>{true});
            EXPECT_TRUE(partOne == nullptr && partTwo == nullptr && intro == nullptr)
                << "no part after the failure";
            EXPECT_EQ(dataFile, &archive) << "the resources stay until the production goes";
            EXPECT_EQ(production.RenderFrame(), 0.0f) << "nothing to play";
            EXPECT_EQ(archive.outstanding, 0);
        }
        EXPECT_EQ(dataFile, nullptr);
    }
}

// A fingerprint of the frames four times a second through the intro and part one, rendered in order
// on the decoded track, read from the zip at archivePath or from `archive` when given.
std::vector<uint64_t> Fingerprints(const std::string& archivePath, DataFile* archive = nullptr) {
    ProductionSetup setup;
    setup.archivePath = archivePath;
    setup.archive = archive;
    auto music = std::make_unique<DecodedMusic>();
    DecodedMusic* seek = music.get();
    setup.music = std::move(music);
    SteppedWallClock wall;
    platform::ScopedWallClock wallGuard(&wall);
    Production production(std::move(setup));
    EXPECT_TRUE(production.Ready()) << production.Failure();
    std::vector<uint64_t> hashes;
    for (int frame = 0; frame < 4 * 70; ++frame) {
        const double t = frame * 0.25;
        seek->Seek(t);
        wall.ticks = static_cast<uint32_t>(t * 1000.0);
        production.RenderFrame();
        const Bitmap& canvasNow = production.Canvas();
        uint64_t hash = 14695981039346656037u;
        for (int32_t i = 0; i < canvasNow.size; ++i) hash = (hash ^ canvasNow.pixels[i]) * 1099511628211u;
        hashes.push_back(hash);
    }
    return hashes;
}

TEST(Production, ASecondProductionInTheSameProcessDrawsTheSameFrames) {
    const std::string generated = ZV_BINARY_DIR "/assets/tarnos.zip";
    if (!std::filesystem::exists(generated)) GTEST_SKIP() << "the build did not generate " << generated;
    CapturedBoxes boxes;
    const std::vector<uint64_t> first = Fingerprints(generated);
    // Whatever the first run left in the shared random sequence, band ids and picture table.
    platform::Rand();
    SpectrumAnalyser::ResetBandIds(77);
    const std::vector<uint64_t> second = Fingerprints(generated);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(boxes.boxes.empty());
}

// The generated archive unpacked into a folder: the same members byte for byte, and the production
// read from the folder draws the same frames as from the zip.
TEST(Production, DrawsTheSameFramesFromTheFolderTheArchiveWasUnpackedInto) {
    const std::string generated = ZV_BINARY_DIR "/assets/tarnos.zip";
    if (!std::filesystem::exists(generated)) GTEST_SKIP() << "the build did not generate " << generated;
    CapturedBoxes boxes;
    const TempDir dir;
    const std::vector<std::string> members = UnpackZip(generated, dir.Path());
    ZipDataFile zip(generated);
    FolderDataFile folder(dir.Path().string());
    for (const std::string& member : members) {
        const MemberBuffer fromZip(zip.FLoadFile(member), {&zip});
        const MemberBuffer fromFolder(folder.FLoadFile(member), {&folder});
        const int32_t length = zip.FileLength(member);
        ASSERT_TRUE(fromZip != nullptr && fromFolder != nullptr) << member;
        ASSERT_EQ(folder.FileLength(member), length) << member;
        EXPECT_TRUE(std::equal(fromZip.get(), fromZip.get() + length, fromFolder.get())) << member;
    }
    EXPECT_EQ(Fingerprints("no-such-archive.zip", &folder), Fingerprints(generated));
    EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
