// PNG output of captured frames through libpng, with fixed settings so the bytes are reproducible.
#include "Capture/PngWriter.h"

#include <png.h>

#include <cstdio>
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
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        *error = "cannot write " + path;
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        *error = "out of memory";
        return false;
    }
    // Rows are converted before libpng takes over, so its longjmp never skips a destructor.
    std::vector<png_byte> rgb(static_cast<size_t>(bitmap.size) * 3);
    for (int32_t i = 0; i < bitmap.size; ++i) {
        const uint32_t p = bitmap.pixels[i];
        rgb[3 * i] = static_cast<png_byte>(p >> 16);
        rgb[3 * i + 1] = static_cast<png_byte>(p >> 8);
        rgb[3 * i + 2] = static_cast<png_byte>(p);
    }
    std::vector<png_bytep> rows(static_cast<size_t>(bitmap.height));
    for (int32_t y = 0; y < bitmap.height; ++y) rows[y] = &rgb[static_cast<size_t>(y) * bitmap.width * 3];

    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        *error = "cannot encode " + path;
        return false;
    }
    png_init_io(png, file.get());
    png_set_compression_level(png, 6);
    png_set_IHDR(png, info, static_cast<png_uint_32>(bitmap.width), static_cast<png_uint_32>(bitmap.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
