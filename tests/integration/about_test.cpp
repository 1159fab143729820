// The About text, and what happens when the formatting suite is not there.
#include <functional>

#include "tests/integration/call_records.h"

namespace integration {
namespace {

using aehost::Host;

const char kAboutText[] = "TINTRA v1.2\rChange hue & saturation using oklab color science\r by halvecort <3";

TEST_F(PluginTest, AboutWritesTheTextByteForByte)
{
    Host host(library());
    fill(host.out_data(), 0x6B);
    PF_OutData expected = host.out_data();
    std::memcpy(expected.return_msg, kAboutText, sizeof kAboutText);  // with its terminator

    ASSERT_EQ(host.about(), PF_Err_NONE);
    const char* msg = host.out_data().return_msg;
    EXPECT_EQ(std::string(msg, strnlen(msg, 256)), kAboutText);
    EXPECT_EQ(sizeof kAboutText - 1, 11u + 1u + 66u);
    // Nothing beyond the terminator, and no other field, was written.
    EXPECT_TRUE(bytes_of(host.out_data()) == bytes_of(expected));
    EXPECT_EQ(suite_traffic(host), (std::vector<std::string>{"+PF ANSI Suite/1", "-PF ANSI Suite/1"}));
}

struct MissingAnsi {
    const char* what;
    std::function<void(Host&)> arrange;
    std::vector<std::string> traffic;
};

void PrintTo(const MissingAnsi& m, std::ostream* os) { *os << m.what; }

class AboutWithoutFormatter : public PluginTestWithParam<MissingAnsi> {};

TEST_P(AboutWithoutFormatter, Returns516AndLeavesTheMessageAlone)
{
    const MissingAnsi& m = GetParam();
    Host host(library());
    m.arrange(host);
    fill(host.out_data(), 0x6B);
    std::vector<unsigned char> before = bytes_of(host.out_data());

    EXPECT_EQ(host.about(), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(bytes_of(host.out_data()) == before) << "return_msg (or another field) was written";
    EXPECT_EQ(suite_traffic(host), m.traffic);
    EXPECT_TRUE(host.suites_balanced());
}

INSTANTIATE_TEST_SUITE_P(
    Table, AboutWithoutFormatter,
    ::testing::Values(
        MissingAnsi{"not implemented", [](Host& h) { h.remove_suite("PF ANSI Suite", 1, kSPUnimplementedError); },
                    {"!PF ANSI Suite/1"}},
        MissingAnsi{"another error", [](Host& h) { h.remove_suite("PF ANSI Suite", 1, 1); }, {"!PF ANSI Suite/1"}},
        MissingAnsi{"null table", [](Host& h) { h.remove_suite("PF ANSI Suite", 1, 0); }, {"!PF ANSI Suite/1"}},
        MissingAnsi{"no basic suite", [](Host& h) { h.set_basic_suite_null(true); }, {}}));

}  // namespace
}  // namespace integration
