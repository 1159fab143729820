// What the host sees of the two entry points is tested through the built
// library by the integration tests. Here: that no C++ exception, of any type,
// unwinds out of them into a host that cannot catch it.
#include <gtest/gtest.h>

#include <stdexcept>

#include "effect/entry_points.h"
#include "tests/effect/fake_effect_host.h"

namespace {

FakeEffectHost::Throw g_callback_throws = FakeEffectHost::Throw::Nothing;

PF_Err ThrowingCallback(PF_PluginData*, const A_u_char*, const A_u_char*, const A_u_char*, const A_u_char*, A_long,
                        A_long, A_long, A_long, const A_u_char*)
{
    if (g_callback_throws == FakeEffectHost::Throw::Int) {
        throw int32_t{99};
    }
    throw std::logic_error("not a host error code");
}

TEST(EntryPoints, EffectMainReturnsAThrownCodeAndContainsAnyOtherException)
{
    FakeEffectHost host;
    host.add_throws = FakeEffectHost::Throw::Int;
    EXPECT_EQ(host.Call(PF_Cmd_PARAMS_SETUP), 7);
    host.add_throws = FakeEffectHost::Throw::Other;
    EXPECT_NE(host.Call(PF_Cmd_PARAMS_SETUP), PF_Err_NONE);
}

TEST(EntryPoints, RegistrationReturnsAThrownCodeAndContainsAnyOtherException)
{
    g_callback_throws = FakeEffectHost::Throw::Int;
    EXPECT_EQ(PluginDataEntryFunction2(nullptr, &ThrowingCallback, nullptr, "host", "1.0"), 99);
    g_callback_throws = FakeEffectHost::Throw::Other;
    EXPECT_NE(PluginDataEntryFunction2(nullptr, &ThrowingCallback, nullptr, "host", "1.0"), PF_Err_NONE);
}

}  // namespace
