// What can be known of a plan's outputs before anything is decoded: each
// name fits the file system, and each folder is one that can be written in
// (or created). A failure here is a usage error: nothing is done.
#pragma once

#include <string>

#include "tools/tintra/planning/batch_plan.h"

bool CheckOutputsWritable(const BatchPlan& plan, std::string& error);

// A read-only file where an output goes is one someone meant to keep: it is
// replaced only with --overwrite (its permissions then kept), and refused
// here otherwise.
bool CheckReadOnlyOutputs(const BatchPlan& plan, std::string& error);
