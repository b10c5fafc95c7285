// The capture tool's command line: parsed and checked without printing anything or ending the
// process, so that the tool decides what to show and the parser can be driven from anywhere.
#pragma once

#include "Production/OfflineRenderer.h"
#include "Production/Production.h"

#include <optional>
#include <string>
#include <vector>

struct CaptureOptions {
    std::string archive = kArchivePath;
    std::string out;
    std::string video;
    std::string fps = "60";
    FrameRate rate;
    std::vector<std::string> atText;
    std::vector<double> at;
    std::string fromText, toText;
    double from = -1, to = -1;
    int scale = 0;  // 0: the container's default
    int quality = 18;
    std::string preset = "veryfast";
    bool lossless = false;
};

// Exactly one of: options complete and consistent; the help text (--help was given); an error
// saying what is wrong with the command line.
struct ParsedCaptureOptions {
    std::optional<CaptureOptions> options;
    std::string help;
    std::string error;
};

ParsedCaptureOptions ParseCaptureOptions(int argc, const char* const* argv);
