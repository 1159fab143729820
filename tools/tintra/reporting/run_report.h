// --report FILE.json: what a run did, frame by frame and in total, for a
// scheduler or a dashboard to read without parsing tintra's messages. Every
// frame of the run has its entry, reached or not, so that what is missing
// can be run again. Written whole or not at all (a temporary file renamed
// into place), so a reader never sees half a report.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct ReportFrame {
    std::string input;  // "" for a missing frame that names no file
    std::string output;
    // "rendered", "kept", "failed", "missing" (failed unread: not on disk)
    // or "not rendered" (not reached: the run was interrupted)
    std::string status = "not rendered";
    std::string message;  // what was said of the frame, "; " between lines
    std::string build;  // the build that rendered it: "after-effects" or "ofx"; "" for none
    double seconds = 0.0;
};

struct ReportTotals {
    int frames = 0;  // planned, whether reached or not
    int rendered = 0, kept = 0, failed = 0, not_rendered = 0;  // a missing frame counts as failed
    bool interrupted = false;
    double seconds = 0.0;
    int exit_status = 0;
};

// What the run was: tintra's version, the effect's values (each a name and
// its value as JSON: a number or a quoted choice), and whether it was a dry
// run (its frames' statuses are what a run would do).
struct ReportRun {
    std::string version;
    std::vector<std::pair<std::string, std::string>> parameters;
    bool dry_run = false;
};

// The totals of these frames, each counted once by its status.
ReportTotals CountFrames(const std::vector<ReportFrame>& frames);

// Text as a JSON string, quoted: any byte that is not part of valid UTF-8
// becomes U+FFFD, so the report always parses whatever a file name holds.
std::string JsonString(const std::string& text);

// A number as JSON: as short as gives it back exactly; null if not finite.
std::string JsonNumber(double value);

std::string RunReportJson(const ReportRun& run, const std::vector<ReportFrame>& frames, const ReportTotals& totals);

// Returns false with a one-line reason when the file cannot be written.
bool WriteRunReport(const std::string& path, const std::string& json, std::string& error);
