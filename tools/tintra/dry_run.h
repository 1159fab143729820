// A render's plan said line by line without writing anything: each frame's
// input, output, size and colour spaces, and every failure the real run would meet before
// rendering (a missing frame, an input that does not open, an output in the
// way), with the exit status the real run would have.
#pragma once

#include "tools/tintra/planning/request.h"
#include "tools/tintra/planning/sequence_plan.h"
#include "tools/tintra/rendering/color_route.h"

// color: the render's colour route (its spaces are named for each frame).
// sequence: the plan is a frame sequence's (its failed frames are listed
// as the real run lists them).
int DryRun(const Request& line, const ColorRoute& color, const SequencePlan& plan, bool sequence);
