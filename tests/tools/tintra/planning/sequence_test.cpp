// Frame sequences through the tintra executable: missing and failed frames
// are named, and failed, skipped or held; a chunk of a range writes its own
// frames only, and holds the frame the whole range would. (That chunks give
// the bytes of one run is shown through Slurm by scripts/test.d/70-farm.sh.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/tools/tintra/tool_fixture.h"

namespace {

using namespace tintra_test;

std::string Frame(const std::string& folder, const char* stem, int frame)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s.%04d.png", stem, frame);
    return folder + "/" + name;
}

// Frames 1, 2, 5 and 6 of shot.####.png are on disk, 3 and 4 are not, and 6
// is no image.
struct MissingCase {
    const char* name;
    std::vector<std::string> options;
    int status;
    std::vector<int> written;
    const char* message;  // a line of stderr holds this
    std::vector<int> held;
    int held_from;  // the frames held are the render of this frame
    const char* out = "out/g.@@@@.png";
};

const MissingCase kMissing[] = {
    {"error by default", {"--frames", "1-6"}, 1, {1, 2, 5}, "2 frames missing: 3-4 (failed", {}, 0},
    {"range from disk", {}, 1, {1, 2, 5}, "tintra: failed frames: 3-4,6", {}, 0},
    {"skip", {"--frames", "1-6", "--missing", "skip"}, 1, {1, 2, 5}, "tintra: failed frames: 6", {}, 0},
    {"hold", {"--frames", "1-5", "--missing", "hold"}, 0, {1, 2, 3, 4, 5}, "(each holds the frame before", {3, 4}, 2},
    {"hold in a chunk", {"--frames", "4", "--missing", "hold"}, 0, {4}, "1 frame missing: 4", {4}, 2},
    {"hold at the start",
     {"--frames", "0-1", "--missing", "hold"},
     0,
     {0, 1},
     "0 (each holds the first frame on disk, 1)",
     {0},
     1},
    {"stepped", {"--frames", "1-5x2", "--missing", "skip"}, 0, {1, 5}, "1 frame missing: 3 (skipped)", {}, 0},
    {"nothing left", {"--frames", "3-4", "--missing", "skip"}, 1, {}, "none of the frames 3-4 is on disk", {}, 0},
    {"bad list", {"--frames", "6-1"}, 2, {}, "'6-1' ends before it starts", {}, 0},
    {"bad choice", {"--missing", "black"}, 2, {}, "--missing", {}, 0},
    // A dry run fails as the run would, and writes nothing.
    {"dry run, missing", {"--frames", "1-6", "-n"}, 1, {}, "2 frames missing: 3-4 (failed", {}, 0},
    {"dry run, failed", {"-n"}, 1, {}, "tintra: failed frames: 3-4,6", {}, 0},
    {"dry run, held", {"--frames", "1-5", "--missing", "hold", "-n"}, 0, {}, "(each holds the frame before", {}, 0},
    // Frame 2 replaced in place, then read again for 3 and 4, would grade
    // them twice; a later chunk would read it replaced whatever the order.
    {"hold in place",
     {"--frames", "1-5", "--missing", "hold", "--overwrite"},
     2,
     {},
     "cannot render in place",
     {},
     0,
     "in/shot.####.png"},
    {"hold in place, a chunk",
     {"--frames", "4", "--missing", "hold", "--overwrite"},
     2,
     {},
     "cannot render in place",
     {},
     0,
     "in/shot.####.png"},
};

void PrintTo(const MissingCase& c, std::ostream* out) { *out << c.name; }

class Missing : public testing::TestWithParam<MissingCase> {};

TEST_P(Missing, IsNamedAndHandledAsAsked)
{
    const MissingCase& c = GetParam();
    ScratchDir dir;
    mkdir(dir.path("in").c_str(), 0777);
    for (int frame : {1, 2, 5})
        WriteBytes(Frame(dir.path("in"), "shot", frame), EncodePng(MakeRaw(4, 4, 8, 3, (uint32_t)frame), 2));
    WriteBytes(Frame(dir.path("in"), "shot", 6), {'n', 'o', 't'});
    std::vector<std::string> args = {"render", dir.path("in/shot.####.png"), "-o", dir.path(c.out), "--hue", "90"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ToolRun run = RunTintra(args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    std::vector<std::string> expected;
    for (int frame : c.written) expected.push_back(Frame("", "g", frame).substr(1));
    EXPECT_EQ(dir.list("out"), expected);
    if (c.held.empty()) return;
    const ToolRun alone = RunTintra({"render", Frame(dir.path("in"), "shot", c.held_from), "-o",
                                     dir.path("alone.png"), "--hue", "90"});
    ASSERT_EQ(alone.status, 0) << alone.err;
    for (int frame : c.held)
        EXPECT_EQ(ReadBytes(Frame(dir.path("out"), "g", frame)), ReadBytes(dir.path("alone.png"))) << frame;
}

INSTANTIATE_TEST_SUITE_P(Sequence, Missing, testing::ValuesIn(kMissing));

TEST(Sequence, FramesCommandSplitsAListForAFarm)
{
    const ToolRun run = RunTintra({"frames", "1-10x2,-3,4", "--chunk", "3"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "-3,1,3\n4-5,7\n9\n");
    EXPECT_EQ(RunTintra({"frames", "5-1"}).status, 2);
}

}  // namespace
