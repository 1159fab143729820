// Exactly grey colours have no hue. One table of greys that the clips meet
// with a = b = 0 exactly, run through each place that asks, and the pixel
// functions' rule that equal channels are grey.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "color/channel_store.h"
#include "color/clip_methods.h"
#include "color/hue_settings.h"
#include "color/oklab.h"
#include "color/pixel_functions.h"
#include "gamut/adaptive_clip.h"

namespace {

const ClipType kEveryClip[] = {ClipType::Adaptive, ClipType::ChromaClipped, ClipType::Truncate,
                               ClipType::Debug,    (ClipType)0,             (ClipType)5,
                               (ClipType)-1};

bool same_bits(RGB x, RGB y)
{
    return std::memcmp(&x, &y, sizeof x) == 0;
}

RGB clamp01(RGB c)
{
    return {fminf(fmaxf(c.r, 0.f), 1.f), fminf(fmaxf(c.g, 0.f), 1.f), fminf(fmaxf(c.b, 0.f), 1.f)};
}

// Lightnesses whose (L, 0, 0) converts to RGB and back with a = b = 0
// exactly: no hue direction exists. Both projecting clips send them to the
// grey of their lightness clamped into 0..1, never to NaN, which the store
// would write as black.
struct GreyCase {
    const char* name;
    float L;
    float clamped_L;
};

class ExactGrey : public ::testing::TestWithParam<GreyCase> {};

TEST_P(ExactGrey, GoesToTheGreyOfItsClampedLightness)
{
    const GreyCase& c = GetParam();
    const Lab lab{c.L, 0.f, 0.f};
    const RGB unclipped = OKtoRGBUnclipped(lab);
    ASSERT_TRUE(is_grey(lab));
    ASSERT_TRUE(is_grey(RGBtoOK(unclipped)));
    const RGB grey = OKtoRGBUnclipped({c.clamped_L, 0.f, 0.f});

    RGB chroma_clipped;
    OKtoRGB(ClipType::ChromaClipped, 0.f, lab, chroma_clipped);
    EXPECT_TRUE(same_bits(chroma_clipped, grey));
    for (float alpha : {0.f, 0.05f, 5.f}) {
        EXPECT_TRUE(same_bits(gamut_clip_adaptive_L0_L_cusp(unclipped, alpha), grey)) << alpha;
        RGB adaptive;
        OKtoRGB(ClipType::Adaptive, alpha, lab, adaptive);
        EXPECT_TRUE(same_bits(adaptive, clamp01(grey))) << alpha;
    }
}

INSTANTIATE_TEST_SUITE_P(Greys, ExactGrey,
                         ::testing::Values(GreyCase{"black", 0.f, 0.f},
                                           GreyCase{"overbright", 1.00038147f, 1.f},
                                           GreyCase{"below_black", -2.88f, 0.f}),
                         [](const auto& info) { return std::string(info.param.name); });

// Equal channels have no hue. Like black, every grey starts from a = b = 0
// exactly, so under a chroma offset k each level becomes (L, k·cos(hue),
// k·sin(hue)) before clipping: one hue for the whole ramp, the offset's, and
// not whatever the conversions' rounding noise pointed at.
template <int32_t Max, typename Pixel, typename Func>
void ExpectGreysTakeTheHueOffset(const std::vector<int32_t>& levels, Func pixel_function)
{
    for (float hue : {0.f, 2.0943952f, -2.5f, 7.f})
        for (float k : {0.02f, 0.2f, -0.05f})
            for (ClipType clip : kEveryClip) {
                HueSettings s{hue, k, clip, 0.05f};
                for (int32_t level : levels) {
                    Pixel in;
                    in.alpha = 7;
                    in.red = in.green = in.blue = (decltype(in.red))level;
                    const float v = level / (float)(Max == PF_MAX_CHAN8 ? 255 : 32768);
                    const float L = RGBtoOK({v, v, v}).L;
                    const float C = k < 0.f ? 0.f : k;
                    RGB expected;
                    OKtoRGB(clip, s.alpha, {L, C * cosf(hue), C * sinf(hue)}, expected);
                    Pixel out;
                    ASSERT_EQ(pixel_function(&s, 0, 0, &in, &out), 0);
                    ASSERT_EQ(out.red, StoreChannel<Max>(expected.r)) << level << " hue " << hue << " k " << k;
                    ASSERT_EQ(out.green, StoreChannel<Max>(expected.g)) << level << " hue " << hue << " k " << k;
                    ASSERT_EQ(out.blue, StoreChannel<Max>(expected.b)) << level << " hue " << hue << " k " << k;
                    ASSERT_EQ(out.alpha, 7);
                }
            }
}

TEST(GreyPixels, EveryLevelTakesTheHueOffsetAsItsHue)
{
    std::vector<int32_t> ramp8, sample16;
    for (int32_t v = 0; v <= 255; ++v) ramp8.push_back(v);
    // Levels above the host's maximum included.
    for (int32_t v = 0; v <= 40000; v += 97) sample16.push_back(v);
    sample16.push_back(32768);
    ExpectGreysTakeTheHueOffset<PF_MAX_CHAN8, PF_Pixel>(ramp8, HueFunc8);
    ExpectGreysTakeTheHueOffset<PF_MAX_CHAN16, PF_Pixel16>(sample16, HueFunc16);
}

}  // namespace
