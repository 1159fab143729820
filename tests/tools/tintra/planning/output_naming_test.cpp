// Where outputs go when their names are changed: --ext for a folder of
// outputs, --frame-offset for a sequence's numbers, and what each refuses;
// an output folder inside an input folder is never read as inputs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/tools/tintra/tool_fixture.h"
#include "tools/tintra/command_line/command_line.h"
#include "tools/tintra/planning/sequence_plan.h"

namespace {

using namespace tintra_test;

struct NamingCase {
    const char* name;
    std::vector<std::string> args;  // after "render"; "@" stands for the scratch folder
    std::vector<std::string> outputs;  // as planned, "@" as above; empty: refused
    const char* error;  // the start of the reason when refused
};

void PrintTo(const NamingCase& c, std::ostream* out) { *out << c.name; }

class Naming : public testing::TestWithParam<NamingCase> {};

TEST_P(Naming, PlansEachOutput)
{
    const NamingCase& c = GetParam();
    ScratchDir dir;
    mkdir(dir.path("in").c_str(), 0777);
    mkdir(dir.path("in/graded").c_str(), 0777);  // an earlier run's -r -o in/graded
    for (const char* name : {"in/a.png", "in/b.tif", "in/s.1001.png", "in/s.1002.png", "in/graded/a.png"})
        WriteBytes(dir.path(name), {'x'});
    std::vector<std::string> args = {"tintra", "render"};
    for (const std::string& a : c.args) args.push_back(dir.expand(a));
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    CommandLine line;
    std::string error;
    ASSERT_TRUE(ParseCommandLine((int)argv.size(), argv.data(), line, error)) << error;
    SequencePlan plan;
    bool sequence = false;
    const bool ok = PlanRender(line, plan, sequence, error);
    ASSERT_EQ(ok, !c.outputs.empty()) << error;
    if (!ok) {
        EXPECT_EQ(error.rfind(dir.expand(c.error), 0), 0u) << error;
        return;
    }
    std::vector<std::string> outputs;
    for (const BatchItem& item : plan.batch.items) outputs.push_back(item.output);
    std::vector<std::string> expected;
    for (const std::string& o : c.outputs) expected.push_back(dir.expand(o));
    EXPECT_EQ(outputs, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, Naming,
    testing::Values(
        NamingCase{"ext_for_a_folder",
                   {"@/in/a.png", "@/in/b.tif", "-o", "@/out", "--ext", "exr"},
                   {"@/out/a.exr", "@/out/b.exr"},
                   ""},
        NamingCase{"ext_given_with_its_dot",
                   {"@/in/a.png", "@/in/b.tif", "-o", "@/out", "--ext", ".exr"},
                   {"@/out/a.exr", "@/out/b.exr"},
                   ""},
        NamingCase{"ext_for_a_sequence_into_a_folder",
                   {"@/in/s.####.png", "-o", "@/out/", "--ext", "tif"},
                   {"@/out/s.1001.tif", "@/out/s.1002.tif"},
                   ""},
        NamingCase{"ext_for_one_file", {"@/in/a.png", "-o", "@/a.tif", "--ext", "exr"}, {}, "--ext exr: applies"},
        NamingCase{"ext_unwritable", {"@/in/a.png", "@/in/b.tif", "-o", "@/out", "--ext", "raw"}, {}, "--ext raw"},
        NamingCase{"offset",
                   {"@/in/s.####.png", "-o", "@/g.####.png", "--frame-offset", "-1000"},
                   {"@/g.0001.png", "@/g.0002.png"},
                   ""},
        NamingCase{"offset_into_a_folder",
                   {"@/in/s.####.png", "-o", "@/out/", "--frame-offset", "5"},
                   {},
                   "--frame-offset needs an output pattern"},
        NamingCase{"recursive_into_the_input_tree",
                   {"@/in", "-r", "-o", "@/in/graded", "--no-clobber"},
                   {"@/in/graded/a.png", "@/in/graded/b.tif", "@/in/graded/s.1001.png", "@/in/graded/s.1002.png"},
                   ""},
        NamingCase{"folder_given_twice", {"@/in", "@/in/", "-o", "@/out"}, {}, "@/in/: given twice"},
        NamingCase{"offset_without_a_sequence",
                   {"@/in/a.png", "-o", "@/a.tif", "--frame-offset", "5"},
                   {},
                   "--frame-offset needs one input"}),
    [](const testing::TestParamInfo<NamingCase>& info) { return std::string(info.param.name); });

}  // namespace
