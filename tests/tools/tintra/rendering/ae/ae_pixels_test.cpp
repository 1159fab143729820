// tintra's RGBA rows into the After Effects build's worlds and back: ARGB
// order, 16-bit file levels on the host's 0..32768, float clipped to 0..1 at
// 16 bits and counted, and the rendered world back in file levels.
#include <cmath>
#include <gtest/gtest.h>

#include "tools/tintra/rendering/ae/ae_pixels.h"

namespace {

struct WorldCase {
    const char* name;
    int depth;
    float rgba[4];  // the image's one pixel, in its depth's levels
    uint16_t argb[4];  // the world pixel it becomes
    uint16_t back[4];  // that world pixel as the rendered image's RGBA
};

void PrintTo(const WorldCase& c, std::ostream* out) { *out << c.name; }

const WorldCase kCases[] = {
    {"bytes_reordered", 8, {10, 20, 30, 40}, {40, 10, 20, 30}, {10, 20, 30, 40}},
    // 65535 is full intensity; 1 rounds to the host's 1, which is the file's 2.
    {"shorts_rescaled", 16, {0, 1, 32768, 65535}, {32768, 0, 1, 16384}, {0, 2, 32768, 65535}},
    {"shorts_rounded", 16, {40000, 40000, 40000, 40000}, {20000, 20000, 20000, 20000}, {39999, 39999, 39999, 39999}},
    // Below 0, above 1 and NaN clip to the nearest end (NaN to 0).
    {"floats_clipped", 32, {-0.5f, 1.5f, 0.25f, NAN}, {0, 0, 32768, 8192}, {0, 65535, 16384, 0}},
};

class ToWorld : public ::testing::TestWithParam<WorldCase> {};

TEST_P(ToWorld, ConvertsOnePixelThereAndBack)
{
    const WorldCase& c = GetParam();
    Image in = MakeImage(1, 1, c.depth, true);
    for (int k = 0; k < 4; ++k) {
        if (c.depth == 8) in.pixels8[k] = (uint8_t)c.rgba[k];
        if (c.depth == 16) in.pixels16[k] = (uint16_t)c.rgba[k];
        if (c.depth == 32) in.pixelsf[k] = c.rgba[k];
    }
    Image out = MakeImage(1, 1, AeDepth(c.depth), true);
    uint16_t argb[4], back[4];
    if (c.depth == 8) {
        PF_Pixel w;
        ToWorld8(in, 0, 1, &w);
        FromWorld8(&w, 1, out, 0);
        argb[0] = w.alpha, argb[1] = w.red, argb[2] = w.green, argb[3] = w.blue;
        for (int k = 0; k < 4; ++k) back[k] = out.pixels8[k];
    } else {
        PF_Pixel16 w;
        ToWorld16(in, 0, 1, &w);
        FromWorld16(&w, 1, out, 0);
        argb[0] = w.alpha, argb[1] = w.red, argb[2] = w.green, argb[3] = w.blue;
        for (int k = 0; k < 4; ++k) back[k] = out.pixels16[k];
    }
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(argb[k], c.argb[k]) << "world channel " << k;
        EXPECT_EQ(back[k], c.back[k]) << "rendered channel " << k;
    }
    const std::string note = AeClippingNote({&in});
    EXPECT_EQ(note,
              c.depth == 32 ? "3 of 4 floating-point values were outside 0..1 and clipped; rendered at 16 bits" : "");
}

INSTANTIATE_TEST_SUITE_P(Pixels, ToWorld, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
