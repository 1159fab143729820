// --report: each frame's status in the order done, the run's totals and exit
// status, what the run was (version, values, builds), a dry run's too, and
// nothing left beside the report.
#include <gtest/gtest.h>

#include <cmath>
#include <sys/stat.h>

#include "tests/tools/tintra/tool_fixture.h"
#include "tools/tintra/rendering/version_word.h"
#include "tools/tintra/reporting/run_report.h"

namespace {

using namespace tintra_test;

struct ReportCase {
    const char* name;
    std::vector<std::string> options;
    bool frame1_written;  // g.0001.png is there before the run
    std::vector<std::string> statuses;  // as reported, in order
    const char* totals;
    int status;
    std::vector<std::string> says = {};  // also in the report
    const char* summary = "";  // on stderr
};

void PrintTo(const ReportCase& c, std::ostream* out) { *out << c.name; }

class Report : public testing::TestWithParam<ReportCase> {};

TEST_P(Report, SaysWhatTheRunDid)
{
    const ReportCase& c = GetParam();
    ScratchDir dir;
    mkdir(dir.path("in").c_str(), 0777);
    mkdir(dir.path("out").c_str(), 0777);
    for (int f = 1; f <= 2; ++f)
        WriteBytes(dir.path("in/s.000" + std::to_string(f) + ".png"), EncodePng(MakeRaw(6, 4, 8, 3, (uint32_t)f), 2));
    WriteBytes(dir.path("in/s.0003.png"), {'x'});
    if (c.frame1_written) WriteBytes(dir.path("out/g.0001.png"), EncodePng(MakeRaw(6, 4, 8, 3, 1), 2));
    std::vector<std::string> args = {"render",   dir.path("in/s.####.png"), "-o", dir.path("out/g.####.png"),
                                     "--report", dir.path("out/run.json")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ToolRun run = RunTintra(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    std::vector<std::string> statuses;
    const std::string json = ReportText(dir.path("out/run.json"), statuses);
    EXPECT_EQ(statuses, c.statuses) << json;
    EXPECT_NE(json.find(c.totals), std::string::npos) << json;
    EXPECT_NE(json.find("\"exit_status\": " + std::to_string(c.status)), std::string::npos) << json;
    for (const std::string& said : c.says) EXPECT_NE(json.find(said), std::string::npos) << said << " in " << json;
    EXPECT_NE(run.err.find(c.summary), std::string::npos) << run.err;
    for (const std::string& name : dir.list("out")) EXPECT_NE(name[0], '.') << name;
}

INSTANTIATE_TEST_SUITE_P(Runs, Report,
                         testing::Values(ReportCase{"every_kind",
                                                    {"--frames", "1-4", "--no-clobber"},
                                                    true,
                                                    {"missing", "kept", "rendered", "failed"},
                                                    "\"frames\": 4, \"rendered\": 1, \"kept\": 1, \"failed\": 2",
                                                    1,
                                                    {"\"dry_run\": false", "\"build\": \"after-effects\"",
                                                     "\"tintra\": \"" + TintraVersion() + "\",", "\"Hue\": 0, "},
                                                    "1 of 4 frames rendered, 1 kept, 2 failed"},
                                         // A dry run reports what the run would do, and writes no image.
                                         ReportCase{"dry_run",
                                                    {"--frames", "1-4", "--no-clobber", "-n", "--hue", "-12.5"},
                                                    true,
                                                    {"missing", "kept", "rendered", "failed"},
                                                    "\"frames\": 4, \"rendered\": 1, \"kept\": 1, \"failed\": 2",
                                                    1,
                                                    {"\"dry_run\": true", "\"Hue\": -12.5, ", "\"Clip Method\": \""},
                                                    "dry run: 1 of 4 frames would be rendered, 1 kept, 2 failed"},
                                         ReportCase{"all_rendered",
                                                    {"--frames", "1-2"},
                                                    false,
                                                    {"rendered", "rendered"},
                                                    "\"frames\": 2, \"rendered\": 2, \"kept\": 0, \"failed\": 0, "
                                                    "\"not_rendered\": 0",
                                                    0},
                                         // Mix, which only the OFX build declares, takes 8-bit frames there.
                                         ReportCase{"mix_through_ofx",
                                                    {"--frames", "1-2", "--mix", "0.5", "--hue", "-12.5"},
                                                    false,
                                                    {"rendered", "rendered"},
                                                    "\"frames\": 2, \"rendered\": 2",
                                                    0,
                                                    {"\"build\": \"ofx\"", "\"Hue\": -12.5, ", "\"Mix\": 0.5"}}),
                         [](const testing::TestParamInfo<ReportCase>& info) { return std::string(info.param.name); });

// Whatever bytes a name or a library's message holds, the report is valid
// JSON: UTF-8 kept, anything else U+FFFD, control bytes escaped.
class JsonText : public testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(JsonText, IsValidUtf8Json) { EXPECT_EQ(JsonString(GetParam().first), GetParam().second); }

INSTANTIATE_TEST_SUITE_P(Bytes, JsonText,
                         testing::Values(std::make_pair("caf\xc3\xa9 \xf0\x9f\x8e\x9e",
                                                        "\"caf\xc3\xa9 \xf0\x9f\x8e\x9e\""),
                                         std::make_pair("\xe9t\xe9", "\"\\ufffdt\\ufffd\""),  // Latin-1
                                         std::make_pair("\xc0\xaf", "\"\\ufffd\\ufffd\""),  // overlong
                                         std::make_pair("\xed\xa0\x80", "\"\\ufffd\\ufffd\\ufffd\""),  // a surrogate
                                         std::make_pair("end\xe2\x82", "\"end\\ufffd\\ufffd\""),  // cut short
                                         std::make_pair("\x1b\"\\", "\"\\u001b\\\"\\\\\"")));

// Numbers as they round-trip, whole ones without an exponent.
TEST(JsonNumbers, ShortestThatReadsBack)
{
    const std::pair<double, const char*> cases[] = {{30, "30"},      {-120, "-120"}, {0.5, "0.5"}, {0.1, "0.1"},
                                                    {1e-5, "1e-05"}, {-0.0, "-0"},   {NAN, "null"}};
    for (const auto& c : cases) EXPECT_EQ(JsonNumber(c.first), c.second) << c.first;
}

}  // namespace
