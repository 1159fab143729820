// Renders through the host's iterate suites: bit for bit the colour core's
// array result, on padded rows, with any number of threads.
#include <climits>
#include <functional>
#include <thread>

#include "frames.h"
#include "tests/integration/call_records.h"

namespace integration {
namespace {

using aehost::Host;
using aehost::IterateCall;
using aehost::ParamSet;
using aehost::World;

struct Setting {
    const char* what;
    RenderValues values;
};

const Setting kSettings[] = {
    {"identity, even under Debug", {0, 0.0, 4, 0.5}},
    {"identity, Adaptive", {0, 0.0, 1, 0.5}},
    {"hue 90, Adaptive", {degrees(90), 0.0, 1, 0.5}},
    {"strong chroma, Adaptive", {0, 100.0, 1, 0.5}},
    {"strong chroma, Chroma Clipped", {0, 100.0, 2, 0.5}},
    {"strong chroma, Truncate", {0, 100.0, 3, 0.5}},
    {"strong chroma, Debug", {0, 100.0, 4, 0.5}},
    {"very strong chroma and hue, Adaptive, alpha 5", {degrees(30), 400.0, 1, 5.0}},
    {"hue -45.5 (used as -46), Chroma Clipped", {degrees(-45.5), 250.0, 2, 0.5}},
    {"hue 359.9 (used as 359), negative chroma, Truncate", {degrees(359.9), -50.0, 3, 0.5}},
    {"hue -0.25 (used as -1), Adaptive, alpha 0.05", {degrees(-0.25), 30.0, 1, 0.05}},
    {"720 degrees, Adaptive", {degrees(720), 0.0, 1, 0.5}},
    {"chroma to the floor", {degrees(10), -1000.0, 1, 0.5}},
    {"opposite hue, Debug", {degrees(180), 150.0, 4, 0.5}},
    {"zero alpha, Adaptive", {degrees(200), 120.0, 1, 0.0}},
};

struct RenderCase {
    Setting setting;
    bool deep;
    int threads;
};

void PrintTo(const RenderCase& c, std::ostream* os)
{
    *os << c.setting.what << (c.deep ? ", 16-bit, " : ", 8-bit, ") << c.threads << " threads";
}

std::string name_of(const ::testing::TestParamInfo<RenderCase>& info)
{
    return std::string(info.param.deep ? "Deep" : "Eight") + "_" + std::to_string(info.index / 8) + "_threads" +
           std::to_string(info.param.threads);
}

std::vector<RenderCase> all_cases()
{
    std::vector<RenderCase> cases;
    for (const Setting& setting : kSettings)
        for (bool deep : {false, true})
            for (int threads : {1, 2, 3, 8}) cases.push_back({setting, deep, threads});
    return cases;
}

class Render : public PluginTestWithParam<RenderCase> {};

TEST_P(Render, MatchesTheArrayFunctionBitForBit)
{
    const RenderCase& c = GetParam();
    SCOPED_TRACE(c.setting.what);
    const int32_t width = c.deep ? 23 : 29, height = c.deep ? 19 : 17;
    World input(width, height, c.deep, c.deep ? 24 : 12);
    World output(width, height, c.deep, c.deep ? 40 : 20);
    Host host(library());
    host.set_threads(c.threads);
    EffectParams params(input.world(), declared(), c.setting.values);

    std::string mismatch;
    if (c.deep) {
        std::vector<PF_Pixel16> pixels = test_pixels16(width, height, 7u + (uint32_t)c.threads);
        input.set_pixels16(pixels);
        std::vector<unsigned char> params_before = params.snapshot();
        ASSERT_EQ(host.render(params, output), PF_Err_NONE);
        mismatch = differences(output.pixels16(), expected_pixels16(c.setting.values, pixels), width);
        EXPECT_EQ(differences(input.pixels16(), pixels, width), "") << "the input was written";
        EXPECT_TRUE(params.snapshot() == params_before) << "params[] was written";
    } else {
        std::vector<PF_Pixel> pixels = test_pixels8(width, height, 3u + (uint32_t)c.threads);
        input.set_pixels8(pixels);
        std::vector<unsigned char> params_before = params.snapshot();
        ASSERT_EQ(host.render(params, output), PF_Err_NONE);
        mismatch = differences(output.pixels8(), expected_pixels8(c.setting.values, pixels), width);
        EXPECT_EQ(differences(input.pixels8(), pixels, width), "") << "the input was written";
        EXPECT_TRUE(params.snapshot() == params_before) << "params[] was written";
    }
    EXPECT_EQ(mismatch, "");
    EXPECT_TRUE(output.padding_intact()) << "something wrote between rows";
    EXPECT_TRUE(input.padding_intact());

    // One iterate call over the whole input, into the output, through the
    // suite of the frame's depth, handed back afterwards.
    std::vector<IterateCall> calls = host.iterate_calls();
    ASSERT_EQ(calls.size(), 1u);
    const char* suite = c.deep ? "PF iterate16 Suite" : "PF Iterate8 Suite";
    EXPECT_EQ(calls[0].suite, (aehost::SuiteId{suite, 2}));
    EXPECT_EQ(calls[0].in_data, &host.in_data());
    EXPECT_EQ(calls[0].src, &params[0].u.ld);
    EXPECT_EQ(calls[0].dst, &output.world());
    EXPECT_TRUE(calls[0].whole_world);
    EXPECT_EQ(calls[0].progress_base, 0);
    EXPECT_EQ(calls[0].progress_final, height);
    EXPECT_EQ(suite_traffic(host), (std::vector<std::string>{std::string("+") + suite + "/2",
                                                             std::string("-") + suite + "/2"}));
    EXPECT_EQ(host.progress().back().current, height);
}

INSTANTIATE_TEST_SUITE_P(Settings, Render, ::testing::ValuesIn(all_cases()), name_of);

struct Extent {
    int32_t top, bottom;
};

void PrintTo(const Extent& e, std::ostream* os) { *os << "extent top " << e.top << ", bottom " << e.bottom; }

class RenderExtent : public PluginTestWithParam<Extent> {};

TEST_P(RenderExtent, ProgressFinalIsTheExtentHeightAndTheWholeFrameIsRendered)
{
    const Extent& e = GetParam();
    const int32_t width = 11, height = 9;
    for (bool deep : {false, true}) {
        World input(width, height, deep, 8), output(width, height, deep, 8);
        output.world().extent_hint = {0, e.top, width, e.bottom};
        RenderValues values{degrees(60), 80.0, 2, 0.5};
        Host host(library());
        host.set_threads(2);
        EffectParams params(input.world(), declared(), values);
        std::string mismatch;
        if (deep) {
            std::vector<PF_Pixel16> pixels = test_pixels16(width, height, 99);
            input.set_pixels16(pixels);
            ASSERT_EQ(host.render(params, output), PF_Err_NONE);
            mismatch = differences(output.pixels16(), expected_pixels16(values, pixels), width);
        } else {
            std::vector<PF_Pixel> pixels = test_pixels8(width, height, 99);
            input.set_pixels8(pixels);
            ASSERT_EQ(host.render(params, output), PF_Err_NONE);
            mismatch = differences(output.pixels8(), expected_pixels8(values, pixels), width);
        }
        EXPECT_EQ(mismatch, "");
        ASSERT_EQ(host.iterate_calls().size(), 1u);
        EXPECT_EQ(host.iterate_calls()[0].progress_base, 0);
        EXPECT_EQ(host.iterate_calls()[0].progress_final, e.bottom - e.top);
        EXPECT_TRUE(host.iterate_calls()[0].whole_world);
        EXPECT_TRUE(host.suites_balanced());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, RenderExtent,
                         ::testing::Values(Extent{0, 9}, Extent{4, 4}, Extent{0, 0}, Extent{9, 9}, Extent{2, 7},
                                           Extent{3, 8}));

struct IterateFailure {
    PF_Err error;
    bool deep;
};

void PrintTo(const IterateFailure& f, std::ostream* os)
{
    *os << "error " << f.error << (f.deep ? ", 16-bit" : ", 8-bit");
}

class RenderIterateFailure : public PluginTestWithParam<IterateFailure> {};

TEST_P(RenderIterateFailure, TheErrorComesBackUnchangedAndTheSuiteIsReleased)
{
    const IterateFailure& f = GetParam();
    World input(6, 5, f.deep, 4), output(6, 5, f.deep, 4);
    Host host(library());
    host.fail_iterate(f.error);
    EffectParams params(input.world(), declared(), RenderValues{degrees(45), 50.0, 1, 0.5});
    EXPECT_EQ(host.render(params, output), f.error);
    ASSERT_EQ(host.iterate_calls().size(), 1u);
    const char* suite = f.deep ? "PF iterate16 Suite" : "PF Iterate8 Suite";
    EXPECT_EQ(suite_traffic(host), (std::vector<std::string>{std::string("+") + suite + "/2",
                                                             std::string("-") + suite + "/2"}));
}

INSTANTIATE_TEST_SUITE_P(Table, RenderIterateFailure,
                         ::testing::Values(IterateFailure{PF_Interrupt_CANCEL, false},
                                           IterateFailure{PF_Interrupt_CANCEL, true},
                                           IterateFailure{PF_Err_OUT_OF_MEMORY, false},
                                           IterateFailure{PF_Err_INTERNAL_STRUCT_DAMAGED, true},
                                           IterateFailure{-1, false}, IterateFailure{INT_MIN, true},
                                           IterateFailure{INT_MAX, false}, IterateFailure{1, true}));

struct MissingIterate {
    const char* what;
    std::function<void(Host&, const char* suite)> arrange;
    bool deep;
};

void PrintTo(const MissingIterate& m, std::ostream* os) { *os << m.what; }

class RenderWithoutIterate : public PluginTestWithParam<MissingIterate> {};

TEST_P(RenderWithoutIterate, Returns516AndLeavesTheOutputAlone)
{
    const MissingIterate& m = GetParam();
    const char* suite = m.deep ? "PF iterate16 Suite" : "PF Iterate8 Suite";
    World input(6, 5, m.deep, 4), output(6, 5, m.deep, 4);
    Host host(library());
    m.arrange(host, suite);
    EffectParams params(input.world(), declared(), RenderValues{degrees(45), 50.0, 1, 0.5});
    if (m.deep) {
        input.set_pixels16(test_pixels16(6, 5, 1));
        output.set_pixels16(test_pixels16(6, 5, 2));
    } else {
        input.set_pixels8(test_pixels8(6, 5, 1));
        output.set_pixels8(test_pixels8(6, 5, 2));
    }
    std::vector<unsigned char> before = bytes_of(output.world());
    std::vector<PF_Pixel> before8 = m.deep ? std::vector<PF_Pixel>{} : output.pixels8();
    std::vector<PF_Pixel16> before16 = m.deep ? output.pixels16() : std::vector<PF_Pixel16>{};

    EXPECT_EQ(host.render(params, output), PF_Err_BAD_CALLBACK_PARAM) << m.what;
    EXPECT_TRUE(host.iterate_calls().empty());
    EXPECT_TRUE(host.suites_balanced()) << m.what;
    EXPECT_EQ(host.suite_count(suite, 2).acquired, 0);
    if (m.deep) {
        EXPECT_EQ(differences(output.pixels16(), before16, 6), "");
    } else {
        EXPECT_EQ(differences(output.pixels8(), before8, 6), "");
    }
    EXPECT_TRUE(bytes_of(output.world()) == before);
    EXPECT_TRUE(output.padding_intact());
}

void remove_both(Host& host, const char* suite, SPErr error)
{
    host.remove_suite(suite, 1, error);
    host.remove_suite(suite, 2, error);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RenderWithoutIterate,
    ::testing::Values(
        MissingIterate{"8-bit suite refused", [](Host& h, const char* s) { remove_both(h, s, kSPUnimplementedError); },
                       false},
        MissingIterate{"8-bit suite null", [](Host& h, const char* s) { remove_both(h, s, 0); }, false},
        MissingIterate{"16-bit suite refused", [](Host& h, const char* s) { remove_both(h, s, 77); }, true},
        MissingIterate{"16-bit suite null", [](Host& h, const char* s) { remove_both(h, s, 0); }, true},
        MissingIterate{"no basic suite, 8-bit", [](Host& h, const char*) { h.set_basic_suite_null(true); }, false},
        MissingIterate{"no basic suite, 16-bit", [](Host& h, const char*) { h.set_basic_suite_null(true); }, true}));

// Renders on several hosts at once, as a host with threaded rendering does:
// nothing may leak from one render into another.
TEST_F(PluginTest, ConcurrentRendersDoNotDisturbEachOther)
{
    constexpr int kRenders = 8;
    std::string mismatch[kRenders];
    bool balanced[kRenders] = {};
    std::vector<std::thread> threads;
    for (int r = 0; r < kRenders; ++r) {
        threads.emplace_back([&, r] {
            RenderValues values{degrees(40.0 * r), 60.0 * r - 200.0, 1 + r % 4, 0.25 * (r + 1)};
            for (int round = 0; round < 3; ++round) {
                Host host(library());
                host.set_threads(2);
                World input(16, 12, r % 2 == 1, 8), output(16, 12, r % 2 == 1, 8);
                EffectParams params(input.world(), declared(), values);
                if (r % 2 == 1) {
                    std::vector<PF_Pixel16> pixels = test_pixels16(16, 12, (uint32_t)r);
                    input.set_pixels16(pixels);
                    host.render(params, output);
                    mismatch[r] += differences(output.pixels16(), expected_pixels16(values, pixels), 16);
                } else {
                    std::vector<PF_Pixel> pixels = test_pixels8(16, 12, (uint32_t)r);
                    input.set_pixels8(pixels);
                    host.render(params, output);
                    mismatch[r] += differences(output.pixels8(), expected_pixels8(values, pixels), 16);
                }
                balanced[r] = host.suites_balanced() && host.suite_events().size() == 2;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    for (int r = 0; r < kRenders; ++r) {
        EXPECT_EQ(mismatch[r], "") << "render " << r;
        EXPECT_TRUE(balanced[r]) << "render " << r;
    }
}

}  // namespace
}  // namespace integration
