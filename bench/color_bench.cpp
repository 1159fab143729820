// Nanoseconds per pixel of the 8-bit and 16-bit pixel functions over a fixed
// one-megapixel random image, for each path a pixel can take, beside the plain
// pipeline they must match (and its second copy, the noise floor) and beside a
// bare copy of the pixels as the floor. bench/compare.py turns a few runs into
// ratios.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tools/reference/plain_hue.h"
#include "color/hue_settings.h"
#include "color/pixel_functions.h"

// The second copy of the plain pipeline (see CMakeLists.txt).
namespace plain_twin {
int32_t HueFunc8(void* refcon, int32_t x, int32_t y, PF_Pixel* in, PF_Pixel* out);
int32_t HueFunc16(void* refcon, int32_t x, int32_t y, PF_Pixel16* in, PF_Pixel16* out);
}  // namespace plain_twin

namespace {

constexpr size_t kPixels = 1024 * 1024;
constexpr uint32_t kSeed = 20260101;

using Func8 = int32_t (*)(void*, int32_t, int32_t, PF_Pixel*, PF_Pixel*);
using Func16 = int32_t (*)(void*, int32_t, int32_t, PF_Pixel16*, PF_Pixel16*);

// What the host's iterate does: one call through a pointer per pixel, so both
// implementations pay the same call and neither is inlined into the loop.
template <typename Pixel, typename Func>
__attribute__((noinline)) void iterate(Func fn, const HueSettings& s, std::vector<Pixel>& in,
                                       std::vector<Pixel>& out)
{
    void* refcon = const_cast<HueSettings*>(&s);
    const int32_t width = 1024;
    for (size_t i = 0; i < in.size(); ++i)
        fn(refcon, (int32_t)(i % width), (int32_t)(i / width), &in[i], &out[i]);
}

// Low-chroma colours around mid grey: a hue rotation keeps them in the gamut.
// Fully random colours: with a chroma boost nearly all of them leave it.
enum class Image { Muted, Vivid };

template <typename Pixel>
std::vector<Pixel> make_image(Image kind)
{
    const int32_t max = sizeof(Pixel) == 4 ? PF_MAX_CHAN8 : PF_MAX_CHAN16;
    std::mt19937 rng(kSeed + (kind == Image::Vivid ? 1 : 0));
    int32_t lo = kind == Image::Muted ? max * 3 / 8 : 0;
    int32_t hi = kind == Image::Muted ? max * 5 / 8 : max;
    std::uniform_int_distribution<int32_t> chan(lo, hi);
    std::uniform_int_distribution<int32_t> alpha(0, max);
    std::vector<Pixel> img(kPixels);
    for (Pixel& p : img) {
        p.alpha = (decltype(p.alpha))alpha(rng);
        p.red = (decltype(p.red))chan(rng);
        p.green = (decltype(p.green))chan(rng);
        p.blue = (decltype(p.blue))chan(rng);
    }
    return img;
}

template <typename Pixel>
std::vector<Pixel>& image(Image kind)
{
    static std::vector<Pixel> muted = make_image<Pixel>(Image::Muted);
    static std::vector<Pixel> vivid = make_image<Pixel>(Image::Vivid);
    return kind == Image::Muted ? muted : vivid;
}

// Share of pixels whose changed colour leaves the gamut, so a reader can see
// which path the timings measured.
template <typename Pixel>
double out_of_gamut_share(const HueSettings& s, const std::vector<Pixel>& img)
{
    const float scale = sizeof(Pixel) == 4 ? 1.f / 255.f : 1.f / 32768.f;
    size_t out = 0;
    for (const Pixel& p : img) {
        Lab lab = plain::RGBtoOK({p.red * scale, p.green * scale, p.blue * scale});
        float h = atan2f(lab.b, lab.a) + s.hue;
        float C = fmaxf(0.f, sqrtf(lab.a * lab.a + lab.b * lab.b) + s.chroma);
        RGB c = plain::OKtoRGBUnclipped({lab.L, C * cosf(h), C * sinf(h)});
        out += c.r < 0 || c.r > 1 || c.g < 0 || c.g > 1 || c.b < 0 || c.b > 1;
    }
    return (double)out / (double)img.size();
}

struct Path {
    const char* name;
    Image image;
    HueSettings settings;
};

const Path kPaths[] = {
    {"identity", Image::Vivid, {0.f, 0.f, ClipType::Adaptive, 0.05f}},
    {"hue_in_gamut", Image::Muted, {1.0f, 0.f, ClipType::Adaptive, 0.05f}},
    {"adaptive", Image::Vivid, {2.0f, 0.2f, ClipType::Adaptive, 0.05f}},
    {"chroma_clipped", Image::Vivid, {2.0f, 0.2f, ClipType::ChromaClipped, 0.05f}},
    {"truncate", Image::Vivid, {2.0f, 0.2f, ClipType::Truncate, 0.05f}},
    {"debug", Image::Vivid, {2.0f, 0.2f, ClipType::Debug, 0.05f}},
};

void per_pixel_counters(benchmark::State& state)
{
    double pixels = (double)kPixels * (double)state.iterations();
    state.counters["per_px"] =
        benchmark::Counter(pixels, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

template <typename Pixel, typename Func>
void run_path(benchmark::State& state, Func fn, const Path& path)
{
    std::vector<Pixel>& in = image<Pixel>(path.image);
    std::vector<Pixel> out(in.size());
    for (auto _ : state) {
        iterate(fn, path.settings, in, out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    per_pixel_counters(state);
    state.counters["out_of_gamut"] =
        path.settings.hue == 0.f && path.settings.chroma == 0.f ? 0.0
                                                                  : out_of_gamut_share(path.settings, in);
}

template <typename Pixel>
void run_copy(benchmark::State& state)
{
    std::vector<Pixel>& in = image<Pixel>(Image::Vivid);
    std::vector<Pixel> out(in.size());
    for (auto _ : state) {
        for (size_t i = 0; i < in.size(); ++i)
            out[i] = in[i];
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    per_pixel_counters(state);
}

void register_all()
{
    benchmark::RegisterBenchmark("8bit/copy_floor", run_copy<PF_Pixel>)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("16bit/copy_floor", run_copy<PF_Pixel16>)->Unit(benchmark::kMillisecond);

    struct Impl {
        const char* name;
        Func8 f8;
        Func16 f16;
    };
    static const Impl impls[] = {
        {"library", HueFunc8, HueFunc16},
        {"plain", plain::HueFunc8, plain::HueFunc16},
        {"plain_twin", plain_twin::HueFunc8, plain_twin::HueFunc16},
    };

    for (const Path& path : kPaths)
        for (const Impl& impl : impls) {
            std::string name = std::string(path.name) + "/" + impl.name;
            benchmark::RegisterBenchmark(("8bit/" + name).c_str(),
                                         [&path, &impl](benchmark::State& st) {
                                             run_path<PF_Pixel>(st, impl.f8, path);
                                         })
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("16bit/" + name).c_str(),
                                         [&path, &impl](benchmark::State& st) {
                                             run_path<PF_Pixel16>(st, impl.f16, path);
                                         })
                ->Unit(benchmark::kMillisecond);
        }
}

}  // namespace

int main(int argc, char** argv)
{
    register_all();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
