// Progress of a batch on stderr: a live bar when stderr is a terminal, and in
// every case one summary line at the end.
#pragma once

#include <chrono>
#include <string>

class Progress {
public:
    Progress(int total, bool live);
    void frame_done(bool failed);
    // How far the current frame is (0..1), for frames that take a while;
    // redrawn a few times a second at most.
    void frame_part(double fraction);
    // One line of its own (an error), printed without breaking the bar.
    void message(const std::string& line);
    // Clears the bar and prints the summary line, which says where the
    // output went.
    void finish(bool interrupted, const std::string& destination);

    int done() const { return done_; }
    int failed() const { return failed_; }

    // The bar's text, without the leading carriage return; exposed for tests.
    // A fractional done shows the current frame's part, to a tenth. Fits in
    // columns - 1 characters.
    static std::string BarText(double done, int total, double seconds, int columns = 80);

private:
    void draw();

    int total_;
    bool live_;
    int done_ = 0;
    int failed_ = 0;
    double part_ = 0.0;
    std::chrono::steady_clock::time_point start_, drawn_;
};
