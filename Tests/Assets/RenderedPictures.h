// The manifest's pictures as the tests look at them: each drawn and encoded by the builder at most
// once per test process, only when a test asks for it, then decoded back to 0xRRGGBB words (key
// green reads as 0x00FF00, grey JPEGs come back with three equal channels).
#pragma once

#include "AssetBuilder/Pictures/Manifest.h"

#include <cairo.h>
#include <jpeglib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace rendered {

inline constexpr uint32_t kKey = 0x00FF00;

// A decoded picture: 0xRRGGBB per pixel, top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool Key(int x, int y) const { return At(x, y) == kKey; }
    bool Opaque(int x, int y) const { return !Key(x, y); }
};

// The channels of a 0xRRGGBB word.
inline int Red(uint32_t p) {
    return static_cast<int>((p >> 16) & 0xFF);
}
inline int Green(uint32_t p) {
    return static_cast<int>((p >> 8) & 0xFF);
}
inline int Blue(uint32_t p) {
    return static_cast<int>(p & 0xFF);
}

inline bool IsJpeg(const std::vector<uint8_t>& bytes) {
    return bytes.size() > 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

namespace detail {
struct PngReader {
    const std::vector<uint8_t>* bytes;
    size_t position;
};

inline cairo_status_t ReadPng(void* closure, unsigned char* data, unsigned int length) {
    auto* reader = static_cast<PngReader*>(closure);
    if (reader->position + length > reader->bytes->size()) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, reader->bytes->data() + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

inline Picture DecodeJpeg(const std::vector<uint8_t>& bytes) {
    Picture picture;
    jpeg_decompress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, bytes.data(), bytes.size());
    jpeg_read_header(&c, TRUE);
    c.out_color_space = JCS_RGB;
    jpeg_start_decompress(&c);
    picture.width = static_cast<int>(c.output_width);
    picture.height = static_cast<int>(c.output_height);
    std::vector<uint8_t> line(static_cast<size_t>(picture.width) * 3);
    while (c.output_scanline < c.output_height) {
        JSAMPROW row = line.data();
        jpeg_read_scanlines(&c, &row, 1);
        for (int x = 0; x < picture.width; ++x) {
            picture.pixels.push_back(uint32_t(line[x * 3]) << 16 | uint32_t(line[x * 3 + 1]) << 8 |
                                     line[x * 3 + 2]);
        }
    }
    jpeg_finish_decompress(&c);
    jpeg_destroy_decompress(&c);
    return picture;
}
}  // namespace detail

// PNG or JPEG bytes to a picture; a picture of no pixels when they are neither.
inline Picture Decode(const std::vector<uint8_t>& bytes) {
    if (IsJpeg(bytes)) return detail::DecodeJpeg(bytes);
    detail::PngReader reader{&bytes, 0};
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create_from_png_stream(detail::ReadPng, &reader), cairo_surface_destroy);
    Picture picture;
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return picture;
    picture.width = cairo_image_surface_get_width(surface.get());
    picture.height = cairo_image_surface_get_height(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    const uint8_t* data = cairo_image_surface_get_data(surface.get());
    for (int y = 0; y < picture.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < picture.width; ++x) picture.pixels.push_back(row[x] & 0xFFFFFF);
    }
    return picture;
}

// The builder's bytes for the picture with this GUID.
inline const std::vector<uint8_t>& Encoded(int guid) {
    static std::map<int, std::vector<uint8_t>> cache;
    auto it = cache.find(guid);
    if (it == cache.end()) it = cache.emplace(guid, assets::RenderPicture(assets::kManifest.at(guid))).first;
    return it->second;
}

// The picture with this GUID, decoded.
inline const Picture& Decoded(int guid) {
    static std::map<int, Picture> cache;
    auto it = cache.find(guid);
    if (it == cache.end()) it = cache.emplace(guid, Decode(Encoded(guid))).first;
    return it->second;
}

}  // namespace rendered
