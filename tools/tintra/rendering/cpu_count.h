// How many threads a render uses when --threads is not given.
#pragma once

// The CPUs this process may run on (its affinity: taskset, a Slurm task's
// CPU set, a container's cpuset), not the machine's; at least 1.
int AllowedCpus();
