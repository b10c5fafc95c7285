// The three sync scripts, written from the tempo map's scene plans: each scene's beat bands and the
// timing keys that put its effect time on the bars of the music.
#pragma once

#include "AssetBuilder/Archive/Archive.h"
#include "AssetBuilder/Music/TempoMap.h"

#include <cstdint>
#include <string>
#include <vector>

class SpectrumAnalyser;

namespace assets {

// The XML text of one script: root `part`, the bands under `autosyncro`, the keys under `timing`.
std::string ScriptText(const ScenePlan& plan);

// The three scripts as archive members, intro first, then part one and part two.
std::vector<ArchiveMember> BuildScripts();

// A scene's script as the program reads it: its keys, the window the validation set, the ids of the
// bands it registered, and the message boxes the reading raised (none for a sound script).
struct LoadedScript {
    std::string member;
    std::vector<float> keyTimes;  // mp3time of each key, in order
    std::vector<float> keyFx;     // fxtime of each key
    float windowStart = 0.0f;
    float windowEnd = 0.0f;
    std::vector<int32_t> bandIds;
    std::vector<std::string> messages;
    // The scene's effect time at music time t, through the program's own mapping.
    float FxTime(float t) const;
};

// Reads each script through the program's own loader, with `members` standing in for the archive
// and `analyser` receiving the bands (null: an analyser of its own with the two start-up bands, so
// the scripts' bands take ids from 2 as at start-up).
std::vector<LoadedScript> LoadScripts(const std::vector<ArchiveMember>& members, SpectrumAnalyser* analyser);

}  // namespace assets
