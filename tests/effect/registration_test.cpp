#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <string>

#include "effect/entry_points.h"
#include "effect/identity.h"

namespace {

struct Registered {
    int calls = 0;
    PF_PluginData* in_ptr = nullptr;
    std::string name, match_name, category, entry_point, support_url;
    A_long kind = 0, major = 0, minor = 0, reserved = 0;
};

Registered g_registered;
PF_Err g_callback_result = 0;
enum class Throw { Nothing, Int, Other } g_callback_throws = Throw::Nothing;

std::string Str(const A_u_char* s)
{
    return s ? reinterpret_cast<const char*>(s) : "<null>";
}

PF_Err Callback(PF_PluginData* in_ptr, const A_u_char* name, const A_u_char* match_name, const A_u_char* category,
                const A_u_char* entry_point, A_long kind, A_long major, A_long minor, A_long reserved,
                const A_u_char* support_url)
{
    Registered& r = g_registered;
    ++r.calls;
    r.in_ptr = in_ptr;
    r.name = Str(name);
    r.match_name = Str(match_name);
    r.category = Str(category);
    r.entry_point = Str(entry_point);
    r.kind = kind;
    r.major = major;
    r.minor = minor;
    r.reserved = reserved;
    r.support_url = Str(support_url);
    if (g_callback_throws == Throw::Int) {
        throw int32_t{99};
    }
    if (g_callback_throws == Throw::Other) {
        throw std::logic_error("callback");
    }
    return g_callback_result;
}

PF_Err Register()
{
    g_registered = Registered{};
    return PluginDataEntryFunction2(reinterpret_cast<PF_PluginData*>(&g_registered), &Callback, nullptr, "host",
                                    "1.0");
}

class Registration : public ::testing::TestWithParam<PF_Err> {};

TEST_P(Registration, PassesTheTenValuesOnceAndReturnsTheCallbackResult)
{
    g_callback_throws = Throw::Nothing;
    g_callback_result = GetParam();
    EXPECT_EQ(Register(), GetParam());
    const Registered& r = g_registered;
    EXPECT_EQ(r.calls, 1);
    EXPECT_EQ(r.in_ptr, reinterpret_cast<PF_PluginData*>(&g_registered));
    EXPECT_EQ(r.name, "TINTRA");
    EXPECT_EQ(r.match_name, "halvecort TINTRA");
    EXPECT_EQ(r.category, "Color Correction");
    EXPECT_EQ(r.entry_point, "EffectMain");
    EXPECT_EQ(r.kind, 0x65464B54);
    EXPECT_EQ(r.major, 13);
    EXPECT_EQ(r.minor, 28);
    EXPECT_EQ(r.reserved, 8);
    EXPECT_EQ(r.support_url, identity::kSupportUrl);
    EXPECT_EQ(r.support_url.rfind("https://", 0), 0u) << r.support_url;
}

INSTANTIATE_TEST_SUITE_P(Results, Registration, ::testing::Values(0, 1, 516, -1, INT_MIN));

TEST(Registration, NoExceptionFromTheCallbackEscapes)
{
    g_callback_throws = Throw::Int;
    EXPECT_EQ(Register(), 99);
    g_callback_throws = Throw::Other;
    EXPECT_NE(Register(), PF_Err_NONE);
    g_callback_throws = Throw::Nothing;
}

}  // namespace
