// The OFX plug-in against the After Effects one, per pixel: a 3840x2160
// frame through TINTRA.ofx and the OFX host stand-in at byte, short and float
// depths, each measured right after the same frame through the AE plug-in's
// 16-bit render and the AE host stand-in, at one and two threads. Hue 40, Chroma
// 30, adaptive clipping, straight alpha, the same noise colours in every
// depth. Reports megapixels/s; the ratio of each OFX line to the AE line just
// before it is the figure docs/performance.md records.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_frames.h"
#include "ofx/actions.h"
#include "ofx/ofx_image_effect.h"
#include "tools/ofxhost/host.h"
#include "tools/aehost/effect.h"
#include "tools/tintra/test_images.h"

namespace {

using bench::AePlugin;
using bench::kHeight;
using bench::kWidth;
using bench::Noise8;
constexpr double kHue = 40, kChroma = 30, kAlpha = 0.5;

ofxhost::Host* OfxHost()
{
    static std::unique_ptr<ofxhost::Host> host = [] {
        std::string error;
        std::unique_ptr<ofxhost::Host> h = ofxhost::Host::load(TINTRA_OFX_PLUGIN, &error);
        if (!h) std::fprintf(stderr, "cannot load %s: %s\n", TINTRA_OFX_PLUGIN, error.c_str());
        return h;
    }();
    return host.get();
}

// The same colours as an OFX frame (RGBA, rows bottom up; the noise has no
// rows to keep in order): bytes as they are, shorts v * 257 (255 is 65535),
// floats v / 255.
template <typename T>
std::unique_ptr<ofxhost::Image> OfxNoise(const char* depth, double scale)
{
    auto image = std::make_unique<ofxhost::Image>(ofxhost::OfxRectI{0, 0, kWidth, kHeight}, depth, 4);
    std::vector<T> values;
    values.reserve(Noise8().pixels8.size() * 4);
    for (uint8_t v : Noise8().pixels8) values.push_back((T)(v * scale));
    image->set_channels(values);
    return image;
}

void BM_Ae16(benchmark::State& state)
{
    const int threads = (int)state.range(0);
    static const std::vector<PF_Pixel16> in = bench::World16(bench::Widened(Noise8()));
    const std::vector<aehost::DeclaredParam> values = bench::AeSetting((int32_t)kHue, kChroma, kAlpha);
    std::vector<PF_Pixel16> out(in.size());
    for (auto _ : state) {
        if (AePlugin().render16(values, kWidth, kHeight, in.data(), out.data(), threads) != 0) {
            state.SkipWithError("the AE plug-in returned an error");
            break;
        }
        benchmark::ClobberMemory();
    }
    state.counters["MP/s"] = benchmark::Counter((double)state.iterations() * kWidth * kHeight / 1e6,
                                                benchmark::Counter::kIsRate);
}

// range(0): threads; range(1): 0 byte, 1 short, 2 float.
void BM_Ofx(benchmark::State& state)
{
    const int threads = (int)state.range(0);
    const char* depths[] = {ofx::kOfxBitDepthByte, ofx::kOfxBitDepthShort, ofx::kOfxBitDepthFloat};
    const char* depth = depths[state.range(1)];
    std::unique_ptr<ofxhost::Image> in = state.range(1) == 0   ? OfxNoise<uint8_t>(depth, 1)
                                         : state.range(1) == 1 ? OfxNoise<uint16_t>(depth, 257)
                                                               : OfxNoise<float>(depth, 1 / 255.0);
    ofxhost::Image out(in->bounds(), depth, 4);
    ofxhost::Host* host = OfxHost();
    ofxhost::Effect* fx = host ? host->create_instance(ofx::kOfxImageEffectContextFilter) : nullptr;
    if (!fx || host->set_value(fx, tintra_ofx::kParamHue, kHue) != kOfxStatOK ||
        host->set_value(fx, tintra_ofx::kParamChroma, kChroma) != kOfxStatOK ||
        host->set_choice(fx, tintra_ofx::kParamClipMethod, 0 /* adaptive */) != kOfxStatOK ||
        host->set_value(fx, tintra_ofx::kParamClipAlpha, kAlpha) != kOfxStatOK) {
        state.SkipWithError("the OFX plug-in cannot be set up");
        return;
    }
    host->set_threads((unsigned)threads);
    for (auto _ : state) {
        if (host->render(fx, *in, out, out.bounds()) != kOfxStatOK) {
            state.SkipWithError("the OFX plug-in returned an error");
            break;
        }
        benchmark::ClobberMemory();
    }
    host->destroy_instance(fx);
    if (host->faults().count() != 0) state.SkipWithError("the OFX host stand-in refused a call");
    state.counters["MP/s"] = benchmark::Counter((double)state.iterations() * kWidth * kHeight / 1e6,
                                                benchmark::Counter::kIsRate);
}

// On a shared machine the fastest repetition is the one least disturbed.
double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// Each OFX depth right after its own AE 16-bit reference, so that a ratio
// compares two measurements taken back to back.
int Register()
{
    for (int threads : {1, 2}) {
        for (int depth : {0, 1, 2}) {
            benchmark::RegisterBenchmark("BM_Ae16", BM_Ae16)
                ->ArgNames({"threads"})
                ->Args({threads})
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->ComputeStatistics("min", Fastest);
            benchmark::RegisterBenchmark("BM_Ofx", BM_Ofx)
                ->ArgNames({"threads", "depth"})
                ->Args({threads, depth})
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->ComputeStatistics("min", Fastest);
        }
    }
    return 0;
}
const int registered = Register();

}  // namespace

BENCHMARK_MAIN();
