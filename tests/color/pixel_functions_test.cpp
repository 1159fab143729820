// The 8-bit and 16-bit pixel functions: the worked pixels, the identity copy,
// alpha and position, the store at the ends of the range, and settings that
// are not numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "color/hue_settings.h"
#include "tests/support/color/pixel_arrays.h"
#include "color/pixel_functions.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kHalfPi = 1.5707963f;
constexpr float kTwoPi = 6.2831855f;

const ClipType kEveryClip[] = {ClipType::Adaptive, ClipType::ChromaClipped, ClipType::Truncate,
                               ClipType::Debug,    (ClipType)0,             (ClipType)5,
                               (ClipType)-1};

PF_Pixel run8(HueSettings s, PF_Pixel in, int32_t x = 0, int32_t y = 0)
{
    PF_Pixel out{1, 2, 3, 4};
    EXPECT_EQ(HueFunc8(&s, x, y, &in, &out), 0);
    return out;
}

PF_Pixel16 run16(HueSettings s, PF_Pixel16 in, int32_t x = 0, int32_t y = 0)
{
    PF_Pixel16 out{1, 2, 3, 4};
    EXPECT_EQ(HueFunc16(&s, x, y, &in, &out), 0);
    return out;
}

bool same(PF_Pixel p, PF_Pixel q)
{
    return std::memcmp(&p, &q, sizeof p) == 0;
}

bool same(PF_Pixel16 p, PF_Pixel16 q)
{
    return std::memcmp(&p, &q, sizeof p) == 0;
}

template <typename Pixel>
std::string str(Pixel p)
{
    return std::to_string(p.alpha) + "," + std::to_string(p.red) + "," + std::to_string(p.green) + "," +
           std::to_string(p.blue);
}

// Worked pixels, stored in record order (alpha, red, green, blue).
struct Worked8 {
    const char* name;
    PF_Pixel in;
    float hue, chroma;
    ClipType clip;
    PF_Pixel out;
};

class WorkedPixel8 : public ::testing::TestWithParam<Worked8> {};

TEST_P(WorkedPixel8, StoresExactly)
{
    const Worked8& c = GetParam();
    PF_Pixel out = run8({c.hue, c.chroma, c.clip, 0.05f}, c.in);
    EXPECT_TRUE(same(out, c.out)) << str(out) << " expected " << str(c.out);
}

INSTANTIATE_TEST_SUITE_P(
    Pixels, WorkedPixel8,
    ::testing::Values(
        // In gamut: the clip method plays no part.
        Worked8{"chroma_up", {255, 200, 100, 50}, 0.f, 0.05f, ClipType::Adaptive, {255, 245, 86, 20}},
        Worked8{"chroma_up_debug", {255, 200, 100, 50}, 0.f, 0.05f, ClipType::Debug, {255, 245, 86, 20}},
        Worked8{"quarter_turn", {255, 200, 100, 50}, kHalfPi, 0.f, ClipType::ChromaClipped, {255, 68, 147, 76}},
        Worked8{"quarter_turn_no_clip", {255, 200, 100, 50}, kHalfPi, 0.f, (ClipType)0, {255, 68, 147, 76}},
        // Chroma floored at 0: the grey of the pixel's own lightness.
        Worked8{"chroma_to_grey", {255, 200, 100, 50}, 0.f, -1.f, ClipType::Truncate, {255, 120, 120, 120}},
        // Out of gamut: red converts to -0.1140.
        Worked8{"out_truncate", {255, 30, 200, 60}, 0.f, 0.1f, ClipType::Truncate, {255, 0, 229, 21}},
        Worked8{"out_debug", {255, 30, 200, 60}, 0.f, 0.1f, ClipType::Debug, {255, 255, 0, 0}},
        // With no clipping the store saturates: 0, where wrapping would give 227.
        Worked8{"out_no_clip", {255, 30, 200, 60}, 0.f, 0.1f, (ClipType)0, {255, 0, 229, 21}},
        Worked8{"out_clip_5", {255, 30, 200, 60}, 0.f, 0.1f, (ClipType)5, {255, 0, 229, 21}},
        Worked8{"out_clip_minus_1", {255, 30, 200, 60}, 0.f, 0.1f, (ClipType)-1, {255, 0, 229, 21}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WorkedPixel16, QuarterTurn)
{
    // 32768, 16384 and 8192 normalise to exactly 1, 0.5 and 0.25.
    PF_Pixel16 out = run16({kHalfPi, 0.f, ClipType::Adaptive, 0.05f}, {32768, 32768, 16384, 8192});
    PF_Pixel16 expected{32768, 11260, 24127, 12507};
    EXPECT_TRUE(same(out, expected)) << str(out);
}

TEST(OutOfGamut16, NoClipSaturatesInsteadOfWrapping)
{
    // Red converts to about -0.114, which would wrap to 61804 in 16 bits.
    PF_Pixel16 in{32768, 3855, 25700, 7710};  // 30, 200, 60 scaled by 128.5
    for (ClipType clip : {(ClipType)0, (ClipType)5}) {
        PF_Pixel16 out = run16({0.f, 0.1f, clip, 0.05f}, in);
        EXPECT_EQ(out.red, 0);
        EXPECT_GT(out.green, 28000);
        EXPECT_LE(out.green, 32768);
    }
    PF_Pixel16 debug = run16({0.f, 0.1f, ClipType::Debug, 0.05f}, in);
    PF_Pixel16 red{32768, 32768, 0, 0};
    EXPECT_TRUE(same(debug, red)) << str(debug);
}

// Hue 0 and chroma 0 copy the whole pixel, whatever the clip and alpha, even
// channels above the 16-bit maximum that the conversions would change.
struct IdentityCase {
    float hue, chroma;
};

class Identity : public ::testing::TestWithParam<IdentityCase> {};

TEST_P(Identity, CopiesEveryPixelBitForBit)
{
    const IdentityCase& c = GetParam();
    const PF_Pixel in8[] = {{0, 0, 0, 0}, {255, 255, 255, 255}, {17, 30, 200, 60}, {0, 255, 0, 1}};
    const PF_Pixel16 in16[] = {{0, 65535, 65535, 65535}, {32768, 40000, 32769, 0}, {123, 30, 50000, 7}};
    for (ClipType clip : kEveryClip)
        for (float alpha : {0.05f, kNaN}) {
            HueSettings s{c.hue, c.chroma, clip, alpha};
            for (PF_Pixel p : in8)
                EXPECT_TRUE(same(run8(s, p), p)) << str(p);
            for (PF_Pixel16 p : in16)
                EXPECT_TRUE(same(run16(s, p), p)) << str(p);
        }
}

INSTANTIATE_TEST_SUITE_P(Zeros, Identity,
                         ::testing::Values(IdentityCase{0.f, 0.f}, IdentityCase{-0.f, 0.f},
                                           IdentityCase{0.f, -0.f}, IdentityCase{-0.f, -0.f}));

TEST(Identity, OneFullTurnIsNotTheIdentity)
{
    // A near-white's round trip leaves green just above 1: out of gamut.
    // Truncate keeps red and blue, which truncate one level down, and Debug
    // paints it red.
    PF_Pixel near_white{255, 255, 255, 254};
    PF_Pixel truncated = run8({kTwoPi, 0.f, ClipType::Truncate, 0.f}, near_white);
    EXPECT_EQ(truncated.red, 254);
    EXPECT_EQ(truncated.green, 255);
    EXPECT_EQ(truncated.blue, 253);
    PF_Pixel debug{255, 255, 0, 0};
    EXPECT_TRUE(same(run8({kTwoPi, 0.f, ClipType::Debug, 0.f}, near_white), debug));

    // Elsewhere a turn changes a pixel by at most one level, always downward.
    int changed = 0;
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 17)
            for (int b = 0; b < 256; b += 51) {
                PF_Pixel in{255, (uint8_t)r, (uint8_t)g, (uint8_t)b};
                PF_Pixel out = run8({kTwoPi, 0.f, ClipType::Truncate, 0.f}, in);
                for (int ch = 1; ch < 4; ++ch) {
                    int d = (&in.alpha)[ch] - (&out.alpha)[ch];
                    EXPECT_TRUE(d == 0 || d == 1) << str(in) << " -> " << str(out);
                    changed += d != 0;
                }
            }
    EXPECT_GT(changed, 0);
}

TEST(Alpha, IsCopiedAndTakesNoPartInTheColour)
{
    HueSettings s{1.f, 0.03f, ClipType::Adaptive, 0.05f};
    PF_Pixel ref = run8(s, {255, 90, 160, 40});
    for (int a : {0, 1, 128, 254}) {
        PF_Pixel out = run8(s, {(uint8_t)a, 90, 160, 40});
        EXPECT_EQ(out.alpha, a);
        EXPECT_EQ(out.red, ref.red);
        EXPECT_EQ(out.green, ref.green);
        EXPECT_EQ(out.blue, ref.blue);
    }
    PF_Pixel16 ref16 = run16(s, {32768, 9000, 21000, 5000});
    for (int a : {0, 1, 16384, 32768, 65535}) {
        PF_Pixel16 out = run16(s, {(uint16_t)a, 9000, 21000, 5000});
        EXPECT_EQ(out.alpha, a);
        EXPECT_EQ(out.red, ref16.red);
        EXPECT_EQ(out.green, ref16.green);
        EXPECT_EQ(out.blue, ref16.blue);
    }
}

TEST(Position, IsNotUsed)
{
    HueSettings s{2.f, 0.1f, ClipType::ChromaClipped, 0.05f};
    PF_Pixel in{200, 30, 200, 60};
    PF_Pixel ref = run8(s, in, 0, 0);
    for (int32_t xy : {1, -1, 4095, INT32_MIN, INT32_MAX}) {
        EXPECT_TRUE(same(run8(s, in, xy, 0), ref));
        EXPECT_TRUE(same(run8(s, in, 0, xy), ref));
    }
}

// A pure primary is the gamut's most saturated colour at its hue, so more
// chroma has nowhere to go: whichever side of the boundary's region lines the
// maths library puts its hue, both projecting clips bring it back to itself,
// one level lower at most where the store truncates.
TEST(PurePrimaries, KeepTheirColourUnderEveryChromaBoost)
{
    const int corners[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    auto within_a_level_below = [](int out, int in) { return out <= in && out >= in - 1; };
    for (float hue : {0.f, kTwoPi})
        for (ClipType clip : {ClipType::Adaptive, ClipType::ChromaClipped})
            for (float alpha : {0.05f, 5.f})
                for (int slider = 1; slider <= 300; ++slider) {
                    HueSettings s{hue, slider / 1000.f, clip, alpha};
                    for (const int* c : corners) {
                        PF_Pixel in{255, (uint8_t)(255 * c[0]), (uint8_t)(255 * c[1]), (uint8_t)(255 * c[2])};
                        PF_Pixel out = run8(s, in);
                        PF_Pixel16 in16{32768, (uint16_t)(32768 * c[0]), (uint16_t)(32768 * c[1]),
                                        (uint16_t)(32768 * c[2])};
                        PF_Pixel16 out16 = run16(s, in16);
                        ASSERT_TRUE(within_a_level_below(out.red, in.red) && within_a_level_below(out.green, in.green) &&
                                    within_a_level_below(out.blue, in.blue) &&
                                    within_a_level_below(out16.red, in16.red) &&
                                    within_a_level_below(out16.green, in16.green) &&
                                    within_a_level_below(out16.blue, in16.blue))
                            << str(in) << " -> " << str(out) << ", " << str(in16) << " -> " << str(out16) << " hue "
                            << hue << " chroma " << slider << " clip " << (int)clip << " alpha " << alpha;
                    }
                }
}

// Offsets that are not numbers (or not finite) are processed, not copied; they
// must neither crash nor store anything outside the host's range.
struct OddSettings {
    const char* name;
    float hue, chroma;
};

class NotANumber : public ::testing::TestWithParam<OddSettings> {};

TEST_P(NotANumber, StoresLevelsInRangeAndCopiesAlpha)
{
    const OddSettings& c = GetParam();
    for (ClipType clip : kEveryClip)
        for (float alpha : {0.05f, kNaN, kInf}) {
            HueSettings s{c.hue, c.chroma, clip, alpha};
            for (PF_Pixel16 in : {PF_Pixel16{5, 0, 0, 0}, PF_Pixel16{6, 32768, 16384, 8192},
                                  PF_Pixel16{7, 65535, 1, 40000}}) {
                PF_Pixel16 out = run16(s, in);
                EXPECT_LE(out.red, 32768);
                EXPECT_LE(out.green, 32768);
                EXPECT_LE(out.blue, 32768);
                EXPECT_EQ(out.alpha, in.alpha);
            }
        }
}

INSTANTIATE_TEST_SUITE_P(Settings, NotANumber,
                         ::testing::Values(OddSettings{"nan_hue", kNaN, 0.f}, OddSettings{"nan_chroma", 0.f, kNaN},
                                           OddSettings{"inf_hue", kInf, 0.f}, OddSettings{"inf_chroma", 0.5f, kInf},
                                           OddSettings{"minus_inf_chroma", 0.5f, -kInf},
                                           OddSettings{"huge_hue", 3e38f, 0.01f},
                                           // Channels far outside 0..1 with every clip value.
                                           OddSettings{"huge_chroma", 1.f, 3.f}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NotANumberHue, GivesBlackWithAlphaKept)
{
    // A NaN hue makes a and b NaN; a NaN channel counts as in gamut and stores 0.
    for (ClipType clip : kEveryClip) {
        PF_Pixel out = run8({kNaN, 0.f, clip, 0.05f}, {77, 200, 100, 50});
        PF_Pixel expected{77, 0, 0, 0};
        EXPECT_TRUE(same(out, expected)) << str(out);
    }
}

TEST(Arrays, ApplyEveryPixelLikeTheHostWould)
{
    HueSettings s{-1.2f, 0.08f, ClipType::Adaptive, 0.3f};
    std::vector<PF_Pixel> in;
    for (int i = 0; i < 300; ++i)
        in.push_back({(uint8_t)i, (uint8_t)(i * 7), (uint8_t)(i * 13), (uint8_t)(i * 29)});
    std::vector<PF_Pixel> out(in.size());
    ApplyHue8(s, in.data(), out.data(), in.size());
    for (size_t i = 0; i < in.size(); ++i)
        EXPECT_TRUE(same(out[i], run8(s, in[i]))) << i;

    // In place gives the same.
    std::vector<PF_Pixel> inplace = in;
    ApplyHue8(s, inplace.data(), inplace.data(), inplace.size());
    EXPECT_EQ(std::memcmp(inplace.data(), out.data(), out.size() * sizeof(PF_Pixel)), 0);

    std::vector<PF_Pixel16> in16;
    for (int i = 0; i < 300; ++i)
        in16.push_back({(uint16_t)i, (uint16_t)(i * 211), (uint16_t)(i * 97), (uint16_t)(i * 53)});
    std::vector<PF_Pixel16> out16(in16.size());
    ApplyHue16(s, in16.data(), out16.data(), in16.size());
    for (size_t i = 0; i < in16.size(); ++i)
        EXPECT_TRUE(same(out16[i], run16(s, in16[i]))) << i;
    ApplyHue16(s, in16.data(), in16.data(), in16.size());
    EXPECT_EQ(std::memcmp(in16.data(), out16.data(), out16.size() * sizeof(PF_Pixel16)), 0);
}

}  // namespace
