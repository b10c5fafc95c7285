// Decodes an mp3 held in memory with libmpg123, always to 44100 Hz interleaved stereo signed 16-bit
// (mono is doubled, other rates are resampled by the library). Gapless decoding is on, so the
// encoder's delay and padding are cut and sample 0 is the first sample the musician wrote: the
// music clock counts from there. Nothing is copied and no temporary file is written: the library
// reads straight from the caller's bytes, which must outlive the decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct mpg123_handle_struct;

namespace audio {

inline constexpr int kSampleRate = 44100;
inline constexpr int kChannels = 2;
// Longest track we decode; anything after it counts as the end of the stream. A few kilobytes of
// low-rate mono mp3 can expand to hours of 44100 Hz stereo, so the bound protects memory.
inline constexpr int kMaxTrackSeconds = 20 * 60;
inline constexpr int64_t kMaxTrackFrames = int64_t{kSampleRate} * kMaxTrackSeconds;

// Our check of the decoding library: it starts, and it has the layer 3 decoder and 16-bit output
// we rely on. False, with the reason in `error`, otherwise.
bool Mp3DecodingAvailable(std::string* error = nullptr);

// Streaming decoder over one mp3 in memory. A frame is one stereo pair (two int16 values).
class Mp3Decoder {
public:
    Mp3Decoder() = default;
    ~Mp3Decoder();
    // The library keeps a pointer to the reader inside this object: neither copied nor moved.
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Opens the bytes, scans the frame headers for the exact length and checks that the output
    // really is 44100 Hz stereo 16-bit. False, with a reason in `error` when given, for no data,
    // data without a single mp3 frame, or a stream the library cannot convert.
    bool Open(const char* data, size_t length, std::string* error = nullptr);
    // Length of the whole track in frames as the header scan found it (exact for gapless files);
    // 0 before a successful Open.
    int64_t LengthFrames() const { return lengthFrames; }
    // Decodes up to `frames` frames into `out` (2 * frames values). Returns how many were written;
    // fewer than asked only at the end of the stream or on a decoding error, after which it
    // returns 0.
    size_t Read(int16_t* out, size_t frames);
    bool AtEnd() const { return ended; }

    // The bytes the library reads through our own read and seek callbacks.
    struct MemoryReader {
        const unsigned char* data = nullptr;
        size_t length = 0;
        size_t position = 0;
    };

private:
    void Close();

    MemoryReader reader;
    mpg123_handle_struct* handle = nullptr;
    int64_t lengthFrames = 0;
    bool ended = true;
};

// A whole track decoded a piece at a time into the caller's vector, for a caller that yields
// between the pieces (the browser's page shows the progress). Open, Step until it says done, then
// Finish; the samples are those DecodeMp3 gives. The vector is sized for the scanned length up
// front, so its data stays put while the steps fill it, unless the track turns out longer.
class Mp3TrackDecoder {
public:
    // False, with the reason in `error`, when the decoder refuses the data. At most `maxFrames`
    // frames are kept (the rest is dropped). `out` must outlive the decoder.
    bool Open(const char* data, size_t length, std::vector<int16_t>& out, std::string* error = nullptr,
              int64_t maxFrames = kMaxTrackFrames);
    // Decodes about `frames` more frames (at least one read); true when the whole track is in.
    bool Step(int64_t frames);
    bool Done() const;
    // Frames decoded so far; every sample before DecodedFrames() is final.
    int64_t DecodedFrames() const { return static_cast<int64_t>(total); }
    // The length the header scan found: the goal, for a progress figure.
    int64_t ExpectedFrames() const { return decoder.LengthFrames(); }
    // Trims `out` to what was decoded. False, with the reason, when no frame decoded.
    bool Finish(std::string* error = nullptr);

private:
    Mp3Decoder decoder;
    std::vector<int16_t>* samples = nullptr;
    size_t total = 0;
    int64_t maxFrames = 0;
};

// Decodes a whole track into `interleavedStereo` (2 values per frame), at most `maxFrames` frames
// (the rest is dropped). False, with the reason in `error`, when the decoder refuses the data or
// no frame decodes.
bool DecodeMp3(const char* data, size_t length, std::vector<int16_t>& interleavedStereo,
               std::string* error = nullptr, int64_t maxFrames = kMaxTrackFrames);

}  // namespace audio
