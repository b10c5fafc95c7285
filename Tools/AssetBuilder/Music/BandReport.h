// How the scripts' beat bands follow the music, measured offline with the program's own parts: the
// player's mp3 decoder, its spectrum and the beat analyser, at 60 frames per second with the two
// band updates of every live frame (Feed, then UpdateBands) and the music clock at the frame's time.
// The score says when each drum was struck, so the report can hold every band against the hits of
// the instrument it follows, and the scripts' timing says which stretch of a scene each frame shows.
#pragma once

#include "AssetBuilder/Archive/Archive.h"

#include <string>
#include <vector>

namespace assets {

inline constexpr int kReportFramesPerSecond = 60;
// The levels whose shares the report gives: the ones the scenes test, at a glance.
inline constexpr int kReportLevelCount = 5;
inline constexpr float kReportLevels[kReportLevelCount] = {0.1f, 0.25f, 0.3f, 0.5f, 0.8f};
// A rise: the level goes above kRiseLevel after having been at or below kFallLevel since the last
// rise. The same two levels say whether a band caught a hit and let go between hits.
inline constexpr float kRiseLevel = 0.3f;
inline constexpr float kFallLevel = 0.25f;
// A hit is a stroke the score plays at kHitVelocity or louder; the strokes of a roll closer than
// kRollGapSeconds count as one hit. A band catches a hit when its level goes above a level within
// kHitWindowSeconds of the stroke (the spectrum's window needs a few frames to fill).
inline constexpr float kHitVelocity = 0.6f;
inline constexpr double kRollGapSeconds = 0.2;
inline constexpr double kHitWindowSeconds = 0.12;
// The scenes' effect time is reported in stretches this long.
inline constexpr float kStretchFx = 10.0f;

struct BandTrace {
    std::string script;  // the script that declares the band
    size_t position;     // the scene reads it as beat value number `position`
    int startBin, endBin;
    float threshold, gravity;
    std::string role;           // what the band follows ("kick", "snare", "beeps"), or empty
    std::vector<double> hits;   // seconds of the hits of the band's instrument in the run
    std::vector<float> levels;  // the level after each frame's two updates, frame f at f / 60 s
    std::vector<float> fx;      // the scene's effect time at each frame; negative outside its window
};

struct BandFigures {
    double shareAbove[kReportLevelCount];  // share of frames above each of kReportLevels
    int rises;                             // number of rises
    double medianRiseGap;                  // median seconds between consecutive rises; 0 with fewer than two
    double longestAboveHalf;               // longest run of frames above 0.5, in seconds
};

struct HitFigures {
    int hits;                       // hits in the run
    int caught[kReportLevelCount];  // hits after which the level went above each of kReportLevels
    int released;                   // gaps between two hits in which the level fell to kFallLevel
    int risesOnHits;                // rises within kHitWindowSeconds of a hit
    int straying;                   // all other rises
};

// Decodes the mp3 and runs every band of the scripts from 0 to the end of the run (245 s).
// Throws std::runtime_error when the mp3 does not decode or a script is refused.
std::vector<BandTrace> TraceBands(const std::vector<uint8_t>& mp3, const std::vector<ArchiveMember>& scripts);

BandFigures Figures(const std::vector<float>& levels);
// The levels of a band held against hits at the given seconds (in increasing order).
HitFigures HitsAgainstLevels(const std::vector<float>& levels, const std::vector<double>& hits);
// For each stretch of kStretchFx effect units from 0 up to the band's last effect time, the highest
// level the scene sees in it; -1 for a stretch the scene never shows.
std::vector<float> HighestPerStretch(const BandTrace& trace);

// One line per band (the script, its position, bins, threshold, gravity and its figures), one line
// per band that follows an instrument (hits caught at each level, rises on hits and elsewhere),
// then per script a table of the highest level of each band in every stretch of effect time.
std::string FormatBandReport(const std::vector<BandTrace>& traces);

}  // namespace assets
