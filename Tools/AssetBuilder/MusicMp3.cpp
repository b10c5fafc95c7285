// Mp3 encoding with libmp3lame.
#include "AssetBuilder/Music.h"

#include <lame/lame.h>

#include <cstring>
#include <memory>
#include <stdexcept>

namespace assets {

namespace {
struct LameDeleter {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
}  // namespace

std::vector<uint8_t> EncodeMp3(const std::vector<int16_t>& interleaved) {
    std::unique_ptr<lame_global_flags, LameDeleter> lame(lame_init());
    if (!lame) throw std::runtime_error("lame_init failed");
    lame_global_flags* gf = lame.get();
    lame_set_in_samplerate(gf, kSampleRate);
    lame_set_out_samplerate(gf, kSampleRate);
    lame_set_num_channels(gf, 2);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, 192);
    // Quality 5 is LAME's everyday setting; the lower numbers buy little at 192 kbit/s and cost time.
    lame_set_quality(gf, 5);
    // The Info/LAME tag frame carries the encoder delay and padding: that is what makes it gapless.
    lame_set_bWriteVbrTag(gf, 1);
    // No ID3 tags: the file is a bare stream that starts with the tag frame.
    lame_set_write_id3tag_automatic(gf, 0);
    if (lame_init_params(gf) < 0) throw std::runtime_error("lame_init_params failed");

    const size_t frames = interleaved.size() / 2;
    std::vector<uint8_t> out;
    out.reserve(frames * 192000 / 8 / kSampleRate + 8192);
    const size_t chunk = 1152 * 64;
    std::vector<unsigned char> buffer(chunk * 5 / 4 + 7200);
    for (size_t done = 0; done < frames; done += chunk) {
        const size_t n = std::min(chunk, frames - done);
        // lame takes a non-const pointer but does not write through it.
        const int written = lame_encode_buffer_interleaved(
            gf, const_cast<short*>(interleaved.data() + 2 * done), int(n), buffer.data(), int(buffer.size()));
        if (written < 0) throw std::runtime_error("lame_encode_buffer_interleaved failed");
        out.insert(out.end(), buffer.begin(), buffer.begin() + written);
    }
    const int flushed = lame_encode_flush(gf, buffer.data(), int(buffer.size()));
    if (flushed < 0) throw std::runtime_error("lame_encode_flush failed");
    out.insert(out.end(), buffer.begin(), buffer.begin() + flushed);

    // The first frame of the stream was a placeholder; the real tag frame replaces it now that the
    // stream's length and padding are known.
    unsigned char tag[8192];
    const size_t tagSize = lame_get_lametag_frame(gf, tag, sizeof tag);
    if (tagSize == 0 || tagSize > out.size()) throw std::runtime_error("no LAME tag frame");
    std::memcpy(out.data(), tag, tagSize);
    return out;
}

ArchiveMember BuildMusic() {
    return {kMusicMember, EncodeMp3(RenderMusic())};
}

}  // namespace assets
