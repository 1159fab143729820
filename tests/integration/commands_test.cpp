// Commands the effect does not handle: 0 back, and nothing touched.
#include <climits>

#include "frames.h"
#include "plugin_under_test.h"

namespace integration {
namespace {

using testhost::Host;
using testhost::ParamSet;
using testhost::World;

class UnknownCommand : public PluginTestWithParam<PF_Cmd> {};

TEST_P(UnknownCommand, ReturnsZeroAndTouchesNothing)
{
    PF_Cmd cmd = GetParam();
    World input(4, 3, false, 4), output(4, 3, false, 4);
    input.set_pixels8(test_pixels8(4, 3, 5));
    output.set_pixels8(test_pixels8(4, 3, 6));
    Host host(library());
    EffectParams params(input.world(), declared(), RenderValues{degrees(90), 100.0, 2, 0.5});
    fill(host.out_data(), 0x6B);
    unsigned char extra[64];
    std::memset(extra, 0x3C, sizeof extra);

    std::vector<unsigned char> out_before = bytes_of(host.out_data());
    std::vector<unsigned char> in_before = bytes_of(host.in_data());
    std::vector<unsigned char> params_before = params.snapshot();
    std::vector<unsigned char> world_before = bytes_of(output.world());
    std::vector<PF_Pixel> pixels_before = output.pixels8();
    std::vector<unsigned char> extra_before(extra, extra + sizeof extra);

    EXPECT_EQ(host.command(cmd, params.params(), &output.world(), extra), PF_Err_NONE);

    EXPECT_TRUE(bytes_of(host.out_data()) == out_before) << "out_data written";
    EXPECT_TRUE(bytes_of(host.in_data()) == in_before) << "in_data written";
    EXPECT_TRUE(params.snapshot() == params_before) << "params written";
    EXPECT_TRUE(bytes_of(output.world()) == world_before) << "output world record written";
    EXPECT_EQ(differences(output.pixels8(), pixels_before, 4), "") << "output pixels written";
    EXPECT_TRUE(output.padding_intact());
    EXPECT_TRUE(std::vector<unsigned char>(extra, extra + sizeof extra) == extra_before) << "extra written";
    EXPECT_TRUE(host.suite_events().empty()) << "a suite was acquired";
    EXPECT_TRUE(host.add_param_calls().empty());
    EXPECT_TRUE(host.iterate_calls().empty());
    EXPECT_TRUE(host.ui_updates().empty());
    EXPECT_TRUE(host.progress().empty());
    EXPECT_EQ(host.unsupported_calls(), 0);
}

std::vector<PF_Cmd> unknown_commands()
{
    std::vector<PF_Cmd> cmds = {2, 3, 5, 6, 7, 8, 9, 10, 12};
    for (PF_Cmd cmd = 15; cmd <= 40; ++cmd) cmds.push_back(cmd);
    for (PF_Cmd cmd : {100, 1000, 65536, INT_MAX, -1, -2, -13, -100, INT_MIN}) cmds.push_back(cmd);
    return cmds;
}

INSTANTIATE_TEST_SUITE_P(Codes, UnknownCommand, ::testing::ValuesIn(unknown_commands()));

}  // namespace
}  // namespace integration
