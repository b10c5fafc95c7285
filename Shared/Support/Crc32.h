// The CRC-32 of zip members and PNG chunks (reflected polynomial 0xEDB88320), bit by bit: slow,
// but test data is small and this keeps the helpers free of a direct zlib dependency.
#pragma once

#include <cstddef>
#include <cstdint>

inline uint32_t Crc32(const void* data, size_t length, uint32_t crc = 0) {
    const auto* p = static_cast<const uint8_t*>(data);
    crc = ~crc;
    for (size_t i = 0; i < length; ++i) {
        crc ^= p[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}
