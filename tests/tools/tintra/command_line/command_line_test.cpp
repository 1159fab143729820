#include "tools/tintra/command_line/command_line.h"

#include <gtest/gtest.h>

namespace {

CommandLine Parse(std::vector<const char*> args, std::string* error_out = nullptr)
{
    args.insert(args.begin(), "tintra");
    CommandLine line;
    std::string error;
    const bool ok = ParseCommandLine((int)args.size(), args.data(), line, error);
    if (error_out != nullptr) *error_out = ok ? std::string() : error;
    return line;
}

TEST(CommandLine, TakesValuesInEveryForm)
{
    std::string error;
    const CommandLine line = Parse({"render", "a.png", "-oout", "--hue=-30", "--chroma", "-12.5", "--clip", "debug",
                                    "--alpha=2", "--threads", "3", "--depth", "16", "--overwrite", "--", "-b.png"},
                                   &error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(line.command, Command::Render);
    EXPECT_EQ(line.inputs, (std::vector<std::string>{"a.png", "-b.png"}));
    EXPECT_EQ(line.output, "out");
    using Option = std::pair<std::string, std::string>;
    EXPECT_EQ(line.param_options, (std::vector<Option>{{"hue", "-30"}, {"chroma", "-12.5"}, {"clip", "debug"},
                                                       {"alpha", "2"}}));
    EXPECT_EQ(line.threads, 3);
    EXPECT_EQ(line.depth, 16);
    EXPECT_TRUE(line.overwrite);
}

TEST(CommandLine, LeavesUnsetParametersToThePlugin)
{
    std::string error;
    const CommandLine line = Parse({"render", "a.png", "-o", "b.png"}, &error);
    ASSERT_EQ(error, "");
    EXPECT_TRUE(line.param_options.empty());
    EXPECT_EQ(line.threads, 0);
    EXPECT_EQ(line.depth, 0);
    EXPECT_FALSE(line.overwrite);
}

TEST(CommandLine, GenerateReadsASize)
{
    std::string error;
    const CommandLine line = Parse({"generate", "chart", "-o", "c.png", "--size", "64x32"}, &error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(line.size_width, 64);
    EXPECT_EQ(line.size_height, 32);
}

TEST(CommandLine, HelpNeedsNothingElse)
{
    std::string error;
    EXPECT_TRUE(Parse({"render", "--help"}, &error).help);
    EXPECT_EQ(Parse({"help", "sheet"}, &error).command, Command::Sheet);
    EXPECT_TRUE(Parse({"--help"}, &error).help);
    EXPECT_EQ(error, "");
}

struct UsageCase {
    std::vector<const char*> args;
    const char* message;
};

void PrintTo(const UsageCase& c, std::ostream* out) { *out << c.message; }

class CommandLineUsage : public testing::TestWithParam<UsageCase> {};

TEST_P(CommandLineUsage, NamesTheProblem)
{
    std::string error;
    Parse(GetParam().args, &error);
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, CommandLineUsage,
    testing::Values(UsageCase{{}, "no command given"}, UsageCase{{"paint"}, "unknown command 'paint'"},
                    UsageCase{{"render", "a.png", "-o", "b.png", "-x"}, "unknown option '-x'"},
                    UsageCase{{"render", "a.png", "-o"}, "-o needs a value"},
                    UsageCase{{"render", "a.png", "-o", "b.png", "--overwrite=yes"}, "--overwrite takes no value"},
                    UsageCase{{"render", "a.png", "-o", "b.png", "--threads", "0"}, "--threads: '0'"},
                    UsageCase{{"render", "a.png", "-o", "b.png", "--threads", "2x"}, "--threads: '2x'"},
                    UsageCase{{"render", "a.png", "-o", "b.png", "--depth", "12"}, "--depth: '12'"},
                    UsageCase{{"render", "a.png", "-o", "b.png", "-d", "uint9"}, "-d: 'uint9' is not a sample type"},
                    UsageCase{{"render", "a.png", "-o", "b.png", "-q", "--overwrite", "--no-clobber"}, "contradict"},
                    UsageCase{{"render", "a.png", "-o", "b.png", "--max-pixels", "1T"}, "--max-pixels: '1T'"},
                    UsageCase{{"render", "a.png", "-o", "b.png", "--max-pixels", "901M"}, "at most 900M"},
                    UsageCase{{"render", "a.png", "-o", "b.png", "--compression", "jpeg:101"}, "quality 0..100"},
                    UsageCase{{"render", "a.png", "-o", "b.png", "--compression", "foo"}, "--compression: 'foo'"},
                    UsageCase{{"render", "a/", "-o", "b/", "--ext", "."}, "--ext: '.' is not an image extension"},
                    UsageCase{{"render", "a/", "-o", "b/", "--ext", "../x.png"}, "--ext: '../x.png'"},
                    UsageCase{{"generate", "chart", "-o", "c.png", "--quite"}, "(did you mean --quiet?)"},
                    UsageCase{{"render", "a.png", "-o", "b.png", "-oc.png"}, "-o is given twice ('b.png' and 'c.png')"},
                    UsageCase{{"render", "s.#.png", "-o", "g/", "--frames", "1-9", "--frames=5"},
                              "--frames is given twice"},
                    UsageCase{{"render", "-o", "b.png"}, "at least one input"},
                    UsageCase{{"render", "a.png"}, "-o OUT is missing"},
                    UsageCase{{"sheet", "a.png", "b.png", "-o", "s.png"}, "one input file, not several"},
                    UsageCase{{"info", "a.png", "b.png"}, "info takes one image file at most"},
                    UsageCase{{"info", "--colorconfig", "c.ocio"}, "tintra info FILE --colorconfig CONFIG"},
                    UsageCase{{"info", "--hue", "3"}, "unknown option '--hue'"},
                    UsageCase{{"generate", "noise", "-o", "n.png"}, "chart or scene"},
                    UsageCase{{"generate", "chart", "-o", "c.png", "--size", "0x10"}, "--size: '0x10'"},
                    UsageCase{{"generate", "chart", "-o", "c.png", "--size", "40000x10"}, "--size: '40000x10'"}));

}  // namespace

#include "tests/tools/tintra/tool_fixture.h"

namespace {

struct HelpCase {
    std::vector<std::string> args;
    const char* first_line;
    const char* mentions;
};

void PrintTo(const HelpCase& c, std::ostream* out) { *out << c.first_line; }

class Help : public testing::TestWithParam<HelpCase> {};

// Every command explains itself on stdout and succeeds, without a plug-in.
TEST_P(Help, IsPrintedForEveryCommand)
{
    std::vector<std::string> args = GetParam().args;
    args.push_back("--plugin");
    args.push_back("/nonexistent/plug-in.so");
    const tintra_test::ToolRun run = tintra_test::RunTintra(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), GetParam().first_line);
    EXPECT_NE(run.out.find(GetParam().mentions), std::string::npos) << run.out;
    EXPECT_EQ(run.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, Help,
    testing::Values(HelpCase{{"--help"}, "usage: tintra COMMAND [options]", "render IN... -o OUT"},
                    HelpCase{{"render", "--help"}, "usage: tintra render IN... -o OUT [options]", "0..32768"},
                    HelpCase{{"render", "a.png", "-h"}, "usage: tintra render IN... -o OUT [options]",
                             "Exit status: 0 all done, 1 some file failed"},
                    HelpCase{{"sheet", "--help"}, "usage: tintra sheet IN -o OUT [options]",
                             "options as for render, all but the popup"},
                    HelpCase{{"info", "--help"}, "usage: tintra info [--plugin PATH]", "About"},
                    HelpCase{{"help", "generate"}, "usage: tintra generate chart|scene -o OUT [options]",
                             "--size WxH"}));

}  // namespace
