// The synthesizer: one voice per score event, rendered in blocks into four buses (dry, ducked under
// the kick, echo send, room send), then mixed, limited to the master ceiling and faded at the end.
#include "AssetBuilder/Music/Music.h"

#include "AssetBuilder/Music/MusicDsp.h"
#include "AssetBuilder/Music/MusicScore.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace assets {

namespace {

using namespace dsp;

constexpr int kBlock = 256;
// Level of the mix into the limiter; most of the track stays under the ceiling untouched. An accented
// kick alone comes to just under the ceiling: the beat bands need it that loud, and the rest of the
// mix sits low enough that the limiter seldom has to pull a downbeat down.
constexpr float kMasterGain = 0.45f;

// Where a voice's output goes.
struct Routing {
    float gain;   // level into the mix
    bool ducked;  // pumps under the kick
    float echo;   // send to the ping-pong delay
    float room;   // send to the reverb
};

Routing RoutingOf(Instrument instrument) {
    switch (instrument) {
        case Instrument::Kick:
            return {1.55f, false, 0.0f, 0.02f};
        case Instrument::Snare:
            return {1.0f, false, 0.05f, 0.25f};
        case Instrument::Clap:
            return {0.35f, false, 0.0f, 0.35f};
        case Instrument::ClosedHat:
            return {0.16f, false, 0.0f, 0.05f};
        case Instrument::OpenHat:
            return {0.13f, false, 0.0f, 0.08f};
        case Instrument::Crash:
            return {0.16f, false, 0.0f, 0.2f};
        case Instrument::Tick:
            return {0.35f, false, 0.15f, 0.1f};
        case Instrument::Bass:
            return {0.42f, true, 0.0f, 0.0f};
        case Instrument::Pad:
            return {0.12f, true, 0.05f, 0.35f};
        case Instrument::Stab:
            return {0.08f, true, 0.25f, 0.2f};
        case Instrument::Lead:
            return {0.11f, true, 0.3f, 0.25f};
        case Instrument::Pluck:
            return {0.22f, false, 0.35f, 0.2f};
        case Instrument::Whistle:
            return {0.2f, false, 0.25f, 0.45f};
        case Instrument::Bell:
            return {0.12f, false, 0.35f, 0.4f};
        case Instrument::Riser:
            return {0.1f, false, 0.1f, 0.3f};
        case Instrument::Impact:
            return {1.5f, false, 0.0f, 0.4f};
    }
    return {0.0f, false, 0.0f, 0.0f};
}

// A sounding event. Render adds `count` samples to left/right and says whether it still sounds.
class Voice {
public:
    explicit Voice(const NoteEvent& event) : event_(event) {}
    virtual ~Voice() = default;
    virtual bool Render(float* left, float* right, int count) = 0;
    Instrument instrument() const { return event_.instrument; }
    long start() const { return event_.start; }

protected:
    // Whether the gate is still open at the voice's current age.
    bool Gate() const { return age_ < event_.length; }
    float Seconds() const { return float(age_) * kSampleTime; }
    NoteEvent event_;
    long age_ = 0;  // samples since the start
};

// Seed of a voice's noise and phases: fixed by the event, so each hit is the same on every run.
uint32_t SeedOf(const NoteEvent& event) {
    return uint32_t(event.start) * 2654435761u ^ uint32_t(event.instrument) * 40503u ^
           uint32_t(event.note * 97.0f);
}

class KickVoice final : public Voice {
public:
    explicit KickVoice(const NoteEvent& e) : Voice(e), noise_(SeedOf(e)) { click_.Set(5000.0f); }
    bool Render(float* left, float* right, int count) override {
        for (int i = 0; i < count; ++i, ++age_) {
            const float t = Seconds();
            // The pitch falls from about 210 Hz to 62 Hz in the first few tens of milliseconds; the
            // drive squares the body off, so it keeps its level (and its overtones) while it rings.
            const float hz = 62.0f + 150.0f * pitch_;
            pitch_ *= kPitchFall;
            phase_ += hz * kSampleTime;
            if (phase_ >= 1.0f) phase_ -= 1.0f;
            float amp = t < 0.0005f ? t / 0.0005f : 1.0f;
            if (t > 0.04f) {
                amp = body_;
                body_ *= kBodyFall;
            }
            float x = std::sin(2.0f * kPi * phase_) * amp;
            x += click_.Process(noise_.Next()) * clickEnv_ * 0.6f;
            clickEnv_ *= kClickFall;
            x = dsp::Tanh(3.0f * x) * (event_.velocity / 0.885f);
            left[i] += x;
            right[i] += x;
        }
        return Seconds() < 0.6f;
    }

private:
    static inline const float kPitchFall = std::exp(-kSampleTime / 0.03f);
    static inline const float kBodyFall = std::exp(-kSampleTime / 0.12f);
    static inline const float kClickFall = std::exp(-kSampleTime / 0.004f);
    Noise noise_;
    OnePole click_;
    float phase_ = 0.25f;  // starts on a zero crossing of the sine's derivative: no step
    float pitch_ = 1.0f, body_ = 1.0f, clickEnv_ = 1.0f;
};

class SnareVoice final : public Voice {
public:
    // `param` 1 is a roll's stroke: dampened, so its noise and ring die before the next stroke and
    // the beat bands see each stroke rather than one long swell.
    explicit SnareVoice(const NoteEvent& e)
        : Voice(e),
          noise_(SeedOf(e)),
          noiseFall_(std::exp(-kSampleTime / (e.param > 0.0f ? 0.045f : 0.11f))),
          ringFall_(std::exp(-kSampleTime / (e.param > 0.0f ? 0.03f : 0.07f))) {
        body_.Set(5200.0f, 0.3f);
        air_.Set(2500.0f, 0.0f);
        top_.Set(7500.0f, 0.0f);
        const float ringHz[3] = {5150.0f, 5870.0f, 6640.0f};
        for (int k = 0; k < 3; ++k) {
            ringStep_[k][0] = std::cos(2.0f * kPi * ringHz[k] * kSampleTime);
            ringStep_[k][1] = std::sin(2.0f * kPi * ringHz[k] * kSampleTime);
        }
    }
    bool Render(float* left, float* right, int count) override {
        for (int i = 0; i < count; ++i, ++age_) {
            const float hz = 185.0f * (1.0f + 0.4f * bend_);
            bend_ *= kBendFall;
            tone1_.SetHz(hz);
            tone2_.SetHz(hz * 1.62f);
            const float tone = (tone1_.Sine() * 0.7f + tone2_.Sine() * 0.35f) * toneEnv_;
            toneEnv_ *= kToneFall;
            // Bright noise: high-passed white noise plus a broad band around 5 kHz.
            const float n = noise_.Next();
            // Kept under 7.5 kHz: what lies above adds to the peak level but nothing to the beat.
            const float crack = top_.Low(air_.High(n) * 0.8f + body_.Band(n) * 1.2f);
            // The wires' ring: three faint inharmonic partials high up, where the beat bands listen.
            float ring = 0.0f;
            for (int k = 0; k < 3; ++k) {
                // A fixed sine by rotating a unit vector: a multiply-add instead of a sin() call.
                const float c = ringPhase_[k][0], sn = ringPhase_[k][1];
                ringPhase_[k][0] = c * ringStep_[k][0] - sn * ringStep_[k][1];
                ringPhase_[k][1] = sn * ringStep_[k][0] + c * ringStep_[k][1];
                ring += sn;
            }
            ring *= ringEnv_;
            ringEnv_ *= ringFall_;
            const float x = (tone * 0.3f + crack * noiseEnv_ * 1.1f + ring * 0.65f) * event_.velocity;
            noiseEnv_ *= noiseFall_;
            left[i] += x;
            right[i] += x;
        }
        return Seconds() < 0.5f;
    }

private:
    static inline const float kBendFall = std::exp(-kSampleTime / 0.015f);
    static inline const float kToneFall = std::exp(-kSampleTime / 0.055f);
    Noise noise_;
    float noiseFall_, ringFall_;
    Oscillator tone1_, tone2_;
    float ringStep_[3][2];
    float ringPhase_[3][2] = {{1.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 0.0f}};
    Svf body_, air_, top_;
    float bend_ = 1.0f, toneEnv_ = 1.0f, noiseEnv_ = 1.0f, ringEnv_ = 1.0f;
};

class ClapVoice final : public Voice {
public:
    explicit ClapVoice(const NoteEvent& e) : Voice(e), noise_(SeedOf(e)) { band_.Set(1500.0f, 0.45f); }
    bool Render(float* left, float* right, int count) override {
        for (int i = 0; i < count; ++i, ++age_) {
            // Three hands a few milliseconds apart, then the room's tail: each restarts the fast
            // envelope, the tail takes over once it is the louder.
            if (age_ == kHands[1] || age_ == kHands[2]) hand_ = 1.0f;
            if (age_ == kTailStart) tail_ = 0.55f;
            const float env = std::max(hand_, tail_);
            hand_ *= kHandFall;
            tail_ *= kTailFall;
            const float x = band_.Band(noise_.Next()) * env * 2.2f * event_.velocity;
            left[i] += x * 0.9f;
            right[i] += x;
        }
        return Seconds() < 0.5f;
    }

private:
    static constexpr long kHands[3] = {0, 397, 838};  // 0, 9 and 19 ms
    static constexpr long kTailStart = 1147;          // 26 ms
    static inline const float kHandFall = std::exp(-kSampleTime / 0.004f);
    static inline const float kTailFall = std::exp(-kSampleTime / 0.09f);
    Noise noise_;
    Svf band_;
    float hand_ = 1.0f, tail_ = 0.0f;
};

class HatVoice final : public Voice {
public:
    HatVoice(const NoteEvent& e, bool open) : Voice(e), noise_(SeedOf(e)), open_(open) {
        high1_.Set(8500.0f, 0.2f);
        high2_.Set(8500.0f, 0.2f);
        fall_ = std::exp(-kSampleTime / (open ? 0.2f : 0.03f));
        metal_[0].SetHz(3210.0f);
        metal_[1].SetHz(5380.0f);
    }
    bool Render(float* left, float* right, int count) override {
        const Pan pan(open_ ? -0.25f : 0.3f);
        for (int i = 0; i < count; ++i, ++age_) {
            float source = noise_.Next();
            source += 0.3f * (metal_[0].Pulse(0.5f) + metal_[1].Pulse(0.5f));
            // Two high passes: the hats keep out of the snare's and the lead's range.
            const float x = high2_.High(high1_.High(source)) * env_ * event_.velocity;
            env_ *= fall_;
            left[i] += x * pan.left;
            right[i] += x * pan.right;
        }
        return env_ > 1e-3f;
    }

private:
    Noise noise_;
    bool open_;
    Svf high1_, high2_;
    Oscillator metal_[2];
    float env_ = 1.0f, fall_;
};

class CrashVoice final : public Voice {
public:
    explicit CrashVoice(const NoteEvent& e)
        : Voice(e), noiseLeft_(SeedOf(e)), noiseRight_(SeedOf(e) ^ 0xABCDu) {
        highLeft_.Set(5000.0f, 0.1f);
        highRight_.Set(5000.0f, 0.1f);
        fall_ = std::exp(-kSampleTime / (0.9f * std::max(1.0f, e.length / float(kSamplesPerBar))));
    }
    bool Render(float* left, float* right, int count) override {
        for (int i = 0; i < count; ++i, ++age_) {
            const float attack = std::min(1.0f, Seconds() / 0.002f);
            const float g = env_ * attack * event_.velocity;
            left[i] += highLeft_.High(noiseLeft_.Next()) * g;
            right[i] += highRight_.High(noiseRight_.Next()) * g;
            env_ *= fall_;
        }
        return env_ > 1e-3f;
    }

private:
    Noise noiseLeft_, noiseRight_;
    Svf highLeft_, highRight_;
    float env_ = 1.0f, fall_;
};

// The counter's clock: a sine blip with a faint metallic overtone, held for the event's length
// (a few milliseconds for a tick, most of a sixteenth for the countdown's beeps), then released.
class TickVoice final : public Voice {
public:
    explicit TickVoice(const NoteEvent& e) : Voice(e) {
        tone_.SetHz(NoteHz(e.note));
        overtone_.SetHz(NoteHz(e.note) * 2.76f);
    }
    bool Render(float* left, float* right, int count) override {
        for (int i = 0; i < count; ++i, ++age_) {
            if (!Gate()) env_ *= kFall;
            const float attack = std::min(1.0f, Seconds() / 0.002f);
            const float x = (tone_.Sine() + 0.2f * overtone_.Sine()) * env_ * attack * event_.velocity;
            left[i] += x * 0.8f;
            right[i] += x;
        }
        return env_ > 1e-3f;
    }

private:
    static inline const float kFall = std::exp(-kSampleTime / 0.01f);
    Oscillator tone_, overtone_;
    float env_ = 1.0f;
};

class BassVoice final : public Voice {
public:
    explicit BassVoice(const NoteEvent& e) : Voice(e), envelope_(0.003f, 0.25f, 0.75f, 0.03f) {
        const float hz = NoteHz(e.note);
        a_.SetHz(hz * 0.9965f);
        b_.SetHz(hz * 1.0035f);
        b_.SetPhase(0.37f);
    }
    bool Render(float* left, float* right, int count) override {
        for (int i = 0; i < count; ++i, ++age_) {
            if ((age_ & 15) == 0) {
                // Brightness opens the low pass; a fast envelope gives each note its pluck.
                const float cutoff = 90.0f + event_.param * 1700.0f * (0.35f + 0.65f * filterEnv_);
                filter_.Set(cutoff, 0.25f);
                filter2_.Set(cutoff * 1.5f, 0.0f);
            }
            filterEnv_ *= kFilterFall;
            if (!Gate()) envelope_.Release();
            const float raw = 0.5f * (a_.Saw() + b_.Saw());
            const float x =
                dsp::Tanh(1.6f * filter2_.Low(filter_.Low(raw))) * envelope_.Next() * event_.velocity;
            left[i] += x;
            right[i] += x;
        }
        return !envelope_.Finished();
    }

private:
    static inline const float kFilterFall = std::exp(-kSampleTime / 0.09f);
    Oscillator a_, b_;
    Svf filter_, filter2_;
    Envelope envelope_;
    float filterEnv_ = 1.0f;
};

// Pads and stabs: three detuned saws, one left, one centre, one right, each side low-passed.
class ChordVoice final : public Voice {
public:
    ChordVoice(const NoteEvent& e, bool stab)
        : Voice(e),
          stab_(stab),
          envelope_(stab ? Envelope(0.002f, 0.13f, 0.0f, 0.08f) : Envelope(0.5f, 1.5f, 0.8f, 0.32f)) {
        const float hz = NoteHz(e.note);
        const uint32_t seed = SeedOf(e);
        saws_[0].SetHz(hz * 0.9942f);
        saws_[1].SetHz(hz);
        saws_[2].SetHz(hz * 1.0058f);
        for (int k = 0; k < 3; ++k) saws_[k].SetPhase(float((seed >> (k * 8)) & 255) / 256.0f);
        lfoPhase_ = float(seed & 1023) / 1024.0f;
    }
    bool Render(float* left, float* right, int count) override {
        for (int i = 0; i < count; ++i, ++age_) {
            if ((age_ & 31) == 0) {
                float cutoff;
                if (stab_) {
                    cutoff = 500.0f + event_.param * 4200.0f * brightEnv_;
                } else {
                    // A slow wobble of the filter keeps sustained chords alive.
                    const float lfo = std::sin(2.0f * kPi * (lfoPhase_ + 0.17f * Seconds()));
                    cutoff = (250.0f + event_.param * 2600.0f) * (1.0f + 0.18f * lfo);
                }
                filterLeft_.Set(cutoff, 0.15f);
                filterRight_.Set(cutoff, 0.15f);
            }
            brightEnv_ *= kBrightFall;
            if (!Gate()) envelope_.Release();
            const float centre = saws_[1].Saw();
            const float l = saws_[0].Saw() * 0.8f + centre * 0.5f;
            const float r = saws_[2].Saw() * 0.8f + centre * 0.5f;
            const float g = envelope_.Next() * event_.velocity;
            left[i] += filterLeft_.Low(l) * g;
            right[i] += filterRight_.Low(r) * g;
        }
        return !envelope_.Finished();
    }

private:
    static inline const float kBrightFall = std::exp(-kSampleTime / 0.1f);
    bool stab_;
    Oscillator saws_[3];
    Svf filterLeft_, filterRight_;
    Envelope envelope_;
    float lfoPhase_;
    float brightEnv_ = 1.0f;
};

// The lead: two detuned saws and a quiet square an octave down, gliding in from the previous note,
// with a vibrato that grows on held notes.
class LeadVoice final : public Voice {
public:
    explicit LeadVoice(const NoteEvent& e)
        : Voice(e), envelope_(0.006f, 0.35f, 0.7f, 0.14f), pitch_(e.param) {}
    bool Render(float* left, float* right, int count) override {
        for (int i = 0; i < count; ++i, ++age_) {
            if ((age_ & 15) == 0) {
                const float t = Seconds();
                const float vibratoDepth = std::min(1.0f, std::max(0.0f, (t - 0.22f) / 0.3f)) * 0.18f;
                const float note = pitch_ + vibratoDepth * std::sin(2.0f * kPi * 5.5f * t);
                const float hz = NoteHz(note);
                a_.SetHz(hz * 0.9954f);
                b_.SetHz(hz * 1.0046f);
                sub_.SetHz(hz * 0.5f);
                // The filter follows the note and closes after the attack; two stages keep the saws'
                // upper harmonics low.
                const float cutoff = (700.0f + 2.2f * hz) * (1.0f + 1.3f * brightEnv_);
                filter1_.Set(cutoff, 0.2f);
                filter2_.Set(cutoff, 0.2f);
                filter3_.Set(cutoff, 0.2f);
                filter4_.Set(cutoff, 0.2f);
            }
            // Glide: the pitch moves toward the note with a 40 ms time constant.
            pitch_ += (event_.note - pitch_) * kGlide;
            brightEnv_ *= kBrightFall;
            if (!Gate()) envelope_.Release();
            const float g = envelope_.Next() * event_.velocity;
            const float sub = 0.3f * sub_.Pulse(0.5f);
            const float l = filter2_.Low(filter1_.Low(a_.Saw() + sub)) * g;
            const float r = filter4_.Low(filter3_.Low(b_.Saw() + sub)) * g;
            left[i] += l;
            right[i] += r;
        }
        return !envelope_.Finished();
    }

private:
    static inline const float kGlide = 1.0f - std::exp(-kSampleTime / 0.04f);
    static inline const float kBrightFall = std::exp(-kSampleTime / 0.2f);
    Envelope envelope_;
    float pitch_;
    Oscillator a_, b_, sub_;
    Svf filter1_, filter2_, filter3_, filter4_;
    float brightEnv_ = 1.0f;
};

// A plucked string: a burst of filtered noise circulating in a delay line one period long, losing
// its highs on every pass.
class PluckVoice final : public Voice {
public:
    explicit PluckVoice(const NoteEvent& e) : Voice(e) {
        const float period = kSampleRate / NoteHz(e.note);
        length_ = std::max(2, int(period));
        fraction_ = period - float(length_);
        line_.assign(size_t(length_) + 2, 0.0f);
        Noise noise(SeedOf(e));
        OnePole tone;
        tone.Set(800.0f + 7000.0f * e.param);
        for (float& s : line_) s = tone.Process(noise.Next());
        // Remove the burst's mean so the string does not carry an offset.
        float mean = 0.0f;
        for (float s : line_) mean += s;
        mean /= float(line_.size());
        for (float& s : line_) s -= mean;
        pan_ = float(int(e.note) % 7 - 3) * 0.12f;
    }
    bool Render(float* left, float* right, int count) override {
        const Pan pan(pan_);
        const size_t n = line_.size();
        for (int i = 0; i < count; ++i, ++age_) {
            const size_t next = (position_ + 1) % n;
            // Averaging two neighbours is the string's damping; the fraction tunes it between samples.
            const float out = line_[position_] * (1.0f - fraction_ * 0.5f) + line_[next] * (fraction_ * 0.5f);
            const float filtered = 0.5f * (out + last_);
            last_ = out;
            line_[position_] = filtered * (Gate() ? 0.996f : 0.93f);
            position_ = next;
            level_ = std::max(std::fabs(out), level_ * 0.9995f);
            const float x = out * event_.velocity * 1.6f;
            left[i] += x * pan.left;
            right[i] += x * pan.right;
        }
        return level_ > 1e-3f && age_ < 4 * kSampleRate;
    }

private:
    std::vector<float> line_;
    size_t position_ = 0;
    int length_;
    float fraction_;
    float last_ = 0.0f;
    float level_ = 1.0f;
    float pan_;
};

class WhistleVoice final : public Voice {
public:
    explicit WhistleVoice(const NoteEvent& e)
        : Voice(e), envelope_(0.05f, 0.4f, 0.8f, 0.12f), noise_(SeedOf(e)), pitch_(e.param) {
        breath_.Set(NoteHz(e.note) * 2.0f, 0.5f);
    }
    bool Render(float* left, float* right, int count) override {
        for (int i = 0; i < count; ++i, ++age_) {
            if ((age_ & 15) == 0) {
                const float t = Seconds();
                const float depth = std::min(1.0f, t / 0.4f) * 0.25f;
                tone_.SetHz(NoteHz(pitch_ + depth * std::sin(2.0f * kPi * 5.0f * t)));
            }
            pitch_ += (event_.note - pitch_) * kGlide;
            if (!Gate()) envelope_.Release();
            const float x =
                (tone_.Sine() + 0.04f * breath_.Band(noise_.Next())) * envelope_.Next() * event_.velocity;
            left[i] += x * 0.85f;
            right[i] += x;
        }
        return !envelope_.Finished();
    }

private:
    static inline const float kGlide = 1.0f - std::exp(-kSampleTime / 0.06f);
    Envelope envelope_;
    Noise noise_;
    Svf breath_;
    Oscillator tone_;
    float pitch_;
};

// Two-operator FM: a modulator at 3.5 times the carrier whose depth fades, so the strike is bright
// and the tail a pure tone.
class BellVoice final : public Voice {
public:
    explicit BellVoice(const NoteEvent& e) : Voice(e) {
        carrier_ = NoteHz(e.note) * kSampleTime;
        modulator_ = carrier_ * 3.5f;
    }
    bool Render(float* left, float* right, int count) override {
        for (int i = 0; i < count; ++i, ++age_) {
            const float m = std::sin(2.0f * kPi * modPhase_) * (0.4f + 2.6f * index_);
            const float x = std::sin(2.0f * kPi * carPhase_ + m) * env_ * event_.velocity;
            carPhase_ += carrier_;
            if (carPhase_ >= 1.0f) carPhase_ -= 1.0f;
            modPhase_ += modulator_;
            if (modPhase_ >= 1.0f) modPhase_ -= 1.0f;
            index_ *= kIndexFall;
            env_ *= kFall;
            left[i] += x;
            right[i] += x * 0.8f;
        }
        return env_ > 1e-3f;
    }

private:
    static inline const float kIndexFall = std::exp(-kSampleTime / 0.25f);
    static inline const float kFall = std::exp(-kSampleTime / 0.9f);
    float carrier_, modulator_, carPhase_ = 0.0f, modPhase_ = 0.0f;
    float index_ = 1.0f, env_ = 1.0f;
};

// Noise through a band pass that sweeps from 300 Hz to 6 kHz over the event, swelling as it rises.
class RiserVoice final : public Voice {
public:
    explicit RiserVoice(const NoteEvent& e)
        : Voice(e), noiseLeft_(SeedOf(e)), noiseRight_(SeedOf(e) ^ 0x5151u) {}
    bool Render(float* left, float* right, int count) override {
        for (int i = 0; i < count; ++i, ++age_) {
            const float k = std::min(1.0f, float(age_) / float(event_.length));
            if ((age_ & 31) == 0) {
                const float hz = 300.0f * std::pow(20.0f, k);
                bandLeft_.Set(hz, 0.55f);
                bandRight_.Set(hz * 1.05f, 0.55f);
            }
            const float g = k * k * event_.velocity * (Gate() ? 1.0f : tail_);
            if (!Gate()) tail_ *= 0.9995f;
            left[i] += bandLeft_.Band(noiseLeft_.Next()) * g;
            right[i] += bandRight_.Band(noiseRight_.Next()) * g;
        }
        return Gate() || tail_ > 1e-3f;
    }

private:
    Noise noiseLeft_, noiseRight_;
    Svf bandLeft_, bandRight_;
    float tail_ = 1.0f;
};

// A deep boom falling in pitch, and a burst of dark noise; `param` stretches the boom.
class ImpactVoice final : public Voice {
public:
    explicit ImpactVoice(const NoteEvent& e) : Voice(e), noise_(SeedOf(e)) {
        dark_.Set(1200.0f, 0.1f);
        bodyFall_ = std::exp(-kSampleTime / (0.45f * e.param));
        noiseFall_ = std::exp(-kSampleTime / (0.12f * e.param));
    }
    bool Render(float* left, float* right, int count) override {
        for (int i = 0; i < count; ++i, ++age_) {
            const float hz = 30.0f + 70.0f * pitch_;
            pitch_ *= kPitchFall;
            phase_ += hz * kSampleTime;
            if (phase_ >= 1.0f) phase_ -= 1.0f;
            const float attack = std::min(1.0f, Seconds() / 0.002f);
            const float boom = std::sin(2.0f * kPi * phase_) * body_ * attack;
            const float burst = dark_.Low(noise_.Next()) * noiseEnv_;
            body_ *= bodyFall_;
            noiseEnv_ *= noiseFall_;
            const float x = dsp::Tanh(1.2f * (boom + 1.5f * burst)) * event_.velocity;
            left[i] += x;
            right[i] += x;
        }
        return body_ > 1e-3f;
    }

private:
    static inline const float kPitchFall = std::exp(-kSampleTime / 0.15f);
    Noise noise_;
    Svf dark_;
    float phase_ = 0.0f, pitch_ = 1.0f, body_ = 1.0f, noiseEnv_ = 1.0f;
    float bodyFall_, noiseFall_;
};

std::unique_ptr<Voice> MakeVoice(const NoteEvent& e) {
    switch (e.instrument) {
        case Instrument::Kick:
            return std::make_unique<KickVoice>(e);
        case Instrument::Snare:
            return std::make_unique<SnareVoice>(e);
        case Instrument::Clap:
            return std::make_unique<ClapVoice>(e);
        case Instrument::ClosedHat:
            return std::make_unique<HatVoice>(e, false);
        case Instrument::OpenHat:
            return std::make_unique<HatVoice>(e, true);
        case Instrument::Crash:
            return std::make_unique<CrashVoice>(e);
        case Instrument::Tick:
            return std::make_unique<TickVoice>(e);
        case Instrument::Bass:
            return std::make_unique<BassVoice>(e);
        case Instrument::Pad:
            return std::make_unique<ChordVoice>(e, false);
        case Instrument::Stab:
            return std::make_unique<ChordVoice>(e, true);
        case Instrument::Lead:
            return std::make_unique<LeadVoice>(e);
        case Instrument::Pluck:
            return std::make_unique<PluckVoice>(e);
        case Instrument::Whistle:
            return std::make_unique<WhistleVoice>(e);
        case Instrument::Bell:
            return std::make_unique<BellVoice>(e);
        case Instrument::Riser:
            return std::make_unique<RiserVoice>(e);
        case Instrument::Impact:
            return std::make_unique<ImpactVoice>(e);
    }
    return nullptr;
}

// Flush-to-zero and denormals-are-zero for the rendering thread, restored afterwards: the decaying
// tails of the filters and the reverb would otherwise crawl through denormal numbers. Every machine
// the builder runs on flushes alike, so they all write the same music: x86's MXCSR (FTZ and DAZ)
// and aarch64's FPCR (FZ, which flushes denormal inputs and results of single and double floats).
class ScopedFlushDenormals {
public:
#if defined(__SSE__)
    ScopedFlushDenormals() : saved_(_mm_getcsr()) {
        _mm_setcsr(saved_ | 0x8040u);
    }
    ~ScopedFlushDenormals() {
        _mm_setcsr(saved_);
    }

private:
    unsigned saved_;
#elif defined(__aarch64__)
    ScopedFlushDenormals() {
        __asm__ __volatile__("mrs %0, fpcr" : "=r"(saved_));
        const uint64_t flushing = saved_ | (uint64_t(1) << 24);
        __asm__ __volatile__("msr fpcr, %0" : : "r"(flushing));
    }
    ~ScopedFlushDenormals() {
        __asm__ __volatile__("msr fpcr, %0" : : "r"(saved_));
    }

private:
    uint64_t saved_;
#else
#error "the music needs a way to flush denormals on this machine, or it differs from x86's and aarch64's"
#endif
};

// Mixes every voice of the score into `frames` stereo frames at `master` (interleaved, zeroed by
// the caller). Tells `progress` how many frames are finished every few blocks and at the end.
void Mix(const Score& score, long frames, float* master, const std::function<void(long)>& progress) {
    std::vector<std::unique_ptr<Voice>> voices;
    PingPongDelay echo(3 * kSamplesPerSixteenth, 0.38f, 3500.0f);
    Reverb room(0.84f, 0.3f);
    size_t nextEvent = 0;

    // The kick's trigger times drive the ducking of the bass and chords.
    std::vector<long> kicks;
    for (const NoteEvent& e : score.events) {
        if (e.instrument == Instrument::Kick) kicks.push_back(e.start);
    }
    size_t nextKick = 0;
    float duckEnv = 0.0f;
    const float duckFall = std::exp(-kSampleTime / 0.11f);

    float voiceL[kBlock], voiceR[kBlock];
    float dryL[kBlock], dryR[kBlock], duckL[kBlock], duckR[kBlock], echoSend[kBlock], roomL[kBlock],
        roomR[kBlock];
    for (long blockStart = 0; blockStart < frames; blockStart += kBlock) {
        const int n = int(std::min<long>(kBlock, frames - blockStart));
        while (nextEvent < score.events.size() && score.events[nextEvent].start < blockStart + n) {
            voices.push_back(MakeVoice(score.events[nextEvent]));
            ++nextEvent;
        }
        for (float* bus : {dryL, dryR, duckL, duckR, echoSend, roomL, roomR}) std::fill_n(bus, n, 0.0f);

        size_t kept = 0;
        for (size_t v = 0; v < voices.size(); ++v) {
            Voice& voice = *voices[v];
            // A voice that starts inside this block begins at its own sample.
            const int offset = int(std::max<long>(0, voice.start() - blockStart));
            std::fill_n(voiceL, n, 0.0f);
            std::fill_n(voiceR, n, 0.0f);
            const bool alive = voice.Render(voiceL + offset, voiceR + offset, n - offset);
            const Routing route = RoutingOf(voice.instrument());
            float* outL = route.ducked ? duckL : dryL;
            float* outR = route.ducked ? duckR : dryR;
            for (int i = offset; i < n; ++i) {
                const float l = voiceL[i] * route.gain, r = voiceR[i] * route.gain;
                outL[i] += l;
                outR[i] += r;
                echoSend[i] += (l + r) * 0.5f * route.echo;
                roomL[i] += l * route.room;
                roomR[i] += r * route.room;
            }
            if (alive) voices[kept++] = std::move(voices[v]);
        }
        voices.resize(kept);

        const float depth = DuckDepthAt(int(blockStart / kSamplesPerBar));
        float* out = master + 2 * blockStart;
        for (int i = 0; i < n; ++i) {
            const long sample = blockStart + i;
            while (nextKick < kicks.size() && kicks[nextKick] <= sample) {
                duckEnv = 1.0f;
                ++nextKick;
            }
            const float duck = 1.0f - depth * duckEnv;
            duckEnv *= duckFall;
            float l = dryL[i] + duckL[i] * duck;
            float r = dryR[i] + duckR[i] * duck;
            echo.Process(echoSend[i], l, r);
            room.Process(roomL[i], roomR[i], l, r);
            out[2 * i] = l;
            out[2 * i + 1] = r;
        }
        if ((blockStart / kBlock) % 64 == 63) progress(blockStart + n);
    }
    progress(frames);
}

// The last stage, frame by frame in order, so that it can follow the mix while it is rendered: the
// fade at the end, the master gain, then a look-ahead limiter that holds every sample at or under
// the ceiling. The gain a frame needs is looked for kLook frames ahead, allowed to recover only
// slowly, then averaged over the look-ahead window; every value in that average is at most what
// the peak needs, so the peak itself always ends under the ceiling.
class Mastering {
public:
    using Output = std::function<void(long frame, float left, float right)>;
    Mastering(long frames, float gain, long fadeStart, long fadeEnd, float ceiling)
        : frames_(frames), gain_(gain), fadeStart_(fadeStart), fadeEnd_(fadeEnd), ceiling_(ceiling) {}

    // Takes the frames of `mix` up to `available` and hands every frame it can finish to `out`;
    // the last kLook frames wait for the frames after them, or for `available` to reach the end.
    void Run(const float* mix, long available, const Output& out) {
        for (; pushed_ < available; ++pushed_) {
            const long j = pushed_;
            const float peak = std::max(std::fabs(Level(mix, j, 0)), std::fabs(Level(mix, j, 1)));
            need_[j % kRing] = peak > ceiling_ ? ceiling_ / peak : 1.0f;
            // Candidates for the window's minimum, their needs increasing from the front.
            while (!queue_.empty() && need_[queue_.back() % kRing] >= need_[j % kRing]) queue_.pop_back();
            queue_.push_back(j);
            if (j >= kLook) Emit(mix, j - kLook, out);
        }
        if (available == frames_) {
            while (emitted_ < frames_) Emit(mix, emitted_, out);
        }
    }

private:
    static constexpr long kLook = 96;
    static constexpr long kRing = 256;

    float Level(const float* mix, long frame, int channel) const {
        float value = mix[2 * frame + channel];
        if (frame >= fadeStart_) {
            // Half a cosine from full level to silence over the fade.
            value *=
                frame >= fadeEnd_
                    ? 0.0f
                    : 0.5f + 0.5f * std::cos(kPi * float(frame - fadeStart_) / float(fadeEnd_ - fadeStart_));
        }
        return value * gain_;
    }
    void Emit(const float* mix, long i, const Output& out) {
        while (queue_.front() < i) queue_.pop_front();
        const float ahead = need_[queue_.front() % kRing];
        held_ = std::min(ahead, held_ + (1.0f - held_) * kRecover);
        heldRing_[i % kRing] = held_;
        sum_ += held_;
        if (i >= kLook) sum_ -= heldRing_[(i - kLook) % kRing];
        const float smooth = float(sum_ / double(std::min(i + 1, kLook)));
        out(i, Level(mix, i, 0) * smooth, Level(mix, i, 1) * smooth);
        emitted_ = i + 1;
    }

    // About 50 ms to recover once a peak has passed.
    static inline const float kRecover = 1.0f - std::exp(-kSampleTime / 0.05f);
    long frames_;
    float gain_;
    long fadeStart_, fadeEnd_;
    float ceiling_;
    long pushed_ = 0, emitted_ = 0;
    float need_[kRing] = {};
    float heldRing_[kRing] = {};
    std::deque<long> queue_;
    float held_ = 1.0f;
    double sum_ = 0.0;
};

int16_t ToPcm(float value) {
    return int16_t(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
}

Mastering TrackMastering(long frames) {
    // Past the end of the run the track fades out over four bars.
    return Mastering(frames, kMasterGain, BarSample(127), BarSample(131), kMasterCeiling);
}

}  // namespace

void LimitPeaks(std::vector<float>& samples, float ceiling) {
    const long frames = long(samples.size() / 2);
    const std::vector<float> input = samples;
    Mastering limiter(frames, 1.0f, frames, frames, ceiling);
    limiter.Run(input.data(), frames, [&samples](long frame, float left, float right) {
        samples[size_t(2 * frame)] = left;
        samples[size_t(2 * frame + 1)] = right;
    });
}

std::vector<int16_t> RenderMusic(long frames) {
    ScopedFlushDenormals flush;
    const Score score = ComposeScore();
    std::vector<float> mix(size_t(frames) * 2, 0.0f);
    Mix(score, frames, mix.data(), [](long) {});
    std::vector<int16_t> out(mix.size());
    TrackMastering(frames).Run(mix.data(), frames, [&out](long frame, float left, float right) {
        out[size_t(2 * frame)] = ToPcm(left);
        out[size_t(2 * frame + 1)] = ToPcm(right);
    });
    return out;
}

std::vector<uint8_t> RenderAndEncodeMp3(long frames) {
    const Score score = ComposeScore();
    std::vector<float> mix(size_t(frames) * 2, 0.0f);
    // The mix is rendered on a thread of its own while this one masters and encodes what is done.
    std::mutex mutex;
    std::condition_variable changed;
    long rendered = 0;
    std::exception_ptr failure;
    std::jthread mixer([&] {
        ScopedFlushDenormals flush;
        try {
            Mix(score, frames, mix.data(), [&](long done) {
                std::lock_guard<std::mutex> lock(mutex);
                rendered = done;
                changed.notify_one();
            });
        } catch (...) {
            std::lock_guard<std::mutex> lock(mutex);
            failure = std::current_exception();
            rendered = frames;
            changed.notify_one();
        }
    });
    Mp3Encoder encoder;
    Mastering mastering = TrackMastering(frames);
    std::vector<int16_t> chunk;
    long taken = 0;
    while (taken < frames) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [&] { return rendered > taken; });
            taken = rendered;
            if (failure) std::rethrow_exception(failure);
        }
        mastering.Run(mix.data(), taken, [&chunk](long, float left, float right) {
            chunk.push_back(ToPcm(left));
            chunk.push_back(ToPcm(right));
        });
        encoder.Encode(chunk.data(), chunk.size() / 2);
        chunk.clear();
    }
    return encoder.Finish();
}

}  // namespace assets
