// The progress line of long captures on stderr: frames done of total, percent, frames per second,
// elapsed and remaining time. On a terminal it is redrawn in place a few times a second; anywhere
// else (a CI log, a pipe) it is one plain line per 5%, so logs stay readable.
#pragma once

#include <cstdint>
#include <cstdio>

class Progress {
public:
    // `inPlace`: redraw one line with carriage returns (stderr is a terminal).
    Progress(int64_t total, bool inPlace, std::FILE* out = stderr);

    // Called after each frame with the frames done so far and the seconds since the start.
    void Update(int64_t done, double elapsedSeconds);
    // Ends the in-place line so later messages start on a line of their own.
    void Finish();

private:
    void Print(int64_t done, double elapsedSeconds);

    int64_t total;
    bool inPlace;
    std::FILE* out;
    double lastDrawn = -1.0;  // in-place: elapsed time of the last redraw
    int64_t lastStep = 0;     // plain lines: 5% steps already written
    bool open = false;        // an in-place line is on screen without its newline
};

// True when stderr is a terminal.
bool StderrIsTerminal();
