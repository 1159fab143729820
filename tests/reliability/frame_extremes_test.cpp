// Whole renders of the real plug-in at the edges of what a host's frames can
// be: empty, one pixel, one row or column, rows padded beyond their pixels,
// input and output the same buffer, and parameter values at the ends of
// their types. Every pixel is checked against the colour core run alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "color/hue_settings.h"
#include "tests/support/color/pixel_arrays.h"
#include "tests/support/plugin_under_test.h"
#include "tests/support/effect_params.h"
#include "tools/aehost/effect.h"
#include "tools/aehost/host.h"

namespace {

using aehost::Host;
using aehost::ParamSet;
using aehost::World;

// Deterministic pixels over the whole range, a few 16-bit ones above the
// host's maximum among them.
uint32_t next(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

std::vector<PF_Pixel> pixels8(size_t n, uint32_t seed)
{
    std::vector<PF_Pixel> px(n);
    for (PF_Pixel& p : px) {
        uint32_t r = next(seed);
        p = {(uint8_t)r, (uint8_t)(r >> 8), (uint8_t)(r >> 16), (uint8_t)next(seed)};
    }
    return px;
}

std::vector<PF_Pixel16> pixels16(size_t n, uint32_t seed)
{
    std::vector<PF_Pixel16> px(n);
    for (PF_Pixel16& p : px) {
        auto channel = [&] {
            uint32_t r = next(seed) % 33000;  // 32769..32999 now and then
            return (uint16_t)r;
        };
        p = {channel(), channel(), channel(), channel()};
    }
    return px;
}

// Bit-for-bit equal frames (an empty frame has no pixel memory to compare).
template <typename Pixel>
bool same(const std::vector<Pixel>& a, const std::vector<Pixel>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(Pixel)) == 0);
}

struct FrameCase {
    int32_t width;
    int32_t height;
    int32_t padding;  // bytes after every row
    bool deep;
    int threads;
};

std::ostream& operator<<(std::ostream& os, const FrameCase& c)
{
    return os << c.width << "x" << c.height << " pad " << c.padding << (c.deep ? " 16-bit" : " 8-bit") << " "
              << c.threads << " threads";
}

class FrameShapes : public ::testing::TestWithParam<FrameCase> {};

// Every pixel of the frame, and only those, is written with what the colour
// core gives it; the padding after each row, the input frame and the
// records the effect is handed stay as they were.
TEST_P(FrameShapes, RenderWritesExactlyThePixels)
{
    const FrameCase c = GetParam();
    const size_t n = (size_t)c.width * (size_t)c.height;
    for (int32_t clip : {1, 2, 3, 4, 0}) {
        RenderValues values;
        values.hue = 117 << 16;
        values.chroma = 60.0;
        values.clip = clip;
        values.alpha = 0.5;
        const HueSettings s = ExpectedSettings(values);

        World input(c.width, c.height, c.deep, c.padding);
        World output(c.width, c.height, c.deep, c.padding);
        std::vector<PF_Pixel> in8;
        std::vector<PF_Pixel16> in16;
        if (c.deep) {
            in16 = pixels16(n, 7 + clip);
            input.set_pixels16(in16);
        } else {
            in8 = pixels8(n, 7 + clip);
            input.set_pixels8(in8);
        }

        Host host(plugin_under_test());
        host.set_threads(c.threads);
        EffectParams params(input.world(), DeclaredBy(plugin_under_test()), values);
        const std::vector<unsigned char> params_before = params.snapshot();

        const PF_Err err = host.render(params, output);
        EXPECT_TRUE(output.padding_intact()) << c << " clip " << clip;
        EXPECT_TRUE(input.padding_intact()) << c << " clip " << clip;
        EXPECT_EQ(params.snapshot(), params_before) << c << " clip " << clip;
        ASSERT_EQ(host.iterate_calls().size(), 1u);
        EXPECT_EQ(host.iterate_calls()[0].progress_final, c.height);
        EXPECT_TRUE(host.suites_balanced());
        // A frame without any memory at all (no pixels, no padding) is
        // refused by this host's iterate; the effect passes that answer on.
        // Every frame with memory renders.
        EXPECT_EQ(err, host.iterate_calls()[0].result) << c << " clip " << clip;
        if (output.world().data != nullptr) {
            ASSERT_EQ(err, PF_Err_NONE) << c << " clip " << clip;
        }

        if (c.deep) {
            std::vector<PF_Pixel16> expected(n);
            ApplyHue16(s, in16.data(), expected.data(), n);
            ASSERT_EQ(input.pixels16().size(), n);
            EXPECT_TRUE(same(input.pixels16(), in16));
            std::vector<PF_Pixel16> got = output.pixels16();
            ASSERT_EQ(got.size(), n);
            EXPECT_TRUE(same(got, expected)) << c << " clip " << clip;
        } else {
            std::vector<PF_Pixel> expected(n);
            ApplyHue8(s, in8.data(), expected.data(), n);
            EXPECT_TRUE(same(input.pixels8(), in8));
            std::vector<PF_Pixel> got = output.pixels8();
            ASSERT_EQ(got.size(), n);
            EXPECT_TRUE(same(got, expected)) << c << " clip " << clip;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Extremes, FrameShapes,
                         ::testing::Values(FrameCase{0, 0, 0, false, 1}, FrameCase{0, 0, 0, true, 4},
                                           FrameCase{0, 9, 8, false, 2}, FrameCase{9, 0, 0, true, 2},
                                           FrameCase{1, 1, 0, false, 1}, FrameCase{1, 1, 0, true, 3},
                                           FrameCase{1, 1, 12, false, 1}, FrameCase{1, 1, 14, true, 2},
                                           FrameCase{300, 1, 4, false, 4}, FrameCase{1, 300, 2, true, 4},
                                           FrameCase{17, 9, 60, false, 3}, FrameCase{17, 9, 62, true, 3},
                                           FrameCase{64, 33, 1, false, 8}, FrameCase{5, 3, 0, true, 16}));

// A host may hand the same buffer as input and output: every pixel is read
// before its own output is written, so the result is the same as with two
// buffers.
TEST(InPlaceRender, SameBufferGivesTheSameResult)
{
    std::string error;
    auto effect = aehost::Effect::load(plugin_path(), &error);
    ASSERT_TRUE(effect) << error;
    RenderValues values;
    values.hue = -77 * 65536;
    values.chroma = 80.0;
    values.clip = 1;
    const int32_t w = 23, h = 11;
    const size_t n = (size_t)w * h;

    std::vector<PF_Pixel> in8 = pixels8(n, 3), out8(n), buf8 = in8;
    ASSERT_EQ(effect->render8(WithValues(*effect, values), w, h, in8.data(), out8.data(), 3), PF_Err_NONE);
    ASSERT_EQ(effect->render8(WithValues(*effect, values), w, h, buf8.data(), buf8.data(), 3), PF_Err_NONE);
    EXPECT_EQ(std::memcmp(buf8.data(), out8.data(), n * sizeof(PF_Pixel)), 0);

    std::vector<PF_Pixel16> in16 = pixels16(n, 4), out16(n), buf16 = in16;
    ASSERT_EQ(effect->render16(WithValues(*effect, values), w, h, in16.data(), out16.data(), 3), PF_Err_NONE);
    ASSERT_EQ(effect->render16(WithValues(*effect, values), w, h, buf16.data(), buf16.data(), 3), PF_Err_NONE);
    EXPECT_EQ(std::memcmp(buf16.data(), out16.data(), n * sizeof(PF_Pixel16)), 0);
}

// ------------------------------------------------- parameter type extremes

struct ValueCase {
    const char* what;
    RenderValues values;
};

std::ostream& operator<<(std::ostream& os, const ValueCase& c)
{
    return os << c.what;
}

RenderValues make(int32_t hue, double chroma, int32_t clip, double alpha)
{
    RenderValues v;
    v.hue = hue;
    v.chroma = chroma;
    v.clip = clip;
    v.alpha = alpha;
    return v;
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kDenormal = std::numeric_limits<double>::denorm_min();
constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();

class ParameterExtremes : public ::testing::TestWithParam<ValueCase> {};

// Whatever value a host stores in a parameter, the render succeeds and gives
// exactly what the colour core gives for the settings those values turn
// into: a 16-bit channel never above 32768 (unless copied unchanged), the
// alpha always copied.
TEST_P(ParameterExtremes, RenderMatchesTheColourCoreAndStaysInRange)
{
    const ValueCase c = GetParam();
    std::string error;
    auto effect = aehost::Effect::load(plugin_path(), &error);
    ASSERT_TRUE(effect) << error;
    const HueSettings s = ExpectedSettings(c.values);
    const bool identity = s.hue == 0.f && s.chroma == 0.f;
    const int32_t w = 16, h = 8;
    const size_t n = (size_t)w * h;

    std::vector<PF_Pixel> in8 = pixels8(n, 11), out8(n), ref8(n);
    ASSERT_EQ(effect->render8(WithValues(*effect, c.values), w, h, in8.data(), out8.data(), 2), PF_Err_NONE);
    ApplyHue8(s, in8.data(), ref8.data(), n);
    EXPECT_EQ(std::memcmp(out8.data(), ref8.data(), n * sizeof(PF_Pixel)), 0);

    std::vector<PF_Pixel16> in16 = pixels16(n, 12), out16(n), ref16(n);
    ASSERT_EQ(effect->render16(WithValues(*effect, c.values), w, h, in16.data(), out16.data(), 2), PF_Err_NONE);
    ApplyHue16(s, in16.data(), ref16.data(), n);
    EXPECT_EQ(std::memcmp(out16.data(), ref16.data(), n * sizeof(PF_Pixel16)), 0);
    for (size_t i = 0; i < n; ++i) {
        ASSERT_EQ(out16[i].alpha, in16[i].alpha);
        ASSERT_EQ(out8[i].alpha, in8[i].alpha);
        if (!identity) {
            ASSERT_LE(std::max({out16[i].red, out16[i].green, out16[i].blue}), PF_MAX_CHAN16) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Extremes, ParameterExtremes,
    ::testing::Values(ValueCase{"hue +32767 deg", make(32767 << 16, 0.0, 1, 0.5)},
                      ValueCase{"hue -32768 deg", make(kMin32, 0.0, 2, 0.5)},
                      ValueCase{"hue largest fixed value", make(kMax32, 10.0, 3, 0.5)},
                      ValueCase{"hue -0.25 deg is -1 deg", make(-(1 << 14), 0.0, 1, 0.5)},
                      ValueCase{"chroma lowest valid", make(0, -10000000.0, 1, 0.5)},
                      ValueCase{"chroma highest valid", make(0, 10000000.0, 2, 0.5)},
                      ValueCase{"chroma beyond float", make(0, 1e300, 1, 0.5)},
                      ValueCase{"chroma below float", make(0, -1e300, 2, 0.5)},
                      ValueCase{"chroma NaN", make(0, kNaN, 1, 0.5)},
                      ValueCase{"chroma +inf", make(5 << 16, kInf, 3, 0.5)},
                      ValueCase{"chroma -inf", make(5 << 16, -kInf, 4, 0.5)},
                      ValueCase{"chroma denormal", make(0, kDenormal, 1, 0.5)},
                      ValueCase{"chroma -0", make(0, -0.0, 4, 0.5)},
                      ValueCase{"alpha 0", make(40 << 16, 200.0, 1, 0.0)},
                      ValueCase{"alpha negative", make(40 << 16, 200.0, 1, -10000000.0)},
                      ValueCase{"alpha huge", make(40 << 16, 200.0, 1, 10000000.0)},
                      ValueCase{"alpha NaN", make(40 << 16, 200.0, 1, kNaN)},
                      ValueCase{"alpha beyond float", make(40 << 16, 200.0, 1, -1e300)},
                      ValueCase{"popup 0", make(40 << 16, 200.0, 0, 0.5)},
                      ValueCase{"popup 5", make(40 << 16, 200.0, 5, 0.5)},
                      ValueCase{"popup most negative", make(40 << 16, 200.0, kMin32, 0.5)},
                      ValueCase{"popup largest", make(40 << 16, 200.0, kMax32, 0.5)}));

}  // namespace
