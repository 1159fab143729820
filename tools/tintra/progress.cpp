#include "tools/tintra/progress.h"

#include <cstdio>

#include "tools/tintra/library_chatter.h"

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

std::string Progress::BarText(double done, int total, double seconds)
{
    constexpr int kWidth = 30;
    const int filled = total > 0 ? (int)(done * kWidth / total) : kWidth;
    std::string bar = "[" + std::string((size_t)filled, '#') + std::string((size_t)(kWidth - filled), '.') + "]";
    char text[160];
    if (done == (double)(int)done)
        std::snprintf(text, sizeof text, "%s %d/%d frames", bar.c_str(), (int)done, total);
    else
        std::snprintf(text, sizeof text, "%s %.1f/%d frames", bar.c_str(), done, total);
    std::string line = text;
    if (done > 0 && seconds > 0.0) {
        const double rate = done / seconds;
        std::snprintf(text, sizeof text, "  %.2f frames/s  %s left", rate,
                      Duration((total - done) / rate).c_str());
        line += text;
    }
    return line;
}

void Progress::frame_part(double fraction)
{
    if (!live_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - drawn_ < std::chrono::milliseconds(200)) return;
    part_ = fraction < 0.0 ? 0.0 : fraction > 0.99 ? 0.99 : fraction;
    draw();
}

void Progress::frame_done(bool failed)
{
    part_ = 0.0;
    ++done_;
    if (failed) ++failed_;
    if (live_) draw();
}

void Progress::message(const std::string& line)
{
    if (live_) std::fprintf(Messages(), "\r\033[K");
    std::fprintf(Messages(), "%s\n", line.c_str());
    if (live_) draw();
}

void Progress::draw()
{
    drawn_ = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(drawn_ - start_).count();
    // Rounded down to the tenth shown, so that 0.96 is not shown as done.
    const double done = done_ + (double)(int)(part_ * 10.0) / 10.0;
    std::fprintf(Messages(), "\r%s\033[K", BarText(done, total_, seconds).c_str());
    std::fflush(Messages());
}

void Progress::finish(bool interrupted, const std::string& destination)
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    if (live_) std::fprintf(Messages(), "\r\033[K");
    const int rendered = done_ - failed_;
    std::fprintf(Messages(), "tintra: %d of %d frame%s rendered, %d failed%s, %.1f s", rendered, total_,
                 total_ == 1 ? "" : "s", failed_, interrupted ? ", interrupted" : "", seconds);
    if (rendered > 0 && seconds > 0.0) std::fprintf(Messages(), " (%.2f frames/s)", rendered / seconds);
    if (rendered > 0) std::fprintf(Messages(), "; written to %s", destination.c_str());
    std::fprintf(Messages(), "\n");
}
