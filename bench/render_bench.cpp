// Whole frames through the plug-in binary, driven by the test host the way
// the real host drives it: a 3840x2160 frame at 8 and 16 bits, one and two
// render threads, adaptive clipping. Reports frames/s and megapixels/s.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/effect_params.h"
#include "tools/testhost/effect.h"
#include "tools/tintra/test_images.h"

namespace {

constexpr int32_t kWidth = 3840;
constexpr int32_t kHeight = 2160;

const testhost::Effect& Plugin()
{
    static std::unique_ptr<testhost::Effect> effect = [] {
        std::string error;
        std::unique_ptr<testhost::Effect> e = testhost::Effect::load(TINTRA_PLUGIN, &error);
        if (!e) std::fprintf(stderr, "cannot load %s: %s\n", TINTRA_PLUGIN, error.c_str());
        return e;
    }();
    return *effect;
}

// Colours spread evenly over the cube, so every row costs the same: the
// host hands each thread one contiguous band of rows, and this frame shows
// how far the threads scale when the bands are equal.
Image Noise(int depth)
{
    Image image = MakeImage(kWidth, kHeight, 8, false);
    uint32_t state = 12345u;
    for (PF_Pixel& p : image.pixels8) {
        state = state * 1664525u + 1013904223u;
        p = PF_Pixel{255, (uint8_t)(state >> 8), (uint8_t)(state >> 16), (uint8_t)(state >> 24)};
    }
    return ConvertDepth(image, depth);
}

// A photograph-like frame: its sky, water and meadow cost different amounts
// per pixel, so two bands of rows are not equal work.
enum Content { kNoise = 0, kScene = 1 };

const Image& Frame(int depth, int content)
{
    static const Image noise8 = Noise(8), noise16 = Noise(16);
    static const Image scene8 = MakeScene(kWidth, kHeight, 8), scene16 = MakeScene(kWidth, kHeight, 16);
    if (content == kScene) return depth == 16 ? scene16 : scene8;
    return depth == 16 ? noise16 : noise8;
}

void BM_RenderFrame(benchmark::State& state)
{
    const int depth = (int)state.range(0);
    const int threads = (int)state.range(1);
    const Image& in = Frame(depth, (int)state.range(2));
    const std::vector<testhost::DeclaredParam> values =
        WithValues(Plugin(), RenderValues{40 << 16, 30.0, 1 /* adaptive */, 0.5});
    std::vector<PF_Pixel> out8(depth == 8 ? in.pixel_count() : 0);
    std::vector<PF_Pixel16> out16(depth == 16 ? in.pixel_count() : 0);
    for (auto _ : state) {
        const int32_t err = depth == 16 ? Plugin().render16(values, kWidth, kHeight, in.pixels16.data(),
                                                            out16.data(), threads)
                                        : Plugin().render8(values, kWidth, kHeight, in.pixels8.data(), out8.data(),
                                                           threads);
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
