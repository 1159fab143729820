// Which file each frame of a sequence is read from and written to, and what
// becomes of the frames of the range that are not on disk. Decided in full
// before anything is rendered, as for files and folders.
#pragma once

#include <string>
#include <vector>

#include "tools/tintra/planning/batch_plan.h"
#include "tools/tintra/planning/request.h"
#include "tools/tintra/planning/frame_sequence.h"

struct SequencePlan {
    BatchPlan batch;           // the frames to render in frame order; batch.folder: the output folder to create
    std::vector<int> frames;   // the frame of each item of batch
    std::vector<int> absent;   // missing frames that fail without being read
    std::vector<int> missing;  // every frame of the range that is not on disk
    bool held = false;         // a missing frame is written from the frame it holds
    std::vector<int> held_ahead;  // held frames before the first on disk, which hold the first
    int first_on_disk = 0;  // with a held frame
};

// Plans the frames of the input pattern `in` into `out`: an output pattern
// with its own padding, or a folder (the inputs' own names). frames_text is
// the --frames list; empty, the range is the first to the last frame on disk
// (a gap in it is missing). Every frame of the range is written to its own
// output and nothing else is. Returns false with a usage error when the plan
// cannot be carried out: a bad list, an unreadable folder, no frames at all,
// an output that is not a pattern or a folder, or an output that is one of
// the inputs without allow_overwrite.
// frame_offset is added to each frame's number for its output (an output
// pattern only); ext replaces the extension of the inputs' names in a folder.
bool PlanSequence(const FramePattern& in, const std::string& out, const std::string& frames_text, MissingFrames missing,
                  bool allow_overwrite, SequencePlan& plan, std::string& error, int frame_offset = 0,
                  const std::string& ext = "");

// A render's plan from its command line: a frame sequence (sequence set)
// when its one input is a frame pattern that names no existing file, else
// its files and folders (plan.batch alone, as PlanBatch makes it). --frames
// and --missing are refused without a sequence.
bool PlanRender(const Request& line, SequencePlan& plan, bool& sequence, std::string& error);

// The one line that names and counts the missing frames and says what is
// done with them ("" when none is missing).
std::string MissingFramesLine(const std::string& input, const SequencePlan& plan, MissingFrames missing);
