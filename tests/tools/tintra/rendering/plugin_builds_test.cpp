// Which build renders a frame follows from that frame's own samples, never
// from the rest of its run: a mixed sequence gives each frame the bytes it
// gets alone, in a chunk of one, and through the build named for its samples.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/tools/tintra/tool_fixture.h"

namespace {

using namespace tintra_test;

struct BuildCase {
    const char* name;
    int frame;  // of the mixed sequence mix.####.tif
    bool ofx;  // the build its samples go through
};

void PrintTo(const BuildCase& c, std::ostream* out) { *out << c.name; }

// Frame 1 holds 8-bit samples, frame 2 16-bit, frame 3 float.
void WriteMixedSequence(const ScratchDir& dir)
{
    mkdir(dir.path("in").c_str(), 0777);
    ASSERT_TRUE(WriteTiffSamples(dir.path("in/mix.0001.tif"), MakeRaw(16, 8, 8, 3, 1), TiffLayout()));
    ASSERT_TRUE(WriteTiffSamples(dir.path("in/mix.0002.tif"), MakeRaw(16, 8, 16, 3, 2), TiffLayout()));
    std::vector<float> values(16 * 8 * 3);
    for (size_t i = 0; i < values.size(); ++i) values[i] = (float)(i % 37) / 30.0f;
    ASSERT_TRUE(WriteFloatFile(dir.path("in/mix.0003.tif"), 16, 8, 3, values, false));
}

class Builds : public testing::TestWithParam<BuildCase> {};

TEST_P(Builds, FollowEachFramesOwnSamples)
{
    const BuildCase& c = GetParam();
    ScratchDir dir;
    WriteMixedSequence(dir);
    const std::vector<std::string> grade = {"--hue", "40", "--chroma", "25"};
    const auto render = [&](std::vector<std::string> args) {
        args.insert(args.end(), grade.begin(), grade.end());
        const ToolRun run = RunTintra(args);
        EXPECT_EQ(run.status, 0) << run.err;
    };
    char frame[16];
    std::snprintf(frame, sizeof frame, "%04d", c.frame);
    const std::string input = dir.path("in/mix." + std::string(frame) + ".tif");
    render({"render", dir.path("in/mix.####.tif"), "-o", dir.path("run/g.####.tif")});
    render({"render", dir.path("in/mix.####.tif"), "-o", dir.path("chunk/g.####.tif"), "--frames",
            std::to_string(c.frame)});
    render({"render", input, "-o", dir.path("named.tif"), "--plugin", c.ofx ? OfxPluginPath() : PluginPath()});
    // Samples, not bytes: a TIFF's DateTime is the second it was written.
    std::vector<float> whole_run, chunk, named;
    ASSERT_TRUE(ReadFloatFile(dir.path("run/g." + std::string(frame) + ".tif"), whole_run));
    ASSERT_TRUE(ReadFloatFile(dir.path("chunk/g." + std::string(frame) + ".tif"), chunk));
    ASSERT_TRUE(ReadFloatFile(dir.path("named.tif"), named));
    EXPECT_EQ(whole_run, chunk);
    EXPECT_EQ(whole_run, named);
}

INSTANTIATE_TEST_SUITE_P(Samples, Builds,
                         testing::Values(BuildCase{"eight_bit_through_ae", 1, false},
                                         BuildCase{"sixteen_bit_through_ofx", 2, true},
                                         BuildCase{"float_through_ofx", 3, true}),
                         [](const testing::TestParamInfo<BuildCase>& info) { return std::string(info.param.name); });

}  // namespace
