// Start-up, one frame and shutdown of the production, shared by the live program and the offline
// renderer. The globals are created and released here in a fixed order.
#include "Main/Demo.h"

#include "Audio/MusicPlayer.h"
#include "Audio/SpectrumAnalyser.h"
#include "Data/Catalogue.h"
#include "Data/DataFile.h"
#include "Data/Images.h"
#include "Parts/IntroPart.h"
#include "Parts/PartOne.h"
#include "Parts/PartTwo.h"
#include "Utils/Platform.h"
#include "Utils/Utils.h"

#include <algorithm>

PartOne* partOne = nullptr;
PartTwo* partTwo = nullptr;
IntroPart* intro = nullptr;

namespace {
constexpr int kSpectrumBins = 1024;
// The music member, played straight from memory until the player is gone.
char* musicBuffer = nullptr;
}  // namespace

void InitResources(const char* archivePath) {
    dataFile = new ZipDataFile(archivePath);
    LoadCatalogue();
    canvas = new Bitmap(kScreenWidth, kScreenHeight);
    // The scenes cover the canvas themselves; until one draws, it shows black.
    std::fill(canvas->pixels, canvas->pixels + canvas->size, 0u);
}

void InitAnalyser() {
    analyser = new SpectrumAnalyser(kSpectrumBins);
    // Two start-up bands (ids 0 and 1); the scripts' bands follow from id 2.
    analyser->AddBand(0, 70, 0.2f, 40.0f, 0.0f);
    analyser->AddBand(0, 70, 0.2f, 180.0f, 0.0f);
}

bool InitAudio() {
    InitAnalyser();
    player = new MusicPlayer();
    player->Init();
    // The buffer stays alive for the whole run: the player plays straight from it.
    char* music = dataFile->FLoadFile(kMusicMember);
    const int32_t length = dataFile->FileLength(kMusicMember);
    if (!player->Load(music, length)) {
        player->Free();
        delete player;
        player = nullptr;
        delete analyser;
        analyser = nullptr;
        dataFile->FreeBuffer(music);
        ShowError("BassPlayer Error", "Couldn't load mp3", true);
        return false;
    }
    musicBuffer = music;
    platform::SetMusicClock(player);
    return true;
}

void InitParts() {
    partOne = new PartOne();
    partOne->LoadXML("syncroscripts/part1.xml");
    partTwo = new PartTwo();
    partTwo->LoadXML("syncroscripts/part2.xml");
    intro = new IntroPart();
    intro->LoadXML("syncroscripts/intro.xml");
}

void AnalyseFrame(const float* spectrum) {
    analyser->Feed(spectrum);
    analyser->UpdateBands();
}

void RenderParts(float t) {
    partOne->Render(canvas, t);
    partTwo->Render(canvas, t);
    intro->Render(canvas, t);
}

void ReleaseParts() {
    delete partOne;
    partOne = nullptr;
    delete partTwo;
    partTwo = nullptr;
    delete intro;
    intro = nullptr;
}

void ReleaseAudio() {
    if (player != nullptr) {
        player->Free();
        if (platform::CurrentMusicClock() == player) platform::SetMusicClock(nullptr);
        delete player;
        player = nullptr;
    }
    delete analyser;
    analyser = nullptr;
    if (musicBuffer != nullptr && dataFile != nullptr) dataFile->FreeBuffer(musicBuffer);
    musicBuffer = nullptr;
}

void ReleaseResources() {
    delete dataFile;
    dataFile = nullptr;
    ReleaseImages();
    delete canvas;
    canvas = nullptr;
}
