// Draws and encodes the manifest's pictures, checking each row against the program's catalogue.
#include "AssetBuilder/Pictures/Manifest.h"

#include "AssetBuilder/Archive/Archive.h"
#include "AssetBuilder/Pictures/PictureKit.h"

#include <string>

namespace assets {

std::vector<uint8_t> RenderPicture(const PictureRow& row) {
    Canvas canvas(row.size.width, row.size.height);
    row.draw(canvas);
    switch (row.encoding) {
        case Encoding::kKeyedPng:
            return EncodeKeyedPng(canvas);
        case Encoding::kPlainPng:
            return EncodePlainPng(canvas);
        case Encoding::kJpeg:
            return EncodeJpeg(canvas, 92);  // 92 and up keep full chroma resolution
        case Encoding::kGreyJpeg:
            return EncodeJpeg(canvas, 95, true);
        case Encoding::kKeyedJpeg:
            return EncodeKeyedJpeg(canvas, 95);
    }
    throw std::logic_error("unknown encoding");
}

std::vector<ArchiveMember> BuildPictures() {
    std::vector<ArchiveMember> members;
    members.reserve(kManifest.size());
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        const PictureRow& row = kManifest[guid];
        if (row.member != catalogue[guid].member || row.kind != catalogue[guid].kind) {
            throw std::runtime_error("the manifest's row " + std::to_string(guid) + " (" +
                                     std::string(row.member) + ") disagrees with the catalogue's " +
                                     catalogue[guid].member);
        }
        members.push_back({std::string(row.member), RenderPicture(row)});
    }
    return members;
}

}  // namespace assets
