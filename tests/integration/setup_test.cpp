// Global set-up and the parameter declaration.
#include <cstddef>

#include "tests/integration/call_records.h"

namespace integration {
namespace {

using aehost::Host;

TEST_F(PluginTest, GlobalSetupReportsVersionAndFlagsAndNothingElse)
{
    for (bool basic_suite : {true, false}) {
        Host host(library());
        host.set_basic_suite_null(!basic_suite);
        fill(host.out_data(), 0x6B);
        PF_OutData expected = host.out_data();
        expected.my_version = 0x90001;
        expected.out_flags = PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI;
        expected.out_flags2 = PF_OutFlag2_SUPPORTS_THREADED_RENDERING;

        ASSERT_EQ(host.global_setup(), PF_Err_NONE);
        EXPECT_EQ(host.out_data().my_version, 0x90001u);
        EXPECT_EQ(host.out_data().out_flags, expected.out_flags);
        EXPECT_EQ(host.out_data().out_flags2, expected.out_flags2);
        EXPECT_TRUE(bytes_of(host.out_data()) == bytes_of(expected)) << "other output fields were written";
        EXPECT_TRUE(host.suite_events().empty());
        EXPECT_TRUE(host.add_param_calls().empty());
    }
}

// A binary that carries a property list (a Windows DLL's resource, a macOS
// bundle's resource file) has it read before any of its code runs, and
// global set-up must report the flags it lists; a Linux library has none.
TEST_F(PluginTest, GlobalSetupAgreesWithThePropertyList)
{
    std::string path = plugin_path();
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    auto ends_with = [&](const std::string& end) {
        return path.size() >= end.size() && path.compare(path.size() - end.size(), end.size(), end) == 0;
    };
    const bool carries = ends_with(".aex") || ends_with(".plugin");
    ASSERT_EQ(library()->has_property_list(), carries) << path;
    if (!carries) return;

    const aehost::PropertyList& list = library()->property_list();
    Host host(library());
    ASSERT_EQ(host.global_setup(), PF_Err_NONE);
    EXPECT_TRUE(list.has_out_flags);
    EXPECT_TRUE(list.has_out_flags2);
    EXPECT_EQ(list.out_flags, (uint32_t)host.out_data().out_flags);
    EXPECT_EQ(list.out_flags2, (uint32_t)host.out_data().out_flags2);
    EXPECT_TRUE(host.warnings().empty());
}

// What each of the four declarations must hold, every other byte zero. The
// binary is checked here, on each platform it is built for; the effect's own
// unit tests check only what cannot be seen from outside.
PF_ParamDef expected_definition(int index)
{
    PF_ParamDef def;
    std::memset(&def, 0, sizeof def);
    switch (index) {
    case PARAM_HUE:
        def.param_type = PF_Param_ANGLE;
        std::strcpy(def.name, "Hue");
        def.uu.id = 1;
        def.flags = PF_ParamFlag_COLLAPSE_TWIRLY;
        break;
    case PARAM_CHROMA:
        def.param_type = PF_Param_FLOAT_SLIDER;
        std::strcpy(def.name, "Chroma");
        def.uu.id = 2;
        def.u.fs_d.valid_min = -10000000.0f;
        def.u.fs_d.valid_max = 10000000.0f;
        def.u.fs_d.slider_min = -100.0f;
        def.u.fs_d.slider_max = 100.0f;
        def.u.fs_d.curve_tolerance = 0.05f;
        break;
    case PARAM_CLIP_METHOD:
        def.param_type = PF_Param_POPUP;
        std::strcpy(def.name, "Clip Method");
        def.uu.id = 3;
        def.flags = PF_ParamFlag_SUPERVISE;  // the alpha control follows it
        def.u.pd.value = 1;
        def.u.pd.num_choices = 4;
        def.u.pd.dephault = 1;
        break;
    case PARAM_CLIP_ALPHA:
        def.param_type = PF_Param_FLOAT_SLIDER;
        std::strcpy(def.name, "Adaptive Clip Alpha");
        def.uu.id = 4;
        def.u.fs_d.value = 0.5;
        def.u.fs_d.valid_min = -10000000.0f;
        def.u.fs_d.valid_max = 10000000.0f;
        def.u.fs_d.slider_min = 0.05f;
        def.u.fs_d.slider_max = 5.0f;
        def.u.fs_d.dephault = 0.5f;
        def.u.fs_d.precision = 3;
        def.u.fs_d.curve_tolerance = 0.05f;
        break;
    }
    return def;
}

TEST_F(PluginTest, ParamsSetupDeclaresFourParametersFieldByField)
{
    Host host(library());
    fill(host.out_data(), 0x6B);
    PF_OutData expected_out = host.out_data();
    expected_out.num_params = 5;
    ASSERT_EQ(host.params_setup(), PF_Err_NONE);
    EXPECT_EQ(host.out_data().num_params, 5);
    EXPECT_TRUE(bytes_of(host.out_data()) == bytes_of(expected_out)) << "other output fields were written";
    EXPECT_TRUE(host.suite_events().empty());

    std::vector<aehost::AddParamCall> calls = host.add_param_calls();
    ASSERT_EQ(calls.size(), 4u);
    for (int i = 1; i <= 4; ++i) {
        SCOPED_TRACE("parameter " + std::to_string(i));
        const aehost::AddParamCall& call = calls[(size_t)i - 1];
        const PF_ParamDef& got = call.def;
        PF_ParamDef want = expected_definition(i);
        EXPECT_EQ(call.index, -1) << "appended";
        EXPECT_EQ(got.param_type, want.param_type);
        EXPECT_STREQ(got.name, want.name);
        EXPECT_EQ(got.uu.id, want.uu.id);
        EXPECT_EQ(got.flags, want.flags);
        EXPECT_EQ(got.ui_flags, 0);
        switch (want.param_type) {
        case PF_Param_ANGLE:
            EXPECT_EQ(got.u.ad.value, 0);
            EXPECT_EQ(got.u.ad.dephault, 0);
            break;
        case PF_Param_FLOAT_SLIDER:
            EXPECT_EQ(got.u.fs_d.value, want.u.fs_d.value);
            EXPECT_EQ(got.u.fs_d.valid_min, want.u.fs_d.valid_min);
            EXPECT_EQ(got.u.fs_d.valid_max, want.u.fs_d.valid_max);
            EXPECT_EQ(got.u.fs_d.slider_min, want.u.fs_d.slider_min);
            EXPECT_EQ(got.u.fs_d.slider_max, want.u.fs_d.slider_max);
            EXPECT_EQ(got.u.fs_d.dephault, want.u.fs_d.dephault);
            EXPECT_EQ(got.u.fs_d.precision, want.u.fs_d.precision);
            EXPECT_EQ(got.u.fs_d.display_flags, 0);
            EXPECT_EQ(got.u.fs_d.curve_tolerance, 0.05f);
            break;
        case PF_Param_POPUP:
            EXPECT_EQ(got.u.pd.value, 1);
            EXPECT_EQ(got.u.pd.num_choices, 4);
            EXPECT_EQ(got.u.pd.dephault, 1);
            ASSERT_NE(got.u.pd.u.namesptr, nullptr);
            EXPECT_STREQ(got.u.pd.u.namesptr, "Adaptive Hue-dependent|Chroma Clipped|Truncate|Debug");
            want.u.pd.u.namesptr = got.u.pd.u.namesptr;
            break;
        }
        // Everything not named above, padding included, was cleared.
        std::vector<unsigned char> got_bytes = bytes_of(got), want_bytes = bytes_of(want);
        for (size_t b = 0; b < sizeof(PF_ParamDef); ++b)
            EXPECT_EQ(got_bytes[b], want_bytes[b]) << "byte " << b << " of the definition";
    }
}

struct AddParamFailure {
    int step;
    PF_Err error;
};

void PrintTo(const AddParamFailure& f, std::ostream* os)
{
    *os << "add_param call " << f.step << " fails with " << f.error;
}

class ParamsSetupFailure : public PluginTestWithParam<AddParamFailure> {};

TEST_P(ParamsSetupFailure, StopsAtTheFailingStepAndReturnsItsError)
{
    const AddParamFailure& f = GetParam();
    Host host(library());
    host.fail_add_param(f.step, f.error);
    fill(host.out_data(), 0x6B);
    std::vector<unsigned char> out_before = bytes_of(host.out_data());

    EXPECT_EQ(host.params_setup(), f.error);
    EXPECT_EQ(host.add_param_calls().size(), (size_t)f.step) << "no declaration after the failing one";
    EXPECT_TRUE(bytes_of(host.out_data()) == out_before) << "the parameter count must stay untouched";
    EXPECT_TRUE(host.suite_events().empty());
}

// Each step refused with the host's usual errors, and with codes the plug-in
// has no name for.
std::vector<AddParamFailure> EveryStepRefused()
{
    std::vector<AddParamFailure> failures;
    for (int step = 1; step <= 4; ++step)
        for (PF_Err error : {PF_Err_OUT_OF_MEMORY, PF_Err_INVALID_CALLBACK, -1}) failures.push_back({step, error});
    for (AddParamFailure odd : {AddParamFailure{2, PF_Err_INVALID_INDEX}, AddParamFailure{3, PF_Err_BAD_CALLBACK_PARAM},
                                AddParamFailure{1, -7}, AddParamFailure{4, 0x7FFF0001}})
        failures.push_back(odd);
    return failures;
}

INSTANTIATE_TEST_SUITE_P(Steps, ParamsSetupFailure, ::testing::ValuesIn(EveryStepRefused()));

}  // namespace
}  // namespace integration
