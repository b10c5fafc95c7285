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

namespace {
// The libpng part, kept free of C++ objects: libpng reports errors by longjmp.
bool EncodeRows(std::FILE* file, png_bytep* rows, png_uint_32 width, png_uint_32 height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, 6);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
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
    std::vector<png_byte> rgb(static_cast<size_t>(bitmap.size) * 3);
    for (int32_t i = 0; i < bitmap.size; ++i) {
        const uint32_t p = bitmap.pixels[i];
        rgb[3 * i] = static_cast<png_byte>(p >> 16);
        rgb[3 * i + 1] = static_cast<png_byte>(p >> 8);
        rgb[3 * i + 2] = static_cast<png_byte>(p);
    }
    std::vector<png_bytep> rows(static_cast<size_t>(bitmap.height));
    for (int32_t y = 0; y < bitmap.height; ++y) rows[y] = &rgb[static_cast<size_t>(y) * bitmap.width * 3];
    if (!EncodeRows(file.get(), rows.data(), static_cast<png_uint_32>(bitmap.width),
                    static_cast<png_uint_32>(bitmap.height)) ||
        std::fflush(file.get()) != 0) {
        *error = "cannot encode " + path;
        return false;
    }
    return true;
}
