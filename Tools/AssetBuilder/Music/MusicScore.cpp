// The composer: A minor at 125 bpm. The main progression is Am-F-C-G, one chord a bar; the machine
// turns to Dm-Bb-E, the western set to Am-Dm-E-Am, the closing to F-G-Em-Am. Two melodies (A and B)
// carry the grooves, a whistle the western set, a slow melody and bells the closing.
#include "AssetBuilder/Music/MusicScore.h"

#include "AssetBuilder/Music/TempoMap.h"

#include <algorithm>
#include <cmath>

namespace assets {

namespace {

struct Chord {
    int bass;      // root in octave 2 (MIDI)
    int tones[4];  // voicing in octaves 3 and 4
};

// Voicings kept close together so the chords move smoothly from one to the next.
constexpr Chord kAm{45, {57, 60, 64, 71}};
constexpr Chord kF{41, {53, 57, 60, 64}};
constexpr Chord kC{48, {55, 60, 64, 67}};
constexpr Chord kG{43, {55, 59, 62, 67}};
constexpr Chord kDm{50, {57, 62, 65, 69}};
constexpr Chord kBb{46, {58, 62, 65, 70}};
constexpr Chord kE{40, {56, 59, 64, 68}};
constexpr Chord kEm{40, {55, 59, 64, 67}};

// One melody note: bar and sixteenth within the phrase, length in sixteenths, MIDI note.
struct PhraseNote {
    int bar, step, length, note;
};

// Melody A, over Am F C G: climbs the A minor chord, leans on F's major seventh, falls through G.
const std::vector<PhraseNote> kMelodyA = {
    {0, 0, 2, 69}, {0, 2, 2, 72}, {0, 4, 4, 76}, {0, 8, 2, 74},  {0, 10, 2, 72}, {0, 12, 4, 76},
    {1, 0, 3, 77}, {1, 3, 3, 76}, {1, 6, 2, 72}, {1, 8, 4, 69},  {1, 12, 4, 72}, {2, 0, 3, 79},
    {2, 3, 3, 76}, {2, 6, 2, 72}, {2, 8, 2, 76}, {2, 10, 2, 79}, {2, 12, 2, 76}, {2, 14, 2, 74},
    {3, 0, 4, 74}, {3, 4, 4, 71}, {3, 8, 2, 67}, {3, 10, 2, 71}, {3, 12, 4, 74},
};
// Melody B: the answer, reaching up to the high C.
const std::vector<PhraseNote> kMelodyB = {
    {0, 0, 2, 76}, {0, 2, 4, 81}, {0, 6, 2, 79},  {0, 8, 4, 76},  {0, 12, 2, 72}, {0, 14, 2, 74},
    {1, 0, 3, 72}, {1, 3, 3, 69}, {1, 6, 4, 77},  {1, 10, 2, 76}, {1, 12, 4, 72}, {2, 0, 2, 76},
    {2, 2, 2, 79}, {2, 4, 4, 84}, {2, 8, 2, 83},  {2, 10, 2, 79}, {2, 12, 4, 76}, {3, 0, 6, 74},
    {3, 6, 2, 71}, {3, 8, 2, 74}, {3, 10, 2, 79}, {3, 12, 2, 74}, {3, 14, 2, 71},
};
// The western whistle, over Am Dm E Am.
const std::vector<PhraseNote> kWhistle = {
    {0, 0, 6, 76},  {0, 6, 2, 74},  {0, 8, 4, 72},  {0, 12, 4, 69}, {1, 0, 8, 74},
    {1, 8, 4, 77},  {1, 12, 4, 74}, {2, 0, 6, 71},  {2, 6, 2, 72},  {2, 8, 4, 71},
    {2, 12, 4, 68}, {3, 0, 12, 69}, {3, 12, 4, 64},
};
// The closing melody, over F G Em Am.
const std::vector<PhraseNote> kClosing = {
    {0, 0, 8, 72}, {0, 8, 4, 69}, {0, 12, 4, 72}, {1, 0, 8, 74},  {1, 8, 4, 71},  {1, 12, 4, 74},
    {2, 0, 8, 76}, {2, 8, 4, 79}, {2, 12, 4, 76}, {3, 0, 12, 76}, {3, 12, 2, 74}, {3, 14, 2, 72},
};

// Fraction of a sixteenth by which the off-beat sixteenths lag: a light shuffle.
constexpr double kSwing = 0.14;
// A snare's `param` for the dampened strokes of a roll.
constexpr float kRollStroke = 1.0f;
// Velocity of the unaccented kicks and snares against the bar's accented ones.
constexpr float kOffDownbeat = 0.85f;

class Composer {
public:
    Score Compose();

private:
    // Sample of a sixteenth step within a bar; odd steps carry the swing when asked.
    static long StepSample(int bar, double step, bool swung) {
        double offset = step;
        if (swung && (int(std::floor(step)) % 2) == 1) offset += kSwing;
        return long(bar) * kSamplesPerBar + std::lround(offset * kSamplesPerSixteenth);
    }
    void Add(Instrument instrument, int bar, double step, double steps, float note, float velocity,
             float param = 0.0f, bool swung = false) {
        const long start = StepSample(bar, step, swung);
        const long length = std::max(1L, std::lround(steps * kSamplesPerSixteenth));
        score_.events.push_back({start, length, instrument, note, velocity, param});
    }

    // The steady drum pattern of a bar; a velocity of 0 leaves that part out.
    struct Groove {
        float kick = 0.0f;   // four on the floor
        float snare = 0.0f;  // backbeat on two and four
        bool clap = false;   // doubles the backbeat
        float hats = 0.0f;
        int hatStride = 2;  // 1: sixteenths, 2: eighths
        bool openHats = false;
    };

    static Chord ChordAt(int bar);
    // A bar's drums: the section's groove, then its fills, pickups and one-off hits.
    void Drums(int bar, Section section);
    static Groove GrooveOf(int bar, Section section);
    void FourOnTheFloor(int bar, float velocity);
    void Backbeat(int bar, float velocity, bool clap);
    void Hats(int bar, float velocity, int stride, bool openOffbeats);
    void DrumFills(int bar, Section section);
    void BassLine(int bar, Section section, const Chord& chord);
    void Harmony(int bar, Section section, const Chord& chord);
    void Melodies(int bar, Section section);
    void Effects();
    void Melody(int startBar, const std::vector<PhraseNote>& phrase, Instrument instrument, int transpose,
                float velocity, int firstBar = 0, int barCount = 4);
    void Roll(int bar, int fromStep, int toStep, int stride, float fromVelocity, float toVelocity);

    Score score_;
};

Chord Composer::ChordAt(int bar) {
    static const Chord main[4] = {kAm, kF, kC, kG};
    const Section section = SectionAt(bar);
    int start = 0;
    for (const SectionSpan& span : Sections()) {
        if (span.section == section) start = span.startBar;
    }
    const int i = bar - start;
    switch (section) {
        case Section::FloatThree: {
            static const Chord seq[5] = {kF, kG, kC, kG, kE};
            return seq[i % 5];
        }
        case Section::Machine: {
            static const Chord seq[4] = {kDm, kBb, kE, kE};
            return seq[i % 4];
        }
        case Section::Countdown:
            return (i % 2) == 0 ? kDm : kE;
        case Section::Choice:
            return i == 0 ? kF : kE;
        case Section::Western: {
            static const Chord seq[4] = {kAm, kDm, kE, kAm};
            return seq[i % 4];
        }
        case Section::Resume:
            return i == 0 ? kDm : kE;
        case Section::FinalCountdown: {
            static const Chord seq[4] = {kF, kG, kE, kE};
            return seq[i % 4];
        }
        case Section::Closing:
        case Section::Credits: {
            static const Chord seq[4] = {kF, kG, kEm, kAm};
            return seq[i % 4];
        }
        case Section::Fade:
            return kAm;
        default:
            return main[i % 4];
    }
}

void Composer::Roll(int bar, int fromStep, int toStep, int stride, float fromVelocity, float toVelocity) {
    for (int step = fromStep; step < toStep; step += stride) {
        const float k = float(step - fromStep) / float(std::max(1, toStep - fromStep - 1));
        Add(Instrument::Snare, bar, step, 1, 0, fromVelocity + (toVelocity - fromVelocity) * k, kRollStroke);
    }
}

Composer::Groove Composer::GrooveOf(int bar, Section section) {
    switch (section) {
        case Section::RiseOne:
            return {0.85f, 0.0f, false, bar >= 10 ? 0.55f : 0.0f, 2, false};
        case Section::DropOne:
        case Section::TitleOne:
        case Section::DropThree:
            return {1.0f, 1.0f, false, 0.75f, 1, section != Section::DropOne};
        case Section::BreakTwo:
            // No kick: the explosion rings out, the groove comes back at act two's rings.
            return {0.0f, 0.0f, false, bar >= 22 ? 0.45f : 0.0f, 2, false};
        case Section::GrooveTwo:
            return {1.0f, 1.0f, false, 0.7f, 1, bar >= 28};
        case Section::FloatThree:
            return {0.9f, 0.9f, false, 0.5f, 2, false};
        case Section::MainTwo:
        case Section::Lighthouse:
        case Section::Casino:
        case Section::Movies:
        case Section::Explosion:
            return {1.0f, 1.0f, true, 0.85f, 1, true};
        case Section::Machine:
            return {1.0f, 1.0f, false, 0.7f, 1, false};
        case Section::Countdown:
            // The counter runs wild in bar 80: its roll takes the backbeat's place.
            return {1.0f, bar == 80 ? 0.0f : 0.9f, false, bar == 80 ? 0.0f : 0.5f, 2, false};
        case Section::Western:
            // Half time: the kick and snare are the section's own, only the hats are shared.
            return {0.0f, 0.0f, false, 0.4f, 2, false};
        case Section::Resume:
            // The snap at the bar's start, then the counter picture burns out: kick alone.
            return {1.0f, bar == 94 ? 0.9f : 0.0f, false, bar == 94 ? 0.5f : 0.0f, 1, false};
        case Section::FinalCountdown:
            return {1.0f, 0.0f, false, 0.5f + 0.1f * float(bar - 102), 2, false};
        case Section::Closing:
            if (bar < 121) return {0.85f, 0.8f, false, 0.5f, bar < 119 ? 1 : 2, false};
            return {0.0f, 0.0f, false, bar == 121 ? 0.35f : 0.0f, 2, false};
        case Section::Opening:
        case Section::Choice:
        case Section::Credits:
        case Section::Fade:
            break;
    }
    return {};
}

void Composer::FourOnTheFloor(int bar, float velocity) {
    // The downbeat at full velocity, the other beats a little softer, so the bar line is felt.
    for (int beat = 0; beat < 4; ++beat) {
        Add(Instrument::Kick, bar, beat * 4, 4, 0, beat == 0 ? velocity : velocity * kOffDownbeat);
    }
}

void Composer::Backbeat(int bar, float velocity, bool clap) {
    // Beat four answers the bar's downbeat and carries the accent.
    Add(Instrument::Snare, bar, 4, 1, 0, velocity * kOffDownbeat);
    Add(Instrument::Snare, bar, 12, 1, 0, velocity);
    if (clap) {
        Add(Instrument::Clap, bar, 4, 1, 0, velocity * 0.8f);
        Add(Instrument::Clap, bar, 12, 1, 0, velocity * 0.8f);
    }
}

void Composer::Hats(int bar, float velocity, int stride, bool openOffbeats) {
    // Sixteenths (stride 1) or eighths (stride 2), the off-beat eighth accented or played open.
    for (int step = 0; step < 16; step += stride) {
        if (openOffbeats && step % 4 == 2) {
            Add(Instrument::OpenHat, bar, step, 2, 0, velocity * 0.8f, 0, true);
            continue;
        }
        const float accent = step % 4 == 2 ? 1.0f : (step % 2 == 1 ? 0.55f : 0.7f);
        Add(Instrument::ClosedHat, bar, step, 1, 0, velocity * accent, 0, true);
    }
}

void Composer::DrumFills(int bar, Section section) {
    switch (section) {
        case Section::RiseOne:
            if (bar == 11) {
                Add(Instrument::Snare, bar, 4, 1, 0, 0.8f);
                Roll(bar, 8, 16, 2, 0.6f, 1.0f);
            }
            break;
        case Section::DropOne:
        case Section::TitleOne:
        case Section::DropThree:
            if (bar == 19 || bar == 38) Roll(bar, 8, 16, 2, 0.5f, 0.9f);
            break;
        case Section::BreakTwo:
            if (bar == 23) {
                Roll(bar, 0, 8, 2, 0.35f, 0.6f);
                Roll(bar, 8, 16, 1, 0.6f, 1.0f);
            }
            break;
        case Section::GrooveTwo:
            if (bar == 27) Add(Instrument::Snare, bar, 14, 1, 0, 0.55f);
            if (bar == 31) Roll(bar, 8, 16, 1, 0.45f, 1.0f);
            break;
        case Section::FloatThree:
            if (bar == 43) Roll(bar, 8, 16, 1, 0.4f, 1.0f);
            break;
        case Section::MainTwo:
        case Section::Lighthouse:
        case Section::Casino:
        case Section::Movies:
        case Section::Explosion:
            if (section == Section::Casino && bar % 2 == 1) Add(Instrument::Kick, bar, 14, 2, 0, 0.7f);
            if (bar % 4 == 3 && section != Section::Explosion) Add(Instrument::Snare, bar, 15, 1, 0, 0.5f);
            if (bar == 58 || bar == 101) Roll(bar, 8, 16, 1, 0.5f, 1.0f);
            break;
        case Section::Machine:
            if (bar == 78) Roll(bar, 8, 16, 2, 0.6f, 1.0f);
            break;
        case Section::Countdown:
            if (bar == 80) Roll(bar, 0, 16, 1, 0.5f, 1.0f);
            break;
        case Section::Choice:
            // Holding its breath: a slow heartbeat, one soft double thump a bar.
            Add(Instrument::Kick, bar, 0, 2, 0, 0.7f);
            Add(Instrument::Kick, bar, 1, 2, 0, 0.4f);
            break;
        case Section::Western:
            Add(Instrument::Kick, bar, 0, 4, 0, 0.9f);
            Add(Instrument::Kick, bar, 10, 2, 0, 0.6f);
            Add(Instrument::Snare, bar, 8, 1, 0, 0.85f);
            break;
        case Section::Resume:
            if (bar != 94) Add(Instrument::Clap, bar, 0, 1, 0, 1.0f);
            break;
        case Section::FinalCountdown: {
            // The roll speeds up bar by bar: quarters, eighths, sixteenths, and a crescendo.
            const int i = bar - 102;
            const int stride = i == 0 ? 4 : (i == 1 ? 2 : 1);
            Roll(bar, 0, 16, stride, 0.45f + 0.15f * float(i), 0.6f + 0.13f * float(i));
            break;
        }
        case Section::Closing:
            if (bar == 121) Add(Instrument::Kick, bar, 0, 4, 0, 0.8f);
            break;
        case Section::Opening:
        case Section::Credits:
        case Section::Fade:
            break;
    }
}

void Composer::Drums(int bar, Section section) {
    const Groove groove = GrooveOf(bar, section);
    if (groove.kick > 0.0f) FourOnTheFloor(bar, groove.kick);
    if (groove.snare > 0.0f) Backbeat(bar, groove.snare, groove.clap);
    if (groove.hats > 0.0f) Hats(bar, groove.hats, groove.hatStride, groove.openHats);
    DrumFills(bar, section);
}

void Composer::BassLine(int bar, Section section, const Chord& chord) {
    const float root = float(chord.bass);
    auto offbeats = [&](float brightness) {
        for (int beat = 0; beat < 4; ++beat) {
            Add(Instrument::Bass, bar, beat * 4 + 2, 1.6, root, 0.9f, brightness, true);
        }
    };
    // Three sixteenths after every kick: the rolling bass of the energetic sections.
    auto rolling = [&](float brightness) {
        for (int beat = 0; beat < 4; ++beat) {
            for (int s = 1; s < 4; ++s) {
                const float note = (s == 2 && beat % 2 == 1) ? root + 12 : root;
                Add(Instrument::Bass, bar, beat * 4 + s, 0.8, note, s == 1 ? 0.75f : 0.9f, brightness, true);
            }
        }
    };
    switch (section) {
        case Section::Opening:
            if (bar >= 4) Add(Instrument::Bass, bar, 0, 15, root, 0.5f, 0.05f);
            break;
        case Section::RiseOne:
            offbeats(0.15f + 0.1f * float(bar - 8));
            break;
        case Section::DropOne:
        case Section::TitleOne:
        case Section::GrooveTwo:
        case Section::DropThree:
            offbeats(0.55f);
            Add(Instrument::Bass, bar, 15, 0.8, root + 12, 0.6f, 0.6f, true);
            break;
        case Section::BreakTwo:
            Add(Instrument::Bass, bar, 0, 14, root, 0.7f, 0.1f);
            break;
        case Section::FloatThree:
            Add(Instrument::Bass, bar, 0, 7, root, 0.8f, 0.2f);
            Add(Instrument::Bass, bar, 8, 7, root, 0.7f, 0.2f);
            break;
        case Section::MainTwo:
        case Section::Lighthouse:
        case Section::Casino:
        case Section::Movies:
        case Section::Explosion:
        case Section::Machine:
            rolling(section == Section::Machine ? 0.35f : 0.6f);
            break;
        case Section::Countdown:
        case Section::Resume:
            offbeats(0.3f);
            break;
        case Section::Choice:
            Add(Instrument::Bass, bar, 0, 16, root, 0.6f, 0.05f);
            break;
        case Section::Western:
            // Root and fifth on the beats, like a plucked upright.
            for (int beat = 0; beat < 4; ++beat) {
                Add(Instrument::Bass, bar, beat * 4, 3, root + (beat % 2 ? 7 : 0), 0.75f, 0.1f);
            }
            break;
        case Section::FinalCountdown:
            // A pedal on the dominant's root that rises in brightness towards the explosion.
            for (int step = 2; step < 16; step += 4) {
                Add(Instrument::Bass, bar, step, 1.6, root, 0.9f, 0.2f + 0.15f * float(bar - 102), true);
            }
            break;
        case Section::Closing:
            if (bar < 121)
                offbeats(0.3f);
            else
                Add(Instrument::Bass, bar, 0, 15, root, 0.6f, 0.05f);
            break;
        case Section::Credits:
            Add(Instrument::Bass, bar, 0, 15, root, 0.5f, 0.05f);
            break;
        case Section::Fade:
            if (bar == 127) Add(Instrument::Bass, bar, 0, 60, root, 0.5f, 0.05f);
            break;
    }
}

void Composer::Harmony(int bar, Section section, const Chord& chord) {
    // Pads: one sustained chord a bar; `param` is the filter's brightness.
    auto pad = [&](float velocity, float brightness, double steps = 16) {
        for (int tone : chord.tones) Add(Instrument::Pad, bar, 0, steps, float(tone), velocity, brightness);
    };
    // Stabs: short bright chords an octave up on a syncopated pattern.
    auto stabs = [&](const int* steps, int count, float velocity) {
        for (int i = 0; i < count; ++i) {
            for (int t = 0; t < 3; ++t) {
                Add(Instrument::Stab, bar, steps[i], 1.5, float(chord.tones[t] + 12), velocity, 0.7f, true);
            }
        }
    };
    // Plucked arpeggio in sixteenths over two octaves.
    auto arpeggio = [&](float velocity, float brightness, int stride) {
        const int order[8] = {0, 1, 2, 3, 4, 3, 2, 1};
        for (int step = 0; step < 16; step += stride) {
            const int k = order[(step / stride) % 8];
            const int note = k < 4 ? chord.tones[k] + 12 : chord.tones[0] + 24;
            Add(Instrument::Pluck, bar, step, 2, float(note), velocity * (step % 4 == 0 ? 1.0f : 0.75f),
                brightness, true);
        }
    };
    static const int kStabsA[3] = {2, 7, 10};
    static const int kStabsB[4] = {0, 3, 6, 10};
    static const int kStabsC[5] = {2, 5, 8, 11, 14};
    switch (section) {
        case Section::Opening:
            pad(0.75f + 0.03f * float(bar), 0.15f + 0.03f * float(bar));
            arpeggio(bar < 4 ? 0.35f : 0.55f, 0.35f, bar < 4 ? 4 : 2);
            break;
        case Section::RiseOne:
            pad(0.45f, 0.3f + 0.08f * float(bar - 8));
            arpeggio(0.5f, 0.4f + 0.1f * float(bar - 8), 1);
            break;
        case Section::DropOne:
        case Section::TitleOne:
            pad(0.3f, 0.4f);
            stabs(kStabsA, 3, 0.7f);
            break;
        case Section::BreakTwo:
            pad(0.9f, 0.3f);
            arpeggio(0.55f, 0.5f, 1);
            break;
        case Section::GrooveTwo:
            pad(0.3f, 0.45f);
            if (bar < 28)
                arpeggio(0.45f, 0.5f, 1);
            else
                stabs(kStabsB, 4, 0.65f);
            break;
        case Section::DropThree:
            pad(0.3f, 0.45f);
            stabs(kStabsC, 5, 0.6f);
            break;
        case Section::FloatThree:
            pad(0.6f, 0.35f);
            arpeggio(0.45f, 0.45f, 2);
            break;
        case Section::MainTwo:
        case Section::Movies:
        case Section::Explosion:
            pad(0.35f, 0.5f);
            stabs(bar % 2 == 0 ? kStabsA : kStabsB, bar % 2 == 0 ? 3 : 4, 0.75f);
            break;
        case Section::Lighthouse:
            pad(0.45f, 0.5f);
            arpeggio(0.5f, 0.6f, 1);
            break;
        case Section::Casino:
            pad(0.3f, 0.45f);
            stabs(kStabsC, 5, 0.75f);
            break;
        case Section::Machine:
            pad(0.5f, 0.25f);
            stabs(kStabsA, 3, 0.6f);
            break;
        case Section::Countdown:
        case Section::Choice:
        case Section::Resume:
            pad(0.75f, 0.2f);
            break;
        case Section::Western:
            // Strummed chords: the tones of the chord plucked a few milliseconds apart.
            for (int beat = 0; beat < 4; ++beat) {
                for (int t = 0; t < 4; ++t) {
                    Add(Instrument::Pluck, bar, beat * 4 + (beat % 2 ? 2 : 0) + t * 0.07, 4,
                        float(chord.tones[t]), beat % 2 ? 0.45f : 0.6f, 0.55f);
                }
            }
            break;
        case Section::FinalCountdown:
            pad(0.6f + 0.05f * float(bar - 102), 0.3f + 0.15f * float(bar - 102));
            break;
        case Section::Closing:
            pad(0.6f, 0.35f);
            if (bar >= 119) arpeggio(0.4f, 0.4f, 2);
            break;
        case Section::Credits:
            pad(0.9f, 0.25f);
            arpeggio(0.4f, 0.3f, 2);
            break;
        case Section::Fade:
            if (bar == 127) {
                for (int tone : chord.tones) Add(Instrument::Pad, bar, 0, 64, float(tone), 0.9f, 0.2f);
            }
            break;
    }
}

void Composer::Melody(int startBar, const std::vector<PhraseNote>& phrase, Instrument instrument,
                      int transpose, float velocity, int firstBar, int barCount) {
    float previous = 0.0f;
    for (const PhraseNote& n : phrase) {
        if (n.bar < firstBar || n.bar >= firstBar + barCount) continue;
        const float note = float(n.note + transpose);
        // Lead notes glide from the previous one; `param` carries where the glide starts.
        Add(instrument, startBar + n.bar - firstBar, n.step, n.length, note,
            velocity * (n.step % 4 == 0 ? 1.0f : 0.85f), previous > 0 ? previous : note, true);
        previous = note;
    }
}

void Composer::Melodies(int bar, Section section) {
    // Melodies start at the top of their section (or at named bars) and run four bars.
    auto at = [&](int startBar, const std::vector<PhraseNote>& phrase, Instrument instrument, int transpose,
                  float velocity, int bars = 4) {
        if (bar == startBar) Melody(startBar, phrase, instrument, transpose, velocity, 0, bars);
    };
    switch (section) {
        case Section::DropOne:
            at(12, kMelodyA, Instrument::Lead, 0, 0.8f);
            break;
        case Section::TitleOne:
            at(16, kMelodyB, Instrument::Lead, 0, 0.8f);
            break;
        case Section::BreakTwo:
            at(20, kMelodyA, Instrument::Bell, 12, 0.5f);
            break;
        case Section::GrooveTwo:
            at(28, kMelodyA, Instrument::Lead, 0, 0.75f);
            break;
        case Section::DropThree:
            at(32, kMelodyB, Instrument::Lead, 0, 0.8f);
            at(36, kMelodyA, Instrument::Lead, 0, 0.8f, 3);
            break;
        case Section::FloatThree:
            at(39, kClosing, Instrument::Bell, 12, 0.45f);
            break;
        case Section::MainTwo:
            at(44, kMelodyA, Instrument::Lead, 0, 0.85f);
            at(48, kMelodyB, Instrument::Lead, 0, 0.85f);
            at(52, kMelodyA, Instrument::Lead, 12, 0.7f);
            at(52, kMelodyA, Instrument::Pluck, 0, 0.6f);
            at(56, kMelodyB, Instrument::Lead, 0, 0.85f, 3);
            break;
        case Section::Lighthouse:
            at(59, kMelodyB, Instrument::Bell, 12, 0.5f);
            break;
        case Section::Casino:
            at(64, kMelodyA, Instrument::Lead, 0, 0.8f);
            at(68, kMelodyB, Instrument::Lead, 0, 0.8f);
            at(72, kMelodyA, Instrument::Lead, 12, 0.65f, 2);
            break;
        case Section::Western:
            at(86, kWhistle, Instrument::Whistle, 0, 0.8f);
            at(90, kWhistle, Instrument::Whistle, 12, 0.6f);
            break;
        case Section::Movies:
            at(96, kMelodyA, Instrument::Lead, 0, 0.85f);
            at(100, kMelodyB, Instrument::Lead, 0, 0.85f, 2);
            break;
        case Section::Explosion:
            at(108, kMelodyB, Instrument::Lead, 0, 0.9f);
            at(112, kMelodyA, Instrument::Lead, 12, 0.75f);
            at(112, kMelodyA, Instrument::Lead, 0, 0.75f);
            break;
        case Section::Closing:
            at(116, kClosing, Instrument::Lead, 0, 0.7f);
            at(120, kClosing, Instrument::Bell, 12, 0.5f, 3);
            break;
        case Section::Credits:
            at(123, kClosing, Instrument::Bell, 12, 0.45f);
            break;
        default:
            break;
    }
}

void Composer::Effects() {
    // Crashes open the sections that hit hard.
    for (int bar : {12, 16, 24, 32, 44, 52, 59, 64, 96, 116}) Add(Instrument::Crash, bar, 0, 16, 0, 0.8f);
    // Impacts: the bombs hit the mountain (act one, fx 50), act two's explosion, part two's start,
    // the pliers' snap; the biggest one is the explosion of heads.
    for (int bar : {14, 20, 44, 95}) {
        Add(Instrument::Impact, bar, 0, 16, 0, 0.8f, 1.0f);
        Add(Instrument::Crash, bar, 0, 16, 0, 0.9f);
    }
    Add(Instrument::Impact, 106, 0, 32, 0, 1.0f, 2.5f);
    Add(Instrument::Crash, 106, 0, 32, 0, 1.0f);
    // Risers into the drops; `length` sets the sweep.
    Add(Instrument::Riser, 22, 0, 32, 0, 0.5f);
    Add(Instrument::Riser, 30, 0, 32, 0, 0.45f);
    Add(Instrument::Riser, 42, 0, 32, 0, 0.5f);
    Add(Instrument::Riser, 80, 0, 16, 0, 0.5f);
    Add(Instrument::Riser, 85, 0, 16, 0, 0.35f);
    Add(Instrument::Riser, 102, 0, 64, 0, 0.55f);
    // The counter's clock. Under the machine's countdown it ticks in sixteenths, high and low
    // alternating; during the defuse and the choice in eighths.
    for (int bar = 79; bar < 86; ++bar) {
        const int stride = bar == 79 ? 1 : 2;
        for (int step = 0; step < 16; step += stride) {
            Add(Instrument::Tick, bar, step, 0.1, (step / stride) % 2 ? 79.0f : 84.0f, 0.25f);
        }
    }
    for (int step = 0; step < 32; step += 2)
        Add(Instrument::Tick, 94, step, 0.1, step % 4 ? 79.0f : 84.0f, 0.25f);
    // The final countdown beeps like a bomb timer on every change of the counter's figure.
    // The counter drops one unit per 20 / 7 effect units, at five effect units a bar.
    for (int k = 0; k < 7; ++k) {
        const double bars = k * (20.0 / 7.0) / 5.0;
        const int bar = 102 + int(bars);
        const double step = (bars - int(bars)) * 16;
        Add(Instrument::Tick, bar, step, 1.2, 84.0f, 1.0f);
    }
}

Score Composer::Compose() {
    for (const SectionSpan& span : Sections()) {
        for (int bar = span.startBar; bar < span.startBar + span.bars; ++bar) {
            const Chord chord = ChordAt(bar);
            Drums(bar, span.section);
            BassLine(bar, span.section, chord);
            Harmony(bar, span.section, chord);
            Melodies(bar, span.section);
        }
    }
    Effects();
    std::stable_sort(score_.events.begin(), score_.events.end(),
                     [](const NoteEvent& a, const NoteEvent& b) { return a.start < b.start; });
    return std::move(score_);
}

}  // namespace

Score ComposeScore() {
    return Composer().Compose();
}

float DuckDepthAt(int bar) {
    switch (SectionAt(bar)) {
        case Section::Opening:
        case Section::BreakTwo:
        case Section::Choice:
        case Section::Credits:
        case Section::Fade:
            return 0.0f;
        case Section::Western:
        case Section::Closing:
            return 0.3f;
        default:
            return 0.6f;
    }
}

}  // namespace assets
