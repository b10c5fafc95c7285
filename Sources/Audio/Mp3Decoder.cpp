// libmpg123 over a memory buffer: our own read and seek callbacks stand in for a file, so the
// library can scan the frame headers for the exact length and then decode from the start.
#include "Audio/Mp3Decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace audio {
namespace {

constexpr const char* kPortableDecoder = "generic";

// mpg123_init is a no-op on recent libraries but still required by older ones; once per process.
bool LibraryReady() {
    static const int result = mpg123_init();
    return result == MPG123_OK;
}

mpg123_ssize_t ReadMemory(void* handle, void* buffer, size_t bytes) {
    auto* reader = static_cast<Mp3Decoder::MemoryReader*>(handle);
    const size_t count = std::min(bytes, reader->length - reader->position);
    std::memcpy(buffer, reader->data + reader->position, count);
    reader->position += count;
    return static_cast<mpg123_ssize_t>(count);
}

off_t SeekMemory(void* handle, off_t offset, int whence) {
    auto* reader = static_cast<Mp3Decoder::MemoryReader*>(handle);
    off_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<off_t>(reader->position);
    else if (whence == SEEK_END)
        base = static_cast<off_t>(reader->length);
    else if (whence != SEEK_SET)
        return -1;
    const off_t target = base + offset;
    if (target < 0 || target > static_cast<off_t>(reader->length)) return -1;
    reader->position = static_cast<size_t>(target);
    return target;
}

void SetError(std::string* error, std::string text) {
    if (error != nullptr) *error = std::move(text);
}

}  // namespace

bool Mp3DecodingAvailable(std::string* error) {
    if (!LibraryReady()) {
        SetError(error, "libmpg123 did not start");
        return false;
    }
    if (mpg123_feature(MPG123_FEATURE_DECODE_LAYER3) == 0 ||
        mpg123_feature(MPG123_FEATURE_OUTPUT_16BIT) == 0) {
        SetError(error, "libmpg123 was built without the layer 3 decoder or 16-bit output");
        return false;
    }
    return true;
}

Mp3Decoder::~Mp3Decoder() {
    Close();
}

void Mp3Decoder::Close() {
    if (handle != nullptr) mpg123_delete(handle);  // closes the stream as well
    handle = nullptr;
    reader = MemoryReader{};
    lengthFrames = 0;
    ended = true;
}

bool Mp3Decoder::Open(const char* data, size_t length, std::string* error) {
    Close();
    if (data == nullptr || length == 0) {
        SetError(error, "no mp3 data");
        return false;
    }
    if (!LibraryReady()) {
        SetError(error, "libmpg123 did not start");
        return false;
    }
    int code = MPG123_OK;
    // The plain C synthesis, not the fastest one for this processor: the SIMD ones round
    // differently, and the samples must be the same on every machine and in the browser, so the
    // beat bands (and with them the pictures) are too. Libraries built without it use their own.
    handle = mpg123_new(kPortableDecoder, &code);
    if (handle == nullptr) handle = mpg123_new(nullptr, &code);
    if (handle == nullptr) {
        SetError(error, std::string("libmpg123: ") + mpg123_plain_strerror(code));
        return false;
    }
    auto refuse = [&](const std::string& why) {
        SetError(error, why);
        Close();
        return false;
    };
    auto libraryError = [&]() { return std::string("libmpg123: ") + mpg123_strerror(handle); };

    // Gapless cuts the encoder delay and padding using the LAME tag; no-Frankenstein makes the
    // stream end where that tag says instead of running on into whatever is appended.
    const long flags = MPG123_GAPLESS | MPG123_QUIET | MPG123_NO_FRANKENSTEIN;
    // Only one output format is allowed, so the library converts everything else to it or fails.
    if (mpg123_param(handle, MPG123_ADD_FLAGS, flags, 0.0) != MPG123_OK ||
        mpg123_format_none(handle) != MPG123_OK ||
        mpg123_format(handle, kSampleRate, MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK) {
        return refuse(libraryError());
    }
    reader = MemoryReader{reinterpret_cast<const unsigned char*>(data), length, 0};
    if (mpg123_replace_reader_handle(handle, ReadMemory, SeekMemory, nullptr) != MPG123_OK ||
        mpg123_open_handle(handle, &reader) != MPG123_OK) {
        return refuse(libraryError());
    }
    // The scan reads every frame header (no decoding), so the length is exact even for files
    // without a LAME tag; it seeks back to the start afterwards.
    if (mpg123_scan(handle) != MPG123_OK) return refuse("no mp3 frames in the data (" + libraryError() + ")");
    const off_t samples = mpg123_length(handle);
    if (samples <= 0) return refuse("no mp3 frames in the data");

    // Reading the format parses the first frame and sets up the conversion: a rate or channel
    // count the library cannot convert fails here, before anything plays.
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK) {
        return refuse("the mp3 cannot be converted to 44100 Hz stereo (" + libraryError() + ")");
    }
    if (rate != kSampleRate || channels != MPG123_STEREO || encoding != MPG123_ENC_SIGNED_16) {
        return refuse("the mp3 decodes to " + std::to_string(rate) + " Hz, " + std::to_string(channels) +
                      " channels instead of 44100 Hz stereo 16-bit");
    }
    lengthFrames = static_cast<int64_t>(samples);
    ended = false;
    return true;
}

size_t Mp3Decoder::Read(int16_t* out, size_t frames) {
    constexpr size_t kFrameBytes = kChannels * sizeof(int16_t);
    size_t written = 0;
    int idleCalls = 0;
    while (!ended && written < frames) {
        size_t bytes = 0;
        const int code =
            mpg123_read(handle, out + written * kChannels, (frames - written) * kFrameBytes, &bytes);
        written += bytes / kFrameBytes;
        if (code == MPG123_NEW_FORMAT) continue;  // still our one allowed format
        // Done, an unrecoverable error, or a reader that keeps handing nothing: the track ends here.
        idleCalls = bytes == 0 ? idleCalls + 1 : 0;
        if (code != MPG123_OK || idleCalls > 16) ended = true;
    }
    return written;
}

bool Mp3TrackDecoder::Open(const char* data, size_t length, std::vector<int16_t>& out, std::string* error,
                           int64_t frameLimit) {
    samples = &out;
    total = 0;
    out.clear();
    if (!decoder.Open(data, length, error)) return false;
    // The scanned length is exact for our encoder; a little room covers files whose padding the
    // tag does not describe, and the vector grows if that was still too little.
    constexpr int64_t kSlackFrames = 4 * 1152;
    maxFrames = std::clamp<int64_t>(frameLimit, 0, kMaxTrackFrames);
    const int64_t expected = std::min(decoder.LengthFrames() + kSlackFrames, maxFrames);
    out.resize(static_cast<size_t>(expected) * kChannels);
    return true;
}

bool Mp3TrackDecoder::Done() const {
    return samples == nullptr || decoder.AtEnd() || static_cast<int64_t>(total) >= maxFrames;
}

bool Mp3TrackDecoder::Step(int64_t frames) {
    constexpr size_t kChunkFrames = 16384;
    const size_t goal = total + static_cast<size_t>(std::max<int64_t>(frames, 1));
    while (!Done() && total < goal) {
        std::vector<int16_t>& out = *samples;
        const size_t room = out.size() / kChannels - total;
        if (room == 0) {
            const size_t grown = std::min<size_t>(total * 2, static_cast<size_t>(maxFrames));
            out.resize(grown * kChannels);
            continue;
        }
        total += decoder.Read(out.data() + total * kChannels, std::min(room, kChunkFrames));
    }
    return Done();
}

bool Mp3TrackDecoder::Finish(std::string* error) {
    if (samples == nullptr) return false;
    samples->resize(total * kChannels);
    samples->shrink_to_fit();
    if (total == 0) {
        SetError(error, "no mp3 frame could be decoded");
        return false;
    }
    return true;
}

bool DecodeMp3(const char* data, size_t length, std::vector<int16_t>& interleavedStereo, std::string* error,
               int64_t maxFrames) {
    Mp3TrackDecoder decoder;
    if (!decoder.Open(data, length, interleavedStereo, error, maxFrames)) return false;
    while (!decoder.Step(kMaxTrackFrames)) {
    }
    return decoder.Finish(error);
}

}  // namespace audio
