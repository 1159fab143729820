// --report: each frame's status in the order done, the run's totals and exit
// status, and nothing left beside the report.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/tools/tintra/tool_fixture.h"

namespace {

using namespace tintra_test;

struct ReportCase {
    const char* name;
    std::vector<std::string> options;
    bool frame1_written;  // g.0001.png is there before the run
    std::vector<std::string> statuses;  // as reported, in order
    const char* totals;
    int status;
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
    const std::vector<unsigned char> bytes = ReadBytes(dir.path("out/run.json"));
    const std::string json(bytes.begin(), bytes.end());
    std::vector<std::string> statuses;
    const std::string key = "\"status\": \"";
    for (size_t at = json.find(key); at != std::string::npos; at = json.find(key, at + 1))
        statuses.push_back(json.substr(at + key.size(), json.find('"', at + key.size()) - at - key.size()));
    EXPECT_EQ(statuses, c.statuses) << json;
    EXPECT_NE(json.find(c.totals), std::string::npos) << json;
    EXPECT_NE(json.find("\"exit_status\": " + std::to_string(c.status)), std::string::npos) << json;
    for (const std::string& name : dir.list("out")) EXPECT_NE(name[0], '.') << name;
}

INSTANTIATE_TEST_SUITE_P(Runs, Report,
                         testing::Values(ReportCase{"every_kind",
                                                    {"--frames", "1-4", "--no-clobber"},
                                                    true,
                                                    {"missing", "kept", "rendered", "failed"},
                                                    "\"frames\": 4, \"rendered\": 1, \"kept\": 1, \"failed\": 2",
                                                    1},
                                         ReportCase{"all_rendered",
                                                    {"--frames", "1-2"},
                                                    false,
                                                    {"rendered", "rendered"},
                                                    "\"frames\": 2, \"rendered\": 2, \"kept\": 0, \"failed\": 0",
                                                    0}),
                         [](const testing::TestParamInfo<ReportCase>& info) { return std::string(info.param.name); });

}  // namespace
