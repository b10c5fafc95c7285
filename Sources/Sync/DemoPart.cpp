// The scene base: reading a sync script into beat bands and timing keys, the effect-time map, the
// window check and the debug time line.
#include "Sync/DemoPart.h"

#include <tinyxml.h>

#include <cmath>
#include <cstdio>

#include "Audio/SpectrumAnalyser.h"
#include "Data/DataFile.h"
#include "Sync/ScriptLimits.h"
#include "Utils/Platform.h"
#include "Utils/Utils.h"
#include "Utils/XmlReader.h"

namespace {

constexpr const char* kBandPrefix = "Reading AutoSync - ";
constexpr const char* kKeyPrefix = "Reading Timing Keys - ";

}  // namespace

void DemoPart::LoadXML(std::string path) {
    // Two separate archive calls, as each may raise its own boxes for a missing member.
    DataFile* archive = dataFile;
    MemberBuffer bytes(archive != nullptr ? archive->FLoadFile(path) : nullptr, MemberBufferDeleter{archive});
    const int32_t length = archive != nullptr ? archive->FileLength(path) : -1;

    // The parse result is not examined: whatever tree the parser built is searched. A script that is
    // too big or too deeply nested for the parser reads as an empty one.
    TiXmlDocument document;
    const TiXmlNode* root = nullptr;
    if (bytes != nullptr && length > 0 && ScriptWithinLimits(bytes.get(), static_cast<size_t>(length))) {
        document.Parse(bytes.get());
        root = document.FirstChild("part");
    }

    // Bands are registered as soon as they are read, even when the timing is rejected later.
    std::vector<int32_t> ids;
    if (const TiXmlElement* bands = FindChildElement(root, "autosyncro", kBandPrefix)) {
        for (const TiXmlNode* node = bands->FirstChild(); node != nullptr; node = node->NextSibling()) {
            // Comments and text between the band entries carry no attributes.
            const TiXmlElement* band = node->ToElement();
            if (band == nullptr) continue;
            const int32_t start = ReadIntAttribute(band, "startfreq", 0, kBandPrefix);
            const int32_t end = ReadIntAttribute(band, "endfreq", 60, kBandPrefix);
            const float threshold = ReadFloatAttribute(band, "thresold", 0.5f, kBandPrefix);
            const float gravity = ReadFloatAttribute(band, "gravity", 98.1f, kBandPrefix);
            // Without an analyser the position is kept with an id no band has, so it reads as 0.
            ids.push_back(analyser != nullptr ? analyser->AddBand(start, end, threshold, gravity, 0.0f) : -1);
        }
    }
    bandIds = std::move(ids);

    std::vector<TimingKey> keys;
    if (const TiXmlElement* timing = FindChildElement(root, "timing", kKeyPrefix)) {
        for (const TiXmlNode* node = timing->FirstChild(); node != nullptr; node = node->NextSibling()) {
            const TiXmlElement* key = node->ToElement();
            if (key == nullptr) continue;
            TimingKey entry;
            entry.mp3time = ReadFloatAttribute(key, "mp3time", 0.0f, kKeyPrefix);
            entry.fxtime = ReadFloatAttribute(key, "fxtime", 0.0f, kKeyPrefix);
            keys.push_back(entry);
        }
    }
    timingKeys = std::move(keys);

    ValidateKeys(path);
}

float DemoPart::FxTime(float t) const {
    const std::vector<TimingKey>& k = timingKeys;
    if (k.empty()) return 0.0f;
    for (size_t i = 0; i + 1 < k.size(); ++i) {
        // Half-open segments: a pair with equal music times holds no t and is passed over, so at a
        // key's own time the segment starting there answers with exactly that key's effect time.
        if (k[i].mp3time <= t && t < k[i + 1].mp3time) {
            const float d = k[i + 1].mp3time - k[i].mp3time;
            return k[i].fxtime + (t - k[i].mp3time) / d * (k[i + 1].fxtime - k[i].fxtime);
        }
    }
    return k.back().fxtime;
}

bool DemoPart::ValidateKeys(const std::string& path) {
    const std::string caption = "Timing error in XML : " + path;
    if (timingKeys.size() < 2) {
        ShowError(caption, "At least 2 timing keys must be defined", false);
        return false;
    }
    for (size_t i = 0; i + 1 < timingKeys.size(); ++i) {
        const TimingKey& a = timingKeys[i];
        const TimingKey& b = timingKeys[i + 1];
        // Equal neighbours pass; either time falling is a rejection. A time that is not a finite
        // number passes every comparison (NaN) or cannot be interpolated (infinity), so it counts
        // as out of order too.
        if (a.fxtime > b.fxtime || a.mp3time > b.mp3time || !std::isfinite(a.mp3time) ||
            !std::isfinite(a.fxtime) || !std::isfinite(b.mp3time) || !std::isfinite(b.fxtime)) {
            ShowError(caption, "Keys are not correctly sorted by time", false);
            return false;
        }
    }
    windowStart = timingKeys.front().mp3time;
    windowEnd = timingKeys.back().mp3time;
    return true;
}

float DemoPart::BandValue(size_t n) const {
    if (n >= bandIds.size() || analyser == nullptr) return 0.0f;
    return analyser->BandLevel(bandIds[n]);
}

void DemoPart::DebugTimeLine(float fx) const {
    if (!platform::SpaceKeyHeld()) return;
    // The music time is read afresh here, not the frame's t.
    char line[256];
    std::snprintf(line, sizeof line, "Mp3 Time : %f, FxTime : %f\n",
                  static_cast<double>(platform::MusicTime()), static_cast<double>(fx));
    platform::DebugOutput(line);
}

float Lerp(float ta, float tb, float ya, float yb, float t) {
    const double span = static_cast<double>(tb) - ta;
    if (span == 0.0) return ya;
    return static_cast<float>(ya + (static_cast<double>(yb) - ya) / span * (static_cast<double>(t) - ta));
}
