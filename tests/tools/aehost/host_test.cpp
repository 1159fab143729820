// The host's own behaviour, driven by small plug-in functions linked into the
// test: each scenario travels to the fake entry point in `extra`.
#include "tools/aehost/host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include "host/pf_suites.h"

namespace aehost {
namespace {

using Scenario = std::function<PF_Err(PF_InData*, PF_OutData*, PF_ParamDef**, PF_LayerDef*)>;

PF_Err FakeEffectMain(PF_Cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[], PF_LayerDef* output,
                      void* extra)
{
    return (*static_cast<Scenario*>(extra))(in_data, out_data, params, output);
}

using RegistrationCall = std::function<PF_Err(PF_PluginData*, PF_PluginDataCB2, SPBasicSuite*)>;
RegistrationCall g_registration;

PF_Err FakeRegistration(PF_PluginData* in_ptr, PF_PluginDataCB2 callback, SPBasicSuite* basic, const char*,
                        const char*)
{
    return g_registration(in_ptr, callback, basic);
}

const EntryPoints kFake{&FakeEffectMain, &FakeRegistration};

template <typename Pixel>
bool same(const std::vector<Pixel>& a, const std::vector<Pixel>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Pixel)) == 0;
}

PF_Err run(Host& host, Scenario scenario, PF_ParamDef** params = nullptr, PF_LayerDef* output = nullptr)
{
    return host.command(PF_Cmd_RENDER, params, output, &scenario);
}

template <typename Suite>
const Suite* acquire(PF_InData* in_data, const char* name, int32_t version, SPErr* err = nullptr)
{
    const void* suite = nullptr;
    SPErr e = in_data->pica_basicP->AcquireSuite(name, version, &suite);
    if (err) *err = e;
    return static_cast<const Suite*>(suite);
}

PF_Err copy8(void*, A_long, A_long, PF_Pixel* in, PF_Pixel* out)
{
    *out = *in;
    return 0;
}

PF_Err copy16(void*, A_long, A_long, PF_Pixel16* in, PF_Pixel16* out)
{
    *out = *in;
    return 0;
}

// ----------------------------------------------------------------- rendering

struct RenderCase {
    bool deep;
    int32_t version;
    int threads;
    int32_t padding;
};

class HostRender : public ::testing::TestWithParam<RenderCase> {};

TEST_P(HostRender, IterateCopiesEveryPixelThroughPaddedRowsAndReportsProgress)
{
    const RenderCase& c = GetParam();
    Host host(kFake);
    host.set_threads(c.threads);
    World input(17, 9, c.deep, c.padding), output(17, 9, c.deep, c.padding + 6);
    for (int32_t y = 0; y < 9; ++y) {
        for (int32_t x = 0; x < 17; ++x) {
            if (c.deep) input.pixel16(x, y) = PF_Pixel16{(uint16_t)(x * 1000), (uint16_t)y, 40000, 3};
            else input.pixel8(x, y) = PF_Pixel{(uint8_t)x, (uint8_t)y, 200, 3};
        }
    }
    ParamSet params(input.world(), std::vector<PF_ParamDef>(4));
    PF_Err err = run(
        host,
        [&](PF_InData* in_data, PF_OutData*, PF_ParamDef** p, PF_LayerDef* out) -> PF_Err {
            PF_Err result;
            if (c.deep) {
                auto suite = acquire<PF_Iterate16Suite2>(in_data, kPFIterate16Suite, c.version);
                result = suite->iterate(in_data, 10, 100, &p[0]->u.ld, nullptr, &host, &copy16, out);
                in_data->pica_basicP->ReleaseSuite(kPFIterate16Suite, c.version);
            } else {
                auto suite = acquire<PF_Iterate8Suite2>(in_data, kPFIterate8Suite, c.version);
                result = suite->iterate(in_data, 10, 100, &p[0]->u.ld, nullptr, &host, &copy8, out);
                in_data->pica_basicP->ReleaseSuite(kPFIterate8Suite, c.version);
            }
            return result;
        },
        params.params(), &output.world());
    ASSERT_EQ(err, 0);
    if (c.deep) {
        EXPECT_TRUE(same(output.pixels16(), input.pixels16()));
    } else {
        EXPECT_TRUE(same(output.pixels8(), input.pixels8()));
    }
    EXPECT_TRUE(output.padding_intact());
    EXPECT_TRUE(input.padding_intact());
    EXPECT_TRUE(host.suites_balanced());

    std::vector<IterateCall> calls = host.iterate_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].suite, (SuiteId{c.deep ? kPFIterate16Suite : kPFIterate8Suite, c.version}));
    EXPECT_EQ(calls[0].in_data, &host.in_data());
    EXPECT_EQ(calls[0].src, &params[0].u.ld);
    EXPECT_EQ(calls[0].dst, &output.world());
    EXPECT_EQ(calls[0].refcon, &host);
    EXPECT_TRUE(calls[0].whole_world);

    // One report per row, growing from the base to the final value.
    std::vector<ProgressReport> progress = host.progress();
    ASSERT_EQ(progress.size(), 9u);
    for (size_t i = 0; i < progress.size(); ++i) {
        EXPECT_EQ(progress[i].total, 100);
        EXPECT_EQ(progress[i].current, 10 + 90 * (int32_t)(i + 1) / 9);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, HostRender,
                         ::testing::Values(RenderCase{false, 2, 1, 0}, RenderCase{false, 1, 3, 12},
                                           RenderCase{false, 2, 9, 4}, RenderCase{true, 2, 1, 8},
                                           RenderCase{true, 1, 4, 16}, RenderCase{true, 2, 20, 2}));

struct IterateFault {
    const char* what;
    std::function<void(Host&, World& input, World& output)> arrange;
    bool deep_suite;
    PF_Err expected;
};

class HostIterateFaults : public ::testing::TestWithParam<IterateFault> {};

TEST_P(HostIterateFaults, ReturnTheErrorAndLeaveTheOutputAlone)
{
    const IterateFault& f = GetParam();
    Host host(kFake);
    World input(5, 4, false, 4), output(5, 4, false, 4);
    f.arrange(host, input, output);
    ParamSet params(input.world(), std::vector<PF_ParamDef>(4));
    std::vector<PF_Pixel> before = output.world().data ? output.pixels8() : std::vector<PF_Pixel>{};
    PF_Err err = run(
        host,
        [&](PF_InData* in_data, PF_OutData*, PF_ParamDef** p, PF_LayerDef* out) -> PF_Err {
            if (f.deep_suite) {
                auto suite = acquire<PF_Iterate16Suite2>(in_data, kPFIterate16Suite, 2);
                PF_Err e = suite->iterate(in_data, 0, 4, &p[0]->u.ld, nullptr, nullptr, &copy16, out);
                in_data->pica_basicP->ReleaseSuite(kPFIterate16Suite, 2);
                return e;
            }
            auto suite = acquire<PF_Iterate8Suite2>(in_data, kPFIterate8Suite, 2);
            PF_Err e = suite->iterate(in_data, 0, 4, &p[0]->u.ld, nullptr, nullptr, &copy8, out);
            in_data->pica_basicP->ReleaseSuite(kPFIterate8Suite, 2);
            return e;
        },
        params.params(), &output.world());
    EXPECT_EQ(err, f.expected) << f.what;
    ASSERT_EQ(host.iterate_calls().size(), 1u);
    EXPECT_EQ(host.iterate_calls()[0].result, f.expected);
    EXPECT_TRUE(host.progress().empty());
    if (output.world().data) {
        EXPECT_TRUE(same(output.pixels8(), before)) << f.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostIterateFaults,
    ::testing::Values(
        IterateFault{"injected cancel", [](Host& h, World&, World&) { h.fail_iterate(PF_Interrupt_CANCEL); }, false,
                     PF_Interrupt_CANCEL},
        IterateFault{"injected odd code", [](Host& h, World&, World&) { h.fail_iterate(-77); }, false, -77},
        IterateFault{"8-bit worlds through the 16-bit suite", [](Host&, World&, World&) {}, true,
                     PF_Err_BAD_CALLBACK_PARAM},
        IterateFault{"deep output through the 8-bit suite",
                     [](Host&, World&, World& out) { out.world().world_flags |= PF_WorldFlag_DEEP; }, false,
                     PF_Err_BAD_CALLBACK_PARAM},
        IterateFault{"output without pixels", [](Host&, World&, World& out) { out.world().data = nullptr; }, false,
                     PF_Err_BAD_CALLBACK_PARAM}));

TEST(HostIterate, AreaIsClippedToBothWorlds)
{
    Host host(kFake);
    World input(6, 6, false), output(4, 5, false);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 6; ++x) input.pixel8(x, y) = PF_Pixel{9, 9, 9, 9};
    ParamSet params(input.world(), std::vector<PF_ParamDef>(4));
    PF_LRect area{1, -3, 50, 3};
    ASSERT_EQ(run(
                  host,
                  [&](PF_InData* in_data, PF_OutData*, PF_ParamDef** p, PF_LayerDef* out) -> PF_Err {
                      auto suite = acquire<PF_Iterate8Suite2>(in_data, kPFIterate8Suite, 2);
                      PF_Err e = suite->iterate(in_data, 0, 3, &p[0]->u.ld, &area, nullptr, &copy8, out);
                      in_data->pica_basicP->ReleaseSuite(kPFIterate8Suite, 2);
                      return e;
                  },
                  params.params(), &output.world()),
              0);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(output.pixel8(x, y).red, (x >= 1 && y < 3) ? 9 : 0) << x << "," << y;
    EXPECT_FALSE(host.iterate_calls()[0].whole_world);
    EXPECT_EQ(host.iterate_calls()[0].area.top, -3);
}

// ------------------------------------------------------------ suite service

struct AcquireCase {
    const char* what;
    std::function<void(Host&)> arrange;
    const char* name;
    int32_t version;
    SPErr expected_error;
    bool expect_table;
    SuiteEventKind expected_event;
};

class HostAcquire : public ::testing::TestWithParam<AcquireCase> {};

TEST_P(HostAcquire, AnswersAndRecords)
{
    const AcquireCase& c = GetParam();
    Host host(kFake);
    c.arrange(host);
    const void* table = &host;  // something that must be overwritten on success
    SPErr err = -1;
    run(host, [&](PF_InData* in_data, PF_OutData*, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
        err = in_data->pica_basicP->AcquireSuite(c.name, c.version, &table);
        return 0;
    });
    EXPECT_EQ(err, c.expected_error) << c.what;
    if (c.expect_table) {
        EXPECT_TRUE(table != nullptr && table != &host) << c.what;
    } else if (err == 0) {
        EXPECT_EQ(table, nullptr) << c.what;
    }
    std::vector<SuiteEvent> events = host.suite_events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, c.expected_event);
    EXPECT_EQ(events[0].suite, (SuiteId{c.name, c.version}));
    SuiteCount count = host.suite_count(c.name, c.version);
    EXPECT_EQ(count.acquired, c.expected_event == SuiteEventKind::Acquired ? 1 : 0);
    EXPECT_EQ(count.refused, c.expected_event == SuiteEventKind::Refused ? 1 : 0);
}

const auto kNothing = [](Host&) {};

INSTANTIATE_TEST_SUITE_P(
    Table, HostAcquire,
    ::testing::Values(
        AcquireCase{"ANSI", kNothing, "PF ANSI Suite", 1, 0, true, SuiteEventKind::Acquired},
        AcquireCase{"Iterate8 v1", kNothing, "PF Iterate8 Suite", 1, 0, true, SuiteEventKind::Acquired},
        AcquireCase{"iterate16 v2", kNothing, "PF iterate16 Suite", 2, 0, true, SuiteEventKind::Acquired},
        AcquireCase{"Param Utils v3", kNothing, "PF Param Utils Suite", 3, 0, true, SuiteEventKind::Acquired},
        AcquireCase{"wrong capital", kNothing, "PF Iterate16 Suite", 2, kSPUnimplementedError, false,
                    SuiteEventKind::Refused},
        AcquireCase{"unserved version", kNothing, "PF ANSI Suite", 2, kSPUnimplementedError, false,
                    SuiteEventKind::Refused},
        AcquireCase{"unserved suite", kNothing, "AEGP Marker Suite", 1, kSPUnimplementedError, false,
                    SuiteEventKind::Refused},
        AcquireCase{"removed with an error",
                    [](Host& h) { h.remove_suite("PF ANSI Suite", 1, 0x12345); }, "PF ANSI Suite", 1, 0x12345,
                    false, SuiteEventKind::Refused},
        AcquireCase{"removed with a null table", [](Host& h) { h.remove_suite("PF Iterate8 Suite", 2, 0); },
                    "PF Iterate8 Suite", 2, 0, false, SuiteEventKind::Refused},
        AcquireCase{"other version still served", [](Host& h) { h.remove_suite("PF Iterate8 Suite", 2, 0); },
                    "PF Iterate8 Suite", 1, 0, true, SuiteEventKind::Acquired}));

struct Ledger {
    const char* what;
    int acquires;
    int releases;
    const char* suite;  // acquired and released by name; only the ANSI suite is served
    bool balanced;
};

class HostBookkeeping : public ::testing::TestWithParam<Ledger> {};

TEST_P(HostBookkeeping, TellsBalancedFromUnbalanced)
{
    const Ledger& l = GetParam();
    Host host(kFake);
    run(host, [&](PF_InData* in_data, PF_OutData*, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
        for (int i = 0; i < l.acquires; ++i) acquire<void>(in_data, l.suite, 1);
        for (int i = 0; i < l.releases; ++i) in_data->pica_basicP->ReleaseSuite(l.suite, 1);
        return 0;
    });
    EXPECT_EQ(host.suites_balanced(), l.balanced) << l.what;
}

INSTANTIATE_TEST_SUITE_P(Table, HostBookkeeping,
                         ::testing::Values(Ledger{"nothing", 0, 0, "PF ANSI Suite", true},
                                           Ledger{"one and one", 1, 1, "PF ANSI Suite", true},
                                           Ledger{"two and two", 2, 2, "PF ANSI Suite", true},
                                           Ledger{"leaked", 2, 1, "PF ANSI Suite", false},
                                           Ledger{"released twice", 1, 2, "PF ANSI Suite", false},
                                           Ledger{"released, never acquired", 0, 1, "PF ANSI Suite", false},
                                           Ledger{"a refused suite handed back", 1, 1, "AEGP Marker Suite", false}));

TEST(HostBookkeeping, RecordsEventsInOrder)
{
    Host host(kFake);
    run(host, [](PF_InData* i, PF_OutData*, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
        acquire<void>(i, "PF ANSI Suite", 1);
        acquire<void>(i, "PF Iterate8 Suite", 2);
        i->pica_basicP->ReleaseSuite("PF ANSI Suite", 1);
        i->pica_basicP->ReleaseSuite("PF Iterate8 Suite", 2);
        i->pica_basicP->ReleaseSuite("PF Iterate8 Suite", 2);
        return 0;
    });
    std::vector<SuiteEvent> events = host.suite_events();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].kind, SuiteEventKind::Acquired);
    EXPECT_EQ(events[1].suite, (SuiteId{"PF Iterate8 Suite", 2}));
    EXPECT_EQ(events[2].kind, SuiteEventKind::Released);
    EXPECT_EQ(events[2].suite, (SuiteId{"PF ANSI Suite", 1}));
    EXPECT_EQ(events[3].kind, SuiteEventKind::Released);
    EXPECT_EQ(events[4].kind, SuiteEventKind::StrayRelease);
    EXPECT_EQ(host.suite_count("PF Iterate8 Suite", 2).stray_releases, 1);
}

TEST(HostBasicSuite, CanBeWithheld)
{
    Host host(kFake);
    host.set_basic_suite_null(true);
    SPBasicSuite* seen = reinterpret_cast<SPBasicSuite*>(&host);  // anything but null
    run(host, [&](PF_InData* i, PF_OutData*, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
        seen = i->pica_basicP;
        return 0;
    });
    EXPECT_EQ(seen, nullptr);
}

// Each host must see only its own plug-in's calls, even when many hosts run
// at once: the basic suite's functions get no pointer to find their host by.
TEST(HostConcurrency, EveryHostSeesOnlyItsOwnSuiteCalls)
{
    // All hosts live for the whole test, so each holds its own slot while
    // the others call their basic suites.
    constexpr int kHosts = 24;
    std::vector<std::unique_ptr<Host>> hosts;
    for (int h = 0; h < kHosts; ++h) hosts.push_back(std::make_unique<Host>(kFake));
    std::vector<std::thread> threads;
    for (int h = 0; h < kHosts; ++h) {
        threads.emplace_back([h, &hosts] {
            Host& host = *hosts[(size_t)h];
            int32_t version = 100 + h;
            for (int round = 0; round < 50; ++round) {
                run(host, [&](PF_InData* i, PF_OutData*, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
                    acquire<void>(i, "PF ANSI Suite", 1);
                    acquire<void>(i, "Own Suite", version);
                    i->pica_basicP->ReleaseSuite("PF ANSI Suite", 1);
                    return 0;
                });
            }
        });
    }
    for (std::thread& t : threads) t.join();
    for (int h = 0; h < kHosts; ++h) {
        const Host& host = *hosts[(size_t)h];
        SuiteCount own = host.suite_count("Own Suite", 100 + h);
        SuiteCount ansi = host.suite_count("PF ANSI Suite", 1);
        EXPECT_EQ(own.refused, 50) << "host " << h;
        EXPECT_EQ(ansi.acquired, 50) << "host " << h;
        EXPECT_EQ(ansi.released, 50) << "host " << h;
        EXPECT_EQ(host.suite_events().size(), 150u) << "host " << h;
    }
}

// ---------------------------------------------------- formatting service

TEST(HostAnsiSuite, SprintfFormatsAndNeverWritesPast256Bytes)
{
    Host host(kFake);
    char buffer[400];
    std::memset(buffer, '#', sizeof buffer);
    int short_length = 0, long_length = 0;
    std::string short_text;
    run(host, [&](PF_InData* i, PF_OutData*, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
        auto ansi = acquire<PF_ANSICallbacksSuite1>(i, "PF ANSI Suite", 1);
        short_length = ansi->sprintf(buffer, "%s v%d.%d\r%s", "NAME", 1, 2, "x");
        short_text = buffer;
        std::string long_text(300, 'z');
        long_length = ansi->sprintf(buffer, "%s", long_text.c_str());
        i->pica_basicP->ReleaseSuite("PF ANSI Suite", 1);
        return 0;
    });
    EXPECT_EQ(short_text, "NAME v1.2\rx");
    EXPECT_EQ(short_length, 11);
    EXPECT_EQ(long_length, 300);
    EXPECT_EQ(buffer[254], 'z');
    EXPECT_EQ(buffer[255], '\0');
    EXPECT_EQ(buffer[256], '#');
}

// ----------------------------------------------------------- parameters

class HostAddParam : public ::testing::TestWithParam<int> {};

TEST_P(HostAddParam, FailsExactlyTheChosenCall)
{
    int k = GetParam();
    Host host(kFake);
    host.fail_add_param(k, PF_Err_OUT_OF_MEMORY);
    std::vector<PF_Err> results;
    run(host, [&](PF_InData* i, PF_OutData*, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
        for (int n = 1; n <= 4; ++n) {
            PF_ParamDef def{};
            def.uu.id = n;
            results.push_back(i->inter.add_param(i->effect_ref, -1, &def));
        }
        return 0;
    });
    ASSERT_EQ(results.size(), 4u);
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(results[(size_t)n - 1], n == k ? PF_Err_OUT_OF_MEMORY : 0) << n;
    std::vector<PF_ParamDef> added = host.added_params();
    EXPECT_EQ(added.size(), k >= 1 && k <= 4 ? 3u : 4u);
    for (const PF_ParamDef& def : added) EXPECT_NE(def.uu.id, k);
    EXPECT_EQ(host.add_param_calls().size(), 4u);
    EXPECT_EQ(host.add_param_calls()[0].index, -1);
}

INSTANTIATE_TEST_SUITE_P(Steps, HostAddParam, ::testing::Values(0, 1, 2, 3, 4));

TEST(HostParamUi, RecordsUpdatesWithTheirCommandAndRejectsBadIndices)
{
    Host host(kFake);
    World input(1, 1, false);
    ParamSet params(input.world(), std::vector<PF_ParamDef>(4));
    host.in_data().num_params = params.count();
    PF_ParamDef copy = params[4];
    copy.ui_flags = PF_PUI_DISABLED;
    std::vector<PF_Err> results;
    Scenario scenario = [&](PF_InData* i, PF_OutData*, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
        auto utils = acquire<PF_ParamUtilsSuite3>(i, "PF Param Utils Suite", 3);
        for (PF_ParamIndex index : {4, 0, 5}) results.push_back(utils->PF_UpdateParamUI(i->effect_ref, index, &copy));
        results.push_back(utils->PF_UpdateParamUI(i->effect_ref, 4, nullptr));
        i->pica_basicP->ReleaseSuite("PF Param Utils Suite", 3);
        return 0;
    };
    host.fail_update_param_ui(0);
    host.command(PF_Cmd_USER_CHANGED_PARAM, params.params(), nullptr, &scenario);
    EXPECT_EQ(results, (std::vector<PF_Err>{0, PF_Err_INVALID_INDEX, PF_Err_INVALID_INDEX, PF_Err_BAD_CALLBACK_PARAM}));
    std::vector<UiUpdate> updates = host.ui_updates();
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].during, PF_Cmd_USER_CHANGED_PARAM);
    EXPECT_EQ(updates[0].index, 4);
    EXPECT_EQ(std::memcmp(&updates[0].def, &copy, sizeof copy), 0);
    EXPECT_EQ(host.ui_flags(4), PF_PUI_DISABLED) << "the host keeps the state it was given";

    host.fail_update_param_ui(PF_Err_OUT_OF_MEMORY);
    copy.ui_flags = PF_PUI_NONE;
    results.clear();
    host.command(PF_Cmd_UPDATE_PARAMS_UI, params.params(), nullptr, &scenario);
    EXPECT_EQ(results[0], PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(host.ui_updates().back().during, PF_Cmd_UPDATE_PARAMS_UI);
    EXPECT_EQ(host.ui_flags(4), PF_PUI_DISABLED) << "a refused update changes nothing";
}

// ------------------------------------------------- what the host sends

// An effect that answers global set-up with the flags of the case at hand and
// does nothing else.
PF_OutFlags g_out_flags = 0;
PF_OutFlags2 g_out_flags2 = 0;

PF_Err FlagsEffectMain(PF_Cmd cmd, PF_InData*, PF_OutData* out_data, PF_ParamDef**, PF_LayerDef*, void*)
{
    if (cmd == PF_Cmd_GLOBAL_SETUP) {
        out_data->out_flags = g_out_flags;
        out_data->out_flags2 = g_out_flags2;
    }
    return PF_Err_NONE;
}

struct Asking {
    const char* what;
    PF_OutFlags out_flags;
    PF_ParamFlags clip_flags;  // of parameter 1
    std::vector<PF_Cmd> sent;  // after global set-up
};

void PrintTo(const Asking& a, std::ostream* os) { *os << a.what; }

class HostSends : public ::testing::TestWithParam<Asking> {};

TEST_P(HostSends, OnlyTheCommandsTheEffectAskedFor)
{
    const Asking& a = GetParam();
    g_out_flags = a.out_flags;
    Host host(EntryPoints{&FlagsEffectMain, &FakeRegistration});
    World input(1, 1, false);
    std::vector<PF_ParamDef> declared(2);
    declared[0].flags = a.clip_flags;
    ParamSet params(input.world(), declared);
    ASSERT_EQ(host.global_setup(), PF_Err_NONE);
    EXPECT_EQ(host.user_changed_param(params, 1), PF_Err_NONE);
    EXPECT_EQ(host.user_changed_param(params, 2), PF_Err_NONE);  // never supervised
    EXPECT_EQ(host.update_params_ui(params), PF_Err_NONE);
    std::vector<PF_Cmd> expected{PF_Cmd_GLOBAL_SETUP};
    expected.insert(expected.end(), a.sent.begin(), a.sent.end());
    EXPECT_EQ(host.commands_sent(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostSends,
    ::testing::Values(Asking{"nothing asked", 0, 0, {}},
                      Asking{"UI updates asked", PF_OutFlag_SEND_UPDATE_PARAMS_UI, 0, {PF_Cmd_UPDATE_PARAMS_UI}},
                      Asking{"other flags only", PF_OutFlag_DEEP_COLOR_AWARE, 0, {}},
                      Asking{"supervised parameter", 0, PF_ParamFlag_SUPERVISE, {PF_Cmd_USER_CHANGED_PARAM}},
                      Asking{"both", PF_OutFlag_SEND_UPDATE_PARAMS_UI | PF_OutFlag_DEEP_COLOR_AWARE,
                             PF_ParamFlag_SUPERVISE, {PF_Cmd_USER_CHANGED_PARAM, PF_Cmd_UPDATE_PARAMS_UI}}));

struct ListCase {
    const char* what;
    PropertyList list;
    PF_Err expected;
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.what; }

constexpr uint32_t kDeepAndUpdates = PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI;
constexpr uint32_t kThreaded = PF_OutFlag2_SUPPORTS_THREADED_RENDERING;

class HostPropertyList : public ::testing::TestWithParam<ListCase> {};

TEST_P(HostPropertyList, GlobalSetupMustAgreeWithIt)
{
    const ListCase& c = GetParam();
    g_out_flags = kDeepAndUpdates;
    g_out_flags2 = PF_OutFlag2_SUPPORTS_THREADED_RENDERING;
    Host host(EntryPoints{&FlagsEffectMain, &FakeRegistration});
    host.set_property_list(c.list);
    EXPECT_EQ(host.global_setup(), c.expected);
    EXPECT_EQ(host.warnings().size(), c.expected == PF_Err_NONE ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostPropertyList,
    ::testing::Values(ListCase{"agrees", {true, true, kDeepAndUpdates, kThreaded}, PF_Err_NONE},
                      ListCase{"names no flags", {false, false, 0, 0}, PF_Err_NONE},
                      ListCase{"other out_flags",
                               {true, true, PF_OutFlag_DEEP_COLOR_AWARE, kThreaded},
                               PF_Err_INTERNAL_STRUCT_DAMAGED},
                      ListCase{"other out_flags2", {true, true, kDeepAndUpdates, 0}, PF_Err_INTERNAL_STRUCT_DAMAGED}));

TEST(HostCallbacks, AStrangeEffectRefIsRefusedAndCounted)
{
    Host host(kFake);
    int before = Host::stray_callbacks();
    PF_Err add = 0, progress = 0;
    run(host, [&](PF_InData* i, PF_OutData*, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
        PF_ParamDef def{};
        PF_ProgPtr wrong = reinterpret_cast<PF_ProgPtr>(&def);
        add = i->inter.add_param(wrong, -1, &def);
        progress = i->inter.progress(wrong, 1, 2);
        return 0;
    });
    EXPECT_EQ(add, PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(progress, PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(host.add_param_calls().empty());
    EXPECT_EQ(Host::stray_callbacks(), before + 2);
}

// ----------------------------------------------------------- registration

struct RegistrationCase {
    const char* what;
    PF_Err callback_result;
    bool wrong_opaque;
};

class HostRegistration : public ::testing::TestWithParam<RegistrationCase> {};

TEST_P(HostRegistration, RecordsTheTenValuesAndAnswersAsTold)
{
    const RegistrationCase& c = GetParam();
    Host host(kFake);
    host.set_registration_result(c.callback_result);
    int dummy;
    PF_Err callback_said = -1;
    g_registration = [&](PF_PluginData* in_ptr, PF_PluginDataCB2 callback, SPBasicSuite*) -> PF_Err {
        PF_PluginData* opaque = c.wrong_opaque ? reinterpret_cast<PF_PluginData*>(&dummy) : in_ptr;
        callback_said = callback(opaque, reinterpret_cast<const A_u_char*>("N"),
                                 reinterpret_cast<const A_u_char*>("M N"), reinterpret_cast<const A_u_char*>("C"),
                                 reinterpret_cast<const A_u_char*>("E"), 0x65464B54, 13, 28, 8,
                                 reinterpret_cast<const A_u_char*>("https://x"));
        return 42;
    };
    EXPECT_EQ(host.register_effect(), 42);
    Registration r = host.registration();
    if (c.wrong_opaque) {
        EXPECT_EQ(callback_said, PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_EQ(r.calls, 0);
        return;
    }
    EXPECT_EQ(callback_said, c.callback_result);
    EXPECT_EQ(r.calls, 1);
    EXPECT_TRUE(r.same_opaque);
    EXPECT_EQ(r.name, "N");
    EXPECT_EQ(r.match_name, "M N");
    EXPECT_EQ(r.category, "C");
    EXPECT_EQ(r.entry_point, "E");
    EXPECT_EQ(r.kind, 0x65464B54);
    EXPECT_EQ(r.api_major, 13);
    EXPECT_EQ(r.api_minor, 28);
    EXPECT_EQ(r.reserved_info, 8);
    EXPECT_EQ(r.support_url, "https://x");
}

INSTANTIATE_TEST_SUITE_P(Table, HostRegistration,
                         ::testing::Values(RegistrationCase{"accepting", 0, false},
                                           RegistrationCase{"refusing", PF_Err_OUT_OF_MEMORY, false},
                                           RegistrationCase{"someone else's opaque pointer", 0, true}));

TEST(HostMisuse, IsReportedRatherThanCrashing)
{
    EXPECT_THROW(Host(std::shared_ptr<const PluginLibrary>()), std::invalid_argument);
    Host without_entries{EntryPoints{}};
    EXPECT_EQ(without_entries.about(), PF_Err_INVALID_CALLBACK);
    EXPECT_EQ(without_entries.register_effect(), PF_Err_INVALID_CALLBACK);
}

TEST(HostMisuse, TooManyLiveHostsAreRefusedAndSlotsComeBack)
{
    std::vector<std::unique_ptr<Host>> hosts;
    EXPECT_THROW(
        {
            for (;;) hosts.push_back(std::make_unique<Host>(kFake));
        },
        std::runtime_error);
    EXPECT_GE(hosts.size(), 200u);
    hosts.pop_back();
    EXPECT_NO_THROW(hosts.push_back(std::make_unique<Host>(kFake)));
}

}  // namespace
}  // namespace aehost
