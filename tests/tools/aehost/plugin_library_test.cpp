#include "tools/aehost/plugin_library.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "tools/aehost/effect.h"

namespace aehost {
namespace {

#ifdef _WIN32
const char* kLibraryWithoutEntries = "kernel32.dll";
#else
const char* kLibraryWithoutEntries = "libm.so.6";
#endif

struct LoadFailure {
    const char* what;
    std::string path;
    const char* message_part;  // the reason must be in the message
};

class LoadFailures : public ::testing::TestWithParam<LoadFailure> {};

TEST_P(LoadFailures, SayWhy)
{
    const LoadFailure& f = GetParam();
    if (f.what == std::string("not a library")) {
        std::ofstream(f.path) << "plain text, not a shared library\n";
    }
    std::string error;
    EXPECT_EQ(PluginLibrary::open(f.path, &error), nullptr);
    EXPECT_NE(error.find(f.path), std::string::npos) << error;
    EXPECT_NE(error.find(f.message_part), std::string::npos) << error;
    EXPECT_EQ(Effect::load(f.path, nullptr), nullptr);  // no message wanted: still no crash
    std::remove("aehost_not_a_library.so");
}

INSTANTIATE_TEST_SUITE_P(Table, LoadFailures,
                         ::testing::Values(LoadFailure{"missing", "no/such/TINTRA.so", "cannot load"},
                                           LoadFailure{"not a library", "aehost_not_a_library.so", "cannot load"},
                                           LoadFailure{"no entry points", kLibraryWithoutEntries,
                                                       "does not export EffectMain"}));

TEST(DescribeError, NamesTheHostsCodes)
{
    EXPECT_EQ(describe_error(0), "PF_Err_NONE (0)");
    EXPECT_EQ(describe_error(516), "PF_Err_BAD_CALLBACK_PARAM (516)");
    EXPECT_EQ(describe_error(517), "PF_Interrupt_CANCEL (517)");
    EXPECT_EQ(describe_error(0x21494D50), "kSPUnimplementedError '!IMP' (558452048)");
    EXPECT_EQ(describe_error(-3), "error -3");
}

}  // namespace
}  // namespace aehost
