// Whole frames through the plug-in binary, driven by the AE host stand-in the way
// the real host drives it: a 3840x2160 frame at 8 and 16 bits, one and two
// render threads, adaptive clipping. Reports frames/s and megapixels/s.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "bench/bench_frames.h"

namespace {

using bench::kHeight;
using bench::kWidth;
using bench::Noise8;
const aehost::Effect& Plugin() { return bench::AePlugin(); }

// A photograph-like frame: its sky, water and meadow cost different amounts
// per pixel, so two bands of rows are not equal work.
enum Content { kNoise = 0, kScene = 1 };

// The frame as the host's world pixels at 8 and at 16 bits.
const std::vector<PF_Pixel>& Frame8(int content)
{
    static const std::vector<PF_Pixel> noise = bench::World8(Noise8()),
                                       scene = bench::World8(MakeScene(kWidth, kHeight, 8));
    return content == kScene ? scene : noise;
}
const std::vector<PF_Pixel16>& Frame16(int content)
{
    static const std::vector<PF_Pixel16> noise = bench::World16(bench::Widened(Noise8())),
                                         scene = bench::World16(MakeScene(kWidth, kHeight, 16));
    return content == kScene ? scene : noise;
}

void BM_RenderFrame(benchmark::State& state)
{
    const int depth = (int)state.range(0);
    const int threads = (int)state.range(1);
    const std::vector<aehost::DeclaredParam> values = bench::AeSetting(40, 30.0, 0.5);
    // Made before the clock starts.
    const PF_Pixel16* in16 = depth == 16 ? Frame16((int)state.range(2)).data() : nullptr;
    const PF_Pixel* in8 = depth == 8 ? Frame8((int)state.range(2)).data() : nullptr;
    const size_t pixels = (size_t)kWidth * kHeight;
    std::vector<PF_Pixel> out8(depth == 8 ? pixels : 0);
    std::vector<PF_Pixel16> out16(depth == 16 ? pixels : 0);
    for (auto _ : state) {
        const int32_t err = depth == 16 ? Plugin().render16(values, kWidth, kHeight, in16, out16.data(), threads)
                                        : Plugin().render8(values, kWidth, kHeight, in8, out8.data(), threads);
        if (err != 0) {
            state.SkipWithError("the plug-in returned an error");
            break;
        }
        benchmark::ClobberMemory();
    }
    state.counters["frames/s"] = benchmark::Counter((double)state.iterations(), benchmark::Counter::kIsRate);
    state.counters["MP/s"] = benchmark::Counter((double)state.iterations() * kWidth * kHeight / 1e6,
                                                benchmark::Counter::kIsRate);
}

BENCHMARK(BM_RenderFrame)
    ->ArgNames({"bits", "threads", "scene"})
    ->ArgsProduct({{8, 16}, {1, 2}, {kNoise, kScene}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    // On a shared machine the fastest repetition is the one least disturbed.
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });

}  // namespace

BENCHMARK_MAIN();
