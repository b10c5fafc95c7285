// The track's score: every note and drum hit, placed on the bars of the tempo map. The composer
// walks the sections and writes their parts (drums, bass, chords, melodies, effects); the renderer
// in Music.cpp turns the events into sound.
#pragma once

#include <cstdint>
#include <vector>

namespace assets {

enum class Instrument : uint8_t {
    Kick,       // pitch-dropping sine with a click
    Snare,      // tuned body and band-passed noise
    Clap,       // three quick noise bursts
    ClosedHat,  // high-passed noise and metal
    OpenHat,
    Crash,    // long bright noise
    Tick,     // the counter's clock: a short high blip
    Bass,     // two detuned saws through an enveloped low pass
    Pad,      // three detuned saws per note, slow envelope
    Stab,     // the pad's voice with a short, bright envelope
    Lead,     // detuned saws with glide and vibrato
    Pluck,    // plucked string (Karplus-Strong)
    Whistle,  // sine with vibrato and breath
    Bell,     // two-operator FM
    Riser,    // noise swept upwards
    Impact,   // a deep boom with a burst of noise
};

struct NoteEvent {
    long start;   // first sample
    long length;  // gate length in samples (drums ignore it)
    Instrument instrument;
    float note;      // MIDI note number
    float velocity;  // 0..1
    float param;     // per instrument: brightness 0..1, glide source note, decay length, ...
};

struct Score {
    std::vector<NoteEvent> events;  // sorted by start
};

// Writes the whole track's score.
Score ComposeScore();

// Depth of the bass and chords' ducking under the kick at this bar (0 = none).
float DuckDepthAt(int bar);

}  // namespace assets
