// Picture decoding and the image registry. Every picture is decoded once at start-up into a
// Bitmap and registered under a GUID handed out from 0 in registration order; scenes hold GUIDs
// and fetch the Bitmap with GetBitmap while drawing.
#pragma once

#include "Render/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Starts the image library; false when it is unusable.
bool InitDevil();

// One picture held by the image library, with its GUID. The library works on one bound image at
// a time, so every member binds its own image before it touches it.
class DevilImage {
public:
    // Creates and binds a library image and takes the next GUID.
    explicit DevilImage(std::string imageName);
    ~DevilImage();
    DevilImage(const DevilImage&) = delete;
    DevilImage& operator=(const DevilImage&) = delete;

    // Reads the archive member through dataFile and decodes it. Only PNG and JPEG whose declared
    // size passes ReadPictureHeader and fits the decoded-picture budget are handed to the library;
    // anything else leaves it undecoded. A member that was read but is not decoded gets one line
    // on stderr naming it and the reason (a missing member has the archive's own boxes).
    void Load(const std::string& memberName);
    // Turns the stored rows upside down; false when there is no library image.
    bool Flip();
    int32_t GetWidth();
    int32_t GetHeight();
    // The pixel as 0xAARRGGBB (AA = 0xFF without alpha, grey spread over three channels), y = 0
    // the top row as shown; 0 without a library image or for a layout it does not know (grey with
    // alpha, for one). One library query per pixel: slow, and not what registration uses.
    uint32_t GetPixel(int32_t x, int32_t y);

    // Converts the picture to 8-bit RGBA in the library and copies it whole, row by row, into a
    // new Bitmap (key byte as Bitmap::FromRgba sets it). Empty when nothing was decoded.
    Bitmap ToBitmap(bool keyed, uint32_t key);

    int32_t guid;
    uint32_t handle = 0;  // the library's image name; 0 = no library image
    std::string name;

private:
    void Bind() const;
    // Index of the stored row that shows as row y: stored rows follow the loader's origin,
    // reversed by every Flip.
    int32_t StoredRow(int32_t y, int32_t height) const;

    bool decoded = false;
    bool bottomRowFirst = false;  // how the loader stored the rows
    bool flipped = false;         // an odd number of Flips since the load
};

// Decodes a member: construct, Load, Flip.
std::unique_ptr<DevilImage> LoadImage(const std::string& name);

// Reads the archive member through dataFile, decodes it and registers it. kind 0 (keyed): pure
// green 0x00FF00 becomes transparent; kind 1 (plain): everything opaque. A member that cannot be
// read, is not a PNG or JPEG of acceptable size, or cannot be decoded is registered as an empty
// 0 x 0 bitmap under its GUID all the same, so later GUIDs never shift.
int32_t RegisterImage(std::string name, int32_t kind, bool keepDecoded);

// Decodes a member as RegisterImage does (same checks, lines and boxes) without registering it or
// taking a GUID. Empty when it cannot be read or decoded.
Bitmap DecodePicture(const std::string& name, int32_t kind);
// Puts `bitmap` in place of the one registered under `guid`; false for a GUID not registered.
bool ReplaceBitmap(int32_t guid, Bitmap bitmap);
// Counts the budget's bytes in use again from the bitmaps registered now (after replacements).
void RecountPictureBudget();

// The bitmap of a GUID (not owned by the caller), or null after an error box for an unknown GUID.
Bitmap* GetBitmap(int32_t guid);

// Releases every registered picture; the entries stay with null pointers. The decoded-picture
// budget is free again.
void ReleaseImages();

// Empties the table, starts the GUIDs at 0 again and frees the budget (for tests and measurements).
void ResetImageRegistry();

// The budget of decoded pixels (4 bytes a pixel, as declared by the headers) for every picture
// decoded since the registry was last emptied or released: about nine times what the
// production's own pictures take. A picture that would take the total past it is refused before
// the library decodes it, so a hostile archive of many small files declaring big pictures
// cannot hold gigabytes or take minutes to start.
inline constexpr int64_t kDefaultPictureBudgetBytes = int64_t{512} << 20;
// Replaces the budget and returns the one before (for tests); the bytes in use stay counted.
int64_t SetPictureBudget(int64_t bytes);
// Bytes of the budget in use.
int64_t PictureBudgetUsed();

struct ImageEntry {
    std::unique_ptr<DevilImage> image;  // kept only when registered with keepDecoded
    std::unique_ptr<Bitmap> bitmap;
    int32_t guid = -1;
};
// Registration order; appended to, never reordered.
extern std::vector<ImageEntry> imageTable;
// The GUID the next DevilImage takes.
extern int32_t nextImageGuid;

// What a picture's header declares, read without decoding.
enum class PictureFormat { kUnknown, kPng, kJpeg };
struct PictureHeader {
    PictureFormat format = PictureFormat::kUnknown;
    int64_t width = 0;
    int64_t height = 0;
    // Every PNG chunk, or every JPEG marker segment after the frame header, lies inside the data.
    // The image library reads on past the end and never stops: it skips a JPEG segment by asking
    // for more data for ever, and past the end of a PNG it gets no new bytes, so it reads the last
    // chunk header again and again.
    bool segmentsFit = true;
};
// Largest side and largest decoded size (at 4 bytes a pixel) a picture may declare.
inline constexpr int64_t kMaxPictureSide = 16384;
inline constexpr int64_t kMaxPictureBytes = int64_t{64} << 20;

// Recognises PNG and JPEG by signature and reads the size from the PNG header chunk or the JPEG
// frame header, never reading outside the buffer. kUnknown for anything else or a broken header.
PictureHeader ReadPictureHeader(const uint8_t* data, size_t length);
// True for a PNG or JPEG whose sides are 1..kMaxPictureSide, whose pixels fit kMaxPictureBytes
// and whose chunks or marker segments fit the data.
bool AcceptablePicture(const PictureHeader& header);
