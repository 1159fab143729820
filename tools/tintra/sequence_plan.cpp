#include "tools/tintra/sequence_plan.h"

#include <algorithm>
#include <map>
#include <utility>
#include <sys/stat.h>

#include "tools/tintra/image_formats.h"

namespace {

bool IsFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string BaseName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The output of a frame whose input (as named by the pattern) is `input`.
std::string OutputOf(const std::string& input, int frame, const FramePattern* out_pattern, const std::string& out)
{
    if (out_pattern != nullptr) return out_pattern->Path(frame);
    return out.back() == '/' ? out + BaseName(input) : out + "/" + BaseName(input);
}

}  // namespace

bool ParseMissingFrames(const std::string& text, MissingFrames& missing)
{
    if (text == "error") missing = MissingFrames::Error;
    else if (text == "skip") missing = MissingFrames::Skip;
    else if (text == "hold") missing = MissingFrames::Hold;
    else return false;
    return true;
}

bool PlanSequence(const FramePattern& in, const std::string& out, const std::string& frames_text,
                  MissingFrames missing, bool allow_overwrite, SequencePlan& plan, std::string& error)
{
    plan = SequencePlan();
    std::vector<int> on_disk;
    if (!FramesOnDisk(in, on_disk, error)) return false;
    std::vector<int> range;
    if (!frames_text.empty()) {
        if (!ParseFrames(frames_text, range, error)) {
            error = "--frames " + error;
            return false;
        }
    } else if (on_disk.empty()) {
        error = in.head + in.tail + ": no frames of this sequence on disk, and no --frames given";
        return false;
    } else {
        for (long long f = on_disk.front(); f <= on_disk.back(); ++f) range.push_back((int)f);
    }

    FramePattern out_pattern;
    const bool to_pattern = FindFramePattern(out, out_pattern);
    std::string out_folder;
    if (to_pattern) {
        out_folder = FolderOf(out_pattern.head);
    } else if (IsFolder(out) || out.back() == '/') {
        out_folder = out;
    } else {
        error = "-o " + out + ": a sequence needs an output pattern (such as graded.####.exr) or a folder";
        return false;
    }
    if (!out_folder.empty() && !IsFolder(out_folder)) {
        struct stat info;
        if (stat(out_folder.c_str(), &info) == 0) {
            error = "-o " + out + ": " + out_folder + " is not a folder";
            return false;
        }
        plan.folder = out_folder;
    }

    for (int frame : range) {
        SequenceFrame item;
        item.frame = frame;
        item.files.input = in.Path(frame);
        item.files.output = OutputOf(item.files.input, frame, to_pattern ? &out_pattern : nullptr, out);
        if (!std::binary_search(on_disk.begin(), on_disk.end(), frame)) {
            plan.missing.push_back(frame);
            if (missing == MissingFrames::Skip) continue;
            // The frame held is looked for on disk, not in the range, so
            // that a chunk of a range holds the same frame as the whole.
            const auto after = std::upper_bound(on_disk.begin(), on_disk.end(), frame);
            item.held = missing == MissingFrames::Hold && !on_disk.empty();
            if (item.held) item.files.input = in.Path(after != on_disk.begin() ? *(after - 1) : *after);
            item.absent = !item.held;
        }
        plan.frames.push_back(item);
    }
    if (plan.frames.empty()) return true;
    if (!IsWritableImageName(plan.frames.front().files.output)) {
        error = "-o " + out + ": tintra cannot write this format (use an image extension such as .png, .tif, .exr)";
        return false;
    }
    if (!plan.folder.empty()) return true;
    if (!CheckOutputPath(plan.frames.front().files.output, error)) {
        error = "-o " + out + ": " + error;
        return false;
    }
    if (allow_overwrite) return true;
    // An output may be any frame's input, not only its own.
    std::map<std::pair<dev_t, ino_t>, std::string> inputs;
    for (int frame : on_disk) {
        struct stat info;
        if (stat(in.Path(frame).c_str(), &info) == 0)
            inputs.emplace(std::make_pair(info.st_dev, info.st_ino), in.Path(frame));
    }
    for (const SequenceFrame& item : plan.frames) {
        struct stat info;
        if (stat(item.files.output.c_str(), &info) != 0) continue;
        const auto found = inputs.find(std::make_pair(info.st_dev, info.st_ino));
        if (found != inputs.end()) {
            error = item.files.output + " is the input " + found->second + "; pass --overwrite to replace it";
            return false;
        }
    }
    return true;
}

std::string MissingFramesLine(const std::string& input, const SequencePlan& plan, MissingFrames missing)
{
    if (plan.missing.empty()) return "";
    const size_t count = plan.missing.size();
    std::string line = input + ": " + std::to_string(count) + (count == 1 ? " frame" : " frames") +
                       " missing: " + FramesText(plan.missing);
    const bool any_held = std::any_of(plan.frames.begin(), plan.frames.end(),
                                      [](const SequenceFrame& f) { return f.held; });
    switch (missing) {
    case MissingFrames::Error: line += " (failed; --missing skip or hold to go on without them)"; break;
    case MissingFrames::Skip: line += " (skipped)"; break;
    case MissingFrames::Hold:
        line += any_held ? " (each holds the frame before it on disk)" : " (failed: no frame on disk to hold)";
        break;
    }
    return line;
}
