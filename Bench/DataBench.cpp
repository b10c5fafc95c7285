// Start-up cost of the pictures: the 100 catalogue members (mostly 640 x 480, PNG and JPEG as
// their names say) read from a zip archive and registered, through the row conversion the
// program uses and, as a yardstick, through one library pixel query per pixel.
#include "Data/Catalogue.h"
#include "Data/DataFile.h"
#include "Data/Images.h"
#include "Support/ImageEncoders.h"
#include "Support/TempDir.h"
#include "Support/ZipWriter.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

namespace {

// Small sprites: dollars, digits, heads. Everything else is a full frame.
bool IsSprite(int guid) {
    return (guid >= 40 && guid <= 44) || (guid >= 63 && guid <= 73) || (guid >= 81 && guid <= 86);
}

// A drawing-like picture: gradients, a few discs, light noise, and for keyed pictures a pure
// green surround.
encode::Bytes Picture(int w, int h, bool keyed, uint32_t seed) {
    std::mt19937 random(seed);
    encode::Bytes rgb(static_cast<size_t>(w) * h * 3);
    struct Disc {
        int x, y, r;
        uint8_t colour[3];
    } discs[6];
    for (Disc& d : discs) {
        d = {
            static_cast<int>(random() % w),
            static_cast<int>(random() % h),
            static_cast<int>(random() % (h / 3) + 4),
            {static_cast<uint8_t>(random()), static_cast<uint8_t>(random()), static_cast<uint8_t>(random())}};
    }
    uint8_t* p = rgb.data();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x, p += 3) {
            const int ex = 2 * x - w, ey = 2 * y - h;
            if (keyed && ex * ex * h * h + ey * ey * w * w > w * w * h * h) {
                p[0] = 0, p[1] = 255, p[2] = 0;
                continue;
            }
            const int noise = static_cast<int>(random() & 7);
            p[0] = static_cast<uint8_t>(x * 255 / w + noise);
            p[1] = static_cast<uint8_t>(y * 200 / h + noise);
            p[2] = static_cast<uint8_t>((x + y + seed) & 0xFF);
            for (const Disc& d : discs) {
                if ((x - d.x) * (x - d.x) + (y - d.y) * (y - d.y) < d.r * d.r) std::memcpy(p, d.colour, 3);
            }
            if (keyed && p[0] == 0 && p[1] == 255 && p[2] == 0) p[1] = 254;
        }
    }
    return rgb;
}

// The archive and the archive object, built once for every benchmark here.
class CatalogueArchive {
public:
    CatalogueArchive() : file_(dir_.File("tarnos.zip")) {
        ZipWriter zip(file_.archivePath);
        for (int guid = 0; guid < kCatalogueSize; ++guid) {
            const CatalogueEntry& entry = catalogue[guid];
            const int w = IsSprite(guid) ? 96 : 640, h = IsSprite(guid) ? 96 : 480;
            const bool jpeg = std::strstr(entry.member, ".jpg") != nullptr;
            const encode::Bytes rgb = Picture(w, h, entry.kind == kKeyed && !jpeg, guid);
            zip.Add(entry.member, jpeg ? encode::Jpeg(w, h, 3, rgb, 90) : encode::Png8(w, h, 3, rgb));
        }
        zip.Close();
        if (!InitDevil()) throw std::runtime_error("InitDevil failed");
        dataFile = &file_;
    }

private:
    TempDir dir_;
    ZipDataFile file_;
};

void UseCatalogueArchive() {
    static CatalogueArchive archive;
}

int64_t CataloguePixels() {
    int64_t pixels = 0;
    for (int guid = 0; guid < kCatalogueSize; ++guid) pixels += IsSprite(guid) ? 96 * 96 : 640 * 480;
    return pixels;
}

// What the program does at start-up: read, check, decode, convert whole rows.
void BM_RegisterCatalogue(benchmark::State& state) {
    UseCatalogueArchive();
    for (auto _ : state) {
        ResetImageRegistry();
        LoadCatalogue();
        benchmark::DoNotOptimize(imageTable.data());
    }
    state.counters["pictures"] = static_cast<double>(imageTable.size());
    state.SetItemsProcessed(state.iterations() * CataloguePixels());
}
BENCHMARK(BM_RegisterCatalogue)->Unit(benchmark::kMillisecond);

// The same pictures read, decoded and flipped, then converted with one GetPixel per pixel.
void BM_RegisterCataloguePerPixel(benchmark::State& state) {
    UseCatalogueArchive();
    for (auto _ : state) {
        ResetImageRegistry();
        for (const CatalogueEntry& entry : catalogue) {
            const std::unique_ptr<DevilImage> image = LoadImage(entry.member);
            const int32_t w = image->GetWidth(), h = image->GetHeight();
            Bitmap bitmap(w, h);
            uint32_t* out = bitmap.pixels;
            for (int32_t y = 0; y < h; ++y) {
                for (int32_t x = 0; x < w; ++x) {
                    const uint32_t colour = image->GetPixel(x, y) & 0xFFFFFF;
                    *out++ = colour | (entry.kind == kKeyed && colour == kKeyColour ? 0xFF000000u : 0u);
                }
            }
            benchmark::DoNotOptimize(bitmap.pixels);
        }
    }
    state.SetItemsProcessed(state.iterations() * CataloguePixels());
}
BENCHMARK(BM_RegisterCataloguePerPixel)->Unit(benchmark::kMillisecond);

// The archive's share: each picture's load and length request, as registration makes them.
void BM_ReadCatalogueMembers(benchmark::State& state) {
    UseCatalogueArchive();
    for (auto _ : state) {
        for (const CatalogueEntry& entry : catalogue) {
            MemberBuffer buffer(dataFile->FLoadFile(entry.member), {dataFile});
            benchmark::DoNotOptimize(dataFile->FileLength(entry.member));
        }
    }
}
BENCHMARK(BM_ReadCatalogueMembers)->Unit(benchmark::kMillisecond);

// An archive of 100,000 empty entries with the catalogue's members behind them: the start-up's
// member requests through a fresh archive object (one directory read, then index lookups). The
// target is well under a second; walking the directory per request took a minute for 65,000.
void BM_CatalogueRequestsBehind100000Entries(benchmark::State& state) {
    static TempDir dir;
    static const std::string path = [] {
        const std::string file = dir.File("crowded.zip");
        ZipWriter zip(file);
        for (int i = 0; i < 100000; ++i)
            zip.Add("filler/" + std::to_string(i), "", ZipWriter::Method::kStored);
        for (const CatalogueEntry& entry : catalogue) zip.Add(entry.member, "x", ZipWriter::Method::kStored);
        zip.Close();
        return file;
    }();
    for (auto _ : state) {
        ZipDataFile archive(path);
        for (const CatalogueEntry& entry : catalogue) {
            MemberBuffer buffer(archive.FLoadFile(entry.member), {&archive});
            benchmark::DoNotOptimize(archive.FileLength(entry.member));
        }
    }
}
BENCHMARK(BM_CatalogueRequestsBehind100000Entries)->Unit(benchmark::kMillisecond);

}  // namespace
