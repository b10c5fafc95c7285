// The preview's overlay (see Overlay.h): a 5x7 font, darkened panels, text lines and beat meters,
// each clipped once to the surface and then drawn without further checks.
#include "Main/Overlay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Printable ASCII 32..126, seven rows each, bit 4 the leftmost of five columns.
constexpr uint8_t kFont[95][overlay::kGlyphHeight] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // space
    {0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04},  // !
    {0x0A, 0x0A, 0x0A, 0x00, 0x00, 0x00, 0x00},  // "
    {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A},  // #
    {0x04, 0x0F, 0x14, 0x0E, 0x05, 0x1E, 0x04},  // $
    {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03},  // %
    {0x0C, 0x12, 0x14, 0x08, 0x15, 0x12, 0x0D},  // &
    {0x04, 0x04, 0x04, 0x00, 0x00, 0x00, 0x00},  // '
    {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02},  // (
    {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08},  // )
    {0x00, 0x04, 0x15, 0x0E, 0x15, 0x04, 0x00},  // *
    {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00},  // +
    {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08},  // ,
    {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00},  // -
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C},  // .
    {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00},  // /
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
    {0x1E, 0x01, 0x01, 0x0E, 0x01, 0x01, 0x1E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 9
    {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00},  // :
    {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x04, 0x08},  // ;
    {0x02, 0x04, 0x08, 0x10, 0x08, 0x04, 0x02},  // <
    {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00},  // =
    {0x08, 0x04, 0x02, 0x01, 0x02, 0x04, 0x08},  // >
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04},  // ?
    {0x0E, 0x11, 0x17, 0x15, 0x17, 0x10, 0x0F},  // @
    {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},  // A
    {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E},  // B
    {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E},  // C
    {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C},  // D
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F},  // E
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10},  // F
    {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F},  // G
    {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},  // H
    {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E},  // I
    {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C},  // J
    {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11},  // K
    {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F},  // L
    {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11},  // M
    {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11},  // N
    {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},  // O
    {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10},  // P
    {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D},  // Q
    {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11},  // R
    {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E},  // S
    {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04},  // T
    {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E},  // U
    {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04},  // V
    {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A},  // W
    {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11},  // X
    {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04},  // Y
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F},  // Z
    {0x0E, 0x08, 0x08, 0x08, 0x08, 0x08, 0x0E},  // [
    {0x00, 0x10, 0x08, 0x04, 0x02, 0x01, 0x00},  // backslash
    {0x0E, 0x02, 0x02, 0x02, 0x02, 0x02, 0x0E},  // ]
    {0x04, 0x0A, 0x11, 0x00, 0x00, 0x00, 0x00},  // ^
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F},  // _
    {0x08, 0x04, 0x02, 0x00, 0x00, 0x00, 0x00},  // `
    {0x00, 0x00, 0x0E, 0x01, 0x0F, 0x11, 0x0F},  // a
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x1E},  // b
    {0x00, 0x00, 0x0E, 0x10, 0x10, 0x11, 0x0E},  // c
    {0x01, 0x01, 0x0D, 0x13, 0x11, 0x11, 0x0F},  // d
    {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E},  // e
    {0x06, 0x09, 0x08, 0x1C, 0x08, 0x08, 0x08},  // f
    {0x00, 0x0F, 0x11, 0x11, 0x0F, 0x01, 0x0E},  // g
    {0x10, 0x10, 0x16, 0x19, 0x11, 0x11, 0x11},  // h
    {0x04, 0x00, 0x0C, 0x04, 0x04, 0x04, 0x0E},  // i
    {0x02, 0x00, 0x06, 0x02, 0x02, 0x12, 0x0C},  // j
    {0x10, 0x10, 0x12, 0x14, 0x18, 0x14, 0x12},  // k
    {0x0C, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E},  // l
    {0x00, 0x00, 0x1A, 0x15, 0x15, 0x11, 0x11},  // m
    {0x00, 0x00, 0x16, 0x19, 0x11, 0x11, 0x11},  // n
    {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E},  // o
    {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10},  // p
    {0x00, 0x00, 0x0D, 0x13, 0x0F, 0x01, 0x01},  // q
    {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10},  // r
    {0x00, 0x00, 0x0E, 0x10, 0x0E, 0x01, 0x1E},  // s
    {0x08, 0x08, 0x1C, 0x08, 0x08, 0x09, 0x06},  // t
    {0x00, 0x00, 0x11, 0x11, 0x11, 0x13, 0x0D},  // u
    {0x00, 0x00, 0x11, 0x11, 0x11, 0x0A, 0x04},  // v
    {0x00, 0x00, 0x11, 0x11, 0x15, 0x15, 0x0A},  // w
    {0x00, 0x00, 0x11, 0x0A, 0x04, 0x0A, 0x11},  // x
    {0x00, 0x00, 0x11, 0x11, 0x0F, 0x01, 0x0E},  // y
    {0x00, 0x00, 0x1F, 0x02, 0x04, 0x08, 0x1F},  // z
    {0x03, 0x04, 0x04, 0x08, 0x04, 0x04, 0x03},  // {
    {0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04},  // |
    {0x18, 0x04, 0x04, 0x02, 0x04, 0x04, 0x18},  // }
    {0x00, 0x00, 0x08, 0x15, 0x02, 0x00, 0x00},  // ~
};

struct Surface {
    uint32_t* pixels;
    int width;
    int height;
    int pitch;
    int scale;
};

// Clips the rectangle [x, x + w) x [y, y + h) to the surface; false when nothing is left. Works in
// 64 bits so far-off rectangles cannot wrap around into range.
bool Clip(const Surface& s, int64_t x, int64_t y, int64_t w, int64_t h, int& x0, int& y0, int& x1, int& y1) {
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(x + w, s.width), bottom = std::min<int64_t>(y + h, s.height);
    if (left >= right || top >= bottom) return false;
    x0 = static_cast<int>(left);
    y0 = static_cast<int>(top);
    x1 = static_cast<int>(right);
    y1 = static_cast<int>(bottom);
    return true;
}

uint32_t* Row(const Surface& s, int y) {
    return s.pixels + static_cast<int64_t>(y) * s.pitch;
}

// d = (d >> 2) per colour channel, top byte 0: a quarter of the picture shows through.
void DimRect(const Surface& s, int64_t x, int64_t y, int64_t w, int64_t h) {
    int x0, y0, x1, y1;
    if (!Clip(s, x, y, w, h, x0, y0, x1, y1)) return;
    for (int row = y0; row < y1; ++row) {
        uint32_t* d = Row(s, row);
        for (int col = x0; col < x1; ++col) d[col] = (d[col] >> 2) & 0x003F3F3F;
    }
}

// d = color
void FillRect(const Surface& s, int64_t x, int64_t y, int64_t w, int64_t h, uint32_t color) {
    int x0, y0, x1, y1;
    if (!Clip(s, x, y, w, h, x0, y0, x1, y1)) return;
    for (int row = y0; row < y1; ++row) std::fill(Row(s, row) + x0, Row(s, row) + x1, color);
}

// The glyph drawn for a byte of text: control characters as a space, anything past '~' as '?'.
const uint8_t* Shown(char c) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 32 || code == 127) return kFont[0];
    if (code > 127) return kFont['?' - 32];
    return kFont[code - 32];
}

// d = kInk where the glyph has ink, each font pixel a scale x scale block; other pixels untouched.
void DrawGlyph(const Surface& s, int64_t x, int64_t y, const uint8_t* rows) {
    int x0, y0, x1, y1;
    const int64_t scale = s.scale;
    if (!Clip(s, x, y, overlay::kGlyphWidth * scale, overlay::kGlyphHeight * scale, x0, y0, x1, y1)) return;
    for (int row = y0; row < y1; ++row) {
        const uint8_t bits = rows[(row - y) / scale];
        if (bits == 0) continue;
        uint32_t* d = Row(s, row);
        for (int col = x0; col < x1; ++col) {
            if (bits & (0x10 >> ((col - x) / scale))) d[col] = overlay::kInk;
        }
    }
}

// One line of text on its panel, the panel's top-left corner at (x, y).
void DrawText(const Surface& s, int64_t x, int64_t y, std::string_view text) {
    if (text.empty()) return;
    const int64_t scale = s.scale, cell = overlay::kCellWidth * scale;
    DimRect(s, x, y, scale + static_cast<int64_t>(text.size()) * cell, overlay::kLineHeight * scale);
    for (size_t i = 0; i < text.size(); ++i) {
        const int64_t left = x + scale + static_cast<int64_t>(i) * cell;
        if (left >= s.width) break;
        DrawGlyph(s, left, y + scale, Shown(text[i]));
    }
}

// A level or threshold over 0..1 in hundredths, truncated toward zero; NaN counts as 0.
int Hundredths(float value) {
    if (!(value > 0.0f)) return 0;
    if (value >= 1.0f) return overlay::kMeterWidth;
    return static_cast<int>(static_cast<double>(value) * overlay::kMeterWidth);
}

// A band's line: its name cut or padded to kMeterNameChars, then its bar. The bar is filled over
// the first trunc(level * 100) of its 100 columns; the threshold's column is trunc(threshold * 100),
// held at the last column for a threshold of 1 or more, and drawn over the fill.
void DrawMeter(const Surface& s, int64_t x, int64_t y, const OverlayBand& band) {
    const int64_t scale = s.scale, cell = overlay::kCellWidth * scale;
    const int64_t barLeft = x + scale + overlay::kMeterNameChars * cell;
    const int64_t barTop = y + scale, barHeight = overlay::kGlyphHeight * scale;
    DimRect(s, x, y, barLeft - x + (overlay::kMeterWidth + 1) * scale, overlay::kLineHeight * scale);
    const std::string_view name = band.name.substr(0, overlay::kMeterNameChars);
    for (size_t i = 0; i < name.size(); ++i) {
        DrawGlyph(s, x + scale + static_cast<int64_t>(i) * cell, barTop, Shown(name[i]));
    }
    FillRect(s, barLeft, barTop, Hundredths(band.level) * scale, barHeight, overlay::kMeterFill);
    const int mark = std::min(Hundredths(band.threshold), overlay::kMeterWidth - 1);
    FillRect(s, barLeft + mark * scale, barTop, scale, barHeight, overlay::kMeterMark);
}

// A number for the overlay, or "--" when it is not finite.
struct Number {
    char text[32];
    Number(double value, const char* format) {
        if (std::isfinite(value)) {
            std::snprintf(text, sizeof text, format, value);
        } else {
            std::snprintf(text, sizeof text, "--");
        }
    }
};

// The text snprintf wrote into `buffer`, cut where the buffer ended.
std::string_view Written(const char* buffer, size_t size, int length) {
    if (length < 0) return {};
    return std::string_view(buffer, std::min(static_cast<size_t>(length), size - 1));
}

}  // namespace

namespace overlay {

const uint8_t* Glyph(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 32 && code <= 126 ? kFont[code - 32] : nullptr;
}

int Scale(int width) {
    return width >= 1280 ? 2 : 1;
}

}  // namespace overlay

void DrawOverlay(const OverlayInfo& info, uint32_t* pixels, int width, int height, int pitch) {
    if (pixels == nullptr || width <= 0 || height <= 0 || pitch < width) return;
    const Surface s{pixels, width, height, pitch, overlay::Scale(width)};
    const int64_t lineHeight = overlay::kLineHeight * s.scale;
    const int64_t x = overlay::kMargin;
    int64_t y = overlay::kMargin;
    char line[256];

    if (info.showMusic) {
        const Number time(info.musicTime, "%.2f");
        int length;
        if (info.loopSet) {
            const Number start(info.loopStart, "%.2f"), end(info.loopEnd, "%.2f");
            length = std::snprintf(line, sizeof line, "%s s%s  loop %s %s - %s s", time.text,
                                   info.paused ? "  paused" : "", info.loopOn ? "on" : "off", start.text,
                                   end.text);
        } else {
            length = std::snprintf(line, sizeof line, "%s s%s", time.text, info.paused ? "  paused" : "");
        }
        DrawText(s, x, y, Written(line, sizeof line, length));
        y += lineHeight;
    }

    if (info.showFrame) {
        const double seconds = info.frameSeconds;
        const Number ms(seconds * 1000.0, "%.1f"), fps(seconds > 0.0 ? 1.0 / seconds : NAN, "%.1f");
        const int length = std::snprintf(line, sizeof line, "frame %s ms  %s fps", ms.text, fps.text);
        DrawText(s, x, y, Written(line, sizeof line, length));
        y += lineHeight;
    }

    for (int i = 0; i < std::clamp(info.partCount, 0, OverlayInfo::kMaxParts); ++i) {
        const OverlayPart& part = info.parts[i];
        if (part.name.empty()) continue;
        const Number fx(part.effectTime, "%.2f");
        const int length = std::snprintf(
            line, sizeof line, "%.*s: %.*s  fx %s", static_cast<int>(std::min<size_t>(part.name.size(), 64)),
            part.name.data(), static_cast<int>(std::min<size_t>(part.state.size(), 64)),
            part.state.empty() ? "" : part.state.data(), fx.text);
        DrawText(s, x, y, Written(line, sizeof line, length));
        y += lineHeight;
    }

    for (int i = 0; i < std::clamp(info.bandCount, 0, OverlayInfo::kMaxBands); ++i) {
        DrawMeter(s, x, y, info.bands[i]);
        y += lineHeight;
    }

    if (!info.message.empty()) {
        // Whole characters only, as many as fit between the margins.
        const int64_t room =
            (static_cast<int64_t>(width) - 2 * overlay::kMargin - s.scale) / (overlay::kCellWidth * s.scale);
        if (room > 0) {
            const std::string_view shown = info.message.substr(0, static_cast<size_t>(room));
            DrawText(s, x, static_cast<int64_t>(height) - overlay::kMargin - lineHeight, shown);
        }
    }
}
