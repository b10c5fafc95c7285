// The whole production as a viewer's machine runs it: every frame from 0 to 245 s at 60 fps on the
// generated archive, through the offline renderer, which computes each frame's spectrum from the
// decoded track and runs the analysis and the three scenes exactly as the live program does. No
// file is written. A frame's time therefore includes its spectrum and analysis; their share is
// measured on its own in the same run, so the scenes' cost is the frame's minus that.
//
// Prints frames, mean, 99th percentile and worst frame time per scene, per block of part two and
// overall, each also as a multiple of one memcpy of a 640 x 480 frame measured in the same run.
#include "Audio/Mp3Decoder.h"
#include "Audio/SpectrumAnalyser.h"
#include "Audio/Spectrum.h"
#include "Production/OfflineRenderer.h"
#include "Data/DataFile.h"
#include "Sync/DemoPart.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr double kEndSeconds = 245.0;
constexpr const char* kMusic = "rorozuzorozori.mp3";
constexpr int kMemcpyRounds = 2000;
constexpr double kMeanTarget = 12.0;   // whole run: at most 12 memcpys per frame on average
constexpr double kWorstTarget = 25.0;  // no frame over 25 memcpys

// Times are the thread's own CPU time: on a machine shared with other work, wall time would count
// every moment the scheduler gives to someone else, and the worst frame would measure that.
struct Clock {
    using time_point = double;
    static double now() {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) * 1e-3;
    }
};

double MicrosSince(Clock::time_point start) {
    return Clock::now() - start;
}

// One memcpy of a frame, averaged over many, the copies kept alive so none is optimised away.
double MemcpyMicros() {
    std::vector<uint32_t> from(640 * 480), to(640 * 480);
    for (size_t i = 0; i < from.size(); ++i) from[i] = static_cast<uint32_t>(i * 2654435761u);
    for (int i = 0; i < 100; ++i) std::memcpy(to.data(), from.data(), from.size() * 4);  // warm up
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kMemcpyRounds; ++i) {
        from[static_cast<size_t>(i)] ^= 1u;
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    return MicrosSince(start) / kMemcpyRounds;
}

// A scene's window and effect-time map, read from its script without registering its bands.
class ScriptTiming final : public DemoPart {
public:
    void Render(Bitmap*, float) override {}
};

struct Block {
    const char* name;
    double from, to;  // effect time of part two, half-open
};
// Part two's blocks by their effect-time ranges.
constexpr Block kPartTwoBlocks[] = {
    {"1 casino magnifier", 0, 110},
    {"2 rings", 0, 100},
    {"3 figure rises", 0, 20},
    {"4 figure echoes", 20, 40},
    {"5 brightness cut", 10, 40},
    {"6 noise", 40, 60},
    {"7 flicker", 60, 70},
    {"8 standing", 70, 90},
    {"9 figure sinks", 90, 100},
    {"10 second caption", 30, 50},
    {"11 first caption", 40, 60},
    {"12 captions swell", 80, 100},
    {"13 ring sweep", 100, 120},
    {"14 random magnifier", 110, 150},
    {"15 masks, dark sweep", 110, 150},
    {"16 lighthouse", 150, 200},
    {"17 wave bands", 150, 200},
    {"18 casino flash", 160, 180},
    {"19 lady flash", 180, 200},
    {"20 masks", 160, 200},
    {"21 casino interior", 200, 290},
    {"22 slot machines rise", 200, 220},
    {"23 slot machines pump", 220, 280},
    {"24 swirl", 290, 300},
    {"25 dollar rain", 250, 300},
    {"26 machine arrives", 300, 320},
    {"27 machine pulses", 320, 350},
    {"28 machine waves", 310, 350},
    {"29 machine caption", 330, 350},
    {"30 countdown", 350, 360},
    {"31 counter runs wild", 360, 370},
    {"32 defuse", 370, 400},
    {"33 red or green", 400, 420},
    {"34 western title", 420, 430},
    {"35 western fade-in", 430, 450},
    {"36 figures fade in", 450, 470},
    {"37 western scene", 470, 490},
    {"38 western fade-out", 490, 500},
    {"39 countdown resumes", 500, 505},
    {"40 pliers", 505, 510},
    {"41 snap", 510, 515},
    {"42 counter at 0:08", 515, 516},
    {"43 0:07 and burn-out", 516, 520},
    {"44 movie stills", 520, 580},
    {"45 final countdown", 580, 600},
    {"46 explosion background", 600, 700},
    {"47 head bursts", 600, 700},
    {"48 closing stills", 700, 770},
    {"49 pictures on black", 770, 800},
    {"50 credits", 800, 805},
    {"51 last picture", 805, 810},
};

struct Stats {
    size_t frames = 0;
    double mean = 0, p99 = 0, worst = 0;
};
Stats Summarise(std::vector<double> micros) {
    Stats s;
    s.frames = micros.size();
    if (micros.empty()) return s;
    std::sort(micros.begin(), micros.end());
    double sum = 0;
    for (double m : micros) sum += m;
    s.mean = sum / static_cast<double>(micros.size());
    // The nearest-rank 99th percentile.
    const size_t rank = (micros.size() * 99 + 99) / 100;
    s.p99 = micros[std::min(micros.size(), std::max<size_t>(rank, 1)) - 1];
    s.worst = micros.back();
    return s;
}

void PrintRow(const std::string& name, const Stats& s, double memcpyMicros) {
    std::printf("%-28s %7zu %9.1f %7.2f %9.1f %7.2f %9.1f %7.2f\n", name.c_str(), s.frames, s.mean,
                s.mean / memcpyMicros, s.p99, s.p99 / memcpyMicros, s.worst, s.worst / memcpyMicros);
}

void BM_WholeProduction(benchmark::State& state) {
    const std::string archive = std::string(ZV_BINARY_DIR) + "/assets/tarnos.zip";
    const FrameRate rate{60, 1};
    const int64_t frames = rate.FrameAt(kEndSeconds);  // 0 .. 245 s, the last frame before the end
    for (auto _ : state) {
        state.PauseTiming();
        const double memcpyBefore = MemcpyMicros();
        OfflineRenderer renderer;
        std::string error;
        if (!renderer.Open(archive, rate, &error)) {
            state.SkipWithError((archive + ": " + error).c_str());
            return;
        }
        // The scenes' windows and maps, and the decoded track for the spectrum's own timing.
        ScriptTiming intro, one, two;
        std::vector<int16_t> track;
        {
            SpectrumAnalyser* const registered = analyser;
            analyser = nullptr;
            intro.LoadXML("syncroscripts/intro.xml");
            one.LoadXML("syncroscripts/part1.xml");
            two.LoadXML("syncroscripts/part2.xml");
            analyser = registered;
            MemberBuffer music(dataFile->FLoadFile(kMusic), MemberBufferDeleter{dataFile});
            const int32_t length = dataFile->FileLength(kMusic);
            if (music != nullptr && length > 0)
                audio::DecodeMp3(music.get(), static_cast<size_t>(length), track);
        }
        std::vector<double> frameMicros(static_cast<size_t>(frames));
        state.ResumeTiming();
        for (int64_t f = 0; f < frames; ++f) {
            const Clock::time_point start = Clock::now();
            renderer.RenderNextFrame();
            frameMicros[static_cast<size_t>(f)] = MicrosSince(start);
        }
        state.PauseTiming();

        // The spectrum alone over the same frames, as the renderer computes it.
        audio::SpectrumCalculator calculator;
        std::vector<float> spectrum(audio::kSpectrumBins);
        std::vector<double> spectrumMicros;
        spectrumMicros.reserve(static_cast<size_t>(frames));
        for (int64_t f = 0; f < frames && !track.empty(); ++f) {
            const Clock::time_point start = Clock::now();
            calculator.ComputeTrack(track.data(), track.size() / 2, audio::FrameAtSeconds(rate.Seconds(f)),
                                    spectrum.data());
            benchmark::DoNotOptimize(spectrum.data());
            spectrumMicros.push_back(MicrosSince(start));
        }
        const double memcpyMicros = (memcpyBefore + MemcpyMicros()) / 2;

        // Frames by scene (a frame inside two windows counts for both) and by part two's blocks.
        std::vector<double> byIntro, byOne, byTwo, byNone;
        std::vector<std::vector<double>> byBlock(std::size(kPartTwoBlocks));
        for (int64_t f = 0; f < frames; ++f) {
            const auto t = static_cast<float>(rate.Seconds(f));
            const double micros = frameMicros[static_cast<size_t>(f)];
            if (intro.InWindow(t)) byIntro.push_back(micros);
            if (one.InWindow(t)) byOne.push_back(micros);
            if (!intro.InWindow(t) && !one.InWindow(t) && !two.InWindow(t)) byNone.push_back(micros);
            if (!two.InWindow(t)) continue;
            byTwo.push_back(micros);
            const float fx = two.FxTime(t);
            for (size_t b = 0; b < std::size(kPartTwoBlocks); ++b) {
                if (fx >= kPartTwoBlocks[b].from && fx < kPartTwoBlocks[b].to) byBlock[b].push_back(micros);
            }
        }
        const Stats all = Summarise(frameMicros);
        std::printf(
            "\nWhole production, %lld frames at 60 fps, 0 to %.0f s. Frame time = spectrum + analysis "
            "+ scenes,\nin thread CPU time. One memcpy of a 640 x 480 frame: %.1f us.\n",
            static_cast<long long>(frames), kEndSeconds, memcpyMicros);
        std::printf("%-28s %7s %9s %7s %9s %7s %9s %7s\n", "", "frames", "mean us", "x cpy", "p99 us",
                    "x cpy", "worst us", "x cpy");
        PrintRow("whole production", all, memcpyMicros);
        PrintRow("intro", Summarise(byIntro), memcpyMicros);
        PrintRow("part one", Summarise(byOne), memcpyMicros);
        PrintRow("part two", Summarise(byTwo), memcpyMicros);
        if (!byNone.empty()) PrintRow("no scene", Summarise(byNone), memcpyMicros);
        PrintRow("spectrum alone", Summarise(spectrumMicros), memcpyMicros);
        std::printf("\nPart two by block (a frame counts for every block whose range holds it):\n");
        std::vector<std::pair<double, size_t>> heaviest;
        for (size_t b = 0; b < std::size(kPartTwoBlocks); ++b) {
            const Stats s = Summarise(byBlock[b]);
            PrintRow(kPartTwoBlocks[b].name, s, memcpyMicros);
            if (s.frames > 0) heaviest.emplace_back(s.mean, b);
        }
        std::sort(heaviest.rbegin(), heaviest.rend());
        std::printf("\nHeaviest blocks by mean frame time:");
        for (size_t i = 0; i < std::min<size_t>(3, heaviest.size()); ++i) {
            std::printf(" %s (%.2f x)%s", kPartTwoBlocks[heaviest[i].second].name,
                        heaviest[i].first / memcpyMicros,
                        i + 1 < std::min<size_t>(3, heaviest.size()) ? "," : "\n");
        }
        const double totalRatio = all.mean * static_cast<double>(all.frames) / (memcpyMicros * 14700.0);
        std::printf("Whole run: %.2f x the time of 14,700 memcpys (target %.0f): %s\n", totalRatio,
                    kMeanTarget, totalRatio <= kMeanTarget ? "ok" : "OVER");
        const auto worstFrame =
            std::max_element(frameMicros.begin(), frameMicros.end()) - frameMicros.begin();
        std::printf("Worst frame: %.2f x one memcpy (target %.0f), at %.3f s: %s\n\n",
                    all.worst / memcpyMicros, kWorstTarget, rate.Seconds(worstFrame),
                    all.worst / memcpyMicros <= kWorstTarget ? "ok" : "OVER");
        state.counters["mean_x_memcpy"] = all.mean / memcpyMicros;
        state.counters["worst_x_memcpy"] = all.worst / memcpyMicros;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WholeProduction)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
