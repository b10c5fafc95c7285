// Encodes test pictures in memory: PNG through libpng (any colour type and depth, palettes), JPEG
// through libjpeg, and rewrites the size a PNG or JPEG header declares without touching its data.
#pragma once

#include "Support/Crc32.h"

#include <array>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace encode {

using Bytes = std::vector<uint8_t>;
using PaletteEntry = std::array<uint8_t, 3>;

namespace detail {

inline void AppendPng(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
inline void FlushPng(png_structp) {}

// Everything with a destructor lives in the caller: libpng leaves through longjmp on errors.
inline bool WritePng(Bytes* out, int w, int h, int colourType, int bitDepth, png_bytep* rows,
                     const std::vector<PaletteEntry>* palette) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendPng, FlushPng);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), bitDepth, colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        std::vector<png_color> entries;
        for (const PaletteEntry& e : *palette) entries.push_back({e[0], e[1], e[2]});
        png_set_PLTE(png, info, entries.data(), static_cast<int>(entries.size()));
    }
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

struct JpegErrorExit {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};
inline void LeaveJpeg(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrorExit*>(cinfo->err)->jump, 1);
}

inline bool WriteJpeg(unsigned char** data, unsigned long* size, int w, int h, int components, int quality,
                      const uint8_t* samples) {
    jpeg_compress_struct cinfo{};
    JpegErrorExit error{};
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = LeaveJpeg;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, data, size);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto row = const_cast<JSAMPROW>(samples + static_cast<size_t>(cinfo.next_scanline) * w * components);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

inline void PutBigEndian(uint8_t* p, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i, value >>= 8) p[i] = static_cast<uint8_t>(value);
}

}  // namespace detail

// Channels per pixel of a libpng colour type.
inline int PngChannels(int colourType) {
    switch (colourType) {
        case PNG_COLOR_TYPE_GRAY:
            return 1;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        case PNG_COLOR_TYPE_RGB:
            return 3;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return 4;
        default:
            return 1;  // palette indices
    }
}

// A PNG of w x h from samples in PNG's own layout: rows top first, channels in colour-type order,
// 16-bit samples big-endian, bit depths below 8 packed. `palette` is used for palette pictures.
inline Bytes Png(int w, int h, int colourType, int bitDepth, const Bytes& samples,
                 const std::vector<PaletteEntry>& palette = {}) {
    const size_t rowBytes = (static_cast<size_t>(w) * PngChannels(colourType) * bitDepth + 7) / 8;
    if (samples.size() < rowBytes * h) throw std::invalid_argument("too few samples for the PNG");
    std::vector<png_bytep> rows(h);
    for (int y = 0; y < h; ++y) rows[y] = const_cast<png_bytep>(samples.data() + y * rowBytes);
    Bytes out;
    if (!detail::WritePng(&out, w, h, colourType, bitDepth, rows.data(), &palette)) {
        throw std::runtime_error("PNG encoding failed");
    }
    return out;
}

// 8-bit RGB, RGBA or grey pixels (by `channels`) as a PNG.
inline Bytes Png8(int w, int h, int channels, const Bytes& samples) {
    static constexpr int kTypes[] = {0, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                     PNG_COLOR_TYPE_RGB_ALPHA};
    return Png(w, h, kTypes[channels], 8, samples);
}

// A baseline JPEG from 8-bit grey (1 component) or RGB (3) samples, rows top first.
inline Bytes Jpeg(int w, int h, int components, const Bytes& samples, int quality = 95) {
    if (samples.size() < static_cast<size_t>(w) * h * components)
        throw std::invalid_argument("too few samples");
    unsigned char* data = nullptr;
    unsigned long size = 0;
    const bool ok = detail::WriteJpeg(&data, &size, w, h, components, quality, samples.data());
    Bytes out(data, data + (ok ? size : 0));
    std::free(data);
    if (!ok) throw std::runtime_error("JPEG encoding failed");
    return out;
}

// Rewrites the width and height in a PNG's header chunk and fixes the chunk's checksum.
inline void DeclarePngSize(Bytes& png, uint32_t w, uint32_t h) {
    if (png.size() < 33) throw std::invalid_argument("not a PNG");
    detail::PutBigEndian(&png[16], w, 4);
    detail::PutBigEndian(&png[20], h, 4);
    detail::PutBigEndian(&png[29], Crc32(&png[12], 17), 4);
}

// Rewrites the width and height in a JPEG's first frame header.
inline void DeclareJpegSize(Bytes& jpeg, uint16_t w, uint16_t h) {
    size_t pos = 2;
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF) {
        const uint8_t marker = jpeg[pos + 1];
        const size_t length = (size_t{jpeg[pos + 2]} << 8) | jpeg[pos + 3];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            detail::PutBigEndian(&jpeg[pos + 5], h, 2);
            detail::PutBigEndian(&jpeg[pos + 7], w, 2);
            return;
        }
        pos += 2 + length;
    }
    throw std::invalid_argument("no frame header");
}

}  // namespace encode
