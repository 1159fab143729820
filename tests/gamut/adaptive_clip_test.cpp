// The adaptive clip: anchors and results for the worked colours at several
// alphas, the early return for colours strictly inside, colours on the edge
// and above white. Exactly grey colours are in tests/color/grey_test.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "color/oklab.h"
#include "gamut/adaptive_clip.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct SgnCase {
    float x;
    float sign;
};

class Sgn : public ::testing::TestWithParam<SgnCase> {};

TEST_P(Sgn, IsTheSignOrZero)
{
    float s = sgn(GetParam().x);
    EXPECT_EQ(s, GetParam().sign);
    // sgn(-0) must be a plain 0, not -0, and never NaN.
    EXPECT_FALSE(std::signbit(s) && s == 0.f);
}

INSTANTIATE_TEST_SUITE_P(Values, Sgn,
                         ::testing::Values(SgnCase{2.5f, 1}, SgnCase{-3.f, -1}, SgnCase{0.f, 0},
                                           SgnCase{-0.f, 0}, SgnCase{kNaN, 0}, SgnCase{kInf, 1},
                                           SgnCase{-kInf, -1}, SgnCase{1e-45f, 1}, SgnCase{-1e-45f, -1}));

bool same_bits(RGB x, RGB y)
{
    return std::memcmp(&x, &y, sizeof x) == 0;
}

TEST(AdaptiveClip, StrictlyInsideIsReturnedBitForBit)
{
    const RGB inside[] = {{0.5f, 0.5f, 0.5f}, {1e-30f, 0.99999994f, 0.3f}, {0.25f, 0.75f, 0.125f}};
    for (RGB c : inside)
        for (float alpha : {0.f, 0.05f, 5.f, -1.f})
            EXPECT_TRUE(same_bits(gamut_clip_adaptive_L0_L_cusp(c, alpha), c)) << alpha;
}

TEST(AdaptiveClip, ColoursOnTheEdgeAreProcessedAndComeBackAsThemselves)
{
    // A channel of exactly 0 or 1 fails the strict early test, so the colour
    // goes through the whole clip: it lands where it started, but with the
    // conversions' rounding, never bit for bit. The primaries come back to five
    // decimals; one colour per bound, the other channels strictly inside, to
    // the precision of the boundary's straight lower edge.
    struct EdgeCase {
        RGB colour;
        float tol;
    };
    const EdgeCase edge[] = {{{1, 0, 0}, 1e-5f},       {{0, 1, 0}, 1e-5f},        {{0, 0, 1}, 1e-5f},
                             {{1, 0.5f, 0.25f}, 1e-3f}, {{0.5f, 1, 0.5f}, 1e-3f}, {{0.25f, 0.5f, 1}, 1e-3f},
                             {{0, 0.5f, 0.75f}, 1e-3f}, {{0.3f, 0, 0.6f}, 1e-3f}, {{0.3f, 0.6f, 0}, 1e-3f}};
    for (const EdgeCase& e : edge)
        for (float alpha : {0.f, 0.05f, 1.f, 5.f}) {
            RGB c = e.colour;
            RGB out = gamut_clip_adaptive_L0_L_cusp(c, alpha);
            EXPECT_FALSE(same_bits(out, c)) << c.r << " " << c.g << " " << c.b;
            EXPECT_NEAR(out.r, c.r, e.tol) << alpha;
            EXPECT_NEAR(out.g, c.g, e.tol) << alpha;
            EXPECT_NEAR(out.b, c.b, e.tol) << alpha;
        }
}

struct LC {
    double L;
    double C;
};

LC lightness_chroma(RGB c)
{
    Lab lab = RGBtoOK(c);
    return {lab.L, std::hypot((double)lab.a, (double)lab.b)};
}

// The clip moves a colour along a straight line toward (L0, 0), so the anchor
// is where the line through the colour and its result meets the grey axis.
double anchor_of(RGB in, RGB out)
{
    LC from = lightness_chroma(in);
    LC to = lightness_chroma(out);
    return from.L + (to.L - from.L) * from.C / (from.C - to.C);
}

struct AnchorCase {
    const char* name;
    RGB colour;
    float alpha;
    float anchor;
    bool has_result;  // the worked result below is given for this alpha
    RGB result;
    float chroma;  // NaN where none is given
};

class AdaptiveAnchors : public ::testing::TestWithParam<AnchorCase> {};

TEST_P(AdaptiveAnchors, MoveTowardTheAnchor)
{
    const AnchorCase& c = GetParam();
    RGB out = gamut_clip_adaptive_L0_L_cusp(c.colour, c.alpha);
    EXPECT_NEAR(anchor_of(c.colour, out), c.anchor, 2e-3);

    // The hue stays; the colour is never moved outward.
    Lab in_lab = RGBtoOK(c.colour);
    Lab out_lab = RGBtoOK(out);
    EXPECT_NEAR(atan2f(out_lab.b, out_lab.a), atan2f(in_lab.b, in_lab.a), 1e-3);
    EXPECT_LT(lightness_chroma(out).C, lightness_chroma(c.colour).C);

    if (c.has_result) {
        EXPECT_NEAR(out.r, c.result.r, 1e-3);
        EXPECT_NEAR(out.g, c.result.g, 1e-3);
        EXPECT_NEAR(out.b, c.result.b, 1e-3);
        if (!std::isnan(c.chroma)) {
            EXPECT_NEAR(lightness_chroma(out).C, c.chroma, 1e-3);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    WorkedColours, AdaptiveAnchors,
    ::testing::Values(
        // Lightness 0.775, chroma 0.201, cusp lightness 0.651. Alpha 0 keeps
        // the colour's own lightness.
        AnchorCase{"orange_alpha_0", {1.3f, 0.2f, 0.1f}, 0.f, 0.775f, true, {1.000f, 0.298f, 0.203f}, 0.134f},
        AnchorCase{"orange_alpha_0_5", {1.3f, 0.2f, 0.1f}, 0.5f, 0.732f, true, {1.000f, 0.268f, 0.175f}, 0.143f},
        AnchorCase{"orange_alpha_5", {1.3f, 0.2f, 0.1f}, 5.f, 0.674f, true, {1.000f, 0.241f, 0.150f}, 0.152f},
        AnchorCase{"orange_alpha_50", {1.3f, 0.2f, 0.1f}, 50.f, 0.654f, false, {}, 0},
        // The root's argument comes out negative (about -0.139) and is raised
        // to 0; without that the anchor would be NaN.
        AnchorCase{"orange_alpha_minus_1", {1.3f, 0.2f, 0.1f}, -1.f, 0.743f, true, {1.000f, 0.275f, 0.182f}, kNaN},
        // Lightness 0.827, cusp lightness 0.498.
        AnchorCase{"blue_alpha_0", {0.5f, 0.5f, 1.2f}, 0.f, 0.827f, false, {}, 0},
        AnchorCase{"blue_alpha_0_5", {0.5f, 0.5f, 1.2f}, 0.5f, 0.760f, true, {0.484f, 0.490f, 1.000f}, kNaN},
        AnchorCase{"blue_alpha_5", {0.5f, 0.5f, 1.2f}, 5.f, 0.623f, false, {}, 0},
        AnchorCase{"blue_alpha_50", {0.5f, 0.5f, 1.2f}, 50.f, 0.522f, false, {}, 0},
        AnchorCase{"blue_alpha_minus_1", {0.5f, 0.5f, 1.2f}, -1.f, 0.852f, false, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AdaptiveClip, ResultIsNotClampedHere)
{
    // One refinement step leaves blue about 2e-5 above 1; the dispatch clamps
    // it, this routine must not.
    RGB out = gamut_clip_adaptive_L0_L_cusp({0.5f, 0.5f, 1.2f}, 0.5f);
    EXPECT_GT(out.b, 1.f);
    EXPECT_LT(out.b, 1.0001f);
}

TEST(AdaptiveClip, AboveWhiteBecomesWhite)
{
    RGB out = gamut_clip_adaptive_L0_L_cusp({2.0f, 2.0f, 1.5f}, 0.f);
    EXPECT_NEAR(out.r, 1.f, 1e-5);
    EXPECT_NEAR(out.g, 1.f, 1e-5);
    EXPECT_NEAR(out.b, 1.f, 1e-5);
}

TEST(AdaptiveClip, NaNChannelFlowsThrough)
{
    // Validation is the dispatch's business: here a NaN just travels on.
    RGB out = gamut_clip_adaptive_L0_L_cusp({kNaN, 0.5f, 0.5f}, 0.05f);
    EXPECT_TRUE(std::isnan(out.r) && std::isnan(out.g) && std::isnan(out.b));
}

}  // namespace
