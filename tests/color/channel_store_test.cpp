// Storing a channel value: truncation toward zero, then saturation into the
// host's range, so nothing wraps and a NaN has a level.
#include <gtest/gtest.h>

#include <limits>

#include "color/channel_store.h"
#include "host/pf_pixel.h"

namespace {

struct StoreCase {
    float v;
    int32_t level8;
    int32_t level16;
};

class ChannelStore : public ::testing::TestWithParam<StoreCase> {};

TEST_P(ChannelStore, TruncatesThenSaturates)
{
    const StoreCase& c = GetParam();
    EXPECT_EQ(StoreChannel<PF_MAX_CHAN8>(c.v), c.level8) << c.v;
    EXPECT_EQ(StoreChannel<PF_MAX_CHAN16>(c.v), c.level16) << c.v;
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Values, ChannelStore,
    ::testing::Values(
        StoreCase{0.f, 0, 0}, StoreCase{-0.f, 0, 0}, StoreCase{1.f, 255, 32768},
        // Truncation, not rounding: the float just below 1 is one level down.
        StoreCase{0.99999994f, 254, 32767}, StoreCase{0.5f, 127, 16384},
        StoreCase{0.9999f, 254, 32764}, StoreCase{1.f / 255.f, 1, 128},
        // Just below 0 truncates to 0; further below saturates instead of
        // wrapping (-0.5 would otherwise store 129 in 8 bits).
        StoreCase{-1e-4f, 0, 0}, StoreCase{-0.5f, 0, 0}, StoreCase{-300.f, 0, 0},
        // Above 1 saturates at the maximum (16-bit would otherwise reach 65535).
        StoreCase{1.0000001f, 255, 32768}, StoreCase{1.5f, 255, 32768}, StoreCase{1.9999f, 255, 32768},
        StoreCase{1e30f, 255, 32768}, StoreCase{kInf, 255, 32768}, StoreCase{-kInf, 0, 0},
        StoreCase{kNaN, 0, 0}));

}  // namespace
