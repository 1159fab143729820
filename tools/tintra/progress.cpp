#include "tools/tintra/progress.h"

#include <cstdio>

namespace {

std::string Duration(double seconds)
{
    const long s = (long)(seconds + 0.5);
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

}  // namespace

Progress::Progress(int total, bool live) : total_(total), live_(live), start_(std::chrono::steady_clock::now())
{
    if (live_) draw();
}

std::string Progress::BarText(int done, int total, double seconds)
{
    constexpr int kWidth = 30;
    const int filled = total > 0 ? done * kWidth / total : kWidth;
    std::string bar = "[" + std::string((size_t)filled, '#') + std::string((size_t)(kWidth - filled), '.') + "]";
    char text[160];
    std::snprintf(text, sizeof text, "%s %d/%d frames", bar.c_str(), done, total);
    std::string line = text;
    if (done > 0 && seconds > 0.0) {
        const double rate = done / seconds;
        std::snprintf(text, sizeof text, "  %.2f frames/s  %s left", rate,
                      Duration((total - done) / rate).c_str());
        line += text;
    }
    return line;
}

void Progress::frame_done(bool failed)
{
    ++done_;
    if (failed) ++failed_;
    if (live_) draw();
}

void Progress::message(const std::string& line)
{
    if (live_) std::fprintf(stderr, "\r\033[K");
    std::fprintf(stderr, "%s\n", line.c_str());
    if (live_) draw();
}

void Progress::draw()
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::fprintf(stderr, "\r%s\033[K", BarText(done_, total_, seconds).c_str());
    std::fflush(stderr);
}

void Progress::finish(bool interrupted)
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    if (live_) std::fprintf(stderr, "\r\033[K");
    const int rendered = done_ - failed_;
    std::fprintf(stderr, "tintra: %d of %d frame%s rendered, %d failed%s, %.1f s", rendered, total_,
                 total_ == 1 ? "" : "s", failed_, interrupted ? ", interrupted" : "", seconds);
    if (rendered > 0 && seconds > 0.0) std::fprintf(stderr, " (%.2f frames/s)", rendered / seconds);
    std::fprintf(stderr, "\n");
}
