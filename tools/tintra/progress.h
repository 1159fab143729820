// Progress of a batch on stderr: a live bar when stderr is a terminal, and in
// every case one summary line at the end.
#pragma once

#include <chrono>
#include <string>

class Progress {
public:
    Progress(int total, bool live);
    void frame_done(bool failed);
    // One line of its own (an error), printed without breaking the bar.
    void message(const std::string& line);
    // Clears the bar and prints the summary line.
    void finish(bool interrupted);

    int done() const { return done_; }
    int failed() const { return failed_; }

    // The bar's text, without the leading carriage return; exposed for tests.
    static std::string BarText(int done, int total, double seconds);

private:
    void draw();

    int total_;
    bool live_;
    int done_ = 0;
    int failed_ = 0;
    std::chrono::steady_clock::time_point start_;
};
