// The shared delay and reverb of the synthesizer.
#include "AssetBuilder/Music/MusicDsp.h"

namespace assets::dsp {

PingPongDelay::PingPongDelay(int delaySamples, float feedback, float dampingHz)
    : left_(size_t(delaySamples), 0.0f), right_(size_t(delaySamples), 0.0f), feedback_(feedback) {
    dampLeft_.Set(dampingHz);
    dampRight_.Set(dampingHz);
}

void PingPongDelay::Process(float send, float& outLeft, float& outRight) {
    const float echoLeft = left_[position_];
    const float echoRight = right_[position_];
    // The send enters on the left only; each echo crosses to the other side, so repeats alternate.
    left_[position_] = send + dampLeft_.Process(echoRight) * feedback_;
    right_[position_] = dampRight_.Process(echoLeft) * feedback_;
    if (++position_ == left_.size()) position_ = 0;
    outLeft += echoLeft;
    outRight += echoRight;
}

namespace {
// Comb and allpass lengths in samples at 44.1 kHz; mutually prime-ish so the echoes do not ring.
constexpr int kCombLengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int kAllpassLengths[4] = {556, 441, 341, 225};
constexpr int kStereoSpread = 23;
}  // namespace

Reverb::Reverb(float roomSize, float damping) : feedback_(roomSize), damping_(damping) {
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < 8; ++i)
            combs_[side][i].buffer.assign(size_t(kCombLengths[i] + side * kStereoSpread), 0.0f);
        for (int i = 0; i < 4; ++i) {
            allpasses_[side][i].buffer.assign(size_t(kAllpassLengths[i] + side * kStereoSpread), 0.0f);
        }
    }
}

float Reverb::ProcessSide(float input, Comb* combs, Allpass* allpasses) {
    float sum = 0.0f;
    for (int i = 0; i < 8; ++i) {
        Comb& comb = combs[i];
        const float out = comb.buffer[comb.position];
        // Damping: the fed-back signal loses its highs a little more on every round trip.
        comb.store = out * (1.0f - damping_) + comb.store * damping_;
        comb.buffer[comb.position] = input + comb.store * feedback_;
        if (++comb.position == comb.buffer.size()) comb.position = 0;
        sum += out;
    }
    for (int i = 0; i < 4; ++i) {
        Allpass& pass = allpasses[i];
        const float delayed = pass.buffer[pass.position];
        pass.buffer[pass.position] = sum + delayed * 0.5f;
        if (++pass.position == pass.buffer.size()) pass.position = 0;
        sum = delayed - sum;
    }
    return sum;
}

void Reverb::Process(float inLeft, float inRight, float& outLeft, float& outRight) {
    // The combs add up eight copies: scale the input down so the tail sits near the dry level.
    outLeft += ProcessSide(inLeft * 0.015f, combs_[0], allpasses_[0]);
    outRight += ProcessSide(inRight * 0.015f, combs_[1], allpasses_[1]);
}

}  // namespace assets::dsp
