// A program state for scene tests: every catalogue picture registered as a solid, distinctly
// coloured bitmap of the size its scenes expect, an analyser whose band levels the test sets,
// and a wall clock the test steps.
#pragma once

#include "Audio/SpectrumAnalyser.h"
#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Render/Bitmap.h"
#include "Production/Production.h"
#include "Data/MemoryDataFile.h"
#include "Sync/DemoPart.h"
#include "Utils/Platform.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <set>
#include <utility>

class SteppedWallClock : public platform::WallClock {
public:
    uint32_t Ticks() override { return ticks; }
    uint32_t ticks = 1000;
};

// Solid colours with red, green and blue all well inside 1..200, so added light never saturates
// them and none is pure green, black or white. The light maps get a blue of their own (see below).
inline uint32_t PictureColour(int guid) {
    return (static_cast<uint32_t>(20 + (guid * 37) % 180) << 16) |
           (static_cast<uint32_t>(20 + (guid * 53) % 180) << 8) |
           static_cast<uint32_t>(20 + (guid * 71) % 180);
}

inline std::pair<int, int> PictureSize(int guid) {
    switch (guid) {
        case 3:
        case 4:
            return {1024, 608};
        case 13:
            return {120, 240};
        case 15:
            return {210, 455};
        case 16:
            return {500, 300};
        case 17:
            return {400, 150};
        case 18:
            return {300, 80};
        case 19:
            return {470, 64};
        case 20:
            return {300, 150};
        case 21:
            return {590, 40};
        case 22:
            return {416, 131};  // texts/vostel1.png
        case 23:
            return {311, 129};  // texts/vostel2.png
        case 25:
            return {80, 40};
        case 26:
            return {40, 20};
        case 29:
            return {326, 250};
        case 30:
            return {250, 205};
        case 31:
            return {110, 240};
        case 32:
            return {160, 360};
        case 33:
            return {240, 80};
        case 34:
            return {464, 88};  // sorvanik/phare.png
        case 35:
            return {120, 100};
        case 36:
            return {120, 120};
        case 37:
            return {210, 90};
        case 39:
            return {364, 389};  // pelmarov/vostel_alone.png
        case 46:
            return {213, 320};  // pelmarov/casino_machine_a_sou.png
        case 98:
            return {640, 152};
        case 99:
            return {290, 68};
        default:
            break;
    }
    static const std::set<int> fullFrame = {0,  1,  2,  6,  7,  8,  9,  10, 11, 12, 14, 27,
                                            28, 38, 45, 47, 48, 49, 50, 51, 52, 53, 74, 75,
                                            76, 77, 78, 79, 80, 87, 88, 89, 90, 91, 92, 93};
    if (fullFrame.count(guid) != 0) return {640, 480};
    return {64, 64};
}

class SceneFixture {
public:
    // A production without music or parts, on an empty archive, whose pictures are the solid ones.
    SceneFixture() : clockGuard(&clock), production(Setup(archive)) { Fill(kUntouched); }

    // The light maps: blue only, so adding one brightens by a known amount; the explosions add nothing.
    static uint32_t Colour(int guid) {
        if (guid == 6) return 10;  // sorvanik/cervinglow.jpg
        if (guid == 7) return 20;  // sorvanik/cervinglow2.jpg
        if (guid == 27 || guid == 28) return 0;
        return PictureColour(guid);
    }

    // Gives a part the window [0, end) with effect time equal to music time, and `bands` beat bands.
    void Prepare(DemoPart& part, float end, int bands) {
        part.timingKeys = {{0.0f, 0.0f}, {end, end}};
        part.windowStart = 0.0f;
        part.windowEnd = end;
        part.bandIds.clear();
        for (int i = 0; i < bands; ++i) {
            part.bandIds.push_back(production.Analyser().AddBand(0, 60, 0.5f, 0.0f, 0.0f));
        }
    }
    void SetBeat(const DemoPart& part, size_t n, float level) {
        production.Analyser().SetBandLevel(part.bandIds.at(n), level);
    }

    Bitmap* Canvas() { return &production.Canvas(); }
    // The title composition the parts are made over, composed from the solid pictures.
    const Bitmap* Title() const { return production.Title(); }
    void Fill(uint32_t value) { std::fill(Canvas()->pixels, Canvas()->pixels + Canvas()->size, value); }
    uint32_t At(int x, int y) { return Canvas()->pixels[y * kScreenWidth + x]; }
    int Count(uint32_t value) {
        return static_cast<int>(std::count(Canvas()->pixels, Canvas()->pixels + Canvas()->size, value));
    }
    bool Untouched() { return Count(kUntouched) == Canvas()->size; }

    static constexpr uint32_t kUntouched = 0x00123456;
    SteppedWallClock clock;

private:
    static ProductionSetup Setup(MemoryDataFile& archive) {
        ProductionSetup setup;
        setup.archive = &archive;
        setup.parts = false;
        setup.registerPictures = [] {
            for (int guid = 0; guid < kCatalogueSize; ++guid) {
                const auto [w, h] = PictureSize(guid);
                auto bitmap = std::make_unique<Bitmap>(w, h);
                std::fill(bitmap->pixels, bitmap->pixels + bitmap->size, Colour(guid));
                ImageEntry entry;
                entry.bitmap = std::move(bitmap);
                entry.guid = guid;
                imageTable.push_back(std::move(entry));
                *catalogue[guid].guid = guid;
            }
            nextImageGuid = kCatalogueSize;
        };
        return setup;
    }

    platform::ScopedWallClock clockGuard;
    MemoryDataFile archive;
    Production production;
};
