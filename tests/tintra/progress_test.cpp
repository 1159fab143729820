#include "tools/tintra/progress.h"

#include <gtest/gtest.h>

namespace {

struct BarCase {
    double done;
    int total;
    double seconds;
    const char* text;
    int columns = 80;
};

void PrintTo(const BarCase& c, std::ostream* out) { *out << c.done << "/" << c.total; }

class ProgressBar : public testing::TestWithParam<BarCase> {};

TEST_P(ProgressBar, ShowsFramesRateAndTimeLeft)
{
    const std::string bar = Progress::BarText(GetParam().done, GetParam().total, GetParam().seconds, GetParam().columns);
    EXPECT_EQ(bar, GetParam().text);
    EXPECT_LT(bar.size(), (size_t)GetParam().columns);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProgressBar,
    testing::Values(BarCase{0, 10, 0.0, "[..............................] 0/10 frames"},
                    BarCase{3, 10, 6.0, "[#########.....................] 3/10 frames  0.50 frames/s  0:14 left"},
                    BarCase{10, 10, 2.0, "[##############################] 10/10 frames  5.00 frames/s  0:00 left"},
                    BarCase{1, 4000, 2.0, "[..............................] 1/4000 frames  0.50 frames/s  2:13:18 left"},
                    // Within a large frame.
                    BarCase{0.4, 1, 4.0, "[############..................] 0.4/1 frames  0.10 frames/s  0:06 left"},
                    // Narrow terminals: a narrower bar, then no rate, then no bar.
                    BarCase{3, 10, 6.0, "[###..........] 3/10 frames  0.50 frames/s  0:14 left", 54},
                    BarCase{3, 10, 6.0, "[#######..................] 3/10 frames", 40},
                    BarCase{3, 10, 6.0, "3/10 frames", 18}));

}  // namespace

#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tool_fixture.h"

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
