#include "tools/tintra/reporting/progress.h"

#include <gtest/gtest.h>

namespace {

struct BarCase {
    double done;
    int total;
    double seconds, left;
    const char* text;
    int columns = 80;
};

void PrintTo(const BarCase& c, std::ostream* out) { *out << c.done << "/" << c.total; }

class ProgressBar : public testing::TestWithParam<BarCase> {};

TEST_P(ProgressBar, ShowsFramesRateAndTimeLeft)
{
    const BarCase& c = GetParam();
    const std::string bar = Progress::BarText(c.done, c.total, c.seconds, c.left, c.columns);
    EXPECT_EQ(bar, c.text);
    EXPECT_LT(bar.size(), (size_t)c.columns);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProgressBar,
    testing::Values(BarCase{0, 10, 0.0, -1, "[..............................] 0/10 frames"},
                    BarCase{3, 10, 6.0, 14, "[#########.....................] 3/10 frames  0.50 frames/s  0:14 left"},
                    BarCase{10, 10, 2.0, 0, "[##############################] 10/10 frames  5.00 frames/s  0:00 left"},
                    BarCase{1, 4000, 2.0, 7998, "[..............................] 1/4000 frames  0.50 frames/s  2:13:18 left"},
                    // Within a large frame.
                    BarCase{0.4, 1, 4.0, 6, "[############..................] 0.4/1 frames  0.10 frames/s  0:06 left"},
                    // Frames done, none of them opened: nothing to reckon from.
                    BarCase{2, 10, 1.0, -1, "[######........................] 2/10 frames  2.00 frames/s"},
                    // Narrow terminals: a narrower bar, then no rate, then no bar.
                    BarCase{3, 10, 6.0, 14, "[###..........] 3/10 frames  0.50 frames/s  0:14 left", 54},
                    BarCase{3, 10, 6.0, 14, "[#######..................] 3/10 frames", 40},
                    BarCase{3, 10, 6.0, 14, "3/10 frames", 18}));

// The time left by pixels: each case goes through the frames up to `frame`,
// opening those listed (index, pixels), and asks at (part, seconds).
struct LeftCase {
    const char* name;
    std::vector<uint64_t> bytes;
    std::vector<std::pair<size_t, uint64_t>> opened;
    size_t frame;
    double part, seconds, left;
};

class TimeLeft : public testing::TestWithParam<LeftCase> {};

TEST_P(TimeLeft, IsReckonedByPixels)
{
    const LeftCase& c = GetParam();
    PixelsLeft left(c.bytes);
    for (size_t i = 0; i <= c.frame; ++i) {
        for (const auto& o : c.opened)
            if (o.first == i) left.opened(o.second);
        if (i < c.frame) left.next();
    }
    EXPECT_DOUBLE_EQ(left.SecondsLeft(c.part, c.seconds), c.left);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TimeLeft,
    testing::Values(
        // Alike frames: as by frames, 9 more at 2 s each.
        LeftCase{"sequence", std::vector<uint64_t>(10, 100), {{0, 1000}, {1, 1000}}, 1, 0.0, 2.0, 18.0},
        // One small picture took 1 s; the next file is four times the size:
        // 4 s, where counting frames would say 1 s.
        LeftCase{"larger_file_to_come", {100, 400}, {{0, 1000}}, 1, 0.0, 1.0, 4.0},
        // The current frame's own pixels, once opened, outweigh its file's size.
        LeftCase{"current_frame_opened", {100, 100}, {{0, 1000}, {1, 3000}}, 1, 0.5, 5.0, 3.0},
        // A frame that failed unopened counts for nothing, nor does a missing
        // (zero-byte) one still to come.
        LeftCase{"failed_and_missing", {100, 100, 100, 0}, {{1, 1000}}, 1, 0.5, 1.0, 3.0},
        // Nothing done yet: no estimate.
        LeftCase{"nothing_done", {100, 100}, {{0, 1000}}, 0, 0.0, 1.0, -1.0}),
    [](const testing::TestParamInfo<LeftCase>& info) { return std::string(info.param.name); });

}  // namespace

#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/tools/tintra/tool_fixture.h"

namespace {

using namespace tintra_test;

// On a terminal the bar is redrawn in place after every frame, then the
// summary replaces it.
TEST(ProgressOnATerminal, DrawsTheBarThenTheSummary)
{
    ScratchDir dir;
    mkdir(dir.path("frames").c_str(), 0777);
    for (int f = 0; f < 3; ++f)
        WriteBytes(dir.path("frames/f" + std::to_string(f) + ".png"), EncodePng(MakeRaw(8, 8, 8, 3, f), 2));
    const std::string exe = TintraPath(), frames = dir.path("frames"), out = dir.path("out");

    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execl(exe.c_str(), exe.c_str(), "render", frames.c_str(), "-o", out.c_str(), nullptr);
        _exit(127);
    }
    std::string shown;
    char buffer[512];
    for (;;) {
        const ssize_t n = read(terminal, buffer, sizeof buffer);
        if (n <= 0) break;  // the terminal closes when tintra ends
        shown.append(buffer, (size_t)n);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    close(terminal);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << shown;
    EXPECT_NE(shown.find("\r[..............................] 0/3 frames"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\r[####################..........] 2/3 frames"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\r[##############################] 3/3 frames"), std::string::npos) << shown;
    EXPECT_NE(shown.find("tintra: 3 of 3 frames rendered, 0 failed"), std::string::npos) << shown;
}

}  // namespace
