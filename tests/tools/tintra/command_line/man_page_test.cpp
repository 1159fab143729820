// The man page and the bash completion carry every option of the table
// for each command it applies to, so that neither can drift from --help.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/tools/tintra/tool_fixture.h"
#include "tools/tintra/command_line/man_page.h"
#include "tools/tintra/command_line/option_table.h"

namespace {

// The text from a command's part of the page or completion to the next's.
std::string PartOf(const std::string& text, const std::string& start, const std::string& next)
{
    const size_t from = text.find(start);
    if (from == std::string::npos) return "";
    return text.substr(from, text.find(next, from + start.size()) - from);
}

TEST(ManPage, HoldsEveryOptionOfEachCommand)
{
    const std::string page = ManPage(), completion = BashCompletion();
    for (const KnownCommand& c : kCommands) {
        const std::string section = PartOf(page, ".SH \"TINTRA " + std::string(c.name) + "\"", ".SH ");
        const std::string cases = PartOf(completion, "    " + std::string(c.name) + ") ", ";;");
        ASSERT_FALSE(section.empty()) << c.name;
        ASSERT_FALSE(cases.empty()) << c.name;
        for (const OptionSpec& o : kOptionTable) {
            std::string roff_name;
            for (const char* p = o.name; *p != '\0'; ++p)
                roff_name += *p == '-' ? std::string("\\-") : std::string(1, *p);
            const bool applies = (o.applies & c.applies) != 0;
            EXPECT_EQ(section.find("\\fB\\-\\-" + roff_name + "\\fR") != std::string::npos, applies)
                << c.name << " --" << o.name;
            EXPECT_EQ(cases.find("--" + std::string(o.name) + " ") != std::string::npos ||
                          cases.find("--" + std::string(o.name) + "'") != std::string::npos,
                      applies)
                << c.name << " --" << o.name;
        }
    }
    for (const char* part : {".SH EXAMPLES", ".SH ENVIRONMENT\n.nf\nOCIO", ".SH \"SEE ALSO\""})
        EXPECT_NE(page.find(part), std::string::npos) << part;
    // No line of prose may be taken for a roff request.
    for (size_t at = page.find("\n."); at != std::string::npos; at = page.find("\n.", at + 1))
        EXPECT_TRUE(page.compare(at + 1, 3, ".TH") == 0 || page.compare(at + 1, 3, ".SH") == 0 ||
                    page.compare(at + 1, 3, ".SS") == 0 || page.compare(at + 1, 3, ".TP") == 0 ||
                    page.compare(at + 1, 3, ".PP") == 0 || page.compare(at + 1, 3, ".B ") == 0 ||
                    page.compare(at + 1, 4, ".BR ") == 0 || page.compare(at + 1, 3, ".RI") == 0 ||
                    page.compare(at + 1, 3, ".br") == 0 || page.compare(at + 1, 3, ".nf") == 0 ||
                    page.compare(at + 1, 3, ".fi") == 0)
            << page.substr(at + 1, 40);
}

// Every word the completion offers for an option's value is one the
// option takes.
TEST(Completion, OffersOnlyValuesTheOptionsTake)
{
    for (const OptionSpec& o : kOptionTable) {
        if (o.words == kFileValue || (o.applies & kRender) == 0) continue;
        std::istringstream words(o.words);
        for (std::string word; words >> word;) {
            if (word == kSpaces) word = "linear";
            const std::string option = "--" + std::string(o.name) + "=" + word;
            const char* argv[] = {"tintra", "render", "a.png", "-o", "b.png", option.c_str()};
            CommandLine line;
            std::string error;
            EXPECT_TRUE(ParseCommandLine(6, argv, line, error)) << option << ": " << error;
        }
    }
}

struct CompletionCase {
    std::vector<std::string> asked;  // command and the word before
    int status;  // 0: values of that option; 1: files or options
    std::vector<std::string> offered;  // among the lines printed
    std::vector<std::string> not_offered;
};

void PrintTo(const CompletionCase& c, std::ostream* out) { *out << c.asked[0] << " " << c.asked[1]; }

class Completing : public testing::TestWithParam<CompletionCase> {};

TEST_P(Completing, SaysWhatMayFollow)
{
    const CompletionCase& c = GetParam();
    std::vector<std::string> args = {"help", "--complete"};
    args.insert(args.end(), c.asked.begin(), c.asked.end());
    const tintra_test::ToolRun run = tintra_test::RunTintra(args);
    EXPECT_EQ(run.status, c.status) << run.out;
    for (const std::string& word : c.offered)
        EXPECT_NE(("\n" + run.out).find("\n" + word + "\n"), std::string::npos) << word;
    for (const std::string& word : c.not_offered)
        EXPECT_EQ(("\n" + run.out).find("\n" + word + "\n"), std::string::npos) << word;
}

INSTANTIATE_TEST_SUITE_P(Words, Completing,
                         testing::Values(CompletionCase{{"render", "-d"}, 0, {"uint16", "half"}, {}},
                                         CompletionCase{
                                             {"render", "--colorspace"}, 0, {"auto", "raw", "sRGB", "linear"}, {}},
                                         CompletionCase{{"render", "--clip"}, 0, {"truncate"}, {}},
                                         CompletionCase{{"render", "--hue"}, 0, {}, {"--chroma"}},
                                         CompletionCase{{"render", "-o"}, 1, {}, {"--hue"}},
                                         CompletionCase{{"render", "in.png"}, 1, {"--hue", "--clip"}, {}},
                                         CompletionCase{{"sheet", "in.png"}, 1, {"--hue"}, {"--clip"}},
                                         CompletionCase{{"frames", "--chunk"}, 0, {}, {}}));

}  // namespace
