// The default thread count follows the CPUs the process may run on (a
// Slurm task's or taskset's), not the machine's.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tools/tintra/rendering/cpu_count.h"

namespace {

class AllowedCpusOf : public testing::TestWithParam<int> {};

TEST_P(AllowedCpusOf, ACpuSet)
{
    cpu_set_t mine;
    ASSERT_EQ(sched_getaffinity(0, sizeof mine, &mine), 0);
    if (CPU_COUNT(&mine) < GetParam()) GTEST_SKIP() << "this machine lets us run on fewer CPUs";
    const pid_t pid = fork();
    if (pid == 0) {
        // The first GetParam() CPUs of ours.
        cpu_set_t set;
        CPU_ZERO(&set);
        for (int cpu = 0, taken = 0; cpu < CPU_SETSIZE && taken < GetParam(); ++cpu)
            if (CPU_ISSET(cpu, &mine)) CPU_SET(cpu, &set), ++taken;
        _exit(sched_setaffinity(0, sizeof set, &set) == 0 ? AllowedCpus() : 255);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Cpus, AllowedCpusOf, testing::Values(1, 2));

}  // namespace
