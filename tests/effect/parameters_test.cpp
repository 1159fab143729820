#include "effect/parameters.h"

#include <gtest/gtest.h>

#include "effect/strings.h"
#include "tests/effect/fake_effect_host.h"

namespace {

// The declarations themselves are checked field by field on the built binary
// (tests/integration/setup_test.cpp); from outside, only this cannot be seen.
TEST(DeclareParams, HandsTheChoicesOutOfTheStringTableInPlace)
{
    FakeEffectHost host;
    ASSERT_EQ(DeclareParams(&host.in_data, &host.out_data), PF_Err_NONE);
    ASSERT_EQ(host.added.size(), 4u);
    EXPECT_EQ(host.added[PARAM_CLIP_METHOD - 1].u.pd.u.namesptr, GetStringPtr(STR_CLIP_CHOICES));
}

struct SettingsCase {
    const char* label;
    PF_Fixed hue;  // 16.16 degrees
    double chroma;
    A_long method;
    double alpha;
    HueSettings want;
};

// Expected values are the nearest floats of the prescribed computation:
// whole degrees / 180 in single precision, times pi in double.
const SettingsCase kSettings[] = {
    {"zero", 0, 0.0, 1, 0.5, {0.0f, 0.0f, ClipType::Adaptive, 0.5f}},
    {"deg_359_9_is_359", 23586406, 100.0, 2, 0.1, {0x1.9101c2p+2f, 0x1.99999ap-4f, ClipType::ChromaClipped, 0x1.99999ap-4f}},
    {"deg_359", 359 << 16, -1000.0, 3, -3.3, {0x1.9101c2p+2f, -1.0f, ClipType::Truncate, -0x1.a66666p+1f}},
    {"deg_minus_quarter_is_minus_1", -16384, 1.11, 4, 10000000.0, {-0x1.1df46ap-6f, 0x1.22fad6p-10f, ClipType::Debug, 1.0e7f}},
    {"deg_720", 720 << 16, 0.0, 0, 0.0, {0x1.921fb6p+3f, 0.0f, static_cast<ClipType>(0), 0.0f}},
    {"deg_minus_712", -712 * 65536, 0.0, 99, 5.0, {-0x1.8da7e2p+3f, 0.0f, static_cast<ClipType>(99), 5.0f}},
    {"method_negative", 0, 0.0, -5, 0.5, {0.0f, 0.0f, static_cast<ClipType>(-5), 0.5f}},
};

class ReadSettingsTable : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(ReadSettingsTable, ConvertsEachValue)
{
    const SettingsCase& c = GetParam();
    FakeEffectHost host;
    host.param_defs[PARAM_HUE].u.ad.value = c.hue;
    host.param_defs[PARAM_CHROMA].u.fs_d.value = c.chroma;
    host.param_defs[PARAM_CLIP_METHOD].u.pd.value = c.method;
    host.param_defs[PARAM_CLIP_ALPHA].u.fs_d.value = c.alpha;
    HueSettings s = ReadSettings(host.params);
    EXPECT_EQ(s.hue, c.want.hue);
    EXPECT_EQ(s.chroma, c.want.chroma);
    EXPECT_EQ(s.clip, c.want.clip);
    EXPECT_EQ(s.alpha, c.want.alpha);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadSettingsTable, ::testing::ValuesIn(kSettings),
                         [](const ::testing::TestParamInfo<SettingsCase>& info) { return info.param.label; });

}  // namespace
