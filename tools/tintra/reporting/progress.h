// Progress of a batch on stderr: a live bar when stderr is a terminal, and in
// every case one summary line at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/tintra/reporting/repeated_notes.h"

// The time a batch has left, reckoned by pixels rather than frames: a
// folder's pictures differ in size, and one 8K frame takes as long as sixteen
// 2K ones. A frame's pixels are known once it is opened; a frame not yet
// opened is reckoned from its file's size at the pixels per byte of the
// frames opened so far. A frame that failed before it was opened took next to
// no time and counts for nothing.
class PixelsLeft {
public:
    explicit PixelsLeft(std::vector<uint64_t> file_bytes);
    // The current frame (the first not done) was opened and has these pixels.
    void opened(uint64_t pixels);
    // The current frame is done; the next one is current.
    void next();
    // Seconds left once `part` of the current frame is done, `seconds` after
    // the start; negative while there is nothing to reckon from (no pixels
    // done yet). Sums kept as the frames go make it cheap at every redraw.
    double SecondsLeft(double part, double seconds) const;

private:
    std::vector<uint64_t> bytes_;
    size_t frame_ = 0;              // the current frame
    int64_t pixels_ = -1;           // the current frame's, -1 until opened
    uint64_t done_pixels_ = 0;      // of the frames done
    uint64_t bytes_after_ = 0;      // of the files after the current frame
    uint64_t opened_pixels_ = 0, opened_bytes_ = 0;  // the pixels per byte seen
};

class Progress {
public:
    // One entry per frame, in the order they are done: the size of its file
    // (0 for a frame that is not there).
    Progress(std::vector<uint64_t> file_bytes, bool live);
    void frame_done(bool failed);
    // The current frame is done and was kept as it was (--no-clobber):
    // counted apart from those rendered.
    void frame_kept();
    // The current frame's pixels, all pages, once it is opened.
    void frame_opened(uint64_t pixels);
    // The build that renders the current frame, for the report.
    void frame_build(const std::string& build) { build_ = build; }
    // How far the current frame is (0..1), for frames that take a while;
    // redrawn a few times a second at most.
    void frame_part(double fraction);
    // One line of its own (an error), printed without breaking the bar, and
    // kept as said of the current frame.
    void message(const std::string& line);
    // A line about the whole run, printed the same way.
    void announce(const std::string& line);
    // A warning about one file: said for the first file, then counted and
    // said once more by finish. Left out when quiet.
    void note(const std::string& file, const std::string& text);
    // Errors and the summary only: no bar, no notes.
    void set_quiet(bool quiet) { quiet_ = quiet; }
    // Clears the bar and prints the summary line, which says where the
    // output went.
    void finish(bool interrupted, const std::string& destination);

    // Each frame done, in order, as a report gives it.
    struct DoneFrame {
        bool failed = false, kept = false;
        double seconds = 0.0;
        std::string said;  // its messages and notes, "; " between them
        std::string build;  // as frame_build named it; "" when not opened
    };
    const std::vector<DoneFrame>& done_frames() const { return done_frames_; }
    double seconds() const;

    int done() const { return done_; }
    int failed() const { return failed_; }

    // The bar's text, without the leading carriage return; exposed for tests.
    // A fractional done shows the current frame's part, to a tenth; the time
    // left is shown unless negative. Fits in columns - 1 characters.
    static std::string BarText(double done, int total, double seconds, double seconds_left, int columns = 80);

private:
    void draw();

    int total_;
    bool live_;
    int done_ = 0;
    int failed_ = 0;
    int kept_ = 0;
    bool quiet_ = false;
    RepeatedNotes notes_;
    std::vector<DoneFrame> done_frames_;
    std::string said_, build_;  // of the current frame
    double frame_start_ = 0.0;
    double part_ = 0.0;
    PixelsLeft left_;
    std::chrono::steady_clock::time_point start_, drawn_;
};
