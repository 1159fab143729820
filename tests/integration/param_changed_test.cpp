// The alpha control follows the clip method: on a change of the supervised
// Clip Method popup, and on a UI update, the plug-in greys the alpha control
// out unless the method is Adaptive, through PF_UpdateParamUI with a copy of
// the alpha definition. params[] itself is never written. The host sends
// both commands only because the effect asks for them.
#include <functional>

#include "frames.h"
#include "tests/integration/call_records.h"

namespace integration {
namespace {

using aehost::Host;
using aehost::ParamSet;
using aehost::UiUpdate;
using aehost::World;

struct Change {
    PF_Cmd cmd;
    int32_t clip;
    PF_ParamUIFlags initial_ui_flags;  // of the alpha definition the host holds
};

void PrintTo(const Change& c, std::ostream* os)
{
    *os << "command " << c.cmd << ", clip method " << c.clip << ", alpha ui_flags before " << c.initial_ui_flags;
}

// As the host does it: global set-up first, whose flags decide whether the
// update-params-UI command is sent at all.
PF_Err notify(Host& host, ParamSet& params, PF_Cmd cmd)
{
    PF_OutData out = host.out_data();
    EXPECT_EQ(host.global_setup(), PF_Err_NONE);
    host.out_data() = out;
    host.clear_records();
    PF_Err err =
        cmd == PF_Cmd_USER_CHANGED_PARAM ? host.user_changed_param(params, 3) : host.update_params_ui(params);
    EXPECT_EQ(host.commands_sent(), std::vector<PF_Cmd>{cmd}) << "the host did not send the command";
    return err;
}

class ClipMethodChange : public PluginTestWithParam<Change> {};

TEST_P(ClipMethodChange, GreysTheAlphaControlUnlessAdaptive)
{
    const Change& c = GetParam();
    World input(2, 2, false);
    Host host(library());
    EffectParams params(input.world(), declared(), RenderValues{degrees(10), 5.0, c.clip, 0.75});
    params[4].ui_flags = c.initial_ui_flags;
    fill(host.out_data(), 0x6B);
    std::vector<unsigned char> out_before = bytes_of(host.out_data());
    std::vector<unsigned char> params_before = params.snapshot();

    ASSERT_EQ(notify(host, params, c.cmd), PF_Err_NONE);

    std::vector<UiUpdate> updates = host.ui_updates();
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].during, c.cmd);
    EXPECT_EQ(updates[0].index, 4);
    // A copy of the alpha definition with only the disabled bit changed.
    PF_ParamDef expected = params[4];
    if (c.clip == 1) {
        expected.ui_flags = c.initial_ui_flags & ~PF_PUI_DISABLED;
    } else {
        expected.ui_flags = c.initial_ui_flags | PF_PUI_DISABLED;
    }
    EXPECT_EQ(updates[0].def.ui_flags, expected.ui_flags);
    EXPECT_EQ(updates[0].def.ui_flags & PF_PUI_INVISIBLE, 0) << "a hidden control cannot come back in this host";
    EXPECT_TRUE(bytes_of(updates[0].def) == bytes_of(expected)) << "more than the disabled bit differs";

    EXPECT_TRUE(params.snapshot() == params_before) << "params[] was written";
    EXPECT_TRUE(bytes_of(host.out_data()) == out_before);
    EXPECT_EQ(suite_traffic(host),
              (std::vector<std::string>{"+PF Param Utils Suite/3", "-PF Param Utils Suite/3"}));
}

std::vector<Change> all_changes()
{
    std::vector<Change> changes;
    for (PF_Cmd cmd : {PF_Cmd_USER_CHANGED_PARAM, PF_Cmd_UPDATE_PARAMS_UI})
        for (int32_t clip : {1, 2, 3, 4})
            for (PF_ParamUIFlags initial : {PF_PUI_NONE, PF_PUI_DISABLED, PF_PUI_ECW_SEPARATOR | PF_PUI_DISABLED,
                                            PF_PUI_ECW_SEPARATOR})
                changes.push_back({cmd, clip, initial});
    return changes;
}

INSTANTIATE_TEST_SUITE_P(EachMethod, ClipMethodChange, ::testing::ValuesIn(all_changes()));

// A project saved with another clip method opens with the alpha control
// greyed out, without the popup being touched.
class ReopenedProject : public PluginTestWithParam<int32_t> {};

TEST_P(ReopenedProject, ShowsTheAlphaControlAsTheClipMethodWants)
{
    World input(2, 2, false);
    Host host(library());
    ASSERT_EQ(host.global_setup(), PF_Err_NONE);
    ASSERT_EQ(host.params_setup(), PF_Err_NONE);
    EffectParams params(input.world(), host.added_params(), RenderValues{0, 0.0, GetParam(), 0.5});
    ASSERT_EQ(host.update_params_ui(params), PF_Err_NONE);
    EXPECT_EQ(host.commands_sent().back(), PF_Cmd_UPDATE_PARAMS_UI);
    EXPECT_EQ((host.ui_flags(PARAM_CLIP_ALPHA) & PF_PUI_DISABLED) != 0, GetParam() != 1);
}

INSTANTIATE_TEST_SUITE_P(EachMethod, ReopenedProject, ::testing::Values(1, 2, 3, 4));

struct Failure {
    const char* what;
    std::function<void(Host&)> arrange;
    PF_Err expected;
    std::vector<std::string> traffic;
};

void PrintTo(const Failure& f, std::ostream* os) { *os << f.what; }

class ClipMethodChangeFailure : public PluginTestWithParam<std::tuple<Failure, PF_Cmd>> {};

TEST_P(ClipMethodChangeFailure, ReturnsTheErrorAndReleasesWhatItAcquired)
{
    const Failure& f = std::get<0>(GetParam());
    PF_Cmd cmd = std::get<1>(GetParam());
    World input(2, 2, false);
    Host host(library());
    f.arrange(host);
    EffectParams params(input.world(), declared(), RenderValues{0, 0.0, 3, 0.5});
    std::vector<unsigned char> params_before = params.snapshot();

    EXPECT_EQ(notify(host, params, cmd), f.expected) << f.what;
    EXPECT_EQ(suite_traffic(host), f.traffic) << f.what;
    EXPECT_TRUE(host.suites_balanced());
    EXPECT_TRUE(params.snapshot() == params_before);
}

const char kUtils[] = "PF Param Utils Suite";

INSTANTIATE_TEST_SUITE_P(
    Table, ClipMethodChangeFailure,
    ::testing::Combine(
        ::testing::Values(
            Failure{"suite refused", [](Host& h) { h.remove_suite(kUtils, 3, kSPUnimplementedError); },
                    PF_Err_BAD_CALLBACK_PARAM, {"!PF Param Utils Suite/3"}},
            Failure{"suite null", [](Host& h) { h.remove_suite(kUtils, 3, 0); }, PF_Err_BAD_CALLBACK_PARAM,
                    {"!PF Param Utils Suite/3"}},
            Failure{"no basic suite", [](Host& h) { h.set_basic_suite_null(true); }, PF_Err_BAD_CALLBACK_PARAM, {}},
            Failure{"update refused", [](Host& h) { h.fail_update_param_ui(PF_Err_OUT_OF_MEMORY); },
                    PF_Err_OUT_OF_MEMORY, {"+PF Param Utils Suite/3", "-PF Param Utils Suite/3"}},
            Failure{"update fails oddly", [](Host& h) { h.fail_update_param_ui(-9); }, -9,
                    {"+PF Param Utils Suite/3", "-PF Param Utils Suite/3"}}),
        ::testing::Values(PF_Cmd_USER_CHANGED_PARAM, PF_Cmd_UPDATE_PARAMS_UI)));

}  // namespace
}  // namespace integration
