// Renderer benchmark: every drawing operation on 640 x 480 bitmaps, its plain reference version,
// and the yardsticks of one run: memcpy of a frame (the limit of any whole-frame pass) and
// pixman's ADD and SRC compositing. Ends with a table of each operation's time as a multiple of
// memcpy, its speed-up over the reference, and the multiple it is meant to stay within.
#include "BenchPictures.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Render/Blitter.h"
#include "Render/FilterFx.h"
#include "Render/NoiseFx.h"
#include "Render/PatternFx.h"
#include "Support/RenderReference.h"

namespace {

constexpr int32_t kW = 640;
constexpr int32_t kH = 480;
constexpr int kRepetitions = 5;  // the product and the yardsticks; references run once

struct Frames {
    Bitmap target{kW, kH}, pristine{kW, kH};
    Bitmap picture{kW, kH}, keyed{kW, kH}, other{kW, kH};
    Bitmap half{kW / 2, kH / 2}, fresco{1024, 608};
    Frames() {
        PaintBenchPicture(pristine, 11, false);
        PaintBenchPicture(picture, 50, false);
        PaintBenchPicture(keyed, 90, true);
        PaintBenchPicture(other, 130, false);
        PaintBenchPicture(half, 170, true);
        PaintBenchPicture(fresco, 210, false);
        std::memcpy(target.pixels, pristine.pixels, sizeof(uint32_t) * kW * kH);
    }
};
Frames& Data() {
    static Frames frames;
    return frames;
}

// Times `draw` on the target, putting the target's starting contents back (untimed) before
// every call so that data-dependent operations see the same frame each time.
void TimeOnFrame(benchmark::State& state, const std::function<void(Bitmap&)>& draw) {
    Frames& f = Data();
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(f.target.pixels, f.pristine.pixels, sizeof(uint32_t) * kW * kH);
        state.ResumeTiming();
        draw(f.target);
        benchmark::ClobberMemory();
    }
}

struct Operation {
    std::string name;
    double allowed;  // the multiple of memcpy it should stay within; 0 for no target
    std::function<void(Bitmap&)> product;
    std::function<void(Bitmap&)> reference;
};

std::vector<Operation> Operations() {
    Frames& f = Data();
    const auto blit = [](Bitmap& t) {
        Blitter b;
        b.target = &t;
        return b;
    };
    const auto noise = [](Bitmap& t) {
        NoiseFx n;
        n.target = &t;
        return n;
    };
    const auto pattern = [](Bitmap& t) {
        static PatternFx p;
        p.target = &t;
        return &p;
    };
    const auto filter = [](Bitmap& t) {
        FilterFx x;
        x.target = &t;
        return x;
    };
    const uint32_t ink = 0x00C03070;
    return {
        {"Clear", 2.5, [=](Bitmap& t) { blit(t).Clear(0); }, [](Bitmap& t) { reference::Clear(t, 0); }},
        {"CopyKeyed", 2.5, [=, &f](Bitmap& t) { blit(t).CopyKeyed(&f.keyed); },
         [&f](Bitmap& t) { reference::CopyKeyed(t, &f.keyed); }},
        {"CopyScreen", 2.5, [=, &f](Bitmap& t) { blit(t).CopyScreen(&f.picture); },
         [&f](Bitmap& t) { reference::CopyScreen(t, &f.picture); }},
        {"Draw (full frame)", 2.5, [=, &f](Bitmap& t) { blit(t).Draw(&f.keyed, 0, 0); },
         [&f](Bitmap& t) { reference::Draw(t, &f.keyed, 0, 0); }},
        {"DrawMirrored (full frame)", 2.5, [=, &f](Bitmap& t) { blit(t).DrawMirrored(&f.keyed, 0, 0); },
         [&f](Bitmap& t) { reference::DrawMirrored(t, &f.keyed, 0, 0); }},
        {"DrawScaled (320x240 to frame)", 0,
         [=, &f](Bitmap& t) { blit(t).DrawScaled(&f.half, 0, 0, kW, kH); },
         [&f](Bitmap& t) { reference::DrawScaled(t, &f.half, 0, 0, kW, kH); }},
        {"BlendKeyed", 6, [=, &f](Bitmap& t) { blit(t).BlendKeyed(&f.keyed, 0.37f); },
         [&f](Bitmap& t) { reference::BlendKeyed(t, &f.keyed, 0.37f); }},
        {"AddKeyed", 2.5, [=, &f](Bitmap& t) { blit(t).AddKeyed(&f.keyed); },
         [&f](Bitmap& t) { reference::AddKeyed(t, &f.keyed); }},
        {"SubtractKeyed", 2.5, [=, &f](Bitmap& t) { blit(t).SubtractKeyed(&f.keyed); },
         [&f](Bitmap& t) { reference::SubtractKeyed(t, &f.keyed); }},
        {"Darken", 2.5, [=](Bitmap& t) { blit(t).Darken(40); }, [](Bitmap& t) { reference::Darken(t, 40); }},
        {"AddScreen", 2.5, [=, &f](Bitmap& t) { blit(t).AddScreen(&f.picture); },
         [&f](Bitmap& t) { reference::AddScreen(t, &f.picture); }},
        {"AddScreenMono", 2.5, [=, &f](Bitmap& t) { blit(t).AddScreenMono(&f.picture); },
         [&f](Bitmap& t) { reference::AddScreenMono(t, &f.picture); }},
        {"DrawScaledAdditive (320x240 to frame)", 0,
         [=, &f](Bitmap& t) { blit(t).DrawScaledAdditive(&f.half, 0, 0, kW, kH); },
         [&f](Bitmap& t) { reference::DrawScaledAdditive(t, &f.half, 0, 0, kW, kH); }},
        {"Bars (whole frame)", 2.5, [=](Bitmap& t) { noise(t).Bars(1.0f); },
         [](Bitmap& t) { reference::Bars(t, 1.0f); }},
        {"AddRowNoise", 2.5, [=](Bitmap& t) { noise(t).AddRowNoise(0.5f); },
         [](Bitmap& t) { reference::AddRowNoise(t, 0.5f); }},
        {"SubtractRowNoise", 2.5, [=](Bitmap& t) { noise(t).SubtractRowNoise(0.5f); },
         [](Bitmap& t) { reference::SubtractRowNoise(t, 0.5f); }},
        {"CopyWindow (1024x608)", 2.5, [=, &f](Bitmap& t) { pattern(t)->CopyWindow(&f.fresco, 200, 64); },
         [&f](Bitmap& t) { reference::CopyWindow(t, &f.fresco, 200, 64); }},
        {"Zoom4", 2.5, [=, &f](Bitmap& t) { pattern(t)->Zoom4(&f.picture, 100, 100); },
         [&f](Bitmap& t) { reference::Zoom4(t, &f.picture, 100, 100); }},
        {"Zoom8", 2.5, [=, &f](Bitmap& t) { pattern(t)->Zoom8(&f.picture, 100, 100); },
         [&f](Bitmap& t) { reference::Zoom8(t, &f.picture, 100, 100); }},
        {"Rings", 6, [=](Bitmap& t) { pattern(t)->Rings(320, 240, ink, 10); },
         [](Bitmap& t) { reference::Rings(t, 320, 240, ink, 10); }},
        {"WarpedRings", 6, [=](Bitmap& t) { pattern(t)->WarpedRings(320, 240, ink, 10, 77, 10, 10); },
         [](Bitmap& t) { reference::WarpedRings(t, 320, 240, ink, 10, 77, 10, 10); }},
        {"WarpedRings2", 6, [=](Bitmap& t) { pattern(t)->WarpedRings2(320, 240, ink, 10, 77, 1, 1, 10, 10); },
         [](Bitmap& t) { reference::WarpedRings2(t, 320, 240, ink, 10, 77, 1, 1, 10, 10); }},
        {"WaveBlur (-1, 480, 30)", 20, [=](Bitmap& t) { filter(t).WaveBlur(-1, 480, 30); },
         [](Bitmap& t) { reference::WaveBlur(t, -1, 480, 30); }},
        {"RotateRows", 2.5, [=](Bitmap& t) { filter(t).RotateRows(123); },
         [](Bitmap& t) { reference::RotateRows(t, 123); }},
        {"Threshold", 2.5, [=](Bitmap& t) { filter(t).Threshold(100, ink); },
         [](Bitmap& t) { reference::Threshold(t, 100, ink); }},
        {"AddGrey", 2.5, [=, &f](Bitmap& t) { filter(t).AddGrey(&f.picture); },
         [&f](Bitmap& t) { reference::AddGrey(t, &f.picture); }},
        {"AddGreyShifted", 2.5, [=, &f](Bitmap& t) { filter(t).AddGreyShifted(&f.picture, 1); },
         [&f](Bitmap& t) { reference::AddGreyShifted(t, &f.picture, 1); }},
        {"Combine (add)", 2.5, [=, &f](Bitmap& t) { filter(t).Combine(&f.picture, &f.other, CombineAdd); },
         [&f](Bitmap& t) { reference::Combine(t, &f.picture, &f.other, CombineAdd); }},
        {"Combine (multiply)", 2.5,
         [=, &f](Bitmap& t) { filter(t).Combine(&f.picture, &f.other, CombineMultiply); },
         [&f](Bitmap& t) { reference::Combine(t, &f.picture, &f.other, CombineMultiply); }},
    };
}

// pixman images over our own pixel buffers (same layout as a8r8g8b8).
struct PixmanImage {
    pixman_image_t* image;
    explicit PixmanImage(Bitmap& b)
        : image(pixman_image_create_bits(PIXMAN_a8r8g8b8, b.width, b.height, b.pixels, b.width * 4)) {}
    ~PixmanImage() { pixman_image_unref(image); }
    PixmanImage(const PixmanImage&) = delete;
    PixmanImage& operator=(const PixmanImage&) = delete;
};

void RegisterAll() {
    benchmark::RegisterBenchmark("yardstick/memcpy",
                                 [](benchmark::State& state) {
                                     Frames& f = Data();
                                     for (auto _ : state) {
                                         std::memcpy(f.target.pixels, f.picture.pixels,
                                                     sizeof(uint32_t) * kW * kH);
                                         benchmark::ClobberMemory();
                                     }
                                 })
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(kRepetitions);
    const auto pixman = [](pixman_op_t op) {
        return [op](benchmark::State& state) {
            Frames& f = Data();
            PixmanImage src(f.picture), dst(f.target);
            TimeOnFrame(state, [&](Bitmap&) {
                pixman_image_composite32(op, src.image, nullptr, dst.image, 0, 0, 0, 0, 0, 0, kW, kH);
            });
        };
    };
    benchmark::RegisterBenchmark("yardstick/pixman ADD", pixman(PIXMAN_OP_ADD))
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(kRepetitions);
    benchmark::RegisterBenchmark("yardstick/pixman SRC", pixman(PIXMAN_OP_SRC))
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(kRepetitions);
    for (const Operation& op : Operations()) {
        benchmark::RegisterBenchmark(
            ("product/" + op.name).c_str(),
            [draw = op.product](benchmark::State& state) { TimeOnFrame(state, draw); })
            ->Unit(benchmark::kMicrosecond)
            ->Repetitions(kRepetitions);
        benchmark::RegisterBenchmark(("reference/" + op.name).c_str(), [draw = op.reference](
                                                                           benchmark::State& state) {
            TimeOnFrame(state, draw);
        })->Unit(benchmark::kMicrosecond);
    }
}

// Keeps and prints only the fastest repetition of each benchmark (by CPU time, microseconds per
// call): on a shared machine the fastest of several runs is the least disturbed one.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> micros;
    void ReportRuns(const std::vector<Run>& runs) override {
        const Run* fastest = nullptr;
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            if (fastest == nullptr || run.GetAdjustedCPUTime() < fastest->GetAdjustedCPUTime())
                fastest = &run;
        }
        if (fastest == nullptr) return;
        micros[fastest->run_name.function_name] = fastest->GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns({*fastest});
    }
};

void PrintTable(const std::map<std::string, double>& micros) {
    const auto find = [&](const std::string& name) {
        const auto it = micros.find(name);
        return it == micros.end() ? NAN : it->second;
    };
    const double memcpyTime = find("yardstick/memcpy");
    std::printf(
        "\nFastest CPU time per call; x memcpy = time / memcpy's, x faster = reference time / time.\n");
    std::printf("%-40s %10s %9s %11s %9s\n", "operation", "us", "x memcpy", "x faster", "target");
    std::printf("%-40s %10.1f %9.2f %11s %9s\n", "memcpy of one frame", memcpyTime, 1.0, "", "");
    for (const char* name : {"pixman ADD", "pixman SRC"}) {
        const double t = find(std::string("yardstick/") + name);
        std::printf("%-40s %10.1f %9.2f %11s %9s\n", name, t, t / memcpyTime, "", "");
    }
    for (const Operation& op : Operations()) {
        const double product = find("product/" + op.name);
        const double ref = find("reference/" + op.name);
        if (std::isnan(product)) continue;
        const double ratio = product / memcpyTime;
        char target[32] = "";
        if (op.allowed > 0) {
            std::snprintf(target, sizeof target, "%s %.1f", ratio <= op.allowed ? "ok" : "OVER", op.allowed);
        }
        std::printf("%-40s %10.1f %9.2f %11.1f %9s\n", op.name.c_str(), product, ratio, ref / product,
                    target);
    }
    const double add = find("product/AddScreen");
    const double pixmanAdd = find("yardstick/pixman ADD");
    if (!std::isnan(add) && !std::isnan(pixmanAdd)) {
        std::printf("\nAddScreen vs pixman ADD: %.2fx the time (%s)\n", add / pixmanAdd,
                    add < pixmanAdd ? "faster" : "SLOWER");
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(reporter.micros);
    benchmark::Shutdown();
    return 0;
}
