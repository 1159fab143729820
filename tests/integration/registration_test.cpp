// The registration entry: the ten values, and the callback's answer passed
// back unchanged.
#include <climits>

#include "effect/identity.h"
#include "tests/integration/call_records.h"

namespace integration {
namespace {

using aehost::Host;
using aehost::Registration;

class RegistrationResult : public PluginTestWithParam<PF_Err> {};

TEST_P(RegistrationResult, TheTenValuesAreHandedOverOnceAndTheAnswerComesBack)
{
    Host host(library());
    host.set_registration_result(GetParam());
    EXPECT_EQ(host.register_effect(), GetParam());

    Registration r = host.registration();
    EXPECT_EQ(r.calls, 1);
    EXPECT_TRUE(r.same_opaque);
    EXPECT_EQ(r.name, "TINTRA");
    EXPECT_EQ(r.match_name, "halvecort TINTRA");
    EXPECT_EQ(r.category, "Color Correction");
    EXPECT_EQ(r.entry_point, "EffectMain");
    EXPECT_EQ(r.kind, 0x65464B54);  // 'eFKT'
    EXPECT_EQ(r.api_major, 13);
    EXPECT_EQ(r.api_minor, 28);
    EXPECT_EQ(r.reserved_info, 8);
    // The same address as the property list's, and a real secure one.
    EXPECT_EQ(r.support_url, identity::kSupportUrl);
    EXPECT_EQ(r.support_url.rfind("https://", 0), 0u) << r.support_url;
    EXPECT_GT(r.support_url.size(), std::string("https://x.y").size() - 1);

    EXPECT_TRUE(host.suite_events().empty()) << "registration needs no suite";
    EXPECT_EQ(Host::stray_callbacks(), 0);
}

INSTANTIATE_TEST_SUITE_P(CallbackAnswers, RegistrationResult,
                         ::testing::Values(PF_Err_NONE, 1, PF_Err_OUT_OF_MEMORY, PF_Err_BAD_CALLBACK_PARAM, -1,
                                           INT_MIN, INT_MAX));

TEST_F(PluginTest, RegistrationNeedsNoBasicSuite)
{
    Host host(library());
    host.set_basic_suite_null(true);
    EXPECT_EQ(host.register_effect(), PF_Err_NONE);
    EXPECT_EQ(host.registration().calls, 1);
    EXPECT_EQ(host.registration().name, "TINTRA");
}

TEST_F(PluginTest, RegisteringAgainGivesTheSameValues)
{
    Host first(library()), second(library());
    ASSERT_EQ(first.register_effect(), 0);
    ASSERT_EQ(second.register_effect(), 0);
    ASSERT_EQ(second.register_effect(), 0);
    Registration a = first.registration(), b = second.registration();
    EXPECT_EQ(b.calls, 2);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.match_name, b.match_name);
    EXPECT_EQ(a.support_url, b.support_url);
}

}  // namespace
}  // namespace integration
