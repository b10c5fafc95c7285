// The production's music, "rorozuzorozori.mp3": rendered by our own synthesizer from the score and
// encoded with LAME at 192 kbit/s constant bit rate, 44.1 kHz stereo, with a LAME tag at the start so
// decoders trim the encoder's delay and padding and the decoded track starts on sample 0.
#pragma once

#include "AssetBuilder/Archive/Archive.h"
#include "AssetBuilder/Music/TempoMap.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace assets {

inline constexpr const char* kMusicMember = "rorozuzorozori.mp3";
// Ceiling of the rendered samples before encoding; the encoder's overshoot stays below -1 dBFS.
inline constexpr float kMasterCeiling = 0.8f;

// Renders the first `frames` stereo frames of the track, interleaved left/right, 16-bit.
std::vector<int16_t> RenderMusic(long frames = kTrackSamples);

// Brings every sample of interleaved stereo under `ceiling` with a look-ahead limiter: the gain
// falls just before a peak and recovers over about 50 ms; material under the ceiling is untouched.
void LimitPeaks(std::vector<float>& interleaved, float ceiling);

// Encodes interleaved 44.1 kHz stereo as 192 kbit/s CBR mp3 with a LAME tag in the first frame,
// fed in pieces as they come.
class Mp3Encoder {
public:
    Mp3Encoder();
    ~Mp3Encoder();
    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    void Encode(const int16_t* interleaved, size_t frames);
    // Flushes the last frames and puts the finished tag at the start. The encoder is spent after it.
    std::vector<uint8_t> Finish();

private:
    struct Lame;
    std::unique_ptr<Lame> lame_;
    std::vector<uint8_t> out_;
};

std::vector<uint8_t> EncodeMp3(const std::vector<int16_t>& interleaved);

// The same bytes as EncodeMp3(RenderMusic(frames)), in less time: the mix renders on a second
// thread while this one masters and encodes the part already rendered.
std::vector<uint8_t> RenderAndEncodeMp3(long frames = kTrackSamples);

// The music as its archive member.
ArchiveMember BuildMusic();

}  // namespace assets
