// Mp3 encoding with libmp3lame.
#include "AssetBuilder/Music/Music.h"

#include <lame/lame.h>

#include <cstring>
#include <stdexcept>

namespace assets {

struct Mp3Encoder::Lame {
    Lame() : flags(lame_init()) {}
    ~Lame() {
        if (flags != nullptr) lame_close(flags);
    }
    Lame(const Lame&) = delete;
    Lame& operator=(const Lame&) = delete;
    lame_global_flags* flags;
    std::vector<unsigned char> buffer;
};

Mp3Encoder::Mp3Encoder() : lame_(std::make_unique<Lame>()) {
    lame_global_flags* gf = lame_->flags;
    if (gf == nullptr) throw std::runtime_error("lame_init failed");
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
    out_.reserve(size_t(kTrackSamples) * 192000 / 8 / kSampleRate + 65536);
}

Mp3Encoder::~Mp3Encoder() = default;

void Mp3Encoder::Encode(const int16_t* interleaved, size_t frames) {
    const size_t chunk = 1152 * 64;
    for (size_t done = 0; done < frames; done += chunk) {
        const size_t n = std::min(chunk, frames - done);
        // Worst case from lame.h: 1.25 times the samples plus 7200 bytes.
        lame_->buffer.resize(n * 5 / 4 + 7200);
        // lame takes a non-const pointer but does not write through it.
        const int written =
            lame_encode_buffer_interleaved(lame_->flags, const_cast<short*>(interleaved + 2 * done), int(n),
                                           lame_->buffer.data(), int(lame_->buffer.size()));
        if (written < 0) throw std::runtime_error("lame_encode_buffer_interleaved failed");
        out_.insert(out_.end(), lame_->buffer.begin(), lame_->buffer.begin() + written);
    }
}

std::vector<uint8_t> Mp3Encoder::Finish() {
    lame_->buffer.resize(7200);
    const int flushed = lame_encode_flush(lame_->flags, lame_->buffer.data(), int(lame_->buffer.size()));
    if (flushed < 0) throw std::runtime_error("lame_encode_flush failed");
    out_.insert(out_.end(), lame_->buffer.begin(), lame_->buffer.begin() + flushed);
    // The first frame of the stream was a placeholder; the real tag frame replaces it now that the
    // stream's length and padding are known.
    unsigned char tag[8192];
    const size_t tagSize = lame_get_lametag_frame(lame_->flags, tag, sizeof tag);
    if (tagSize == 0 || tagSize > out_.size()) throw std::runtime_error("no LAME tag frame");
    std::memcpy(out_.data(), tag, tagSize);
    return std::move(out_);
}

std::vector<uint8_t> EncodeMp3(const std::vector<int16_t>& interleaved) {
    Mp3Encoder encoder;
    encoder.Encode(interleaved.data(), interleaved.size() / 2);
    return encoder.Finish();
}

ArchiveMember BuildMusic() {
    return {kMusicMember, RenderAndEncodeMp3()};
}

}  // namespace assets
