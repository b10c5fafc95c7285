// A seek of the preview mode: the production brought to a moment by the state pass, on the
// generated archive. The spectra of every frame are computed once before the timing starts (the
// preview does that in the background at start-up); each iteration is one seek from wherever the
// last one left the production. Target: under 100 ms for any moment of the production.
//
// Also times the one-off preparation (decoding the track and every frame's spectrum), and a reload
// of the three scripts and every picture from a zip archive.
#include "Production/Production.h"
#include "Production/StatePass.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

const std::string kArchive = std::string(ZV_BINARY_DIR) + "/assets/tarnos.zip";

std::unique_ptr<Production> OpenProduction(benchmark::State& state) {
    ProductionSetup setup;
    setup.archivePath = kArchive;
    setup.music = std::make_unique<DecodedMusic>();
    auto production = std::make_unique<Production>(std::move(setup));
    if (!production->Ready()) {
        state.SkipWithError((kArchive + ": " + production->Failure()).c_str());
        return nullptr;
    }
    return production;
}

// The argument is the moment in tenths of a second.
void BM_SeekTo(benchmark::State& state) {
    std::unique_ptr<Production> production = OpenProduction(state);
    if (production == nullptr) return;
    StatePass pass(*production);
    pass.SeekTo(0.0);  // prepares the spectra
    const double seconds = static_cast<double>(state.range(0)) / 10.0;
    for (auto _ : state) benchmark::DoNotOptimize(pass.SeekTo(seconds));
    state.counters["drawn"] = static_cast<double>(pass.LastSeek().drawnFrames);
}
BENCHMARK(BM_SeekTo)
    ->Arg(30)
    ->Arg(600)
    ->Arg(1200)
    ->Arg(1843)
    ->Arg(2050)
    ->Arg(2449)
    ->Arg(2450)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_PrepareSpectra(benchmark::State& state) {
    std::unique_ptr<Production> production = OpenProduction(state);
    if (production == nullptr) return;
    for (auto _ : state) {
        StatePass pass(*production);
        benchmark::DoNotOptimize(pass.SeekTo(0.0));
    }
}
BENCHMARK(BM_PrepareSpectra)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Reload(benchmark::State& state) {
    std::unique_ptr<Production> production = OpenProduction(state);
    if (production == nullptr) return;
    for (auto _ : state) {
        const ReloadReport report = production->Reload();
        if (!report.messages.empty()) state.SkipWithError(report.messages.front().text.c_str());
    }
}
BENCHMARK(BM_Reload)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
