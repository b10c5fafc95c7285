// A program state for scene tests: every catalogue picture registered as a solid, distinctly
// coloured bitmap of the size it has in the generated archive, an analyser whose band levels the
// test sets, and a wall clock the test steps.
#pragma once

#include "AssetBuilder/Pictures/Manifest.h"
#include "Audio/SpectrumAnalyser.h"
#include "Data/Catalogue.h"
#include "Data/Images.h"
#include "Render/Bitmap.h"
#include "Production/Production.h"
#include "Data/MemoryDataFile.h"
#include "Sync/DemoPart.h"
#include "Utils/Platform.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
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

// The size each picture has in the generated archive, read from the asset builder's manifest
// while compiling: the drawing functions its rows name are never called here, so nothing of the
// builder is linked.
consteval std::array<std::pair<int, int>, kCatalogueSize> ManifestSizes() {
    std::array<std::pair<int, int>, kCatalogueSize> sizes{};
    for (int guid = 0; guid < kCatalogueSize; ++guid) {
        sizes[guid] = {assets::kManifest[guid].size.width, assets::kManifest[guid].size.height};
    }
    return sizes;
}
inline constexpr std::array<std::pair<int, int>, kCatalogueSize> kPictureSizes = ManifestSizes();

inline std::pair<int, int> PictureSize(int guid) {
    return kPictureSizes.at(static_cast<size_t>(guid));
}

class SceneFixture {
public:
    // A production without music or parts, on an empty archive, whose pictures are the solid ones.
    SceneFixture() : clockGuard(&clock), production(Setup(archive)) { Fill(kUntouched); }

    // The light maps: blue only, so adding one brightens by a known amount; the explosions add nothing.
    static uint32_t Colour(int guid) {
        const int32_t* name = catalogue[guid].guid;
        if (name == &cervinglowGuid) return 10;
        if (name == &cervinglow2Guid) return 20;
        if (name == &cervinexplosionGuid || name == &cervinexplosion2Guid) return 0;
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

// The colour the fixture gave a picture.
inline uint32_t ColourOf(int guid) {
    return SceneFixture::Colour(guid);
}
