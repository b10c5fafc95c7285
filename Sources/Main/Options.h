// The program's command line. With no options it plays tarnos.zip from the working directory,
// full-screen, from the start to the end.
#pragma once

#include <optional>
#include <string>

struct ProgramOptions {
    bool window = false;   // a window instead of full-screen
    int scale = 1;         // the window's first size: 640 x 480 times this
    std::string archive;   // the zip archive
    std::string data;      // when set, a folder of the archive's members as plain files instead
    double start = 0.0;    // the music time the run begins at, in seconds
    bool preview = false;  // the preview keys and the overlay
};

// Reads the options into `options`. Returns nothing when the program should run; otherwise the
// exit status to stop with: 0 after --help (printed on stdout), 2 after a message on stderr for an
// option that is unknown, lacks its value, or has a value out of range.
std::optional<int> ParseProgramOptions(int argc, char** argv, ProgramOptions& options);
