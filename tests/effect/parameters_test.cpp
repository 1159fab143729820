#include "effect/parameters.h"

#include <gtest/gtest.h>

#include <cstring>

#include "effect/strings.h"
#include "tests/effect/fake_effect_host.h"

namespace {

PF_ParamDef Cleared(PF_ParamType type, const char* name, A_long id)
{
    PF_ParamDef d;
    std::memset(&d, 0, sizeof(d));
    d.param_type = type;
    std::strcpy(d.name, name);
    d.uu.id = id;
    return d;
}

PF_ParamDef Slider(const char* name, A_long id, double value, float slider_min, float slider_max, float dephault,
                   A_short precision)
{
    PF_ParamDef d = Cleared(PF_Param_FLOAT_SLIDER, name, id);
    d.u.fs_d.value = value;
    d.u.fs_d.valid_min = -10000000.0f;
    d.u.fs_d.valid_max = 10000000.0f;
    d.u.fs_d.slider_min = slider_min;
    d.u.fs_d.slider_max = slider_max;
    d.u.fs_d.dephault = dephault;
    d.u.fs_d.precision = precision;
    d.u.fs_d.curve_tolerance = 0.05f;
    return d;
}

// The four definitions as the host must receive them; every field not set
// here is zero.
struct Expected {
    const char* label;
    PF_ParamDef def;
};

std::vector<Expected> ExpectedDefinitions()
{
    PF_ParamDef hue = Cleared(PF_Param_ANGLE, "Hue", 1);
    hue.flags = 32;
    PF_ParamDef method = Cleared(PF_Param_POPUP, "Clip Method", 3);
    method.flags = PF_ParamFlag_SUPERVISE;
    method.u.pd.value = 1;
    method.u.pd.num_choices = 4;
    method.u.pd.dephault = 1;
    method.u.pd.u.namesptr = GetStringPtr(STR_CLIP_CHOICES);
    return {
        {"hue", hue},
        {"chroma", Slider("Chroma", 2, 0.0, -100.0f, 100.0f, 0.0f, 0)},
        {"clip_method", method},
        {"clip_alpha", Slider("Adaptive Clip Alpha", 4, 0.5, 0.05f, 5.0f, 0.5f, 3)},
    };
}

void ExpectSameDefinition(const PF_ParamDef& got, const PF_ParamDef& want)
{
    EXPECT_EQ(got.uu.id, want.uu.id);
    EXPECT_EQ(got.param_type, want.param_type);
    EXPECT_STREQ(got.name, want.name);
    EXPECT_EQ(got.flags, want.flags);
    EXPECT_EQ(got.ui_flags, want.ui_flags);
    switch (want.param_type) {
    case PF_Param_ANGLE:
        EXPECT_EQ(got.u.ad.value, want.u.ad.value);
        EXPECT_EQ(got.u.ad.dephault, want.u.ad.dephault);
        break;
    case PF_Param_POPUP:
        EXPECT_EQ(got.u.pd.value, want.u.pd.value);
        EXPECT_EQ(got.u.pd.num_choices, want.u.pd.num_choices);
        EXPECT_EQ(got.u.pd.dephault, want.u.pd.dephault);
        EXPECT_EQ(got.u.pd.u.namesptr, want.u.pd.u.namesptr);
        break;
    default:
        EXPECT_EQ(got.u.fs_d.value, want.u.fs_d.value);
        EXPECT_EQ(got.u.fs_d.valid_min, want.u.fs_d.valid_min);
        EXPECT_EQ(got.u.fs_d.valid_max, want.u.fs_d.valid_max);
        EXPECT_EQ(got.u.fs_d.slider_min, want.u.fs_d.slider_min);
        EXPECT_EQ(got.u.fs_d.slider_max, want.u.fs_d.slider_max);
        EXPECT_EQ(got.u.fs_d.dephault, want.u.fs_d.dephault);
        EXPECT_EQ(got.u.fs_d.precision, want.u.fs_d.precision);
        EXPECT_EQ(got.u.fs_d.display_flags, want.u.fs_d.display_flags);
        EXPECT_EQ(got.u.fs_d.curve_tolerance, want.u.fs_d.curve_tolerance);
        break;
    }
    // Whatever was not compared above must be zero on both sides.
    EXPECT_EQ(std::memcmp(&got, &want, sizeof(PF_ParamDef)), 0);
}

TEST(DeclareParams, DeclaresFourDefinitionsFieldByFieldThenCountsFive)
{
    FakeEffectHost host;
    ASSERT_EQ(DeclareParams(&host.in_data, &host.out_data), PF_Err_NONE);
    std::vector<Expected> expected = ExpectedDefinitions();
    ASSERT_EQ(host.added.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].label);
        EXPECT_EQ(host.added_at[i], -1);
        ExpectSameDefinition(host.added[i], expected[i].def);
    }
    EXPECT_EQ(host.out_data.num_params, 5);
    EXPECT_TRUE(host.basic.Log().empty());
}

class DeclareParamsFailing : public ::testing::TestWithParam<int> {};

TEST_P(DeclareParamsFailing, StopsAtTheRefusalAndLeavesTheCountAlone)
{
    for (PF_Err err : {PF_Err_OUT_OF_MEMORY, PF_Err_INVALID_CALLBACK, -1}) {
        FakeEffectHost host;
        host.fail_add_at = GetParam();
        host.add_error = err;
        const A_long before = host.out_data.num_params;
        EXPECT_EQ(DeclareParams(&host.in_data, &host.out_data), err);
        EXPECT_EQ(host.added.size(), static_cast<size_t>(GetParam()));
        EXPECT_EQ(host.out_data.num_params, before);
    }
}

INSTANTIATE_TEST_SUITE_P(AtCall, DeclareParamsFailing, ::testing::Values(1, 2, 3, 4));

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
