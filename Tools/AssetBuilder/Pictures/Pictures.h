// The production's pictures, drawn from code. Two families fill one map from GUID to encoded file:
// the full-frame scenes and big figures, and the captions, digits and small sprites.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace assets {

using PictureMap = std::map<int, std::vector<uint8_t>>;  // GUID -> PNG or JPEG bytes

// Full-frame pictures, frescoes, light maps, big figures, stills and closing pictures.
void BuildScenePictures(PictureMap& out);
// Captions, title cards, counter digits and its close-up, and the small sprites.
void BuildSpritePictures(PictureMap& out);

}  // namespace assets
