// The gamut boundary at one hue: cusps of the primaries and secondaries, which
// channel limits each hue, the single Halley step, and where a segment from the
// grey axis leaves the gamut.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "color/oklab.h"
#include "gamut/gamut_boundary.h"

namespace {

struct Direction {
    float a;
    float b;
};

Direction hue_of(RGB rgb)
{
    Lab lab = RGBtoOK(rgb);
    float C = sqrtf(lab.a * lab.a + lab.b * lab.b);
    return {lab.a / C, lab.b / C};
}

float channel(RGB c, int i)
{
    return i == 0 ? c.r : (i == 1 ? c.g : c.b);
}

enum { kRed = 0, kGreen = 1, kBlue = 2 };

struct CuspCase {
    const char* name;
    RGB colour;
    float L;
    float C;
};

class CuspOfPrimaries : public ::testing::TestWithParam<CuspCase> {};

// The most saturated colour of a primary's or secondary's hue is that colour
// itself, so its cusp is its own lightness and chroma.
TEST_P(CuspOfPrimaries, IsTheColourItself)
{
    const CuspCase& c = GetParam();
    Direction d = hue_of(c.colour);
    Cusp cusp = find_cusp(d.a, d.b);
    EXPECT_NEAR(cusp.L, c.L, 1e-3);
    EXPECT_NEAR(cusp.C, c.C, 1e-3);

    Lab own = RGBtoOK(c.colour);
    EXPECT_NEAR(cusp.L, own.L, 1e-3);
    EXPECT_NEAR(cusp.C, sqrtf(own.a * own.a + own.b * own.b), 1e-3);
}

INSTANTIATE_TEST_SUITE_P(SixHues, CuspOfPrimaries,
                         ::testing::Values(CuspCase{"red", {1, 0, 0}, 0.628f, 0.258f},
                                           CuspCase{"green", {0, 1, 0}, 0.866f, 0.295f},
                                           CuspCase{"blue", {0, 0, 1}, 0.452f, 0.313f},
                                           CuspCase{"yellow", {1, 1, 0}, 0.968f, 0.211f},
                                           CuspCase{"cyan", {0, 1, 1}, 0.905f, 0.155f},
                                           CuspCase{"magenta", {1, 0, 1}, 0.702f, 0.322f}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindCusp, CuspColourHasItsLargestChannelAtOne)
{
    for (int deg = 0; deg < 360; deg += 15) {
        float h = (float)deg * 0.017453292f;
        Cusp cusp = find_cusp(cosf(h), sinf(h));
        RGB rgb = OKtoRGBUnclipped({cusp.L, cusp.C * cosf(h), cusp.C * sinf(h)});
        EXPECT_NEAR(fmaxf(fmaxf(rgb.r, rgb.g), rgb.b), 1.f, 1e-5) << deg << " degrees";
    }
}

// Which channel reaches 0 first along (1, S·a, S·b) decides the coefficient
// set; at the returned S that channel sits near 0 and is the smallest.
struct LimitCase {
    const char* name;
    Direction dir;
    int limiting;
};

class LimitingChannel : public ::testing::TestWithParam<LimitCase> {};

TEST_P(LimitingChannel, IsTheOneDrivenToZero)
{
    const LimitCase& c = GetParam();
    float S = compute_max_saturation(c.dir.a, c.dir.b);
    RGB rgb = OKtoRGBUnclipped({1.f, S * c.dir.a, S * c.dir.b});
    float limit = channel(rgb, c.limiting);
    EXPECT_NEAR(limit, 0.f, 5e-3);
    for (int i = 0; i < 3; ++i) {
        if (i != c.limiting) {
            EXPECT_GT(channel(rgb, i), limit + 0.05f) << "channel " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Directions, LimitingChannel,
    ::testing::Values(LimitCase{"yellow_takes_blue", hue_of({1, 1, 0}), kBlue},
                      LimitCase{"cyan_takes_red", hue_of({0, 1, 1}), kRed},
                      LimitCase{"magenta_takes_green", hue_of({1, 0, 1}), kGreen},
                      LimitCase{"plus_a_takes_green", {1, 0}, kGreen},
                      LimitCase{"plus_b_takes_blue", {0, 1}, kBlue},
                      LimitCase{"minus_a_takes_red", {-1, 0}, kRed},
                      LimitCase{"minus_b_takes_green", {0, -1}, kGreen}),
    [](const auto& info) { return std::string(info.param.name); });

// The primaries lie where the regions of two coefficient sets meet: their
// tests come out 1 to within rounding, and the side of 1 they fall on is the
// maths library's last bit. Swept across the line, whichever side, the
// saturation stays the corner's, whose cusp lies on the gamut; the sets on
// either side of the old strict test disagree there (blue: 0.573 against
// 0.693, red: 0.41063 against 0.41035). Beyond a narrow band the tests decide
// as they always did.
struct CornerCase {
    const char* name;
    RGB primary;
    float S;            // the corner's saturation
    float beyond;       // hue offset, radians, well outside the band
    float S_beyond;     // what the tests' own choice gives there
};

class PrimaryCorner : public ::testing::TestWithParam<CornerCase> {};

TEST_P(PrimaryCorner, SaturationDoesNotDependOnTheSideOfTheLine)
{
    const CornerCase& c = GetParam();
    Lab own = RGBtoOK(c.primary);
    double h0 = std::atan2((double)own.b, (double)own.a);
    int above = 0, below = 0;
    for (int i = -16; i <= 16; ++i) {
        // Up to 8e-6 radians either way: the tests move by up to 1.5e-5.
        float a = (float)std::cos(h0 + i * 5e-7), b = (float)std::sin(h0 + i * 5e-7);
        float red_test = -1.8817033f * a - 0.8093649f * b;
        float green_test = 1.8144411f * a - 1.1944528f * b;
        float test = std::fabs(red_test - 1.f) < std::fabs(green_test - 1.f) ? red_test : green_test;
        (test > 1.f ? above : below) += 1;

        float S = compute_max_saturation(a, b);
        EXPECT_NEAR(S, c.S, 1e-4) << i;
        RGB rgb = OKtoRGBUnclipped({1.f, S * a, S * b});
        float largest = fmaxf(fmaxf(rgb.r, rgb.g), rgb.b);
        EXPECT_GE(fminf(fminf(rgb.r, rgb.g), rgb.b), -largest / 32768.f) << i;
    }
    EXPECT_GT(above, 0);
    EXPECT_GT(below, 0);

    float a = (float)std::cos(h0 + c.beyond), b = (float)std::sin(h0 + c.beyond);
    EXPECT_NEAR(compute_max_saturation(a, b), c.S_beyond, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(
    Primaries, PrimaryCorner,
    ::testing::Values(CornerCase{"red", {1, 0, 0}, 0.41035f, -2e-4f, 0.41063f},
                      CornerCase{"green", {0, 1, 0}, 0.34028f, 2e-4f, 0.34022f},
                      // On red's side of blue the red set answers, a sixth short.
                      CornerCase{"blue", {0, 0, 1}, 0.69295f, -2e-4f, 0.57150f}),
    [](const auto& info) { return std::string(info.param.name); });

// One Halley step from the polynomial estimate, not a converged root: the
// limiting channel is still slightly above 0 where the step lands.
struct HalleyCase {
    const char* name;
    Direction dir;
    int limiting;
    float S;         // what the single step gives
    float S_tol;
    float root;      // where the channel really reaches 0
    float residual;  // the channel at the returned S
};

class SingleHalleyStep : public ::testing::TestWithParam<HalleyCase> {};

TEST_P(SingleHalleyStep, StopsShortOfTheRoot)
{
    const HalleyCase& c = GetParam();
    float S = compute_max_saturation(c.dir.a, c.dir.b);
    EXPECT_NEAR(S, c.S, c.S_tol);
    EXPECT_LT(S, c.root);
    EXPECT_GT(c.root - S, 3 * c.S_tol);

    RGB rgb = OKtoRGBUnclipped({1.f, S * c.dir.a, S * c.dir.b});
    float residual = channel(rgb, c.limiting);
    EXPECT_GT(residual, 0.f);
    EXPECT_NEAR(residual, c.residual, 1e-3);

    RGB at_root = OKtoRGBUnclipped({1.f, c.root * c.dir.a, c.root * c.dir.b});
    EXPECT_NEAR(channel(at_root, c.limiting), 0.f, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(
    Hues, SingleHalleyStep,
    ::testing::Values(HalleyCase{"hue_300", {0.5f, -0.8660254f}, kGreen, 0.5331f, 1e-4f, 0.5338f, 0.002f},
                      HalleyCase{"hue_264", {-0.104528f, -0.994522f}, kRed, 0.568f, 1e-3f, 0.580f, 0.004f}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FindCusp, AlongPlusA)
{
    EXPECT_NEAR(compute_max_saturation(1, 0), 0.40539f, 1e-5);
    Cusp cusp = find_cusp(1, 0);
    EXPECT_NEAR(cusp.L, 0.64770f, 1e-5);
    EXPECT_NEAR(cusp.C, 0.26257f, 1e-5);
}

// Segments from (L0, 0) toward (L1, C1) at the hue (1, 0).
enum class Edge { Black, White, None };

struct SegmentCase {
    const char* name;
    float L1, C1, L0;
    float t;
    float tol;
    Edge edge;  // which boundary the crossing lies on, to check it there
};

class GamutIntersection : public ::testing::TestWithParam<SegmentCase> {};

TEST_P(GamutIntersection, CrossesWhereTheBoundaryIs)
{
    const SegmentCase& c = GetParam();
    float t = find_gamut_intersection(1, 0, c.L1, c.C1, c.L0);
    EXPECT_NEAR(t, c.t, c.tol);

    float L = c.L0 * (1 - t) + t * c.L1;
    float C = t * c.C1;
    RGB at = OKtoRGBUnclipped({L, C, 0});
    if (c.edge == Edge::Black) {
        // The lower half ends where green falls to 0.
        EXPECT_NEAR(at.g, 0.f, 1e-6);
        EXPECT_NEAR(C, 0.20270f, 1e-5);
    } else if (c.edge == Edge::White) {
        // The upper half ends where red reaches 1.
        EXPECT_NEAR(at.r, 1.f, 1e-5);
    }
}

INSTANTIATE_TEST_SUITE_P(
    PlusA, GamutIntersection,
    ::testing::Values(
        // Lower half: t is Cc / Lc here, with no refinement.
        SegmentCase{"lower_half", 0.5f, 0.5f, 0.5f, 0.40539f, 1e-5f, Edge::Black},
        SegmentCase{"upper_half", 0.8f, 0.5f, 0.8f, 0.24911f, 1e-5f, Edge::White},
        // A colour inside the gamut: the crossing lies beyond it.
        SegmentCase{"inside_gives_t_above_one", 0.3f, 0.1f, 0.3f, 1.21617f, 1e-5f, Edge::None},
        // An anchor below black gives a negative t; callers bound it.
        SegmentCase{"anchor_below_black", 0.5f, 0.5f, -0.2f, -0.375f, 1e-3f, Edge::None}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GamutIntersectionEdges, NoChannelStepGivesTheLargestFloat)
{
    // Every channel's u is negative here, so each step is the largest float
    // and the ordinary first estimate vanishes beside it.
    EXPECT_EQ(find_gamut_intersection(1, 0, 0.f, 0.95f, 0.9f), FLT_MAX);
}

TEST(GamutIntersectionEdges, HalfTestOfExactlyZeroTakesTheLowerFormula)
{
    // A made-up cusp far from the real boundary makes the two halves disagree:
    // both straight edges meet at the cusp, but only the upper half adds a
    // Halley step toward the real boundary.
    Cusp cusp{0.5f, 0.25f};
    float L1 = 0.75f, C1 = 0.5f, L0 = 0.25f;
    ASSERT_EQ((L1 - L0) * cusp.C - (cusp.L - L0) * C1, 0.f);
    EXPECT_EQ(find_gamut_intersection(1, 0, L1, C1, L0, cusp), 0.5f);

    float C1_above = nextafterf(C1, 0.f);
    ASSERT_GT((L1 - L0) * cusp.C - (cusp.L - L0) * C1_above, 0.f);
    EXPECT_GT(std::fabs(find_gamut_intersection(1, 0, L1, C1_above, L0, cusp) - 0.5f), 0.1f);
}

}  // namespace
