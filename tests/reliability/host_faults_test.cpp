// Every command of the real plug-in binary against every way the AE host stand-in
// can let it down: each suite refused with an error or handed out as a null
// table, no basic suite at all, add_param failing at each position, iterate
// and the UI update failing. Whatever happens, the call returns the
// documented code, hands back exactly what it acquired, leaves the output
// record alone when it fails, and lets no exception out.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/pf_suites.h"
#include "tests/support/plugin_under_test.h"
#include "tests/support/effect_params.h"
#include "tools/aehost/host.h"

namespace {

using aehost::Host;
using aehost::ParamSet;
using aehost::SuiteEventKind;
using aehost::SuiteId;
using aehost::World;

enum class Command { About, GlobalSetup, ParamsSetup, Render8, Render16, UserChangedParam, UpdateParamsUi };

const char* name_of(Command c)
{
    switch (c) {
    case Command::About: return "About";
    case Command::GlobalSetup: return "GlobalSetup";
    case Command::ParamsSetup: return "ParamsSetup";
    case Command::Render8: return "Render8";
    case Command::Render16: return "Render16";
    case Command::UserChangedParam: return "UserChangedParam";
    case Command::UpdateParamsUi: return "UpdateParamsUi";
    }
    return "?";
}

const Command kCommands[] = {Command::About,    Command::GlobalSetup,      Command::ParamsSetup,
                             Command::Render8,  Command::Render16,         Command::UserChangedParam,
                             Command::UpdateParamsUi};

// Every suite the AE host stand-in serves: a fault in one a command does not use
// must not change that command's outcome.
const SuiteId kServedSuites[] = {
    {kPFANSISuite, 1},      {kPFIterate8Suite, 1},  {kPFIterate8Suite, 2},
    {kPFIterate16Suite, 1}, {kPFIterate16Suite, 2}, {kPFParamUtilsSuite, 3},
};

// The suites each command acquires, and nothing else.
std::vector<SuiteId> suites_used_by(Command c)
{
    switch (c) {
    case Command::About: return {{kPFANSISuite, 1}};
    case Command::Render8: return {{kPFIterate8Suite, 2}};
    case Command::Render16: return {{kPFIterate16Suite, 2}};
    case Command::UserChangedParam:
    case Command::UpdateParamsUi: return {{kPFParamUtilsSuite, 3}};
    case Command::GlobalSetup:
    case Command::ParamsSetup: return {};
    }
    return {};
}

bool uses(Command c, const SuiteId& suite)
{
    for (const SuiteId& s : suites_used_by(c))
        if (s == suite)
            return true;
    return false;
}

// One host with everything a command needs: a small frame to render, the
// parameters at values that make the render do real work, and output
// records filled with a pattern so that any write shows.
struct Stage {
    std::unique_ptr<Host> host;
    World input;
    World output;
    std::unique_ptr<ParamSet> params;

    explicit Stage(bool deep)
        : host(std::make_unique<Host>(plugin_under_test())), input(5, 3, deep, 6), output(5, 3, deep, 6)
    {
        RenderValues values;
        values.hue = 90 << 16;
        values.chroma = 30.0;
        values.clip = 2;  // not adaptive, so a parameter change has something to do
        params = std::make_unique<EffectParams>(input.world(), DeclaredBy(plugin_under_test()), values);
        // As the host does it, before anything else: the effect's answer
        // decides which commands the host sends later.
        host->global_setup();
        host->clear_records();
        std::memset(&host->out_data(), 0xA5, sizeof(PF_OutData));
    }
};

PF_Err run(Stage& stage, Command c)
{
    Host& host = *stage.host;
    switch (c) {
    case Command::About: return host.about();
    case Command::GlobalSetup: return host.global_setup();
    case Command::ParamsSetup: return host.params_setup();
    case Command::Render8:
    case Command::Render16: return host.render(*stage.params, stage.output);
    case Command::UserChangedParam: return host.user_changed_param(*stage.params, 3);
    case Command::UpdateParamsUi: return host.update_params_ui(*stage.params);
    }
    return -1;
}

bool deep(Command c)
{
    return c == Command::Render16;
}

// Runs the command, turning an escaping exception into a test failure
// rather than a crash of the whole suite.
PF_Err run_guarded(Stage& stage, Command c)
{
    try {
        return run(stage, c);
    } catch (...) {
        ADD_FAILURE() << name_of(c) << ": an exception left EffectMain";
        return -1;
    }
}

bool out_data_untouched(Host& host)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&host.out_data());
    for (size_t i = 0; i < sizeof(PF_OutData); ++i)
        if (bytes[i] != 0xA5)
            return false;
    return true;
}

// What must hold after any command, failed or not.
void expect_host_left_clean(Host& host, Command c)
{
    EXPECT_TRUE(host.suites_balanced()) << name_of(c) << ": a suite was not handed back exactly once";
    for (const aehost::SuiteEvent& e : host.suite_events()) {
        EXPECT_NE(e.kind, SuiteEventKind::StrayRelease) << name_of(c) << " released " << e.suite.name;
        if (e.kind == SuiteEventKind::Acquired) {
            EXPECT_TRUE(uses(c, e.suite)) << name_of(c) << " acquired " << e.suite.name << " " << e.suite.version;
        }
    }
    EXPECT_EQ(host.unsupported_calls(), 0);
    EXPECT_EQ(Host::stray_callbacks(), 0);
}

// ------------------------------------------------------------- healthy host

class HealthyHost : public ::testing::TestWithParam<Command> {};

// The baseline every fault below is measured against: all commands succeed,
// each acquiring exactly its suites once.
TEST_P(HealthyHost, CommandSucceedsAndHandsBackWhatItTook)
{
    const Command c = GetParam();
    Stage stage(deep(c));
    ASSERT_EQ(run_guarded(stage, c), PF_Err_NONE) << name_of(c);
    for (const SuiteId& s : suites_used_by(c)) {
        aehost::SuiteCount n = stage.host->suite_count(s.name, s.version);
        EXPECT_EQ(n.acquired, 1) << name_of(c) << " " << s.name;
        EXPECT_EQ(n.released, 1) << name_of(c) << " " << s.name;
    }
    expect_host_left_clean(*stage.host, c);
}

INSTANTIATE_TEST_SUITE_P(Faults, HealthyHost, ::testing::ValuesIn(kCommands),
                         [](const auto& info) { return std::string(name_of(info.param)); });

// Each declared name fills the host's 32-byte field as the name followed by
// zeros to the end: no stale stack bytes reach the host, and the field is
// terminated whatever the name's length.
TEST(DeclaredNames, AreZeroPaddedToTheEndOfTheField)
{
    Stage stage(false);
    ASSERT_EQ(run_guarded(stage, Command::ParamsSetup), PF_Err_NONE);
    const char* expected[] = {"Hue", "Chroma", "Clip Method", "Adaptive Clip Alpha"};
    const std::vector<PF_ParamDef> added = stage.host->added_params();
    ASSERT_EQ(added.size(), 4u);
    for (size_t i = 0; i < added.size(); ++i) {
        char field[sizeof added[i].name] = {};
        std::strcpy(field, expected[i]);
        EXPECT_EQ(std::memcmp(added[i].name, field, sizeof field), 0) << expected[i];
    }
}

// --------------------------------------------------------- refused suites

struct RefusalCase {
    Command command;
    SuiteId suite;
    SPErr error;  // 0: success with a null table
};

std::vector<RefusalCase> refusal_cases()
{
    std::vector<RefusalCase> cases;
    for (Command c : kCommands)
        for (const SuiteId& s : kServedSuites)
            for (SPErr e : {kSPUnimplementedError, (SPErr)1, (SPErr)-1, (SPErr)0})
                cases.push_back({c, s, e});
    return cases;
}

class RefusedSuite : public ::testing::TestWithParam<RefusalCase> {};

// A refused suite the command needs fails it with 516 and nothing written to
// out_data; a refused suite it does not need changes nothing.
TEST_P(RefusedSuite, NeededSuiteFailsWith516AndNothingElseChanges)
{
    const RefusalCase rc = GetParam();
    Stage stage(deep(rc.command));
    stage.host->remove_suite(rc.suite.name, rc.suite.version, rc.error);

    const PF_Err err = run_guarded(stage, rc.command);
    if (uses(rc.command, rc.suite)) {
        EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_TRUE(out_data_untouched(*stage.host));
        aehost::SuiteCount n = stage.host->suite_count(rc.suite.name, rc.suite.version);
        EXPECT_EQ(n.refused, 1);
        EXPECT_EQ(n.released, 0);  // never handed out, so never handed back
        EXPECT_TRUE(stage.host->iterate_calls().empty());
        EXPECT_TRUE(stage.host->ui_updates().empty());
    } else {
        EXPECT_EQ(err, PF_Err_NONE);
    }
    expect_host_left_clean(*stage.host, rc.command);
}

INSTANTIATE_TEST_SUITE_P(Faults, RefusedSuite, ::testing::ValuesIn(refusal_cases()), [](const auto& info) {
    std::string n = std::string(name_of(info.param.command)) + "_" + info.param.suite.name + "_v" +
                    std::to_string(info.param.suite.version) + "_err" + std::to_string(info.param.error);
    for (char& ch : n)
        if (!isalnum((unsigned char)ch))
            ch = '_';
    return n;
});

// ------------------------------------------------------- no basic suite

class NullBasicSuite : public ::testing::TestWithParam<Command> {};

// Without a basic suite a command that needs suites fails with 516 before
// calling the host at all; the others do not notice.
TEST_P(NullBasicSuite, CommandsNeedingSuitesFailWith516)
{
    const Command c = GetParam();
    Stage stage(deep(c));
    stage.host->set_basic_suite_null(true);
    const PF_Err err = run_guarded(stage, c);
    if (suites_used_by(c).empty()) {
        EXPECT_EQ(err, PF_Err_NONE) << name_of(c);
    } else {
        EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM) << name_of(c);
        EXPECT_TRUE(out_data_untouched(*stage.host)) << name_of(c);
        EXPECT_TRUE(stage.host->suite_events().empty()) << name_of(c);
    }
    expect_host_left_clean(*stage.host, c);
}

INSTANTIATE_TEST_SUITE_P(Faults, NullBasicSuite, ::testing::ValuesIn(kCommands),
                         [](const auto& info) { return std::string(name_of(info.param)); });

// -------------------------------------------------------- add_param

struct AddParamFault {
    int call;  // 1-based
    PF_Err error;
};

class AddParamFails : public ::testing::TestWithParam<AddParamFault> {};

// The host's error comes back unchanged, the declarations stop at the failed
// one, and the parameter count is not reported.
TEST_P(AddParamFails, ErrorReturnedUnchangedAndCountNotReported)
{
    const AddParamFault f = GetParam();
    Stage stage(false);
    stage.host->fail_add_param(f.call, f.error);
    EXPECT_EQ(run_guarded(stage, Command::ParamsSetup), f.error);
    EXPECT_EQ(stage.host->add_param_calls().size(), (size_t)f.call);
    EXPECT_EQ(stage.host->added_params().size(), (size_t)f.call - 1);
    EXPECT_TRUE(out_data_untouched(*stage.host));
    expect_host_left_clean(*stage.host, Command::ParamsSetup);
}

std::vector<AddParamFault> add_param_faults()
{
    std::vector<AddParamFault> faults;
    for (int call = 1; call <= 4; ++call)
        for (PF_Err e : {PF_Err_OUT_OF_MEMORY, PF_Err_INVALID_INDEX, PF_Err_BAD_CALLBACK_PARAM, (PF_Err)-1,
                         (PF_Err)0x7FFFFFFF})
            faults.push_back({call, e});
    return faults;
}

INSTANTIATE_TEST_SUITE_P(Faults, AddParamFails, ::testing::ValuesIn(add_param_faults()));

// -------------------------------------------------- iterate and UI update

struct CallbackFault {
    Command command;
    PF_Err error;
};

class HostCallbackFails : public ::testing::TestWithParam<CallbackFault> {};

// An error from iterate, or from the UI update, is the host's own and comes
// back unchanged; the suite that carried it is still handed back.
TEST_P(HostCallbackFails, ErrorReturnedUnchangedAndSuiteHandedBack)
{
    const CallbackFault f = GetParam();
    Stage stage(deep(f.command));
    if (f.command == Command::Render8 || f.command == Command::Render16)
        stage.host->fail_iterate(f.error);
    else
        stage.host->fail_update_param_ui(f.error);

    EXPECT_EQ(run_guarded(stage, f.command), f.error);
    for (const SuiteId& s : suites_used_by(f.command))
        EXPECT_EQ(stage.host->suite_count(s.name, s.version).released, 1);
    EXPECT_TRUE(out_data_untouched(*stage.host));
    expect_host_left_clean(*stage.host, f.command);
}

std::vector<CallbackFault> callback_faults()
{
    std::vector<CallbackFault> faults;
    for (Command c : {Command::Render8, Command::Render16, Command::UserChangedParam, Command::UpdateParamsUi})
        for (PF_Err e : {PF_Err_OUT_OF_MEMORY, PF_Err_INTERNAL_STRUCT_DAMAGED, PF_Err_BAD_CALLBACK_PARAM,
                         (PF_Err)-1, (PF_Err)0x7FFFFFFF, (PF_Err)(-0x7FFFFFFF - 1)})
            faults.push_back({c, e});
    return faults;
}

INSTANTIATE_TEST_SUITE_P(Faults, HostCallbackFails, ::testing::ValuesIn(callback_faults()));

// ------------------------------------------------------------ registration

struct RegistrationFault {
    PF_Err callback_result;  // what the host's registration callback answers
    bool null_basic_suite;
};

class RegistrationFails : public ::testing::TestWithParam<RegistrationFault> {};

// Registration needs no suite: with or without a basic suite it calls the
// host's callback once and returns the callback's answer unchanged.
TEST_P(RegistrationFails, CallbackResultReturnedUnchanged)
{
    const RegistrationFault f = GetParam();
    Host host(plugin_under_test());
    host.set_registration_result(f.callback_result);
    host.set_basic_suite_null(f.null_basic_suite);
    PF_Err err = -1;
    try {
        err = host.register_effect();
    } catch (...) {
        ADD_FAILURE() << "an exception left the registration entry";
    }
    EXPECT_EQ(err, f.callback_result);
    EXPECT_EQ(host.registration().calls, 1);
    EXPECT_TRUE(host.suite_events().empty());
    EXPECT_EQ(Host::stray_callbacks(), 0);
}

INSTANTIATE_TEST_SUITE_P(Faults, RegistrationFails,
                         ::testing::Values(RegistrationFault{PF_Err_NONE, true},
                                           RegistrationFault{PF_Err_OUT_OF_MEMORY, false},
                                           RegistrationFault{PF_Err_OUT_OF_MEMORY, true},
                                           RegistrationFault{PF_Err_BAD_CALLBACK_PARAM, false},
                                           RegistrationFault{(PF_Err)-1, false},
                                           RegistrationFault{(PF_Err)0x7FFFFFFF, true}));

// ------------------------------------------------- commands not handled

template <typename T>
std::vector<unsigned char> bytes_of(const T* data, size_t count = 1)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(p, p + sizeof(T) * count);
}

struct Unhandled {
    PF_Cmd command;
    bool records;  // params, output and extra handed over, or all null
};

void PrintTo(const Unhandled& u, std::ostream* os)
{
    *os << "command " << u.command << (u.records ? " with records" : " with null records");
}

class UnhandledCommand : public ::testing::TestWithParam<Unhandled> {};

// A command the effect does not handle returns 0 and touches nothing of the
// host's: no record it was handed, no pixel, no suite, no callback.
TEST_P(UnhandledCommand, ReturnsZeroAndTouchesNothing)
{
    const Unhandled u = GetParam();
    Stage stage(false);
    Host& host = *stage.host;
    stage.output.set_pixels8(std::vector<PF_Pixel>(15, PF_Pixel{0x6B, 0x6C, 0x6D, 0x6E}));
    unsigned char extra[64];
    std::memset(extra, 0x3C, sizeof extra);
    const std::vector<unsigned char> in_before = bytes_of(&host.in_data());
    const std::vector<unsigned char> params_before = stage.params->snapshot();
    const std::vector<unsigned char> world_before = bytes_of(&stage.output.world());
    const std::vector<PF_Pixel> pixels_before = stage.output.pixels8();
    const std::vector<unsigned char> extra_before = bytes_of(extra, sizeof extra);

    const PF_Err err = u.records ? host.command(u.command, stage.params->params(), &stage.output.world(), extra)
                                 : host.command(u.command, nullptr, nullptr, nullptr);
    EXPECT_EQ(err, PF_Err_NONE);

    EXPECT_TRUE(out_data_untouched(host));
    EXPECT_TRUE(bytes_of(&host.in_data()) == in_before) << "in_data written";
    EXPECT_TRUE(stage.params->snapshot() == params_before) << "params written";
    EXPECT_TRUE(bytes_of(&stage.output.world()) == world_before) << "output world record written";
    EXPECT_TRUE(bytes_of(stage.output.pixels8().data(), 15) == bytes_of(pixels_before.data(), 15))
        << "output pixels written";
    EXPECT_TRUE(stage.output.padding_intact());
    EXPECT_TRUE(bytes_of(extra, sizeof extra) == extra_before) << "extra written";
    EXPECT_TRUE(host.suite_events().empty()) << "a suite was acquired";
    EXPECT_TRUE(host.add_param_calls().empty());
    EXPECT_TRUE(host.iterate_calls().empty());
    EXPECT_TRUE(host.ui_updates().empty());
    EXPECT_TRUE(host.progress().empty());
    EXPECT_EQ(host.unsupported_calls(), 0);
    EXPECT_EQ(Host::stray_callbacks(), 0);
}

std::vector<Unhandled> unhandled_commands()
{
    std::vector<PF_Cmd> cmds = {2, 3, 5, 6, 7, 8, 9, 10, 12};
    for (PF_Cmd cmd = 15; cmd <= 40; ++cmd)
        cmds.push_back(cmd);
    for (PF_Cmd cmd : {100, 1000, 65536, 0x7FFFFFFF, -1, -2, -13, -100, -0x7FFFFFFF - 1})
        cmds.push_back(cmd);
    std::vector<Unhandled> cases;
    for (PF_Cmd cmd : cmds)
        for (bool records : {true, false})
            cases.push_back({cmd, records});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Faults, UnhandledCommand, ::testing::ValuesIn(unhandled_commands()));

}  // namespace
