// Which file each frame of a sequence is read from and written to, and what
// becomes of the frames of the range that are not on disk. Decided in full
// before anything is rendered, as for files and folders.
#pragma once

#include <string>
#include <vector>

#include "tools/tintra/batch_plan.h"
#include "tools/tintra/frame_sequence.h"

enum class MissingFrames {
    Error,  // a missing frame is a failed frame
    Skip,   // a missing frame is left out
    Hold,   // a missing frame repeats the frame before it on disk (the one after, at the start)
};

// "error", "skip" or "hold"; false for anything else.
bool ParseMissingFrames(const std::string& text, MissingFrames& missing);

struct SequenceFrame {
    int frame = 0;
    BatchItem files;      // for a held frame, the input is the frame it holds
    bool held = false;    // missing, and holds another frame
    bool absent = false;  // missing and not held: fails without being read
};

struct SequencePlan {
    std::vector<SequenceFrame> frames;  // in frame order
    std::vector<int> missing;           // the frames of the range not on disk
    std::string folder;                 // the output folder to create; empty when it exists
};

// Plans the frames of the input pattern `in` into `out`: an output pattern
// with its own padding, or a folder (the inputs' own names). frames_text is
// the --frames list; empty, the range is the first to the last frame on disk
// (a gap in it is missing). Every frame of the range is written to its own
// output and nothing else is. Returns false with a usage error when the plan
// cannot be carried out: a bad list, an unreadable folder, no frames at all,
// an output that is not a pattern or a folder, or an output that is one of
// the inputs without allow_overwrite.
bool PlanSequence(const FramePattern& in, const std::string& out, const std::string& frames_text,
                  MissingFrames missing, bool allow_overwrite, SequencePlan& plan, std::string& error);

// The one line that names and counts the missing frames and says what is
// done with them ("" when none is missing).
std::string MissingFramesLine(const std::string& input, const SequencePlan& plan, MissingFrames missing);
