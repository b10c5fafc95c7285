// PNG output of captured frames through the tools' shared encoder, with fixed settings so the bytes
// are reproducible.
#include "Capture/PngWriter.h"

#include "Common/PngEncoder.h"
#include "Utils/Files.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <vector>

namespace {
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
}  // namespace

bool WritePng(const std::string& path, const Bitmap& bitmap, std::string* error) {
    if (bitmap.Empty()) {
        *error = "nothing to write";
        return false;
    }
    std::vector<uint8_t> rgb(static_cast<size_t>(bitmap.size) * 3);
    for (int32_t i = 0; i < bitmap.size; ++i) {
        const uint32_t p = bitmap.pixels[i];
        rgb[3 * i] = static_cast<uint8_t>(p >> 16);
        rgb[3 * i + 1] = static_cast<uint8_t>(p >> 8);
        rgb[3 * i + 2] = static_cast<uint8_t>(p);
    }
    std::vector<uint8_t> png;
    try {
        png = EncodeRgbPng(rgb, bitmap.width, bitmap.height, PngCompression::kStandard);
    } catch (const std::exception&) {
        *error = "cannot encode " + path;
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> file(platform::OpenFile(platform::PathFromUtf8(path), "wb"));
    if (!file) {
        *error = "cannot write " + path;
        return false;
    }
    if (std::fwrite(png.data(), 1, png.size(), file.get()) != png.size() || std::fflush(file.get()) != 0) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}
