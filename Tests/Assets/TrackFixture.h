// The generated track, made at most once per test process and only as far as a test needs it:
// rendered, then encoded and decoded through the player's decoder, then its beat bands traced.
// Synthesizing four minutes of music is the expensive part, so every test shares this one copy.
#pragma once

#include "AssetBuilder/Music/BandReport.h"
#include "AssetBuilder/Music/Music.h"
#include "AssetBuilder/Music/MusicScore.h"
#include "AssetBuilder/Archive/Scripts.h"
#include "Audio/Mp3Decoder.h"

#include <string>
#include <vector>

// What the synthesizer wrote.
inline const std::vector<int16_t>& RenderedTrack() {
    static const std::vector<int16_t> rendered = assets::RenderMusic();
    return rendered;
}

struct EncodedTrack {
    std::vector<uint8_t> mp3;
    std::vector<int16_t> decoded;  // what the player's decoder gives back
    bool decodes = false;
    std::string decodeError;
};

inline const EncodedTrack& Track() {
    static const EncodedTrack track = [] {
        EncodedTrack t;
        t.mp3 = assets::EncodeMp3(RenderedTrack());
        t.decodes = audio::DecodeMp3(reinterpret_cast<const char*>(t.mp3.data()), t.mp3.size(), t.decoded,
                                     &t.decodeError);
        return t;
    }();
    return track;
}

inline const std::vector<assets::BandTrace>& TrackBands() {
    static const std::vector<assets::BandTrace> bands =
        assets::TraceBands(Track().mp3, assets::BuildScripts());
    return bands;
}
