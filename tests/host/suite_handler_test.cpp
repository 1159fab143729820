#include "host/suite_handler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "tests/support/fake_basic_suite.h"
#include "host/ae_effect.h"

namespace {

std::string Acquire(const SuitePair& p)
{
    return "acquire " + std::string(p.name) + " " + std::to_string(p.version);
}

std::string Release(const SuitePair& p)
{
    return "release " + std::string(p.name) + " " + std::to_string(p.version);
}

// What a call throws: the host error code when it is a plain int32_t, -1 for
// no exception at all. Any other exception type fails the test by escaping.
int32_t ThrownCode(const std::function<void()>& call)
{
    try {
        call();
    } catch (int32_t code) {
        return code;
    }
    return -1;
}

// Every accessor, in list order, so that tests can reach each pair through
// its own generated function.
struct Accessor {
    std::string function;
    std::function<const void*(AEGP_SuiteHandler&)> call;
};

std::vector<Accessor> AllAccessors()
{
#define TINTRA_TEST_ACCESSOR(stem, name, version, table) \
    {#stem #version, [](AEGP_SuiteHandler& h) { return static_cast<const void*>(h.stem##version()); }},
    return {TINTRA_SUITE_LIST(TINTRA_TEST_ACCESSOR)};
#undef TINTRA_TEST_ACCESSOR
}

std::string WithoutSpaces(const char* s)
{
    std::string out;
    for (; *s; ++s) {
        if (*s != ' ') {
            out += *s;
        }
    }
    return out;
}

TEST(SuitePairs, AreUniqueAndNameSeventyOneSuites)
{
    std::set<std::pair<std::string, int32_t>> pairs;
    std::set<std::string> names;
    for (const SuitePair& p : kSuitePairs) {
        EXPECT_TRUE(pairs.insert({p.name, p.version}).second) << p.name << " " << p.version;
        names.insert(p.name);
    }
    EXPECT_EQ(pairs.size(), 140u);
    EXPECT_EQ(names.size(), 71u);
}

TEST(SuitePairs, AccessorIsNameWithoutSpacesThenVersion)
{
    std::vector<Accessor> accessors = AllAccessors();
    ASSERT_EQ(accessors.size(), kSuitePairCount);
    for (size_t i = 0; i < kSuitePairCount; ++i) {
        EXPECT_EQ(accessors[i].function,
                  WithoutSpaces(kSuitePairs[i].name) + std::to_string(kSuitePairs[i].version));
    }
}

TEST(SuitePairs, EffectSuitesAreSpelledAsTheHostRegistersThem)
{
    struct Case {
        const char* name;
        int32_t version;
    } const used[] = {
        {kPFANSISuite, kPFANSISuiteVersion1},           {kPFIterate8Suite, kPFIterate8SuiteVersion2},
        {kPFIterate16Suite, kPFIterate16SuiteVersion2}, {kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3},
        {kPFIterate8Suite, kPFIterate8SuiteVersion1},   {kPFIterate16Suite, kPFIterate16SuiteVersion1},
    };
    for (const Case& c : used) {
        bool listed = false;
        for (const SuitePair& p : kSuitePairs) {
            listed |= std::strcmp(p.name, c.name) == 0 && p.version == c.version;
        }
        EXPECT_TRUE(listed) << c.name << " " << c.version;
    }
    EXPECT_STREQ(kPFIterate16Suite, "PF iterate16 Suite");
}

TEST(SuiteHandler, UnusedHolderMakesNoHostCall)
{
    FakeBasicSuite host;
    { AEGP_SuiteHandler suites(&host.suite); }
    EXPECT_TRUE(host.Log().empty());
}

TEST(SuiteHandler, AcquiresOnFirstUseOnlyAndReleasesOnce)
{
    FakeBasicSuite host;
    PF_ANSICallbacksSuite1 ansi{};
    host.Provide(kPFANSISuite, 1, &ansi);
    {
        AEGP_SuiteHandler suites(&host.suite);
        EXPECT_TRUE(host.Log().empty());
        EXPECT_EQ(suites.PFANSISuite1(), &ansi);
        EXPECT_EQ(suites.PFANSISuite1(), &ansi);
        EXPECT_EQ(host.Acquires(kPFANSISuite, 1), 1);
        EXPECT_EQ(host.Releases(kPFANSISuite, 1), 0);
    }
    EXPECT_EQ(host.Log(), (std::vector<std::string>{"acquire PF ANSI Suite 1", "release PF ANSI Suite 1"}));
}

TEST(SuiteHandler, EachAccessorReachesItsOwnPairAndReleaseFollowsTheList)
{
    FakeBasicSuite host;
    std::vector<Accessor> accessors = AllAccessors();
    std::vector<std::string> expected;
    {
        AEGP_SuiteHandler suites(&host.suite);
        // Backwards and twice each: neither the order of use nor repeated use
        // may change what is acquired or the order of hand-back.
        for (size_t i = kSuitePairCount; i-- > 0;) {
            const void* first = accessors[i].call(suites);
            EXPECT_EQ(accessors[i].call(suites), first) << accessors[i].function;
            expected.push_back(Acquire(kSuitePairs[i]));
        }
    }
    for (const SuitePair& p : kSuitePairs) {
        expected.push_back(Release(p));
    }
    EXPECT_EQ(host.Log(), expected);
}

TEST(SuiteHandler, EffectSuitesComeBackAnsiThenIterate8ThenIterate16)
{
    FakeBasicSuite host;
    {
        AEGP_SuiteHandler suites(&host.suite);
        suites.PFiterate16Suite2();
        suites.PFIterate8Suite2();
        suites.PFANSISuite1();
    }
    std::vector<std::string> releases(host.Log().begin() + 3, host.Log().end());
    EXPECT_EQ(releases, (std::vector<std::string>{"release PF ANSI Suite 1", "release PF Iterate8 Suite 2",
                                                  "release PF iterate16 Suite 2"}));
}

struct Refusal {
    const char* label;
    SPErr err;  // 0: the host reports success but hands out a null pointer
};

class SuiteHandlerRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(SuiteHandlerRefusal, Throws516AndHandsBackTheEarlierSuiteOnce)
{
    FakeBasicSuite host;
    if (GetParam().err != 0) {
        host.FailWithError(kPFIterate8Suite, 2, GetParam().err);
    } else {
        host.FailWithNull(kPFIterate8Suite, 2);
    }
    int32_t code = ThrownCode([&] {
        AEGP_SuiteHandler suites(&host.suite);
        suites.PFANSISuite1();
        suites.PFIterate8Suite2();
    });
    EXPECT_EQ(code, PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(host.Log(), (std::vector<std::string>{"acquire PF ANSI Suite 1", "acquire PF Iterate8 Suite 2",
                                                    "release PF ANSI Suite 1"}));
}

TEST_P(SuiteHandlerRefusal, FailedSlotStaysEmptyAndIsAskedForAgain)
{
    FakeBasicSuite host;
    if (GetParam().err != 0) {
        host.FailWithError(kPFANSISuite, 1, GetParam().err);
    } else {
        host.FailWithNull(kPFANSISuite, 1);
    }
    {
        AEGP_SuiteHandler suites(&host.suite);
        EXPECT_EQ(ThrownCode([&] { suites.PFANSISuite1(); }), PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_EQ(ThrownCode([&] { suites.PFANSISuite1(); }), PF_Err_BAD_CALLBACK_PARAM);
    }
    EXPECT_EQ(host.Acquires(kPFANSISuite, 1), 2);
    EXPECT_EQ(host.Releases(kPFANSISuite, 1), 0);
}

INSTANTIATE_TEST_SUITE_P(Refusals, SuiteHandlerRefusal,
                         ::testing::Values(Refusal{"error_code", kSPUnimplementedError}, Refusal{"minus_one", -1},
                                           Refusal{"null_pointer", 0}),
                         [](const ::testing::TestParamInfo<Refusal>& info) { return info.param.label; });

TEST(SuiteHandler, NullBasicSuiteThrows516AtConstruction)
{
    FakeBasicSuite host;
    EXPECT_EQ(ThrownCode([] { AEGP_SuiteHandler suites(nullptr); }), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(host.Log().empty());
}

TEST(SuiteHandler, FailedReleasesAreIgnoredAndTheRestStillHandedBack)
{
    FakeBasicSuite host;
    host.FailReleases(kSPUnimplementedError);
    {
        AEGP_SuiteHandler suites(&host.suite);
        suites.PFANSISuite1();
        suites.PFParamUtilsSuite3();
        suites.PFIterate8Suite2();
    }
    EXPECT_EQ(host.Releases(kPFParamUtilsSuite, 3), 1);
    EXPECT_EQ(host.Releases(kPFANSISuite, 1), 1);
    EXPECT_EQ(host.Releases(kPFIterate8Suite, 2), 1);
    static_assert(std::is_nothrow_destructible<AEGP_SuiteHandler>::value, "the holder's end never throws");
}

}  // namespace
