// The two OKLab conversions: published reference values, what happens at the
// ends of the range and outside it, and how close the round trip comes.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "color/oklab.h"

namespace {

struct ToLabCase {
    const char* name;
    RGB rgb;
    Lab lab;  // to four decimals
};

class RGBtoOKValues : public ::testing::TestWithParam<ToLabCase> {};

TEST_P(RGBtoOKValues, MatchesReference)
{
    const ToLabCase& c = GetParam();
    Lab lab = RGBtoOK(c.rgb);
    EXPECT_NEAR(lab.L, c.lab.L, 1e-4);
    EXPECT_NEAR(lab.a, c.lab.a, 1e-4);
    EXPECT_NEAR(lab.b, c.lab.b, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(
    Colours, RGBtoOKValues,
    ::testing::Values(ToLabCase{"red", {1, 0, 0}, {0.6280f, 0.2249f, 0.1258f}},
                      ToLabCase{"green", {0, 1, 0}, {0.8664f, -0.2339f, 0.1795f}},
                      ToLabCase{"blue", {0, 0, 1}, {0.4520f, -0.0325f, -0.3115f}},
                      // Negative cone responses take the real cube root: a
                      // negative lightness, nothing clamped.
                      ToLabCase{"negative_channel", {-0.5f, 0.1f, 0}, {-0.3779f, -0.3546f, -0.0730f}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RGBtoOK, BlackIsExactlyZeroBothWays)
{
    Lab lab = RGBtoOK({0, 0, 0});
    EXPECT_EQ(lab.L, 0.f);
    EXPECT_EQ(lab.a, 0.f);
    EXPECT_EQ(lab.b, 0.f);
    RGB rgb = OKtoRGBUnclipped({0, 0, 0});
    EXPECT_EQ(rgb.r, 0.f);
    EXPECT_EQ(rgb.g, 0.f);
    EXPECT_EQ(rgb.b, 0.f);
}

TEST(RGBtoOK, ChannelsAboveOneAreNotClamped)
{
    EXPECT_NEAR(RGBtoOK({2.0f, 2.0f, 1.5f}).L, 1.250f, 1e-3);
}

TEST(RGBtoOK, WhiteIsNeutralToRounding)
{
    Lab lab = RGBtoOK({1, 1, 1});
    EXPECT_NEAR(lab.L, 1.f, 4 * FLT_EPSILON);
    EXPECT_LT(std::fabs(lab.a), 1e-6f);
    EXPECT_LT(std::fabs(lab.b), 1e-6f);
}

// Colours inside the gamut, and outside it, come back to within a few
// millionths; nothing is clamped on either way.
class RoundTrip : public ::testing::TestWithParam<RGB> {};

TEST_P(RoundTrip, ReturnsTheColour)
{
    RGB in = GetParam();
    RGB back = OKtoRGBUnclipped(RGBtoOK(in));
    EXPECT_NEAR(back.r, in.r, 5e-6);
    EXPECT_NEAR(back.g, in.g, 5e-6);
    EXPECT_NEAR(back.b, in.b, 5e-6);
}

INSTANTIATE_TEST_SUITE_P(Colours, RoundTrip,
                         ::testing::Values(RGB{1, 0, 0}, RGB{0, 1, 0}, RGB{0, 0, 1}, RGB{1, 1, 0},
                                           RGB{0.25f, 0.5f, 0.75f}, RGB{0.7843f, 0.3922f, 0.1961f},
                                           RGB{-0.5f, 0.1f, 0}, RGB{1.3f, 0.2f, 0.1f},
                                           RGB{0.5f, 0.5f, 1.2f}));

TEST(RoundTrip, ExactEdgesCanLandJustOutside)
{
    // The in-gamut test downstream has no tolerance, so this matters: white
    // comes back with green a rounding error above 1.
    RGB back = OKtoRGBUnclipped(RGBtoOK({1, 1, 1}));
    EXPECT_GT(back.g, 1.f);
    EXPECT_LT(back.g, 1.f + 1e-6f);
}

TEST(OKtoRGBUnclipped, LeavesOutOfGamutChannelsAsTheyCome)
{
    RGB rgb = OKtoRGBUnclipped({0.5f, 0.4f, 0});
    EXPECT_NEAR(rgb.r, 0.8701f, 1e-4);
    EXPECT_NEAR(rgb.g, -0.1460f, 1e-4);
    EXPECT_NEAR(rgb.b, 0.1021f, 1e-4);
}

}  // namespace
