#include "tools/tintra/reporting/progress.h"

#include <algorithm>
#include <cstdio>
#include <sys/ioctl.h>
#include <utility>

#include "tools/tintra/reporting/library_chatter.h"

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

PixelsLeft::PixelsLeft(std::vector<uint64_t> file_bytes) : bytes_(std::move(file_bytes))
{
    for (size_t i = 1; i < bytes_.size(); ++i) bytes_after_ += bytes_[i];
}

void PixelsLeft::opened(uint64_t pixels)
{
    if (frame_ >= bytes_.size() || pixels_ >= 0) return;
    pixels_ = (int64_t)pixels;
    if (bytes_[frame_] == 0) return;
    opened_pixels_ += pixels;
    opened_bytes_ += bytes_[frame_];
}

void PixelsLeft::next()
{
    if (frame_ >= bytes_.size()) return;
    if (pixels_ > 0) done_pixels_ += (uint64_t)pixels_;
    pixels_ = -1;
    if (++frame_ < bytes_.size()) bytes_after_ -= bytes_[frame_];
}

double PixelsLeft::SecondsLeft(double part, double seconds) const
{
    const double per_byte = opened_bytes_ > 0 ? (double)opened_pixels_ / (double)opened_bytes_ : 0.0;
    double current = 0.0;
    if (frame_ < bytes_.size()) current = pixels_ >= 0 ? (double)pixels_ : (double)bytes_[frame_] * per_byte;
    const double done = (double)done_pixels_ + part * current;
    const double left = (1.0 - part) * current + (double)bytes_after_ * per_byte;
    if (done <= 0.0 || seconds <= 0.0) return -1.0;
    return left * seconds / done;
}

Progress::Progress(std::vector<uint64_t> file_bytes, bool live)
    : total_((int)file_bytes.size()), live_(live), left_(std::move(file_bytes)),
      start_(std::chrono::steady_clock::now())
{
    if (live_) draw();
}

std::string Progress::BarText(double done, int total, double seconds, double seconds_left, int columns)
{
    char text[160];
    if (done == (double)(int)done)
        std::snprintf(text, sizeof text, "%d/%d frames", (int)done, total);
    else
        std::snprintf(text, sizeof text, "%.1f/%d frames", done, total);
    const std::string count = text;
    std::string rate;
    if (done > 0 && seconds > 0.0) {
        std::snprintf(text, sizeof text, "  %.2f frames/s", done / seconds);
        rate = text;
        if (seconds_left >= 0.0) rate += "  " + Duration(seconds_left) + " left";
    }
    // One line short of the terminal's width, so that it never wraps: the
    // bar narrows first, then the rate goes, then the bar.
    const int room = columns - 1;
    int width = std::min(30, room - 3 - (int)count.size() - (int)rate.size());
    if (width < 5) {
        rate.clear();
        width = std::min(30, room - 3 - (int)count.size());
    }
    if (width < 5) return count.substr(0, (size_t)std::max(room, 0));
    const int filled = total > 0 ? (int)(done * width / total) : width;
    return "[" + std::string((size_t)filled, '#') + std::string((size_t)(width - filled), '.') + "] " + count + rate;
}

void Progress::frame_part(double fraction)
{
    if (!live_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - drawn_ < std::chrono::milliseconds(200)) return;
    part_ = fraction < 0.0 ? 0.0 : fraction > 0.99 ? 0.99 : fraction;
    draw();
}

void Progress::frame_opened(uint64_t pixels)
{
    left_.opened(pixels);
}

double Progress::seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void Progress::frame_done(bool failed)
{
    const double now = seconds();
    done_frames_.push_back({failed, false, now - frame_start_, said_, build_});
    frame_start_ = now;
    said_.clear();
    build_.clear();
    part_ = 0.0;
    ++done_;
    left_.next();
    if (failed) ++failed_;
    if (live_) draw();
}

void Progress::frame_kept()
{
    ++kept_;
    frame_done(false);
    done_frames_.back().kept = true;
}

void Progress::note(const std::string& file, const std::string& text)
{
    if (notes_.First(text) && !quiet_) announce("tintra: " + file + ": " + text);
    said_ += (said_.empty() ? "" : "; ") + text;
}

void Progress::message(const std::string& line)
{
    // Kept without the tool's name: a report says whose it is.
    said_ += (said_.empty() ? "" : "; ") + (line.compare(0, 8, "tintra: ") == 0 ? line.substr(8) : line);
    announce(line);
}

void Progress::announce(const std::string& line)
{
    if (live_) std::fprintf(Messages(), "\r\033[K");
    std::fprintf(Messages(), "%s\n", OneLine(line).c_str());
    if (live_) draw();
}

void Progress::draw()
{
    drawn_ = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(drawn_ - start_).count();
    // Rounded down to the tenth shown, so that 0.96 is not shown as done.
    const double done = done_ + (double)(int)(part_ * 10.0) / 10.0;
    struct winsize size;
    const int columns = ioctl(fileno(Messages()), TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    const double left = left_.SecondsLeft(part_, seconds);
    std::fprintf(Messages(), "\r%s\033[K", BarText(done, total_, seconds, left, columns).c_str());
    std::fflush(Messages());
}

void Progress::finish(bool interrupted, const std::string& destination)
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    if (live_) std::fprintf(Messages(), "\r\033[K");
    if (!quiet_)
        for (const std::string& line : notes_.Repeats()) std::fprintf(Messages(), "tintra: %s\n", line.c_str());
    const int rendered = done_ - failed_ - kept_;
    std::fprintf(Messages(), "tintra: %d of %d frame%s rendered, ", rendered, total_, total_ == 1 ? "" : "s");
    if (kept_ > 0) std::fprintf(Messages(), "%d kept, ", kept_);
    std::fprintf(Messages(), "%d failed%s, %.1f s", failed_, interrupted ? ", interrupted" : "", seconds);
    if (rendered > 0 && seconds > 0.0) std::fprintf(Messages(), " (%.2f frames/s)", rendered / seconds);
    if (rendered > 0) std::fprintf(Messages(), "; written to %s", OneLine(destination).c_str());
    std::fprintf(Messages(), "\n");
}
