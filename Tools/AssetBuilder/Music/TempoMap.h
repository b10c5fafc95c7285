// The one tempo map the music and the sync scripts share: a steady 125 beats per minute in 4/4, and
// the timeline that says at which bar each scene, act and block starts. The music arranges its
// sections on these bars and the scripts place their timing keys on them, so every scene change
// the viewer sees lands on a bar line of the track.
#pragma once

#include <string>
#include <vector>

namespace assets {

inline constexpr int kSampleRate = 44100;
inline constexpr double kBeatsPerMinute = 125.0;
inline constexpr int kBeatsPerBar = 4;
// 125 bpm makes a sixteenth exactly 5292 samples, so every grid point is a whole sample.
inline constexpr int kSamplesPerSixteenth = 5292;
inline constexpr int kSamplesPerBeat = 4 * kSamplesPerSixteenth;
inline constexpr int kSamplesPerBar = kBeatsPerBar * kSamplesPerBeat;
inline constexpr double kBarSeconds = double(kSamplesPerBar) / kSampleRate;  // 1.92 s

// The program stops at this music time; the music runs on a little past it and fades.
inline constexpr double kRunEndSeconds = 245.0;
// Whole length of the track in bars (the last ones fade out) and in samples.
inline constexpr int kTrackBars = 132;
inline constexpr long kTrackSamples = long(kTrackBars) * kSamplesPerBar;

// Music time in seconds of a (possibly fractional) bar position.
inline double BarSeconds(double bar) {
    return bar * kBarSeconds;
}
// Sample index of a (possibly fractional) bar position, rounded to the nearest sample.
long BarSample(double bar);

// One point of a scene's map from music to effect time: at `bar`, the scene's effect time is `fx`.
struct SyncAnchor {
    double bar;
    float fx;
};

// A beat band as a script declares it.
struct BandSetting {
    int startBin;
    int endBin;
    float threshold;
    float gravity;
    const char* role;  // what the band is tuned to follow, for the report
};

// Everything one sync script holds.
struct ScenePlan {
    std::string member;               // archive path of the script
    std::vector<BandSetting> bands;   // in the order the scene reads them
    std::vector<SyncAnchor> anchors;  // increasing bars and effect times
    double endSeconds;                // music time of the last key (the window's end)
};

// The three scenes in the order they play: intro, part one, part two.
const std::vector<ScenePlan>& ScenePlans();

// The sections of the music, each a run of bars with one arrangement.
enum class Section {
    Opening,         // calm pads and an arpeggio under the two title cards
    RiseOne,         // part one's first act opens: kick, bass and hats come in
    DropOne,         // bombs fall: the first full groove with the lead
    TitleOne,        // title and logo: the groove with the second melody
    BreakTwo,        // act two opens on an explosion, then a breakdown without kick
    GrooveTwo,       // act two's rings and villains: full groove, rolls at its end
    DropThree,       // act three: the dance
    FloatThree,      // parachutes: light groove building into part two
    MainTwo,         // part two's opening: the most energetic material
    Lighthouse,      // the lighthouse beams
    Casino,          // slot machines and dollar rain
    Machine,         // the evil machine: darker chords
    Countdown,       // the counter ticks and runs wild, the defuse scene
    Choice,          // red or green: ticking over held chords
    Western,         // the western set: half-time, plucked strums and a whistle
    Resume,          // the counter resumes, the pliers snap, the counter burns out
    Movies,          // movie stills: the groove is back
    FinalCountdown,  // 0:07 to 0:00: rolls and a riser into the explosion
    Explosion,       // the big hit and the explosion of heads
    Closing,         // the closing stills: melody over thinning drums
    Credits,         // closing pictures and credits: no drums
    Fade,            // past the end of the run: last chord fading out
};

struct SectionSpan {
    Section section;
    int startBar;
    int bars;
};

// All sections in order, covering bars 0 to kTrackBars without gaps.
const std::vector<SectionSpan>& Sections();
// The section a bar belongs to.
Section SectionAt(int bar);

}  // namespace assets
