// What a batch says: a note every frame shares is said once and counted, kept
// frames are counted apart from rendered ones, and --quiet leaves errors and
// the summary only.
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/tools/tintra/tool_fixture.h"
#include "tools/tintra/reporting/library_chatter.h"

namespace {

using namespace tintra_test;

struct NotesCase {
    const char* name;
    std::vector<std::string> options;
    int kept;  // frames f0.. whose output is already there
    bool junk_frame;  // f2 is no image
    std::vector<std::pair<std::string, int>> lines;  // a text, and the number of stderr lines holding it
};

void PrintTo(const NotesCase& c, std::ostream* out) { *out << c.name; }

class Notes : public testing::TestWithParam<NotesCase> {};

TEST_P(Notes, AreSaidOnceAndCounted)
{
    const NotesCase& c = GetParam();
    ScratchDir dir;
    mkdir(dir.path("frames").c_str(), 0777);
    mkdir(dir.path("out").c_str(), 0777);
    for (int f = 0; f < 4; ++f) {
        const std::string name = "f" + std::to_string(f) + ".png";
        const std::vector<unsigned char> png = EncodePng(MakeRaw(8, 8, 8, 3, (uint32_t)f), 2);
        WriteBytes(dir.path("frames/" + name), c.junk_frame && f == 2 ? std::vector<unsigned char>{'x'} : png);
        if (f < c.kept) WriteBytes(dir.path("out/" + name), png);
    }
    std::vector<std::string> args = {"render", dir.path("frames"), "-o", dir.path("out"), "--hue", "20"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ToolRun run = RunTintra(args);
    for (const auto& line : c.lines) {
        int count = 0;
        for (size_t at = run.err.find(line.first); at != std::string::npos; at = run.err.find(line.first, at + 1))
            ++count;
        EXPECT_EQ(count, line.second) << line.first << " in:\n" << run.err;
    }
}

const std::string kKept = "exists, kept (--no-clobber)";

INSTANTIATE_TEST_SUITE_P(
    Batch, Notes,
    testing::Values(
        NotesCase{
            "kept_said_once",
            {"--no-clobber"},
            3,
            false,
            {{kKept, 2}, {"the same for 2 more frames: " + kKept, 1}, {"1 of 4 frames rendered, 3 kept, 0 failed", 1}}},
        NotesCase{"one_kept",
                  {"--no-clobber"},
                  1,
                  false,
                  {{kKept, 1}, {"the same for", 0}, {"3 of 4 frames rendered, 1 kept", 1}}},
        NotesCase{"quiet_keeps_the_summary",
                  {"--no-clobber", "-q"},
                  3,
                  false,
                  {{kKept, 0}, {"1 of 4 frames rendered, 3 kept, 0 failed", 1}}},
        NotesCase{"quiet_keeps_errors", {"-q"}, 0, true, {{"f2.png: ", 1}, {"3 of 4 frames rendered, 1 failed", 1}}}),
    [](const testing::TestParamInfo<NotesCase>& info) { return std::string(info.param.name); });

// A library's words (an OpenColorIO error quoting a LUT file) as one line
// that cannot drive the terminal.
TEST(OneLine, BreaksAndControlBytes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"line one\nline two\r\n", "line one line two"},
        {"\x1B[2Jcleared\a", "\\x1b[2Jcleared\\x07"},
        {"tab\tand\x7F", "tab and\\x7f"},
        {"caf\xC3\xA9 kept", "caf\xC3\xA9 kept"},
    };
    for (const auto& c : cases) EXPECT_EQ(OneLine(c.first), c.second) << c.first;
}

}  // namespace
