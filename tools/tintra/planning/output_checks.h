// Every path a run writes (its outputs, and its report) is decided here,
// together and before anything is decoded: each name fits the file system,
// each folder is one that can be written in (or created), and no written
// path is an input, another output or the report. A failure here is a usage
// error: nothing is done. The writers take their paths from what this
// decided, so a new one cannot go round it. (Each output's temporary file is
// a hidden name beside it, which no listing of a folder reads.)
#pragma once

#include <string>
#include <vector>

#include "tools/tintra/planning/batch_plan.h"

struct WrittenPaths {
    const BatchPlan* plan = nullptr;  // its outputs
    std::string report;  // "" for none
};

// inputs: every file the run reads, whether in the plan or not (a
// sequence's frames on disk). overwrite: an output may replace its own
// input; no_clobber: an output there already is kept, not replaced.
bool DecideWrittenPaths(const BatchPlan& plan, const std::vector<std::string>& inputs, const std::string& report,
                        bool overwrite, bool no_clobber, WrittenPaths& paths, std::string& error);
