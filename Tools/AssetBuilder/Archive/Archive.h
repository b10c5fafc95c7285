// What the asset builder produces: named archive members, in the order they are written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assets {

struct ArchiveMember {
    std::string name;            // path inside tarnos.zip, '/' separated
    std::vector<uint8_t> bytes;  // the file's contents
};

// The 100 pictures, in the catalogue's registration order, names exactly as the catalogue has them.
std::vector<ArchiveMember> BuildPictures();

}  // namespace assets
