// --report FILE.json: what a run did, frame by frame and in total, for a
// scheduler or a dashboard to read without parsing tintra's messages.
// Written whole or not at all (a temporary file renamed into place), so a
// reader never sees half a report.
#pragma once

#include <string>
#include <vector>

struct ReportFrame {
    std::string input;  // "" for a missing frame that names no file
    std::string output;
    std::string status;  // "rendered", "kept", "failed" or "missing"
    std::string message;  // what was said of the frame, "; " between lines
    double seconds = 0.0;
};

struct ReportTotals {
    int frames = 0;  // planned, whether reached or not
    int rendered = 0, kept = 0, failed = 0;
    bool interrupted = false;
    double seconds = 0.0;
    int exit_status = 0;
};

std::string RunReportJson(const std::vector<ReportFrame>& frames, const ReportTotals& totals);

// Returns false with a one-line reason when the file cannot be written.
bool WriteRunReport(const std::string& path, const std::string& json, std::string& error);
