#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "color/pixel_functions.h"
#include "effect/entry_points.h"
#include "effect/parameters.h"
#include "fake_effect_host.h"

namespace {

bool SameBytes(const PF_OutData& a, const PF_OutData& b)
{
    return std::memcmp(&a, &b, sizeof(PF_OutData)) == 0;
}

TEST(EffectMain, GlobalSetupReportsVersionAndTheTwoCapabilities)
{
    FakeEffectHost host;
    PF_OutData expected = host.out_data;
    expected.my_version = 0x90001;
    expected.out_flags = 0x2000000;
    expected.out_flags2 = 0x8000000;
    EXPECT_EQ(host.Call(PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    EXPECT_TRUE(SameBytes(host.out_data, expected));
    EXPECT_TRUE(host.basic.Log().empty());
}

TEST(EffectMain, AboutWritesNameVersionAndDescription)
{
    FakeEffectHost host;
    EXPECT_EQ(host.Call(PF_Cmd_ABOUT), PF_Err_NONE);
    EXPECT_STREQ(host.out_data.return_msg,
                 "TINTRA v1.2\rChange hue & saturation using oklab color science\r by halvecort <3");
    EXPECT_EQ(host.basic.Log(),
              (std::vector<std::string>{"acquire PF ANSI Suite 1", "release PF ANSI Suite 1"}));
}

enum class Missing { ErrorCode, NullPointer, BasicSuite };

void Remove(FakeEffectHost& host, Missing how, const char* name, int32_t version)
{
    switch (how) {
    case Missing::ErrorCode:
        host.basic.FailWithError(name, version, kSPUnimplementedError);
        break;
    case Missing::NullPointer:
        host.basic.FailWithNull(name, version);
        break;
    case Missing::BasicSuite:
        host.in_data.pica_basicP = nullptr;
        break;
    }
}

class EffectMainMissingSuite : public ::testing::TestWithParam<Missing> {};

TEST_P(EffectMainMissingSuite, AboutReturns516AndWritesNothing)
{
    FakeEffectHost host;
    Remove(host, GetParam(), kPFANSISuite, 1);
    PF_OutData before = host.out_data;
    EXPECT_EQ(host.Call(PF_Cmd_ABOUT), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(SameBytes(host.out_data, before));
    EXPECT_EQ(host.basic.Outstanding(), 0);
}

TEST_P(EffectMainMissingSuite, RenderReturns516WithoutIterating)
{
    for (PF_WorldFlags flags : {0, PF_WorldFlag_DEEP}) {
        FakeEffectHost host;
        host.output.world_flags = flags;
        Remove(host, GetParam(), flags ? kPFIterate16Suite : kPFIterate8Suite, 2);
        EXPECT_EQ(host.Call(PF_Cmd_RENDER), PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_TRUE(host.iterations.empty());
        EXPECT_EQ(host.basic.Outstanding(), 0);
    }
}

TEST_P(EffectMainMissingSuite, ParameterChangeReturns516WithoutUpdating)
{
    for (PF_Cmd cmd : {PF_Cmd_USER_CHANGED_PARAM, PF_Cmd_UPDATE_PARAMS_UI}) {
        FakeEffectHost host;
        Remove(host, GetParam(), kPFParamUtilsSuite, 3);
        EXPECT_EQ(host.Call(cmd), PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_TRUE(host.ui_updates.empty());
        EXPECT_EQ(host.basic.Outstanding(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, EffectMainMissingSuite,
                         ::testing::Values(Missing::ErrorCode, Missing::NullPointer, Missing::BasicSuite));

struct RenderCase {
    const char* label;
    PF_WorldFlags world_flags;
    PF_LRect extent;
    int depth;
    A_long progress_final;
};

const RenderCase kRenders[] = {
    {"bits8", 0, {0, 0, 64, 48}, 8, 48},
    {"bits8_writeable", PF_WorldFlag_WRITEABLE, {3, 10, 9, 25}, 8, 15},
    {"bits16", PF_WorldFlag_DEEP, {0, 0, 64, 48}, 16, 48},
    {"bits16_writeable", PF_WorldFlag_DEEP | PF_WorldFlag_WRITEABLE, {0, 7, 5, 9}, 16, 2},
    {"empty_extent", 0, {0, 12, 64, 12}, 8, 0},
};

class EffectMainRender : public ::testing::TestWithParam<RenderCase> {};

TEST_P(EffectMainRender, IteratesTheInputIntoTheOutputAtTheFrameDepth)
{
    const RenderCase& c = GetParam();
    FakeEffectHost host;
    host.output.world_flags = c.world_flags;
    host.output.extent_hint = c.extent;
    host.param_defs[PARAM_HUE].u.ad.value = 90 << 16;
    host.param_defs[PARAM_CHROMA].u.fs_d.value = 100.0;
    host.param_defs[PARAM_CLIP_METHOD].u.pd.value = 3;
    host.param_defs[PARAM_CLIP_ALPHA].u.fs_d.value = 2.0;
    const HueSettings want = ReadSettings(host.params);

    EXPECT_EQ(host.Call(PF_Cmd_RENDER), PF_Err_NONE);
    ASSERT_EQ(host.iterations.size(), 1u);
    const IterateCall& it = host.iterations[0];
    EXPECT_EQ(it.depth, c.depth);
    EXPECT_EQ(it.pixel_fn, c.depth == 16 ? reinterpret_cast<void*>(&HueFunc16) : reinterpret_cast<void*>(&HueFunc8));
    EXPECT_EQ(it.in_data, &host.in_data);
    EXPECT_EQ(it.progress_base, 0);
    EXPECT_EQ(it.progress_final, c.progress_final);
    EXPECT_EQ(it.src, &host.param_defs[PARAM_INPUT].u.ld);
    EXPECT_EQ(it.area, nullptr);
    EXPECT_EQ(it.dst, &host.output);
    EXPECT_EQ(std::memcmp(&it.settings, &want, sizeof(HueSettings)), 0);
    EXPECT_EQ(host.basic.Acquires(c.depth == 16 ? kPFIterate16Suite : kPFIterate8Suite, 2), 1);
    EXPECT_EQ(host.basic.Log().size(), 2u);
    EXPECT_EQ(host.basic.Outstanding(), 0);
}

INSTANTIATE_TEST_SUITE_P(Worlds, EffectMainRender, ::testing::ValuesIn(kRenders),
                         [](const ::testing::TestParamInfo<RenderCase>& info) { return info.param.label; });

class EffectMainIterateError : public ::testing::TestWithParam<PF_Err> {};

TEST_P(EffectMainIterateError, IsReturnedUnchangedAndTheSuiteHandedBack)
{
    for (PF_WorldFlags flags : {0, PF_WorldFlag_DEEP}) {
        FakeEffectHost host;
        host.output.world_flags = flags;
        host.iterate_result = GetParam();
        EXPECT_EQ(host.Call(PF_Cmd_RENDER), GetParam());
        EXPECT_EQ(host.basic.Outstanding(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Errors, EffectMainIterateError,
                         ::testing::Values(PF_Interrupt_CANCEL, PF_Err_OUT_OF_MEMORY, PF_Err_BAD_CALLBACK_PARAM, -1));

struct ChangeCase {
    A_long method;
    bool disabled;
};

class EffectMainParamChange : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(EffectMainParamChange, GreysOutAlphaUnlessAdaptiveThroughACopy)
{
    for (PF_Cmd cmd : {PF_Cmd_USER_CHANGED_PARAM, PF_Cmd_UPDATE_PARAMS_UI}) {
        for (PF_ParamUIFlags start : {PF_PUI_NONE, PF_PUI_DISABLED, PF_PUI_DISABLED | PF_PUI_ECW_SEPARATOR}) {
            FakeEffectHost host;
            host.param_defs[PARAM_CLIP_METHOD].u.pd.value = GetParam().method;
            host.param_defs[PARAM_CLIP_ALPHA].ui_flags = start;
            std::strcpy(host.param_defs[PARAM_CLIP_ALPHA].name, "Adaptive Clip Alpha");
            PF_ParamDef before[5];
            std::memcpy(before, host.param_defs, sizeof(before));
            PF_UserChangedParamExtra extra{PARAM_CLIP_METHOD};

            EXPECT_EQ(host.Call(cmd, cmd == PF_Cmd_USER_CHANGED_PARAM ? &extra : nullptr), PF_Err_NONE);
            EXPECT_EQ(std::memcmp(before, host.param_defs, sizeof(before)), 0) << "params[] written";
            ASSERT_EQ(host.ui_updates.size(), 1u);
            const UiUpdate& u = host.ui_updates[0];
            EXPECT_EQ(u.effect_ref, host.in_data.effect_ref);
            EXPECT_EQ(u.index, PARAM_CLIP_ALPHA);
            PF_ParamDef want = before[PARAM_CLIP_ALPHA];
            want.ui_flags = GetParam().disabled ? (start | PF_PUI_DISABLED) : (start & ~PF_PUI_DISABLED);
            EXPECT_EQ(std::memcmp(&u.def, &want, sizeof(want)), 0) << "method " << GetParam().method;
            EXPECT_EQ(host.basic.Outstanding(), 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, EffectMainParamChange,
                         ::testing::Values(ChangeCase{1, false}, ChangeCase{2, true}, ChangeCase{3, true},
                                           ChangeCase{4, true}, ChangeCase{0, true}, ChangeCase{5, true}));

TEST(EffectMain, ParamChangeReturnsTheHostsUpdateError)
{
    FakeEffectHost host;
    host.ui_result = PF_Err_INVALID_INDEX;
    EXPECT_EQ(host.Call(PF_Cmd_USER_CHANGED_PARAM), PF_Err_INVALID_INDEX);
    EXPECT_EQ(host.basic.Outstanding(), 0);
}

TEST(EffectMain, ParamsSetupDeclaresAndReturnsTheHostsRefusal)
{
    {
        FakeEffectHost host;
        EXPECT_EQ(host.Call(PF_Cmd_PARAMS_SETUP), PF_Err_NONE);
        EXPECT_EQ(host.added.size(), 4u);
        EXPECT_EQ(host.out_data.num_params, 5);
    }
    FakeEffectHost refusing;
    refusing.fail_add_at = 2;
    refusing.add_error = PF_Err_OUT_OF_MEMORY;
    EXPECT_EQ(refusing.Call(PF_Cmd_PARAMS_SETUP), PF_Err_OUT_OF_MEMORY);
}

TEST(EffectMain, NoExceptionLeaves)
{
    FakeEffectHost host;
    host.add_throws = FakeEffectHost::Throw::Int;
    EXPECT_EQ(host.Call(PF_Cmd_PARAMS_SETUP), 7);
    host.add_throws = FakeEffectHost::Throw::Other;
    EXPECT_NE(host.Call(PF_Cmd_PARAMS_SETUP), PF_Err_NONE);
}

class EffectMainOtherCommand : public ::testing::TestWithParam<PF_Cmd> {};

TEST_P(EffectMainOtherCommand, ReturnsZeroAndTouchesNothing)
{
    FakeEffectHost host;
    PF_OutData out_before = host.out_data;
    PF_InData in_before = host.in_data;
    PF_ParamDef params_before[5];
    std::memcpy(params_before, host.param_defs, sizeof(params_before));
    EXPECT_EQ(host.Call(GetParam()), PF_Err_NONE);
    EXPECT_TRUE(SameBytes(host.out_data, out_before));
    EXPECT_EQ(std::memcmp(&host.in_data, &in_before, sizeof(PF_InData)), 0);
    EXPECT_EQ(std::memcmp(host.param_defs, params_before, sizeof(params_before)), 0);
    EXPECT_TRUE(host.basic.Log().empty());
    EXPECT_TRUE(host.added.empty());
    EXPECT_TRUE(host.iterations.empty());
    EXPECT_TRUE(host.ui_updates.empty());
}

INSTANTIATE_TEST_SUITE_P(Codes, EffectMainOtherCommand,
                         ::testing::Values(2, 3, 5, 6, 7, 8, 9, 10, 12, 15, 16, 23, 24, 33, 34, 1000, INT_MAX, -1,
                                           INT_MIN));

}  // namespace
