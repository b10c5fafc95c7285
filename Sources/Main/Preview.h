// The preview mode's frame loop: the keys of PreviewControls acted on, the music and the picture
// moved together (a seek, a loop's wrap and a reload bring the scenes to the music's time by the
// state pass, so the frame shown is the one zembravale-capture renders for that time), the folder
// watched for saved changes, and the overlay drawn over each presented frame.
#pragma once

#include "Main/Options.h"

class LiveMusic;
class Production;
class Screen;

// Runs until Escape, the window's close, or the music reaching the end. The production is ready
// and not yet started, on `music`: the first frame shown is that of `options.start`.
void RunPreview(Production& production, LiveMusic& music, Screen& screen, const ProgramOptions& options);
