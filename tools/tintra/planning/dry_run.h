// A render's plan said line by line without writing anything: each frame's
// input, output and size, and every failure the real run would meet before
// rendering (a missing frame, an input that does not open, an output in the
// way), with the exit status the real run would have.
#pragma once

#include "tools/tintra/command_line/command_line.h"
#include "tools/tintra/planning/sequence_plan.h"

// sequence: the plan is a frame sequence's (its failed frames are listed
// as the real run lists them).
int DryRun(const CommandLine& line, const SequencePlan& plan, bool sequence);
