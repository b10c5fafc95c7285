// The preview's overlay: the music clock, the parts' windows, the frame time, a meter per beat band
// and the last script message, drawn in white on darkened panels onto the picture being presented
// (the window surface, after the canvas has been scaled onto it), never into the canvas the scenes
// read. Text uses a 5x7 font of our own; on surfaces 1280 pixels wide or more everything is drawn
// twice as large. Drawing allocates nothing and writes only inside the surface, whatever its size.
#pragma once

#include <cstdint>
#include <string_view>

// One part's line: "part one: playing  fx 123.45". A part with an empty name is not drawn.
struct OverlayPart {
    std::string_view name;   // "part one", "part two", "intro"
    std::string_view state;  // "before", "playing", "after", "disabled"
    float effectTime = 0.0f;
};

// One beat band's meter: its name, then a bar filled to its level with a mark at its threshold.
// Level and threshold are shown over 0..1; values outside are drawn at the nearer end.
struct OverlayBand {
    std::string_view name;
    float level = 0.0f;
    float threshold = 0.0f;
};

// What the overlay shows, filled by the frame loop each frame. A default-constructed value shows
// nothing; each line appears only when its part is set. The texts are views: whatever they point at
// must outlive the DrawOverlay call. Numbers that are not finite are shown as "--".
struct OverlayInfo {
    static constexpr int kMaxParts = 8;
    static constexpr int kMaxBands = 8;

    bool showMusic = false;  // the music line: time, "paused", the loop
    float musicTime = 0.0f;  // seconds
    bool paused = false;
    bool loopSet = false;  // a loop has been marked: its state and both ends are shown
    bool loopOn = false;
    float loopStart = 0.0f;
    float loopEnd = 0.0f;

    bool showFrame = false;     // the frame line
    float frameSeconds = 0.0f;  // the last frame's duration; shown in ms and as frames per second

    int partCount = 0;  // parts[0 .. partCount) are drawn, at most kMaxParts
    OverlayPart parts[kMaxParts];

    int bandCount = 0;  // bands[0 .. bandCount) are drawn, at most kMaxBands
    OverlayBand bands[kMaxBands];

    // The last script message, one line at the foot of the surface: control characters show as
    // spaces, bytes outside printable ASCII as '?', and what does not fit the width is cut off.
    std::string_view message;
};

// Sizes of the drawing at scale 1 (doubled on surfaces 1280 or more wide), for the frame loop's
// layout and for tests.
namespace overlay {
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kCellWidth = 6;                // a glyph and one column of space
constexpr int kLineHeight = 9;               // a glyph and a row of panel above and below
constexpr int kMargin = 4;                   // from the surface's top-left corner to the first panel
constexpr int kMeterNameChars = 10;          // a band's name is cut to this many characters before its bar
constexpr int kMeterWidth = 100;             // the bar's length for levels 0..1
constexpr uint32_t kInk = 0x00FFFFFF;        // text
constexpr uint32_t kMeterFill = 0x0060E060;  // the level's part of a bar
constexpr uint32_t kMeterMark = 0x00FF4040;  // the threshold's column
// The font's rows for printable ASCII 32..126, bit 4 the leftmost column; nullptr for anything else.
const uint8_t* Glyph(char c);
// 2 on surfaces 1280 pixels wide or more, else 1.
int Scale(int width);
}  // namespace overlay

// Draws `info` onto a 32-bit XRGB surface of width x height pixels whose rows start `pitch` pixels
// apart. Call once per presented frame, after the scenes have been scaled onto the surface and
// before it is flipped. Panels darken the picture under them to a quarter; text and meters are
// written with the top byte 0. Nothing is written outside pixels[0 .. height * pitch) nor past
// `width` in a row; a surface with no pixels, or a pitch narrower than its width, is left alone.
void DrawOverlay(const OverlayInfo& info, uint32_t* pixels, int width, int height, int pitch);
