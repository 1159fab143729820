// The float step against the 8-bit pixel function it must follow, and what
// it does with values that have no colour.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "color/channel_store.h"
#include "color/pixel_float.h"
#include "color/pixel_functions.h"

namespace {

const HueSettings kSettings[] = {
    {1.5707964f, 0.f, ClipType::Adaptive, 0.5f},   {-2.3561945f, 0.05f, ClipType::ChromaClipped, 0.5f},
    {0.5f, 0.08f, ClipType::Truncate, 0.5f},        {3.0f, -0.02f, ClipType::Debug, 0.5f},
    {0.7853982f, 0.08f, static_cast<ClipType>(0), 0.5f}, {0.f, 0.1f, ClipType::Adaptive, 5.f},
};

// Stored at 8 bits, the float step gives the 8-bit function's bytes for
// every colour of a 17-step cube: the two must not drift apart.
TEST(ShiftColour, StoredAtEightBitsIsTheEightBitPixelFunction)
{
    for (const HueSettings& s : kSettings) {
        for (int i = 0; i < 17 * 17 * 17; ++i) {
            PF_Pixel in = {200, (uint8_t)(i % 17 * 255 / 16), (uint8_t)(i / 17 % 17 * 255 / 16),
                           (uint8_t)(i / 289 * 255 / 16)};
            PF_Pixel out;
            HueFunc8(const_cast<HueSettings*>(&s), 0, 0, &in, &out);
            const RGB f = ShiftColour(s, {in.red / 255.f, in.green / 255.f, in.blue / 255.f});
            ASSERT_EQ(StoreChannel<255>(f.r), out.red) << i;
            ASSERT_EQ(StoreChannel<255>(f.g), out.green) << i;
            ASSERT_EQ(StoreChannel<255>(f.b), out.blue) << i;
        }
    }
}

TEST(ShiftColour, ColoursWithoutAValueAndTheIdentityComeBackAsTheyWere)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const RGB cases[] = {{nan, 0.5f, 0.5f}, {0.2f, inf, 0.1f}, {-inf, 0.f, 0.f}, {3e38f, 3e38f, -3e38f}};
    const HueSettings identity = {0.f, -0.f, ClipType::Adaptive, 0.5f};
    for (const RGB& c : cases) {
        for (const HueSettings& s : {kSettings[0], kSettings[4], identity}) {
            const RGB out = ShiftColour(s, c);
            EXPECT_EQ(std::memcmp(&out, &c, sizeof c), 0) << c.r << " " << c.g << " " << c.b;
        }
    }
    const RGB hdr = {4.f, -0.5f, 1e-40f};
    const RGB same = ShiftColour(identity, hdr);
    EXPECT_EQ(std::memcmp(&same, &hdr, sizeof hdr), 0);
}

}  // namespace
