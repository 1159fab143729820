#include "tools/tintra/rendering/cpu_count.h"

#include <sched.h>
#include <thread>

int AllowedCpus()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
    const unsigned all = std::thread::hardware_concurrency();
    return all > 0 ? (int)all : 1;
}
