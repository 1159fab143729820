// Frame sequences as image pipelines name them: a file name with a frame
// number pattern (shot.%04d.exr, shot.####.exr, shot.@@@.exr), a frame list
// such as 1001-1100x4 or 1,5,9-12, and which frames of a sequence are on disk.
#pragma once

#include <string>
#include <vector>

// Frames are whole numbers in -kFrameLimit..kFrameLimit, and one list holds
// at most kMaxFrames of them, so that a typing slip cannot ask for billions.
constexpr int kFrameLimit = 999999999;
constexpr size_t kMaxFrames = 1000000;
// A frame number is padded to at most this many digits.
constexpr int kMaxPadding = 20;

struct FramePattern {
    std::string head;  // the path up to the frame number, folder included
    std::string tail;  // the rest of the path after it
    int digits = 0;    // zero-padded to at least this many digits
    std::string text;  // the pattern as written, for messages

    // The path of a frame: printf's %0Nd, so -1 with 4 digits is "-001".
    std::string Path(int frame) const;
    // The frame a path names, exactly as Path would write it (so that
    // "shot.01001.exr" is no frame of shot.%04d.exr); false if none.
    bool FrameOf(const std::string& path, int& frame) const;
};

// Whether the file name of path (not its folders) holds a frame number
// pattern: %0Nd or %d; a lone # for four digits (as in oiiotool) or a run of
// two or more # for one digit each (#### as in Nuke and After Effects); a run
// of @ for one digit each. The first pattern in the name is the frame
// number; false if there is none. A pattern tintra cannot use (%4d, which
// pads with spaces, or padding beyond kMaxPadding) gives false with the
// reason in problem, so that it is not taken for an ordinary file name.
bool FindFramePattern(const std::string& path, FramePattern& pattern, std::string* problem = nullptr);

// A frame list: comma-separated frames (1001, -5), ranges (1001-1100,
// -10--1) and ranges with a step (1001-1100x4, every 4th from 1001).
// Gives the frames sorted, each once. A one-line reason on failure.
bool ParseFrames(const std::string& text, std::vector<int>& frames, std::string& error);

// Sorted distinct frames as the shortest list of single frames and ranges
// that ParseFrames reads back, steps included: {1,2,3,5} is "1-3,5",
// {1,3,5,7} is "1-7x2".
std::string FramesText(const std::vector<int>& frames);

// What becomes of a frame of the range that is not on disk.
enum class MissingFrames {
    Error,  // a failed frame
    Skip,  // left out
    Hold,  // the frame before it on disk is written in its place (before the first on disk, the first)
};

// "error", "skip" or "hold"; false for anything else.
bool ParseMissingFrames(const std::string& text, MissingFrames& missing);

// The frames of the sequence present on disk, sorted. Hidden files (such as
// the temporary file of a write in progress) are none of them. False with a
// one-line reason when the folder cannot be read.
bool FramesOnDisk(const FramePattern& pattern, std::vector<int>& frames, std::string& error);
