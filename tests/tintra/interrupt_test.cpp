// Ctrl-C, SIGHUP or SIGTERM during a batch: tintra stops, leaves only
// complete outputs and no temporary file, and exits as shells report a death
// by that signal.
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tool_fixture.h"

namespace {

using namespace tintra_test;

class Interrupt : public testing::TestWithParam<int> {};

TEST_P(Interrupt, StopsTheBatchWithoutPartialFiles)
{
    ScratchDir dir;
    mkdir(dir.path("frames").c_str(), 0777);
    WriteBytes(dir.path("frame.png"), EncodePng(MakeRaw(768, 768, 16, 4, 8), 6));
    constexpr int kFrames = 300;
    for (int f = 0; f < kFrames; ++f) {
        char name[32];
        std::snprintf(name, sizeof name, "frames/f%03d.png", f);
        ASSERT_EQ(symlink(dir.path("frame.png").c_str(), dir.path(name).c_str()), 0);
    }

    const std::string exe = TintraPath(), frames = dir.path("frames"), out = dir.path("out");
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        execl(exe.c_str(), exe.c_str(), "render", frames.c_str(), "-o", out.c_str(), "--hue", "40", nullptr);
        _exit(127);
    }
    // Wait for the first finished frame, then interrupt.
    bool started = false;
    while (!started) {
        for (const std::string& name : dir.list("out")) started = started || name[0] != '.';
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, WNOHANG), 0) << "tintra ended before it was interrupted";
        if (!started) usleep(1000);
    }
    kill(pid, GetParam());
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + GetParam());

    const std::vector<std::string> written = dir.list("out");
    EXPECT_LT(written.size(), (size_t)kFrames);
    for (const std::string& name : written) {
        ASSERT_NE(name[0], '.') << "temporary file left behind: " << name;
        RawImage image;
        ASSERT_TRUE(ReadPngSamples(dir.path("out/" + name), image)) << name << " is not a complete PNG";
        EXPECT_EQ(image.width, 768);
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, Interrupt, testing::Values(SIGINT, SIGHUP, SIGTERM));

}  // namespace
