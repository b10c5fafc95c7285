// How the scripts' beat bands follow the music, measured offline with the program's own parts: the
// player's mp3 decoder, its spectrum and the beat analyser, at 60 frames per second with the two
// band updates of every live frame (Feed, then UpdateBands) and the music clock at the frame's time.
#pragma once

#include "AssetBuilder/Archive/Archive.h"

#include <string>
#include <vector>

namespace assets {

inline constexpr int kReportFramesPerSecond = 60;
// The levels whose shares the report gives.
inline constexpr float kReportLevels[4] = {0.1f, 0.25f, 0.3f, 0.5f};
// A rise: the level goes above kRiseLevel after having been at or below kFallLevel since the last
// rise. The same two levels say whether a band caught a hit and let go between hits.
inline constexpr float kRiseLevel = 0.3f;
inline constexpr float kFallLevel = 0.25f;

struct BandTrace {
    std::string script;  // the script that declares the band
    size_t position;     // the scene reads it as beat value number `position`
    int startBin, endBin;
    float threshold, gravity;
    std::vector<float> levels;  // the level after each frame's two updates, frame f at f / 60 s
};

struct BandFigures {
    double shareAbove[4];     // share of frames above each of kReportLevels
    int rises;                // number of rises
    double medianRiseGap;     // median seconds between consecutive rises; 0 with fewer than two
    double longestAboveHalf;  // longest run of frames above 0.5, in seconds
};

// Decodes the mp3 and runs every band of the scripts from 0 to the end of the run (245 s).
// Throws std::runtime_error when the mp3 does not decode or a script is refused.
std::vector<BandTrace> TraceBands(const std::vector<uint8_t>& mp3, const std::vector<ArchiveMember>& scripts);

BandFigures Figures(const std::vector<float>& levels);

// One line per band: the script, its position, bins, threshold, gravity and its figures.
std::string FormatBandReport(const std::vector<BandTrace>& traces);

}  // namespace assets
