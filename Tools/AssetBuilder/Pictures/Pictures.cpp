// Puts the two picture families together in the catalogue's order.
#include "AssetBuilder/Archive/Archive.h"
#include "AssetBuilder/Pictures/Pictures.h"
#include "Data/Catalogue.h"

#include <stdexcept>
#include <string>

namespace assets {

std::vector<ArchiveMember> BuildPictures() {
    PictureMap pictures;
    BuildScenePictures(pictures);
    BuildSpritePictures(pictures);
    std::vector<ArchiveMember> members;
    members.reserve(kCatalogueSize);
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        auto it = pictures.find(guid);
        if (it == pictures.end()) {
            throw std::runtime_error(std::string("no picture drawn for ") + catalogue[guid].member);
        }
        members.push_back({catalogue[guid].member, std::move(it->second)});
    }
    return members;
}

}  // namespace assets
