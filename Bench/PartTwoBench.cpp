// Part two's heaviest frames of its opening and casino scenes (effect time 0 to 300), each a whole
// PartTwo::Render at a time and beat where the most blocks draw, on picture-like contents. Each
// benchmark times a memcpy of one frame in the same run and reports its frame time as a multiple
// of that ("x memcpy"; the frames are meant to stay within 10).
#include "BenchPictures.h"
#include "Data/Catalogue.h"
#include "Parts/PartTwo.h"
#include "Support/SceneFixture.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstring>
#include <memory>

namespace {

// CPU seconds of this thread: steadier than the wall clock on a machine shared by many jobs.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The fixture's registry, with every picture repainted, and a part two with three bands.
struct Stage {
    SceneFixture scene;
    std::unique_ptr<PartTwo> part;
    Stage() {
        for (int guid = 0; guid < kCatalogueSize; ++guid) {
            PaintBenchPicture(*GetBitmap(guid), static_cast<uint32_t>(guid) * 29,
                              catalogue[guid].kind == kKeyed);
        }
        part = std::make_unique<PartTwo>(scene.Title());
        scene.Prepare(*part, 900.0f, 3);
    }
};
Stage& TheStage() {
    static Stage stage;
    return stage;
}

// CPU microseconds per memcpy of one 640 x 480 frame: the fastest of a few timed batches.
double MemcpyMicros() {
    static Bitmap from(kScreenWidth, kScreenHeight), to(kScreenWidth, kScreenHeight);
    std::fill_n(from.pixels, from.size, 0x00336699u);
    double best = 1e30;
    for (int batch = 0; batch < 5; ++batch) {
        const double start = ThreadSeconds();
        for (int i = 0; i < 200; ++i) {
            std::memcpy(to.pixels, from.pixels, sizeof(uint32_t) * kScreenWidth * kScreenHeight);
            benchmark::ClobberMemory();
        }
        best = std::min(best, (ThreadSeconds() - start) * 1e6 / 200);
    }
    return best;
}

void Frame(benchmark::State& state, float fx, float b0, float b1) {
    Stage& stage = TheStage();
    stage.scene.SetBeat(*stage.part, 0, b0);
    stage.scene.SetBeat(*stage.part, 1, b1);
    stage.scene.clock.ticks = 5000;
    stage.part->Render(stage.scene.Canvas(), fx);  // the first jump of a magnifier happens here
    const double start = ThreadSeconds();
    for (auto _ : state) {
        stage.part->Render(stage.scene.Canvas(), fx);
        benchmark::ClobberMemory();
    }
    const double iterations = static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations()));
    const double frame = (ThreadSeconds() - start) * 1e6 / iterations;
    state.counters["x memcpy"] = frame / MemcpyMicros();
}

#define PART_TWO_FRAME(name, fx, b0, b1)       \
    BENCHMARK_CAPTURE(Frame, name, fx, b0, b1) \
        ->Unit(benchmark::kMicrosecond)        \
        ->Repetitions(3)                       \
        ->ReportAggregatesOnly(false)

// Block 1's 4x zoom of the title picture under both ring passes of block 2, the rising figure.
PART_TWO_FRAME(opening_fx5_zoom_both_rings, 5.0f, 1.0f, 0.6f);
// Five scaled echoes of the figure, the brightness cut, the caption.
PART_TWO_FRAME(opening_fx30_echoes_cut, 30.0f, 1.0f, 0.6f);
// Full-frame noise bars, the figure and the AND mask, the caption.
PART_TWO_FRAME(opening_fx50_noise_mask, 50.0f, 1.0f, 0.6f);
// Two row rotations around the flickering figure (sin(10 t) > 0 at 60).
PART_TWO_FRAME(opening_fx60_flicker, 60.0f, 1.0f, 0.6f);
// The figure with both captions scaled up to 2.5 times.
PART_TWO_FRAME(opening_fx85_captions, 85.0f, 1.0f, 0.6f);
// The white sweep and its mask over the magnifier.
PART_TWO_FRAME(opening_fx105_sweep_mask, 105.0f, 0.9f, 0.6f);
// The random magnifier, the mask and the black sweep.
PART_TWO_FRAME(opening_fx115_random_zoom, 115.0f, 0.9f, 0.6f);
// Four beams added, the frame lit, five wave bands, the casino flash, the OR mask and the sweep.
PART_TWO_FRAME(casino_fx165_beams_bands_flash, 165.0f, 1.0f, 1.0f);
// The same with the lady flash.
PART_TWO_FRAME(casino_fx185_beams_bands_lady, 185.0f, 1.0f, 1.0f);
// The interior lit twice, three machines and their added copies.
PART_TWO_FRAME(casino_fx230_machines, 230.2f, 1.0f, 1.0f);
// The interior and 199 dollars with the brightness cut.
PART_TWO_FRAME(casino_fx289_full_rain, 289.9f, 1.0f, 1.0f);
// The swirl (lit, rotated, rings) under 100 dollars.
PART_TWO_FRAME(casino_fx295_swirl_rain, 295.0f, 1.0f, 1.0f);

}  // namespace
