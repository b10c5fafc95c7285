// What the preview mode asks of the production besides its frames: the report of a reload and
// the status its overlay draws.
#pragma once

#include <string>
#include <vector>

// One message box, as it would have been shown.
struct ProductionMessage {
    std::string caption;
    std::string text;
};

// What a reload did. The parts' scripts are taken together or not at all; each picture on its own.
struct ReloadReport {
    // All read without a message: the new windows, keys and bands are in use.
    bool scriptsReplaced = false;
    int picturesReplaced = 0;
    int picturesKept = 0;  // pictures that could not be read or decoded: the one in use stays
    // Every box the reload raised, in order, and a line for each picture kept; none were shown.
    std::vector<ProductionMessage> messages;
};

enum class WindowState {
    kBefore,    // the music has not reached the part's window
    kInside,    // windowStart <= t < windowEnd
    kAfter,     // the window is over
    kDisabled,  // the script was refused: the part never draws
};

// "before", "playing", "after" or "disabled", as the overlay words it.
inline const char* WindowStateName(WindowState state) {
    switch (state) {
        case WindowState::kBefore:
            return "before";
        case WindowState::kInside:
            return "playing";
        case WindowState::kAfter:
            return "after";
        case WindowState::kDisabled:
            break;
    }
    return "disabled";
}

inline constexpr int kStatusParts = 8;  // room for more parts than the production has
inline constexpr int kStatusBands = 8;

struct PartStatus {
    const char* name = "";  // "intro", "part one", "part two"
    WindowState state = WindowState::kDisabled;
    float effectTime = 0.0f;  // the part's effect time at the music time asked about
};

struct BandStatus {
    const char* name = "";  // "b0", "b1", ...: the name the scenes give the part's n-th band
    float level = 0.0f;
    float threshold = 0.0f;  // the band's own threshold from its script (the level an attack must pass)
};

// Filled by Production::FillStatus without allocating: fixed arrays and a pointer into text the
// production keeps until its next reload.
struct ProductionStatus {
    int partCount = 0;  // parts[0 .. partCount) are the production's, in drawing order
    PartStatus parts[kStatusParts];
    int visiblePart = -1;  // index into parts of the part whose picture shows, -1 for none
    int bandCount = 0;     // the visible part's beat bands, at most kStatusBands
    BandStatus bands[kStatusBands];
    const char* lastMessage = "";  // the last box text, or the sync reader's last line, at load or reload
};
