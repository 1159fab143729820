// The man page and the bash completion carry every option of the table
// for each command it applies to, so that neither can drift from --help.
#include <gtest/gtest.h>

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
    // No line of prose may be taken for a roff request.
    for (size_t at = page.find("\n."); at != std::string::npos; at = page.find("\n.", at + 1))
        EXPECT_TRUE(page.compare(at + 1, 3, ".TH") == 0 || page.compare(at + 1, 3, ".SH") == 0 ||
                    page.compare(at + 1, 3, ".SS") == 0 || page.compare(at + 1, 3, ".TP") == 0 ||
                    page.compare(at + 1, 3, ".PP") == 0 || page.compare(at + 1, 3, ".B ") == 0 ||
                    page.compare(at + 1, 3, ".RI") == 0 || page.compare(at + 1, 3, ".br") == 0 ||
                    page.compare(at + 1, 3, ".nf") == 0 || page.compare(at + 1, 3, ".fi") == 0)
            << page.substr(at + 1, 40);
}

}  // namespace
