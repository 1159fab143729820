#include "tools/tintra/planning/frame_sequence.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

bool IsDigit(char c) { return std::isdigit((unsigned char)c) != 0; }

// An optionally negative whole number at text[pos], pos moved past it. More
// digits than any frame has read as a value out of range, not as a slip.
bool ReadNumber(const std::string& text, size_t& pos, bool allow_sign, long long& value)
{
    size_t at = pos;
    const bool negative = allow_sign && at < text.size() && text[at] == '-';
    if (negative) ++at;
    const size_t first = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    if (at == first) return false;
    // Padding zeros say nothing of the size (0000001001 is 1001).
    size_t significant = first;
    while (significant + 1 < at && text[significant] == '0') ++significant;
    value = at - significant > 12 ? (long long)kFrameLimit + 1 : std::stoll(text.substr(significant, at - significant));
    if (negative) value = -value;
    pos = at;
    return true;
}

}  // namespace

std::string FramePattern::Path(int frame) const
{
    char number[32];
    std::snprintf(number, sizeof number, "%0*d", digits, frame);
    return head + number + tail;
}

bool FramePattern::FrameOf(const std::string& path, int& frame) const
{
    if (path.size() <= head.size() + tail.size() || path.compare(0, head.size(), head) != 0 ||
        path.compare(path.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    const std::string number = path.substr(head.size(), path.size() - head.size() - tail.size());
    size_t pos = 0;
    long long value = 0;
    if (!ReadNumber(number, pos, true, value) || pos != number.size()) return false;
    if (value < -kFrameLimit || value > kFrameLimit) return false;
    frame = (int)value;
    return Path(frame) == path;
}

namespace {

// The frame number pattern that starts at path[at]: its end and its padding,
// -1 when there is none. A printf width without its 0 (%4d) pads with
// spaces, which no image pipeline names frames with: said in problem.
int PatternAt(const std::string& path, size_t at, size_t& end, std::string& problem)
{
    end = at;
    if (path[at] == '#' || path[at] == '@') {
        while (end < path.size() && path[end] == path[at]) ++end;
        return path[at] == '#' && end - at == 1 ? 4 : (int)(end - at);
    }
    if (path[at] != '%') return -1;
    size_t n = at + 1;
    while (n < path.size() && IsDigit(path[n])) ++n;
    if (n >= path.size() || path[n] != 'd') return -1;
    end = n + 1;
    const std::string width = path.substr(at + 1, n - at - 1);
    if (width.empty()) return 0;
    if (width[0] != '0') {
        problem = path.substr(at, end - at) + " pads frame numbers with spaces; write %0" + width +
                  "d to pad them with zeros";
        return -1;
    }
    return width.size() > 3 ? kMaxPadding + 1 : std::atoi(width.c_str());  // %0999999999d would overflow
}

}  // namespace

bool FindFramePattern(const std::string& path, FramePattern& pattern, std::string* problem)
{
    const size_t name = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
    for (size_t at = name; at < path.size(); ++at) {
        size_t end = at;
        std::string wrong;
        const int digits = PatternAt(path, at, end, wrong);
        if (digits > kMaxPadding)
            wrong = path.substr(at, end - at) + " pads frame numbers to more than " + std::to_string(kMaxPadding) +
                    " digits, which no frame needs";
        if (!wrong.empty()) {
            if (problem != nullptr) *problem = path + ": " + wrong;
            return false;
        }
        if (digits < 0) continue;
        pattern.head = path.substr(0, at);
        pattern.tail = path.substr(end);
        pattern.digits = digits;
        pattern.text = path;
        return true;
    }
    return false;
}

namespace {

// Sorts frames and keeps each once; gives how many there are.
size_t SortedOnce(std::vector<int>& frames)
{
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames.size();
}

}  // namespace

bool ParseFrames(const std::string& text, std::vector<int>& frames, std::string& error)
{
    frames.clear();
    if (text.empty()) {
        error = "no frames given (such as 1001-1100, 1001-1100x4 or 1,5,9-12)";
        return false;
    }
    bool too_many = false;
    size_t start = 0;
    for (;;) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        long long first = 0, last = 0, step = 1;
        size_t pos = 0;
        bool ok = ReadNumber(item, pos, true, first);
        last = first;
        if (ok && pos < item.size()) ok = item[pos++] == '-' && ReadNumber(item, pos, true, last);
        if (ok && pos < item.size()) ok = item[pos++] == 'x' && ReadNumber(item, pos, false, step);
        if (!ok || pos != item.size()) {
            error = "'" + item + "' is not a frame, a range or a list (such as 1001, 1001-1100, 1001-1100x4, 1,5,9-12)";
            return false;
        }
        for (long long frame : {first, last}) {
            if (frame < -kFrameLimit || frame > kFrameLimit) {
                error = "'" + item + "': frames go from " + std::to_string(-kFrameLimit) + " to " +
                        std::to_string(kFrameLimit);
                return false;
            }
        }
        if (last < first) {
            error = "'" + item + "' ends before it starts";
            return false;
        }
        if (step < 1) {
            error = "'" + item + "': the step after x must be 1 or more";
            return false;
        }
        // Frames listed twice count once (1-1000000,1-1000000 is a million),
        // and no item is expanded that alone is too many.
        too_many = (last - first) / step + 1 > (long long)kMaxFrames;
        if (!too_many)
            for (long long frame = first; frame <= last; frame += step) frames.push_back((int)frame);
        if (frames.size() > 2 * kMaxFrames) too_many = SortedOnce(frames) > kMaxFrames;
        if (too_many || comma == text.size()) break;
        start = comma + 1;
    }
    if (!too_many && SortedOnce(frames) <= kMaxFrames) return true;
    error = "'" + text + "' is more than " + std::to_string(kMaxFrames) + " frames";
    return false;
}

namespace {

// Frames i..j as one item of a list: a frame, a range, or a stepped range.
std::string ListItem(const std::vector<int>& frames, size_t i, size_t j)
{
    if (i == j) return std::to_string(frames[i]);
    const long long step = (long long)frames[i + 1] - frames[i];
    return std::to_string(frames[i]) + "-" + std::to_string(frames[j]) + (step == 1 ? "" : "x" + std::to_string(step));
}

}  // namespace

std::string FramesText(const std::vector<int>& frames)
{
    // The shortest text from each frame to the end, found from the end: the
    // first item is a frame alone or a run of one step, whole or but its last
    // frame (which may begin a better run: 1,5,9-12 rather than 1-9x4,10-12).
    const size_t n = frames.size();
    std::vector<size_t> length(n + 1, 0), item_end(n, 0), run_end(n, 0);
    for (size_t i = n; i-- > 0;) {
        const bool same_step =
            i + 2 < n && (long long)frames[i + 2] - frames[i + 1] == (long long)frames[i + 1] - frames[i];
        run_end[i] = i + 1 >= n ? i : same_step ? run_end[i + 1] : i + 1;
        const auto cost = [&](size_t j) { return ListItem(frames, i, j).size() + (j + 1 < n ? 1 + length[j + 1] : 0); };
        item_end[i] = run_end[i];
        length[i] = cost(run_end[i]);
        for (size_t j : {run_end[i] - (run_end[i] > i + 1 ? 1 : 0), i}) {
            // A range of two is kept over two frames listed: as long, and read as a range.
            if (cost(j) < length[i]) {
                item_end[i] = j;
                length[i] = cost(j);
            }
        }
    }
    std::string text;
    for (size_t i = 0; i < n; i = item_end[i] + 1) text += (text.empty() ? "" : ",") + ListItem(frames, i, item_end[i]);
    return text;
}

bool ParseMissingFrames(const std::string& text, MissingFrames& missing)
{
    if (text == "error") missing = MissingFrames::Error;
    else if (text == "skip") missing = MissingFrames::Skip;
    else if (text == "hold") missing = MissingFrames::Hold;
    else return false;
    return true;
}

bool FramesOnDisk(const FramePattern& pattern, std::vector<int>& frames, std::string& error)
{
    frames.clear();
    const size_t slash = pattern.head.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : pattern.head.substr(0, slash + 1);
    const std::string shown = folder.empty() ? "." : folder;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        error = shown + ": cannot read the folder: " + std::strerror(errno);
        return false;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.empty() || name[0] == '.') continue;
        int frame = 0;
        struct stat info;
        const std::string path = folder + name;
        if (pattern.FrameOf(path, frame) && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            frames.push_back(frame);
    }
    closedir(dir);
    std::sort(frames.begin(), frames.end());
    return true;
}
