// The production's start-up steps, one frame's work and the shutdown steps. Both the live program
// and the offline renderer run these; each brings its own clock and spectrum behind the seams.
#pragma once

#include "Render/Bitmap.h"

class DataFile;
class MusicPlayer;
class SpectrumAnalyser;
class PartOne;
class PartTwo;
class IntroPart;

extern PartOne* partOne;
extern PartTwo* partTwo;
extern IntroPart* intro;

inline constexpr const char* kArchivePath = "tarnos.zip";
inline constexpr const char* kMusicMember = "rorozuzorozori.mp3";
inline constexpr float kEndTime = 245.0f;

// Opens the archive at `archivePath`, registers every picture, then makes the canvas.
void InitResources(const char* archivePath = kArchivePath);
// Creates the analyser with its 1024 bins and the two start-up beat bands.
void InitAnalyser();
// InitAnalyser, then the player with the music from the archive. False (after its box, with
// player and analyser released) when the music cannot be played.
bool InitAudio();
// Creates part one, part two and the intro, each loading its sync script.
void InitParts();

// One frame's analysis: feed the 1024-value spectrum, then one more band update.
void AnalyseFrame(const float* spectrum);
// One frame's drawing: part one, part two and the intro in that order, all at music time t.
void RenderParts(float t);

void ReleaseParts();
void ReleaseAudio();
void ReleaseResources();
