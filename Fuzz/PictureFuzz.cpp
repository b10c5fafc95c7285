// Fuzzes picture decoding: the first byte picks keyed or plain conversion, the rest is the
// member's bytes. The header pre-check, the library's decode, the conversion to a Bitmap with
// keying and the registry all run as at start-up.
#include "FuzzSupport.h"

#include "Data/MemoryDataFile.h"
#include "Data/Images.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::SilenceMessageBoxes();
    if (!InitDevil()) __builtin_trap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int32_t kind = data[0] & 1;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    const PictureHeader header = ReadPictureHeader(data + 1, size - 1);
    (void)AcceptablePicture(header);

    MemoryDataFile archive;
    archive.members["picture.png"] = bytes;
    fuzz::ScopedDataFile scoped(&archive);
    ResetImageRegistry();
    const int32_t guid = RegisterImage("picture.png", kind, true);
    const Bitmap* bitmap = GetBitmap(guid);
    if (bitmap == nullptr) __builtin_trap();
    DevilImage* image = imageTable.back().image.get();
    // The slow per-pixel path, at the corners of whatever was decoded.
    const int32_t w = image->GetWidth();
    const int32_t h = image->GetHeight();
    if (w > 0 && h > 0) {
        (void)image->GetPixel(0, 0);
        (void)image->GetPixel(w - 1, h - 1);
    }
    ReleaseImages();
    ResetImageRegistry();
    return 0;
}
