// The production's icon for the desktop's menu, drawn like its pictures.
#pragma once

#include <cstdint>
#include <vector>

namespace assets {

// A PNG of `size` x `size` pixels: rings of light round a Z on a dark rounded square.
std::vector<uint8_t> DrawIcon(int size);

}  // namespace assets
