// Start-up, one frame and shutdown of the production, in one fixed order.
#include "Production/Production.h"

#include "Audio/MusicPlayer.h"
#include "Audio/SpectrumAnalyser.h"
#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Parts/TitlePicture.h"
#include "Production/MessageRecorder.h"
#include "Production/PartTable.h"
#include "Render/Bitmap.h"
#include "Utils/Platform.h"
#include "Utils/Utils.h"

#include <algorithm>

namespace {
constexpr int kSpectrumBins = 1024;
}  // namespace

Production::Production(ProductionSetup productionSetup) : setup(std::move(productionSetup)) {
    platform::ResetRand();
    if (!StartImageLibrary()) return;
    OpenResources();
    OpenAnalyser();
    if (setup.music != nullptr && !OpenMusic()) return;
    if (setup.parts) CreateParts();
    startRandState = platform::RandState();
}

Production::~Production() {
    if (music != nullptr) music->Stop();
    ReleaseParts();
    ReleaseAudio();
    ReleaseResources();
}

bool Production::StartImageLibrary() {
    if (!setup.pictures || setup.registerPictures) return true;
    if (InitDevil()) return true;
    ShowError("Error", "InitDevil failed !", true);
    failure = "InitDevil failed !";
    return false;
}

void Production::OpenResources() {
    if (setup.archive == nullptr) archiveOwner = std::make_unique<ZipDataFile>(setup.archivePath);
    dataFile = setup.archive != nullptr ? setup.archive : archiveOwner.get();
    if (setup.pictures) {
        // The GUIDs are handed out from 0 in catalogue order, so every production starts a fresh table.
        ResetImageRegistry();
        picturesRegistered = true;
        if (setup.registerPictures) {
            setup.registerPictures();
        } else {
            LoadCatalogue();
        }
    }
    // The canvas is made after all the pictures. The scenes cover it themselves; until one draws, it shows
    // black.
    canvasOwner = std::make_unique<Bitmap>(kScreenWidth, kScreenHeight);
    std::fill(canvasOwner->pixels, canvasOwner->pixels + canvasOwner->size, 0u);
    canvas = canvasOwner.get();
    if (setup.pictures) {
        title = std::make_unique<Bitmap>(kScreenWidth, kScreenHeight);
        ComposeTitle(title.get());
    }
}

void Production::OpenAnalyser() {
    if (setup.analyser != nullptr) {
        activeAnalyser = setup.analyser;
    } else {
        SpectrumAnalyser::ResetBandIds();
        analyserOwner = std::make_unique<SpectrumAnalyser>(kSpectrumBins);
        activeAnalyser = analyserOwner.get();
        // Two start-up bands (ids 0 and 1); the scripts' bands follow from id 2.
        activeAnalyser->AddBand(0, 70, 0.2f, 40.0f, 0.0f);
        activeAnalyser->AddBand(0, 70, 0.2f, 180.0f, 0.0f);
    }
    analyser = activeAnalyser;
}

bool Production::OpenMusic() {
    music = std::move(setup.music);
    music->Open();
    player = music->Player();
    // Two lookups, the bytes and then their length, as the archive serves them. The bytes stay
    // alive for the whole run: the music plays straight from them.
    musicBytes = MemberBuffer(dataFile->FLoadFile(kMusicMember), MemberBufferDeleter{dataFile});
    const int32_t length = dataFile->FileLength(kMusicMember);
    musicLength = length;
    std::string why;
    if (music->Load(musicBytes.get(), length, &why)) {
        musicClock.emplace(music.get());
        return true;
    }
    ReleaseAudio();
    ShowError("BassPlayer Error", "Couldn't load mp3", true);
    failure = "Couldn't load mp3" + (why.empty() ? std::string() : ": " + why);
    return false;
}

void Production::CreateParts() {
    startupBands = activeAnalyser != nullptr ? activeAnalyser->Bands().size() : 0;
    startupNextBandId = SpectrumAnalyser::NextBandId();
    // The boxes go where they always go; the last one, or the reader's last line, is kept.
    MessageRecorder recorder(nullptr, true);
    platform::ScopedMessageSink sinkGuard(&recorder);
    ScopedLoadLogCapture logGuard(&recorder);
    for (const PartKind& kind : ProductionParts()) {
        partOwners.push_back(kind.create(title.get()));
        parts.push_back(partOwners.back().get());
        parts.back()->LoadXML(kind.script);
    }
    lastMessage = recorder.Last();
}

void Production::Start() {
    if (Ready() && music != nullptr) music->Play();
}

float Production::RenderFrame() {
    if (!Ready() || music == nullptr) return 0.0f;
    // The time is read after the analysis, as the live clock moves on in between.
    music->Update();
    Analyse(music->Spectrum());
    const float t = music->Time();
    Draw(t);
    return t;
}

void Production::Analyse(const float* spectrum) {
    if (activeAnalyser == nullptr) return;
    activeAnalyser->Feed(spectrum);
    activeAnalyser->UpdateBands();
}

void Production::Draw(float musicTime) {
    DrawInto(canvasOwner.get(), musicTime);
}

void Production::DrawInto(Bitmap* target, float musicTime) {
    for (DemoPart* part : parts) part->Render(target, musicTime);
}

void Production::ReleaseParts() {
    const std::span<const PartKind> kinds = ProductionParts();
    for (size_t i = 0; i < partOwners.size(); ++i) {
        partOwners[i].reset();
        if (kinds[i].forget != nullptr) kinds[i].forget();
    }
    partOwners.clear();
    parts.clear();
}

void Production::ReleaseAudio() {
    if (music != nullptr) music->Stop();
    musicClock.reset();
    music.reset();
    player = nullptr;
    analyserOwner.reset();
    activeAnalyser = nullptr;
    analyser = nullptr;
    musicBytes.reset();
}

void Production::ReleaseResources() {
    reloadedArchive.reset();
    archiveOwner.reset();
    dataFile = nullptr;
    if (picturesRegistered) {
        ReleaseImages();
        ResetImageRegistry();
    }
    title.reset();
    canvasOwner.reset();
    canvas = nullptr;
}
