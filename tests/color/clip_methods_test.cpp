// OKtoRGB: colours inside the gamut pass untouched under every clip value;
// colours outside it are handled by the chosen method.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "color/clip_methods.h"
#include "color/oklab.h"
#include "gamut/adaptive_clip.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

const ClipType kEveryClip[] = {ClipType::Adaptive, ClipType::ChromaClipped, ClipType::Truncate,
                               ClipType::Debug,    (ClipType)0,             (ClipType)5,
                               (ClipType)-1};

RGB run(ClipType clip, float alpha, Lab lab)
{
    RGB out{-7, -7, -7};
    OKtoRGB(clip, alpha, lab, out);
    return out;
}

bool same_bits(RGB x, RGB y)
{
    return std::memcmp(&x, &y, sizeof x) == 0;
}

bool in_unit_range(RGB c)
{
    return c.r >= 0 && c.r <= 1 && c.g >= 0 && c.g <= 1 && c.b >= 0 && c.b <= 1;
}

// Labs whose conversion lies inside the gamut, ends included: each edge case
// converts to exactly 0 or exactly 1 in one channel, and the comparisons are
// strict, so it must pass untouched.
struct InGamutCase {
    const char* name;
    Lab lab;
    int edge_channel;  // -1: no channel on the edge
    float edge_value;
};

class InGamut : public ::testing::TestWithParam<InGamutCase> {};

TEST_P(InGamut, PassesUnchangedUnderEveryClip)
{
    const InGamutCase& c = GetParam();
    RGB unclipped = OKtoRGBUnclipped(c.lab);
    ASSERT_TRUE(in_unit_range(unclipped));
    if (c.edge_channel >= 0) {
        ASSERT_EQ((&unclipped.r)[c.edge_channel], c.edge_value);
    }
    for (ClipType clip : kEveryClip)
        for (float alpha : {0.f, 0.05f, 50.f})
            EXPECT_TRUE(same_bits(run(clip, alpha, c.lab), unclipped)) << (int)clip;
}

INSTANTIATE_TEST_SUITE_P(
    Colours, InGamut,
    ::testing::Values(InGamutCase{"mid", {0.6f, 0.05f, -0.02f}, -1, 0},
                      InGamutCase{"black", {0, 0, 0}, 0, 0.f},
                      InGamutCase{"red_one", {0.84479177f, 0.0545853935f, 0.0862488151f}, 0, 1.f},
                      InGamutCase{"green_one", {0.929312527f, -0.112137556f, 0.119668722f}, 1, 1.f},
                      InGamutCase{"blue_one", {0.784368396f, -0.0270247757f, -0.107459247f}, 2, 1.f},
                      InGamutCase{"red_zero", {0.733209431f, -0.103195004f, -0.0829875469f}, 0, 0.f},
                      InGamutCase{"green_zero", {0.581780195f, 0.211194217f, -0.185458124f}, 1, 0.f},
                      InGamutCase{"blue_zero", {0.802421808f, -0.0130350944f, 0.164119422f}, 2, 0.f}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InGamutEdges, NaNChannelCountsAsInRange)
{
    // A NaN fails both comparisons; it is left for the store to turn into 0.
    RGB out = run(ClipType::Debug, 0, {kNaN, 0, 0});
    EXPECT_TRUE(std::isnan(out.r) && std::isnan(out.g) && std::isnan(out.b));
}

// Out-of-gamut colours used across methods.
const Lab kWhiteRoundTrip = RGBtoOK({1, 1, 1});  // green comes back a hair above 1
const Lab kOrange = RGBtoOK({1.3f, 0.2f, 0.1f});
const Lab kSkyBlue = RGBtoOK({0.5f, 0.5f, 1.2f});
const Lab kDarkSaturated{0.5f, 0.437309802f, 0.242404908f};
const Lab kFarOut{0.3f, -0.6f, 0.45f};

TEST(Debug, PaintsEveryOutOfGamutColourRed)
{
    ASSERT_GT(OKtoRGBUnclipped(kWhiteRoundTrip).g, 1.f);
    for (Lab lab : {kWhiteRoundTrip, kOrange, kSkyBlue, kDarkSaturated, kFarOut})
        for (float alpha : {0.f, 0.05f, -1.f, 50.f}) {
            RGB out = run(ClipType::Debug, alpha, lab);
            EXPECT_EQ(out.r, 1.f);
            EXPECT_EQ(out.g, 0.f);
            EXPECT_EQ(out.b, 0.f);
        }
}

TEST(Truncate, ClampsEachChannelAndKeepsTheRest)
{
    Lab lab = RGBtoOK({1.2f, 0.5f, -0.1f});
    RGB unclipped = OKtoRGBUnclipped(lab);
    RGB out = run(ClipType::Truncate, 0, lab);
    EXPECT_EQ(out.r, 1.f);
    EXPECT_EQ(out.g, unclipped.g);
    EXPECT_NEAR(out.g, 0.5f, 1e-6);
    EXPECT_EQ(out.b, 0.f);

    // A rounding error above 1 is out of gamut and clamped away.
    RGB white = run(ClipType::Truncate, 0, kWhiteRoundTrip);
    EXPECT_EQ(white.g, 1.f);
}

TEST(Truncate, TurnsANaNChannelIntoZero)
{
    // l' overflows to +inf and m' to -inf while s' stays finite: red is +inf,
    // green -inf and blue inf - inf = NaN. The colour is out of gamut.
    Lab lab{0, 1e14f, -6.93e12f};
    RGB unclipped = OKtoRGBUnclipped(lab);
    ASSERT_TRUE(std::isinf(unclipped.r) && unclipped.r > 0);
    ASSERT_TRUE(std::isinf(unclipped.g) && unclipped.g < 0);
    ASSERT_TRUE(std::isnan(unclipped.b));

    RGB out = run(ClipType::Truncate, 0, lab);
    EXPECT_EQ(out.r, 1.f);
    EXPECT_EQ(out.g, 0.f);
    EXPECT_EQ(out.b, 0.f);

    // The adaptive clip makes NaN of every channel; its clamp gives 0 too.
    RGB nan = gamut_clip_adaptive_L0_L_cusp(unclipped, 0.05f);
    ASSERT_TRUE(std::isnan(nan.r) && std::isnan(nan.g) && std::isnan(nan.b));
    RGB adaptive = run(ClipType::Adaptive, 0.05f, lab);
    EXPECT_EQ(adaptive.r, 0.f);
    EXPECT_EQ(adaptive.g, 0.f);
    EXPECT_EQ(adaptive.b, 0.f);
}

TEST(NoClip, OtherValuesLeaveTheColourOutside)
{
    for (ClipType clip : {(ClipType)0, (ClipType)5, (ClipType)-1, (ClipType)1000})
        for (Lab lab : {kOrange, kSkyBlue, kFarOut}) {
            RGB out = run(clip, 0.05f, lab);
            EXPECT_TRUE(same_bits(out, OKtoRGBUnclipped(lab)));
            EXPECT_FALSE(in_unit_range(out));
        }
}

TEST(Adaptive, ResultAlwaysWithinUnitRange)
{
    // Including the colours for which the clip itself overshoots (sky blue,
    // alpha 0.5, leaves blue 2e-5 above 1) and a wild negative alpha.
    for (Lab lab : {kWhiteRoundTrip, kOrange, kSkyBlue, kDarkSaturated, kFarOut,
                    Lab{1.6f, 0.3f, 0.1f}, Lab{-0.3f, 0.1f, -0.2f}})
        for (float alpha : {0.f, 0.05f, 0.5f, 5.f, 50.f, -1.f, -100.f}) {
            RGB out = run(ClipType::Adaptive, alpha, lab);
            EXPECT_TRUE(in_unit_range(out)) << lab.L << " " << lab.a << " " << lab.b << " alpha " << alpha;
        }
    RGB sky = run(ClipType::Adaptive, 0.5f, kSkyBlue);
    EXPECT_EQ(sky.b, 1.f);
}

TEST(ChromaClipped, KeepsLightnessAndHueAndLowersChroma)
{
    for (Lab lab : {kOrange, kSkyBlue, kDarkSaturated, kFarOut}) {
        ASSERT_GE(lab.L, 0.f);
        ASSERT_LE(lab.L, 1.f);
        RGB out = run(ClipType::ChromaClipped, 0, lab);
        // The method converts its unclipped RGB back, not the Lab argument.
        Lab from = RGBtoOK(OKtoRGBUnclipped(lab));
        Lab to = RGBtoOK(out);
        EXPECT_NEAR(to.L, from.L, 2e-4);
        EXPECT_NEAR(atan2f(to.b, to.a), atan2f(from.b, from.a), 1e-3);
        EXPECT_LT(hypotf(to.a, to.b), hypotf(from.a, from.b));
        // On the gamut surface, to the single refinement step's precision.
        float lo = fminf(fminf(out.r, out.g), out.b);
        float hi = fmaxf(fmaxf(out.r, out.g), out.b);
        EXPECT_GT(lo, -2e-4f);
        EXPECT_LT(hi, 1.f + 2e-4f);
        EXPECT_TRUE(std::fabs(lo) < 2e-4f || std::fabs(hi - 1.f) < 2e-4f) << lo << " " << hi;
    }
}

TEST(ChromaClipped, IsNotClampedAfterwards)
{
    RGB out = run(ClipType::ChromaClipped, 0, kDarkSaturated);
    EXPECT_LT(out.g, 0.f);
    EXPECT_GT(out.g, -1e-3f);
}

TEST(ChromaClipped, BeyondWhiteOrBlackMovesTowardIt)
{
    RGB white = run(ClipType::ChromaClipped, 0, RGBtoOK({2.0f, 2.0f, 1.5f}));
    EXPECT_NEAR(white.r, 1.f, 1e-4);
    EXPECT_NEAR(white.g, 1.f, 1e-4);
    EXPECT_NEAR(white.b, 1.f, 1e-4);

    RGB black = run(ClipType::ChromaClipped, 0, {-0.3f, 0.1f, -0.2f});
    EXPECT_NEAR(black.r, 0.f, 1e-4);
    EXPECT_NEAR(black.g, 0.f, 1e-4);
    EXPECT_NEAR(black.b, 0.f, 1e-4);
}

TEST(AlphaOnlyMovesTheAdaptiveClip, OtherMethodsIgnoreIt)
{
    for (ClipType clip : {ClipType::ChromaClipped, ClipType::Truncate, ClipType::Debug, (ClipType)0})
        for (Lab lab : {kOrange, kSkyBlue, kFarOut}) {
            RGB base = run(clip, 0, lab);
            for (float alpha : {0.05f, -1.f, 50.f, kNaN})
                EXPECT_TRUE(same_bits(run(clip, alpha, lab), base)) << (int)clip << " " << alpha;
        }
    EXPECT_FALSE(same_bits(run(ClipType::Adaptive, 0, kOrange), run(ClipType::Adaptive, 5, kOrange)));
}

}  // namespace
