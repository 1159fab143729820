// Whole frames through the plug-in binary, driven by the test host the way
// the real host drives it: a 3840x2160 frame at 8 and 16 bits, one and two
// render threads, adaptive clipping. Reports frames/s and megapixels/s.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

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

// A photograph-like frame, so that the share of colours pushed out of gamut
// is that of a real picture rather than of noise.
const Image& Scene(int depth)
{
    static const Image scene8 = MakeScene(kWidth, kHeight, 8);
    static const Image scene16 = MakeScene(kWidth, kHeight, 16);
    return depth == 16 ? scene16 : scene8;
}

testhost::RenderValues Values()
{
    testhost::RenderValues values;
    values.hue = 40 << 16;
    values.chroma = 30.0;
    values.clip = 1;  // adaptive
    values.alpha = 0.5;
    return values;
}

void BM_RenderFrame(benchmark::State& state)
{
    const int depth = (int)state.range(0);
    const int threads = (int)state.range(1);
    const Image& in = Scene(depth);
    const testhost::RenderValues values = Values();
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
    ->ArgNames({"bits", "threads"})
    ->Args({8, 1})
    ->Args({8, 2})
    ->Args({16, 1})
    ->Args({16, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
