// Reading the scripts and pictures again while the production runs, and the status the preview's
// overlay shows.
#include "Audio/SpectrumAnalyser.h"
#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Parts/TitlePicture.h"
#include "Production/MessageRecorder.h"
#include "Production/PartTable.h"
#include "Production/Production.h"

#include <algorithm>

namespace {

// A script read on its own: the windows, keys and bands a part would take from it.
class Script final : public DemoPart {
public:
    void Render(Bitmap*, float) override {}
};

void Adopt(DemoPart& part, Script& script) {
    part.bandIds = std::move(script.bandIds);
    part.timingKeys = std::move(script.timingKeys);
    part.windowStart = script.windowStart;
    part.windowEnd = script.windowEnd;
}

}  // namespace

ReloadReport Production::Reload() {
    ReloadReport report;
    if (!Ready()) {
        report.messages.push_back({"Reload", "The production did not start: " + failure});
        return report;
    }
    // Every box is held back for the report; none is shown and none ends the program.
    MessageRecorder recorder(&report.messages, false);
    platform::ScopedMessageSink sinkGuard(&recorder);
    ScopedLoadLogCapture logGuard(&recorder);

    // A zip archive is opened again to see what changed in it; a folder reads its files afresh.
    std::unique_ptr<DataFile> reopened;
    if (setup.archive == nullptr) reopened = std::make_unique<ZipDataFile>(setup.archivePath);
    DataFile* const previous = dataFile;
    dataFile = reopened != nullptr ? reopened.get() : setup.archive;

    if (setup.parts) ReloadScripts(report);
    if (picturesRegistered && !setup.registerPictures) ReloadPictures(report);

    if (reopened != nullptr && (report.scriptsReplaced || report.picturesReplaced > 0)) {
        // No buffer of the archive replaced is still out: the music's bytes came from the first.
        reloadedArchive = std::move(reopened);
    } else if (reopened != nullptr) {
        dataFile = previous;
    }
    if (!recorder.Last().empty()) lastMessage = recorder.Last();
    return report;
}

// The scripts in start-up order, so their bands take the ids they would take at start-up.
void Production::ReloadScripts(ReloadReport& report) {
    if (activeAnalyser == nullptr || parts.empty()) return;
    const size_t boxesBefore = report.messages.size();
    std::vector<BeatBand> bandsInUse = activeAnalyser->Bands();
    const int32_t nextIdInUse = SpectrumAnalyser::NextBandId();
    const size_t kept = std::min(startupBands, bandsInUse.size());
    activeAnalyser->ReplaceBands(std::vector<BeatBand>(bandsInUse.begin(), bandsInUse.begin() + kept));
    SpectrumAnalyser::ResetBandIds(startupNextBandId);

    const std::span<const PartKind> kinds = ProductionParts();
    std::vector<Script> scripts(parts.size());
    for (size_t i = 0; i < parts.size(); ++i) scripts[i].LoadXML(kinds[i].script);
    if (report.messages.size() != boxesBefore) {
        activeAnalyser->ReplaceBands(std::move(bandsInUse));
        SpectrumAnalyser::ResetBandIds(nextIdInUse);
        return;
    }
    for (size_t i = 0; i < parts.size(); ++i) Adopt(*parts[i], scripts[i]);
    report.scriptsReplaced = true;
}

void Production::ReloadPictures(ReloadReport& report) {
    for (const CatalogueEntry& entry : catalogue) {
        const size_t boxesBefore = report.messages.size();
        Bitmap fresh = DecodePicture(entry.member, entry.kind);
        if (fresh.Empty() || report.messages.size() != boxesBefore) {
            report.picturesKept += 1;
            report.messages.push_back(
                {"Picture not reloaded",
                 std::string(entry.member) + " could not be read or decoded: the picture in use stays"});
            continue;
        }
        if (ReplaceBitmap(*entry.guid, std::move(fresh))) report.picturesReplaced += 1;
    }
    RecountPictureBudget();
    if (report.picturesReplaced == 0) return;
    if (title != nullptr) ComposeTitle(title.get());
}

void Production::FillStatus(float musicTime, ProductionStatus* status) const {
    const std::span<const PartKind> kinds = ProductionParts();
    status->partCount = static_cast<int>(parts.size());
    status->visiblePart = -1;
    float latestEnd = 0.0f;
    for (int i = 0; i < status->partCount; ++i) {
        PartStatus& out = status->parts[i];
        out.name = kinds[i].name;
        const DemoPart* part = parts[i];
        if (!(part->windowStart < part->windowEnd)) {
            out.state = WindowState::kDisabled;
            out.effectTime = 0.0f;
            continue;
        }
        out.effectTime = part->FxTime(musicTime);
        if (part->InWindow(musicTime)) {
            out.state = WindowState::kInside;
        } else {
            out.state = musicTime < part->windowStart ? WindowState::kBefore : WindowState::kAfter;
        }
    }
    // The picture shown is the last part in drawing order inside its window, or else the part
    // whose window ended last (its last picture stays).
    for (int i = 0; i < status->partCount; ++i) {
        if (status->parts[i].state == WindowState::kInside) status->visiblePart = i;
    }
    if (status->visiblePart < 0) {
        for (int i = 0; i < status->partCount; ++i) {
            if (status->parts[i].state == WindowState::kAfter && parts[i]->windowEnd >= latestEnd) {
                latestEnd = parts[i]->windowEnd;
                status->visiblePart = i;
            }
        }
    }
    status->bandCount = 0;
    if (status->visiblePart >= 0 && activeAnalyser != nullptr) {
        const DemoPart& part = *parts[status->visiblePart];
        const std::vector<BeatBand>& bands = activeAnalyser->Bands();
        for (const int32_t id : part.bandIds) {
            if (status->bandCount == kStatusBands) break;
            static constexpr const char* kBandNames[kStatusBands] = {"b0", "b1", "b2", "b3",
                                                                     "b4", "b5", "b6", "b7"};
            BandStatus& out = status->bands[status->bandCount];
            out = BandStatus{};
            out.name = kBandNames[status->bandCount++];
            for (const BeatBand& band : bands) {
                if (band.id != id) continue;
                out.level = band.level;
                out.threshold = band.threshold;
            }
        }
    }
    status->lastMessage = lastMessage.c_str();
}
