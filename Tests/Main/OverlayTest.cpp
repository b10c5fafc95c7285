// The preview's overlay: its font, the lines it writes (read back off the surface glyph by glyph),
// the beat meters, and that nothing is ever written outside the surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "Main/Overlay.h"

namespace {

using namespace overlay;

constexpr uint32_t kGrey = 0x00808080;
constexpr uint32_t kDimmed = 0x00202020;  // grey under a panel
constexpr uint32_t kGuard = 0xDEADBEEF;

struct Picture {
    int width, height, pitch;
    std::vector<uint32_t> pixels;
    Picture(int w, int h) : width(w), height(h), pitch(w), pixels(static_cast<size_t>(w) * h, kGrey) {}
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * pitch + x]; }
    void Draw(const OverlayInfo& info) { DrawOverlay(info, pixels.data(), width, height, pitch); }
};

// The glyph drawn with its top-left corner at (x, y), matched against the whole font; '\1' when
// the cell holds anything but one glyph's ink on a panel.
char ReadCell(const Picture& p, int x, int y, int scale) {
    uint8_t rows[kGlyphHeight] = {};
    for (int row = 0; row < kGlyphHeight * scale; ++row) {
        for (int col = 0; col < kCellWidth * scale; ++col) {
            const uint32_t pixel = p.At(x + col, y + row);
            if (pixel == kInk && col < kGlyphWidth * scale) {
                rows[row / scale] |= 0x10 >> (col / scale);
            } else if (pixel != kDimmed) {
                return '\1';
            }
        }
    }
    for (int c = 32; c <= 126; ++c) {
        const uint8_t* glyph = Glyph(static_cast<char>(c));
        if (std::equal(rows, rows + kGlyphHeight, glyph)) return static_cast<char>(c);
    }
    return '\1';
}

// The text of the line whose panel has its top-left corner at (x, y), read cell by cell to the
// panel's end.
std::string ReadLine(const Picture& p, int x, int y) {
    const int scale = Scale(p.width), cell = kCellWidth * scale;
    std::string text;
    for (int left = x + scale; left + cell <= p.width && p.At(left + cell - 1, y) == kDimmed; left += cell) {
        text.push_back(ReadCell(p, left, y + scale, scale));
    }
    return text;
}

int LineTop(int line, int scale) {
    return kMargin + line * kLineHeight * scale;
}

}  // namespace

TEST(Overlay, FontHasOneDistinctGlyphPerPrintableCharacter) {
    std::set<std::vector<uint8_t>> seen;
    for (int c = 32; c <= 126; ++c) {
        SCOPED_TRACE(static_cast<char>(c));
        const uint8_t* glyph = Glyph(static_cast<char>(c));
        ASSERT_NE(glyph, nullptr);
        const std::vector<uint8_t> rows(glyph, glyph + kGlyphHeight);
        int ink = 0;
        for (uint8_t row : rows) {
            EXPECT_EQ(row & ~0x1F, 0) << "ink past the fifth column";
            ink += std::popcount(row);
        }
        EXPECT_EQ(ink == 0, c == ' ');
        EXPECT_TRUE(seen.insert(rows).second) << "looks like another glyph";
    }
    for (char c : {'\0', '\n', '\x1f', '\x7f', '\x80', '\xff'}) EXPECT_EQ(Glyph(c), nullptr);
}

TEST(Overlay, WritesEachLineInTheFontOnAPanelAtBothScales) {
    OverlayInfo info;
    info.showMusic = true;
    info.musicTime = 87.25f;
    info.paused = true;
    info.loopSet = true;
    info.loopOn = true;
    info.loopStart = 12.0f;
    info.loopEnd = NAN;
    info.showFrame = true;
    info.frameSeconds = 0.02f;
    info.partCount = 3;
    info.parts[0] = {"part one", "playing", 123.456f};
    info.parts[1] = {"", "before", 0.0f};  // no name: no line
    info.parts[2] = {"intro", "", -2.5f};
    info.message = "line 3:\tbad key \xe9~";
    const char* expected[] = {
        "87.25 s  paused  loop on 12.00 - -- s",
        "frame 20.0 ms  50.0 fps",
        "part one: playing  fx 123.46",
        "intro:   fx -2.50",
    };
    for (const int width : {640, 1280}) {
        SCOPED_TRACE(width);
        const int scale = width / 640;
        Picture p(width, 480 * scale);
        p.Draw(info);
        for (int line = 0; line < 4; ++line)
            EXPECT_EQ(ReadLine(p, kMargin, LineTop(line, scale)), expected[line]);
        // Nothing below the last line but the message at the foot.
        EXPECT_EQ(p.At(kMargin, LineTop(4, scale)), kGrey);
        const int foot = p.height - kMargin - kLineHeight * scale;
        EXPECT_EQ(ReadLine(p, kMargin, foot), "line 3: bad key ?~");
        // The panel's edges: the last cell's spacing column is its last, the picture untouched past it.
        const int right = kMargin + scale + 18 * kCellWidth * scale;
        EXPECT_EQ(p.At(right - 1, foot), kDimmed);
        EXPECT_EQ(p.At(right, foot), kGrey);
        EXPECT_EQ(p.At(kMargin - 1, foot), kGrey);
        EXPECT_EQ(p.At(kMargin, foot - 1), kGrey);
        EXPECT_EQ(p.At(kMargin, foot + kLineHeight * scale), kGrey);
    }
}

TEST(Overlay, MessageIsCutToWholeCharactersThatFit) {
    const std::string message(300, 'x');
    OverlayInfo info;
    info.message = message;
    for (const int width : {640, 1280, 1920}) {
        SCOPED_TRACE(width);
        const int scale = Scale(width);
        Picture p(width, 200);
        p.Draw(info);
        const std::string shown = ReadLine(p, kMargin, p.height - kMargin - kLineHeight * scale);
        EXPECT_EQ(shown, std::string((width - 2 * kMargin - scale) / (kCellWidth * scale), 'x'));
        EXPECT_LE(kMargin + scale + static_cast<int>(shown.size()) * kCellWidth * scale, width - kMargin);
    }
}

TEST(Overlay, MeterFillsToItsLevelAndMarksItsThreshold) {
    const struct {
        float level, threshold;
        int filled, mark;  // columns of the 100-column bar
    } cases[] = {
        {0.0f, 0.5f, 0, 50},   {0.25f, 0.25f, 25, 25}, {0.999f, 0.0f, 99, 0},
        {1.0f, 1.0f, 100, 99}, {0.0149f, 0.7f, 1, 69}, {2.0f, 9.0f, 100, 99},
        {-1.0f, -1.0f, 0, 0},  {NAN, NAN, 0, 0},       {INFINITY, 0.33f, 100, 33},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << " threshold " << c.threshold);
        for (const int width : {640, 1280}) {
            const int scale = Scale(width);
            OverlayInfo info;
            info.bandCount = 1;
            info.bands[0] = {"kick", c.level, c.threshold};
            Picture p(width, 100);
            p.Draw(info);
            const int top = LineTop(0, scale);
            EXPECT_EQ(ReadLine(p, kMargin, top).substr(0, kMeterNameChars), "kick      ");
            const int barLeft = kMargin + scale + kMeterNameChars * kCellWidth * scale;
            for (int row = top + scale; row < top + (kGlyphHeight + 1) * scale; ++row) {
                for (int col = 0; col < kMeterWidth * scale; ++col) {
                    const bool marked = col / scale == c.mark;
                    const uint32_t want = marked ? kMeterMark : col < c.filled * scale ? kMeterFill : kDimmed;
                    ASSERT_EQ(p.At(barLeft + col, row), want) << "column " << col << " row " << row;
                }
            }
            EXPECT_EQ(p.At(barLeft + kMeterWidth * scale, top), kDimmed);  // the panel's last column
            EXPECT_EQ(p.At(barLeft + (kMeterWidth + 1) * scale, top), kGrey);
        }
    }
}

TEST(Overlay, EmptyInformationDrawsNothing) {
    OverlayInfo info;
    info.partCount = OverlayInfo::kMaxParts;  // parts without names
    info.parts[1].state = "playing";
    info.bands[0] = {"kick", 0.5f, 0.5f};  // bandCount 0: not shown
    info.bandCount = -3;
    info.frameSeconds = 0.016f;  // showFrame off
    info.musicTime = 5.0f;       // showMusic off
    info.loopSet = true;
    Picture p(640, 480);
    p.Draw(info);
    EXPECT_EQ(p.pixels, Picture(640, 480).pixels);
}

TEST(Overlay, NeverWritesOutsideTheSurface) {
    const std::string message(400, '#');
    OverlayInfo full;
    full.showMusic = full.paused = full.loopSet = full.loopOn = full.showFrame = true;
    full.musicTime = -1e30f;
    full.loopEnd = INFINITY;
    full.frameSeconds = 1e-30f;
    full.partCount = 99;  // more than there are: the first three
    for (OverlayPart& part : full.parts) part = {message, message, 1e30f};
    full.bandCount = 99;
    for (OverlayBand& band : full.bands) band = {message, INFINITY, 1.0f};
    full.message = message;
    const struct {
        int width, height, padding;  // padding: unused words at each row's end
    } sizes[] = {{0, 0, 0},     {0, 5, 3},     {5, 0, 3},     {1, 1, 0},     {1, 1, 2},
                 {3, 200, 1},   {200, 3, 1},   {7, 9, 0},     {66, 30, 5},   {639, 17, 0},
                 {640, 480, 4}, {1279, 40, 1}, {1280, 25, 3}, {1290, 961, 2}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(testing::Message() << size.width << "x" << size.height << " + " << size.padding);
        const int pitch = size.width + size.padding;
        const size_t words = static_cast<size_t>(pitch) * size.height;
        // Guards a few dozen rows deep on both sides, so a row or a line off the surface lands in them.
        const size_t kGuardWords = 64 + 40 * static_cast<size_t>(pitch);
        std::vector<uint32_t> memory(words + 2 * kGuardWords, kGuard);
        uint32_t* pixels = memory.data() + kGuardWords;
        for (int y = 0; y < size.height; ++y) std::fill_n(pixels + y * pitch, size.width, kGrey);
        DrawOverlay(full, pixels, size.width, size.height, pitch);
        size_t changed = 0;
        for (size_t i = 0; i < memory.size(); ++i) {
            const bool inside = i >= kGuardWords && i < kGuardWords + words &&
                                static_cast<int>((i - kGuardWords) % pitch) < size.width;
            if (!inside) {
                ASSERT_EQ(memory[i], kGuard) << "word " << static_cast<long>(i - kGuardWords);
            } else {
                changed += memory[i] != kGrey;
            }
        }
        // Drawing did happen where there was room for it.
        if (size.width >= 66 && size.height >= 30) {
            EXPECT_GT(changed, 0u);
        }
    }
    // A pitch narrower than the width describes no surface: left alone.
    std::vector<uint32_t> narrow(64, kGuard);
    DrawOverlay(full, narrow.data(), 8, 8, 7);
    EXPECT_EQ(narrow, std::vector<uint32_t>(64, kGuard));
}
