// The production as one object: it owns the archive, the image registry, the canvas, the title
// composition, the analyser, the music and the parts (Production/PartTable.cpp), builds them in the
// production's start-up order, draws one frame at a time, and takes everything down in reverse order when it
// goes. The live program, the offline renderer, the asset builder's script check and the scene tests each
// make one, with their own seams in the ProductionSetup; none of them repeats the start-up sequence.
//
// The scene code finds the shared objects through the globals it has always named (`dataFile`,
// `canvas`, `analyser`, `player`, `partOne`, `partTwo`, `intro`): the production points them at
// what it owns while it lives and sets them back to null as it releases each one. One production
// exists at a time.
#pragma once

#include "Data/DataFile.h"
#include "Production/MusicSource.h"
#include "Production/ProductionReports.h"

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct Bitmap;
class DemoPart;
class SpectrumAnalyser;
class PartOne;
class PartTwo;
class IntroPart;

extern PartOne* partOne;
extern PartTwo* partTwo;
extern IntroPart* intro;

inline constexpr const char* kArchivePath = "tarnos.zip";
inline constexpr const char* kMusicMember = "rorozuzorozori.mp3";
// The music time at which the production is over.
inline constexpr float kEndTime = 245.0f;

// What a caller brings to the production. The defaults are the live program's, except the music.
struct ProductionSetup {
    // Everything is read from the zip archive at archivePath, or from `archive` when it is set
    // (not owned: it must outlive the production).
    std::string archivePath = kArchivePath;
    DataFile* archive = nullptr;

    // false: no pictures are registered (the script check needs none). The canvas is made anyway,
    // the title composition only with pictures.
    bool pictures = true;
    // When set, called in place of decoding the catalogue from the archive; the image library is
    // then not started. The scene tests register solid pictures of known sizes with it.
    std::function<void()> registerPictures;

    // The beat bands go to this analyser (not owned) instead of the production's own, which is
    // made with the two start-up bands.
    SpectrumAnalyser* analyser = nullptr;

    // The music: the live player, the decoded track, or none (nothing is read for it, the music
    // clock seam is left as it is and RenderFrame must not be called).
    std::unique_ptr<MusicSource> music;

    // false: no parts are made (the scene tests make the part they test; the script check reads
    // scripts into parts of its own).
    bool parts = true;
};

class Production {
public:
    // Start-up, in this order: the image library; the archive, every picture, the canvas and the
    // title composition; the analyser with its two start-up bands, the music output and the music
    // read from the archive; the parts in drawing order, each loading its sync script. The random sequence
    // starts afresh, before anything draws from it. A failure of the image library or the music shows its box
    // and stops start-up there (Ready() is false); a missing picture or a bad script only shows boxes and
    // disables what depends on it.
    explicit Production(ProductionSetup setup);
    // Shutdown: the music stops; the parts go, in drawing order; the music source, the analyser and
    // the music bytes; the archive, the pictures, the title and the canvas.
    ~Production();
    Production(const Production&) = delete;
    Production& operator=(const Production&) = delete;

    // False when start-up stopped; Failure() then says why ("Couldn't load mp3: ...").
    bool Ready() const { return failure.empty(); }
    const std::string& Failure() const { return failure; }

    // The last step of start-up: the music starts.
    void Start();

    // One frame at the music's current position: the music fetches its spectrum, the analyser
    // takes it and moves every beat band on, then the parts draw into the canvas, in drawing
    // order, at the music time read after the analysis. Returns that time. The
    // canvas is never cleared here: a frame in which no part draws keeps the previous picture.
    float RenderFrame();

    // The two halves of RenderFrame, for callers that bring their own spectrum and time.
    void Analyse(const float* spectrum);
    void Draw(float musicTime);
    // The parts draw at this music time into `target` instead of the canvas.
    void DrawInto(Bitmap* target, float musicTime);

    // The random generator's state right after start-up, before the first frame: where a state
    // pass takes the sequence up again.
    uint32_t StartRandState() const { return startRandState; }
    // The mp3 bytes the music was read from (empty before the music is read or without music).
    const char* MusicData() const { return musicBytes.get(); }
    int32_t MusicLength() const { return musicBytes != nullptr ? musicLength : 0; }

    // Reads the parts' sync scripts and every picture again, from a freshly opened zip archive or
    // from the folder (which reads files afresh); the music stays. The scripts are read into new
    // parts first and taken only when none raised a box; otherwise the scripts in use stay. A
    // picture that cannot be read or decoded keeps the one in use; a readable one of any size
    // replaces it, and the title is composed again. No box is shown:
    // they all come back in the report, and nothing here ends the program. The parts' moving
    // state is not touched: bring it to a moment with a StatePass afterwards.
    ReloadReport Reload();
    // What the overlay shows for this music time; allocates nothing.
    void FillStatus(float musicTime, ProductionStatus* status) const;

    MusicSource* Music() { return music.get(); }
    Bitmap& Canvas() { return *canvasOwner; }
    const Bitmap& Canvas() const { return *canvasOwner; }
    SpectrumAnalyser& Analyser() { return *activeAnalyser; }
    // The title composition the parts' magnifiers show (null without pictures).
    const Bitmap* Title() const { return title.get(); }
    // The parts in drawing order (none before they are made or when the setup asks for none).
    std::span<DemoPart* const> Parts() const { return parts; }

private:
    bool StartImageLibrary();
    void OpenResources();
    void OpenAnalyser();
    bool OpenMusic();
    void CreateParts();

    void ReloadScripts(ReloadReport& report);
    void ReloadPictures(ReloadReport& report);

    void ReleaseParts();
    void ReleaseAudio();
    void ReleaseResources();

    ProductionSetup setup;
    std::string failure;

    std::unique_ptr<DataFile> archiveOwner;
    std::unique_ptr<DataFile> reloadedArchive;  // the zip opened again by the last reload that took something
    bool picturesRegistered = false;
    std::unique_ptr<Bitmap> canvasOwner;
    std::unique_ptr<Bitmap> title;
    std::unique_ptr<SpectrumAnalyser> analyserOwner;
    SpectrumAnalyser* activeAnalyser = nullptr;
    std::unique_ptr<MusicSource> music;
    MemberBuffer musicBytes;  // played from memory: kept until the music source is gone
    int32_t musicLength = 0;
    size_t startupBands = 0;  // the analyser's bands before the scripts' (kept by a reload)
    int32_t startupNextBandId = 0;
    std::string lastMessage;  // the last box text or sync reader line at start-up or reload
    uint32_t startRandState = 1;
    std::optional<platform::ScopedMusicClock> musicClock;
    std::vector<std::unique_ptr<DemoPart>> partOwners;  // as ProductionParts() lists them
    std::vector<DemoPart*> parts;
};
