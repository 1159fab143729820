// The library must give the same bits as the plain pipeline (tools/reference/),
// which shares no work inside a pixel: any speed-up that moves a
// result in the last place shows up here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tools/reference/plain_hue.h"
#include "color/pixel_functions.h"
#include "gamut/adaptive_clip.h"

namespace {

template <typename T>
bool same_bits(const T& x, const T& y)
{
    return std::memcmp(&x, &y, sizeof(T)) == 0;
}

struct SettingsCase {
    const char* name;
    float hue, chroma, alpha;
};

const ClipType kEveryClip[] = {ClipType::Adaptive, ClipType::ChromaClipped, ClipType::Truncate,
                               ClipType::Debug,    (ClipType)0,             (ClipType)5};

class MatchesPlain : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(MatchesPlain, EightBit)
{
    const SettingsCase& c = GetParam();
    std::mt19937 rng(8);
    std::uniform_int_distribution<int> chan(0, 255);
    for (ClipType clip : kEveryClip) {
        HueSettings s{c.hue, c.chroma, clip, c.alpha};
        int mismatches = 0;
        for (int i = 0; i < 3000; ++i) {
            PF_Pixel in{(uint8_t)chan(rng), (uint8_t)chan(rng), (uint8_t)chan(rng), (uint8_t)chan(rng)};
            PF_Pixel ours{}, plain_out{};
            HueFunc8(&s, 0, 0, &in, &ours);
            plain::HueFunc8(&s, 0, 0, &in, &plain_out);
            mismatches += !same_bits(ours, plain_out);
        }
        EXPECT_EQ(mismatches, 0) << "clip " << (int)clip;
    }
}

TEST_P(MatchesPlain, SixteenBit)
{
    const SettingsCase& c = GetParam();
    std::mt19937 rng(16);
    // Channels above the host's maximum included.
    std::uniform_int_distribution<int> chan(0, 40000);
    for (ClipType clip : kEveryClip) {
        HueSettings s{c.hue, c.chroma, clip, c.alpha};
        int mismatches = 0;
        for (int i = 0; i < 3000; ++i) {
            PF_Pixel16 in{(uint16_t)chan(rng), (uint16_t)chan(rng), (uint16_t)chan(rng), (uint16_t)chan(rng)};
            PF_Pixel16 ours{}, plain_out{};
            HueFunc16(&s, 0, 0, &in, &ours);
            plain::HueFunc16(&s, 0, 0, &in, &plain_out);
            mismatches += !same_bits(ours, plain_out);
        }
        EXPECT_EQ(mismatches, 0) << "clip " << (int)clip;
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, MatchesPlain,
                         ::testing::Values(SettingsCase{"identity", 0.f, 0.f, 0.05f},
                                           SettingsCase{"rotate", 1.f, 0.f, 0.05f},
                                           SettingsCase{"boost", 2.f, 0.2f, 0.05f},
                                           SettingsCase{"boost_alpha_5", -0.7f, 0.12f, 5.f},
                                           SettingsCase{"boost_alpha_minus_1", 3.f, 0.3f, -1.f},
                                           SettingsCase{"drain", 0.4f, -0.05f, 0.05f},
                                           SettingsCase{"many_turns", 62.83f, 0.02f, 0.5f}),
                         [](const auto& info) { return std::string(info.param.name); });

// The primaries, secondaries and their darker levels sit on or next to the
// lines where the boundary's coefficient sets meet, which random pixels
// almost never reach: every Chroma from -100 to +300 at Hue 0 and 360.
TEST(MatchesPlainPrimaries, EveryChromaAtHueZeroAndOneTurn)
{
    const int corners[6][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 1, 1}, {1, 0, 1}, {1, 1, 0}};
    for (float hue : {0.f, 6.2831855f})
        for (ClipType clip : kEveryClip)
            for (int slider = -100; slider <= 300; ++slider) {
                HueSettings s{hue, slider / 1000.f, clip, 0.05f};
                int mismatches = 0;
                for (const int* c : corners)
                    for (int level : {64, 128, 255}) {
                        PF_Pixel in{255, (uint8_t)(c[0] * level), (uint8_t)(c[1] * level), (uint8_t)(c[2] * level)};
                        PF_Pixel ours{}, plain_out{};
                        HueFunc8(&s, 0, 0, &in, &ours);
                        plain::HueFunc8(&s, 0, 0, &in, &plain_out);
                        mismatches += !same_bits(ours, plain_out);

                        const int level16 = level * 32768 / 255;
                        PF_Pixel16 in16{32768, (uint16_t)(c[0] * level16), (uint16_t)(c[1] * level16),
                                        (uint16_t)(c[2] * level16)};
                        PF_Pixel16 ours16{}, plain16{};
                        HueFunc16(&s, 0, 0, &in16, &ours16);
                        plain::HueFunc16(&s, 0, 0, &in16, &plain16);
                        mismatches += !same_bits(ours16, plain16);
                    }
                ASSERT_EQ(mismatches, 0) << "hue " << hue << " chroma " << slider << " clip " << (int)clip;
            }
}

// The routines one by one, over random hues and segments, so a mismatch names
// the routine that moved.
TEST(MatchesPlainRoutines, ConversionsAndBoundary)
{
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> unit(-0.2f, 1.3f);
    std::uniform_real_distribution<float> angle(-3.1415926f, 3.1415926f);
    for (int i = 0; i < 5000; ++i) {
        RGB rgb{unit(rng), unit(rng), unit(rng)};
        ASSERT_TRUE(same_bits(RGBtoOK(rgb), plain::RGBtoOK(rgb))) << i;
        Lab lab{unit(rng), unit(rng) - 0.55f, unit(rng) - 0.55f};
        ASSERT_TRUE(same_bits(OKtoRGBUnclipped(lab), plain::OKtoRGBUnclipped(lab))) << i;

        float h = angle(rng);
        float a = cosf(h), b = sinf(h);
        ASSERT_TRUE(same_bits(compute_max_saturation(a, b), plain::compute_max_saturation(a, b))) << h;
        ASSERT_TRUE(same_bits(find_cusp(a, b), plain::find_cusp(a, b))) << h;
        float L1 = unit(rng), C1 = unit(rng) + 0.2f, L0 = unit(rng);
        ASSERT_TRUE(same_bits(find_gamut_intersection(a, b, L1, C1, L0),
                              plain::find_gamut_intersection(a, b, L1, C1, L0)))
            << h << " " << L1 << " " << C1 << " " << L0;
    }
}

TEST(MatchesPlainRoutines, AdaptiveClip)
{
    std::mt19937 rng(4);
    std::uniform_real_distribution<float> wide(-0.5f, 1.6f);
    for (float alpha : {0.f, 0.05f, 0.5f, 5.f, -1.f}) {
        for (int i = 0; i < 3000; ++i) {
            RGB rgb{wide(rng), wide(rng), wide(rng)};
            ASSERT_TRUE(same_bits(gamut_clip_adaptive_L0_L_cusp(rgb, alpha),
                                  plain::gamut_clip_adaptive_L0_L_cusp(rgb, alpha)))
                << rgb.r << " " << rgb.g << " " << rgb.b << " alpha " << alpha;
        }
    }
}

}  // namespace
