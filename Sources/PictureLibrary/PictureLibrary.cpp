// Images by handle, and DevIL's PNG and JPEG loaders re-made over libpng and libjpeg: the same
// transforms asked of each library in the same order, so every picture decodes to the same bytes.
#include "PictureLibrary.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace picturelib {
namespace {

struct Image {
    bool exists = false;
    uint32_t width = 0;
    uint32_t height = 0;
    unsigned format = kRgba;
    unsigned bytesPerChannel = 1;  // 1 or 2 (16-bit samples, in this machine's byte order)
    unsigned channels = 4;
    unsigned origin = kOriginUpperLeft;
    std::vector<uint8_t> data;
    // A palette picture's colours (3 or 4 bytes each) until it is turned into its base type.
    std::vector<uint8_t> palette;
    unsigned paletteChannels = 0;
    std::vector<uint8_t> indices;
};

// Handle 0 is the default image, always there.
std::vector<Image> images(1);
unsigned bound = 0;
unsigned lastError = kNoError;
bool convertPalette = false;

Image& Current() {
    return images[bound];
}

void Fail(unsigned error) {
    lastError = error;
}

size_t RowBytes(const Image& image) {
    return size_t{image.width} * image.channels * image.bytesPerChannel;
}

// A palette picture becomes RGB, or RGBA when it had transparency, when palettes are converted
// as they load; an index past the palette reads black (and opaque).
void ApplyPalette(Image& image) {
    const unsigned channels = image.paletteChannels;
    const size_t colours = image.palette.size() / channels;
    image.format = channels == 4 ? kRgba : kRgb;
    image.channels = channels;
    image.data.assign(image.indices.size() * channels, 0);
    for (size_t i = 0; i < image.indices.size(); ++i) {
        const size_t index = image.indices[i];
        if (index < colours) {
            std::memcpy(&image.data[i * channels], &image.palette[index * channels], channels);
        } else if (channels == 4) {
            image.data[i * channels + 3] = 255;
        }
    }
    image.indices.clear();
    image.palette.clear();
}

// --- PNG -----------------------------------------------------------------------------------------

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t position;
};

void PngRead(png_structp png, png_bytep out, png_size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    // Past the end the library reads zeros, whose checksums then fail: an error, never a wild read.
    const size_t have = source->position < source->size ? source->size - source->position : 0;
    const size_t count = length < have ? length : have;
    std::memcpy(out, source->data + source->position, count);
    std::memset(out + count, 0, length - count);
    source->position += length;
}

[[noreturn]] void PngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// What a load keeps outside the frame that may be jumped out of: the frame itself holds only
// plain values, so the jump skips no destructor.
struct PngJob {
    PngSource source;
    Image image;
    std::vector<png_bytep> rows;
};

bool ReadPng(PngJob* job) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &job->source, PngRead);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    // Grey below 8 bits widened; transparency of grey and RGB pictures made an alpha channel (a
    // palette keeps it in the palette); palette and RGB below 8 bits unpacked. No gamma.
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS) && !png_get_valid(png, info, PNG_INFO_PLTE))
        png_set_tRNS_to_alpha(png);
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    if (bitDepth < 8) {
        bitDepth = 8;
        png_set_packing(png);
    }
    // 16-bit samples in this machine's byte order.
    if (bitDepth == 16 && std::endian::native == std::endian::little) png_set_swap(png);
    png_read_update_info(png, info);
    colourType = png_get_color_type(png, info);

    Image& loaded = job->image;
    switch (colourType) {
        case PNG_COLOR_TYPE_PALETTE:
            loaded.format = kRgb;  // until the palette is applied
            break;
        case PNG_COLOR_TYPE_GRAY:
            loaded.format = kLuminance;
            break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            loaded.format = kLuminanceAlpha;
            break;
        case PNG_COLOR_TYPE_RGB:
            loaded.format = kRgb;
            break;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            loaded.format = kRgba;
            break;
        default:
            png_destroy_read_struct(&png, &info, nullptr);
            return false;
    }
    loaded.exists = true;
    loaded.width = width;
    loaded.height = height;
    loaded.channels = png_get_channels(png, info);
    loaded.bytesPerChannel = static_cast<unsigned>(bitDepth / 8);
    loaded.origin = kOriginUpperLeft;
    const bool indexed = colourType == PNG_COLOR_TYPE_PALETTE;
    if (indexed) {
        png_colorp palette = nullptr;
        int count = 0;
        if (!png_get_PLTE(png, info, &palette, &count)) {
            png_destroy_read_struct(&png, &info, nullptr);
            return false;
        }
        png_bytep transparency = nullptr;
        int transparent = -1;
        loaded.paletteChannels = 3;
        if (png_get_valid(png, info, PNG_INFO_tRNS)) {
            png_get_tRNS(png, info, &transparency, &transparent, nullptr);
            loaded.paletteChannels = 4;
        }
        for (int i = 0; i < count; ++i) {
            loaded.palette.push_back(palette[i].red);
            loaded.palette.push_back(palette[i].green);
            loaded.palette.push_back(palette[i].blue);
            if (loaded.paletteChannels == 4)
                loaded.palette.push_back(transparency != nullptr && i < transparent ? transparency[i] : 255);
        }
        loaded.channels = 1;
    }
    std::vector<uint8_t>& target = indexed ? loaded.indices : loaded.data;
    target.assign(RowBytes(loaded) * height, 0);
    job->rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) job->rows[y] = target.data() + y * RowBytes(loaded);
    png_read_image(png, job->rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool LoadPng(Image& image, const uint8_t* data, size_t size) {
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        Fail(kInvalidValue);
        return false;
    }
    PngJob job{{data, size, 0}, {}, {}};
    if (!ReadPng(&job)) {
        Fail(kLibraryPngError);
        return false;
    }
    if (!job.image.indices.empty() || job.image.paletteChannels != 0) {
        if (convertPalette) {
            ApplyPalette(job.image);
        } else {
            // Without the conversion the library keeps indices; nothing here reads them that way.
            job.image.data = std::move(job.image.indices);
            job.image.format = kLuminance;
        }
    }
    image = std::move(job.image);
    return true;
}

// --- JPEG ----------------------------------------------------------------------------------------

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void JpegExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

void JpegMessage(j_common_ptr) {}

struct JpegJob {
    const uint8_t* data;
    size_t size;
    Image image;
};

bool ReadJpeg(JpegJob* job) {
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JpegExit;
    errors.manager.output_message = JpegMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    info.do_block_smoothing = TRUE;
    info.do_fancy_upsampling = TRUE;
    // Data that ends early reads as the end of the picture, as from a file.
    jpeg_mem_src(&info, job->data, static_cast<unsigned long>(job->size));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    Image& loaded = job->image;
    loaded.exists = true;
    loaded.width = info.output_width;
    loaded.height = info.output_height;
    loaded.channels = static_cast<unsigned>(info.output_components);
    loaded.bytesPerChannel = 1;
    loaded.origin = kOriginUpperLeft;
    loaded.format = loaded.channels == 1 ? kLuminance : loaded.channels == 3 ? kRgb : kRgba;
    loaded.data.assign(RowBytes(loaded) * loaded.height, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = loaded.data.data() + size_t{info.output_scanline} * RowBytes(loaded);
        if (jpeg_read_scanlines(&info, &row, 1) == 0) break;
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return loaded.channels == 1 || loaded.channels == 3 || loaded.channels == 4;
}

bool LoadJpeg(Image& image, const uint8_t* data, size_t size) {
    if (size < 2 || data[0] != 0xFF || data[1] != 0xD8) {
        Fail(kInvalidValue);
        return false;
    }
    JpegJob job{data, size, {}};
    if (!ReadJpeg(&job)) {
        Fail(kLibraryJpegError);
        return false;
    }
    image = std::move(job.image);
    return true;
}

// One sample of the image as 8 bits: the high byte of a 16-bit one.
uint8_t Sample(const Image& image, size_t index) {
    if (image.bytesPerChannel == 1) return image.data[index];
    uint16_t value = 0;
    std::memcpy(&value, &image.data[index * 2], 2);
    return static_cast<uint8_t>(value >> 8);
}

}  // namespace

void ilInit() {
    lastError = kNoError;
}

void iluInit() {}

void ilEnable(unsigned mode) {
    if (mode == kConvertPalette) convertPalette = true;
}

void ilGenImages(size_t count, unsigned* names) {
    for (size_t i = 0; i < count; ++i) {
        unsigned name = 1;
        while (name < images.size() && images[name].exists) ++name;
        if (name == images.size()) images.emplace_back();
        images[name] = Image();
        images[name].exists = true;
        names[i] = name;
    }
}

void ilDeleteImages(size_t count, const unsigned* names) {
    for (size_t i = 0; i < count; ++i) {
        const unsigned name = names[i];
        if (name == 0 || name >= images.size()) continue;
        images[name] = Image();
        if (bound == name) bound = 0;
    }
}

void ilBindImage(unsigned name) {
    if (name >= images.size() || (name != 0 && !images[name].exists)) {
        Fail(kIllegalOperation);
        return;
    }
    bound = name;
}

unsigned char ilLoadL(unsigned type, const void* data, unsigned size) {
    if (data == nullptr || size == 0) {
        Fail(kInvalidValue);
        return 0;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (type == kPng) return LoadPng(Current(), bytes, size) ? 1 : 0;
    if (type == kJpeg) return LoadJpeg(Current(), bytes, size) ? 1 : 0;
    Fail(kInvalidValue);
    return 0;
}

// To 8-bit RGBA only, the one conversion the program asks for: grey spreads to the three colours,
// a missing alpha is opaque.
unsigned char ilConvertImage(unsigned format, unsigned type) {
    Image& image = Current();
    if (format != kRgba || type != kUnsignedByte || image.data.empty()) {
        Fail(kInvalidConversion);
        return 0;
    }
    if (image.format == kRgba && image.bytesPerChannel == 1) return 1;
    const size_t pixels = size_t{image.width} * image.height;
    std::vector<uint8_t> rgba(pixels * 4);
    for (size_t i = 0; i < pixels; ++i) {
        uint8_t* out = &rgba[i * 4];
        const size_t in = i * image.channels;
        switch (image.format) {
            case kLuminance:
                out[0] = out[1] = out[2] = Sample(image, in);
                out[3] = 255;
                break;
            case kLuminanceAlpha:
                out[0] = out[1] = out[2] = Sample(image, in);
                out[3] = Sample(image, in + 1);
                break;
            case kRgb:
                out[0] = Sample(image, in);
                out[1] = Sample(image, in + 1);
                out[2] = Sample(image, in + 2);
                out[3] = 255;
                break;
            default:
                for (int c = 0; c < 4; ++c) out[c] = Sample(image, in + static_cast<size_t>(c));
                break;
        }
    }
    image.data = std::move(rgba);
    image.format = kRgba;
    image.channels = 4;
    image.bytesPerChannel = 1;
    return 1;
}

int ilGetInteger(unsigned mode) {
    const Image& image = Current();
    switch (mode) {
        case kVersionNumber:
            return kVersion;
        case kImageWidth:
            return static_cast<int>(image.width);
        case kImageHeight:
            return static_cast<int>(image.height);
        case kImageBytesPerPixel:
            return static_cast<int>(image.channels * image.bytesPerChannel);
        case kImageBytesPerChannel:
            return static_cast<int>(image.bytesPerChannel);
        case kImageFormat:
            return static_cast<int>(image.format);
        case kImageType:
            return static_cast<int>(image.bytesPerChannel == 2 ? kUnsignedShort : kUnsignedByte);
        case kImageOrigin:
            return static_cast<int>(image.origin);
        default:
            return 0;
    }
}

unsigned char* ilGetData() {
    Image& image = Current();
    return image.data.empty() ? nullptr : image.data.data();
}

unsigned ilGetError() {
    const unsigned error = lastError;
    lastError = kNoError;
    return error;
}

unsigned char iluFlipImage() {
    Image& image = Current();
    const size_t row = RowBytes(image);
    if (image.data.size() < row * image.height) return 0;
    std::vector<uint8_t> swap(row);
    for (uint32_t y = 0; y < image.height / 2; ++y) {
        uint8_t* top = image.data.data() + y * row;
        uint8_t* bottom = image.data.data() + (image.height - 1 - y) * row;
        std::memcpy(swap.data(), top, row);
        std::memcpy(top, bottom, row);
        std::memcpy(bottom, swap.data(), row);
    }
    return 1;
}

}  // namespace picturelib
