// Deflate streams that inflate to far more than they take (zip bombs), made without ever holding
// what they inflate to: one mebibyte of zeros is deflated once, with a sync flush so the block
// ends on a byte, and repeated; a final block of the remaining zeros ends the stream. Each block
// refers only to bytes it wrote itself, so the copies chain into one valid stream of about a
// thousandth the size.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct DeflateBomb {
    std::string stream;  // raw deflate, as a zip member's data
    uint64_t inflatedBytes = 0;
    uint32_t crc = 0;  // of the inflated bytes
};

namespace deflate_bomb {

// `zeros` bytes of zeros deflated from a fresh stream, ending with `flush`.
inline std::string Block(uInt zeros, int flush) {
    const std::vector<Bytef> input(zeros, 0);
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string block(deflateBound(&stream, zeros) + 16, '\0');
    stream.next_in = const_cast<Bytef*>(input.data());
    stream.avail_in = zeros;
    stream.next_out = reinterpret_cast<Bytef*>(block.data());
    stream.avail_out = static_cast<uInt>(block.size());
    const int status = deflate(&stream, flush);
    block.resize(stream.total_out);
    deflateEnd(&stream);
    if (status != (flush == Z_FINISH ? Z_STREAM_END : Z_OK)) throw std::runtime_error("deflate failed");
    return block;
}

inline uLong ZerosCrc(uLong crc, uInt zeros) {
    const std::vector<Bytef> input(zeros, 0);
    return crc32_combine(crc, crc32(0, input.data(), zeros), zeros);
}

}  // namespace deflate_bomb

// A stream inflating to `mebibytes` MiB and `extraBytes` more of zeros.
inline DeflateBomb MakeDeflateBomb(uint64_t mebibytes, uInt extraBytes = 0) {
    constexpr uInt kMebibyte = 1u << 20;
    const std::string block = deflate_bomb::Block(kMebibyte, Z_SYNC_FLUSH);
    const uLong blockCrc = deflate_bomb::ZerosCrc(0, kMebibyte);
    DeflateBomb bomb;
    bomb.stream.reserve(block.size() * mebibytes + 64);
    uLong crc = 0;
    for (uint64_t i = 0; i < mebibytes; ++i) {
        bomb.stream += block;
        crc = crc32_combine(crc, blockCrc, kMebibyte);
    }
    bomb.stream += deflate_bomb::Block(extraBytes, Z_FINISH);
    bomb.inflatedBytes = mebibytes * kMebibyte + extraBytes;
    bomb.crc = static_cast<uint32_t>(deflate_bomb::ZerosCrc(crc, extraBytes));
    return bomb;
}
