// Fuzz target: the plug-in binary's EffectMain through the AE host stand-in, with
// any value a host could store in the four parameters (the hue's 16.16 value
// over the whole 32-bit range, slider doubles of any bit pattern, any popup
// integer) and small frames of any shape and content.
//
// Input layout: hue int32, chroma double, clip int32, alpha double (24 bytes,
// as they lie in memory); one byte of flags (bit 0: 16-bit frame, bits 1-2:
// render threads - 1); one byte each for width, height and row padding; then
// the input pixels, repeated as far as needed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/support/color/pixel_arrays.h"
#include "tests/support/plugin_under_test.h"
#include "tests/support/effect_params.h"
#include "tools/aehost/host.h"

namespace {

using aehost::Host;
using aehost::World;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_effect: %s\n", what);
    std::abort();
}

void fill(World& world, const uint8_t* data, size_t size)
{
    const size_t n = (size_t)world.width() * (size_t)world.height();
    const size_t pixel = world.deep() ? sizeof(PF_Pixel16) : sizeof(PF_Pixel);
    std::vector<uint8_t> bytes(n * pixel, 0);
    for (size_t i = 0; i < bytes.size() && size > 0; ++i)
        bytes[i] = data[i % size];
    if (n == 0)
        return;
    if (world.deep()) {
        std::vector<PF_Pixel16> px(n);
        std::memcpy(px.data(), bytes.data(), bytes.size());
        world.set_pixels16(px);
    } else {
        std::vector<PF_Pixel> px(n);
        std::memcpy(px.data(), bytes.data(), bytes.size());
        world.set_pixels8(px);
    }
}

template <typename Pixel>
void check_pixels(const std::vector<Pixel>& in, const std::vector<Pixel>& out, const std::vector<Pixel>& expected,
                  bool identity)
{
    if (out.size() != in.size() || expected.size() != in.size())
        fail("frame size changed");
    if (in.empty())
        return;
    if (std::memcmp(out.data(), expected.data(), out.size() * sizeof(Pixel)) != 0)
        fail("render differs from the colour core run alone");
    for (size_t i = 0; i < in.size(); ++i) {
        if (out[i].alpha != in[i].alpha)
            fail("alpha not copied");
        if (!identity && sizeof(Pixel) == sizeof(PF_Pixel16) &&
            (out[i].red > PF_MAX_CHAN16 || out[i].green > PF_MAX_CHAN16 || out[i].blue > PF_MAX_CHAN16))
            fail("16-bit channel above 32768");
    }
}

void check_host(Host& host)
{
    if (!host.suites_balanced())
        fail("a suite was not handed back exactly once");
    if (host.unsupported_calls() != 0 || Host::stray_callbacks() != 0)
        fail("the plug-in called the host wrongly");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 28)
        return 0;
    RenderValues values;
    std::memcpy(&values.hue, data, 4);
    std::memcpy(&values.chroma, data + 4, 8);
    std::memcpy(&values.clip, data + 12, 4);
    std::memcpy(&values.alpha, data + 16, 8);
    const bool deep = data[24] & 1;
    const int threads = ((data[24] >> 1) & 3) + 1;
    const int32_t width = data[25] % 9;
    const int32_t height = data[26] % 9;
    const int32_t padding = data[27] % 17;
    data += 28;
    size -= 28;

    World input(width, height, deep, padding);
    World output(width, height, deep, padding);
    fill(input, data, size);

    Host host(plugin_under_test());
    host.set_threads(threads);
    static const std::vector<PF_ParamDef> declared = DeclaredBy(plugin_under_test());
    EffectParams params(input.world(), declared, values);
    const std::vector<unsigned char> params_before = params.snapshot();

    const PF_Err err = host.render(params, output);
    check_host(host);
    if (host.iterate_calls().size() != 1)
        fail("render did not call iterate exactly once");
    if (err != host.iterate_calls()[0].result)
        fail("render did not return iterate's result");
    if (output.world().data != nullptr && err != PF_Err_NONE)
        fail("render of a frame with memory failed");
    if (!output.padding_intact() || !input.padding_intact())
        fail("a row's padding was written");
    if (params.snapshot() != params_before)
        fail("render wrote the parameters");

    const HueSettings s = ExpectedSettings(values);
    const bool identity = s.hue == 0.f && s.chroma == 0.f;
    const size_t n = (size_t)width * (size_t)height;
    if (deep) {
        std::vector<PF_Pixel16> in = input.pixels16(), expected(n);
        ApplyHue16(s, in.data(), expected.data(), n);
        check_pixels(in, output.pixels16(), expected, identity);
    } else {
        std::vector<PF_Pixel> in = input.pixels8(), expected(n);
        ApplyHue8(s, in.data(), expected.data(), n);
        check_pixels(in, output.pixels8(), expected, identity);
    }

    // The parameter-changed notice with the same values: any popup value is
    // answered, and whatever suite it takes is handed back.
    host.clear_records();
    if (host.user_changed_param(params, 3) != PF_Err_NONE)
        fail("parameter change failed");
    check_host(host);
    return 0;
}
