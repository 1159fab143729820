// Ctrl-C, SIGHUP or SIGTERM during a batch: tintra stops, leaves only
// complete outputs and no temporary file, and exits as shells report a death
// by that signal.
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <string>
#include <tuple>
#include <unistd.h>

#include "tests/tools/tintra/tool_fixture.h"

namespace {

using namespace tintra_test;

// A render of a folder, or generate making a sequence (true).
class Interrupt : public testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(Interrupt, StopsTheBatchWithoutPartialFiles)
{
    const int signal = std::get<0>(GetParam());
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
        if (std::get<1>(GetParam()))
            execl(exe.c_str(), exe.c_str(), "generate", "scene", "-o", (out + "/f.###.png").c_str(), "--frames",
                  "0-299", "--size", "768x768", nullptr);
        else
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
    kill(pid, signal);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);

    const std::vector<std::string> written = dir.list("out");
    EXPECT_LT(written.size(), (size_t)kFrames);
    for (const std::string& name : written) {
        ASSERT_NE(name[0], '.') << "temporary file left behind: " << name;
        RawImage image;
        ASSERT_TRUE(ReadPngSamples(dir.path("out/" + name), image)) << name << " is not a complete PNG";
        EXPECT_EQ(image.width, 768);
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, Interrupt,
                         testing::Combine(testing::Values(SIGINT, SIGHUP, SIGTERM), testing::Bool()));

// A signal ignored when tintra starts (nohup's SIGHUP, a background job's
// SIGINT) stays ignored: the run goes on to its end.
class IgnoredSignal : public testing::TestWithParam<int> {};

TEST_P(IgnoredSignal, StaysIgnored)
{
    ScratchDir dir;
    mkdir(dir.path("frames").c_str(), 0777);
    WriteBytes(dir.path("frame.png"), EncodePng(MakeRaw(512, 512, 8, 3, 8), 2));
    constexpr int kFrames = 12;
    for (int f = 0; f < kFrames; ++f)
        ASSERT_EQ(symlink(dir.path("frame.png").c_str(), dir.path("frames/f" + std::to_string(f) + ".png").c_str()), 0);
    const std::string exe = TintraPath(), frames = dir.path("frames"), out = dir.path("out");
    const pid_t pid = fork();
    if (pid == 0) {
        signal(GetParam(), SIG_IGN);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        execl(exe.c_str(), exe.c_str(), "render", frames.c_str(), "-o", out.c_str(), "--hue", "40", nullptr);
        _exit(127);
    }
    while (dir.list("out").empty()) usleep(1000);
    kill(pid, GetParam());
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(dir.list("out").size(), (size_t)kFrames);
}

INSTANTIATE_TEST_SUITE_P(Signals, IgnoredSignal, testing::Values(SIGHUP, SIGINT));

// Signals at every point of a run, one or two at a time, round after round
// (TINTRA_SIGNAL_ROUNDS of them; the test stage asks for hundreds): whatever
// the moment, no temporary file is left, and one signal ends with the
// summary line.
TEST(InterruptRace, LeavesNoTemporaryFileAtAnyMoment)
{
    const char* asked = std::getenv("TINTRA_SIGNAL_ROUNDS");
    const int rounds = asked != nullptr ? std::atoi(asked) : 8;
    ScratchDir dir;
    WriteBytes(dir.path("a.png"), EncodePng(MakeRaw(400, 300, 16, 4, 2), 6));
    WriteBytes(dir.path("b.tif"), ReadBytes(dir.path("a.png")));
    const std::string exe = TintraPath(), a = dir.path("a.png"), b = dir.path("b.tif"), err_path = dir.path("err.txt");
    int interrupted = 0;
    for (int round = 0; round < rounds; ++round) {
        const pid_t pid = fork();
        if (pid == 0) {
            // A second signal exits at once, its threads left running by
            // design: not a leak for ThreadSanitizer to report.
            const char* tsan = std::getenv("TSAN_OPTIONS");
            setenv("TSAN_OPTIONS", (std::string(tsan != nullptr ? tsan : "") + ":report_thread_leaks=0").c_str(), 1);
            const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            dup2(err, STDERR_FILENO);
            execl(exe.c_str(), exe.c_str(), "render", a.c_str(), b.c_str(), "-o", dir.path("out").c_str(), "--hue",
                  "40", nullptr);
            _exit(127);
        }
        // Once the tool has started (the output folder is made after the
        // plug-in is loaded), at moments spread over the rest of the run.
        int status = 0;
        pid_t ended = 0;
        while (!FileExists(dir.path("out")) && (ended = waitpid(pid, &status, WNOHANG)) == 0) usleep(500);
        const bool twice = round % 2 == 1;
        if (ended == 0) {
            usleep((useconds_t)(round * 7919 % 60000));
            kill(pid, SIGTERM);
            if (twice) kill(pid, SIGTERM);
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
        }
        for (const std::string& name : dir.list("out")) ASSERT_NE(name[0], '.') << "round " << round << ": " << name;
        ASSERT_EQ(system(("rm -rf " + dir.path("out")).c_str()), 0);
        if (!WIFEXITED(status)) continue;  // killed before the handler was installed
        const int code = WEXITSTATUS(status);
        const std::vector<unsigned char> err_bytes = ReadBytes(err_path);
        const std::string err(err_bytes.begin(), err_bytes.end());
        ASSERT_TRUE(code == 0 || code == 128 + SIGTERM) << "round " << round << ": " << code << "\n" << err;
        if (code == 0 || twice) continue;
        ++interrupted;
        EXPECT_NE(err.find("interrupted"), std::string::npos) << "round " << round;
    }
    EXPECT_GT(interrupted, 0);
}

}  // namespace
