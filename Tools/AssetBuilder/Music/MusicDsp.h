// The synthesizer's building blocks: a seeded noise source, band-limited oscillators, a state-variable
// filter, envelopes and the shared delay and reverb. All of it is plain deterministic arithmetic on
// floats: no clock, no unseeded randomness, so the same code renders the same samples every time.
#pragma once

#include "AssetBuilder/Music/TempoMap.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace assets::dsp {

inline constexpr float kPi = 3.14159265358979f;
inline constexpr float kSampleTime = 1.0f / kSampleRate;

// tanh and tan of a float through glibc's double functions: its float ones (tanhf, tanf) round
// differently on aarch64 than on x86-64 in the last place, its double ones do not.
inline float Tanh(float x) {
    return static_cast<float>(std::tanh(static_cast<double>(x)));
}
inline float Tan(float x) {
    return static_cast<float>(std::tan(static_cast<double>(x)));
}

// MIDI note number to frequency in Hz (A4 = 69 = 440 Hz).
inline float NoteHz(float note) {
    return 440.0f * std::exp2((note - 69.0f) / 12.0f);
}
// Gain for a level in decibels.
inline float DbGain(float db) {
    return std::pow(10.0f, db / 20.0f);
}

// White noise in [-1, 1) from a 32-bit xorshift; the seed fixes the sequence.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    float Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return float(int32_t(state_)) * (1.0f / 2147483648.0f);
    }

private:
    uint32_t state_;
};

// Correction for the step of a naive sawtooth or square so its aliasing stays inaudible.
inline float PolyBlep(float phase, float increment) {
    if (phase < increment) {
        const float t = phase / increment;
        return t + t - t * t - 1.0f;
    }
    if (phase > 1.0f - increment) {
        const float t = (phase - 1.0f) / increment;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

// Phase accumulator in [0, 1) with the usual band-limited shapes.
class Oscillator {
public:
    void SetPhase(float phase) { phase_ = phase - std::floor(phase); }
    void SetHz(float hz) { increment_ = hz * kSampleTime; }
    // Rising sawtooth in [-1, 1].
    float Saw() {
        const float value = 2.0f * phase_ - 1.0f - PolyBlep(phase_, increment_);
        Advance();
        return value;
    }
    // Square with the given duty cycle.
    float Pulse(float width) {
        float value = phase_ < width ? 1.0f : -1.0f;
        value += PolyBlep(phase_, increment_);
        float shifted = phase_ - width;
        if (shifted < 0.0f) shifted += 1.0f;
        value -= PolyBlep(shifted, increment_);
        Advance();
        return value;
    }
    float Sine() {
        const float value = std::sin(2.0f * kPi * phase_);
        Advance();
        return value;
    }
    float Triangle() {
        const float value = 4.0f * std::fabs(phase_ - 0.5f) - 1.0f;
        Advance();
        return value;
    }

private:
    void Advance() {
        phase_ += increment_;
        if (phase_ >= 1.0f) phase_ -= 1.0f;
    }
    float phase_ = 0.0f;
    float increment_ = 0.0f;
};

// Trapezoidal state-variable filter (zero-delay feedback): low, band and high pass at once.
// Coefficients cost a tan(), so callers change the cutoff every few samples, not every sample.
class Svf {
public:
    struct Out {
        float low, band, high;
    };
    void Set(float cutoffHz, float resonance) {
        const float limited = std::fmin(std::fmax(cutoffHz, 10.0f), 0.45f * kSampleRate);
        g_ = Tan(kPi * limited * kSampleTime);
        k_ = 2.0f - 2.0f * std::fmin(std::fmax(resonance, 0.0f), 0.98f);
        a1_ = 1.0f / (1.0f + g_ * (g_ + k_));
        a2_ = g_ * a1_;
        a3_ = g_ * a2_;
    }
    Out Process(float x) {
        const float v3 = x - ic2_;
        const float v1 = a1_ * ic1_ + a2_ * v3;
        const float v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
        ic1_ = 2.0f * v1 - ic1_;
        ic2_ = 2.0f * v2 - ic2_;
        return {v2, v1, x - k_ * v1 - v2};
    }
    float Low(float x) { return Process(x).low; }
    float High(float x) { return Process(x).high; }
    float Band(float x) { return Process(x).band; }

private:
    float g_ = 0.0f, k_ = 2.0f, a1_ = 1.0f, a2_ = 0.0f, a3_ = 0.0f;
    float ic1_ = 0.0f, ic2_ = 0.0f;
};

// One-pole low pass, for smoothing and damping.
class OnePole {
public:
    void Set(float cutoffHz) { a_ = 1.0f - std::exp(-2.0f * kPi * cutoffHz * kSampleTime); }
    float Process(float x) {
        state_ += a_ * (x - state_);
        return state_;
    }

private:
    float a_ = 1.0f;
    float state_ = 0.0f;
};

// Attack, decay to sustain, and release after the gate closes; times in seconds, linear attack,
// exponential decay and release.
class Envelope {
public:
    Envelope(float attack, float decay, float sustain, float release)
        : attackStep_(attack > 0 ? kSampleTime / attack : 1.0f),
          decayCoef_(std::exp(-kSampleTime / std::fmax(decay, 1e-4f))),
          releaseCoef_(std::exp(-kSampleTime / std::fmax(release, 1e-4f))),
          sustain_(sustain) {}
    void Release() { releasing_ = true; }
    float Next() {
        if (releasing_) {
            value_ *= releaseCoef_;
        } else if (attacking_) {
            value_ += attackStep_;
            if (value_ >= 1.0f) {
                value_ = 1.0f;
                attacking_ = false;
            }
        } else {
            value_ = sustain_ + (value_ - sustain_) * decayCoef_;
        }
        return value_;
    }
    // Finished once released below -60 dB.
    bool Finished() const { return releasing_ && value_ < 1e-3f; }

private:
    float attackStep_, decayCoef_, releaseCoef_, sustain_;
    float value_ = 0.0f;
    bool attacking_ = true;
    bool releasing_ = false;
};

// Equal-power stereo gains for a pan position in [-1, 1].
struct Pan {
    explicit Pan(float position)
        : left(std::cos((position + 1.0f) * 0.25f * kPi)), right(std::sin((position + 1.0f) * 0.25f * kPi)) {}
    float left, right;
};

// A stereo ping-pong echo with a darkened, slightly softened feedback path.
class PingPongDelay {
public:
    PingPongDelay(int delaySamples, float feedback, float dampingHz);
    // Adds the echoes of the send (mono) into out[0..1].
    void Process(float send, float& outLeft, float& outRight);

private:
    std::vector<float> left_, right_;
    size_t position_ = 0;
    float feedback_;
    OnePole dampLeft_, dampRight_;
};

// A Schroeder-Moorer room: eight damped combs and four allpasses per side, the right side tuned a
// little apart from the left for width.
class Reverb {
public:
    Reverb(float roomSize, float damping);
    void Process(float inLeft, float inRight, float& outLeft, float& outRight);

private:
    struct Comb {
        std::vector<float> buffer;
        size_t position = 0;
        float store = 0.0f;
    };
    struct Allpass {
        std::vector<float> buffer;
        size_t position = 0;
    };
    float ProcessSide(float input, Comb* combs, Allpass* allpasses);
    Comb combs_[2][8];
    Allpass allpasses_[2][4];
    float feedback_;
    float damping_;
};

}  // namespace assets::dsp
