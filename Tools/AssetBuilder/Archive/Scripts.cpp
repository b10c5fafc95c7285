// Writing the sync scripts. The keys are written with enough digits that the reader's atof lands on
// the same float for the end of one window and the start of the next, so the windows touch exactly.
#include "AssetBuilder/Archive/Scripts.h"

#include "Audio/SpectrumAnalyser.h"
#include "Data/MemoryDataFile.h"
#include "Production/Production.h"
#include "Sync/DemoPart.h"
#include "Utils/Platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace assets {

namespace {

// Shortest plain decimal for a value with at most four decimals ("15.36", "100", "0.3").
std::string Number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    std::string s = text;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

// A scene that only reads its script.
class ScriptOnlyPart final : public DemoPart {
public:
    void Render(Bitmap*, float) override {}
};

class CollectMessages final : public platform::MessageSink {
public:
    void Show(const std::string& caption, const std::string& text) override {
        lines.push_back(caption + ": " + text);
    }
    std::vector<std::string> lines;
};

}  // namespace

float LoadedScript::FxTime(float t) const {
    ScriptOnlyPart part;
    for (size_t i = 0; i < keyTimes.size(); ++i) part.timingKeys.push_back({keyTimes[i], keyFx[i]});
    return part.FxTime(t);
}

std::vector<LoadedScript> LoadScripts(const std::vector<ArchiveMember>& members, SpectrumAnalyser* beats) {
    MemoryDataFile archive;
    // A name given twice is read as its first member, as the zip reader does.
    for (const ArchiveMember& member : members) {
        archive.members.emplace(member.name, std::string(member.bytes.begin(), member.bytes.end()));
    }
    // A production with nothing but the archive and the analyser, which the scripts' bands go to.
    ProductionSetup setup;
    setup.archive = &archive;
    setup.pictures = false;
    setup.parts = false;
    setup.analyser = beats;
    Production production(std::move(setup));
    std::vector<LoadedScript> loaded;
    for (const ArchiveMember& member : members) {
        CollectMessages messages;
        platform::ScopedMessageSink sink(&messages);
        ScriptOnlyPart part;
        part.LoadXML(member.name);
        LoadedScript script;
        script.member = member.name;
        for (const TimingKey& key : part.timingKeys) {
            script.keyTimes.push_back(key.mp3time);
            script.keyFx.push_back(key.fxtime);
        }
        script.windowStart = part.windowStart;
        script.windowEnd = part.windowEnd;
        script.bandIds = part.bandIds;
        script.messages = std::move(messages.lines);
        loaded.push_back(std::move(script));
    }
    return loaded;
}

std::string ScriptText(const ScenePlan& plan) {
    std::string xml = "<?xml version=\"1.0\" ?>\n";
    xml +=
        "<!-- Written by zembravale-assets from the track's tempo map (125 bpm, a bar every 1.92 s). -->\n";
    xml += "<part>\n  <autosyncro>\n";
    for (const BandSetting& band : plan.bands) {
        // The band's role is a note for people reading the file; the reader ignores other attributes.
        xml += "    <band follows=\"" + std::string(band.role) + "\" startfreq=\"" +
               std::to_string(band.startBin) + "\" endfreq=\"" + std::to_string(band.endBin) +
               "\" thresold=\"" + Number(band.threshold) + "\" gravity=\"" + Number(band.gravity) + "\" />\n";
    }
    xml += "  </autosyncro>\n  <timing>\n";
    double lastSeconds = 0.0;
    float lastFx = 0.0f;
    for (const SyncAnchor& anchor : plan.anchors) {
        lastSeconds = BarSeconds(anchor.bar);
        lastFx = anchor.fx;
        xml += "    <key mp3time=\"" + Number(lastSeconds) + "\" fxtime=\"" + Number(anchor.fx) + "\" />\n";
    }
    // A scene that reaches its last effect time before its window ends holds it to the end.
    if (plan.endSeconds > lastSeconds) {
        xml += "    <key mp3time=\"" + Number(plan.endSeconds) + "\" fxtime=\"" + Number(lastFx) + "\" />\n";
    }
    xml += "  </timing>\n</part>\n";
    return xml;
}

std::vector<ArchiveMember> BuildScripts() {
    std::vector<ArchiveMember> members;
    for (const ScenePlan& plan : ScenePlans()) {
        const std::string text = ScriptText(plan);
        members.push_back({plan.member, std::vector<uint8_t>(text.begin(), text.end())});
    }
    return members;
}

}  // namespace assets
