// The generated track, made once per test process: rendered, encoded, decoded through the player's
// decoder, and its beat bands traced. Synthesizing four minutes of music is the expensive part, so
// every test that needs it shares this one copy.
#pragma once

#include "AssetBuilder/BandReport.h"
#include "AssetBuilder/Music.h"
#include "AssetBuilder/MusicScore.h"
#include "AssetBuilder/Scripts.h"
#include "Audio/Mp3Decoder.h"

#include <string>
#include <vector>

struct SharedTrack {
    std::vector<int16_t> rendered;  // what the synthesizer wrote
    std::vector<uint8_t> mp3;
    std::vector<int16_t> decoded;  // what the player's decoder gives back
    bool decodes = false;
    std::string decodeError;
};

inline const SharedTrack& Track() {
    static const SharedTrack track = [] {
        SharedTrack t;
        t.rendered = assets::RenderMusic();
        t.mp3 = assets::EncodeMp3(t.rendered);
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
