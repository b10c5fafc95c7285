// Picture decoding with DevIL and the image registry. Pictures are checked before the library
// sees them (PNG and JPEG only, declared size bounded), decoded from memory with their explicit
// format, converted to 8-bit RGBA by the library and copied into a Bitmap row by row.
#include "Data/Images.h"

#include "Data/DataFile.h"
#include "Utils/Utils.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <algorithm>
#include <cstdio>
#include <utility>

std::vector<ImageEntry> imageTable;
int32_t nextImageGuid = 0;

namespace {

int64_t pictureBudget = kDefaultPictureBudgetBytes;
int64_t pictureBudgetUsed = 0;

// One line on stderr; the message boxes stay as they are, this only tells why a picture is blank.
void ReportPicture(const std::string& member, const std::string& reason) {
    std::fprintf(stderr, "zembravale: picture %s not loaded: %s\n", member.c_str(), reason.c_str());
    std::fflush(stderr);
}

std::string BytesText(int64_t bytes) {
    if (bytes % (int64_t{1} << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

std::string SizeText(const PictureHeader& header) {
    return std::to_string(header.width) + "x" + std::to_string(header.height);
}

constexpr ILint kMinimumVersion = 161;

// The library keeps a stack of errors; nobody reads them, so they are dropped to keep it empty.
void DropLibraryErrors() {
    while (ilGetError() != IL_NO_ERROR) {
    }
}

uint32_t ReadBigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint32_t ReadBigEndian16(const uint8_t* p) {
    return (uint32_t{p[0]} << 8) | p[1];
}

// Walks the chunks after the signature up to IEND or the end of the data: each one (length, type,
// data, checksum) must lie inside the data.
bool ChunksFit(const uint8_t* data, size_t length) {
    size_t pos = 8;
    while (pos < length) {
        if (length - pos < 12) return false;
        const size_t chunk = ReadBigEndian32(data + pos);
        if (chunk > length - pos - 12) return false;
        const bool end = std::equal(data + pos + 4, data + pos + 8, "IEND");
        pos += 12 + chunk;
        if (end) break;
    }
    return true;
}

PictureHeader ReadPngHeader(const uint8_t* data, size_t length) {
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    // Signature, then the header chunk: length 13, "IHDR", width, height, five one-byte fields.
    constexpr size_t kHeaderEnd = 8 + 8 + 13;
    if (length < kHeaderEnd || !std::equal(kSignature, kSignature + 8, data)) return {};
    if (ReadBigEndian32(data + 8) != 13 || !std::equal(data + 12, data + 16, "IHDR")) return {};
    return {PictureFormat::kPng, ReadBigEndian32(data + 16), ReadBigEndian32(data + 20),
            ChunksFit(data, length)};
}

// Frame headers: C0..CF except C4 (Huffman tables), C8 (reserved) and CC (arithmetic tables).
bool IsFrameMarker(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsStandaloneMarker(uint8_t marker) {
    return marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// Walks the marker segments from pos to the end of the picture as the decoder meets them: between
// segments (and through scan data) bytes before a 0xFF are passed over, runs of 0xFF are fill.
// False when a segment's length runs past the end of the data.
bool SegmentsFit(const uint8_t* data, size_t length, size_t pos) {
    while (pos < length) {
        if (data[pos] != 0xFF) {
            ++pos;
            continue;
        }
        while (pos < length && data[pos] == 0xFF) ++pos;
        if (pos >= length) return true;
        const uint8_t marker = data[pos++];
        if (IsStandaloneMarker(marker)) continue;
        if (marker == 0xD8 || marker == 0xD9) return true;  // the decoder stops there
        if (length - pos < 2) return false;
        const size_t segment = ReadBigEndian16(data + pos);
        if (segment < 2 || segment > length - pos) return false;
        pos += segment;
    }
    return true;
}

// Walks the marker segments up to the first frame header as the JPEG decoder does: bytes before
// a 0xFF are skipped, runs of 0xFF are fill, and every length is checked against the buffer.
PictureHeader ReadJpegHeader(const uint8_t* data, size_t length) {
    if (length < 4 || data[0] != 0xFF || data[1] != 0xD8) return {};
    size_t pos = 2;
    while (pos < length) {
        if (data[pos] != 0xFF) {
            ++pos;
            continue;
        }
        while (pos < length && data[pos] == 0xFF) ++pos;
        if (pos >= length) break;
        const uint8_t marker = data[pos++];
        if (IsStandaloneMarker(marker)) continue;  // no length
        // A second start, the end of the picture or the scan data before any frame header.
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA) break;
        if (length - pos < 2) break;
        const size_t segment = ReadBigEndian16(data + pos);
        if (segment < 2 || segment > length - pos) break;
        if (IsFrameMarker(marker)) {
            // Precision, height, width, component count.
            if (segment < 8) break;
            return {PictureFormat::kJpeg, ReadBigEndian16(data + pos + 5), ReadBigEndian16(data + pos + 3),
                    SegmentsFit(data, length, pos + segment)};
        }
        pos += segment;
    }
    return {};
}

}  // namespace

PictureHeader ReadPictureHeader(const uint8_t* data, size_t length) {
    if (data == nullptr) return {};
    const PictureHeader png = ReadPngHeader(data, length);
    return png.format != PictureFormat::kUnknown ? png : ReadJpegHeader(data, length);
}

bool AcceptablePicture(const PictureHeader& header) {
    return header.format != PictureFormat::kUnknown && header.segmentsFit && header.width >= 1 &&
           header.height >= 1 && header.width <= kMaxPictureSide && header.height <= kMaxPictureSide &&
           header.width * header.height * 4 <= kMaxPictureBytes;
}

bool InitDevil() {
    if (ilGetInteger(IL_VERSION_NUM) < kMinimumVersion) return false;
    ilInit();
    // Palette pictures are turned into their base colour type as they load.
    ilEnable(IL_CONV_PAL);
    return true;
}

DevilImage::DevilImage(std::string imageName) : guid(nextImageGuid++), name(std::move(imageName)) {
    ILuint created = 0;
    ilGenImages(1, &created);
    handle = created;
    Bind();
}

DevilImage::~DevilImage() {
    if (handle == 0) return;
    ILuint doomed = handle;
    ilDeleteImages(1, &doomed);
}

void DevilImage::Bind() const {
    ilBindImage(handle);
}

int32_t DevilImage::StoredRow(int32_t y, int32_t height) const {
    return flipped == bottomRowFirst ? y : height - 1 - y;
}

void DevilImage::Load(const std::string& memberName) {
    decoded = false;
    flipped = false;
    MemberBuffer buffer(dataFile != nullptr ? dataFile->FLoadFile(memberName) : nullptr, {dataFile});
    const int32_t length = dataFile != nullptr ? dataFile->FileLength(memberName) : -1;
    if (handle == 0) {
        ILuint created = 0;
        ilGenImages(1, &created);
        handle = created;
    }
    Bind();
    PictureHeader header;
    if (buffer != nullptr && length > 0) {
        header =
            ReadPictureHeader(reinterpret_cast<const uint8_t*>(buffer.get()), static_cast<size_t>(length));
    }
    // Anything but a PNG or JPEG of sane declared size never reaches the library: its loaders
    // overflow their heap on huge declared sizes, and guessing the format lets a few random
    // bytes pass for a huge picture.
    const int64_t bytes = AcceptablePicture(header) ? header.width * header.height * 4 : 0;
    if (buffer == nullptr || length < 0) {
        // Missing or unreadable: the archive has said so in its boxes.
    } else if (header.format == PictureFormat::kUnknown) {
        ReportPicture(memberName, "not a PNG or JPEG picture");
    } else if (!header.segmentsFit) {
        ReportPicture(memberName, header.format == PictureFormat::kPng
                                      ? "a PNG chunk runs past the end of the data"
                                      : "a JPEG marker segment runs past the end of the data");
    } else if (!AcceptablePicture(header)) {
        ReportPicture(memberName, "declared size " + SizeText(header) + " refused");
    } else if (bytes > pictureBudget - pictureBudgetUsed) {
        ReportPicture(memberName, SizeText(header) +
                                      " would take the decoded pictures past their budget of " +
                                      BytesText(pictureBudget));
    } else {
        const ILenum type = header.format == PictureFormat::kPng ? IL_PNG : IL_JPG;
        decoded = ilLoadL(type, buffer.get(), static_cast<ILuint>(length)) == IL_TRUE;
        if (decoded) {
            bottomRowFirst = ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT;
            pictureBudgetUsed += bytes;
        } else {
            ReportPicture(memberName, "decode error");
        }
    }
    DropLibraryErrors();
    buffer.reset();
    DropLibraryErrors();
    // A failed load may leave a half-built image behind: start over from an empty one.
    if (!decoded) {
        ILuint doomed = handle;
        ilDeleteImages(1, &doomed);
        handle = 0;
    }
}

bool DevilImage::Flip() {
    if (handle == 0) return false;
    Bind();
    iluFlipImage();
    flipped = !flipped;
    return true;
}

int32_t DevilImage::GetWidth() {
    if (handle == 0) return 0;
    Bind();
    return ilGetInteger(IL_IMAGE_WIDTH);
}

int32_t DevilImage::GetHeight() {
    if (handle == 0) return 0;
    Bind();
    return ilGetInteger(IL_IMAGE_HEIGHT);
}

uint32_t DevilImage::GetPixel(int32_t x, int32_t y) {
    if (handle == 0) return 0;
    Bind();
    const int64_t bpp = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL) & 0xFF;
    const int64_t bpc = ilGetInteger(IL_IMAGE_BPC) & 0xFF;
    const int32_t height = GetHeight();
    const int64_t width = GetWidth();
    const uint8_t* p = ilGetData() + (StoredRow(y, height) * width + x) * bpc * bpp;
    switch (bpp) {
        case 1:
            return 0xFF000000u + p[0] * 0x010101u;
        case 3:
            return 0xFF000000u + (uint32_t{p[0]} << 16) + (uint32_t{p[1]} << 8) + p[2];
        case 4:
            return (uint32_t{p[3]} << 24) + (uint32_t{p[0]} << 16) + (uint32_t{p[1]} << 8) + p[2];
        default:
            return 0;
    }
}

Bitmap DevilImage::ToBitmap(bool keyed, uint32_t key) {
    if (!decoded || handle == 0) return Bitmap();
    Bind();
    // The library's own conversion gives palette, grey, grey with alpha and 16-bit channels their
    // true colours; pure green stays exactly 0x00FF00.
    if (ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) != IL_TRUE) return Bitmap();
    const int32_t width = ilGetInteger(IL_IMAGE_WIDTH);
    const int32_t height = ilGetInteger(IL_IMAGE_HEIGHT);
    const ILubyte* rgba = ilGetData();
    Bitmap bitmap = Bitmap::FromRgba(rgba, width, height, keyed, key);
    if (!bitmap.Empty() && StoredRow(0, height) != 0) {
        // Stored bottom row first: put the top row as shown first.
        for (int32_t y = 0; y < height / 2; ++y) {
            std::swap_ranges(bitmap.Row(y), bitmap.Row(y) + width, bitmap.Row(height - 1 - y));
        }
    }
    return bitmap;
}

std::unique_ptr<DevilImage> LoadImage(const std::string& name) {
    auto image = std::make_unique<DevilImage>(name);
    image->Load(name);
    image->Flip();
    return image;
}

int32_t RegisterImage(std::string name, int32_t kind, bool keepDecoded) {
    std::unique_ptr<DevilImage> image = LoadImage(name);
    auto bitmap = std::make_unique<Bitmap>(image->ToBitmap(kind == 0, kKeyColour));
    const int32_t guid = image->guid;
    if (!keepDecoded) image.reset();
    imageTable.push_back(ImageEntry{std::move(image), std::move(bitmap), guid});
    return guid;
}

Bitmap DecodePicture(const std::string& name, int32_t kind) {
    const int32_t guid = nextImageGuid;
    std::unique_ptr<DevilImage> image = LoadImage(name);
    nextImageGuid = guid;
    return image->ToBitmap(kind == 0, kKeyColour);
}

bool ReplaceBitmap(int32_t guid, Bitmap bitmap) {
    for (ImageEntry& entry : imageTable) {
        if (entry.guid != guid) continue;
        entry.bitmap = std::make_unique<Bitmap>(std::move(bitmap));
        return true;
    }
    return false;
}

void RecountPictureBudget() {
    int64_t used = 0;
    for (const ImageEntry& entry : imageTable) {
        if (entry.bitmap != nullptr) used += int64_t{entry.bitmap->size} * 4;
    }
    pictureBudgetUsed = used;
}

Bitmap* GetBitmap(int32_t guid) {
    // GUIDs are unique and usually equal to their position, so look there first.
    if (guid >= 0 && static_cast<size_t>(guid) < imageTable.size() && imageTable[guid].guid == guid) {
        return imageTable[guid].bitmap.get();
    }
    for (const ImageEntry& entry : imageTable) {
        if (entry.guid == guid) return entry.bitmap.get();
    }
    ShowError("This should not happen", "An unknown GUID was entered", true);
    return nullptr;
}

void ReleaseImages() {
    for (ImageEntry& entry : imageTable) {
        entry.image.reset();
        entry.bitmap.reset();
    }
    pictureBudgetUsed = 0;
}

void ResetImageRegistry() {
    imageTable.clear();
    nextImageGuid = 0;
    pictureBudgetUsed = 0;
}

int64_t SetPictureBudget(int64_t bytes) {
    return std::exchange(pictureBudget, bytes);
}

int64_t PictureBudgetUsed() {
    return pictureBudgetUsed;
}
