// The timeline: where each scene's effect time sits on the bars of the track, and the music's
// sections on the same bars.
#include "AssetBuilder/Music/TempoMap.h"

#include <cmath>
#include <stdexcept>

namespace assets {

long BarSample(double bar) {
    return std::lround(bar * kSamplesPerBar);
}

namespace {

// The beat bands, read by position: the kick first, then the snare, then (part two) the countdown's
// beeps. Bins are those of the analyser's smoothed spectrum: smoothed bin i looks at raw FFT bin
// trunc(0.33 * i) (21.5 Hz each) tilted by sqrt(0.33 * i), shifted down by one 4-bin block. The tilt
// is what the kick band is placed for: even a kick at the master ceiling peaks at about 0.5 in the
// raw spectrum, so its band sits on bins 12-23 (about 110-190 Hz, tilted 2.3 to 3 times), where the
// first frames of the driven kick's falling pitch and its overtones land above the ducked bass;
// downbeats reach 0.8 there, the other beats 0.45-0.75. Bins 640-1000 are about 4.7-7.2 kHz, where
// the snare's noise and the ring of its wires sit above the filtered chords and below the hats,
// tilted fifteen times; bins 128-160 about 0.95-1.15 kHz, the bomb timer's beeps at 1047 Hz.
// Gravity 260 lets the kick's level fall by 0.07 a frame, from a downbeat's 0.85 to under 0.25 in
// a sixth of a second; the snare's 400 (0.11 a frame) lets go between the strokes of a roll; the
// beeps' 120 holds each beep's flash for a fifth of a second, then lets it die before the next one.
const BandSetting kKickBand{12, 24, 0.25f, 260.0f, "kick"};
const BandSetting kSnareBand{640, 1000, 0.25f, 400.0f, "snare"};
const BandSetting kBeepBand{128, 160, 0.3f, 120.0f, "beeps"};

std::vector<ScenePlan> MakePlans() {
    std::vector<ScenePlan> plans;
    // The two title cards, four bars each.
    plans.push_back({"syncroscripts/intro.xml", {}, {{0, 0}, {4, 100}, {8, 200}}, BarSeconds(8)});
    // Part one: twelve bars per act. Act one runs at ten effect units a bar except the falling
    // bombs (40-60), which get four bars; act two's opening (100-120) gets four bars; act three
    // slows down for the parachutes (270-290). Every multiple of ten lands on a bar line.
    plans.push_back({"syncroscripts/part1.xml",
                     {kKickBand, kSnareBand},
                     {{8, 0},
                      {12, 40},
                      {16, 60},
                      {20, 100},
                      {24, 120},
                      {32, 200},
                      {35, 230},
                      {37, 250},
                      {39, 270},
                      {43, 290},
                      {44, 300}},
                     BarSeconds(44)});
    // Part two: ten effect units a bar, with the final countdown (580-600) stretched over four
    // bars so it lands on the explosion, and the wire scenes (500-520) cut to beats: counter,
    // pliers, snap two beats each, the last two counter pictures one beat each.
    plans.push_back({"syncroscripts/part2.xml",
                     {kKickBand, kSnareBand, kBeepBand},
                     {{44, 0},
                      {94, 500},
                      {94.5, 505},
                      {95, 510},
                      {95.5, 515},
                      {95.75, 516},
                      {96, 520},
                      {102, 580},
                      {106, 600},
                      {127, 810}},
                     kRunEndSeconds});
    return plans;
}

std::vector<SectionSpan> MakeSections() {
    const std::pair<Section, int> starts[] = {
        {Section::Opening, 0},     {Section::RiseOne, 8},     {Section::DropOne, 12},
        {Section::TitleOne, 16},   {Section::BreakTwo, 20},   {Section::GrooveTwo, 24},
        {Section::DropThree, 32},  {Section::FloatThree, 39}, {Section::MainTwo, 44},
        {Section::Lighthouse, 59}, {Section::Casino, 64},     {Section::Machine, 74},
        {Section::Countdown, 79},  {Section::Choice, 84},     {Section::Western, 86},
        {Section::Resume, 94},     {Section::Movies, 96},     {Section::FinalCountdown, 102},
        {Section::Explosion, 106}, {Section::Closing, 116},   {Section::Credits, 123},
        {Section::Fade, 127},
    };
    std::vector<SectionSpan> spans;
    const int count = int(std::size(starts));
    for (int i = 0; i < count; ++i) {
        const int end = i + 1 < count ? starts[i + 1].second : kTrackBars;
        spans.push_back({starts[i].first, starts[i].second, end - starts[i].second});
    }
    return spans;
}

}  // namespace

const std::vector<ScenePlan>& ScenePlans() {
    static const std::vector<ScenePlan> plans = MakePlans();
    return plans;
}

const std::vector<SectionSpan>& Sections() {
    static const std::vector<SectionSpan> spans = MakeSections();
    return spans;
}

Section SectionAt(int bar) {
    for (const SectionSpan& span : Sections()) {
        if (bar >= span.startBar && bar < span.startBar + span.bars) return span.section;
    }
    return Section::Fade;
}

}  // namespace assets
