// Fuzzes the music: the input is the mp3 member. The decoder opens it and checks its output
// format, decodes to the end within the length cap (the streaming reads the live player makes), and the
// spectrum is taken at a few positions, some outside the track.
#include "FuzzSupport.h"

#include "Audio/Mp3Decoder.h"
#include "Audio/Spectrum.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::SilenceMessageBoxes();
    if (!audio::Mp3DecodingAvailable()) __builtin_trap();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::vector<int16_t> samples;
    static audio::SpectrumCalculator spectrum;
    static float bins[audio::kSpectrumBins];

    samples.clear();
    std::string error;
    if (!audio::DecodeMp3(reinterpret_cast<const char*>(data), size, samples, &error)) return 0;
    const size_t frames = samples.size() / audio::kChannels;
    if (frames > static_cast<size_t>(audio::kMaxTrackFrames)) __builtin_trap();
    const auto length = static_cast<int64_t>(frames);
    for (const int64_t end : {int64_t{0}, int64_t{1000}, length / 2, length, length + 5000}) {
        spectrum.ComputeTrack(samples.data(), frames, end, bins);
    }
    return 0;
}
