// Entry point of the scene pictures and the encoders shared by their groups.
#include "AssetBuilder/Pictures.h"
#include "AssetBuilder/SceneGroups.h"

#include <png.h>

#include <csetjmp>
#include <stdexcept>

namespace assets {

namespace scene {

namespace {
void AppendPngBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void FlushNothing(png_structp) {}

// An 8-bit RGB PNG of the first three bytes of each RGBA pixel. Written with zlib level 2 and the
// "sub" row filter: the grainy photographs code about eight times faster than with the library's
// default (level 6, every filter tried per row) and come out no bigger.
std::vector<uint8_t> RgbPng(const std::vector<uint8_t>& rgba, int w, int h) {
    std::vector<uint8_t> out;
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) throw std::runtime_error("libpng: out of memory");
    // libpng reports failures by longjmp to here; nothing with a destructor is made past this point
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng: cannot encode picture");
    }
    png_set_write_fn(png, &out, AppendPngBytes, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 2);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) {
        const uint8_t* p = rgba.data() + static_cast<size_t>(y) * w * 4;
        for (int x = 0; x < w; ++x) {
            row[x * 3] = p[x * 4];
            row[x * 3 + 1] = p[x * 4 + 1];
            row[x * 3 + 2] = p[x * 4 + 2];
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}
}  // namespace

// The keying of the kit's EncodeKeyedPng: pure green where less than half opaque, the straight
// colour elsewhere, an opaque pure green nudged to 0x00FE00 so it never reads as the key.
void PutKeyedPng(PictureMap& out, int guid, const Canvas& canvas) {
    std::vector<uint8_t> rgba = StraightRgba(canvas);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        uint8_t* p = &rgba[i];
        if (p[3] < 128) {
            p[0] = 0, p[1] = 255, p[2] = 0;
        } else if (p[0] == 0 && p[1] == 255 && p[2] == 0) {
            p[1] = 254;
        }
    }
    out[guid] = RgbPng(rgba, canvas.width(), canvas.height());
}

// As the kit's EncodePlainPng: composited over black.
void PutPlainPng(PictureMap& out, int guid, const Canvas& canvas) {
    std::vector<uint8_t> rgba = StraightRgba(canvas);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        const unsigned a = rgba[i + 3];
        for (int c = 0; c < 3; ++c) rgba[i + c] = static_cast<uint8_t>((rgba[i + c] * a + 127) / 255);
    }
    out[guid] = RgbPng(rgba, canvas.width(), canvas.height());
}
// 92 keeps full chroma resolution (the kit switches to it from 90): neon edges stay crisp.
void PutJpeg(PictureMap& out, int guid, const Canvas& canvas) { out[guid] = EncodeJpeg(canvas, 92); }
void PutGreyJpeg(PictureMap& out, int guid, const Canvas& canvas) { out[guid] = EncodeJpeg(canvas, 95, true); }
void PutKeyedJpeg(PictureMap& out, int guid, const Canvas& canvas) { out[guid] = EncodeKeyedJpeg(canvas, 95); }

}  // namespace scene

void BuildScenePictures(PictureMap& out) {
    scene::BuildMountainScenes(out);
    scene::BuildCasinoScenes(out);
    scene::BuildStills(out);
}

}  // namespace assets
