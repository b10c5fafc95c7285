// mp3 files made from code with libmp3lame, for tests and tools: nobody has to keep a binary
// fixture that cannot be regenerated. The LAME tag (encoder delay and padding) is written into the
// first frame, so a gapless decoder gives back exactly as many samples as went in.
#pragma once

#include <lame/lame.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace testing_support {

// Encodes interleaved samples (`channels` values per frame: 2 stereo, 1 mono) as a constant bit
// rate mp3 at `rate` Hz.
inline std::vector<char> EncodeMp3(const std::vector<int16_t>& samples, int rate = 44100, int kbps = 192,
                                   int channels = 2) {
    struct LameCloser {
        void operator()(lame_global_flags* flags) const { lame_close(flags); }
    };
    std::unique_ptr<lame_global_flags, LameCloser> lame(lame_init());
    if (!lame) throw std::runtime_error("lame_init failed");
    lame_set_in_samplerate(lame.get(), rate);
    lame_set_out_samplerate(lame.get(), rate);
    lame_set_num_channels(lame.get(), channels);
    lame_set_mode(lame.get(), channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(lame.get(), kbps);
    lame_set_quality(lame.get(), 7);  // fast; the tests need a real stream, not the best sound
    lame_set_bWriteVbrTag(lame.get(), 1);
    if (lame_init_params(lame.get()) < 0) throw std::runtime_error("lame_init_params refused the settings");

    const int frames = static_cast<int>(samples.size() / channels);
    std::vector<unsigned char> out(static_cast<size_t>(frames) * 5 / 4 + 7200 + 16384);
    int used = 0;
    if (channels == 2) {
        used = lame_encode_buffer_interleaved(lame.get(), const_cast<short*>(samples.data()), frames,
                                              out.data(), static_cast<int>(out.size()));
    } else {
        used = lame_encode_buffer(lame.get(), samples.data(), samples.data(), frames, out.data(),
                                  static_cast<int>(out.size()));
    }
    if (used < 0) throw std::runtime_error("lame could not encode");
    const int flushed = lame_encode_flush(lame.get(), out.data() + used, static_cast<int>(out.size()) - used);
    if (flushed < 0) throw std::runtime_error("lame could not flush");
    out.resize(static_cast<size_t>(used + flushed));
    // LAME left an empty first frame for the tag; the tag frame has exactly its size.
    unsigned char tag[4096];
    const size_t tagSize = lame_get_lametag_frame(lame.get(), tag, sizeof tag);
    if (tagSize > sizeof tag || tagSize > out.size()) throw std::runtime_error("LAME tag does not fit");
    std::copy(tag, tag + tagSize, out.begin());
    return std::vector<char>(out.begin(), out.end());
}

// A sine of `frequency` Hz in both channels, starting at phase 0 after `leadSeconds` of silence.
inline std::vector<int16_t> StereoTone(double frequency, double seconds, double amplitude = 0.5,
                                       double leadSeconds = 0.0, int rate = 44100) {
    const auto lead = static_cast<size_t>(leadSeconds * rate);
    const auto count = static_cast<size_t>(seconds * rate);
    std::vector<int16_t> samples((lead + count) * 2, 0);
    for (size_t n = 0; n < count; ++n) {
        const double value = amplitude * 32767.0 * std::sin(2.0 * std::numbers::pi * frequency * n / rate);
        samples[(lead + n) * 2] = samples[(lead + n) * 2 + 1] = static_cast<int16_t>(std::lround(value));
    }
    return samples;
}

// Something music-like for size and speed measurements: a few detuned voices changing every half
// second, different in the two channels, with a little noise.
inline std::vector<int16_t> SyntheticMusic(double seconds, int rate = 44100) {
    const auto count = static_cast<size_t>(seconds * rate);
    std::vector<int16_t> samples(count * 2);
    uint32_t noise = 12345;
    const double notes[] = {110.0, 130.8, 146.8, 164.8, 196.0, 220.0, 246.9, 261.6};
    for (size_t n = 0; n < count; ++n) {
        const double t = static_cast<double>(n) / rate;
        const auto step = static_cast<size_t>(t * 2.0);
        const double base = notes[step % 8];
        const double envelope = 1.0 - std::fmod(t * 2.0, 1.0) * 0.7;
        double left = 0.0;
        double right = 0.0;
        for (int voice = 1; voice <= 4; ++voice) {
            left += std::sin(2.0 * std::numbers::pi * base * voice * t) / voice;
            right += std::sin(2.0 * std::numbers::pi * base * voice * 1.003 * t) / voice;
        }
        noise = noise * 1664525u + 1013904223u;
        const double hiss = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.05;
        samples[n * 2] = static_cast<int16_t>(std::lround((left * 0.25 * envelope + hiss) * 32767.0));
        samples[n * 2 + 1] = static_cast<int16_t>(std::lround((right * 0.25 * envelope + hiss) * 32767.0));
    }
    return samples;
}

}  // namespace testing_support
